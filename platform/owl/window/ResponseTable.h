// Response tables: each window class lists the messages, commands and notifications it handles in a
// static table, and its Find searches that table first and then its bases' tables, so that a derived
// class's entry wins over a base's. A class declares its table with DECLARE_RESPONSE_TABLE(Class) and
// defines it in one source file:
//
//     DEFINE_RESPONSE_TABLE1(MyView, OWL::TWindow)
//         EV_WM_SIZE,
//         EV_COMMAND(CM_COPY, CmCopy),
//         EV_COMMAND_ENABLE(CM_COPY, CeCopy),
//     END_RESPONSE_TABLE;
//
// An EV_WM_name entry calls the member Ev<Name> with the message's cracked arguments (the signatures are
// listed beside each macro); the base classes' members of those names do the default processing.
#pragma once

#include "platform/owl/Geometry.h"

#include <windows.h>

#include <type_traits>

// Sent to an edit whose text its validator refuses when the focus leaves it (wParam: the edit's handle).
#ifndef WM_CHILDINVALID
#define WM_CHILDINVALID 0x7FFE
#endif
// Asks a window whether a command is enabled (lParam: the OWL::TCommandEnabler).
#ifndef WM_COMMAND_ENABLE
#define WM_COMMAND_ENABLE 0x7FFF
#endif

namespace OWL
{

class TEventHandler;
class TCommandEnabler;

enum class TEntryKind : UINT
{
    End,
    Message,       // any message, by number
    Command,       // WM_COMMAND from a menu, an accelerator, or a button's click, by id
    CommandEnable, // WM_COMMAND_ENABLE, by command id
    ChildNotify,   // WM_COMMAND notification of a control, by id and code
    AnyChildNotify,// WM_COMMAND notification of a control, by id, any code
    Notify,        // WM_NOTIFY of a control, by id and code
};

using TDispatch = LRESULT (*)(TEventHandler& handler, WPARAM wParam, LPARAM lParam);

struct TResponseTableEntry
{
    TEntryKind Kind;
    UINT Msg;
    UINT Id;
    UINT Code;
    TDispatch Dispatch;
};

// What is looked for; Find sets Entry to the entry that handles it.
struct TEventInfo
{
    TEntryKind Kind;
    UINT Msg = 0;
    UINT Id = 0;
    UINT Code = 0;
    const TResponseTableEntry* Entry = nullptr;

    static TEventInfo Message(UINT msg) { return {TEntryKind::Message, msg}; }
    static TEventInfo Command(UINT id) { return {TEntryKind::Command, WM_COMMAND, id}; }
    static TEventInfo CommandEnable(UINT id) { return {TEntryKind::CommandEnable, WM_COMMAND_ENABLE, id}; }
    static TEventInfo ChildNotify(UINT id, UINT code) { return {TEntryKind::ChildNotify, WM_COMMAND, id, code}; }
    static TEventInfo Notify(UINT id, UINT code) { return {TEntryKind::Notify, WM_NOTIFY, id, code}; }
};

// Searches one class's own table (ended by END_RESPONSE_TABLE).
bool SearchEntries(const TResponseTableEntry* entries, TEventInfo& info);

class TEventHandler
{
public:
    virtual ~TEventHandler() = default;

    // Finds the entry that handles the event: this class's table, then its bases'. The root has none.
    virtual bool Find(TEventInfo& info);

    LRESULT Dispatch(const TEventInfo& info, WPARAM wParam, LPARAM lParam)
    {
        return info.Entry->Dispatch(*this, wParam, lParam);
    }
};

// A handler's return value as a message result: void answers 0, bool 1 or 0, handles their value.
template <class Call>
LRESULT ResultOf(Call&& call)
{
    using Result = decltype(call());
    if constexpr (std::is_void_v<Result>)
    {
        call();
        return 0;
    }
    else if constexpr (std::is_pointer_v<Result>)
        return reinterpret_cast<LRESULT>(call());
    else
        return static_cast<LRESULT>(call());
}

} // namespace OWL

#define DECLARE_RESPONSE_TABLE(cls)                                                                             \
public:                                                                                                         \
    using TMyClass = cls;                                                                                       \
    static const ::OWL::TResponseTableEntry ResponseTableEntries_[];                                            \
    bool Find(::OWL::TEventInfo& info) override

#define OWL_DEFINE_FIND(cls, searchBases)                                                                       \
    bool cls::Find(::OWL::TEventInfo& info)                                                                     \
    {                                                                                                           \
        return ::OWL::SearchEntries(ResponseTableEntries_, info) || (searchBases);                             \
    }                                                                                                           \
    const ::OWL::TResponseTableEntry cls::ResponseTableEntries_[] = {

#define DEFINE_RESPONSE_TABLE(cls) OWL_DEFINE_FIND(cls, false)
#define DEFINE_RESPONSE_TABLE1(cls, b1) OWL_DEFINE_FIND(cls, b1::Find(info))
#define DEFINE_RESPONSE_TABLE2(cls, b1, b2) OWL_DEFINE_FIND(cls, b1::Find(info) || b2::Find(info))
#define DEFINE_RESPONSE_TABLE3(cls, b1, b2, b3)                                                                 \
    OWL_DEFINE_FIND(cls, b1::Find(info) || b2::Find(info) || b3::Find(info))
#define END_RESPONSE_TABLE                                                                                      \
    {                                                                                                           \
        ::OWL::TEntryKind::End, 0, 0, 0, nullptr                                                                \
    }                                                                                                           \
    }

// One entry; the body sees the object as `self` and the message's arguments as wParam and lParam.
#define OWL_ENTRY(kind, msg, id, code, ...)                                                                     \
    {                                                                                                           \
        kind, static_cast<UINT>(msg), static_cast<UINT>(id), static_cast<UINT>(code),                          \
            [](::OWL::TEventHandler& handler, [[maybe_unused]] WPARAM wParam,                                   \
               [[maybe_unused]] LPARAM lParam) -> LRESULT {                                                     \
                [[maybe_unused]] auto& self = static_cast<TMyClass&>(handler);                                  \
                return ::OWL::ResultOf([&] { return __VA_ARGS__; });                                           \
            }                                                                                                   \
    }
#define OWL_MSG(msg, ...) OWL_ENTRY(::OWL::TEntryKind::Message, msg, 0, 0, __VA_ARGS__)
#define OWL_POINT_OF(lParam) ::OWL::TPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))

// Any message: LRESULT method(WPARAM, LPARAM).
#define EV_MESSAGE(msg, method) OWL_MSG(msg, self.method(wParam, lParam))
// A registered message (its number known only at run time) is handled through EV_MESSAGE in WindowProc.

// Commands: void method(); void method(UINT id); void method(TCommandEnabler&).
#define EV_COMMAND(id, method) OWL_ENTRY(::OWL::TEntryKind::Command, WM_COMMAND, id, 0, self.method())
#define EV_COMMAND_AND_ID(id, method)                                                                           \
    OWL_ENTRY(::OWL::TEntryKind::Command, WM_COMMAND, id, 0, self.method(LOWORD(wParam)))
#define EV_COMMAND_ENABLE(id, method)                                                                           \
    OWL_ENTRY(::OWL::TEntryKind::CommandEnable, WM_COMMAND_ENABLE, id, 0,                                       \
              self.method(*reinterpret_cast<::OWL::TCommandEnabler*>(lParam)))

// Control notifications by WM_COMMAND: void method(); all codes: void method(UINT code).
#define EV_CHILD_NOTIFY(id, code, method) OWL_ENTRY(::OWL::TEntryKind::ChildNotify, WM_COMMAND, id, code, self.method())
#define EV_CHILD_NOTIFY_ALL_CODES(id, method)                                                                   \
    OWL_ENTRY(::OWL::TEntryKind::AnyChildNotify, WM_COMMAND, id, 0, self.method(HIWORD(wParam)))
#define EV_BN_CLICKED(id, method) EV_CHILD_NOTIFY(id, BN_CLICKED, method)
#define EV_EN_CHANGE(id, method) EV_CHILD_NOTIFY(id, EN_CHANGE, method)
#define EV_EN_KILLFOCUS(id, method) EV_CHILD_NOTIFY(id, EN_KILLFOCUS, method)
#define EV_LBN_SELCHANGE(id, method) EV_CHILD_NOTIFY(id, LBN_SELCHANGE, method)
#define EV_LBN_DBLCLK(id, method) EV_CHILD_NOTIFY(id, LBN_DBLCLK, method)
#define EV_CBN_SELCHANGE(id, method) EV_CHILD_NOTIFY(id, CBN_SELCHANGE, method)
#define EV_CBN_EDITCHANGE(id, method) EV_CHILD_NOTIFY(id, CBN_EDITCHANGE, method)

// Control notifications by WM_NOTIFY: method(NMHDR&), returning void or the message's result.
#define EV_NOTIFY(id, code, method)                                                                             \
    OWL_ENTRY(::OWL::TEntryKind::Notify, WM_NOTIFY, id, code, self.method(*reinterpret_cast<NMHDR*>(lParam)))

// Window messages and the members they call.
#define EV_WM_PAINT OWL_MSG(WM_PAINT, self.EvPaint())                                     // void EvPaint()
#define EV_WM_ERASEBKGND OWL_MSG(WM_ERASEBKGND, self.EvEraseBkgnd(reinterpret_cast<HDC>(wParam))) // bool (HDC)
#define EV_WM_SIZE OWL_MSG(WM_SIZE, self.EvSize(static_cast<UINT>(wParam), ::OWL::TSize(LOWORD(lParam), HIWORD(lParam)))) // (UINT sizeType, const TSize&)
#define EV_WM_MOVE OWL_MSG(WM_MOVE, self.EvMove(OWL_POINT_OF(lParam)))                   // (const TPoint& clientOrigin)
#define EV_WM_CREATE OWL_MSG(WM_CREATE, self.EvCreate(*reinterpret_cast<CREATESTRUCTW*>(lParam))) // int (CREATESTRUCTW&)
#define EV_WM_DESTROY OWL_MSG(WM_DESTROY, self.EvDestroy())                               // void ()
#define EV_WM_NCDESTROY OWL_MSG(WM_NCDESTROY, self.EvNCDestroy())                         // void ()
#define EV_WM_CLOSE OWL_MSG(WM_CLOSE, self.EvClose())                                     // void ()
#define EV_WM_NCHITTEST OWL_MSG(WM_NCHITTEST, self.EvNCHitTest(OWL_POINT_OF(lParam)))     // UINT (const TPoint& screen)
#define EV_WM_LBUTTONDOWN OWL_MSG(WM_LBUTTONDOWN, self.EvLButtonDown(static_cast<UINT>(wParam), OWL_POINT_OF(lParam))) // (UINT modKeys, const TPoint&)
#define EV_WM_LBUTTONUP OWL_MSG(WM_LBUTTONUP, self.EvLButtonUp(static_cast<UINT>(wParam), OWL_POINT_OF(lParam)))
#define EV_WM_LBUTTONDBLCLK OWL_MSG(WM_LBUTTONDBLCLK, self.EvLButtonDblClk(static_cast<UINT>(wParam), OWL_POINT_OF(lParam)))
#define EV_WM_RBUTTONDOWN OWL_MSG(WM_RBUTTONDOWN, self.EvRButtonDown(static_cast<UINT>(wParam), OWL_POINT_OF(lParam)))
#define EV_WM_RBUTTONUP OWL_MSG(WM_RBUTTONUP, self.EvRButtonUp(static_cast<UINT>(wParam), OWL_POINT_OF(lParam)))
#define EV_WM_MBUTTONDOWN OWL_MSG(WM_MBUTTONDOWN, self.EvMButtonDown(static_cast<UINT>(wParam), OWL_POINT_OF(lParam)))
#define EV_WM_MOUSEMOVE OWL_MSG(WM_MOUSEMOVE, self.EvMouseMove(static_cast<UINT>(wParam), OWL_POINT_OF(lParam)))
#define EV_WM_MOUSEWHEEL OWL_MSG(WM_MOUSEWHEEL, self.EvMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), OWL_POINT_OF(lParam))) // (UINT modKeys, int delta, const TPoint& screen)
#define EV_WM_MOUSELEAVE OWL_MSG(WM_MOUSELEAVE, self.EvMouseLeave())                      // void ()
#define EV_WM_KEYDOWN OWL_MSG(WM_KEYDOWN, self.EvKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam))) // (UINT key, UINT repeat, UINT flags)
#define EV_WM_KEYUP OWL_MSG(WM_KEYUP, self.EvKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define EV_WM_CHAR OWL_MSG(WM_CHAR, self.EvChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define EV_WM_TIMER OWL_MSG(WM_TIMER, self.EvTimer(static_cast<UINT>(wParam)))           // (UINT timerId)
#define EV_WM_SETFOCUS OWL_MSG(WM_SETFOCUS, self.EvSetFocus(reinterpret_cast<HWND>(wParam))) // (HWND lostFocus)
#define EV_WM_KILLFOCUS OWL_MSG(WM_KILLFOCUS, self.EvKillFocus(reinterpret_cast<HWND>(wParam))) // (HWND getsFocus)
#define EV_WM_SETCURSOR OWL_MSG(WM_SETCURSOR, self.EvSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam))) // bool (HWND, UINT hitTest, UINT mouseMsg)
#define EV_WM_HSCROLL OWL_MSG(WM_HSCROLL, self.EvHScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) // (UINT code, UINT pos, HWND bar)
#define EV_WM_VSCROLL OWL_MSG(WM_VSCROLL, self.EvVScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
#define EV_WM_INITMENUPOPUP OWL_MSG(WM_INITMENUPOPUP, self.EvInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam) != 0)) // (HMENU, UINT index, bool sysMenu)
#define EV_WM_MENUSELECT OWL_MSG(WM_MENUSELECT, self.EvMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam))) // (UINT item, UINT flags, HMENU)
#define EV_WM_GETDLGCODE OWL_MSG(WM_GETDLGCODE, self.EvGetDlgCode(reinterpret_cast<const MSG*>(lParam))) // UINT (const MSG*)
#define EV_WM_SYSCOLORCHANGE OWL_MSG(WM_SYSCOLORCHANGE, self.EvSysColorChange())          // void ()
#define EV_WM_GETMINMAXINFO OWL_MSG(WM_GETMINMAXINFO, self.EvGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam))) // (MINMAXINFO&)
#define EV_WM_CONTEXTMENU OWL_MSG(WM_CONTEXTMENU, self.EvContextMenu(reinterpret_cast<HWND>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) // (HWND, int x, int y)
#define EV_WM_SHOWWINDOW OWL_MSG(WM_SHOWWINDOW, self.EvShowWindow(wParam != 0, static_cast<UINT>(lParam))) // (bool show, UINT status)
#define EV_WM_WINDOWPOSCHANGED OWL_MSG(WM_WINDOWPOSCHANGED, self.EvWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam))) // (const WINDOWPOS&)
#define EV_WM_MOUSEACTIVATE OWL_MSG(WM_MOUSEACTIVATE, self.EvMouseActivate(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam))) // UINT (HWND top, UINT hitTest, UINT msg)
#define EV_WM_CAPTURECHANGED OWL_MSG(WM_CAPTURECHANGED, self.EvCaptureChanged(reinterpret_cast<HWND>(lParam))) // (HWND gainsCapture)
#define EV_WM_CTLCOLORSTATIC OWL_MSG(WM_CTLCOLORSTATIC, self.EvCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), CTLCOLOR_STATIC)) // HBRUSH (HDC, HWND child, UINT ctlType)
#define EV_WM_CTLCOLOREDIT OWL_MSG(WM_CTLCOLOREDIT, self.EvCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), CTLCOLOR_EDIT))
#define EV_WM_CTLCOLORBTN OWL_MSG(WM_CTLCOLORBTN, self.EvCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), CTLCOLOR_BTN))
#define EV_WM_CTLCOLORLISTBOX OWL_MSG(WM_CTLCOLORLISTBOX, self.EvCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), CTLCOLOR_LISTBOX))
#define EV_WM_CTLCOLORDLG OWL_MSG(WM_CTLCOLORDLG, self.EvCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), CTLCOLOR_DLG))
#define EV_WM_INITDIALOG OWL_MSG(WM_INITDIALOG, self.EvInitDialog(reinterpret_cast<HWND>(wParam))) // bool (HWND focus)
#define EV_WM_CHILDINVALID OWL_MSG(WM_CHILDINVALID, self.EvChildInvalid(reinterpret_cast<HWND>(wParam))) // (HWND child)
