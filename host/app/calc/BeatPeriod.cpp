#include "host/app/calc/BeatPeriod.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Host::Calc
{

namespace
{

// A partner may lie this share of the lag either way of it: the beat-to-beat variation of the period.
constexpr double PartnerTolerance = 0.15;
constexpr double LagStep = 1.01;
// Below this paired share no lag is a period; a shorter lag is taken over the best one from this share of
// its score on.
constexpr double MinPairedShare = 0.3;
constexpr double RunShare = 0.6;
constexpr int MinCounted = 3;

bool HasPartner(std::span<const Deflection> deflections, double at, double reach)
{
    const auto found = std::lower_bound(deflections.begin(), deflections.end(), at - reach,
                                        [](const Deflection& d, double tick) { return static_cast<double>(d.tick) < tick; });
    return found != deflections.end() && static_cast<double>(found->tick) <= at + reach;
}

double PairedShare(std::span<const Deflection> deflections, int64_t from, int64_t to, double lag)
{
    const double reach = PartnerTolerance * lag;
    double counted = 0.0, paired = 0.0;
    int count = 0;
    for (const Deflection& d : deflections)
    {
        const auto tick = static_cast<double>(d.tick);
        if (tick - lag - reach < static_cast<double>(from) || tick + lag + reach >= static_cast<double>(to))
            continue;
        counted += d.weight;
        ++count;
        // A beat missing leaves its neighbours a partner two lags away on that side.
        const auto near = [&](double direction) { return HasPartner(deflections, tick + direction * lag, reach); };
        const auto far = [&](double direction) { return HasPartner(deflections, tick + 2.0 * direction * lag, 2.0 * reach); };
        if ((near(-1.0) && (near(1.0) || far(1.0))) || (near(1.0) && far(-1.0)))
            paired += d.weight;
    }
    return count >= MinCounted && counted > 0.0 ? paired / counted : 0.0;
}

} // namespace

// For a lag L the paired share is
//   S(L) = sum of w over the deflections x with a partner within 0.15 L of x - L and of x + L (or, on one
//          side, within 0.3 L of x - 2 L or x + 2 L instead)
//          / sum of w over the deflections x whose two nearer partners' places lie inside [from, to).
// Every beat repeats both ways at the period (or twice it, where one beat is missing); the spacing of a
// beat's two deflections does not (nothing lies as far beyond the second), nor that of a beat and a spike. Multiples of the period score as high as the
// period (higher where premature beats and their pauses repeat every few beats), so it is the first run of
// lags (on a 1 % grid) scoring at least 0.6 of the best, and the geometric
// middle of that run: the run spans the beat-to-beat variation either side of the period.
std::optional<double> EstimateBeatPeriod(std::span<const Deflection> deflections, int64_t from, int64_t to,
                                         const PeriodRange& range)
{
    std::vector<std::pair<double, double>> scores;
    for (double lag = std::max(1.0, range.shortest); lag <= range.longest; lag *= LagStep)
        scores.emplace_back(lag, PairedShare(deflections, from, to, lag));
    double best = 0.0;
    for (const auto& [lag, score] : scores)
        best = std::max(best, score);
    if (best < MinPairedShare)
        return std::nullopt;
    const auto first = std::find_if(scores.begin(), scores.end(), [&](const auto& s) { return s.second >= RunShare * best; });
    const auto last = std::find_if(first, scores.end(), [&](const auto& s) { return s.second < RunShare * best; }) - 1;
    return std::sqrt(first->first * last->first);
}

} // namespace Host::Calc
