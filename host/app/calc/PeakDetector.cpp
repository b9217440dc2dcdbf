#include "host/app/calc/PeakDetector.h"

#include "host/app/calc/DetectorNode.h"

#include <algorithm>

namespace Host::Calc
{

namespace
{

constexpr double SecondsPerMinute = 60.0;
// Peaks this close to exactly minPeriod apart count as far enough (time is a multiple of the interval).
constexpr double PeriodTolerance = 1e-9;

} // namespace

// Hysteresis peak detection. Walking the samples:
//   falling: trough = min(trough, x); once x >= trough + minHeight the signal is rising, crest = x;
//   rising:  crest = max(crest, x) (the first of equal maxima); once x <= crest - minHeight the crest is a
//            confirmed peak and the signal is falling again with trough = x.
// Period rule on confirmed peaks: a peak at least minPeriod after the held peak settles the held one and is
// held in turn; a closer one replaces the held peak only when it is higher. The held peak is final as soon
// as the signal has gone minPeriod past it without a crest in between.
PeakDetector::PeakDetector(const PeakRules& rules, double sampleInterval) : minHeight_(rules.minHeight)
{
    double period = rules.minPeriod;
    if (rules.maxRate)
        period = std::max(period, SecondsPerMinute / *rules.maxRate);
    minPeriodTicks_ = period / sampleInterval * (1.0 - PeriodTolerance);
}

void PeakDetector::Add(int64_t firstTick, std::span<const float> samples, EventTrack& track)
{
    int64_t tick = firstTick;
    for (float sample : samples)
        Step(tick++, sample, track);
    // Nothing reads the track while a block is added: it is settled once, after the block's last sample.
    if (!samples.empty())
        track.Settle(SettledTicks(tick));
}

void PeakDetector::Step(int64_t tick, float sample, EventTrack& track)
{
    if (tick == 0)
        trough_ = sample;
    if (!rising_)
    {
        trough_ = std::min(trough_, sample);
        if (sample >= trough_ + minHeight_)
        {
            rising_ = true;
            crest_ = {tick, sample};
        }
    }
    else if (sample > crest_.value)
        crest_ = {tick, sample};
    else if (sample <= crest_.value - minHeight_)
    {
        Confirm(crest_, track);
        rising_ = false;
        trough_ = sample;
    }
    // Once no later peak can come within minPeriod of the held one, nothing can replace it any more.
    const int64_t nextPeakBound = rising_ ? crest_.tick : tick + 1;
    if (held_ && static_cast<double>(nextPeakBound - held_->tick) >= minPeriodTicks_)
    {
        Emit(*held_, track);
        held_.reset();
    }
}

void PeakDetector::Confirm(const Peak& peak, EventTrack& track)
{
    if (!held_)
        held_ = peak;
    else if (static_cast<double>(peak.tick - held_->tick) >= minPeriodTicks_)
    {
        Emit(*held_, track);
        held_ = peak;
    }
    else if (peak.value > held_->value)
        held_ = peak;
}

void PeakDetector::Emit(const Peak& peak, EventTrack& track)
{
    const EventHeader event{static_cast<int32_t>(peak.tick), 0.0f, static_cast<double>(peak.value)};
    track.Append(&event);
}

// No event can appear below the held peak (it is emitted or replaced by a later one), nor below the crest
// being tracked, nor below the next sample.
int64_t PeakDetector::SettledTicks(int64_t nextTick) const
{
    if (held_)
        return held_->tick;
    return rising_ ? crest_.tick : nextTick;
}

void PeakDetector::Finish(int64_t recordLength, EventTrack& track)
{
    if (held_)
        Emit(*held_, track);
    held_.reset();
    track.Complete(recordLength);
}

EventNodePtr MakePeakDetector(SampleNodePtr signal, const Recording& recording, const PeakRules& rules)
{
    return MakeDetectorNode<PeakDetector>(std::move(signal), recording, rules);
}

} // namespace Host::Calc
