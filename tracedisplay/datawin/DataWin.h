// A trace window: the window part and a data pane in one object. The window's messages go to the
// pane (painting, sizing, mouse, timers, cursor, notifications, the scroll accelerators and the wheel)
// and the pane's window services to the window. The pane's coordinates start at its client origin:
// painting, invalidation and the mouse are moved by it.
#pragma once

#include "tracedisplay/controls/ScrollBarWin.h"
#include "tracedisplay/datawin/DataWinBase.h"

#include "foundation/com/CriticalSection.h"

#include "platform/owl/gdi/GdiObjects.h"

#include <memory>
#include <utility>

namespace StrixDraw
{

template <class Pane>
class DataWin : public DataWinBase, public Pane
{
public:
    template <class... PaneArguments>
    explicit DataWin(OWL::TWindow* parent, PaneArguments&&... arguments)
        : DataWinBase(parent), Pane(std::forward<PaneArguments>(arguments)...)
    {
    }
    // The window goes while the pane can still hear its last messages.
    ~DataWin() override
    {
        if (GetHandle())
            Destroy();
    }

    // While suspended, WM_PAINT draws nothing.
    void SuspendPainting(bool suspend) { paintingSuspended_ = suspend; }
    const OWL::TPoint& Position() const { return position_; }

    // Window services of the pane.
    void InvalidateRect(const OWL::TRect& rect, bool erase) override
    {
        if (!GetHandle())
            return;
        if (rect.IsEmpty())
        {
            ::InvalidateRect(GetHandle(), nullptr, erase);
            return;
        }
        RECT moved = rect;
        OffsetRect(&moved, Origin().x, Origin().y);
        ::InvalidateRect(GetHandle(), &moved, erase);
    }
    void ScrollContents(int dx) override
    {
        if (!GetHandle() || dx == 0)
            return;
        RECT area{this->GetMargin(), 0, this->Client().width - this->GetMargin(), this->Client().height};
        OffsetRect(&area, Origin().x, Origin().y);
        ScrollWindowEx(GetHandle(), dx, 0, &area, &area, nullptr, nullptr, SW_INVALIDATE);
    }

    LRESULT EvCommand(UINT id, HWND control, UINT notifyCode) override
    {
        UINT code = 0;
        if (id == TraceKeyCommand::ScrollLeft)
            code = SB_LINELEFT;
        else if (id == TraceKeyCommand::ScrollRight)
            code = SB_LINERIGHT;
        else if (id == TraceKeyCommand::PageLeft)
            code = SB_PAGELEFT;
        else
            return DataWinBase::EvCommand(id, control, notifyCode);
        auto* bar = dynamic_cast<OWL::TWindow*>(this->ScrollBarControl());
        if (!bar || !bar->GetHandle())
            return 1;
        SendMessage(WM_HSCROLL, code, reinterpret_cast<LPARAM>(bar->GetHandle()));
        return 0;
    }
    LRESULT EvNotify(UINT id, NMHDR& info) override { return this->ObjectsNotify(id, &info); }

protected:
    void SetupWindow() override
    {
        DataWinBase::SetupWindow();
        SetFocus();
        Pane::SetWindow(this, GetHandle());
        // The window was sized before the pane had its controls.
        const OWL::TRect client = GetClientRect();
        if (client.Height() >= 1)
            this->SetClientSize(OWL::TSize(client.Width(), client.Height()));
    }
    void CleanupWindow() override
    {
        Pane::ReleaseWindow();
        DataWinBase::CleanupWindow();
    }

    void EvPaint() override
    {
        PAINTSTRUCT paint{};
        if (paintingSuspended_)
        {
            BeginPaint(GetHandle(), &paint);
            EndPaint(GetHandle(), &paint);
            return;
        }
        Orv::CriticalSectionLock hold(this->Lock());
        this->ProcessPendingFlags();
        OWL::TRegion update;
        const bool regional = GetUpdateRgn(GetHandle(), update.GetHandle(), FALSE) != ERROR;
        HDC dc = BeginPaint(GetHandle(), &paint);
        PaintOutsidePane(dc);
        const OWL::TPoint origin = Origin();
        OffsetRgn(update.GetHandle(), -origin.x, -origin.y);
        POINT previous{};
        SetViewportOrgEx(dc, origin.x, origin.y, &previous);
        OWL::TRect area(paint.rcPaint);
        area.Offset(-origin.x, -origin.y);
        this->PaintRect(dc, area, regional ? update.GetHandle() : nullptr);
        SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
        EndPaint(GetHandle(), &paint);
    }
    void EvSize(UINT sizeType, const OWL::TSize& size) override
    {
        DataWinBase::EvSize(sizeType, size);
        if (size.cx >= 0 && size.cy >= 1)
            this->SetClientSize(size);
    }
    void EvMove(const OWL::TPoint& origin) override
    {
        DataWinBase::EvMove(origin);
        position_ = origin;
    }
    void EvLButtonDown(UINT keys, const OWL::TPoint& point) override
    {
        DataWinBase::EvLButtonDown(keys, point);
        this->ObjectsLButtonDown(keys, InPane(point));
    }
    void EvLButtonDblClk(UINT keys, const OWL::TPoint& point) override
    {
        DataWinBase::EvLButtonDblClk(keys, point);
        this->ObjectsMouseQuery(keys, InPane(point));
    }
    void EvLButtonUp(UINT keys, const OWL::TPoint& point) override
    {
        DataWinBase::EvLButtonUp(keys, point);
        this->ObjectsLButtonUp(keys, InPane(point));
    }
    void EvRButtonDown(UINT keys, const OWL::TPoint& point) override
    {
        DataWinBase::EvRButtonDown(keys, point);
        this->ObjectsRButtonDown(keys, InPane(point));
    }
    void EvRButtonUp(UINT keys, const OWL::TPoint& point) override
    {
        DataWinBase::EvRButtonUp(keys, point);
        this->ObjectsRButtonUp(keys, InPane(point));
    }
    void EvMouseMove(UINT keys, const OWL::TPoint& point) override
    {
        DataWinBase::EvMouseMove(keys, point);
        this->ObjectsMouseMove(keys, InPane(point));
    }
    void EvMouseLeave() override
    {
        this->ObjectsMouseLeave();
        DataWinBase::EvMouseLeave();
    }
    void EvTimer(UINT timerId) override
    {
        DataWinBase::EvTimer(timerId);
        this->ObjectsTimer(timerId);
    }
    bool EvSetCursor(HWND window, UINT hitTest, UINT mouseMsg) override
    {
        if (this->ObjectsSetCursor(window, hitTest, mouseMsg))
            return true;
        return DataWinBase::EvSetCursor(window, hitTest, mouseMsg);
    }
    bool EvMouseWheel(UINT keys, int delta, const OWL::TPoint& screenPoint) override
    {
        this->OnMouseWheel(keys, static_cast<short>(delta), screenPoint);
        return false;
    }

    // The pane's controls, windows of this one.
    std::unique_ptr<ScrollBar> CreateScrollBarControl() override
    {
        return MadeNow(DataWinBase::CreateScrollBar(this));
    }
    std::unique_ptr<ZoomControl> CreateZoomControl(ULONG creationWord) override
    {
        return MadeNow(DataWinBase::CreateZoomControl(this, creationWord));
    }

    // A control made after this window was: its window is made at once.
    template <class Control>
    std::unique_ptr<Control> MadeNow(Control* control)
    {
        std::unique_ptr<Control> owned(control);
        if (auto* window = dynamic_cast<OWL::TWindow*>(control); window && GetHandle())
            window->Create();
        return owned;
    }

    OWL::TPoint Origin() const { return this->ClientOrigin(); }
    OWL::TPoint InPane(const OWL::TPoint& point) const
    {
        return OWL::TPoint(point.x - Origin().x, point.y - Origin().y);
    }

private:
    // Left of and below the pane's client area the window shows the dialog's face.
    void PaintOutsidePane(HDC dc)
    {
        const OWL::TPoint origin = Origin();
        const int saved = SaveDC(dc);
        ExcludeClipRect(dc, origin.x, origin.y, origin.x + this->Client().width, origin.y + this->Client().height);
        const OWL::TRect client = GetClientRect();
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        RestoreDC(dc, saved);
    }

    bool paintingSuspended_ = false;
    OWL::TPoint position_;
};

} // namespace StrixDraw
