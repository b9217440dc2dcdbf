#include "document/models/workflow/WorkflowSetup.h"

#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"
#include "resources/ResourceIds.h"

namespace Sistra
{
namespace
{

const ModelClassObj<WorkflowSetup> factory;

} // namespace

WorkflowSetup::WorkflowSetup(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    using enum PropertyType;
    RegisterProperty<Channel>(PropertyId::PressureChannel, &pressureChannel_);
    RegisterProperty<Channel>(PropertyId::VolumeChannel, &volumeChannel_);
    RegisterProperty<Int>(PropertyId::WorkflowKind, &workflowKind_);
    RegisterProperty<Int>(PropertyId::RegionMode, &regionMode_);
    RegisterProperty<Int>(PropertyId::DetectionSource, &detectionSource_);
    RegisterProperty<Text>(PropertyId::EcgEventSource, &ecgEventSource_);
    RegisterProperty<Double>(PropertyId::MinimumPeakHeight, &minimumPeakHeight_);
    RegisterProperty<Double>(PropertyId::MinimumPeriod, &minimumPeriod_);
    RegisterProperty<Int>(PropertyId::MinimumPeriodUnit, &minimumPeriodUnit_);
    RegisterProperty<Bool>(PropertyId::WorkflowModeOn, &workflowModeOn_);
    RegisterProperty<Bool>(PropertyId::OnlineMode, &onlineMode_);
    RegisterProperty<Bool>(PropertyId::ShowLoopMarkers, &showLoopMarkers_);
    RegisterProperty<Bool>(PropertyId::RegionSet, &regionSet_);
    RegisterProperty<Int>(PropertyId::SelectedLoop, &selectedLoop_);
    RegisterProperty<Position>(PropertyId::RegionStart, &regionStart_);
    RegisterProperty<Position>(PropertyId::RegionEnd, &regionEnd_);
    RegisterProperty<Int>(PropertyId::StrokeVolumeMode, &strokeVolumeMode_);
    RegisterProperty<Int>(PropertyId::EndSystolicMode, &endSystolicMode_);
}

bool WorkflowSetup::Load(Orv::BinIStream& in, int version)
{
    Records::ReadBool(in, workflowModeOn_);
    Records::ReadInt(in, pressureChannel_);
    Records::ReadInt(in, volumeChannel_);
    Records::ReadInt(in, workflowKind_);
    Records::ReadInt(in, regionMode_);
    Records::ReadInt(in, detectionSource_);
    in.ReadString(ecgEventSource_);
    Records::ReadDouble(in, minimumPeakHeight_);
    Records::ReadDouble(in, minimumPeriod_);
    Records::ReadInt(in, minimumPeriodUnit_);
    Records::ReadBool(in, onlineMode_);
    Records::ReadBool(in, showLoopMarkers_);
    Records::ReadBool(in, regionSet_);
    if (version >= StrokeVolumeModeVersion)
        Records::ReadInt(in, strokeVolumeMode_);
    else
        strokeVolumeMode_ = 1;
    if (version >= EndSystolicModeVersion)
    {
        Records::ReadInt(in, endSystolicMode_);
        in.ReadString(trailingText_);
    }
    else
    {
        endSystolicMode_ = 0;
    }
    return in.IsGood();
}

void WorkflowSetup::Save(Orv::BinOStream& out) const
{
    Records::WriteBool(out, workflowModeOn_);
    Records::WriteInt(out, pressureChannel_);
    Records::WriteInt(out, volumeChannel_);
    Records::WriteInt(out, workflowKind_);
    Records::WriteInt(out, regionMode_);
    Records::WriteInt(out, detectionSource_);
    out.WriteString(ecgEventSource_);
    Records::WriteDouble(out, minimumPeakHeight_);
    Records::WriteDouble(out, minimumPeriod_);
    Records::WriteInt(out, minimumPeriodUnit_);
    Records::WriteBool(out, onlineMode_);
    Records::WriteBool(out, showLoopMarkers_);
    Records::WriteBool(out, regionSet_);
    Records::WriteInt(out, strokeVolumeMode_);
    Records::WriteInt(out, endSystolicMode_);
    out.WriteString(trailingText_);
}

bool WorkflowSetup::LoadSettings(Orv::BinIStream& in, int)
{
    Records::ReadInt(in, selectedLoop_);
    Records::ReadPosition(in, regionStart_);
    Records::ReadPosition(in, regionEnd_);
    return in.IsGood();
}

void WorkflowSetup::SaveSettings(Orv::BinOStream& out) const
{
    Records::WriteInt(out, selectedLoop_);
    Records::WritePosition(out, regionStart_);
    Records::WritePosition(out, regionEnd_);
}

bool WorkflowSetup::IsChannelOutOfRange(int32_t channel)
{
    return channel != NoChannel && Owner() && (channel < 0 || channel >= Owner()->GetChannelCount());
}

ValidationResult WorkflowSetup::ValidateValues()
{
    if (pressureChannel_ == volumeChannel_ && pressureChannel_ != NoChannel)
        return ValidationResult(IDS_MODEL_INVALID_CHANNEL_SELECTION, IDS_MODEL_SAME_CHANNELS);
    // A channel that is not in the document is no value error: the commit goes through and the step
    // reports it as not ready (CheckPrerequisites), so the transaction never stays open on it.
    for (int32_t channel : {pressureChannel_, volumeChannel_})
        if (channel != NoChannel && !IsChannelOutOfRange(channel) && Owner() &&
            Owner()->ChannelDependsOnAnalysis(channel))
            return ValidationResult(IDS_MODEL_SISTRA, IDS_MODEL_CIRCULAR_DEPENDENCY);
    if (IsInvalidMarker(minimumPeakHeight_) || IsInvalidMarker(minimumPeriod_))
        return ValidationResult(IDS_MODEL_NOT_A_NUMBER, IDS_MODEL_TEXT_NOT_A_NUMBER);
    return ValidationResult::Ok();
}

ValidationResult WorkflowSetup::CheckChannelsExist()
{
    if (IsChannelOutOfRange(pressureChannel_))
        return ValidationResult(IDS_MODEL_INVALID_CHANNEL_SELECTION, IDS_MODEL_PRESSURE_CHANNEL_MISSING);
    if (IsChannelOutOfRange(volumeChannel_))
        return ValidationResult(IDS_MODEL_INVALID_CHANNEL_SELECTION, IDS_MODEL_VOLUME_CHANNEL_MISSING);
    return ValidationResult::Ok();
}

ValidationResult WorkflowSetup::CheckPrerequisites()
{
    if (IsNaN(minimumPeakHeight_) || IsNaN(minimumPeriod_))
        return ValidationResult(IDS_MODEL_NOT_A_NUMBER, IDS_MODEL_TEXT_NOT_A_NUMBER);
    ValidationResult channels = CheckChannelsExist();
    if (channels.HasProblem())
        return channels;
    if (workflowKind_ == 0 || pressureChannel_ == NoChannel || volumeChannel_ == NoChannel)
        return ValidationResult::NotReady();
    return ValidationResult::Ok();
}

} // namespace Sistra
