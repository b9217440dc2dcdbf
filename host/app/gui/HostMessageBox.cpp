#include "host/app/gui/HostMessageBox.h"

#include "host/app/FrameworkHost.h"
#include "host/app/RegisteredServices.h"
#include "host/app/ModuleLoader.h"
#include "hostapi/VyrServices.h"

#include <exception>
#include <optional>

namespace Host
{

LONG ShowHostMessageBox(HWND owner, const std::wstring& text, const wchar_t* caption, UINT style)
{
    LONG pressed = 0;
    if (const Orv::ComPtr<IHostApplication> application = HostApplicationService<IHostApplication>(IID_IHostApplication);
        application && SUCCEEDED(application->ShowMessageBox(owner, text.c_str(), caption, style, &pressed)))
        return pressed;
    return MessageBoxW(owner, text.c_str(), caption, style);
}

void TellWithoutFrame(const std::wstring& text, const wchar_t* caption)
{
    constexpr UINT FailureStyle = MB_OK | MB_ICONERROR;
    std::optional<ComApartment> apartment;
    std::optional<RegisteredFramework> framework;
    try
    {
        apartment.emplace();
        framework.emplace(ExecutableFolder());
        // The person who started the frame reads the box, as at the frame.
        framework->StandIn().ShowModuleDialogs(VARIANT_TRUE);
    }
    catch (const std::exception&)
    {
        // Without the framework the box still reaches the screen.
    }
    ShowHostMessageBox(nullptr, text, caption, FailureStyle);
}

} // namespace Host
