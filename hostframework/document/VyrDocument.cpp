#include "hostframework/document/VyrDocument.h"

#include "hostapi/VyrServices.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "hostframework/services/HostServices.h"

namespace
{

constexpr ULONG ImplementationFlagBit = 0x40000000;

HRESULT CopyBstr(const Orv::String& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = text.IsEmpty() ? nullptr : SysAllocStringLen(text.c_str(), static_cast<UINT>(text.Length()));
    return S_OK;
}

} // namespace

VyrDocument::VyrDocument(IUnknown* hostDocument, IUnknown* documentClass, ULONG creationFlags)
    : creationFlags_(creationFlags), hostObject_(hostDocument), documentClass_(documentClass)
{
    if (documentClass)
        documentClass->QueryInterface(IID_ICustomDocClass, documentClassInner_.PutVoid());
    // The implementation may call back into the document while it is made: a count above 0 keeps such
    // calls from destroying it.
    InternalAddRef();
    Orv::ComPtr<IVyrDocImplFactory> factory;
    if (IVyrObjectFactory* objects = ObjectFactoryAccessor::Get())
        objects->GetObject(VyrTypeId::DocumentImplementation, IID_IVyrDocImplFactory, factory.PutVoid());
    if (factory)
        factory->CreateImplementation(documentClass, hostDocument, Outer(),
                                      (creationFlags & ImplementationFlagBit) ? 1 : 0, inner_.Put());
    InternalRelease();
    // The document's own messages (its commands sent as automation messages) go to itself.
    SetTarget(Outer(), nullptr);
}

VyrDocument::~VyrDocument() = default;

HRESULT STDMETHODCALLTYPE VyrDocument::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (void* face = FindOwnInterface(iid))
    {
        *object = face;
        AddRef();
        return S_OK;
    }
    // The implementation's hidden face is never handed out through the document.
    if (IsEqualIID(iid, IID_VyrHiddenDocumentFace))
        return E_NOINTERFACE;
    HRESULT own = Orv::QueryOneFace(static_cast<ICustomDocument2*>(this), iid, object, IID_ICustomDocument,
                                    IID_ICustomDocument2);
    if (own == E_NOINTERFACE)
        own = QueryHandlerFaces(iid, object);
    return own == E_NOINTERFACE && inner_ ? inner_->QueryInterface(iid, object) : own;
}

void* VyrDocument::FindOwnInterface(REFIID)
{
    return nullptr;
}

template <class Interface>
Interface* VyrDocument::InnerFace(Interface*& cache, REFIID iid)
{
    if (!cache && inner_)
    {
        Orv::ComPtr<Interface> face;
        inner_->QueryInterface(iid, face.PutVoid());
        // A face of an aggregated object counts on the document itself: keeping a reference would keep
        // the document alive for ever.
        cache = face.Get();
    }
    return cache;
}

HRESULT STDMETHODCALLTYPE VyrDocument::GetTitle(BSTR* title)
{
    return CopyBstr(title_, title);
}

HRESULT STDMETHODCALLTYPE VyrDocument::IsModuleDocument(VARIANT_BOOL* answer)
{
    return Orv::AnswerValue(answer, VARIANT_TRUE);
}

HRESULT STDMETHODCALLTYPE VyrDocument::Close()
{
    Detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::GetExtension(IUnknown** extension)
{
    if (extension)
        *extension = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE VyrDocument::GetCreationFlags(ULONG* flags)
{
    return Orv::AnswerValue(flags, creationFlags_);
}

HRESULT STDMETHODCALLTYPE VyrDocument::GetHostInterface(IUnknown** host)
{
    if (!host)
        return E_POINTER;
    *host = nullptr;
    // Asked once; the host document outlives this document, so its face is kept without a reference.
    if (!hostFace_ && hostObject_)
    {
        Orv::ComPtr<IUnknown> face;
        if (SUCCEEDED(hostObject_->QueryInterface(IID_IVyrHostDocumentFace, face.PutVoid())))
            hostFace_ = face.Get();
    }
    if (!hostFace_)
        return E_NOINTERFACE;
    hostFace_->AddRef();
    *host = hostFace_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::GetPersister(ULONG, ULONG, void** reserved, IUnknown** persister)
{
    if (reserved)
        *reserved = nullptr;
    if (persister)
        *persister = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE VyrDocument::SetName(ULONG, IAutoOrvString* name)
{
    return Orv::CatchReturn([&] { name_ = Orv::String::FromInterface(name); });
}

HRESULT STDMETHODCALLTYPE VyrDocument::GetName(ULONG, IAutoOrvString** name)
{
    if (!name)
        return E_POINTER;
    IOrvString* rep = name_.Interface();
    rep->AddRef();
    *name = rep;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::GetHostValue(ULONG* value)
{
    return Orv::AnswerValue(value, hostValue_);
}

HRESULT STDMETHODCALLTYPE VyrDocument::SetHostValue(ULONG value)
{
    hostValue_ = value;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::OnAttached(ULONG_PTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::OnHostEvent(ULONG_PTR, ULONG_PTR, ULONG_PTR, ULONG_PTR, ULONG_PTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::OnHostValue16(ULONG_PTR, ULONG_PTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::OnHostValue17(ULONG_PTR, ULONG_PTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::RegisterEvents(ISubject* subject)
{
    if (IObserver* inner = InnerFace(innerObserver_, IID_IObserver))
        inner->RegisterEvents(subject);
    VyrEventHandlerT<1>::RegisterEvents(subject);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::Notify(ISubject* subject, ULONG eventId, ULONG_PTR context, void* data)
{
    if (IObserver* inner = InnerFace(innerObserver_, IID_IObserver))
        inner->Notify(subject, eventId, context, data);
    VyrEventHandlerT<1>::Notify(subject, eventId, context, data);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocument::HandleMessage(IMessage* message)
{
    if (AcceptsMessage(message) && VyrEventHandlerT<1>::HandleMessage(message) == 1)
        return 1;
    IMessageHandler* inner = InnerFace(innerHandler_, IID_IMessageHandler);
    return inner ? inner->HandleMessage(message) : 0;
}

void VyrDocument::BroadcastToViews(ULONG messageId, const void* payload)
{
    if (ISubject* views = InnerFace(innerBroadcaster_, IID_ISubject))
        views->Notify(messageId, const_cast<void*>(payload));
}

IHostApplication* VyrDocument::GetFrameServices()
{
    if (!frameServices_)
        if (IVyrDocumentFrame* frame = InnerFace(innerFrame_, IID_IVyrDocumentFrame))
            frame->GetFrameServices(frameServices_.Put());
    if (!frameServices_)
        return nullptr;
    IHostApplication* services = nullptr;
    if (SUCCEEDED(frameServices_->QueryInterface(IID_IHostApplication, reinterpret_cast<void**>(&services))))
        services->Release(); // the frame keeps it alive while the document holds the frame's services
    return services;
}

Orv::ComPtr<IUnknown> CreateHostObjectByType(ULONG type, ULONG first, ULONG second)
{
    Orv::ComPtr<IUnknown> object;
    if (IHostObjectService* service = HostObjectServiceAccessor::Get())
        service->CreateHostObjectByType(type, first, second, 0, object.Put());
    return object;
}

Orv::ComPtr<IUnknown> CreateHostObject(ULONG type, ULONG first, ULONG second)
{
    Orv::ComPtr<IUnknown> object;
    if (IHostObjectService* service = HostObjectServiceAccessor::Get())
        service->CreateHostObject(type, first, second, IID_IHostContextObject, object.PutVoid());
    return object;
}

ULONG HostContextWord(IUnknown* object)
{
    Orv::ComPtr<IHostContextObject> context;
    ULONG word = 0;
    if (object && SUCCEEDED(object->QueryInterface(IID_IHostContextObject, context.PutVoid())) && context)
        context->GetContextWord(&word);
    return word;
}
