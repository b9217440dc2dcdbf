// Sending message objects through the host's router, and the tree of message handlers they reach.
#pragma once

#include "hostapi/VyrMessaging.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"

#include <utility>
#include <vector>

// The answer of a message handler's body: a handler that failed (or threw) did not handle the message.
template <class Body>
HRESULT HandledOrNot(Body&& body) noexcept
{
    const HRESULT result = Orv::CatchReturn(std::forward<Body>(body));
    return FAILED(result) ? 0 : result;
}

// A message's data as the module's senders hand it over: id, flags, then the payload record that the
// host's message creator copies (its type word first).
struct MsgPayload0
{
    ULONG typeWord = 0;
};

template <class Payload = MsgPayload0>
struct MsgData
{
    ULONG id;
    ULONG flags;
    Payload payload;
};

class VyrMessageSender
{
public:
    VyrMessageSender() = default;
    VyrMessageSender(const VyrMessageSender&) = delete;
    VyrMessageSender& operator=(const VyrMessageSender&) = delete;
    virtual ~VyrMessageSender() = default;

    // Delivers message to target's handlers, stamped with this sender while it travels.
    virtual HRESULT Send(IUnknown* target, IMessage* message);
    // Lets go of the target.
    virtual void Detach();

    template <class Payload>
    HRESULT SendMsg(IUnknown* target, const MsgData<Payload>& data, ULONG extraFlags)
    {
        return SendMsgThrough(HostMessageCreator(), target, data, extraFlags);
    }
    // SendMsg with a given message creator.
    template <class Payload>
    HRESULT SendMsgThrough(IMessageCreator* creator, IUnknown* target, const MsgData<Payload>& data, ULONG extraFlags)
    {
        return SendNewMessage(creator, target, data.id, data.flags | extraFlags, {}, &data.payload);
    }
    template <class Payload>
    HRESULT SendMsgWithContext(IUnknown* target, const MsgData<Payload>& data, ULONG extraFlags, const ULONG* context)
    {
        return SendNewMessage(HostMessageCreator(), target, data.id, data.flags | extraFlags, {0, 0, context ? *context : 0},
                              &data.payload);
    }
    template <class Payload>
    HRESULT SendMsgFromOrigin(IUnknown* target, const MsgData<Payload>& data, ULONG extraFlags, ULONG origin1,
                              ULONG origin2)
    {
        return SendNewMessage(HostMessageCreator(), target, data.id, data.flags | extraFlags, {origin1, origin2, 0},
                              &data.payload);
    }

    // Sends a ready message to this sender's own target.
    HRESULT SendToTarget(IMessage* message);

    // What a message names as its sender; compared, never called.
    const void* SenderIdentity() const { return this; }
    IUnknown* Target() const { return target_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

protected:
    // held keeps the target's owner alive when the target is not this object itself.
    void SetTarget(IUnknown* target, Orv::ComPtr<IUnknown> held);

private:
    struct CreatorWords
    {
        ULONG origin1;
        ULONG origin2;
        ULONG context;
    };

    static IMessageCreator* HostMessageCreator();
    HRESULT SendNewMessage(IMessageCreator* creator, IUnknown* target, ULONG id, ULONG flags, CreatorWords words,
                           const void* payload);

    IUnknown* target_ = nullptr;
    Orv::ComPtr<IUnknown> held_;
    bool enabled_ = true;
};

// A node of a message-handler tree. Not reference counted itself: the embedding object supplies IUnknown.
class VyrMessageHandler : public IMessageHandler, public VyrMessageSender
{
public:
    VyrMessageHandler();
    ~VyrMessageHandler() override;

    // Offers the message to each child in turn; 1 at the first that handles it.
    HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) override;
    HRESULT STDMETHODCALLTYPE AddHandler(IMessageHandler* child) override;
    HRESULT STDMETHODCALLTYPE RemoveHandler(IMessageHandler* child) override;
    HRESULT STDMETHODCALLTYPE SetParent(IMessageHandler* parent) override;
    HRESULT STDMETHODCALLTYPE GetTarget(IUnknown** outer) override;
    // Refuses a message flagged not-to-sender that this handler's own sender part sent.
    BOOL STDMETHODCALLTYPE AcceptsMessage(IMessage* message) override;

    void Detach() override;

    IMessageHandler* Parent() const { return parent_; }
    size_t ChildCount() const { return children_.size(); }

protected:
    HRESULT OfferToChildren(IMessage* message);

private:
    void AttachParent(IMessageHandler* parent);
    void ReleaseChildren();

    std::vector<Orv::ComPtr<IMessageHandler>> children_;
    IMessageHandler* parent_ = nullptr;
};

// True when message carries the not-to-sender flag and sender sent it.
bool IsOwnNotToSenderMessage(IMessage* message, const VyrMessageSender& sender);
