// Runs one host calculation, named by its type and given its expression and argument texts, over the
// channels of a host document, and hands out its enumerator for reading. While the host samples, the
// getter follows the document as an online data sink and stops the calculation at each record's end.
#pragma once

#include "calc/sources/ChannelReferences.h"

#include "foundation/com/ComPtr.h"
#include "foundation/containers/Containers.h"
#include "hostapi/CalcInterfaces.h"
#include "hostapi/HostDocument.h"

#include <boost/function.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace ExtLib
{

using EndOfRecordCallback = boost::function<void()>;

// A sample enumerator over the channel of the request in the record, at tick 0: through the channel's data
// object, or else straight from the document. Null when neither gives one that can tell its position.
Orv::ComPtr<IUnknown> OpenHostChannel(IHostDocument& document, uint32_t request, int32_t record,
                                      const TickPosition& start, int32_t channel);

// Offline values of the getter: registered as sink unless Offline; an Offline getter starts its
// calculation with the end tick 0, the others with the open end.
inline constexpr int32_t GetterOnline = 0;
inline constexpr int32_t GetterOffline = 1;
inline constexpr int32_t GetterOfflineOpenEnd = 2;

// Not deleted by its reference count: its owner holds it in a scope or by value.
class EnumGetterBase : public IOnlineDataSink
{
public:
    EnumGetterBase(IUnknown* source, int32_t offline);
    EnumGetterBase(IUnknown* source, const EndOfRecordCallback& endOfRecord, int32_t offline);
    virtual ~EnumGetterBase();
    EnumGetterBase(const EnumGetterBase&) = delete;
    EnumGetterBase& operator=(const EnumGetterBase&) = delete;

    // Registers with the source's online data registry, unless offline. False when it has none.
    bool Advise();
    // Creates the calculation of the type for the source's record data (none with noDocument) and gives
    // it the argument text; the channels it reads are those the expression text names.
    bool SetSources(bool noDocument, const wchar_t* expression, const wchar_t* arguments, uint32_t calcType);
    // Has the host create, from the calculation text, the calculation of the type and its enumerator for
    // the source's record data. Such a calculation reads the channels its text names itself: the getter
    // opens none for it.
    bool CreateEnum(uint32_t calcType, const std::wstring& text);
    // Opens the calculation at the position, as SetPositionAtTime does for its record.
    bool SetSources(TickPosition position, double time = -1.0);
    // Opens a sample enumerator per channel at the start position and starts the calculation on the
    // record; time is the record's tick interval in seconds. True when the calculation runs.
    bool Open(int32_t record, TickPosition start, double time);
    // Open, with a time of exactly -1.0 asked from the source for the record first.
    bool SetPositionAtTime(int32_t record, TickPosition start, double time);
    Orv::ComPtr<IEnumEventEx> GetEnumEventEx() const;
    // Stops a running calculation and lets its channel enumerators go.
    void Stop();

    bool IsRunning() const { return running; }
    bool IsAdvised() const { return advised != 0; }
    const std::vector<ChannelRef>& ChannelReferences() const { return channelRefs; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOnlineDataSink
    HRESULT STDMETHODCALLTYPE GetSinkInfo(uint32_t* info, int16_t* wants) override;
    HRESULT STDMETHODCALLTYPE OnSamplingStopped(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnNewData(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRecordEnd(int32_t record, int32_t ticks) override;
    HRESULT STDMETHODCALLTYPE OnSamplingModeChanged(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSamplingPaused(uint32_t) override { return S_OK; }

protected:
    // Runs the callback, then stops; what the callback throws is the answer, after the stop.
    HRESULT OnEndOfRecord();

private:
    bool OpenSources(IHostDocument& document, int32_t record, const TickPosition& start);
    void AdjustStart(IHostDocument& document, int32_t record, TickPosition& start) const;

    LONG references = 1;
    Orv::ComPtr<ICalcEnum> enumerator;
    Orv::ComPtr<IUnknown> source;
    std::vector<ChannelRef> channelRefs;
    int32_t advised = 0;
    int32_t offline;
    bool running = false;
    InterfaceArray<IUnknown> sources{8};
    bool hasCallback = false;
    EndOfRecordCallback endOfRecord;
};

// The getter of event-yielding calculations.
class EventEnumDataGetter : public EnumGetterBase
{
public:
    EventEnumDataGetter(IUnknown* source, int32_t offline) : EnumGetterBase(source, offline) {}
    EventEnumDataGetter(IUnknown* source, const EndOfRecordCallback& endOfRecord, int32_t offline)
        : EnumGetterBase(source, endOfRecord, offline)
    {
    }

    HRESULT STDMETHODCALLTYPE OnSamplingStarted(int32_t, int32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                                uint32_t, uint32_t, uint32_t, uint32_t, int16_t) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRecordValuesChanged(int32_t, uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtension() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtensionEx() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSinkPriority(int32_t* priority) override;
    HRESULT STDMETHODCALLTYPE GetSinkPosition(int32_t, uint32_t, uint32_t, int32_t* position) override;
};

} // namespace ExtLib
