// What the data pane gives its channel panes beyond what every strip gets.
#include "tracedisplay/datapane/DataPane.h"

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

} // namespace StrixDraw
