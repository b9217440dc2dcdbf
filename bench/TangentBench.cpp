// Cost of the end-systolic tangent fit on loops as a human recording with MRI volumes gives them, from an
// occlusion's 30 loops to a day's 100,000: the sweep over every slope that finds where the fit starts,
// against the whole fit (the sweep and the fits from every start). Prints the sweep's share of the whole
// fit over all sizes last.
#include "calc/numerics/LoopRegressions.h"
#include "calc/numerics/TangentSlopeSweep.h"
#include "calc/tests/MriLikeLoops.h"

#include <chrono>
#include <cstdio>
#include <functional>

namespace
{

constexpr int kLoopCounts[] = {30, 1000, 16384, 100000};
constexpr double kMinimumSeconds = 0.2; // each measurement repeats its work at least this long

// Seconds per run of the work, repeated until kMinimumSeconds have passed.
double SecondsPerRun(const std::function<void()>& work)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point begin = Clock::now();
    int runs = 0;
    double seconds = 0.0;
    do
    {
        work();
        ++runs;
        seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    } while (seconds < kMinimumSeconds);
    return seconds / runs;
}

} // namespace

int main()
{
    std::printf("milliseconds per fit\n%8s %12s %12s %8s\n", "loops", "sweep", "whole fit", "share");
    double sweepTotal = 0.0, fitTotal = 0.0;
    for (int count : kLoopCounts)
    {
        const Sistra::TangentSegments segments = CalcTesting::MriLikeLoops(1, count);
        const double sweep = SecondsPerRun([&] { (void)Sistra::SweptTangentStart(segments.samples); });
        const double fit = SecondsPerRun([&] {
            Sistra::FittedLine line;
            Sistra::TangentPoints touching;
            (void)Sistra::FitTangentRelation(segments, line, touching);
        });
        sweepTotal += sweep;
        fitTotal += fit;
        std::printf("%8d %12.3f %12.3f %8.3f\n", count, 1e3 * sweep, 1e3 * fit, sweep / fit);
    }
    std::printf("sweep / whole tangent fit over all sizes: %.3f\n", sweepTotal / fitTotal);
    return 0;
}
