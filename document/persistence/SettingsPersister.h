// The object through which the host saves and loads the module's part of a document: one for the full
// settings (workflow models, calibrators, last analysed channel) and one for the settings alone, each
// writing one versioned settings record into the stream the host hands over.
#pragma once

#include "document/persistence/SettingsRecord.h"
#include "foundation/com/ComObjectRoot.h"

#include <ocidl.h>

namespace Sistra
{

// {63A4A828-9A7F-4690-8267-4BA020CFC59B}: the class id both persisters report.
constexpr GUID SettingsPersisterClassId = {0x63A4A828, 0x9A7F, 0x4690, {0x82, 0x67, 0x4B, 0xA0, 0x20, 0xCF, 0xC5, 0x9B}};

// What a persister needs of its document beyond the record's contents.
class SettingsPersisterOwner : public SettingsRecordSubject
{
public:
    // Whether the document registered its persisters with the host.
    virtual bool ArePersistersRegistered() const = 0;
    // While set, setting changes do not mark the persisters dirty and models do not react to one another.
    virtual void SetLoadingSettings(bool loading) = 0;

protected:
    ~SettingsPersisterOwner() = default;
};

class SettingsPersister final : public IPersistStreamInit, public Orv::CComObjectRoot
{
public:
    // One reference, the creator's. The owner outlives the persister's use by the document.
    SettingsPersister(SettingsPersisterOwner& owner, SettingsFlavour flavour);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    // The record's write fault when the stream did not take it all; the settings then stay dirty.
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    // Resets every model to its defaults once the persisters are registered or this one has loaded;
    // S_FALSE (nothing done) before.
    HRESULT STDMETHODCALLTYPE InitNew() override;

    void SetDirty() { dirty_ = true; }
    // The document is gone: every later load, save or reset fails with E_UNEXPECTED instead of
    // reaching it.
    void Orphan() { owner_ = nullptr; }
    bool HasLoaded() const { return loaded_; }
    SettingsFlavour Flavour() const { return flavour_; }

private:
    ~SettingsPersister() = default;
    void ResetModelsToDefaults();

    bool dirty_ = false;
    bool loaded_ = false;
    SettingsPersisterOwner* owner_;
    SettingsFlavour flavour_;
};

} // namespace Sistra
