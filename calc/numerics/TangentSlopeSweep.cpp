// A loop touches the line of slope k near its secant closest to k, and there nearly at the secant's
// middle (its two samples lie equally far from a line parallel to it). Take the touching points as those
// middles: with the loops' secants in order of value, loop j keeps one middle (v_j, p_j) while k stays
// between the midpoints of the secants on either side, so the slopes fall into runs over which every
// loop's point stays put. Over a run the sum of squares at the best intercept is
//     S(k) = Spp − 2 k Svp + k² Svv    (S.. the sums of products about the means of the points),
// least at k = Svp / Svv, taken within the run. One sweep over the runs in rising k, each step moving one
// loop to its next middle and updating the sums, finds the least S over every slope: the fit's own
// residual, which blends two samples and so is smooth within a run, has many local optima on loops
// whose volume is interpolated between few samples, and a fit started anywhere else stops in one of them.
#include "calc/numerics/TangentSlopeSweep.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace Sistra
{
namespace
{

// The loops the sweep takes: every one up to this many, else as many spread evenly over the recording, so
// that a day's beats cost no more than this many (some 7 us a loop, about three times the fits' own). An
// occlusion's loops are far fewer; over a day's, a start from a spread of them lies close to the optimum.
constexpr std::size_t MaxSweptLoops = 16384;

struct Middle
{
    double volume = 0.0;
    double pressure = 0.0;
};

// Where loop `loop` moves on to its next middle.
struct Step
{
    double slope = 0.0;
    std::uint32_t loop = 0;
};

// Sums of the current points, taken about a fixed origin so that a long sweep keeps its digits.
struct PointSums
{
    double n = 0.0, v = 0.0, p = 0.0, vv = 0.0, vp = 0.0, pp = 0.0;

    void Add(const Middle& m, double sign)
    {
        n += sign;
        v += sign * m.volume;
        p += sign * m.pressure;
        vv += sign * m.volume * m.volume;
        vp += sign * m.volume * m.pressure;
        pp += sign * m.pressure * m.pressure;
    }
};

// Each swept loop's secant middles in the order of their secants' values, loop after loop.
struct SortedMiddles
{
    std::vector<Middle> middles;
    std::vector<std::size_t> begins; // swept loop j's middles start here; one more entry ends the last
    std::vector<Step> steps;
};

SortedMiddles SortMiddles(const TangentFitSamples& loops, const Middle& origin)
{
    SortedMiddles sorted;
    std::vector<std::pair<double, Middle>> secants;
    const std::size_t stride = (loops.LoopCount() + MaxSweptLoops - 1) / MaxSweptLoops;
    for (std::size_t taken = 0; taken < loops.LoopCount(); taken += stride)
    {
        const auto j = static_cast<std::uint32_t>(sorted.begins.size());
        const TangentFitSamples::LoopSamples loop = loops.Loop(taken);
        secants.clear();
        for (std::size_t i = 1; i < loop.size; ++i)
        {
            const double v0 = loop.volumes[i - 1], v1 = loop.volumes[i];
            const double p0 = loop.pressures[i - 1], p1 = loop.pressures[i];
            const double secant = (p1 - p0) / (v1 - v0);
            if (std::isfinite(secant))
                secants.push_back({secant, {(v0 + v1) / 2.0 - origin.volume, (p0 + p1) / 2.0 - origin.pressure}});
        }
        std::sort(secants.begin(), secants.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        sorted.begins.push_back(sorted.middles.size());
        for (std::size_t t = 0; t < secants.size(); ++t)
        {
            sorted.middles.push_back(secants[t].second);
            if (t + 1 < secants.size())
                sorted.steps.push_back(
                    {(secants[t].first + secants[t + 1].first) / 2.0, j});
        }
    }
    sorted.begins.push_back(sorted.middles.size());
    std::sort(sorted.steps.begin(), sorted.steps.end(),
              [](const Step& a, const Step& b) { return a.slope < b.slope; });
    return sorted;
}

} // namespace

std::optional<std::array<double, 2>> SweptTangentStart(const TangentFitSamples& loops)
{
    if (loops.LoopCount() == 0 || loops.Loop(0).size == 0)
        return std::nullopt;
    // Any point near the loops serves as the origin; a missing first sample would spoil every sum.
    Middle origin{loops.Loop(0).volumes[0], loops.Loop(0).pressures[0]};
    if (!std::isfinite(origin.volume) || !std::isfinite(origin.pressure))
        origin = {};
    SortedMiddles sorted = SortMiddles(loops, origin);
    PointSums sums;
    const std::size_t swept = sorted.begins.size() - 1;
    std::vector<std::size_t> current(swept);
    for (std::size_t j = 0; j < swept; ++j)
    {
        current[j] = sorted.begins[j];
        if (sorted.begins[j] < sorted.begins[j + 1])
            sums.Add(sorted.middles[current[j]], 1.0);
    }
    if (sums.n < 2.0)
        return std::nullopt;
    std::optional<std::array<double, 2>> best;
    double leastSquares = std::numeric_limits<double>::infinity();
    constexpr double infinite = std::numeric_limits<double>::infinity();
    // The least S within the run of slopes [low, high] at the current points.
    const auto tryRun = [&](double low, double high) {
        const double svv = sums.vv - sums.v * sums.v / sums.n;
        const double svp = sums.vp - sums.v * sums.p / sums.n;
        const double spp = sums.pp - sums.p * sums.p / sums.n;
        if (!(svv > 0.0))
            return;
        const double k = std::clamp(svp / svv, low, high);
        const double squares = spp - 2.0 * k * svp + k * k * svv;
        if (std::isfinite(k) && squares < leastSquares)
        {
            leastSquares = squares;
            const double d = (sums.p - k * sums.v) / sums.n;
            best = std::array<double, 2>{k, d + origin.pressure - k * origin.volume};
        }
    };
    double low = -infinite;
    for (std::size_t s = 0; s < sorted.steps.size();)
    {
        const double slope = sorted.steps[s].slope;
        tryRun(low, slope);
        for (; s < sorted.steps.size() && sorted.steps[s].slope == slope; ++s)
        {
            std::size_t& at = current[sorted.steps[s].loop];
            sums.Add(sorted.middles[at], -1.0);
            sums.Add(sorted.middles[++at], 1.0);
        }
        low = slope;
    }
    tryRun(low, infinite);
    return best;
}

} // namespace Sistra
