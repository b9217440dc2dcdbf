#include "calc/channel/ChannelCalcBase.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostServices.h"

#include "VyrAnalysis.h"

namespace Sistra
{
namespace
{
using ComputedChannelType = TypeIdClass<&HostTypeGUID, ComputedChannelTypeNumber>;
// A range that runs to the end of the recording ends at this record.
constexpr int32_t WholeRecordingEnd = 0x7FFFFFFF;
} // namespace

ChannelCalcBase::ChannelCalcBase(uint32_t value, IUnknown* host, uint32_t first, uint32_t second)
    : Orv::CComObjectRoot(1), host_(host), value_(value), first_(first), second_(second)
{
    Orv::ComPtr<IChannelCalcHost> channelHost;
    if (host && SUCCEEDED(host->QueryInterface(IID_IChannelCalcHost, channelHost.PutVoid())) && channelHost)
        channelHost->GetDocumentData(documentData_.Put());
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    if (!factory || FAILED(factory->CreateObject(static_cast<IChannelCalc*>(this), ComputedChannelType::Id(),
                                                 IID_IUnknown, companion_.PutVoid())) ||
        !companion_)
        return;
    const LONG before = InternalReferences();
    if (SUCCEEDED(companion_->QueryInterface(IID_IComputedChannel, reinterpret_cast<void**>(&channel_))) && channel_ &&
        InternalReferences() > before)
        Release(); // the face counted on this object, which holds it for its own life
}

ChannelCalcBase::~ChannelCalcBase()
{
    channel_ = nullptr;
    companion_.Reset();
}

// What the calculation does not answer itself, the host's companion object answers.
HRESULT STDMETHODCALLTYPE ChannelCalcBase::QueryInterface(REFIID iid, void** object)
{
    const HRESULT own = Orv::QueryOneFace(static_cast<IChannelCalc*>(this), iid, object, IID_IChannelCalc,
                                          IID_ChannelCalcObject);
    return own == E_NOINTERFACE && companion_ ? companion_->QueryInterface(iid, object) : own;
}

HRESULT STDMETHODCALLTYPE ChannelCalcBase::GetOutputRange(double* gain, double* shift)
{
    if (!gain || !shift)
        return E_POINTER;
    *gain = range_.gain;
    *shift = range_.shift;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChannelCalcBase::GetClassName(IOrvString** name)
{
    if (name)
        *name = nullptr;
    return E_NOTIMPL;
}

ChannelOutputRange ChannelCalcBase::SetOutputRange(int32_t kind, double high, double low)
{
    range_ = MapChannelOutputRange(high, low);
    kind_ = kind;
    return range_;
}

HRESULT ChannelCalcBase::MakeCalculation(uint32_t calculationType, uint32_t kind, Orv::ComPtr<ICalcEnum>& calculation)
{
    calculationType_ = calculationType;
    return MakeCalculationOn(documentData_.Get(), calculationType, kind, calculation);
}

HRESULT ChannelCalcBase::MakeCalculationOn(IUnknown* context, uint32_t calculationType, uint32_t kind,
                                           Orv::ComPtr<ICalcEnum>& calculation)
{
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    Orv::ComPtr<ICalcEnumClass2> classObject;
    if (!factory || FAILED(factory->GetObject(calculationType, IID_ICalcEnumClass2, classObject.PutVoid())) ||
        !classObject)
        return E_FAIL;
    const HRESULT made = classObject->CreateEnum(context, kind, calculation.Put());
    return SUCCEEDED(made) && !calculation ? E_FAIL : made;
}

HRESULT ChannelCalcBase::HandToChannel(ICalcEnum* calculation)
{
    if (!channel_)
        return E_FAIL;
    return channel_->AttachCalculation(value_, first_, second_, host_, calculation);
}

HRESULT ChannelCalcBase::AttachCalculation(uint32_t calculationType)
{
    return Orv::CatchReturn([&] {
        Orv::ComPtr<ICalcEnum> calculation;
        const HRESULT made = MakeCalculation(calculationType, 0, calculation);
        return FAILED(made) ? made : HandToChannel(calculation.Get());
    });
}

HRESULT ChannelCalcBase::AttachExpression(const Orv::String& text, uint32_t calculationType, uint32_t kind)
{
    return Orv::CatchReturn([&] {
        Orv::ComPtr<ICalcEnum> calculation;
        HRESULT hr = MakeCalculation(calculationType, kind, calculation);
        uint32_t flags = 0;
        if (SUCCEEDED(hr))
            hr = calculation->ReadArguments(text.Interface(), &flags);
        return FAILED(hr) ? hr : HandToChannel(calculation.Get());
    });
}

HRESULT ChannelCalcBase::RunSettingsCalculation(const SettingsRun& run)
{
    return Orv::CatchReturn([&] {
        Orv::ComPtr<IHostDocument> document;
        if (!run.document || FAILED(run.document->QueryInterface(IID_IHostDocument, document.PutVoid())))
            return E_INVALIDARG;
        TickPosition start{0, 0};
        TickPosition end{WholeRecordingEnd, 0};
        Orv::ComPtr<IHostSelection> selection;
        TickPosition selectedStart, selectedEnd;
        if (run.selection && SUCCEEDED(run.selection->QueryInterface(IID_IHostSelection, selection.PutVoid())) &&
            SUCCEEDED(selection->GetSelection(&selectedStart, &selectedEnd)) &&
            selectedStart.record != WholeRecordingEnd)
        {
            start = selectedStart;
            end = selectedEnd;
        }

        // Without the temporary channel the run has nothing to run on: that is a failure, not a preview.
        Orv::ComPtr<IComputedChannelFactory> factory;
        Orv::ComPtr<IUnknown> made;
        Orv::ComPtr<IComputedChannel> channel;
        if (!run.channelFactory ||
            FAILED(run.channelFactory->QueryInterface(IID_IComputedChannelFactory, factory.PutVoid())) ||
            FAILED(factory->CreateChannel(run.first, run.second, document.Get(), made.Put())) || !made ||
            FAILED(made->QueryInterface(IID_IComputedChannel, channel.PutVoid())))
            return E_FAIL;

        Orv::ComPtr<ICalcEnum> calculation;
        HRESULT hr = MakeCalculationOn(document.Get(), run.calculationType, ComputedChannelEventResult, calculation);
        if (SUCCEEDED(hr))
            hr = channel->AttachCalculation(0, run.first, run.second, document.Get(), calculation.Get());
        if (SUCCEEDED(hr))
            hr = channel->SetCalculationText(run.text);
        if (SUCCEEDED(hr))
            hr = channel->BeginRun(1, run.id, 0);
        if (SUCCEEDED(hr))
            hr = channel->Run(run.document, start, end, run.passedA, run.passedB, 0);
        channel->EndRun();
        return hr;
    });
}

} // namespace Sistra
