// The faces and blocks a data pane is made of besides its framework parts: the lane faces its owner
// and its draggable scales reach it through, what a concrete pane says of its channels, and the plain
// layout and options block.
#pragma once

#include "platform/owl/Color.h"
#include "platform/owl/Geometry.h"

#include <unknwn.h>
#include <windows.h>

#include <vector>

namespace StrixDraw
{

// Lanes placed by someone else (a splitter that lets the user drag the lane borders).
class IOrvDraggableRects
{
public:
    virtual void SetLaneRects(const std::vector<LONG>& tops, const std::vector<LONG>& heights) = 0;

protected:
    ~IOrvDraggableRects() = default;
};

// The lanes of a display as a count and their scales.
class IOrvStrixLanes
{
public:
    virtual LONG GetLaneCount() = 0;
    virtual HRESULT SetLaneCount(LONG count) = 0;
    virtual void ReservedLaneOperation1() {}
    virtual void ReservedLaneOperation2() {}
    // axis 1: the lane's first (left) scale, 2: its second (right) scale; with a reference.
    virtual HRESULT GetLaneScale(LONG lane, LONG axis, IUnknown** scale) = 0;

protected:
    ~IOrvStrixLanes() = default;
};

// What a lane shows: a channel and the recording position it is taken at; kind 4 lanes have no offset
// of their own when drawn into a target.
struct ChannelDescription
{
    LONG channel = 0;
    ULONG position = 0;
    BYTE kind = 0;
};

// What a concrete pane says of its channels.
class PaneChannelPolicy
{
public:
    static constexpr ULONG NoPosition = 0xC0000000u;

    virtual ChannelDescription DescribeLane(LONG lane) const = 0;
    // The lane that shows a channel at a recording position (NoPosition: at none); -1 for every lane.
    virtual LONG LaneOfChannel(LONG channel, ULONG position) const = 0;

protected:
    ~PaneChannelPolicy() = default;
};

// Bits of the state flags word.
namespace PaneState
{
constexpr ULONG NotLive = 1u << 18;        // sink notifications only reach the data store
constexpr ULONG NoControls = 1u << 19;     // no scroll bar, no zoom bar, a collapsed time scale
constexpr ULONG DrawingOnly = 1u << 23;    // no controls, plain scales, no cached layers
constexpr ULONG NoTimeUpdate = 1u << 29;   // no periodic time display update while sampling
constexpr ULONG AllLanesFollow = 1u << 30; // lanes take their records only while the view is not live
constexpr ULONG ShortScaleQuery = 1u << 31; // drawers are asked for their values only, without units
constexpr ULONG NoAutoScaleWithoutRecord = 1u << 27; // a lane with no record in view may not autoscale
} // namespace PaneState

// Bits of the options word.
namespace PaneOption
{
constexpr ULONG StayOnStop = 1u << 27; // the view does not jump to the newest data when sampling stops
} // namespace PaneOption

// Change flags of a view update.
namespace ViewChange
{
constexpr ULONG RangeChanged = 0x80000000u;  // the lanes' record ranges are recomputed
constexpr ULONG ScrolledCached = 0x40000000u;
constexpr ULONG ScrolledUncached = 0x20000000u;
constexpr ULONG Everything = 0xFF000000u;
constexpr ULONG NewSource = 0x00000003u;
} // namespace ViewChange

// The client area: origin, then size.
struct ClientArea
{
    LONG x = 0;
    LONG y = 0;
    LONG width = 0;
    LONG height = 0;
};

// The plain layout and options block of a data pane.
class DataPaneBase
{
public:
    virtual ~DataPaneBase() = default;
    virtual void SetLastWord(ULONG value) { lastWord_ = value; }

protected:
    static constexpr ULONG InitialOptions = 0x80000000u;
    static constexpr ULONG InitialState = 0x80000000u;
    static constexpr ULONG InitialTimeMode = 2;

    VARIANT_BOOL stateWord_ = 0;
    HWND window_ = nullptr;
    void* ownerWindow_ = nullptr;
    ULONG horizontalMode_ = 0;
    ULONG zoomCreationWord_ = 0;
    ULONG channelStyle_ = 0;
    LONG leftScaleWidth_ = 0;
    LONG rightScaleWidth_ = 0;
    OWL::TRect paneRect_;
    ClientArea client_;
    LONGLONG scaleNumerator_ = 10;
    LONGLONG scaleDenominator_ = 1;
    LONG sweepCursor_ = 0;
    ULONG scrollDivisor_ = 1;
    ULONG options_ = InitialOptions;
    ULONG timeMode_ = InitialTimeMode;
    ULONG pendingChanges_ = 0;
    LONG minLeftScaleWidth_ = 0;
    LONG minRightScaleWidth_ = 0;
    SHORT redrawPending_ = 0;
    VARIANT_BOOL followLatest_ = 0;
    USHORT layerCaching_ = 0;
    LONG currentRecord_ = 0;
    VARIANT_BOOL started_ = 0;
    ULONG state_ = InitialState;
    ULONG initialPaneOption_ = 0; // copied into every channel pane the pane creates
    std::vector<LONG> laneTops_;
    std::vector<LONG> laneHeights_;
    LONG visibleWidth_ = 0;
    OWL::TColor background_ = RGB(255, 255, 255);
    bool samplingActive_ = false;
    bool scrolling_ = false;
    bool liveDisplay_ = false;
    bool autoFollow_ = false;
    bool drawingEnabled_ = true;
    bool newBlockPending_ = true;
    bool clientSizeKnown_ = false;
    ULONG lastWord_ = 0;
    LONGLONG scrollPosition_ = 0;
};

// A base that copies of a pane start from.
class DataPaneInitOnCopy
{
};

} // namespace StrixDraw
