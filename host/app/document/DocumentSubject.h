// The subject face of a host document: the framework's subject manager keeps its observers, as it keeps
// every subject's, so that an observer that goes away is forgotten there and never called again.
#pragma once

#include "hostapi/VyrMessaging.h"
#include "host/vyr/ComObjects.h"

namespace Host
{

class DocumentSubject final : public Vyr::DelegatingFace<ISubject>
{
public:
    explicit DocumentSubject(IUnknown* document) : DelegatingFace(document) {}
    ~DocumentSubject();
    DocumentSubject(const DocumentSubject&) = delete;
    DocumentSubject& operator=(const DocumentSubject&) = delete;

    // Without a registered framework nobody can observe: these fail with E_FAIL.
    HRESULT STDMETHODCALLTYPE Notify(ULONG eventId, void* data) override;
    HRESULT STDMETHODCALLTYPE AddObserver(IObserver* observer) override;
    HRESULT STDMETHODCALLTYPE RemoveObserver(IObserver* observer) override;
    HRESULT STDMETHODCALLTYPE AddObserverForEvent(IObserver* observer, ULONG eventId, ULONG flags) override;
    // The document owns its subject.
    void STDMETHODCALLTYPE Destroy() override {}

    // Event number of the group (its code from the framework's message-id registry) to the observers.
    void Send(const GUID& group, USHORT number, void* data);
};

} // namespace Host
