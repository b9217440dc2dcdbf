#include "HelpWindow.h"
#include "ToolCaption.h"

#include "foundation/system/GdiObjects.h"

#include <algorithm>

namespace Vyr
{

namespace
{

constexpr const wchar_t* HelpWindowClass = L"SistraHostHelp";
constexpr LONG Gap = 8;
constexpr int TextMargin = 12;
constexpr DWORD HelpStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

LONG Width(const RECT& place)
{
    return place.right - place.left;
}

// The first row below main's caption and menu bar on the screen.
LONG BelowMenuBar(HWND main)
{
    POINT origin{0, 0};
    if (!main || !IsWindow(main) || !ClientToScreen(main, &origin))
        return LONG_MIN;
    MENUBARINFO bar{sizeof bar};
    if (GetMenu(main) && GetMenuBarInfo(main, OBJID_MENU, 0, &bar))
        return std::max(origin.y, bar.rcBar.bottom);
    return origin.y;
}

RECT WorkAreaOf(HWND window)
{
    MONITORINFO monitor{sizeof monitor};
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return monitor.rcWork;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

} // namespace

RECT PlaceBeside(const RECT& owner, SIZE size, const RECT& workArea, LONG lowestTop)
{
    LONG left = workArea.right - size.cx;
    if (owner.right + Gap + size.cx <= workArea.right)
        left = owner.right + Gap;
    else if (owner.left - Gap - size.cx >= workArea.left)
        left = owner.left - Gap - size.cx;
    left = std::max(left, workArea.left);
    const LONG highest = std::max(workArea.top, lowestTop);
    const LONG top = std::max(std::min(owner.top, workArea.bottom - size.cy), highest);
    return RECT{left, top, left + std::min(size.cx, Width(workArea)), top + size.cy};
}

HelpWindow::~HelpWindow()
{
    if (Handle())
    {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

HRESULT HelpWindow::Show(const std::wstring& title, const std::wstring& text, HWND main)
{
    text_ = text;
    HWND asking = GetActiveWindow();
    if (asking && asking == Handle())
        asking = GetWindow(asking, GW_OWNER);
    HWND owner = asking ? GetAncestor(asking, GA_ROOT) : main;
    if (!Handle())
    {
        WNDCLASSEXW windowClass{sizeof windowClass};
        if (!GetClassInfoExW(GetModuleHandleW(nullptr), HelpWindowClass, &windowClass))
        {
            windowClass.lpfnWndProc = Procedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
            windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            windowClass.lpszClassName = HelpWindowClass;
            if (!RegisterClassExW(&windowClass))
                return HRESULT_FROM_WIN32(GetLastError());
        }
        // Owned, so that it stays above the window that asked without holding its input.
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW, HelpWindowClass, title.c_str(), HelpStyle, 0, 0, Size.cx,
                                  Size.cy, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!window_)
            return HRESULT_FROM_WIN32(GetLastError());
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    SetWindowTextW(window_, title.c_str());
    RECT ownerPlace{};
    if (owner)
        GetWindowRect(owner, &ownerPlace);
    const RECT place = PlaceBeside(ownerPlace, Size, WorkAreaOf(owner ? owner : window_), BelowMenuBar(main));
    SetWindowPos(window_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
    ShowWindow(window_, SW_SHOWNA);
    return S_OK;
}

LRESULT CALLBACK HelpWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* help = reinterpret_cast<HelpWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (LRESULT result = 0; ToolCaption::Handle(window, message, wParam, lParam, result))
        return result;
    switch (message)
    {
    case WM_PAINT:
    {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        RECT client{};
        GetClientRect(window, &client);
        InflateRect(&client, -TextMargin, -TextMargin);
        {
            const Orv::SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            if (help)
                DrawTextW(dc, help->text_.c_str(), -1, &client, DT_WORDBREAK | DT_NOPREFIX);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
        {
            DestroyWindow(window);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        if (help && help->window_ == window)
            help->window_ = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace Vyr
