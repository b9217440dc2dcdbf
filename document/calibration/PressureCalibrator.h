// The pressure calibration: two sampled values of the pressure channel and the known pressures they
// stand for, shown in mmHg.
#pragma once

#include "document/calibration/CalibratorBase.h"

namespace Sistra
{

class PressureCalibrator final : public CalibratorBase
{
public:
    explicit PressureCalibrator(CalibratorOwner& owner);
    ~PressureCalibrator() override;

    bool IsActive() override;
    UnitInfo GetUnit(int32_t channel) override;

protected:
    std::optional<CalibrationPoints> PointsFor(int32_t channel, const ConversionUnits& channelUnits) override;

private:
    ModelPtr model_;
};

} // namespace Sistra
