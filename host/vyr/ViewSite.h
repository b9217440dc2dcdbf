// The object behind every document's view site: the host's printing of views as they show. The host
// application hands the printer in, since its frame knows which view is active; without one the sites
// cannot print.
#pragma once

#include "ComObjects.h"
#include "hostapi/VyrViews.h"

#include "foundation/com/ComPtr.h"

#include <mutex>

namespace Vyr
{

class ViewSiteObject final : public StaticComObject<IVyrViewSiteObject, &IID_IVyrViewSiteObject>
{
public:
    // The printer with one reference; S_FALSE and null while the host has none.
    HRESULT STDMETHODCALLTYPE GetPrintService(IVyrViewPrintService** service) override;
    void SetPrinter(IVyrViewPrintService* printer);

private:
    std::mutex lock_;
    Orv::ComPtr<IVyrViewPrintService> printer_;
};

} // namespace Vyr
