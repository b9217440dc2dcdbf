#include "host/app/calc/RWaveDetector.h"

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
constexpr double SlopeHalfSeconds = 0.002;
constexpr double SearchHalfSeconds = 0.02;
constexpr double RefractorySeconds = 0.2;
// Long enough for a beat at 30 a minute; the thresholds start from the first four such windows.
constexpr double LearnWindowSeconds = 2.0;
constexpr int LearnWindows = 4;
constexpr double RunningWeight = 0.125;
constexpr double SearchBackWeight = 0.25;
constexpr double RefractoryShareOfInterval = 0.4;
constexpr double TWaveShareOfInterval = 0.6;
constexpr double TWaveShareOfSlope = 0.5;
// How far a T wave may follow its QRS before there is a beat-to-beat interval to go by.
constexpr double TWaveSeconds = 0.36;
constexpr double SearchBackIntervals = 1.66;
constexpr double ArtefactWidthShare = 0.5;
constexpr double ArtefactHeightTimes = 3.0;
constexpr size_t IntervalsAveraged = 8;

int64_t Ticks(double seconds, double interval)
{
    return std::max<int64_t>(1, std::llround(seconds / interval));
}

// The lower median, so that one outlier among two values does not set it.
double LowerMedian(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>((values.size() - 1) / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

// A QRS detector after the classic slope-and-adaptive-threshold scheme, written for any heart rate from a
// human's to a mouse's. With x the ECG and dt its sample interval:
//   despiking:  y[n] = median(x[n-m .. n+m]),  m = max(1, round(1.5 ms / dt))
//               (a gradient spike narrower than about m samples is the minority of every window it is in)
//   slope:      f[n] = |y[n+h] - y[n-h]|,  h = max(1, round(2 ms / dt))
//               (a band-pass: baseline wander and the slow T wave give a small fraction of the QRS's slope)
//   candidates: n where f[n] > f[j] for n-s <= j < n and f[n] >= f[j] for n < j <= n+s, s = round(20 ms / dt);
//               its R wave is the tick in n-s .. n+s where |y - b| is largest, b = (y[n-s] + y[n+s]) / 2 the
//               baseline at the window's ends, its height that deviation and its width the ticks around it the deviation stays above half it.
//               A candidate whose extreme lies at its window's edge is a step (or a wave the record's edge
//               cuts), not a QRS.
//   start:      over the record's first 4 windows of 2 s, SPK = lower median of the windows' largest
//               slopes (and the running height H and width W from the candidates there); NPK = median of f.
//   threshold:  THR = NPK + 0.25 (SPK - NPK).
//   Walking the candidates in order, one is
//     ignored    within the refractory period of the last beat: max(minPeriod, min(200 ms, 0.4 RR)), RR the
//                mean of the last 8 beat-to-beat intervals (minPeriod alone until there is one);
//     artefact   (no update) when narrower than W / 2 and more than 3 H high: a spike, not a QRS;
//     a T wave   (noise) when its slope is below half the last beat's and it lies within 0.6 RR of it
//                (360 ms until there is an RR);
//     a beat     when its slope f >= THR: SPK = 0.125 f + 0.875 SPK, H and W alike, RR updated;
//     noise      otherwise: NPK = 0.125 f + 0.875 NPK, kept as the missed candidate if above THR / 2.
//   Search-back: once 1.66 RR have passed since the last beat, the largest missed candidate is a beat
//   (SPK = 0.25 f + 0.75 SPK) and the walk resumes after it.
RWaveDetector::RWaveDetector(const RWaveRules& rules, double sampleInterval)
    : interval_(sampleInterval), minPeriodTicks_(rules.minPeriod / sampleInterval),
      medianHalf_(Ticks(MedianHalfSeconds, sampleInterval)), slopeHalf_(Ticks(SlopeHalfSeconds, sampleInterval)),
      searchHalf_(Ticks(SearchHalfSeconds, sampleInterval)),
      learnTicks_(Ticks(LearnWindows * LearnWindowSeconds, sampleInterval)),
      learnWindow_(Ticks(LearnWindowSeconds, sampleInterval))
{
}

void RWaveDetector::Add(int64_t /*firstTick*/, std::span<const float> samples, EventTrack& track)
{
    x_.insert(x_.end(), samples.begin(), samples.end());
    Advance(false, track);
}

void RWaveDetector::Finish(int64_t recordLength, EventTrack& track)
{
    Advance(true, track);
    track.Complete(recordLength);
}

// y and f as far as their windows lie in the data; at the record's end the windows are cut at its edge.
void RWaveDetector::Derive(bool complete)
{
    const auto count = static_cast<int64_t>(x_.size());
    const int64_t yEnd = complete ? count : std::max<int64_t>(0, count - medianHalf_);
    std::vector<float> window;
    for (auto n = static_cast<int64_t>(y_.size()); n < yEnd; ++n)
    {
        window.assign(x_.begin() + std::max<int64_t>(0, n - medianHalf_), x_.begin() + std::min(count, n + medianHalf_ + 1));
        const auto middle = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
        std::nth_element(window.begin(), middle, window.end());
        y_.push_back(*middle);
    }
    const int64_t fEnd = complete ? yEnd : std::max<int64_t>(0, yEnd - slopeHalf_);
    for (auto n = static_cast<int64_t>(f_.size()); n < fEnd; ++n)
        f_.push_back(std::abs(y_[static_cast<size_t>(std::min(n + slopeHalf_, yEnd - 1))] -
                              y_[static_cast<size_t>(std::max<int64_t>(0, n - slopeHalf_))]));
}

void RWaveDetector::Learn()
{
    const int64_t end = std::min<int64_t>(learnTicks_, static_cast<int64_t>(f_.size()));
    std::vector<double> slopes, heights, widths;
    for (int64_t start = 0; start < end; start += learnWindow_)
    {
        const int64_t stop = std::min(end, start + learnWindow_);
        if (stop - start < learnWindow_ && !slopes.empty())
            break; // a part window may hold no beat
        const auto top = std::max_element(f_.begin() + start, f_.begin() + stop) - f_.begin();
        const Candidate candidate = Measure(top, end);
        slopes.push_back(candidate.slope);
        heights.push_back(candidate.height);
        widths.push_back(candidate.width);
    }
    learned_ = true;
    if (slopes.empty())
        return;
    signalPeak_ = LowerMedian(slopes);
    height_ = LowerMedian(heights);
    width_ = LowerMedian(widths);
    noisePeak_ = LowerMedian(std::vector<double>(f_.begin(), f_.begin() + end));
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
    int64_t peak = from;
    for (int64_t n = from; n < to; ++n)
        if (std::abs(y_[static_cast<size_t>(n)] - mean) > std::abs(y_[static_cast<size_t>(peak)] - mean))
            peak = n;
    const double deviation = y_[static_cast<size_t>(peak)] - mean;
    const auto above = [&](int64_t n) { return (y_[static_cast<size_t>(n)] - mean) * deviation >= 0.5 * deviation * deviation; };
    int64_t left = peak, right = peak;
    while (left > from && above(left - 1))
        --left;
    while (right + 1 < to && above(right + 1))
        ++right;
    return {tick, peak, f_[static_cast<size_t>(tick)], std::abs(deviation), static_cast<double>(right - left + 1),
            peak == from || peak == to - 1};
}

double RWaveDetector::Refractory() const
{
    if (intervals_.empty())
        return minPeriodTicks_;
    const double interval = std::accumulate(intervals_.begin(), intervals_.end(), 0.0) / static_cast<double>(intervals_.size());
    return std::max(minPeriodTicks_, std::min(RefractorySeconds / interval_, RefractoryShareOfInterval * interval));
}

void RWaveDetector::Advance(bool complete, EventTrack& track)
{
    Derive(complete);
    if (!learned_ && (complete || static_cast<int64_t>(f_.size()) >= learnTicks_))
        Learn();
    if (!learned_)
        return;
    const auto known = static_cast<int64_t>(f_.size());
    while (next_ < known && (complete || next_ + searchHalf_ < known))
    {
        const int64_t tick = next_++;
        const double interval =
            intervals_.empty() ? 0.0
                               : std::accumulate(intervals_.begin(), intervals_.end(), 0.0) / static_cast<double>(intervals_.size());
        const float slope = f_[static_cast<size_t>(tick)];
        if (slope > 0.0f && slope >= 0.5 * Threshold() && IsSlopePeak(tick) &&
            !(last_ && static_cast<double>(tick - *last_) < Refractory()))
        {
            const Candidate candidate = Measure(tick, known);
            const bool artefact = candidate.width < ArtefactWidthShare * width_ && candidate.height > ArtefactHeightTimes * height_;
            const double tWaveReach = intervals_.empty() ? TWaveSeconds / interval_ : TWaveShareOfInterval * interval;
            const bool tWave = last_ && candidate.slope < TWaveShareOfSlope * lastSlope_ &&
                               static_cast<double>(tick - *last_) < tWaveReach;
            if (artefact || candidate.atEdge || candidate.peak <= lastPeak_)
                continue;
            if (!tWave && candidate.slope >= Threshold())
            {
                Accept(candidate, RunningWeight, track);
                continue;
            }
            noisePeak_ = RunningWeight * candidate.slope + (1.0 - RunningWeight) * noisePeak_;
            if (!tWave && (!missed_ || candidate.slope > missed_->slope))
                missed_ = candidate;
        }
        if (missed_ && last_ && !intervals_.empty() && static_cast<double>(tick - *last_) > SearchBackIntervals * interval)
        {
            next_ = missed_->tick + 1;
            Accept(*missed_, SearchBackWeight, track);
        }
    }
    // No later beat can lie before the ticks walked (less the search half window), nor, while a search-back
    // may still add one, before the last beat.
    int64_t settled = next_ - searchHalf_;
    if (last_ && !intervals_.empty())
        settled = std::min(settled, *last_ + 1 - searchHalf_);
    if (settled > track.SettledTicks())
        track.Settle(settled);
}

void RWaveDetector::Accept(const Candidate& beat, double weight, EventTrack& track)
{
    if (last_)
    {
        intervals_.push_back(beat.tick - *last_);
        if (intervals_.size() > IntervalsAveraged)
            intervals_.pop_front();
    }
    signalPeak_ = weight * beat.slope + (1.0 - weight) * signalPeak_;
    height_ = RunningWeight * beat.height + (1.0 - RunningWeight) * height_;
    width_ = RunningWeight * beat.width + (1.0 - RunningWeight) * width_;
    lastSlope_ = beat.slope;
    last_ = beat.tick;
    lastPeak_ = beat.peak;
    missed_.reset();
    const EventHeader event{static_cast<int32_t>(beat.peak), 0.0f, static_cast<double>(x_[static_cast<size_t>(beat.peak)])};
    track.Append(&event);
}

EventNodePtr MakeRWaveDetector(SampleNodePtr signal, const Recording& recording, const RWaveRules& rules)
{
    return MakeDetectorNode<RWaveDetector>(std::move(signal), recording, rules);
}

} // namespace Host::Calc
