// How module and host talk once registered: message ids, subjects and observers, message objects,
// their router and creator, and the command handlers the host calls.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrIds.h"

#include <unknwn.h>

struct IAutoOrvString;
struct ISubject;

// One 16-bit code per GUID, assigned on first request and stable for the life of the process.
struct IMsgIdRegistry : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetCode(const GUID* guid, USHORT* code) = 0;                      // 3
    virtual HRESULT STDMETHODCALLTYPE GetGuid(USHORT code, GUID* guid) = 0;                             // 4
    VYR_RESERVED_SLOT(5)
    virtual HRESULT STDMETHODCALLTYPE IdToText(ULONG reserved, ULONG id, IAutoOrvString** text) = 0;    // 6
    virtual HRESULT STDMETHODCALLTYPE TextToId(ULONG reserved, IAutoOrvString* text, ULONG* id) = 0;    // 7
};

struct IObserver : IUnknown
{
    // 3: subscribes this observer to the events it handles of subject.
    virtual HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject* subject) = 0;
    // 4: one event of subject; data is the event's own record (for model changes, the changed-id set).
    virtual HRESULT STDMETHODCALLTYPE Notify(ISubject* subject, ULONG eventId, ULONG_PTR context, void* data) = 0;
};

struct ISubject : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Notify(ULONG eventId, void* data) = 0;                                // 3
    virtual HRESULT STDMETHODCALLTYPE AddObserver(IObserver* observer) = 0;                                 // 4
    virtual HRESULT STDMETHODCALLTYPE RemoveObserver(IObserver* observer) = 0;                              // 5
    virtual HRESULT STDMETHODCALLTYPE AddObserverForEvent(IObserver* observer, ULONG eventId, ULONG flags) = 0; // 6
    // 7: the subject's deleting destructor.
    virtual void STDMETHODCALLTYPE Destroy() = 0;
};

// Keeps every subject's observer lists, keyed by the subject's address; holds no references.
struct ISubjectManager : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE AddObserver(ISubject* subject, IObserver* observer) = 0;              // 3
    virtual HRESULT STDMETHODCALLTYPE RemoveObserver(ISubject* subject, IObserver* observer) = 0;           // 4
    virtual HRESULT STDMETHODCALLTYPE Notify(ISubject* subject, ULONG eventId, void* data) = 0;             // 5
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    virtual HRESULT STDMETHODCALLTYPE AddObserverForEvent(ISubject* subject, IObserver* observer, ULONG eventId,
                                                          ULONG flags) = 0;                                // 8
    virtual HRESULT STDMETHODCALLTYPE ForgetSubject(ISubject* subject) = 0;                                 // 9
    virtual HRESULT STDMETHODCALLTYPE ForgetObserver(IObserver* observer) = 0;                              // 10
};

struct IPersistObject : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetClassId(ULONG* typeId) = 0;                                    // 3
    virtual HRESULT STDMETHODCALLTYPE Save(IStream* stream) = 0;                                        // 4
    virtual HRESULT STDMETHODCALLTYPE Load(IStream* stream) = 0;                                        // 5
};

// Message flags the framework gives a meaning.
namespace VyrMessageFlag
{
constexpr ULONG NotToSender = 0x08;   // not delivered back to the handler whose sender sent it
constexpr ULONG HasOrigin = 0x40;     // made with an origin id pair
} // namespace VyrMessageFlag

struct IMessage : IPersistObject
{
    virtual HRESULT STDMETHODCALLTYPE GetId(ULONG* id) = 0;                                             // 6
    virtual HRESULT STDMETHODCALLTYPE GetFlags(ULONG* flags) = 0;                                       // 7
    virtual HRESULT STDMETHODCALLTYPE GetPayloadSize(ULONG* size) = 0;                                  // 8
    virtual HRESULT STDMETHODCALLTYPE GetPayload(const void** payload) = 0;                             // 9
    // 10: the sender is an identity only, never called; null clears it.
    virtual HRESULT STDMETHODCALLTYPE SetSender(const void* sender) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsFromSender(const void* sender, VARIANT_BOOL* answer) = 0;       // 11
};

// The creator's third to fifth words of a message the stand-in made (origin id pair, context word).
struct IVyrMessageWords : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetCreatorWords(ULONG* originId, ULONG* originPresent, ULONG* context) = 0; // 3
};

struct ISimpleMessageHandler : IUnknown
{
    // 3: 1 when handled, 0 when not.
    virtual HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) = 0;
};

struct IMessageHandler : ISimpleMessageHandler
{
    virtual HRESULT STDMETHODCALLTYPE AddHandler(IMessageHandler* child) = 0;                           // 4
    virtual HRESULT STDMETHODCALLTYPE RemoveHandler(IMessageHandler* child) = 0;                        // 5
    virtual HRESULT STDMETHODCALLTYPE SetParent(IMessageHandler* parent) = 0;                           // 6
    virtual HRESULT STDMETHODCALLTYPE GetTarget(IUnknown** outer) = 0;                                  // 7
    virtual BOOL STDMETHODCALLTYPE AcceptsMessage(IMessage* message) = 0;                               // 8
};

struct IMessageRouter : IUnknown
{
    // 3: hands message to the message-handler tree of target; S_OK handled, S_FALSE not.
    virtual HRESULT STDMETHODCALLTYPE Deliver(IMessage* message, IUnknown* target) = 0;
};

struct IMessageCreator : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    // 9: a new message. The payload record starts with its type word (one 4-bit code per value, first
    // value lowest: 1 u32/bool, 2 i32, 3 double, 7 text reference) and is copied into the message.
    virtual HRESULT STDMETHODCALLTYPE MakeMessage(ULONG id, ULONG flags, ULONG originId, ULONG originPresent,
                                                  ULONG context, const void* payload, IMessage** message) = 0;
};

// The state of a menu command or toolbar button while the host asks whether it is enabled.
struct IVyrCommandState : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetState(ULONG* state) = 0;                                       // 3
    virtual HRESULT STDMETHODCALLTYPE SetState(ULONG state) = 0;                                        // 4
};

namespace VyrCommandStateValue
{
constexpr ULONG Enabled = 0xFFFF;
}

struct IVyrCommandHandler : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Execute(ULONG commandId) = 0;                                     // 3
    virtual HRESULT STDMETHODCALLTYPE QueryState(ULONG commandId, IVyrCommandState* state) = 0;         // 4
    virtual HRESULT STDMETHODCALLTYPE Invoke(ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second) = 0; // 5
};

// What a host command handler fills in when asked whether one command is enabled, how it reads and
// its check state; the host's command state answers it beside its own face.
inline constexpr IID IID_IVyrCommandEnabler = {0x812082B4, 0xB7F0, 0x11D3, {0x80, 0xC8, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
struct IVyrCommandEnabler : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetText(IAutoOrvString* text) = 0;                                 // 3
    virtual HRESULT STDMETHODCALLTYPE Enable(VARIANT_BOOL enable) = 0;                                    // 4
    virtual HRESULT STDMETHODCALLTYPE SetState(ULONG bits, ULONG mask) = 0;                               // 5
    virtual HRESULT STDMETHODCALLTYPE GetTag(ULONG reserved, ULONG* tag) = 0;                             // 6
};

// A host command that answers an enabler's question.
struct IVyrCommandUpdater : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Update(IVyrCommandEnabler* enabler, ULONG reserved) = 0;               // 3
};

// The host's container of stored objects (such as a message a document is to dispatch later).
struct IVyrObjectContainer : IUnknown
{
    // 3: keeps the object under the key (null forgets it); the host's own operation.
    virtual HRESULT STDMETHODCALLTYPE StoreObject(ULONG_PTR key, IUnknown* object)
    {
        (void)key, (void)object;
        return E_NOTIMPL;
    }
    // 4: the object kept under the key, with one reference; the host hands a stored message out once.
    virtual HRESULT STDMETHODCALLTYPE GetStoredObject(ULONG_PTR key, IUnknown** object) = 0;
};
// (a stand-in id: the module only calls the container's slots)
inline constexpr IID IID_IVyrObjectContainer = {0x6F0D3B52, 0x1A7E, 0x4C29, {0x9B, 0x44, 0x2E, 0x81, 0x5D, 0x07, 0xC3, 0x6A}};
