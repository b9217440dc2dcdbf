// The volume calibration: the conductance recorded on the volume channel becomes volume through the
// calibrations the workflow applied (two-point conductance, MPVS volumes or known volumes, then the
// cuvette regression, the parallel conductance and alpha), offered as a host units conversion and as
// calculation text for the loop analysis.
#pragma once

#include "calc/engine/ExpressionText.h"
#include "document/analysis/VolumeCorrection.h"
#include "document/calibration/CalibratorBase.h"

namespace Sistra
{

// A straight line y = slope x + intercept.
struct LineCoefficients
{
    double slope;
    double intercept;
};

class VolumeCalibrator final : public CalibratorBase, public VolumeExpressionWriter
{
public:
    explicit VolumeCalibrator(CalibratorOwner& owner);
    ~VolumeCalibrator() override;

    bool IsActive() override;
    UnitInfo GetUnit(int32_t channel) override;

    // The raw value through every calibration in force, the parallel conductance taken by divisor.
    double ConvertToVolume(double raw, double divisor, int32_t channel);
    // Calibrated volume of the channel with the corrections the channel shows (the parallel conductance,
    // alpha), in base units, in the calculation language.
    Orv::String BuildVolumeExpression(int32_t channel) const override;
    // The corrections that expression takes off, which the saline regression puts back.
    VolumeCorrection LoopVolumeCorrection() const;
    // Whether an applied parallel conductance is taken off in the document's workflow.
    bool TakesParallelConductance() const;
    // Whether an applied cuvette regression turns the document's volumes in its workflow.
    bool TakesCuvetteRegression() const;
    // In the mammal workflows the volume calibration comes before the saline step: until it makes the
    // channel's unit litres, a parallel conductance measured on the loops is conductance, and its number
    // would be read as litres once the channel is calibrated.
    bool AwaitsVolumeUnit(int32_t channel);

    // The conductance behind a value the channel shows (both in base units), through the workflow's
    // first calibration but not the cuvette regression and the corrections after it: the reading the
    // cuvette regression is taken in.
    double ShownBeforeCuvette(double shown, int32_t channel);

    LineCoefficients GetConductanceCoefficients() const;
    LineCoefficients GetMpvsCoefficients() const;
    LineCoefficients GetKnownVolumeCoefficients() const;

protected:
    std::optional<CalibrationPoints> PointsFor(int32_t channel, const ConversionUnits& channelUnits) override;

private:
    enum class Workflow
    {
        None = 0,
        SmallMammal = 1,
        LargeMammal = 2,
        Echo = 3,
    };
    // The calibrations in force follow the workflow the user calibrated in, whether or not its guidance
    // is on: leaving the workflow keeps its calibrations, so that every reader of the volume (the host's
    // channel, the loops, the table, the fits) goes on seeing the same volume.
    struct Chain
    {
        Workflow kind;
        bool guided;
    };
    Chain CurrentChain() const;
    // The workflow's own two-point line and its unit, when it is applied; none without one.
    struct WorkflowLine
    {
        LineCoefficients line;
        UnitInfo unit;
    };
    std::optional<WorkflowLine> AppliedWorkflowLine(Workflow kind) const;
    // The cuvette regression reads conductance: the small mammal's, or the channel's own without guidance.
    static bool TakesCuvetteRegression(Chain chain);
    bool CuvetteInForce(Chain chain) const;
    // The parallel conductance is taken off in the mammal workflows and without a workflow.
    static bool TakesParallelConductance(Chain chain);
    bool SalineInForce(Chain chain) const;
    bool AlphaInForce(Chain chain) const;
    // The first stage: the two-point calibration of the workflow, else the channel's own conversion.
    double FirstStage(double raw, int32_t channel, Workflow kind, double& factor) const;
    bool Applied(const ModelPtr& model, int id) const { return model->GetValue<PropertyType::Bool>(id); }
    double Value(const ModelPtr& model, int id) const { return model->GetValue<PropertyType::Double>(id); }
    UnitInfo Unit(const ModelPtr& model, int id) const { return model->GetValue<PropertyType::Unit>(id); }

    ModelPtr conductance_;
    ModelPtr mpvs_;
    ModelPtr cuvette_;
    ModelPtr saline_;
    ModelPtr alpha_;
    ModelPtr knownVolume_;
};

} // namespace Sistra
