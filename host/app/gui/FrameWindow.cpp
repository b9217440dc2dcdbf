#include "host/app/gui/FrameWindow.h"

#include "hostapi/VyrClassRegistry.h"

#include "host/app/TextConversion.h"

#include <stdexcept>

namespace Host
{

namespace
{

constexpr const wchar_t* FrameClass = L"SistraHostFrame";
// The frame keeps its object in its own window's extra bytes.
constexpr int FrameObjectSlot = 0;

} // namespace

FrameWindow::FrameWindow(const std::wstring& title, std::vector<MenuCommandEntry> menus, const RECT& place)
{
    WNDCLASSEXW windowClass{sizeof windowClass};
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), FrameClass, &windowClass))
    {
        windowClass.lpfnWndProc = Procedure;
        windowClass.cbWndExtra = sizeof(FrameWindow*);
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
        windowClass.lpszClassName = FrameClass;
        if (!RegisterClassExW(&windowClass))
            throw std::runtime_error("cannot register the frame's window class: " + SystemErrorText(GetLastError()));
    }
    HMENU bar = menus_.Build(std::move(menus));
    window_ = CreateWindowExW(0, FrameClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                              place.left, place.top, place.right - place.left, place.bottom - place.top, nullptr,
                              bar, GetModuleHandleW(nullptr), this);
    if (!window_)
        throw std::runtime_error("cannot make the frame window: " + SystemErrorText(GetLastError()));
    menus_.Release();
}

FrameWindow::~FrameWindow()
{
    CloseViews();
    if (IsWindow(window_))
    {
        SetWindowLongPtrW(window_, FrameObjectSlot, 0);
        DestroyWindow(window_);
    }
}

void FrameWindow::OpenView(IDocViewClass& viewClass, IUnknown* document)
{
    views_.push_back(std::make_unique<ViewFrame>(viewClass, document, window_, RECT{0, 0, 320, 240}));
    Tile();
}

void FrameWindow::CloseViews()
{
    active_ = nullptr;
    views_.clear();
}

// Views side by side in rows, as many columns as a square grid needs.
void FrameWindow::Tile()
{
    if (views_.empty())
        return;
    RECT area{};
    GetClientRect(window_, &area);
    int columns = 1;
    while (columns * columns < static_cast<int>(views_.size()))
        ++columns;
    const int rows = (static_cast<int>(views_.size()) + columns - 1) / columns;
    const int width = area.right / columns, height = area.bottom / rows;
    for (size_t index = 0; index < views_.size(); ++index)
    {
        const int column = static_cast<int>(index) % columns, row = static_cast<int>(index) / columns;
        MoveWindow(views_[index]->Frame(), column * width, row * height, width, height, TRUE);
    }
}

void FrameWindow::Execute(UINT itemId)
{
    const MenuCommandEntry* entry = menus_.Find(itemId);
    if (!entry)
        return;
    // The active view handles a command first, as the host routes commands; then the command's owner.
    if (active_)
    {
        Orv::ComPtr<IVyrCommandHandler> handler;
        if (SUCCEEDED(active_->View().QueryInterface(IID_IVyrCommandHandler, handler.PutVoid())) &&
            handler->Execute(entry->id) == S_OK)
            return;
    }
    if (entry->owner)
        entry->owner->ExecuteCommand(entry->id);
}

void FrameWindow::ActivateViewAt(POINT screenPoint)
{
    for (const auto& view : views_)
    {
        RECT place{};
        GetWindowRect(view->Frame(), &place);
        if (PtInRect(&place, screenPoint) && active_ != view.get())
        {
            active_ = view.get();
            active_->View().Activate();
        }
    }
}

int FrameWindow::Run(IVyrStandIn* hooks)
{
    running_ = true;
    MSG message{};
    for (;;)
    {
        if (hooks && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
            hooks->RunLoopIdle();
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0)
            return got < 0 ? -1 : static_cast<int>(message.wParam);
        if (hooks && hooks->PreTranslateLoopMessage(&message) == S_OK)
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK FrameWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* frame = static_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, FrameObjectSlot, reinterpret_cast<LONG_PTR>(frame));
        frame->window_ = window;
    }
    auto* frame = reinterpret_cast<FrameWindow*>(GetWindowLongPtrW(window, FrameObjectSlot));
    if (!frame)
        return DefWindowProcW(window, message, wParam, lParam);
    // Nothing thrown may leave a window procedure: it would end the host.
    try
    {
        return frame->OnMessage(message, wParam, lParam);
    }
    catch (...)
    {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT FrameWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
        Tile();
        return 0;
    case WM_INITMENUPOPUP:
        menus_.UpdateStates(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0)
        {
            Execute(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_LBUTTONDOWN || LOWORD(wParam) == WM_RBUTTONDOWN)
        {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(window_, &point);
            ActivateViewAt(point);
        }
        break;
    case WM_CLOSE:
        // The views close while the document they show is still open.
        CloseViews();
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        if (running_)
            PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

} // namespace Host
