#include "tracedisplay/datawin/DataWinBase.h"

#include "tracedisplay/controls/ScrollBarWin.h"

#include "platform/owl/Module.h"

#include <new>

namespace StrixDraw
{

namespace
{
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);

// State shared by every trace window of the process. The hook is removed when the module goes, so
// that no hook into unloaded code is left behind.
struct SharedState
{
    HHOOK hook = nullptr;
    bool mouseOver = false;
    MoveCursorState cursor;

    ~SharedState()
    {
        if (hook)
            UnhookWindowsHookEx(hook);
    }
};

SharedState& Shared()
{
    static SharedState state;
    return state;
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    SharedState& state = Shared();
    if (code >= 0)
    {
        const HCURSOR move = LoadCursorW(nullptr, IDC_SIZEALL);
        const bool controlDown = GetAsyncKeyState(VK_CONTROL) < 0;
        if (const HCURSOR next = state.cursor.Next(state.mouseOver, controlDown, GetCursor(), move))
            SetCursor(next);
    }
    return CallNextHookEx(state.hook, code, wParam, lParam);
}

HINSTANCE ModuleInstance()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&KeyboardHookProc), &module);
    return module;
}
} // namespace

HCURSOR MoveCursorState::Next(bool mouseOver, bool controlDown, HCURSOR current, HCURSOR move)
{
    if (!mouseOver)
        return nullptr;
    if (controlDown)
    {
        if (current == move)
            return nullptr;
        remembered = current;
        return move;
    }
    return current == move ? remembered : nullptr;
}

DEFINE_RESPONSE_TABLE1(DataWinBase, OWL::TWindow)
    EV_WM_ERASEBKGND,
    EV_WM_PAINT,
    EV_WM_MOVE,
    EV_WM_SIZE,
    EV_WM_MOUSEWHEEL,
    EV_WM_MOUSEMOVE,
    EV_WM_MOUSELEAVE,
    EV_WM_LBUTTONDOWN,
    EV_WM_LBUTTONDBLCLK,
    EV_WM_LBUTTONUP,
    EV_WM_RBUTTONDOWN,
    EV_WM_RBUTTONUP,
    EV_WM_TIMER,
    EV_WM_SETCURSOR,
    EV_WM_INITMENUPOPUP,
    EV_MESSAGE(WM_UNINITMENUPOPUP, EvUninitMenuPopup),
    EV_WM_MENUSELECT,
END_RESPONSE_TABLE;

DataWinBase::DataWinBase(OWL::TWindow* parent) : OWL::TWindow(parent, L"")
{
    Attr.AccelTable = TraceAcceleratorTable;
    SharedState& state = Shared();
    if (!state.hook)
        state.hook = SetWindowsHookExW(WH_KEYBOARD, KeyboardHookProc, ModuleInstance(), GetCurrentThreadId());
}

DataWinBase::~DataWinBase() = default;

ScrollBar* DataWinBase::CreateScrollBar(ScrollListener* listener)
{
    return new (std::nothrow) ScrollBarWin(this, listener);
}

ZoomControl* DataWinBase::CreateZoomControl(ZoomListener* listener, ULONG flags)
{
    return new (std::nothrow) ZoomControlWin(this, listener, flags);
}

bool DataWinBase::GetPaneClientRect(OWL::TRect& rect) const
{
    if (!GetHandle())
        return false;
    rect = GetClientRect();
    return true;
}

bool DataWinBase::MouseOverDataWindow()
{
    return Shared().mouseOver;
}

HHOOK DataWinBase::KeyboardHook()
{
    return Shared().hook;
}

void DataWinBase::SetMouseOver(bool over)
{
    Shared().mouseOver = over;
}

void DataWinBase::EvMove(const OWL::TPoint& origin)
{
    OWL::TWindow::EvMove(origin);
}

void DataWinBase::EvSize(UINT sizeType, const OWL::TSize& size)
{
    OWL::TWindow::EvSize(sizeType, size);
}

void DataWinBase::EvLButtonDown(UINT modKeys, const OWL::TPoint& point)
{
    OWL::TWindow::EvLButtonDown(modKeys, point);
}

void DataWinBase::EvLButtonDblClk(UINT modKeys, const OWL::TPoint& point)
{
    OWL::TWindow::EvLButtonDblClk(modKeys, point);
}

void DataWinBase::EvLButtonUp(UINT modKeys, const OWL::TPoint& point)
{
    SetFocus();
    OWL::TWindow::EvLButtonUp(modKeys, point);
}

void DataWinBase::EvRButtonDown(UINT modKeys, const OWL::TPoint& point)
{
    OWL::TWindow::EvRButtonDown(modKeys, point);
}

void DataWinBase::EvRButtonUp(UINT modKeys, const OWL::TPoint& point)
{
    OWL::TWindow::EvRButtonUp(modKeys, point);
}

void DataWinBase::EvTimer(UINT timerId)
{
    OWL::TWindow::EvTimer(timerId);
}

bool DataWinBase::EvMouseWheel(UINT, int, const OWL::TPoint&)
{
    return false;
}

void DataWinBase::EvMouseMove(UINT modKeys, const OWL::TPoint& point)
{
    SetMouseOver(true);
    OWL::TWindow::EvMouseMove(modKeys, point);
}

void DataWinBase::EvMouseLeave()
{
    SetMouseOver(false);
    OWL::TWindow::EvMouseLeave();
}

// Over a child window (a scale, a bar) the cursor is left as it is.
bool DataWinBase::EvSetCursor(HWND window, UINT hitTest, UINT mouseMsg)
{
    if (window != GetHandle())
        return true;
    return OWL::TWindow::EvSetCursor(window, hitTest, mouseMsg);
}

} // namespace StrixDraw
