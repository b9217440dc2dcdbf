// The horizontal scroll bar under a trace window: an OWL scroll bar whose scroll codes go to the data pane.
#pragma once

#include "tracedisplay/controls/ControlBase.h"

#include "platform/owl/controls/ScrollBar.h"

namespace StrixDraw
{

class ScrollBarWin : public OWL::TScrollBar, public ScrollBar
{
public:
    static constexpr int ControlId = 100;

    ScrollBarWin(OWL::TWindow* parent, ScrollListener* listener);

    void SetRect(const OWL::TRect& rect) override;
    bool IsEnabled() const override;
    void Enable(bool enable) override;
    int GetPosition() const override { return OWL::TScrollBar::GetPosition(); }
    void SetPosition(int position, bool redraw) override { OWL::TScrollBar::SetPosition(position, redraw); }
    void GetScrollInfo(SCROLLINFO& info) const override;
    void SetScrollInfo(const SCROLLINFO& info, bool redraw) override;
    int GetLineMagnitude() const override { return OWL::TScrollBar::GetLineMagnitude(); }
    int GetPageMagnitude() const override { return OWL::TScrollBar::GetPageMagnitude(); }
    void SetLineMagnitude(int value) override { OWL::TScrollBar::SetLineMagnitude(value); }
    void SetPageMagnitude(int value) override;
    void Repaint() override;

protected:
    void EvHScroll(UINT code, UINT position, HWND bar);

private:
    ScrollListener* listener_;

    DECLARE_RESPONSE_TABLE(ScrollBarWin);
};

} // namespace StrixDraw
