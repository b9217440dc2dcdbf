#include "calc/sources/ChannelEntries.h"

#include "foundation/com/ComPtr.h"

namespace Sistra
{
namespace
{

Orv::ComPtr<IHostDataItems> DataItemsOf(IUnknown* hostDocument)
{
    Orv::ComPtr<IHostDataItems> items;
    if (hostDocument)
        hostDocument->QueryInterface(IID_IHostDataItems, items.PutVoid());
    return items;
}

} // namespace

ChannelEntry ModuleChannelEntry(int32_t value)
{
    ChannelEntry entry;
    entry.value = value;
    entry.kind = ModuleEntryKind;
    return entry;
}

void HostChannelRemoveEntry(IUnknown* hostDocument, int32_t value, int32_t channel)
{
    if (const auto items = DataItemsOf(hostDocument))
    {
        const ChannelEntry entry = ModuleChannelEntry(value);
        items->RemoveChannelEntry(channel, HostUnsetPosition, &entry);
    }
}

bool HostChannelHasEntry(IUnknown* hostDocument, int32_t value, int32_t channel)
{
    const auto items = DataItemsOf(hostDocument);
    if (!items)
        return false;
    int32_t count = 0;
    for (int32_t index = 0; index == 0 || index < count; ++index)
    {
        ChannelEntry entry;
        if (items->GetChannelEntry(channel, HostUnsetPosition, index, &entry, &count) != S_OK)
            return false;
        if (entry.value == value && entry.kind == ModuleEntryKind)
            return true;
    }
    return false;
}

} // namespace Sistra
