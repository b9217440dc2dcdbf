#include "calc/loops/LoopAnalyzer.h"
#include "calc/numerics/LoopRegressions.h"

#include "calc/engine/DetectorEnumeratorCore.h"
#include "calc/tests/SyntheticLoops.h"
#include "calc/tests/TimeVaryingElastance.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Sistra;

namespace
{

std::vector<SistraEvent> AnalyzeLoops(const CalcTesting::PreloadReduction& recording, double dt)
{
    CalcTesting::FakeChannel pressure(recording.pressure);
    CalcTesting::FakeChannel volume(recording.volume);
    CalcTesting::FakeEdpEvents edps(recording.edpTicks);
    EEH3::DetectorEnumeratorCore<DetEx_EventAlgorithm> core;
    core.SetArguments(L"0 0 1 -1 -1 -1 -1 0");
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&pressure), static_cast<IEnumFloatEx*>(&volume),
                           static_cast<IEnumEventEx*>(&edps)};
    core.Bind(0, 3, sources, dt, 0);
    std::vector<SistraEvent> loops;
    SistraEvent buffer[4];
    for (;;)
    {
        int32_t count = 0, next = 0;
        const HRESULT hr = core.Next(4, EEH3::LastTick, buffer, count, next);
        std::copy_if(buffer, buffer + count, std::back_inserter(loops),
                     [](const SistraEvent& loop) { return loop.state == LoopStateValid; });
        if (hr != S_OK || count == 0)
            return loops;
    }
}

} // namespace

TEST(PreloadReduction, EndSystolicLinesFindTheVentricleElastanceAndDeadVolume)
{
    const CalcTesting::ElastanceVentricle heart;
    const CalcTesting::PreloadReduction recording(heart, 12, 12.0, 3.0);
    const std::vector<SistraEvent> loops = AnalyzeLoops(recording, heart.dt);
    ASSERT_EQ(12u, loops.size());

    LoopPoints endSystole;
    float smallest = loops.front().vmin, largest = loops.front().vmax;
    for (const SistraEvent& loop : loops)
    {
        endSystole.Add(loop.ves, loop.pes);
        smallest = std::min<float>(smallest, loop.vmin);
        largest = std::max<float>(largest, loop.vmax);
    }
    // The preload falls: so do the end-diastolic volumes, and the loops spread along the relation.
    EXPECT_GT(loops.front().ved, loops.back().ved + 20.0);
    const double volumeRange = largest - smallest;
    for (auto fit : {FitLeastSquaresLine, FitMajorAxisLine})
    {
        FittedLine line;
        ASSERT_TRUE(fit(endSystole, line));
        EXPECT_NEAR(heart.ees, line.slope, 0.1 * heart.ees);
        EXPECT_NEAR(heart.v0, -line.intercept / line.slope, 0.1 * volumeRange);
    }
}
