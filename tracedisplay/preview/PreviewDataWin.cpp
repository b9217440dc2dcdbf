#include "tracedisplay/preview/PreviewDataWin.h"

#include <new>
#include <set>
#include <vector>

namespace StrixDraw
{

namespace
{
constexpr ULONG AllTraceButtons = 0xF;
constexpr ULONG SecondAxisScale = 2;
} // namespace

PreviewControl* PreviewDataWin::CreatePreviewControl(PreviewListener* listener, ULONG flags)
{
    return new (std::nothrow) PreviewControlWin(this, listener, flags);
}

PreviewControl* PreviewDataWin::CreateTraceControl(PreviewListener*, ULONG)
{
    return nullptr;
}

std::unique_ptr<PreviewControl> PreviewDataWin::CreateSamplingBar(ULONG style)
{
    return MadeNow(CreatePreviewControl(this, style));
}

std::unique_ptr<PreviewControl> PreviewDataWin::CreateTraceBar(ULONG, ULONG enableMask)
{
    return MadeNow(CreateTraceControl(this, enableMask));
}

PreviewControl* PreviewDataWinWButtons::CreateTraceControl(PreviewListener* listener, ULONG enableMask)
{
    return new (std::nothrow) TraceControlWin(this, listener, enableMask);
}

bool PreviewDataWinWButtons::AnySecondAxisTrace() const
{
    for (unsigned i = 0; i < items_.Count(); ++i)
        if (items_[i]->secondAxis)
            return true;
    return false;
}

HRESULT PreviewDataWinWButtons::AddTraceDrawer(IStrixRecordDrawer* drawer)
{
    if (!drawer)
        return E_INVALIDARG;
    ULONG scaleId = 0;
    if (drawer->GetScaleId(&scaleId) != S_OK)
        scaleId = 0;
    const bool secondAxis = scaleId == SecondAxisScale;
    items_.Add(new TraceDrawerItem(0, 0, drawer, secondAxis));
    HRESULT added = S_OK;
    if (showAll_ || !secondAxis)
        added = AddLaneDrawer(0, nullptr, drawer);
    const bool anySecond = AnySecondAxisTrace();
    if (anySecond && TraceBar())
        TraceBar()->SetButtonsEnabled(AllTraceButtons);
    Orv::ComPtr<IUnknown> scale;
    GetAxisScale(0, 1, scale.Put());
    if (const auto control = scale.As<IScaleControl>(IID_IScaleControl))
        control->SetCanAutoScale(anySecond ? VARIANT_TRUE : VARIANT_FALSE);
    return added;
}

void PreviewDataWinWButtons::RemoveTraceDrawers()
{
    Orv::CriticalSectionLock guard(Lock());
    items_.SetCount(0);
    ForEachLane([](ChannelPane& lane, LONG) {
        lane.RemoveDrawers(0, {ChildPaneBase::UnsetPositionChannel, ChildPaneBase::UnsetPositionSub});
        lane.MarkAllStale();
    });
}

bool PreviewDataWinWButtons::IsItem(IStrixRecordDrawer* drawer) const
{
    for (unsigned i = 0; i < items_.Count(); ++i)
        if (items_[i]->drawer.Get() == drawer)
            return true;
    return false;
}

// The lane's drawers are taken off and the traces put back as shown; the drawers the owner gave the
// lane itself (its graticule, its events) go back as they were.
void PreviewDataWinWButtons::SetShowAllTraces(bool show)
{
    Orv::CriticalSectionLock guard(Lock());
    showAll_ = show;
    std::set<LONG> channels;
    for (unsigned i = 0; i < items_.Count(); ++i)
        channels.insert(items_[i]->channel);
    for (const LONG channel : channels)
        if (ChannelPane* lane = Lane(channel))
        {
            std::vector<Orv::ComPtr<IStrixRecordDrawer>> others;
            for (size_t i = 0; i < lane->DrawerCount(); ++i)
                if (!IsItem(lane->Drawer(i)))
                    others.emplace_back(lane->Drawer(i));
            lane->RemoveDrawers(0, {ChildPaneBase::UnsetPositionChannel, ChildPaneBase::UnsetPositionSub});
            lane->MarkAllStale();
            for (const auto& drawer : others)
                AddLaneDrawer(channel, nullptr, drawer.Get());
        }
    for (unsigned i = 0; i < items_.Count(); ++i)
    {
        const TraceDrawerItem& item = *items_[i];
        if (show || !item.secondAxis)
            AddLaneDrawer(item.channel, nullptr, item.drawer.Get());
    }
}

} // namespace StrixDraw
