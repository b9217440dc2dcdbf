// The host's print preview: the pages a print job gave, one under the other at the window's width on a
// grey desk, scrolled with the scroll bar, the wheel or the keys; Escape closes it. It is owned by the
// host's frame and stays above it.
#pragma once

#include "host/app/gui/ViewOutput.h"

#include <windows.h>

namespace Host
{

class PrintPreviewWindow
{
public:
    // Throws std::runtime_error when the window cannot be made.
    PrintPreviewWindow(HWND owner, PrintedPages printed);
    ~PrintPreviewWindow();
    PrintPreviewWindow(const PrintPreviewWindow&) = delete;
    PrintPreviewWindow& operator=(const PrintPreviewWindow&) = delete;

    // Null once the user closed it.
    HWND Handle() const { return IsWindow(window_) ? window_ : nullptr; }
    size_t PageCount() const { return printed_.pages.size(); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    // A page's height at the window's width, gap included.
    int PageStep() const;
    void UpdateScrollRange();
    void ScrollTo(int position);

    HWND window_ = nullptr;
    PrintedPages printed_;
    SIZE pageSize_{};
    int scroll_ = 0;
};

} // namespace Host
