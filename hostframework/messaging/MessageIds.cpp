#include "hostframework/messaging/MessageIds.h"

#include "hostframework/services/HostServices.h"

bool MsgIdCode::Get(const GUID& guid, IMsgIdRegistry* registry, USHORT* code)
{
    if (known_.load(std::memory_order_acquire))
    {
        *code = code_.load(std::memory_order_relaxed);
        return true;
    }
    if (!registry)
        return false;
    USHORT answer = 0;
    if (FAILED(registry->GetCode(&guid, &answer)))
        return false;
    // Two threads racing here both store the same code: the registry gives one code per GUID.
    code_.store(answer, std::memory_order_relaxed);
    known_.store(true, std::memory_order_release);
    *code = answer;
    return true;
}

bool GetMessageCode(MsgIdCode& cache, const GUID& guid, USHORT* code)
{
    USHORT known = 0;
    // The registry is fetched only when the code is not cached yet.
    if (cache.Get(guid, nullptr, &known) || cache.Get(guid, MsgIdRegistryAccessor::Get(), &known))
    {
        *code = known;
        return true;
    }
    return false;
}

namespace Sistra
{

USHORT* GetDocumentMessagePrefix(USHORT* slot)
{
    return MsgIdPrefix<&SistraDocumentGUID>::Get(slot);
}

} // namespace Sistra
