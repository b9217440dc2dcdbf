// Two-point calibrations: of the pressure channel, of the conductance on the volume channel, and of
// the volume channel from values sampled with the MPVS control software. Each holds two base
// (sampled) values, two converted (known) values and an applied flag; the three differ only in their
// ids, record order, unit and texts, which a layout gives.
#pragma once

#include "document/models/ModelBase.h"
#include "document/models/calibration/CalibrationChecks.h"
#include "resources/ResourceIds.h"

namespace Sistra
{

struct TwoPointLayout
{
    int recordIds[4];           // the four values, in record order
    int base1, base2;           // indices into recordIds
    int converted1, converted2;
    int appliedId;
    bool appliedFirst;          // the flag comes before the values in the record
    int unitId;                 // -1: no unit
    const wchar_t* unitText;
    wchar_t unitPrefix;
    int channelId;              // a change of this setup channel withdraws the calibration
    TwoPointTexts texts;
    CalibrationRule rule;
};

template <int Kind, const TwoPointLayout& Layout>
class TwoPointCalib final : public ModelBase<Kind>
{
public:
    TwoPointCalib(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;
    ValidationResult ValidateValues() override;
    ValidationResult CheckPrerequisites() override;
    void OnModelChanged(Model* source, const PropertyIdSet& changed) override;

private:
    double values_[4];
    bool applied_ = false;
    UnitInfo unit_{Layout.unitText ? Layout.unitText : L"", Layout.unitPrefix};
};

inline constexpr TwoPointLayout PressureLayout{
    {PropertyId::PressureBase1, PropertyId::PressureConverted1, PropertyId::PressureBase2, PropertyId::PressureConverted2},
    0, 2, 1, 3, PropertyId::PressureCalibrationApplied, false, -1, nullptr, 0, PropertyId::PressureChannel,
    {IDS_MODEL_NOT_A_NUMBER, IDS_MODEL_PRESSURE_BASE_NAN, IDS_MODEL_PRESSURE_CONVERTED_NAN, IDS_MODEL_PRESSURE_BASE_EQUAL,
     IDS_MODEL_PRESSURE_CONVERTED_EQUAL},
    {ModelKind::WorkflowSetup, IDS_MODEL_SETUP_BEFORE_PRESSURE, IDS_MODEL_FILL_PRESSURE}};

inline constexpr TwoPointLayout ConductanceLayout{
    {PropertyId::ConductanceBase1, PropertyId::ConductanceConverted1, PropertyId::ConductanceBase2,
     PropertyId::ConductanceConverted2},
    0, 2, 1, 3, PropertyId::ConductanceCalibrationApplied, false, PropertyId::ConductanceUnit, L"S", L'm',
    PropertyId::VolumeChannel,
    {IDS_MODEL_NOT_A_NUMBER, IDS_MODEL_CONDUCTANCE_BASE_NAN, IDS_MODEL_CONDUCTANCE_CONVERTED_NAN,
     IDS_MODEL_CONDUCTANCE_BASE_EQUAL, IDS_MODEL_CONDUCTANCE_CONVERTED_EQUAL},
    {ModelKind::WorkflowSetup, IDS_MODEL_SETUP_BEFORE_CONDUCTANCE, IDS_MODEL_FILL_CONDUCTANCE}};

inline constexpr TwoPointLayout VolumeLayout{
    {PropertyId::VolumeBase1, PropertyId::VolumeBase2, PropertyId::VolumeConverted1, PropertyId::VolumeConverted2},
    0, 1, 2, 3, PropertyId::VolumeCalibrationApplied, true, PropertyId::VolumeCalibrationUnit, L"L", L'm',
    PropertyId::VolumeChannel,
    {IDS_MODEL_TEXT_NOT_A_NUMBER, IDS_MODEL_VOLUME_BASE_NAN, IDS_MODEL_VOLUME_CONVERTED_NAN, IDS_MODEL_VOLUME_BASE_EQUAL,
     IDS_MODEL_VOLUME_CONVERTED_EQUAL},
    {ModelKind::WorkflowSetup, IDS_MODEL_SETUP_BEFORE_VOLUME, IDS_MODEL_FILL_VOLUME}};

using PressureCalib = TwoPointCalib<ModelKind::PressureCalib, PressureLayout>;
using ConductanceCalib = TwoPointCalib<ModelKind::ConductanceCalib, ConductanceLayout>;
using VolumeCalib = TwoPointCalib<ModelKind::VolumeCalib, VolumeLayout>;

} // namespace Sistra
