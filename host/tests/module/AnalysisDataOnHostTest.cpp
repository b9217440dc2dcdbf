// The analysis data on a host document: the loop analysis as the document's "sistra" item, the loops
// fed from it, the regressions, and the area calculation, which finds the analysis data as the
// document's child data for the tangent end-systolic points.
#include "document/analysis/SistraData.h"
#include "document/tests/analysis/FakeAnalysisOwner.h"

#include "host/app/document/HostDocument.h"
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

// One record per preload reduction: pressure, volume, and a marker at the start of every beat.
Host::Recording PreloadReductionRecording(const std::vector<CalcTesting::PreloadReduction>& reductions, double dt)
{
    std::vector<std::vector<std::vector<float>>> records;
    for (const CalcTesting::PreloadReduction& loops : reductions)
    {
        std::vector<float> markers(loops.pressure.size(), 0.0f);
        for (int32_t tick : loops.edpTicks)
            markers[static_cast<std::size_t>(tick)] = 1.0f;
        records.push_back({loops.pressure, loops.volume, markers});
    }
    return HostTests::MakeRecording(dt, records, 3);
}

// Preload reductions of the heart, each next one with a dead volume this much larger (uL).
std::vector<CalcTesting::PreloadReduction> Reductions(CalcTesting::ElastanceVentricle heart, int count, double shift)
{
    std::vector<CalcTesting::PreloadReduction> reductions;
    for (int i = 0; i < count; ++i, heart.v0 += shift)
        reductions.emplace_back(heart, 12, 12.0, 3.0);
    return reductions;
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

    explicit AnalysisDataOnHost(int recordCount = 1)
        : loops(Reductions(heart, recordCount, 40.0)), recording(PreloadReductionRecording(loops, heart.dt)),
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
        for (int32_t block = 0; block < static_cast<int32_t>(loops.size()); ++block)
        {
            ASSERT_TRUE(data->PrepareBlock(block, 0));
            data->FeedLoops(HostRecordEnd);
        }
    }

    CalcTesting::ElastanceVentricle heart;
    std::vector<CalcTesting::PreloadReduction> loops; // one per record
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
    const int32_t touched = data->GetTangentEsPoint(0, first.firstTick, &volume, &pressure);
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
        if (data->ReadLoop(loop, record) && data->GetTangentEsPoint(0, record.firstTick, &volume, &pressure) != -1)
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

namespace
{

class TwoRecordsOnHost : public AnalysisDataOnHost
{
protected:
    TwoRecordsOnHost() : AnalysisDataOnHost(2) {}
};

} // namespace

// The records' beats start at the same ticks, the second's loops 40 uL to the right: each loop takes the
// touching point of its own record, and its area closes through that point and where the relations meet
// (straight relations: the polygon of its samples up to the touching tick and those two points).
TEST_F(TwoRecordsOnHost, EveryLoopsAreaClosesThroughItsOwnRecordsTouchingPoint)
{
    owner.settings.espvrKind = EspvrTangent;
    Analyse();
    ASSERT_EQ(24u, data->GetLoopCount());
    data->Finish();
    double closingPressure = 0.0, closingVolume = 0.0;
    ASSERT_TRUE(data->GetEspvrEdpvrIntersection(closingPressure, closingVolume));
    for (uint32_t loop = 0; loop < data->GetLoopCount(); ++loop)
    {
        SCOPED_TRACE(loop);
        SistraEvent record;
        int32_t block = 0;
        ASSERT_TRUE(data->ReadLoop(loop, record, block));
        float volume = 0.0f, pressure = 0.0f;
        const int32_t touched = data->GetTangentEsPoint(block, record.firstTick, &volume, &pressure);
        ASSERT_GE(touched, record.firstTick);
        const CalcTesting::PreloadReduction& samples = loops[static_cast<std::size_t>(block)];
        const auto at = [](const std::vector<float>& channel, int32_t tick) {
            return channel[static_cast<std::size_t>(tick)];
        };
        EXPECT_NEAR(at(samples.volume, touched), volume, 1.0) << "on its own record";
        std::vector<std::pair<double, double>> polygon;
        for (int32_t tick = record.firstTick; tick <= touched; ++tick)
            polygon.emplace_back(at(samples.volume, tick), at(samples.pressure, tick));
        polygon.emplace_back(volume, pressure);
        polygon.emplace_back(closingVolume, closingPressure);
        double twiceArea = 0.0;
        for (std::size_t i = 0; i < polygon.size(); ++i)
        {
            const auto [va, pa] = polygon[i];
            const auto [vb, pb] = polygon[(i + 1) % polygon.size()];
            twiceArea += pb * va - vb * pa;
        }
        PVAEvent area;
        ASSERT_TRUE(data->PressureStore().GetPvaRecord(loop, area));
        EXPECT_NEAR(0.5 * twiceArea, area.pva, 1e-6 * std::fabs(area.pva));
    }
}
