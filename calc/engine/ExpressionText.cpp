#include "calc/engine/ExpressionText.h"

#include "foundation/text/StringStream.h"
#include "foundation/text/TextUtilities.h"
#include "foundation/com/XOrv.h"

#include <locale>

namespace Sistra
{
namespace
{

template <class T>
const T& Required(const T* value, int32_t id)
{
    if (!value)
    {
        Orv::OStringStream message;
        message.imbue(std::locale::classic());
        message << L"The analysis setup has no property " << id << L".";
        throw XOrv(message.Str(), E_INVALIDARG);
    }
    return *value;
}

int32_t IntOf(const ModelPropertyReader& model, int32_t id)
{
    return Required(model.GetInt(id), id);
}

// Channel numbers are written counted from 1.
int32_t ChannelNumberOf(const ModelPropertyReader& model, int32_t id)
{
    return Required(model.GetChannel(id), id) + 1;
}

struct Position
{
    int32_t record;
    int32_t tick;
};

Position PositionOf(const ModelPropertyReader& model, int32_t id)
{
    const std::optional<uint64_t> position = model.GetPosition(id);
    const uint64_t value = Required(position ? &*position : nullptr, id);
    return Position{static_cast<int32_t>(value >> 32), static_cast<int32_t>(value & 0xFFFFFFFFu)};
}

template <class Write>
Orv::String TextOf(Write write)
{
    Orv::OStringStream out;
    write(out);
    return out.Str();
}

} // namespace

void WriteRangeArguments(std::wostream& out, const ModelPropertyReader& model, const RangeWords& range)
{
    out.imbue(std::locale::classic());
    Position start{range.startRecord, range.startTick};
    if (range.startRecord == TakeFromModel)
        start = PositionOf(model, AnalysisProperty::AnalysisStart);
    out << L", " << start.record << L", " << start.tick;
    if (Required(model.GetBool(AnalysisProperty::OnlineAnalysis), AnalysisProperty::OnlineAnalysis))
    {
        out << L", -1, -1";
        return;
    }
    if (IntOf(model, AnalysisProperty::EndLimitRule) == OpenEndRule)
    {
        out << L", " << TakeFromModel << L", " << TakeFromModel;
        return;
    }
    Position end{range.endRecord, range.endTick};
    if (range.endRecord == TakeFromModel)
        end = PositionOf(model, AnalysisProperty::AnalysisEnd);
    out << L", " << end.record << L", " << end.tick;
}

void WriteEndDiastolicDetector(std::wostream& out, const ModelPropertyReader& model, const RangeWords& range)
{
    out.imbue(std::locale::classic());
    if (IntOf(model, AnalysisProperty::EdpMethod) == EdpFromEcg)
    {
        out << L"PVEcgEdpDet(" << Required(model.GetText(AnalysisProperty::EcgEventSource), AnalysisProperty::EcgEventSource).c_str();
    }
    else
    {
        // The peak height is both the peak detector's first argument and the minimum peak height.
        const int32_t p = ChannelNumberOf(model, AnalysisProperty::PressureChannel);
        const double height = Required(model.GetDouble(AnalysisProperty::PeakHeight), AnalysisProperty::PeakHeight);
        const double period = Required(model.GetDouble(AnalysisProperty::PeakPeriod), AnalysisProperty::PeakPeriod);
        // Every digit is kept: the detector must find the peaks the settings describe, not their neighbours.
        out << L"PVEdpDet(ch" << p << L", CMPeakDet(ch" << p << L", ";
        WriteExactNumber(out, height) << L", ";
        WriteExactNumber(out, period) << L"), ";
        WriteExactNumber(out, height);
    }
    WriteRangeArguments(out, model, range);
    out << L")";
}

void WriteEndDiastolicDetectorOverWholeChannel(std::wostream& out, const ModelPropertyReader& model)
{
    WriteEndDiastolicDetector(out, model, RangeWords{});
}

void WriteLoopAnalyzer(std::wostream& out, const ModelPropertyReader& model, const RangeWords& range,
                       VolumeSource volume)
{
    out.imbue(std::locale::classic());
    out << L"SistraAnalyzer(ch" << ChannelNumberOf(model, AnalysisProperty::PressureChannel);
    if (volume == VolumeSource::Channel)
        out << L", ch" << ChannelNumberOf(model, AnalysisProperty::VolumeChannel);
    else
        out << L", " << CorrectedVolumeName;
    out << L", ";
    WriteEndDiastolicDetector(out, model, range);
    out << L", " << IntOf(model, AnalysisProperty::TauType) << L", " << IntOf(model, AnalysisProperty::StrokeVolumeMode);
    WriteRangeArguments(out, model, range);
    out << L", " << IntOf(model, AnalysisProperty::EndSystolicMode) << L")";
}

void WritePvaCalculation(std::wostream& out, const ModelPropertyReader& model,
                         const std::optional<PvaRegressions>& regressions)
{
    out.imbue(std::locale::classic());
    out << L"PVACalc(" << LoopEventStreamName << L", ";
    if (!regressions)
    {
        out << L"-1 , 0, 0, 0, 0, 0, 0, 0)";
        return;
    }
    const PvaRegressions& r = *regressions;
    // The areas are taken from the volume the loops were analysed on, the parallel conductance taken off.
    out << L"ch" << ChannelNumberOf(model, AnalysisProperty::PressureChannel) << L", " << CorrectedVolumeName << L", "
        << r.espvrType << L", " << r.edpvrType;
    for (double value : {r.pressureAtIntersect, r.volumeAtIntersect, r.espvrTerms[0], r.espvrTerms[1],
                         r.espvrTerms[2], r.edpvrTerms[0], r.edpvrTerms[1]})
        WriteExactNumber(out << L", ", value);
    out << L")";
}

void WriteMaxDetector(std::wostream& out, const Orv::String& sourceText)
{
    out << L"PVMaxDet(" << sourceText.c_str() << L")";
}

Orv::String BuildLoopAnalyzerExpressionWithVolumeChannel(const ModelPropertyReader& model, const RangeWords& range)
{
    return TextOf([&](std::wostream& out) { WriteLoopAnalyzer(out, model, range, VolumeSource::Channel); });
}

Orv::String BuildLoopAnalyzerExpressionWithCorrectedVolume(const ModelPropertyReader& model, const RangeWords& range)
{
    return TextOf([&](std::wostream& out) { WriteLoopAnalyzer(out, model, range, VolumeSource::CorrectedVolume); });
}

Orv::String BuildEndDiastolicDetectorExpression(const ModelPropertyReader& model, const RangeWords& range)
{
    return TextOf([&](std::wostream& out) { WriteEndDiastolicDetector(out, model, range); });
}

Orv::String BuildPvaCalcExpression(const ModelPropertyReader& model, const std::optional<PvaRegressions>& regressions)
{
    return TextOf([&](std::wostream& out) { WritePvaCalculation(out, model, regressions); });
}

Orv::String BuildMaxDetectorExpression(const Orv::String& sourceText)
{
    return TextOf([&](std::wostream& out) { WriteMaxDetector(out, sourceText); });
}

Orv::String BuildVolumeExpression(const ModelPropertyReader& model, const VolumeExpressionWriter& calibrator)
{
    return calibrator.BuildVolumeExpression(Required(model.GetChannel(AnalysisProperty::VolumeChannel),
                                                     AnalysisProperty::VolumeChannel));
}

} // namespace Sistra
