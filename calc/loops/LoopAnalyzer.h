// "SistraAnalyzer": cuts the recording into beats between consecutive end-diastolic events and hands
// out one loop record per beat with its hemodynamic values, and at the end of each record's
// end-diastolic events one closing record.
#pragma once

#include "calc/engine/DetectorSteps.h"
#include "calc/loops/LoopParameters.h"

#include <vector>

namespace Sistra
{

class DetEx_EventDetectorParams : public EEH3::ParamsBase
{
public:
    // "TauType", "StrokeVolumeMode", the four limits, "End Systolic Detection Mode".
    void Read(std::wistream& in) override;
    void Write(std::wostream& out) const override;
    // Pressure channel, volume channel, end-diastolic events.
    void BuildSources(uint32_t count, IUnknown* const* sources) override;

    EEH3::FloatExWrapper& Pressure() { return SourceAs<EEH3::FloatExWrapper>(PressureSource); }
    EEH3::FloatExWrapper& Volume() { return SourceAs<EEH3::FloatExWrapper>(VolumeSource); }
    EEH3::EventWrapperEx<SistraEdpEvent>& EndDiastolicEvents()
    {
        return SourceAs<EEH3::EventWrapperEx<SistraEdpEvent>>(EdpSource);
    }

    static constexpr int32_t PressureSource = 0;
    static constexpr int32_t VolumeSource = 1;
    static constexpr int32_t EdpSource = 2;

    BeatSettings beat;
};

class DetEx_DetectorState : public EEH3::StateBase
{
public:
    DetEx_DetectorState(const DetEx_EventDetectorParams&, int32_t firstTick) : StateBase(firstTick), firstTick(firstTick)
    {
    }

    // A beat that waits for its closing event is handed out at its opening tick.
    int32_t ResumePosition() const override
    {
        return phase >= 2 && !Finished() ? std::min(opening.tick, NextTick()) : NextTick();
    }

    // Samples of the beat being read.
    std::vector<float> pressure;
    std::vector<float> volume;
    OrvEventBase opening{}; // the end-diastolic event that opens the beat
    OrvEventBase closing{}; // the one that closes it
    // 0, 1 waiting for the opening event, 2 for the closing one, 3 beat complete, 4 events ended.
    int32_t phase = 0;
    double lastEmittedPosition = -1.0;
    int32_t firstTick;
};

class DetEx_EventAlgorithm
{
public:
    using Params = DetEx_EventDetectorParams;
    using State = DetEx_DetectorState;
    using Event = SistraEvent;

    static bool Step(State& state, Params& params, Event& event);
};

struct DetEx_Enumerator
{
    using Algorithm = DetEx_EventAlgorithm;
};

} // namespace Sistra
