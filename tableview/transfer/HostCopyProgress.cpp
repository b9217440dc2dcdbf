#include "tableview/transfer/HostCopyProgress.h"

namespace TableView
{

namespace
{

constexpr ULONG IndicatorKind = 1;
constexpr ULONG IndicatorStyle = 1;

} // namespace

std::unique_ptr<CopyProgress> HostCopyProgress::Create(IUnknown* frameServices)
{
    Orv::ComPtr<IHostProgressService> service;
    Orv::ComPtr<IHostProgress> progress;
    if (!frameServices || FAILED(frameServices->QueryInterface(IID_IHostProgressService, service.PutVoid())) ||
        FAILED(service->CreateIndicator(IndicatorKind, L"", L"", L"", IndicatorStyle, progress.Put())) || !progress)
        return nullptr;
    return std::unique_ptr<CopyProgress>(new HostCopyProgress(std::move(progress)));
}

} // namespace TableView
