// Services of the class objects registered with COM (the host application's dialogs, message boxes,
// printing and progress; the framework's subjects), reached as the module reaches them, so the host's own
// commands and the module see one and the same service.
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/VyrIds.h"

#include <objbase.h>

namespace Host
{

// The service iid names of the class object clsid names; none where that object is not registered or does
// not offer it.
template <class Service>
Orv::ComPtr<Service> RegisteredService(REFCLSID clsid, REFIID iid)
{
    Orv::ComPtr<Service> service;
    if (FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, iid, service.PutVoid())))
        service.Reset();
    return service;
}

template <class Service>
Orv::ComPtr<Service> HostApplicationService(REFIID iid)
{
    return RegisteredService<Service>(CLSID_VyrHostApplication, iid);
}

} // namespace Host
