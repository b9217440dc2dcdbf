// The grid's scroll bars: every scroll action becomes a row or column move of the grid, and the grid
// then sets the bar's position from where it scrolled to. The vertical bar counts rows, the horizontal
// bar pixels; columns scroll by whole columns.
#pragma once

#include "platform/owl/controls/ScrollBar.h"

namespace TVF_Grid
{

class GridControl;

class GridVScrollBar : public OWL::TScrollBar
{
public:
    static constexpr int Id = 100;

    explicit GridVScrollBar(GridControl& grid);
    DECLARE_RESPONSE_TABLE(GridVScrollBar);

    void SBLineUp() override;
    void SBLineDown() override;
    void SBPageUp() override;
    void SBPageDown() override;
    void SBThumbPosition(int thumbPosition) override;
    void SBThumbTrack(int thumbPosition) override;
    void SBTop() override;
    void SBBottom() override;

protected:
    void EvVScroll(UINT code, UINT position, HWND bar);

private:
    // Makes row the top row (clamped by the grid) and puts the bar and the row numbers on it.
    void ShowRow(int row);
    int ScrollInfo(UINT mask) const;

    GridControl& m_grid;
};

class GridHScrollBar : public OWL::TScrollBar
{
public:
    static constexpr int Id = 101;

    explicit GridHScrollBar(GridControl& grid);
    DECLARE_RESPONSE_TABLE(GridHScrollBar);

    void SBLineUp() override;
    void SBLineDown() override;
    void SBPageUp() override;
    void SBPageDown() override;
    void SBThumbPosition(int thumbPosition) override;
    void SBThumbTrack(int thumbPosition) override;
    void SBTop() override;
    void SBBottom() override;

protected:
    void EvHScroll(UINT code, UINT position, HWND bar);

private:
    // Shows the column first + delta, kept within the columns.
    void StepColumns(int delta);
    bool AtEnd() const;

    GridControl& m_grid;
};

} // namespace TVF_Grid
