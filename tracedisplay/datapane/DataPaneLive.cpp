// Online data: every notification of the host reaches the data store first; a live pane then moves its
// display along, keeps the newest data in view, and keeps the scroll bar and the zoom bar in step.
#include "tracedisplay/datapane/DataPane.h"

#include <algorithm>

namespace StrixDraw
{

namespace
{
constexpr DWORD TimeUpdateInterval = 300;
constexpr LONGLONG ScrollValueSpan = 1LL << 31;
constexpr UINT ScrollInfoMask = SIF_ALL;
constexpr int PagesPerWidthNumerator = 5;
constexpr int PagesPerWidthDenominator = 8;
constexpr int LinesPerPage = 16;
} // namespace

// The store and the strips take in the host's data under the pane's lock: the host calls on its sampling
// thread while the window paints them. The controls and the owner's handlers are told after, outside it.
template <class Forward, class React>
bool DataPane::TakeIn(Forward&& forward, React&& react)
{
    Orv::CriticalSectionLock guard(lock_);
    if (store_)
        forward(*store_.Get());
    if (state_ & PaneState::NotLive)
        return false;
    react();
    return true;
}

HRESULT STDMETHODCALLTYPE DataPane::OnSamplingStarted(int32_t record, int32_t channel, uint32_t p1, uint32_t p2,
                                                      uint32_t p3, uint32_t p4, uint32_t p5, uint32_t p6,
                                                      uint32_t w1, uint32_t w2, uint32_t w3, int16_t flag)
{
    const bool live = TakeIn(
        [&](IPaneDataStore& store) {
            store.OnSamplingStarted(record, channel, p1, p2, p3, p4, p5, p6, w1, w2, w3, flag ? VARIANT_TRUE : 0);
        },
        [&] {
            samplingActive_ = true;
            started_ = flag ? VARIANT_TRUE : VARIANT_FALSE;
            currentRecord_ = record;
            ForEachStrip([&](ChildPaneBase& strip) { strip.OnSamplingStart(record, started_ != 0); });
        });
    if (!live)
        return S_OK;
    if (handlers_.samplingStarted)
        handlers_.samplingStarted(SamplingStart{record, channel, {p1, p2, p3, p4, p5, p6, w1, w2, w3}, started_});
    lastTimeUpdate_ = GetTickCount();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::OnNewData(uint32_t argument)
{
    LONGLONG extent = 0;
    bool following = false;
    const bool live = TakeIn(
        [&](IPaneDataStore& store) {
            store.OnNewData(argument);
            store.GetExtent(&extent);
        },
        [&] {
            if (newBlockPending_)
            {
                newBlockPending_ = false;
                OnNewBlock();
            }
            following = followLatest_ != 0;
            if (following)
                FollowNewData(extent);
        });
    if (!live)
        return S_OK;
    if (following)
    {
        UpdateScrollBar();
        if (!IsFollowingLatest() && scrollPosition_ < visibleWidth_)
            UpdateView(ViewChange::Everything);
    }
    ForEachObject([](IInteractiveObject& object) { object.OnNewData(); });
    if (handlers_.newData)
        handlers_.newData(argument);
    return S_OK;
}

// Keeps the newest sample at the right edge and moves the sweep cursor with it; the strips shift their
// drawing by the new data's width instead of redrawing, never by more than the visible width.
void DataPane::FollowNewData(LONGLONG extent)
{
    const LONG width = visibleWidth_;
    const LONGLONG old = scrollPosition_;
    if (extent < width || IsFollowingLatest())
        scrollPosition_ = extent;
    const LONGLONG delta = scrollPosition_ - old;
    LONGLONG shift = delta;
    if (delta > width)
    {
        sweepCursor_ = width;
        shift = width;
    }
    else
    {
        sweepCursor_ = std::max<LONG>(sweepCursor_ + static_cast<LONG>(delta), 1);
        if (sweepCursor_ > width)
            sweepCursor_ -= width;
    }
    ForEachStrip([&](ChildPaneBase& strip) { strip.OnNewData(scrollPosition_ - shift, shift, nullptr); });
    const DWORD now = GetTickCount();
    if (!(state_ & PaneState::NoTimeUpdate) && static_cast<LONG>(now - lastTimeUpdate_) > static_cast<LONG>(TimeUpdateInterval))
    {
        UpdateTimeDisplay();
        lastTimeUpdate_ = now;
    }
}

void DataPane::UpdateTimeDisplay()
{
    if (timeScale_)
        InvalidateLaneArea(TimeScaleLane, timeScale_->Rect().left, timeScale_->Rect().right);
}

HRESULT STDMETHODCALLTYPE DataPane::OnRecordEnd(int32_t record, int32_t value)
{
    const bool live = TakeIn([&](IPaneDataStore& store) { store.OnRecordEnd(record, value); },
                             [&] {
                                 ForEachStrip([&](ChildPaneBase& strip) { strip.OnSamplingStop(record, value); });
                                 samplingActive_ = false;
                             });
    if (live && !started_)
    {
        LONGLONG extent = 0;
        if (store_ && SUCCEEDED(store_->GetExtent(&extent)) && extent < scrollPosition_)
            ScrollTo(extent);
    }
    return S_OK;
}

void DataPane::ScrollTo(LONGLONG position)
{
    {
        Orv::CriticalSectionLock guard(lock_);
        const LONGLONG old = scrollPosition_;
        scrollPosition_ = position;
        ScrollPanes(old - scrollPosition_);
    }
    UpdateScrollBar();
}

HRESULT STDMETHODCALLTYPE DataPane::OnSamplingStopped(uint32_t record)
{
    LONGLONG extent = 0;
    const bool live = TakeIn([&](IPaneDataStore& store) { store.OnSamplingStopped(record); },
                             [&] {
                                 followLatest_ = VARIANT_TRUE;
                                 newBlockPending_ = true;
                                 InvalidateAll();
                                 extent = LivePosition();
                                 ForEachStrip([&](ChildPaneBase& strip) {
                                     strip.OnSamplingStop(static_cast<LONG>(record), extent);
                                 });
                                 OnChannelsStopped(static_cast<LONG>(record));
                                 if (!(options_ & PaneOption::StayOnStop))
                                     liveDisplay_ = true;
                                 UpdatePaneRanges();
                             });
    if (!live)
        return S_OK;
    if (zoom_)
        zoom_->SetToggleState(liveDisplay_);
    if (handlers_.status)
        handlers_.status(1);
    ForEachObject([&](IInteractiveObject& object) { object.OnSamplingStopped(static_cast<LONG>(record)); });
    if (autoFollow_ && liveDisplay_ && horizontalMode_ != 1)
        ScrollTo(extent);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::OnSamplingModeChanged(uint32_t flag)
{
    const bool live = TakeIn([&](IPaneDataStore& store) { store.OnSamplingModeChanged(flag ? VARIANT_TRUE : 0); },
                             [&] {
                                 const bool relayout = autoFollow_ && IsFollowingLatest();
                                 visibleWidth_ = client_.width - 2 * GetMargin();
                                 if (relayout)
                                     InvalidateAll();
                                 followLatest_ = VARIANT_FALSE;
                                 ForEachStrip([&](ChildPaneBase& strip) { strip.SetSelected(flag != 0); });
                                 OnChannelsRefreshed();
                             });
    if (!live)
        return S_OK;
    UpdateScrollBar();
    if (handlers_.modeChanged)
        handlers_.modeChanged();
    if (handlers_.status)
        handlers_.status(0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::OnRecordValuesChanged(int32_t a, uint32_t b)
{
    TakeIn([&](IPaneDataStore& store) { store.OnRecordValuesChanged(a, b); },
           [&] { ForEachStrip([&](ChildPaneBase& strip) { strip.Notify(static_cast<ULONG>(a), b); }); });
    return S_OK;
}

void DataPane::UpdateScrollBar()
{
    if (!scrollBar_)
        return;
    const LONGLONG extent = LivePosition();
    const LONGLONG width = visibleWidth_;
    if (extent <= width)
    {
        scrollBar_->Enable(false);
        return;
    }
    scrollBar_->Enable(true);
    scrollDivisor_ = static_cast<ULONG>((extent + 1) / ScrollValueSpan + 1);
    const LONG page = std::max<LONG>(static_cast<LONG>(width * PagesPerWidthNumerator / scrollDivisor_) /
                                         PagesPerWidthDenominator,
                                     1);
    scrollBar_->SetPageMagnitude(page);
    scrollBar_->SetLineMagnitude(std::max<LONG>(page / LinesPerPage, 1));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = ScrollInfoMask;
    info.nMin = 0;
    info.nMax = static_cast<int>(extent / scrollDivisor_);
    info.nPage = static_cast<UINT>(width / scrollDivisor_);
    // The bar's value of the scroll position, as the scroll routine turns it back (the view's left edge).
    info.nPos = ScrollBarValue(scrollPosition_);
    scrollBar_->SetScrollInfo(info, true);
    if (zoom_)
        zoom_->SetToggleState(liveDisplay_);
    UpdateTimeDisplay();
    ForEachObject([](IInteractiveObject& object) { object.OnScrollBarUpdate(); });
    if (handlers_.modeChanged)
        handlers_.modeChanged();
}

LONGLONG DataPane::ClampScrollPosition()
{
    sweepCursor_ = visibleWidth_;
    InvalidateAll();
    const LONGLONG extent = LivePosition();
    // Data shorter than the view start at its left edge, as the record starts there, at every zoom: a pane
    // that follows the newest data alone keeps them at its right edge, where the new data come in.
    const LONGLONG last = IsFollowingLatest() ? extent : std::max<LONGLONG>(extent, visibleWidth_);
    if (scrollPosition_ > last)
        scrollPosition_ = last;
    else if (scrollPosition_ < visibleWidth_)
        scrollPosition_ = std::min<LONGLONG>(visibleWidth_, last);
    return scrollPosition_;
}

} // namespace StrixDraw
