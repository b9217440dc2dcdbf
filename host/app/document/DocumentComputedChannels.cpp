// The document's computed channels: calculations of a module's channel class that the document keeps as
// channels after its recorded ones, shown and read like them.
#include "host/app/document/HostDocument.h"

#include "host/app/files/TextConversion.h"
#include "hostapi/CalcInterfaces.h"
#include "hostapi/ChannelCalcHost.h"

#include "foundation/text/String.h"

#include <stdexcept>

namespace Host
{

namespace
{

void CheckComputedChannel(IUnknown* calculation)
{
    Orv::ComPtr<IComputedChannelStandIn> channel;
    if (!calculation || FAILED(calculation->QueryInterface(IID_IComputedChannelStandIn, channel.PutVoid())))
        throw std::invalid_argument("the object is no computed channel of the host");
}

} // namespace

int32_t HostDocument::AddComputedChannel(IUnknown* calculation)
{
    CheckComputedChannel(calculation);
    computedChannels_.emplace_back(calculation);
    // A view that draws again only when something changed is told of the new channel's lane.
    ++calculationRevision_;
    return static_cast<int32_t>(computedChannels_.size() - 1);
}

Orv::ComPtr<IChannelCalc> HostDocument::ComputedChannelCalculation(size_t index) const
{
    Orv::ComPtr<IChannelCalc> calculation;
    if (index < computedChannels_.size())
        computedChannels_[index]->QueryInterface(IID_IChannelCalc, calculation.PutVoid());
    return calculation;
}

void HostDocument::ReplaceComputedChannel(size_t index, IUnknown* calculation)
{
    CheckComputedChannel(calculation);
    computedChannels_.at(index) = Orv::ComPtr<IUnknown>(calculation);
    ++calculationRevision_;
    // A document that analyses the channel works its results out again from the new data.
    int32_t channel = static_cast<int32_t>(Data().Channels().size() + index);
    Tell(HostDocEventGUID, HostDocEventNumber::ChannelRecalculated, &channel);
}

void HostDocument::RemoveComputedChannel(size_t index)
{
    if (index >= computedChannels_.size())
        throw std::out_of_range("there is no computed channel " + std::to_string(index + 1));
    computedChannels_.erase(computedChannels_.begin() + static_cast<ptrdiff_t>(index));
    ++calculationRevision_;
}

std::wstring HostDocument::ComputedChannelName(size_t index) const
{
    if (index >= computedChannels_.size())
        return {};
    std::wstring title = L"Computed " + std::to_wstring(index + 1);
    Orv::ComPtr<IChannelCalc> calculation;
    IOrvString* name = nullptr;
    if (SUCCEEDED(computedChannels_[index]->QueryInterface(IID_IChannelCalc, calculation.PutVoid())) &&
        SUCCEEDED(calculation->GetClassName(&name)) && name)
    {
        Orv::String text;
        text.AssignAndRelease(name);
        if (!text.IsEmpty())
            title = text.c_str();
    }
    return title;
}

std::wstring HostDocument::ComputedChannelUnit(size_t index) const
{
    Orv::ComPtr<IComputedChannelStandIn> shown;
    BSTR unit = nullptr;
    std::wstring text;
    if (index < computedChannels_.size() &&
        SUCCEEDED(computedChannels_[index]->QueryInterface(IID_IComputedChannelStandIn, shown.PutVoid())) &&
        shown->GetUnitText(&unit) == S_OK && unit)
        text = unit;
    SysFreeString(unit);
    return text;
}

std::wstring HostDocument::ComputedChannelTitle(size_t index) const
{
    if (index >= computedChannels_.size())
        return {};
    const std::wstring unit = ComputedChannelUnit(index);
    return ComputedChannelName(index) + (unit.empty() ? L"" : L" (" + unit + L")");
}

std::string HostDocument::ComputedChannelText(size_t index) const
{
    Orv::ComPtr<IComputedChannelStandIn> shown;
    Orv::ComPtr<IUnknown> held;
    Orv::ComPtr<ICalcEnum> calculation;
    IOrvString* text = nullptr;
    if (index >= computedChannels_.size() ||
        FAILED(computedChannels_[index]->QueryInterface(IID_IComputedChannelStandIn, shown.PutVoid())) ||
        shown->GetCalculation(held.Put()) != S_OK ||
        FAILED(held->QueryInterface(IID_ICalcEnum, calculation.PutVoid())) ||
        FAILED(calculation->GetArgumentText(&text)) || !text)
        return {};
    Orv::String read;
    read.AssignAndRelease(text);
    return ToUtf8(read.c_str());
}

std::optional<size_t> HostDocument::ComputedChannelOf(int32_t channel) const
{
    const auto recorded = static_cast<int32_t>(Data().Channels().size());
    if (channel < recorded || static_cast<size_t>(channel - recorded) >= computedChannels_.size())
        return std::nullopt;
    return static_cast<size_t>(channel - recorded);
}

size_t HostDocument::FirstCalculatedChannel() const
{
    return Data().Channels().size() + computedChannels_.size();
}

HRESULT HostDocument::ReadComputedChannel(size_t index, int32_t record, int32_t startTick, int32_t endTick,
                                          float* values)
{
    if (index >= computedChannels_.size())
        return E_INVALIDARG;
    Orv::ComPtr<IComputedChannelStandIn> shown;
    if (FAILED(computedChannels_[index]->QueryInterface(IID_IComputedChannelStandIn, shown.PutVoid())))
        return E_FAIL;
    return shown->ReadValues(Unknown(), record, startTick, endTick, values);
}


} // namespace Host
