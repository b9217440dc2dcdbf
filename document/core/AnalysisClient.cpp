#include "document/core/AnalysisClient.h"

#include "../../resources/ResourceIds.h"
#include "foundation/text/String.h"
#include "foundation/text/StringResources.h"

namespace AnalysisManager
{

// The stand-in's host document answers for its analysis manager itself.
HRESULT GetAnalysisManager(IUnknown* hostDocument, IAnalysisManager** manager)
{
    if (!hostDocument || !manager)
        return E_POINTER;
    *manager = nullptr;
    return SUCCEEDED(hostDocument->QueryInterface(IID_IAnalysisManager, reinterpret_cast<void**>(manager))) && *manager
               ? S_OK
               : E_FAIL;
}

const wchar_t* GetClientTitle()
{
    static const Orv::String title(Orv::ThisModule(), IDS_SISTRA_TITLE, true);
    return title.c_str();
}

} // namespace AnalysisManager
