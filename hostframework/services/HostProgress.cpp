#include "hostframework/services/HostProgress.h"

namespace
{

constexpr ULONG IndicatorKind = 1;
constexpr ULONG IndicatorStyle = 1;

} // namespace

Orv::ComPtr<IHostProgress> CreateProgressIndicator(IUnknown* services, const wchar_t* title)
{
    Orv::ComPtr<IHostProgress> progress;
    Orv::ComPtr<IHostProgressService> service;
    if (services && SUCCEEDED(services->QueryInterface(IID_IHostProgressService, service.PutVoid())) && service)
        service->CreateIndicator(IndicatorKind, title, L"", L"", IndicatorStyle, progress.Put());
    return progress;
}
