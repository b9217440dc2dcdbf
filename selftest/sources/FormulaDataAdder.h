// Synthetic recordings for the self-tests: a data source that plays the sampling hardware for a fresh
// host document. It declares channels to the document's sampling sink, starts records and pushes ticks;
// the host reads each channel from a host calculation of the channel's formula at the channel's rate.
#pragma once

#include "hostapi/HostAcquisition.h"

#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "foundation/containers/Bitset.h"
#include "selftest/framework/UnitTestBase.h"

#include <optional>
#include <string>
#include <vector>

// A new, empty host document from the host's document-creation service (its recording-state face);
// null when the host gives none.
Orv::ComPtr<IUnknown> CreateTestDocument();

// Makes a calculated channel of the document for each text in order and installs a host calculation
// of the text on it. Fails the test when the document makes no channel.
void AddTestCalculationChannels(const std::vector<std::wstring>& texts, IUnknown* document);

// Installs the host's text calculation of the text (second text: its unit) at the channel reference;
// false when the host refuses any step.
bool SetUpTestCalcChannel(IUnknown* document, const std::wstring& text, const std::wstring& secondText,
                          const HostItemId& channel);

class DataAdderBase : public IStrixDataSource, private Orv::CComObjectRoot
{
public:
    // No document: the adder makes one of its own and keeps it.
    explicit DataAdderBase(IUnknown* document);
    DataAdderBase(const DataAdderBase&) = delete;
    DataAdderBase& operator=(const DataAdderBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE SourceOperation3(uint32_t, uint32_t, uint32_t) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t, int32_t, IUnknown** data) override;
    HRESULT STDMETHODCALLTYPE SourceOperation5(uint32_t, uint32_t, uint32_t, uint32_t) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordTicks(int64_t* ticks) override { return GetRecordLength(ticks); }
    HRESULT STDMETHODCALLTYPE GetRecordLength(int64_t* ticks) override;

    void SetChannelMask(const Orv::Bitset& mask) { mask_ = mask; }
    void EnableChannels(const Orv::Bitset& channels) { mask_ |= channels; }
    // Clears those bits: (mask OR channels) XOR channels.
    void DisableChannels(const Orv::Bitset& channels)
    {
        mask_ |= channels;
        mask_ ^= channels;
    }
    // Bit 31 of a channel's flag gives its units the display range 10 down to -10 instead of the open one.
    void SetChannelFlags(std::vector<uint32_t> flags) { channelFlags_ = std::move(flags); }
    void SetStartOption(int32_t option) { startOption_ = option; }

    const Orv::Bitset& ChannelMask() const { return mask_; }
    double TickRate() const { return mTickRate; }
    int32_t TicksAdded() const { return mTicksAdded; }
    IUnknown* Document() const { return document_; }

protected:
    virtual ~DataAdderBase() = default;
    // The units the channel is declared with, made by the host's units service from a units record.
    Orv::ComPtr<IUnknown> ChannelUnitsOf(size_t channel) const;

    IUnknown* document_;                 // kept alive by the test
    Orv::ComPtr<IUnknown> ownedDocument_; // the adder's own, when it was given none
    Orv::ComPtr<IHostSamplingSink> mSink;
    Orv::Bitset mask_;
    std::vector<double> mSampleRates;
    double mTickRate = 0.0;
    int32_t mTicks = -1;
    std::vector<uint32_t> channelFlags_;
    int32_t startOption_ = 0;
    int32_t mTicksAdded = 0;
};

class FormulaDataAdder final : public DataAdderBase
{
public:
    explicit FormulaDataAdder(IUnknown* document);

    // The host's calculation of the channel's formula ("0" for a channel without one) at its rate.
    HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t, int32_t channel, IUnknown** data) override;
    HRESULT STDMETHODCALLTYPE GetRecordLength(int64_t* ticks) override;

    // The channels of the next record: one formula and rate each, the record's length in ticks. No
    // formulas and no rates: one channel "1" at 1000 samples per second.
    void SetChannels(const std::vector<std::wstring>& expressions, int32_t ticks, const std::vector<double>& rates);
    // Starts a record; a start time of exactly 0.0 is the time now.
    void StartRecord(double startTime);
    // Adds up to count ticks, never past the record's length.
    void AddTicks(int32_t count);
    void StopSampling();

    void AddRecord(const std::vector<std::wstring>& expressions, int32_t ticks, const std::vector<double>& rates,
                   double startTime);
    void OpenRecord(const std::vector<std::wstring>& expressions, int32_t ticks, const std::vector<double>& rates,
                    double startTime);
    void AddRecordAtRate(const std::vector<std::wstring>& expressions, int32_t ticks, double rate, double startTime);
    void OpenRecordAtRate(const std::vector<std::wstring>& expressions, int32_t ticks, double rate, double startTime);

private:
    // The channel's calculation, built while the host starts a record; a failed check inside it is kept
    // here and raised on the test's side once the host returns.
    void MakeChannelData(int32_t channel, IUnknown** data);

    std::vector<std::wstring> mExpressions;
    std::optional<UnitTestException> channelFailure_;
};
