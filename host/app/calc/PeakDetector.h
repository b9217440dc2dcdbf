// cmpeakdet(x, minHeight, minPeriod [, maxRate]): one event per cycle of x, at the cycle's maximum.
#pragma once

#include "host/app/calc/CalcNodes.h"

#include <optional>
#include <span>

namespace Host::Calc
{

struct PeakRules
{
    double minHeight;  // rise above the trough before, and fall below the peak after, in x's units
    double minPeriod;  // seconds between accepted peaks
    std::optional<double> maxRate; // cycles per minute
};

// Feeds samples one at a time and settles peaks as the signal confirms them, so that a record fed in
// chunks yields exactly the events of the record fed at once.
class PeakDetector
{
public:
    PeakDetector(const PeakRules& rules, double sampleInterval);

    // The samples of ticks firstTick on; the track is settled as far as they take it.
    void Add(int64_t firstTick, std::span<const float> samples, EventTrack& track);
    // The record ended: the peak held back for the period rule is final.
    void Finish(int64_t recordLength, EventTrack& track);

private:
    struct Peak
    {
        int64_t tick;
        float value;
    };

    void Step(int64_t tick, float sample, EventTrack& track);
    void Confirm(const Peak& peak, EventTrack& track);
    static void Emit(const Peak& peak, EventTrack& track);
    int64_t SettledTicks(int64_t nextTick) const;

    double minHeight_;
    double minPeriodTicks_;
    bool rising_ = false; // the signal has risen minHeight above the trough; tracking the crest
    float trough_ = 0.0f;
    Peak crest_{-1, 0.0f};
    std::optional<Peak> held_; // accepted, but a higher peak within the period may still replace it
};

EventNodePtr MakePeakDetector(SampleNodePtr signal, const Recording& recording, const PeakRules& rules);

} // namespace Host::Calc
