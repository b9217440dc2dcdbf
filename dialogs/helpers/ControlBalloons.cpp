#include "dialogs/helpers/ControlBalloons.h"

#include "controls/balloon/BalloonHelp.h"
#include "foundation/text/StringResources.h"

#include <cwchar>

namespace Sistra
{

namespace
{

// The box of a check box or radio button sits at its left edge, this far in and down.
constexpr int BoxOffset = 7;
constexpr LONG CheckBoxStyleBit = 0x2;

constexpr UINT BalloonOptions = WTL::CBalloonHelp::ShowCloseButton | WTL::CBalloonHelp::ShowInnerShadow |
                                WTL::CBalloonHelp::CloseOnLButtonDown | WTL::CBalloonHelp::CloseOnRButtonDown |
                                WTL::CBalloonHelp::CloseOnDeactivate | WTL::CBalloonHelp::DeleteThisOnClose |
                                WTL::CBalloonHelp::DisableFadeIn | WTL::CBalloonHelp::DisableFadeOut |
                                // A control near the screen's edge pushes the balloon along it; the tail then
                                // still stands on its tip instead of slanting off it.
                                WTL::CBalloonHelp::TailBaseFollowsTip;
constexpr UINT BalloonLayout = WTL::CBalloonHelp::IconLeft | WTL::CBalloonHelp::ContentLeft |
                               WTL::CBalloonHelp::TitleLeft | WTL::CBalloonHelp::CloseRight;

bool IsBoxButton(HWND control)
{
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    return _wcsicmp(className, L"Button") == 0 && (GetWindowLongW(control, GWL_STYLE) & CheckBoxStyleBit) != 0;
}

} // namespace

POINT ControlBalloonAnchor(HWND control)
{
    RECT window{};
    GetWindowRect(control, &window);
    if (IsBoxButton(control))
        return {window.left + BoxOffset, window.top + BoxOffset};
    return {(window.left + window.right) / 2, (window.top + window.bottom) / 2};
}

HWND ShowControlBalloon(HWND control, const Orv::String& title, const Orv::String& text)
{
    if (!IsWindow(control))
        return nullptr;
    auto* balloon = new WTL::CBalloonHelp;
    const POINT anchor = ControlBalloonAnchor(control);
    balloon->SetIcon(LoadIconW(nullptr, IDI_EXCLAMATION));
    if (!balloon->Create(control, title.c_str(), text.c_str(), &anchor, BalloonOptions, nullptr, 0, BalloonLayout))
    {
        delete balloon;
        return nullptr;
    }
    return balloon->m_hWnd;
}

HWND ShowControlBalloonFromStrings(HWND control, UINT titleId, UINT textId)
{
    return ShowControlBalloon(control, Orv::String(Orv::ThisModule(), titleId, true),
                              Orv::String(Orv::ThisModule(), textId, true));
}

HWND ShowValidationBalloon(HWND control, const ValidationResult& result)
{
    return ShowControlBalloon(control, result.title, result.message);
}

} // namespace Sistra
