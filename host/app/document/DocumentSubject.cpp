#include "host/app/document/DocumentSubject.h"

#include "host/app/RegisteredServices.h"

namespace Host
{
namespace
{

Orv::ComPtr<ISubjectManager> Manager()
{
    return RegisteredService<ISubjectManager>(CLSID_VyrFrameWork, IID_ISubjectManager);
}

} // namespace

DocumentSubject::~DocumentSubject()
{
    if (const auto manager = Manager())
        manager->ForgetSubject(this);
}

HRESULT STDMETHODCALLTYPE DocumentSubject::Notify(ULONG eventId, void* data)
{
    const auto manager = Manager();
    return manager ? manager->Notify(this, eventId, data) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE DocumentSubject::AddObserver(IObserver* observer)
{
    const auto manager = Manager();
    return manager ? manager->AddObserver(this, observer) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE DocumentSubject::RemoveObserver(IObserver* observer)
{
    const auto manager = Manager();
    return manager ? manager->RemoveObserver(this, observer) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE DocumentSubject::AddObserverForEvent(IObserver* observer, ULONG eventId, ULONG flags)
{
    const auto manager = Manager();
    return manager ? manager->AddObserverForEvent(this, observer, eventId, flags) : E_FAIL;
}

void DocumentSubject::Send(const GUID& group, USHORT number, void* data)
{
    const auto registry = RegisteredService<IMsgIdRegistry>(CLSID_VyrFrameWork, IID_IMsgIdRegistry);
    USHORT code = 0;
    if (registry && SUCCEEDED(registry->GetCode(&group, &code)))
        Notify(VyrTypeId::Make(code, number), data);
}

} // namespace Host
