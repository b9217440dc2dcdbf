#include "ViewSite.h"

namespace Vyr
{

HRESULT STDMETHODCALLTYPE ViewSiteObject::GetPrintService(IVyrViewPrintService** service)
{
    if (!service)
        return E_POINTER;
    std::lock_guard hold(lock_);
    *service = printer_.Get();
    if (!*service)
        return S_FALSE;
    printer_->AddRef();
    return S_OK;
}

void ViewSiteObject::SetPrinter(IVyrViewPrintService* printer)
{
    std::lock_guard hold(lock_);
    printer_ = Orv::ComPtr<IVyrViewPrintService>(printer);
}

} // namespace Vyr
