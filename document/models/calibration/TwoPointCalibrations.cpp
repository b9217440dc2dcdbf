#include "document/models/calibration/TwoPointCalibrations.h"

#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"

#include <algorithm>
#include <iterator>

namespace Sistra
{

template <int Kind, const TwoPointLayout& Layout>
TwoPointCalib<Kind, Layout>::TwoPointCalib(ModelOwner* owner, ModelRole role) : ModelBase<Kind>(owner, role)
{
    std::fill(std::begin(values_), std::end(values_), BlankMarker());
    this->SubscribeToModel(ModelKind::WorkflowSetup);
    if (Layout.appliedFirst)
        this->template RegisterProperty<PropertyType::Bool>(Layout.appliedId, &applied_);
    for (int i = 0; i < 4; ++i)
        this->template RegisterProperty<PropertyType::Double>(Layout.recordIds[i], &values_[i]);
    if (!Layout.appliedFirst)
        this->template RegisterProperty<PropertyType::Bool>(Layout.appliedId, &applied_);
    if (Layout.unitId >= 0)
        this->template RegisterProperty<PropertyType::Unit>(Layout.unitId, &unit_);
}

template <int Kind, const TwoPointLayout& Layout>
bool TwoPointCalib<Kind, Layout>::Load(Orv::BinIStream& in, int)
{
    if (Layout.appliedFirst)
        Records::ReadBool(in, applied_);
    for (double& value : values_)
        Records::ReadDouble(in, value);
    if (!Layout.appliedFirst)
        Records::ReadBool(in, applied_);
    if (Layout.unitId >= 0)
        Records::ReadUnit(in, unit_);
    return in.IsGood();
}

template <int Kind, const TwoPointLayout& Layout>
void TwoPointCalib<Kind, Layout>::Save(Orv::BinOStream& out) const
{
    if (Layout.appliedFirst)
        Records::WriteBool(out, applied_);
    for (double value : values_)
        Records::WriteDouble(out, value);
    if (!Layout.appliedFirst)
        Records::WriteBool(out, applied_);
    if (Layout.unitId >= 0)
        Records::WriteUnit(out, unit_);
}

template <int Kind, const TwoPointLayout& Layout>
ValidationResult TwoPointCalib<Kind, Layout>::ValidateValues()
{
    return ValidateTwoPoint(Layout.texts, values_[Layout.base1], values_[Layout.base2], values_[Layout.converted1],
                            values_[Layout.converted2]);
}

template <int Kind, const TwoPointLayout& Layout>
ValidationResult TwoPointCalib<Kind, Layout>::CheckPrerequisites()
{
    return CheckCalibrationPrerequisites(*this, Layout.rule, {values_[0], values_[1], values_[2], values_[3]}, applied_);
}

template <int Kind, const TwoPointLayout& Layout>
void TwoPointCalib<Kind, Layout>::OnModelChanged(Model*, const PropertyIdSet& changed)
{
    if (changed.Test(Layout.channelId))
        this->WithdrawFlag(Layout.appliedId);
}

template class TwoPointCalib<ModelKind::PressureCalib, PressureLayout>;
template class TwoPointCalib<ModelKind::ConductanceCalib, ConductanceLayout>;
template class TwoPointCalib<ModelKind::VolumeCalib, VolumeLayout>;

namespace
{

const ModelClassObj<PressureCalib> pressureFactory;
const ModelClassObj<ConductanceCalib> conductanceFactory;
const ModelClassObj<VolumeCalib> volumeFactory;

} // namespace

} // namespace Sistra
