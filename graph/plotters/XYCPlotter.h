// Draws one point series of a source: a pixel or a marker per point, optionally joined by lines, each
// point in its own colour, and records every visible point in the source's per-pixel cache.
#pragma once

#include "graph/plotters/Plotter.h"

namespace MGraph1
{

// One paint's inputs of the draw loop.
struct DrawParams
{
    RECT plotRect;
    RECT clipRect;
    int32_t count;
    const float* y;
    const float* x;
    double xMin, xMax;
    double yMax, yMin;
    COLORREF seriesColour;
    const COLORREF* colours;
    int32_t colourStride;
    XYCPlotDataBase* cache;
    int32_t firstIndex;
    bool drawMarkers;
    bool joinPoints;
    int32_t markerWidth, markerHeight;
    uint32_t flags;
};

class XYCPlotterBase : public Plotter
{
public:
    virtual XYCPlotData* GetXYCPlotData() { return dynamic_cast<XYCPlotData*>(plotData); }
    virtual XYCPlotDataBase* GetXYCPlotDataBase() { return GetXYCPlotData(); }
    virtual void DrawCore(HDC dc, DrawParams& params) = 0;
};

class XYCPlotter : public XYCPlotterBase
{
public:
    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;
    void OnDomainLimitsChanged() override { PushDomain(GetXYCPlotData()); }
    void OnRangeLimitsChanged() override { PushRange(GetXYCPlotData()); }
    void OnPlotDataChanged() override { PushLimits(GetXYCPlotData()); }
    bool NeedsRebuild() override;
    bool NeedsRedraw() override;
    void DrawCore(HDC dc, DrawParams& params) override;

    // The process-wide number of the last draw-loop pass, stored with every cached point.
    static uint32_t PaintCounter();

    double markerWidthPt = 2.0;
    double markerHeightPt = 2.0;

private:
    void DrawLegend(HDC dc, const DrawParams& params, COLORREF colour);
    void DrawMarkBox(HDC dc, const DrawParams& params);
};

// Marker half-size in device pixels for a size in points: at least 2.
int MarkerPixels(double points, int pixelsPerInch);
// One marker of the first shape bit set in flags (a diagonal cross without one), in colour c.
void DrawMarker(HDC dc, int x, int y, int w, int h, uint32_t flags, COLORREF c, float penWidth);

} // namespace MGraph1
