#include "dialogs/framework/DialogCentring.h"

#include <algorithm>

namespace Orv
{

namespace
{

int Width(const RECT& rect)
{
    return rect.right - rect.left;
}

int Height(const RECT& rect)
{
    return rect.bottom - rect.top;
}

// The start of a span of length size centred on target, kept inside area, its start winning.
int CentredStart(int size, int targetStart, int targetSize, int areaStart, int areaEnd)
{
    int start = targetStart + (targetSize - size) / 2;
    start = std::min(start, areaEnd - size);
    return std::max(start, areaStart);
}

RECT WorkAreaNear(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

} // namespace

RECT CentredRect(const RECT& dialog, const RECT& target, const RECT& area)
{
    const int left = CentredStart(Width(dialog), target.left, Width(target), area.left, area.right);
    const int top = CentredStart(Height(dialog), target.top, Height(target), area.top, area.bottom);
    return {left, top, left + Width(dialog), top + Height(dialog)};
}

void CentreDialog(HWND dialog)
{
    RECT rect{}, target{}, area{};
    GetWindowRect(dialog, &rect);
    if ((GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD) != 0)
    {
        HWND parent = GetParent(dialog);
        GetClientRect(parent, &area);
        target = area;
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    else
    {
        area = WorkAreaNear(dialog);
        HWND owner = GetWindow(dialog, GW_OWNER);
        if (owner && IsWindowVisible(owner) && !IsIconic(owner))
            GetWindowRect(owner, &target);
        else
            target = area;
    }
    const RECT centred = CentredRect(rect, target, area);
    SetWindowPos(dialog, nullptr, centred.left, centred.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace Orv
