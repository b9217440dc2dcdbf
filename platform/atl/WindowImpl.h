// ATL::CWindowImpl: a window whose messages go to its class's message map, made by Create or bound to
// an existing window by SubclassWindow (the window's previous procedure then does the default
// processing). After the window's last message (WM_NCDESTROY) the object is unbound and OnFinalMessage
// runs; an object that lives on the heap may delete itself there.
//
// The object is found from the handle through a window property (never GWLP_USERDATA), and nothing
// thrown by a handler leaves the window procedure: it is logged and the message gets its default
// processing.
#pragma once

#include "platform/atl/MessageMap.h"
#include "platform/atl/Window.h"

#include <cwchar>
#include <string>

namespace ATL
{

// The module whose resources (dialog templates) the templates use: the one this code is linked into,
// unless set otherwise.
HINSTANCE GetResourceInstance();
void SetResourceInstance(HINSTANCE instance);

class CWindowImplRoot : public CWindow, public CMessageMap
{
public:
    CWindowImplRoot() = default;
    ~CWindowImplRoot() override;
    CWindowImplRoot(const CWindowImplRoot&) = delete;
    CWindowImplRoot& operator=(const CWindowImplRoot&) = delete;

    // Binds the object to an existing window and takes over its messages; false when either is bound.
    BOOL SubclassWindow(HWND handle);
    // Gives the window its procedure back; the handle it had, or null when it could not.
    HWND UnsubclassWindow(BOOL force = FALSE);

    // The default processing: the window's previous procedure, or DefWindowProc.
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc();
    // Called after the window's last message, with the handle it had.
    virtual void OnFinalMessage(HWND handle);

    // The object bound to a window, or null.
    static CWindowImplRoot* FromHandle(HWND handle);
    static LRESULT CALLBACK WindowProc(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);

    const MSG* m_pCurrentMsg = nullptr;

protected:
    // Makes a window of a class this library registered; the object binds at its first message.
    HWND CreateBound(HWND parent, const RECT& rect, const wchar_t* name, DWORD style, DWORD exStyle, UINT id,
                     void* param, const wchar_t* className);
    // Registers the class once per module, with this library's window procedure.
    static void RegisterOnce(WNDCLASSEXW& windowClass);
    void Bind(HWND handle);
    void Unbind();
    // One message through the map, with the failure boundary; true when handled.
    BOOL Dispatch(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;
    // After WM_NCDESTROY: unbinds and runs OnFinalMessage.
    void Finish(HWND handle) noexcept;

    WNDPROC m_pfnSuperWindowProc = ::DefWindowProcW;
    bool Subclassed = false;
};

// The registration of a window implementation's class.
struct CWndClassInfo
{
    const wchar_t* Name;
    UINT Style;
    int Background; // a system colour index + 1, or 0 for none
};

#define DECLARE_WND_CLASS(name)                                                                                 \
    static ::ATL::CWndClassInfo& GetWndClassInfo()                                                              \
    {                                                                                                           \
        static ::ATL::CWndClassInfo info{name, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW + 1};         \
        return info;                                                                                            \
    }
#define DECLARE_WND_CLASS_EX(name, style, background)                                                           \
    static ::ATL::CWndClassInfo& GetWndClassInfo()                                                              \
    {                                                                                                           \
        static ::ATL::CWndClassInfo info{name, style, (background) + 1};                                        \
        return info;                                                                                            \
    }

template <class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImplBaseT : public CWindowImplRoot
{
public:
    static DWORD GetWndStyle(DWORD style) { return TWinTraits::GetWndStyle(style); }
    static DWORD GetWndExStyle(DWORD exStyle) { return TWinTraits::GetWndExStyle(exStyle); }
    virtual WNDPROC GetWindowProc() { return &WindowProc; }
};

template <class T, class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImpl : public CWindowImplBaseT<TBase, TWinTraits>
{
public:
    // A class of its own per implementation unless it declares one (DECLARE_WND_CLASS).
    static CWndClassInfo& GetWndClassInfo()
    {
        static const std::wstring name = [] {
            wchar_t text[40];
            swprintf(text, 40, L"ATL:%p", reinterpret_cast<const void*>(&GetWndClassInfo));
            return std::wstring(text);
        }();
        static CWndClassInfo info{name.c_str(), CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW + 1};
        return info;
    }

    HWND Create(HWND parent, const RECT& rect = RECT{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0},
                const wchar_t* windowName = nullptr, DWORD style = 0, DWORD exStyle = 0, UINT id = 0,
                void* param = nullptr)
    {
        const CWndClassInfo& info = T::GetWndClassInfo();
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = info.Style;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(info.Background));
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = info.Name;
        CWindowImplRoot::RegisterOnce(windowClass);
        return this->CreateBound(parent, rect, windowName, T::GetWndStyle(style), T::GetWndExStyle(exStyle), id,
                                 param, info.Name);
    }
};

} // namespace ATL
