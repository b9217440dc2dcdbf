// The analysis data on a host document: the loop analysis as the document's "sistra" item, the loops
// fed from it, the regressions, and the area calculation, which finds the analysis data as the
// document's child data for the tangent end-systolic points.
#include "document/analysis/SistraData.h"
#include "document/tests/analysis/FakeAnalysisOwner.h"

#include "host/app/HostDocument.h"
#include "host/app/calc/ModuleCalcFunctions.h"
#include "host/app/calc/SampleFilterClass.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/module/SharedFramework.h"

#include "calc/tests/TimeVaryingElastance.h"
#include "hostframework/entry/ClassRegistration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace Sistra;

namespace
{

// Pressure, volume, and a marker at the start of every beat.
Host::Recording PreloadReductionRecording(const CalcTesting::PreloadReduction& loops, double dt)
{
    std::vector<float> markers(loops.pressure.size(), 0.0f);
    for (int32_t tick : loops.edpTicks)
        markers[static_cast<std::size_t>(tick)] = 1.0f;
    return HostTests::MakeRecording(dt, {{loops.pressure, loops.volume, markers}}, 3);
}

const wchar_t* const LoopText = L"SistraAnalyzer(ch1, ch2, PVEcgEdpDet(cmpeakdet(ch3, 0.5, 0.05), -1, -1, -1, -1), 0, 0, "
                                L"-1, -1, -1, -1, 0)";

class AnalysisDataOnHost : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        HostTests::SharedFramework();
        VyrRegisterStaticClassObjects();
        Host::Calc::RegisterSampleFilterClass(HostTests::SharedFramework().Framework().StandIn());
    }

    AnalysisDataOnHost()
        : loops(heart, 12, 12.0, 3.0), recording(PreloadReductionRecording(loops, heart.dt)),
          document(Host::HostDocument::Offline(recording)),
          functions(recording, HostTests::SharedFramework().Framework().StandIn(), document->Unknown())
    {
        document->SetFunctionLookup(functions.Lookup());
        owner.hostDocument = document->Unknown();
        data = Orv::ComPtr<SistraData>(new SistraData(owner));
        EXPECT_EQ(S_OK, document->AttachChildData(data.Get()));
    }
    ~AnalysisDataOnHost() override { document->DetachChildData(data.Get()); }

    void Analyse()
    {
        data->Reset();
        ASSERT_TRUE(data->PressureStore().FindCalculations());
        // The area calculation reads the volume the loops were found on by its item name.
        ASSERT_TRUE(data->PressureStore().CreateCalculations(LoopText, L"ch2", L""));
        ASSERT_TRUE(data->PrepareBlock(0, 0));
        data->FeedLoops(HostRecordEnd);
    }

    CalcTesting::ElastanceVentricle heart;
    CalcTesting::PreloadReduction loops;
    Host::Recording recording;
    Orv::ComPtr<Host::HostDocument> document;
    Host::Calc::ModuleFunctionTable functions;
    DocumentTesting::FakeOwner owner;
    Orv::ComPtr<SistraData> data;
};

} // namespace

TEST_F(AnalysisDataOnHost, PreloadReductionGivesTheVentricleElastanceAndDeadVolume)
{
    Analyse();
    ASSERT_EQ(12u, data->GetLoopCount());
    PlotRange range;
    ASSERT_TRUE(data->GetLoopPlotRange(range));
    FittedLine line;
    ASSERT_TRUE(data->FitEspvrLinear(line, false));
    EXPECT_NEAR(heart.ees, line.slope, 0.1 * heart.ees);
    EXPECT_NEAR(heart.v0, -line.intercept / line.slope, 0.1 * (range.secondMaximum - range.secondMinimum));
}

TEST_F(AnalysisDataOnHost, TangentPointsReachTheAreaCalculationThroughTheDocument)
{
    owner.settings.espvrKind = EspvrTangent;
    Analyse();
    FittedLine tangent;
    ASSERT_TRUE(data->FitEspvrTangent(tangent, true));
    EXPECT_GT(tangent.slope, 0.0);
    SistraEvent first;
    ASSERT_TRUE(data->ReadLoop(0, first));
    float volume = 0.0f, pressure = 0.0f;
    const int32_t touched = data->GetTangentEsPoint(first.firstTick, &volume, &pressure);
    ASSERT_NE(-1, touched);
    EXPECT_GT(touched, first.firstTick);
    EXPECT_LT(touched, first.endTick);
    EXPECT_NEAR(tangent.slope * volume + tangent.intercept, pressure, 0.05 * pressure) << "on the line";

    data->Finish();
    const auto areas = data->ComputePvaParameterStatistics(26);
    ASSERT_TRUE(areas);
    EXPECT_EQ(12, areas->count);
    EXPECT_GT(areas->minimum, 0.0);
}

TEST_F(AnalysisDataOnHost, SummariesFollowAChangeOfTheEndSystolicPointType)
{
    owner.settings.espvrKind = EspvrTangent;
    Analyse();
    const auto perBeat = data->GetParameterStatistics(12);
    ASSERT_TRUE(perBeat);
    owner.settings.esPointType = TangentFitEsPoints;
    const auto tangent = data->GetParameterStatistics(12);
    ASSERT_TRUE(tangent);
    double sum = 0.0;
    int touched = 0;
    for (uint32_t loop = 0; loop < data->GetLoopCount(); ++loop)
    {
        SistraEvent record;
        float volume = 0.0f, pressure = 0.0f;
        if (data->ReadLoop(loop, record) && data->GetTangentEsPoint(record.firstTick, &volume, &pressure) != -1)
        {
            sum += pressure;
            ++touched;
        }
    }
    ASSERT_EQ(tangent->count, touched);
    EXPECT_NEAR(sum / touched, tangent->average, 1e-6 * std::fabs(tangent->average));
    EXPECT_NE(perBeat->average, tangent->average);
    FittedLine areas;
    data->Finish();
    EXPECT_TRUE(data->FitPvaEsp(areas, false));
}
