// "PVEdpDet": one end-diastolic point per beat of a pressure channel, found at the knee where the
// diastolic baseline turns into the systolic upstroke that ends at each peak of a peak-event source.
#pragma once

#include "calc/engine/DetectorSteps.h"

#include <span>
#include <vector>

namespace Sistra
{

class EdpParams : public EEH3::ParamsBase
{
public:
    // "Minimum Peak Height", then the four limits.
    void Read(std::wistream& in) override;
    void Write(std::wostream& out) const override;
    // Cursor A over the channel, cursor B over a clone of it (when the channel hands one out), the peaks.
    void BuildSources(uint32_t count, IUnknown* const* sources) override;

    EEH3::FloatExWrapper& CursorA() { return SourceAs<EEH3::FloatExWrapper>(0); }
    EEH3::FloatExWrapper& CursorB() { return SourceAs<EEH3::FloatExWrapper>(SourceCount() > 2 ? 1 : 0); }
    EEH3::EventWrapperEx<OrvEventBase>& Peaks() { return SourceAs<EEH3::EventWrapperEx<OrvEventBase>>(PeakIndex()); }
    int32_t PeakIndex() const { return static_cast<int32_t>(SourceCount()) - 1; }

    float minimumPeakHeight = 0.0f;
};

class EdpState : public EEH3::StateBase
{
public:
    EdpState(const EdpParams&, int32_t firstTick)
        : StateBase(firstTick), firstTick(firstTick), resumeTick(firstTick), footScanTick(firstTick)
    {
    }

    int32_t ResumePosition() const override { return Finished() ? EEH3::LastTick : resumeTick; }

    // 0 first usable peak, 1 first foot, 2 next peak, 3 knee of the beat that the current peak closes.
    int32_t phase = 0;
    SistraEdpEvent pendingEvent{};
    int32_t previousAnchor = 0; // foot or peak that opens the current beat
    int32_t currentAnchor = 0;  // foot or peak that closes it
    bool firstBeat = false;     // the current beat opens at the record's first foot
    int32_t firstTick;          // where processing of the record starts
    int32_t resumeTick;         // every end-diastolic point before it has been produced
    // The lowest sample from the record's first processed tick up to footScanTick, for the first foot.
    int32_t footScanTick;
    float footScanLowest = 0.0f;
    int32_t footScanLowestTick = -1;
};

// Geometry of the upstroke, over samples w copied from tick firstTick on.
struct SecantScan
{
    std::span<const double> w;
    int32_t firstTick = 0;
    int32_t originTick = 0;
    double originValue = 0.0;

    double Slope(int32_t tick) const
    {
        return (w[static_cast<std::size_t>(tick - firstTick)] - originValue) / (tick - originTick);
    }
};
// The smallest (from the largest finite double) and the largest (from 0) secant slope from the origin
// to the samples at ticks [from, to); undefined slopes never replace.
double MinSecantSlope(const SecantScan& scan, int32_t from, int32_t to);
double MaxSecantSlope(const SecantScan& scan, int32_t from, int32_t to);

// The knee of an upstroke: w holds the samples from the foot (tick foot) up to the tick before the peak,
// whose sample is peakValue. Returns the knee's tick.
int32_t FindKneeTick(std::span<const double> w, int32_t foot, double peakValue);
// Whether the samples from the foot to the knee are a baseline: the knee lies past the foot, no higher than
// half the beat's amplitude, and the secant to it is at least as much flatter than the upstroke as the knee
// search's baseline must be. A record that starts part way up an upstroke has no baseline before it: the
// secant from its foot runs up the upstroke, and noise can stop the knee's walk back near the peak.
bool KneeEndsABaseline(std::span<const double> w, int32_t foot, double peakValue, int32_t knee);

class EdpAlgorithm
{
public:
    using Params = EdpParams;
    using State = EdpState;
    using Event = SistraEdpEvent;

    static bool Step(State& state, Params& params, Event& event);

    // The lowest sample before the peak (from the record's first processed tick); false when the peak
    // does not stand "Minimum Peak Height" above it.
    static bool FindFirstFoot(State& state, Params& params, const OrvEventBase& peak, int32_t& foot);
    // The lowest sample in [from, to), the earliest of equals; cursor B is left on it. samples: room for
    // the samples read.
    static bool FindFoot(EEH3::FloatExWrapper& cursor, int32_t from, int32_t to, std::vector<float>& samples);
    // Writes the knee before the current anchor into the pending event's first position.
    static bool FindKnee(State& state, Params& params);
};

struct EdpEnumerator
{
    using Algorithm = EdpAlgorithm;
};

} // namespace Sistra
