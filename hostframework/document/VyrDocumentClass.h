// The class object of a module's documents: registered with the host's class registry, it makes the
// module's document for each host document and answers the host's commands of the class. It aggregates
// the host's implementation of a document class and passes every interface it does not answer to it.
#pragma once

#include "hostapi/VyrCommands.h"
#include "hostapi/VyrDocuments.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "hostframework/messaging/EventHandlers.h"

class VyrDocumentClassBase : public ICustomDocClass, public VyrEventHandlerT<1>, protected Orv::CComObjectRoot
{
public:
    struct Description
    {
        const wchar_t* name;
        const GUID* documentGuid;
        const GUID* categoryGuid;
        ULONG typeId;
        ULONG flags;
    };

    explicit VyrDocumentClassBase(const Description& description);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) final;
    ULONG STDMETHODCALLTYPE AddRef() final { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() final { return ReleaseWith([this] { delete this; }); }

    // ICustomDocClass
    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override;
    HRESULT STDMETHODCALLTYPE GetCategoryGuid(const GUID** category) override;
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE IsCategory(const GUID* category) override;
    HRESULT STDMETHODCALLTYPE GetClassName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE GetFlags(ULONG* flags) override;
    HRESULT STDMETHODCALLTYPE ReservedWithArgument(ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Attach(ULONG_PTR argument) override;
    HRESULT STDMETHODCALLTYPE Refresh() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetDocumentGuid(const GUID** guid) override;

    // The implementation's command handler first; the class's own map when it does not answer S_OK.
    HRESULT STDMETHODCALLTYPE Execute(ULONG commandId) override;
    HRESULT STDMETHODCALLTYPE QueryState(ULONG commandId, IVyrCommandState* state) override;
    HRESULT STDMETHODCALLTYPE Invoke(ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second) override;

    // Whether one menu entry the document added became a menu item of the host.
    bool MenusInstalled() const { return menusInstalled_; }

protected:
    ~VyrDocumentClassBase() override;

    // Registers the handler of the document's commands with the host and keeps the registration, through
    // which the document adds its menus; null when the host has no command registration.
    IVyrCommandRegistration* RegisterCommandHandler(IVyrCommandHandler* handler, ULONG_PTR argument);
    bool menusInstalled_ = false;

private:
    Orv::ComPtr<IVyrCommandHandler> InnerCommands() const;

    Description description_;
    Orv::String name_;
    Orv::ComPtr<IUnknown> inner_;
    Orv::ComPtr<IVyrCommandRegistration> commandRegistration_;
};

// Document: the module's document class, made with (host document object, class object, creation
// flags) and holding its reference count at 0 until the caller takes the first reference.
template <class Document>
class VyrDocumentClass final : public VyrDocumentClassBase
{
public:
    using VyrDocumentClassBase::VyrDocumentClassBase;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, IUnknown* hostDocument, ULONG flags, IUnknown** document,
                                             ULONG_PTR) override
    {
        if (!document)
            return E_POINTER;
        *document = nullptr;
        return Orv::CatchReturn([&] {
            Document* made = new Document(hostDocument, static_cast<ICustomDocClass*>(this), flags);
            *document = made->Outer();
            made->AddRef();
        });
    }

    HRESULT STDMETHODCALLTYPE AttachCommands(IVyrCommandHandler* handler, ULONG_PTR argument) override
    {
        return Orv::CatchReturn([&]() -> HRESULT {
            IVyrCommandRegistration* registration = RegisterCommandHandler(handler, argument);
            if (!registration)
                return E_FAIL;
            return Document::InstallMenus(registration, menusInstalled_);
        });
    }
};
