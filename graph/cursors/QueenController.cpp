#include "graph/cursors/QueenController.h"

#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"

#include <algorithm>
#include <cmath>

namespace MGraph1
{

namespace
{
using namespace QueenRule;

// Writes value into target; true when that changed it.
bool Write(double& target, double value)
{
    if (target == value)
        return false;
    target = value;
    return true;
}

// Every record first bounds the working values by its value.
void BoundWorking(const QueenConstraint& rule, double& wx, double& wy)
{
    if (rule.flags & WorkingXAtLeast)
        wx = std::max(wx, rule.value);
    if (rule.flags & WorkingXAtMost)
        wx = std::min(wx, rule.value);
    if (rule.flags & WorkingYAtLeast)
        wy = std::max(wy, rule.value);
    if (rule.flags & WorkingYAtMost)
        wy = std::min(wy, rule.value);
}

// The min/max rules against the working values; a lowering min rule skips its max rule.
bool ApplyWorkingBounds(const QueenConstraint& rule, Queen& queen, double wx, double wy)
{
    bool changed = false;
    const bool xLowered = (rule.flags & XAtMostWorking) && Write(queen.currentX, std::min(queen.currentX, wx));
    changed |= xLowered;
    if (!xLowered && (rule.flags & XAtLeastWorking))
        changed |= Write(queen.currentX, std::max(queen.currentX, wx));
    const bool yLowered = (rule.flags & YAtMostWorking) && Write(queen.currentY, std::min(queen.currentY, wy));
    changed |= yLowered;
    if (!yLowered && (rule.flags & YAtLeastWorking))
        changed |= Write(queen.currentY, std::max(queen.currentY, wy));
    return changed;
}

void ApplyGeneralRules(Queen& queen, double wx, double wy)
{
    for (const QueenConstraint& rule : queen.constraints)
    {
        BoundWorking(rule, wx, wy);
        ApplyWorkingBounds(rule, queen, wx, wy);
        if (!rule.other)
            continue;
        if (rule.flags & XAtLeastOther)
            queen.currentX = std::max(queen.currentX, rule.other->currentX);
        else if (rule.flags & XAtMostOther)
            queen.currentX = std::min(queen.currentX, rule.other->currentX);
        if (rule.flags & YAtLeastOther)
            queen.currentY = std::max(queen.currentY, rule.other->currentY);
        else if (rule.flags & YAtMostOther)
            queen.currentY = std::min(queen.currentY, rule.other->currentY);
    }
}

// The rules that tie a follower to the leader; true when one of them changed the follower.
bool ApplyLinkRules(Queen& queen, const Queen& leader, double wx, double wy)
{
    bool changed = false;
    for (const QueenConstraint& rule : queen.constraints)
    {
        BoundWorking(rule, wx, wy);
        if (rule.other != &leader)
            continue;
        changed |= ApplyWorkingBounds(rule, queen, wx, wy);
        const bool xFromY = (rule.flags & XFromWorkingY) && Write(queen.currentX, wy);
        changed |= xFromY;
        if (!xFromY && (rule.flags & YFromWorkingX))
            changed |= Write(queen.currentY, wx);
        if (rule.flags & XFromWorkingX)
            changed |= Write(queen.currentX, wx);
        if (rule.flags & YFromWorkingY)
            changed |= Write(queen.currentY, wy);
        if (rule.flags & XAtLeastOther)
            changed |= Write(queen.currentX, std::max(queen.currentX, leader.currentX));
        if (rule.flags & XAtMostOther)
            changed |= Write(queen.currentX, std::min(queen.currentX, leader.currentX));
        if (rule.flags & YAtLeastOther)
            changed |= Write(queen.currentY, std::max(queen.currentY, leader.currentY));
        if (rule.flags & YAtMostOther)
            changed |= Write(queen.currentY, std::min(queen.currentY, leader.currentY));
    }
    return changed;
}

// A line is picked only within its pick radius.
double WithinPickRadius(double distance, int32_t radius)
{
    return distance <= radius ? distance : DBL_MAX;
}

ValueRect PointRect(double x, double y)
{
    return {x, y, x, y};
}

// The queen's line in its colour, dotted while it is dragged.
void DrawQueenLine(HDC dc, const Queen& queen, POINT from, POINT to)
{
    const Orv::UniquePen pen(CreatePen(queen.tracking ? PS_DOT : PS_SOLID, 1, queen.colour));
    const OWL::SelectedObject selected(dc, pen.Get());
    Orv::StrokeLines(dc, {from, to});
}
} // namespace

void Queen::PlaceAt(double x, double y)
{
    committedX = currentX = x;
    committedY = currentY = y;
}

double QueenLineV::HitDistance(int32_t x, int32_t)
{
    if (!xTransform)
        return DBL_MAX;
    return WithinPickRadius(std::fabs(x - ValueToPixel(*xTransform, currentX, 0.0)), pickRadius);
}

void QueenLineV::OnDraw(HDC dc, HDC, RECT plot, RECT)
{
    if (!xTransform)
        return;
    const LONG x = static_cast<LONG>(ValueToPixel(*xTransform, currentX, plot.left));
    if (x >= plot.left && x < plot.right)
        DrawQueenLine(dc, *this, {x, plot.top}, {x, plot.bottom});
}

double QueenLineH::HitDistance(int32_t, int32_t y)
{
    if (!yTransform)
        return DBL_MAX;
    return WithinPickRadius(std::fabs(y - ValueToPixel(*yTransform, currentY, 0.0)), pickRadius);
}

void QueenLineH::OnDraw(HDC dc, HDC, RECT plot, RECT)
{
    if (!yTransform)
        return;
    const LONG y = static_cast<LONG>(ValueToPixel(*yTransform, currentY, plot.top));
    if (y >= plot.top && y < plot.bottom)
        DrawQueenLine(dc, *this, {plot.left, y}, {plot.right, y});
}

QueenController::~QueenController()
{
    for (auto& [queen, owns] : owned)
        if (owns)
            delete queen;
}

bool QueenController::AddQueen(Queen* queen, bool owns)
{
    if (!queen)
        return false;
    static_cast<GraphDrawer&>(*queen) = static_cast<const GraphDrawer&>(*this);
    queen->ownsXTransform = queen->ownsAuxTransform = queen->ownsYTransform = false;
    queen->ownsXUnitTransform = queen->ownsAuxUnitTransform = queen->ownsYUnitTransform = false;
    queen->next = nullptr;
    queen->SetDomainLimits(domainLow, domainHigh);
    queen->SetRangeLimits(rangeLow, rangeHigh);
    queen->visible = true;
    queen->pickRadius = pickRadius;
    owned.emplace_back(queen, owns);
    queens.insert(queens.begin(), queen);
    return true;
}

bool QueenController::RemoveQueen(Queen* queen)
{
    const auto found = std::find(queens.begin(), queens.end(), queen);
    if (found != queens.end())
        queens.erase(found);
    if (current == queen)
        current = nullptr;
    return false;
}

void QueenController::SetPickRadius(int32_t radius)
{
    pickRadius = radius;
    for (Queen* queen : queens)
        queen->pickRadius = radius;
}

bool QueenController::HitTest(double& distance, int32_t& index, Queen*& queen, double x, double y)
{
    queen = nullptr;
    distance = DBL_MAX;
    for (size_t i = 0; i < queens.size(); ++i)
    {
        Queen* candidate = queens[i];
        if (!candidate->visible || !candidate->pickable)
            continue;
        const double d = candidate->HitDistance(static_cast<int32_t>(x), static_cast<int32_t>(y));
        if (!queen || d < distance)
        {
            queen = candidate;
            distance = d;
            index = static_cast<int32_t>(i);
        }
    }
    return queen && maxDistance > distance;
}

std::pair<double, double> QueenController::ToValues(int32_t x, int32_t y, const RECT& plotRect) const
{
    return {xTransform ? PixelToValue(*xTransform, x, plotRect.left) : 0.0,
            yTransform ? PixelToValue(*yTransform, y, plotRect.top) : 0.0};
}

bool QueenController::BeginTrack(int32_t x, int32_t y, const RECT& plotRect)
{
    Send(MessageQueenControllerTrackBegin{});
    double distance = 0.0;
    int32_t index = 0;
    Queen* hit = nullptr;
    if (!HitTest(distance, index, hit, x - plotRect.left, y - plotRect.top))
        return current != nullptr;
    queens.erase(queens.begin() + index);
    queens.insert(queens.begin(), hit);
    current = hit;
    const auto [mx, my] = ToValues(x, y, plotRect);
    for (Queen* queen : queens)
    {
        queen->tracking = true;
        queen->moved = false;
        queen->currentX = queen->committedX;
        queen->currentY = queen->committedY;
        queen->offsetX = queen->committedX - mx;
        queen->offsetY = queen->committedY - my;
        queen->OnTrackBegin();
    }
    return true;
}

bool QueenController::TrackTo(int32_t x, int32_t y, const RECT& plotRect)
{
    if (!current)
        return false;
    const auto [mx, my] = ToValues(x, y, plotRect);
    bool result = MoveQueen(*current, mx, my);
    for (size_t i = 1; i < queens.size(); ++i)
        result |= FollowQueen(*queens[i], *current, current->currentX, current->currentY);
    return result;
}

void QueenController::EndTrack(int32_t x, int32_t y, const RECT& plotRect)
{
    const auto [mx, my] = ToValues(x, y, plotRect);
    for (Queen* queen : queens)
        FinishQueen(*queen, current, mx, my);
    current = nullptr;
    Send(MessageQueenControllerTrackEnd{});
}

void QueenController::Announce(Queen& queen, const MessSys::Message& message)
{
    queen.sender.Send(message);
    Send(message);
}

bool QueenController::MoveQueen(Queen& queen, double mx, double my)
{
    const double oldX = queen.currentX;
    const double oldY = queen.currentY;
    queen.currentX = queen.offsetX + mx;
    queen.currentY = queen.offsetY + my;
    ApplyGeneralRules(queen, mx, my);
    if (queen.currentX == oldX && queen.currentY == oldY)
    {
        queen.Invalidate();
        return false;
    }
    Announce(queen, MessageQueenChanged(queen.queenId, PointRect(queen.committedX, queen.committedY),
                                        PointRect(queen.currentX, queen.currentY)));
    queen.Invalidate();
    return true;
}

bool QueenController::FollowQueen(Queen& queen, const Queen& leader, double lx, double ly)
{
    const double oldX = queen.currentX;
    const double oldY = queen.currentY;
    if (!ApplyLinkRules(queen, leader, lx, ly))
    {
        queen.Invalidate();
        return false;
    }
    queen.moved = true;
    ApplyGeneralRules(queen, lx, ly);
    if (queen.currentX == oldX && queen.currentY == oldY)
    {
        queen.Invalidate();
        return false;
    }
    queen.offsetX = queen.offsetY = 0.0;
    Announce(queen, MessageQueenChanged(queen.queenId, PointRect(queen.committedX, queen.committedY),
                                        PointRect(queen.currentX, queen.currentY)));
    queen.Invalidate();
    return true;
}

void QueenController::FinishQueen(Queen& queen, const Queen* leader, double mx, double my)
{
    const double oldX = queen.committedX;
    const double oldY = queen.committedY;
    bool report = false;
    if (&queen == leader)
    {
        queen.currentX = queen.offsetX + mx;
        queen.currentY = queen.offsetY + my;
        ApplyGeneralRules(queen, mx, my);
        report = true;
    }
    else if (queen.moved)
    {
        // A follower keeps the position its link rules gave it, bounded by its own rules.
        ApplyGeneralRules(queen, queen.currentX, queen.currentY);
        report = true;
    }
    if (report)
    {
        queen.committedX = queen.currentX;
        queen.committedY = queen.currentY;
        Announce(queen, MessageQueenTrackEnd(queen.queenId, PointRect(queen.committedX, queen.committedY),
                                             PointRect(queen.currentX, queen.currentY)));
    }
    queen.moved = false;
    queen.tracking = false;
    queen.OnTrackEnd(oldX, oldY);
}

void QueenController::OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect)
{
    for (auto it = queens.rbegin(); it != queens.rend(); ++it)
        if ((*it)->visible)
            (*it)->PreDraw(dc, attributeDc, plotRect, clipRect);
    for (auto it = queens.rbegin(); it != queens.rend(); ++it)
        if ((*it)->visible)
            (*it)->DrawChain(dc, attributeDc, plotRect, clipRect);
}

void QueenController::OnDomainLimitsChanged()
{
    for (Queen* queen : queens)
        queen->SetDomainLimits(domainLow, domainHigh);
}

void QueenController::OnRangeLimitsChanged()
{
    for (Queen* queen : queens)
        queen->SetRangeLimits(rangeLow, rangeHigh);
}

} // namespace MGraph1
