// rwavedet(x, minPeriod): one event per heart beat of an ECG, at its R wave, past T waves, baseline wander
// and the short spikes a scanner's gradients put on the lead.
#pragma once

#include "host/app/calc/CalcNodes.h"

#include <optional>
#include <span>
#include <vector>

namespace Host::Calc
{

struct RWaveRules
{
    double minPeriod; // seconds: no two beats closer than this, whatever the heart rate
};

// Feeds samples block by block; a beat is decided a few tens of milliseconds after its R wave (the first of
// a record once the beat after it is known, and the first ones once a few seconds have come for the start of
// the thresholds), so that a record fed in chunks yields exactly the events of the record fed at once.
class RWaveDetector
{
public:
    RWaveDetector(const RWaveRules& rules, double sampleInterval);

    void Add(int64_t firstTick, std::span<const float> samples, EventTrack& track);
    void Finish(int64_t recordLength, EventTrack& track);

private:
    // A local maximum of the slope and the deflection of the signal around it.
    struct Candidate
    {
        int64_t tick;    // of the slope's maximum
        int64_t peak;    // of the deflection's extreme (the R wave's peak)
        double slope;    // the slope feature there
        double height;   // of the deflection above the mean around it
        double width;    // ticks the deflection stays above half its height
        bool atEdge;     // the extreme lies at the edge of the window searched
        double broadness; // the slope over three slope spans against the slope (see Broadness)
        double step;      // the largest step from one sample to the next around the R wave
    };

    void Advance(bool complete, EventTrack& track);
    void NoteFlats(size_t from);
    void Derive(bool complete);
    void DeriveMedian(int64_t end);
    void Clean(int64_t end);
    void DeriveSlope(int64_t end);
    void Learn(bool complete);
    std::vector<Candidate> WindowTops(int64_t end) const;
    void Examine(int64_t tick, int64_t known, EventTrack& track);
    bool IsSlopePeak(int64_t tick) const;
    // The candidate at tick, from the samples of y before end.
    Candidate Measure(int64_t tick, int64_t end) const;
    double Broadness(int64_t tick) const;
    bool IsBroad(const Candidate& candidate) const;
    bool IsSpike(const Candidate& candidate) const;
    bool IsArtefact(const Candidate& candidate) const;
    bool IsFaint(const Candidate& candidate) const;
    bool TouchesFlat(const Candidate& candidate) const;
    bool FallsAway(int64_t peak, int64_t side) const;
    // No R wave whatever its slope: a step, an artefact, a deflection within noise or beside a dropout.
    bool IsUnfit(const Candidate& candidate) const;
    bool IsTWave(const Candidate& candidate) const;
    bool LiesWholeInRecord(const Candidate& candidate, int64_t known) const;
    // The strongest candidate with its R wave in [from, to) (searched no further than end) of at least the given slope.
    std::optional<Candidate> Strongest(int64_t from, int64_t to, int64_t end, double minSlope) const;
    std::optional<double> EstimatePeriod(int64_t from, int64_t to) const;
    Candidate SearchBackChoice() const;
    void Accept(const Candidate& beat, double weight, EventTrack& track);
    void FollowPeriod(int64_t interval);
    void ConfirmFirst(int64_t known, EventTrack& track);
    void Append(const Candidate& beat, EventTrack& track) const;
    double Threshold() const { return noisePeak_ + ThresholdShare * (signalPeak_ - noisePeak_); }
    double Refractory() const;

    static constexpr double ThresholdShare = 0.4;
    static constexpr int64_t BroadSpans = 3;
    static constexpr double BroadTimes = 1.4;
    static constexpr double SpikeStepShare = 0.75;
    static constexpr size_t SpikesSkipped = 4;
    static constexpr size_t FollowedIntervals = 9, LeastFollowedIntervals = 4;

    double interval_;
    double minPeriodTicks_;
    int64_t medianHalf_;  // the despiking median's half window
    int64_t slopeHalf_;   // the slope's half span
    int64_t maxSlopeHalf_;
    int64_t searchHalf_;  // a slope peak is the largest this far either side
    int64_t learnTicks_;  // the thresholds start from this much of the record, the period from each such span
    int64_t learnWindow_; // each window of which holds a beat at the slowest rates
    int64_t flatTicks_;   // this many equal samples are a dropout, no ECG
    int64_t longestPulse_; // ticks: a pulse between two jumps at most this long is a spike
    std::vector<float> x_, y_, f_;
    std::vector<std::pair<int64_t, int64_t>> flats_; // first and last tick of each dropout so far
    std::vector<std::pair<int64_t, float>> replaced_; // the samples of the spikes taken out, as recorded
    int64_t runStart_ = 0;  // of the equal samples x_ ends with
    int64_t cleaned_ = 0;   // x_ is rid of spikes before this tick
    int64_t pulse_ = 0;     // ticks: the widest pulse taken out (0: none, the R waves themselves jump)
    double noise_ = 0.0;    // the ECG's noise: its standard deviation from sample to sample
    bool learned_ = false;
    int64_t next_ = 0;         // the next tick of f_ to examine
    double signalPeak_ = 0.0, noisePeak_ = 0.0, height_ = 0.0, width_ = 0.0, broadness_ = 0.0, steepness_ = 0.0,
           lastSlope_ = 0.0;
    std::optional<double> period_;      // ticks: from the record's start, then from the beats taken
    std::vector<double> intervals_;     // ticks between the last beats' R waves
    std::optional<int64_t> last_;       // slope tick of the last beat
    int64_t lastPeak_ = -1;             // R-wave tick of the last beat
    std::vector<Candidate> missed_;     // candidates below the threshold since the last beat
    std::vector<Candidate> held_;       // the record's first beats until the first is confirmed
    std::optional<int64_t> confirmAt_;  // the tick from which the first beat is decided
    bool firstDecided_ = false;
};

EventNodePtr MakeRWaveDetector(SampleNodePtr signal, const Recording& recording, const RWaveRules& rules);

} // namespace Host::Calc
