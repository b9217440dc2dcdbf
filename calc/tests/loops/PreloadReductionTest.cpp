#include "calc/numerics/LoopRegressions.h"

#include "calc/tests/TimeVaryingElastance.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Sistra;

TEST(PreloadReduction, EndSystolicLinesFindTheVentricleElastanceAndDeadVolume)
{
    const CalcTesting::ElastanceVentricle heart;
    const CalcTesting::PreloadReduction recording(heart, 12, 12.0, 3.0);
    std::vector<SistraEvent> loops = CalcTesting::AnalyzeLoops(recording, heart.dt);
    std::erase_if(loops, [](const SistraEvent& loop) { return loop.state != LoopStateValid; });
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
