#include "host/app/gui/PrintPreviewWindow.h"
#include "host/app/gui/WindowClass.h"

#include "host/app/files/TextConversion.h"
#include "host/vyr/ToolCaption.h"

#include "foundation/system/GdiObjects.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

namespace Host
{

namespace
{

constexpr const wchar_t* PreviewClass = L"SistraHostPrintPreview";
constexpr int Desk = 16; // the grey margin round and between the pages
constexpr int ScrollLine = 40;
constexpr COLORREF DeskColour = RGB(128, 128, 128);

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP size{};
    GetObjectW(bitmap, sizeof size, &size);
    return SIZE{size.bmWidth, size.bmHeight};
}

// Where the preview opens: most of the owner's work area, beside nothing, so that the pages are large.
RECT PreviewPlace(HWND owner)
{
    RECT place{};
    if (!owner || !GetWindowRect(owner, &place))
        place = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const int width = std::min<int>(place.right - place.left, 700);
    const int height = std::max<int>(place.bottom - place.top - 60, 300);
    return RECT{place.left + 60, place.top + 40, place.left + 60 + width, place.top + 40 + height};
}

} // namespace

PrintPreviewWindow::PrintPreviewWindow(HWND owner, PrintedPages printed) : printed_(std::move(printed))
{
    if (!printed_.pages.empty())
        pageSize_ = BitmapSize(printed_.pages.front().get());
    EnsureWindowClass(PreviewClass, Procedure, {}, "the preview's");
    const RECT place = PreviewPlace(owner);
    const std::wstring title = L"Print Preview - " + printed_.title + L" (" +
                               std::to_wstring(printed_.pages.size()) +
                               (printed_.pages.size() == 1 ? L" page)" : L" pages)");
    // A tool window: its caption and close box are drawn also where no window manager decorates windows
    // (the host draws them).
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, PreviewClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VSCROLL,
                              place.left, place.top, place.right - place.left, place.bottom - place.top,
                              owner, nullptr, GetModuleHandleW(nullptr), this);
    if (!window_)
        throw std::runtime_error("cannot make the print preview: " + SystemErrorText(GetLastError()));
    UpdateScrollRange();
    ShowWindow(window_, SW_SHOW);
    SetFocus(window_);
}

PrintPreviewWindow::~PrintPreviewWindow()
{
    if (Handle())
    {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

int PrintPreviewWindow::PageStep() const
{
    RECT client{};
    GetClientRect(window_, &client);
    const int width = std::max<int>(client.right - 2 * Desk, 1);
    return pageSize_.cx > 0 ? MulDiv(pageSize_.cy, width, pageSize_.cx) + Desk : Desk;
}

void PrintPreviewWindow::UpdateScrollRange()
{
    RECT client{};
    GetClientRect(window_, &client);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE};
    info.nMax = Desk + PageStep() * static_cast<int>(printed_.pages.size());
    info.nPage = static_cast<UINT>(client.bottom);
    SetScrollInfo(window_, SB_VERT, &info, TRUE);
    ScrollTo(scroll_);
}

void PrintPreviewWindow::ScrollTo(int position)
{
    SCROLLINFO info{sizeof info, SIF_ALL};
    GetScrollInfo(window_, SB_VERT, &info);
    scroll_ = std::clamp(position, 0, std::max(0, info.nMax - static_cast<int>(info.nPage) + 1));
    SetScrollPos(window_, SB_VERT, scroll_, TRUE);
    InvalidateRect(window_, nullptr, FALSE);
}

void PrintPreviewWindow::Paint()
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    const Orv::UniqueBrush desk(CreateSolidBrush(DeskColour));
    FillRect(dc, &client, desk.Get());
    const int width = std::max<int>(client.right - 2 * Desk, 1);
    const int step = PageStep();
    {
        const Orv::MemoryDc source(dc);
        SetStretchBltMode(dc, HALFTONE);
        for (size_t page = 0; page < printed_.pages.size(); ++page)
        {
            const int top = Desk + static_cast<int>(page) * step - scroll_;
            if (top > client.bottom || top + step < 0)
                continue;
            const Orv::SelectedObject selected(source.Get(), printed_.pages[page].get());
            StretchBlt(dc, Desk, top, width, step - Desk, source.Get(), 0, 0, pageSize_.cx, pageSize_.cy, SRCCOPY);
        }
    }
    EndPaint(window_, &paint);
}

LRESULT CALLBACK PrintPreviewWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* preview =
            static_cast<PrintPreviewWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(preview));
        preview->window_ = window;
    }
    auto* preview = reinterpret_cast<PrintPreviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!preview)
        return DefWindowProcW(window, message, wParam, lParam);
    return preview->OnMessage(message, wParam, lParam);
}

LRESULT PrintPreviewWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT result = 0; Vyr::ToolCaption::Handle(window_, message, wParam, lParam, result))
        return result;
    switch (message)
    {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        UpdateScrollRange();
        return 0;
    case WM_VSCROLL:
    {
        SCROLLINFO info{sizeof info, SIF_ALL};
        GetScrollInfo(window_, SB_VERT, &info);
        switch (LOWORD(wParam))
        {
        case SB_LINEUP:
            ScrollTo(scroll_ - ScrollLine);
            break;
        case SB_LINEDOWN:
            ScrollTo(scroll_ + ScrollLine);
            break;
        case SB_PAGEUP:
            ScrollTo(scroll_ - static_cast<int>(info.nPage));
            break;
        case SB_PAGEDOWN:
            ScrollTo(scroll_ + static_cast<int>(info.nPage));
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            ScrollTo(info.nTrackPos);
            break;
        default:
            break;
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
        ScrollTo(scroll_ - GET_WHEEL_DELTA_WPARAM(wParam) * ScrollLine / WHEEL_DELTA);
        return 0;
    case WM_KEYDOWN:
        switch (wParam)
        {
        case VK_ESCAPE:
            DestroyWindow(window_);
            return 0;
        case VK_UP:
            ScrollTo(scroll_ - ScrollLine);
            return 0;
        case VK_DOWN:
            ScrollTo(scroll_ + ScrollLine);
            return 0;
        case VK_PRIOR:
            ScrollTo(scroll_ - PageStep());
            return 0;
        case VK_NEXT:
            ScrollTo(scroll_ + PageStep());
            return 0;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

} // namespace Host
