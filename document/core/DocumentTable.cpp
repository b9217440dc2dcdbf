// The document's hemodynamics table: its cells, worked out from the analysis data.
#include "document/core/SistraDocument.h"

namespace Sistra
{

Orv::ComPtr<SistraHemodynamicsTableViewData> SistraDocument::GetTableViewData()
{
    if (!tableViewData_)
        tableViewData_ = Orv::ComPtr<SistraHemodynamicsTableViewData>(new SistraHemodynamicsTableViewData(Data()));
    return tableViewData_;
}

} // namespace Sistra
