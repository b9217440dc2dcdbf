// A module's document that lives as a child of a host document: it keeps the host document's data
// interfaces, asked once when it is made. The host document outlives its children, so none of them is
// counted.
#pragma once

#include "hostapi/HostDocument.h"
#include "hostframework/document/VyrDocument.h"

class StrixChildDocument : public VyrDocument
{
public:
    StrixChildDocument(IUnknown* hostDocument, IUnknown* documentClass, ULONG creationFlags);

    IHostDocument* HostDoc() const { return hostDocument_; }
    IHostCalcItems* HostCalcItems() const { return calcItems_; }
    IHostDataItems* HostDataItems() const { return dataItems_; }
    IHostChildData* HostChildData() const { return childData_; }
    IOnlineDataSource* HostOnlineSources() const { return onlineSources_; }
    // Whether a notification's document argument names this document's host document.
    bool IsOwnHostDocument(const void* identity) const;

protected:
    ~StrixChildDocument() override = default;

private:
    template <class Interface>
    Interface* Keep(IUnknown* host, REFIID iid);

    IHostDocument* hostDocument_ = nullptr;
    IHostCalcItems* calcItems_ = nullptr;
    IHostDataItems* dataItems_ = nullptr;
    IHostChildData* childData_ = nullptr;
    IOnlineDataSource* onlineSources_ = nullptr;
};
