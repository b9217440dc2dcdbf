// The cell area of a grid: it owns the columns, paints the visible cells through a back buffer by
// driving the grid's renderer, turns mouse input into selection operations, keeps the top row and the
// first visible column, and edits one cell at a time in place. Inside the pane rows and columns are
// 0-based indices; towards the grid they become (number, origin) pairs.
#pragma once

#include "platform/owl/window/Window.h"
#include "tableview/grid/CellData.h"
#include "tableview/grid/CellRange.h"
#include "tableview/grid/GridColumns.h"
#include "tableview/grid/PanePainter.h"

#include <memory>
#include <utility>
#include <vector>

namespace TVF_Grid
{

class GridControl;
class GridControlClass;
class GridItemControl;
class ControlAlias;

// A column whose rows all have the pane's row height.
class UniformGridColumn : public GridColumn
{
public:
    using GridColumn::GridColumn;
};

class GridPane : public OWL::TWindow
{
public:
    static constexpr int DefaultRowHeight = 16;
    static constexpr int EditorId = 100;
    // Rows of a drop-down editor's list, in cell heights.
    static constexpr int DropDownRows = 5;

    explicit GridPane(GridControl& grid);
    ~GridPane() override;

    DECLARE_RESPONSE_TABLE(GridPane);

    // Columns, in display order.
    void AddColumn(std::unique_ptr<GridColumn> column);
    void RemoveAllColumns();
    int ColumnCount() const { return m_columns.Count(); }
    GridColumn& Column(int index) const { return m_columns.At(index); }
    ColumnLayout& Columns() { return m_columns; }
    // The column under client x (the last when none, -1 without columns).
    int ColumnAt(int x) const { return m_columns.ColumnAt(x + m_scrollX); }

    void SetRenderer(GridRenderer* renderer) { m_renderer = renderer; }
    GridRenderer& Renderer() const { return *m_renderer; }

    int RowHeight() const { return m_rowHeight; }
    int RowCount() const { return m_rowCount; }
    void SetRowCount(int count) { m_rowCount = count; }
    int TopRow() const { return m_topRow; }
    int FirstColumn() const { return m_firstColumn; }
    int ScrollX() const { return m_scrollX; }
    int ScrollY() const { return m_scrollY; }
    int PageRows() const { return m_pageRows; }
    bool GridLines() const { return m_gridLines; }
    void SetGridLines(bool on) { m_gridLines = on; }
    int ClientWidth() const;
    int ClientHeight() const;

    // The cell's rectangle on the client area; false when it is not on the page.
    bool CellRect(int row, int column, RECT& rect) const;
    void InvalidateCell(int row, int column);
    void InvalidateRows(int first, int last);
    // The first row on the page and the row after the last one, both within the rows.
    std::pair<int, int> VisibleRowRange() const;
    void SetTopRow(int row, bool clampToLastPage);
    void SetLeftColumn(int column);
    // Moves column's right edge to right (content coordinates).
    void ResizeColumn(int column, int right);
    // After a resize: repaints what moved, moves an open editor and reports the width.
    void AfterColumnResize(int column);
    void ResetDirtyColumns() { m_columns.ResetDirtyColumns(); }
    int FirstColumnOfLastPage() const { return m_columns.FirstOfLastPage(ClientWidth()); }
    int VisibleColumnCount() const { return m_columns.VisibleCount(m_firstColumn, ClientWidth()); }
    int TotalColumnsWidth() const { return m_columns.TotalWidth(); }
    int ColumnsWidthFrom(int index) const { return m_columns.WidthFrom(index); }
    int VisibleColumnsExtent() const { return m_columns.VisibleExtent(m_firstColumn, ClientWidth()); }
    void SyncScrollOffsets();

    // In-place editing of the cell at (row, column), started by key (0 when by mouse).
    bool BeginEdit(int row, int column, UINT key);
    // Closes the editor and reports the cell data's text as the edit.
    void CommitEdit();
    // Moves the editor's input into the cell data.
    void EndEditorInput();
    // An open editor's Enter, Tab or Esc, given to the grid's keys; false when the grid has none.
    bool GridKeyDown(UINT key);
    void DestroyEditors();
    GridItemControl* Editor() const { return m_editor.get(); }
    bool IsEditing() const { return m_editor != nullptr; }
    int EditRow() const { return m_editRow; }
    int EditColumn() const { return m_editColumn; }

    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;
    const wchar_t* GetClassName() override { return L"GridPane"; }
    // Where the pane stands, for a paint pass.
    PaneView View() const;
    const BackBuffer& Buffer() const { return m_buffer; }

protected:
    void EvSize(UINT sizeType, const OWL::TSize& size);
    bool EvEraseBkgnd(HDC) { return true; }
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonUp(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonDblClk(UINT modKeys, const OWL::TPoint& point);
    void EvRButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvRButtonUp(UINT modKeys, const OWL::TPoint& point);
    void EvMouseMove(UINT modKeys, const OWL::TPoint& point);
    void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
    void EvContextMenu(HWND window, int x, int y);
    LRESULT EvDeleteRetired(WPARAM, LPARAM);

private:
    struct Hit
    {
        int row;
        int column;
        bool inside;
    };
    // strict: the left and right button presses test the far edges with <, the others with <=.
    Hit HitTest(const OWL::TPoint& point, bool strict) const;
    CellPosition RowNumber(int row) const;
    CellPosition ColumnNumber(int column) const;
    // The editor leaves the screen now; the object goes when the message that closed it has returned.
    void RetireEditor();
    void PlaceEditor(const RECT& cell);
    void StartWithKey(UINT key);

    GridControl& m_grid;
    BackBuffer m_buffer;
    ColumnLayout m_columns;
    int m_rowHeight = DefaultRowHeight;
    int m_rowCount = 0;
    int m_firstColumn = 0;
    int m_topRow = 0;
    int m_scrollX = 0;
    int m_scrollY = 0;
    int m_pageRows = 0;
    bool m_committing = false;
    GridRenderer* m_renderer;
    std::unique_ptr<GridItemControl> m_editor;
    std::unique_ptr<GridControlClass> m_editorFactory;
    std::unique_ptr<ControlAlias> m_alias;
    std::unique_ptr<CellData> m_cellData;
    std::vector<std::unique_ptr<GridItemControl>> m_retired;
    int m_editColumn = -1;
    int m_editRow = -1;
    bool m_gridLines = true;
    bool m_buttonDown = false;
};

} // namespace TVF_Grid
