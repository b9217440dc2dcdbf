// What the data pane gives its channel panes beyond what every strip gets.
#include "tracedisplay/datapane/DataPane.h"

#include "hostapi/InteractiveObjects.h"

#include "platform/owl/gdi/DC.h"

#include <algorithm>

namespace StrixDraw
{

// The drawers' data ranges are asked between the ticks of the view's edges.
HRESULT DataPane::VisibleRecordSpan(LONGLONG& first, LONGLONG& last)
{
    RecordingPosition left, right;
    const HRESULT visible = GetVisibleRecords(&left, &right);
    first = left.tick;
    last = right.tick;
    return visible;
}

Orv::ComPtr<IUnknown> DataPane::ChannelRecordObject(LONG, LONG)
{
    Orv::ComPtr<IUnknown> record;
    if (store_)
        store_->GetCurrentRecord(record.Put());
    return record;
}

namespace
{
// The drawing flags a marker is measured for: its label alone, and its label with its mark.
constexpr ULONG MarkerLabelFlags = 0x401;
constexpr ULONG MarkerMarkFlags = 0x601;
} // namespace

// A marker measures itself once, in the time scale's font; its half width is kept from then on.
HRESULT DataPane::InvalidateObjectArea(LONGLONG position, IUnknown* object)
{
    Orv::ComPtr<IMarkerArea> marker;
    if (!object || FAILED(object->QueryInterface(IID_IMarkerArea, marker.PutVoid())) || !marker)
        return E_NOINTERFACE;
    LONG channel = 0;
    const bool onChannel = marker->GetChannel(&channel) == S_OK;
    LONG lane = onChannel ? LaneOfChannel(channel, PaneChannelPolicy::NoPosition) : -1;
    if (lane == -1)
        lane = AllLanes;
    else if (lane < 0 || lane >= LaneCount())
        return S_FALSE;
    LONGLONG strip = 0;
    if (!store_ || store_->PositionToStrip(0, position, 0.0, &strip) != S_OK)
        return S_FALSE;
    LONG half = -1;
    marker->GetHalfWidth(&half);
    if (half < 0)
    {
        OWL::TClientDC dc(window_);
        const OWL::SelectedObject font(dc, timeScale_ ? timeScale_->LabelFont() : nullptr);
        LONG label = 0, mark = 0;
        marker->MeasureHalfWidth(dc, MarkerLabelFlags, &label);
        marker->MeasureHalfWidth(dc, MarkerMarkFlags, &mark);
        half = std::max({label, mark, 0L});
    }
    const LONG x = XOfStrip(strip);
    const LONG from = std::max<LONG>(x - half, GetMargin());
    const LONG to = std::min<LONG>(x + half + 1, client_.width - GetMargin());
    if (from >= to)
        return S_FALSE;
    InvalidateLaneArea(lane, from, to);
    return S_OK;
}

bool DataPane::HandleAutoScaleRequest(const ChannelDescription& entry, LONG axis)
{
    if (!handlers_.autoScale)
        return false;
    handlers_.autoScale(entry, axis);
    return true;
}

} // namespace StrixDraw
