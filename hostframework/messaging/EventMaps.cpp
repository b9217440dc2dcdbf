#include "hostframework/messaging/EventMaps.h"

#include "foundation/com/ComPtr.h"

namespace
{

constexpr ULONG GuidCodeMask = 0xFFFF0000;

bool IsCommandKind(VyrEventKind kind)
{
    return kind == VyrEventKind::CommandExecute || kind == VyrEventKind::CommandEnable ||
           kind == VyrEventKind::PopupInit || kind == VyrEventKind::PopupSelect;
}

ULONG Resolve(IdGetter getter)
{
    ULONG id = 0;
    return getter ? *getter(&id) : 0;
}

} // namespace

bool CommandTrigger::Matches(const VyrEventMapEntry& entry) const
{
    switch (entry.variant)
    {
    case VyrEventMap::SingleId:
        return entry.id == commandId_;
    case VyrEventMap::IdRange:
        return entry.id <= commandId_ && commandId_ < entry.rangeEnd;
    default:
        return false;
    }
}

bool MsgEventTrigger::Matches(const VyrEventMapEntry& entry) const
{
    const ULONG mask = GuidCodeMask | entry.variant;
    return (messageId_ & mask) == (entry.id & mask);
}

void RegisterAction::Apply(const VyrEventMapEntry& entry)
{
    if (entry.kind == VyrEventKind::ObserverEvent)
        subject_->AddObserverForEvent(observer_, entry.id, 0);
}

namespace VyrEventMap
{

void ResolveIds(VyrEventMapEntry* map)
{
    if (!(map->flags & Unresolved))
        return;
    for (VyrEventMapEntry* entry = map; entry->kind != VyrEventKind::End; ++entry)
    {
        if (IsCommandKind(entry->kind))
        {
            entry->id = Resolve(entry->idGetter);
            if (entry->variant == IdRange)
                entry->rangeEnd = Resolve(entry->rangeEndGetter);
        }
        else if (entry->kind == VyrEventKind::ObserverEvent || entry->kind == VyrEventKind::Message)
            entry->id = Resolve(entry->idGetter);
    }
    map->flags &= static_cast<uint8_t>(~Unresolved);
}

const VyrEventMapEntry* FindEntry(VyrEventMapEntry* map, const EventTrigger& trigger)
{
    ResolveIds(map);
    const VyrEventKind kind = trigger.GetKind();
    for (const VyrEventMapEntry* entry = map; entry->kind != VyrEventKind::End; ++entry)
        if (entry->kind == kind && trigger.Matches(*entry))
            return entry;
    return nullptr;
}

void ForEach(VyrEventMapEntry* map, TableEntryAction& action)
{
    ResolveIds(map);
    for (const VyrEventMapEntry* entry = map; entry->kind != VyrEventKind::End; ++entry)
        action.Apply(*entry);
}

} // namespace VyrEventMap

const VyrEventMapEntry* VyrEventHandlerBase::FindEventEntry(const EventTrigger&, void** handler)
{
    *handler = nullptr;
    return nullptr;
}

void VyrEventHandlerBase::ForEachEntry(TableEntryAction&) {}

HRESULT STDMETHODCALLTYPE VyrEventHandlerBase::HandleMessage(IMessage* message)
{
    return DispatchMessage(message) ? 1 : 0;
}

HRESULT VyrEventHandlerBase::Dispatch(const EventTrigger& trigger, const VyrEventArgs& args)
{
    void* handler = nullptr;
    const VyrEventMapEntry* entry = FindEventEntry(trigger, &handler);
    if (!entry)
        return S_FALSE;
    return entry->thunk(handler, args);
}

HRESULT VyrEventHandlerBase::ExecuteCommand(ULONG commandId)
{
    void* handler = nullptr;
    const VyrEventMapEntry* entry = FindEventEntry(CommandTrigger(commandId, VyrEventKind::CommandExecute), &handler);
    if (!entry)
        return S_FALSE;
    entry->thunk(handler, {.id = commandId});
    return S_OK;
}

HRESULT VyrEventHandlerBase::QueryCommandState(ULONG commandId, IVyrCommandState* state)
{
    if (!state)
        return E_POINTER;
    void* handler = nullptr;
    if (const VyrEventMapEntry* enable =
            FindEventEntry(CommandTrigger(commandId, VyrEventKind::CommandEnable), &handler))
    {
        enable->thunk(handler, {.id = commandId, .state = state});
        return S_OK;
    }
    // A command that can be executed but has no enable query of its own is always enabled.
    if (FindEventEntry(CommandTrigger(commandId, VyrEventKind::CommandExecute), &handler))
    {
        state->SetState(VyrCommandStateValue::Enabled);
        return S_OK;
    }
    return S_FALSE;
}

HRESULT VyrEventHandlerBase::InvokeCommand(ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second)
{
    return Dispatch(CommandTrigger(commandId, static_cast<VyrEventKind>(kind)),
                    {.id = commandId, .first = first, .second = second});
}

bool VyrEventHandlerBase::DispatchMessage(IMessage* message)
{
    if (!message)
        return false;
    ULONG id = 0;
    ULONG flags = 0;
    message->GetId(&id);
    message->GetFlags(&flags);
    currentMessageFlags_ = flags;
    void* handler = nullptr;
    const VyrEventMapEntry* entry = FindEventEntry(MsgEventTrigger(id, flags), &handler);
    return entry && entry->thunk(handler, {.id = id, .message = message}) == S_OK;
}

bool VyrEventHandlerBase::DispatchStoredMessage(IVyrObjectContainer* container, ULONG_PTR key)
{
    if (!container)
        return true;
    Orv::ComPtr<IUnknown> stored;
    if (FAILED(container->GetStoredObject(key, stored.Put())) || !stored)
        return true;
    const Orv::ComPtr<IMessage> message = stored.As<IMessage>(IID_IMessage);
    if (!message)
        return true;
    DispatchMessage(message.Get());
    return false;
}

void VyrEventHandlerBase::NotifyObserverEvent(ULONG eventId, void* data)
{
    Dispatch(ObserverEventTrigger(eventId), {.id = eventId, .data = data});
}
