// The host's results sheet as the table reaches it: through the frame services, by the id the host
// registered it under.
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/TallionSheet.h"

namespace TableView
{

// Null when the host offers no sheet.
Orv::ComPtr<ITallionSheet> FindResultsSheet(IUnknown* frameServices);

// What a transfer answers when there is no sheet to write into.
constexpr HRESULT E_NO_RESULTS_SHEET = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

} // namespace TableView
