// The host's main data view of a document: every channel in a lane of its own over time, the marks of
// the events the document's calculations attach to a channel (coloured and explained by the module's
// event-drawing classes), the comments the document hands the host on its events, the host's selection,
// and the time along the bottom. While the document samples
// the view keeps the newest data at its right edge; the module brings it to a range or an event.
#pragma once

#include "host/app/document/HostDocument.h"
#include "host/app/gui/TraceComments.h"
#include "host/app/gui/TraceEvents.h"
#include "hostapi/HostTraceView.h"
#include "hostapi/VyrViews.h"
#include "foundation/com/OwnerKept.h"

#include <windows.h>

#include <array>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace Host
{

// The values at a lane's top and foot (in that order) for samples from lowest to highest: a little room
// above and below them, over a span of at least a thousandth of their size (of 1 when they are all 0), so
// that a flat channel lies in the middle of a readable scale rather than at the edges of one as wide as
// the rounding of its last bit.
std::pair<double, double> LaneValueRange(double lowest, double highest);

class TraceView final : public Orv::OwnerKept<IDocView2, IHostTraceView>
{
public:
    // A child window of parent at place. moduleDocument (may be null) is told that the view is shown and
    // when it closes, which puts it in the document's tree of views. Throws std::runtime_error when the
    // window cannot be made.
    TraceView(HostDocument& document, IUnknown* moduleDocument, IVyrStandIn& standIn, HWND parent, const RECT& place);
    ~TraceView();
    TraceView(const TraceView&) = delete;
    TraceView& operator=(const TraceView&) = delete;

    HWND Handle() const { return window_; }
    // A mark drawn at the last paint, in client coordinates.
    struct DrawnMark
    {
        int x;
        int top;
        int bottom;
        int32_t channel;
        int32_t record;
        int32_t tick;
        COLORREF colour;
        bool underlying; // an event the attached item's events were found at: its head at the lane's foot
    };
    const std::vector<DrawnMark>& Marks() const { return marks_; }
    // A text left of a lane (its channel's name or a value of its scale) drawn at the last paint.
    struct DrawnLabel
    {
        RECT place;
        int32_t channel;
        std::wstring text;
    };
    const std::vector<DrawnLabel>& Labels() const { return labels_; }
    // The texts along the time axis at the last paint, left to right.
    const std::vector<std::wstring>& TimeLabels() const { return timeLabels_; }
    // Where the traces are drawn, in client coordinates: right of the lanes' texts, above the time axis.
    RECT TraceArea() const;
    // The comments drawn at the last paint.
    const std::vector<TraceComments::Drawn>& Comments() const { return comments_.DrawnComments(); }
    // The client x at which a position lies now (outside the trace area when it is out of view).
    double XOf(const TickPosition& position) const;
    // Samples drawn since the view was made, counting each sample of each channel once per paint.
    int64_t SamplesDrawn() const { return samplesDrawn_; }
    // Reads the events that arrived and scrolls to the newest data while the document samples; the
    // view's timer calls it.
    void Refresh();
    // The client x at which a time in seconds from the recording's start lies now.
    double XOfSeconds(double seconds) const;

    // IUnknown: the view lives as long as its owner keeps it; references are counted for COM's sake only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    // IDocView2
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE CanClose(USHORT* canClose) override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE SetViewNumber(ULONG number) override;
    HRESULT STDMETHODCALLTYPE GetViewNumber(ULONG* number) override;
    HRESULT STDMETHODCALLTYPE GetViewId(ULONG id[2]) override;
    HRESULT STDMETHODCALLTYPE Activate() override;
    HRESULT STDMETHODCALLTYPE GetViewClass(IUnknown** viewClass) override;
    HRESULT STDMETHODCALLTYPE GetDocument(IUnknown** document) override;
    HRESULT STDMETHODCALLTYPE GetReserved12(void** object) override;
    HRESULT STDMETHODCALLTYPE GetViewKind(ULONG* kind) override;
    HRESULT STDMETHODCALLTYPE SetViewKind(ULONG kind) override;

    // IHostTraceView
    HRESULT STDMETHODCALLTYPE ShowRange(const TickPosition* first, const TickPosition* last) override;
    HRESULT STDMETHODCALLTYPE ShowPosition(const TickPosition* position) override;
    HRESULT STDMETHODCALLTYPE GetCentre(TickPosition* position) override;
    HRESULT STDMETHODCALLTYPE GetSamplesPerPixel(double* samples) override;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc, const RECT& client);
    void PaintShownLoop(HDC dc, int32_t channel, const RECT& lane);
    // Where the loop marked at start on channel ends, in seconds: at the channel's next loop mark, or a
    // while after start when there is none; nothing when the channel has no loop marked at start.
    std::optional<double> LoopEndSeconds(int32_t channel, const TickPosition& start) const;
    bool LoopWhollyInView(const TickPosition& start) const;
    int32_t ChannelCount() const;
    void PaintLane(HDC dc, int32_t channel, const RECT& lane);
    // range: the values at the lane's top and foot; none while the lane shows no data.
    void PaintLaneLabels(HDC dc, int32_t channel, const RECT& lane, std::optional<std::pair<double, double>> range);
    void PaintMarks(HDC dc, int32_t channel, const RECT& lane);
    // Whether channel shows an event of its own attached item at position.
    bool MarkedAt(int32_t channel, const TickPosition& position) const;
    void PaintComments(HDC dc, const RECT& area);
    RECT LaneOf(int32_t channel, const RECT& area) const;
    std::wstring TimeText(const TickPosition& position) const;
    void PaintTimeAxis(HDC dc, const RECT& axis);
    void PaintSelection(HDC dc, const RECT& lanes);
    void PaintHover(HDC dc, const RECT& client);
    void OnMouseMove(POINT point);
    void OnButtonDown(POINT point);
    void OnDrag(POINT point);
    void OnButtonUp(POINT point);
    double SecondsAt(int x) const;
    // Lanes run over the recorded channels, then the document's computed channels.
    std::wstring LaneTitle(int32_t channel) const;
    HostDocument::ChannelShowing ShowingOf(int32_t channel, size_t record) const;
    std::span<const float> LaneSamples(int32_t channel, size_t record, int64_t first, int64_t end);
    void OnScroll(WORD request);
    void UpdateScrollBar();
    double SecondsOf(const TickPosition& position) const;
    TickPosition PositionOf(double seconds) const;
    double TotalSeconds() const;
    double LeftSeconds() const;
    void DropFromDocument();
    void KeepOnData();
    void OnResized();
    int LeastHeight() const;
    int LabelRoom(LONG viewWidth) const;
    void UpdateLabelRoom();

    HostDocument& document_;
    IUnknown* moduleDocument_;
    TraceEvents events_;
    TraceComments comments_;
    ULONG typeId_ = 0;
    ULONG viewNumber_ = 0;
    ULONG viewKind_ = 0;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    int labelRoom_ = 0; // the trace area's left edge
    double secondsPerPixel_ = 0.0;
    double rightSeconds_ = 0.0; // the time at the trace area's right edge
    bool following_ = true;     // the newest data stays at the right edge while sampling
    LONG areaWidth_ = 0;        // the trace area's width when the view was last laid out; 0 before it was
    int64_t samplesSeen_ = -1;
    bool samplingSeen_ = false; // whether the document sampled at the last refresh
    size_t recordsSeen_ = 0;
    std::array<int32_t, 5> selectionSeen_{}; // whether there is one, then its ends, as last drawn
    std::vector<DrawnMark> marks_;
    std::vector<DrawnLabel> labels_;
    std::vector<std::wstring> timeLabels_;
    int64_t samplesDrawn_ = 0;
    std::map<std::pair<size_t, size_t>, std::vector<float>> computedSamples_; // by (computed channel, record)
    uint64_t calculationRevision_ = 0;
    uint64_t conversionRevision_ = 0;
    int32_t channelsSeen_ = -1; // the lanes at the last refresh
    std::optional<double> dragAnchor_; // seconds where the button went down in the traces
    std::wstring hoverText_;
    POINT hoverPoint_{};
    bool trackingLeave_ = false;
    std::optional<TickPosition> shown_; // the position the module last brought the view to
};

} // namespace Host
