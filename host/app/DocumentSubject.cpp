#include "host/app/DocumentSubject.h"

#include "foundation/com/ComPtr.h"

#include <objbase.h>

namespace Host
{
namespace
{

// A service of the framework class object registered with COM; null when no framework is registered.
template <class Interface>
Orv::ComPtr<Interface> Framework(REFIID iid)
{
    Orv::ComPtr<Interface> service;
    if (FAILED(CoGetClassObject(CLSID_VyrFrameWork, CLSCTX_INPROC_SERVER, nullptr, iid, service.PutVoid())))
        service.Reset();
    return service;
}

Orv::ComPtr<ISubjectManager> Manager()
{
    return Framework<ISubjectManager>(IID_ISubjectManager);
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
    const auto registry = Framework<IMsgIdRegistry>(IID_IMsgIdRegistry);
    USHORT code = 0;
    if (registry && SUCCEEDED(registry->GetCode(&group, &code)))
        Notify(VyrTypeId::Make(code, number), data);
}

} // namespace Host
