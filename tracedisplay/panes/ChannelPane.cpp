#include "tracedisplay/panes/ChannelPane.h"

#include "tracedisplay/support/RecordVersion.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/text/String.h"
#include "hostframework/messaging/MessageSenders.h"
#include "hostframework/views/ViewBase.h"
#include "hostapi/HostAcquisition.h"

#include <algorithm>
#include <cfloat>

namespace StrixDraw
{

namespace
{
// Factory flags: a drawing-only scale neither drags (bit 4) nor shows a drag cursor (bit 3 set).
constexpr ULONG FactoryDraggable = 0x10u;
constexpr ULONG FactoryPlain = 0x08u;
// The second axis's scale puts its labels outside, on the right.
constexpr ULONG FactorySecondAxis = 0x02u;
constexpr LONG CompactOffset = -2;
constexpr LONG CompactInflate = 2;
constexpr ULONG DataRangeRequest = 0x10000u;
constexpr VARIANT_BOOL True = static_cast<VARIANT_BOOL>(0xFFFF);
// What a channel command carries: its kind, the lane's channel and the command.
struct ChannelCommandPayload
{
    ULONG typeWord = 0x222; // three signed 32-bit values
    LONG kind = ChannelCommandKind;
    LONG channel = 0;
    LONG value = 0;
};
// The version whose record still carried a stored range per axis.
constexpr ULONG RangeRecordVersion = 2;

VARIANT_BOOL AsVariantBool(bool value)
{
    return value ? True : VARIANT_FALSE;
}

bool UnitsPresent(const std::wstring& units)
{
    return !units.empty() && units != L" ";
}
} // namespace

ChannelPane::ChannelPane(LONG channel, ChannelPaneOwner* owner, ULONG axes, ULONG style) : ChildPaneBase(channel, owner)
{
    axisFlags = axes;
    styleFlags = style;
}

ChannelPane::ChannelPane(const ChannelPane& other) : ChildPaneBase(other), ChannelPaneInit(other)
{
}

ChannelPane::~ChannelPane() = default;

// Channel panes are made by data panes, whose strip owner is always a ChannelPaneOwner.
ChannelPaneOwner* ChannelPane::PaneOwner() const
{
    return static_cast<ChannelPaneOwner*>(Owner());
}

IScaleControl* ChannelPane::DraggableOf(LONG axis) const
{
    return axis == 1 || axis == 2 ? draggable_[AxisSlot(axis)].Get() : nullptr;
}

void ChannelPane::ToDisplay(LONG axis, double& low, double& high) const
{
    const DisplayUnit& display = unit[AxisSlot(axis)];
    if (!display.HasPrefix())
        return;
    low *= display.factor;
    high *= display.factor;
}

HRESULT ChannelPane::Clone(ChannelPane** out) const
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    return Orv::CatchReturn([&] {
        Orv::ComPtr<ChannelPane> copy(new ChannelPane(*this));
        const auto cloneAxis = [](IScaleControl* draggable, IScaleControl* scale, Orv::ComPtr<IScaleControl>& target) {
            if (draggable)
                draggable->GetDragCompanion(0, target.Put());
            else
                target = Orv::ComPtr<IScaleControl>(scale);
        };
        for (int slot = 0; slot < 2; ++slot)
            cloneAxis(draggable_[slot].Get(), scale_[slot].Get(), copy->scale_[slot]);
        copy->firstControl_ = copy->scale_[0];
        if (copy->scale_[0])
            copy->scale_[0]->QueryInterface(IID_IScaleControlView, copy->firstRange_.PutVoid());
        *out = copy.Detach();
        return S_OK;
    });
}

HRESULT ChannelPane::MakeScale(IScaleControlFactory& factory, LONG axis, HWND parent, ULONG flags, LONG offset)
{
    Orv::ComPtr<IScaleControl>& scale = scale_[AxisSlot(axis)];
    Orv::ComPtr<IScaleControl>& draggable = draggable_[AxisSlot(axis)];
    const bool drawingOnly = PaneOwner() && PaneOwner()->IsDrawingOnly();
    draggable.Reset();
    scale.Reset();
    const HRESULT made = factory.CreateTraceScale(drawingOnly ? nullptr : parent, offset, offset, flags, axis,
                                                  drawingOnly ? scale.Put() : draggable.Put());
    if (!drawingOnly)
        scale = draggable;
    return made;
}

HRESULT ChannelPane::CreateScales(HWND parent, LONG parameter)
{
    scaleParent = parent;
    scaleParameter = parameter;
    ULONG flags = styleFlags;
    if (PaneOwner() && PaneOwner()->IsDrawingOnly())
        flags = (flags & ~FactoryDraggable) | FactoryPlain;
    const LONG offset = (styleFlags & ChannelStyle::Compact) ? CompactOffset : 0;
    IScaleControlFactory* factory = PaneOwner() ? PaneOwner()->ScaleFactory() : nullptr;
    if (!factory)
        return E_FAIL;
    HRESULT result = S_OK;
    if (axisFlags & AxisFlag::FirstAxis)
    {
        result = MakeScale(*factory, 1, parent, flags & ~FactorySecondAxis, offset);
        firstRange_.Reset();
        firstControl_ = scale_[0];
        if (scale_[0])
            scale_[0]->QueryInterface(IID_IScaleControlView, firstRange_.PutVoid());
    }
    if ((axisFlags & AxisFlag::SecondAxis) && SUCCEEDED(result))
        result = MakeScale(*factory, 2, parent, flags | FactorySecondAxis, offset);
    return result;
}

// The data pane registers the lane with each scale it has, draggable or plain (drawing-only panes):
// each would otherwise keep the lane, and the lane its scale.
HRESULT ChannelPane::DetachScales()
{
    for (const auto* scales : {&draggable_, &scale_})
        for (const auto& scale : *scales)
            if (scale)
                scale->RemoveObserver(this);
    return S_OK;
}

HRESULT ChannelPane::GetScale(LONG axis, IUnknown** scale) const
{
    if (!scale)
        return E_POINTER;
    *scale = Orv::ComPtr<IScaleControl>(scale_[AxisSlot(axis)]).Detach();
    return S_OK;
}

void ChannelPane::TakeFirstScale(IUnknown* scale)
{
    if (!scale)
        return;
    if (!scale_[0])
        scale->QueryInterface(IID_IScaleControl, scale_[0].PutVoid());
    if (!firstRange_)
        scale->QueryInterface(IID_IScaleControlView, firstRange_.PutVoid());
    if (!firstControl_)
        scale->QueryInterface(IID_IScaleControl, firstControl_.PutVoid());
}

// The scales measure their labels at their own text size (the value 0).
LONG ChannelPane::MeasureScale(IScaleControl* scale, LONG setting) const
{
    const LONG record = PaneOwner() ? PaneOwner()->CurrentRecord() : 0;
    LONG value = 0;
    if (!scale || FAILED(scale->Measure(setting, 0, record, &value)))
        return 0;
    return value;
}

LONG ChannelPane::QueryFirstScale(LONG setting) const
{
    return (axisFlags & AxisFlag::FirstScaleUnplaced) ? 0 : MeasureScale(scale_[0].Get(), setting);
}

LONG ChannelPane::ScaleWidth(LONG axis) const
{
    if (axis == 1)
        return QueryFirstScale(ScaleSettingThickness);
    return MeasureScale(scale_[1].Get(), ScaleSettingThickness);
}

HRESULT ChannelPane::SendChannelCommand(LONG, LONG value)
{
    ChannelPaneOwner* owner = PaneOwner();
    const Orv::ComPtr<IUnknown> document = owner ? owner->HostDocument() : nullptr;
    const Orv::ComPtr<IVyrViewSite> site = owner ? owner->HostViewSite() : nullptr;
    if (!document || !site)
        return E_FAIL;
    return Orv::CatchReturn([&] {
        Orv::ComPtr<IUnknown> view;
        site->GetViewInterface(view.Put());
        const auto [origin1, origin2] = VyrIdOf(document.Get(), view.Get());
        MsgData<ChannelCommandPayload> message{ChannelCommandMsgId, 0, {}};
        message.payload.channel = paneIndex;
        message.payload.value = value;
        VyrMessageSender sender;
        sender.SendMsgFromOrigin(document.Get(), message, 0, origin1, origin2);
        return S_OK;
    });
}

HRESULT ChannelPane::GetChannelText(std::wstring& text) const
{
    text.clear();
    ChannelPaneOwner* owner = PaneOwner();
    const Orv::ComPtr<IUnknown> host = owner ? owner->ChannelInformationHost() : nullptr;
    Orv::ComPtr<IHostRecordingState> channels;
    if (!host || FAILED(host->QueryInterface(IID_IHostRecordingState, channels.PutVoid())) || !channels)
        return E_FAIL;
    const ChannelDescription entry = owner->ChannelEntry(paneIndex);
    BSTR named = nullptr;
    const HRESULT result = channels->GetChannelText(entry.channel, entry.position, &named);
    if (named)
        text = named;
    SysFreeString(named);
    return result;
}

bool ChannelPane::SetAxisRange(LONG axis, double low, double high, bool push, bool force)
{
    if (low == high)
        return false;
    ToDisplay(axis, low, high);
    IScaleControl* scale = ScaleOf(axis == 1 ? 1 : 2);
    if (!scale)
        return false;
    IScaleControl* draggable = draggable_[AxisSlot(axis)].Get();
    bool pushed = false;
    if (push && draggable)
        pushed = SUCCEEDED(draggable->SetExtent(high, low));
    const ULONG pending = PendingBit(axis);
    if (!force && !(flagWord & pending))
        return pushed;
    const bool applied = SUCCEEDED(scale->SetLimits(high, low));
    flagWord &= ~pending;
    return applied;
}

HRESULT ChannelPane::ApplyAxisRange(LONG axis, double low, double high)
{
    if (low == high)
        return E_FAIL;
    ToDisplay(axis, low, high);
    IScaleControl* scale = ScaleOf(axis == 1 ? 1 : 2);
    flagWord &= ~PendingBit(axis);
    if (!scale || FAILED(scale->SetLimits(high, low)))
        return E_FAIL;
    return S_OK;
}

HRESULT ChannelPane::AutoScaleAxis(LONG axis)
{
    IScaleControl* draggable = DraggableOf(axis);
    return draggable ? draggable->AutoScale(0) : E_FAIL;
}

// The drawers are asked in order; the first that answers while no units are known yet gives units,
// transform, range and its source. The drawer interface reports no transform: it stays (1, 0).
bool ChannelPane::CollectScaleInfo(ULONG kind, LONG record, ScaleInfo& info) const
{
    const ChannelPaneOwner* owner = PaneOwner();
    const bool shortQuery = drawerOwner || (owner && (owner->StateFlags() & PaneState::ShortScaleQuery));
    info.units.clear();
    info.rawFactor = 1.0;
    bool found = false;
    const_cast<ChannelPane*>(this)->ForEachDrawer([&](IStrixRecordDrawer& drawer) {
        drawer.SetOwner(drawerOwner);
        double value = 0.0;
        SHORT valid = 0;
        Orv::String units;
        double range[2] = {HUGE_VAL, -HUGE_VAL};
        LONGLONG position = 0;
        const HRESULT answer = shortQuery ? drawer.GetValueAt(kind, record, &value, &valid)
                                          : drawer.GetValueAtEx(kind, record, &value, &valid, units.OutArg(), range, &position);
        if (answer != S_OK)
            return;
        if (valid)
            found = true;
        if (!info.units.empty())
            return;
        info.units = units.c_str() ? units.c_str() : L"";
        info.transform = ScalePair{};
        info.low = range[0];
        info.high = range[1];
        drawer.GetSource(&info.unitsOrigin);
    });
    return found;
}

HRESULT ChannelPane::CollectScaleInfo(ULONG kind, LONG record, double* factor, double* divisor, double* offset) const
{
    ScaleInfo info;
    const bool found = CollectScaleInfo(kind, record, info);
    if (factor)
        *factor = info.transform.scale;
    if (divisor)
        *divisor = 1.0;
    if (offset)
        *offset = info.transform.offset;
    return found ? S_OK : S_FALSE;
}

// The first axis is searched from the first record on, the second from the last one back.
bool ChannelPane::UpdateAxis(LONG axis, LONG from, LONG to, LONG firstRecord, std::wstring& shownUnits)
{
    const int slot = AxisSlot(axis);
    BYTE& hasData = state[axis == 1 ? 1 : 0];
    ScaleInfo info;
    info.unitsOrigin = unitsOrigin[slot];
    const LONGLONG step = from <= to ? 1 : -1;
    for (LONGLONG record = from; !hasData && (step > 0 ? record <= to : record >= to); record += step)
        if (CollectScaleInfo(static_cast<ULONG>(axis), static_cast<LONG>(record), info))
            hasData = 1;
    unitsOrigin[slot] = info.unitsOrigin;
    const bool present = UnitsPresent(info.units);
    shownUnits = info.units;
    if (hasData && present && unit[slot].HasPrefix() && unit[slot].prefix)
        shownUnits.insert(shownUnits.begin(), unit[slot].prefix);
    IScaleControl* scale = ScaleOf(axis);
    if (!scale || fixedUnits >= 0)
        return false;
    const AxisTransform transform{info.transform.scale, info.transform.offset};
    scale->SetUnits(axis == 1 && present ? &transform : nullptr, shownUnits.c_str());
    Orv::ComPtr<IScaleControlView> range = firstRange_;
    if (axis != 1)
        scale->QueryInterface(IID_IScaleControlView, range.PutVoid());
    if (range)
    {
        range->SetRange(info.high, info.low);
        if (axis == 1)
            range->SetOwner(drawerOwner);
    }
    IScaleControl* draggable = DraggableOf(axis);
    if (draggable && !(axis == 1 && (axisFlags & AxisFlag::NoDataNotice)))
    {
        const ULONG paneState = PaneOwner() ? PaneOwner()->StateFlags() : 0;
        const bool noRecord = (paneState & PaneState::NoAutoScaleWithoutRecord) && firstRecord == NoRecord;
        draggable->SetHasData(AsVariantBool(hasData != 0));
        draggable->SetCanAutoScale(AsVariantBool(hasData != 0 && !noRecord));
    }
    return true;
}

HRESULT ChannelPane::SetRecordRange(LONG firstRecord, LONG lastRecord)
{
    state[0] = state[1] = 0;
    std::wstring units[2];
    const bool wroteFirst = UpdateAxis(1, firstRecord, lastRecord, firstRecord, units[0]);
    const bool wroteSecond = UpdateAxis(2, lastRecord, firstRecord, firstRecord, units[1]);
    ChannelPaneOwner* owner = PaneOwner();
    if (!(wroteFirst || wroteSecond) || !owner)
        return S_OK;
    ChannelUnitsUpdate update{paneIndex, {state[1], state[0]}, {units[0].c_str(), units[1].c_str()}};
    owner->NotifyPaneObservers(ChannelUnitsUpdatedMsg::Id(), &update);
    owner->NotifyPaneObservers(ChannelUnitsUpdatedAgainMsg::Id(), &update);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChannelPane::OnBeginDrag(LONG, LONG)
{
    if (PaneOwner())
        PaneOwner()->SetScaleDragging(true);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChannelPane::OnEndDrag(LONG axis, LONG)
{
    ChannelPaneOwner* owner = PaneOwner();
    if (!owner)
        return S_OK;
    owner->SetScaleDragging(false);
    double high = 0.0, low = 0.0;
    if (IScaleControl* draggable = draggable_[AxisSlot(axis)].Get())
        draggable->GetLimits(&high, &low);
    owner->ScaleDragFinished(paneIndex, axis, low, high);
    return S_OK;
}

// The drawers lay their value grid out on the scale of the axis. A host whose record object of the
// channel carries that scale hands it over; otherwise the axis's own scale is the one the user sees.
Orv::ComPtr<IUnknown> ChannelPane::AxisScaleObject(LONG axis, ChannelPaneOwner* owner)
{
    Orv::ComPtr<IUnknown> record = owner ? owner->ChannelRecordObject(paneIndex, axis) : nullptr;
    Orv::ComPtr<IUnknown> view;
    if (record && SUCCEEDED(record->QueryInterface(IID_IScaleControlView, view.PutVoid())) && view)
        return record;
    return Orv::ComPtr<IUnknown>(ScaleOf(axis));
}

HRESULT STDMETHODCALLTYPE ChannelPane::OnScalingChanged(LONG axis, LONG value, const AxisTransform* transform)
{
    return Orv::CatchReturn([&] {
        ChannelPaneOwner* owner = PaneOwner();
        // Online data may reach the drawers meanwhile.
        const PaneLockHold hold(owner);
        const Orv::ComPtr<IUnknown> scale = AxisScaleObject(axis, owner);
        const ScalePair pair = transform ? ScalePair{transform->scale, transform->offset} : ScalePair{};
        bool taken = false;
        for (size_t i = 0; i < DrawerCount(); ++i)
            taken |= Drawer(i)->SetScaling(static_cast<ULONG>(axis), static_cast<ULONG>(value), &pair, scale.Get()) == S_OK;
        if (taken)
        {
            MarkAllStale();
            if (owner)
                owner->InvalidateRect(rect, false);
        }
        if (owner)
            owner->ChannelsRescaled();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ChannelPane::OnAutoScale(LONG axis)
{
    if (ChannelPaneOwner* owner = PaneOwner())
    {
        ChannelAutoScaleRequest request{owner->ChannelEntry(paneIndex), axis};
        if (!owner->HandleAutoScaleRequest(request.entry, axis))
            owner->NotifyPaneObservers(ScaleAutoScaleMsg::Id(), &request);
    }
    return AutoScaleAxis(axis);
}

HRESULT STDMETHODCALLTYPE ChannelPane::GetDataExtent(LONG axis, double* low, double* high, VARIANT_BOOL* raw)
{
    if (!low || !high)
        return E_POINTER;
    *low = DBL_MAX;
    *high = -DBL_MAX;
    if (raw)
        *raw = True;
    LONGLONG first = 0, last = 0;
    if (ChannelPaneOwner* owner = PaneOwner())
    {
        const HRESULT visible = owner->VisibleRecordSpan(first, last);
        if (FAILED(visible))
            return visible;
    }
    bool found = false;
    ForEachDrawer([&](IStrixRecordDrawer& drawer) {
        double drawerLow = 0.0, drawerHigh = 0.0;
        if (drawer.GetDataRange(DataRangeRequest, static_cast<ULONG>(axis), first, last, &drawerLow, &drawerHigh, 0) != S_OK)
            return;
        *low = found ? std::min(*low, drawerLow) : drawerLow;
        *high = found ? std::max(*high, drawerHigh) : drawerHigh;
        found = true;
    });
    if (drawerOwner && raw)
        *raw = VARIANT_FALSE;
    return found ? S_OK : S_FALSE;
}

void ChannelPane::SetLayout(LONG id, const LONG place[2], const OWL::TRect& newRect)
{
    ChildPaneBase::SetLayout(id, place, newRect);
    const OWL::TPoint origin = PaneOwner() ? PaneOwner()->ClientOrigin() : OWL::TPoint(0, 0);
    if (scale_[0] && !(axisFlags & AxisFlag::FirstScaleUnplaced))
    {
        RECT left{rect.left - place[0], rect.top, rect.left, rect.bottom};
        if (styleFlags & ChannelStyle::Compact)
            InflateRect(&left, 0, CompactInflate);
        OffsetRect(&left, origin.x, origin.y);
        scale_[0]->SetRect(&left);
    }
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.SetBounds(static_cast<ULONG>(paneId), &rect); });
    if (scale_[1])
    {
        const LONG start = rect.right + 2 * (Owner() ? Owner()->Gap() : 0);
        RECT right{start, rect.top, start + place[1], rect.bottom};
        OffsetRect(&right, origin.x, origin.y);
        scale_[1]->SetRect(&right);
    }
}

HRESULT ChannelPane::Invalidate(ULONG reason)
{
    for (LONG axis : {1, 2})
    {
        IScaleControl* scale = ScaleOf(axis);
        if (!scale)
            continue;
        AxisTransform transform;
        scale->GetTransform(&transform);
        OnScalingChanged(axis, 0, &transform);
    }
    return ChildPaneBase::Invalidate(reason);
}

HRESULT ChannelPane::Save(IBinOutStream* stream)
{
    return stream ? stream->WriteULong(SavedVersion) : E_INVALIDARG;
}

// Only the old record carried data: a stored range per axis, now dropped.
HRESULT ChannelPane::Load(IBinInStream* stream)
{
    ULONG version = 0;
    const HRESULT read = ReadRecordVersion(stream, SavedVersion, version);
    if (read != S_OK || version != RangeRecordVersion)
        return read;
    for (int axis = 0; axis < 2; ++axis)
    {
        BYTE stored = 0;
        if (const HRESULT flag = stream->ReadByte(&stored); FAILED(flag))
            return flag;
        double range[2] = {DBL_MAX, -DBL_MAX};
        for (double& end : range)
            if (stored)
                if (const HRESULT value = stream->ReadDouble(&end); FAILED(value))
                    return value;
    }
    return S_OK;
}

} // namespace StrixDraw
