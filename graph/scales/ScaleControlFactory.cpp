#include "graph/scales/ScaleControlFactory.h"

#include "foundation/com/ComPtr.h"
#include "foundation/com/CriticalSection.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/messaging/SistraIds.h"

namespace MGraph1
{

namespace
{
using ScaleControlFactoryType = TypeIdClass<&HostTypeGUID, ScaleControlFactoryTypeNumber>;

struct FactoryCache
{
    Orv::CriticalSection lock;
    IScaleControlFactory* factory = nullptr;
};

FactoryCache& Cache()
{
    static FactoryCache cache;
    return cache;
}
} // namespace

IScaleControlFactory* GetScaleControlFactory()
{
    FactoryCache& cache = Cache();
    Orv::CriticalSectionLock lock(cache.lock);
    if (cache.factory)
        return cache.factory;
    IVyrObjectFactory* objects = ObjectFactoryAccessor::Get();
    ULONG typeId = 0;
    if (!objects || !ScaleControlFactoryType::TryGetId(&typeId))
        return nullptr;
    // The host keeps its factory alive for the life of the process; the raw pointer is all we keep.
    Orv::ComPtr<IScaleControlFactory> factory;
    if (SUCCEEDED(objects->GetObject(typeId, IID_IScaleControlFactory, factory.PutVoid())) && factory)
        cache.factory = factory.Get();
    return cache.factory;
}

} // namespace MGraph1
