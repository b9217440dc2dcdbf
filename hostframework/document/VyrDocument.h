// The module's documents as the host sees them: a document aggregates the host's implementation of a
// document and answers the host's document, command, observer and message interfaces itself, passing
// every other interface to the implementation.
#pragma once

#include "hostapi/VyrDocuments.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "hostframework/messaging/EventHandlers.h"

struct IHostApplication;

class VyrDocument : public ICustomDocument2, public VyrEventHandlerT<1>, protected Orv::CComObjectRoot
{
public:
    // hostDocument: the host's document object (may be null); documentClass: the class that made it.
    VyrDocument(IUnknown* hostDocument, IUnknown* documentClass, ULONG creationFlags);
    VyrDocument(const VyrDocument&) = delete;
    VyrDocument& operator=(const VyrDocument&) = delete;

    // IUnknown of the whole document: the derived document's faces, then the document's own, then the
    // implementation's.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    // ICustomDocument2
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE IsModuleDocument(VARIANT_BOOL* answer) override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE GetExtension(IUnknown** extension) override;
    HRESULT STDMETHODCALLTYPE GetCreationFlags(ULONG* flags) override;
    HRESULT STDMETHODCALLTYPE GetHostInterface(IUnknown** host) override;
    HRESULT STDMETHODCALLTYPE GetPersister(ULONG kind, ULONG type, void** reserved, IUnknown** persister) override;
    HRESULT STDMETHODCALLTYPE SetName(ULONG reserved, IAutoOrvString* name) override;
    HRESULT STDMETHODCALLTYPE GetName(ULONG reserved, IAutoOrvString** name) override;
    HRESULT STDMETHODCALLTYPE GetHostValue(ULONG* value) override;
    HRESULT STDMETHODCALLTYPE SetHostValue(ULONG value) override;
    HRESULT STDMETHODCALLTYPE OnAttached(ULONG_PTR argument) override;
    HRESULT STDMETHODCALLTYPE OnHostEvent(ULONG_PTR, ULONG_PTR, ULONG_PTR, ULONG_PTR, ULONG_PTR) override;
    HRESULT STDMETHODCALLTYPE OnHostValue16(ULONG_PTR, ULONG_PTR) override;
    HRESULT STDMETHODCALLTYPE OnHostValue17(ULONG_PTR, ULONG_PTR) override;

    // The implementation's observer and message handler hear everything first.
    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject* subject) override;
    HRESULT STDMETHODCALLTYPE Notify(ISubject* subject, ULONG eventId, ULONG_PTR context, void* data) override;
    HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) override;

    // Delivers the message id with its payload to every view of the document.
    void BroadcastToViews(ULONG messageId, const void* payload);
    // The document frame's UI services (used like the host application); null when unavailable.
    IHostApplication* GetFrameServices();

    // The host's document object as the document was given it (not counted).
    IUnknown* HostDocumentObject() const { return hostObject_; }
    IUnknown* Outer() { return static_cast<ICustomDocument2*>(this); }

protected:
    ~VyrDocument() override;

    // The derived document's own faces; null for an interface it does not answer.
    virtual void* FindOwnInterface(REFIID iid);

private:
    template <class Interface>
    Interface* InnerFace(Interface*& cache, REFIID iid);

    ULONG creationFlags_;
    ULONG hostValue_ = 0;
    Orv::String name_;
    Orv::String title_;
    IUnknown* hostObject_;
    IUnknown* hostFace_ = nullptr;
    Orv::ComPtr<IUnknown> inner_;
    Orv::ComPtr<IUnknown> documentClass_;
    Orv::ComPtr<ICustomDocClass> documentClassInner_;
    // Faces of the implementation, held without a reference (they are the document's own).
    IMessageHandler* innerHandler_ = nullptr;
    IObserver* innerObserver_ = nullptr;
    ISubject* innerBroadcaster_ = nullptr;
    IVyrDocumentFrame* innerFrame_ = nullptr;
    Orv::ComPtr<IUnknown> frameServices_;
};

// A host object of the type for the two values (host object service slot 14); null without the service.
Orv::ComPtr<IUnknown> CreateHostObjectByType(ULONG type, ULONG first, ULONG second);
// A new host object of the type for the two values, as the host's context object (slot 12): what a
// message is sent in the context of; null without the service.
Orv::ComPtr<IUnknown> CreateHostObject(ULONG type, ULONG first, ULONG second);
// The word a message carries to be sent in the object's context; 0 for none.
ULONG HostContextWord(IUnknown* object);
