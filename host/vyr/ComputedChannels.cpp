#include "ComputedChannels.h"

#include "ComObjects.h"
#include "foundation/com/ComPtr.h"

#include "CalcInterfaces.h"

namespace Vyr
{
namespace
{

class ComputedChannel final : public HeapComObject<IUnknown, &IID_IUnknown>
{
public:
    explicit ComputedChannel(IUnknown* outer) : channel_(*this, outer), standIn_(*this, outer) {}

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
    class Channel final : public DelegatingFace<IComputedChannel>
    {
    public:
        Channel(ComputedChannel& owner, IUnknown* outer) : DelegatingFace(outer), owner_(owner) {}
        HRESULT STDMETHODCALLTYPE AttachCalculation(uint32_t, uint32_t, uint32_t, IUnknown*,
                                                    IUnknown* calculation) override
        {
            Orv::ComPtr<ICalcEnum> enumerator;
            if (!calculation || FAILED(calculation->QueryInterface(IID_ICalcEnum, enumerator.PutVoid())))
                return E_INVALIDARG;
            owner_.calculation_ = enumerator;
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
            if (!calculation)
                return E_POINTER;
            *calculation = owner_.calculation_.Get();
            if (!*calculation)
                return S_FALSE;
            (*calculation)->AddRef();
            return S_OK;
        }

    private:
        ComputedChannel& owner_;
    };

    Channel channel_;
    StandIn standIn_;
    Orv::ComPtr<ICalcEnum> calculation_;
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

} // namespace Vyr
