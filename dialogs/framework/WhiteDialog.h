// The white look of the module's dialogs and step pages: a white background with, under OK and Cancel,
// a light grey band as tall above the buttons as it is below them, and controls drawn on it with
// transparent text.
#pragma once

#include "platform/atl/MessageMap.h"

#include <windows.h>

namespace Orv
{

// The brushes of one dialog; the background brush is made on first use from the client height then.
class WhiteDialogLook
{
public:
    static constexpr COLORREF White = RGB(255, 255, 255);
    static constexpr COLORREF Band = RGB(240, 240, 240);
    static constexpr COLORREF BandLine = RGB(223, 223, 223);

    WhiteDialogLook() = default;
    WhiteDialogLook(const WhiteDialogLook&) = delete;
    WhiteDialogLook& operator=(const WhiteDialogLook&) = delete;
    ~WhiteDialogLook();

    // The dialog's background brush (null when it cannot be made).
    HBRUSH DialogBrush(HWND dialog, HDC dc);
    // A control's: the band's grey for OK and Cancel, white for the others.
    static HBRUSH ControlBrush(HWND control, HDC dc);
    // Where the band starts in the dialog's client area; the client bottom when it has no OK or Cancel.
    static int BandTop(HWND dialog);

private:
    HBITMAP bitmap_ = nullptr;
    HBRUSH brush_ = nullptr;
};

template <class T>
class WhiteDlg
{
public:
    BEGIN_MSG_MAP(WhiteDlg)
        MESSAGE_HANDLER(WM_CTLCOLORDLG, OnDialogColour)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnControlColour)
        MESSAGE_HANDLER(WM_CTLCOLORBTN, OnControlColour)
        MESSAGE_HANDLER(WM_CTLCOLORLISTBOX, OnControlColour)
        MESSAGE_HANDLER(WM_CTLCOLOREDIT, OnControlColour)
    END_MSG_MAP()

private:
    LRESULT OnDialogColour(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        return reinterpret_cast<LRESULT>(look_.DialogBrush(static_cast<T*>(this)->m_hWnd, reinterpret_cast<HDC>(wParam)));
    }
    LRESULT OnControlColour(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        return reinterpret_cast<LRESULT>(WhiteDialogLook::ControlBrush(reinterpret_cast<HWND>(lParam),
                                                                        reinterpret_cast<HDC>(wParam)));
    }

    WhiteDialogLook look_;
};

} // namespace Orv
