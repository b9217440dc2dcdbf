// What the analysis data needs of the document that owns it: the host document, the settings the
// workflow models hold, the channels' display units and the reactions to the user's loop choices.
#pragma once

#include "calc/engine/ExpressionText.h"

#include <unknwn.h>

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace Sistra
{

// End-systolic relation kinds and point types, end-diastolic relation kinds, as the loop-view model
// holds them.
enum EspvrKind : int32_t
{
    EspvrLinear = 0,
    EspvrQuadratic = 1,
    EspvrPerpendicular = 2,
    EspvrTangent = 3,
};
enum EdpvrKind : int32_t
{
    EdpvrLinear = 0,
    EdpvrExponential = 1,
};
constexpr int32_t PerBeatEsPoints = 0;
constexpr int32_t TangentFitEsPoints = 1;
// The workflow step and analysis type in which tangent end-systolic points are fitted.
constexpr int32_t AnalyseStepId = 7;
constexpr int32_t OcclusionAnalysis = 1;
constexpr int32_t BaselineAnalysis = 0;

// The settings the analysis data reads, taken from the workflow models when asked for.
struct AnalysisSettings
{
    int32_t pressureChannel = 0;
    int32_t volumeChannel = 1;
    bool workflowModeOn = false;
    bool onlineMode = false;
    int32_t selectedLoop = -1;
    int32_t currentStep = 0;
    int32_t analysisType = BaselineAnalysis;
    int32_t espvrKind = EspvrLinear;
    int32_t edpvrKind = EdpvrLinear;
    int32_t esPointType = PerBeatEsPoints;
    std::unordered_set<int32_t> tableParameters;
    std::vector<int32_t> excludedParameters; // what the workflow step in force leaves out of the table
    std::vector<double> knownVolumes;
    std::vector<std::vector<double>> cuvetteTable; // the conductance readings of each well, well by well
};

class AnalysisDataOwner
{
public:
    // The host document (its data, items and child data); not reference-counted here.
    virtual IUnknown* HostDocument() = 0;
    virtual AnalysisSettings Settings() = 0;
    // The workflow models as the calculation texts read them.
    virtual const ModelPropertyReader& SetupReader() = 0;
    // A value of the channel in its display units (the channel's units conversion applied).
    virtual double ToDisplayUnits(int32_t channel, double value) = 0;
    // Whether the host samples right now.
    virtual bool IsSampling() = 0;
    // The user changed the state of a loop: the saved settings and the analysis results are out of date.
    virtual void LoopStatesChanged() = 0;
    // The unit text of a hemodynamic parameter from the channels' units; empty for none.
    virtual std::wstring ParameterUnit(int32_t parameterIndex) = 0;

protected:
    ~AnalysisDataOwner() = default;
};

} // namespace Sistra
