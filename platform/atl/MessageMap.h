// Message maps: a class lists its handlers between BEGIN_MSG_MAP and END_MSG_MAP, and the generated
// ProcessWindowMessage runs the first handler that matches. A handler gets a "handled" flag that is
// set before the call; clearing it lets the search go on (to later entries, chained maps, and at last
// the window's default processing).
//
//     BEGIN_MSG_MAP(Accordion)
//         MESSAGE_HANDLER(WM_PAINT, OnPaint)        // LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL& handled)
//         COMMAND_ID_HANDLER(IDOK, OnOk)           // LRESULT OnOk(WORD code, WORD id, HWND control, BOOL&)
//         NOTIFY_HANDLER(100, NM_CLICK, OnClick)   // LRESULT OnClick(int id, NMHDR*, BOOL&)
//         CHAIN_MSG_MAP(CDialogResize<Accordion>)
//     END_MSG_MAP()
#pragma once

#include <windows.h>

namespace ATL
{

class CMessageMap
{
public:
    virtual ~CMessageMap() = default;
    // True when a handler took the message; lResult is then the message's result.
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                      DWORD dwMsgMapID = 0) = 0;
};

} // namespace ATL

#define BEGIN_MSG_MAP(theClass)                                                                                 \
public:                                                                                                         \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,            \
                              DWORD dwMsgMapID = 0)                                                            \
    {                                                                                                           \
        BOOL bHandled = TRUE;                                                                                   \
        (void)hWnd;                                                                                             \
        (void)bHandled;                                                                                         \
        switch (dwMsgMapID)                                                                                     \
        {                                                                                                       \
        case 0:

#define ATL_MSG_ENTRY(condition, call)                                                                          \
    if (condition)                                                                                              \
    {                                                                                                           \
        bHandled = TRUE;                                                                                        \
        lResult = call;                                                                                         \
        if (bHandled)                                                                                           \
            return TRUE;                                                                                        \
    }

#define MESSAGE_HANDLER(msg, func) ATL_MSG_ENTRY(uMsg == (msg), func(uMsg, wParam, lParam, bHandled))
#define MESSAGE_RANGE_HANDLER(first, last, func)                                                                \
    ATL_MSG_ENTRY(uMsg >= (first) && uMsg <= (last), func(uMsg, wParam, lParam, bHandled))
#define COMMAND_HANDLER(id, code, func)                                                                         \
    ATL_MSG_ENTRY(uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code),                     \
                  func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled))
#define COMMAND_ID_HANDLER(id, func)                                                                            \
    ATL_MSG_ENTRY(uMsg == WM_COMMAND && LOWORD(wParam) == (id),                                                 \
                  func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled))
#define COMMAND_CODE_HANDLER(code, func)                                                                        \
    ATL_MSG_ENTRY(uMsg == WM_COMMAND && HIWORD(wParam) == (code),                                               \
                  func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled))
// (The notification parameter is not called code: that would replace NMHDR's member of that name.)
#define NOTIFY_HANDLER(id, notification, func)                                                                  \
    ATL_MSG_ENTRY(uMsg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == static_cast<UINT_PTR>(id) && \
                      reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(notification),                \
                  func(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), bHandled))
#define NOTIFY_CODE_HANDLER(notification, func)                                                                 \
    ATL_MSG_ENTRY(uMsg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(notification), \
                  func(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), bHandled))
#define CHAIN_MSG_MAP(theChainClass)                                                                            \
    if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                              \
        return TRUE;
#define CHAIN_MSG_MAP_MEMBER(theChainMember)                                                                    \
    if ((theChainMember).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                            \
        return TRUE;
#define ALT_MSG_MAP(msgMapID)                                                                                   \
    break;                                                                                                      \
    case msgMapID:
#define END_MSG_MAP()                                                                                           \
    break;                                                                                                      \
    default:                                                                                                    \
        break;                                                                                                  \
        }                                                                                                       \
        return FALSE;                                                                                           \
        }
