#include "tableview/transfer/ResultsSheetAccess.h"

#include "hostframework/messaging/MessageIds.h"

namespace TableView
{

namespace
{

constexpr ULONG LookupArgument = 1;

} // namespace

Orv::ComPtr<ITallionSheet> FindResultsSheet(IUnknown* frameServices)
{
    Orv::ComPtr<IHostObjectLookup> lookup;
    USHORT code = 0;
    if (!frameServices || FAILED(frameServices->QueryInterface(IID_IHostObjectLookup, lookup.PutVoid())) ||
        !MsgIdPrefix<&ResultsSheetGuid>::TryGet(&code))
        return {};
    Orv::ComPtr<IUnknown> object;
    if (FAILED(lookup->LookupObject(static_cast<ULONG>(code) << 16, LookupArgument, object.Put())) || !object)
        return {};
    return object.As<ITallionSheet>(IID_ITallionSheet);
}

} // namespace TableView
