// Accessors of the host framework's services. Each fetches its service on first use and keeps the
// pointer for the life of the process without a reference of its own: the framework keeps its services
// alive for as long as any module runs. Callers use the pointer without AddRef or Release; it is null
// while the service cannot be reached, and the next call tries again.
#pragma once

#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrMessaging.h"
#include "hostapi/VyrServices.h"
#include "foundation/com/CriticalSection.h"

#include <atomic>

// One host interface, fetched once under its own lock and then read without locking.
class HostServiceCache
{
public:
    // Fills object with one reference, or fails; what it throws counts as a failure.
    using Fetch = HRESULT (*)(void** object);

    explicit HostServiceCache(Fetch fetch) : fetch_(fetch) {}
    HostServiceCache(const HostServiceCache&) = delete;
    HostServiceCache& operator=(const HostServiceCache&) = delete;

    void* Get();

    template <class Interface>
    Interface* Get()
    {
        return static_cast<Interface*>(Get());
    }

private:
    Fetch fetch_;
    std::atomic<void*> cached_{nullptr};
    Orv::CriticalSection lock_;
};

// The framework's class object asked for iid (CoGetClassObject), with the framework fallback when the
// class is not registered, and one retry after it.
HRESULT FetchFrameworkClassObject(REFCLSID clsid, REFIID iid, void** object);

// An object of the framework's object factory by type id; no fallback of its own (the factory's has it).
HRESULT FetchFactoryObject(ULONG typeId, REFIID iid, void** object);

struct ObjectFactoryAccessor
{
    static IVyrObjectFactory* Get();
};
struct MessageFactoryAccessor
{
    static IMessageFactory* Get();
};
struct SubjectManagerAccessor
{
    static ISubjectManager* Get();
};
struct MsgIdRegistryAccessor
{
    static IMsgIdRegistry* Get();
};
struct MessageRouterAccessor
{
    static IMessageRouter* Get();
};
struct HostAppAccessor
{
    static IHostApplication* Get();
};
struct UnitTestRegistryAccessor
{
    static IUnitTestRegistry* Get();
};
struct CommandServiceAccessor
{
    static IHostCommandService* Get();
};
struct CommandRegistrationAccessor
{
    static ICommandRegistrationService* Get();
};
struct HostObjectServiceAccessor
{
    static IHostObjectService* Get();
};
struct MessageCreatorAccessor
{
    static IMessageCreator* Get();
};
struct UnitsServiceAccessor
{
    static IUnitsService* Get();
};

IHostClipboardService* GetHostClipboardService();
