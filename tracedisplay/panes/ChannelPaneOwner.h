// What a channel pane needs of the data pane that holds it, beyond what every strip needs.
#pragma once

#include "tracedisplay/datapane/DataPaneParts.h"
#include "tracedisplay/panes/ChildPaneOwner.h"

#include "foundation/com/ComPtr.h"
#include "graph/scales/ScaleControlFactory.h"
#include "hostframework/messaging/MessageIds.h"
#include "hostapi/VyrViews.h"

namespace StrixDraw
{

// The trace display's own notifications to the observers of a data pane.
inline constexpr GUID TraceDisplayEventGUID = {0xF525785A, 0xCA60, 0x4A47, {0x89, 0xA3, 0x97, 0xD4, 0x2C, 0xBA, 0x98, 0xE9}};
using SamplingStateChangedMsg = MsgIdClass<&TraceDisplayEventGUID, 0>;
using ChannelUnitsUpdatedMsg = MsgIdClass<&TraceDisplayEventGUID, 1>;
using ChannelUnitsUpdatedAgainMsg = MsgIdClass<&TraceDisplayEventGUID, 2>;
// The host document's notifications that a lane's scale was dragged or asks to autoscale (the latter
// carrying a ChannelAutoScaleRequest).
using ScaleDragFinishedMsg = MsgIdClass<&HostDocEventGUID, 46>;
using ScaleAutoScaleMsg = MsgIdClass<&HostDocEventGUID, 47>;

// The host message by which a lane asks the host to run a command on its channel.
inline constexpr ULONG ChannelCommandMsgId = 0x800C008Du;
inline constexpr LONG ChannelCommandKind = 34;

struct ChannelAutoScaleRequest
{
    ChannelDescription entry;
    LONG axis;
};

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
    // The lane's entry in the owner's map of channels: the channel it shows and where.
    virtual ChannelDescription ChannelEntry(LONG lane) const
    {
        return {lane, PaneChannelPolicy::NoPosition, 0};
    }
    // A scale of the lane asks to autoscale: true when the owner's handler took the request, false
    // to have the pane's observers told.
    virtual bool HandleAutoScaleRequest(const ChannelDescription&, LONG) { return false; }
    // A scale's transform changed and its lane's drawers took it: the owner brings its channels up to
    // date, under the pane's lock.
    virtual void ChannelsRescaled() {}
    // The host document and the site of the view the pane is shown in, each with a reference; null
    // when the owner gave none.
    virtual Orv::ComPtr<IUnknown> HostDocument() const { return {}; }
    virtual Orv::ComPtr<IVyrViewSite> HostViewSite() const { return {}; }
    // The host object that names the channels (IHostRecordingState), with a reference; null when the
    // owner gave none.
    virtual Orv::ComPtr<IUnknown> ChannelInformationHost() const { return {}; }
    // The record the pane shows, which its scales may measure their labels for.
    virtual LONG CurrentRecord() const { return 0; }
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
