// What a strip of a data pane needs of the pane that owns it.
#pragma once

#include "tracedisplay/timescale/TimeValue.h"

#include "platform/owl/Geometry.h"

#include <windows.h>

struct IDrawerDataPane;
struct IUnknown;

namespace StrixDraw
{

// How positions of the drawn record turn into times.
struct TimeAxis
{
    double secondsPerPosition = 0.001;
    ULONG mode = TimeMode::Elapsed;
    RecordTimes times;
};

class ChildPaneOwner
{
public:
    virtual IDrawerDataPane* DrawerServices() = 0;
    // The object handed to the drawers' Attach.
    virtual IUnknown* DrawerHostObject() = 0;
    virtual bool CachesLayers() const = 0;
    virtual bool RepaintsOnChange() const = 0;
    virtual void InvalidateRect(const OWL::TRect& rect, bool erase) = 0;
    virtual void ClearPendingUpdate() = 0;
    virtual bool IsFollowingLatest() const = 0;
    virtual bool InSweepMode() const = 0;
    // The data store's live position; 0 without one.
    virtual LONGLONG LivePosition() const = 0;
    // The pane x coordinate of a strip position.
    virtual LONG PositionToX(LONGLONG position) const = 0;
    // Moves the window's contents by dx pixels (the strips that do not cache their layers).
    virtual void ScrollContents(int dx) = 0;
    virtual bool IsDrawingOnly() const = 0;
    virtual double PixelScale() const = 0;
    virtual int Margin() const = 0;
    virtual int Gap() const = 0;
    virtual HPEN CursorPen() const = 0;
    virtual TimeAxis GetTimeAxis() const = 0;
    // The device context the pane draws with, when it has one of its own.
    virtual HDC DrawingDC() const = 0;

protected:
    ~ChildPaneOwner() = default;
};

} // namespace StrixDraw
