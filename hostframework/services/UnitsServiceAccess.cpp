// The units service is the one host service found through a message id of its own: it lives apart from
// the other accessors so that the message ids, which reach the host through those accessors, and the
// services do not lean on each other.
#include "hostframework/messaging/MessageIds.h"
#include "hostframework/services/HostServices.h"

namespace
{

HRESULT FetchUnitsService(void** object)
{
    ULONG typeId = 0;
    if (!MsgIdClass<&UnitsServiceGUID, 0>::TryGetId(&typeId))
        return E_FAIL;
    return FetchFactoryObject(typeId, IID_IUnitsService, object);
}

} // namespace

IUnitsService* UnitsServiceAccessor::Get()
{
    static HostServiceCache cache(FetchUnitsService);
    return cache.Get<IUnitsService>();
}
