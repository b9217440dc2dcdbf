#include "calc/channel/SistraChannelCalculation.h"

#include "calc/engine/ExpressionText.h"
#include "foundation/com/ComBoundary.h"
#include "hostframework/messaging/SistraIds.h"

#include "SistraDocInterface.h"

#include <new>

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
