// The strip of column headers above the cell pane: one raised header per column with its title, the
// selected columns dark; a press selects a column, a drag on a border resizes it, a drag of a header
// moves it (the grid reports the drop), and a right click offers the client's header menu.
#pragma once

#include "platform/owl/window/Window.h"

namespace TVF_Grid
{

class GridControl;
class GridPane;

class GridTitleBar : public OWL::TWindow
{
public:
    // A border is hit strictly within this distance of a column's right edge.
    static constexpr int BorderZone = 4;
    static constexpr int FitMargin = 4;

    GridTitleBar(GridControl& grid, GridPane& pane);
    DECLARE_RESPONSE_TABLE(GridTitleBar);

    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;
    // The column whose right edge is within the border zone of client x, or -1.
    int HitColumnBorder(int x) const;
    // The first column whose right edge lies beyond x plus the zone, or -1; remembers the grab offset.
    int HitColumn(int x);
    bool Resizing() const { return m_resizing; }
    bool Moving() const { return m_moving; }

protected:
    bool EvSetCursor(HWND window, UINT hitTest, UINT mouseMsg);
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvMouseMove(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonUp(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonDblClk(UINT modKeys, const OWL::TPoint& point);
    void EvRButtonUp(UINT modKeys, const OWL::TPoint& point);
    void EvContextMenu(HWND window, int x, int y);
    bool EvEraseBkgnd(HDC) { return true; }

private:
    void DrawHeaders(HDC dc, const RECT& rect);
    void DrawHeader(HDC dc, int column, const RECT& box, COLORREF background, COLORREF text, bool centredOnly);
    // Redraws the headers now, with the dragged header at x when moving.
    void Redraw(int mouseX);
    // The column under x, the last one when x is beyond it; -1 without columns.
    int ColumnUnder(int x);
    bool RightOfLastColumn(int x) const;
    void SelectColumn(int column, unsigned modifiers);
    void EndAtColumn(int column, unsigned modifiers);

    GridControl& m_grid;
    GridPane& m_pane;
    int m_activeColumn = -1;
    int m_resizeLeft = 0;
    bool m_resizing = false;
    bool m_moving = false;
    int m_grabOffset = 0;
};

} // namespace TVF_Grid
