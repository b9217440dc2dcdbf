#include "platform/atl/WindowImpl.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/FailureLog.h"

#include <atomic>
#include <utility>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace ATL
{

namespace
{

std::atomic<HINSTANCE> resourceInstance{reinterpret_cast<HINSTANCE>(&__ImageBase)};

// The property that holds the object of a window; each copy of this library in a process has its own.
const wchar_t* ObjectProperty()
{
    static const std::wstring name = [] {
        wchar_t text[48];
        swprintf(text, 48, L"ATL.Window.%p", static_cast<void*>(&__ImageBase));
        return std::wstring(text);
    }();
    return name.c_str();
}

thread_local CWindowImplRoot* windowBeingCreated = nullptr;

} // namespace

HINSTANCE GetResourceInstance()
{
    return resourceInstance.load();
}

void SetResourceInstance(HINSTANCE instance)
{
    resourceInstance.store(instance);
}

CWindowImplRoot::~CWindowImplRoot()
{
    // An object that ends before its window leaves the window to its own class.
    if (m_hWnd && FromHandle(m_hWnd) == this)
        UnsubclassWindow(TRUE);
}

CWindowImplRoot* CWindowImplRoot::FromHandle(HWND handle)
{
    return handle ? static_cast<CWindowImplRoot*>(::GetPropW(handle, ObjectProperty())) : nullptr;
}

void CWindowImplRoot::Bind(HWND handle)
{
    ::SetPropW(handle, ObjectProperty(), this);
    m_hWnd = handle;
}

void CWindowImplRoot::Unbind()
{
    if (m_hWnd && FromHandle(m_hWnd) == this)
        ::RemovePropW(m_hWnd, ObjectProperty());
    m_hWnd = nullptr;
}

BOOL CWindowImplRoot::SubclassWindow(HWND handle)
{
    if (m_hWnd || !::IsWindow(handle) || FromHandle(handle))
        return FALSE;
    Bind(handle);
    m_pfnSuperWindowProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
    Subclassed = true;
    return TRUE;
}

HWND CWindowImplRoot::UnsubclassWindow(BOOL force)
{
    if (!m_hWnd)
        return nullptr;
    const bool stillOurs = ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&WindowProc);
    if (Subclassed)
    {
        // Someone subclassed the window after us: taking our procedure out would cut them off.
        if (!stillOurs && !force)
            return nullptr;
        if (stillOurs)
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWindowProc));
    }
    const HWND handle = m_hWnd;
    Unbind();
    Subclassed = false;
    m_pfnSuperWindowProc = ::DefWindowProcW;
    return handle;
}

LRESULT CWindowImplRoot::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(m_pfnSuperWindowProc, m_hWnd, msg, wParam, lParam);
}

LRESULT CWindowImplRoot::DefWindowProc()
{
    return m_pCurrentMsg ? DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam) : 0;
}

void CWindowImplRoot::OnFinalMessage(HWND) {}

void CWindowImplRoot::RegisterOnce(WNDCLASSEXW& windowClass)
{
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
    if (::GetClassInfoExW(instance, windowClass.lpszClassName, &existing))
        return;
    windowClass.hInstance = instance;
    windowClass.lpfnWndProc = &WindowProc;
    ::RegisterClassExW(&windowClass);
}

HWND CWindowImplRoot::CreateBound(HWND parent, const RECT& rect, const wchar_t* name, DWORD style, DWORD exStyle,
                                  UINT id, void* param, const wchar_t* className)
{
    if (m_hWnd)
        return nullptr;
    const HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    CWindowImplRoot* const outer = std::exchange(windowBeingCreated, this);
    const HWND handle = ::CreateWindowExW(exStyle, className, name, style, rect.left, rect.top,
                                          rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId,
                                          reinterpret_cast<HINSTANCE>(&__ImageBase), param);
    windowBeingCreated = outer;
    return handle;
}

BOOL CWindowImplRoot::Dispatch(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept
{
    MSG current{handle, msg, wParam, lParam, 0, {}};
    const MSG* const outer = std::exchange(m_pCurrentMsg, &current);
    BOOL handled = FALSE;
    const HRESULT outcome =
        Orv::CatchReturn([&] { handled = ProcessWindowMessage(handle, msg, wParam, lParam, result, 0); });
    m_pCurrentMsg = outer;
    if (FAILED(outcome))
    {
        Orv::LogHandlerFailure(handle, msg, outcome);
        handled = FALSE;
    }
    return handled;
}

void CWindowImplRoot::Finish(HWND handle) noexcept
{
    if (FromHandle(handle) != this)
        return;
    Unbind();
    Subclassed = false;
    m_pfnSuperWindowProc = ::DefWindowProcW;
    const HRESULT outcome = Orv::CatchReturn([&] { OnFinalMessage(handle); });
    if (FAILED(outcome))
        Orv::LogHandlerFailure(handle, WM_NCDESTROY, outcome);
}

LRESULT CALLBACK CWindowImplRoot::WindowProc(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWindowImplRoot* self = FromHandle(handle);
    if (!self && windowBeingCreated)
    {
        self = std::exchange(windowBeingCreated, nullptr);
        self->Bind(handle);
    }
    if (!self)
        return ::DefWindowProcW(handle, msg, wParam, lParam);
    LRESULT result = 0;
    const bool outermost = self->m_pCurrentMsg == nullptr;
    if (!self->Dispatch(handle, msg, wParam, lParam, result))
    {
        result = 0;
        const WNDPROC super = self->m_pfnSuperWindowProc;
        const HRESULT outcome = Orv::CatchReturn([&] { result = ::CallWindowProcW(super, handle, msg, wParam, lParam); });
        if (FAILED(outcome))
            Orv::LogHandlerFailure(handle, msg, outcome);
    }
    if (msg == WM_NCDESTROY && outermost)
        self->Finish(handle);
    return result;
}

} // namespace ATL
