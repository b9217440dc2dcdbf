// The interactive cursors of a 2-D graph ("queens") that the user drags with the mouse, tied to one
// another by constraints, and the controller that picks, moves, draws and announces them.
#pragma once

#include "graph/drawers/GraphDrawer.h"
#include "graph/messages/MessageSystem.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace MGraph1
{

class Queen;

// A rectangle of data values, x1, y1, x2, y2.
struct ValueRect
{
    double x1, y1, x2, y2;
};

class MessageTrackMessage : public MessSys::Message
{
public:
    MessageTrackMessage(int32_t id, ValueRect committedRect, ValueRect currentRect)
        : queenId(id), committed(committedRect), current(currentRect)
    {
    }
    int32_t queenId;
    ValueRect committed;
    ValueRect current;
};

class MessageQueenChanged : public MessageTrackMessage
{
public:
    using MessageTrackMessage::MessageTrackMessage;
};

class MessageQueenTrackEnd : public MessageTrackMessage
{
public:
    using MessageTrackMessage::MessageTrackMessage;
};

class MessageQueenControllerTrackBegin : public MessSys::Message
{
public:
    int32_t reserved = 0;
};

class MessageQueenControllerTrackEnd : public MessSys::Message
{
public:
    int32_t reserved = 0;
};

// Bits of a constraint record.
namespace QueenRule
{
constexpr uint32_t WorkingXAtLeast = 0x1;
constexpr uint32_t WorkingYAtLeast = 0x2;
constexpr uint32_t WorkingXAtMost = 0x4;
constexpr uint32_t WorkingYAtMost = 0x8;
constexpr uint32_t XAtMostWorking = 0x10;
constexpr uint32_t YAtMostWorking = 0x20;
constexpr uint32_t XAtLeastWorking = 0x40;
constexpr uint32_t YAtLeastWorking = 0x80;
constexpr uint32_t XFromWorkingY = 0x100;
constexpr uint32_t YFromWorkingX = 0x200;
constexpr uint32_t XFromWorkingX = 0x400;
constexpr uint32_t YFromWorkingY = 0x800;
constexpr uint32_t XAtLeastOther = 0x1000;
constexpr uint32_t XAtMostOther = 0x2000;
constexpr uint32_t YAtLeastOther = 0x4000;
constexpr uint32_t YAtMostOther = 0x8000;
} // namespace QueenRule

struct QueenConstraint
{
    Queen* other = nullptr;
    double value = 0.0;
    uint32_t flags = 0;
};

class Queen : public GraphDrawer
{
public:
    // Pixel distance of (x, y), relative to the plot rectangle, from the queen; DBL_MAX: never hit.
    virtual double HitDistance(int32_t, int32_t) { return DBL_MAX; }
    virtual void PreDraw(HDC, HDC, RECT, RECT) {}
    virtual void OnTrackBegin() {}
    virtual void Invalidate() {}
    virtual void OnTrackEnd(double, double) {}
    virtual void SetOption(int) {}

    // Places the queen (committed and current) outside a drag.
    void PlaceAt(double x, double y);

    MessSys::MessageSender sender;
    int32_t queenId = 0;
    std::vector<QueenConstraint> constraints;
    double committedX = 0.0, committedY = 0.0;
    double currentX = 0.0, currentY = 0.0;
    double offsetX = 0.0, offsetY = 0.0;
    bool moved = false;
    bool tracking = false;
    bool pickable = true;
    int32_t pickRadius = 8;
    COLORREF colour = RGB(0, 0, 0);
};

// A vertical line across the plot at the queen's x.
class QueenLineV : public Queen
{
public:
    double HitDistance(int32_t x, int32_t y) override;
    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;
};

// A horizontal line across the plot at the queen's y.
class QueenLineH : public Queen
{
public:
    double HitDistance(int32_t x, int32_t y) override;
    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;
};

class QueenController : public GraphDrawer, public MessSys::MessageSender
{
public:
    QueenController() = default;
    QueenController(const QueenController&) = delete;
    QueenController& operator=(const QueenController&) = delete;
    ~QueenController() override;

    bool AddQueen(Queen* queen, bool owns);
    bool RemoveQueen(Queen* queen);
    bool HitTest(double& distance, int32_t& index, Queen*& queen, double x, double y);
    bool BeginTrack(int32_t x, int32_t y, const RECT& plotRect);
    bool TrackTo(int32_t x, int32_t y, const RECT& plotRect);
    void EndTrack(int32_t x, int32_t y, const RECT& plotRect);

    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;
    void OnDomainLimitsChanged() override;
    void OnRangeLimitsChanged() override;

    void SetPickRadius(int32_t radius);

    Queen* current = nullptr;
    std::vector<Queen*> queens;
    std::vector<std::pair<Queen*, bool>> owned;
    int32_t pickRadius = 8;
    double maxDistance = DBL_MAX;

private:
    std::pair<double, double> ToValues(int32_t x, int32_t y, const RECT& plotRect) const;
    bool MoveQueen(Queen& queen, double mx, double my);
    bool FollowQueen(Queen& queen, const Queen& leader, double lx, double ly);
    void FinishQueen(Queen& queen, const Queen* leader, double mx, double my);
    void Announce(Queen& queen, const MessSys::Message& message);
};

} // namespace MGraph1
