#include "host/app/gui/ViewFrame.h"
#include "host/app/gui/FrameArrangement.h"
#include "host/app/gui/ScrollBars.h"
#include "host/app/gui/WindowClass.h"

#include "host/app/files/TextConversion.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace Host
{

namespace
{

constexpr const wchar_t* ViewFrameClass = L"SistraHostViewFrame";
constexpr DWORD ChildFrameStyle = WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
// A frame of its own sits in a bare top window: the display draws no decoration there, so the frame's
// caption is drawn as in the host's frame window.
constexpr DWORD ContainerStyle = WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE;

// The least size a view can lay its controls out in, as it answers WM_GETMINMAXINFO (zero when it
// names none).
SIZE LeastViewSize(HWND view)
{
    MINMAXINFO limits{};
    SendMessageW(view, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    return SIZE{std::max(0L, limits.ptMinTrackSize.x), std::max(0L, limits.ptMinTrackSize.y)};
}

// The least size the frame last placed its view at, kept in the frame's window.
constexpr int NotedLeastSlot = 0;

// A view whose least size changed (a longer text, controls shown) may no longer fit the tile it was given:
// the window that tiles the frames arranges them again. A frame in a bare window of its own has none.
void NoteLeastSize(HWND frame, SIZE least)
{
    const LONG_PTR noted = static_cast<LONG_PTR>(least.cx) << 32 | static_cast<ULONG>(least.cy);
    if (SetWindowLongPtrW(frame, NotedLeastSlot, noted) == noted)
        return;
    const HWND root = GetAncestor(frame, GA_ROOT);
    if (GetClassLongPtrW(root, GCW_ATOM) != GetClassLongPtrW(frame, GCW_ATOM))
        ArrangeAgain(frame);
}

// The view's window fills the frame's client area, but never gets smaller than the least size it
// names: below that the frame scrolls it rather than let its controls run into each other.
void PlaceView(HWND frame)
{
    static thread_local bool placing = false;
    HWND view = GetWindow(frame, GW_CHILD);
    if (!view || placing)
        return;
    placing = true;
    const SIZE least = LeastViewSize(view);
    NoteLeastSize(frame, least);
    // First from the whole client area, so that bars shown while the frame was smaller go where the view
    // fits it exactly; then twice: a bar that appears narrows the other direction, which may then need its
    // bar too.
    RECT client{};
    GetClientRect(frame, &client);
    const LONG style = GetWindowLongW(frame, GWL_STYLE);
    SetScrollRange(frame, SB_HORZ, least.cx, client.right + (style & WS_VSCROLL ? GetSystemMetrics(SM_CXVSCROLL) : 0));
    SetScrollRange(frame, SB_VERT, least.cy, client.bottom + (style & WS_HSCROLL ? GetSystemMetrics(SM_CYHSCROLL) : 0));
    for (int round = 0; round < 2; ++round)
    {
        GetClientRect(frame, &client);
        SetScrollRange(frame, SB_HORZ, least.cx, client.right);
        SetScrollRange(frame, SB_VERT, least.cy, client.bottom);
    }
    GetClientRect(frame, &client);
    MoveWindow(view, -GetScrollPos(frame, SB_HORZ), -GetScrollPos(frame, SB_VERT),
               std::max<int>(client.right, least.cx), std::max<int>(client.bottom, least.cy), TRUE);
    placing = false;
}

void Scroll(HWND frame, int bar, WORD request)
{
    if (ScrollAsRequested(frame, bar, request))
        PlaceView(frame);
}

LRESULT CALLBACK ViewFrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE: PlaceView(window); break;
    case WM_HSCROLL: Scroll(window, SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: Scroll(window, SB_VERT, LOWORD(wParam)); return 0;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterViewFrameClass()
{
    EnsureWindowClass(ViewFrameClass, ViewFrameProcedure, {true, COLOR_APPWORKSPACE, sizeof(LONG_PTR)}, "the view frame's");
}

std::wstring ViewTitle(IDocView2& view)
{
    BSTR title = nullptr;
    view.GetTitle(&title);
    std::wstring text = title ? title : L"";
    SysFreeString(title);
    return text;
}

} // namespace

HRESULT STDMETHODCALLTYPE ViewFrame::Site::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE ViewFrame::Site::GetParentWindow(HWND* parent)
{
    if (!parent)
        return E_POINTER;
    *parent = parent_;
    return S_OK;
}

ViewFrame::ViewFrame(IDocViewClass& viewClass, IUnknown* document, HWND parent, const RECT& place)
{
    RegisterViewFrameClass();
    viewClass.GetTypeId(&typeId_);
    BSTR className = nullptr;
    if (SUCCEEDED(viewClass.GetTitle(&className)) && className)
        className_ = className;
    SysFreeString(className);
    HRESULT result = viewClass.CreateView(0, document, view_.Put());
    if (FAILED(result) || !view_)
        throw std::runtime_error("the view class made no view: " + HResultText(result));
    RECT framePlace = place;
    if (!parent)
    {
        container_ = CreateWindowExW(WS_EX_TOOLWINDOW, ViewFrameClass, L"", ContainerStyle, place.left, place.top,
                                     place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        if (!container_)
            throw std::runtime_error("cannot make the view's window: " + SystemErrorText(GetLastError()));
        parent = container_;
        OffsetRect(&framePlace, -place.left, -place.top);
    }
    frame_ = CreateWindowExW(0, ViewFrameClass, ViewTitle(*view_.Get()).c_str(), ChildFrameStyle, framePlace.left,
                             framePlace.top, framePlace.right - framePlace.left, framePlace.bottom - framePlace.top,
                             parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!frame_)
    {
        const DWORD error = GetLastError();
        if (container_)
            DestroyWindow(container_);
        throw std::runtime_error("cannot make the view's frame: " + SystemErrorText(error));
    }
    site_ = Site(frame_);
    Orv::ComPtr<IClientWindow> client;
    result = view_->QueryInterface(IID_IClientWindow, client.PutVoid());
    if (SUCCEEDED(result))
        result = client->CreateClientWindow(&site_, &viewWindow_);
    // A view that answers success yet leaves no window would show an empty frame: refuse it as well.
    if (FAILED(result) || !IsWindow(viewWindow_))
    {
        const std::string title = ToUtf8(ViewTitle(*view_.Get()));
        view_->Close();
        DestroyWindow(container_ ? container_ : frame_);
        throw std::runtime_error("the view '" + title + "' made no window: " +
                                 (FAILED(result) ? HResultText(result) : "it answered success without one"));
    }
    PlaceView(frame_);
    ShowWindow(viewWindow_, SW_SHOW);
    // A view the host opens is its active one: the document learns that it shows it.
    view_->Activate();
}

ViewFrame::~ViewFrame()
{
    view_->Close();
    view_.Reset();
    const HWND outer = Outer();
    if (IsWindow(outer))
        DestroyWindow(outer);
}

} // namespace Host
