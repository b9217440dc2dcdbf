// Message ids: (16-bit code the host's registry assigns to a GUID) << 16 | a number chosen by the
// GUID's owner. Codes exist only at run time, so every id has a getter that computes it on first use.
// A code is cached only once the registry has answered: until then a getter yields the bare number and
// asks again next time, so an unreachable registry never pins a wrong id for the process.
#pragma once

#include "hostapi/VyrMessaging.h"

#include <atomic>

// GUIDs the module owns.
inline constexpr GUID SistraDocumentGUID = {0x63A4A828, 0x9A7F, 0x4690, {0x82, 0x67, 0x4B, 0xA0, 0x20, 0xCF, 0xC5, 0x9B}};
inline constexpr GUID SistraEventDrawGUID = {0x0D0E1186, 0xD51E, 0x4BDF, {0x9E, 0x09, 0x43, 0xD2, 0xB8, 0x8C, 0xFC, 0x45}};
inline constexpr GUID SistraChannelCalcGUID = {0xC9C5B31B, 0x1B21, 0x478B, {0xAC, 0xBE, 0x2D, 0xEE, 0xA8, 0x5A, 0x99, 0x6E}};

// The shape event maps store: fills a caller's 32-bit slot with an id and returns the slot.
using IdGetter = ULONG* (*)(ULONG* slot);

// The code cache of one GUID. Constant-initialised, so nothing runs at load time.
class MsgIdCode
{
public:
    constexpr MsgIdCode() = default;

    // The cached code, or the registry's answer (then cached); false when there is no answer.
    bool Get(const GUID& guid, IMsgIdRegistry* registry, USHORT* code);

private:
    std::atomic<bool> known_{false};
    std::atomic<USHORT> code_{0};
};

// Asks the host's registry (MsgIdRegistryAccessor) for the code of guid through cache.
bool GetMessageCode(MsgIdCode& cache, const GUID& guid, USHORT* code);

template <const GUID* Guid>
struct MsgIdPrefix
{
    // Writes the GUID's code (0 while the registry cannot answer) and returns slot.
    static USHORT* Get(USHORT* slot)
    {
        *slot = 0;
        GetMessageCode(cache, *Guid, slot);
        return slot;
    }
    static bool TryGet(USHORT* code) { return GetMessageCode(cache, *Guid, code); }

private:
    static inline MsgIdCode cache;
};

template <const GUID* Guid, USHORT Number>
struct MsgIdClass
{
    static bool TryGetId(ULONG* id)
    {
        if (known.load(std::memory_order_acquire))
        {
            *id = cached.load(std::memory_order_relaxed);
            return true;
        }
        USHORT code = 0;
        if (!MsgIdPrefix<Guid>::TryGet(&code))
            return false;
        *id = static_cast<ULONG>(code) << 16 | Number;
        cached.store(*id, std::memory_order_relaxed);
        known.store(true, std::memory_order_release);
        return true;
    }

    // Writes the id (the bare number while the code is unknown) and returns slot.
    static ULONG* GetId(ULONG* slot)
    {
        if (!TryGetId(slot))
            *slot = Number;
        return slot;
    }

    static ULONG Id()
    {
        ULONG id = 0;
        return *GetId(&id);
    }

private:
    static inline std::atomic<bool> known{false};
    static inline std::atomic<ULONG> cached{0};
};

// Event and object types use the same scheme.
template <const GUID* Guid, USHORT Number>
using TypeIdClass = MsgIdClass<Guid, Number>;

// Ids fixed by the host (high half 0x8000), in the getter shape event maps store.
template <ULONG Id>
ULONG* FixedId(ULONG* slot)
{
    static_assert(Id >> 16 == VyrTypeId::FixedCode, "only the host's fixed ids need no registry");
    *slot = Id;
    return slot;
}

// Ids the host fixes under codes of its own GUIDs (commands, queries, messages), in the getter shape.
template <ULONG Id>
ULONG* ConstantId(ULONG* slot)
{
    *slot = Id;
    return slot;
}

namespace Sistra
{

// The code of SistraDocumentGUID, under which the module numbers its own ids.
USHORT* GetDocumentMessagePrefix(USHORT* slot);

} // namespace Sistra
