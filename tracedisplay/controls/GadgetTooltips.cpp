#include "tracedisplay/controls/GadgetTooltips.h"

#include "foundation/text/String.h"
#include "foundation/text/StringResources.h"

#include <commctrl.h>

#include <map>
#include <mutex>

namespace StrixDraw
{

namespace
{
TTTOOLINFOW ToolOf(HWND bar, UINT id)
{
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = bar;
    tool.uId = id;
    return tool;
}
} // namespace

GadgetTooltips::~GadgetTooltips()
{
    if (tips_ && IsWindow(tips_))
        DestroyWindow(tips_);
}

void GadgetTooltips::Show(OWL::TGadgetWindow& bar, UINT id, const std::wstring& text)
{
    OWL::TGadget* gadget = bar.GadgetWithId(static_cast<int>(id));
    if (!gadget || !bar.GetHandle())
        return;
    if (!tips_)
        tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, bar.GetHandle(), nullptr, nullptr,
                                nullptr);
    if (!tips_)
        return;
    TTTOOLINFOW tool = ToolOf(bar.GetHandle(), id);
    tool.uFlags = TTF_SUBCLASS;
    tool.rect = gadget->GetBounds();
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    TTTOOLINFOW existing = ToolOf(bar.GetHandle(), id);
    if (SendMessageW(tips_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&existing)))
        SendMessageW(tips_, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
    else
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring GadgetTooltips::Text(HWND bar, UINT id) const
{
    if (!tips_)
        return {};
    wchar_t text[256] = {};
    TTTOOLINFOW tool = ToolOf(bar, id);
    tool.lpszText = text;
    SendMessageW(tips_, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
    return text;
}

void GadgetTooltips::Activate(bool active) const
{
    if (tips_)
        SendMessageW(tips_, TTM_ACTIVATE, active, 0);
}

const std::wstring& TooltipText(UINT id)
{
    static std::mutex guard;
    static std::map<UINT, std::wstring> loaded;
    const std::lock_guard<std::mutex> lock(guard);
    auto found = loaded.find(id);
    if (found == loaded.end())
        found = loaded.emplace(id, Orv::String(Orv::ThisModule(), id, true).c_str()).first;
    return found->second;
}

} // namespace StrixDraw
