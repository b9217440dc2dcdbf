// The document's settings as the host keeps them: the full and the settings-only persister, made on
// first use and registered with the host document once, and the document as their records see it.
#pragma once

#include "document/persistence/SettingsPersister.h"
#include "foundation/com/ComPtr.h"

namespace Sistra
{

class SistraDocument;

class DocumentSettings final : public SettingsPersisterOwner
{
public:
    explicit DocumentSettings(SistraDocument& document) : document_(document) {}
    // A persister the host still holds outlives the document: it is cut off from it here.
    ~DocumentSettings();
    DocumentSettings(const DocumentSettings&) = delete;
    DocumentSettings& operator=(const DocumentSettings&) = delete;

    // SettingsRecordSubject
    ModelOwner& RecordOwner() override;
    std::vector<int> ModelKinds() const override;
    ModelPtr FindModel(int kind) const override;
    ModelPtr ObtainModel(int kind) override;
    CalibratorBase& Calibrator(CalibratorRole role) override;
    std::unique_ptr<CalibratorBase> NewCalibrator(CalibratorRole role) override;
    int32_t LastAnalysedPressureChannel() const override;
    void SetLastAnalysedPressureChannel(int32_t channel) override;
    double RemoveChannelScaling(int32_t channel, double value) override;
    void FindAnalysisCalculations() override;
    bool PutCalibrationsOnChannels(std::wstring& refusal) override;

    // SettingsPersisterOwner
    bool ArePersistersRegistered() const override { return registered_; }
    void SetLoadingSettings(bool loading) override;

    // The persister of a kind (0 full, 1 settings only) and type 2 as its IPersist; S_FALSE and null
    // for any other combination.
    HRESULT GetPersister(ULONG kind, ULONG type, void** reserved, IUnknown** persister);
    // Registers both persisters with the host document until it accepted them.
    void EnsurePersisted();
    void MarkDirty();
    // Registered, or the persister of the kind (either, for a kind of -1) has loaded.
    bool IsActive(int kind = -1) const;

private:
    SettingsPersister& Persister(SettingsFlavour flavour);

    SistraDocument& document_;
    Orv::ComPtr<SettingsPersister> full_;
    Orv::ComPtr<SettingsPersister> settingsOnly_;
    bool registered_ = false;
};

} // namespace Sistra
