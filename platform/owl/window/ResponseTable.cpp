#include "platform/owl/window/ResponseTable.h"

namespace OWL
{

namespace
{

bool Matches(const TResponseTableEntry& entry, const TEventInfo& info)
{
    switch (info.Kind)
    {
    case TEntryKind::Message:
        return entry.Kind == TEntryKind::Message && entry.Msg == info.Msg;
    case TEntryKind::Command:
    case TEntryKind::CommandEnable:
        return entry.Kind == info.Kind && entry.Id == info.Id;
    case TEntryKind::ChildNotify:
        return entry.Id == info.Id && ((entry.Kind == TEntryKind::ChildNotify && entry.Code == info.Code) ||
                                       entry.Kind == TEntryKind::AnyChildNotify);
    case TEntryKind::Notify:
        return entry.Kind == TEntryKind::Notify && entry.Id == info.Id && entry.Code == info.Code;
    default:
        return false;
    }
}

} // namespace

bool SearchEntries(const TResponseTableEntry* entries, TEventInfo& info)
{
    for (const TResponseTableEntry* entry = entries; entry->Kind != TEntryKind::End; ++entry)
    {
        if (Matches(*entry, info))
        {
            info.Entry = entry;
            return true;
        }
    }
    return false;
}

bool TEventHandler::Find(TEventInfo&)
{
    return false;
}

} // namespace OWL
