// The base of a computed channel's calculation: it answers the host's IChannelCalc, aggregates the
// host's computed-channel object that does the host's part of the work, maps the channel's value range
// onto the host's 16-bit sample scale, and hands the producing calculation to the channel.
#pragma once

#include "calc/channel/ChannelOutputRange.h"
#include "calc/channel/RecordScanProgress.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "foundation/numbers/Units.h"
#include "foundation/text/String.h"

#include "hostapi/CalcInterfaces.h"
#include "hostapi/ChannelCalcHost.h"

#include <cstdint>

namespace Sistra
{

// What a settings preview runs: the text's calculation of a type, on a temporary channel of the
// factory, over the selection of the document (the whole recording without one), a record at a time.
struct SettingsRun
{
    uint32_t id = 0;
    IUnknown* channelFactory = nullptr; // answers IComputedChannelFactory
    uint32_t calculationType = 0;
    const wchar_t* text = L"";
    IUnknown* document = nullptr;  // answers IHostDocument
    IUnknown* selection = nullptr; // optional; answers IHostSelection
    uint32_t passedA = 0;          // passed through to the run
    uint32_t passedB = 0;
    uint32_t first = 0; // the temporary channel's construction values
    uint32_t second = 0;
    ScanProgress progress; // optional; hears before and after every record, and can stop the run
};

class ChannelCalcBase : public IChannelCalc, private Orv::CComObjectRoot
{
public:
    // value, first and second: the host's construction values, passed on to the channel. host: the
    // channel's IChannelCalcHost (may be null), through which the document's data is found.
    ChannelCalcBase(uint32_t value, IUnknown* host, uint32_t first, uint32_t second);
    ChannelCalcBase(const ChannelCalcBase&) = delete;
    ChannelCalcBase& operator=(const ChannelCalcBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    // The companion's release during the destruction may count on this object once more: the count
    // is parked where it cannot reach zero again.
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { DeleteThis(); }); }
    // The gain and shift of the last range set: raw = gain * (value + shift).
    HRESULT STDMETHODCALLTYPE GetOutputRange(double* gain, double* shift) override;
    HRESULT STDMETHODCALLTYPE GetClassName(IOrvString** name) override;
    HRESULT STDMETHODCALLTYPE Detach() override { return S_OK; }
    void STDMETHODCALLTYPE DeleteThis() override { delete this; }

    // Maps [low, high] onto the raw samples and keeps the mapping; a range of zero width is widened.
    ChannelOutputRange SetOutputRange(int32_t kind, double high, double low);
    // Makes the calculation of the type for the document's data, and gives it the channel:
    // E_FAIL without a class object of the type or without the host's channel.
    HRESULT AttachCalculation(uint32_t calculationType);
    // The channel's calculation from expression text: the calculation of the type reads the text as
    // its argument (the host compiles it, its result read as kind) and is handed to the channel.
    HRESULT AttachExpression(const Orv::String& text, uint32_t calculationType, uint32_t kind);

    // Gives the host's channel the unit of its values; false when the host made no unit of it.
    bool TellChannelUnit(const Orv::PrefixedUnit& unit);

    // Runs a settings preview: what the settings would show, before they are the channel's. Touches no
    // channel calculation; the run's answer (E_FAIL without the factory's channel or the type's class).
    // A run its progress stops ends after the record it is at, the records before kept by the temporary
    // channel, and answers S_FALSE.
    static HRESULT RunSettingsCalculation(const SettingsRun& run);

    IUnknown* Host() const { return host_; }
    IUnknown* DocumentData() const { return documentData_.Get(); }
    const ChannelOutputRange& OutputRange() const { return range_; }
    int32_t RangeKind() const { return kind_; }
    uint32_t CalculationType() const { return calculationType_; }

protected:
    virtual ~ChannelCalcBase();

private:
    HRESULT MakeCalculation(uint32_t calculationType, uint32_t kind, Orv::ComPtr<ICalcEnum>& calculation);
    static HRESULT MakeCalculationOn(IUnknown* context, uint32_t calculationType, uint32_t kind,
                                     Orv::ComPtr<ICalcEnum>& calculation);
    HRESULT HandToChannel(ICalcEnum* calculation);
    // The selection's range, when the selection answers one that is not the whole recording.
    static void SelectedRange(IUnknown* selection, TickPosition& start, TickPosition& end);
    // The factory's temporary channel for the run; null when the factory makes none.
    static Orv::ComPtr<IComputedChannel> MakePreviewChannel(const SettingsRun& run, IHostDocument& document);
    // Runs the channel over [start, end) record by record, telling the run's progress before and after
    // each; S_FALSE when the progress stopped it.
    static HRESULT RunByRecord(IComputedChannel& channel, IHostDocument& document, const SettingsRun& run,
                               TickPosition start, TickPosition end);

    Orv::ComPtr<IUnknown> companion_;
    // The companion's face counts on this object: held without a reference, as aggregation asks.
    IComputedChannel* channel_ = nullptr;
    Orv::ComPtr<IUnknown> documentData_;
    IUnknown* host_;
    uint32_t value_;
    uint32_t first_;
    uint32_t second_;
    ChannelOutputRange range_;
    int32_t kind_ = 2;
    uint32_t calculationType_ = 0;
};

} // namespace Sistra
