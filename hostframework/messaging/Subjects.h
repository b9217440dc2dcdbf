// An observable object whose observer lists the host's subject manager keeps.
#pragma once

#include "hostapi/VyrMessaging.h"

// The embedding object supplies IUnknown; every list operation goes to the subject manager, keyed by
// this subject's address.
class VyrSubject : public ISubject
{
public:
    HRESULT STDMETHODCALLTYPE Notify(ULONG eventId, void* data) override;
    HRESULT STDMETHODCALLTYPE AddObserver(IObserver* observer) override;
    HRESULT STDMETHODCALLTYPE RemoveObserver(IObserver* observer) override;
    HRESULT STDMETHODCALLTYPE AddObserverForEvent(IObserver* observer, ULONG eventId, ULONG flags) override;
    void STDMETHODCALLTYPE Destroy() override;

protected:
    VyrSubject() = default;
    VyrSubject(const VyrSubject&) = delete;
    VyrSubject& operator=(const VyrSubject&) = delete;
    // The manager forgets the subject, when it can be reached.
    virtual ~VyrSubject();
};
