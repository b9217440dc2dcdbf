// The window part of every trace window: the trace display's accelerators, the move cursor shown
// while Ctrl is held over a trace window (one keyboard hook for the process), whether the mouse is over
// a trace window, and the scroll bar and zoom bar it makes for its pane on request. Each message goes
// to a virtual handler, so that the window that joins a pane can route it to the pane.
#pragma once

#include "tracedisplay/controls/ControlBase.h"
#include "tracedisplay/controls/ZoomControl.h"

#include "platform/owl/window/Window.h"
#include "resources/TraceDisplayIds.h"

namespace StrixDraw
{

inline constexpr wchar_t TraceAcceleratorTable[] = L"STRIXDRAWACCELS";

// Commands of the trace accelerators.
namespace TraceKeyCommand
{
constexpr UINT ScrollLeft = IDM_TRACE_SCROLL_LEFT;
constexpr UINT ScrollRight = IDM_TRACE_SCROLL_RIGHT;
constexpr UINT PageLeft = IDM_TRACE_PAGE_LEFT;
constexpr UINT PageRight = IDM_TRACE_PAGE_RIGHT;
} // namespace TraceKeyCommand

// The cursor the keyboard hook shows: the move cursor while Ctrl is held over a trace window, the
// cursor it replaced once Ctrl is let go. Returns the cursor to show, or null to leave it.
struct MoveCursorState
{
    HCURSOR remembered = nullptr;

    HCURSOR Next(bool mouseOver, bool controlDown, HCURSOR current, HCURSOR move);
};

class DataWinBase : public OWL::TWindow
{
public:
    explicit DataWinBase(OWL::TWindow* parent);
    ~DataWinBase() override;

    // The pane's controls, with this window as their parent; null when they cannot be made.
    virtual ScrollBar* CreateScrollBar(ScrollListener* listener);
    virtual ZoomControl* CreateZoomControl(ZoomListener* listener, ULONG flags);
    // The client rectangle; false while there is no window.
    virtual bool GetPaneClientRect(OWL::TRect& rect) const;

    // Whether the mouse is over a trace window of this process.
    static bool MouseOverDataWindow();
    // The process's keyboard hook, made by the first trace window.
    static HHOOK KeyboardHook();

protected:
    virtual void EvMove(const OWL::TPoint& origin);
    virtual void EvSize(UINT sizeType, const OWL::TSize& size);
    // The pane paints every pixel: the background is never erased.
    bool EvEraseBkgnd(HDC) { return true; }
    virtual void EvPaint() = 0;
    virtual void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    virtual void EvLButtonDblClk(UINT modKeys, const OWL::TPoint& point);
    virtual void EvLButtonUp(UINT modKeys, const OWL::TPoint& point);
    virtual void EvRButtonDown(UINT modKeys, const OWL::TPoint& point);
    virtual void EvRButtonUp(UINT modKeys, const OWL::TPoint& point);
    virtual void EvTimer(UINT timerId);
    virtual bool EvMouseWheel(UINT modKeys, int delta, const OWL::TPoint& screenPoint);
    virtual void EvMouseMove(UINT modKeys, const OWL::TPoint& point);
    virtual void EvMouseLeave();
    virtual bool EvSetCursor(HWND window, UINT hitTest, UINT mouseMsg);
    void EvInitMenuPopup(HMENU popup, UINT index, bool sysMenu) { OWL::TWindow::EvInitMenuPopup(popup, index, sysMenu); }
    LRESULT EvUninitMenuPopup(WPARAM, LPARAM) { return 0; }
    void EvMenuSelect(UINT item, UINT flags, HMENU menu) { OWL::TWindow::EvMenuSelect(item, flags, menu); }

    static void SetMouseOver(bool over);

    DECLARE_RESPONSE_TABLE(DataWinBase);
};

} // namespace StrixDraw
