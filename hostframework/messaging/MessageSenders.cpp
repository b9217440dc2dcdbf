#include "hostframework/messaging/MessageSenders.h"

#include "hostframework/services/HostServices.h"

#include <algorithm>

namespace
{

constexpr size_t InitialChildCapacity = 8;

// The stamp a message carries only while it is being delivered, also when delivery throws.
class SenderStamp
{
public:
    SenderStamp(IMessage& message, const void* sender) : message_(message) { message_.SetSender(sender); }
    ~SenderStamp() { message_.SetSender(nullptr); }
    SenderStamp(const SenderStamp&) = delete;
    SenderStamp& operator=(const SenderStamp&) = delete;

private:
    IMessage& message_;
};

IUnknown* AsUnknown(IMessageHandler* handler)
{
    return handler;
}

} // namespace

HRESULT VyrMessageSender::Send(IUnknown* target, IMessage* message)
{
    if (!enabled_)
        return E_FAIL;
    if (!message)
        return E_POINTER;
    const Orv::ComPtr<IMessage> hold(message);
    IMessageRouter* router = MessageRouterAccessor::Get();
    if (!router)
        return E_FAIL;
    SenderStamp stamp(*message, SenderIdentity());
    return router->Deliver(message, target);
}

void VyrMessageSender::Detach()
{
    held_.Reset();
    target_ = nullptr;
}

HRESULT VyrMessageSender::SendToTarget(IMessage* message)
{
    const Orv::ComPtr<IMessage> hold(message);
    return Send(target_, message);
}

void VyrMessageSender::SetTarget(IUnknown* target, Orv::ComPtr<IUnknown> held)
{
    held_ = std::move(held);
    target_ = target;
}

IMessageCreator* VyrMessageSender::HostMessageCreator()
{
    return MessageCreatorAccessor::Get();
}

HRESULT VyrMessageSender::SendNewMessage(IMessageCreator* creator, IUnknown* target, ULONG id, ULONG flags,
                                         CreatorWords words, const void* payload)
{
    if (!creator)
        return E_FAIL;
    Orv::ComPtr<IMessage> message;
    const HRESULT made =
        creator->MakeMessage(id, flags, words.origin1, words.origin2, words.context, payload, message.Put());
    // A creator that answers without a message has nothing to send.
    if (FAILED(made) || !message)
        return E_FAIL;
    return Send(target, message.Get());
}

VyrMessageHandler::VyrMessageHandler()
{
    children_.reserve(InitialChildCapacity);
    SetTarget(AsUnknown(this), nullptr);
}

VyrMessageHandler::~VyrMessageHandler()
{
    if (IMessageHandler* parent = std::exchange(parent_, nullptr))
        parent->RemoveHandler(this);
    ReleaseChildren();
}

HRESULT VyrMessageHandler::OfferToChildren(IMessage* message)
{
    // A child may remove itself while it handles the message: walk a counted copy.
    const std::vector<Orv::ComPtr<IMessageHandler>> children = children_;
    for (const auto& child : children)
        if (child->HandleMessage(message) != 0)
            return 1;
    return 0;
}

HRESULT STDMETHODCALLTYPE VyrMessageHandler::HandleMessage(IMessage* message)
{
    return HandledOrNot([&] { return OfferToChildren(message); });
}

HRESULT STDMETHODCALLTYPE VyrMessageHandler::AddHandler(IMessageHandler* child)
{
    if (!child)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        children_.emplace_back(child);
        child->SetParent(this);
    });
}

HRESULT STDMETHODCALLTYPE VyrMessageHandler::RemoveHandler(IMessageHandler* child)
{
    if (!child)
        return S_FALSE;
    child->SetParent(nullptr);
    const auto found = std::find_if(children_.begin(), children_.end(),
                                    [child](const Orv::ComPtr<IMessageHandler>& c) { return c.Get() == child; });
    if (found == children_.end())
        return E_FAIL;
    const Orv::ComPtr<IMessageHandler> released = std::move(*found);
    children_.erase(found);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrMessageHandler::SetParent(IMessageHandler* parent)
{
    parent_ = parent;
    AttachParent(parent);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrMessageHandler::GetTarget(IUnknown** outer)
{
    if (!outer)
        return E_POINTER;
    *outer = Target();
    if (*outer)
        (*outer)->AddRef();
    return S_OK;
}

BOOL STDMETHODCALLTYPE VyrMessageHandler::AcceptsMessage(IMessage* message)
{
    return message && !IsOwnNotToSenderMessage(message, *this);
}

void VyrMessageHandler::Detach()
{
    if (IMessageHandler* parent = std::exchange(parent_, nullptr))
        parent->RemoveHandler(this);
    ReleaseChildren();
    VyrMessageSender::Detach();
}

void VyrMessageHandler::AttachParent(IMessageHandler* parent)
{
    if (!parent)
    {
        SetTarget(AsUnknown(this), nullptr);
        return;
    }
    Orv::ComPtr<IUnknown> outer;
    parent->GetTarget(outer.Put());
    IUnknown* target = outer.Get();
    // Held only when it is not the parent itself, which holds this handler and must not be held back.
    SetTarget(target, target == AsUnknown(parent) ? nullptr : std::move(outer));
}

void VyrMessageHandler::ReleaseChildren()
{
    std::vector<Orv::ComPtr<IMessageHandler>> children;
    children.swap(children_);
    for (const auto& child : children)
        child->SetParent(nullptr);
}

bool IsOwnNotToSenderMessage(IMessage* message, const VyrMessageSender& sender)
{
    ULONG flags = 0;
    if (FAILED(message->GetFlags(&flags)) || !(flags & VyrMessageFlag::NotToSender))
        return false;
    VARIANT_BOOL fromSender = VARIANT_FALSE;
    return SUCCEEDED(message->IsFromSender(sender.SenderIdentity(), &fromSender)) && fromSender != VARIANT_FALSE;
}
