#include "host/app/gui/ModuleClasses.h"

#include "host/app/files/TextConversion.h"

#include "foundation/text/String.h"

#include <stdexcept>

namespace Host
{

namespace
{

template <class Interface>
Orv::ComPtr<Interface> ClassObject(IVyrObjectFactory& factory, ULONG typeId, REFIID iid)
{
    Orv::ComPtr<Interface> object;
    factory.GetObject(typeId, iid, object.PutVoid());
    return object;
}

} // namespace

ModuleClasses::ModuleClasses(const RegisteredFramework& framework)
{
    const Orv::ComPtr<IVyrObjectFactory> factory = framework.ObjectFactory();
    for (const VyrRegistrationRecord& record : framework.Registrations())
    {
        if (record.kind != VyrRegistrationKind::ClassObject || FAILED(record.result))
            continue;
        if (auto documentClass = ClassObject<ICustomDocClass>(*factory.Get(), record.typeId, IID_ICustomDocClass))
        {
            if (!documentClass_)
                documentClass_ = documentClass;
        }
        else if (auto viewClass = ClassObject<IDocViewClass>(*factory.Get(), record.typeId, IID_IDocViewClass))
            views_.push_back(ViewClassEntry{std::wstring(record.name), viewClass});
    }
    if (documentClass_)
        documentClass_->Attach(0);
    for (const ViewClassEntry& view : views_)
        view.viewClass->Attach(0);
}

ICustomDocClass& ModuleClasses::DocumentClass() const
{
    if (!documentClass_)
        throw std::runtime_error("the module registered no document class");
    return *documentClass_.Get();
}

IDocViewClass* ModuleClasses::FindView(const std::wstring& name) const
{
    for (const ViewClassEntry& view : views_)
        if (CompareStringOrdinal(view.name.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL)
            return view.viewClass.Get();
    return nullptr;
}

void NameModuleDocument(IUnknown* document, const std::wstring& name)
{
    Orv::ComPtr<ICustomDocument> named;
    const Orv::String text(name.c_str());
    if (!document || FAILED(document->QueryInterface(IID_ICustomDocument, named.PutVoid())) || !named ||
        FAILED(named->SetName(0, text.Interface())))
        throw std::runtime_error("the module's document took no name");
}

ModuleDocument::ModuleDocument(ICustomDocClass& documentClass, HostDocument& hostDocument)
{
    const HRESULT made = documentClass.CreateInstance(nullptr, hostDocument.Unknown(), 0, document_.Put(), 0);
    if (FAILED(made) || !document_)
        throw std::runtime_error("the module's document class made no document: " + HResultText(made));
    hostEvents_ = std::make_unique<DocumentEventRelay>(hostDocument, document_.Get());
}

ModuleDocument::~ModuleDocument()
{
    hostEvents_.reset();
    Orv::ComPtr<ICustomDocument> document;
    if (SUCCEEDED(document_->QueryInterface(IID_ICustomDocument, document.PutVoid())))
        document->Close();
}

} // namespace Host
