// OWL::TPoint, TSize and TRect: the Win32 POINT, SIZE and RECT with the arithmetic window and drawing
// code does on them. They stay layout-compatible with their Win32 structs, so that a pointer to one
// can be handed to any API that takes the struct.
#pragma once

#include <windows.h>

#include <algorithm>

namespace OWL
{

class TPoint : public POINT
{
public:
    constexpr TPoint() : POINT{0, 0} {}
    constexpr TPoint(int x, int y) : POINT{x, y} {}
    constexpr TPoint(const POINT& point) : POINT(point) {}

    constexpr TPoint OffsetBy(int dx, int dy) const { return TPoint(x + dx, y + dy); }
    TPoint& Offset(int dx, int dy)
    {
        x += dx;
        y += dy;
        return *this;
    }
    friend constexpr TPoint operator+(const TPoint& a, const SIZE& b) { return TPoint(a.x + b.cx, a.y + b.cy); }
    friend constexpr TPoint operator-(const TPoint& a, const SIZE& b) { return TPoint(a.x - b.cx, a.y - b.cy); }
    friend constexpr bool operator==(const TPoint& a, const TPoint& b) { return a.x == b.x && a.y == b.y; }
};

class TSize : public SIZE
{
public:
    constexpr TSize() : SIZE{0, 0} {}
    constexpr TSize(int width, int height) : SIZE{width, height} {}
    constexpr TSize(const SIZE& size) : SIZE(size) {}

    friend constexpr bool operator==(const TSize& a, const TSize& b) { return a.cx == b.cx && a.cy == b.cy; }
};

// The right and bottom edges are exclusive, as in Win32.
class TRect : public RECT
{
public:
    constexpr TRect() : RECT{0, 0, 0, 0} {}
    constexpr TRect(int left, int top, int right, int bottom) : RECT{left, top, right, bottom} {}
    constexpr TRect(const RECT& rect) : RECT(rect) {}
    constexpr TRect(const TPoint& topLeft, const TSize& size)
        : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy}
    {
    }
    constexpr TRect(const TPoint& topLeft, const TPoint& bottomRight)
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}
    {
    }

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr TSize Size() const { return TSize(Width(), Height()); }
    constexpr TPoint TopLeft() const { return TPoint(left, top); }
    constexpr TPoint TopRight() const { return TPoint(right, top); }
    constexpr TPoint BottomLeft() const { return TPoint(left, bottom); }
    constexpr TPoint BottomRight() const { return TPoint(right, bottom); }

    // Empty: no area (either side not positive). Null: all four edges 0.
    constexpr bool IsEmpty() const { return left >= right || top >= bottom; }
    constexpr bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    constexpr bool Contains(const TPoint& point) const
    {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    constexpr bool Contains(const TRect& other) const
    {
        return other.left >= left && other.right <= right && other.top >= top && other.bottom <= bottom;
    }
    constexpr bool Touches(const TRect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }

    void SetNull() { *this = TRect(); }
    void Set(int l, int t, int r, int b) { *this = TRect(l, t, r, b); }
    TRect& Offset(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    constexpr TRect OffsetRect(int dx, int dy) const { return TRect(left + dx, top + dy, right + dx, bottom + dy); }
    TRect& MoveTo(int x, int y) { return Offset(x - left, y - top); }
    TRect& Inflate(int dx, int dy)
    {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
        return *this;
    }
    constexpr TRect InflatedBy(int dx, int dy) const { return TRect(left - dx, top - dy, right + dx, bottom + dy); }
    constexpr TRect Normalized() const
    {
        return TRect(std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom));
    }

    // The common part; an empty null rectangle when they do not overlap.
    constexpr TRect operator&(const TRect& other) const
    {
        const TRect common(std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                           std::min(bottom, other.bottom));
        return common.IsEmpty() ? TRect() : common;
    }
    // The smallest rectangle holding both; an empty side takes no part.
    constexpr TRect operator|(const TRect& other) const
    {
        if (IsEmpty())
            return other;
        if (other.IsEmpty())
            return *this;
        return TRect(std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                     std::max(bottom, other.bottom));
    }
    friend constexpr bool operator==(const TRect& a, const TRect& b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

static_assert(sizeof(TPoint) == sizeof(POINT) && sizeof(TSize) == sizeof(SIZE) && sizeof(TRect) == sizeof(RECT));

} // namespace OWL
