#include "foundation/com/ResultCodes.h"
#include "foundation/streams/BinaryStream.h"
#include "tracedisplay/drawers/DrawerBase.h"
#include "tracedisplay/panes/ChannelPane.h"
#include "tracedisplay/tests/support/FakeScale.h"
#include "tracedisplay/tests/support/ScaleDrawer.h"
#include "tracedisplay/tests/support/FakeTraceHost.h"
#include "tracedisplay/tests/support/TestFrame.h"

#include "graph/scales/ScaleControlFactory.h"
#include "hostframework/tests/FrameworkTestSupport.h"
#include "hostapi/HostAcquisition.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <sstream>

namespace StrixDraw
{
namespace
{

using TraceTest::FakePane;
using TraceTest::FakeScale;

// The widths of the left and the right scale.
constexpr LONG Placement[2] = {30, 20};
constexpr ULONG BothAxes = AxisFlag::FirstAxis | AxisFlag::SecondAxis;

using TraceTest::ScaleDrawer;

// Hands out the lane's scales, the first and then the second.
class FakeScaleFactory : public TraceTest::Uncounted<IScaleControlFactory>
{
public:
    HRESULT STDMETHODCALLTYPE CreateScale(HWND, LONG, ULONG, IScaleControl**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateScaleWindow(HWND, LONG, LONG, LONG, LONG, IScaleControl**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateTraceScale(HWND parent, LONG, LONG, ULONG style, LONG axis,
                                               IScaleControl** control) override
    {
        made.push_back({parent, style, axis});
        *control = &scales[axis - 1];
        return S_OK;
    }

    struct Made
    {
        HWND parent;
        ULONG style;
        LONG axis;
    };
    std::vector<Made> made;
    FakeScale scales[2];

protected:
    bool Answers(REFIID iid) const override { return iid == IID_IScaleControlFactory; }
};

struct Lane
{
    explicit Lane(ULONG stateFlags = 0, ULONG axes = BothAxes)
    {
        owner.stateFlags = stateFlags;
        owner.scaleFactory = &factory;
        pane = Orv::ComPtr<ChannelPane>(new ChannelPane(3, &owner, axes, 0));
        pane->CreateScales(reinterpret_cast<HWND>(0x1234), 0);
    }
    void Add(ScaleDrawer* drawer) { pane->AddDrawer(0, Orv::ComPtr<IStrixRecordDrawer>(drawer).Get(), OpaqueAlpha); }
    FakeScale& First() { return factory.scales[0]; }
    FakeScale& Second() { return factory.scales[1]; }

    FakePane owner;
    FakeScaleFactory factory;
    Orv::ComPtr<ChannelPane> pane;
};

TEST(ChannelPaneTest, AxisRangesReachTheScaleInDisplayUnitsAndAreShownOnlyWhenForcedOrPending)
{
    using Pairs = std::vector<std::pair<double, double>>;
    struct Case
    {
        ULONG kind;
        bool push, force, pending;
        bool expected;
        Pairs pushed, shown;
    } cases[] = {
        {6, true, false, false, true, {{1000.0, 2000.0}}, {}},
        {8, true, false, false, true, {{1.0, 2.0}}, {}},
        {0, false, false, false, false, {}, {}},
        {1, false, true, false, true, {}, {{1.0, 2.0}}},
        {6, true, false, true, true, {{1000.0, 2000.0}}, {{1000.0, 2000.0}}},
    };
    for (const Case& c : cases)
    {
        Lane lane;
        lane.pane->SetDisplayUnit(1, {L'm', 1000.0, c.kind});
        if (c.pending)
            lane.pane->SetRangePending(1);
        EXPECT_EQ(c.expected, lane.pane->SetAxisRange(1, 1.0, 2.0, c.push, c.force)) << c.kind;
        EXPECT_EQ(c.pushed, lane.First().extentCalls) << c.kind;
        EXPECT_EQ(c.shown, lane.First().limitCalls) << c.kind;
        EXPECT_FALSE(lane.pane->RangePending(1) && (c.push || c.force));
    }
}

TEST(ChannelPaneTest, EmptyRangesAndMissingScalesAreRefused)
{
    Lane lane;
    lane.pane->SetRangePending(2);
    EXPECT_FALSE(lane.pane->SetAxisRange(2, 5.0, 5.0, true, true));
    EXPECT_EQ(E_FAIL, lane.pane->ApplyAxisRange(2, 5.0, 5.0));
    EXPECT_TRUE(lane.Second().limitCalls.empty());
    EXPECT_TRUE(lane.pane->RangePending(2));
    EXPECT_EQ(S_OK, lane.pane->ApplyAxisRange(2, -1.0, 1.0));
    EXPECT_FALSE(lane.pane->RangePending(2));
    lane.Second().refuseLimits = true;
    EXPECT_EQ(E_FAIL, lane.pane->ApplyAxisRange(2, -1.0, 1.0));

    Lane firstOnly(0, AxisFlag::FirstAxis);
    EXPECT_FALSE(firstOnly.pane->SetAxisRange(2, 0.0, 1.0, true, true));
    EXPECT_EQ(E_FAIL, firstOnly.pane->ApplyAxisRange(2, 0.0, 1.0));
    EXPECT_EQ(E_FAIL, firstOnly.pane->AutoScaleAxis(2));
}

TEST(ChannelPaneTest, AutoscalingAsksTheDraggableScaleOfAxisOneOrTwoOnly)
{
    Lane lane;
    lane.Second().autoScaleResult = S_FALSE;
    EXPECT_EQ(S_OK, lane.pane->AutoScaleAxis(1));
    EXPECT_EQ(S_FALSE, lane.pane->AutoScaleAxis(2));
    EXPECT_EQ(E_FAIL, lane.pane->AutoScaleAxis(3));
    EXPECT_EQ(E_FAIL, lane.pane->AutoScaleAxis(0));
    EXPECT_EQ(1, lane.First().autoScales);
    EXPECT_EQ(1, lane.Second().autoScales);

    // A double click on the scale tells the pane's observers, then autoscales.
    EXPECT_EQ(S_OK, lane.pane->OnAutoScale(1));
    EXPECT_EQ(2, lane.First().autoScales);
    ASSERT_EQ(1u, lane.owner.notices.size());
    EXPECT_EQ(ScaleAutoScaleMsg::Id(), lane.owner.notices[0].id);
}

TEST(ChannelPaneTest, DrawingOnlyPanesMakePlainScalesThatNeitherDragNorAutoscale)
{
    Lane lane(PaneState::DrawingOnly);
    ASSERT_EQ(2u, lane.factory.made.size());
    for (const auto& made : lane.factory.made)
    {
        EXPECT_EQ(nullptr, made.parent);
        EXPECT_EQ(0x08u, made.style & 0x18u);
    }
    EXPECT_EQ(0u, lane.factory.made[0].style & 0x02u);
    EXPECT_EQ(0x02u, lane.factory.made[1].style & 0x02u);
    EXPECT_EQ(E_FAIL, lane.pane->AutoScaleAxis(1));
    EXPECT_EQ(E_FAIL, lane.pane->OnAutoScale(2));
    EXPECT_FALSE(lane.pane->SetAxisRange(1, 0.0, 1.0, true, false));
    EXPECT_TRUE(lane.pane->SetAxisRange(1, 0.0, 1.0, true, true));

    // The plain scales let the lane go too, or each would keep the lane and the lane its scale.
    lane.First().AddObserver(lane.pane.Get());
    lane.Second().AddObserver(lane.pane.Get());
    lane.pane->DetachScales();
    EXPECT_TRUE(lane.First().observers.empty());
    EXPECT_TRUE(lane.Second().observers.empty());
}

TEST(ChannelPaneTest, RecordRangesWriteUnitsWithTheDisplayPrefix)
{
    struct Case
    {
        const wchar_t* units;
        ULONG kind;
        const wchar_t* shown;
    } cases[] = {
        {L"V", 6, L"mV"}, {L"V", 8, L"V"}, {L"V", 1, L"V"}, {L" ", 6, L" "}, {L"", 6, L""},
    };
    for (const Case& c : cases)
    {
        Lane lane;
        lane.pane->SetDisplayUnit(1, {L'm', 1000.0, c.kind});
        lane.Add(new ScaleDrawer(1, c.units, true, -10.0, 10.0));
        lane.pane->SetRecordRange(0, 2);
        EXPECT_EQ(std::wstring(c.shown), lane.First().units) << c.units << c.kind;
        EXPECT_EQ(*c.units && *c.units != L' ', lane.First().unitsTransformGiven) << c.units;
        EXPECT_EQ(-10.0, lane.First().range[0]);
        EXPECT_EQ(10.0, lane.First().range[1]);
    }
}

TEST(ChannelPaneTest, RecordRangesTellTheScalesAndObserversWhereDataAre)
{
    Lane lane(PaneState::NoAutoScaleWithoutRecord);
    lane.Add(new ScaleDrawer(2, L"mmHg", true, 0.0, 1.0));
    lane.pane->SetRecordRange(0, 4);
    EXPECT_FALSE(lane.pane->HasData(1));
    EXPECT_TRUE(lane.pane->HasData(2));
    EXPECT_EQ(VARIANT_FALSE, lane.First().hasData);
    EXPECT_EQ(VARIANT_FALSE, lane.First().canAutoScale);
    EXPECT_NE(VARIANT_FALSE, lane.Second().hasData);
    EXPECT_NE(VARIANT_FALSE, lane.Second().canAutoScale);
    ASSERT_EQ(2u, lane.owner.notices.size());
    EXPECT_EQ(ChannelUnitsUpdatedMsg::Id(), lane.owner.notices[0].id);
    EXPECT_EQ(ChannelUnitsUpdatedAgainMsg::Id(), lane.owner.notices[1].id);
    EXPECT_EQ(0, lane.owner.notices[1].hasData[0]);
    EXPECT_EQ(1, lane.owner.notices[1].hasData[1]);

    // Without a record in view the scale may not autoscale even with data.
    lane.pane->SetRecordRange(ChannelPane::NoRecord, ChannelPane::NoRecord);
    EXPECT_NE(VARIANT_FALSE, lane.Second().hasData);
    EXPECT_EQ(VARIANT_FALSE, lane.Second().canAutoScale);

    // Fixed units: the pane leaves the scales and its observers alone.
    lane.pane->SetFixedUnits(0);
    lane.pane->SetRecordRange(0, 4);
    EXPECT_EQ(4u, lane.owner.notices.size());

    FakePane owner;
    Orv::ComPtr<ChannelPane> unscaled(new ChannelPane(0, &owner, BothAxes, 0));
    unscaled->SetRecordRange(0, 4);
    EXPECT_TRUE(owner.notices.empty());
}

TEST(ChannelPaneTest, DataExtentsJoinTheDrawersOfTheAxis)
{
    Lane lane;
    double low = 0.0, high = 0.0;
    VARIANT_BOOL raw = 0;
    EXPECT_EQ(S_FALSE, lane.pane->GetDataExtent(1, &low, &high, &raw));
    EXPECT_EQ(DBL_MAX, low);
    EXPECT_EQ(-DBL_MAX, high);
    lane.Add(new ScaleDrawer(1, L"V", true, -2.0, 3.0));
    lane.Add(new ScaleDrawer(1, L"V", true, -1.0, 7.0));
    lane.Add(new ScaleDrawer(2, L"V", true, -50.0, 50.0));
    EXPECT_EQ(S_OK, lane.pane->GetDataExtent(1, &low, &high, &raw));
    EXPECT_EQ(-2.0, low);
    EXPECT_EQ(7.0, high);
    EXPECT_NE(VARIANT_FALSE, raw);
    lane.pane->SetDrawerOwner(&lane);
    lane.pane->GetDataExtent(1, &low, &high, &raw);
    EXPECT_EQ(VARIANT_FALSE, raw);
    lane.owner.visibleResult = E_POINTER;
    EXPECT_EQ(E_POINTER, lane.pane->GetDataExtent(1, &low, &high, nullptr));
}

TEST(ChannelPaneTest, ScaleChangesReachTheAxisDrawersUnderThePaneLock)
{
    Lane lane;
    lane.pane->SetLayout(1, Placement, OWL::TRect(40, 0, 240, 100));
    auto* first = new ScaleDrawer(1, L"V", true, 0.0, 1.0);
    auto* second = new ScaleDrawer(2, L"V", true, 0.0, 1.0);
    lane.Add(first);
    lane.Add(second);
    lane.owner.invalidated.clear();
    const AxisTransform transform{-0.5, 4.0};
    EXPECT_EQ(S_OK, lane.pane->OnScalingChanged(1, 0, &transform));
    EXPECT_EQ(-0.5, first->scaling.scale);
    EXPECT_EQ(4.0, first->scaling.offset);
    // The store's record carries no scale here: the drawers lay their grid out on the axis's own.
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IScaleControl*>(&lane.First())), first->scaleObject);
    EXPECT_EQ(1.0, second->scaling.scale);
    EXPECT_EQ(0, lane.owner.lockDepth);
    ASSERT_EQ(1u, lane.owner.invalidated.size());
    EXPECT_EQ(1, lane.owner.rescaled);

    // An invalidation re-announces each scale's transform.
    lane.Second().transform = {2.0, 1.0};
    lane.pane->Invalidate(0);
    EXPECT_EQ(2.0, second->scaling.scale);
}

TEST(ChannelPaneTest, ScalesSitBesideTheTraceAreaAndReportTheirDrags)
{
    Lane lane;
    lane.pane->SetLayout(1, Placement, OWL::TRect(40, 10, 240, 110));
    EXPECT_EQ(OWL::TRect(10, 10, 40, 110), OWL::TRect(lane.First().placed));
    EXPECT_EQ(OWL::TRect(240, 10, 260, 110), OWL::TRect(lane.Second().placed));

    lane.pane->OnBeginDrag(1, 0);
    EXPECT_TRUE(lane.owner.dragging);
    lane.pane->OnEndDrag(1, 0);
    EXPECT_FALSE(lane.owner.dragging);
    ASSERT_EQ(1u, lane.owner.dragsFinished.size());
    EXPECT_EQ(0.0, lane.owner.dragsFinished[0].low);
    EXPECT_EQ(100.0, lane.owner.dragsFinished[0].high);
}

TEST(ChannelPaneTest, TheHostsScalesAutoscaleToTheLanesDataAndTellItTheirTransform)
{
    FakePane owner;
    owner.scaleFactory = MGraph1::GetScaleControlFactory();
    ASSERT_NE(nullptr, owner.scaleFactory);
    TraceTest::TestFrame frame(300, 200);
    ASSERT_TRUE(frame.Create());
    Orv::ComPtr<ChannelPane> pane(new ChannelPane(0, &owner, BothAxes, 0));
    ASSERT_EQ(S_OK, pane->CreateScales(frame.GetHandle(), 0));
    Orv::ComPtr<IUnknown> first;
    pane->GetScale(1, first.Put());
    Orv::ComPtr<IScaleControl> control = first.As<IScaleControl>(IID_IScaleControl);
    ASSERT_TRUE(control);
    control->AddObserver(pane.Get());
    auto* drawer = new ScaleDrawer(1, L"V", true, -4.0, 6.0);
    pane->AddDrawer(0, Orv::ComPtr<IStrixRecordDrawer>(drawer).Get(), OpaqueAlpha);
    pane->SetLayout(0, Placement, OWL::TRect(40, 0, 240, 100));

    EXPECT_EQ(S_OK, pane->AutoScaleAxis(1));
    double high = 0.0, low = 0.0;
    control->GetLimits(&high, &low);
    EXPECT_EQ(-4.0, low);
    EXPECT_EQ(6.0, high);
    // The 100 pixel rows span 10 units, upwards from the top value.
    EXPECT_DOUBLE_EQ(-99.0 / 10.0, drawer->scaling.scale);
    EXPECT_EQ(-6.0, drawer->scaling.offset);

    // The strip is as wide as the scale's labels at the size it paints them.
    LONG points = 0, painted = 0;
    ASSERT_EQ(S_OK, control.As<IScaleTextSize>(IID_IScaleTextSize)->GetTextSize(&points));
    ASSERT_EQ(S_OK, control->Measure(ScaleSettingThickness, points, 0, &painted));
    EXPECT_EQ(painted, pane->ScaleWidth(1));

    pane->SetRecordRange(0, 0);
    EXPECT_EQ(S_OK, pane->AutoScaleAxis(1));
    control->SetCanAutoScale(VARIANT_FALSE);
    EXPECT_EQ(S_FALSE, pane->AutoScaleAxis(1));
    pane->DetachScales();
    frame.Destroy();
}

// A lane's first scale stands left of the traces and its second right of them: each draws its ticks on
// the edge that faces the traces.
TEST(ChannelPaneTest, TheHostsScalesTickOnTheEdgeFacingTheTraces)
{
    IScaleControlFactory* factory = MGraph1::GetScaleControlFactory();
    ASSERT_NE(nullptr, factory);
    constexpr RECT Strip{0, 0, 40, 100};
    for (const LONG axis : {1, 2})
    {
        Orv::ComPtr<IScaleControl> control;
        ASSERT_EQ(S_OK, factory->CreateTraceScale(nullptr, 0, 0, 0, axis, control.Put()));
        control->SetRect(&Strip);
        control->SetLimits(100.0, 0.0);
        const auto view = control.As<IScaleControlView>(IID_IScaleControlView);
        ScaleTick tick{};
        LONG written = 0;
        ASSERT_EQ(S_OK, view->FillTicks(&tick, 1, &written));
        ASSERT_EQ(1, written);

        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, Strip.right, Strip.bottom);
        ReleaseDC(nullptr, screen);
        const HGDIOBJ old = SelectObject(dc, bitmap);
        FillRect(dc, &Strip, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ASSERT_EQ(S_OK, view->Paint(dc, 0, 0xFFFF));
        const LONG facing = axis == 1 ? Strip.right - 1 : Strip.left;
        const LONG away = axis == 1 ? Strip.left : Strip.right - 1;
        EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, facing, tick.pixel)) << axis;
        EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, away, tick.pixel)) << axis;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
}

TEST(ChannelPaneTest, TheFirstScaleIsMeasuredAtItsOwnTextSizeForTheRecordShownUnlessUnplaced)
{
    for (const ULONG axes : {BothAxes, BothAxes | AxisFlag::FirstScaleUnplaced})
    {
        Lane lane(0, axes);
        lane.owner.record = 4;
        lane.First().thickness = 31;
        const bool placed = !(axes & AxisFlag::FirstScaleUnplaced);
        EXPECT_EQ(placed ? 31 : 0, lane.pane->QueryFirstScale(ScaleSettingThickness)) << axes;
        EXPECT_EQ(placed ? 31 : 0, lane.pane->ScaleWidth(1)) << axes;
        if (placed)
        {
            EXPECT_EQ((std::vector<LONG>{ScaleSettingThickness, 0, 4}), lane.First().measured);
        }
    }
}

class ViewSite : public TraceTest::Uncounted<IVyrViewSite>
{
public:
    HRESULT STDMETHODCALLTYPE GetSiteObject(IVyrViewSiteObject** object) override
    {
        *object = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetViewInterface(IUnknown** view) override
    {
        *view = nullptr;
        return S_OK;
    }

protected:
    bool Answers(REFIID) const override { return false; }
};

class ChannelNames : public TraceTest::Uncounted<IHostRecordingState>
{
public:
    HRESULT STDMETHODCALLTYPE GetChannelText(int32_t channel, uint32_t, BSTR* text) override
    {
        *text = SysAllocString((L"Channel " + std::to_wstring(channel)).c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetEndPosition(uint32_t, HostEndPosition*) override { return E_NOTIMPL; }

protected:
    bool Answers(REFIID iid) const override { return iid == IID_IHostRecordingState; }
};

TEST(ChannelPaneTest, ChannelCommandsGoToTheHostDocumentAndTextsComeFromItsChannelNames)
{
    Lane lane;
    TestSupport::MessageKeeper document;
    ViewSite site;
    const struct
    {
        IUnknown* document;
        IVyrViewSite* site;
        HRESULT result;
    } cases[] = {{nullptr, nullptr, E_FAIL},
                 {&document, nullptr, E_FAIL},
                 {nullptr, &site, E_FAIL},
                 {&document, &site, S_OK}};
    for (const auto& c : cases)
    {
        lane.owner.document = c.document;
        lane.owner.site = c.site;
        EXPECT_EQ(c.result, lane.pane->SendChannelCommand(0, 9));
    }
    ASSERT_TRUE(document.kept);
    ULONG id = 0, size = 0;
    const void* payload = nullptr;
    document.kept->GetId(&id);
    document.kept->GetPayloadSize(&size);
    document.kept->GetPayload(&payload);
    EXPECT_EQ(ChannelCommandMsgId, id);
    ASSERT_EQ(16u, size);
    const auto* words = static_cast<const LONG*>(payload);
    EXPECT_EQ((std::vector<LONG>{0x222, ChannelCommandKind, 3, 9}), std::vector<LONG>(words, words + 4));

    std::wstring text = L"stale";
    EXPECT_EQ(E_FAIL, lane.pane->GetChannelText(text));
    EXPECT_TRUE(text.empty());
    ChannelNames names;
    lane.owner.channelNames = &names;
    EXPECT_EQ(S_OK, lane.pane->GetChannelText(text));
    EXPECT_EQ(L"Channel 3", text);
}

TEST(ChannelPaneTest, LoadsOlderRecordsAndRefusesNewerOnes)
{
    Lane lane;
    std::stringbuf newer;
    Orv::BinOStream(&newer).WriteULong(4);
    Orv::BinIStream newerIn(&newer);
    EXPECT_EQ(Orv::E_ORV_NEWER_VERSION, lane.pane->Load(&newerIn));

    std::stringbuf old;
    Orv::BinOStream out(&old);
    out.WriteULong(2);
    for (int axis = 0; axis < 2; ++axis)
    {
        out.WriteByte(1);
        out.WriteDouble(-1.0);
        out.WriteDouble(1.0);
    }
    out.WriteULong(0xFEEDu);
    Orv::BinIStream in(&old);
    EXPECT_EQ(S_OK, lane.pane->Load(&in));
    ULONG next = 0;
    in.ReadULong(&next);
    EXPECT_EQ(0xFEEDu, next);

    std::stringbuf saved;
    Orv::BinOStream savedOut(&saved);
    EXPECT_EQ(S_OK, lane.pane->Save(&savedOut));
    EXPECT_EQ(4u, saved.str().size());
}

} // namespace
} // namespace StrixDraw
