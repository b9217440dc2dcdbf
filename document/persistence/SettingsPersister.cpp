#include "document/persistence/SettingsPersister.h"

#include "document/models/ModelFactory.h"
#include "document/persistence/LegacySettings.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"

namespace Sistra
{
namespace
{

// Sets the owner's loading flag for the life of a load, whichever way it ends.
class LoadingSettings
{
public:
    explicit LoadingSettings(SettingsPersisterOwner& owner) : owner_(owner) { owner_.SetLoadingSettings(true); }
    ~LoadingSettings() { owner_.SetLoadingSettings(false); }
    LoadingSettings(const LoadingSettings&) = delete;
    LoadingSettings& operator=(const LoadingSettings&) = delete;

private:
    SettingsPersisterOwner& owner_;
};

} // namespace

SettingsPersister::SettingsPersister(SettingsPersisterOwner& owner, SettingsFlavour flavour)
    : Orv::CComObjectRoot(1), owner_(&owner), flavour_(flavour)
{
}

HRESULT STDMETHODCALLTYPE SettingsPersister::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IPersistStreamInit*>(this), iid, object, IID_IPersist,
                             IID_IPersistStreamInit);
}

HRESULT STDMETHODCALLTYPE SettingsPersister::GetClassID(CLSID* classId)
{
    return Orv::AnswerValue(classId, SettingsPersisterClassId);
}

HRESULT STDMETHODCALLTYPE SettingsPersister::IsDirty()
{
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE SettingsPersister::Load(IStream* stream)
{
    if (!owner_)
        return E_UNEXPECTED;
    return Orv::CatchReturn([&] {
        LoadingSettings loading(*owner_);
        loaded_ = true;
        const LegacySettingsLoader legacy =
            flavour_ == SettingsFlavour::Full ? LoadLegacyFullSettings : LoadLegacySettingsOnly;
        return LoadSettingsRecord(stream, flavour_, *owner_, legacy);
    });
}

HRESULT STDMETHODCALLTYPE SettingsPersister::Save(IStream* stream, BOOL clearDirty)
{
    if (!owner_)
        return E_UNEXPECTED;
    return Orv::CatchReturn([&] {
        const HRESULT hr = SaveSettingsRecord(stream, flavour_, *owner_);
        if (SUCCEEDED(hr) && clearDirty)
            dirty_ = false;
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE SettingsPersister::GetSizeMax(ULARGE_INTEGER*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE SettingsPersister::InitNew()
{
    if (!owner_)
        return E_UNEXPECTED;
    if (!owner_->ArePersistersRegistered() && !loaded_)
        return S_FALSE;
    return Orv::CatchReturn([&] { ResetModelsToDefaults(); });
}

void SettingsPersister::ResetModelsToDefaults()
{
    for (const int kind : owner_->ModelKinds())
    {
        const ModelPtr model = owner_->FindModel(kind);
        const ModelPtr fresh = ModelClassObjBase::CreateModel(kind, &owner_->RecordOwner(), ModelRole::Snapshot);
        if (!model || !fresh)
            continue;
        fresh->SetSuppressCommit(true);
        model->CopyFrom(fresh.get());
        model->CommitChanges();
    }
}

} // namespace Sistra
