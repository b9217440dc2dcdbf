#include "tableview/grid/GridControl.h"

#include "controls/theme/DpiAndFonts.h"
#include "platform/owl/gadgets/ButtonGadget.h"
#include "platform/owl/gdi/DC.h"
#include "tableview/grid/GridPane.h"
#include "tableview/grid/GridScrollBars.h"
#include "tableview/grid/GridTitleBar.h"
#include "tableview/grid/RowNumbersPane.h"
#include "tableview/grid/SnapGadgetWindow.h"

#include <algorithm>
#include <sstream>

namespace TVF_Grid
{

namespace
{

constexpr int GridFontSize = 10;
constexpr int TitleMargin = 3;

bool KeyHeld(int key)
{
    return (::GetAsyncKeyState(key) & 0x8000) != 0;
}

// A raised box: light along the top and left, shadow along the bottom and right.
void DrawRaisedBox(HDC dc, const RECT& box)
{
    ::FillRect(dc, &box, ::GetSysColorBrush(COLOR_BTNFACE));
    Orv::UniquePen light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DHILIGHT)));
    Orv::UniquePen shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    const int right = box.right - 1;
    const int bottom = box.bottom - 1;
    HGDIOBJ previous = ::SelectObject(dc, light.Get());
    Orv::StrokeLines(dc, {{right, box.top}, {box.left, box.top}, {box.left, bottom}});
    ::SelectObject(dc, shadow.Get());
    Orv::StrokeLines(dc, {{box.left, bottom}, {right, bottom}, {right, box.top - 1}});
    ::SelectObject(dc, previous);
}

} // namespace

OWL::TFont MakeCellFont()
{
    return CreateShellDlgFontForPoints(nullptr, GridFontSize, false, false);
}

unsigned LeftKeyModifiers()
{
    return (KeyHeld(VK_LCONTROL) ? SelectModifier::Ctrl : 0u) | (KeyHeld(VK_LSHIFT) ? SelectModifier::Shift : 0u);
}

ULONG ChooseFromList(IListGenerator& lists, int row, int column, int x, int y, HWND owner)
{
    ULONG count = 0;
    if (FAILED(lists.GetItemCount(0, row, column, &count)) || count == 0)
        return 0;
    HMENU menu = ::CreatePopupMenu();
    for (ULONG i = 0; i < count; ++i)
    {
        Orv::String text;
        lists.GetItemText(0, row, column, i, &text);
        ::AppendMenuW(menu, MF_STRING, i + 1, text.c_str());
    }
    POINT at{x, y};
    if (x == -1 && y == -1)
        ::GetCursorPos(&at);
    const BOOL chosen =
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr);
    ::DestroyMenu(menu);
    return static_cast<ULONG>(chosen);
}

DEFINE_RESPONSE_TABLE1(GridControl, OWL::TWindow)
    EV_WM_CONTEXTMENU,
    EV_WM_ERASEBKGND,
    EV_WM_WINDOWPOSCHANGED,
    EV_WM_LBUTTONDOWN,
    EV_COMMAND(CmToggleFollowLatest, CmFollowLatest),
END_RESPONSE_TABLE;

GridControl::GridControl(OWL::TWindow* parent)
    : OWL::TWindow(parent), m_font(MakeCellFont()), m_titleFont(MakeCellFont()),
      m_scrollBarWidth(::GetSystemMetrics(SM_CXVSCROLL)), m_scrollBarHeight(::GetSystemMetrics(SM_CYHSCROLL)),
      m_selection(std::make_unique<GridSelection>(*this, false))
{
    Attr.Style |= WS_CLIPCHILDREN | WS_TABSTOP;
    m_pane = new GridPane(*this);
    m_titleBar = new GridTitleBar(*this, *m_pane);
    m_verticalBar = new GridVScrollBar(*this);
    m_horizontalBar = new GridHScrollBar(*this);
    m_rowNumbers = new RowNumbersPane(*this, *m_pane);
}

GridControl::~GridControl()
{
    CloseWindows();
}

void GridControl::CloseWindows()
{
    // An open edit is committed as when its editor loses the focus, and the children's windows close
    // while the grid state their last messages read still exists.
    if (m_pane->IsEditing())
    {
        m_pane->EndEditorInput();
        m_pane->CommitEdit();
    }
    if (IsWindow())
        ::DestroyWindow(GetHandle());
}

void GridControl::SetClient(ITableDataManager* data, ITableStoredRowInfo* rowInfo, ITableUserActionHandler* actions,
                            IListGenerator* lists, ULONG gridWord)
{
    m_data = data;
    m_rowInfo = rowInfo;
    m_actions = actions;
    m_lists = lists;
    m_callWord = m_notifyWord = gridWord;
}

ULONG GridControl::CellFormat(int row, int column) const
{
    ULONG format = TableView::CellFormat::LeftAligned;
    if (m_data)
        m_data->GetCellFormat(m_callWord, row, static_cast<ULONG>(column), &format);
    return format;
}

Orv::String GridControl::CellText(int row, int column) const
{
    Orv::String text;
    if (m_data)
        m_data->GetCellText(m_callWord, row, static_cast<ULONG>(column), &text);
    return text;
}

void GridControl::ResetSelection(bool wholeRows)
{
    m_selection = std::make_unique<GridSelection>(*this, wholeRows);
    m_options.rowSelection = wholeRows;
}

int GridControl::TitleHeight() const
{
    return m_titleFont.GetTextMetrics().tmHeight + TitleMargin;
}

int GridControl::LeastHeight() const
{
    const int bar = m_options.horizontalBarAllowed && m_hBarShown ? m_scrollBarHeight : 0;
    return TitleHeight() + 1 + m_pane->RowHeight() + bar;
}

int GridControl::HeightEndingOnWholeRow(int height) const
{
    const int bar = m_options.horizontalBarAllowed && m_hBarShown ? m_scrollBarHeight : 0;
    const int pane = height - TitleHeight() - 1 - bar;
    const int rowHeight = m_pane->RowHeight();
    if (pane <= 0 || rowHeight <= 0)
        return height;
    return height - pane % rowHeight;
}

void GridControl::SetRowNumbersWidth(int width)
{
    if (width == m_rowNumberWidth)
        return;
    m_rowNumberWidth = width;
    if (IsWindow())
    {
        LayoutChildren();
        Invalidate(false);
    }
}

int GridControl::RowCount() const
{
    return m_pane->RowCount();
}

int GridControl::ColumnCount() const
{
    return m_pane->ColumnCount();
}

void GridControl::SetupWindow()
{
    OWL::TWindow::SetupWindow();
    if (m_options.snapGadget)
        CreateSnapGadgets();
    UpdateVScrollBar();
}

void GridControl::CreateSnapGadgets()
{
    delete m_snapGadgets;
    m_snapGadgets = new SnapGadgetWindowBase(this, new OWL::TGadgetWindowFont());
    m_snapGadgets->Create();
    PressFollowLatestToggle();
    m_snapGadgets->ShowWindow(m_vBarShown ? SW_SHOW : SW_HIDE);
}

// The table window asks for the strip after its grids exist: a strip asked for before is made with the
// window.
void GridControl::ShowSnapGadgets()
{
    if (m_options.snapGadget && m_snapGadgets)
        return;
    m_options.snapGadget = true;
    if (!IsWindow())
        return;
    CreateSnapGadgets();
    LayoutChildren();
}

OWL::TButtonGadget* GridControl::FollowLatestToggle() const
{
    return m_snapGadgets ? dynamic_cast<OWL::TButtonGadget*>(m_snapGadgets->GadgetWithId(CmToggleFollowLatest))
                         : nullptr;
}

void GridControl::PressFollowLatestToggle()
{
    if (OWL::TButtonGadget* toggle = FollowLatestToggle())
        toggle->SetButtonState(m_followLatest ? OWL::TButtonGadget::Down : OWL::TButtonGadget::Up);
}

void GridControl::SetFollowLatest(bool follow)
{
    m_followLatest = follow;
    PressFollowLatestToggle();
}

int GridControl::SnapGadgetHeight() const
{
    if (!m_snapGadgets || !m_snapGadgets->IsWindow() || !m_snapGadgets->IsWindowVisible())
        return 0;
    OWL::TSize size;
    m_snapGadgets->GetDesiredSize(size);
    return size.cy;
}

void GridControl::EvWindowPosChanged(const WINDOWPOS&)
{
    DefaultProcessing();
    const OWL::TRect client = GetClientRect();
    m_clientWidth = client.Width();
    m_clientHeight = client.Height();
    UpdateScrollBarVisibility(false);
    LayoutChildren();
    for (const RECT& box : CornerBoxes())
        ::InvalidateRect(GetHandle(), &box, FALSE);
    const RECT top{0, 0, m_clientWidth, 1};
    const RECT left{0, 0, 1, m_clientHeight};
    ::InvalidateRect(GetHandle(), &top, FALSE);
    ::InvalidateRect(GetHandle(), &left, FALSE);
}

void GridControl::LayoutChildren()
{
    if (!IsWindow())
        return;
    const int h = m_hBarShown ? m_scrollBarHeight : 0;
    const int v = m_vBarShown ? m_scrollBarWidth : 0;
    const int T = TitleHeight();
    const int R = m_rowNumberWidth;
    const int W = m_clientWidth;
    const int H = m_clientHeight;
    const int P = std::max(H - T - 1 - h, 0);
    const int Q = std::max(W - R - 1 - v, 0);
    if (m_vBarShown)
    {
        // The strip reaches one pixel left of the bar, over the pane's frame, and its top two pixels
        // lie under the bar's bottom arrow, so that the bar, the strip and the frame line up.
        const int g = SnapGadgetHeight();
        if (g > 0)
            ::MoveWindow(m_snapGadgets->GetHandle(), W - v - 1, T - g + 2 + P, v, g, TRUE);
        ::MoveWindow(m_verticalBar->GetHandle(), W - v, T + 1, v, std::max(P - (g > 0 ? g - 2 : 0), 0), TRUE);
    }
    if (m_hBarShown)
        ::MoveWindow(m_horizontalBar->GetHandle(), R + 1, H - h, Q, h, TRUE);
    ::MoveWindow(m_pane->GetHandle(), R + 1, T + 1, Q, P, TRUE);
    ::MoveWindow(m_rowNumbers->GetHandle(), 1, T + 1, std::max(std::min(R, W - v), 0), P, TRUE);
    ::MoveWindow(m_titleBar->GetHandle(), R + 1, 1, Q, T, TRUE);
    if (m_vBarShown)
        UpdateVScrollBar();
    if (m_hBarShown)
        UpdateHScrollBar();
}

std::vector<RECT> GridControl::CornerBoxes() const
{
    const int T = TitleHeight();
    const int R = m_rowNumberWidth;
    const int W = m_clientWidth;
    const int H = m_clientHeight;
    const int v = m_scrollBarWidth;
    const int h = m_scrollBarHeight;
    std::vector<RECT> boxes{{1, 1, R + 1, T + 1}};
    if (m_vBarShown)
        boxes.push_back({W - v, 1, W, T + 1});
    if (m_vBarShown && m_hBarShown)
        boxes.push_back({W - v, H - h, W, H});
    if (m_hBarShown)
        boxes.push_back({1, H - h, R + 1, H});
    return boxes;
}

void GridControl::Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect)
{
    if (erase)
    {
        RECT area = rect;
        if (m_vBarShown)
            area.right = std::min<LONG>(area.right, m_clientWidth - m_scrollBarWidth);
        if (m_hBarShown)
            area.bottom = std::min<LONG>(area.bottom, m_clientHeight - m_scrollBarHeight);
        ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_WINDOW));
    }
    for (const RECT& box : CornerBoxes())
        DrawRaisedBox(dc, box);
    Orv::UniquePen shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    OWL::SelectedObject pen(dc, shadow.Get());
    Orv::StrokeLines(dc, {{m_clientWidth, 0}, {0, 0}, {0, m_clientHeight}});
}

void GridControl::UpdateScrollBarVisibility(bool relayout)
{
    if (!m_verticalBar->IsWindow())
        return;
    const int h = m_hBarShown ? m_scrollBarHeight : 0;
    const int v = m_vBarShown ? m_scrollBarWidth : 0;
    const int paneAreaWidth = m_clientWidth - m_rowNumberWidth - 1;
    const int paneAreaHeight = m_clientHeight - TitleHeight() - 1;
    const bool vertical = m_pane->TopRow() > 0 || (m_pane->RowHeight() * RowCount() > paneAreaHeight - h &&
                                                   !m_options.verticalBarOnlyWhenScrolled);
    if (vertical != m_vBarShown)
    {
        m_vBarShown = vertical;
        m_verticalBar->ShowWindow(vertical ? SW_SHOW : SW_HIDE);
        if (m_snapGadgets && m_snapGadgets->IsWindow())
            m_snapGadgets->ShowWindow(vertical ? SW_SHOW : SW_HIDE);
    }
    if (m_horizontalBar->IsWindow())
    {
        const bool horizontal =
            (m_pane->FirstColumn() > 0 || m_pane->TotalColumnsWidth() > paneAreaWidth - v) &&
            m_options.horizontalBarAllowed;
        if (horizontal != m_hBarShown)
        {
            m_hBarShown = horizontal;
            m_horizontalBar->ShowWindow(horizontal ? SW_SHOW : SW_HIDE);
        }
    }
    if (relayout)
        LayoutChildren();
}

void GridControl::UpdateVScrollBar()
{
    const int paneAreaHeight = m_clientHeight - TitleHeight() - 1 - (m_hBarShown ? m_scrollBarHeight : 0);
    const bool fits = m_pane->RowHeight() * RowCount() <= paneAreaHeight;
    if (m_pane->TopRow() == 0 && !m_options.scrollPastLastPage && (fits || m_options.verticalBarOnlyWhenScrolled))
        return;
    if (!m_verticalBar->IsWindow())
        return;
    m_verticalBar->SetRange(0, std::max(RowCount() - 1, 0), true);
    m_verticalBar->SetPageMagnitude(std::min(RowCount() - m_pane->TopRow(), m_pane->PageRows()));
    m_verticalBar->SetPosition(m_pane->TopRow(), true);
}

void GridControl::UpdateHScrollBar()
{
    const int paneAreaWidth = m_clientWidth - m_rowNumberWidth - 1 - (m_vBarShown ? m_scrollBarWidth : 0);
    if (m_pane->FirstColumn() == 0 && m_pane->TotalColumnsWidth() <= paneAreaWidth)
        return;
    if (!m_horizontalBar->IsWindow())
        return;
    int min = 0, max = 0;
    m_horizontalBar->GetRange(min, max);
    if (max != m_pane->TotalColumnsWidth())
        m_horizontalBar->SetRange(0, m_pane->TotalColumnsWidth(), true);
    const int page = m_pane->VisibleColumnsExtent();
    if (page > 0 && page != m_horizontalBar->GetPageMagnitude())
        m_horizontalBar->SetPageMagnitude(page);
}

void GridControl::SetRowCount(int count, int origin)
{
    const int n = count - origin;
    const int old = RowCount();
    if (n == old)
        return;
    m_pane->SetRowCount(n);
    m_pane->InvalidateRows(std::min(old, n), std::max(old, n));
    if (m_rowNumbers->IsWindow())
        m_rowNumbers->Invalidate(false);
    const int pageRows = m_pane->PageRows();
    if (m_pane->TopRow() > n - pageRows)
        ScrollToRow({std::max(m_pane->TopRow() - pageRows, 0) + RowOrigin, RowOrigin});
    UpdateVScrollBar();
    UpdateScrollBarVisibility(true);
}

void GridControl::ScrollToRow(CellPosition row)
{
    if (row.origin < 0 || row.index < row.origin)
        return;
    m_pane->SetTopRow(row.index - row.origin, !m_options.scrollPastLastPage);
    if (m_verticalBar->IsWindow())
        m_verticalBar->SetPosition(m_pane->TopRow(), true);
    m_rowNumbers->FollowPane();
}

void GridControl::ScrollRowIntoView(CellPosition row)
{
    if (row.index < 0 || row.origin < 0)
        return;
    const auto [first, end] = m_pane->VisibleRowRange();
    const int span = end - first - 1;
    const int index = row.index - row.origin;
    const int target = index < span ? 0 : index - span;
    ScrollToRow({target + row.origin, row.origin});
}

void GridControl::ScrollRows(int delta)
{
    const int top = m_pane->TopRow() + delta;
    if (top >= 0)
        ScrollToRow({top + RowOrigin, RowOrigin});
}

void GridControl::ScrollToBottom()
{
    ScrollToRow({RowCount() + RowOrigin, RowOrigin});
}

void GridControl::ScrollToColumn(CellPosition column)
{
    if (ColumnCount() == 0)
        return;
    const int number = std::clamp(column.index, ColumnOrigin, ColumnOrigin + ColumnCount() - 1);
    const int index = number - ColumnOrigin;
    if (index == m_pane->FirstColumn())
        return;
    m_pane->SetLeftColumn(index);
    if (m_horizontalBar->IsWindow())
        m_horizontalBar->SetPosition(m_pane->Column(m_pane->FirstColumn()).X(), true);
    if (m_titleBar->IsWindow())
        m_titleBar->Invalidate(false);
    OnLeftColumnChanged(m_pane->FirstColumn() + ColumnOrigin, ColumnOrigin);
}

void GridControl::ScrollColumns(int delta)
{
    if (ColumnCount() == 0)
        return;
    const int target = std::clamp(m_pane->FirstColumn() + delta, 0, ColumnCount() - 1);
    if (target != m_pane->FirstColumn())
        ScrollToColumn({target + ColumnOrigin, ColumnOrigin});
}

void GridControl::ScrollToLastColumns()
{
    ScrollToColumn({m_pane->FirstColumnOfLastPage() + ColumnOrigin, ColumnOrigin});
}

void GridControl::HScrollToPixel(int x, bool snap)
{
    if (ColumnCount() == 0)
        return;
    int min = 0, max = 0;
    m_horizontalBar->GetRange(min, max);
    int column = m_pane->Columns().ColumnAt(x);
    const int page = m_horizontalBar->GetPageMagnitude();
    if (x + page >= max && column != ColumnCount() - 1)
        column = m_pane->FirstColumnOfLastPage();
    if (column != m_pane->FirstColumn())
    {
        m_pane->SetLeftColumn(column);
        if (m_titleBar->IsWindow())
            m_titleBar->Invalidate(false);
        OnLeftColumnChanged(column + ColumnOrigin, ColumnOrigin);
    }
    m_horizontalBar->SetPosition(snap ? m_pane->Column(column).X() : x, true);
}

void GridControl::SetColumnWidth(int width, int column, int origin)
{
    if (ColumnCount() == 0)
        return;
    const int index = column - origin;
    m_pane->ResizeColumn(index, m_pane->Column(index).X() + width);
    if (m_pane->IsWindow())
        m_pane->Invalidate(false);
    if (m_titleBar->IsWindow())
        m_titleBar->Invalidate(false);
    OnColumnWidthChanged(column, origin, width);
}

bool GridControl::IsRowVisible(CellPosition row) const
{
    const auto [first, end] = m_pane->VisibleRowRange();
    const int index = row.index - row.origin;
    return index >= first && index < end;
}

bool GridControl::IsColumnVisible(CellPosition column) const
{
    const int index = column.index - column.origin;
    return index >= m_pane->FirstColumn() && index <= m_pane->FirstColumn() + m_pane->VisibleColumnCount();
}

int GridControl::MaxRowLabelLength()
{
    int longest = 0;
    for (int row = 0; row < RowCount(); ++row)
    {
        std::wostringstream label;
        m_pane->Renderer().WriteRowLabel(row + RowOrigin, RowOrigin, label);
        const std::wstring text = label.str();
        longest = std::max(longest, static_cast<int>(std::wstring(text.c_str()).size()));
    }
    return longest;
}

double GridControl::HScrollFraction() const
{
    int min = 0, max = 0;
    m_horizontalBar->GetRange(min, max);
    if (min == 0 && max == 0)
        return 0;
    return static_cast<double>(m_horizontalBar->GetPosition() + m_horizontalBar->GetPageMagnitude() - min) /
           (max - min);
}

void GridControl::RepaintAll()
{
    if (!IsWindow())
        return;
    Invalidate(false);
    m_pane->Invalidate(false);
    m_rowNumbers->Invalidate(false);
    m_titleBar->Invalidate(false);
}

void GridControl::RepaintSelection()
{
    RepaintAll();
}

int GridControl::GetColumnState(int, int, int column, int columnOrigin) const
{
    const int index = column - columnOrigin;
    if (index < 0 || index >= ColumnCount())
        return 0;
    return static_cast<int>(m_pane->Column(index).GetState());
}

std::unique_ptr<CellData> GridControl::CreateCellData(int row, int, int column, int) const
{
    const Orv::String text = CellText(row, column);
    if (CellFormat(row, column) & TableView::CellFormat::Channel)
        return std::make_unique<TVF_CellUint32Data>(text);
    return std::make_unique<TVF_CellStringData>(text);
}

bool GridControl::PreProcessKey(const MSG& msg)
{
    if (msg.message == WM_KEYDOWN)
        return KeyDown(static_cast<UINT>(msg.wParam), LOWORD(msg.lParam), HIWORD(msg.lParam));
    if (msg.message == WM_KEYUP)
        return KeyUp(static_cast<UINT>(msg.wParam));
    return false;
}

void GridControl::SelectCellColours(HDC dc, int row, int, int column, int, int state, const COLORREF* colour)
{
    SelectGridCellColours(dc, IsSelected(row, column), state, colour, m_options.noHighlight);
}

void GridControl::WriteRowLabel(int row, int rowOrigin, std::wostream& out)
{
    const int index = row - rowOrigin;
    if (index >= RowCount())
    {
        out << std::ends;
        return;
    }
    if (m_options.rowLabelsFromRenderer && &m_pane->Renderer() != this)
        m_pane->Renderer().WriteRowLabel(row, rowOrigin, out);
    else
        out << index + 1 << std::ends;
}

void GridControl::EvLButtonDown(UINT, const OWL::TPoint&)
{
    OnGridClicked();
}

void GridControl::CmFollowLatest()
{
    // The toggle has already changed its own state: the grid takes it, so that the two cannot part.
    const OWL::TButtonGadget* toggle = FollowLatestToggle();
    m_followLatest = toggle ? toggle->GetButtonState() == OWL::TButtonGadget::Down : !m_followLatest;
    if (m_actions && HasDataRows())
        m_actions->OnFollowLatestChanged(m_notifyWord, m_followLatest ? VARIANT_TRUE : VARIANT_FALSE);
}

} // namespace TVF_Grid
