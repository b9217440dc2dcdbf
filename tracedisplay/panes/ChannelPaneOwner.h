// What a channel pane needs of the data pane that holds it, beyond what every strip needs.
#pragma once

#include "tracedisplay/datapane/DataPaneParts.h"
#include "tracedisplay/panes/ChildPaneOwner.h"

#include "foundation/com/ComPtr.h"
#include "graph/scales/ScaleControlFactory.h"
#include "hostframework/messaging/MessageIds.h"

namespace StrixDraw
{

// The trace display's own notifications to the observers of a data pane.
inline constexpr GUID TraceDisplayEventGUID = {0xF525785A, 0xCA60, 0x4A47, {0x89, 0xA3, 0x97, 0xD4, 0x2C, 0xBA, 0x98, 0xE9}};
using SamplingStateChangedMsg = MsgIdClass<&TraceDisplayEventGUID, 0>;
using ChannelUnitsUpdatedMsg = MsgIdClass<&TraceDisplayEventGUID, 1>;
using ChannelUnitsUpdatedAgainMsg = MsgIdClass<&TraceDisplayEventGUID, 2>;
// The host document's notifications that a lane's scale was dragged or asks to autoscale.
using ScaleDragFinishedMsg = MsgIdClass<&HostDocEventGUID, 46>;
using ScaleAutoScaleMsg = MsgIdClass<&HostDocEventGUID, 47>;

class ChannelPaneOwner : public ChildPaneOwner
{
public:
    // The data pane's state flags (PaneState).
    virtual ULONG StateFlags() const = 0;
    // The lock that online data and drawing share; the holder may take it again.
    virtual void LockPane() = 0;
    virtual void UnlockPane() = 0;
    // The recording positions at the left and right edge of the view; a failure when there is no view.
    virtual HRESULT VisibleRecordSpan(LONGLONG& first, LONGLONG& last) = 0;
    // A scale drag began (true) or ended.
    virtual void SetScaleDragging(bool dragging) = 0;
    // The user finished dragging the axis of a lane to the limits (low, high).
    virtual void ScaleDragFinished(LONG lane, LONG axis, double low, double high) = 0;
    // What the drawers are handed when the axis's transform changes: the source's record object of the
    // channel and axis, or none.
    virtual Orv::ComPtr<IUnknown> ChannelRecordObject(LONG channel, LONG axis) = 0;
    // Tells the data pane's observers (its subject).
    virtual void NotifyPaneObservers(ULONG eventId, void* data) = 0;
    virtual IScaleControlFactory* ScaleFactory() { return MGraph1::GetScaleControlFactory(); }
    // Where the pane's coordinates start in its window: the scales, windows of their own, are placed
    // in the window's.
    virtual OWL::TPoint ClientOrigin() const { return OWL::TPoint(0, 0); }

protected:
    ~ChannelPaneOwner() = default;
};

// The RAII hold of the data pane's lock.
class PaneLockHold
{
public:
    explicit PaneLockHold(ChannelPaneOwner* owner) : owner_(owner)
    {
        if (owner_)
            owner_->LockPane();
    }
    PaneLockHold(const PaneLockHold&) = delete;
    PaneLockHold& operator=(const PaneLockHold&) = delete;
    ~PaneLockHold()
    {
        if (owner_)
            owner_->UnlockPane();
    }

private:
    ChannelPaneOwner* owner_;
};

} // namespace StrixDraw
