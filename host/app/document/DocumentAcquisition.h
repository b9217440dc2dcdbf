// The sampling sink of a host document that a data source fills in place of sampling hardware: the
// source declares the channels, starts a record and pushes ticks; the document reads each channel's
// samples from the enumerator the source gave for it and tells its sinks as it would while sampling.
#pragma once

#include "host/app/recording/Recording.h"
#include "hostapi/CalcInterfaces.h"
#include "hostapi/HostAcquisition.h"

#include "foundation/com/ComPtr.h"

#include <optional>
#include <string>
#include <vector>

namespace Host
{

class HostDocument;

// Lives inside its document and counts with it.
class DocumentAcquisition final : public IHostSamplingSink
{
public:
    DocumentAcquisition(HostDocument& document, Recording& recording) : document_(document), recording_(recording) {}
    DocumentAcquisition(const DocumentAcquisition&) = delete;
    DocumentAcquisition& operator=(const DocumentAcquisition&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE CanSample(BSTR* reason, VARIANT_BOOL* can) override;
    HRESULT STDMETHODCALLTYPE PrepareSampling(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE StartRecord(uint32_t, IStrixDataSource* source, double tickPeriod, double startTime, double,
                                          int32_t, int32_t, int32_t startOption, VARIANT_BOOL) override;
    HRESULT STDMETHODCALLTYPE AddTicks(int32_t count) override;
    HRESULT STDMETHODCALLTYPE QueryStop(uint32_t, int32_t* value) override;
    HRESULT STDMETHODCALLTYPE StopSampling(VARIANT_BOOL) override;
    HRESULT STDMETHODCALLTYPE DeclareChannel(int32_t channel, int32_t sampling, VARIANT_BOOL, IUnknown* units,
                                             HostRational channelPeriod, const HostRational* tickPeriod, uint32_t kind,
                                             IStrixDataSource* source) override;

    // The units object channel was last declared with; null for a channel not declared.
    IUnknown* DeclaredUnits(int32_t channel) const;
    // The start time (seconds since 1970) and start option of the last record started.
    double StartTime() const { return startTime_; }
    int32_t StartOption() const { return startOption_; }

private:
    struct DeclaredChannel
    {
        bool sampling = false;
        HostRational period;
        Orv::ComPtr<IStrixDataSource> source;
        Orv::ComPtr<IUnknown> units;
    };

    // Empty when the declared channels can be sampled, else why not.
    std::wstring WhyNotSampling() const;
    // The sample stream of each channel of the record; null for a channel that does not sample.
    std::vector<Orv::ComPtr<IEnumFloatEx>> OpenChannels(IStrixDataSource* recordSource) const;

    HostDocument& document_;
    Recording& recording_;
    std::vector<std::optional<DeclaredChannel>> declared_;
    HostRational tickPeriod_;
    std::vector<Orv::ComPtr<IEnumFloatEx>> channels_;
    bool recordOpen_ = false;
    double startTime_ = 0.0;
    int32_t startOption_ = 0;
};

} // namespace Host
