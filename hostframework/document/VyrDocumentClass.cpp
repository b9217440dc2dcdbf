#include "hostframework/document/VyrDocumentClass.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "hostframework/services/HostServices.h"

namespace
{

constexpr ULONG NotAggregatedImplementation = 0;

} // namespace

VyrDocumentClassBase::VyrDocumentClassBase(const Description& description)
    : description_(description), name_(description.name ? description.name : L"")
{
    Orv::ComPtr<IVyrDocClassImplFactory> factory;
    if (IVyrObjectFactory* objects = ObjectFactoryAccessor::Get())
        objects->GetObject(VyrTypeId::DocumentClassImplementation, IID_IVyrDocClassImplFactory, factory.PutVoid());
    if (!factory)
        return;
    InternalAddRef();
    factory->CreateImplementation(inner_.Put(), static_cast<ICustomDocClass*>(this), NotAggregatedImplementation);
    InternalRelease();
}

VyrDocumentClassBase::~VyrDocumentClassBase() = default;

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::QueryInterface(REFIID iid, void** object)
{
    HRESULT own = Orv::QueryOneFace(static_cast<ICustomDocClass*>(this), iid, object, IID_ICustomDocClass,
                                    IID_IVyrClassObject);
    if (own == E_NOINTERFACE)
        own = QueryHandlerFaces(iid, object);
    return own == E_NOINTERFACE && inner_ ? inner_->QueryInterface(iid, object) : own;
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::GetTypeId(ULONG* typeId)
{
    return Orv::AnswerValue(typeId, description_.typeId);
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::GetCategoryGuid(const GUID** category)
{
    return Orv::AnswerValue(category, description_.categoryGuid);
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::GetTitle(BSTR* title)
{
    return GetClassName(title);
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::IsCategory(const GUID* category)
{
    const GUID* own = description_.categoryGuid;
    if (!category || !own)
        return S_FALSE;
    return category == own || IsEqualGUID(*category, *own) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::GetClassName(BSTR* name)
{
    if (!name)
        return S_OK;
    SysFreeString(*name);
    *name = name_.IsEmpty() ? nullptr : SysAllocStringLen(name_.c_str(), static_cast<UINT>(name_.Length()));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::GetFlags(ULONG* flags)
{
    return Orv::AnswerValue(flags, description_.flags);
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::Attach(ULONG_PTR argument)
{
    AttachCommands(static_cast<IVyrCommandHandler*>(this), argument);
    return S_OK;
}

IVyrCommandRegistration* VyrDocumentClassBase::RegisterCommandHandler(IVyrCommandHandler* handler, ULONG_PTR argument)
{
    Orv::ComPtr<IVyrCommandRegistration> registration;
    if (ICommandRegistrationService* service = CommandRegistrationAccessor::Get())
        service->RegisterCommandHandler(description_.documentGuid, handler, argument, registration.Put());
    commandRegistration_ = registration;
    return commandRegistration_.Get();
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::GetDocumentGuid(const GUID** guid)
{
    return Orv::AnswerValue(guid, description_.documentGuid);
}

Orv::ComPtr<IVyrCommandHandler> VyrDocumentClassBase::InnerCommands() const
{
    Orv::ComPtr<IVyrCommandHandler> commands;
    if (inner_)
        inner_->QueryInterface(IID_IVyrCommandHandler, commands.PutVoid());
    return commands;
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::Execute(ULONG commandId)
{
    const Orv::ComPtr<IVyrCommandHandler> inner = InnerCommands();
    if (inner && inner->Execute(commandId) == S_OK)
        return S_OK;
    return VyrEventHandlerT<1>::Execute(commandId);
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::QueryState(ULONG commandId, IVyrCommandState* state)
{
    const Orv::ComPtr<IVyrCommandHandler> inner = InnerCommands();
    if (inner && inner->QueryState(commandId, state) == S_OK)
        return S_OK;
    return VyrEventHandlerT<1>::QueryState(commandId, state);
}

HRESULT STDMETHODCALLTYPE VyrDocumentClassBase::Invoke(ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second)
{
    const Orv::ComPtr<IVyrCommandHandler> inner = InnerCommands();
    if (inner && inner->Invoke(commandId, kind, first, second) == S_OK)
        return S_OK;
    return VyrEventHandlerT<1>::Invoke(commandId, kind, first, second);
}
