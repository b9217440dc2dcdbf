// The PVA plots on a host that samples into an online analysis, in mmHg and microlitres.
#include "host/tests/module/DocumentOnHost.h"
#include "host/tests/module/HostedView.h"

#include "views/plots/RegressionPlots.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace
{

using HostTests::DocumentOnHost;
using HostTests::HostedView;

// An axis' limits as its scale prints them.
struct PrintedAxes
{
    double domainLow, domainHigh, rangeLow, rangeHigh;
};

PrintedAxes Printed(Sistra::SistraGraphViewBase& view)
{
    MGraph1::Graph2DDrawer& graph = view.GraphWindow();
    PrintedAxes axes{};
    graph.GetDomain(axes.domainLow, axes.domainHigh);
    graph.GetRange(axes.rangeLow, axes.rangeHigh);
    return {axes.domainLow * graph.domainUnitFactor, axes.domainHigh * graph.domainUnitFactor,
            axes.rangeLow * graph.rangeUnitFactor, axes.rangeHigh * graph.rangeUnitFactor};
}

// While online analysis runs the PVA plots draw nothing and take no range from the loops: each axis spans
// 0 to 1 in the units it prints (not 0 to a million mmHg*uL), whether the plot was opened before the first
// loop or among the first loops. Once sampling stopped, the offline analysis ranges them on its loops.
TEST(PvaPlotsWhileSampling, EmptyAxesSpanOnePrintedUnitUntilAnOfflineAnalysisRangesThem)
{
    const Host::Recording recording = HostTests::SteadyVentricle(20000, 0.0, {{"Pressure", "mmHg"}, {"Volume", "uL"}});
    DocumentOnHost document(recording, true, true);
    Sistra::SistraDocument& doc = document.Document();
    HostedView<Sistra::SistraPVAEDVView> beforeLoops;
    HostedView<Sistra::SistraPVAESPView> amongLoops;
    ASSERT_TRUE(beforeLoops.Open(doc, 400, 300));
    document.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    document.Host().FeedSamples(8000);
    ASSERT_TRUE(doc.Data().IsOnlineAnalysisRunning());
    ASSERT_GT(doc.Data().GetLoopCount(), 3u);
    ASSERT_TRUE(amongLoops.Open(doc, 400, 300));
    // As the document tells its views of new loops.
    beforeLoops->DataChanged(0);
    const std::initializer_list<Sistra::SistraGraphViewBase*> views{&*beforeLoops, &*amongLoops};
    for (Sistra::SistraGraphViewBase* view : views)
    {
        SCOPED_TRACE(view == views.begin()[0] ? "opened before the first loop" : "opened among the first loops");
        const PrintedAxes axes = Printed(*view);
        EXPECT_NEAR(0.0, axes.domainLow, 1e-9);
        EXPECT_NEAR(1.0, axes.domainHigh, 1e-9);
        EXPECT_NEAR(0.0, axes.rangeLow, 1e-9);
        EXPECT_NEAR(1.0, axes.rangeHigh, 1e-9);
    }

    while (!document.Host().IsSamplingDone())
        document.Host().FeedSamples(1237);
    document.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    ASSERT_FALSE(doc.Data().IsOnlineAnalysisRunning());
    for (Sistra::SistraGraphViewBase* view : views)
    {
        view->DataChanged(0);
        Sistra::ViewExtents data;
        ASSERT_TRUE(view->GetDataExtents(data));
        double low = 0.0, high = 0.0;
        view->GraphWindow().GetRange(low, high);
        EXPECT_LT(low, data.yLow);
        EXPECT_GT(high, data.yHigh);
        EXPECT_GT(data.yLow, (high - low) / 8.0 + low) << "the data take the middle half of the axis";
    }
}

} // namespace
