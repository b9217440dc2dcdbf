// The logic interfaces through which a trace window reaches the controls around it, apart from the
// window classes that implement them.
#pragma once

#include "platform/owl/Geometry.h"

#include <windows.h>

namespace Orv
{

class UIElement
{
public:
    virtual ~UIElement() = default;
};

} // namespace Orv

namespace StrixDraw
{

class ControlBase : public Orv::UIElement
{
public:
    virtual void SetRect(const OWL::TRect& rect) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void Enable(bool enable) = 0;
    virtual bool IsActive() const { return IsEnabled(); }
    virtual void SetActive(bool active) { Enable(active); }
};

// The enabled state of a control's window; a control without a window is disabled and stays so.
inline bool IsWindowHandleEnabled(HWND window)
{
    return window && ::IsWindowEnabled(window);
}
inline void EnableWindowHandle(HWND window, bool enable)
{
    if (window)
        ::EnableWindow(window, enable);
}

class ScrollBar : public ControlBase
{
public:
    virtual int GetPosition() const = 0;
    virtual void SetPosition(int position, bool redraw) = 0;
    virtual void GetScrollInfo(SCROLLINFO& info) const = 0;
    virtual void SetScrollInfo(const SCROLLINFO& info, bool redraw) = 0;
    virtual int GetLineMagnitude() const = 0;
    virtual int GetPageMagnitude() const = 0;
    virtual void SetLineMagnitude(int value) = 0;
    virtual void SetPageMagnitude(int value) = 0;
    virtual void Repaint() = 0;
};

// Who takes the scroll bar's scroll codes: the data pane of the window.
class ScrollListener
{
public:
    virtual void OnHScroll(UINT code) = 0;

protected:
    ~ScrollListener() = default;
};

} // namespace StrixDraw
