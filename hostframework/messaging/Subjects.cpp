#include "hostframework/messaging/Subjects.h"

#include "hostframework/services/HostServices.h"

HRESULT STDMETHODCALLTYPE VyrSubject::Notify(ULONG eventId, void* data)
{
    ISubjectManager* manager = SubjectManagerAccessor::Get();
    return manager ? manager->Notify(this, eventId, data) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE VyrSubject::AddObserver(IObserver* observer)
{
    ISubjectManager* manager = SubjectManagerAccessor::Get();
    return manager ? manager->AddObserver(this, observer) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE VyrSubject::RemoveObserver(IObserver* observer)
{
    ISubjectManager* manager = SubjectManagerAccessor::Get();
    return manager ? manager->RemoveObserver(this, observer) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE VyrSubject::AddObserverForEvent(IObserver* observer, ULONG eventId, ULONG flags)
{
    ISubjectManager* manager = SubjectManagerAccessor::Get();
    return manager ? manager->AddObserverForEvent(this, observer, eventId, flags) : E_FAIL;
}

void STDMETHODCALLTYPE VyrSubject::Destroy()
{
    delete this;
}

VyrSubject::~VyrSubject()
{
    if (ISubjectManager* manager = SubjectManagerAccessor::Get())
        manager->ForgetSubject(this);
}
