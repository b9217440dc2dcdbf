#include "hostframework/messaging/EventHandlers.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "hostframework/services/HostServices.h"

#include <new>

namespace
{

constexpr size_t InitialSubjectCapacity = 8;

void ForgetObserver(IObserver* observer)
{
    if (ISubjectManager* manager = SubjectManagerAccessor::Get())
        manager->ForgetObserver(observer);
}

// The handler faces' bodies, shared by a COM handler (its own maps) and a proxy (the maps of the plain
// object it stands for, null once that object is gone: then every call is answered harmlessly).
HRESULT ExecuteIn(VyrEventHandlerBase* maps, ULONG commandId)
{
    return Orv::CatchReturn([&] { return maps ? maps->ExecuteCommand(commandId) : S_OK; });
}

HRESULT QueryStateIn(VyrEventHandlerBase* maps, ULONG commandId, IVyrCommandState* state)
{
    return Orv::CatchReturn([&] { return maps ? maps->QueryCommandState(commandId, state) : S_OK; });
}

HRESULT InvokeIn(VyrEventHandlerBase* maps, ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second)
{
    return Orv::CatchReturn([&] { return maps ? maps->InvokeCommand(commandId, kind, first, second) : S_OK; });
}

HRESULT RegisterEventsOf(VyrEventHandlerBase* maps, ISubject* subject, IObserver* observer)
{
    if (!maps)
        return S_FALSE;
    if (!subject)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        RegisterAction action(subject, observer);
        maps->ForEachEntry(action);
    });
}

// What a notification handler throws is its own failure; the subject that notifies is told S_OK.
HRESULT NotifyIn(VyrEventHandlerBase* maps, ULONG eventId, void* data)
{
    Orv::CatchReturn([&] {
        if (maps)
            maps->NotifyObserverEvent(eventId, data);
    });
    return S_OK;
}

} // namespace

VyrEventHandlerT<1>::~VyrEventHandlerT()
{
    ForgetObserver(this);
}

HRESULT STDMETHODCALLTYPE VyrEventHandlerT<1>::Execute(ULONG commandId)
{
    return ExecuteIn(this, commandId);
}

HRESULT STDMETHODCALLTYPE VyrEventHandlerT<1>::QueryState(ULONG commandId, IVyrCommandState* state)
{
    return QueryStateIn(this, commandId, state);
}

HRESULT STDMETHODCALLTYPE VyrEventHandlerT<1>::Invoke(ULONG commandId, ULONG kind, ULONG_PTR first,
                                                      ULONG_PTR second)
{
    return InvokeIn(this, commandId, kind, first, second);
}

HRESULT STDMETHODCALLTYPE VyrEventHandlerT<1>::RegisterEvents(ISubject* subject)
{
    return RegisterEventsOf(this, subject, this);
}

HRESULT STDMETHODCALLTYPE VyrEventHandlerT<1>::Notify(ISubject*, ULONG eventId, ULONG_PTR, void* data)
{
    return NotifyIn(this, eventId, data);
}

HRESULT STDMETHODCALLTYPE VyrEventHandlerT<1>::HandleMessage(IMessage* message)
{
    return HandledOrNot([&]() -> HRESULT {
        if (!AcceptsMessage(message))
            return 0;
        if (DispatchMessage(message))
            return 1;
        return OfferToChildren(message);
    });
}

HRESULT VyrEventHandlerT<1>::QueryHandlerFaces(REFIID iid, void** object)
{
    return Orv::QueryFaces(iid, object,
                           {{static_cast<IVyrCommandHandler*>(this), {IID_IVyrCommandHandler}},
                            {static_cast<IObserver*>(this), {IID_IObserver}},
                            {static_cast<IMessageHandler*>(this), {IID_IMessageHandler}}});
}

HRESULT STDMETHODCALLTYPE VyrProxyEventHandler::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryFaces(iid, object,
                           {{static_cast<IVyrCommandHandler*>(this), {IID_IVyrCommandHandler}},
                            {static_cast<IObserver*>(this), {IID_IObserver}},
                            {static_cast<IMessageHandler*>(this), {IID_IMessageHandler}}});
}

VyrProxyEventHandler::~VyrProxyEventHandler()
{
    if (handler_ && handler_->proxyObject_ == this)
        handler_->proxyObject_ = nullptr;
    ForgetObserver(this);
}

HRESULT STDMETHODCALLTYPE VyrProxyEventHandler::Execute(ULONG commandId)
{
    return ExecuteIn(handler_, commandId);
}

HRESULT STDMETHODCALLTYPE VyrProxyEventHandler::QueryState(ULONG commandId, IVyrCommandState* state)
{
    return QueryStateIn(handler_, commandId, state);
}

HRESULT STDMETHODCALLTYPE VyrProxyEventHandler::Invoke(ULONG commandId, ULONG kind, ULONG_PTR first,
                                                       ULONG_PTR second)
{
    return InvokeIn(handler_, commandId, kind, first, second);
}

HRESULT STDMETHODCALLTYPE VyrProxyEventHandler::RegisterEvents(ISubject* subject)
{
    return RegisterEventsOf(handler_, subject, this);
}

HRESULT STDMETHODCALLTYPE VyrProxyEventHandler::Notify(ISubject*, ULONG eventId, ULONG_PTR, void* data)
{
    return NotifyIn(handler_, eventId, data);
}

HRESULT STDMETHODCALLTYPE VyrProxyEventHandler::HandleMessage(IMessage* message)
{
    return HandledOrNot([&]() -> HRESULT {
        if (!AcceptsMessage(message))
            return 0;
        // The plain object's own messages flagged not-to-sender do not come back to it.
        if (handler_ && IsOwnNotToSenderMessage(message, *handler_))
            return 0;
        if (handler_)
            if (const HRESULT handled = handler_->HandleMessage(message))
                return handled;
        return OfferToChildren(message);
    });
}

VyrCppEventHandler::VyrCppEventHandler()
{
    observed_.reserve(InitialSubjectCapacity);
    SetProxy(new VyrProxyEventHandler(this));
}

VyrCppEventHandler::~VyrCppEventHandler()
{
    if (proxyObject_)
        proxyObject_->DetachHandler();
    proxyObject_ = nullptr;
    proxy_.Reset();
    observed_.clear();
    VyrMessageSender::Detach();
}

void VyrCppEventHandler::SetProxy(VyrProxyEventHandler* proxy)
{
    if (proxyObject_)
        proxyObject_->DetachHandler();
    proxy_ = Orv::ComPtr<IObserver>(proxy);
    proxyObject_ = proxy;
    if (!proxy)
    {
        VyrMessageSender::Detach();
        return;
    }
    proxy->AttachHandler(this);
    Orv::ComPtr<IUnknown> outer;
    static_cast<IMessageHandler*>(proxy)->GetTarget(outer.Put());
    IUnknown* target = outer.Get();
    SetTarget(target, std::move(outer));
    for (ISubject* subject : observed_)
        subject->AddObserver(proxy);
}

void VyrCppEventHandler::Observe(ISubject* subject)
{
    if (!subject)
        return;
    if (proxyObject_)
        subject->AddObserver(proxyObject_);
    observed_.push_back(subject);
}
