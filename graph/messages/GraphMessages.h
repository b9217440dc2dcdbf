// The messages that graph objects send one another and the views.
#pragma once

#include "hostapi/ScaleControl.h"
#include "graph/messages/MessageSystem.h"

#include <windows.h>

#include <cstdint>
#include <list>
#include <string>

namespace MGraph1
{

// Child ids of a graph window's two scale strips: the message source ids of their messages.
inline constexpr int DomainStripId = 100;
inline constexpr int RangeStripId = 101;

struct OnMenuItemMessage : MessSys::Message
{
    explicit OnMenuItemMessage(uint32_t id) : itemId(id) {}
    uint32_t itemId;
};

struct MenuItemFlags
{
    bool shown;
    bool enabled;
    bool checked;
};

struct PreDisplayMenuMessage : MessSys::Message
{
    PreDisplayMenuMessage(uint32_t id, MenuItemFlags* itemFlags) : itemId(id), flags(itemFlags) {}
    uint32_t itemId;
    MenuItemFlags* flags;
};

// What a redraw shows: the drawer's size, its plot rectangle and the limits in force.
struct RedrawInfo
{
    int32_t width;
    int32_t height;
    RECT plotRect;
    double domainLow, domainHigh;
    double rangeLow, rangeHigh;
};

struct MsgGraph2DDrawerNotifyBeginRedraw : MessSys::Message
{
    MsgGraph2DDrawerNotifyBeginRedraw(int32_t id, const RedrawInfo* redraw) : windowId(id), info(redraw) {}
    int32_t windowId;
    const RedrawInfo* info;
};

// The messages that carry only the drawer's window id.
template <int Kind>
struct WindowIdMessage : MessSys::Message
{
    explicit WindowIdMessage(int32_t id) : windowId(id) {}
    int32_t windowId;
};
using MsgGraph2DDrawerNotifyEndRedraw = WindowIdMessage<1>;
using MsgGraph2DDrawerOnDomainChanged = WindowIdMessage<2>;
using MsgGraph2DDrawerOnRangeChanged = WindowIdMessage<3>;
using MouseLeaveMsg = WindowIdMessage<4>;

// One annotation's text for the mouse position, with the rectangles of that moment.
struct HintRecord
{
    POINT mouse;
    RECT plotRect;
    RECT drawerRect;
    std::wstring text;
};
using HintList = std::list<HintRecord>;

struct MouseTrackHintMsg : MessSys::Message
{
    MouseTrackHintMsg(int32_t id, const HintList* list) : windowId(id), hints(list) {}
    int32_t windowId;
    const HintList* hints;
    int32_t reserved1 = -1;
    int32_t reserved2 = -1;
};

// Messages of an axis scale strip; the source is the strip's child id.
template <int Kind>
struct StripMessage : MessSys::Message
{
    explicit StripMessage(int32_t sourceId) : source(sourceId) {}
    int32_t reserved = 0;
    int32_t source;
};
using MsgBeginDrag = StripMessage<1>;
using MsgEndDrag = StripMessage<2>;
using MsgAutoScale = StripMessage<3>;

struct MsgScalingChanged : MessSys::Message
{
    MsgScalingChanged(const AxisTransform* stripTransform, const AxisTransform* unitScaling, int32_t sourceId)
        : transform(stripTransform), scaling(unitScaling), source(sourceId)
    {
    }
    int32_t reserved = 0;
    const AxisTransform* transform;
    const AxisTransform* scaling; // valid only during delivery
    int32_t source;
};

} // namespace MGraph1
