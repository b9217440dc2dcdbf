#include "foundation/system/ModalMessage.h"
#include "graph/graph2d/Graph2DDrawer.h"
#include "graph/scales/GraphDragScale.h"
#include "graph/scales/ScaleControlFactory.h"
#include "support/Canvas.h"
#include "support/PlotFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

namespace
{
using namespace MGraph1;
using GraphTest::DibCanvas;
using GraphTest::SeriesData;

constexpr COLORREF White = RGB(255, 255, 255);

class MessageLog : public MessSys::MessageReceiver
{
public:
    explicit MessageLog(std::string& target) : log(target) {}
    std::vector<std::wstring> hintTexts;
    bool OnMessage(const MessSys::Message& message) override
    {
        if (dynamic_cast<const MsgGraph2DDrawerNotifyBeginRedraw*>(&message))
            log += "begin ";
        else if (dynamic_cast<const MsgGraph2DDrawerNotifyEndRedraw*>(&message))
            log += "end ";
        else if (dynamic_cast<const MsgGraph2DDrawerOnDomainChanged*>(&message))
            log += "domain ";
        else if (dynamic_cast<const MsgGraph2DDrawerOnRangeChanged*>(&message))
            log += "range ";
        else if (const auto* hint = dynamic_cast<const MouseTrackHintMsg*>(&message))
        {
            log += "hint ";
            for (const HintRecord& record : *hint->hints)
                hintTexts.push_back(record.text);
        }
        return true;
    }
    std::string& log;
};

// A drawer that writes its name into a log and one GDI record of its own kind.
template <class Base>
class Marker : public Base
{
public:
    Marker(std::string& log, const char* name, int shape) : m_log(log), m_name(name), m_shape(shape) {}
    void OnDraw(HDC dc, HDC, RECT plot, RECT) override
    {
        m_log += m_name;
        m_log += ' ';
        const int x = plot.left + 5;
        const int y = plot.top + 5;
        if (m_shape == 0)
            Ellipse(dc, x, y, x + 4, y + 4);
        else if (m_shape == 1)
            Rectangle(dc, x, y, x + 4, y + 4);
        else
            RoundRect(dc, x, y, x + 4, y + 4, 1, 1);
    }

private:
    std::string& m_log;
    const char* m_name;
    int m_shape;
};

class RecordingPlotter : public Marker<Plotter>
{
public:
    using Marker<Plotter>::Marker;
    void OnDraw(HDC dc, HDC attributeDc, RECT plot, RECT clip) override
    {
        Marker<Plotter>::OnDraw(dc, attributeDc, plot, clip);
        dirty = false;
    }
    bool NeedsRebuild() override { return false; }
};

class ClickCounter : public ClickAnnotation
{
public:
    bool OnClick(int32_t, const RECT&, UINT, const POINT&, const POINT&) override
    {
        ++clicks;
        return true;
    }
    int clicks = 0;
};

// A scale strip whose limits a test sets.
class FakeStrip : public GraphDragScale
{
public:
    HRESULT OnScalingChanged(LONG, LONG, const AxisTransform*) override { return S_OK; }
    std::pair<double, double> GetScaling() override { return limits; }
    bool HasScaleControl() override { return true; }
    std::pair<double, double> limits{0.0, 1.0};
};

class Graph2DDrawerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, GetScaleControlFactory());
        drawer.AddRedrawReceiver(&receiver);
        drawer.AddAxisReceiver(&receiver);
        drawer.AddMouseReceiver(&receiver);
    }
    void TearDown() override { Orv::SetMessageBoxRoute(nullptr); }

    std::string log;
    MessageLog receiver{log};
    Graph2DDrawer drawer;
};

TEST_F(Graph2DDrawerTest, FreshDrawerReportsItsDefaults)
{
    double low = 0, high = 0;
    drawer.GetDomain(low, high);
    EXPECT_EQ(std::pair(0.0, 1.0), std::pair(low, high));
    drawer.GetRange(low, high);
    EXPECT_EQ(std::pair(0.0, 1.0), std::pair(low, high));
    drawer.GetDomainExtent(low, high);
    EXPECT_EQ(std::pair(0.0, 1.0), std::pair(low, high));
    drawer.GetRangeExtent(low, high);
    EXPECT_EQ(std::pair(-1.0, 1.0), std::pair(low, high));
    drawer.GetDomainBounds(low, high);
    EXPECT_EQ(std::pair(-1.0, 1.0), std::pair(low, high));
    drawer.GetRangeBounds(low, high);
    EXPECT_EQ(std::pair(-1.0, 1.0), std::pair(low, high));
    EXPECT_EQ(L"Units", drawer.GetDomainUnits());
    EXPECT_EQ(L"Units", drawer.GetRangeUnits());
    EXPECT_EQ(L"", drawer.GetDomainTitle());
    EXPECT_TRUE(drawer.domainScale && drawer.rangeScale);
}

TEST_F(Graph2DDrawerTest, PlotRectangleLeavesTheScaleMarginsAndIsNeverThinnerThanAPixel)
{
    struct Case
    {
        RECT in, out;
    } cases[] = {{{0, 0, 100, 100}, {60, 0, 100, 40}}, {{0, 0, 50, 50}, {60, -11, 61, -10}},
                 {{5, 5, 405, 305}, {65, 5, 405, 245}}};
    for (const Case& c : cases)
    {
        RECT out{};
        drawer.GetPlotRect(out, c.in);
        EXPECT_TRUE(EqualRect(&c.out, &out)) << out.left << "," << out.top << "," << out.right << "," << out.bottom;
    }
}

TEST(Graph2DDrawerWithoutFactoryTest, WorksWithoutHostScaleControls)
{
    Graph2DDrawer drawer(nullptr);
    std::string log;
    MessageLog receiver(log);
    drawer.AddAxisReceiver(&receiver);
    XYCPlotter xy;
    BasicAnnotation annotation;
    QueenLineV* queen = new QueenLineV;
    drawer.AddPlotter(&xy, false);
    drawer.AddAnnotation(&annotation, false);
    drawer.AddQueen(queen, true);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200, GetDesktopWindow(), nullptr,
                                  nullptr, nullptr);
    OWL::TWindow alias(window);
    alias.Attr.Id = 7;
    drawer.window = &alias;
    ValidateRect(window, nullptr);
    drawer.SetDomain(2.0, 5.0);
    double low = 0, high = 0;
    drawer.GetDomain(low, high);
    EXPECT_EQ(std::pair(2.0, 5.0), std::pair(low, high));
    for (GraphDrawer* d : {static_cast<GraphDrawer*>(&xy), static_cast<GraphDrawer*>(&annotation),
                           static_cast<GraphDrawer*>(drawer.queens.get()), static_cast<GraphDrawer*>(queen)})
        EXPECT_EQ(std::pair(2.0, 5.0), std::pair(d->domainLow, d->domainHigh));
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));
    EXPECT_EQ("domain ", log);
    drawer.RemoveAllPlotters();
    drawer.RemoveAllAnnotations();
    DestroyWindow(window);
}

TEST_F(Graph2DDrawerTest, SetDomainWaitsForAReportingStripAndIsIgnoredDuringADrag)
{
    drawer.domainDragDepth = 1;
    drawer.SetDomain(3.0, 4.0);
    EXPECT_EQ(0.0, drawer.domainLow);
    drawer.domainDragDepth = 0;
    drawer.domainStripNotifies = true;
    drawer.SetDomain(3.0, 4.0);
    EXPECT_EQ(0.0, drawer.domainLow);
    double high = 0, low = 0;
    drawer.domainScale->GetLimits(&high, &low);
    EXPECT_EQ(std::pair(3.0, 4.0), std::pair(low, high)); // the control was told
    EXPECT_EQ("", log);
}

TEST_F(Graph2DDrawerTest, EmptyRectangleChangesNothing)
{
    drawer.dirty = false;
    drawer.SetRect(RECT{10, 10, 10, 200}, true);
    EXPECT_FALSE(drawer.dirty);
    DibCanvas canvas(10, 10);
    drawer.Draw(canvas.Dc(), true, RECT{0, 0, 0, 10});
    EXPECT_EQ("", log);
}

TEST_F(Graph2DDrawerTest, TwoUnchangedPaintsRenderOnceAndBlitTwice)
{
    RecordingPlotter plotter(log, "plot", 0);
    Marker<Annotation> annotation(log, "overlay", 2);
    drawer.AddPlotter(&plotter, false);
    drawer.AddAnnotation(&annotation, false);
    drawer.Layout(RECT{0, 0, 300, 200});
    DibCanvas canvas(300, 200);
    log.clear();
    drawer.Draw(canvas.Dc(), true, drawer.rect);
    drawer.Draw(canvas.Dc(), true, drawer.rect);
    EXPECT_EQ(1u, drawer.renderCount);
    EXPECT_EQ("begin plot overlay end begin overlay end ", log);
    // A size change renders again.
    drawer.Layout(RECT{0, 0, 250, 200});
    drawer.Draw(canvas.Dc(), true, drawer.rect);
    EXPECT_EQ(2u, drawer.renderCount);
    drawer.RemoveAllPlotters();
    drawer.RemoveAllAnnotations();
}

TEST_F(Graph2DDrawerTest, PvLoopRunsVolumeAlongXAndPressureUpY)
{
    SeriesData loop;
    GraphTest::FillPvLoop(loop, 200);
    loop.seriesFlags = SeriesFlags::Lines | SeriesFlags::Markers;
    XYCPlotter plotter;
    plotter.SetPlotData(&loop, 0, false);
    drawer.AddPlotter(&plotter, false);
    drawer.SetDomainUnits(L"uL");
    drawer.SetRangeUnits(L"mmHg");
    drawer.Layout(RECT{0, 0, 500, 400});
    drawer.SetDomain(20.0, 160.0);
    drawer.SetRange(-30.0, 140.0);
    DibCanvas canvas(500, 400);
    drawer.Draw(canvas.Dc(), true, drawer.rect);
    canvas.SavePng("graph_pv_loop");

    RECT plot{};
    drawer.GetPlotRect(plot, drawer.rect);
    const auto pixelOf = [&](size_t i) {
        return POINT{static_cast<LONG>(ValueToPixel(*drawer.xTransform, loop.xs[i], plot.left)),
                     static_cast<LONG>(ValueToPixel(*drawer.yTransform, loop.ys[i], plot.top))};
    };
    for (size_t i = 0; i < loop.xs.size(); i += 10)
    {
        const POINT p = pixelOf(i);
        EXPECT_EQ(loop.seriesColour, canvas.Pixel(p.x, p.y)) << i;
    }
    const auto [minV, maxV] = std::minmax_element(loop.xs.begin(), loop.xs.end());
    const auto [minP, maxP] = std::minmax_element(loop.ys.begin(), loop.ys.end());
    EXPECT_LT(pixelOf(static_cast<size_t>(minV - loop.xs.begin())).x, pixelOf(static_cast<size_t>(maxV - loop.xs.begin())).x);
    EXPECT_GT(pixelOf(static_cast<size_t>(minP - loop.ys.begin())).y, pixelOf(static_cast<size_t>(maxP - loop.ys.begin())).y);
    drawer.RemoveAllPlotters();
}

TEST_F(Graph2DDrawerTest, GridLinesLieAtTheTickPositions)
{
    drawer.Layout(RECT{0, 0, 400, 300});
    drawer.SetDomain(0.0, 100.0);
    drawer.SetRange(0.0, 50.0);
    DibCanvas canvas(400, 300);
    drawer.Draw(canvas.Dc(), true, drawer.rect);
    canvas.SavePng("graph_grid");
    RECT plot{};
    drawer.GetPlotRect(plot, drawer.rect);
    const auto ticksOf = [](IScaleControl* control) {
        const auto view = Orv::ComPtr<IScaleControl>(control).As<IScaleControlView>(IID_IScaleControlView);
        LONG count = 0;
        view->GetTickCount(&count);
        std::vector<ScaleTick> ticks(static_cast<size_t>(count));
        view->FillTicks(ticks.data(), count, &count);
        return ticks;
    };
    const auto xTicks = ticksOf(drawer.domainScale.Get());
    const auto yTicks = ticksOf(drawer.rangeScale.Get());
    ASSERT_GE(xTicks.size(), 3u);
    ASSERT_GE(yTicks.size(), 3u);
    const COLORREF grid = drawer.display.gridColour;
    const auto columnHits = [&](LONG x) {
        int hits = 0;
        for (LONG y = plot.top; y < plot.bottom - 1; ++y)
            hits += canvas.Pixel(x, y) == grid;
        return hits;
    };
    for (const ScaleTick& tick : xTicks)
    {
        if (tick.pixel > 0 && plot.left + tick.pixel < plot.right)
        {
            EXPECT_GT(columnHits(plot.left + tick.pixel), (plot.bottom - plot.top) / 4) << tick.pixel;
        }
    }
    EXPECT_EQ(0, columnHits(plot.left + (xTicks[0].pixel + xTicks[1].pixel) / 2));
    for (const ScaleTick& tick : yTicks)
    {
        const LONG y = plot.top + tick.pixel;
        if (y <= plot.top || y >= plot.bottom - 1)
            continue;
        int hits = 0;
        for (LONG x = plot.left + 1; x < plot.right; ++x)
            hits += canvas.Pixel(x, y) == grid;
        EXPECT_GT(hits, (plot.right - plot.left) / 4) << tick.pixel;
    }
}

TEST_F(Graph2DDrawerTest, StripDragRescalesLiveAndBlocksSetDomain)
{
    FakeStrip domainStrip;
    AxisStrips strips;
    strips.domain = &domainStrip;
    drawer.domainStripNotifies = true; // as a strip window's control does
    ASSERT_TRUE(drawer.HandleStripMessage(MsgBeginDrag(DomainStripId), strips));
    EXPECT_EQ(1, drawer.domainDragDepth);
    EXPECT_TRUE(drawer.domainDragScale);
    drawer.SetDomain(40.0, 50.0);
    EXPECT_EQ(0.0, drawer.domainLow);
    domainStrip.limits = {10.0, 30.0};
    const AxisTransform live{12.0, -10.0};
    const AxisTransform units{1.0, 0.0};
    log.clear();
    ASSERT_TRUE(drawer.HandleStripMessage(MsgScalingChanged(&live, &units, DomainStripId), strips));
    EXPECT_EQ(std::pair(10.0, 30.0), std::pair(drawer.domainLow, drawer.domainHigh));
    EXPECT_EQ(12.0, drawer.xTransform->scale);
    EXPECT_EQ("domain ", log);
    domainStrip.limits = {10.0, 35.0};
    ASSERT_TRUE(drawer.HandleStripMessage(MsgEndDrag(DomainStripId), strips));
    EXPECT_EQ(0, drawer.domainDragDepth);
    EXPECT_EQ(35.0, drawer.domainHigh);
    EXPECT_FALSE(drawer.HandleStripMessage(MsgBeginDrag(102), strips));
    EXPECT_FALSE(drawer.HandleStripMessage(MouseLeaveMsg(0), strips));
}

TEST_F(Graph2DDrawerTest, AutoscaleShowsTheStoredExtent)
{
    FakeStrip domainStrip, rangeStrip;
    AxisStrips strips{&domainStrip, &rangeStrip, {}, {}};
    drawer.HandleStripMessage(MsgAutoScale(DomainStripId), strips);
    drawer.HandleStripMessage(MsgAutoScale(RangeStripId), strips);
    EXPECT_EQ(std::pair(0.0, 1.0), std::pair(drawer.domainLow, drawer.domainHigh));
    EXPECT_EQ(std::pair(-1.0, 1.0), std::pair(drawer.rangeLow, drawer.rangeHigh));
    drawer.SetDomainExtent(30.0, 150.0);
    drawer.HandleStripMessage(MsgAutoScale(DomainStripId), strips);
    EXPECT_EQ(std::pair(30.0, 150.0), std::pair(drawer.domainLow, drawer.domainHigh));
}

TEST_F(Graph2DDrawerTest, DrawToPaintsScalesGraphCursorsAnnotationsInOrderAndKeepsTheWindowLayout)
{
    RecordingPlotter plotter(log, "plot", 0);
    auto* queen = new Marker<Queen>(log, "queen", 1);
    Marker<Annotation> annotation(log, "annotation", 2);
    drawer.AddPlotter(&plotter, false);
    drawer.AddQueen(queen, true);
    drawer.AddAnnotation(&annotation, false);
    drawer.Layout(RECT{5, 5, 305, 205});
    drawer.SetDomain(0.0, 10.0);
    const AxisTransform windowX = *drawer.xTransform;
    const AxisTransform windowY = *drawer.yTransform;

    GraphTest::Metafile picture;
    log.clear();
    drawer.DrawTo(picture.Dc(), nullptr, RECT{0, 0, 900, 700});
    EXPECT_EQ("plot queen annotation ", log);
    std::vector<DWORD> kinds;
    for (const ENHMETARECORD* record : picture.Close())
        kinds.push_back(record->iType);
    const auto first = [&](DWORD type) { return std::find(kinds.begin(), kinds.end(), type) - kinds.begin(); };
    const auto last = [&](DWORD type) { return kinds.rend() - std::find(kinds.rbegin(), kinds.rend(), type) - 1; };
    EXPECT_LT(first(EMR_EXTTEXTOUTW), first(EMR_ELLIPSE));
    EXPECT_LT(first(EMR_ELLIPSE), first(EMR_RECTANGLE));
    EXPECT_LT(first(EMR_RECTANGLE), first(EMR_ROUNDRECT));
    EXPECT_GT(last(EMR_EXTTEXTOUTW), first(EMR_ROUNDRECT));

    EXPECT_EQ(windowX.scale, drawer.xTransform->scale);
    EXPECT_EQ(windowY.scale, drawer.yTransform->scale);
    RECT strip{};
    drawer.domainScale.As<IScaleControlView>(IID_IScaleControlView)->GetRect(&strip);
    EXPECT_EQ(305, strip.right);
    drawer.RemoveAllPlotters();
    drawer.RemoveAllAnnotations();
}

TEST_F(Graph2DDrawerTest, ReleaseWithinTwoPixelsOfThePressIsAClick)
{
    ClickCounter annotation;
    drawer.AddAnnotation(&annotation, false);
    drawer.Layout(RECT{0, 0, 300, 200});
    struct Case
    {
        POINT down, up;
        int clicks;
    } cases[] = {{{100, 50}, {101, 50}, 1}, {{100, 50}, {101, 51}, 1}, {{100, 50}, {102, 50}, 0},
                 {{10, 190}, {10, 190}, 1}};
    for (const Case& c : cases)
    {
        annotation.clicks = 0;
        drawer.HandleLButtonDown(0, c.down);
        drawer.HandleLButtonUp(0, c.up);
        EXPECT_EQ(c.clicks, annotation.clicks) << c.up.x << "," << c.up.y;
    }
    drawer.RemoveAllAnnotations();
}

TEST_F(Graph2DDrawerTest, MouseMoveWithoutAnnotationsSendsNothing)
{
    drawer.OnMouseMove(100, 50);
    EXPECT_EQ("", log);
}

class ValueTracker : public AnnotationTracker
{
public:
    bool Track(int32_t, TrackInfo& info) override
    {
        info.resolvedX = info.valueX;
        info.resolvedY = info.valueY;
        info.label = L"x " + std::to_wstring(static_cast<int>(info.valueX));
        info.show = true;
        return true;
    }
};

TEST_F(Graph2DDrawerTest, TrackingAnnotationsFollowTheMouseAndOfferTheirTexts)
{
    drawer.Layout(RECT{0, 0, 300, 200});
    drawer.SetDomain(0.0, 239.0); // one unit per pixel across the plot
    ValueTracker tracker;
    BasicAnnotation tracking;
    tracking.AttachObject(&tracker, 1, false);
    ClickAnnotation silent;
    drawer.AddAnnotation(&tracking, false);
    drawer.AddAnnotation(&silent, false);
    log.clear();
    drawer.OnMouseMove(160, 50);
    EXPECT_EQ("hint ", log);
    EXPECT_EQ(std::vector<std::wstring>{L"x 100"}, receiver.hintTexts);
    drawer.RemoveAllAnnotations();
}

int g_boxes = 0;
int CountBox(HWND, const wchar_t* text, const wchar_t*, UINT) noexcept
{
    g_boxes += std::wstring(text) == L"Secret Message caught";
    return IDOK;
}

TEST_F(Graph2DDrawerTest, TypingTheAccessCodeShowsTheBoxOnce)
{
    Orv::SetMessageBoxRoute(&CountBox);
    struct Case
    {
        const char* typed;
        int boxes;
    } cases[] = {{"48Quill", 1}, {"xyz48Quill", 1}, {"48Qu!ill", 0}, {"48Quil", 0}};
    for (const Case& c : cases)
    {
        g_boxes = 0;
        drawer.typedKeys.clear();
        for (const char* p = c.typed; *p; ++p)
            drawer.OnChar(static_cast<UINT>(*p), 1, 0);
        EXPECT_EQ(c.boxes, g_boxes) << c.typed;
    }
}

TEST(Graph2DDrawerMinSpanTest, MinimumSpanWidensBoundsAndDomain)
{
    struct Case
    {
        double boundLow, boundHigh;
        std::pair<double, double> bounds, domain;
    } cases[] = {{-1, 1, {-1, 9}, {-1, 9}}, {-20, 20, {-20, 20}, {0, 10}}, {-5, 5, {-5, 5}, {-5, 5}}};
    for (const Case& c : cases)
    {
        Graph2DDrawer drawer(nullptr);
        drawer.SetDomainBounds(c.boundLow, c.boundHigh);
        drawer.SetDomainMinSpan(10.0);
        double low = 0, high = 0;
        drawer.GetDomainBounds(low, high);
        EXPECT_EQ(c.bounds, std::pair(low, high)) << c.boundLow;
        drawer.GetDomain(low, high);
        EXPECT_EQ(c.domain, std::pair(low, high)) << c.boundLow;
    }
}

} // namespace

namespace
{

class CountingPlotter : public Plotter
{
public:
    void OnDraw(HDC, HDC, RECT, RECT) override
    {
        ++draws;
        dirty = false;
    }
    bool NeedsRedraw() override
    {
        ++asked;
        return Plotter::NeedsRedraw();
    }
    bool NeedsRebuild() override { return false; }
    int draws = 0;
    int asked = 0;
};

TEST(Graph2DDrawerListTest, PlotterListsRemoveTheLaterEntryFirstAndEmptyListsAnswerAsTheyShould)
{
    Graph2DDrawer drawer(nullptr);
    drawer.dirty = false;
    EXPECT_FALSE(drawer.RemoveAllPlotters());
    EXPECT_FALSE(drawer.dirty);
    EXPECT_TRUE(drawer.RemoveAllAnnotations());
    CountingPlotter a, b;
    drawer.AddPlotter(&a, false);
    drawer.AddPlotter(&b, false);
    drawer.AddPlotter(&a, false);
    EXPECT_TRUE(drawer.RemovePlotter(&a));
    ASSERT_EQ(2, drawer.GetPlotterCount());
    EXPECT_EQ(&a, drawer.GetPlotter(0));
    EXPECT_EQ(&b, drawer.GetPlotter(1));
    EXPECT_EQ(nullptr, drawer.GetPlotter(2));
    EXPECT_FALSE(drawer.RemovePlotter(nullptr));
    drawer.RemoveAllPlotters();
}

TEST(Graph2DDrawerListTest, HiddenPlotterIsNeitherPaintedNorAsked)
{
    Graph2DDrawer drawer(nullptr);
    CountingPlotter shown, hidden;
    hidden.visible = false;
    drawer.AddPlotter(&shown, false);
    drawer.AddPlotter(&hidden, false);
    drawer.Layout(RECT{0, 0, 200, 150});
    GraphTest::DibCanvas canvas(200, 150);
    drawer.Draw(canvas.Dc(), true, drawer.rect);
    drawer.Draw(canvas.Dc(), true, drawer.rect);
    EXPECT_EQ(1, shown.draws);
    EXPECT_EQ(1, shown.asked);
    EXPECT_EQ(0, hidden.draws);
    EXPECT_EQ(0, hidden.asked);
    drawer.RemoveAllPlotters();
}

} // namespace
