#include "document/calibration/VolumeCalibrator.h"

#include "foundation/text/StringStream.h"
#include "foundation/text/TextUtilities.h"
#include "hostframework/services/HostServices.h"

#include <cmath>
#include <limits>
#include <locale>

namespace Sistra
{

namespace
{

constexpr double FirstRawPoint = 1.0;
constexpr double SecondRawPoint = 10.0;

LineCoefficients LineThrough(double x1, double y1, double x2, double y2)
{
    const double slope = (y1 - y2) / (x1 - x2);
    return LineCoefficients{slope, y1 - slope * x1};
}

// "(slope * inner + intercept)"
Orv::String LineText(const LineCoefficients& line, const Orv::String& inner)
{
    Orv::OStringStream out;
    out.imbue(std::locale::classic());
    WriteExactNumber(out << L"(", line.slope) << L" * " << inner.c_str() << L" + ";
    WriteExactNumber(out, line.intercept) << L")";
    return out.Str();
}

// "(inner - amount)"
Orv::String OperationText(const Orv::String& inner, const wchar_t* operation, double operand)
{
    Orv::OStringStream out;
    out.imbue(std::locale::classic());
    WriteExactNumber(out << L"(" << inner.c_str() << operation, operand) << L")";
    return out.Str();
}

Orv::String LessText(const Orv::String& inner, double amount)
{
    return OperationText(inner, L" - ", amount);
}

Orv::String QuotientText(const Orv::String& inner, double divisor)
{
    return OperationText(inner, L" / ", divisor);
}

} // namespace

VolumeCalibrator::VolumeCalibrator(CalibratorOwner& owner)
    : CalibratorBase(owner), conductance_(owner.GetModel(ModelKind::ConductanceCalib)),
      mpvs_(owner.GetModel(ModelKind::VolumeCalib)), cuvette_(owner.GetModel(ModelKind::CuvetteCalib)),
      saline_(owner.GetModel(ModelKind::SalineCalib)), alpha_(owner.GetModel(ModelKind::AlphaCalib)),
      knownVolume_(owner.GetModel(ModelKind::KnownVolumeCalib))
{
}

VolumeCalibrator::~VolumeCalibrator()
{
    // The models go in the reverse order of their fetching, then the base's cache.
    knownVolume_.reset();
    alpha_.reset();
    saline_.reset();
    cuvette_.reset();
    mpvs_.reset();
    conductance_.reset();
}

bool VolumeCalibrator::IsActive()
{
    return Applied(conductance_, PropertyId::ConductanceCalibrationApplied) ||
           Applied(mpvs_, PropertyId::VolumeCalibrationApplied) ||
           Applied(cuvette_, PropertyId::CuvetteCalibrationApplied) ||
           Applied(saline_, PropertyId::SalineCalibrationApplied) ||
           Applied(alpha_, PropertyId::AlphaCalibrationApplied) ||
           Applied(knownVolume_, PropertyId::KnownVolumeCalibrationApplied);
}

VolumeCalibrator::Chain VolumeCalibrator::CurrentChain() const
{
    const ModelPtr setup = Model(ModelKind::WorkflowSetup);
    return Chain{static_cast<Workflow>(setup->GetValue<PropertyType::Int>(PropertyId::WorkflowKind)),
                 setup->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn)};
}

std::optional<VolumeCalibrator::WorkflowLine> VolumeCalibrator::AppliedWorkflowLine(Workflow kind) const
{
    if (kind == Workflow::SmallMammal && Applied(conductance_, PropertyId::ConductanceCalibrationApplied))
        return WorkflowLine{GetConductanceCoefficients(), Unit(conductance_, PropertyId::ConductanceUnit)};
    if (kind == Workflow::LargeMammal && Applied(mpvs_, PropertyId::VolumeCalibrationApplied))
        return WorkflowLine{GetMpvsCoefficients(), Unit(mpvs_, PropertyId::VolumeCalibrationUnit)};
    if (kind == Workflow::Echo && Applied(knownVolume_, PropertyId::KnownVolumeCalibrationApplied))
        return WorkflowLine{GetKnownVolumeCoefficients(), Unit(knownVolume_, PropertyId::KnownVolumeUnit)};
    return std::nullopt;
}

bool VolumeCalibrator::TakesCuvetteRegression(Chain chain)
{
    return chain.kind == Workflow::SmallMammal || !chain.guided;
}

bool VolumeCalibrator::TakesCuvetteRegression() const
{
    return TakesCuvetteRegression(CurrentChain());
}

bool VolumeCalibrator::CuvetteInForce(Chain chain) const
{
    return TakesCuvetteRegression(chain) && Applied(cuvette_, PropertyId::CuvetteCalibrationApplied);
}

LineCoefficients VolumeCalibrator::GetConductanceCoefficients() const
{
    const ModelPtr& m = conductance_;
    return LineThrough(Value(m, PropertyId::ConductanceBase1), Value(m, PropertyId::ConductanceConverted1),
                       Value(m, PropertyId::ConductanceBase2), Value(m, PropertyId::ConductanceConverted2));
}

LineCoefficients VolumeCalibrator::GetMpvsCoefficients() const
{
    const ModelPtr& m = mpvs_;
    return LineThrough(Value(m, PropertyId::VolumeBase1), Value(m, PropertyId::VolumeConverted1),
                       Value(m, PropertyId::VolumeBase2), Value(m, PropertyId::VolumeConverted2));
}

LineCoefficients VolumeCalibrator::GetKnownVolumeCoefficients() const
{
    const ModelPtr& m = knownVolume_;
    const double esv = Value(m, PropertyId::KnownVolumeBaseEsv);
    const double edv = Value(m, PropertyId::KnownVolumeBaseEdv);
    const double sv = Value(m, PropertyId::KnownVolumeBaseSv);
    const double knownEsv = Value(m, PropertyId::KnownVolumeConvertedEsv);
    const double knownEdv = Value(m, PropertyId::KnownVolumeConvertedEdv);
    const double knownSv = Value(m, PropertyId::KnownVolumeConvertedSv);
    switch (m->GetValue<PropertyType::Int>(PropertyId::KnownVolumePair))
    {
    case 0: // end-systolic and end-diastolic volume
        return LineThrough(esv, knownEsv, edv, knownEdv);
    case 1: // the stroke volume added to the end-systolic one
        return LineThrough(esv, knownEsv, esv + sv, knownEsv + knownSv);
    case 2: // the stroke volume taken from the end-diastolic one
        return LineThrough(edv - sv, knownEdv - knownSv, edv, knownEdv);
    default:
        return LineCoefficients{std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
    }
}

double VolumeCalibrator::FirstStage(double raw, int32_t channel, Workflow kind, double& factor) const
{
    if (const std::optional<WorkflowLine> own = AppliedWorkflowLine(kind))
    {
        factor = PrefixFactor(own->unit);
        return (own->line.slope * raw + own->line.intercept) / factor;
    }
    return OwnConversionStage(raw, channel, factor);
}

double VolumeCalibrator::ShownBeforeCuvette(double shown, int32_t channel)
{
    const std::optional<double> raw = RecordedBehind(shown, channel);
    if (!raw)
        return shown;
    double factor = 1.0;
    return FirstStage(*raw, channel, CurrentChain().kind, factor) * factor;
}

double VolumeCalibrator::ConvertToVolume(double raw, double divisor, int32_t channel)
{
    const Chain chain = CurrentChain();
    double factor = 1.0;
    double volume = FirstStage(raw, channel, chain.kind, factor);
    if (CuvetteInForce(chain))
    {
        const double cuvetteFactor = PrefixFactor(Unit(cuvette_, PropertyId::CuvetteUnit));
        volume = Value(cuvette_, PropertyId::CuvetteSlope) / cuvetteFactor * factor * volume +
                 Value(cuvette_, PropertyId::CuvetteIntercept) / cuvetteFactor;
    }
    if (SalineInForce(chain))
        volume -= Value(saline_, PropertyId::ParallelConductance) / divisor;
    if (AlphaInForce(chain))
        volume /= Value(alpha_, PropertyId::Alpha);
    return volume;
}

bool VolumeCalibrator::TakesParallelConductance(Chain chain)
{
    return !chain.guided || chain.kind == Workflow::SmallMammal || chain.kind == Workflow::LargeMammal;
}

bool VolumeCalibrator::TakesParallelConductance() const
{
    return TakesParallelConductance(CurrentChain());
}

bool VolumeCalibrator::AwaitsVolumeUnit(int32_t channel)
{
    const Chain chain = CurrentChain();
    return chain.guided && (chain.kind == Workflow::SmallMammal || chain.kind == Workflow::LargeMammal) &&
           GetUnit(channel).text != L"L";
}

bool VolumeCalibrator::SalineInForce(Chain chain) const
{
    return TakesParallelConductance(chain) && Applied(saline_, PropertyId::SalineCalibrationApplied);
}

bool VolumeCalibrator::AlphaInForce(Chain chain) const
{
    return (chain.kind == Workflow::SmallMammal || chain.kind == Workflow::LargeMammal) &&
           Applied(alpha_, PropertyId::AlphaCalibrationApplied);
}

UnitInfo VolumeCalibrator::GetUnit(int32_t channel)
{
    const Chain chain = CurrentChain();
    if (CuvetteInForce(chain))
        return UnitInfo{L"L", Orv::MicroSign};
    if (const std::optional<WorkflowLine> own = AppliedWorkflowLine(chain.kind))
        return own->unit;
    return ChannelUnit(channel);
}

std::optional<CalibrationPoints> VolumeCalibrator::PointsFor(int32_t channel, const ConversionUnits&)
{
    const UnitInfo unit = GetUnit(channel);
    const double factor = PrefixFactor(unit);
    const CalibrationPoints points{{FirstRawPoint, SecondRawPoint},
                                   {ConvertToVolume(FirstRawPoint, factor, channel),
                                    ConvertToVolume(SecondRawPoint, factor, channel)},
                                   unit};
    if (std::isnan(points.calibrated[0]) || std::isnan(points.calibrated[1]))
        return std::nullopt;
    return points;
}

Orv::String VolumeCalibrator::BuildVolumeExpression(int32_t channel) const
{
    const int32_t number = channel + 1;
    const Chain chain = CurrentChain();
    const Orv::ComPtr<IUnitConversion> cached = FindConversion(channel);
    const bool cuvette = CuvetteInForce(chain);
    const std::optional<WorkflowLine> own = AppliedWorkflowLine(chain.kind);
    Orv::OStringStream out;
    out.imbue(std::locale::classic());
    if (!cached && !cuvette && !own)
    {
        out << L"ch" << number;
        return out.Str();
    }
    out << L"ch(" << number << L", \"base\")";
    Orv::String text = out.Str();
    ConversionUnits units;
    if (own)
        text = LineText(own->line, text);
    else if (cached && SUCCEEDED(ReadConversionUnits(*cached.Get(), units)) && units.inUse)
        text = LineText(LineCoefficients{units.scale, units.offset}, text);
    if (cuvette)
        text = LineText(LineCoefficients{Value(cuvette_, PropertyId::CuvetteSlope),
                                         Value(cuvette_, PropertyId::CuvetteIntercept)},
                        text);
    // The loops are read from this volume: without the parallel conductance taken off, the table, the
    // fits and the areas kept the uncorrected volumes while the host's channel showed the corrected ones.
    // Nor could an applied alpha factor change a loop: the host's channel showed it, the analysis did not.
    const VolumeCorrection correction = LoopVolumeCorrection();
    if (correction.parallelConductance)
        text = LessText(text, *correction.parallelConductance);
    if (correction.alpha)
        text = QuotientText(text, *correction.alpha);
    return text;
}

VolumeCorrection VolumeCalibrator::LoopVolumeCorrection() const
{
    const Chain chain = CurrentChain();
    VolumeCorrection correction;
    if (SalineInForce(chain))
        correction.parallelConductance = Value(saline_, PropertyId::ParallelConductance);
    if (AlphaInForce(chain))
        correction.alpha = Value(alpha_, PropertyId::Alpha);
    return correction;
}

} // namespace Sistra
