#include "hostframework/document/StrixChildDocument.h"

StrixChildDocument::StrixChildDocument(IUnknown* hostDocument, IUnknown* documentClass, ULONG creationFlags)
    : VyrDocument(hostDocument, documentClass, creationFlags)
{
    if (!hostDocument)
        return;
    hostDocument_ = Keep<IHostDocument>(hostDocument, IID_IHostDocument);
    calcItems_ = Keep<IHostCalcItems>(hostDocument, IID_IHostCalcItems);
    dataItems_ = Keep<IHostDataItems>(hostDocument, IID_IHostDataItems);
    childData_ = Keep<IHostChildData>(hostDocument, IID_IHostChildData);
    onlineSources_ = Keep<IOnlineDataSource>(hostDocument, IID_IOnlineDataSource);
}

template <class Interface>
Interface* StrixChildDocument::Keep(IUnknown* host, REFIID iid)
{
    Interface* face = nullptr;
    if (SUCCEEDED(host->QueryInterface(iid, reinterpret_cast<void**>(&face))) && face)
        face->Release();
    return face;
}

bool StrixChildDocument::IsOwnHostDocument(const void* identity) const
{
    if (!identity || !HostDocumentObject())
        return false;
    if (identity == HostDocumentObject() || identity == hostDocument_)
        return true;
    return false;
}
