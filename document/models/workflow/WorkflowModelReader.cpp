#include "document/models/workflow/WorkflowModelReader.h"

namespace Sistra
{

// The calculation texts name their properties by the ids of the workflow models.
static_assert(AnalysisProperty::PressureChannel == PropertyId::PressureChannel);
static_assert(AnalysisProperty::VolumeChannel == PropertyId::VolumeChannel);
static_assert(AnalysisProperty::EndLimitRule == PropertyId::RegionMode);
static_assert(AnalysisProperty::EdpMethod == PropertyId::DetectionSource);
static_assert(AnalysisProperty::EcgEventSource == PropertyId::EcgEventSource);
static_assert(AnalysisProperty::PeakHeight == PropertyId::MinimumPeakHeight);
static_assert(AnalysisProperty::PeakPeriod == PropertyId::MinimumPeriod);
static_assert(AnalysisProperty::OnlineAnalysis == PropertyId::OnlineMode);
static_assert(AnalysisProperty::AnalysisStart == PropertyId::RegionStart);
static_assert(AnalysisProperty::AnalysisEnd == PropertyId::RegionEnd);
static_assert(AnalysisProperty::TauType == PropertyId::TauModel);
static_assert(AnalysisProperty::StrokeVolumeMode == PropertyId::StrokeVolumeMode);
static_assert(AnalysisProperty::EndSystolicMode == PropertyId::EndSystolicMode);

template <PropertyType T>
const PropertyValueType<T>* WorkflowModelReader::Lookup(int32_t id) const
{
    const PropertyInfo info = GetPropertyInfo(id);
    if (info.ownerKind == 0 || info.type != T)
        return nullptr;
    const ModelPtr model = only_ ? (only_->GetModelId() == info.ownerKind ? only_ : nullptr)
                                 : document_->GetModel(info.ownerKind);
    return model ? model->GetValuePtr<T>(id) : nullptr;
}

const int32_t* WorkflowModelReader::GetInt(int32_t id) const
{
    return Lookup<PropertyType::Int>(id);
}

const double* WorkflowModelReader::GetDouble(int32_t id) const
{
    return Lookup<PropertyType::Double>(id);
}

const bool* WorkflowModelReader::GetBool(int32_t id) const
{
    return Lookup<PropertyType::Bool>(id);
}

const int32_t* WorkflowModelReader::GetChannel(int32_t id) const
{
    return Lookup<PropertyType::Channel>(id);
}

const Orv::String* WorkflowModelReader::GetText(int32_t id) const
{
    return Lookup<PropertyType::Text>(id);
}

std::optional<uint64_t> WorkflowModelReader::GetPosition(int32_t id) const
{
    const RecordingPosition* position = Lookup<PropertyType::Position>(id);
    if (!position)
        return std::nullopt;
    return static_cast<uint64_t>(static_cast<uint32_t>(position->block)) << 32 | static_cast<uint32_t>(position->tick);
}

} // namespace Sistra
