#include "host/app/calc/RWaveDetector.h"

#include "host/app/calc/BeatPeriod.h"
#include "host/app/calc/DetectorNode.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Host::Calc
{

namespace
{

// Seconds. Spikes up to about the despiking median's half window vanish; a mouse's R wave is several
// times wider (5 to 10 ms at half height), a human's more than ten.
constexpr double MedianHalfSeconds = 0.0015;
// The slope's half span: first this, then half the width of the learnt R waves at half height, within the
// longest.
constexpr double SlopeHalfSeconds = 0.004;
constexpr double SlopeHalfOfWidth = 0.5;
constexpr double LongestSlopeHalfSeconds = 0.012;
// A slope peak is the largest this far either side: first this, then twice the width of the learnt R waves
// at half height, within it.
constexpr double SearchHalfSeconds = 0.02;
constexpr double SearchHalfWidths = 2.0;
// Long enough for a beat at 30 a minute; the thresholds start from the first four such windows.
constexpr double LearnWindowSeconds = 2.0;
constexpr int LearnWindows = 4;
// The periods a heart may beat at, from a mouse's fastest to a human's slowest.
constexpr double ShortestPeriodSeconds = 0.05;
constexpr double LongestPeriodSeconds = 2.5;
constexpr double RunningWeight = 0.125;
constexpr double SearchBackWeight = 0.25;
// A beat's slope raises the running signal peak by at most this many times the peak.
constexpr double SlopeRiseTimes = 2.0;
constexpr double RefractoryShareOfPeriod = 0.45;
constexpr double TWaveShareOfPeriod = 0.6;
constexpr double TWaveShareOfSlope = 0.5;
// How far a T wave may follow its QRS while there is no period to go by.
constexpr double TWaveSeconds = 0.36;
constexpr double SearchBackPeriods = 1.66;
constexpr double ArtefactWidthShare = 0.5;
constexpr double ArtefactHeightTimes = 3.0;
// A deflection that counts in the period and as a beat's own second deflection: this share of the signal
// peak, of the beat's slope.
constexpr double StrongShare = 0.5;
constexpr double PeakReachWidths = 1.5;
// A record's first QRS begins this many widths (at half height) before its R wave's peak.
constexpr double QrsLeadWidths = 1.5;
// A second deflection of the first beat is looked for this share of its spacing in the next beat either way.
constexpr double SecondDeflectionTolerance = 0.1;
// A live lead never holds one value this long (nor a QRS fit in it): a dropout of the recording.
constexpr double FlatSeconds = 0.05;
// An R wave stands this many times the noise from sample to sample above its surroundings; noise's own
// deflections (of the despiked signal) rarely reach three times it.
constexpr double FaintTimes = 4.0;
// The standard deviation of Gaussian noise per median absolute deviation, and of noise per difference of two samples.
constexpr double DeviationsPerMad = 1.4826;
// Beside a dropout, the ECG a search window away from a deflection is its baseline.
constexpr int64_t BaseSearchWindows = 1;
// A spike is a pulse between two jumps at most the learnt R wave's width apart, and no longer than this.
constexpr double LongestPulseSeconds = 0.02;

int64_t Ticks(double seconds, double interval)
{
    return std::max<int64_t>(1, std::llround(seconds / interval));
}

// The lower median, so that one outlier among two values does not set it.
double LowerMedian(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>((values.size() - 1) / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

double Median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 == 1)
        return *middle;
    return 0.5 * (*middle + *std::max_element(values.begin(), middle));
}

// The noise's standard deviation from the median absolute deviation of the differences between
// neighbouring samples: the QRS complexes, spikes and wander are a minority of them.
double SampleNoise(std::span<const float> samples)
{
    if (samples.size() < 3)
        return 0.0;
    std::vector<double> steps;
    for (size_t n = 1; n < samples.size(); ++n)
        steps.push_back(static_cast<double>(samples[n]) - samples[n - 1]);
    const double middle = Median(steps);
    for (double& step : steps)
        step = std::abs(step - middle);
    return DeviationsPerMad * Median(steps) / std::sqrt(2.0);
}

template <typename Item, typename Get>
std::vector<double> Collect(const std::vector<Item>& items, Get get)
{
    std::vector<double> values;
    for (const Item& item : items)
        values.push_back(get(item));
    return values;
}

} // namespace

// A QRS detector after the classic slope-and-adaptive-threshold scheme, written for any heart rate from a
// human's to a mouse's. With x the ECG and dt its sample interval:
//   pulses:     once H and W are learnt (unless the R waves themselves jump, below), a jump of x by at least
//               H from one sample to the next and back within min(W, 20 ms) is a spike: the samples between
//               become the line across it
//   despiking:  y[n] = median(x[n-m .. n+m]),  m = max(1, round(1.5 ms / dt))
//               (a gradient spike narrower than about m samples is the minority of every window it is in)
//   slope:      f[n] = |mean(y[n+1 .. n+h]) - mean(y[n-h .. n-1])|
//               (a band-pass: baseline wander and the slow T wave give a small fraction of the QRS's slope,
//               and the means average the noise away over the QRS's own time scale)
//   candidates: n where f[n] > f[j] for n-s <= j < n and f[n] >= f[j] for n < j <= n+s; its R wave is the
//               tick within 1.5 W of n (s before W is known) where |y - b| is largest, b = (y[n-s] + y[n+s]) / 2
//               the baseline at the window's ends, its height that deviation and its width the ticks around
//               it the deviation stays above half it. A candidate whose extreme lies at the edge of the ticks
//               searched is a step (or a wave the record's edge cuts), not a QRS.
//   start:      over the record's first 4 windows of 2 s, with h = 4 ms and s = 20 ms: W = lower median of
//               the widths of the windows' largest slopes' candidates; then h = clamp(W / 2, 1, 12 ms) and
//               s = clamp(2 W, h, 20 ms), the QRS's own scales, and anew from those windows SPK = lower median
//               of the largest slopes, the height H and width W alike; NPK = median of f.
//   shape:      r = the slope over 3 h against f (see Broadness), B its lower median over the windows'
//               tops, then followed as H; a candidate with r > 1.4 B is broad (a T wave however high); one
//               whose largest step between neighbouring samples by its R wave is 0.75 of its height and
//               at least H is a spike (unless the tops' lower median of that step share is 0.75 too),
//               skipped among the windows' tops as well.
//   period:     P from where the strong QRS-shaped candidates (slope >= 0.5 SPK, no artefact, not broad; an
//               R wave's up- and downstroke one) of those 8 s lie (see EstimateBeatPeriod); from the fourth
//               beat on, the median of the last 9 intervals between beats: premature beats and their
//               compensatory pauses, and a spurious beat, are each a minority of them.
//   noise:      N = 1.4826 median(|d - median(d)|) / sqrt(2), d the differences of neighbouring samples of
//               x over those 8 s: the standard deviation of white noise on the ECG.
//   dropouts:   50 ms or more of one value of x, where N > 0 (a marker channel holds its value between
//               its pulses): edges of the record, as below.
//   threshold:  THR = NPK + 0.4 (SPK - NPK).
//   Walking the candidates in order, one is
//     ignored    within the refractory period of the last beat: max(minPeriod, 0.45 P) (minPeriod alone
//                while there is no P), so that of two deflections within a beat the first is the R wave;
//     artefact   (no update) a spike, or narrower than W / 2, or more than 3 H high and narrower than W, or
//                less than 4 N high (noise's own deflections), or a step at a dropout (see Whole QRS);
//     cut        when its QRS does not lie whole in the record (see below);
//     a T wave   (noise) when broad, or when its slope is below half the last beat's and it lies within 0.6 P of it (360 ms
//                while there is no P); before a record's first beat, below half SPK within 0.6 P of the start;
//     a beat     when its slope f >= THR: SPK = 0.125 min(f, 2 SPK) + 0.875 SPK, H and W alike;
//     noise      otherwise: NPK = 0.125 f + 0.875 NPK, kept as missed.
//   Search-back: once 1.66 P have passed since the last beat, the largest missed candidate is a beat
//   (SPK = 0.25 f + 0.75 SPK), or the first missed one within the refractory period before it of at least
//   half its slope, and the walk resumes after it.
//   Whole QRS: a record's first beat has its R wave at least 1.5 max(w, W) after the record's start, w its
//   own width; every beat has its slope window and min(1.5 max(w, W), s) after its R wave inside the record;
//   a dropout is an edge of the record either way.
//   And a record's first beat is no second deflection of a beat the record cut: when the next beat has a
//   strong deflection (at least half its slope) o ticks after its R wave (further than 2 max(s, W), within
//   the refractory period), the first needs one of half its own slope within max(s, 0.1 o) of o after it too.
RWaveDetector::RWaveDetector(const RWaveRules& rules, double sampleInterval)
    : interval_(sampleInterval), minPeriodTicks_(rules.minPeriod / sampleInterval),
      medianHalf_(Ticks(MedianHalfSeconds, sampleInterval)), slopeHalf_(Ticks(SlopeHalfSeconds, sampleInterval)),
      maxSlopeHalf_(Ticks(LongestSlopeHalfSeconds, sampleInterval)), searchHalf_(Ticks(SearchHalfSeconds, sampleInterval)),
      learnTicks_(Ticks(LearnWindows * LearnWindowSeconds, sampleInterval)),
      learnWindow_(Ticks(LearnWindowSeconds, sampleInterval)), flatTicks_(Ticks(FlatSeconds, sampleInterval)),
      longestPulse_(Ticks(LongestPulseSeconds, sampleInterval))
{
}

void RWaveDetector::Add(int64_t /*firstTick*/, std::span<const float> samples, EventTrack& track)
{
    const size_t from = x_.size();
    x_.insert(x_.end(), samples.begin(), samples.end());
    NoteFlats(from);
    Advance(false, track);
}

// The runs of at least flatTicks_ equal samples among x_ from the given tick on.
void RWaveDetector::NoteFlats(size_t from)
{
    for (auto n = static_cast<int64_t>(from); n < static_cast<int64_t>(x_.size()); ++n)
    {
        if (n == 0 || x_[static_cast<size_t>(n)] != x_[static_cast<size_t>(n - 1)])
        {
            runStart_ = n;
            continue;
        }
        if (n - runStart_ + 1 == flatTicks_)
            flats_.emplace_back(runStart_, n);
        else if (n - runStart_ + 1 > flatTicks_)
            flats_.back().second = n;
    }
}

void RWaveDetector::Finish(int64_t recordLength, EventTrack& track)
{
    Advance(true, track);
    if (!firstDecided_)
        ConfirmFirst(static_cast<int64_t>(f_.size()), track);
    track.Complete(recordLength);
}

// y as far as its windows lie in the data (once the R waves are learnt, in the data rid of spikes), f once
// the slope's span is learnt; at the record's end the windows are cut at its edge.
void RWaveDetector::Derive(bool complete)
{
    const auto count = static_cast<int64_t>(x_.size());
    if (learned_)
        Clean(complete ? count : count - longestPulse_ - 2);
    const int64_t yEnd = complete ? count : std::max<int64_t>(0, (learned_ ? cleaned_ : count) - medianHalf_);
    DeriveMedian(yEnd);
    if (learned_)
        DeriveSlope(complete ? yEnd : yEnd - slopeHalf_);
}

void RWaveDetector::DeriveMedian(int64_t end)
{
    const auto count = static_cast<int64_t>(x_.size());
    std::vector<float> window;
    for (auto n = static_cast<int64_t>(y_.size()); n < end; ++n)
    {
        window.assign(x_.begin() + std::max<int64_t>(0, n - medianHalf_), x_.begin() + std::min(count, n + medianHalf_ + 1));
        const auto middle = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
        std::nth_element(window.begin(), middle, window.end());
        y_.push_back(*middle);
    }
}

// Takes the spikes out of x before end: a pulse that jumps up (or down) by at least an R wave's height from
// one sample to the next (from where it stood before), stays there and comes back to within half the jump of
// where it started within pulse_ ticks becomes the line between the samples either side of it, so that
// neither its slope nor the despiking's smear of it hides an R wave near it. (An R wave takes several
// samples to rise.)
void RWaveDetector::Clean(int64_t end)
{
    const auto count = static_cast<int64_t>(x_.size());
    const auto at = [&](int64_t n) { return static_cast<double>(x_[static_cast<size_t>(n)]); };
    for (; cleaned_ < end; ++cleaned_)
    {
        const int64_t start = cleaned_;
        if (pulse_ == 0 || start + 1 >= count || std::abs(at(start + 1) - at(start)) < height_)
            continue;
        const double up = at(start + 1) - at(start);
        // Not the way back from a spike down (or up) that the jump before it made, nor the ECG coming back
        // after a dropout.
        if ((start > 0 && std::abs(at(start) - at(start - 1)) > 0.5 * std::abs(up)) ||
            std::any_of(flats_.rbegin(), flats_.rend(), [&](const auto& flat) { return flat.first <= start && start <= flat.second; }))
            continue;
        for (int64_t back = start + 1; back <= start + pulse_ && back + 1 < count; ++back)
        {
            if ((at(back) - at(start)) * up < 0.5 * up * up)
                break;
            if (std::abs(at(back + 1) - at(start)) > 0.5 * std::abs(up))
                continue;
            for (int64_t n = start + 1; n <= back; ++n)
            {
                replaced_.emplace_back(n, x_[static_cast<size_t>(n)]);
                x_[static_cast<size_t>(n)] = static_cast<float>(
                    at(start) + (at(back + 1) - at(start)) * static_cast<double>(n - start) / static_cast<double>(back + 1 - start));
            }
            cleaned_ = back;
            break;
        }
    }
}

void RWaveDetector::DeriveSlope(int64_t end)
{
    const auto yEnd = static_cast<int64_t>(y_.size());
    const auto mean = [&](int64_t from, int64_t to) { // of y[from, to), y[from] when empty
        if (to <= from)
            return static_cast<double>(y_[static_cast<size_t>(std::min(from, yEnd - 1))]);
        return std::accumulate(y_.begin() + from, y_.begin() + to, 0.0) / static_cast<double>(to - from);
    };
    for (auto n = static_cast<int64_t>(f_.size()); n < end; ++n)
        f_.push_back(static_cast<float>(std::abs(mean(n + 1, std::min(yEnd, n + slopeHalf_ + 1)) -
                                                 mean(std::max<int64_t>(0, n - slopeHalf_), n))));
}

// The largest slope's candidate in each learning window of [0, end).
std::vector<RWaveDetector::Candidate> RWaveDetector::WindowTops(int64_t end) const
{
    std::vector<Candidate> tops;
    for (int64_t start = 0; start < end; start += learnWindow_)
    {
        const int64_t stop = std::min(end, start + learnWindow_);
        if (stop - start < learnWindow_ && !tops.empty())
            break; // a part window may hold no beat
        // The largest slope that is no spike (at most a few tried: a window of spikes, or whose R waves
        // jump as spikes do, yields its largest).
        std::vector<float> slopes(f_.begin() + start, f_.begin() + stop);
        std::vector<Candidate> tried;
        const auto skipped = [&](const Candidate& c) { return IsSpike(c) || TouchesFlat(c); };
        while (tried.size() < SpikesSkipped && (tried.empty() || skipped(tried.back())))
        {
            const int64_t at = std::max_element(slopes.begin(), slopes.end()) - slopes.begin();
            if (!tried.empty() && !(slopes[static_cast<size_t>(at)] > 0.0f))
                break;
            tried.push_back(Measure(start + at, end));
            std::fill(slopes.begin() + std::max<int64_t>(0, at - searchHalf_),
                      slopes.begin() + std::min<int64_t>(static_cast<int64_t>(slopes.size()), at + searchHalf_ + 1), 0.0f);
        }
        tops.push_back(skipped(tried.back()) ? tried.front() : tried.back());
    }
    return tops;
}

void RWaveDetector::Learn(bool complete)
{
    const int64_t end = std::min<int64_t>(learnTicks_, static_cast<int64_t>(y_.size()));
    learned_ = true;
    if (end == 0)
        return;
    noise_ = SampleNoise(std::span<const float>(x_.data(), static_cast<size_t>(end)));
    DeriveSlope(end);
    const auto widthOf = [](const Candidate& c) { return c.width; };
    const double firstWidth = LowerMedian(Collect(WindowTops(end), widthOf));
    slopeHalf_ = std::clamp<int64_t>(std::llround(SlopeHalfOfWidth * firstWidth), 1, maxSlopeHalf_);
    searchHalf_ = std::clamp<int64_t>(std::llround(SearchHalfWidths * firstWidth), slopeHalf_, searchHalf_);
    f_.clear();
    DeriveSlope(end);
    const std::vector<Candidate> tops = WindowTops(end);
    signalPeak_ = LowerMedian(Collect(tops, [](const Candidate& c) { return c.slope; }));
    height_ = LowerMedian(Collect(tops, [](const Candidate& c) { return c.height; }));
    broadness_ = LowerMedian(Collect(tops, [](const Candidate& c) { return c.broadness; }));
    steepness_ = LowerMedian(Collect(tops, [](const Candidate& c) { return c.height > 0.0 ? c.step / c.height : 0.0; }));
    width_ = LowerMedian(Collect(tops, widthOf));
    // Where the R waves themselves jump, no pulse is a spike.
    if (steepness_ < SpikeStepShare)
        pulse_ = std::clamp<int64_t>(std::llround(width_), 1, longestPulse_);
    const auto count = static_cast<int64_t>(x_.size());
    Clean(complete ? count : count - longestPulse_ - 2);
    const int64_t yEnd = complete ? count : cleaned_ - medianHalf_;
    y_.clear();
    DeriveMedian(yEnd);
    f_.clear();
    DeriveSlope(end);
    noisePeak_ = LowerMedian(std::vector<double>(f_.begin(), f_.begin() + end));
    period_ = EstimatePeriod(0, end);
    DeriveSlope(complete ? yEnd : yEnd - slopeHalf_);
}

bool RWaveDetector::IsSlopePeak(int64_t tick) const
{
    const float value = f_[static_cast<size_t>(tick)];
    const auto from = f_.begin() + std::max<int64_t>(0, tick - searchHalf_), at = f_.begin() + tick;
    const auto to = f_.begin() + std::min<int64_t>(static_cast<int64_t>(f_.size()), tick + searchHalf_ + 1);
    return std::all_of(from, at, [&](float f) { return f < value; }) &&
           std::all_of(at + 1, to, [&](float f) { return f <= value; });
}

RWaveDetector::Candidate RWaveDetector::Measure(int64_t tick, int64_t end) const
{
    const int64_t from = std::max<int64_t>(0, tick - searchHalf_);
    const int64_t to = std::max(from + 1, std::min({end, tick + searchHalf_ + 1, static_cast<int64_t>(y_.size())}));
    const double mean = 0.5 * (y_[static_cast<size_t>(from)] + y_[static_cast<size_t>(to - 1)]);
    // The R wave lies within about its width of its slope's peak, so that a spike beside it is not taken for it.
    const int64_t reach = width_ > 0.0 ? std::clamp<int64_t>(std::llround(PeakReachWidths * width_), 1, searchHalf_) : searchHalf_;
    const int64_t first = std::max(from, tick - reach), last = std::min(to - 1, tick + reach);
    int64_t peak = first;
    for (int64_t n = first; n <= last; ++n)
        if (std::abs(y_[static_cast<size_t>(n)] - mean) > std::abs(y_[static_cast<size_t>(peak)] - mean))
            peak = n;
    const double deviation = y_[static_cast<size_t>(peak)] - mean;
    double step = 0.0;
    for (int64_t n = std::max(from, peak - 2); n < std::min(to - 1, peak + 2); ++n)
        step = std::max(step, static_cast<double>(std::abs(y_[static_cast<size_t>(n + 1)] - y_[static_cast<size_t>(n)])));
    const auto above = [&](int64_t n) { return (y_[static_cast<size_t>(n)] - mean) * deviation >= 0.5 * deviation * deviation; };
    int64_t left = peak, right = peak;
    while (left > from && above(left - 1))
        --left;
    while (right + 1 < to && above(right + 1))
        ++right;
    return {tick, peak, f_[static_cast<size_t>(tick)], std::abs(deviation), static_cast<double>(right - left + 1),
            peak == first || peak == last, Broadness(tick), step};
}

// r = |mean(y[n+1 .. n+3h]) - mean(y[n-3h .. n-1])| / (3 f[n]): near 1 on a wave as broad as three slope
// spans (its slope holds over them), well below on a QRS, which rises and falls within them.
double RWaveDetector::Broadness(int64_t tick) const
{
    // Within the data every caller has: the slope span past the search window.
    const int64_t reach = std::min(BroadSpans * slopeHalf_, searchHalf_ + slopeHalf_), size = static_cast<int64_t>(y_.size());
    const auto mean = [&](int64_t from, int64_t to) {
        from = std::clamp<int64_t>(from, 0, size - 1), to = std::clamp<int64_t>(to, from + 1, size);
        return std::accumulate(y_.begin() + from, y_.begin() + to, 0.0) / static_cast<double>(to - from);
    };
    const double slope = f_[static_cast<size_t>(tick)];
    if (!(slope > 0.0))
        return 0.0;
    // A ramp of slope g gives g (h + 1) over the slope span and g (reach + 1) over this one.
    return std::abs(mean(tick + 1, tick + reach + 1) - mean(tick - reach, tick)) * static_cast<double>(slopeHalf_ + 1) /
           (static_cast<double>(reach + 1) * slope);
}

// A T wave (or a P wave, or wander) as high and steep as the QRS is still far broader: its slope holds
// over the spans the QRS rises and falls within.
bool RWaveDetector::IsBroad(const Candidate& candidate) const
{
    return candidate.broadness > BroadTimes * broadness_;
}

// A spike jumps most of its height from one sample to the next, and (once the R waves are known) further
// than an R wave is high; a QRS takes several samples, however fast the heart and slow the sampling, and
// noise on a small one may make one of its steps most of its height. Where the R waves themselves jump
// (a marker pulse in place of an ECG), no deflection is a spike.
bool RWaveDetector::IsSpike(const Candidate& candidate) const
{
    return candidate.step >= SpikeStepShare * candidate.height && candidate.step >= height_ && steepness_ < SpikeStepShare;
}

bool RWaveDetector::IsArtefact(const Candidate& candidate) const
{
    return IsSpike(candidate) || candidate.width < ArtefactWidthShare * width_ ||
           (candidate.height > ArtefactHeightTimes * height_ && candidate.width < width_);
}

// Noise's own deflections: below a few times the noise from sample to sample.
bool RWaveDetector::IsFaint(const Candidate& candidate) const
{
    return candidate.height < FaintTimes * noise_;
}

// Where the ECG comes back after a dropout (or falls into one) it steps, on no QRS (back on a T wave, it
// stays up): a deflection whose QRS would reach into a dropout is an R wave only where it falls to half its
// height, away from the dropout, within an R wave's width. Only a live lead drops out: a marker channel (a
// pulse per beat, no noise) holds its value between its pulses.
bool RWaveDetector::TouchesFlat(const Candidate& candidate) const
{
    if (!(noise_ > 0.0))
        return false;
    const double lead = QrsLeadWidths * std::max(candidate.width, width_);
    const double tail = std::min(lead, static_cast<double>(searchHalf_));
    const int64_t peak = candidate.peak;
    return std::any_of(flats_.rbegin(), flats_.rend(), [&](const auto& flat) {
        if (static_cast<double>(peak) - lead >= static_cast<double>(flat.second) ||
            static_cast<double>(peak) + tail < static_cast<double>(flat.first))
            return false;
        return (flat.first <= peak && peak <= flat.second) || !FallsAway(peak, flat.second < peak ? 1 : -1);
    });
}

// Whether the deflection at peak falls, towards side (+1 later, -1 earlier), to half its height above the ECG
// a search window further within the learnt R wave's width.
bool RWaveDetector::FallsAway(int64_t peak, int64_t side) const
{
    const auto last = static_cast<int64_t>(y_.size()) - 1;
    const auto at = [&](int64_t n) { return static_cast<double>(y_[static_cast<size_t>(std::clamp<int64_t>(n, 0, last))]); };
    const double base = at(peak + side * BaseSearchWindows * searchHalf_), height = at(peak) - base;
    if (std::abs(height) < FaintTimes * noise_)
        return false;
    for (int64_t n = 1; n <= std::max<int64_t>(1, std::llround(width_)); ++n)
        if ((at(peak + side * n) - base) * height < 0.5 * height * height)
            return true;
    return false;
}

bool RWaveDetector::IsUnfit(const Candidate& candidate) const
{
    return candidate.atEdge || IsArtefact(candidate) || IsFaint(candidate) || TouchesFlat(candidate);
}

bool RWaveDetector::IsTWave(const Candidate& candidate) const
{
    const double reach = period_ ? TWaveShareOfPeriod * *period_ : TWaveSeconds / interval_;
    if (last_)
        return candidate.slope < TWaveShareOfSlope * lastSlope_ && static_cast<double>(candidate.tick - *last_) < reach;
    return candidate.slope < TWaveShareOfSlope * signalPeak_ && static_cast<double>(candidate.tick) < reach;
}

// Before a record's first beat the QRS's lead must lie in the record; at its end (the data known) the
// candidate's whole window and the QRS's tail.
bool RWaveDetector::LiesWholeInRecord(const Candidate& candidate, int64_t known) const
{
    const double reach = QrsLeadWidths * std::max(candidate.width, width_);
    return (last_ || static_cast<double>(candidate.peak) >= reach) && candidate.tick + searchHalf_ < known &&
           static_cast<double>(candidate.peak) + std::min(reach, static_cast<double>(searchHalf_)) < static_cast<double>(known);
}

std::optional<RWaveDetector::Candidate> RWaveDetector::Strongest(int64_t from, int64_t to, int64_t end, double minSlope) const
{
    std::optional<Candidate> strongest;
    for (int64_t tick = std::max<int64_t>(0, from - searchHalf_); tick < std::min(to + searchHalf_, end - searchHalf_); ++tick)
    {
        if (f_[static_cast<size_t>(tick)] < minSlope || (strongest && f_[static_cast<size_t>(tick)] <= strongest->slope) ||
            !IsSlopePeak(tick))
            continue;
        const Candidate candidate = Measure(tick, end);
        if (candidate.peak >= from && candidate.peak < to && !IsUnfit(candidate) && !IsBroad(candidate))
            strongest = candidate;
    }
    return strongest;
}

std::optional<double> RWaveDetector::EstimatePeriod(int64_t from, int64_t to) const
{
    std::vector<Deflection> deflections;
    for (int64_t tick = from; tick + searchHalf_ < to; ++tick)
    {
        const float slope = f_[static_cast<size_t>(tick)];
        if (slope <= 0.0f || slope < StrongShare * signalPeak_ || !IsSlopePeak(tick))
            continue;
        const Candidate candidate = Measure(tick, to);
        if (IsUnfit(candidate) || IsBroad(candidate))
            continue;
        // The up- and downstroke of one R wave are one deflection, at its peak.
        if (!deflections.empty() && candidate.peak - deflections.back().tick <= searchHalf_)
            deflections.back().weight = std::max(deflections.back().weight, candidate.slope);
        else
            deflections.push_back({candidate.peak, candidate.slope});
    }
    const double shortest = std::max(minPeriodTicks_, ShortestPeriodSeconds / interval_);
    return EstimateBeatPeriod(deflections, from, to, {shortest, LongestPeriodSeconds / interval_});
}

double RWaveDetector::Refractory() const
{
    return period_ ? std::max(minPeriodTicks_, RefractoryShareOfPeriod * *period_) : minPeriodTicks_;
}

void RWaveDetector::Advance(bool complete, EventTrack& track)
{
    Derive(complete);
    if (!learned_ && (complete || static_cast<int64_t>(y_.size()) >= learnTicks_ + maxSlopeHalf_ + longestPulse_ + 2))
        Learn(complete);
    if (!learned_)
        return;
    const auto known = static_cast<int64_t>(f_.size());
    // A candidate's window is known to touch no dropout once the samples a dropout's length past it are.
    while (next_ < known && (complete || next_ + 2 * searchHalf_ + flatTicks_ < known))
        Examine(next_++, known, track);
    // No later beat can lie before the ticks walked (less the search half window), nor, while a search-back
    // may still add one, before the last beat, nor before a first beat not yet confirmed.
    int64_t settled = next_ - searchHalf_;
    if (last_ && period_)
        settled = std::min(settled, *last_ + 1 - searchHalf_);
    if (!held_.empty())
        settled = std::min(settled, held_.front().peak);
    if (settled > track.SettledTicks())
        track.Settle(settled);
}

void RWaveDetector::Examine(int64_t tick, int64_t known, EventTrack& track)
{
    const float slope = f_[static_cast<size_t>(tick)];
    if (slope > 0.0f && slope >= 0.5 * Threshold() && IsSlopePeak(tick) &&
        !(last_ && static_cast<double>(tick - *last_) < Refractory()))
    {
        const Candidate candidate = Measure(tick, known);
        if (IsUnfit(candidate) || candidate.peak <= lastPeak_ || !LiesWholeInRecord(candidate, known))
            return;
        const bool tWave = IsBroad(candidate) || IsTWave(candidate);
        if (!tWave && candidate.slope >= Threshold())
            return Accept(candidate, RunningWeight, track);
        noisePeak_ = RunningWeight * candidate.slope + (1.0 - RunningWeight) * noisePeak_;
        if (!tWave)
            missed_.push_back(candidate);
    }
    if (!missed_.empty() && last_ && period_ && static_cast<double>(tick - *last_) > SearchBackPeriods * *period_)
    {
        const Candidate beat = SearchBackChoice();
        next_ = beat.tick + 1;
        Accept(beat, SearchBackWeight, track);
    }
    if (confirmAt_ && tick >= *confirmAt_)
        ConfirmFirst(known, track);
}

RWaveDetector::Candidate RWaveDetector::SearchBackChoice() const
{
    const auto largest = std::max_element(missed_.begin(), missed_.end(),
                                          [](const Candidate& a, const Candidate& b) { return a.slope < b.slope; });
    const auto first = std::find_if(missed_.begin(), largest, [&](const Candidate& c) {
        return static_cast<double>(largest->tick - c.tick) < Refractory() && c.slope >= StrongShare * largest->slope;
    });
    return *first;
}

void RWaveDetector::Accept(const Candidate& beat, double weight, EventTrack& track)
{
    signalPeak_ = weight * std::min(beat.slope, SlopeRiseTimes * signalPeak_) + (1.0 - weight) * signalPeak_;
    height_ = RunningWeight * beat.height + (1.0 - RunningWeight) * height_;
    broadness_ = RunningWeight * beat.broadness + (1.0 - RunningWeight) * broadness_;
    width_ = RunningWeight * beat.width + (1.0 - RunningWeight) * width_;
    lastSlope_ = beat.slope;
    if (lastPeak_ >= 0)
        FollowPeriod(beat.peak - lastPeak_);
    last_ = beat.tick;
    lastPeak_ = beat.peak;
    missed_.clear();
    if (firstDecided_)
        return Append(beat, track);
    held_.push_back(beat);
    if (held_.size() == 2)
        confirmAt_ = beat.tick + static_cast<int64_t>(std::ceil(Refractory()));
}

// The period follows the median of the last beats' intervals: premature beats and their compensatory
// pauses, the odd beat missed or a spurious one are each a minority of them.
void RWaveDetector::FollowPeriod(int64_t interval)
{
    intervals_.push_back(static_cast<double>(interval));
    if (intervals_.size() > FollowedIntervals)
        intervals_.erase(intervals_.begin());
    if (intervals_.size() >= LeastFollowedIntervals)
        period_ = Median(intervals_);
}

// The first beat stands unless the next beat has a second deflection that it lacks: then it is itself the
// second deflection of a beat before the record.
void RWaveDetector::ConfirmFirst(int64_t known, EventTrack& track)
{
    firstDecided_ = true;
    confirmAt_.reset();
    if (held_.empty())
        return;
    bool stands = true;
    if (held_.size() > 1)
    {
        const Candidate& first = held_[0];
        const Candidate& next = held_[1];
        const int64_t skip = 2 * std::max(searchHalf_, static_cast<int64_t>(std::llround(width_)));
        const auto refractory = static_cast<int64_t>(std::ceil(Refractory()));
        if (const auto second = Strongest(next.peak + skip, next.peak + refractory + 1, known, StrongShare * next.slope))
        {
            const int64_t offset = second->peak - next.peak;
            const int64_t reach = std::max(searchHalf_, static_cast<int64_t>(std::llround(SecondDeflectionTolerance * offset)));
            stands = Strongest(first.peak + offset - reach, first.peak + offset + reach + 1, known, StrongShare * first.slope)
                         .has_value();
        }
    }
    for (size_t index = stands ? 0 : 1; index < held_.size(); ++index)
        Append(held_[index], track);
    held_.clear();
}

void RWaveDetector::Append(const Candidate& beat, EventTrack& track) const
{
    // The event's value is the sample as recorded, a spike's too.
    const auto replaced = std::lower_bound(replaced_.begin(), replaced_.end(), std::make_pair(beat.peak, -HUGE_VALF));
    const float value = replaced != replaced_.end() && replaced->first == beat.peak ? replaced->second
                                                                                     : x_[static_cast<size_t>(beat.peak)];
    const EventHeader event{static_cast<int32_t>(beat.peak), 0.0f, static_cast<double>(value)};
    track.Append(&event);
}

EventNodePtr MakeRWaveDetector(SampleNodePtr signal, const Recording& recording, const RWaveRules& rules)
{
    return MakeDetectorNode<RWaveDetector>(std::move(signal), recording, rules);
}

} // namespace Host::Calc
