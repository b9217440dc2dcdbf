// The two families of event receivers: COM objects that are handlers themselves, and plain objects
// (windows, views) that the host reaches through a small counted proxy.
#pragma once

#include "foundation/com/ComObjectRoot.h"
#include "hostframework/messaging/EventMaps.h"
#include "hostframework/messaging/MessageSenders.h"

#include <vector>

template <int Variant>
class VyrEventHandlerT;

// The handler faces of a COM object; the object supplies IUnknown.
template <>
class VyrEventHandlerT<1> : public IVyrCommandHandler,
                            public IObserver,
                            public VyrEventHandlerBase,
                            public VyrMessageHandler
{
public:
    VyrEventHandlerT() = default;
    ~VyrEventHandlerT() override;

    HRESULT STDMETHODCALLTYPE Execute(ULONG commandId) override;
    HRESULT STDMETHODCALLTYPE QueryState(ULONG commandId, IVyrCommandState* state) override;
    HRESULT STDMETHODCALLTYPE Invoke(ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second) override;

    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject* subject) override;
    HRESULT STDMETHODCALLTYPE Notify(ISubject* subject, ULONG eventId, ULONG_PTR context, void* data) override;

    // The handler's own map first, then its child handlers.
    HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) override;

protected:
    // The handler faces, for the object's QueryInterface once its own faces (its identity among them)
    // did not answer.
    HRESULT QueryHandlerFaces(REFIID iid, void** object);
};

class VyrCppEventHandler;

// What the host holds for a plain object: forwards into the object's maps while it lives, and answers
// harmlessly once it is gone.
class VyrProxyEventHandler final : public IVyrCommandHandler,
                                   public IObserver,
                                   public VyrMessageHandler,
                                   private Orv::CComObjectRoot
{
public:
    // Made with no reference; the creator takes the first.
    explicit VyrProxyEventHandler(VyrCppEventHandler* handler) : handler_(handler) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    // Calls made while the proxy is destroyed never bring the count to zero again.
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE Execute(ULONG commandId) override;
    HRESULT STDMETHODCALLTYPE QueryState(ULONG commandId, IVyrCommandState* state) override;
    HRESULT STDMETHODCALLTYPE Invoke(ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second) override;
    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject* subject) override;
    HRESULT STDMETHODCALLTYPE Notify(ISubject* subject, ULONG eventId, ULONG_PTR context, void* data) override;
    HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) override;

    void AttachHandler(VyrCppEventHandler* handler) { handler_ = handler; }
    void DetachHandler() { handler_ = nullptr; }
    bool IsAttached() const { return handler_ != nullptr; }

private:
    ~VyrProxyEventHandler() override;

    VyrCppEventHandler* handler_;
};

// Base of a plain object that handles host events through its proxy.
class VyrCppEventHandler : public VyrEventHandlerBase, public VyrMessageSender
{
public:
    VyrCppEventHandler();
    ~VyrCppEventHandler() override;

    // Replaces the proxy; the new one observes every subject observed so far.
    void SetProxy(VyrProxyEventHandler* proxy);
    // Delivers subject's events to this object's maps through the proxy.
    void Observe(ISubject* subject);

    // The face the host holds.
    IObserver* Proxy() const { return proxy_.Get(); }

private:
    friend class VyrProxyEventHandler;

    Orv::ComPtr<IObserver> proxy_;
    VyrProxyEventHandler* proxyObject_ = nullptr;
    std::vector<ISubject*> observed_;   // not counted: subjects outlive the views that watch them
};
