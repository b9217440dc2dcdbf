#include "foundation/com/ErrorReason.h"

#include <oleauto.h>

namespace Orv
{

HRESULT FailWithReason(HRESULT failure, REFIID iid, const wchar_t* reason) noexcept
{
    ICreateErrorInfo* made = nullptr;
    if (FAILED(CreateErrorInfo(&made)) || !made)
        return failure;
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(made->SetGUID(iid)) && SUCCEEDED(made->SetDescription(const_cast<LPOLESTR>(reason))) &&
        SUCCEEDED(made->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info)
    {
        SetErrorInfo(0, info);
        info->Release();
    }
    made->Release();
    return failure;
}

std::wstring TakeErrorReason()
{
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return {};
    BSTR description = nullptr;
    std::wstring reason;
    if (SUCCEEDED(info->GetDescription(&description)) && description)
        reason.assign(description, SysStringLen(description));
    SysFreeString(description);
    info->Release();
    return reason;
}

} // namespace Orv
