#include "host/app/gui/ScrollingViewsArea.h"
#include "host/app/gui/ScrollBars.h"
#include "host/app/gui/WindowClass.h"

#include "host/app/files/TextConversion.h"

#include <algorithm>
#include <stdexcept>

namespace Host
{

namespace
{

constexpr const wchar_t* AreaClass = L"SistraHostViewsArea";
constexpr int AreaObjectSlot = 0;
// One notch of the mouse wheel scrolls as many lines as a text window does by default.
constexpr int WheelLines = 3;

LONG BottomOf(const std::vector<RECT>& places)
{
    LONG bottom = 0;
    for (const RECT& place : places)
        bottom = std::max(bottom, place.bottom);
    return bottom;
}

} // namespace

ScrollingViewsArea::ScrollingViewsArea(HWND frame)
{
    EnsureWindowClass(AreaClass, Procedure, {true, COLOR_APPWORKSPACE, sizeof(ScrollingViewsArea*)}, "the views area's");
    window_ = CreateWindowExW(0, AreaClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                              frame, nullptr, GetModuleHandleW(nullptr), this);
    if (!window_)
        throw std::runtime_error("cannot make the frame's views area: " + SystemErrorText(GetLastError()));
}

ScrollingViewsArea::~ScrollingViewsArea()
{
    if (IsWindow(window_))
    {
        SetWindowLongPtrW(window_, AreaObjectSlot, 0);
        DestroyWindow(window_);
    }
}

void ScrollingViewsArea::Arrange(const RECT& place, const std::vector<HWND>& windows, const Arranger& arrange)
{
    const int width = place.right - place.left, height = place.bottom - place.top;
    MoveWindow(window_, place.left, place.top, width, height, TRUE);
    std::vector<RECT> places = arrange(RECT{0, 0, width, height});
    if (BottomOf(places) > height)
        places = arrange(RECT{0, 0, std::max(0, width - GetSystemMetrics(SM_CXVSCROLL)), height});
    SetScrollRange(window_, SB_VERT, BottomOf(places), height);
    places_.clear();
    for (size_t index = 0; index < windows.size() && index < places.size(); ++index)
        places_.emplace_back(windows[index], places[index]);
    PlaceAtScroll();
}

void ScrollingViewsArea::ScrollIntoSight(HWND window)
{
    const auto found = std::find_if(places_.begin(), places_.end(), [&](const auto& each) { return each.first == window; });
    if (found == places_.end())
        return;
    RECT client{};
    GetClientRect(window_, &client);
    const int position = GetScrollPos(window_, SB_VERT);
    const RECT& place = found->second;
    if (place.top < position || place.bottom - place.top > client.bottom)
        SetScrollPos(window_, SB_VERT, place.top, TRUE);
    else if (place.bottom > position + client.bottom)
        SetScrollPos(window_, SB_VERT, place.bottom - client.bottom, TRUE);
    PlaceAtScroll();
}

void ScrollingViewsArea::PlaceAtScroll()
{
    const int position = GetScrollPos(window_, SB_VERT);
    for (const auto& [window, place] : places_)
        if (IsWindow(window))
            MoveWindow(window, place.left, place.top - position, place.right - place.left, place.bottom - place.top, TRUE);
}

LRESULT CALLBACK ScrollingViewsArea::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, AreaObjectSlot,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* area = reinterpret_cast<ScrollingViewsArea*>(GetWindowLongPtrW(window, AreaObjectSlot));
    if (area && message == WM_VSCROLL)
    {
        if (ScrollAsRequested(window, SB_VERT, LOWORD(wParam)))
            area->PlaceAtScroll();
        return 0;
    }
    if (area && message == WM_MOUSEWHEEL)
    {
        ScrollBy(window, SB_VERT, -GET_WHEEL_DELTA_WPARAM(wParam) * WheelLines * ScrollLine / WHEEL_DELTA);
        area->PlaceAtScroll();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace Host
