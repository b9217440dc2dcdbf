#include "tableview/grid/GridScrollBars.h"

#include "tableview/grid/GridControl.h"
#include "tableview/grid/GridPane.h"
#include "tableview/grid/RowNumbersPane.h"
#include "tableview/grid/RowScrolling.h"

#include <algorithm>

namespace TVF_Grid
{

namespace
{

SCROLLINFO ReadScrollInfo(HWND bar, UINT mask)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    ::GetScrollInfo(bar, SB_CTL, &info);
    return info;
}

} // namespace

DEFINE_RESPONSE_TABLE1(GridVScrollBar, OWL::TScrollBar)
    EV_WM_VSCROLL,
END_RESPONSE_TABLE;

GridVScrollBar::GridVScrollBar(GridControl& grid)
    : OWL::TScrollBar(&grid, Id, 0, 0, 0, 0, false), m_grid(grid)
{
}

void GridVScrollBar::EvVScroll(UINT code, UINT position, HWND bar)
{
    OWL::TScrollBar::EvVScroll(code, position, bar);
    m_grid.UpdateScrollBarVisibility(true);
}

void GridVScrollBar::SBLineUp() { m_grid.ScrollRows(RowDeltaOf(VerticalScrollAction::LineUp)); }
void GridVScrollBar::SBLineDown() { m_grid.ScrollRows(RowDeltaOf(VerticalScrollAction::LineDown)); }
void GridVScrollBar::SBPageUp() { m_grid.ScrollRows(RowDeltaOf(VerticalScrollAction::PageUp)); }
void GridVScrollBar::SBPageDown() { m_grid.ScrollRows(RowDeltaOf(VerticalScrollAction::PageDown)); }

int GridVScrollBar::ScrollInfo(UINT mask) const
{
    const SCROLLINFO info = ReadScrollInfo(GetHandle(), mask);
    return mask == SIF_TRACKPOS ? info.nTrackPos : info.nPos;
}

void GridVScrollBar::ShowRow(int row)
{
    if (row < 0)
        return;
    m_grid.Pane().SetTopRow(row, !m_grid.Options().scrollPastLastPage);
    SetPosition(m_grid.Pane().TopRow(), true);
    m_grid.RowNumbers().FollowPane();
}

void GridVScrollBar::SBThumbPosition(int) { ShowRow(ScrollInfo(SIF_POS)); }
void GridVScrollBar::SBThumbTrack(int) { ShowRow(ScrollInfo(SIF_TRACKPOS)); }
void GridVScrollBar::SBTop() { ShowRow(0); }
void GridVScrollBar::SBBottom() { m_grid.ScrollToBottom(); }

DEFINE_RESPONSE_TABLE1(GridHScrollBar, OWL::TScrollBar)
    EV_WM_HSCROLL,
END_RESPONSE_TABLE;

GridHScrollBar::GridHScrollBar(GridControl& grid)
    : OWL::TScrollBar(&grid, Id, 0, 0, 0, 0, true), m_grid(grid)
{
}

void GridHScrollBar::EvHScroll(UINT code, UINT position, HWND bar)
{
    OWL::TScrollBar::EvHScroll(code, position, bar);
    m_grid.UpdateScrollBarVisibility(true);
}

void GridHScrollBar::StepColumns(int delta)
{
    const int count = m_grid.ColumnCount();
    if (count == 0)
        return;
    const int origin = GridControl::ColumnOrigin;
    const int current = origin + m_grid.Pane().FirstColumn();
    const int column = std::clamp(current + delta, origin, origin + count - 1);
    if (column != current)
        m_grid.ScrollToColumn({column, origin});
}

bool GridHScrollBar::AtEnd() const
{
    const SCROLLINFO info = ReadScrollInfo(GetHandle(), SIF_RANGE | SIF_PAGE | SIF_POS);
    return info.nPos + static_cast<int>(info.nPage) >= info.nMax;
}

void GridHScrollBar::SBLineUp() { StepColumns(-1); }
void GridHScrollBar::SBPageUp() { StepColumns(-1); }

void GridHScrollBar::SBLineDown()
{
    if (!AtEnd())
        StepColumns(1);
}

void GridHScrollBar::SBPageDown() { StepColumns(1); }

void GridHScrollBar::SBThumbPosition(int)
{
    m_grid.HScrollToPixel(ReadScrollInfo(GetHandle(), SIF_POS).nPos, true);
}

void GridHScrollBar::SBThumbTrack(int)
{
    m_grid.HScrollToPixel(ReadScrollInfo(GetHandle(), SIF_TRACKPOS).nTrackPos, false);
}

void GridHScrollBar::SBTop() { m_grid.ScrollToColumn({GridControl::ColumnOrigin, GridControl::ColumnOrigin}); }
void GridHScrollBar::SBBottom() { m_grid.ScrollToLastColumns(); }

} // namespace TVF_Grid
