// One horizontal strip of a data pane (the time scale or a channel pane): its record drawers, sorted
// by layer, its rectangle, and a cache of up to eight drawing layers, each optionally held in an
// off-screen bitmap, that it paints into the invalid part of its rectangle and composes onto the screen.
#pragma once

#include "tracedisplay/drawers/DrawerInterfaces.h"
#include "tracedisplay/panes/ChildPaneOwner.h"
#include "tracedisplay/support/DrawingUtilities.h"

#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "hostapi/BinaryStreams.h"
#include "hostapi/ScaleControl.h"

#include <vector>

namespace StrixDraw
{

// Flags of AddDrawer.
namespace AddDrawerFlag
{
constexpr ULONG OwnBitmap = 0x80000000u;
constexpr ULONG AlphaDeferred = 0x08000000u;
} // namespace AddDrawerFlag

// Paint flags.
namespace PaintFlag
{
constexpr ULONG KeepCaches = 0x80000000u;
constexpr ULONG SkipEventMarks = 0x00200000u;
constexpr ULONG Printing = 0x00100000u;
constexpr ULONG NoWhiteClear = 0x00400000u;
} // namespace PaintFlag

// Where the record drawn lies in the strip.
struct StripPaintContext
{
    LONG record = 0;
    LONG recordStartX = 0;  // pane x of the record's position 0
    LONGLONG preTrigger = 0;
    ULONG option = 0;
};

// The copyable layout block of a strip.
struct ChildPaneBaseInit
{
    LONG paneId = 0;
    ULONG reserved = 0;
    LONG leftOverhang = 0;
    LONG rightOverhang = 0;
    LONG paneIndex = 0;
    ULONG flagWord = 0;
    LONG placement[2] = {0, 0};
    OWL::TRect rect;
    OWL::TRect secondRect;
    BYTE state[2] = {0, 0};
    bool extentsDirty = true;
};

class ChildPaneBase : public IDragScaleObserver, protected ChildPaneBaseInit, private Orv::CComObjectRoot
{
public:
    static constexpr COLORREF FrameColour = RGB(195, 195, 195);
    static constexpr LONG UnsetPositionChannel = static_cast<LONG>(0x80000000u);
    // AttachStore: the drawers stay and are attached to the store (else they are all removed).
    static constexpr ULONG KeepDrawers = 0x80000000u;
    static constexpr ULONG UnsetPositionSub = 0xC0000000u;

    ChildPaneBase(LONG paneIndex, ChildPaneOwner* owner);
    // The copy has the layout and clones of the drawers, no owner and an empty cache.
    ChildPaneBase(const ChildPaneBase& other);
    ChildPaneBase& operator=(const ChildPaneBase&) = delete;
    virtual ~ChildPaneBase();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDragScaleObserver: the channel panes answer these.
    HRESULT STDMETHODCALLTYPE OnBeginDrag(LONG source, LONG extra) override;
    HRESULT STDMETHODCALLTYPE OnEndDrag(LONG source, LONG extra) override;
    HRESULT STDMETHODCALLTYPE OnScalingChanged(LONG source, LONG extra, const AxisTransform* transform) override;
    HRESULT STDMETHODCALLTYPE OnAutoScale(LONG source) override;
    HRESULT STDMETHODCALLTYPE GetDataExtent(LONG source, double* low, double* high, VARIANT_BOOL* raw) override;

    virtual void DrawBorder(HDC dc, ULONG reserved);
    virtual void SetLayout(LONG paneId, const LONG placement[2], const OWL::TRect& rect);
    virtual HRESULT ApplyChannelSettings(IUnknown* settings, IUnknown* preferences, LONG channel);
    virtual HRESULT AddDrawer(ULONG flags, IStrixRecordDrawer* drawer, int alpha);
    virtual HRESULT RemoveDrawers(ULONG mask, ChannelPair position);
    virtual HRESULT Invalidate(ULONG reason);
    virtual HRESULT PrepareRecord(ULONG height);
    virtual HRESULT OnSamplingStart(LONG record, bool newRecord);
    // New samples [start, start + count): returns the furthest position a drawer has taken in.
    virtual HRESULT OnNewData(LONGLONG start, LONGLONG count, LONGLONG* lastPosition);
    virtual HRESULT OnSamplingStop(LONG record, LONGLONG position);
    virtual HRESULT SetSelected(bool selected);
    virtual HRESULT Notify(ULONG a, ULONG b);
    virtual void Paint(HDC dc, const StripPaintContext& context, const OWL::TRect& invalid, ULONG paintFlags,
                       ULONG layerMask);
    virtual bool IsActive() const { return state[0] != 0 || state[1] != 0; }
    virtual HRESULT OnChannelEvent(ULONG argument);
    // The strip's persisted record; each kind of strip has its own.
    virtual HRESULT Load(IBinInStream* stream);
    virtual HRESULT Save(IBinOutStream* stream);
    virtual void Compose(HDC dc, int cursorX, bool drawCursor);
    bool HitTest(const OWL::TPoint& point) const { return rect.Contains(point); }

    void InvalidateSpan(int x0, int x1, int firstLayer, int endLayer, bool force);
    void InvalidateBand(int x0, int x1);
    void MarkAllStale();
    void ClearDirty();
    void ComputeExtents(ULONG firstKind, ULONG endKind, LONG& left, LONG& right) const;
    // The span [x0, x1) to draw, widened by the drawers' overhangs.
    void GetUpdateSpan(const OWL::TRect* region, ULONG flags, int& x0, int& x1, bool clearExtentsDirty);
    void ScrollBy(LONGLONG shift, LONG redrawStartX);
    virtual HRESULT AttachStore(ULONG flags, IUnknown* store);

    const OWL::TRect& Rect() const { return rect; }
    LONG PaneIndex() const { return paneIndex; }
    size_t DrawerCount() const { return drawers_.size(); }
    IStrixRecordDrawer* Drawer(size_t i) const { return drawers_[i].Get(); }
    const LayerSegment& Layer(int layer) const { return cache_.layers[layer]; }
    LayerSegment& Layer(int layer) { return cache_.layers[layer]; }
    const OWL::TRect& CacheRect() const { return cache_.cacheRect; }
    void SetOwner(ChildPaneOwner* owner) { owner_ = owner; }

protected:
    ChildPaneOwner* Owner() const { return owner_; }
    template <class Call>
    void ForEachDrawer(Call&& call)
    {
        for (const auto& drawer : drawers_)
            call(*drawer.Get());
    }

private:
    static int LayerOf(IStrixRecordDrawer& drawer);
    void RecomputeLayerRanges();
    void ResizeCache();
    void PaintLayer(HDC dc, int layer, const StripPaintContext& context, const OWL::TRect& invalid, ULONG paintFlags);
    void ComposeLayer(int layer, ULONG paintFlags);
    HDC BaseTarget(HDC dc) const;

    ChildPaneOwner* owner_ = nullptr;
    std::vector<Orv::ComPtr<IStrixRecordDrawer>> drawers_;
    LayerTable cache_;
    USHORT painted_ = 0;
};

} // namespace StrixDraw
