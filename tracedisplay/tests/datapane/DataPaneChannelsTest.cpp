// What the data pane does for its lanes' channels: the owner's autoscale handler and the redrawn band
// of a comment or marker over the lanes.
#include "tracedisplay/tests/support/FakeTraceHost.h"
#include "tracedisplay/tests/support/TestDataPane.h"

#include "hostapi/InteractiveObjects.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace StrixDraw
{
namespace
{

using TraceTest::FakePaneSource;
using TraceTest::TestDataPane;

// Lanes 0 and 1 (channels 1 and 2) in a 400 x 300 client area, over a store.
class ChannelLanes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pane.AttachSource(0, &source, nullptr);
        pane.SetWindow(nullptr, nullptr);
        pane.SetChannelCount(2);
        pane.SetClientSize(OWL::TSize(400, 300));
        pane.invalidated.clear();
    }

    // The store outlives the pane: the strips' drawers hold what it handed them.
    FakePaneSource source;
    TestDataPane pane{nullptr, 0};
};

TEST_F(ChannelLanes, AScaleAsksTheOwnersHandlerToAutoscaleWithItsLanesChannel)
{
    std::vector<std::pair<LONG, LONG>> asked;
    pane.OwnerHandlers().autoScale = [&](const ChannelDescription& entry, LONG axis) {
        asked.emplace_back(entry.channel, axis);
    };
    pane.Lane(1)->OnAutoScale(2);
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{2, 2}}), asked);
}

class Marker : public TraceTest::Uncounted<IMarkerArea>
{
public:
    HRESULT STDMETHODCALLTYPE GetChannel(LONG* out) override
    {
        *out = channel;
        return onChannel ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetHalfWidth(LONG* out) override
    {
        *out = half;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE MeasureHalfWidth(HDC, ULONG flags, LONG* out) override
    {
        measured.push_back(flags);
        *out = flags == 0x601 ? 6 : 2;
        return S_OK;
    }

    bool onChannel = true;
    LONG channel = 2;
    LONG half = 3;
    std::vector<ULONG> measured;

protected:
    bool Answers(REFIID iid) const override { return iid == IID_IMarkerArea; }
};

TEST_F(ChannelLanes, AMarkersBandIsRedrawnOnItsChannelsLaneOrOnEveryStrip)
{
    const struct
    {
        bool onChannel;
        LONG channel;
        LONG half;
        LONG x;
        HRESULT result;
        size_t strips;    // strips whose band was invalidated
        LONG left, right; // the band
    } cases[] = {
        {true, 2, 3, 100, S_OK, 1, 97, 104},
        {false, 0, 3, 100, S_OK, 3, 97, 104},
        {true, 5, 3, 100, S_FALSE, 0, 0, 0},
        {true, 1, -1, 100, S_OK, 1, 94, 107},
        {true, 1, 3, 398, S_OK, 1, 395, 399},
        {true, 1, 3, 500, S_FALSE, 0, 0, 0},
    };
    for (const auto& c : cases)
    {
        Marker marker;
        marker.onChannel = c.onChannel;
        marker.channel = c.channel;
        marker.half = c.half;
        pane.invalidated.clear();
        EXPECT_EQ(c.result, pane.InvalidateObjectArea(pane.StripAtX(c.x), &marker))
            << c.x << " " << c.channel;
        ASSERT_EQ(c.strips, pane.invalidated.size()) << c.x << " " << c.channel;
        for (const OWL::TRect& band : pane.invalidated)
        {
            EXPECT_EQ(c.left, band.left);
            EXPECT_EQ(c.right, band.right);
        }
        if (c.strips == 1)
        {
            EXPECT_EQ(pane.Lane(c.channel - 1)->Rect().top, pane.invalidated[0].top);
        }
        const std::vector<ULONG> measured =
            c.half < 0 ? std::vector<ULONG>{0x401, 0x601} : std::vector<ULONG>{};
        EXPECT_EQ(measured, marker.measured);
    }
    EXPECT_EQ(E_NOINTERFACE, pane.InvalidateObjectArea(0, nullptr));
}

} // namespace
} // namespace StrixDraw
