#include "hostframework/views/DocViewClass.h"

#include "hostapi/VyrDocuments.h"
#include "hostapi/VyrIds.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/views/InterfaceEnum.h"

namespace
{

constexpr ULONG AllViewClassFlags = 1;
constexpr USHORT CanCloseAnswer = 0xFFFF;

// The document interfaces every view of the module needs: the document's frame and the module's own.
const GUID* const ViewDocumentInterfaces[] = {&IID_IVyrDocumentFrame, &IID_ISistraDocInterface};

HRESULT CopyToBstr(const Orv::String& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = SysAllocString(text.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

template <class Interface>
Orv::ComPtr<Interface> FaceOf(IUnknown* object, REFIID iid)
{
    Orv::ComPtr<Interface> face;
    if (object)
        object->QueryInterface(iid, face.PutVoid());
    return face;
}

template <class Interface>
HRESULT HandOut(Interface* object, Interface** out)
{
    if (!out)
        return E_POINTER;
    *out = object;
    if (object)
        object->AddRef();
    return S_OK;
}

} // namespace

OwlDocViewClassBase::OwlDocViewClassBase(const Orv::String& title, const Orv::String& fixedName, IdGetter typeId,
                                         ViewClassCommandsAdder addCommands)
    : title_(title), fixedName_(fixedName.IsEmpty() ? title : fixedName), typeId_(typeId), addCommands_(addCommands),
      category_(&VyrViewCategoryGUID), flags_(AllViewClassFlags)
{
    // The host's implementation aggregates this object: the count must not reach 0 while it is made.
    InternalAddRef();
    Orv::ComPtr<IVyrViewClassImplFactory> factory;
    if (IVyrObjectFactory* objects = ObjectFactoryAccessor::Get())
        objects->GetObject(VyrTypeId::ViewClassImplementation, IID_IVyrViewClassImplFactory, factory.PutVoid());
    if (factory)
        factory->CreateImplementation(static_cast<IDocViewClass*>(this), IID_IUnknown, inner_.Put());
    InternalRelease();
}

OwlDocViewClassBase::~OwlDocViewClassBase() = default;

// What the class does not answer itself, the host's implementation it aggregates answers.
HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::QueryInterface(REFIID iid, void** object)
{
    const HRESULT own = Orv::QueryOneFace(static_cast<IDocViewClass*>(this), iid, object, IID_IVyrClassObject,
                                          IID_IDocViewClass, IID_IViewClass);
    return own == E_NOINTERFACE && inner_ ? inner_->QueryInterface(iid, object) : own;
}

ULONG OwlDocViewClassBase::TypeId() const
{
    ULONG id = 0;
    return *typeId_(&id);
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::GetTypeId(ULONG* typeId)
{
    return Orv::CatchReturn([&] {
        if (!typeId)
            return E_POINTER;
        *typeId = TypeId();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::GetCategoryGuid(const GUID** category)
{
    return Orv::AnswerValue(category, category_);
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::GetTitle(BSTR* title)
{
    return CopyToBstr(fixedName_.IsEmpty() ? title_ : fixedName_, title);
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::IsCategory(const GUID* category)
{
    if (!category || !category_)
        return S_FALSE;
    return category == category_ || IsEqualGUID(*category, *category_) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::GetClassName(BSTR* name)
{
    return CopyToBstr(title_, name);
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::GetModuleInstance(HINSTANCE* instance, ULONG_PTR)
{
    if (instance)
        *instance = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::GetFlags(ULONG* flags)
{
    return Orv::AnswerValue(flags, flags_);
}

Orv::ComPtr<IVyrViewClassImpl> OwlDocViewClassBase::Implementation()
{
    return FaceOf<IVyrViewClassImpl>(static_cast<IDocViewClass*>(this), IID_IVyrViewClassImpl);
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::Attach(ULONG_PTR)
{
    return Orv::CatchReturn([&] {
        if (const Orv::ComPtr<IVyrViewClassImpl> implementation = Implementation())
            implementation->AttachClass();
        if (const auto handler = FaceOf<IVyrCommandHandler>(static_cast<IDocViewClass*>(this), IID_IVyrCommandHandler))
            RegisterWithHost(handler.Get());
        return S_OK;
    });
}

HRESULT OwlDocViewClassBase::RegisterWithHost(IVyrCommandHandler* handler)
{
    GUID document{};
    IMsgIdRegistry* ids = MsgIdRegistryAccessor::Get();
    ICommandRegistrationService* service = CommandRegistrationAccessor::Get();
    if (!ids || !service || FAILED(ids->GetGuid(static_cast<USHORT>(TypeId() >> 16), &document)))
        return E_FAIL;
    Orv::ComPtr<IVyrCommandRegistration> registration;
    const HRESULT registered = service->RegisterCommandHandler(
        &document, handler, reinterpret_cast<ULONG_PTR>(static_cast<IDocViewClass*>(this)), registration.Put());
    if (FAILED(registered))
        return registered;
    commandRegistration_.registration = registration;
    return addCommands_ ? addCommands_(commandRegistration_) : S_OK;
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::CreateView(ULONG_PTR, IUnknown* document, IDocView2** view)
{
    return Orv::CatchReturn([&] {
        if (!view)
            return E_POINTER;
        *view = nullptr;
        DocViewBase* made = MakeView(document);
        if (!made)
            return E_OUTOFMEMORY;
        *view = made;
        made->AddRef();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::EnumInterfaces(IEnumInterface** ids)
{
    if (!ids)
        return E_POINTER;
    auto* made = new (std::nothrow) InterfaceIdEnum(std::begin(ViewDocumentInterfaces), std::end(ViewDocumentInterfaces),
                                                    nullptr);
    *ids = made;
    if (!made)
        return E_OUTOFMEMORY;
    made->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::AddOpenView(IUnknown*)
{
    ++openViews_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::RemoveOpenView(IUnknown*)
{
    --openViews_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OwlDocViewClassBase::GetOpenViewCount(ULONG_PTR, LONG* count)
{
    return Orv::AnswerValue(count, openViews_);
}

DocViewBase::DocViewBase(OwlDocViewClassBase* viewClass, IUnknown* document, OWL::TModule* module)
    : module_(module), proxyObject_(new VyrProxyEventHandler(nullptr)), viewClass_(viewClass), document_(document)
{
    proxy_ = Orv::ComPtr<IObserver>(proxyObject_);
    viewClass->AddOpenView(static_cast<IDocView2*>(this));
}

DocViewBase::~DocViewBase()
{
    DeleteWindow();
    viewClass_->RemoveOpenView(static_cast<IDocView2*>(this));
}

// IID_ModuleDocView answers the view's first face, from which WindowOf finds the module's view; the
// handler faces are its proxy's.
HRESULT STDMETHODCALLTYPE DocViewBase::QueryInterface(REFIID iid, void** object)
{
    const HRESULT own = Orv::QueryFaces(
        iid, object,
        {{static_cast<IClientWindow*>(this), {IID_IClientWindow, IID_ModuleDocView}},
         {static_cast<IDocView2*>(this), {IID_IView, IID_IDocView, IID_IDocView2}}});
    if (own == E_NOINTERFACE && (IsEqualIID(iid, IID_IVyrCommandHandler) || IsEqualIID(iid, IID_IObserver) ||
                                 IsEqualIID(iid, IID_IMessageHandler)))
        return proxyObject_->QueryInterface(iid, object);
    return own;
}

OWL::TWindow* DocViewBase::WindowOf(IUnknown* view)
{
    void* own = nullptr;
    if (!view || FAILED(view->QueryInterface(IID_ModuleDocView, &own)) || !own)
        return nullptr;
    auto* module = static_cast<DocViewBase*>(static_cast<IClientWindow*>(own));
    OWL::TWindow* window = module->ViewWindow();
    module->Release();
    return window;
}

DocViewBase::MadeWindow DocViewBase::AttachViewWindow(OWL::TWindow* parent)
{
    const MadeWindow made = CreateViewWindow(parent, module_);
    viewWindow_ = made.window;
    AfterCreate(made.window);
    if (made.handler)
        made.handler->SetProxy(proxyObject_);
    return made;
}

HRESULT STDMETHODCALLTYPE DocViewBase::CreateClientWindow(IClientSite* site, HWND* window)
{
    if (window)
        *window = nullptr;
    return Orv::CatchReturn([&] {
        site_ = Orv::ComPtr<IClientSite>(site);
        HWND parentHandle = nullptr;
        if (site)
            site->GetParentWindow(&parentHandle);
        if (window_)
            return E_FAIL;
        OWL::TWindow* parent = OWL::TWindow::FromHandle(parentHandle);
        if (!parent && parentHandle)
        {
            parentAlias_ = std::make_unique<OWL::TWindow>(parentHandle, module_);
            parent = parentAlias_.get();
        }
        window_.reset(AttachViewWindow(parent).window);
        if (!window_)
            return E_FAIL;
        if (const HRESULT made = CreateAttachedWindow(); FAILED(made))
            return made;
        if (window)
            *window = window_->GetHandle();
        return S_OK;
    });
}

HRESULT DocViewBase::CreateAttachedWindow()
{
    HRESULT made = Orv::CatchReturn([&] { return window_->Create() ? S_OK : E_FAIL; });
    // A creation that declined, or a window that went again while it was set up, leaves the host
    // nothing to show: that is a failure, however the creation itself ended.
    if (SUCCEEDED(made) && !::IsWindow(window_->GetHandle()))
        made = E_FAIL;
    // The host may try again: no window object stays behind for a window that is not there.
    if (FAILED(made))
        DeleteWindow();
    return made;
}

void DocViewBase::DeleteWindow()
{
    window_.reset();
    // The window is gone: nothing may reach it through the view any more.
    viewWindow_ = nullptr;
}

HRESULT STDMETHODCALLTYPE DocViewBase::DestroyClientWindow()
{
    DeleteWindow();
    site_.Reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocViewBase::GetSite(IClientSite** site)
{
    return HandOut(site_.Get(), site);
}

HRESULT STDMETHODCALLTYPE DocViewBase::GetTitle(BSTR* title)
{
    return Orv::CatchReturn([&] {
        if (viewWindow_)
            return CopyToBstr(Orv::String(viewWindow_->GetCaption()), title);
        return CopyToBstr(viewClass_->Title(), title);
    });
}

HRESULT STDMETHODCALLTYPE DocViewBase::CanClose(USHORT* canClose)
{
    return Orv::CatchReturn([&] {
        bool agreed = !viewWindow_ || viewWindow_->CanClose();
        if (agreed)
            if (const auto document = FaceOf<IVyrViewHostDocument>(document_.Get(), IID_IVyrViewHostDocument))
            {
                VARIANT_BOOL answer = VARIANT_TRUE;
                document->CanCloseView(static_cast<IDocView2*>(this), &answer);
                agreed = answer != VARIANT_FALSE;
            }
        if (canClose)
            *canClose = agreed ? CanCloseAnswer : 0;
        return agreed ? S_OK : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE DocViewBase::Close()
{
    return Orv::CatchReturn([&] {
        if (closed_)
            return S_OK;
        if (site_)
            if (const HRESULT refused = site_->RequestClose())
                return refused;
        site_.Reset();
        closed_ = true;
        DeleteWindow();
        if (const auto document = FaceOf<IVyrViewHostDocument>(document_.Get(), IID_IVyrViewHostDocument))
            document->ViewClosed(static_cast<IDocView2*>(this));
        document_.Reset();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocViewBase::SetViewNumber(ULONG number)
{
    viewNumber_ = number;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocViewBase::GetViewNumber(ULONG* number)
{
    return Orv::AnswerValue(number, viewNumber_);
}

HRESULT STDMETHODCALLTYPE DocViewBase::GetViewId(ULONG id[2])
{
    return Orv::CatchReturn([&] {
        if (!id)
            return E_POINTER;
        id[0] = viewClass_->TypeId();
        id[1] = (viewKind_ << 16) | viewNumber_;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocViewBase::Activate()
{
    return Orv::CatchReturn([&] {
        if (const Orv::ComPtr<IVyrViewClassImpl> implementation = viewClass_->Implementation())
            implementation->ActivateView(static_cast<IDocView2*>(this));
        if (const auto document = FaceOf<IVyrViewHostDocument>(document_.Get(), IID_IVyrViewHostDocument))
            document->ViewActivated(static_cast<IDocView2*>(this));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocViewBase::GetViewClass(IUnknown** viewClass)
{
    return HandOut<IUnknown>(static_cast<IDocViewClass*>(viewClass_.Get()), viewClass);
}

HRESULT STDMETHODCALLTYPE DocViewBase::GetDocument(IUnknown** document)
{
    return HandOut(document_.Get(), document);
}

HRESULT STDMETHODCALLTYPE DocViewBase::GetReserved12(void** object)
{
    if (object)
        *object = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE DocViewBase::GetViewKind(ULONG* kind)
{
    return Orv::AnswerValue(kind, viewKind_);
}

HRESULT STDMETHODCALLTYPE DocViewBase::SetViewKind(ULONG kind)
{
    viewKind_ = kind;
    return S_OK;
}
