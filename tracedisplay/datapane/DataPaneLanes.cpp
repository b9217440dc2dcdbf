// The lanes of a data pane: how they are made and counted, where they and the time scale strip lie,
// which records each shows, and which strip a point hits.
#include "tracedisplay/datapane/DataPane.h"

#include "hostframework/messaging/MessageIds.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostapi/TraceDataSource.h"
#include "hostapi/VyrIds.h"

#include <algorithm>
#include <cfloat>
#include <climits>

namespace StrixDraw
{

namespace
{
constexpr LONG FirstLaneMark = static_cast<LONG>(0x80000000u);
constexpr USHORT ScaleDragFinishedEvent = 46;
constexpr ULONG TransformRequest = 0x2000;
// Raw limits of a recorded sample; a lane's second axis spans them in its units.
constexpr double RawHigh = 32000.0;
constexpr double RawLow = -32000.0;

// The SI prefix factor of a unit index 1 to 14 (exa down to atto, 1 and 8 without a prefix).
double UnitIndexFactor(ULONG index)
{
    static constexpr double factors[] = {1.0,   1e18, 1e15, 1e12,  1e9,   1e6,   1e3,
                                         1.0,   1e-3, 1e-6, 1e-9,  1e-12, 1e-15, 1e-18};
    return factors[index - 1];
}

// The data that every observer of the pane hears when a scale drag ends.
struct ScaleDragRecord
{
    ChannelDescription channel;
    double low;
    double high;
};
} // namespace

LONG DataPane::GetLaneCount()
{
    return scaleProvider_ ? scaleProvider_->GetLaneCount() : LaneCount();
}

Orv::ComPtr<ChannelPane> DataPane::CreateChannelPane(LONG lane)
{
    Orv::ComPtr<ChannelPane> pane(new ChannelPane(lane, this, options_, channelStyle_));
    pane->SetPaneOption(initialPaneOption_);
    return pane;
}

HRESULT DataPane::SetLaneCount(LONG count)
{
    if (scaleProvider_)
        return scaleProvider_->SetLaneCount(count);
    count = std::max<LONG>(count, 0);
    if (count == LaneCount())
        return S_OK;
    // The host's data reach the lanes on its own thread, under the same lock.
    Orv::CriticalSectionLock guard(lock_);
    while (LaneCount() > count)
    {
        const LONG last = LaneCount() - 1;
        DetachLaneScales(*lanes_.back().Get());
        DisconnectPane(last);
        lanes_.pop_back();
    }
    while (LaneCount() < count)
    {
        const LONG index = LaneCount();
        lanes_.push_back(CreateChannelPane(index));
        if (window_)
        {
            lanes_.back()->CreateScales(window_, 0);
            ConnectPaneScales(index);
        }
    }
    LayoutLanesEvenly();
    ForEachObject([&](IInteractiveObject& object) { object.OnLaneCountChanged(count); });
    OnChannelCountChanged(count);
    pendingChanges_ |= ViewChange::Everything;
    return S_OK;
}

void DataPane::ConnectPaneScales(LONG index)
{
    ForEachObject([&](IInteractiveObject& object) { object.OnLaneAdded(index); });
    ChannelPane* lane = Lane(index);
    if (!lane)
        return;
    for (LONG axis = 1; axis <= 2; ++axis)
    {
        Orv::ComPtr<IUnknown> scale;
        GetLaneScale(index, axis, scale.Put());
        Orv::ComPtr<IScaleControl> control;
        if (scale)
            scale->QueryInterface(IID_IScaleControl, control.PutVoid());
        if (axis == 1)
            lane->TakeFirstScale(scale.Get());
        if (control)
            control->AddObserver(static_cast<IDragScaleObserver*>(lane));
    }
}

void DataPane::DisconnectPane(LONG index)
{
    ForEachObject([&](IInteractiveObject& object) { object.OnLaneRemoved(index); });
}

void DataPane::SetPaneRect(const OWL::TRect& rect)
{
    paneRect_ = rect;
    OWL::TSize zoomSize(0, 0);
    if (zoom_)
        zoom_->GetDesiredSize(zoomSize);
    if (lanes_.empty())
        return;
    leftScaleWidth_ = rightScaleWidth_ = 0;
    for (const auto& lane : lanes_)
    {
        leftScaleWidth_ = std::max(leftScaleWidth_, lane->ScaleWidth(1));
        rightScaleWidth_ = std::max(rightScaleWidth_, lane->ScaleWidth(2));
    }
    const LONG width = std::max<LONG>(rect.Width() - std::max(rightScaleWidth_, minRightScaleWidth_) -
                                          std::max(leftScaleWidth_, minLeftScaleWidth_),
                                      0);
    LayoutLanes(rect.left + leftScaleWidth_, rect.top, width, rect.Height() - zoomSize.cy, 1);
}

LONG DataPane::TimeScaleBand() const
{
    return timeScale_ ? timeScale_->StripHeight() + 2 * GetGap() : 0;
}

void DataPane::SetClientSize(const OWL::TSize& size)
{
    clientSizeKnown_ = true;
    client_.width = size.cx;
    client_.height = size.cy;
    sweepCursor_ = client_.width - 2 * GetMargin();
    // The controls below are placed over the new width, not the one before it.
    visibleWidth_ = client_.width - 2 * GetMargin();
    InvalidatePanes();
    LayoutLanesEvenly();
    LayoutControls();
    const RECT area{0, 0, client_.width, client_.height - (timeScale_ ? timeScale_->StripHeight() : 0) - 2 * GetGap()};
    BYTE handled = 0;
    ForEachObject([&](IInteractiveObject& object) { object.OnAreaChanged(&area, &handled); });
    if (!handled)
        LayoutLanesEvenly();
    pendingChanges_ |= ViewChange::RangeChanged;
    visibleWidth_ = client_.width - 2 * GetMargin();
}

void DataPane::LayoutLanesEvenly()
{
    if (lanes_.empty())
        return;
    if (laneTops_.size() == lanes_.size() && laneHeights_.size() == lanes_.size())
    {
        SetLaneRects(laneTops_, laneHeights_);
        return;
    }
    const LONG gap = GetGap();
    const LONG margin = GetMargin();
    const LONG band = TimeScaleBand();
    const auto count = static_cast<ULONG>(lanes_.size());
    const double height = static_cast<double>(client_.height - 2 * gap * static_cast<LONG>(count) - band) / count;
    const LONG widths[2] = {leftScaleWidth_, rightScaleWidth_};
    double y = gap;
    for (ULONG i = 0; i < count; ++i)
    {
        const bool last = i + 1 == count;
        const LONG bottom = last ? client_.height - band - gap : static_cast<LONG>(y + height + 0.5);
        const OWL::TRect rect(margin, static_cast<LONG>(y), client_.width - margin, bottom);
        lanes_[i]->SetLayout(i == 0 ? FirstLaneMark : 0, widths, rect);
        y += static_cast<LONG>(height) + 2 * gap;
    }
    if (timeScale_)
        timeScale_->SetLayout(0, widths,
                              OWL::TRect(margin, static_cast<LONG>(y), client_.width - margin, client_.height - gap));
}

void DataPane::SetLaneRects(const std::vector<LONG>& tops, const std::vector<LONG>& heights)
{
    Orv::CriticalSectionLock guard(lock_);
    const LONG gap = GetGap();
    const LONG band = TimeScaleBand();
    laneTops_ = tops;
    laneHeights_ = heights;
    const LONG widths[2] = {leftScaleWidth_, rightScaleWidth_};
    const size_t count = std::min({tops.size(), heights.size(), lanes_.size()});
    LONG bottom = 0;
    bool marked = false;
    for (size_t i = 0; i < count; ++i)
    {
        const LONG top = tops[i];
        if (i + 1 < lanes_.size())
            bottom = static_cast<LONG>(top + heights[i] + 0.5);
        else
            bottom = heights[i] == 0 ? top : client_.height - band - 1;
        const OWL::TRect rect(1, top, client_.width - GetMargin(), bottom);
        const bool visible = visibleWidth_ > 0 && rect.Height() > 0;
        const LONG mark = visible && !marked ? FirstLaneMark : 0;
        marked = marked || visible;
        lanes_[i]->SetLayout(mark, widths, rect);
        ForEachObject([&](IInteractiveObject& object) { object.OnLaneRect(static_cast<LONG>(i), &rect); });
    }
    if (timeScale_)
    {
        const LONG top = (state_ & PaneState::DrawingOnly) ? bottom + gap / 2 : bottom + gap;
        timeScale_->SetLayout(0, widths, OWL::TRect(1, top, client_.width - GetMargin(), client_.height - gap));
    }
    pendingChanges_ |= ViewChange::RangeChanged;
    InvalidateRect(OWL::TRect(), false);
}

void DataPane::LayoutControls()
{
    OWL::TSize zoomSize(0, 0);
    if (zoom_)
        zoom_->GetDesiredSize(zoomSize);
    const LONG top = client_.y + client_.height + 1;
    const LONG left = client_.x + GetMargin();
    const LONG scrollWidth = visibleWidth_ - zoomSize.cx;
    if (scrollBar_)
        scrollBar_->SetRect(OWL::TRect(left, top, left + scrollWidth, top + zoomSize.cy));
    if (zoom_)
        zoom_->SetRect(OWL::TRect(left + scrollWidth, top, left + scrollWidth + zoomSize.cx, top + zoomSize.cy));
}

HRESULT DataPane::AddLaneDrawer(LONG lane, IUnknown* context, IStrixRecordDrawer* drawer)
{
    if (lane != TimeScaleLane && (lane < 0 || lane >= LaneCount()))
        return E_INVALIDARG;
    if (!drawer)
        return E_INVALIDARG;
    Orv::CriticalSectionLock guard(lock_);
    const Orv::ComPtr<IStrixRecordDrawer> held(drawer);
    // The drawers reach their data through the store; a pane without one hands them the caller's context.
    drawer->Attach(0, store_ ? static_cast<IUnknown*>(store_.Get()) : context);
    ChildPaneBase& strip = lane == TimeScaleLane ? static_cast<ChildPaneBase&>(*timeScale_.Get())
                                                 : static_cast<ChildPaneBase&>(*Lane(lane));
    if (store_)
        drawer->ApplyChannelSettings(store_.Get(), store_.Get(), AllChannels);
    const HRESULT added = strip.AddDrawer(0, drawer, OpaqueAlpha);
    if (lane != TimeScaleLane)
        pendingChanges_ |= ViewChange::Everything;
    if (samplingActive_)
        drawer->OnRecordStart(currentRecord_, started_);
    if (redrawPending_)
    {
        InvalidateAll();
        redrawPending_ = 0;
    }
    strip.MarkAllStale();
    InvalidateRect(strip.Rect(), false);
    return added;
}

LONG DataPane::HitTestPane(const OWL::TPoint& point) const
{
    const LONG margin = GetMargin();
    if (point.x < margin || point.x >= client_.width - margin || point.y < 0 || point.y >= client_.height)
        return NoLane;
    if (timeScale_ && timeScale_->HitTest(point))
        return TimeScaleLane;
    for (LONG i = 0; i < LaneCount(); ++i)
        if (lanes_[static_cast<size_t>(i)]->HitTest(point))
            return i;
    return NoLane;
}

void DataPane::OnScaleDragFinished(LONG lane, double low, double high)
{
    const ChannelDescription channel = DescribeLane(lane);
    if (handlers_.scaleDragFinished)
    {
        handlers_.scaleDragFinished(channel, low, high);
        return;
    }
    USHORT code = 0;
    MsgIdPrefix<&HostDocEventGUID>::Get(&code);
    ScaleDragRecord record{channel, low, high};
    VyrSubject::Notify(static_cast<ULONG>(code) << 16 | ScaleDragFinishedEvent, &record);
}

namespace
{
bool Before(const RecordingPosition& a, const RecordingPosition& b)
{
    return a.record != b.record ? a.record < b.record : a.tick < b.tick;
}
} // namespace

HRESULT DataPane::GetVisibleRecords(RecordingPosition* first, RecordingPosition* last) const
{
    if (!store_)
        return E_POINTER;
    LONGLONG extent = 0;
    if (FAILED(store_->GetExtent(&extent)) || scrollPosition_ == 0)
        return S_FALSE;
    RecordingPosition left;
    RecordingPosition right;
    const HRESULT leftAnswer = store_->StripToRecording(ViewLeft(), &left);
    const HRESULT rightAnswer = store_->StripToRecording(scrollPosition_, &right);
    if (first)
        *first = left;
    if (last)
        *last = right;
    if (!Before(left, right))
        return S_FALSE;
    return leftAnswer == S_OK ? rightAnswer : leftAnswer;
}

HRESULT DataPane::QueryPaneFlag(ULONG query, SHORT* flag) const
{
    LONGLONG extent = 0;
    if (!flag)
        return E_INVALIDARG;
    if (!store_ || FAILED(store_->GetExtent(&extent)))
        return E_FAIL;
    *flag = 0;
    if (extent > 0)
        for (const auto& lane : lanes_)
            if (lane->HasData(query == 1 ? 1 : 2))
                *flag = static_cast<SHORT>(0xFFFF);
    return S_OK;
}

HRESULT DataPane::HasAxisUnits(LONG axis, SHORT* flag) const
{
    if (!flag)
        return E_INVALIDARG;
    if (lanes_.empty())
        return E_FAIL;
    *flag = lanes_.front()->Unit(axis).kind != 0 ? static_cast<SHORT>(0xFFFF) : 0;
    return S_OK;
}

HRESULT DataPane::GetAxisUnitRange(LONG axis, double* low, double* high)
{
    if (!low || !high)
        return E_INVALIDARG;
    *low = DBL_MAX;
    *high = -DBL_MAX;
    Orv::ComPtr<IUnknown> scale;
    GetAxisScale(0, axis, scale.Put());
    Orv::ComPtr<IScaleControl> control;
    if (scale)
        scale->QueryInterface(IID_IScaleControl, control.PutVoid());
    if (control)
        control->GetLimits(high, low);
    const ULONG index = lanes_.empty() ? 0 : lanes_.front()->Unit(axis).kind;
    if (index >= 1 && index <= 14)
    {
        *low /= UnitIndexFactor(index);
        *high /= UnitIndexFactor(index);
    }
    return S_OK;
}

void DataPane::UpdatePaneRanges()
{
    const LONGLONG start = std::max<LONGLONG>(ViewLeft(), 0);
    LONG first = NoRecord;
    LONG last = NoRecord;
    if (!store_ || FAILED(store_->GetRecordsOfRange(start, scrollPosition_, &first, &last)))
    {
        ForEachLane([](ChannelPane& lane, LONG) { lane.SetRecordRange(NoRecord, NoRecord); });
        return;
    }
    Orv::ComPtr<IUnknown> record;
    store_->GetCurrentRecord(record.Put());
    Orv::ComPtr<IUnknown> channels;
    if (record)
        record->QueryInterface(IID_IRecordDataSource, channels.PutVoid());
    ForEachLane([&](ChannelPane& lane, LONG index) {
        const bool shows = !followLatest_ || (!(state_ & PaneState::AllLanesFollow) && lane.HasData(1));
        if (shows)
            lane.SetRecordRange(first, last);
        else
            lane.SetRecordRange(NoRecord, NoRecord);
        ApplyRecordRange(record.Get(), shows ? first : NoRecord, index);
    });
}

bool DataPane::ApplyRecordRange(IUnknown* record, LONG value, LONG index)
{
    ChannelPane* lane = Lane(index);
    if (!lane)
        return false;
    if (!(lane->AxisFlags() & AxisFlag::SecondAxis))
        return true;
    Orv::ComPtr<IRecordValueTransform> transform;
    if (record)
        record->QueryInterface(IID_IRecordValueTransform, transform.PutVoid());
    double scale = 1.0;
    double offset = 0.0;
    const ChannelPair origin = lane->UnitsOrigin(1);
    if (!transform || FAILED(transform->GetTransform(TransformRequest | origin.subIndex, origin.channel, value,
                                                     &scale, &offset)))
        return false;
    double high = (RawHigh + offset) * scale;
    double low = (RawLow + offset) * scale;
    if (high == low)
        return true;
    const DisplayUnit& unit = lane->Unit(1);
    if (unit.HasPrefix())
    {
        high *= unit.factor;
        low *= unit.factor;
    }
    // The record's range is the control's new range; only a pending one is shown at once, so that a
    // range the user or the owner chose stays while the view moves.
    if (IScaleControl* control = lane->FirstScaleControl())
    {
        control->SetExtent(high, low);
        if (lane->RangePending(1))
        {
            control->SetLimits(high, low);
            lane->ClearRangePending(1);
        }
    }
    return true;
}

} // namespace StrixDraw
