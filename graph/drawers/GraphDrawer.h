// The base of everything painted inside a graph's plot area: plotters, annotations and cursors. The
// owning graph hands every drawer its visible limits and its value-to-pixel transforms before painting.
#pragma once

#include "hostapi/ScaleControl.h"

#include <windows.h>

#include <cfloat>

namespace MGraph1
{

// A limit of DBL_MAX on either side means "not set".
inline constexpr double UnsetLow = -DBL_MAX;
inline constexpr double UnsetHigh = DBL_MAX;

// pixel = (value + offset) * scale + origin.
inline double ValueToPixel(const AxisTransform& t, double value, double origin)
{
    return (value + t.offset) * t.scale + origin;
}
// value = (pixel - origin) / scale - offset; an axis without scale maps every pixel to 0.
inline double PixelToValue(const AxisTransform& t, double pixel, double origin)
{
    return t.scale == 0.0 ? 0.0 : (pixel - origin) / t.scale - t.offset;
}

class GraphDrawer
{
public:
    GraphDrawer() = default;
    GraphDrawer(const GraphDrawer& other) { *this = other; }
    GraphDrawer& operator=(const GraphDrawer& other);
    virtual ~GraphDrawer();

    virtual void SetDomainLimits(double low, double high);
    virtual void SetAuxLimits(double low, double high);
    virtual void SetRangeLimits(double low, double high);
    virtual void OnXTransformChanged() {}
    virtual void OnAuxTransformChanged() {}
    virtual void OnYTransformChanged() {}
    virtual void OnXUnitTransformChanged() {}
    virtual void OnAuxUnitTransformChanged() {}
    virtual void OnYUnitTransformChanged() {}
    virtual void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect);
    virtual void OnDrawOver(HDC, HDC, RECT, RECT) {}
    virtual void OnDomainLimitsChanged() {}
    virtual void OnAuxLimitsChanged() {}
    virtual void OnRangeLimitsChanged() {}
    virtual void OnHook1() {}
    virtual void OnHook2() {}
    virtual void OnHook3() {}
    virtual void OnPlacementChanged() {}

    // Deletes the owned value-to-pixel transforms and clears all three pointers.
    void FreeTransforms();
    // OnDraw, the chained drawer, then OnDrawOver.
    void DrawChain(HDC dc, HDC attributeDc, const RECT& plotRect, const RECT& clipRect);
    void SetPlacement(int width, int height);

    // Installs the graph's transforms (not owned), deleting an owned predecessor, then runs the hook.
    void UseXTransform(AxisTransform* transform);
    void UseYTransform(AxisTransform* transform);
    void UseXUnitTransform(AxisTransform* transform);
    void UseYUnitTransform(AxisTransform* transform);

    GraphDrawer* next = nullptr;
    double domainLow = UnsetLow, domainHigh = UnsetHigh;
    double auxLow = UnsetLow, auxHigh = UnsetHigh;
    double rangeLow = UnsetLow, rangeHigh = UnsetHigh;
    AxisTransform* xTransform = nullptr;
    AxisTransform* auxTransform = nullptr;
    AxisTransform* yTransform = nullptr;
    bool ownsXTransform = false, ownsAuxTransform = false, ownsYTransform = false;
    AxisTransform* xUnitTransform = nullptr;
    AxisTransform* auxUnitTransform = nullptr;
    AxisTransform* yUnitTransform = nullptr;
    bool ownsXUnitTransform = false, ownsAuxUnitTransform = false, ownsYUnitTransform = false;
    int plotWidth = 0, plotHeight = 0;
    bool visible = true;
};

} // namespace MGraph1
