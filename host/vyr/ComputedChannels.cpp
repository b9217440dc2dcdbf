#include "ComputedChannels.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"

#include "foundation/numbers/Units.h"
#include "hostapi/CalcInterfaces.h"
#include "hostapi/VyrServices.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <vector>

namespace Vyr
{
namespace
{

constexpr float NoValue = std::numeric_limits<float>::quiet_NaN();
// Events read from the calculation at a time.
constexpr int32_t EventBatch = 64;

// Fills values (ticks [startTick, endTick) of the record) with the value of the last event at or before
// each tick. The calculation runs from the record's start, since an event before the range still
// holds at its first ticks.
HRESULT ReadHeldValues(ICalcEnum& calculation, IHostDocument& document, int32_t record, int32_t startTick,
                       int32_t endTick, float* values)
{
    double interval = 0.0;
    HRESULT hr = document.GetTickInterval(0, record, &interval);
    if (SUCCEEDED(hr))
        hr = calculation.Start(record, 0, nullptr, nullptr, interval, 0, endTick);
    Orv::ComPtr<IEnumEventEx> events;
    int32_t recordSize = 0;
    if (SUCCEEDED(hr))
        hr = calculation.QueryInterface(IID_IEnumEventEx, events.PutVoid());
    if (SUCCEEDED(hr))
        hr = events->GetRecordSize(&recordSize);
    if (FAILED(hr))
        return hr;
    if (recordSize < 16)
        return E_UNEXPECTED;
    std::vector<std::byte> buffer(static_cast<size_t>(recordSize) * EventBatch);
    float held = NoValue;
    int32_t filled = startTick;
    const auto fillTo = [&](int32_t tick) {
        for (; filled < std::min(tick, endTick); ++filled)
            values[filled - startTick] = held;
    };
    for (;;)
    {
        int32_t count = 0, next = 0;
        hr = events->Next(static_cast<int32_t>(buffer.size()), endTick, buffer.data(), &count, &next);
        if (FAILED(hr))
            break;
        for (int32_t i = 0; i < count; ++i)
        {
            int32_t tick = 0;
            double value = 0.0;
            std::memcpy(&tick, buffer.data() + static_cast<size_t>(i) * recordSize, sizeof tick);
            std::memcpy(&value, buffer.data() + static_cast<size_t>(i) * recordSize + 8, sizeof value);
            fillTo(tick);
            held = static_cast<float>(value);
        }
        // S_FALSE: no further event; no event read: the rest has not arrived, and what has holds.
        if (hr == S_FALSE || count == 0)
            break;
    }
    calculation.Stop();
    if (FAILED(hr))
        return hr;
    fillTo(endTick);
    return S_OK;
}

// What a value becomes on its way through the host's raw samples: raw = gain * (value + shift), rounded,
// shown again as raw / gain - shift. The samples keep the 16-bit step of the range taken when the channel
// was made but not its bounds: a value past that range (a later settings change) is held, not clipped.
void CarryThroughRawSamples(double gain, double shift, float* values, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (std::isfinite(values[i]))
            values[i] = static_cast<float>(std::nearbyint(gain * (values[i] + shift)) / gain - shift);
}

// Hands out what is held with a reference of its own; S_FALSE and null while nothing is.
HRESULT HandHeld(IUnknown* held, IUnknown** out)
{
    return Orv::AnswerReference(out, held, S_FALSE);
}

class ComputedChannel final : public HeapComObject<IUnknown, &IID_IUnknown>
{
public:
    // Without an outer object the channel stands alone and is its own.
    explicit ComputedChannel(IUnknown* outer)
        : outer_(outer ? outer : static_cast<IUnknown*>(this)), channel_(*this, outer_), standIn_(*this, outer_)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        IUnknown* face = nullptr;
        if (IsEqualIID(iid, IID_IComputedChannel))
            face = static_cast<IComputedChannel*>(&channel_);
        else if (IsEqualIID(iid, IID_IComputedChannelStandIn))
            face = static_cast<IComputedChannelStandIn*>(&standIn_);
        else
            return HeapComObject::QueryInterface(iid, object);
        *object = face;
        face->AddRef();
        return S_OK;
    }

private:
    HRESULT ReadValues(IUnknown* document, int32_t record, int32_t startTick, int32_t endTick, float* values)
    {
        if (!values)
            return E_POINTER;
        Orv::ComPtr<IHostDocument> host;
        if (!document || FAILED(document->QueryInterface(IID_IHostDocument, host.PutVoid())) || startTick < 0 ||
            endTick < startTick)
            return E_INVALIDARG;
        if (!calculation_)
            return E_FAIL;
        const HRESULT hr = ReadHeldValues(*calculation_.Get(), *host.Get(), record, startTick, endTick, values);
        // The range is the calculation's (the outer object); a channel alone shows the values as they are.
        Orv::ComPtr<IChannelCalc> owner;
        double gain = 0.0, shift = 0.0;
        if (SUCCEEDED(hr) && outer_ != this &&
            SUCCEEDED(outer_->QueryInterface(IID_IChannelCalc, owner.PutVoid())) &&
            SUCCEEDED(owner->GetOutputRange(&gain, &shift)) && gain != 0.0)
            CarryThroughRawSamples(gain, shift, values, static_cast<size_t>(endTick - startTick));
        return hr;
    }

    // Every record the range touches, each from its first tick in the range to its last, kept with what
    // the run's earlier calls kept.
    HRESULT Run(IUnknown* document, TickPosition start, TickPosition end)
    {
        Orv::ComPtr<IHostDocument> host;
        int32_t records = 0, current = 0;
        if (!document || FAILED(document->QueryInterface(IID_IHostDocument, host.PutVoid())) ||
            FAILED(host->GetRecordCount(&records, &current)))
            return E_INVALIDARG;
        for (int32_t record = std::max(start.record, 0); record < records && record <= end.record; ++record)
        {
            int32_t length = 0;
            if (FAILED(host->GetRecordLength(0, record, &length)))
                return E_INVALIDARG;
            const int32_t first = record == start.record ? std::clamp(start.tick, 0, length) : 0;
            const int32_t last = record == end.record ? std::clamp(end.tick, first, length) : length;
            std::vector<float>& values = runValues_[record];
            values.resize(static_cast<size_t>(last - first));
            const HRESULT hr = ReadValues(document, record, first, last, values.data());
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    }

    class Channel final : public DelegatingFace<IComputedChannel>
    {
    public:
        Channel(ComputedChannel& owner, IUnknown* outer) : DelegatingFace(outer), owner_(owner) {}
        // A new run forgets what the last one kept.
        HRESULT STDMETHODCALLTYPE BeginRun(uint32_t, uint32_t, uint32_t) override
        {
            owner_.runValues_.clear();
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE SetUnit(IUnknown* unit) override
        {
            Orv::ComPtr<IHostUnit> given;
            if (unit && FAILED(unit->QueryInterface(IID_IHostUnit, given.PutVoid())))
                return E_INVALIDARG;
            owner_.unit_ = given;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE SetCalculationText(const WCHAR* text) override
        {
            if (!text)
                return E_POINTER;
            if (!owner_.calculation_)
                return E_FAIL;
            return Guarded([&] {
                const Orv::String argument(text);
                uint32_t flags = 0;
                return owner_.calculation_->ReadArguments(argument.Interface(), &flags);
            });
        }
        HRESULT STDMETHODCALLTYPE AttachCalculation(uint32_t, uint32_t, uint32_t, IUnknown*,
                                                    IUnknown* calculation) override
        {
            Orv::ComPtr<ICalcEnum> enumerator;
            if (!calculation || FAILED(calculation->QueryInterface(IID_ICalcEnum, enumerator.PutVoid())))
                return E_INVALIDARG;
            owner_.calculation_ = enumerator;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Run(IUnknown* document, TickPosition start, TickPosition end, uint32_t, uint32_t,
                                      uint32_t) override
        {
            return Guarded([&] { return owner_.Run(document, start, end); });
        }
        // The run's values stay; the calculation (and the document it reads) goes.
        HRESULT STDMETHODCALLTYPE EndRun() override
        {
            if (owner_.calculation_)
                owner_.calculation_->Stop();
            owner_.calculation_.Reset();
            return S_OK;
        }

    private:
        ComputedChannel& owner_;
    };

    class StandIn final : public DelegatingFace<IComputedChannelStandIn>
    {
    public:
        StandIn(ComputedChannel& owner, IUnknown* outer) : DelegatingFace(outer), owner_(owner) {}
        HRESULT STDMETHODCALLTYPE GetCalculation(IUnknown** calculation) override
        {
            return HandHeld(owner_.calculation_.Get(), calculation);
        }
        HRESULT STDMETHODCALLTYPE ReadValues(IUnknown* document, int32_t record, int32_t startTick, int32_t endTick,
                                             float* values) override
        {
            return Guarded([&] { return owner_.ReadValues(document, record, startTick, endTick, values); });
        }
        HRESULT STDMETHODCALLTYPE GetRunValues(int32_t record, int32_t capacity, float* values, int32_t* count) override
        {
            if (!count || (capacity > 0 && !values))
                return E_POINTER;
            const auto found = owner_.runValues_.find(record);
            if (found == owner_.runValues_.end())
                return E_INVALIDARG;
            *count = static_cast<int32_t>(found->second.size());
            std::copy_n(found->second.begin(), std::clamp(*count, 0, capacity), values);
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetUnitText(BSTR* text) override
        {
            if (!text)
                return E_POINTER;
            *text = nullptr;
            BSTR name = nullptr;
            LONG code = Orv::PrefixedUnit::NoPrefixCode;
            std::wstring shown;
            if (owner_.unit_ && SUCCEEDED(owner_.unit_->GetUnitText(&name)) && name &&
                SUCCEEDED(owner_.unit_->GetPrefixCode(&code)))
                shown = Orv::PrefixedUnit(name, code).GetText();
            SysFreeString(name);
            *text = SysAllocString(shown.c_str());
            if (!*text)
                return E_OUTOFMEMORY;
            return shown.empty() ? S_FALSE : S_OK;
        }

    private:
        ComputedChannel& owner_;
    };

    IUnknown* outer_;
    Channel channel_;
    StandIn standIn_;
    Orv::ComPtr<ICalcEnum> calculation_;
    Orv::ComPtr<IHostUnit> unit_;
    std::map<int32_t, std::vector<float>> runValues_; // by record
};

} // namespace

HRESULT CreateComputedChannel(IUnknown* outer, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    // Only whole objects are made: the channel's faces count on their outer object.
    if (!outer || !IsEqualIID(iid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    return Guarded([&]() -> HRESULT {
        *object = static_cast<IUnknown*>(new ComputedChannel(outer));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ComputedChannelFactory::CreateChannel(uint32_t, uint32_t, IUnknown* document,
                                                                IUnknown** channel)
{
    if (!channel)
        return E_POINTER;
    *channel = nullptr;
    Orv::ComPtr<IHostDocument> host;
    if (!document || FAILED(document->QueryInterface(IID_IHostDocument, host.PutVoid())))
        return E_INVALIDARG;
    return Guarded([&]() -> HRESULT {
        last_ = Orv::ComPtr<IUnknown>::Adopt(static_cast<IUnknown*>(new ComputedChannel(nullptr)));
        *channel = last_.Get();
        (*channel)->AddRef();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ComputedChannelFactory::GetLastChannel(IUnknown** channel)
{
    return HandHeld(last_.Get(), channel);
}

} // namespace Vyr
