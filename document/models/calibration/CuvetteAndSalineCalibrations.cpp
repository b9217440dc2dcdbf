#include "document/models/calibration/CuvetteAndSalineCalibrations.h"

#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"
#include "document/models/calibration/CalibrationChecks.h"
#include "foundation/com/XOrv.h"
#include "foundation/numbers/NumberUtilities.h"
#include "resources/ResourceIds.h"

#include <cmath>

namespace Sistra
{
namespace
{

const ModelClassObj<CuvetteCalib> cuvetteFactory;
const ModelClassObj<SalineCalib> salineFactory;

constexpr uint32_t BolusRecordBytes = sizeof(double) + 4 * sizeof(int32_t);
constexpr uint32_t LegacyBolusRecordBytes = sizeof(double) + sizeof(int32_t);

bool IsOutOfRange(double value)
{
    return value < -CuvetteCalib::Limit || value > CuvetteCalib::Limit;
}

ValidationResult RangeProblem(UINT formatId)
{
    return ValidationResult::Formatted(IDS_MODEL_OUT_OF_RANGE, formatId, -static_cast<int>(CuvetteCalib::Limit),
                                       static_cast<int>(CuvetteCalib::Limit));
}

// Reads rows and columns; refuses a negative size or one larger than the record before allocating.
void ReadMatrixSize(Orv::BinIStream& in, DoubleMatrix& matrix)
{
    const int32_t rows = in.ReadInt32();
    const int32_t columns = in.ReadInt32();
    if (!in.IsGood())
        return;
    const std::optional<uint64_t> remaining = in.RemainingBytes();
    const uint64_t cells = uint64_t(uint32_t(rows)) * uint32_t(columns);
    if (rows < 0 || columns < 0 || !remaining || cells * sizeof(double) > *remaining)
        throw XOrv(L"The cuvette table record is damaged: its size is larger than the record.", Orv::E_ORV_READ_FAILED);
    matrix.Resize(rows, columns);
}

} // namespace

CuvetteCalib::CuvetteCalib(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    SubscribeToModel(ModelKind::ConductanceCalib);
    SubscribeToModel(ModelKind::WorkflowSetup);
    using enum PropertyType;
    RegisterProperty<Double>(PropertyId::CuvetteSlope, &slope_);
    RegisterProperty<Double>(PropertyId::CuvetteIntercept, &intercept_);
    RegisterProperty<Bool>(PropertyId::CuvetteCalibrationApplied, &applied_);
    RegisterProperty<Unit>(PropertyId::CuvetteUnit, &unit_);
    RegisterProperty<DoubleVector>(PropertyId::KnownVolumes, &knownVolumes_);
    RegisterProperty<Matrix>(PropertyId::CuvetteTable, &table_);
}

bool CuvetteCalib::Load(Orv::BinIStream& in, int)
{
    Records::ReadDouble(in, slope_);
    Records::ReadDouble(in, intercept_);
    Records::ReadBool(in, applied_);
    Records::ReadUnit(in, unit_);
    const uint32_t count = Records::ReadCount(in, sizeof(double), L"known cuvette volumes");
    if (in.IsGood())
        knownVolumes_.resize(count);
    for (double& volume : knownVolumes_)
        Records::ReadDouble(in, volume);
    return in.IsGood();
}

void CuvetteCalib::Save(Orv::BinOStream& out) const
{
    Records::WriteDouble(out, slope_);
    Records::WriteDouble(out, intercept_);
    Records::WriteBool(out, applied_);
    Records::WriteUnit(out, unit_);
    Records::WriteInt(out, static_cast<int32_t>(knownVolumes_.size()));
    for (double volume : knownVolumes_)
        Records::WriteDouble(out, volume);
}

bool CuvetteCalib::LoadSettings(Orv::BinIStream& in, int)
{
    ReadMatrixSize(in, table_);
    for (double& cell : table_.Data())
        Records::ReadDouble(in, cell);
    return in.IsGood();
}

void CuvetteCalib::SaveSettings(Orv::BinOStream& out) const
{
    Records::WriteInt(out, table_.Rows());
    Records::WriteInt(out, table_.Columns());
    const size_t cells = static_cast<size_t>(table_.Rows()) * static_cast<size_t>(table_.Columns());
    for (size_t i = 0; i < cells; ++i)
        Records::WriteDouble(out, i < table_.Data().size() ? table_.Data()[i] : BlankMarker());
}

ValidationResult CuvetteCalib::ValidateValues()
{
    if (IsInvalidMarker(slope_))
        return ValidationResult(IDS_MODEL_NOT_A_NUMBER, IDS_MODEL_SLOPE_NAN);
    if (IsInvalidMarker(intercept_))
        return ValidationResult(IDS_MODEL_NOT_A_NUMBER, IDS_MODEL_INTERCEPT_NAN);
    if (IsOutOfRange(slope_))
        return RangeProblem(IDS_MODEL_SLOPE_RANGE);
    if (ApproxEqual(slope_, 0.0))
        return ValidationResult(IDS_MODEL_INVALID_SLOPE, IDS_MODEL_SLOPE_ZERO);
    if (IsOutOfRange(intercept_))
        return RangeProblem(IDS_MODEL_INTERCEPT_RANGE);
    return ValidationResult::Ok();
}

ValidationResult CuvetteCalib::CheckPrerequisites()
{
    constexpr CalibrationRule rule{ModelKind::ConductanceCalib, IDS_MODEL_CONDUCTANCE_BEFORE_CUVETTE, IDS_MODEL_FILL_CUVETTE};
    if (ValidationResult filled = CheckCalibrationPrerequisites(*this, rule, {slope_, intercept_}, true); filled.HasProblem())
        return filled;
    // A falling line gives the fullest well the least volume: stored (the view shows the fit it followed),
    // never applied. Said whether or not it is applied, so that refusing the tick says why.
    if (!(slope_ > 0.0))
        return ValidationResult(IDS_MODEL_INVALID_SLOPE, IDS_MODEL_SLOPE_FALLING);
    return applied_ ? ValidationResult::Ok() : ValidationResult::NotReady();
}

void CuvetteCalib::OnModelChanged(Model* source, const PropertyIdSet& changed)
{
    // The views and the page show different things with workflow mode on and off: all of it is new.
    if (changed.Test(PropertyId::WorkflowModeOn))
        NotifyPropertiesChanged(GetPropertyIds());
    if (changed.Test(PropertyId::VolumeChannel) || source->GetModelId() == ModelKind::ConductanceCalib)
        WithdrawFlag(PropertyId::CuvetteCalibrationApplied);
}

SalineCalib::SalineCalib(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    for (int kind : {ModelKind::WorkflowSetup, ModelKind::CuvetteCalib, ModelKind::VolumeCalib})
        SubscribeToModel(kind);
    using enum PropertyType;
    RegisterProperty<Double>(PropertyId::ParallelConductance, &parallelConductance_);
    RegisterProperty<Bool>(PropertyId::SalineCalibrationApplied, &applied_);
    RegisterProperty<BolusList>(PropertyId::BolusList, &boluses_);
    RegisterProperty<IntSet>(PropertyId::SelectedBoluses, &selected_);
}

bool SalineCalib::Load(Orv::BinIStream& in, int)
{
    Records::ReadDouble(in, parallelConductance_);
    Records::ReadBool(in, applied_);
    BYTE ignored = 0;
    in.ReadByte(&ignored);
    return in.IsGood();
}

void SalineCalib::Save(Orv::BinOStream& out) const
{
    Records::WriteDouble(out, parallelConductance_);
    Records::WriteBool(out, applied_);
    out.WriteByte(0);
}

bool SalineCalib::LoadSettings(Orv::BinIStream& in, int version)
{
    if (version < SelectionVersion)
    {
        ReadLegacySettings(in);
        return in.IsGood();
    }
    const uint32_t count = Records::ReadCount(in, BolusRecordBytes, L"saline boluses");
    if (!in.IsGood())
        return false;
    boluses_.resize(count);
    for (BolusEntry& entry : boluses_)
    {
        Records::ReadDouble(in, entry.value);
        Records::ReadPosition(in, entry.start);
        Records::ReadPosition(in, entry.end);
    }
    Records::ReadIntSet(in, selected_);
    if (version >= LoopItemsVersion)
        for (BolusEntry& entry : boluses_)
            Records::ReadIntSet(in, entry.loopItems);
    return in.IsGood();
}

// Records before the selection existed: read to their end, and nothing of them kept.
void SalineCalib::ReadLegacySettings(Orv::BinIStream& in)
{
    const uint32_t count = Records::ReadCount(in, LegacyBolusRecordBytes, L"saline boluses");
    for (uint32_t i = 0; i < count && in.IsGood(); ++i)
    {
        double value = 0.0;
        Records::ReadDouble(in, value);
        in.ReadInt32();
    }
    in.ReadInt32();
}

void SalineCalib::SaveSettings(Orv::BinOStream& out) const
{
    Records::WriteInt(out, static_cast<int32_t>(boluses_.size()));
    for (const BolusEntry& entry : boluses_)
    {
        Records::WriteDouble(out, entry.value);
        Records::WritePosition(out, entry.start);
        Records::WritePosition(out, entry.end);
    }
    Records::WriteIntSet(out, selected_);
    for (const BolusEntry& entry : boluses_)
        Records::WriteIntSet(out, entry.loopItems);
}

ValidationResult SalineCalib::ValidateValues()
{
    if (IsInvalidMarker(parallelConductance_))
        return ValidationResult(IDS_MODEL_NOT_A_NUMBER, IDS_MODEL_PARALLEL_CONDUCTANCE_NAN);
    // The parallel volume is taken off every volume: a negative one would add to them. Blank passes.
    if (parallelConductance_ < 0.0 || std::isinf(parallelConductance_))
        return ValidationResult(IDS_MODEL_OUT_OF_RANGE, IDS_MODEL_PARALLEL_CONDUCTANCE_RANGE);
    return ValidationResult::Ok();
}

ValidationResult SalineCalib::CheckPrerequisites()
{
    const ModelPtr setup = Owner() ? Owner()->GetModel(ModelKind::WorkflowSetup) : nullptr;
    const int32_t workflowKind =
        setup && IsWorkflowModeOn() ? setup->GetValue<PropertyType::Int>(PropertyId::WorkflowKind) : 0;
    CalibrationRule rule{0, 0, IDS_MODEL_FILL_SALINE};
    if (workflowKind == 1)
        rule = {ModelKind::CuvetteCalib, IDS_MODEL_CUVETTE_BEFORE_SALINE, IDS_MODEL_FILL_SALINE};
    else if (workflowKind == 2)
        rule = {ModelKind::VolumeCalib, IDS_MODEL_VOLUME_BEFORE_SALINE, IDS_MODEL_FILL_SALINE};
    return CheckCalibrationPrerequisites(*this, rule, {parallelConductance_}, applied_);
}

void SalineCalib::OnModelChanged(Model* source, const PropertyIdSet& changed)
{
    if (changed.Test(PropertyId::WorkflowModeOn))
        NotifyPropertiesChanged(GetPropertyIds());
    const int kind = source->GetModelId();
    if (changed.Test(PropertyId::WorkflowKind) || kind == ModelKind::CuvetteCalib || kind == ModelKind::VolumeCalib ||
        kind == ModelKind::ConductanceCalib)
        WithdrawFlag(PropertyId::SalineCalibrationApplied);
}

} // namespace Sistra
