// The grid of a 2-D graph: dotted lines (or dots at the crossings) at the tick positions the two axis
// scale controls report, or at their regular grid spacing when they report none.
#pragma once

#include "hostapi/ScaleControl.h"
#include "foundation/com/ComPtr.h"
#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace MGraph1
{

class GraphDisplayInfo
{
public:
    virtual ~GraphDisplayInfo() = default;

    int32_t word1 = 1;
    int32_t word2 = 175;
    COLORREF gridColour = RGB(175, 175, 255);
    int32_t gridDots = 0; // 0: dotted lines; else single dots at the crossings
    bool showGrid = true;
};

class GraphGraticule
{
public:
    GraphGraticule() = default;
    GraphGraticule(const GraphDisplayInfo& info, IScaleControl* xScaleControl, IScaleControl* yScaleControl);
    virtual ~GraphGraticule() = default;

    // clip, when given, must overlap the plot rectangle.
    virtual void Draw(HDC dc, HDC ignored, const RECT* clip);

    void SetScales(IScaleControl* xScaleControl, IScaleControl* yScaleControl);

    RECT plotRect{};
    Orv::ComPtr<IScaleControl> xScale;
    Orv::ComPtr<IScaleControl> yScale;
    GraphDisplayInfo display;
    int32_t mode = 2;

private:
    void DrawAtTicks(HDC dc, const std::vector<ScaleTick>& xTicks, const std::vector<ScaleTick>& yTicks) const;
    void DrawRegularGrid(HDC dc) const;
};

// The dotted pen of the grid lines, selected while it lives.
class GridPen
{
public:
    GridPen(HDC dc, COLORREF colour);

private:
    Orv::UniquePen m_pen;
    OWL::SelectedObject m_selected;
};

} // namespace MGraph1
