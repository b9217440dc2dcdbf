// The strip of row titles at the grid's left edge: it draws each row's label as a raised header (the
// selected rows dark), selects whole rows with the mouse and scrolls with the cell pane.
#pragma once

#include "platform/owl/window/Window.h"

namespace TVF_Grid
{

class GridControl;
class GridPane;

class RowNumbersPane : public OWL::TWindow
{
public:
    static constexpr UINT AutoScrollTimer = 1;
    static constexpr UINT AutoScrollPeriod = 25;
    // The list kind of the row context menu.
    static constexpr ULONG RowMenuList = 2;
    // Room around a label that widens the pane.
    static constexpr int LabelMargin = 4;

    RowNumbersPane(GridControl& grid, GridPane& pane);
    DECLARE_RESPONSE_TABLE(RowNumbersPane);

    // The width the table asks for; only the first request counts.
    void SetWidth(int width);
    bool HasWidth() const { return m_width >= 0; }
    // Follows the cell pane's first visible row: scrolls by the difference, or repaints all.
    void FollowPane();
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;

protected:
    bool EvEraseBkgnd(HDC) { return true; }
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonUp(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonDblClk(UINT modKeys, const OWL::TPoint& point);
    void EvRButtonUp(UINT modKeys, const OWL::TPoint& point);
    void EvContextMenu(HWND window, int x, int y);
    void EvMouseMove(UINT modKeys, const OWL::TPoint& point);
    void EvSetFocus(HWND lostFocus);
    void EvKillFocus(HWND getsFocus);
    void EvTimer(UINT timerId);

private:
    // The pane row under client y (may be past the last row).
    int RowAt(int y) const;
    void SelectRow(int row, unsigned modifiers);
    void ClickRow(int row, unsigned modifiers);
    void RepaintSelectedBand();

    GridControl& m_grid;
    GridPane& m_pane;
    int m_firstVisibleRow = 0;
    int m_autoScrollTarget = -1;
    bool m_hasFocus = false;
    bool m_autoScrolling = false;
    int m_width = -1;
};

} // namespace TVF_Grid
