#include "views/plots/RegressionPlots.h"
#include "views/graph/ViewPlotData.h"

#include "views/tests/ViewTestSupport.h"

#include "graph/plotters/GlyphPlotter.h"
#include "graph/tests/support/Canvas.h"
#include "hostframework/tests/FrameworkTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using namespace Sistra;
using ViewTesting::AnalysedDocument;

namespace
{

constexpr int Loops = 30;
constexpr COLORREF SeriesColour = 0xE1;

using PlotMaker = std::function<std::unique_ptr<SistraGraphViewBase>(OWL::TWindow*, IUnknown*)>;

template <class Plot>
PlotMaker Maker()
{
    return [](OWL::TWindow* parent, IUnknown* document) {
        return std::make_unique<Plot>(parent, nullptr, nullptr, document, nullptr, nullptr);
    };
}

double Centre(double low, double high)
{
    return (low + high) / 2.0;
}

// A plot of the analysed loops, shown in a frame.
struct ShownPlot
{
    explicit ShownPlot(const PlotMaker& make)
    {
        document.Analyse(Loops);
        view = make(&frame.window, document.Document().Outer());
        frame.Show(*view);
    }
    AnalysedDocument document;
    ViewTesting::Frame frame;
    std::unique_ptr<SistraGraphViewBase> view;
};

} // namespace

// Each plot names its horizontal quantity first: the horizontal axis is centred on that quantity's
// values and the vertical one on the other's (loop i: Ved 100 + i, Pes 2 Ved - 75, SW 3 Ved - 50,
// dP/dt max 10 Ved + 100, PVA 2 Ved + 1000).
TEST(RegressionPlots, EachPlotShowsItsLoopsAndFitWithTheHorizontalQuantityAcross)
{
    const double lastVed = 100.0 + Loops - 1;
    const struct
    {
        PlotMaker make;
        const char* picture;
        const wchar_t* className;
        const wchar_t* domainTitle;
        const wchar_t* rangeTitle;
        double domainCentre;
        double rangeCentre;
        const wchar_t* regression;
    } plots[] = {
        {Maker<SistradPdTMaxEDVGraphView>(), "plot-dpdtmax-edv", L"SistradPdTMaxEDVGraphViewClass",
         L"End-diastolic Volume", L"Maximum dP/dt", Centre(100.0, lastVed), Centre(1100.0, 10.0 * lastVed + 100.0),
         L"dP/dt max = 10 * Ved + 100, r\u00b2 = 1"},
        {Maker<SistraPRSWGraphView>(), "plot-prsw", L"SistraPRSWGraphViewClass", L"End-diastolic Volume",
         L"Stroke Work", Centre(100.0, lastVed), Centre(250.0, 3.0 * lastVed - 50.0), L"PRSW = 3 * Ved - 50, r\u00b2 = 1"},
        {Maker<SistraPVAEDVView>(), "plot-pva-edv", L"SistraPvaEdvGraphViewClass", L"End-diastolic Volume", L"PVA",
         Centre(100.0, lastVed), Centre(1200.0, 2.0 * lastVed + 1000.0), L"PVA = 2 * Ved + 1000, r\u00b2 = 1"},
        {Maker<SistraPVAESPView>(), "plot-pva-esp", L"SistraPvaEspGraphViewClass", L"End-systolic Pressure", L"PVA",
         Centre(125.0, 2.0 * lastVed - 75.0), Centre(1200.0, 2.0 * lastVed + 1000.0), L"PVA = 1 * Pes + 1075, r\u00b2 = 1"},
    };
    for (const auto& plot : plots)
    {
        SCOPED_TRACE(plot.picture);
        ShownPlot shown(plot.make);
        SistraGraphViewBase& view = *shown.view;
        wchar_t className[64] = {};
        GetClassNameW(view.GetHandle(), className, 64);
        EXPECT_STREQ(plot.className, className);
        MGraph1::Graph2DDrawer& graph = view.GraphWindow();
        EXPECT_EQ(plot.domainTitle, graph.GetDomainTitle());
        EXPECT_EQ(plot.rangeTitle, graph.GetRangeTitle());
        double low = 0.0, high = 0.0;
        graph.GetDomain(low, high);
        EXPECT_NEAR(plot.domainCentre, Centre(low, high), 1e-3);
        graph.GetRange(low, high);
        EXPECT_NEAR(plot.rangeCentre, Centre(low, high), 1e-3);
        const auto text = view.GetRegressionText();
        ASSERT_TRUE(text);
        EXPECT_STREQ(plot.regression, text->c_str());

        GraphTest::DibCanvas canvas(640, 480);
        view.Render(canvas.Dc(), nullptr, RECT{0, 0, 640, 480});
        canvas.SavePng(plot.picture);
        EXPECT_GE(canvas.CountPixels(SeriesColour), Loops);
        EXPECT_GT(canvas.CountPixels(SistraGraphViewBase::RegressionColour), 100);

        // At the least size it names, the plot holds its equation readably above a plot of its points.
        const RECT least = ViewTesting::PlotAtLeastSize(view);
        const HDC screen = GetDC(nullptr);
        EXPECT_GE(least.right - least.left, MGraph1::ShortestCornerLabelRoom(screen, plot.regression));
        ReleaseDC(nullptr, screen);
        EXPECT_GE(least.bottom - least.top, 100);
    }
}

TEST(RegressionPlots, WithoutLoopsThePlotsHaveNoUnitsAndNoFit)
{
    AnalysedDocument document;
    for (const PlotMaker& make : {Maker<SistradPdTMaxEDVGraphView>(), Maker<SistraPRSWGraphView>(),
                                  Maker<SistraPVAEDVView>(), Maker<SistraPVAESPView>()})
    {
        const auto view = make(nullptr, document.Document().Outer());
        EXPECT_EQ(Orv::String(), view->GetRangeUnits());
        EXPECT_EQ(Orv::String(), view->GetDomainUnits());
        EXPECT_EQ(1.0, view->GetRangeUnitScale());
        EXPECT_FALSE(view->GetRegressionText());
        ViewExtents extents;
        EXPECT_FALSE(view->GetDataExtents(extents));
    }
}

TEST(GraphViewOutput, CopiesAndPrintoutsCarryTheGraphAndItsRegression)
{
    ShownPlot shown(Maker<SistraPRSWGraphView>());
    SistraGraphViewBase& view = *shown.view;
    Orv::String copyText, printText;
    view.GetCopyCommandText(copyText);
    view.GetPrintCommandText(printText);
    EXPECT_EQ(Orv::String(L"Copy Sistra PRSW Plot"), copyText);
    EXPECT_EQ(Orv::String(L"Print Sistra PRSW Plot"), printText);

    ASSERT_TRUE(view.CopyToClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    view.CopyRegression();
    ASSERT_TRUE(OpenClipboard(nullptr));
    const HANDLE text = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(nullptr, text);
    EXPECT_STREQ(view.GetRegressionText()->c_str(), static_cast<const wchar_t*>(GlobalLock(text)));
    GlobalUnlock(text);
    CloseClipboard();

    const ULONG jobs = TestSupport::PrintJobCount();
    BSTR title = nullptr;
    ULONG pages = 0;
    view.PrintView(false);
    ASSERT_EQ(S_OK, TestSupport::StandIn()->GetPrintJob(jobs, &title, &pages));
    EXPECT_STREQ(L"PRSW Plot", title);
    SysFreeString(title);
    EXPECT_EQ(1u, pages);
    HBITMAP page = nullptr;
    ASSERT_EQ(S_OK, TestSupport::StandIn()->CopyPrintedPage(0, &page));
    BITMAP size{};
    GetObjectW(page, sizeof(size), &size);
    GraphTest::DibCanvas canvas(size.bmWidth, size.bmHeight);
    {
        const Orv::MemoryDc memory(canvas.Dc());
        const OWL::SelectedObject selected(memory.Get(), page);
        BitBlt(canvas.Dc(), 0, 0, size.bmWidth, size.bmHeight, memory.Get(), 0, 0, SRCCOPY);
    }
    DeleteObject(page);
    canvas.SavePng("plot-prsw-printed");
    EXPECT_GE(canvas.CountPixels(SeriesColour), Loops);
    EXPECT_GT(canvas.CountPixels(SistraGraphViewBase::RegressionColour), 100);
}
