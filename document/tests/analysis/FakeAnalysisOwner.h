// A document as the analysis data sees it: settings set by the test, display units as plain scales,
// and a record of the loop-state changes it was told about.
#pragma once

#include "document/analysis/AnalysisDataOwner.h"
#include "document/tests/analysis/FakeCalcItems.h"

namespace DocumentTesting
{

class FakeOwner final : public Sistra::AnalysisDataOwner, public Sistra::ModelPropertyReader
{
public:
    IUnknown* HostDocument() override { return hostDocument ? hostDocument : &host; }
    Sistra::AnalysisSettings Settings() override { return settings; }
    const Sistra::ModelPropertyReader& SetupReader() override { return *this; }
    double ToDisplayUnits(int32_t channel, double value) override
    {
        return value * (channel == settings.pressureChannel ? pressureScale : volumeScale);
    }
    bool IsSampling() override { return sampling; }
    void LoopStatesChanged() override { ++stateChanges; }
    std::wstring ParameterUnit(int32_t parameter) override { return parameter == 12 ? pressureUnit : L""; }

    const int32_t* GetInt(int32_t) const override { return nullptr; }
    const double* GetDouble(int32_t) const override { return nullptr; }
    const bool* GetBool(int32_t) const override { return nullptr; }
    const int32_t* GetChannel(int32_t id) const override
    {
        return id == Sistra::AnalysisProperty::PressureChannel ? &settings.pressureChannel
               : id == Sistra::AnalysisProperty::VolumeChannel ? &settings.volumeChannel
                                                    : nullptr;
    }
    const Orv::String* GetText(int32_t) const override { return nullptr; }
    std::optional<uint64_t> GetPosition(int32_t) const override { return std::nullopt; }

    FakeCalcItems host;
    IUnknown* hostDocument = nullptr; // a real host document in place of the fake items
    Sistra::AnalysisSettings settings;
    double pressureScale = 1.0;
    double volumeScale = 1.0;
    bool sampling = false;
    std::wstring pressureUnit; // the unit of Pes; every other parameter has none
    int stateChanges = 0;
};

} // namespace DocumentTesting
