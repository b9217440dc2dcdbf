#include "calc/pva/AnalysisDataAccess.h"

#include "hostframework/messaging/SistraIds.h"
#include "hostapi/HostDocument.h"

namespace Sistra
{

Orv::ComPtr<ITangentEsPoints> FindAnalysisData(IUnknown* hostContext)
{
    Orv::ComPtr<ITangentEsPoints> found;
    Orv::ComPtr<IHostChildData> holder;
    ULONG typeId = 0;
    if (!hostContext || FAILED(hostContext->QueryInterface(IID_IHostChildData, holder.PutVoid())) || !holder ||
        !DocumentDataTypeId::TryGetId(&typeId))
        return found;
    Orv::ComPtr<IStrixDataChildData> data;
    if (holder->FindChildData(typeId, data.Put()) != S_OK || !data)
        return found;
    data->QueryInterface(IID_ITangentEsPoints, found.PutVoid());
    return found;
}

} // namespace Sistra
