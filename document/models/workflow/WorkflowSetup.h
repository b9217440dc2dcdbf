// The setup of the workflow: workflow kind, source channels, end-diastole detection, analysis region
// and options. Every other kind depends on it; the document creates it with itself.
#pragma once

#include "document/models/ModelBase.h"

namespace Sistra
{

class WorkflowSetup final : public ModelBase<ModelKind::WorkflowSetup>
{
public:
    WorkflowSetup(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;
    bool LoadSettings(Orv::BinIStream& in, int version) override;
    void SaveSettings(Orv::BinOStream& out) const override;

    ValidationResult ValidateValues() override;
    ValidationResult CheckPrerequisites() override;

    // Record versions from which the analyzer options and the trailing text are stored.
    static constexpr int StrokeVolumeModeVersion = 19;
    static constexpr int EndSystolicModeVersion = 20;

private:
    // Which of the two source channels is not a channel of the owner's document, as a problem.
    ValidationResult CheckChannelsExist();
    bool IsChannelOutOfRange(int32_t channel);

    int32_t pressureChannel_ = NoChannel;
    int32_t volumeChannel_ = NoChannel;
    int32_t workflowKind_ = 0;
    int32_t regionMode_ = 0;
    int32_t detectionSource_ = 0;
    Orv::String ecgEventSource_;
    double minimumPeakHeight_ = 20.0;
    double minimumPeriod_ = 0.0;
    int32_t minimumPeriodUnit_ = 8;
    bool workflowModeOn_ = true;
    bool onlineMode_ = false;
    bool showLoopMarkers_ = true;
    bool regionSet_ = false;
    int32_t selectedLoop_ = -1;
    RecordingPosition regionStart_;
    RecordingPosition regionEnd_;
    int32_t strokeVolumeMode_ = 0;
    int32_t endSystolicMode_ = 0;
    // Kept unchanged through every load and save; nothing reads it.
    Orv::String trailingText_;
};

} // namespace Sistra
