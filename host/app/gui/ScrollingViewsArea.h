// The part of the frame that holds the module's views (all but the one docked in the host's pane), as a
// multiple-document frame's client area does: where the views need more height than the frame leaves
// them, it scrolls them, so that each keeps a size it is usable at however small the frame is.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

namespace Host
{

class ScrollingViewsArea
{
public:
    // An area inside the frame window; throws std::runtime_error when its window cannot be made.
    explicit ScrollingViewsArea(HWND frame);
    ~ScrollingViewsArea();
    ScrollingViewsArea(const ScrollingViewsArea&) = delete;
    ScrollingViewsArea& operator=(const ScrollingViewsArea&) = delete;

    // The parent of the views it holds.
    HWND Handle() const { return window_; }

    // The places of windows (children of Handle()) in content that starts at the top of client, as wide as
    // client; places below client's bottom are scrolled to.
    using Arranger = std::function<std::vector<RECT>(const RECT& client)>;
    // Moves the area to place (in the frame's client area) and the windows where arrange puts them: in the
    // whole width while their places fit its height, else in the width the scroll bar leaves.
    void Arrange(const RECT& place, const std::vector<HWND>& windows, const Arranger& arrange);
    // Scrolls the least that shows the window whole, or its top where it is higher than the area.
    void ScrollIntoSight(HWND window);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The windows at their places, moved up by the scroll position.
    void PlaceAtScroll();

    HWND window_ = nullptr;
    std::vector<std::pair<HWND, RECT>> places_; // in the content, whose top is the area's at position 0
};

} // namespace Host
