#include "tracedisplay/datapane/DataPane.h"

#include "tracedisplay/support/RecordVersion.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"

#include <algorithm>

namespace StrixDraw
{

namespace
{
constexpr ULONG AttachKind = 0x80000000u;
constexpr LONG UpdatePeriod = 100;

template <class Face>
HRESULT Hand(Face* face, void** out)
{
    *out = face;
    face->AddRef();
    return S_OK;
}
} // namespace

DataPane::DataPane(IPaneDataSource* source, ULONG channelStyle, ULONG options, ULONG state)
{
    channelStyle_ = channelStyle;
    options_ = options;
    state_ = state;
    lastWheelTick_ = GetTickCount();
    lanes_.reserve(8);
    liveDisplay_ = !(options_ & PaneOption::StayOnStop);
    if (source)
        AttachSource(0, source, nullptr);
    timeScale_ = Orv::ComPtr<TimeScale>(new TimeScale(this));
    layerCaching_ = 0xFFFF;
}

DataPane::~DataPane()
{
    for (const auto& lane : lanes_)
        DetachLaneScales(*lane.Get());
    if (source_)
        source_->DetachPane(0, static_cast<IOnlineDataSink*>(this));
    // The strips may outlive the pane through references of their own; they must not call back.
    ForEachStrip([](ChildPaneBase& strip) { strip.SetOwner(nullptr); });
}

HRESULT STDMETHODCALLTYPE DataPane::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOnlineDataSink)
        return Hand(static_cast<IOnlineDataSink*>(this), out);
    if (iid == IID_ICommentsObserver)
        return Hand(static_cast<ICommentsObserver*>(this), out);
    if (iid == IID_ISubject)
        return Hand(static_cast<ISubject*>(this), out);
    if (iid == IID_IDrawerDataPane)
        return Hand(static_cast<IDrawerDataPane*>(this), out);
    return E_NOINTERFACE;
}

HRESULT DataPane::AttachSource(ULONG flags, IPaneDataSource* source, const LONGLONG* origin)
{
    samplingActive_ = false;
    scrolling_ = false;
    if (source_)
        source_->DetachPane(0, static_cast<IOnlineDataSink*>(this));
    source_ = Orv::ComPtr<IPaneDataSource>(source);
    if (!source_)
    {
        scrollPosition_ = 0;
    }
    else if (!(flags & KeepStore))
    {
        store_.Reset();
        source_->CreateStore(flags, store_.Put());
        if (store_)
            store_->SetScale(scaleNumerator_, scaleDenominator_);
        scrollPosition_ = origin ? *origin : 0;
        source_->AttachPane(AttachKind, static_cast<IOnlineDataSink*>(this));
    }
    else if (store_)
    {
        store_->SetSource(0x8000, source_.Get());
    }
    if (source_)
        ForEachStrip([&](ChildPaneBase& strip) { strip.AttachStore(flags, store_.Get()); });
    if (source_ && (flags & ChildPaneBase::KeepDrawers))
        ForEachLane([&](ChannelPane& lane, LONG) { ApplyHostChannelSettings(lane); });
    ForEachObject([&](IInteractiveObject& object) { object.SetStore(store_.Get()); });
    if (!(flags & KeepStore))
        UpdateView(ViewChange::Everything | ViewChange::NewSource);
    return S_OK;
}

// The host's store carries how it shows each channel: grid, trace colour and width, level lines.
void DataPane::ApplyHostChannelSettings(ChildPaneBase& strip)
{
    if (store_)
        strip.ApplyChannelSettings(store_.Get(), store_.Get(), AllChannels);
}

void DataPane::SetWindow(OWL::TWindow* parent, HWND window)
{
    if (lanes_.empty())
        lanes_.push_back(CreateChannelPane(0));
    ownerWindow_ = parent;
    window_ = window;
    if (!(state_ & (PaneState::DrawingOnly | PaneState::NoControls)))
    {
        scrollBar_ = CreateScrollBarControl();
        zoom_ = CreateZoomControl(zoomCreationWord_);
    }
    SetFollowLatest(liveDisplay_, true);
    if (state_ & PaneState::NoControls)
        timeScale_->Collapse();
    for (LONG i = 0; i < LaneCount(); ++i)
    {
        lanes_[static_cast<size_t>(i)]->CreateScales(window_, 0);
        ConnectPaneScales(i);
    }
    if (zoom_)
        zoom_->SetRatio(scaleNumerator_, scaleDenominator_);
    ForEachObject([&](IInteractiveObject& object) {
        object.SetStore(store_.Get());
        object.OnAttached(1);
    });
}

void DataPane::ReleaseWindow()
{
    for (const auto& lane : lanes_)
        DetachLaneScales(*lane.Get());
}

// A scale holds the lane it tells. The lane lets go of its draggable scales itself; a plain one (the
// pane only draws) told it as well and must let go of it here, or neither would ever go.
void DataPane::DetachLaneScales(ChannelPane& lane)
{
    lane.DetachScales();
    for (LONG axis = 1; axis <= 2; ++axis)
    {
        Orv::ComPtr<IUnknown> scale;
        lane.GetScale(axis, scale.Put());
        if (const auto control = scale.As<IScaleControl>(IID_IScaleControl))
            control->RemoveObserver(static_cast<IDragScaleObserver*>(&lane));
    }
}

ChannelPane* DataPane::Lane(LONG index) const
{
    return index >= 0 && index < LaneCount() ? lanes_[static_cast<size_t>(index)].Get() : nullptr;
}

HRESULT DataPane::GetAxisScale(LONG pane, LONG axis, IUnknown** scale)
{
    if (scaleProvider_)
        return scaleProvider_->GetLaneScale(pane, axis, scale);
    if (!scale)
        return E_INVALIDARG;
    *scale = nullptr;
    ChannelPane* lane = Lane(pane);
    if (!lane || (axis != 1 && axis != 2))
        return E_INVALIDARG;
    return lane->GetScale(axis, scale);
}

HRESULT DataPane::GetLaneScale(LONG lane, LONG axis, IUnknown** scale)
{
    return GetAxisScale(lane, axis, scale);
}

HRESULT DataPane::GetPaneOffset(LONG channel, ULONG position, LONG* value) const
{
    const LONG lane = LaneOfChannel(channel, position);
    if (!value || lane < 0 || lane >= static_cast<LONG>(paneOffsets_.size()))
        return E_INVALIDARG;
    *value = paneOffsets_[static_cast<size_t>(lane)];
    return S_OK;
}

// IOnlineDataSink answers that do not depend on the data.

HRESULT STDMETHODCALLTYPE DataPane::GetSinkInfo(uint32_t* info, int16_t* wants)
{
    if (info)
        *info = 0;
    if (wants)
        *wants = VARIANT_TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetSinkPriority(int32_t* period)
{
    if (period)
        *period = UpdatePeriod;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetSinkPosition(int32_t, uint32_t, uint32_t, int32_t* position)
{
    if (position)
        *position = UpdatePeriod;
    return S_OK;
}

// Owner services of the strips.

LONGLONG DataPane::LivePosition() const
{
    LONGLONG extent = 0;
    if (!store_ || FAILED(store_->GetExtent(&extent)))
        return 0;
    return extent;
}

void DataPane::ScrollContents(int dx)
{
    if (!window_ || dx == 0)
        return;
    const RECT area{GetMargin(), 0, client_.width - GetMargin(), client_.height};
    ScrollWindowEx(window_, dx, 0, &area, &area, nullptr, nullptr, SW_INVALIDATE);
}

double DataPane::PixelScale() const
{
    double x = 1.0;
    double y = 1.0;
    const_cast<DataPane*>(this)->GetDrawScale(0, &x, &y);
    return x;
}

// Interactive objects and the persisted record.

void DataPane::ForwardToObjects(ULONG a, ULONG b, ULONG c)
{
    ForEachObject([&](IInteractiveObject& object) { object.OnForward(a, b, c); });
}

void DataPane::ObjectsRefresh()
{
    ForEachObject([](IInteractiveObject& object) { object.OnRefresh(); });
}

bool DataPane::ObjectsMouseQuery(UINT keys, const OWL::TPoint& point)
{
    BYTE handled = 0;
    ForEachObject([&](IInteractiveObject& object) { object.OnLButtonDblClk(keys, point, &handled); });
    return handled != 0;
}

void DataPane::ObjectsLButtonDown(UINT keys, const OWL::TPoint& point)
{
    ClaimedBroadcast(LeftButtonDown, [&](IInteractiveObject& object) { object.OnLButtonDown(keys, point); });
}

void DataPane::ObjectsLButtonUp(UINT keys, const OWL::TPoint& point)
{
    if (window_)
        SetFocus(window_);
    ForEachObject([&](IInteractiveObject& object) { object.OnLButtonUp(keys, point); });
}

void DataPane::ObjectsMouseMove(UINT keys, const OWL::TPoint& point)
{
    // The objects hear of the mouse leaving only when the system was asked once to tell.
    if (!trackingLeave_ && window_)
    {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    ClaimedBroadcast(MouseMove, [&](IInteractiveObject& object) { object.OnMouseMove(keys, point); });
}

void DataPane::ObjectsRButtonDown(UINT keys, const OWL::TPoint& point)
{
    ForEachObject([&](IInteractiveObject& object) { object.OnRButtonDown(keys, point); });
}

void DataPane::ObjectsRButtonUp(UINT keys, const OWL::TPoint& point)
{
    ForEachObject([&](IInteractiveObject& object) { object.OnRButtonUp(keys, point); });
}

void DataPane::ObjectsTimer(UINT_PTR id)
{
    ForEachObject([&](IInteractiveObject& object) { object.OnTimer(id); });
}

bool DataPane::ObjectsSetCursor(HWND window, UINT hitTest, UINT message)
{
    return AnyHandles(window, hitTest, message) || window != window_;
}

LRESULT DataPane::ObjectsNotify(UINT id, NMHDR* header)
{
    AnyNotify(id, header);
    return 0;
}

HRESULT DataPane::Save(IBinOutStream* stream)
{
    if (!stream)
        return E_INVALIDARG;
    HRESULT result = stream->WriteULong(SavedVersion);
    if (SUCCEEDED(result))
        result = SaveObjects(stream);
    for (const auto& lane : lanes_)
        if (SUCCEEDED(result))
            result = lane->Save(stream);
    return result;
}

// Records before version 2 carried nothing the pane still reads.
HRESULT DataPane::Load(IBinInStream* stream)
{
    ULONG version = 0;
    const HRESULT read = ReadRecordVersion(stream, SavedVersion, version);
    if (read == Orv::E_ORV_NEWER_VERSION)
        throw XOrv(Orv::String(), read);
    if (FAILED(read) || version < SavedVersion)
        return read;
    HRESULT result = LoadObjects(stream);
    for (const auto& lane : lanes_)
        if (SUCCEEDED(result))
            result = lane->Load(stream);
    return FAILED(result) ? result : S_OK;
}

} // namespace StrixDraw
