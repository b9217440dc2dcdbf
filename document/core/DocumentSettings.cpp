#include "document/core/DocumentSettings.h"

#include "document/core/SistraDocument.h"
#include "hostapi/VyrDocuments.h"

#include <oleauto.h>

namespace Sistra
{
DocumentSettings::~DocumentSettings()
{
    for (SettingsPersister* persister : {settingsOnly_.Get(), full_.Get()})
        if (persister)
            persister->Orphan();
    settingsOnly_.Reset();
    full_.Reset();
}

ModelOwner& DocumentSettings::RecordOwner()
{
    return document_;
}

std::vector<int> DocumentSettings::ModelKinds() const
{
    return document_.models_.Kinds();
}

ModelPtr DocumentSettings::FindModel(int kind) const
{
    return document_.FindModel(kind);
}

ModelPtr DocumentSettings::ObtainModel(int kind)
{
    return document_.GetModel(kind);
}

CalibratorBase& DocumentSettings::Calibrator(CalibratorRole role)
{
    if (role == CalibratorRole::Volume)
        return *document_.volumeCalibrator_;
    return *document_.pressureCalibrator_;
}

std::unique_ptr<CalibratorBase> DocumentSettings::NewCalibrator(CalibratorRole role)
{
    if (role == CalibratorRole::Volume)
        return std::make_unique<VolumeCalibrator>(document_);
    return std::make_unique<PressureCalibrator>(document_);
}

int32_t DocumentSettings::LastAnalysedPressureChannel() const
{
    return document_.lastPressureChannel_;
}

void DocumentSettings::SetLastAnalysedPressureChannel(int32_t channel)
{
    document_.lastPressureChannel_ = channel;
}

double DocumentSettings::RemoveChannelScaling(int32_t channel, double value)
{
    document_.RemoveChannelScaling(channel, value);
    return value;
}

void DocumentSettings::FindAnalysisCalculations()
{
    document_.data_->PressureStore().FindCalculations();
    document_.data_->VolumeStore().FindCalculations();
}

bool DocumentSettings::PutCalibrationsOnChannels(std::wstring& refusal)
{
    return document_.PutCalibrationsOnChannels(refusal);
}

void DocumentSettings::SetLoadingSettings(bool loading)
{
    document_.loading_ = loading;
}

SettingsPersister& DocumentSettings::Persister(SettingsFlavour flavour)
{
    Orv::ComPtr<SettingsPersister>& persister = flavour == SettingsFlavour::Full ? full_ : settingsOnly_;
    if (!persister)
        persister = Orv::ComPtr<SettingsPersister>::Adopt(new SettingsPersister(*this, flavour));
    return *persister.Get();
}

HRESULT DocumentSettings::GetPersister(ULONG kind, ULONG type, void** reserved, IUnknown** persister)
{
    if (reserved)
        *reserved = nullptr;
    if (!persister)
        return E_POINTER;
    *persister = nullptr;
    if (type != AnalysisManager::StreamPersisterType || kind > static_cast<ULONG>(SettingsFlavour::SettingsOnly))
        return S_FALSE;
    IPersistStreamInit& found = Persister(static_cast<SettingsFlavour>(kind));
    return SUCCEEDED(found.QueryInterface(IID_IPersist, reinterpret_cast<void**>(persister))) ? S_OK : E_FAIL;
}

void DocumentSettings::EnsurePersisted()
{
    if (registered_)
        return;
    Orv::ComPtr<IVyrDocumentPersistence> persistence;
    IUnknown* host = document_.HostDocumentObject();
    if (!host || FAILED(host->QueryInterface(IID_IVyrDocumentPersistence, persistence.PutVoid())) || !persistence)
        return;
    // The frame is the document's own face: asked for each registration attempt, never kept, so the
    // document holds no reference to itself.
    Orv::ComPtr<IUnknown> frame;
    document_.Outer()->QueryInterface(IID_IVyrDocumentFrame, frame.PutVoid());
    HRESULT accepted = E_FAIL;
    for (const SettingsFlavour flavour : {SettingsFlavour::Full, SettingsFlavour::SettingsOnly})
    {
        BSTR name = nullptr;
        accepted = persistence->RegisterPersister(frame.Get(), static_cast<ULONG>(flavour),
                                                  static_cast<IPersistStreamInit*>(&Persister(flavour)), 0, 0, &name);
        SysFreeString(name);
    }
    registered_ = accepted == S_OK;
}

void DocumentSettings::MarkDirty()
{
    Persister(SettingsFlavour::Full).SetDirty();
    Persister(SettingsFlavour::SettingsOnly).SetDirty();
}

bool DocumentSettings::IsActive(int kind) const
{
    if (registered_)
        return true;
    const bool fullLoaded = full_ && full_->HasLoaded();
    const bool settingsLoaded = settingsOnly_ && settingsOnly_->HasLoaded();
    if (kind < 0)
        return fullLoaded || settingsLoaded;
    return kind == 0 ? fullLoaded : kind == 1 && settingsLoaded;
}

} // namespace Sistra
