#include "document/calibration/PressureCalibrator.h"

#include <cmath>

namespace Sistra
{

PressureCalibrator::PressureCalibrator(CalibratorOwner& owner)
    : CalibratorBase(owner), model_(owner.GetModel(ModelKind::PressureCalib))
{
}

PressureCalibrator::~PressureCalibrator() = default;

bool PressureCalibrator::IsActive()
{
    return model_->GetValue<PropertyType::Bool>(PropertyId::PressureCalibrationApplied);
}

UnitInfo PressureCalibrator::GetUnit(int32_t)
{
    return UnitInfo{L"mmHg", 0};
}

std::optional<CalibrationPoints> PressureCalibrator::PointsFor(int32_t channel, const ConversionUnits&)
{
    const auto value = [this](int id) { return model_->GetValue<PropertyType::Double>(id); };
    const CalibrationPoints points{{value(PropertyId::PressureBase1), value(PropertyId::PressureBase2)},
                                  {value(PropertyId::PressureConverted1), value(PropertyId::PressureConverted2)},
                                  GetUnit(channel)};
    for (double v : {points.raw[0], points.raw[1], points.calibrated[0], points.calibrated[1]})
        if (std::isnan(v))
            return std::nullopt;
    return points;
}

} // namespace Sistra
