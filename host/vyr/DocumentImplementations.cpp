#include "DocumentImplementations.h"

namespace Vyr
{
namespace
{

// The class implementation handles none of the module's commands: the class's own map answers them.
class ClassCommands final : public DelegatingFace<IVyrCommandHandler>
{
public:
    using DelegatingFace::DelegatingFace;
    HRESULT STDMETHODCALLTYPE Execute(ULONG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE QueryState(ULONG, IVyrCommandState*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Invoke(ULONG, ULONG, ULONG_PTR, ULONG_PTR) override { return S_FALSE; }
};

// The document has no views in a batch run; what it broadcasts to them is counted, nothing else.
class ViewBroadcaster final : public DelegatingFace<ISubject>
{
public:
    using DelegatingFace::DelegatingFace;
    HRESULT STDMETHODCALLTYPE Notify(ULONG, void*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddObserver(IObserver*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveObserver(IObserver*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddObserverForEvent(IObserver*, ULONG, ULONG) override { return S_OK; }
    void STDMETHODCALLTYPE Destroy() override {}
};

class DocumentFrame final : public DelegatingFace<IVyrDocumentFrame>
{
public:
    DocumentFrame(IUnknown* outer, IUnknown* services) : DelegatingFace(outer), services_(services) {}
    HRESULT STDMETHODCALLTYPE GetFrameServices(IUnknown** services) override
    {
        if (!services)
            return E_POINTER;
        *services = services_;
        if (!services_)
            return E_FAIL;
        services_->AddRef();
        return S_OK;
    }

    // The stand-in's documents keep no range beside their selection.
    HRESULT STDMETHODCALLTYPE GetHostObject(IUnknown** object) override
    {
        if (object)
            *object = nullptr;
        return E_NOINTERFACE;
    }

private:
    IUnknown* services_;
};

// The non-delegating IUnknown of an implementation object, made with the one reference its outer holds.
class ImplementationBase : public HeapComObject<IUnknown, &IID_IUnknown>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = IsEqualIID(iid, IID_IUnknown) ? static_cast<IUnknown*>(this) : FindFace(iid);
        if (!*object)
            return E_NOINTERFACE;
        static_cast<IUnknown*>(*object)->AddRef();
        return S_OK;
    }

protected:
    virtual IUnknown* FindFace(REFIID iid) = 0;
};

class DocClassImplementation final : public ImplementationBase
{
public:
    explicit DocClassImplementation(IUnknown* outer) : commands_(outer) {}

private:
    IUnknown* FindFace(REFIID iid) override
    {
        return IsEqualIID(iid, IID_IVyrCommandHandler) ? &commands_ : nullptr;
    }
    ClassCommands commands_;
};

// The stand-in keeps nothing per view class: the frame follows its views' activation itself.
class ViewClassFace final : public DelegatingFace<IVyrViewClassImpl>
{
public:
    using DelegatingFace::DelegatingFace;
    HRESULT STDMETHODCALLTYPE ActivateView(IUnknown*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AttachClass() override { return S_OK; }
};

class ViewClassImplementation final : public ImplementationBase
{
public:
    explicit ViewClassImplementation(IUnknown* outer) : viewClass_(outer), commands_(outer) {}

private:
    IUnknown* FindFace(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_IVyrViewClassImpl))
            return &viewClass_;
        return IsEqualIID(iid, IID_IVyrCommandHandler) ? &commands_ : nullptr;
    }
    ViewClassFace viewClass_;
    ClassCommands commands_;
};

class DocImplementation final : public ImplementationBase
{
public:
    DocImplementation(IUnknown* outer, IUnknown* services) : views_(outer), frame_(outer, services) {}

private:
    IUnknown* FindFace(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_ISubject))
            return &views_;
        if (IsEqualIID(iid, IID_IVyrDocumentFrame))
            return &frame_;
        return nullptr;
    }
    ViewBroadcaster views_;
    DocumentFrame frame_;
};

} // namespace

HRESULT STDMETHODCALLTYPE ViewClassImplFactory::CreateImplementation(IUnknown* outer, REFIID iid, IUnknown** inner)
{
    return Guarded([&]() -> HRESULT {
        if (!inner || !outer)
            return E_POINTER;
        *inner = nullptr;
        // An aggregated object hands its outer only its own IUnknown.
        if (!IsEqualIID(iid, IID_IUnknown))
            return E_NOINTERFACE;
        *inner = new ViewClassImplementation(outer);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocClassImplFactory::CreateImplementation(IUnknown** inner, IUnknown* outer, ULONG)
{
    return Guarded([&]() -> HRESULT {
        if (!inner || !outer)
            return E_POINTER;
        *inner = new DocClassImplementation(outer);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocImplFactory::CreateImplementation(IUnknown*, IUnknown*, IUnknown* outer, ULONG,
                                                               IUnknown** inner)
{
    return Guarded([&]() -> HRESULT {
        if (!inner || !outer)
            return E_POINTER;
        *inner = new DocImplementation(outer, services_);
        return S_OK;
    });
}

} // namespace Vyr
