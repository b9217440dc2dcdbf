#include "host/app/document/DocumentCreation.h"

#include "host/app/calc/ModuleCalcFunctions.h"
#include "host/app/document/HostDocument.h"

#include "foundation/com/ComBoundary.h"

#include <memory>

namespace Host
{

HRESULT STDMETHODCALLTYPE DocumentCreationService::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IHostDocumentCreator)
        return E_NOINTERFACE;
    *object = static_cast<IHostDocumentCreator*>(this);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocumentCreationService::CreateDocument(uint32_t, const IID* iid, void** document)
{
    if (!iid || !document)
        return E_POINTER;
    *document = nullptr;
    return Orv::CatchReturn([&] {
        const auto made = HostDocument::Acquiring();
        // The functions are read now: a module registers them before anyone asks for a document.
        const auto functions = std::make_shared<Calc::ModuleFunctionTable>(made->Data(), standIn_, made->Unknown());
        made->SetFunctionLookup([functions](const std::string& name) { return functions->Find(name); });
        return made->QueryInterface(*iid, document);
    });
}

} // namespace Host
