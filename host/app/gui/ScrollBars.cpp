#include "host/app/gui/ScrollBars.h"

namespace Host
{

void SetScrollRange(HWND window, int bar, int content, int page)
{
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE};
    const bool needed = content > page;
    info.nMax = needed ? content - 1 : 0;
    info.nPage = needed ? static_cast<UINT>(page) : 0;
    SetScrollInfo(window, bar, &info, FALSE);
    ShowScrollBar(window, bar, needed);
    if (!needed)
        SetScrollPos(window, bar, 0, FALSE);
}

bool ScrollAsRequested(HWND window, int bar, WORD request)
{
    SCROLLINFO info{sizeof info, SIF_ALL};
    GetScrollInfo(window, bar, &info);
    int position = info.nPos;
    switch (request)
    {
    case SB_LINEUP: position -= ScrollLine; break;
    case SB_LINEDOWN: position += ScrollLine; break;
    case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: return false;
    }
    SetScrollPos(window, bar, position, TRUE);
    return true;
}

void ScrollBy(HWND window, int bar, int pixels)
{
    SetScrollPos(window, bar, GetScrollPos(window, bar) + pixels, TRUE);
}

} // namespace Host
