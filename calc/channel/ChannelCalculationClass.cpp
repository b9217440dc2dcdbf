#include "calc/channel/ChannelCalculationClass.h"

#include "calc/channel/ChannelCalculationDialog.h"
#include "calc/channel/SistraChannelCalculation.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "hostframework/messaging/SistraIds.h"
#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

namespace Sistra
{
namespace
{

constexpr const wchar_t* SettingsRunTitle = L"Running the channel's settings";

// The text of the string table, or the fallback when the table lacks it.
HRESULT AnswerText(UINT id, const wchar_t* fallback, IOrvString** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Orv::CatchReturn([&] {
        Orv::String text(Orv::ThisModule(), id, true);
        if (text.IsEmpty())
            text = Orv::String(fallback);
        *out = text.Interface();
        (*out)->AddRef();
    });
}

} // namespace

HRESULT STDMETHODCALLTYPE ChannelSettingsClass::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IPersistClassObject*>(this), iid, object, IID_IVyrClassObject,
                             IID_IGenericClassObject, IID_IPersistClassObject);
}

HRESULT STDMETHODCALLTYPE ChannelSettingsClass::CreateObject(const IID* iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!iid)
        return E_INVALIDARG;
    return Orv::CatchReturn([&] {
        auto* settings = new ChannelCalculationSettings();
        const HRESULT hr = settings->QueryInterface(*iid, object);
        settings->Release(); // the query's reference is the caller's; a failed query leaves none
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE ChannelSettingsClass::LoadObject(IStream* stream, IPersistObject** object)
{
    return LoadChannelSettings(stream, object);
}

ChannelSettingsClass::ChannelSettingsClass()
    : DescribedClassObject(ChannelSettingsDescriptor(), CalcSettingsClassCategory), Orv::CComObjectRoot(1)
{
}

ChannelCalculationClass::ChannelCalculationClass()
    : DescribedClassObject(ChannelCalculationDescriptor(), CalculationClassCategory),
      settingsClass_(new ChannelSettingsClass())
{
}

ChannelCalculationClass::~ChannelCalculationClass()
{
    settingsClass_->Release();
}

HRESULT STDMETHODCALLTYPE ChannelCalculationClass::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<ICalculationClass*>(this), iid, object, IID_IVyrClassObject,
                             IID_ICalculationClass);
}

HRESULT STDMETHODCALLTYPE ChannelCalculationClass::GetName(IOrvString** name)
{
    return AnswerText(IDS_CHANNEL_CALC_NAME, Descriptor().name, name);
}

HRESULT STDMETHODCALLTYPE ChannelCalculationClass::GetDescription(IOrvString** description)
{
    return AnswerText(IDS_CHANNEL_CALC_DESCRIPTION, Descriptor().description, description);
}

HRESULT STDMETHODCALLTYPE ChannelCalculationClass::GetFlags(uint32_t* flags)
{
    return Orv::AnswerValue(flags, Descriptor().flags);
}

HRESULT STDMETHODCALLTYPE ChannelCalculationClass::CreateCalculationInteractive(IUnknown* host, HWND parent,
                                                                                IUnknown* document,
                                                                                IPersistObject* settings,
                                                                                uint32_t channel, uint32_t record,
                                                                                uint32_t flags, IUnknown* selection,
                                                                                IChannelCalc** calculation)
{
    if (!calculation)
        return E_POINTER;
    *calculation = nullptr;
    auto* given = dynamic_cast<ChannelCalculationSettings*>(settings);
    if (settings && !given)
        return E_INVALIDARG;
    return Orv::CatchReturn([&] {
        auto chosen = Orv::ComPtr<ChannelCalculationSettings>::Adopt(given ? new ChannelCalculationSettings(*given)
                                                                           : new ChannelCalculationSettings());
        if (RunChannelCalculationDialog(parent, host, document, *chosen.Get()) == IDCANCEL)
            return S_FALSE;
        // The settings run once before a channel takes them: a text the host cannot run is refused
        // here, and no channel is made. The run shows its progress; a user who stops it still gets the
        // channel as chosen, since the host has compiled its text before the first record ran.
        if (chosen->enabled)
        {
            const Orv::String text = PrepareSelectorText(*chosen.Get(), document);
            RecordScanIndicator indicator(SettingsRunTitle);
            SettingsRun run;
            run.progress = indicator.Watcher();
            run.id = channel;
            run.channelFactory = host;
            run.calculationType = HostCommonType::Id();
            run.text = text.c_str();
            run.document = document;
            run.selection = selection;
            run.passedA = record;
            run.passedB = flags;
            const HRESULT previewed = ChannelCalcBase::RunSettingsCalculation(run);
            if (FAILED(previewed))
                return previewed;
        }
        Orv::ComPtr<IChannelCalc> made;
        HRESULT hr = CreateCalculation(host, chosen.Get(), made.Put());
        // The settings are the channel's already: only a forced application attaches their text.
        if (SUCCEEDED(hr) && chosen->enabled)
            hr = made->ApplySettings(chosen.Get(), 1);
        if (FAILED(hr))
            return hr;
        *calculation = made.Detach();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ChannelCalculationClass::CreateCalculation(IUnknown* host, IPersistObject* settings,
                                                                     IChannelCalc** calculation)
{
    if (!calculation)
        return E_POINTER;
    *calculation = nullptr;
    return Orv::CatchReturn([&] {
        auto made = Orv::ComPtr<SistraChannelCalculation>::Adopt(new SistraChannelCalculation(0, host, 0, 0));
        if (settings)
        {
            const HRESULT hr = made->SetSettings(settings);
            if (FAILED(hr))
                return hr;
        }
        *calculation = made.Detach();
        return S_OK;
    });
}

} // namespace Sistra
