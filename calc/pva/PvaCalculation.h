// "PvaCalc": for each loop record of the loop analyzer, the loop's pressure-volume area, potential
// energy and external work, from the loop's samples up to end systole and the end-systolic and
// end-diastolic relations fitted over all loops (handed in as numbers, with the point where they meet).
#pragma once

#include "calc/engine/DetectorSteps.h"
#include "calc/pva/AnalysisDataAccess.h"

#include <vector>

namespace Sistra::Sistra
{

// End-systolic relation types: linear, quadratic, perpendicular, tangent; any other switches the
// calculation off.
constexpr int32_t NoRelation = -1;
constexpr int32_t FirstEspvrType = 0;
constexpr int32_t LastEspvrType = 3;
constexpr int32_t LinearRelation = 0;
constexpr int32_t TangentRelation = 3;

class Params : public EEH3::ParamsBase
{
public:
    // The two relation types, the intersection's pressure and volume, three end-systolic and two
    // end-diastolic terms, then the four limits. Each reading replaces what an earlier one set; unless
    // all nine numbers are given the calculation is off.
    void Read(std::wistream& in) override;
    // The same numbers in the same order, so that the text reads back as it was.
    void Write(std::wostream& out) const override;
    // Loop records, pressure channel, volume channel.
    void BuildSources(uint32_t count, IUnknown* const* sources) override;
    // The analysis data of the document the calculation runs for, or null.
    Orv::ComPtr<ITangentEsPoints> FindAnalysisData() const { return ::Sistra::FindAnalysisData(context); }

    EEH3::EventWrapperEx<SistraEvent>& Loops() { return SourceAs<EEH3::EventWrapperEx<SistraEvent>>(LoopSource); }
    EEH3::FloatExWrapper& Pressure() { return SourceAs<EEH3::FloatExWrapper>(PressureSource); }
    EEH3::FloatExWrapper& Volume() { return SourceAs<EEH3::FloatExWrapper>(VolumeSource); }

    static constexpr int32_t LoopSource = 0;
    static constexpr int32_t PressureSource = 1;
    static constexpr int32_t VolumeSource = 2;
    static constexpr std::size_t SourcesNeeded = 3;
    static constexpr std::size_t EspvrTermCount = 3;
    static constexpr std::size_t EdpvrTermCount = 2;

    int32_t espvrType = NoRelation;
    int32_t edpvrType = LinearRelation;
    double pressureAtIntersect = 0.0;
    double volumeAtIntersect = 0.0;
    std::vector<double> espvrTerms;
    std::vector<double> edpvrTerms;
    bool espvrTypeValid = false;
};

class State : public EEH3::StateBase
{
public:
    State(const Params&, int32_t firstTick) : StateBase(firstTick) {}

    // One loop's samples from its first tick on; emptied once the loop is done, so that checkpoint
    // copies stay small.
    std::vector<float> pressureSamples;
    std::vector<float> volumeSamples;
};

class Algorithm
{
public:
    using Params = Sistra::Params;
    using State = Sistra::State;
    using Event = PVAEvent;

    static bool Step(State& state, Params& params, Event& event);
};

struct Enumerator
{
    using Algorithm = Sistra::Algorithm;
};

} // namespace Sistra::Sistra
