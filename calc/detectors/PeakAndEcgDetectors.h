// Two detectors that pass events through: "PVMaxDet" turns each end-diastolic event into a plain event
// at the pressure peak it carries; "PVEcgEdpDet" turns each ECG event inside the limits into an
// end-diastolic event at the same position.
#pragma once

#include "calc/engine/DetectorSteps.h"

namespace Sistra
{

class MaxParams : public EEH3::ParamsBase
{
public:
    // No numbers of its own and no limits: the whole recording.
    void Read(std::wistream&) override {}
    void Write(std::wostream&) const override {}
    void BuildSources(uint32_t count, IUnknown* const* sources) override;

    EEH3::EventWrapperEx<SistraEdpEvent>& EndDiastolicEvents()
    {
        return SourceAs<EEH3::EventWrapperEx<SistraEdpEvent>>(0);
    }
};

class MaxState : public EEH3::StateBase
{
public:
    MaxState(const MaxParams&, int32_t firstTick) : StateBase(firstTick) {}

    // The peaks come after their end-diastolic events: the last one handed out may lie beyond nextTick.
    int32_t ResumePosition() const override { return std::max(NextTick(), lastPeakTick + 1); }

    int32_t lastPeakTick = -1;
};

class MaxAlgorithm
{
public:
    using Params = MaxParams;
    using State = MaxState;
    using Event = OrvEventBase;

    static bool Step(State& state, Params& params, Event& event);
};

struct MaxEnumerator
{
    using Algorithm = MaxAlgorithm;
};

class ParamsEcg : public EEH3::ParamsBase
{
public:
    void BuildSources(uint32_t count, IUnknown* const* sources) override;

    EEH3::EventWrapperEx<OrvEventBase>& EcgEvents() { return SourceAs<EEH3::EventWrapperEx<OrvEventBase>>(0); }
};

class StateEcg : public EEH3::StateBase
{
public:
    StateEcg(const ParamsEcg&, int32_t firstTick) : StateBase(firstTick), firstTick(firstTick) {}

    // 0 searching for the first event inside the limits, 1 waiting for the next event, 3 event held.
    int32_t phase = 0;
    SistraEdpEvent held{};
    int32_t firstTick;
};

class EcgAlgorithm
{
public:
    using Params = ParamsEcg;
    using State = StateEcg;
    using Event = SistraEdpEvent;

    static bool Step(State& state, Params& params, Event& event);
};

struct EcgEnumerator
{
    using Algorithm = EcgAlgorithm;
};

} // namespace Sistra
