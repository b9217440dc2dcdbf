#include "document/models/calibration/VolumeScaleCalibrations.h"

#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"
#include "document/models/calibration/CalibrationChecks.h"
#include "foundation/numbers/NumberUtilities.h"
#include "resources/ResourceIds.h"

#include <algorithm>

namespace Sistra
{
namespace
{

const ModelClassObj<AlphaCalib> alphaFactory;
const ModelClassObj<KnownVolumeCalib> knownVolumeFactory;

bool IsMarker(double value)
{
    return IsBlankMarker(value) || IsInvalidMarker(value);
}

ValidationResult InvalidValue(UINT messageId)
{
    return ValidationResult(IDS_MODEL_INVALID_CALIBRATION_VALUE, messageId);
}

} // namespace

AlphaCalib::AlphaCalib(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    for (int kind : {ModelKind::WorkflowSetup, ModelKind::CuvetteCalib, ModelKind::SalineCalib, ModelKind::VolumeCalib,
                     ModelKind::ConductanceCalib})
        SubscribeToModel(kind);
    using enum PropertyType;
    RegisterProperty<Double>(PropertyId::Alpha, &alpha_);
    RegisterProperty<Bool>(PropertyId::AlphaCalibrationApplied, &applied_);
    RegisterProperty<Int>(PropertyId::AlphaSource, &source_);
    RegisterProperty<Double>(PropertyId::BaseCardiacOutput, &baseCardiacOutput_);
    RegisterProperty<Double>(PropertyId::ScaledCardiacOutput, &scaledCardiacOutput_);
    RegisterProperty<Double>(PropertyId::BaseStrokeVolume, &baseStrokeVolume_);
    RegisterProperty<Double>(PropertyId::ScaledStrokeVolume, &scaledStrokeVolume_);
}

bool AlphaCalib::Load(Orv::BinIStream& in, int)
{
    Records::ReadDouble(in, alpha_);
    Records::ReadBool(in, applied_);
    Records::ReadInt(in, source_);
    for (double* value : {&baseCardiacOutput_, &scaledCardiacOutput_, &baseStrokeVolume_, &scaledStrokeVolume_})
        Records::ReadDouble(in, *value);
    return in.IsGood();
}

void AlphaCalib::Save(Orv::BinOStream& out) const
{
    Records::WriteDouble(out, alpha_);
    Records::WriteBool(out, applied_);
    Records::WriteInt(out, source_);
    for (double value : {baseCardiacOutput_, scaledCardiacOutput_, baseStrokeVolume_, scaledStrokeVolume_})
        Records::WriteDouble(out, value);
}

ValidationResult AlphaCalib::ValidateValues()
{
    if (IsInvalidMarker(alpha_))
        return ValidationResult(IDS_MODEL_NOT_A_NUMBER, IDS_MODEL_ALPHA_NAN);
    if (alpha_ < 0)
        return ValidationResult::Formatted(IDS_MODEL_OUT_OF_RANGE, IDS_MODEL_ALPHA_NOT_POSITIVE, 0);
    if (ApproxEqual(alpha_, 0.0))
        return ValidationResult(IDS_MODEL_OUT_OF_RANGE, IDS_MODEL_ALPHA_ZERO);
    const struct
    {
        int32_t source;
        double value;
        UINT message;
    } references[] = {{FromCardiacOutput, baseCardiacOutput_, IDS_MODEL_BASE_CO_NAN},
                      {FromCardiacOutput, scaledCardiacOutput_, IDS_MODEL_SCALED_CO_NAN},
                      {FromStrokeVolume, baseStrokeVolume_, IDS_MODEL_BASE_SV_NAN},
                      {FromStrokeVolume, scaledStrokeVolume_, IDS_MODEL_SCALED_SV_NAN}};
    for (const auto& reference : references)
        if (source_ == reference.source && IsInvalidMarker(reference.value))
            return ValidationResult(IDS_MODEL_NOT_A_NUMBER, reference.message);
    return ValidationResult::Ok();
}

ValidationResult AlphaCalib::CheckPrerequisites()
{
    constexpr CalibrationRule rule{0, 0, IDS_MODEL_FILL_ALPHA};
    return CheckCalibrationPrerequisites(*this, rule, {alpha_}, applied_);
}

void AlphaCalib::OnModelChanged(Model* source, const PropertyIdSet& changed)
{
    const int kind = source->GetModelId();
    if (kind == ModelKind::CuvetteCalib || kind == ModelKind::SalineCalib || kind == ModelKind::ConductanceCalib ||
        kind == ModelKind::VolumeCalib || changed.Test(PropertyId::VolumeChannel))
        WithdrawFlag(PropertyId::AlphaCalibrationApplied);
}

KnownVolumeCalib::KnownVolumeCalib(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    SubscribeToModel(ModelKind::WorkflowSetup);
    using enum PropertyType;
    RegisterProperty<Int>(PropertyId::KnownVolumePair, &pair_);
    RegisterProperty<Bool>(PropertyId::KnownVolumeCalibrationApplied, &applied_);
    RegisterProperty<Double>(PropertyId::KnownVolumeBaseEsv, &baseEsv_);
    RegisterProperty<Double>(PropertyId::KnownVolumeBaseEdv, &baseEdv_);
    RegisterProperty<Double>(PropertyId::KnownVolumeBaseSv, &baseSv_);
    RegisterProperty<Double>(PropertyId::KnownVolumeConvertedEsv, &convertedEsv_);
    RegisterProperty<Double>(PropertyId::KnownVolumeConvertedEdv, &convertedEdv_);
    RegisterProperty<Double>(PropertyId::KnownVolumeConvertedSv, &convertedSv_);
    RegisterProperty<Unit>(PropertyId::KnownVolumeUnit, &unit_);
}

template <class Self>
auto KnownVolumeCalib::PairOf(Self& self) -> std::vector<decltype(&self.baseEsv_)>
{
    switch (self.pair_)
    {
    case EsvAndEdv: return {&self.baseEsv_, &self.baseEdv_, &self.convertedEsv_, &self.convertedEdv_};
    case EsvAndSv: return {&self.baseEsv_, &self.baseSv_, &self.convertedEsv_, &self.convertedSv_};
    case EdvAndSv: return {&self.baseEdv_, &self.baseSv_, &self.convertedEdv_, &self.convertedSv_};
    default: return {};
    }
}

bool KnownVolumeCalib::Load(Orv::BinIStream& in, int)
{
    Records::ReadInt(in, pair_);
    Records::ReadBool(in, applied_);
    for (double* value : PairOf(*this))
        Records::ReadDouble(in, *value);
    Records::ReadUnit(in, unit_);
    return in.IsGood();
}

void KnownVolumeCalib::Save(Orv::BinOStream& out) const
{
    Records::WriteInt(out, pair_);
    Records::WriteBool(out, applied_);
    for (const double* value : PairOf(*this))
        Records::WriteDouble(out, *value);
    Records::WriteUnit(out, unit_);
}

ValidationResult KnownVolumeCalib::ValidateValues()
{
    const auto values = PairOf(*this);
    if (values.empty())
        return ValidationResult::Ok();
    const UINT formats[] = {IDS_MODEL_VOLUME_BASE_NAN, IDS_MODEL_VOLUME_BASE_NAN, IDS_MODEL_VOLUME_CONVERTED_NAN,
                            IDS_MODEL_VOLUME_CONVERTED_NAN};
    for (size_t i = 0; i < values.size(); ++i)
        if (IsMarker(*values[i]))
            return ValidationResult::Formatted(IDS_MODEL_TEXT_NOT_A_NUMBER, formats[i], OrdinalWord(static_cast<int>(i % 2)));
    if (ApproxEqual(*values[0], *values[1]))
        return InvalidValue(IDS_MODEL_VOLUME_BASE_EQUAL);
    if (ApproxEqual(*values[2], *values[3]))
        return InvalidValue(IDS_MODEL_VOLUME_CONVERTED_EQUAL);
    return CheckPairRelation();
}

ValidationResult KnownVolumeCalib::CheckPairRelation()
{
    switch (pair_)
    {
    case EsvAndEdv:
        if (baseEsv_ >= baseEdv_)
            return InvalidValue(IDS_MODEL_BASE_ESV_NOT_BELOW_EDV);
        if (convertedEsv_ >= convertedEdv_)
            return InvalidValue(IDS_MODEL_CONVERTED_ESV_NOT_BELOW_EDV);
        break;
    case EdvAndSv:
        if (baseSv_ > baseEdv_)
            return InvalidValue(IDS_MODEL_BASE_SV_ABOVE_EDV);
        if (convertedSv_ > convertedEdv_)
            return InvalidValue(IDS_MODEL_CONVERTED_SV_ABOVE_EDV);
        break;
    case EsvAndSv:
    {
        const double baseDifference = baseEsv_ - baseSv_;
        const double convertedDifference = convertedEsv_ - convertedSv_;
        if ((baseDifference > 0 && convertedDifference < 0) ||
            (baseEsv_ > 0 && baseDifference < 0 && convertedDifference > 0))
            return ValidationResult(IDS_MODEL_VOLUMES_INCONSISTENT, IDS_MODEL_VOLUMES_MISPLACED);
        break;
    }
    default:
        break;
    }
    return ValidationResult::Ok();
}

ValidationResult KnownVolumeCalib::CheckPrerequisites()
{
    constexpr CalibrationRule rule{ModelKind::WorkflowSetup, IDS_MODEL_SETUP_BEFORE_VOLUME, IDS_MODEL_FILL_VOLUME};
    const auto values = PairOf(*this);
    const bool anyNaN = std::any_of(values.begin(), values.end(), [](const double* v) { return IsNaN(*v); });
    return CheckCalibrationPrerequisites(*this, rule, {anyNaN ? BlankMarker() : 0.0}, applied_);
}

void KnownVolumeCalib::OnModelChanged(Model*, const PropertyIdSet& changed)
{
    if (changed.Test(PropertyId::VolumeChannel))
        WithdrawFlag(PropertyId::KnownVolumeCalibrationApplied);
}

} // namespace Sistra
