// The host's main window: its title names the document, its menu bar carries the menus the module's
// classes added, and the module's views sit in it as child windows, tiled.
#pragma once

#include "host/app/gui/HostMenus.h"
#include "host/app/gui/ViewFrame.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

struct IVyrStandIn;

namespace Host
{

class FrameWindow
{
public:
    // Throws std::runtime_error when the window cannot be made.
    FrameWindow(const std::wstring& title, std::vector<MenuCommandEntry> menus, const RECT& place);
    ~FrameWindow();
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    HWND Handle() const { return window_; }
    // Opens a view of the class on document in a frame of its own inside this window.
    void OpenView(IDocViewClass& viewClass, IUnknown* document);
    const std::vector<std::unique_ptr<ViewFrame>>& Views() const { return views_; }
    // Closes every view (before the document they show closes).
    void CloseViews();
    // Runs the window's messages until it is closed; the exit code of the loop.
    // hooks: the framework whose modules' loop hooks see each message first and do their idle work.
    int Run(IVyrStandIn* hooks = nullptr);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Tile();
    void Execute(UINT itemId);
    void ActivateViewAt(POINT screenPoint);

    HWND window_ = nullptr;
    HostMenus menus_;
    std::vector<std::unique_ptr<ViewFrame>> views_;
    ViewFrame* active_ = nullptr;
    bool running_ = false;  // closing the window ends Run's loop
};

} // namespace Host
