// The host's document-creation service: new, empty documents that a data source fills through their
// sampling sink, their texts compiled with the calculation functions the modules registered.
#pragma once

#include "hostapi/HostAcquisition.h"
#include "hostapi/VyrClassRegistry.h"

namespace Host
{

// Kept by the host session for as long as the framework may hand it out.
class DocumentCreationService final : public IHostDocumentCreator
{
public:
    explicit DocumentCreationService(IVyrStandIn& standIn) : standIn_(standIn) {}
    DocumentCreationService(const DocumentCreationService&) = delete;
    DocumentCreationService& operator=(const DocumentCreationService&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateDocument(uint32_t reserved, const IID* iid, void** document) override;

private:
    IVyrStandIn& standIn_;
};

} // namespace Host
