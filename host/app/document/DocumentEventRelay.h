// A module's document hears the events of the host document it was made on, as the host lets every
// document observe its own: the selection, the channels, the region and sampling. The one exception is
// the end of sampling for a document that takes the host's data online: its sink was told already, and
// finishing its analysis twice would only do the work again.
#pragma once

#include "hostapi/VyrMessaging.h"

#include "foundation/com/ComPtr.h"
#include "foundation/com/OwnerKept.h"

namespace Host
{

class HostDocument;

class DocumentEventRelay final : public Orv::OwnerKept<IObserver>
{
public:
    // Both must outlive the relay; it stops relaying when it ends.
    DocumentEventRelay(HostDocument& host, IUnknown* document);
    ~DocumentEventRelay();
    DocumentEventRelay(const DocumentEventRelay&) = delete;
    DocumentEventRelay& operator=(const DocumentEventRelay&) = delete;

    // IUnknown: owned by whoever made it, not by its references.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // IObserver
    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject* subject) override;
    HRESULT STDMETHODCALLTYPE Notify(ISubject* subject, ULONG eventId, ULONG_PTR context, void* data) override;

private:
    bool HeardAsSink(ULONG eventId) const;

    HostDocument& host_;
    Orv::ComPtr<ISubject> subject_;
    Orv::ComPtr<IObserver> document_;
    ULONG samplingStopped_ = 0;
};

} // namespace Host
