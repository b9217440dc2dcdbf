// The data pane as its drawers see it (geometry, scale, colours, layers, units), the pending autoscale
// requests and view changes taken in before a paint, and the paint entry points of the window.
#include "tracedisplay/datapane/DataPane.h"

#include "controls/windows/SmallWindowUtilities.h"

#include "platform/owl/gdi/DC.h"

#include <algorithm>

namespace StrixDraw
{

namespace
{
constexpr ULONG KindsPerLayer = 256;
constexpr ULONG TransparentWhite = LayerFlag::WhiteTransparent;
constexpr LONG MinimumDrawHeight = 12;
constexpr ULONG CachedPaint = 0x4000000u;
constexpr ULONG OffScreenPaint = 0x400000u;
constexpr ULONG ViewUpdateBits = 0xFF000000u;
constexpr ULONG AllLaneBits = 0xFFFFFFFFu;
constexpr ULONG AllKindsEnd = KindsPerLayer * LayerCount;

void FillArea(HDC dc, const OWL::TRect& area, COLORREF colour)
{
    OWL::TBrush brush(colour);
    ::FillRect(dc, &area, brush);
}
} // namespace

HRESULT STDMETHODCALLTYPE DataPane::GetOwnerValue(ULONG, ULONG_PTR* value)
{
    if (value)
        *value = printTarget_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetPixelsPerMmX(ULONG, ULONG, double* pixels)
{
    if (pixels)
        *pixels = ScreenPixelsPerMm;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetPixelsPerMmY(ULONG, ULONG, double* pixels)
{
    if (pixels)
        *pixels = ScreenPixelsPerMm;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetDrawScale(ULONG, double* x, double* y)
{
    if (x)
        *x = 1.0;
    if (y)
        *y = 1.0;
    if (printTarget_ == 0)
        return S_OK;
    double perMmX = ScreenPixelsPerMm;
    double perMmY = ScreenPixelsPerMm;
    GetPixelsPerMmX(0, 0, &perMmX);
    GetPixelsPerMmY(0, 0, &perMmY);
    if (x)
        *x = perMmX / ScreenPixelsPerMm;
    if (y)
        *y = perMmY / ScreenPixelsPerMm;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::IsDrawingOnly(ULONG, VARIANT_BOOL* drawingOnly)
{
    const bool set = (state_ & PaneState::DrawingOnly) != 0;
    if (!drawingOnly)
        return set ? S_OK : S_FALSE;
    *drawingOnly = set ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetLayerInfo(ULONG, LONG pane, ULONG layerCode, ULONGLONG* info)
{
    Orv::CriticalSectionLock guard(lock_);
    ChannelPane* lane = Lane(pane);
    const ULONG layer = layerCode / KindsPerLayer;
    if (!lane || !info || layer >= static_cast<ULONG>(LayerCount))
        return E_INVALIDARG;
    // The layer's flags below, its alpha above.
    const LayerSegment& segment = lane->Layer(static_cast<int>(layer));
    *info = static_cast<ULONGLONG>(static_cast<ULONG>(segment.alpha)) << 32 | segment.flags;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::SetLayerAlpha(ULONG, LONG pane, ULONG layerCode, LONG alpha)
{
    ChannelPane* lane = Lane(pane);
    const ULONG layer = layerCode / KindsPerLayer;
    if (!lane || layer >= static_cast<ULONG>(LayerCount))
        return S_OK;
    LayerSegment& segment = lane->Layer(static_cast<int>(layer));
    segment.alpha = alpha;
    if (alpha != OpaqueAlpha)
        segment.flags &= ~TransparentWhite;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetDrawArea(LONG pane, RECT* area)
{
    if (!area)
        return E_INVALIDARG;
    LONG bottom = client_.height;
    if (pane < 0)
    {
        const auto tall = std::find_if(lanes_.rbegin(), lanes_.rend(),
                                       [](const auto& lane) { return lane->Rect().Height() > MinimumDrawHeight; });
        if (tall == lanes_.rend())
            return E_FAIL;
        bottom = (*tall)->Rect().bottom;
    }
    *area = RECT{GetMargin(), 0, client_.width - GetMargin(), bottom};
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::InvalidateArea(LONG pane, const RECT* area)
{
    if (pane >= 0)
    {
        if (area)
            InvalidateRect(OWL::TRect(*area), false);
        return S_OK;
    }
    if (scrollBar_)
        scrollBar_->Repaint();
    if (zoom_)
        zoom_->Repaint();
    InvalidatePanes();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::IsFollowing()
{
    return followLatest_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE DataPane::IsFollowingAndLive()
{
    return IsFollowingLatest() ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE DataPane::GetBackgroundColour(COLORREF* colour)
{
    if (!colour)
        return S_OK;
    *colour = background_;
    if (IsDrawingOnly() && *colour == RGB(0, 0, 0))
        *colour = RGB(255, 255, 255);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::AdjustColour(COLORREF colour, COLORREF* adjusted)
{
    if (!adjusted)
        return E_INVALIDARG;
    *adjusted = ContrastColour(colour, background_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetUnitsOrigin(LONG pane, ULONG, LONG* origin)
{
    ChannelPane* lane = Lane(pane);
    if (!lane || !origin)
        return E_INVALIDARG;
    ChannelPair pair = lane->UnitsOrigin(1);
    if (pair.channel < 0)
        pair = lane->UnitsOrigin(2);
    origin[0] = pair.channel;
    origin[1] = static_cast<LONG>(pair.subIndex);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetScaleInfo(LONG pane, ULONG scaleId, LONG record, double* numerator,
                                                 double* denominator, double* offset)
{
    ChannelPane* lane = Lane(pane);
    if (!lane)
        return E_INVALIDARG;
    return lane->CollectScaleInfo(scaleId, record, numerator, denominator, offset);
}

HRESULT STDMETHODCALLTYPE DataPane::GetUnitsSource(LONG pane, void** owner)
{
    ChannelPane* lane = Lane(pane);
    if (!lane || !owner)
        return E_INVALIDARG;
    *owner = lane->DrawerOwner();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::GetStateWords(ULONG* second, ULONG* flags)
{
    if (second)
        *second = static_cast<ULONG>(static_cast<USHORT>(stateWord_));
    if (flags)
        *flags = state_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DataPane::IsPrinting(VARIANT_BOOL* printing)
{
    return DrawPrintableBase::IsPrinting(printing);
}

// The channel strips' vertical grid runs through the time scale's ticks.
HRESULT STDMETHODCALLTYPE DataPane::GetTimeGrid(TimeGrid* grid)
{
    if (!grid)
        return E_INVALIDARG;
    return timeScale_ && timeScale_->Grid(*grid) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE DataPane::MarksRecordStarts(LONG)
{
    return S_FALSE;
}

HRESULT DataPane::BeginPrint(ULONG_PTR target)
{
    printTarget_ = target;
    return SetPrintContext(static_cast<ULONG>(target));
}

HRESULT DataPane::EndPrint()
{
    printTarget_ = 0;
    return ClearPrintContext();
}

void DataPane::RequestAutoScale(LONG axis, ULONG lane)
{
    autoScale_[axis == 1 ? 0 : 1].push_back(lane);
}

bool DataPane::ProcessPendingFlags()
{
    if (!store_)
        return false;
    ULONG flags = 0;
    store_->GetPendingFlags(0, &flags);
    flags |= pendingChanges_;
    if (flags == 0)
        return false;
    if (flags > 0xFFFFFFu)
        UpdateView(flags & ViewUpdateBits);
    for (int slot = 0; slot < 2; ++slot)
    {
        for (ULONG requested : autoScale_[slot])
        {
            ForEachLane([&](ChannelPane& lane, LONG index) {
                if (requested == AllLaneBits || requested == static_cast<ULONG>(index))
                    lane.AutoScaleAxis(slot + 1);
            });
        }
        autoScale_[slot].clear();
    }
    store_->ClearPendingFlags(0, 0, flags);
    pendingChanges_ &= ~flags;
    return true;
}

void DataPane::PaintRect(HDC dc, const OWL::TRect& rect, HRGN updateRegion)
{
    if (!drawingEnabled_ || rect.IsEmpty())
        return;
    Orv::CriticalSectionLock guard(lock_);
    ForEachObject([](IInteractiveObject& object) { object.OnBeginPaint(); });
    const ULONG flags = CachesLayers() ? CachedPaint : 0;
    LONG left = 0;
    LONG right = 0;
    ForEachStrip([&](ChildPaneBase& strip) {
        LONG l = 0;
        LONG r = 0;
        strip.ComputeExtents(0, AllKindsEnd, l, r);
        left = std::max(left, l);
        right = std::max(right, r);
        strip.DrawBorder(dc, 0);
    });
    if (!CachesLayers())
    {
        PaintLanes(dc, flags, rect, left, right);
    }
    else
    {
        PaintLanes(dc, flags, updateRegion ? rect : OWL::TRect(0, 0, client_.width, client_.height), left, right);
        pendingUpdate_ = false;
        ComposeAll(dc);
    }
    ForEachObject([&](IInteractiveObject& object) { object.OnPaint(dc, &rect); });
    if (handlers_.paint)
        handlers_.paint(dc);
    const LONG newestX = XOfStrip(LivePosition());
    const OWL::TRect beyond(std::max<LONG>(newestX, GetMargin()), 0, client_.width - GetMargin(), LanesHeight());
    if (handlers_.overlayPaint && beyond.Width() > 1 && handlers_.overlayPaint(dc, beyond))
        InvalidateRect(beyond, false);
}

// Where the strips' records start: the strip position 0 at its window x.
void DataPane::PaintLanes(HDC dc, ULONG flags, const OWL::TRect& rect, LONG leftExtent, LONG rightExtent)
{
    if (lanes_.empty())
    {
        const OWL::TRect empty(GetMargin(), GetGap(), client_.width - GetMargin(), GetGap() + LanesHeight());
        FillArea(dc, empty, background_);
        return;
    }
    const StripPaintContext context = PaintContext();
    const OWL::TRect area(rect.left - leftExtent, rect.top, rect.right + rightExtent, rect.bottom);
    ForEachStrip([&](ChildPaneBase& strip) {
        if (strip.Rect().IsEmpty() || !RectVisible(dc, &strip.Rect()))
            return;
        const LayerSegment& base = strip.Layer(0);
        const OWL::TRect filled = strip.Rect() & area;
        const bool intoLayer = base.bitmap && CachesLayers();
        FillArea(intoLayer ? base.bitmap->GetHDC() : dc, filled, background_);
        // The cleared part of a cached base layer is drawn again, not composed as it now is.
        if (intoLayer && !filled.IsEmpty())
            strip.InvalidateSpan(filled.left, filled.right, 0, 1, true);
        if (store_)
            strip.Paint(dc, context, area, flags, 0xFF);
    });
}

void DataPane::PaintFrames(HDC dc, const OWL::TRect& rect)
{
    ForEachLane([&](ChannelPane& lane, LONG) { lane.DrawBorder(dc, 0); });
    if (timeScale_ && !timeScale_->Rect().IsEmpty())
        FillArea(dc, timeScale_->Rect(), background_);
    if (lanes_.empty())
    {
        FillArea(dc, OWL::TRect(GetMargin(), GetGap(), client_.width - GetMargin(), GetGap() + LanesHeight()),
                 background_);
        return;
    }
    ForEachLane([&](ChannelPane& lane, LONG) {
        if (!(lane.Rect() & rect).IsEmpty())
            FillArea(dc, lane.Rect(), background_);
    });
}

void DataPane::DrawLayers(int layer, bool onScreen, ULONG paintFlags, HDC dc, LONG lane, bool markStale)
{
    Orv::CriticalSectionLock guard(lock_);
    if (!dc && CachesLayers())
        paintFlags |= CachedPaint;
    if (!onScreen)
        paintFlags |= OffScreenPaint;
    if (layer == 0)
    {
        if (!dc || !CachesLayers())
            return;
        if (lane == -1)
            ComposeAll(dc);
        else if (ChannelPane* pane = Lane(lane))
            pane->Compose(dc, sweepCursor_, AutoFollowActive());
        return;
    }
    if (store_)
        store_->PrepareDrawing(std::max<LONGLONG>(ViewLeft(), 0), scrollPosition_);
    const StripPaintContext context = PaintContext();
    ForEachLane([&](ChannelPane& pane, LONG index) {
        if (lane != -1 && lane != index)
            return;
        if (layer < LayerCount)
        {
            LayerSegment& segment = pane.Layer(layer);
            segment.dirty = pane.CacheRect();
            if (markStale)
                segment.flags = (segment.flags | LayerFlag::Stale) & ~LayerFlag::Drawn;
        }
        pane.Paint(dc, context, pane.Rect(), paintFlags, 1u << layer);
    });
}

void DataPane::ComposeAll(HDC dc)
{
    const bool drawCursor = AutoFollowActive();
    ForEachStrip([&](ChildPaneBase& strip) { strip.Compose(dc, sweepCursor_, drawCursor); });
}

void DataPane::ShowPosition(double value, LONGLONG position, ULONG mode)
{
    LONGLONG sample = 0;
    if (!store_ || FAILED(store_->PositionToStrip(0, position, value, &sample)))
        return;
    const LONG right = client_.width - GetMargin();
    const LONGLONG x = sample + right - scrollPosition_;
    if (mode == 0 && x > 0 && x < visibleWidth_)
        return;
    const LONGLONG shift = mode == 2 ? 0 : visibleWidth_ / 2;
    const LONGLONG old = scrollPosition_;
    scrollPosition_ = sample + right - shift;
    ClampScrollPosition();
    UpdateScrollBar();
    ScrollPanes(old - scrollPosition_);
}

} // namespace StrixDraw
