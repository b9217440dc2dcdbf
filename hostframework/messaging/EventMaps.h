// Event maps: static tables that bind an id and a kind of host call (command, enable query, popup,
// observer notification, message) to a member function, searched by one generic dispatcher.
//
// Each entry calls its member through a thunk instantiated for the handler class and the member, so
// the table holds plain function pointers and no member pointer: the handler object is stored as a
// pointer to the class whose map matched, and the thunk converts it back to that same class.
#pragma once

#include "hostapi/VyrMessaging.h"
#include "hostframework/messaging/MessageIds.h"

#include <cstdint>
#include <type_traits>

enum class VyrEventKind : uint8_t
{
    End = 0,
    Header = 1,
    CommandExecute = 2,
    CommandEnable = 3,
    ObserverEvent = 4,
    Message = 5,
    PopupInit = 6,
    PopupSelect = 7,
};

// What a host call brings to a handler member; each thunk reads the fields of its kind.
struct VyrEventArgs
{
    ULONG id = 0;
    IVyrCommandState* state = nullptr;
    ULONG_PTR first = 0;
    ULONG_PTR second = 0;
    void* data = nullptr;
    IMessage* message = nullptr;
};

using VyrEventThunk = HRESULT (*)(void* handler, const VyrEventArgs& args);

struct VyrEventMapEntry
{
    VyrEventKind kind;
    uint8_t flags;      // header only: Unresolved until the ids are filled in
    uint16_t variant;   // commands: SingleId or IdRange; messages: low half of the id mask
    uint32_t id;
    uint32_t rangeEnd;  // first id past a range
    uint32_t reserved;
    IdGetter idGetter;
    IdGetter rangeEndGetter;
    VyrEventThunk thunk;
};

class EventTrigger
{
public:
    virtual VyrEventKind GetKind() const = 0;
    virtual bool Matches(const VyrEventMapEntry& entry) const = 0;

protected:
    ~EventTrigger() = default;
};

class CommandTrigger final : public EventTrigger
{
public:
    CommandTrigger(ULONG commandId, VyrEventKind kind) : commandId_(commandId), kind_(kind) {}
    VyrEventKind GetKind() const override { return kind_; }
    bool Matches(const VyrEventMapEntry& entry) const override;

private:
    ULONG commandId_;
    VyrEventKind kind_;
};

class ObserverEventTrigger final : public EventTrigger
{
public:
    explicit ObserverEventTrigger(ULONG eventId) : eventId_(eventId) {}
    VyrEventKind GetKind() const override { return VyrEventKind::ObserverEvent; }
    bool Matches(const VyrEventMapEntry& entry) const override { return entry.id == eventId_; }

private:
    ULONG eventId_;
};

class MsgEventTrigger final : public EventTrigger
{
public:
    MsgEventTrigger(ULONG messageId, ULONG flags) : messageId_(messageId), flags_(flags) {}
    VyrEventKind GetKind() const override { return VyrEventKind::Message; }
    // The mask keeps the GUID code and the entry's variant of the number: variant 0 takes every
    // message under the code.
    bool Matches(const VyrEventMapEntry& entry) const override;
    ULONG Flags() const { return flags_; }

private:
    ULONG messageId_;
    ULONG flags_;
};

class TableEntryAction
{
public:
    virtual void Apply(const VyrEventMapEntry& entry) = 0;

protected:
    ~TableEntryAction() = default;
};

// Subscribes an observer to every notification a map names.
class RegisterAction final : public TableEntryAction
{
public:
    RegisterAction(ISubject* subject, IObserver* observer) : subject_(subject), observer_(observer) {}
    void Apply(const VyrEventMapEntry& entry) override;

private:
    ISubject* subject_;
    IObserver* observer_;
};

namespace VyrEventMap
{

constexpr uint8_t Unresolved = 0x02;
constexpr uint16_t SingleId = 0;
constexpr uint16_t IdRange = 1;
constexpr uint16_t ExactId = 0xFFFF;

constexpr VyrEventMapEntry Header()
{
    return {VyrEventKind::Header, Unresolved, 0, 0, 0, 0, nullptr, nullptr, nullptr};
}
constexpr VyrEventMapEntry End()
{
    return {VyrEventKind::End, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr};
}
constexpr VyrEventMapEntry Command(VyrEventKind kind, IdGetter id, VyrEventThunk thunk)
{
    return {kind, 0, SingleId, 0, 0, 0, id, nullptr, thunk};
}
// Commands first <= id < end.
constexpr VyrEventMapEntry CommandRange(VyrEventKind kind, IdGetter first, IdGetter end, VyrEventThunk thunk)
{
    return {kind, 0, IdRange, 0, 0, 0, first, end, thunk};
}
constexpr VyrEventMapEntry Observer(IdGetter id, VyrEventThunk thunk)
{
    return {VyrEventKind::ObserverEvent, 0, 0, 0, 0, 0, id, nullptr, thunk};
}
constexpr VyrEventMapEntry Message(IdGetter id, VyrEventThunk thunk, uint16_t mask = ExactId)
{
    return {VyrEventKind::Message, 0, mask, 0, 0, 0, id, nullptr, thunk};
}

// Fills in the ids of a map whose header says they are unresolved; once per map.
void ResolveIds(VyrEventMapEntry* map);
// The first entry of the trigger's kind that matches, in table order; null at the end record.
const VyrEventMapEntry* FindEntry(VyrEventMapEntry* map, const EventTrigger& trigger);
// Applies action to every record from the header up to the end record.
void ForEach(VyrEventMapEntry* map, TableEntryAction& action);

} // namespace VyrEventMap

// Thunks: one instantiation per handler class and member.
template <class Handler, auto Member>
HRESULT CallMemberNoArgs(void* handler, const VyrEventArgs&)
{
    (void)(static_cast<Handler*>(handler)->*Member)();
    return S_OK;
}

template <class Handler, auto Member>
HRESULT DispatchCommandEnable(void* handler, const VyrEventArgs& args)
{
    (void)(static_cast<Handler*>(handler)->*Member)(*args.state);
    return S_OK;
}

template <class Handler, class Data, auto Member>
HRESULT DispatchObserverEvent(void* handler, const VyrEventArgs& args)
{
    (void)(static_cast<Handler*>(handler)->*Member)(static_cast<Data*>(args.data));
    return S_OK;
}

// What the handler of an automation message answers when it can refuse: a refused message counts as not
// handled (answer 0), the reason left as the thread's error information.
enum class MessageAnswer
{
    Done,
    Refused,
};

// S_OK for a message done (or a handler that always does it), S_FALSE for one refused.
template <class Call>
HRESULT AnswerOfHandler(Call&& call)
{
    if constexpr (std::is_same_v<std::invoke_result_t<Call>, MessageAnswer>)
        return call() == MessageAnswer::Done ? S_OK : S_FALSE;
    else
    {
        (void)call();
        return S_OK;
    }
}

template <class Handler, auto Member>
HRESULT DispatchMessageNoArgs(void* handler, const VyrEventArgs&)
{
    return AnswerOfHandler([handler] { return (static_cast<Handler*>(handler)->*Member)(); });
}

template <class Handler, class Payload, auto Member>
HRESULT DispatchMessageWithPayload(void* handler, const VyrEventArgs& args)
{
    const void* payload = nullptr;
    const HRESULT read = args.message->GetPayload(&payload);
    if (FAILED(read))
        return read;
    if (!payload)
        return E_POINTER;
    return AnswerOfHandler(
        [&] { return (static_cast<Handler*>(handler)->*Member)(*static_cast<const Payload*>(payload)); });
}

template <class Handler, auto Member>
HRESULT DispatchPopupInit(void* handler, const VyrEventArgs& args)
{
    return (static_cast<Handler*>(handler)->*Member)(args.first);
}

template <class Handler, auto Member>
HRESULT DispatchPopupSelect(void* handler, const VyrEventArgs& args)
{
    return (static_cast<Handler*>(handler)->*Member)(args.first, args.second);
}

// The owner of event maps: searches them and dispatches the host's calls.
class VyrEventHandlerBase
{
public:
    VyrEventHandlerBase() = default;
    VyrEventHandlerBase(const VyrEventHandlerBase&) = delete;
    VyrEventHandlerBase& operator=(const VyrEventHandlerBase&) = delete;

    // Searches this class's map, then its handler bases' maps from derived to base; sets handler to the
    // object the matching map's thunks expect.
    virtual const VyrEventMapEntry* FindEventEntry(const EventTrigger& trigger, void** handler);
    virtual void ForEachEntry(TableEntryAction& action);
    // 1 when the message was handled, 0 when not.
    virtual HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message);

    // S_OK after running the execute member; S_FALSE when there is none.
    HRESULT ExecuteCommand(ULONG commandId);
    // S_OK after the enable member, or after marking enabled a command that can only be executed;
    // S_FALSE (state untouched) when the map has neither.
    HRESULT QueryCommandState(ULONG commandId, IVyrCommandState* state);
    // The member's result; S_FALSE when no entry of that kind matches.
    HRESULT InvokeCommand(ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second);
    bool DispatchMessage(IMessage* message);
    // Dispatches the message stored in container under key; true when there was none.
    bool DispatchStoredMessage(IVyrObjectContainer* container, ULONG_PTR key);
    void NotifyObserverEvent(ULONG eventId, void* data);

    ULONG CurrentMessageFlags() const { return currentMessageFlags_; }

protected:
    virtual ~VyrEventHandlerBase() = default;

private:
    HRESULT Dispatch(const EventTrigger& trigger, const VyrEventArgs& args);

    ULONG currentMessageFlags_ = 0;
};

namespace VyrEventMap
{

template <class Class, class Base>
const VyrEventMapEntry* FindInClassMaps(Class* self, VyrEventMapEntry* map, const EventTrigger& trigger,
                                        void** handler)
{
    if (const VyrEventMapEntry* entry = FindEntry(map, trigger))
    {
        *handler = static_cast<void*>(self);
        return entry;
    }
    return self->Base::FindEventEntry(trigger, handler);
}

} // namespace VyrEventMap

// In a class body: the class has its own map, searched before Base's.
#define VYR_DECLARE_EVENT_MAP()                                                                                 \
public:                                                                                                         \
    const VyrEventMapEntry* FindEventEntry(const EventTrigger& trigger, void** handler) override;               \
    void ForEachEntry(TableEntryAction& action) override;                                                       \
                                                                                                                \
private:                                                                                                        \
    static VyrEventMapEntry eventMap_[];

// At namespace scope, followed by the map's initialiser: { Header(), entries..., End() }.
#define VYR_DEFINE_EVENT_MAP(Class, Base)                                                                       \
    const VyrEventMapEntry* Class::FindEventEntry(const EventTrigger& trigger, void** handler)                  \
    {                                                                                                           \
        return VyrEventMap::FindInClassMaps<Class, Base>(this, eventMap_, trigger, handler);                   \
    }                                                                                                           \
    void Class::ForEachEntry(TableEntryAction& action)                                                          \
    {                                                                                                           \
        VyrEventMap::ForEach(eventMap_, action);                                                                \
        Base::ForEachEntry(action);                                                                             \
    }                                                                                                           \
    VyrEventMapEntry Class::eventMap_[] =
