#include "foundation/storage/CompoundFormat.h"

#include <cstring>

namespace Orv::Compound
{

namespace
{
constexpr wchar_t CaseBit = 0x20;
}

bool NamesMatch(const wchar_t* a, const wchar_t* b)
{
    for (;; ++a, ++b)
    {
        if ((*a & ~CaseBit) != (*b & ~CaseBit))
            return false;
        if (*a == 0)
            return true;
    }
}

void StoreName(wchar_t (&field)[NameFieldUnits], const wchar_t* name)
{
    std::memset(field, 0, sizeof(field));
    for (uint32_t i = 0; i < MaxNameUnits && name[i] != 0; ++i)
        field[i] = name[i];
}

ElementEntry NewElementEntry(const wchar_t* name, uint32_t type)
{
    ElementEntry entry{};
    StoreName(entry.name, name);
    entry.type = type;
    return entry;
}

ElementEntry FromOldEntry(const OldElementEntry& old)
{
    ElementEntry entry{};
    std::memcpy(entry.name, old.name, sizeof(entry.name));
    entry.start.offset = old.startOffset;
    entry.start.cluster = old.startCluster;
    entry.type = old.type;
    entry.end.offset = old.endOffset;
    entry.end.cluster = old.endCluster;
    entry.modified = old.modified;
    entry.created = old.created;
    entry.accessed = old.accessed;
    entry.classId = old.classId;
    entry.carried = old.carried;
    return entry;
}

} // namespace Orv::Compound
