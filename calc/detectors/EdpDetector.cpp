// The knee of an upstroke. Between the foot f (the lowest sample after the previous peak) and the peak c,
// the upstroke line runs through the last sample k above half the beat's amplitude with the steepest
// secant slope s1 seen from k; the baseline runs through the foot with the flattest secant slope s seen
// from the foot (first over the upper three quarters of [f, k), then over all of it, then flat), taking
// the first whose angle differs from the upstroke's by at least 30 degrees once both slopes are scaled to
// the beat's amplitude. A dividing line through the two lines' intersection, tilted to split the angle
// between them 40:60, cuts the signal; from that cut the knee walks back while the signal still rises
// faster than (9 s + s1) / 5 per tick.
// A record's first point is the knee of the upstroke from the record's first foot. A point on the record's
// first tick never reaches the host: the record started at or after its knee. With noise, a record that
// starts part way up an upstroke puts that knee a few samples in, anywhere up to the peak; so the first
// point stands only where a baseline leads into it (KneeEndsABaseline), and otherwise the record's first
// loop starts at the next beat.
#include "calc/detectors/EdpDetector.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numbers>

namespace Sistra
{
namespace
{

constexpr double MinimumCornerAngle = std::numbers::pi / 6.0;
constexpr double DividingShare = 0.4;
constexpr double BaselineWeight = 9.0;
constexpr double RefinementDivisor = 5.0;
constexpr double QuarterWeight = 0.25;

struct Line
{
    double slope;
    double intercept;
};

// The flattest baseline slope whose angle stays far enough below the upstroke's.
double BaselineSlope(const SecantScan& fromFoot, int32_t q, int32_t k, double scale, double upstrokeAngle)
{
    const double candidates[] = {MinSecantSlope(fromFoot, q, k), MinSecantSlope(fromFoot, fromFoot.originTick, k),
                                 0.0};
    for (double slope : candidates)
        if (upstrokeAngle - std::atan(scale * slope) >= MinimumCornerAngle)
            return slope;
    return 0.0;
}

} // namespace

double MinSecantSlope(const SecantScan& scan, int32_t from, int32_t to)
{
    double best = DBL_MAX;
    for (int32_t tick = from; tick < to; ++tick)
        if (scan.Slope(tick) < best)
            best = scan.Slope(tick);
    return best;
}

double MaxSecantSlope(const SecantScan& scan, int32_t from, int32_t to)
{
    double best = 0.0;
    for (int32_t tick = from; tick < to; ++tick)
        if (scan.Slope(tick) > best)
            best = scan.Slope(tick);
    return best;
}

namespace
{

// The upstroke's line and its angle once the beat is scaled to its amplitude.
struct Upstroke
{
    int32_t k;     // the last sample above half the beat's amplitude
    double yk;     // its sample
    double slope;  // the steepest secant to it
    double scale;  // turns a slope into rise per upstroke in units of the beat's amplitude
    double angle;
};

Upstroke UpstrokeOf(std::span<const double> w, int32_t f, double vp)
{
    const auto n = static_cast<int32_t>(w.size());
    const double vf = w[0];
    const double half = (vp + vf) * 0.5;
    Upstroke up{f - 1, w[0], 0.0, n / (vp - vf), 0.0};
    for (int32_t tick = f + n - 1; tick >= f; --tick)
        if (w[static_cast<std::size_t>(tick - f)] > half)
        {
            up.k = tick;
            up.yk = w[static_cast<std::size_t>(tick - f)];
            break;
        }
    up.slope = MaxSecantSlope(SecantScan{w, f, up.k, up.yk}, f, up.k);
    up.angle = std::atan(up.scale * up.slope);
    return up;
}

} // namespace

int32_t FindKneeTick(std::span<const double> w, int32_t f, double vp)
{
    const auto n = static_cast<int32_t>(w.size());
    const int32_t c = f + n;
    const double vf = w[0];
    auto at = [&](int32_t tick) { return w[static_cast<std::size_t>(tick - f)]; };

    const Upstroke up = UpstrokeOf(w, f, vp);
    const int32_t k = up.k;
    const double yk = up.yk, s1 = up.slope, scale = up.scale, a1 = up.angle;
    const auto q = static_cast<int32_t>((3.0 * f + k) * QuarterWeight);
    const double s = BaselineSlope(SecantScan{w, f, f, vf}, q, k, scale, a1);
    const double a2 = std::atan(scale * s);

    const Line baseline{s, vf - f * s};
    const Line upstroke{s1, yk - k * s1};
    const double s3 = -std::tan(DividingShare * (std::numbers::pi - (a1 - a2)) - a2) / scale;
    const Line dividing{s3, baseline.intercept + (upstroke.intercept - baseline.intercept) * (s - s3) / (s - s1)};

    int32_t j = c - 1;
    while (j > f && !(dividing.slope * j + dividing.intercept >= at(j)))
        --j;
    const double s4 = (BaselineWeight * s + s1) / RefinementDivisor;
    for (; j > f; --j)
    {
        const int32_t d = j - f;
        const bool rising = d == n - 1 ? w[d - 1] + s4 * 0.5 >= w[d] : w[d - 1] + s4 >= w[d + 1];
        if (rising)
            break;
    }
    return j;
}

bool KneeEndsABaseline(std::span<const double> w, int32_t f, double vp, int32_t knee)
{
    const double vf = w[0], atKnee = w[static_cast<std::size_t>(knee - f)];
    if (knee <= f || atKnee > (vp + vf) * 0.5)
        return false;
    const double secant = (atKnee - vf) / (knee - f);
    const Upstroke up = UpstrokeOf(w, f, vp);
    return up.angle - std::atan(up.scale * secant) >= MinimumCornerAngle;
}

void EdpParams::Read(std::wistream& in)
{
    double height = 0.0;
    if (!(in >> height))
        height = 0.0;
    // The class allows heights up to the largest double; beyond the float's range the conversion is
    // undefined, and an infinite height would be written as text that reads back as no height at all.
    minimumPeakHeight = static_cast<float>(std::clamp(height, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
    ReadLimits(in);
}

void EdpParams::Write(std::wostream& out) const
{
    // Every digit of the float, so that the text reads back as the same height.
    const std::streamsize precision = out.precision(std::numeric_limits<float>::max_digits10);
    out << minimumPeakHeight << L' ';
    out.precision(precision);
    ParamsBase::Write(out);
}

void EdpParams::BuildSources(uint32_t count, IUnknown* const* sources)
{
    if (count < 2)
        return;
    AddChannelSource(sources[0]);
    // A second cursor lets the foot be searched behind the peak without losing cursor A's place. A channel
    // that hands out no clone is read by cursor A alone, which the knee search allows: it reads the peak
    // before it moves to the foot.
    Orv::ComPtr<IEnumFloatEx> channel;
    Orv::ComPtr<IEnumFloatEx> clone;
    if (sources[0] && SUCCEEDED(sources[0]->QueryInterface(IID_IEnumFloatEx, channel.PutVoid())) &&
        SUCCEEDED(channel->Clone(clone.Put())) && clone)
        AddChannelSource(clone.Get());
    AddEventSource<OrvEventBase>(sources[1]);
}

bool EdpAlgorithm::FindFirstFoot(State& state, Params& params, const OrvEventBase& peak, int32_t& foot)
{
    // The lowest sample before a peak is the lowest of the record so far: the scan goes on from where the
    // previous (rejected) peak left it, so peaks that keep failing the height test cost nothing more.
    EEH3::FloatExWrapper& cursor = params.CursorB();
    cursor.Seek(state.footScanTick);
    for (; state.footScanTick < peak.tick && cursor.HasCurrent(); ++state.footScanTick, cursor.Advance())
    {
        if (state.footScanLowestTick < 0 || cursor.Current() < state.footScanLowest)
        {
            state.footScanLowest = cursor.Current();
            state.footScanLowestTick = state.footScanTick;
        }
    }
    const auto peakValue = static_cast<float>(peak.value);
    const bool belowPeak = state.footScanLowestTick >= 0 && state.footScanLowest < peakValue;
    foot = belowPeak ? state.footScanLowestTick : peak.tick;
    const float lowest = belowPeak ? state.footScanLowest : peakValue;
    return peakValue - lowest >= params.minimumPeakHeight;
}

bool EdpAlgorithm::FindFoot(EEH3::FloatExWrapper& cursor, int32_t from, int32_t to, std::vector<float>& samples)
{
    cursor.Seek(from);
    if (!cursor.HasCurrent())
        return false;
    samples.clear();
    cursor.Take(std::max(to - from, 0), samples);
    // The first of equal lowest samples.
    const auto lowest = std::min_element(samples.begin(), samples.end());
    cursor.Seek(from + static_cast<int32_t>(lowest - samples.begin()));
    return cursor.HasCurrent();
}

bool EdpAlgorithm::FindKnee(State& state, Params& params)
{
    EEH3::FloatExWrapper& a = params.CursorA();
    a.Seek(state.currentAnchor);
    if (!a.HasCurrent())
        return false;
    const int32_t c = a.Position();
    const double vp = a.Current();
    EEH3::FloatExWrapper& b = params.CursorB();
    std::vector<float> samples;
    if (!FindFoot(b, state.previousAnchor, c, samples))
        return false;
    const int32_t f = b.Position();
    if (c - f <= 0)
        return false;
    samples.clear();
    if (b.Take(c - f, samples) < c - f)
        return false;
    const std::vector<double> w(samples.begin(), samples.end());
    const int32_t knee = FindKneeTick(w, f, vp);
    if (state.firstBeat && !KneeEndsABaseline(w, f, vp, knee))
        return false;
    state.pendingEvent.base = OrvEventBase{knee, 0.0f, w[static_cast<std::size_t>(knee - f)]};
    return true;
}

bool EdpAlgorithm::Step(State& state, Params& params, Event& event)
{
    if (state.Finished() || params.SourceCount() < 2)
    {
        state.Finish();
        return false;
    }
    auto& peaks = params.Peaks();
    auto inside = [&](int32_t tick) { return tick >= state.firstTick && !ReachesLimitEnd(state, tick); };
    // Phases 0 to 2 each look at the current peak; the peak is consumed by moving past it.
    auto consume = [&](const OrvEventBase& peak) {
        peaks.Advance();
        state.nextTick = peak.tick + 1;
    };
    while (state.phase < 3)
    {
        if (!peaks.HasCurrent())
        {
            state.resumeTick = std::max(state.currentAnchor, 0);
            return RunDry(state, peaks, params.PeakIndex());
        }
        const OrvEventBase peak = peaks.Current();
        if (peak.tick >= state.horizon)
            return StopAtHorizon(state);
        if (state.phase == 0)
        {
            if (inside(peak.tick) && std::isfinite(peak.value))
                state.phase = 1;
            else
                consume(peak);
        }
        else if (state.phase == 1)
        {
            int32_t foot = 0;
            const bool tallEnough = FindFirstFoot(state, params, peak, foot);
            if (tallEnough)
                state.currentAnchor = foot;
            if (tallEnough && inside(foot))
            {
                state.phase = 2;
                state.firstBeat = true;
            }
            else
                consume(peak);
        }
        else
        {
            state.previousAnchor = state.currentAnchor;
            state.currentAnchor = peak.tick;
            if (!inside(peak.tick))
            {
                state.Finish();
                return false;
            }
            state.pendingEvent.secondTick = peak.tick;
            state.pendingEvent.secondFraction = peak.fraction;
            state.pendingEvent.secondValue = peak.value;
            state.phase = 3;
            consume(peak);
        }
    }
    // A peak whose knee cannot be found is dropped: the pending event still holds the previous beat.
    const bool found = state.previousAnchor >= 0 && FindKnee(state, params);
    state.firstBeat = false;
    state.phase = 2;
    state.resumeTick = found ? state.pendingEvent.base.tick + 1 : state.currentAnchor;
    if (!found)
        return false;
    event = state.pendingEvent;
    return true;
}

} // namespace Sistra
