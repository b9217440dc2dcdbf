// A concrete data pane for tests: controls without windows that keep what they are told, lanes laid out
// evenly, and lane n showing channel n + 1.
#pragma once

#include "tracedisplay/datapane/DataPane.h"
#include "tracedisplay/tests/support/FakePaneStore.h"

#include <functional>
#include <string>
#include <vector>

namespace TraceTest
{

class FakeScrollBar : public StrixDraw::ScrollBar
{
public:
    void SetRect(const OWL::TRect& r) override { rect = r; }
    bool IsEnabled() const override { return enabled; }
    void Enable(bool enable) override { enabled = enable; }
    int GetPosition() const override { return info.nPos; }
    void SetPosition(int position, bool) override { info.nPos = position; }
    void GetScrollInfo(SCROLLINFO& out) const override { out = info; }
    void SetScrollInfo(const SCROLLINFO& in, bool redraw) override
    {
        if (in.fMask & SIF_RANGE)
            info.nMin = in.nMin, info.nMax = in.nMax;
        if (in.fMask & SIF_PAGE)
            info.nPage = in.nPage;
        if (in.fMask & SIF_POS)
            info.nPos = in.nPos;
        redrawnSets += redraw ? 1 : 0;
    }
    int GetLineMagnitude() const override { return line; }
    int GetPageMagnitude() const override { return page; }
    void SetLineMagnitude(int value) override { line = value; }
    void SetPageMagnitude(int value) override { page = value; }
    void Repaint() override { ++repaints; }

    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    OWL::TRect rect;
    bool enabled = false;
    int line = 1;
    int page = 1;
    int repaints = 0;
    int redrawnSets = 0;
};

class FakeZoomControl : public StrixDraw::ZoomControl
{
public:
    void SetRect(const OWL::TRect& r) override { rect = r; }
    bool IsEnabled() const override { return true; }
    void Enable(bool) override {}
    std::wstring FormatRatioText(LONGLONG n, LONGLONG d) const override { return StrixDraw::FormatRatio(n, d); }
    void SetRatio(LONGLONG n, LONGLONG d) override { shown = {n, d}; }
    void GetDesiredSize(OWL::TSize& size) override { size = OWL::TSize(120, 20); }
    void SetRatioText(const std::wstring&) override {}
    void SetTitle(const std::wstring&) override {}
    void ResetToggleState() override { following = false; }
    void SetToggleState(bool follow) override { following = follow; }
    StrixDraw::Ratio RatioOfCommand(UINT command) const override { return StrixDraw::RatioForCommand(command); }
    void Repaint() override {}

    OWL::TRect rect;
    StrixDraw::Ratio shown{0, 1};
    bool following = false;
};

class TestDataPane : public StrixDraw::DataPane
{
public:
    using DataPane::DataPane;
    using DataPane::InvalidateRect;

    StrixDraw::ChannelDescription DescribeLane(LONG lane) const override { return {lane + 1, NoPosition, 0}; }
    LONG LaneOfChannel(LONG channel, ULONG) const override { return channel - 1; }
    void InvalidateRect(const OWL::TRect& rect, bool) override { invalidated.push_back(rect); }

    FakeScrollBar* Bar() const { return static_cast<FakeScrollBar*>(ScrollBarControl()); }
    FakeZoomControl* Zoom() const { return static_cast<FakeZoomControl*>(ZoomControlOf()); }

    void OnChannelCountChanged(LONG) override
    {
        if (countChanged)
            countChanged();
    }

    std::vector<OWL::TRect> invalidated;
    std::vector<OWL::TRect> laidOut;
    std::function<void()> countChanged;

protected:
    std::unique_ptr<StrixDraw::ScrollBar> CreateScrollBarControl() override { return std::make_unique<FakeScrollBar>(); }
    std::unique_ptr<StrixDraw::ZoomControl> CreateZoomControl(ULONG) override
    {
        return std::make_unique<FakeZoomControl>();
    }
    void LayoutLanes(LONG x, LONG y, LONG width, LONG height, ULONG) override
    {
        laidOut.emplace_back(x, y, x + width, y + height);
    }
};

} // namespace TraceTest
