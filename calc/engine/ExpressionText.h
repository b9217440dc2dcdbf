// The calculation texts the analysis hands to the host: the end-diastolic detector, the loop analyzer,
// the pressure-volume area calculation and the maximum detector, composed from the settings of the
// analysis setup.
#pragma once

#include "foundation/text/String.h"

#include <cstdint>
#include <optional>
#include <ostream>

namespace Sistra
{

// The workflow-model properties the texts read, by property id; each id is read from the model that
// owns it (the Tau model setting from the Tau model, the others from the setup model).
namespace AnalysisProperty
{
constexpr int32_t PressureChannel = 1;      // channel
constexpr int32_t VolumeChannel = 2;        // channel
constexpr int32_t EndLimitRule = 27;        // int: 1 = open end
constexpr int32_t EdpMethod = 28;           // int: 1 = from ECG events
constexpr int32_t EcgEventSource = 29;      // text
constexpr int32_t PeakHeight = 30;          // double: peak detector's first argument and minimum peak height, in
                                            // the unit the pressure channel is read in
constexpr int32_t PeakPeriod = 31;          // double: peak detector's second argument
constexpr int32_t OnlineAnalysis = 35;      // bool
constexpr int32_t AnalysisStart = 59;       // position
constexpr int32_t AnalysisEnd = 60;         // position
constexpr int32_t TauType = 62;             // int
constexpr int32_t StrokeVolumeMode = 72;    // int
constexpr int32_t EndSystolicMode = 73;     // int
} // namespace AnalysisProperty

constexpr int32_t OpenEndRule = 1;
constexpr int32_t EdpFromEcg = 1;

// Typed reading of workflow-model properties by id; null (or no value) when no model has such a property.
// A position is one 64-bit value: tick in the low 32 bits, record in the high 32 bits. Channels are
// counted from 0.
class ModelPropertyReader
{
public:
    virtual ~ModelPropertyReader() = default;
    virtual const int32_t* GetInt(int32_t id) const = 0;
    virtual const double* GetDouble(int32_t id) const = 0;
    virtual const bool* GetBool(int32_t id) const = 0;
    virtual const int32_t* GetChannel(int32_t id) const = 0;
    virtual const Orv::String* GetText(int32_t id) const = 0;
    virtual std::optional<uint64_t> GetPosition(int32_t id) const = 0;
};

// Range words as the analysis gives them; TakeFromModel in a record word means the model's position.
constexpr int32_t TakeFromModel = 0x7FFFFFFF;
struct RangeWords
{
    int32_t startRecord = TakeFromModel;
    int32_t startTick = TakeFromModel;
    int32_t endRecord = TakeFromModel;
    int32_t endTick = TakeFromModel;
};

// Names under which the analysis registers its own calculations with the host.
inline constexpr const wchar_t* LoopEventStreamName = L"sistra";
inline constexpr const wchar_t* PvaEventStreamName = L"pva";
inline constexpr const wchar_t* CorrectedVolumeName = L"pvvolumewithoutvp";

enum class VolumeSource
{
    Channel,         // the volume channel itself
    CorrectedVolume, // the volume channel corrected for parallel conductance
};

// The end-systolic and end-diastolic regressions the PVA text carries.
struct PvaRegressions
{
    int32_t espvrType = -1;
    int32_t edpvrType = 0;
    double pressureAtIntersect = 0.0;
    double volumeAtIntersect = 0.0;
    double espvrTerms[3] = {};
    double edpvrTerms[2] = {};
};

// What writes the calibrated volume of a channel as calculation text: the document's volume calibrator.
class VolumeExpressionWriter
{
public:
    virtual Orv::String BuildVolumeExpression(int32_t channel) const = 0;

protected:
    ~VolumeExpressionWriter() = default;
};

// Each builder writes its text to the stream (its locale is set to the classic one) and throws XOrv
// when the model lacks a property the text needs.
void WriteRangeArguments(std::wostream& out, const ModelPropertyReader& model, const RangeWords& range);
void WriteEndDiastolicDetector(std::wostream& out, const ModelPropertyReader& model, const RangeWords& range);
void WriteEndDiastolicDetectorOverWholeChannel(std::wostream& out, const ModelPropertyReader& model);
void WriteLoopAnalyzer(std::wostream& out, const ModelPropertyReader& model, const RangeWords& range,
                       VolumeSource volume);
// Without valid regressions: the text that asks for no PVA.
void WritePvaCalculation(std::wostream& out, const ModelPropertyReader& model,
                         const std::optional<PvaRegressions>& regressions);
void WriteMaxDetector(std::wostream& out, const Orv::String& sourceText);

// The same texts as strings.
Orv::String BuildLoopAnalyzerExpressionWithVolumeChannel(const ModelPropertyReader& model, const RangeWords& range);
Orv::String BuildLoopAnalyzerExpressionWithCorrectedVolume(const ModelPropertyReader& model, const RangeWords& range);
Orv::String BuildEndDiastolicDetectorExpression(const ModelPropertyReader& model, const RangeWords& range);
Orv::String BuildPvaCalcExpression(const ModelPropertyReader& model, const std::optional<PvaRegressions>& regressions);
Orv::String BuildMaxDetectorExpression(const Orv::String& sourceText);
// The calibrated volume of the setup's volume channel, as the calibrator writes it.
Orv::String BuildVolumeExpression(const ModelPropertyReader& model, const VolumeExpressionWriter& calibrator);

} // namespace Sistra
