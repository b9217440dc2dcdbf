// WTL::CDialogResize: moves and stretches a dialog's controls when the dialog is resized, by the
// dialog's resize map (BEGIN_DLGRESIZE_MAP .. END_DLGRESIZE_MAP), and keeps the dialog from being made
// smaller than a minimum. A control that stretches grows with the dialog; one that moves keeps its
// distance from the right (bottom) edge; one that is centred moves by half the change.
//
//     BEGIN_DLGRESIZE_MAP(SetupPage)
//         DLGRESIZE_CONTROL(1074, DLSZ_SIZE_X)
//         DLGRESIZE_CONTROL(1092, DLSZ_MOVE_X)
//     END_DLGRESIZE_MAP()
//
// The dialog chains its message map to CDialogResize<T> and calls DlgResize_Init at WM_INITDIALOG.
#pragma once

#include "platform/atl/MessageMap.h"

#include <windows.h>

#include <vector>

namespace WTL
{

enum : DWORD
{
    DLSZ_SIZE_X = 0x00000001,
    DLSZ_SIZE_Y = 0x00000002,
    DLSZ_MOVE_X = 0x00000004,
    DLSZ_MOVE_Y = 0x00000008,
    DLSZ_REPAINT = 0x00000010,
    DLSZ_CENTER_X = 0x00000020,
    DLSZ_CENTER_Y = 0x00000040,
};

// The id of the size grip a resizable dialog may show in its corner.
constexpr int SizeGripId = 0xE801;

struct DlgResizeEntry
{
    int ControlId;
    DWORD Flags;
};

// A control's rectangle after the dialog's client area grew by (dx, dy) from its first size.
RECT ResizedControlRect(const RECT& initial, DWORD flags, int dx, int dy);

template <class T>
class CDialogResize
{
public:
    // Remembers the client size and each mapped control's rectangle; with a grip, adds one; with
    // useMinTrackSize, the dialog's present size becomes its minimum.
    void DlgResize_Init(bool addGripper = true, bool useMinTrackSize = true, DWORD forceStyle = WS_CLIPCHILDREN)
    {
        T& dialog = static_cast<T&>(*this);
        if (forceStyle)
            ::SetWindowLongPtrW(dialog.m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(dialog.m_hWnd, GWL_STYLE) | forceStyle);
        RECT client{};
        ::GetClientRect(dialog.m_hWnd, &client);
        m_sizeDialog = SIZE{client.right, client.bottom};
        if (useMinTrackSize)
        {
            RECT window{};
            ::GetWindowRect(dialog.m_hWnd, &window);
            m_ptMinTrackSize = POINT{window.right - window.left, window.bottom - window.top};
        }
        m_bGripper = addGripper;
        if (addGripper && !::GetDlgItem(dialog.m_hWnd, SizeGripId))
        {
            ::CreateWindowExW(0, L"SCROLLBAR", nullptr,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEBOX | SBS_SIZEBOXBOTTOMRIGHTALIGN, 0, 0,
                              client.right, client.bottom, dialog.m_hWnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(SizeGripId)), nullptr, nullptr);
        }
        m_arrData.clear();
        for (const DlgResizeEntry* entry = T::GetDlgResizeMap(); entry->ControlId != -1; ++entry)
        {
            const HWND control = ::GetDlgItem(dialog.m_hWnd, entry->ControlId);
            if (!control)
                continue;
            RECT rect{};
            ::GetWindowRect(control, &rect);
            ::MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
            m_arrData.push_back(Control{entry->ControlId, entry->Flags, rect});
        }
    }

    void DlgResize_UpdateLayout(int width, int height)
    {
        T& dialog = static_cast<T&>(*this);
        const int dx = width - m_sizeDialog.cx, dy = height - m_sizeDialog.cy;
        for (const Control& control : m_arrData)
        {
            const HWND window = ::GetDlgItem(dialog.m_hWnd, control.Id);
            const RECT rect = ResizedControlRect(control.Initial, control.Flags, dx, dy);
            ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            if (control.Flags & DLSZ_REPAINT)
                ::InvalidateRect(window, nullptr, TRUE);
        }
        if (const HWND grip = m_bGripper ? ::GetDlgItem(dialog.m_hWnd, SizeGripId) : nullptr)
        {
            RECT rect{};
            ::GetWindowRect(grip, &rect);
            ::SetWindowPos(grip, nullptr, width - (rect.right - rect.left), height - (rect.bottom - rect.top), 0, 0,
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
        }
    }

    BEGIN_MSG_MAP(CDialogResize)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    END_MSG_MAP()

    LRESULT OnSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
    {
        T& dialog = static_cast<T&>(*this);
        if (m_bGripper)
            if (const HWND grip = ::GetDlgItem(dialog.m_hWnd, SizeGripId))
            {
                if (wParam == SIZE_MAXIMIZED)
                    ::ShowWindow(grip, SW_HIDE);
                else if (wParam == SIZE_RESTORED)
                    ::ShowWindow(grip, SW_SHOW);
            }
        // The dialog's own layout, when it has one, runs in place of the map's alone.
        if (wParam != SIZE_MINIMIZED)
            dialog.DlgResize_UpdateLayout(LOWORD(lParam), HIWORD(lParam));
        handled = FALSE; // the dialog may handle the size too
        return 0;
    }

    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& handled)
    {
        if (m_ptMinTrackSize.x != -1 && m_ptMinTrackSize.y != -1)
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = m_ptMinTrackSize;
        handled = FALSE;
        return 0;
    }

    struct Control
    {
        int Id;
        DWORD Flags;
        RECT Initial;
    };
    std::vector<Control> m_arrData;
    SIZE m_sizeDialog{0, 0};
    POINT m_ptMinTrackSize{-1, -1};
    bool m_bGripper = false;
};

} // namespace WTL

#define BEGIN_DLGRESIZE_MAP(theClass)                                                                           \
    static const ::WTL::DlgResizeEntry* GetDlgResizeMap()                                                       \
    {                                                                                                           \
        static const ::WTL::DlgResizeEntry entries[] = {
#define DLGRESIZE_CONTROL(id, flags) {(id), (flags)},
#define END_DLGRESIZE_MAP()                                                                                     \
    {                                                                                                           \
        -1, 0                                                                                                   \
    }                                                                                                           \
    }                                                                                                           \
    ;                                                                                                           \
    return entries;                                                                                             \
    }
