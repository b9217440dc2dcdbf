// The class object through which the host draws one kind of the module's events: a draw policy gives
// each event's colour and tooltip; the class is registered under the event type the calculations
// report, which is how the host pairs the drawn events with it.
#pragma once

#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrEventDraw.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/text/String.h"

namespace StrixClient
{

// Policy: static COLORREF Colour(const Event&); static Orv::String Tooltip(IUnknown* drawing, LONG block,
// const Event&). TypeId: Id() gives the event type.
template <class Event, class TypeId, class Policy>
class TEventDrawClass final : public IPODEventDrawClass, public IVyrClassObject, private Orv::CComObjectRoot
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return Orv::QueryFaces(iid, object,
                               {{static_cast<IPODEventDrawClass*>(this), {IID_IPODEventDrawClass}},
                                {static_cast<IVyrClassObject*>(this), {IID_IVyrClassObject}}});
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE GetColour(ULONG, const void* event, COLORREF* colour) override
    {
        if (!event || !colour)
            return E_FAIL;
        *colour = Policy::Colour(*static_cast<const Event*>(event));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTooltipText(ULONG, IUnknown* drawing, LONG block, const void* event, ULONG_PTR,
                                             ULONG_PTR, IAutoOrvString** text) override
    {
        if (!event || !text)
            return E_FAIL;
        *text = nullptr;
        return Orv::CatchReturn([&] {
            const Orv::String tooltip = Policy::Tooltip(drawing, block, *static_cast<const Event*>(event));
            IOrvString* rep = tooltip.Interface();
            rep->AddRef();
            *text = rep;
        });
    }

    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override { return Orv::AnswerValue(typeId, TypeId::Id()); }
    HRESULT STDMETHODCALLTYPE GetCategoryGuid(const GUID** category) override
    {
        return Orv::AnswerValue(category, nullptr);
    }
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override
    {
        if (!title)
            return S_OK;
        SysFreeString(*title);
        *title = SysAllocString(L"PkStimEventDrawClass");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsCategory(const GUID*) override { return S_FALSE; }

private:
    ~TEventDrawClass() = default;
};

} // namespace StrixClient
