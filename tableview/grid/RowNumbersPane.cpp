#include "tableview/grid/RowNumbersPane.h"

#include "platform/owl/gdi/DC.h"
#include "tableview/grid/GridControl.h"
#include "tableview/grid/GridPane.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace TVF_Grid
{

DEFINE_RESPONSE_TABLE1(RowNumbersPane, OWL::TWindow)
    EV_WM_ERASEBKGND,
    EV_WM_LBUTTONDOWN,
    EV_WM_LBUTTONUP,
    EV_WM_LBUTTONDBLCLK,
    EV_WM_RBUTTONUP,
    EV_WM_CONTEXTMENU,
    EV_WM_MOUSEMOVE,
    EV_WM_SETFOCUS,
    EV_WM_KILLFOCUS,
    EV_WM_TIMER,
END_RESPONSE_TABLE;

namespace
{

CellPosition HeaderColumn()
{
    return {0, GridControl::ColumnOrigin};
}

CellPosition RowNumberOf(int row)
{
    return {row + GridControl::RowOrigin, GridControl::RowOrigin};
}

} // namespace

RowNumbersPane::RowNumbersPane(GridControl& grid, GridPane& pane) : OWL::TWindow(&grid), m_grid(grid), m_pane(pane)
{
}

void RowNumbersPane::SetWidth(int width)
{
    if (HasWidth())
        return;
    m_width = width;
    m_grid.SetRowNumbersWidth(width);
}

int RowNumbersPane::RowAt(int y) const
{
    return (m_pane.ScrollY() + y) / m_pane.RowHeight();
}

void RowNumbersPane::SelectRow(int row, unsigned modifiers)
{
    m_grid.Selection().MouseSelect(RowNumberOf(row), HeaderColumn(), modifiers);
}

void RowNumbersPane::ClickRow(int row, unsigned modifiers)
{
    m_grid.Selection().Click(RowNumberOf(std::min(row, m_pane.RowCount() - 1)), HeaderColumn(), modifiers);
}

void RowNumbersPane::EvLButtonDown(UINT, const OWL::TPoint& point)
{
    const int row = RowAt(point.y);
    if (row >= m_pane.RowCount())
    {
        m_grid.Selection().Clear();
        return;
    }
    SelectRow(row, m_grid.HeldModifiers());
    if (m_pane.IsWindow())
        m_pane.SetFocus();
}

void RowNumbersPane::EvLButtonUp(UINT, const OWL::TPoint& point)
{
    if (m_pane.RowCount() > 0)
        ClickRow(RowAt(point.y), m_grid.HeldModifiers());
}

void RowNumbersPane::EvLButtonDblClk(UINT, const OWL::TPoint& point)
{
    const int row = RowAt(point.y);
    if (row >= m_pane.RowCount())
        return;
    const unsigned modifiers = m_grid.HeldModifiers() | SelectModifier::DoubleClick;
    SelectRow(row, modifiers);
    ClickRow(row, modifiers);
}

void RowNumbersPane::EvRButtonUp(UINT, const OWL::TPoint& point)
{
    const int row = RowAt(point.y);
    if (row < m_pane.RowCount())
    {
        const unsigned modifiers = m_grid.HeldModifiers() | SelectModifier::RightRelease;
        SelectRow(row, modifiers);
        ClickRow(row, modifiers);
    }
    DefaultProcessing();
}

void RowNumbersPane::EvContextMenu(HWND, int x, int y)
{
    ITableUserActionHandler* actions = m_grid.Actions();
    IListGenerator* lists = m_grid.Lists();
    if (!actions || !lists)
        return;
    const CellRange& range = m_grid.Selection().Range();
    const int row = range.IsValid() ? range.firstRow.index : GridControl::RowOrigin;
    const ULONG chosen = ChooseFromList(*lists, row, 0, x, y, ::GetParent(m_grid.GetHandle()));
    if (chosen > 0)
        m_grid.OnCellMenuCommand(RowMenuList, row, GridControl::RowOrigin, 0, GridControl::ColumnOrigin, chosen - 1);
}

void RowNumbersPane::EvMouseMove(UINT, const OWL::TPoint& point)
{
    const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    const unsigned held = m_grid.HeldModifiers();
    if (!(::GetAsyncKeyState(button) & 0x8000) || (held & (SelectModifier::Ctrl | SelectModifier::Shift)) ||
        m_pane.RowCount() == 0)
        return;
    const int row = std::min(RowAt(point.y), m_pane.RowCount() - 1);
    const auto [first, end] = m_pane.VisibleRowRange();
    if (point.y < 0 && first > 0)
        m_autoScrollTarget = first - 1;
    else if (row >= end && end < m_pane.RowCount())
        m_autoScrollTarget = end;
    if (m_autoScrollTarget >= 0 && !m_autoScrolling)
    {
        m_autoScrolling = true;
        SetTimer(AutoScrollTimer, AutoScrollPeriod);
    }
    m_grid.Selection().DragTo(held, RowNumberOf(std::max(row, 0)), HeaderColumn());
}

void RowNumbersPane::EvTimer(UINT timerId)
{
    if (timerId != AutoScrollTimer)
        return;
    if (m_autoScrollTarget >= 0)
    {
        if (m_autoScrollTarget < m_pane.TopRow())
            m_grid.ScrollToRow(RowNumberOf(m_autoScrollTarget));
        else
            m_grid.ScrollRowIntoView(RowNumberOf(m_autoScrollTarget));
    }
    m_autoScrollTarget = -1;
    m_autoScrolling = false;
    KillTimer(AutoScrollTimer);
}

void RowNumbersPane::RepaintSelectedBand()
{
    const CellRange& range = m_grid.Selection().Range();
    if (range.IsValid())
    {
        const int first = range.firstRow.index - range.firstRow.origin;
        const int last = range.endRow.index - range.endRow.origin - 1;
        m_pane.InvalidateRows(first, last);
        const RECT band{0, first * m_pane.RowHeight() - m_pane.ScrollY(), GetClientRect().Width(),
                        (last + 1) * m_pane.RowHeight() - m_pane.ScrollY()};
        ::InvalidateRect(GetHandle(), &band, FALSE);
    }
    UpdateWindow();
}

void RowNumbersPane::EvSetFocus(HWND)
{
    m_hasFocus = true;
    RepaintSelectedBand();
}

void RowNumbersPane::EvKillFocus(HWND)
{
    m_hasFocus = false;
    RepaintSelectedBand();
}

void RowNumbersPane::FollowPane()
{
    if (!IsWindow())
        return;
    const int d = m_pane.TopRow() - m_firstVisibleRow;
    if (d != 0 && std::abs(d) < std::max(m_pane.PageRows(), 1))
        ::ScrollWindowEx(GetHandle(), 0, -d * m_pane.RowHeight(), nullptr, nullptr, nullptr, nullptr,
                         SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    else
        Invalidate(false);
    m_firstVisibleRow = m_pane.TopRow();
    UpdateWindow();
}

void RowNumbersPane::Paint(OWL::TDC& dc, bool, OWL::TRect& rect)
{
    const int rowHeight = m_pane.RowHeight();
    m_firstVisibleRow = m_pane.TopRow();
    OWL::SelectedObject font(dc, m_grid.CellFont());
    Orv::BackgroundMode transparent(dc, TRANSPARENT);
    const int firstRow = (m_pane.ScrollY() + rect.top) / rowHeight;
    const int endRow = (m_pane.ScrollY() + rect.bottom + rowHeight - 1) / rowHeight;

    // The labels first: one wider than the pane widens it before anything is drawn.
    std::vector<std::wstring> labels;
    int widest = 0;
    for (int row = firstRow; row < std::min(endRow, m_pane.RowCount()) && m_grid.RowHeadersShown(); ++row)
    {
        std::wostringstream label;
        const CellPosition number = RowNumberOf(row);
        m_pane.Renderer().WriteRowLabel(number.index, number.origin, label);
        labels.push_back(label.str().c_str());
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, labels.back().c_str(), static_cast<int>(labels.back().size()), &extent);
        widest = std::max<int>(widest, extent.cx + LabelMargin);
    }
    if (widest > m_grid.RowNumbersWidth())
    {
        m_grid.SetRowNumbersWidth(widest);
        m_grid.Invalidate(false);
    }

    const int width = GetClientRect().Width();
    const CellRange& range = m_grid.Selection().Range();
    for (int row = firstRow; row < endRow; ++row)
    {
        const int top = row * rowHeight - m_pane.ScrollY();
        RECT cell{0, top, width, top + rowHeight};
        const CellPosition number = RowNumberOf(row);
        const bool selected =
            range.IsValid() && number.index >= range.firstRow.index && number.index < range.endRow.index;
        ::FillRect(dc, &cell, ::GetSysColorBrush(selected ? COLOR_BTNSHADOW : COLOR_BTNFACE));
        if (!selected)
            ::DrawEdge(dc, &cell, BDR_RAISEDINNER, BF_RECT);
        ::SetTextColor(dc, selected ? RGB(255, 255, 255) : ::GetSysColor(COLOR_BTNTEXT));
        const std::size_t labelIndex = static_cast<std::size_t>(row - firstRow);
        if (labelIndex >= labels.size())
            continue;
        const std::wstring& text = labels[labelIndex];
        const UINT align =
            (m_grid.CellFormat(number.index, 0) & TableView::CellFormat::LeftAligned) ? DT_LEFT : DT_CENTER;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell, align | DT_SINGLELINE | DT_VCENTER);
    }
}

} // namespace TVF_Grid
