// A document as its settings record sees it: every model kind, both calibrators and the channel of the
// last analysis, over the calibrator tests' host document.
#pragma once

#include "../calibration/CalibratorTestSupport.h"
#include "document/calibration/PressureCalibrator.h"
#include "document/calibration/VolumeCalibrator.h"
#include "document/persistence/SettingsPersister.h"
#include "foundation/tests/streams/MemoryStreams.h"

namespace PersistenceTests
{
using namespace Sistra;
using TestStreams::Bytes;

class RecordDocument final : public SettingsPersisterOwner
{
public:
    RecordDocument()
    {
        for (int kind = ModelKind::First; kind <= ModelKind::Last; ++kind)
            document.GetModel(kind);
    }

    ModelOwner& RecordOwner() override { return document; }
    std::vector<int> ModelKinds() const override { return document.models.Kinds(); }
    ModelPtr FindModel(int kind) const override { return document.models.Find(kind); }
    ModelPtr ObtainModel(int kind) override { return document.GetModel(kind); }
    CalibratorBase& Calibrator(CalibratorRole role) override
    {
        return role == CalibratorRole::Volume ? static_cast<CalibratorBase&>(volume) : pressure;
    }
    std::unique_ptr<CalibratorBase> NewCalibrator(CalibratorRole role) override
    {
        if (role == CalibratorRole::Volume)
            return std::make_unique<VolumeCalibrator>(document);
        return std::make_unique<PressureCalibrator>(document);
    }
    int32_t LastAnalysedPressureChannel() const override { return lastChannel; }
    void SetLastAnalysedPressureChannel(int32_t channel) override { lastChannel = channel; }
    bool ArePersistersRegistered() const override { return registered; }
    void SetLoadingSettings(bool loading) override { loadingChanges.push_back(loading); }
    double RemoveChannelScaling(int32_t, double value) override { return value / displayScale - displayOffset; }
    void FindAnalysisCalculations() override { ++calculationLookups; }
    int calculationLookups = 0;
    bool PutCalibrationsOnChannels(std::wstring& refusal) override
    {
        refusal = channelRefusal;
        return refusal.empty();
    }

    double Setting(int id) { return document.GetModel(ModelKind::WorkflowSetup)->GetValue<PropertyType::Double>(id); }
    void SetSetting(int id, double value) { document.SetDouble(ModelKind::WorkflowSetup, id, value); }

    Bytes Saved(SettingsFlavour flavour)
    {
        TestStreams::CountingStream stream(STGM_READWRITE);
        EXPECT_EQ(S_OK, SaveSettingsRecord(&stream, flavour, *this));
        return TestStreams::ContentOf(stream.Inner());
    }

    CalibratorTests::TestDocument document;
    VolumeCalibrator volume{document};
    PressureCalibrator pressure{document};
    int32_t lastChannel = static_cast<int32_t>(0x80000000u);
    bool registered = false;
    std::vector<bool> loadingChanges;
    double displayScale = 1.0;
    double displayOffset = 0.0;
    // What the host says when the calibrations are put on the channels; empty: they are put there.
    std::wstring channelRefusal;
};

template <PropertyType T>
PropertyValueType<T> ValueOf(RecordDocument& document, int kind, int id)
{
    return document.document.GetModel(kind)->GetValue<T>(id);
}

} // namespace PersistenceTests
