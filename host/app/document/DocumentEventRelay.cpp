#include "host/app/document/DocumentEventRelay.h"

#include "host/app/document/HostDocument.h"
#include "hostapi/VyrIds.h"

#include <objbase.h>

namespace Host
{

DocumentEventRelay::DocumentEventRelay(HostDocument& host, IUnknown* document) : host_(host)
{
    if (!document || FAILED(document->QueryInterface(IID_IObserver, document_.PutVoid())))
        document_.Reset();
    Orv::ComPtr<IMsgIdRegistry> registry;
    USHORT code = 0;
    if (SUCCEEDED(CoGetClassObject(CLSID_VyrFrameWork, CLSCTX_INPROC_SERVER, nullptr, IID_IMsgIdRegistry,
                                   registry.PutVoid())) &&
        registry && SUCCEEDED(registry->GetCode(&HostSamplingEventGUID, &code)))
        samplingStopped_ = VyrTypeId::Make(code, HostSamplingEventNumber::Stopped);
    if (document_ && SUCCEEDED(host.QueryInterface(IID_ISubject, subject_.PutVoid())) && subject_)
        RegisterEvents(subject_.Get());
}

DocumentEventRelay::~DocumentEventRelay()
{
    if (subject_)
        subject_->RemoveObserver(this);
}

HRESULT STDMETHODCALLTYPE DocumentEventRelay::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IObserver))
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IObserver*>(this);
    return S_OK;
}

// Every event of the host document: the document's own event map picks those it handles.
HRESULT STDMETHODCALLTYPE DocumentEventRelay::RegisterEvents(ISubject* subject)
{
    return subject ? subject->AddObserver(this) : E_POINTER;
}

HRESULT STDMETHODCALLTYPE DocumentEventRelay::Notify(ISubject* subject, ULONG eventId, ULONG_PTR context, void* data)
{
    if (!document_ || HeardAsSink(eventId))
        return S_OK;
    return document_->Notify(subject, eventId, context, data);
}

bool DocumentEventRelay::HeardAsSink(ULONG eventId) const
{
    return eventId == samplingStopped_ && samplingStopped_ != 0 && host_.IsSink(document_.Get());
}

} // namespace Host
