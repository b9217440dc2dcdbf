#include "tableview/grid/GridPane.h"

#include "platform/owl/gdi/DC.h"
#include "tableview/grid/EditorKeys.h"
#include "tableview/grid/GridControl.h"
#include "tableview/grid/GridActions.h"
#include "tableview/grid/GridEditors.h"
#include "tableview/grid/RowNumbersPane.h"
#include "tableview/grid/RowScrolling.h"

#include <algorithm>
#include <cstdlib>

namespace TVF_Grid
{

namespace
{

// Retired editors are deleted once the message that closed them has returned.
constexpr UINT WmDeleteRetired = WM_APP + 0x47;

bool PrimaryButtonDown()
{
    const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (::GetAsyncKeyState(button) & 0x8000) != 0;
}

} // namespace

DEFINE_RESPONSE_TABLE1(GridPane, OWL::TWindow)
    EV_WM_SIZE,
    EV_WM_ERASEBKGND,
    EV_WM_LBUTTONDOWN,
    EV_WM_LBUTTONUP,
    EV_WM_LBUTTONDBLCLK,
    EV_WM_RBUTTONDOWN,
    EV_WM_RBUTTONUP,
    EV_WM_MOUSEMOVE,
    EV_WM_KEYDOWN,
    EV_WM_CONTEXTMENU,
    EV_MESSAGE(WmDeleteRetired, EvDeleteRetired),
END_RESPONSE_TABLE;

GridPane::GridPane(GridControl& grid) : OWL::TWindow(&grid), m_grid(grid), m_renderer(&grid)
{
}

GridPane::~GridPane()
{
    // An editor closing now must not call back into a pane that is going.
    if (m_editor)
        m_editor->SetAlias(nullptr);
}

void GridPane::AddColumn(std::unique_ptr<GridColumn> column)
{
    m_columns.Add(std::move(column));
}

void GridPane::RemoveAllColumns()
{
    m_columns.Clear();
    m_firstColumn = 0;
    m_scrollX = 0;
}

int GridPane::ClientWidth() const
{
    return IsWindow() ? GetClientRect().Width() : 0;
}

int GridPane::ClientHeight() const
{
    return IsWindow() ? GetClientRect().Height() : 0;
}

PaneView GridPane::View() const
{
    PaneView view;
    view.rowHeight = m_rowHeight;
    view.rowCount = m_rowCount;
    view.topRow = m_topRow;
    view.scrollX = m_scrollX;
    view.scrollY = m_scrollY;
    view.clientWidth = ClientWidth();
    view.clientHeight = ClientHeight();
    view.gridLines = m_gridLines;
    view.rowOrigin = GridControl::RowOrigin;
    view.columnOrigin = GridControl::ColumnOrigin;
    return view;
}

void GridPane::Paint(OWL::TDC& dc, bool, OWL::TRect& rect)
{
    m_buffer.Paint(dc, rect, View(), m_columns, *m_renderer, m_grid);
}

bool GridPane::CellRect(int row, int column, RECT& rect) const
{
    if (row < m_topRow || row > m_topRow + m_pageRows || m_columns.Count() == 0)
        return false;
    const GridColumn& c = m_columns.At(column);
    const int left = c.X() - m_scrollX;
    const int right = c.Right() - m_scrollX;
    if (right < 0 || left > ClientWidth())
        return false;
    const int top = row * m_rowHeight - m_scrollY;
    rect = {left, top, right, top + m_rowHeight - 1};
    return true;
}

void GridPane::InvalidateCell(int row, int column)
{
    RECT cell;
    if (IsWindow() && CellRect(row, column, cell))
        ::InvalidateRect(GetHandle(), &cell, TRUE);
}

void GridPane::InvalidateRows(int first, int last)
{
    if (!IsWindow())
        return;
    const RECT strip{0, first * m_rowHeight - m_scrollY, ClientWidth(), (last + 1) * m_rowHeight - m_scrollY};
    if (strip.bottom > 0 && strip.top < ClientHeight())
        ::InvalidateRect(GetHandle(), &strip, TRUE);
}

std::pair<int, int> GridPane::VisibleRowRange() const
{
    const int end = std::min(m_rowCount, m_topRow + m_pageRows);
    return {std::min(m_topRow, end), std::max(m_topRow, end)};
}

void GridPane::SyncScrollOffsets()
{
    m_scrollX = m_columns.Count() ? m_columns.At(m_firstColumn).X() : 0;
    m_scrollY = m_topRow * m_rowHeight;
}

void GridPane::SetTopRow(int row, bool clampToLastPage)
{
    int top = std::max(row, 0);
    if (top == m_topRow)
        return;
    top = ClampedTopRow(top, m_rowCount, m_pageRows, clampToLastPage && m_firstColumn < m_columns.Count());
    if (top == m_topRow)
        return;
    const int shift = (m_topRow - top) * m_rowHeight;
    m_topRow = top;
    SyncScrollOffsets();
    if (!IsWindow())
        return;
    if (std::abs(shift) < ClientHeight())
        ::ScrollWindowEx(GetHandle(), 0, shift, nullptr, nullptr, nullptr, nullptr,
                         SW_INVALIDATE | SW_ERASE | SW_SCROLLCHILDREN);
    else
        Invalidate();
}

void GridPane::SetLeftColumn(int column)
{
    int c = std::max(column, 0);
    if (c == m_firstColumn || c >= m_columns.Count())
        return;
    c = std::min(c, FirstColumnOfLastPage());
    const int shift = m_columns.At(c).X() - m_columns.At(m_firstColumn).X();
    m_firstColumn = c;
    SyncScrollOffsets();
    if (!IsWindow())
        return;
    if (std::abs(shift) < ClientWidth())
        ::ScrollWindowEx(GetHandle(), -shift, 0, nullptr, nullptr, nullptr, nullptr,
                         SW_INVALIDATE | SW_ERASE | SW_SCROLLCHILDREN);
    else
        Invalidate();
    UpdateWindow();
}

void GridPane::ResizeColumn(int column, int right)
{
    m_columns.Resize(column, right);
}

void GridPane::AfterColumnResize(int column)
{
    if (IsWindow())
    {
        const RECT moved{m_columns.DirtyLeft() - m_scrollX, 0, m_columns.ContentRight() - m_scrollX + 1,
                         ClientHeight()};
        ::InvalidateRect(GetHandle(), &moved, TRUE);
    }
    RECT cell;
    if (m_editor && CellRect(m_editRow, m_editColumn, cell))
        PlaceEditor(cell);
    const int origin = GridControl::ColumnOrigin;
    m_grid.OnColumnWidthChanged(column + origin, origin, m_columns.At(column).Width());
}

CellPosition GridPane::RowNumber(int row) const
{
    return {row + GridControl::RowOrigin, GridControl::RowOrigin};
}

CellPosition GridPane::ColumnNumber(int column) const
{
    return {column + GridControl::ColumnOrigin, GridControl::ColumnOrigin};
}

GridPane::Hit GridPane::HitTest(const OWL::TPoint& point, bool strict) const
{
    Hit hit{static_cast<int>((point.y + m_scrollY) / m_rowHeight), ColumnAt(point.x), false};
    if (m_columns.Count() == 0)
        return hit;
    const GridColumn& last = m_columns.At(m_columns.Count() - 1);
    const int right = last.X() - m_scrollX + last.Width();
    const int bottom = m_rowHeight * m_rowCount - m_scrollY;
    hit.inside = strict ? point.x < right && point.y < bottom : point.x <= right && point.y <= bottom;
    hit.inside = hit.inside && point.x >= 0 && point.y >= 0 && hit.row < m_rowCount;
    return hit;
}

void GridPane::EvSize(UINT sizeType, const OWL::TSize& size)
{
    OWL::TWindow::EvSize(sizeType, size);
    m_pageRows = size.cy / m_rowHeight;
}

void GridPane::EvLButtonDown(UINT, const OWL::TPoint& point)
{
    SetFocus();
    m_buttonDown = true;
    const Hit hit = HitTest(point, true);
    if (!hit.inside)
    {
        m_grid.Selection().Clear();
        return;
    }
    m_grid.Selection().MouseSelect(RowNumber(hit.row), ColumnNumber(hit.column), m_grid.HeldModifiers());
    const ULONG format = m_grid.CellFormat(RowNumber(hit.row).index, ColumnNumber(hit.column).index);
    if (format & (TableView::CellFormat::Editable | TableView::CellFormat::Channel))
        BeginEdit(hit.row, hit.column, 0);
}

void GridPane::EvLButtonUp(UINT modKeys, const OWL::TPoint& point)
{
    m_buttonDown = false;
    if (m_grid.Options().rowSelection)
    {
        m_grid.RowNumbers().HandleMessage(WM_LBUTTONUP, modKeys, MAKELPARAM(0, point.y));
        return;
    }
    const Hit hit = HitTest(point, false);
    m_grid.Selection().Click(RowNumber(hit.row), ColumnNumber(hit.column), m_grid.HeldModifiers());
}

void GridPane::EvLButtonDblClk(UINT modKeys, const OWL::TPoint& point)
{
    DefaultProcessing();
    if (m_grid.Options().rowSelection)
    {
        m_grid.RowNumbers().HandleMessage(WM_LBUTTONDBLCLK, modKeys, MAKELPARAM(0, point.y));
        return;
    }
    const Hit hit = HitTest(point, false);
    if (!hit.inside)
        return;
    const CellPosition row = RowNumber(hit.row);
    const CellPosition column = ColumnNumber(hit.column);
    m_grid.Selection().SetRange({row, {row.index + 1, row.origin}, column, {column.index + 1, column.origin}});
    m_grid.Selection().Click(row, column, m_grid.HeldModifiers() | SelectModifier::DoubleClick);
    const ULONG format = m_grid.CellFormat(row.index, column.index);
    if (m_grid.Options().editing && (format & TableView::CellFormat::EditOnDoubleClick))
    {
        if (m_editor)
        {
            EndEditorInput();
            CommitEdit();
        }
        if (hit.row < m_rowCount && hit.column < m_columns.Count())
            BeginEdit(hit.row, hit.column, 0);
    }
}

void GridPane::EvRButtonDown(UINT, const OWL::TPoint& point)
{
    SetFocus();
    const Hit hit = HitTest(point, true);
    if (hit.inside)
        m_grid.Selection().MouseSelect(RowNumber(hit.row), ColumnNumber(hit.column),
                                       m_grid.HeldModifiers() | SelectModifier::RightRelease);
    else
        m_grid.Selection().Clear();
}

void GridPane::EvRButtonUp(UINT, const OWL::TPoint& point)
{
    const Hit hit = HitTest(point, false);
    if (!hit.inside)
        return;
    m_grid.Selection().Click(RowNumber(hit.row), ColumnNumber(hit.column),
                             m_grid.HeldModifiers() | SelectModifier::RightRelease);
    DefaultProcessing();
}

void GridPane::EvMouseMove(UINT modKeys, const OWL::TPoint& point)
{
    if (m_grid.Options().rowSelection)
    {
        m_grid.RowNumbers().HandleMessage(WM_MOUSEMOVE, modKeys, MAKELPARAM(0, point.y));
        return;
    }
    if (m_rowCount == 0 || m_columns.Count() == 0 || !PrimaryButtonDown())
        return;
    const unsigned held = m_grid.HeldModifiers();
    if (held & (SelectModifier::Ctrl | SelectModifier::Shift))
        return;
    Hit hit = HitTest(point, false);
    hit.row = std::clamp(hit.row, 0, m_rowCount - 1);
    m_grid.Selection().DragTo(held, RowNumber(hit.row), ColumnNumber(hit.column));
    if (hit.column >= m_firstColumn + VisibleColumnCount())
        m_grid.ScrollColumns(1);
    if (hit.row >= VisibleRowRange().second)
        m_grid.ScrollRows(1);
}

bool GridPane::GridKeyDown(UINT key)
{
    return m_grid.KeyDown(key, 1, 0);
}

void GridPane::EvKeyDown(UINT key, UINT repeatCount, UINT flags)
{
    if (!m_grid.KeyDown(key, repeatCount, flags))
        DefaultProcessing();
}

void GridPane::EvContextMenu(HWND, int x, int y)
{
    ITableUserActionHandler* actions = m_grid.Actions();
    IListGenerator* lists = m_grid.Lists();
    const CellRange& range = m_grid.Selection().Range();
    if (!actions || !lists || !range.IsSingleCell())
        return;
    const int row = range.firstRow.index;
    const int column = range.firstColumn.index;
    const ULONG chosen = ChooseFromList(*lists, row, column, x, y, ::GetParent(GetHandle()));
    if (chosen > 0)
        m_grid.OnCellMenuCommand(GridActions::CellMenuList, row, range.firstRow.origin, column,
                                 range.firstColumn.origin, chosen - 1);
}

bool GridPane::BeginEdit(int row, int column, UINT key)
{
    RECT cell;
    if (!CellRect(row, column, cell) || m_committing)
        return false;
    const CellPosition rowNumber = RowNumber(row);
    const int columnId = m_columns.At(column).Id();
    const CellPosition columnNumber = ColumnNumber(columnId);
    std::unique_ptr<CellData> data =
        m_grid.CreateCellData(rowNumber.index, rowNumber.origin, columnNumber.index, columnNumber.origin);
    const ULONG format = m_grid.CellFormat(rowNumber.index, columnNumber.index);
    std::unique_ptr<GridControlClass> factory;
    if (m_grid.Options().editing || (format & TableView::CellFormat::Channel))
    {
        factory = std::make_unique<GridText>();
        if (format & TableView::CellFormat::Placeholder)
            if (auto* text = dynamic_cast<CellStringData*>(data.get()))
                text->SetString(Orv::String());
    }
    if (format & TableView::CellFormat::Channel)
    {
        m_grid.Selection().ForgetGesture();
        auto list = std::make_unique<GridStringList>();
        for (const Orv::String& choice : m_grid.ChoiceList())
            list->Add(choice);
        factory = std::move(list);
    }
    GridItemControl* made = factory && data ? factory->CreateEditor(*this, *data) : nullptr;
    if (!made)
    {
        DestroyEditors();
        return false;
    }
    RetireEditor();
    m_editor.reset(made);
    m_editorFactory = std::move(factory);
    m_cellData = std::move(data);
    OWL::TWindow& window = m_editor->Window();
    if (!window.IsWindow())
    {
        window.Create();
        m_alias = std::make_unique<ControlAlias>(window.GetHandle(), *this, column, row);
        m_editor->SetAlias(m_alias.get());
    }
    m_editor->TransferCell(false);
    window.SetWindowFont(m_grid.CellFont(), false);
    m_editRow = row;
    m_editColumn = column;
    PlaceEditor(cell);
    window.ShowWindow(SW_SHOW);
    window.SetFocus();
    StartWithKey(key);
    if (!m_grid.IsColumnVisible(ColumnNumber(column + 1)))
        m_grid.ScrollToColumn(ColumnNumber(column + 1));
    if (!m_grid.IsRowVisible(RowNumber(row + 1)))
        m_grid.ScrollRowIntoView(RowNumber(row + 1));
    return true;
}

void GridPane::PlaceEditor(const RECT& cell)
{
    RECT place = cell;
    OWL::TWindow& window = m_editor->Window();
    if (dynamic_cast<StringComboBox*>(m_editor.get()))
    {
        const int height = cell.bottom - cell.top;
        window.SendMessage(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
        window.SendMessage(CB_SETITEMHEIGHT, 0, height);
        place.bottom = place.top + DropDownRows * height;
    }
    ::MoveWindow(window.GetHandle(), place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

void GridPane::StartWithKey(UINT key)
{
    auto* edit = dynamic_cast<GridEditCtrl*>(m_editor.get());
    if (!edit)
        return;
    edit->SetSelection(0, -1);
    const std::optional<wchar_t> typed = EditorStartCharacter(key);
    if (!typed)
        return;
    const wchar_t text[2] = {*typed, 0};
    if (m_grid.Options().typedKeyReplacesSelection)
        edit->SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    else
        edit->SetWindowText(text);
    edit->SetSelection(1, 1);
}

void GridPane::EndEditorInput()
{
    if (m_editor)
        m_editor->TransferCell(true);
}

void GridPane::CommitEdit()
{
    if (m_committing || !m_editor)
        return;
    m_committing = true;
    const Orv::String text = m_cellData ? m_cellData->GetString() : Orv::String();
    const int row = m_editRow;
    const int columnId = m_editColumn >= 0 && m_columns.Count() ? m_columns.At(m_editColumn).Id() : -1;
    DestroyEditors();
    const int ro = GridControl::RowOrigin;
    const int co = GridControl::ColumnOrigin;
    m_grid.OnCellEdited(row + ro, ro, columnId + co, co, text);
    if (IsWindow())
        SetFocus();
    m_committing = false;
}

void GridPane::RetireEditor()
{
    if (!m_editor)
        return;
    m_editor->SetAlias(nullptr);
    if (m_editor->Window().IsWindow())
        m_editor->Window().ShowWindow(SW_HIDE);
    m_retired.push_back(std::move(m_editor));
    if (IsWindow())
        PostMessage(WmDeleteRetired);
}

void GridPane::DestroyEditors()
{
    RetireEditor();
    m_alias.reset();
    m_editorFactory.reset();
    m_cellData.reset();
    m_editRow = m_editColumn = -1;
}

LRESULT GridPane::EvDeleteRetired(WPARAM, LPARAM)
{
    m_retired.clear();
    return 0;
}

} // namespace TVF_Grid
