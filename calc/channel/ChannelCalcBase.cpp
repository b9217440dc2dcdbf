#include "calc/channel/ChannelCalcBase.h"

#include "foundation/com/ComBoundary.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostServices.h"

namespace Sistra
{
namespace
{
using ComputedChannelType = TypeIdClass<&HostTypeGUID, ComputedChannelTypeNumber>;
} // namespace

ChannelCalcBase::ChannelCalcBase(uint32_t value, IUnknown* host, uint32_t first, uint32_t second)
    : host_(host), value_(value), first_(first), second_(second)
{
    Orv::ComPtr<IChannelCalcHost> channelHost;
    if (host && SUCCEEDED(host->QueryInterface(IID_IChannelCalcHost, channelHost.PutVoid())) && channelHost)
        channelHost->GetDocumentData(documentData_.Put());
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    if (!factory || FAILED(factory->CreateObject(static_cast<IChannelCalc*>(this), ComputedChannelType::Id(),
                                                 IID_IUnknown, companion_.PutVoid())) ||
        !companion_)
        return;
    const LONG before = references_;
    if (SUCCEEDED(companion_->QueryInterface(IID_IComputedChannel, reinterpret_cast<void**>(&channel_))) && channel_ &&
        references_ > before)
        Release(); // the face counted on this object, which holds it for its own life
}

ChannelCalcBase::~ChannelCalcBase()
{
    channel_ = nullptr;
    companion_.Reset();
}

HRESULT STDMETHODCALLTYPE ChannelCalcBase::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IChannelCalc || iid == IID_ChannelCalcObject)
    {
        *object = static_cast<IChannelCalc*>(this);
        AddRef();
        return S_OK;
    }
    return companion_ ? companion_->QueryInterface(iid, object) : E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ChannelCalcBase::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE ChannelCalcBase::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
    {
        references_ = 1; // the companion's release may count on this object once more
        DeleteThis();
    }
    return static_cast<ULONG>(left);
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
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    Orv::ComPtr<ICalcEnumClass2> classObject;
    if (!factory || FAILED(factory->GetObject(calculationType, IID_ICalcEnumClass2, classObject.PutVoid())) ||
        !classObject)
        return E_FAIL;
    const HRESULT made = classObject->CreateEnum(documentData_.Get(), kind, calculation.Put());
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

} // namespace Sistra
