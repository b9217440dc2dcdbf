// The heart of the trace display: a vertical stack of channel panes (lanes) above a time scale strip,
// scrolled and zoomed horizontally, fed with online data through its sink and drawn into the window
// that owns it. The pane is not a window: a window class derives from it and from a window base and
// routes the window's messages to it. It is not reference counted either; it lives as long as that
// window, and its COM faces answer AddRef and Release with 1.
//
// Coordinates: the shown data lie on a strip whose unit is one pixel at the current horizontal scale;
// the 64-bit scroll position is the strip position at the right edge of the trace area.
#pragma once

#include "tracedisplay/controls/ControlBase.h"
#include "tracedisplay/controls/ZoomControl.h"
#include "tracedisplay/datapane/DataPaneParts.h"
#include "tracedisplay/datapane/InteractiveObjectContainer.h"
#include "tracedisplay/drawers/DrawerInterfaces.h"
#include "tracedisplay/panes/ChannelPane.h"
#include "tracedisplay/panes/ChannelPaneOwner.h"
#include "tracedisplay/support/DrawingUtilities.h"
#include "tracedisplay/timescale/TimeScale.h"

#include "foundation/com/ComPtr.h"
#include "foundation/com/CriticalSection.h"
#include "hostframework/messaging/EventHandlers.h"
#include "hostframework/messaging/Subjects.h"
#include "hostapi/HostDocument.h"
#include "hostapi/PaneDataStore.h"

#include "platform/owl/gdi/GdiObjects.h"

#include <functional>
#include <memory>
#include <vector>

namespace OWL
{
class TWindow;
}

namespace StrixDraw
{

// The comments observer face: the pane takes no notice of comments.
struct ICommentsObserver : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE OnCommentEvent(ULONG a, ULONG b, ULONG c, ULONG d, ULONG_PTR e,
                                                     ULONG_PTR f) = 0;
};
inline constexpr IID IID_ICommentsObserver = {0x23DF2022, 0x2D41, 0x4B34, {0x82, 0x1B, 0x5A, 0x53, 0xD1, 0x1F, 0x1E, 0x08}};
inline constexpr IID IID_IDrawerDataPane = {0x01959D7F, 0x060B, 0x4884, {0xA8, 0x57, 0x24, 0xFF, 0x35, 0x09, 0x48, 0xBB}};

// What the owner hears of the pane's horizontal view: (0, samples per pixel, recording position, the
// position in the owner's time units).
using ViewChangedHandler = std::function<void(ULONG, double, const RecordingPosition&, double)>;

// A sampling start as the host announced it: the record, the channel and the host's further words.
struct SamplingStart
{
    LONG record;
    LONG channel;
    uint32_t words[9];
    SHORT flag;
};

class DataPane : public IOnlineDataSink,
                 public ICommentsObserver,
                 public VyrSubject,
                 public IOrvDraggableRects,
                 public IDrawerDataPane,
                 public InteractiveObjectContainer,
                 public PaneChannelPolicy,
                 public DrawPrintableBase,
                 public DataPaneBase,
                 public DataPaneInitOnCopy,
                 public VyrEventHandlerT<1>,
                 public IOrvStrixLanes,
                 public ChannelPaneOwner,
                 public ScrollListener,
                 public ZoomListener
{
public:
    static constexpr ULONG SavedVersion = 2;
    static constexpr LONG TimeScaleLane = -1;
    static constexpr LONG AllLanes = -2;
    static constexpr LONG NoLane = static_cast<LONG>(0x80000000u);
    static constexpr LONG NoRecord = 0x7FFFFFFE;
    static constexpr ULONG KeepStore = 0x40000000u;   // AttachSource: re-attach the store to the new source
    static constexpr LONG AllChannels = -1;           // ApplyChannelSettings: every channel a drawer shows
    static constexpr ULONG AttachDrawers = 0x80000000u; // AttachSource: the strips keep their drawers

    // Owner handlers; an empty one is skipped.
    struct Handlers
    {
        // A lane's scale asks to autoscale an axis (the lane's channel entry, the axis); without it the
        // pane's observers hear of it.
        std::function<void(const ChannelDescription&, LONG)> autoScale;
        std::function<void(const ChannelDescription&, double, double)> scaleDragFinished;
        ViewChangedHandler scaleChanged;
        ViewChangedHandler scrollChanged;
        ViewChangedHandler viewChanged;
        std::function<void()> modeChanged;
        std::function<void(ULONG)> newData;
        std::function<void(const SamplingStart&)> samplingStarted;
        std::function<void(ULONG)> scrolled;
        std::function<void(HDC)> paint;
        std::function<void(bool)> followLatest;
        std::function<void()> jump;
        // Draws over the area right of the newest data; true asks for that area to be painted again.
        std::function<bool(HDC, const OWL::TRect&)> overlayPaint;
        // The owner's status display: 1 once sampled data exist, 0 when the sampling mode changed.
        std::function<void(int)> status;
    };

    // What the pane reads of the cursor the owner shows: the cursor's store position, when it has one.
    class CursorSource
    {
    public:
        virtual bool GetCursorPosition(LONGLONG& position) const = 0;

    protected:
        ~CursorSource() = default;
    };

    DataPane(IPaneDataSource* source, ULONG channelStyle, ULONG options = 0x80000000u, ULONG state = 0x80000000u);
    ~DataPane() override;
    DataPane(const DataPane&) = delete;
    DataPane& operator=(const DataPane&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IOnlineDataSink
    HRESULT STDMETHODCALLTYPE GetSinkInfo(uint32_t* info, int16_t* wants) override;
    HRESULT STDMETHODCALLTYPE OnSamplingStopped(uint32_t record) override;
    HRESULT STDMETHODCALLTYPE OnSamplingStarted(int32_t record, int32_t channel, uint32_t p1, uint32_t p2,
                                                uint32_t p3, uint32_t p4, uint32_t p5, uint32_t p6, uint32_t w1,
                                                uint32_t w2, uint32_t w3, int16_t flag) override;
    HRESULT STDMETHODCALLTYPE OnNewData(uint32_t argument) override;
    HRESULT STDMETHODCALLTYPE OnRecordEnd(int32_t record, int32_t value) override;
    HRESULT STDMETHODCALLTYPE OnSamplingModeChanged(uint32_t flag) override;
    HRESULT STDMETHODCALLTYPE OnRecordValuesChanged(int32_t a, uint32_t b) override;
    HRESULT STDMETHODCALLTYPE QuerySinkExtension() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtensionEx() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnSamplingPaused(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSinkPriority(int32_t* period) override;
    HRESULT STDMETHODCALLTYPE GetSinkPosition(int32_t record, uint32_t flags, uint32_t reserved,
                                              int32_t* position) override;

    // ICommentsObserver
    HRESULT STDMETHODCALLTYPE OnCommentEvent(ULONG, ULONG, ULONG, ULONG, ULONG_PTR, ULONG_PTR) override { return S_OK; }

    // IDrawerDataPane
    HRESULT STDMETHODCALLTYPE GetOwnerValue(ULONG reserved, ULONG_PTR* value) override;
    HRESULT STDMETHODCALLTYPE GetPixelsPerMmX(ULONG reserved, ULONG reserved2, double* pixels) override;
    HRESULT STDMETHODCALLTYPE GetPixelsPerMmY(ULONG reserved, ULONG reserved2, double* pixels) override;
    HRESULT STDMETHODCALLTYPE GetDrawScale(ULONG reserved, double* x, double* y) override;
    HRESULT STDMETHODCALLTYPE IsDrawingOnly(ULONG reserved, VARIANT_BOOL* drawingOnly) override;
    HRESULT STDMETHODCALLTYPE GetLayerInfo(ULONG reserved, LONG pane, ULONG layerCode, ULONGLONG* info) override;
    HRESULT STDMETHODCALLTYPE SetLayerAlpha(ULONG reserved, LONG pane, ULONG layerCode, LONG alpha) override;
    HRESULT STDMETHODCALLTYPE GetDrawArea(LONG pane, RECT* area) override;
    HRESULT STDMETHODCALLTYPE InvalidateArea(LONG pane, const RECT* area) override;
    HRESULT STDMETHODCALLTYPE IsFollowing() override;
    HRESULT STDMETHODCALLTYPE IsFollowingAndLive() override;
    HRESULT STDMETHODCALLTYPE GetBackgroundColour(COLORREF* colour) override;
    HRESULT STDMETHODCALLTYPE AdjustColour(COLORREF colour, COLORREF* adjusted) override;
    HRESULT STDMETHODCALLTYPE GetUnitsOrigin(LONG pane, ULONG reserved, LONG* origin) override;
    HRESULT STDMETHODCALLTYPE GetAxisScale(LONG pane, LONG axis, IUnknown** scale) override;
    HRESULT STDMETHODCALLTYPE GetScaleInfo(LONG pane, ULONG scaleId, LONG record, double* numerator,
                                           double* denominator, double* offset) override;
    HRESULT STDMETHODCALLTYPE GetUnitsSource(LONG pane, void** owner) override;
    HRESULT STDMETHODCALLTYPE GetStateWords(ULONG* second, ULONG* flags) override;
    HRESULT STDMETHODCALLTYPE IsPrinting(VARIANT_BOOL* printing) override;
    HRESULT STDMETHODCALLTYPE GetTimeGrid(TimeGrid* grid) override;
    HRESULT STDMETHODCALLTYPE MarksRecordStarts(LONG channel) override;

    // IOrvDraggableRects
    void SetLaneRects(const std::vector<LONG>& tops, const std::vector<LONG>& heights) override;

    // IOrvStrixLanes
    LONG GetLaneCount() override;
    HRESULT SetLaneCount(LONG count) override;
    HRESULT GetLaneScale(LONG lane, LONG axis, IUnknown** scale) override;
    HRESULT SetChannelCount(LONG count) { return SetLaneCount(count); }

    // The window.
    virtual void SetWindow(OWL::TWindow* parent, HWND window);
    virtual void ReleaseWindow();
    HWND Window() const { return window_; }
    OWL::TWindow* ParentWindow() const { return static_cast<OWL::TWindow*>(ownerWindow_); }

    // The data source.
    virtual HRESULT AttachSource(ULONG flags, IPaneDataSource* source, const LONGLONG* origin);
    IPaneDataStore* Store() const { return store_.Get(); }
    IPaneDataSource* Source() const { return source_.Get(); }

    // Layout and coordinates.
    virtual void SetPaneRect(const OWL::TRect& rect);
    virtual void GetPaneRect(OWL::TRect& rect) const { rect = paneRect_; }
    virtual void SetClientSize(const OWL::TSize& size);
    virtual void LayoutLanesEvenly();
    virtual void LayoutControls();
    virtual LONG HitTestPane(const OWL::TPoint& point) const;
    virtual HRESULT GetVisibleRecords(RecordingPosition* first, RecordingPosition* last) const;
    virtual HRESULT GetPaneOffset(LONG channel, ULONG position, LONG* value) const;
    HRESULT AddLaneDrawer(LONG lane, IUnknown* context, IStrixRecordDrawer* drawer);
    HRESULT QueryPaneFlag(ULONG query, SHORT* flag) const;
    HRESULT HasAxisUnits(LONG axis, SHORT* flag) const;
    HRESULT GetAxisUnitRange(LONG axis, double* low, double* high);
    virtual void OnScaleDragFinished(LONG lane, double low, double high);
    virtual bool ApplyRecordRange(IUnknown* record, LONG value, LONG lane);
    void UpdatePaneRanges();
    virtual void ConnectPaneScales(LONG lane);
    virtual void DisconnectPane(LONG lane);
    virtual Orv::ComPtr<ChannelPane> CreateChannelPane(LONG lane);

    // Strip positions and window x.
    LONGLONG StripAtX(LONG x) const { return scrollPosition_ - (client_.width - GetMargin()) + x; }
    LONG XOfStrip(LONGLONG strip) const
    {
        return static_cast<LONG>(strip - scrollPosition_ + client_.width - GetMargin());
    }
    LONGLONG ViewLeft() const { return scrollPosition_ - visibleWidth_; }
    LONGLONG ScrollPosition() const { return scrollPosition_; }
    LONG ScrollBarValue(LONGLONG strip) const { return static_cast<LONG>((strip - visibleWidth_) / scrollDivisor_); }
    LONG VisibleWidth() const { return visibleWidth_; }
    const ClientArea& Client() const { return client_; }
    LONG LeftScaleWidth() const { return leftScaleWidth_; }
    LONG RightScaleWidth() const { return rightScaleWidth_; }
    void SetMinimumScaleWidths(LONG left, LONG right)
    {
        minLeftScaleWidth_ = left;
        minRightScaleWidth_ = right;
    }

    // Horizontal scale, scrolling and redraw.
    virtual void GetHorizontalScale(LONGLONG& numerator, LONGLONG& denominator) const;
    virtual void SetScaleRatio(LONGLONG numerator, LONGLONG denominator);
    virtual void SetHorizontalScale(LONGLONG numerator, LONGLONG denominator, const OWL::TPoint* anchor,
                                    bool notify);
    void OnHScroll(UINT code) override;
    virtual bool OnMouseWheel(UINT keys, short delta, const OWL::TPoint& point);
    virtual void EndScroll(bool notify);
    virtual void UpdateView(ULONG changeFlags);
    virtual void ScrollPanes(LONGLONG shift);
    virtual HRESULT ScrollToPosition(double x, LONGLONG position);
    virtual void ShowPosition(double value, LONGLONG position, ULONG mode);
    void InvalidatePanes();
    void InvalidateAll();
    void InvalidateLaneArea(LONG which, LONG xFrom, LONG xTo);
    // Redraws the band of a comment or marker (IMarkerArea) at a position of the store: on its
    // channel's lane, or on every lane when it stands on no channel. S_FALSE when the band lies
    // outside the view or on no lane.
    HRESULT InvalidateObjectArea(LONGLONG position, IUnknown* object);
    bool AnySegmentPending() const;
    // Draws the strips into dc for a target (a printout, a copy); a target with grid options gives the
    // background colour.
    virtual HRESULT Draw(IUnknown* target, HDC dc, const RECT* area, ULONG flags);
    LONGLONG ClampScrollPosition();
    void UpdateScrollBar();
    bool AutoFollowActive() const { return autoFollow_ && IsFollowingLatest(); }

    // ZoomListener
    void JumpToLatest() override;
    void RequestFollowLatest(bool follow, bool notify) override;
    void ZoomStep(bool zoomIn) override;
    void ApplyZoomChoice(int id, UINT index) override;
    void UpdateZoomCommand(int id, OWL::TCommandEnabler& enabler) override;
    void FillZoomMenu(HMENU menu, UINT first, UINT last) override;
    HRESULT AutoScaleHorizontally(ULONG) override { return E_NOTIMPL; }
    bool CanZoomIn(int) override;
    HWND ListenerWindow() const override { return window_; }

    // Follow-latest.
    bool IsFollowingLatest() const override { return followLatest_ != 0 && liveDisplay_; }
    virtual void SetFollowLatest(bool follow, bool notify);
    void SetAutoFollow(bool flag) { autoFollow_ = flag; }
    void SetFollowWord(bool flag) { followLatest_ = flag ? VARIANT_TRUE : VARIANT_FALSE; }
    void SetStateWord(bool flag) { stateWord_ = flag ? VARIANT_TRUE : VARIANT_FALSE; }
    virtual void OnNewBlock() {}
    // The concrete pane's channels: sampling stopped, the sampling mode changed, the lane count changed.
    virtual void OnChannelsStopped(LONG) {}
    virtual void OnChannelsRefreshed() {}
    virtual void OnChannelCountChanged(LONG) {}
    // A lane's scale changed its transform (under the pane's lock).
    virtual void OnChannelsRescaled() {}

    // Drawing and pending updates.
    virtual bool ProcessPendingFlags();
    virtual void PaintRect(HDC dc, const OWL::TRect& rect, HRGN updateRegion);
    virtual void DrawLayers(int layer, bool onScreen, ULONG paintFlags, HDC dc, LONG lane, bool markStale);
    virtual void ComposeAll(HDC dc);
    void PaintLanes(HDC dc, ULONG flags, const OWL::TRect& rect, LONG leftExtent, LONG rightExtent);
    void PaintFrames(HDC dc, const OWL::TRect& rect);
    // Autoscale requests: lane indexes, 0xFFFFFFFF for every lane.
    void RequestAutoScale(LONG axis, ULONG lane);
    bool IsLayerCachingOn() const { return layerCaching_ != 0; }
    HRESULT BeginPrint(ULONG_PTR target);
    HRESULT EndPrint();

    // Interactive objects.
    void ForwardToObjects(ULONG a, ULONG b, ULONG c);
    void ObjectsRefresh();
    bool ObjectsMouseQuery(UINT keys, const OWL::TPoint& point);
    virtual HRESULT Load(IBinInStream* stream);
    virtual HRESULT Save(IBinOutStream* stream);
    // The window's mouse, timer, cursor and notification messages, after the window's own handling.
    void ObjectsLButtonDown(UINT keys, const OWL::TPoint& point);
    void ObjectsLButtonUp(UINT keys, const OWL::TPoint& point);
    void ObjectsMouseMove(UINT keys, const OWL::TPoint& point);
    // The mouse left the window: the next move asks again to hear of its leaving.
    void ObjectsMouseLeave() { trackingLeave_ = false; }
    bool TracksMouseLeave() const { return trackingLeave_; }
    void ObjectsRButtonDown(UINT keys, const OWL::TPoint& point);
    void ObjectsRButtonUp(UINT keys, const OWL::TPoint& point);
    void ObjectsTimer(UINT_PTR id);
    // True when an object set the cursor or the message is another window's; false: the window's default.
    bool ObjectsSetCursor(HWND window, UINT hitTest, UINT message);
    LRESULT ObjectsNotify(UINT id, NMHDR* header);

    // Placeholders a window class overrides.
    virtual void InvalidateRect(const OWL::TRect&, bool) override {}
    virtual int GetMargin() const { return 1; }
    virtual int GetGap() const { return 1; }

    void SetBackgroundColour(OWL::TColor colour) { background_ = colour; }
    OWL::TColor BackgroundColour() const { return background_; }
    Handlers& OwnerHandlers() { return handlers_; }
    void SetCursorSource(const CursorSource* source) { cursorSource_ = source; }
    void SetScaleProvider(IOrvStrixLanes* provider) { scaleProvider_ = provider; }
    // The host document and the site of the view the pane is shown in, through which the lanes send
    // their channel commands.
    void SetHostView(IUnknown* document, IVyrViewSite* site)
    {
        hostDocument_ = Orv::ComPtr<IUnknown>(document);
        viewSite_ = Orv::ComPtr<IVyrViewSite>(site);
    }
    // The host object that names the lanes' channels.
    void SetChannelInformation(IUnknown* host) { channelInformation_ = Orv::ComPtr<IUnknown>(host); }
    Orv::CriticalSection& Lock() { return lock_; }
    ULONG StateFlags() const override { return state_; }
    ULONG Options() const { return options_; }
    ULONG PendingChanges() const { return pendingChanges_; }
    bool IsDrawingOnly() const override { return (state_ & PaneState::DrawingOnly) != 0; }
    bool LiveDisplay() const { return liveDisplay_; }
    bool SamplingActive() const { return samplingActive_; }
    bool Scrolling() const { return scrolling_; }
    LONG SweepCursor() const { return sweepCursor_; }
    ULONG ScrollDivisor() const { return scrollDivisor_; }
    TimeScale* TimeScaleStrip() const { return timeScale_.Get(); }
    ChannelPane* Lane(LONG index) const;
    LONG LaneCount() const { return static_cast<LONG>(lanes_.size()); }
    ScrollBar* ScrollBarControl() const { return scrollBar_.get(); }
    ZoomControl* ZoomControlOf() const { return zoom_.get(); }
    int WheelRemainder() const { return wheelAccumulator_; }

    // ChildPaneOwner
    IDrawerDataPane* DrawerServices() override { return this; }
    IUnknown* DrawerHostObject() override { return store_.Get(); }
    bool CachesLayers() const override { return layerCaching_ != 0 && !(state_ & PaneState::DrawingOnly); }
    bool RepaintsOnChange() const override { return false; }
    void ClearPendingUpdate() override { pendingUpdate_ = false; }
    bool InSweepMode() const override { return false; }
    LONGLONG LivePosition() const override;
    LONG PositionToX(LONGLONG position) const override { return XOfStrip(position); }
    void ScrollContents(int dx) override;
    double PixelScale() const override;
    int Margin() const override { return GetMargin(); }
    int Gap() const override { return GetGap(); }
    HPEN CursorPen() const override { return cursorPen_.GetHandle(); }
    // Seconds per strip position: the shown record's sample interval times the samples per pixel.
    TimeAxis GetTimeAxis() const override;
    // The TimeMode word the time scale labels with; the interactive objects hear of it separately.
    ULONG TimeDisplayMode() const { return timeMode_; }
    void SetTimeDisplayMode(ULONG mode) { timeMode_ = mode; }
    HDC DrawingDC() const override { return nullptr; }

    // ChannelPaneOwner
    void LockPane() override { lock_.Enter(); }
    void UnlockPane() override { lock_.Leave(); }
    HRESULT VisibleRecordSpan(LONGLONG& first, LONGLONG& last) override;
    void SetScaleDragging(bool dragging) override { SetStateWord(dragging); }
    void ScaleDragFinished(LONG lane, LONG, double low, double high) override { OnScaleDragFinished(lane, low, high); }
    Orv::ComPtr<IUnknown> ChannelRecordObject(LONG channel, LONG axis) override;
    void NotifyPaneObservers(ULONG eventId, void* data) override { VyrSubject::Notify(eventId, data); }
    ChannelDescription ChannelEntry(LONG lane) const override { return DescribeLane(lane); }
    bool HandleAutoScaleRequest(const ChannelDescription& entry, LONG axis) override;
    void ChannelsRescaled() override { OnChannelsRescaled(); }
    Orv::ComPtr<IUnknown> HostDocument() const override { return hostDocument_; }
    Orv::ComPtr<IVyrViewSite> HostViewSite() const override { return viewSite_; }
    Orv::ComPtr<IUnknown> ChannelInformationHost() const override { return channelInformation_; }
    LONG CurrentRecord() const override { return currentRecord_; }
    OWL::TPoint ClientOrigin() const override { return OWL::TPoint(client_.x, client_.y); }

protected:
    // Where the pane's coordinates start in its window (the concrete pane's lane layout sets it).
    void SetClientOrigin(LONG x, LONG y)
    {
        client_.x = x;
        client_.y = y;
    }
    // What a concrete pane supplies.
    virtual std::unique_ptr<ScrollBar> CreateScrollBarControl() = 0;
    virtual std::unique_ptr<ZoomControl> CreateZoomControl(ULONG creationWord) = 0;
    virtual void LayoutLanes(LONG x, LONG y, LONG width, LONG height, ULONG flag) = 0;

    // The lanes' height above the time scale strip.
    LONG TimeScaleBand() const;
    LONG LanesHeight() const { return client_.height - TimeScaleBand(); }
    // The record drawn and where its position 0 lies in the window.
    StripPaintContext PaintContext() const
    {
        StripPaintContext context;
        context.record = currentRecord_;
        context.recordStartX = XOfStrip(0);
        return context;
    }
    void FireScaleChanged();
    void FireScrollChanged();
    void CenterOnAnchor(const LONGLONG* position, LONGLONG numerator, LONGLONG denominator);
    void ScrollRoutine(UINT code, double factor);
    template <class Call>
    void ForEachStrip(Call&& call)
    {
        if (timeScale_)
            call(static_cast<ChildPaneBase&>(*timeScale_.Get()));
        for (const auto& lane : lanes_)
            call(static_cast<ChildPaneBase&>(*lane.Get()));
    }
    template <class Call>
    void ForEachLane(Call&& call)
    {
        for (LONG i = 0; i < LaneCount(); ++i)
            call(*lanes_[static_cast<size_t>(i)].Get(), i);
    }

    Handlers handlers_;

private:
    void ApplyHostChannelSettings(ChildPaneBase& strip);
    void DetachLaneScales(ChannelPane& lane);
    void FireViewNotification(const ViewChangedHandler& first, const ViewChangedHandler& second);
    void MoveToExtent();
    // Runs forward on the store, then, unless the pane is not live, react; both under the lock. False
    // when the pane is not live.
    template <class Forward, class React>
    bool TakeIn(Forward&& forward, React&& react);
    void FollowNewData(LONGLONG extent);
    void UpdateTimeDisplay();
    double ShownSampleInterval() const;
    void ScrollTo(LONGLONG position);

    bool trackingLeave_ = false;
    int wheelAccumulator_ = 0;
    DWORD lastWheelTick_ = 0;
    const CursorSource* cursorSource_ = nullptr;
    Orv::ComPtr<IPaneDataSource> source_;
    Orv::ComPtr<IPaneDataStore> store_;
    std::unique_ptr<ZoomControl> zoom_;
    std::unique_ptr<ScrollBar> scrollBar_;
    Orv::ComPtr<TimeScale> timeScale_;
    std::vector<Orv::ComPtr<ChannelPane>> lanes_;
    std::vector<LONG> paneOffsets_;
    IOrvStrixLanes* scaleProvider_ = nullptr;
    Orv::ComPtr<IUnknown> hostDocument_;
    Orv::ComPtr<IVyrViewSite> viewSite_;
    Orv::ComPtr<IUnknown> channelInformation_;
    Orv::CriticalSection lock_{Orv::CriticalSection::DefaultSpinCount};
    std::vector<ULONG> autoScale_[2];
    bool pendingUpdate_ = false;
    DWORD lastTimeUpdate_ = 0;
    ULONG_PTR printTarget_ = 0;
    TimeAxis timeAxis_;
    OWL::TPen cursorPen_{RGB(255, 0, 0), 1};
};

} // namespace StrixDraw
