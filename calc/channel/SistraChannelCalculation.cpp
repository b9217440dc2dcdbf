#include "calc/channel/SistraChannelCalculation.h"

#include "calc/engine/ExpressionText.h"
#include "calc/sources/DataGetters.h"
#include "host/include/CalcEventRecords.h"
#include "foundation/com/ComBoundary.h"
#include "hostframework/messaging/SistraIds.h"

#include "SistraDocInterface.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace Sistra
{
namespace
{

ChannelCalculationSettings* AsSettings(IPersistObject* settings)
{
    return dynamic_cast<ChannelCalculationSettings*>(settings);
}

} // namespace

ChannelUnitFactors ReadChannelUnitFactors(IUnknown* documentData)
{
    ChannelUnitFactors factors;
    Orv::ComPtr<ISistraDocInterface> document;
    if (!documentData || FAILED(documentData->QueryInterface(IID_ISistraDocInterface, document.PutVoid())) || !document)
        return factors;
    if (FAILED(document->GetPressureScale(0, &factors.pressure)))
        factors.pressure = 1.0;
    if (FAILED(document->GetVolumeScale(0, &factors.volume)))
        factors.volume = 1.0;
    return factors;
}

Orv::String PrepareSelectorText(ChannelCalculationSettings& settings, IUnknown* documentData)
{
    const ChannelUnitFactors factors = ReadChannelUnitFactors(documentData);
    settings.loopSourceText = LoopEventStreamName;
    settings.pvaSourceText = PvaEventStreamName;
    settings.loopSource = SourceReference{};
    settings.pvaSource = SourceReference{};
    return BuildChannelSelectorExpression(settings, factors.pressure, factors.volume);
}

namespace
{

// Widens range by the finite values of the events of one record of the getter's calculation.
void WidenByRecord(ExtLib::EnumGetterBase& getter, int32_t record, std::optional<std::pair<float, float>>& range)
{
    if (!getter.SetSources(TickPosition{record, 0}))
        return;
    const Orv::ComPtr<IEnumEventEx> events = getter.GetEnumEventEx();
    constexpr int32_t BufferEvents = 256;
    std::vector<OrvEventBase> buffer(BufferEvents);
    for (HRESULT hr = S_OK; events && hr == S_OK;)
    {
        int32_t count = 0, next = 0;
        hr = events->Next(static_cast<int32_t>(sizeof(OrvEventBase)) * BufferEvents, CalcNoMoreEventsTick,
                          buffer.data(), &count, &next);
        if (FAILED(hr) || count <= 0)
            break;
        for (int32_t i = 0; i < std::min(count, BufferEvents); ++i)
        {
            const auto value = static_cast<float>(buffer[static_cast<size_t>(i)].value);
            if (!std::isfinite(value))
                continue;
            range = range ? std::pair{std::min(range->first, value), std::max(range->second, value)}
                          : std::pair{value, value};
        }
    }
    getter.Stop();
}

} // namespace

std::optional<std::pair<float, float>> ExpressionDataRange(IUnknown* document, uint32_t calculationType,
                                                           const std::wstring& text)
{
    Orv::ComPtr<IHostDocument> host;
    int32_t records = 0, current = 0;
    if (!document || FAILED(document->QueryInterface(IID_IHostDocument, host.PutVoid())) || !host ||
        FAILED(host->GetRecordCount(&records, &current)))
        return std::nullopt;
    std::optional<std::pair<float, float>> range;
    for (int32_t record = 0; record < records; ++record)
    {
        // A getter per record: one whose calculation ran is not opened again.
        ExtLib::EventEnumDataGetter getter(document, ExtLib::GetterOfflineOpenEnd);
        if (getter.CreateEnum(calculationType, text))
            WidenByRecord(getter, record, range);
    }
    return range;
}

void ScaleSettingsToData(ChannelCalculationSettings& settings, IUnknown* document)
{
    if (!settings.autoScale)
        return;
    const Orv::String text = PrepareSelectorText(settings, document);
    if (const auto range = ExpressionDataRange(document, HostCommonType::Id(), text.c_str()))
    {
        settings.low = range->first;
        settings.high = range->second;
    }
}

SistraChannelCalculation::SistraChannelCalculation(uint32_t value, IUnknown* host, uint32_t first, uint32_t second)
    : ChannelCalcBase(value, host, first, second),
      settings_(Orv::ComPtr<ChannelCalculationSettings>::Adopt(new ChannelCalculationSettings()))
{
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::SetUp(uint32_t parameter, uint32_t, IUnknown** source,
                                                          TimeBase* scale, uint32_t flag, uint32_t* word)
{
    if (source)
    {
        *source = source_.Get();
        if (*source)
            (*source)->AddRef();
    }
    if (scale)
        *scale = TimeBase{};
    if (word)
        *word = 0;
    Orv::ComPtr<IChannelCalcHost> channelHost;
    if (!Host() || FAILED(Host()->QueryInterface(IID_IChannelCalcHost, channelHost.PutVoid())) || !channelHost)
        return E_FAIL;
    return channelHost->SetUpChannel(0, parameter, flag);
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::ApplySettings(IPersistObject* settings, int32_t force)
{
    ChannelCalculationSettings* incoming = AsSettings(settings);
    if (!incoming)
        return E_INVALIDARG;
    if (!force && settings_->SameChoice(*incoming))
        return S_FALSE;
    return Orv::CatchReturn([&] {
        float low = incoming->low;
        float high = incoming->high;
        WidenNarrowRange(low, high);
        SetOutputRange(static_cast<int32_t>(incoming->decimalPlaces), high, low);

        source_.Reset();
        Orv::ComPtr<IChannelCalcHost> channelHost;
        if (Host() && SUCCEEDED(Host()->QueryInterface(IID_IChannelCalcHost, channelHost.PutVoid())) && channelHost)
            channelHost->GetChannelSource(source_.Put());

        settings_->CopyFrom(*incoming);
        const Orv::String text = PrepareSelectorText(*settings_.Get(), DocumentData());
        return AttachExpression(text, HostCommonType::Id(), ComputedChannelEventResult);
    });
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::SetSettings(IPersistObject* settings)
{
    ChannelCalculationSettings* incoming = AsSettings(settings);
    if (!incoming)
        return E_INVALIDARG;
    return Orv::CatchReturn([&] { settings_->CopyFrom(*incoming); });
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::CloneSettings(IPersistObject** settings)
{
    if (!settings)
        return E_POINTER;
    *settings = new (std::nothrow) ChannelCalculationSettings(*settings_.Get());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::GetClassName(IOrvString** name)
{
    if (!name)
        return E_POINTER;
    *name = nullptr;
    return Orv::CatchReturn([&] {
        const Orv::String text(L"Sistra");
        *name = text.Interface();
        (*name)->AddRef();
    });
}

} // namespace Sistra
