#include "document/models/ModelBase.h"

#include "document/models/ModelFactory.h"
#include "foundation/com/ComFace.h"
#include "foundation/streams/BinaryStream.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/messaging/SistraIds.h"

#include <sstream>

namespace Sistra
{
namespace
{

template <USHORT Number>
ULONG DocumentMessageId()
{
    return MsgIdClass<&SistraDocumentGUID, Number>::Id();
}

template <PropertyType T>
bool StoredValuesEqual(int id, const Model& a, const Model& b)
{
    const PropertyValueType<T>* x = a.GetValuePtr<T>(id);
    const PropertyValueType<T>* y = b.GetValuePtr<T>(id);
    return x && y && ValuesEqual(*x, *y);
}

// Restores a flag when the scope ends, also when an observer throws.
class FlagRestorer
{
public:
    FlagRestorer(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
    ~FlagRestorer() { flag_ = saved_; }
    FlagRestorer(const FlagRestorer&) = delete;
    FlagRestorer& operator=(const FlagRestorer&) = delete;

private:
    bool& flag_;
    bool saved_;
};

} // namespace

HRESULT STDMETHODCALLTYPE Model::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryFaces(iid, object,
                           {{static_cast<ISubject*>(this), {IID_ISubject}},
                            {static_cast<IObserver*>(this), {IID_IObserver}}});
}

ModelBaseNoTpl::ModelBaseNoTpl(ModelOwner* owner, ModelRole role) : owner_(owner), role_(role)
{
    properties_.max_load_factor(1.0f);
    properties_.reserve(11);
    // The subject manager must exist before anything subscribes.
    SubjectManagerAccessor::Get();
}

ModelBaseNoTpl::~ModelBaseNoTpl()
{
    snapshot_.reset();
    properties_.clear();
}

VYR_DEFINE_EVENT_MAP(ModelBaseNoTpl, VyrEventHandlerBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::GetId,
                          &DispatchObserverEvent<ModelBaseNoTpl, const ModelChangedRecord,
                                                 &ModelBaseNoTpl::HandleModelChanged>),
    VyrEventMap::End(),
};

void* ModelBaseNoTpl::FindValue(int id, PropertyType type) const
{
    const auto found = properties_.find(id);
    if (found == properties_.end() || found->second.index() != static_cast<size_t>(type))
        return nullptr;
    return std::visit([](auto* member) { return static_cast<void*>(member); }, found->second);
}

PropertyIdSet ModelBaseNoTpl::GetPropertyIds() const
{
    PropertyIdSet ids;
    for (const auto& [id, slot] : properties_)
        ids.Set(id);
    return ids;
}

bool ModelBaseNoTpl::PropertyEquals(int id, const Model& a, const Model& b)
{
    if (id < 0 || id >= PropertyId::Count)
        return false;
    switch (GetPropertyInfo(id).type)
    {
    case PropertyType::Int: return StoredValuesEqual<PropertyType::Int>(id, a, b);
    case PropertyType::Channel: return StoredValuesEqual<PropertyType::Channel>(id, a, b);
    case PropertyType::Bool: return StoredValuesEqual<PropertyType::Bool>(id, a, b);
    case PropertyType::Double: return StoredValuesEqual<PropertyType::Double>(id, a, b);
    case PropertyType::Unit: return StoredValuesEqual<PropertyType::Unit>(id, a, b);
    case PropertyType::Text: return StoredValuesEqual<PropertyType::Text>(id, a, b);
    case PropertyType::DoubleVector: return StoredValuesEqual<PropertyType::DoubleVector>(id, a, b);
    case PropertyType::BolusList: return StoredValuesEqual<PropertyType::BolusList>(id, a, b);
    case PropertyType::ParameterSet: return StoredValuesEqual<PropertyType::ParameterSet>(id, a, b);
    case PropertyType::Position: return StoredValuesEqual<PropertyType::Position>(id, a, b);
    case PropertyType::IntSet: return StoredValuesEqual<PropertyType::IntSet>(id, a, b);
    case PropertyType::Matrix: return StoredValuesEqual<PropertyType::Matrix>(id, a, b);
    }
    return false;
}

PropertyIdSet ModelBaseNoTpl::ComputeDifferences(const Model& a, const Model& b)
{
    PropertyIdSet changed;
    if (a.GetModelId() != b.GetModelId())
        return changed;
    const PropertyIdSet ids = a.GetPropertyIds();
    for (int id = 0; id < PropertyIdSet::Size; ++id)
        if (ids.Test(id) && !PropertyEquals(id, a, b))
            changed.Set(id);
    return changed;
}

void ModelBaseNoTpl::BeginChange()
{
    if (snapshot_)
        return;
    ModelPtr snapshot = ModelClassObjBase::CreateModel(GetModelId(), owner_, ModelRole::Snapshot);
    if (!snapshot)
        return;
    snapshot->CopyFrom(this);
    snapshot_ = std::move(snapshot);
}

bool ModelBaseNoTpl::CommitChanges()
{
    if (!snapshot_)
        return false;
    if (suppressCommit_)
    {
        snapshot_.reset();
        return false;
    }
    if (Validate().HasProblem())
        return false;
    const PropertyIdSet changed = ComputeDifferences(*this, *snapshot_);
    snapshot_.reset();
    if (changed.None())
        return false;
    const bool outermost = !committing_;
    committing_ = true;
    struct CommitEnd
    {
        ModelBaseNoTpl& model;
        bool outermost;
        ~CommitEnd()
        {
            if (outermost)
                model.committing_ = false;
        }
    } end{*this, outermost};
    if (owner_)
        owner_->SetModified();
    NotifyPropertiesChanged(changed);
    NotifyStatus(CheckPrerequisites().HasProblem() ? DocumentMessageId<DocumentNotification::ModelNotReady>()
                                                   : DocumentMessageId<DocumentNotification::ModelReady>());
    return true;
}

void ModelBaseNoTpl::DiscardChanges()
{
    if (!snapshot_)
        return;
    const ModelPtr snapshot = std::move(snapshot_);
    CopyFrom(snapshot.get());
}

ValidationResult ModelBaseNoTpl::Validate()
{
    ValidationResult result = ValidateValues();
    if (!result.HasProblem())
        return result;
    // An observer that commits while it shows the problem must not run into the same problem again.
    FlagRestorer suppressed(suppressCommit_, true);
    ModelProblemRecord record{static_cast<ISubject*>(this), result.title.Interface(), result.message.Interface()};
    VyrSubject::Notify(DocumentMessageId<DocumentNotification::ModelStatus>(), &record);
    return result;
}

ValidationResult ModelBaseNoTpl::CheckReady()
{
    ValidationResult result = Validate();
    if (result.HasProblem())
        return result;
    ValidationResult prerequisites = CheckPrerequisites();
    if (prerequisites.HasProblem())
        return prerequisites;
    return ValidationResult::Ok();
}

bool ModelBaseNoTpl::SetSuppressCommit(bool suppress)
{
    suppressCommit_ = suppress;
    return suppress;
}

bool ModelBaseNoTpl::CopyFrom(Model* other)
{
    if (!other || other->GetModelId() != GetModelId())
        return false;
    // A snapshot is observed by nobody: it needs the values, not the list of what differed.
    const bool announce = role_ == ModelRole::Live;
    const PropertyIdSet changed = announce ? ComputeDifferences(*this, *other) : PropertyIdSet{};
    std::stringbuf full;
    std::stringbuf settings;
    {
        Orv::BinOStream out(&full);
        other->Save(out);
        Orv::BinOStream settingsOut(&settings);
        other->SaveSettings(settingsOut);
    }
    Orv::BinIStream in(&full);
    if (!Load(in, FullRecordVersion))
        return false;
    Orv::BinIStream settingsIn(&settings);
    if (!LoadSettings(settingsIn, SettingsRecordVersion))
        return false;
    if (announce)
        NotifyPropertiesChanged(changed);
    return true;
}

void ModelBaseNoTpl::OnModelChanged(Model*, const PropertyIdSet&)
{
}

void ModelBaseNoTpl::SubscribeToModel(int kind)
{
    if (role_ == ModelRole::Snapshot || !owner_)
        return;
    if (const ModelPtr model = owner_->GetModel(kind))
        model->AddObserver(static_cast<IObserver*>(this));
}

bool ModelBaseNoTpl::IsModelNotReady(int kind)
{
    const ModelPtr model = owner_ ? owner_->GetModel(kind) : nullptr;
    return model && model->CheckReady().HasProblem();
}

bool ModelBaseNoTpl::IsWorkflowModeOn()
{
    const ModelPtr setup = owner_ ? owner_->GetModel(ModelKind::WorkflowSetup) : nullptr;
    return setup && setup->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn);
}

void ModelBaseNoTpl::WithdrawFlag(int id)
{
    SetValue<PropertyType::Bool>(id, false);
    CommitChanges();
}

void ModelBaseNoTpl::NotifyPropertiesChanged(const PropertyIdSet& changed)
{
    ModelChangedRecord record{static_cast<ISubject*>(this), changed.Words()};
    VyrSubject::Notify(DocumentMessageId<DocumentNotification::ModelPropertiesChanged>(), &record);
}

void ModelBaseNoTpl::NotifyStatus(ULONG messageId)
{
    ModelStatusRecord record{static_cast<ISubject*>(this)};
    VyrSubject::Notify(messageId, &record);
}

void ModelBaseNoTpl::HandleModelChanged(const ModelChangedRecord* record)
{
    if (!record || (owner_ && owner_->IsLoadingSettings()))
        return;
    OnModelChanged(static_cast<Model*>(record->source), PropertyIdSet(record->changed));
}

} // namespace Sistra
