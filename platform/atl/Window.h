// ATL::CWindow: a window handle with the calls made on it; it owns nothing. CWinTraits carries the
// styles a window implementation is created with.
#pragma once

#include <windows.h>

#include <string>

namespace ATL
{

class CWindow
{
public:
    CWindow(HWND handle = nullptr) : m_hWnd(handle) {}
    CWindow& operator=(HWND handle)
    {
        m_hWnd = handle;
        return *this;
    }
    operator HWND() const { return m_hWnd; }

    void Attach(HWND handle) { m_hWnd = handle; }
    HWND Detach()
    {
        const HWND handle = m_hWnd;
        m_hWnd = nullptr;
        return handle;
    }

    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    BOOL DestroyWindow()
    {
        const BOOL done = ::DestroyWindow(m_hWnd);
        if (done)
            m_hWnd = nullptr;
        return done;
    }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL GetClientRect(RECT* rect) const { return ::GetClientRect(m_hWnd, rect); }
    BOOL GetWindowRect(RECT* rect) const { return ::GetWindowRect(m_hWnd, rect); }
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) const
    {
        return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    BOOL MoveWindow(const RECT* rect, BOOL repaint = TRUE) const
    {
        return MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
    }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) const
    {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL Invalidate(BOOL erase = TRUE) const { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL InvalidateRect(const RECT* rect, BOOL erase = TRUE) const { return ::InvalidateRect(m_hWnd, rect, erase); }
    BOOL UpdateWindow() const { return ::UpdateWindow(m_hWnd); }
    BOOL SetWindowText(const wchar_t* text) const { return ::SetWindowTextW(m_hWnd, text); }
    std::wstring GetWindowText() const
    {
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    void SetFont(HFONT font, BOOL redraw = TRUE) const { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) const { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    BOOL ScreenToClient(POINT* point) const { return ::ScreenToClient(m_hWnd, point); }
    BOOL ClientToScreen(POINT* point) const { return ::ClientToScreen(m_hWnd, point); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    HWND SetCapture() const { return ::SetCapture(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    // Changes the style bits; true when they changed.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0) const { return Modify(GWL_STYLE, remove, add, swpFlags); }
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0) const
    {
        return Modify(GWL_EXSTYLE, remove, add, swpFlags);
    }
    HDC GetDC() const { return ::GetDC(m_hWnd); }
    int ReleaseDC(HDC dc) const { return ::ReleaseDC(m_hWnd, dc); }

    HWND m_hWnd;

private:
    BOOL Modify(int index, DWORD remove, DWORD add, UINT swpFlags) const
    {
        const DWORD old = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, index));
        const DWORD changed = (old & ~remove) | add;
        if (changed == old)
            return FALSE;
        ::SetWindowLongPtrW(m_hWnd, index, static_cast<LONG_PTR>(changed));
        if (swpFlags)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
        return TRUE;
    }
};

template <DWORD Style = 0, DWORD ExStyle = 0>
class CWinTraits
{
public:
    static DWORD GetWndStyle(DWORD style) { return style == 0 ? Style : style; }
    static DWORD GetWndExStyle(DWORD exStyle) { return exStyle == 0 ? ExStyle : exStyle; }
};

using CControlWinTraits = CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0>;
using CFrameWinTraits = CWinTraits<WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE>;

} // namespace ATL
