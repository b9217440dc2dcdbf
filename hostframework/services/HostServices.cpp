#include "hostframework/services/HostServices.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "hostframework/entry/FrameworkBootstrap.h"

#include <objbase.h>

namespace
{

constexpr DWORD AnyContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

template <const CLSID* Clsid, const IID* Iid>
HRESULT FetchClassObjectOf(void** object)
{
    return FetchFrameworkClassObject(*Clsid, *Iid, object);
}

template <ULONG TypeId, const IID* Iid>
HRESULT FetchFactoryObjectOf(void** object)
{
    return FetchFactoryObject(TypeId, *Iid, object);
}

} // namespace

void* HostServiceCache::Get()
{
    if (void* cached = cached_.load(std::memory_order_acquire))
        return cached;
    Orv::CriticalSectionLock guard(lock_);
    if (!cached_.load(std::memory_order_relaxed))
    {
        void* object = nullptr;
        // Accessors are called from interface methods; finding the framework's library path allocates.
        if (SUCCEEDED(Orv::CatchReturn([&] { return fetch_(&object); })) && object)
        {
            // The cache keeps no reference: the fetched one goes at the end of this scope.
            const Orv::ComPtr<IUnknown> fetched = Orv::ComPtr<IUnknown>::Adopt(static_cast<IUnknown*>(object));
            cached_.store(object, std::memory_order_release);
        }
    }
    return cached_.load(std::memory_order_relaxed);
}

HRESULT FetchFrameworkClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    *object = nullptr;
    if (SUCCEEDED(CoGetClassObject(clsid, AnyContext, nullptr, iid, object)))
        return S_OK;
    const HRESULT fallback = VyrLoadFrameworkFallback();
    if (FAILED(fallback))
        return fallback;
    *object = nullptr;
    return CoGetClassObject(clsid, AnyContext, nullptr, iid, object);
}

HRESULT FetchFactoryObject(ULONG typeId, REFIID iid, void** object)
{
    *object = nullptr;
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    if (!factory)
        return E_FAIL;
    return factory->GetObject(typeId, iid, object);
}

#define SISTRA_HOST_SERVICE(Function, Interface, FetchFunction)                                                   \
    Interface* Function()                                                                                      \
    {                                                                                                          \
        static HostServiceCache cache(FetchFunction);                                                          \
        return cache.Get<Interface>();                                                                         \
    }

SISTRA_HOST_SERVICE(ObjectFactoryAccessor::Get, IVyrObjectFactory,
                    (FetchClassObjectOf<&CLSID_VyrFrameWork, &IID_IVyrObjectFactory>))
SISTRA_HOST_SERVICE(MessageFactoryAccessor::Get, IMessageFactory,
                    (FetchClassObjectOf<&CLSID_VyrFrameWork, &IID_IMessageFactory>))
SISTRA_HOST_SERVICE(SubjectManagerAccessor::Get, ISubjectManager,
                    (FetchClassObjectOf<&CLSID_VyrFrameWork, &IID_ISubjectManager>))
SISTRA_HOST_SERVICE(MsgIdRegistryAccessor::Get, IMsgIdRegistry,
                    (FetchClassObjectOf<&CLSID_VyrFrameWork, &IID_IMsgIdRegistry>))
SISTRA_HOST_SERVICE(MessageRouterAccessor::Get, IMessageRouter,
                    (FetchClassObjectOf<&CLSID_VyrFrameWork, &IID_IMessageRouter>))
SISTRA_HOST_SERVICE(HostAppAccessor::Get, IHostApplication,
                    (FetchClassObjectOf<&CLSID_VyrHostApplication, &IID_IHostApplication>))
SISTRA_HOST_SERVICE(UnitTestRegistryAccessor::Get, IUnitTestRegistry,
                    (FetchClassObjectOf<&CLSID_VyrUnitTestRegistry, &IID_IUnitTestRegistry>))
SISTRA_HOST_SERVICE(CommandServiceAccessor::Get, IHostCommandService,
                    (FetchFactoryObjectOf<VyrTypeId::CommandService, &IID_IHostCommandService>))
SISTRA_HOST_SERVICE(CommandRegistrationAccessor::Get, ICommandRegistrationService,
                    (FetchFactoryObjectOf<VyrTypeId::CommandRegistration, &IID_ICommandRegistrationService>))
SISTRA_HOST_SERVICE(HostObjectServiceAccessor::Get, IHostObjectService,
                    (FetchFactoryObjectOf<VyrTypeId::HostObjectService, &IID_IHostObjectService>))
SISTRA_HOST_SERVICE(MessageCreatorAccessor::Get, IMessageCreator,
                    (FetchFactoryObjectOf<VyrTypeId::MessageCreator, &IID_IMessageCreator>))
SISTRA_HOST_SERVICE(GetHostClipboardService, IHostClipboardService,
                    (FetchFactoryObjectOf<VyrTypeId::ClipboardService, &IID_IHostClipboardService>))
