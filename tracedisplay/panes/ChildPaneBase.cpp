#include "tracedisplay/panes/ChildPaneBase.h"

#include "controls/windows/SmallWindowUtilities.h"
#include "foundation/com/XOrv.h"

#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/GdiObjects.h"

#include <algorithm>

namespace StrixDraw
{

namespace
{
constexpr ULONG KindsPerLayer = 256;
constexpr ULONG AllKindsEnd = KindsPerLayer * LayerCount;
constexpr ULONG UpdateSkippedOnRequest = 0x40000000u;
constexpr ULONG UpdateNeedsArea = 0x20000000u;
constexpr ULONG SpanFromDirty = 0x04000000u;
constexpr ULONG SpanWholePane = 0x01000000u;
constexpr LONG NoIndex = -1;
// New samples redraw the traces' layers; everything above them is recomposed.
constexpr int NewDataFirstLayer = 2;
constexpr int NewDataEndLayer = 4;
constexpr int BandStaleLayer = 5;

void FillWhite(HDC dc, const OWL::TRect& area)
{
    PatBlt(dc, area.left, area.top, area.Width(), area.Height(), WHITENESS);
}
} // namespace

ChildPaneBase::ChildPaneBase(LONG index, ChildPaneOwner* owner) : owner_(owner)
{
    paneIndex = index;
    drawers_.reserve(8);
}

ChildPaneBase::ChildPaneBase(const ChildPaneBase& other)
    : IDragScaleObserver(), ChildPaneBaseInit(other), Orv::CComObjectRoot()
{
    flagWord = other.flagWord ? 0xFFFFFFFFu : 0;
    for (const auto& drawer : other.drawers_)
    {
        Orv::ComPtr<IStrixRecordDrawer> clone;
        if (SUCCEEDED(drawer->Clone(CloneForMetafile, clone.Put())) && clone)
            AddDrawer(0, clone.Get(), OpaqueAlpha);
    }
}

ChildPaneBase::~ChildPaneBase() = default;

HRESULT STDMETHODCALLTYPE ChildPaneBase::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDragScaleObserver)
        return E_NOINTERFACE;
    *out = static_cast<IDragScaleObserver*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ChildPaneBase::AddRef()
{
    return InternalAddRef();
}

ULONG STDMETHODCALLTYPE ChildPaneBase::Release()
{
    return ReleaseWith([this] { delete this; });
}

HRESULT STDMETHODCALLTYPE ChildPaneBase::OnBeginDrag(LONG, LONG)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ChildPaneBase::OnEndDrag(LONG, LONG)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ChildPaneBase::OnScalingChanged(LONG, LONG, const AxisTransform*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ChildPaneBase::OnAutoScale(LONG)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ChildPaneBase::GetDataExtent(LONG, double*, double*, VARIANT_BOOL*)
{
    return E_NOTIMPL;
}

void ChildPaneBase::DrawBorder(HDC dc, ULONG)
{
    if (owner_ && owner_->IsDrawingOnly() && rect.Height() > 0 && paneIndex >= 0)
    {
        OWL::TPen pen(RGB(0, 0, 0), static_cast<int>(owner_->PixelScale() * 0.3 + 0.5));
        const OWL::TRect frame = rect.InflatedBy(owner_->Margin(), owner_->Gap());
        if (!RectVisible(dc, &frame))
            return;
        OWL::SelectedObject selected(dc, pen.GetHandle());
        MoveToEx(dc, frame.left, frame.top, nullptr);
        LineTo(dc, frame.left, frame.bottom);
        LineTo(dc, frame.right, frame.bottom);
        return;
    }
    const OWL::TRect frame = rect.InflatedBy(1, 1);
    if (rect.Height() > 0)
    {
        if (!RectVisible(dc, &frame))
            return;
        OWL::TBrush brush(FrameColour);
        const RECT edges[4] = {{frame.left, frame.top, frame.right, frame.top + 1},
                               {frame.left, frame.bottom - 1, frame.right, frame.bottom},
                               {frame.left, frame.top, frame.left + 1, frame.bottom},
                               {frame.right - 1, frame.top, frame.right, frame.bottom}};
        for (const RECT& edge : edges)
            ::FillRect(dc, &edge, brush);
        return;
    }
    // A strip without height shows as a separator line.
    ::FillRect(dc, &frame, GetSysColorBrush(COLOR_BTNFACE));
}

void ChildPaneBase::SetLayout(LONG id, const LONG place[2], const OWL::TRect& newRect)
{
    paneId = id;
    placement[0] = place[0];
    placement[1] = place[1];
    LayerSegment& base = cache_.layers[0];
    base.flags &= ~LayerFlag::WhiteTransparent;
    if (owner_ && owner_->CachesLayers())
        base.flags = (base.flags | LayerFlag::Cached | LayerFlag::Stale) & ~LayerFlag::Drawn;
    else
        base.flags &= ~LayerFlag::Cached;
    rect = newRect;
    ResizeCache();
    MarkAllStale();
    if (owner_)
    {
        owner_->ClearPendingUpdate();
        owner_->InvalidateRect(rect, false);
    }
}

void ChildPaneBase::ResizeCache()
{
    cache_.cacheRect = rect;
    for (LayerSegment& layer : cache_.layers)
    {
        layer.dirty = rect;
        if (!(layer.flags & LayerFlag::Cached))
        {
            layer.bitmap.reset();
            continue;
        }
        BITMAP info{};
        if (layer.bitmap)
            GetObjectW(layer.bitmap->Bitmap(), sizeof info, &info);
        if (!layer.bitmap || info.bmWidth != rect.Width() || info.bmHeight != rect.Height())
        {
            layer.bitmap.reset();
            if (rect.IsEmpty())
                continue;
            layer.bitmap = std::make_shared<OrvControls::ScreenBitMapDC>(rect.Width(), rect.Height());
        }
        // Drawing in data-pane coordinates lands inside the bitmap, also after a strip of the same size
        // moved (the time scale strip follows the pane's height).
        SetWindowOrgEx(*layer.bitmap, rect.left, rect.top, nullptr);
    }
}

HRESULT ChildPaneBase::ApplyChannelSettings(IUnknown* settings, IUnknown* preferences, LONG channel)
{
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.ApplyChannelSettings(settings, preferences, channel); });
    return S_OK;
}

int ChildPaneBase::LayerOf(IStrixRecordDrawer& drawer)
{
    ULONG kind = 0;
    drawer.GetKind(&kind);
    return static_cast<int>(std::min<ULONG>(kind / KindsPerLayer, LayerCount - 1));
}

HRESULT ChildPaneBase::AddDrawer(ULONG flags, IStrixRecordDrawer* drawer, int alpha)
{
    if (!drawer)
        return E_INVALIDARG;
    if (owner_)
        drawer->SetEnvironment(owner_->DrawerServices());
    drawer->SetOwnerWord(0, paneIndex);
    drawer->SetBounds(static_cast<ULONG>(paneId), &rect);
    drawers_.emplace_back(drawer);
    std::stable_sort(drawers_.begin(), drawers_.end(),
                     [](const auto& a, const auto& b) { return LayerOf(*a.Get()) < LayerOf(*b.Get()); });
    if ((flags & AddDrawerFlag::OwnBitmap) && owner_ && owner_->CachesLayers())
    {
        LayerSegment& layer = cache_.layers[LayerOf(*drawer)];
        layer.flags = (layer.flags & ~LayerFlag::Drawn) | LayerFlag::Cached | LayerFlag::Stale;
        layer.alpha = alpha;
        if (alpha != OpaqueAlpha)
            layer.flags &= ~LayerFlag::WhiteTransparent;
        if (flags & AddDrawerFlag::AlphaDeferred)
            layer.flags |= LayerFlag::AlphaDeferred;
        ResizeCache();
    }
    RecomputeLayerRanges();
    extentsDirty = true;
    return S_OK;
}

void ChildPaneBase::RecomputeLayerRanges()
{
    for (LayerSegment& layer : cache_.layers)
        layer.firstDrawer = layer.endDrawer = NoIndex;
    for (size_t i = 0; i < drawers_.size(); ++i)
    {
        LayerSegment& layer = cache_.layers[LayerOf(*drawers_[i].Get())];
        if (layer.firstDrawer == NoIndex)
            layer.firstDrawer = static_cast<int>(i);
        layer.endDrawer = static_cast<int>(i + 1);
    }
}

HRESULT ChildPaneBase::RemoveDrawers(ULONG mask, ChannelPair position)
{
    const bool unset = position.channel == UnsetPositionChannel && position.subIndex == UnsetPositionSub;
    if (mask == 0 && unset)
    {
        drawers_.clear();
    }
    else
    {
        for (size_t i = drawers_.size(); i-- > 0;)
        {
            IStrixRecordDrawer& drawer = *drawers_[i].Get();
            ULONG updateFlags = 0;
            drawer.GetUpdateExtent(0, &updateFlags, nullptr, nullptr, nullptr);
            ChannelPair shown{};
            drawer.GetDisplaySource(&shown);
            const bool masked = mask == 0 || (updateFlags & mask) != 0;
            const bool atPosition = unset || (shown.channel == position.channel && shown.subIndex == position.subIndex);
            if (masked && atPosition)
                drawers_.erase(drawers_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    RecomputeLayerRanges();
    extentsDirty = true;
    return S_OK;
}

HRESULT ChildPaneBase::Invalidate(ULONG reason)
{
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.Invalidate(reason); });
    return S_OK;
}

HRESULT ChildPaneBase::PrepareRecord(ULONG height)
{
    if (owner_ && owner_->RepaintsOnChange())
        owner_->InvalidateRect(rect, false);
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.PrepareRecord(height); });
    return S_OK;
}

HRESULT ChildPaneBase::OnSamplingStart(LONG record, bool newRecord)
{
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.OnRecordStart(record, newRecord ? SHORT(0xFFFF) : SHORT(0)); });
    return S_OK;
}

HRESULT ChildPaneBase::OnNewData(LONGLONG start, LONGLONG count, LONGLONG* lastPosition)
{
    const LONGLONG live = owner_ ? owner_->LivePosition() : 0;
    LONGLONG redrawStart = start + count;
    LONGLONG furthest = 0;
    for (const auto& drawer : drawers_)
    {
        LONGLONG position = 0;
        if (drawer->OnNewData(start, start + count, &position) != S_OK)
            continue;
        furthest = std::max(furthest, position);
        LONG left = 0;
        drawer->GetUpdateExtent(0, nullptr, &left, nullptr, nullptr);
        // A drawer that reaches left of its newest point redraws that much of what it drew before.
        LONGLONG drawerStart = position;
        if (position <= live && position < live - left)
            drawerStart = live - left;
        redrawStart = std::min(redrawStart, drawerStart);
    }
    if (lastPosition)
        *lastPosition = furthest;
    if (!owner_)
        return S_OK;
    const LONG startX = owner_->PositionToX(redrawStart);
    if (startX < rect.right)
        InvalidateSpan(startX, rect.right, NewDataFirstLayer, NewDataEndLayer, true);
    if (!owner_->IsFollowingLatest() || count == 0)
    {
        if (owner_->CachesLayers())
            owner_->InvalidateRect(rect, false);
        return S_OK;
    }
    ScrollBy(count, startX);
    return S_OK;
}

HRESULT ChildPaneBase::OnSamplingStop(LONG record, LONGLONG position)
{
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.OnRecordEnd(record, position); });
    return S_OK;
}

HRESULT ChildPaneBase::SetSelected(bool selected)
{
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.SetSelected(selected ? SHORT(0xFFFF) : SHORT(0)); });
    return S_OK;
}

HRESULT ChildPaneBase::Notify(ULONG a, ULONG b)
{
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.Notify(a, b); });
    return S_OK;
}

HRESULT ChildPaneBase::OnChannelEvent(ULONG argument)
{
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.OnChannelEvent(argument); });
    return S_OK;
}

HRESULT ChildPaneBase::Load(IBinInStream*)
{
    return E_NOTIMPL;
}

HRESULT ChildPaneBase::Save(IBinOutStream*)
{
    return E_NOTIMPL;
}

void ChildPaneBase::ScrollBy(LONGLONG shift, LONG redrawStartX)
{
    const bool startsOffPane = redrawStartX <= rect.left;
    if (!owner_->CachesLayers())
    {
        if (!startsOffPane && shift != 0)
            owner_->ScrollContents(static_cast<int>(-shift));
        owner_->InvalidateRect(startsOffPane ? rect : OWL::TRect(redrawStartX, rect.top, rect.right, rect.bottom),
                               false);
        return;
    }
    if (startsOffPane)
        MarkAllStale();
    else
        ScrollLayers(cache_, static_cast<int>(-shift), !owner_->InSweepMode());
    owner_->ClearPendingUpdate();
    owner_->InvalidateRect(rect, false);
}

void ChildPaneBase::InvalidateSpan(int x0, int x1, int firstLayer, int endLayer, bool force)
{
    const OWL::TRect span(x0, cache_.cacheRect.top, x1, cache_.cacheRect.bottom);
    int walkStart = firstLayer;
    if (force || firstLayer < 0)
    {
        // The base layer always redraws when forced: everything above is composed onto it.
        LayerSegment& base = cache_.layers[0];
        base.dirty = base.dirty | span;
        base.flags = (base.flags | LayerFlag::Stale) & ~LayerFlag::Drawn;
        walkStart = 1;
    }
    else if (firstLayer >= LayerCount)
    {
        return;
    }
    for (int layer = walkStart; layer < LayerCount; ++layer)
    {
        LayerSegment& segment = cache_.layers[layer];
        if (x0 < x1)
            segment.dirty = segment.dirty | span;
        if (layer >= firstLayer && layer < endLayer)
            segment.flags = (segment.flags | LayerFlag::Stale) & ~LayerFlag::Drawn;
    }
}

void ChildPaneBase::InvalidateBand(int x0, int x1)
{
    if (!owner_)
        return;
    owner_->InvalidateRect(OWL::TRect(x0, rect.top, x1, rect.bottom), false);
    InvalidateSpan(x0, x1, BandStaleLayer, BandStaleLayer + 1, true);
    owner_->ClearPendingUpdate();
}

void ChildPaneBase::MarkAllStale()
{
    for (LayerSegment& layer : cache_.layers)
        layer.MarkStale(cache_.cacheRect);
}

void ChildPaneBase::ClearDirty()
{
    for (LayerSegment& layer : cache_.layers)
    {
        layer.dirty = OWL::TRect();
        layer.flags &= ~LayerFlag::Stale;
    }
}

void ChildPaneBase::ComputeExtents(ULONG firstKind, ULONG endKind, LONG& left, LONG& right) const
{
    left = right = 0;
    for (const auto& drawer : drawers_)
    {
        ULONG kind = 0;
        drawer->GetKind(&kind);
        if (kind < firstKind || kind >= endKind)
            continue;
        LONG l = 0;
        LONG r = 0;
        drawer->GetUpdateExtent(0, nullptr, &l, &r, nullptr);
        left = std::max(left, l);
        right = std::max(right, r);
    }
}

void ChildPaneBase::GetUpdateSpan(const OWL::TRect* region, ULONG flags, int& x0, int& x1, bool clearExtentsDirty)
{
    OWL::TRect box = rect;
    if (flags & SpanFromDirty)
    {
        box = OWL::TRect();
        for (const LayerSegment& layer : cache_.layers)
            box = box | layer.dirty;
    }
    else if (!(flags & SpanWholePane))
    {
        if (region)
            box = box & *region;
        InvalidateSpan(box.left, box.right, 0, LayerCount, false);
    }
    if (extentsDirty)
    {
        ComputeExtents(0, AllKindsEnd, leftOverhang, rightOverhang);
        if (clearExtentsDirty)
            extentsDirty = false;
    }
    x0 = box.left - leftOverhang;
    x1 = box.right + rightOverhang;
}

HRESULT ChildPaneBase::AttachStore(ULONG flags, IUnknown* store)
{
    if (!(flags & KeepDrawers))
    {
        drawers_.clear();
        RecomputeLayerRanges();
        extentsDirty = true;
        return S_OK;
    }
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.Attach(flags, store); });
    return S_OK;
}

// Where the layers that keep no bitmap of their own draw: into the base layer's picture when the
// strip composes from bitmaps, else onto the caller's device.
HDC ChildPaneBase::BaseTarget(HDC dc) const
{
    const LayerSegment& base = cache_.layers[0];
    return (base.flags & LayerFlag::Cached) && base.bitmap ? base.bitmap->GetHDC() : dc;
}

void ChildPaneBase::Paint(HDC dc, const StripPaintContext& context, const OWL::TRect& invalid, ULONG paintFlags,
                          ULONG layerMask)
{
    if (rect.Height() <= 0 || (rect & invalid).IsEmpty())
        return;
    for (int layer = 0; layer < LayerCount; ++layer)
        if (layerMask & (1u << layer))
            PaintLayer(dc, layer, context, invalid, paintFlags);
}

void ChildPaneBase::PaintLayer(HDC dc, int layerIndex, const StripPaintContext& context, const OWL::TRect& invalid,
                               ULONG paintFlags)
{
    LayerSegment& layer = cache_.layers[layerIndex];
    if (!layer.HasDrawers() || layer.dirty.IsEmpty())
    {
        if (layerIndex != 0)
            layer.bitmap.reset();
        layer.flags &= ~LayerFlag::Stale;
    }
    const bool cached = (layer.flags & LayerFlag::Cached) && layer.bitmap;
    if (!layer.HasDrawers())
        return;
    const bool redraw = !cached || ((layer.flags & LayerFlag::Stale) && !layer.dirty.IsEmpty());
    if (redraw)
    {
        const HDC target = cached ? layer.bitmap->GetHDC() : BaseTarget(dc);
        const OWL::TRect area = (cached ? layer.dirty : rect) & invalid;
        if (cached && (layer.flags & LayerFlag::WhiteTransparent) && !(paintFlags & PaintFlag::NoWhiteClear))
            FillWhite(target, area);
        for (int i = layer.firstDrawer; i < layer.endDrawer && !area.IsEmpty(); ++i)
        {
            IStrixRecordDrawer& drawer = *drawers_[static_cast<size_t>(i)].Get();
            ULONG updateFlags = 0;
            LONG left = 0;
            LONG right = 0;
            drawer.GetUpdateExtent(0, &updateFlags, &left, &right, nullptr);
            if ((paintFlags & PaintFlag::SkipEventMarks) && (updateFlags & UpdateSkippedOnRequest))
                continue;
            const LONGLONG from = area.left - context.recordStartX;
            const LONGLONG to = area.right + right - context.recordStartX;
            drawer.Draw(target, from, to, context.preTrigger, context.record, area.left, &area, paintFlags,
                        context.option, 0);
        }
        layer.flags |= LayerFlag::Drawn;
        painted_ = 0xFFFF;
    }
    if (cached)
        ComposeLayer(layerIndex, paintFlags);
}

// Copies a cached layer's changed part onto the base layer's picture.
void ChildPaneBase::ComposeLayer(int layerIndex, ULONG paintFlags)
{
    LayerSegment& layer = cache_.layers[layerIndex];
    if ((layer.flags & LayerFlag::AlphaDeferred) || (paintFlags & PaintFlag::Printing))
        return;
    const LayerSegment& base = cache_.layers[0];
    const OWL::TRect area = layer.dirty & cache_.cacheRect;
    if (layerIndex != 0 && base.bitmap && !area.IsEmpty())
    {
        const HDC source = layer.bitmap->GetHDC();
        const HDC target = base.bitmap->GetHDC();
        if (layer.flags & LayerFlag::WhiteTransparent)
        {
            // TransparentBlt works in device units: the bitmaps' origin is the strip's top-left.
            const int x = area.left - cache_.cacheRect.left;
            const int y = area.top - cache_.cacheRect.top;
            POINT sourceOrigin{};
            POINT targetOrigin{};
            SetWindowOrgEx(source, 0, 0, &sourceOrigin);
            SetWindowOrgEx(target, 0, 0, &targetOrigin);
            const BOOL done = TransparentBlt(target, x, y, area.Width(), area.Height(), source, x, y, area.Width(),
                                             area.Height(), RGB(255, 255, 255));
            SetWindowOrgEx(source, sourceOrigin.x, sourceOrigin.y, nullptr);
            SetWindowOrgEx(target, targetOrigin.x, targetOrigin.y, nullptr);
            if (!done)
                throw XOrv(Orv::String(), HRESULT_FROM_WIN32(GetLastError()));
        }
        else if (layer.alpha == OpaqueAlpha)
        {
            BitBlt(target, area.left, area.top, area.Width(), area.Height(), source, area.left, area.top, SRCCOPY);
        }
    }
    layer.dirty = OWL::TRect();
    layer.flags &= ~LayerFlag::Stale;
}

void ChildPaneBase::Compose(HDC dc, int cursorX, bool drawCursor)
{
    const LayerSegment& base = cache_.layers[0];
    if (((base.flags & LayerFlag::Stale) && !base.dirty.IsEmpty()) || rect.IsEmpty() || !base.bitmap ||
        !RectVisible(dc, &rect))
        return;
    std::vector<const LayerSegment*> deferred;
    for (const LayerSegment& layer : cache_.layers)
        if ((layer.flags & LayerFlag::AlphaDeferred) && layer.alpha < OpaqueAlpha && layer.bitmap &&
            layer.HasDrawers())
            deferred.push_back(&layer);
    if (deferred.empty() && !drawCursor)
    {
        BitBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), base.bitmap->GetHDC(), rect.left, rect.top,
               SRCCOPY);
        return;
    }
    OrvControls::ScreenBitMapDC picture(rect.Width(), rect.Height());
    SetWindowOrgEx(picture, rect.left, rect.top, nullptr);
    BitBlt(picture, rect.left, rect.top, rect.Width(), rect.Height(), base.bitmap->GetHDC(), rect.left, rect.top,
           SRCCOPY);
    for (const LayerSegment* layer : deferred)
    {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(layer->alpha), 0};
        AlphaBlend(picture, rect.left, rect.top, rect.Width(), rect.Height(), layer->bitmap->GetHDC(), rect.left,
                   rect.top, rect.Width(), rect.Height(), blend);
    }
    if (drawCursor && owner_)
    {
        OWL::SelectedObject pen(picture.GetHDC(), owner_->CursorPen());
        MoveToEx(picture, cursorX, rect.top, nullptr);
        LineTo(picture, cursorX, rect.bottom);
    }
    BitBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), picture, rect.left, rect.top, SRCCOPY);
}

} // namespace StrixDraw
