// Per loop, the touching point is found where the secant slope between neighbouring samples is closest
// to k (the first such secant on ties). Its end point is blended with the point before it, each weighted
// by the other's distance from the line, so that the deviate changes smoothly while k and d move:
//     e1 = |k V[i-1] + d - P[i-1]|,  e2 = |k V[i] + d - P[i]|,  w = e1 / (e1 + e2),
//     (V, P) = w (V[i], P[i]) + (1 - w) (V[i-1], P[i-1]),  deviate = P - (k V + d).
// Both parameters take finite-difference derivatives: the deviates have no closed-form derivative, and
// a parameter declared analytical without one would never move.
// The secant closest to k lies next to where the loop's secants, in order of value, stop lying below k:
// it is one of the highest below k and the lowest at or above it, unless more lie equally close. So each
// loop keeps the two highest secants below the last k and the two lowest above it, with the samples of
// the inner two; while k stays between those two the answer follows from these four alone. When k leaves
// them, one pass over the loop's samples, in vector lanes where the processor has them, finds the new
// four: a fit's early steps carry k across many secants of every loop, and a search among secants kept in
// order of value read each of its probes from samples apart in memory, one after the other.
#include "calc/numerics/EspvrTangentFit.h"

#include "platform/Processor.h"
#include "platform/mpfit/mpfit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <limits>
#include <memory>
#include <utility>

namespace Sistra
{

namespace
{

constexpr int kSlope = 0;
constexpr int kIntercept = 1;
constexpr double kInfinite = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using LoopSamples = TangentFitSamples::LoopSamples;

// A sample with the one before it (none before sample 0): all a touching point is made of.
struct Corner
{
    int index = 0;
    float volumes[2] = {};   // samples index - 1 and index
    float pressures[2] = {};
};

Corner CornerOf(const LoopSamples& loop, int i)
{
    Corner corner;
    corner.index = i;
    corner.volumes[1] = loop.volumes[i];
    corner.pressures[1] = loop.pressures[i];
    if (i >= 1)
    {
        corner.volumes[0] = loop.volumes[i - 1];
        corner.pressures[0] = loop.pressures[i - 1];
    }
    return corner;
}

struct TouchingPoint
{
    double pressure = 0.0;
    double volume = 0.0;
    int index = 0;  // sample whose secant to its predecessor is closest to k
};

// The secant from sample i - 1 to sample i; not finite where the volume does not move or a value is
// missing (such a secant is never the closest).
double SecantOf(const LoopSamples& loop, size_t i)
{
    const double dV = static_cast<double>(loop.volumes[i]) - loop.volumes[i - 1];
    return (static_cast<double>(loop.pressures[i]) - loop.pressures[i - 1]) / dV;
}

// A loop's secants next to k in their order of value (ties by sample): the two highest below k and the
// two lowest at or above it, with the samples of the inner two. -inf and +inf, with sample 0, where there
// are none: no finite secant takes their place.
struct SecantsAround
{
    double secants[4] = {-kInfinite, -kInfinite, kInfinite, kInfinite};
    int64_t belowSample = 0;  // of secants[1]
    int64_t aboveSample = 0;  // of secants[2]

    // Takes the secant of sample i, the samples coming in rising order.
    void Take(double s, int64_t i, double k)
    {
        if (s < k && s > -kInfinite)
        {
            if (s >= secants[1])
            {
                secants[0] = secants[1];
                secants[1] = s;
                belowSample = i;
            }
            else if (s >= secants[0])
                secants[0] = s;
        }
        else if (s >= k && s < kInfinite)
        {
            if (s < secants[2])
            {
                secants[3] = secants[2];
                secants[2] = s;
                aboveSample = i;
            }
            else if (s < secants[3])
                secants[3] = s;
        }
    }

    // Takes what another pass found over other samples of the same loop.
    void Merge(const SecantsAround& other)
    {
        const double* o = other.secants;
        const double below = std::max(std::min(secants[1], o[1]), std::max(secants[0], o[0]));
        const bool otherBelow = o[1] > secants[1] || (o[1] == secants[1] && other.belowSample > belowSample);
        secants[1] = otherBelow ? o[1] : secants[1];
        belowSample = otherBelow ? other.belowSample : belowSample;
        secants[0] = below;
        const double above = std::min(std::max(secants[2], o[2]), std::min(secants[3], o[3]));
        const bool otherAbove = o[2] < secants[2] || (o[2] == secants[2] && other.aboveSample < aboveSample);
        secants[2] = otherAbove ? o[2] : secants[2];
        aboveSample = otherAbove ? other.aboveSample : aboveSample;
        secants[3] = above;
    }
};

SecantsAround AroundPlain(const LoopSamples& loop, double k)
{
    SecantsAround around;
    for (size_t i = 1; i < loop.size; ++i)
        around.Take(SecantOf(loop, i), static_cast<int64_t>(i), k);
    return around;
}

// What each of Width lanes found over its share of a loop's samples, merged into the loop's.
template <int Width>
struct LaneFinds
{
    double secants[4][Width];
    int64_t belowSamples[Width];
    int64_t aboveSamples[Width];

    SecantsAround Merged() const
    {
        SecantsAround around;
        for (int l = 0; l < Width; ++l)
        {
            SecantsAround one;
            for (int slot = 0; slot < 4; ++slot)
                one.secants[slot] = secants[slot][l];
            one.belowSample = belowSamples[l];
            one.aboveSample = aboveSamples[l];
            around.Merge(one);
        }
        return around;
    }
};

template <int Width>
struct Lanes
{
    typedef double Doubles __attribute__((vector_size(Width * sizeof(double))));
    typedef float Floats __attribute__((vector_size(Width * sizeof(float))));
    typedef int64_t Masks __attribute__((vector_size(Width * sizeof(int64_t))));
};

// The same pass with Width samples side by side, each lane taking its samples in rising order as Take
// does; the lanes are merged at the end.
template <int Width>
[[gnu::always_inline]] inline SecantsAround AroundInLanes(const LoopSamples& loop, double k)
{
    using Doubles = typename Lanes<Width>::Doubles;
    using Floats = typename Lanes<Width>::Floats;
    using Masks = typename Lanes<Width>::Masks;
    if (loop.size < Width + 1)
        return AroundPlain(loop, k);
    // Compares against vectors, not scalars: a scalar operand makes the compiler compare lane by lane.
    Doubles slope = {}, lowest = {}, highest = {};
    Masks belowAt = {}, aboveAt = {}, lane = {}, start = {};
    for (int l = 0; l < Width; ++l)
    {
        slope[l] = k;
        lowest[l] = -kInfinite;
        highest[l] = kInfinite;
        lane[l] = l;
        start[l] = 1;
    }
    Doubles below0 = lowest, below1 = lowest, above0 = highest, above1 = highest;
    // The last run of samples ends with the loop: the lanes it shares with the run before take nothing.
    for (size_t i = 1; i < loop.size; i += Width, start += Width)
    {
        const size_t from = std::min(i, loop.size - Width);
        const Masks at = lane + static_cast<int64_t>(from);
        const Masks fresh = at >= start; // start: i in every lane
        Floats volumes, volumesBefore, pressures, pressuresBefore;
        std::memcpy(&volumes, loop.volumes + from, sizeof volumes);
        std::memcpy(&volumesBefore, loop.volumes + from - 1, sizeof volumes);
        std::memcpy(&pressures, loop.pressures + from, sizeof volumes);
        std::memcpy(&pressuresBefore, loop.pressures + from - 1, sizeof volumes);
        const Doubles dV = __builtin_convertvector(volumes, Doubles) - __builtin_convertvector(volumesBefore, Doubles);
        const Doubles s = (__builtin_convertvector(pressures, Doubles) - __builtin_convertvector(pressuresBefore, Doubles)) / dV;
        const Masks below = fresh & (s < slope) & (s > lowest);
        const Masks above = fresh & (s >= slope) & (s < highest);
        const Masks top = below & (s >= below1);
        const Masks second = below & ~top & (s >= below0);
        below0 = top ? below1 : (second ? s : below0);
        below1 = top ? s : below1;
        belowAt = top ? at : belowAt;
        const Masks bottom = above & (s < above0);
        const Masks next = above & ~bottom & (s < above1);
        above1 = bottom ? above0 : (next ? s : above1);
        above0 = bottom ? s : above0;
        aboveAt = bottom ? at : aboveAt;
    }
    LaneFinds<Width> finds;
    std::memcpy(finds.secants[0], &below0, sizeof below0);
    std::memcpy(finds.secants[1], &below1, sizeof below1);
    std::memcpy(finds.secants[2], &above0, sizeof above0);
    std::memcpy(finds.secants[3], &above1, sizeof above1);
    std::memcpy(finds.belowSamples, &belowAt, sizeof belowAt);
    std::memcpy(finds.aboveSamples, &aboveAt, sizeof aboveAt);
    return finds.Merged();
}

__attribute__((target("avx2"))) SecantsAround AroundInFourLanes(const LoopSamples& loop, double k)
{
    return AroundInLanes<4>(loop, k);
}

// The same pass in eight lanes, written with the mask registers these lanes compare into: the vector
// extensions above, compiled outside such a function, compare these lanes one by one.
__attribute__((target("avx512f,avx512dq"))) SecantsAround AroundInEightLanes(const LoopSamples& loop, double k)
{
    if (loop.size < 9)
        return AroundPlain(loop, k);
    const __m512d slope = _mm512_set1_pd(k), lowest = _mm512_set1_pd(-kInfinite), highest = _mm512_set1_pd(kInfinite);
    const __m512i lane = _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0);
    __m512d below0 = lowest, below1 = lowest, above0 = highest, above1 = highest;
    __m512i belowAt = _mm512_setzero_si512(), aboveAt = _mm512_setzero_si512();
    for (size_t i = 1; i < loop.size; i += 8)
    {
        const size_t from = std::min(i, loop.size - 8);
        const __m512i at = _mm512_add_epi64(lane, _mm512_set1_epi64(static_cast<int64_t>(from)));
        const __mmask8 fresh = _mm512_cmpge_epi64_mask(at, _mm512_set1_epi64(static_cast<int64_t>(i)));
        const __m512d volume = _mm512_cvtps_pd(_mm256_loadu_ps(loop.volumes + from));
        const __m512d volumeBefore = _mm512_cvtps_pd(_mm256_loadu_ps(loop.volumes + from - 1));
        const __m512d pressure = _mm512_cvtps_pd(_mm256_loadu_ps(loop.pressures + from));
        const __m512d pressureBefore = _mm512_cvtps_pd(_mm256_loadu_ps(loop.pressures + from - 1));
        const __m512d s = _mm512_div_pd(_mm512_sub_pd(pressure, pressureBefore), _mm512_sub_pd(volume, volumeBefore));
        const __mmask8 below = _mm512_mask_cmp_pd_mask(fresh, s, slope, _CMP_LT_OQ) & _mm512_cmp_pd_mask(s, lowest, _CMP_GT_OQ);
        const __mmask8 above = _mm512_mask_cmp_pd_mask(fresh, s, slope, _CMP_GE_OQ) & _mm512_cmp_pd_mask(s, highest, _CMP_LT_OQ);
        const __mmask8 top = _mm512_mask_cmp_pd_mask(below, s, below1, _CMP_GE_OQ);
        const __mmask8 second = _mm512_mask_cmp_pd_mask(below & ~top, s, below0, _CMP_GE_OQ);
        below0 = _mm512_mask_mov_pd(_mm512_mask_mov_pd(below0, second, s), top, below1);
        below1 = _mm512_mask_mov_pd(below1, top, s);
        belowAt = _mm512_mask_mov_epi64(belowAt, top, at);
        const __mmask8 bottom = _mm512_mask_cmp_pd_mask(above, s, above0, _CMP_LT_OQ);
        const __mmask8 next = _mm512_mask_cmp_pd_mask(above & ~bottom, s, above1, _CMP_LT_OQ);
        above1 = _mm512_mask_mov_pd(_mm512_mask_mov_pd(above1, next, s), bottom, above0);
        above0 = _mm512_mask_mov_pd(above0, bottom, s);
        aboveAt = _mm512_mask_mov_epi64(aboveAt, bottom, at);
    }
    LaneFinds<8> finds;
    _mm512_storeu_pd(finds.secants[0], below0);
    _mm512_storeu_pd(finds.secants[1], below1);
    _mm512_storeu_pd(finds.secants[2], above0);
    _mm512_storeu_pd(finds.secants[3], above1);
    _mm512_storeu_si512(finds.belowSamples, belowAt);
    _mm512_storeu_si512(finds.aboveSamples, aboveAt);
    return finds.Merged();
}

SecantsAround Around(const LoopSamples& loop, double k, TangentLanes lanes)
{
    if (lanes == TangentLanes::Widest && Platform::HasAvx512())
        return AroundInEightLanes(loop, k);
    if (lanes != TangentLanes::Plain && Platform::HasAvx2())
        return AroundInFourLanes(loop, k);
    return AroundPlain(loop, k);
}

// The first sample (lowest index) whose secant lies closest to k; 0 when none has a finite distance.
int FirstClosest(const LoopSamples& loop, double k)
{
    int best = 0;
    double closest = kInfinite;
    for (size_t i = 1; i < loop.size; ++i)
    {
        const double s = SecantOf(loop, i);
        if (!std::isfinite(s))
            continue;
        const double distance = std::fabs(s - k);
        if (distance < closest)
        {
            closest = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

// What a loop keeps of its secants around the last k asked for (see SecantsAround). The loops' samples
// lie apart in memory: the split keeps the two samples it may answer with beside it. A split never filled
// holds +inf as its highest secant below k, which no finite k lies above: it answers nothing.
struct Split
{
    double secants[4] = {kNaN, kInfinite, kNaN, kNaN}; // the second highest and highest below k, the lowest
                                                       // and second lowest above it; NaN where there is none
    Corner corners[2];  // of the highest below and the lowest above; sample 0 where there is none
};

// The answer from the split's own secants, as a pass over all of them would find it; none when k has left
// them, more secants than these lie equally close, or none lies at a finite distance.
const Corner* ClosestInBracket(double k, const Split& split)
{
    const double* s = split.secants;
    const bool hasBelow = !std::isnan(s[1]), hasAbove = !std::isnan(s[2]);
    if ((hasBelow && !(s[1] < k)) || (hasAbove && !(s[2] >= k)))
        return nullptr;
    const double below = hasBelow ? std::fabs(s[1] - k) : kInfinite;
    const double above = hasAbove ? std::fabs(s[2] - k) : kInfinite;
    const double closest = std::min(below, above);
    if (!(closest < kInfinite))
        return nullptr;
    if ((below == closest && std::fabs(s[0] - k) == closest) || (above == closest && std::fabs(s[3] - k) == closest))
        return nullptr;
    // Equally close on both sides: the lower sample.
    const bool aboveTaken = (above < below) || (above == below && split.corners[1].index < split.corners[0].index);
    return &split.corners[aboveTaken ? 1 : 0];
}

void Remember(const LoopSamples& loop, const SecantsAround& around, Split& split)
{
    for (int slot = 0; slot < 4; ++slot)
        split.secants[slot] = std::isinf(around.secants[slot]) ? kNaN : around.secants[slot];
    split.corners[0] = CornerOf(loop, static_cast<int>(around.belowSample));
    split.corners[1] = CornerOf(loop, static_cast<int>(around.aboveSample));
}

// The first sample (lowest index) whose secant lies closest to k; sample 0 when none has a finite distance.
Corner Closest(const LoopSamples& loop, double k, Split& split, TangentLanes lanes)
{
    if (!std::isfinite(k))
        return CornerOf(loop, 0);
    if (const Corner* found = ClosestInBracket(k, split))
        return *found;
    Remember(loop, Around(loop, k, lanes), split);
    if (const Corner* found = ClosestInBracket(k, split))
        return *found;
    // Ties beyond the four, or no secant at a finite distance: rare enough for a plain pass.
    const int sample = FirstClosest(loop, k);
    for (const Corner& corner : split.corners)
        if (corner.index == sample)
            return corner;
    return CornerOf(loop, sample);
}

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

// Eight loops' splits, field by field, so that the fit answers four or eight loops at once from them:
// each evaluation reads every loop's split, and nearly every one of a settling fit is answered there.
constexpr size_t kBlock = 8;
struct SplitBlock
{
    double secants[4][kBlock];
    int32_t indices[2][kBlock];       // [corner][loop]
    float volumes[2][2][kBlock];      // [corner][sample index - 1, index][loop]
    float pressures[2][2][kBlock];

    SplitBlock()
    {
        for (size_t lane = 0; lane < kBlock; ++lane)
            Put(lane, Split{});
    }

    Split Get(size_t lane) const
    {
        Split split;
        for (int slot = 0; slot < 4; ++slot)
            split.secants[slot] = secants[slot][lane];
        for (int c = 0; c < 2; ++c)
        {
            split.corners[c].index = indices[c][lane];
            for (int at = 0; at < 2; ++at)
            {
                split.corners[c].volumes[at] = volumes[c][at][lane];
                split.corners[c].pressures[at] = pressures[c][at][lane];
            }
        }
        return split;
    }

    void Put(size_t lane, const Split& split)
    {
        for (int slot = 0; slot < 4; ++slot)
            secants[slot][lane] = split.secants[slot];
        for (int c = 0; c < 2; ++c)
        {
            indices[c][lane] = split.corners[c].index;
            for (int at = 0; at < 2; ++at)
            {
                volumes[c][at][lane] = split.corners[c].volumes[at];
                pressures[c][at][lane] = split.corners[c].pressures[at];
            }
        }
    }
};

using Splits = std::vector<SplitBlock>;

// Loop j's touching point at {k, d}, its split brought up to k.
TouchingPoint PointOf(const TangentFitSamples& loops, Splits& splits, size_t j, double k, double d, TangentLanes lanes)
{
    SplitBlock& block = splits[j / kBlock];
    Split split = block.Get(j % kBlock);
    const Corner corner = Closest(loops.Loop(j), k, split, lanes);
    block.Put(j % kBlock, split);
    return TouchingPointOf(corner, k, d);
}

double DeviateOf(const TouchingPoint& point, double k, double d) { return point.pressure - (k * point.volume + d); }

// The deviates of the whole blocks at a finite k, four loops at a time: ClosestInBracket and
// TouchingPointOf worked out in lanes, by the same operations in the same order, both sides computed and
// one taken. Loops the splits do not answer are then found one by one. Returns the loops done.
__attribute__((target("avx2"))) size_t DeviatesInFourLanes(const TangentFitSamples& loops, Splits& splits, double k,
    double d, double* deviates, TangentLanes lanes)
{
    using Doubles = Lanes<4>::Doubles;
    using Masks = Lanes<4>::Masks;
    using Floats = Lanes<4>::Floats;
    typedef int32_t Indices __attribute__((vector_size(4 * sizeof(int32_t))));
    Doubles slope, intercept, infinite, one, zero = {};
    Masks magnitude, two;
    for (size_t lane = 0; lane < 4; ++lane)
    {
        slope[lane] = k;
        intercept[lane] = d;
        infinite[lane] = kInfinite;
        one[lane] = 1.0;
        magnitude[lane] = INT64_MAX; // all bits but the sign
        two[lane] = 2;
    }
    const size_t blocks = loops.LoopCount() / kBlock;
    for (size_t quarter = 0; quarter < blocks * 2; ++quarter)
    {
        const SplitBlock& block = splits[quarter / 2];
        const size_t half = quarter % 2 * 4;
        Doubles s[4];
        for (int slot = 0; slot < 4; ++slot)
            std::memcpy(&s[slot], &block.secants[slot][half], sizeof s[slot]);
        const Masks hasBelow = s[1] == s[1], hasAbove = s[2] == s[2];
        Masks miss = (hasBelow & ~(s[1] < slope)) | (hasAbove & ~(s[2] >= slope));
        const Doubles below = hasBelow ? (Doubles)((Masks)(s[1] - slope) & magnitude) : infinite;
        const Doubles above = hasAbove ? (Doubles)((Masks)(s[2] - slope) & magnitude) : infinite;
        const Doubles closest = above < below ? above : below;
        miss |= ~(closest < infinite);
        miss |= ((below == closest) & ((Doubles)((Masks)(s[0] - slope) & magnitude) == closest)) |
                ((above == closest) & ((Doubles)((Masks)(s[3] - slope) & magnitude) == closest));
        Indices indices[2];
        for (int c = 0; c < 2; ++c)
            std::memcpy(&indices[c], &block.indices[c][half], sizeof indices[c]);
        const Masks index0 = __builtin_convertvector(indices[0], Masks);
        const Masks index1 = __builtin_convertvector(indices[1], Masks);
        const Masks aboveTaken = (above < below) | ((above == below) & (index1 < index0));
        Floats values[2][2][2];  // [volume, pressure][corner][sample]
        for (int c = 0; c < 2; ++c)
            for (int at = 0; at < 2; ++at)
            {
                std::memcpy(&values[0][c][at], &block.volumes[c][at][half], sizeof values[0][c][at]);
                std::memcpy(&values[1][c][at], &block.pressures[c][at][half], sizeof values[1][c][at]);
            }
        Doubles taken[2][2];     // [volume, pressure][sample]
        for (int value = 0; value < 2; ++value)
            for (int at = 0; at < 2; ++at)
                taken[value][at] = aboveTaken ? __builtin_convertvector(values[value][1][at], Doubles)
                                              : __builtin_convertvector(values[value][0][at], Doubles);
        const Doubles* v = taken[0];
        const Doubles* p = taken[1];
        const Masks index = aboveTaken ? index1 : index0;
        const Doubles e1 = (Doubles)((Masks)(slope * v[0] + intercept - p[0]) & magnitude);
        const Doubles e2 = (Doubles)((Masks)(slope * v[1] + intercept - p[1]) & magnitude);
        const Doubles w = (e1 + e2 > zero) ? e1 / (e1 + e2) : one;
        const Masks blended = index >= two;
        const Doubles pressure = blended ? w * p[1] + (one - w) * p[0] : p[1];
        const Doubles volume = blended ? w * v[1] + (one - w) * v[0] : v[1];
        const Doubles deviate = pressure - (slope * volume + intercept);
        std::memcpy(deviates + quarter * 4, &deviate, sizeof deviate);
        for (size_t lane = 0; lane < 4; ++lane)
            if (miss[lane])
            {
                const size_t j = quarter * 4 + lane;
                deviates[j] = DeviateOf(PointOf(loops, splits, j, k, d, lanes), k, d);
            }
    }
    return blocks * kBlock;
}

// The same in eight lanes, written with the mask registers these lanes compare into.
__attribute__((target("avx512f,avx512dq"))) size_t DeviatesInEightLanes(const TangentFitSamples& loops, Splits& splits,
    double k, double d, double* deviates)
{
    const __m512d slope = _mm512_set1_pd(k), intercept = _mm512_set1_pd(d), infinite = _mm512_set1_pd(kInfinite);
    const __m512d one = _mm512_set1_pd(1.0), zero = _mm512_setzero_pd();
    const __m512i two = _mm512_set1_epi64(2);
    const size_t blocks = loops.LoopCount() / kBlock;
    for (size_t b = 0; b < blocks; ++b)
    {
        const SplitBlock& block = splits[b];
        const __m512d s0 = _mm512_loadu_pd(block.secants[0]), s1 = _mm512_loadu_pd(block.secants[1]);
        const __m512d s2 = _mm512_loadu_pd(block.secants[2]), s3 = _mm512_loadu_pd(block.secants[3]);
        const __mmask8 hasBelow = _mm512_cmp_pd_mask(s1, s1, _CMP_ORD_Q), hasAbove = _mm512_cmp_pd_mask(s2, s2, _CMP_ORD_Q);
        unsigned miss = (hasBelow & ~_mm512_cmp_pd_mask(s1, slope, _CMP_LT_OQ)) |
                        (hasAbove & ~_mm512_cmp_pd_mask(s2, slope, _CMP_GE_OQ));
        const __m512d below = _mm512_mask_mov_pd(infinite, hasBelow, _mm512_abs_pd(_mm512_sub_pd(s1, slope)));
        const __m512d above = _mm512_mask_mov_pd(infinite, hasAbove, _mm512_abs_pd(_mm512_sub_pd(s2, slope)));
        const __mmask8 aboveCloser = _mm512_cmp_pd_mask(above, below, _CMP_LT_OQ);
        const __m512d closest = _mm512_mask_mov_pd(below, aboveCloser, above);
        miss |= ~_mm512_cmp_pd_mask(closest, infinite, _CMP_LT_OQ);
        miss |= (_mm512_cmp_pd_mask(below, closest, _CMP_EQ_OQ) &
                 _mm512_cmp_pd_mask(_mm512_abs_pd(_mm512_sub_pd(s0, slope)), closest, _CMP_EQ_OQ)) |
                (_mm512_cmp_pd_mask(above, closest, _CMP_EQ_OQ) &
                 _mm512_cmp_pd_mask(_mm512_abs_pd(_mm512_sub_pd(s3, slope)), closest, _CMP_EQ_OQ));
        const __m512i index0 = _mm512_cvtepi32_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(block.indices[0])));
        const __m512i index1 = _mm512_cvtepi32_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(block.indices[1])));
        const __mmask8 aboveTaken =
            aboveCloser | (_mm512_cmp_pd_mask(above, below, _CMP_EQ_OQ) & _mm512_cmplt_epi64_mask(index1, index0));
        __m512d v[2], p[2];
        for (int at = 0; at < 2; ++at)
        {
            v[at] = _mm512_mask_mov_pd(_mm512_cvtps_pd(_mm256_loadu_ps(block.volumes[0][at])), aboveTaken,
                                       _mm512_cvtps_pd(_mm256_loadu_ps(block.volumes[1][at])));
            p[at] = _mm512_mask_mov_pd(_mm512_cvtps_pd(_mm256_loadu_ps(block.pressures[0][at])), aboveTaken,
                                       _mm512_cvtps_pd(_mm256_loadu_ps(block.pressures[1][at])));
        }
        const __m512i index = _mm512_mask_mov_epi64(index0, aboveTaken, index1);
        const __m512d e1 = _mm512_abs_pd(_mm512_sub_pd(_mm512_add_pd(_mm512_mul_pd(slope, v[0]), intercept), p[0]));
        const __m512d e2 = _mm512_abs_pd(_mm512_sub_pd(_mm512_add_pd(_mm512_mul_pd(slope, v[1]), intercept), p[1]));
        const __m512d sum = _mm512_add_pd(e1, e2);
        const __m512d w = _mm512_mask_mov_pd(one, _mm512_cmp_pd_mask(sum, zero, _CMP_GT_OQ), _mm512_div_pd(e1, sum));
        const __m512d rest = _mm512_sub_pd(one, w);
        const __mmask8 blended = _mm512_cmpge_epi64_mask(index, two);
        const __m512d pressure =
            _mm512_mask_mov_pd(p[1], blended, _mm512_add_pd(_mm512_mul_pd(w, p[1]), _mm512_mul_pd(rest, p[0])));
        const __m512d volume =
            _mm512_mask_mov_pd(v[1], blended, _mm512_add_pd(_mm512_mul_pd(w, v[1]), _mm512_mul_pd(rest, v[0])));
        _mm512_storeu_pd(deviates + b * kBlock, _mm512_sub_pd(pressure, _mm512_add_pd(_mm512_mul_pd(slope, volume), intercept)));
        for (size_t lane = 0; lane < kBlock; ++lane)
            if (miss >> lane & 1)
            {
                const size_t j = b * kBlock + lane;
                deviates[j] = DeviateOf(PointOf(loops, splits, j, k, d, TangentLanes::Widest), k, d);
            }
    }
    return blocks * kBlock;
}

// splits: each loop's split of its secants at the last k asked for.
void Deviates(const TangentFitSamples& loops, Splits& splits, double k, double d, double* deviates,
    TangentPoints* touching, TangentLanes lanes)
{
    size_t j = 0;
    if (touching == nullptr && lanes == TangentLanes::Widest && std::isfinite(k) && Platform::HasAvx512())
        j = DeviatesInEightLanes(loops, splits, k, d, deviates);
    else if (touching == nullptr && lanes != TangentLanes::Plain && std::isfinite(k) && Platform::HasAvx2())
        j = DeviatesInFourLanes(loops, splits, k, d, deviates, lanes);
    for (; j < loops.LoopCount(); ++j)
    {
        const TouchingPoint point = PointOf(loops, splits, j, k, d, lanes);
        deviates[j] = DeviateOf(point, k, d);
        if (touching != nullptr)
        {
            touching->pressures[j] = point.pressure;
            touching->volumes[j] = point.volume;
            touching->indices[j] = point.index - 1;
        }
    }
}

size_t BlocksFor(const TangentFitSamples& loops) { return (loops.LoopCount() + kBlock - 1) / kBlock; }

int TangentResidual(int /*m*/, int /*npar*/, double* p, double* deviates, double** /*dvec*/, void* privateData)
{
    static_cast<TangentDeviateSeries*>(privateData)->Deviates(p[kSlope], p[kIntercept], deviates);
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
        if (loops.Loop(j).size == 0)
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
    volumes_.insert(volumes_.end(), volumes, volumes + count);
    pressures_.insert(pressures_.end(), pressures, pressures + count);
    ends_.push_back(volumes_.size());
}

void TangentDeviates(const std::vector<TangentFitLoop>& loops, double k, double d, double* deviates,
    TangentPoints* touching)
{
    TangentDeviates(InOneBlock(loops), k, d, deviates, touching);
}

struct TangentDeviateSeries::Kept
{
    Splits splits;
};

TangentDeviateSeries::TangentDeviateSeries(const TangentFitSamples& loops, TangentLanes lanes)
    : loops_(loops), lanes_(lanes), kept_(std::make_unique<Kept>(Kept{Splits(BlocksFor(loops))}))
{
}

TangentDeviateSeries::~TangentDeviateSeries() = default;

void TangentDeviateSeries::Deviates(double k, double d, double* deviates, TangentPoints* touching)
{
    Sistra::Deviates(loops_, kept_->splits, k, d, deviates, touching, lanes_);
}

void TangentDeviates(const TangentFitSamples& loops, double k, double d, double* deviates, TangentPoints* touching,
    TangentLanes lanes)
{
    TangentDeviateSeries(loops, lanes).Deviates(k, d, deviates, touching);
}

bool FitEspvrTangentLine(const std::vector<TangentFitLoop>& loops, const std::array<double, 2>& start,
    std::array<double, 2>& fitted, TangentPoints* touching)
{
    return UsableLoops(loops) && FitEspvrTangentLine(InOneBlock(loops), start, fitted, touching);
}

bool FitEspvrTangentLine(const TangentFitSamples& loops, const std::array<double, 2>& start,
    std::array<double, 2>& fitted, TangentPoints* touching, TangentLanes lanes, mp_config* limits)
{
    if (!std::isfinite(start[kSlope]) || !std::isfinite(start[kIntercept]) || !UsableLoops(loops))
        return false;

    std::array<double, 2> params = start;
    mp_par pars[2];
    pars[kSlope].side = 0;
    pars[kIntercept].side = 0;
    const int m = static_cast<int>(loops.LoopCount());
    TangentDeviateSeries series(loops, lanes);
    const int status = mpfit(TangentResidual, m, 2, params.data(), pars, limits, &series, nullptr);
    fitted = params;
    if (!MpFitSolved(status))
        return false;

    if (touching != nullptr)
    {
        touching->pressures.assign(m, 0.0);
        touching->volumes.assign(m, 0.0);
        touching->indices.assign(m, 0);
        std::vector<double> deviates(m);
        series.Deviates(params[kSlope], params[kIntercept], deviates.data(), touching);
    }
    return true;
}

} // namespace Sistra
