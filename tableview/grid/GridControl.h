// The grid window: a title bar of column headers on top, the row numbers at the left, the cell pane in
// the middle and scroll bars at the right and bottom. It owns the selection and the scroll state
// bookkeeping, answers the pane's paint pass for cell states and colours, and is the pane's renderer
// until a table renderer takes over. Rows and columns travel as (number, origin) pairs with origin 1;
// number 0 is the header row or the row-title column.
#pragma once

#include "platform/owl/gdi/GdiObjects.h"
#include "platform/owl/window/Window.h"
#include "tableview/data/CellText.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/grid/CellData.h"
#include "tableview/grid/GridRenderer.h"
#include "tableview/grid/GridSelection.h"
#include "tableview/grid/PanePainter.h"

#include <memory>
#include <vector>

namespace OWL
{
class TButtonGadget;
}

namespace TVF_Grid
{

class GridPane;
class GridTitleBar;
class GridVScrollBar;
class GridHScrollBar;
class RowNumbersPane;
class SnapGadgetWindowBase;

// What the table's style switches on a grid.
struct GridOptions
{
    bool columnResizing = true;
    bool columnMoving = false;
    bool fitToTitle = false;
    bool listMenu = false;        // the title bar offers the client's list as a header menu
    bool autoFitColumns = false;  // columns in state 3 take their widest text at the next paint
    bool editing = false;         // text cells open an editor
    bool typedKeyReplacesSelection = false;
    bool rowSelection = false;
    bool noHighlight = false;     // set while a printout exists
    bool rowLabelsFromRenderer = false;
    bool scrollPastLastPage = false;
    bool horizontalBarAllowed = true;
    bool verticalBarOnlyWhenScrolled = false;
    bool snapGadget = false;
    bool tableViewGrid = false;
};

// Modifier bits from the left Ctrl and left Shift keys (the right-hand keys are not read).
unsigned LeftKeyModifiers();

// A new font of the kind every grid draws its cells in.
OWL::TFont MakeCellFont();

// Offers the client's list for a cell as a popup menu at screen point (x, y) (-1, -1: the cursor);
// the chosen item's index plus 1, or 0 when nothing was chosen.
ULONG ChooseFromList(IListGenerator& lists, int row, int column, int x, int y, HWND owner);

class GridControl : public GridRenderer, public OWL::TWindow, public SelectionGrid, public PaintHooks
{
public:
    static constexpr int RowOrigin = 1;
    static constexpr int ColumnOrigin = 1;
    static constexpr int CmToggleFollowLatest = 1006;

    explicit GridControl(OWL::TWindow* parent);
    ~GridControl() override;

    DECLARE_RESPONSE_TABLE(GridControl);

    // The client's faces (not reference-counted: the table window keeps them) and the grid word that
    // both calls and notifications carry.
    void SetClient(ITableDataManager* data, ITableStoredRowInfo* rowInfo, ITableUserActionHandler* actions,
                   IListGenerator* lists, ULONG gridWord);
    ITableDataManager* Data() const { return m_data; }
    ITableStoredRowInfo* RowInfo() const { return m_rowInfo; }
    ITableUserActionHandler* Actions() const override { return m_actions; }
    IListGenerator* Lists() const { return m_lists; }
    ULONG CallWord() const { return m_callWord; }
    ULONG NotifyWord() const override { return m_notifyWord; }
    // The cell's format and text from the client, by data-manager row and column; 1 and empty without one.
    ULONG CellFormat(int row, int column) const;
    Orv::String CellText(int row, int column) const;

    void SetIndexedNames(const TableView::ChannelNames& names) { m_indexedNames = names; }
    const TableView::ChannelNames& IndexedNames() const { return m_indexedNames; }
    // A new, empty selection; wholeRows makes every selection take whole rows.
    void ResetSelection(bool wholeRows);
    GridSelection& Selection() { return *m_selection; }
    const GridSelection& Selection() const { return *m_selection; }
    GridOptions& Options() { return m_options; }
    const GridOptions& Options() const { return m_options; }
    // The choices of drop-down cells.
    std::vector<Orv::String>& ChoiceList() { return m_choices; }
    bool FollowLatest() const { return m_followLatest; }
    // Stores the state and presses or releases the strip's toggle to match.
    void SetFollowLatest(bool follow);
    // The follow-latest strip under the vertical scroll bar, made at once when the window exists.
    void ShowSnapGadgets();

    GridPane& Pane() const { return *m_pane; }
    GridTitleBar& TitleBar() const { return *m_titleBar; }
    RowNumbersPane& RowNumbers() const { return *m_rowNumbers; }
    GridVScrollBar& VerticalBar() const { return *m_verticalBar; }
    // The follow-latest strip, when the grid has one.
    SnapGadgetWindowBase* SnapGadgets() const { return m_snapGadgets; }
    GridHScrollBar& HorizontalBar() const { return *m_horizontalBar; }
    HFONT CellFont() const override { return m_font; }
    HFONT TitleFont() const { return m_titleFont; }
    int TitleHeight() const;
    // The largest height, at most height, at which the cell pane ends on a whole row.
    int HeightEndingOnWholeRow(int height) const;
    // The height that shows the column titles and one whole row.
    int LeastHeight() const;

    // The row-number pane's width: set once by the table window, widened while painting when a label
    // does not fit.
    int RowNumbersWidth() const { return m_rowNumberWidth; }
    void SetRowNumbersWidth(int width);
    void ShowRowHeaders(bool show) { m_showRowHeaders = show; }
    bool RowHeadersShown() const { return m_showRowHeaders; }

    // Layout and scroll bars.
    void LayoutChildren();
    void UpdateScrollBarVisibility(bool relayout);
    void UpdateVScrollBar();
    void UpdateHScrollBar();
    bool VerticalBarShown() const { return m_vBarShown; }
    bool HorizontalBarShown() const { return m_hBarShown; }

    // Rows and scrolling (pairs of number and origin unless said otherwise).
    int RowCount() const;
    int ColumnCount() const;
    void SetRowCount(int count, int origin);
    void ScrollToRow(CellPosition row);
    void ScrollRowIntoView(CellPosition row);
    void ScrollRows(int delta);
    void ScrollToBottom();
    void ScrollToColumn(CellPosition column);
    void ScrollColumns(int delta);
    void ScrollToLastColumns();
    // From the horizontal bar: the column under pixel x comes first; snap puts the bar on its edge.
    void HScrollToPixel(int x, bool snap);
    void SetColumnWidth(int width, int column, int origin) override;
    bool IsRowVisible(CellPosition row) const;
    bool IsColumnVisible(CellPosition column) const;
    CellPosition LastRowCoord() const { return {RowCount() + RowOrigin, RowOrigin}; }
    CellPosition LastColumnCoord() const { return {ColumnCount() - 1 + ColumnOrigin, ColumnOrigin}; }
    int MaxRowLabelLength();
    double HScrollFraction() const;
    // Repaints every part: cells, row numbers, headers and the corner boxes.
    void RepaintAll();

    // What derived grids and the pane call.
    virtual int GetColumnState(int row, int rowOrigin, int column, int columnOrigin) const;
    virtual std::unique_ptr<CellData> CreateCellData(int row, int rowOrigin, int column, int columnOrigin) const;
    void OnColumnPaint(int, int) override {}
    virtual void OnLeftColumnChanged(int /*column*/, int /*origin*/) {}
    virtual void OnColumnWidthChanged(int /*column*/, int /*origin*/, int /*width*/) {}
    virtual void OnColumnNotify(int /*a*/, int /*aOrigin*/, int /*b*/, int /*bOrigin*/) {}
    virtual void OnGridClicked() = 0;
    virtual void OnCellEdited(int /*row*/, int /*rowOrigin*/, int /*column*/, int /*columnOrigin*/,
                              const Orv::String& /*text*/)
    {
    }
    virtual void OnCellMenuCommand(ULONG /*kind*/, int /*row*/, int /*rowOrigin*/, int /*column*/,
                                   int /*columnOrigin*/, ULONG /*item*/)
    {
    }
    virtual void OnClearCell(int /*row*/, int /*rowOrigin*/, int /*column*/, int /*columnOrigin*/, ULONG /*position*/)
    {
    }
    // True when the key is used up.
    virtual bool KeyDown(UINT /*key*/, UINT /*repeat*/, UINT /*flags*/) { return false; }
    virtual bool KeyUp(UINT /*key*/) { return false; }
    // The table window's keyboard pre-processing: key-down and key-up go to KeyDown and KeyUp.
    bool PreProcessKey(const MSG& msg);
    // The held left Ctrl and left Shift keys as selection modifiers.
    virtual unsigned HeldModifiers() const { return LeftKeyModifiers(); }

    // The grid as its own renderer.
    void SelectCellColours(HDC dc, int row, int rowOrigin, int column, int columnOrigin, int state,
                           const COLORREF* colour) override;
    void WriteRowLabel(int row, int rowOrigin, std::wostream& out) override;

    // SelectionGrid and PaintHooks.
    int HeaderRows() const override { return 1; }
    int HeaderColumns() const override { return 1; }
    int DataRowCount() const override { return RowCount(); }
    int DataColumnCount() const override { return ColumnCount(); }
    void RepaintSelection() override;
    int ColumnState(int row, int column) const override
    {
        return GetColumnState(row, RowOrigin, column, ColumnOrigin);
    }
    bool IsSelected(int row, int column) const override { return m_selection->Range().Contains(row, column); }
    bool AutoFit() const override { return m_options.autoFitColumns; }

protected:
    void SetupWindow() override;
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;
    const wchar_t* GetClassName() override { return L"GridControl"; }
    void EvWindowPosChanged(const WINDOWPOS& position);
    bool EvEraseBkgnd(HDC) { return false; }
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvContextMenu(HWND, int, int) {}
    void CmFollowLatest();
    // Destroys the window and its children now; a derived grid calls it from its own destructor, so
    // that their last messages still reach it.
    void CloseWindows();
    // The height of the follow-latest strip when it shows, else 0.
    int SnapGadgetHeight() const;
    void CreateSnapGadgets();
    OWL::TButtonGadget* FollowLatestToggle() const;
    void PressFollowLatestToggle();
    bool HasDataRows() const { return RowCount() > 0; }

private:
    // The corner boxes that are not covered by a child.
    std::vector<RECT> CornerBoxes() const;

    int m_clientWidth = 0;
    int m_clientHeight = 0;
    TableView::ChannelNames m_indexedNames;
    ITableDataManager* m_data = nullptr;
    ITableStoredRowInfo* m_rowInfo = nullptr;
    ITableUserActionHandler* m_actions = nullptr;
    IListGenerator* m_lists = nullptr;
    ULONG m_callWord = 0;
    ULONG m_notifyWord = 0;
    OWL::TFont m_font;
    OWL::TFont m_titleFont;
    // Children: owned by the window.
    GridPane* m_pane;
    GridTitleBar* m_titleBar;
    GridVScrollBar* m_verticalBar;
    GridHScrollBar* m_horizontalBar;
    RowNumbersPane* m_rowNumbers;
    SnapGadgetWindowBase* m_snapGadgets = nullptr;
    int m_scrollBarWidth;
    int m_scrollBarHeight;
    int m_rowNumberWidth = 0;
    GridOptions m_options;
    bool m_showRowHeaders = true;
    bool m_vBarShown = true;
    bool m_hBarShown = true;
    std::unique_ptr<GridSelection> m_selection;
    std::vector<Orv::String> m_choices;
    bool m_followLatest = false;
};

} // namespace TVF_Grid
