// The horizontal view of a data pane: its scale (samples per pixel, an exact ratio) and the 1-2-5 zoom
// steps, scrolling by scroll bar, keyboard and wheel, following the newest data, the owner's
// notifications and the invalidation of cached drawing.
#include "tracedisplay/datapane/DataPane.h"

#include "foundation/numbers/NumberUtilities.h"
#include "foundation/numbers/Rational.h"

#include "hostapi/TraceDataSource.h"

#include "platform/owl/window/Window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace StrixDraw
{

namespace
{
constexpr int WheelNotch = 120;
constexpr double MinSamplesPerPixel = 0.1;
constexpr double MaxSamplesPerPixel = 500000.0;
constexpr double WheelStepFactor = 0.25 * 0.125;
constexpr int ZoomCommandControl = 1;
constexpr ULONG SourceKeep = 0x8000;

using OrvRationalImp::Rational64;

double SamplesPerPixel(LONGLONG numerator, LONGLONG denominator)
{
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}

// position * (old / new), exactly: the products are formed as rationals and truncated at the end.
LONGLONG Rescale(LONGLONG position, const Rational64& oldRatio, const Rational64& newRatio)
{
    Rational64 factor{oldRatio.numerator * newRatio.denominator, oldRatio.denominator * newRatio.numerator};
    factor.Normalize();
    Rational64 product{position * factor.numerator, factor.denominator};
    product.Normalize();
    return product.numerator / product.denominator;
}
} // namespace

// The next value of the 1-2-5 series above (zooming out) or below (zooming in) r.
double NextZoomStep(double r, bool zoomIn)
{
    double next = r;
    if (zoomIn)
        Orv::NiceFloor(next);
    else
        Orv::NiceCeil(next);
    return next;
}

void DataPane::GetHorizontalScale(LONGLONG& numerator, LONGLONG& denominator) const
{
    numerator = 10;
    denominator = 1;
    if (store_)
        store_->GetScale(&numerator, &denominator);
}

TimeAxis DataPane::GetTimeAxis() const
{
    TimeAxis axis = timeAxis_;
    axis.mode = timeMode_;
    axis.secondsPerPosition = ShownSampleInterval() * SamplesPerPixel(scaleNumerator_, scaleDenominator_);
    return axis;
}

// The sample interval of the record at the view's left edge, else of the one at its right edge, else of
// the record being sampled; 0 (no time to label) while the store knows none of them.
double DataPane::ShownSampleInterval() const
{
    if (!store_)
        return 0.0;
    const auto intervalAt = [&](const RecordingPosition& position) {
        double interval = 0.0;
        const bool known = SUCCEEDED(store_->GetTimeFactor(&position, &interval)) && std::isfinite(interval);
        return known && interval > 0.0 ? interval : 0.0;
    };
    for (const LONGLONG strip : {ViewLeft(), scrollPosition_})
    {
        RecordingPosition position;
        if (store_->StripToRecording(strip, &position) != S_OK)
            continue;
        if (const double interval = intervalAt(position); interval > 0.0)
            return interval;
    }
    return intervalAt({currentRecord_, 0});
}

void DataPane::SetScaleRatio(LONGLONG numerator, LONGLONG denominator)
{
    scaleNumerator_ = numerator;
    scaleDenominator_ = denominator;
    if (store_)
        store_->SetScale(numerator, denominator);
    if (zoom_)
        zoom_->SetRatio(numerator, denominator);
}

void DataPane::ZoomStep(bool zoomIn)
{
    const double r = SamplesPerPixel(scaleNumerator_, scaleDenominator_);
    if (zoomIn ? r <= MinSamplesPerPixel : r >= MaxSamplesPerPixel)
        return;
    const Rational64 next = Rational64::FromDouble(NextZoomStep(r, zoomIn));
    SetHorizontalScale(next.numerator, next.denominator, nullptr, true);
}

bool DataPane::CanZoomIn(int)
{
    return SamplesPerPixel(scaleNumerator_, scaleDenominator_) > MinSamplesPerPixel;
}

void DataPane::SetHorizontalScale(LONGLONG numerator, LONGLONG denominator, const OWL::TPoint* anchor, bool notify)
{
    // A ratio that is not positive (a command outside the ratio menu gives 0 : 1) has no samples per
    // pixel: rescaling by it divides by zero and no zoom step leads away from it.
    if (numerator <= 0 || denominator <= 0)
        return;
    if (numerator == scaleNumerator_ && denominator == scaleDenominator_)
        return;
    Orv::CriticalSectionLock guard(lock_);
    const Rational64 oldRatio{scaleNumerator_, scaleDenominator_};
    const Rational64 newRatio{numerator, denominator};
    const LONG margin = GetMargin();
    bool placed = false;
    if (!IsFollowingLatest())
    {
        const double c = client_.width / 2.0;
        const double q = SamplesPerPixel(oldRatio.numerator, oldRatio.denominator) / SamplesPerPixel(numerator, denominator);
        double x = c;
        LONGLONG cursor = 0;
        if ((GetAsyncKeyState(VK_CONTROL) & 0x8000) && !anchor && cursorSource_)
        {
            LONGLONG strip = 0;
            if (cursorSource_->GetCursorPosition(cursor) && store_ &&
                SUCCEEDED(store_->PositionToStrip(0, cursor, 0.0, &strip)))
                x = static_cast<double>(XOfStrip(strip));
            else
                x = (margin + client_.width - margin) / 2.0;
        }
        else if (anchor)
        {
            x = anchor->x - (anchor->x - c) / q;
        }
        else if (q > 1)
        {
            LONGLONG extent = 0;
            if (ViewLeft() == 0)
                x = margin;
            else if (store_ && SUCCEEDED(store_->GetExtent(&extent)) && extent <= scrollPosition_)
                x = client_.width - margin;
        }
        const LONGLONG s = StripAtX(static_cast<LONG>(std::floor(x + 0.5)));
        LONGLONG position = 0;
        // The first sample is a position like any other: taking it for none sent a zoom at the start of
        // the data to the newest data instead.
        if (s >= 0 && store_ && store_->StripToPosition(s, &position) == S_OK && position >= 0)
        {
            const LONGLONG rescaled = Rescale(position, oldRatio, newRatio);
            CenterOnAnchor(&rescaled, numerator, denominator);
            placed = true;
        }
    }
    if (!placed)
    {
        SetScaleRatio(numerator, denominator);
        MoveToExtent();
        UpdateView(ViewChange::Everything);
    }
    if (notify)
        FireScaleChanged();
}

void DataPane::MoveToExtent()
{
    LONGLONG extent = 0;
    if (store_ && SUCCEEDED(store_->GetExtent(&extent)))
        scrollPosition_ = extent;
}

void DataPane::CenterOnAnchor(const LONGLONG* position, LONGLONG numerator, LONGLONG denominator)
{
    SetScaleRatio(numerator, denominator);
    LONGLONG strip = 0;
    if (!IsFollowingLatest() && position && store_ && SUCCEEDED(store_->PositionToStrip(0, *position, 0.0, &strip)))
        scrollPosition_ = strip + (client_.width - 2 * GetMargin() + 1) / 2;
    else
        MoveToExtent();
    UpdateView(ViewChange::Everything);
}

void DataPane::ApplyZoomChoice(int id, UINT index)
{
    if (id != ZoomCommandControl || !zoom_)
        return;
    const Ratio ratio = zoom_->RatioOfCommand(index);
    SetHorizontalScale(ratio.numerator, ratio.denominator, nullptr, true);
}

void DataPane::UpdateZoomCommand(int id, OWL::TCommandEnabler& enabler)
{
    if (id != ZoomCommandControl || !zoom_)
        return;
    const Ratio ratio = zoom_->RatioOfCommand(enabler.GetId());
    enabler.SetCheck(ratio.numerator == scaleNumerator_ && ratio.denominator == scaleDenominator_ ? 1 : 0);
}

void DataPane::FillZoomMenu(HMENU menu, UINT first, UINT last)
{
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position)
        DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    if (!zoom_)
        return;
    for (UINT id = first; id < last; ++id)
    {
        const Ratio ratio = zoom_->RatioOfCommand(id);
        const std::wstring text = zoom_->FormatRatioText(ratio.numerator, ratio.denominator);
        const bool current = ratio.numerator == scaleNumerator_ && ratio.denominator == scaleDenominator_;
        AppendMenuW(menu, MF_STRING | (current ? MF_CHECKED : 0), id, text.c_str());
    }
}

void DataPane::OnHScroll(UINT code)
{
    ScrollRoutine(code, 1.0);
}

void DataPane::ScrollRoutine(UINT code, double factor)
{
    if (!scrollBar_)
        return;
    LONGLONG extent = 0;
    if (store_)
        store_->GetExtent(&extent);
    scrolling_ = true;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    scrollBar_->GetScrollInfo(info);
    const LONG largest = info.nMax - static_cast<LONG>(visibleWidth_ / static_cast<LONG>(scrollDivisor_));
    LONG position = info.nPos;
    switch (code)
    {
    case SB_LINEUP:
        position = info.nPos - static_cast<LONG>(scrollBar_->GetLineMagnitude() * factor);
        break;
    case SB_LINEDOWN:
        position = info.nPos + static_cast<LONG>(scrollBar_->GetLineMagnitude() * factor);
        break;
    case SB_PAGEUP:
        position = info.nPos - static_cast<LONG>(scrollBar_->GetPageMagnitude() * factor);
        break;
    case SB_PAGEDOWN:
        position = info.nPos + static_cast<LONG>(scrollBar_->GetPageMagnitude() * factor);
        break;
    case SB_THUMBTRACK:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = info.nMin;
        break;
    case SB_BOTTOM:
        position = largest;
        break;
    case SB_ENDSCROLL:
        EndScroll(true);
        return;
    default:
        break;
    }
    position = std::max<LONG>(std::min<LONG>(position, largest), info.nMin);
    {
        Orv::CriticalSectionLock guard(lock_);
        if (position == largest)
            SetFollowLatest(true, false);
        else if (position < largest && IsFollowingLatest())
            SetFollowLatest(false, false);
        SCROLLINFO update{};
        update.cbSize = sizeof update;
        update.fMask = SIF_POS;
        update.nPos = position;
        scrollBar_->SetScrollInfo(update, code != SB_THUMBTRACK);
        const LONGLONG old = scrollPosition_;
        scrollPosition_ = std::min<LONGLONG>(static_cast<LONGLONG>(position) * scrollDivisor_ + visibleWidth_, extent);
        ScrollPanes(old - scrollPosition_);
        if (code != SB_THUMBTRACK)
            scrolling_ = false;
    }
    if (handlers_.scrolled)
        handlers_.scrolled(0);
}

bool DataPane::OnMouseWheel(UINT keys, short delta, const OWL::TPoint& point)
{
    wheelAccumulator_ += delta;
    const int notches = std::abs(wheelAccumulator_) / WheelNotch;
    if (notches == 0)
        return false;
    const bool negative = wheelAccumulator_ < 0;
    if (!(keys & MK_CONTROL))
    {
        if (scrollBar_ && scrollBar_->IsActive())
        {
            const DWORD now = GetTickCount();
            const DWORD elapsed = std::max<DWORD>(now - lastWheelTick_, 1u);
            const double rate = std::clamp(1000.0 / elapsed, 1.0, 100.0);
            lastWheelTick_ = now;
            ScrollRoutine(negative ? SB_LINEDOWN : SB_LINEUP, notches * rate * WheelStepFactor);
        }
    }
    else if (horizontalMode_ != 1)
    {
        const double r = SamplesPerPixel(scaleNumerator_, scaleDenominator_);
        if (r > 0)
        {
            OWL::TPoint anchor = point;
            if (window_)
            {
                // From the screen to the window, and on to the pane, whose coordinates start at its origin.
                ScreenToClient(window_, &anchor);
                anchor.x -= client_.x;
                anchor.y -= client_.y;
            }
            const bool zoomIn = !negative;
            if (zoomIn ? r > MinSamplesPerPixel : r < MaxSamplesPerPixel)
            {
                const Rational64 next = Rational64::FromDouble(NextZoomStep(r, zoomIn));
                SetHorizontalScale(next.numerator, next.denominator, &anchor, true);
            }
        }
    }
    wheelAccumulator_ += negative ? notches * WheelNotch : -notches * WheelNotch;
    return false;
}

void DataPane::EndScroll(bool notify)
{
    scrolling_ = false;
    if (notify)
        FireScrollChanged();
}

void DataPane::RequestFollowLatest(bool follow, bool notify)
{
    if (notify && liveDisplay_ != follow && handlers_.followLatest)
        handlers_.followLatest(follow);
    liveDisplay_ = follow;
}

void DataPane::SetFollowLatest(bool follow, bool notify)
{
    if (liveDisplay_ != follow)
        RequestFollowLatest(follow, notify);
    if (zoom_)
        zoom_->SetToggleState(follow);
}

void DataPane::JumpToLatest()
{
    if (handlers_.jump)
        handlers_.jump();
    liveDisplay_ = true;
    const LONGLONG old = scrollPosition_;
    MoveToExtent();
    ScrollPanes(old - scrollPosition_);
    OnNewBlock();
}

void DataPane::ScrollPanes(LONGLONG shift)
{
    ForEachObject([](IInteractiveObject& object) { object.OnBeginScroll(); });
    ULONG flags = 0;
    if (std::llabs(shift) > visibleWidth_)
    {
        InvalidatePanes();
        flags = ViewChange::RangeChanged;
    }
    else
    {
        const bool cached = CachesLayers();
        // A strip scrolls by how far its data advance; the exposed stretch is redrawn by the strip itself.
        ForEachStrip([&](ChildPaneBase& strip) { strip.ScrollBy(-shift, strip.Rect().right); });
        flags = cached ? ViewChange::ScrolledCached : ViewChange::ScrolledUncached;
    }
    if (horizontalMode_ != 1)
        UpdatePaneRanges();
    ForEachObject([&](IInteractiveObject& object) { object.OnViewChanged(static_cast<LONG>(shift), flags); });
}

HRESULT DataPane::ScrollToPosition(double x, LONGLONG position)
{
    LONGLONG strip = 0;
    if (!store_ || FAILED(store_->PositionToStrip(0, position, x, &strip)))
        return E_FAIL;
    const LONGLONG old = scrollPosition_;
    scrollPosition_ = strip;
    ClampScrollPosition();
    UpdateScrollBar();
    ScrollPanes(old - scrollPosition_);
    return S_OK;
}

void DataPane::UpdateView(ULONG changeFlags)
{
    ForEachLane([&](ChannelPane& lane, LONG) { lane.OnChannelEvent(changeFlags); });
    if (timeScale_)
        timeScale_->OnChannelEvent(changeFlags);
    ClampScrollPosition();
    UpdateScrollBar();
    if (changeFlags & ViewChange::RangeChanged)
        UpdatePaneRanges();
    ForEachStrip([&](ChildPaneBase& strip) { strip.Invalidate(changeFlags); });
    ForEachObject([](IInteractiveObject& object) { object.OnUpdate(0); });
    if (zoom_)
        zoom_->Repaint();
    if (scrollBar_)
        scrollBar_->Repaint();
    InvalidatePanes();
}

void DataPane::InvalidatePanes()
{
    Orv::CriticalSectionLock guard(lock_);
    InvalidateAll();
    redrawPending_ = 0;
}

void DataPane::InvalidateAll()
{
    ForEachStrip([&](ChildPaneBase& strip) {
        strip.MarkAllStale();
        InvalidateRect(strip.Rect(), false);
    });
}

void DataPane::InvalidateLaneArea(LONG which, LONG xFrom, LONG xTo)
{
    Orv::CriticalSectionLock guard(lock_);
    if (which == AllLanes)
    {
        ForEachStrip([&](ChildPaneBase& strip) { strip.InvalidateBand(xFrom, xTo); });
        if (redrawPending_)
        {
            InvalidateAll();
            redrawPending_ = 0;
        }
    }
    else if (which == TimeScaleLane && timeScale_)
    {
        timeScale_->InvalidateBand(xFrom, xTo);
    }
    else if (ChannelPane* lane = Lane(which))
    {
        lane->InvalidateBand(xFrom, xTo);
    }
}

bool DataPane::AnySegmentPending() const
{
    bool pending = false;
    const_cast<DataPane*>(this)->ForEachStrip([&](ChildPaneBase& strip) {
        for (int layer = 0; layer < LayerCount; ++layer)
            pending = pending || !strip.Layer(layer).dirty.IsEmpty();
    });
    return pending;
}

HRESULT DataPane::Draw(IUnknown* target, HDC dc, const RECT* area, ULONG flags)
{
    Orv::ComPtr<IGridOptions> options;
    if (target && SUCCEEDED(target->QueryInterface(IID_IGridOptions, options.PutVoid())) && options)
    {
        COLORREF colour = background_;
        SHORT show = 0;
        ULONG style = 0;
        if (SUCCEEDED(options->GetOptions(&colour, &show, &style)))
            background_ = colour;
    }
    Orv::CriticalSectionLock guard(lock_);
    // The lanes are drawn where they lie in the pane: none is offset within the target.
    paneOffsets_.assign(lanes_.size(), 0);
    if (dc)
    {
        const OWL::TRect whole = area ? OWL::TRect(*area) : OWL::TRect(0, 0, client_.width, client_.height);
        const StripPaintContext context = PaintContext();
        ForEachStrip([&](ChildPaneBase& strip) {
            if (store_)
                strip.Paint(dc, context, whole, flags, 0xFF);
        });
    }
    ForEachObject([&](IInteractiveObject& object) { object.Draw(dc, area, flags); });
    const LONGLONG middle = client_.width / 2 - (client_.width - GetMargin()) + scrollPosition_;
    LONGLONG position = 0;
    if (middle >= 0 && store_ && SUCCEEDED(store_->StripToPosition(middle, &position)))
        CenterOnAnchor(&position, scaleNumerator_, scaleDenominator_);
    InvalidatePanes();
    return S_OK;
}

void DataPane::FireViewNotification(const ViewChangedHandler& first, const ViewChangedHandler& second)
{
    if (!first && !second)
        return;
    RecordingPosition position;
    double factor = 1.0;
    if (store_)
    {
        store_->StripToRecording(scrollPosition_, &position);
        store_->GetTimeFactor(&position, &factor);
    }
    const double samplesPerPixel = SamplesPerPixel(scaleNumerator_, scaleDenominator_);
    const double scaled = static_cast<double>(position.tick) * factor;
    if (first)
        first(0, samplesPerPixel, position, scaled);
    if (second)
        second(0, samplesPerPixel, position, scaled);
}

void DataPane::FireScaleChanged()
{
    FireViewNotification(handlers_.scaleChanged, handlers_.viewChanged);
}

void DataPane::FireScrollChanged()
{
    FireViewNotification(handlers_.scrollChanged, handlers_.viewChanged);
    if (handlers_.scrolled)
        handlers_.scrolled(0);
}

} // namespace StrixDraw
