#include "host/app/files/SaveDialog.h"

#include "foundation/com/ComPtr.h"
#include "host/app/RegisteredServices.h"
#include "host/app/files/TextConversion.h"

#include <commdlg.h>
#include <oleauto.h>

#include <stdexcept>

namespace Host
{

std::wstring AskSavePath(IHostFileDialogs& dialogs, const HostSaveFileRequest& request, HWND owner)
{
    BSTR chosen = nullptr;
    const HRESULT asked = dialogs.AskSaveFileName(owner, &request, &chosen);
    const std::wstring path = chosen ? chosen : L"";
    SysFreeString(chosen);
    if (FAILED(asked))
        throw std::runtime_error("the save dialog failed: " + HResultText(asked));
    return path;
}

std::wstring AskSavePath(const HostSaveFileRequest& request, HWND owner)
{
    const auto dialogs = HostApplicationService<IHostFileDialogs>(IID_IHostFileDialogs);
    if (!dialogs)
        throw std::runtime_error("the host offers no save dialog");
    return AskSavePath(*dialogs.Get(), request, owner);
}

std::wstring AskOpenPath(HostSaveFileRequest request, HWND owner)
{
    request.flags |= OFN_FILEMUSTEXIST;
    return AskSavePath(request, owner);
}

} // namespace Host
