// Per loop, the touching point is found where the secant slope between neighbouring samples is closest
// to k (the first such secant on ties). Its end point is blended with the point before it, each weighted
// by the other's distance from the line, so that the deviate changes smoothly while k and d move:
//     e1 = |k V[i-1] + d - P[i-1]|,  e2 = |k V[i] + d - P[i]|,  w = e1 / (e1 + e2),
//     (V, P) = w (V[i], P[i]) + (1 - w) (V[i-1], P[i-1]),  deviate = P - (k V + d).
// Both parameters take finite-difference derivatives: the deviates have no closed-form derivative, and
// a parameter declared analytical without one would never move.
#include "calc/numerics/EspvrTangentFit.h"

#include "calc/numerics/ValueOrder.h"

#include "platform/mpfit/mpfit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

namespace Sistra
{

namespace
{

constexpr int kSlope = 0;
constexpr int kIntercept = 1;

// A sample with the one before it (none before sample 0): all a touching point is made of.
struct Corner
{
    int index = 0;
    float volumes[2] = {};   // samples index - 1 and index
    float pressures[2] = {};
};

using Samples = std::span<const TangentFitSamples::Sample>;

Corner CornerOf(Samples loop, int i)
{
    Corner corner;
    corner.index = i;
    corner.volumes[1] = loop[i].volume;
    corner.pressures[1] = loop[i].pressure;
    if (i >= 1)
    {
        corner.volumes[0] = loop[i - 1].volume;
        corner.pressures[0] = loop[i - 1].pressure;
    }
    return corner;
}

struct TouchingPoint
{
    double pressure = 0.0;
    double volume = 0.0;
    int index = 0;  // sample whose secant to its predecessor is closest to k
};

// The secant from sample i - 1 to sample i; none where the volume does not move or a value is missing
// (such a secant is never the closest).
std::optional<double> Secant(Samples loop, size_t i)
{
    const double dV = static_cast<double>(loop[i].volume) - loop[i - 1].volume;
    if (dV == 0.0 || std::isnan(dV))
        return std::nullopt;
    const double secant = (static_cast<double>(loop[i].pressure) - loop[i - 1].pressure) / dV;
    return std::isfinite(secant) ? std::optional(secant) : std::nullopt;
}

// Every loop's samples ordered by their secants (ties by sample), so that the secant closest to a slope
// is found by bisection: the fit asks for it at every evaluation, and a pass over every sample of every
// loop each time cost more than all the rest of the analysis.
class SecantOrder
{
public:
    explicit SecantOrder(const TangentFitSamples& loops) : loops_(loops)
    {
        starts_.reserve(loops.LoopCount() + 1);
        starts_.push_back(0);
        size_t total = 0;
        for (size_t j = 0; j < loops.LoopCount(); ++j)
            total += loops.Loop(j).size();
        samples_.reserve(total);
        std::vector<double> secants;
        std::vector<uint32_t> samples, order;
        for (size_t j = 0; j < loops.LoopCount(); ++j)
        {
            const Samples loop = loops.Loop(j);
            secants.clear();
            samples.clear();
            for (size_t i = 1; i < loop.size(); ++i)
                if (const auto secant = Secant(loop, i))
                {
                    secants.push_back(*secant);
                    samples.push_back(static_cast<uint32_t>(i));
                }
            // The samples rise along the secants: ties in secant go by sample.
            order.resize(secants.size());
            OrderByValue(secants, order);
            for (const uint32_t at : order)
                samples_.push_back(samples[at]);
            starts_.push_back(samples_.size());
        }
    }

    // Where a loop's secants stop lying below k, from the last call for this loop, and the secants around
    // that split then: k moves little between the fit's evaluations, and while it stays between the same
    // two secants the answer follows from these alone, without reading the loop's samples again. The
    // loops' samples lie apart in memory: the split keeps the two samples it may answer with beside it.
    struct Split
    {
        uint32_t at = 0;          // index among the loop's ordered secants
        bool bracketed = false;   // the secants below hold the ones at at - 2 .. at + 1
        double secants[4] = {};   // at - 2, at - 1, at, at + 1; NaN where there is none
        Corner corners[2];        // of the secants at at - 1 and at; sample 0 where there is none
    };

    // The first sample (lowest index) whose secant lies closest to k; 0 when none has a finite distance.
    Corner Closest(size_t loop, double k, Split& split) const
    {
        if (!std::isfinite(k))
            return CornerOf(loops_.Loop(loop), 0);
        if (split.bracketed)
            if (const Corner* found = ClosestInBracket(k, split))
                return *found;
        return Kept(loop, ClosestBySearching(loop, k, split), split);
    }

private:
    Corner Kept(size_t loop, int sample, const Split& split) const
    {
        for (const Corner& corner : split.corners)
            if (corner.index == sample)
                return corner;
        return CornerOf(loops_.Loop(loop), sample);
    }

    double SecantAt(size_t loop, size_t at) const { return *Secant(loops_.Loop(loop), samples_[at]); }

    // The answer from the split's own secants, as ClosestBySearching would find it; none when k has left
    // them, more secants than these lie equally close, or none lies at a finite distance. Nearly every
    // evaluation of a settling fit ends here, and which side is closer follows k from loop to loop at
    // random: the side is chosen without a branch to mispredict.
    static const Corner* ClosestInBracket(double k, const Split& split)
    {
        const double* s = split.secants;
        const bool hasBelow = !std::isnan(s[1]), hasAbove = !std::isnan(s[2]);
        if ((hasBelow && !(s[1] < k)) || (hasAbove && !(s[2] >= k)))
            return nullptr;
        const double infinite = std::numeric_limits<double>::infinity();
        const double below = hasBelow ? std::fabs(s[1] - k) : infinite;
        const double above = hasAbove ? std::fabs(s[2] - k) : infinite;
        const double closest = std::min(below, above);
        if (!(closest < infinite))
            return nullptr;
        if ((below == closest && std::fabs(s[0] - k) == closest) || (above == closest && std::fabs(s[3] - k) == closest))
            return nullptr;
        // Equally close on both sides: the lower sample.
        const bool aboveTaken = (above < below) | ((above == below) & (split.corners[1].index < split.corners[0].index));
        return &split.corners[aboveTaken ? 1 : 0];
    }

    // The first place in [first, end) whose secant is not below k (end when none), searched for from at,
    // where it was for the last k: outward in doubling steps, then by halving. A step of the fit may
    // carry k past many of a loop's secants, and each one read is a division over samples apart in memory.
    template <class SecantOf>
    static size_t SplitPlace(size_t first, size_t end, size_t at, double k, const SecantOf& secant)
    {
        size_t low = first, high = end; // the place lies in [low, high]
        if (at > first && secant(at - 1) >= k)
        {
            high = at - 1;
            for (size_t step = 1; high > low; step *= 2)
            {
                const size_t probe = high - std::min(step, high - low);
                if (secant(probe) < k)
                {
                    low = probe + 1;
                    break;
                }
                high = probe;
            }
        }
        else if (at < end && secant(at) < k)
        {
            low = at + 1;
            for (size_t step = 1; low < high; step *= 2)
            {
                const size_t probe = low + std::min(step, high - low) - 1;
                if (secant(probe) >= k)
                {
                    high = probe;
                    break;
                }
                low = probe + 1;
            }
        }
        else
            return at;
        while (low < high)
        {
            const size_t middle = low + (high - low) / 2;
            if (secant(middle) < k)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }

    // The secants a search reads, each worked out once: those the split kept from the last search, and the
    // four around the new split, which the distances and the next split take again.
    class SecantMemo
    {
    public:
        SecantMemo(const SecantOrder& order, size_t loop, const Split& kept, size_t keptAt)
            : order_(order), loop_(loop), kept_(kept.bracketed ? kept.secants : nullptr), keptAt_(keptAt)
        {
        }

        double operator()(size_t at) const
        {
            if (const double* known = Known(kept_, keptAt_, at))
                return *known;
            if (const double* known = Known(around_, aroundAt_, at))
                return *known;
            return order_.SecantAt(loop_, at);
        }

        // Keeps the secants at at - 2 .. at + 1 that lie in [first, end); NaN for the others.
        void Around(size_t at, size_t first, size_t end)
        {
            double secants[4];
            for (size_t slot = 0; slot < 4; ++slot)
            {
                const size_t place = at + slot; // two more than the secant's index
                secants[slot] = place >= first + 2 && place < end + 2 ? (*this)(place - 2)
                                                                      : std::numeric_limits<double>::quiet_NaN();
            }
            std::copy(std::begin(secants), std::end(secants), around_);
            aroundAt_ = at;
            haveAround_ = true;
        }
        const double* AroundSecants() const { return around_; }

    private:
        // The kept secant of place among the four around at; none outside them or where none is kept.
        const double* Known(const double* secants, size_t at, size_t place) const
        {
            if (secants == nullptr || (secants == around_ && !haveAround_) || place + 2 < at || place + 2 >= at + 4)
                return nullptr;
            const double* known = secants + (place + 2 - at);
            return std::isnan(*known) ? nullptr : known;
        }

        const SecantOrder& order_;
        size_t loop_;
        const double* kept_;
        size_t keptAt_;
        double around_[4] = {};
        size_t aroundAt_ = 0;
        bool haveAround_ = false;
    };

    // The distance |s - k| falls while the secants s rise towards k and grows beyond it, so the closest lie
    // on either side of the split and the equally close ones next to them.
    int ClosestBySearching(size_t loop, double k, Split& split) const
    {
        const size_t first = starts_[loop], end = starts_[loop + 1];
        const size_t keptAt = first + std::min<size_t>(split.at, end - first);
        SecantMemo secant(*this, loop, split, keptAt);
        const size_t at = SplitPlace(first, end, keptAt, k, secant);
        secant.Around(at, first, end);
        const auto distance = [&](size_t at) { return std::fabs(secant(at) - k); };
        const double infinite = std::numeric_limits<double>::infinity();
        const double below = at != first ? distance(at - 1) : infinite;
        const double above = at != end ? distance(at) : infinite;
        const double closest = std::min(below, above);
        auto best = std::numeric_limits<uint32_t>::max();
        if (below == closest && closest < infinite)
            for (size_t next = at - 1;; --next)
            {
                best = std::min(best, samples_[next]);
                if (next == first || distance(next - 1) != closest)
                    break;
            }
        if (above == closest && closest < infinite)
            for (size_t next = at;; ++next)
            {
                best = std::min(best, samples_[next]);
                if (next + 1 == end || distance(next + 1) != closest)
                    break;
            }
        Remember(loop, at, secant.AroundSecants(), split);
        return closest < infinite ? static_cast<int>(best) : 0;
    }

    void Remember(size_t loop, size_t at, const double* secants, Split& split) const
    {
        const size_t first = starts_[loop], end = starts_[loop + 1];
        split.at = static_cast<uint32_t>(at - first);
        split.bracketed = true;
        std::copy(secants, secants + 4, split.secants);
        split.corners[0] = CornerOf(loops_.Loop(loop), at > first ? static_cast<int>(samples_[at - 1]) : 0);
        split.corners[1] = CornerOf(loops_.Loop(loop), at < end ? static_cast<int>(samples_[at]) : 0);
    }

    const TangentFitSamples& loops_;
    std::vector<uint32_t> samples_;  // loop j's samples i >= 1 with a secant: [starts_[j], starts_[j + 1])
    std::vector<size_t> starts_;
};

TouchingPoint TouchingPointOf(const Corner& corner, double k, double d)
{
    const float* v = corner.volumes;
    const float* p = corner.pressures;
    TouchingPoint point;
    point.index = corner.index;
    point.pressure = p[1];
    point.volume = v[1];
    if (corner.index >= 2)
    {
        const double e1 = std::fabs(k * v[0] + d - p[0]);
        const double e2 = std::fabs(k * v[1] + d - p[1]);
        // Both points on the line: any blend is on it, keep the sample itself.
        const double w = (e1 + e2 > 0.0) ? e1 / (e1 + e2) : 1.0;
        point.pressure = w * p[1] + (1.0 - w) * p[0];
        point.volume = w * v[1] + (1.0 - w) * v[0];
    }
    return point;
}

// splits: each loop's split of its secants at the last k asked for (see SecantOrder::Split).
void Deviates(const TangentFitSamples& loops, const SecantOrder& order, std::vector<SecantOrder::Split>& splits,
    double k, double d, double* deviates, TangentPoints* touching)
{
    for (size_t j = 0; j < loops.LoopCount(); ++j)
    {
        const TouchingPoint point = TouchingPointOf(order.Closest(j, k, splits[j]), k, d);
        deviates[j] = point.pressure - (k * point.volume + d);
        if (touching != nullptr)
        {
            touching->pressures[j] = point.pressure;
            touching->volumes[j] = point.volume;
            touching->indices[j] = point.index - 1;
        }
    }
}

struct FitData
{
    const TangentFitSamples& loops;
    const SecantOrder order;
    std::vector<SecantOrder::Split> splits;
};

int TangentResidual(int /*m*/, int /*npar*/, double* p, double* deviates, double** /*dvec*/, void* privateData)
{
    auto& data = *static_cast<FitData*>(privateData);
    Deviates(data.loops, data.order, data.splits, p[kSlope], p[kIntercept], deviates, nullptr);
    return 0;
}

bool UsableLoops(const std::vector<TangentFitLoop>& loops)
{
    for (const TangentFitLoop& loop : loops)
        if (loop.volumes.empty() || loop.volumes.size() != loop.pressures.size())
            return false;
    return true;
}

bool UsableLoops(const TangentFitSamples& loops)
{
    for (size_t j = 0; j < loops.LoopCount(); ++j)
        if (loops.Loop(j).empty())
            return false;
    return true;
}

TangentFitSamples InOneBlock(const std::vector<TangentFitLoop>& loops)
{
    TangentFitSamples block;
    size_t total = 0;
    for (const TangentFitLoop& loop : loops)
        total += loop.volumes.size();
    block.Reserve(total);
    for (const TangentFitLoop& loop : loops)
        block.AddLoop(loop);
    return block;
}

} // namespace

void TangentFitSamples::AddLoop(const float* pressures, const float* volumes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        samples_.push_back({volumes[i], pressures[i]});
    ends_.push_back(samples_.size());
}

void TangentDeviates(const std::vector<TangentFitLoop>& loops, double k, double d, double* deviates,
    TangentPoints* touching)
{
    TangentDeviates(InOneBlock(loops), k, d, deviates, touching);
}

void TangentDeviates(const TangentFitSamples& loops, double k, double d, double* deviates, TangentPoints* touching)
{
    std::vector<SecantOrder::Split> splits(loops.LoopCount());
    Deviates(loops, SecantOrder(loops), splits, k, d, deviates, touching);
}

bool FitEspvrTangentLine(const std::vector<TangentFitLoop>& loops, const std::array<double, 2>& start,
    std::array<double, 2>& fitted, TangentPoints* touching)
{
    return UsableLoops(loops) && FitEspvrTangentLine(InOneBlock(loops), start, fitted, touching);
}

bool FitEspvrTangentLine(const TangentFitSamples& loops, const std::array<double, 2>& start,
    std::array<double, 2>& fitted, TangentPoints* touching)
{
    if (!std::isfinite(start[kSlope]) || !std::isfinite(start[kIntercept]) || !UsableLoops(loops))
        return false;

    std::array<double, 2> params = start;
    mp_par pars[2];
    pars[kSlope].side = 0;
    pars[kIntercept].side = 0;
    const int m = static_cast<int>(loops.LoopCount());
    FitData data{loops, SecantOrder(loops), std::vector<SecantOrder::Split>(loops.LoopCount())};
    const int status = mpfit(TangentResidual, m, 2, params.data(), pars, nullptr, &data, nullptr);
    fitted = params;
    if (status <= 0)
        return false;

    if (touching != nullptr)
    {
        touching->pressures.assign(m, 0.0);
        touching->volumes.assign(m, 0.0);
        touching->indices.assign(m, 0);
        std::vector<double> deviates(m);
        Deviates(loops, data.order, data.splits, params[kSlope], params[kIntercept], deviates.data(), touching);
    }
    return true;
}

} // namespace Sistra
