// A window of the host's own that shows a table in a list, with buttons under it where it has any: the
// results sheet and the analysis manager.
// It is owned by the host's frame, stays above it, and is closed by its close box or Escape (and made
// again when it is asked for again).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace Host
{

class HostListWindow
{
public:
    // A button along the window's foot and what a click on it does.
    struct Button
    {
        std::wstring caption;
        std::function<void()> run;
    };

    HostListWindow(HWND owner, std::wstring title, const RECT& place);
    ~HostListWindow();
    HostListWindow(const HostListWindow&) = delete;
    HostListWindow& operator=(const HostListWindow&) = delete;

    // Shows the window with these columns and rows, made when the user closed it. Throws
    // std::runtime_error when the window cannot be made.
    void Show(const std::vector<std::wstring>& columns, const std::vector<std::vector<std::wstring>>& rows);
    // Null while it is not open.
    HWND Handle() const { return IsWindow(window_) ? window_ : nullptr; }
    HWND List() const { return Handle() ? list_ : nullptr; }
    // The buttons the window is made with from now on, under the list.
    void SetButtons(std::vector<Button> buttons) { buttons_ = std::move(buttons); }
    // The index-th button's window; null while the window is not open.
    HWND ButtonAt(size_t index) const
    {
        return Handle() && index < buttonWindows_.size() ? buttonWindows_[index] : nullptr;
    }
    // Asks, from any thread, for refresh to run once on the window's thread; a request while one waits
    // is the same request.
    void RequestRefresh(std::function<void()> refresh);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Create();
    void Place(int width, int height);
    void FitColumns(const std::vector<std::wstring>& columns, const std::vector<std::vector<std::wstring>>& rows) const;
    void RunButton(size_t index);

    HWND owner_;
    std::wstring title_;
    RECT place_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND messenger_ = nullptr;
    std::function<void()> refresh_;
    std::vector<Button> buttons_;
    std::vector<HWND> buttonWindows_;
    std::atomic<bool> refreshDue_{false};
};

} // namespace Host
