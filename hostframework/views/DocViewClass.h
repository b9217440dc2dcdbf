// View classes and views as the host drives them: a view class describes one kind of view to the host
// and makes a view for a document; the view (a COM object the host holds) makes the module's window of
// that kind inside the host's site and tells the host and the document of its life.
#pragma once

#include "hostapi/VyrCommands.h"
#include "hostapi/VyrViews.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "hostframework/messaging/EventHandlers.h"
#include "hostframework/messaging/MessageIds.h"
#include "hostframework/entry/ModuleObject.h"
#include "platform/owl/window/Window.h"

#include <memory>
#include <new>

class DocViewBase;

// What a view class keeps of its command handler's registration with the host.
struct ViewCommandRegistration
{
    bool accepted = false;   // the class's own command became a host menu item
    Orv::ComPtr<IVyrCommandRegistration> registration;
};

// Adds a view class's own menu commands once its handler is registered; its result is the class's.
using ViewClassCommandsAdder = HRESULT (*)(ViewCommandRegistration& registration);

// The part of a view class common to all views.
class OwlDocViewClassBase : public IDocViewClass, protected Orv::CComObjectRoot
{
public:
    // fixedName empty: the title stands for it. typeId: the view type id (resolved when asked).
    // addCommands: the class's own menu commands (none when null).
    OwlDocViewClassBase(const Orv::String& title, const Orv::String& fixedName, IdGetter typeId,
                        ViewClassCommandsAdder addCommands = nullptr);
    OwlDocViewClassBase(const OwlDocViewClassBase&) = delete;
    OwlDocViewClassBase& operator=(const OwlDocViewClassBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    // Releases of this object during the destruction never bring the count to zero again.
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override;
    HRESULT STDMETHODCALLTYPE GetCategoryGuid(const GUID** category) override;
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE IsCategory(const GUID* category) override;
    HRESULT STDMETHODCALLTYPE GetClassName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE GetModuleInstance(HINSTANCE* instance, ULONG_PTR reserved) override;
    HRESULT STDMETHODCALLTYPE GetFlags(ULONG* flags) override;
    HRESULT STDMETHODCALLTYPE Attach(ULONG_PTR reserved) override;
    HRESULT STDMETHODCALLTYPE CreateView(ULONG_PTR reserved, IUnknown* document, IDocView2** view) override;
    HRESULT STDMETHODCALLTYPE EnumInterfaces(IEnumInterface** ids) override;
    HRESULT STDMETHODCALLTYPE AddOpenView(IUnknown* view) override;
    HRESULT STDMETHODCALLTYPE RemoveOpenView(IUnknown* view) override;
    HRESULT STDMETHODCALLTYPE GetOpenViewCount(ULONG_PTR reserved, LONG* count) override;

    const Orv::String& Title() const { return title_; }
    ULONG TypeId() const;
    // The host's implementation of this class; null when the host gave none.
    Orv::ComPtr<IVyrViewClassImpl> Implementation();
    const ViewCommandRegistration& CommandRegistration() const { return commandRegistration_; }

    // Registers handler for the commands under the document's GUID (the upper half of the type id),
    // then adds the class's own commands.
    virtual HRESULT RegisterWithHost(IVyrCommandHandler* handler);

protected:
    virtual ~OwlDocViewClassBase();
    // A new view of this class for document, with no reference.
    virtual DocViewBase* MakeView(IUnknown* document) = 0;

private:
    ViewCommandRegistration commandRegistration_;
    Orv::String title_;
    Orv::String fixedName_;
    IdGetter typeId_;
    ViewClassCommandsAdder addCommands_;
    Orv::ComPtr<IUnknown> inner_;
    const GUID* category_;
    ULONG flags_;
    LONG openViews_ = 0;
};

// Asked of a view object, answers the module's own view behind it (a DocViewBase); only views this
// module made answer it, so that a view the host hands back can be told from anyone else's.
inline constexpr IID IID_ModuleDocView = {0xBE0D1DC2, 0x3BC1, 0x4F74, {0xA4, 0x7A, 0x2D, 0x5A, 0xB8, 0x5F, 0xDB, 0xE4}};

// One view: the host's face of the module's window of a view class.
class DocViewBase : public IClientWindow, public IDocView2, protected Orv::CComObjectRoot
{
public:
    DocViewBase(OwlDocViewClassBase* viewClass, IUnknown* document, OWL::TModule* module);
    DocViewBase(const DocViewBase&) = delete;
    DocViewBase& operator=(const DocViewBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    // Releases of this object during the destruction never bring the count to zero again.
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE CreateClientWindow(IClientSite* site, HWND* window) override;
    HRESULT STDMETHODCALLTYPE DestroyClientWindow() override;
    HRESULT STDMETHODCALLTYPE Reserved5(ULONG_PTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSite(IClientSite** site) override;

    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE CanClose(USHORT* canClose) override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE SetViewNumber(ULONG number) override;
    HRESULT STDMETHODCALLTYPE GetViewNumber(ULONG* number) override;
    HRESULT STDMETHODCALLTYPE GetViewId(ULONG id[2]) override;
    HRESULT STDMETHODCALLTYPE Activate() override;
    HRESULT STDMETHODCALLTYPE GetViewClass(IUnknown** viewClass) override;
    HRESULT STDMETHODCALLTYPE GetDocument(IUnknown** document) override;
    HRESULT STDMETHODCALLTYPE GetReserved12(void** object) override;
    HRESULT STDMETHODCALLTYPE GetViewKind(ULONG* kind) override;
    HRESULT STDMETHODCALLTYPE SetViewKind(ULONG kind) override;

    // The module's window while the view has one.
    OWL::TWindow* ViewWindow() const { return viewWindow_; }
    // The module's window of a view object the host hands out; null for another's view or one without
    // a window. The caller keeps view alive while it uses the window.
    static OWL::TWindow* WindowOf(IUnknown* view);

protected:
    virtual ~DocViewBase();

    struct MadeWindow
    {
        OWL::TWindow* window;
        VyrCppEventHandler* handler;
    };
    // The module's window of this view's kind, not yet created, for parent.
    virtual MadeWindow CreateViewWindow(OWL::TWindow* parent, OWL::TModule* module) = 0;
    virtual void AfterCreate(OWL::TWindow*) {}

    OwlDocViewClassBase* ViewClass() const { return viewClass_.Get(); }
    IUnknown* Document() const { return document_.Get(); }
    IDocView2* Face() { return this; }

private:
    MadeWindow AttachViewWindow(OWL::TWindow* parent);
    // Creates the attached window object's window; on failure the object is gone too.
    HRESULT CreateAttachedWindow();
    void DeleteWindow();

    OWL::TModule* module_;
    Orv::ComPtr<IClientSite> site_;
    std::unique_ptr<OWL::TWindow> window_;
    std::unique_ptr<OWL::TWindow> parentAlias_;
    bool closed_ = false;
    Orv::ComPtr<IObserver> proxy_;
    VyrProxyEventHandler* proxyObject_;
    ULONG viewNumber_ = 0;
    ULONG viewKind_ = 0;
    Orv::ComPtr<OwlDocViewClassBase> viewClass_;
    Orv::ComPtr<IUnknown> document_;
    OWL::TWindow* viewWindow_ = nullptr;
};

// The view of module window class V: V is made with (parent, view class, the view's face, document,
// module, the view's face as its host view) and is an OWL window and a Vyr event handler.
template <class V>
class VyrOwlDocView final : public DocViewBase
{
public:
    using DocViewBase::DocViewBase;

protected:
    MadeWindow CreateViewWindow(OWL::TWindow* parent, OWL::TModule* module) override
    {
        V* window = new V(parent, static_cast<IDocViewClass*>(ViewClass()), Face(), Document(), module, Face());
        return {window, window};
    }
};

// The view class of module window class V.
template <class V>
class VyrOwlDocViewClass final : public OwlDocViewClassBase
{
public:
    VyrOwlDocViewClass(const Orv::String& title, const Orv::String& fixedName, IdGetter typeId,
                       ViewClassCommandsAdder addCommands = nullptr)
        : OwlDocViewClassBase(title, fixedName, typeId, addCommands), module_(Sistra::ModuleObject())
    {
    }

    HRESULT STDMETHODCALLTYPE GetModuleInstance(HINSTANCE* instance, ULONG_PTR) override
    {
        if (!instance)
            return E_POINTER;
        *instance = module_ ? module_->GetHandle() : nullptr;
        return S_OK;
    }

protected:
    DocViewBase* MakeView(IUnknown* document) override
    {
        return new (std::nothrow) VyrOwlDocView<V>(this, document, module_);
    }

private:
    OWL::TModule* module_;
};
