// Draws one point series of a source: a pixel or a marker per point, optionally joined by lines, each
// point in its own colour, and records every visible point in the source's per-pixel cache.
#pragma once

#include "graph/plotters/Plotter.h"

#include <vector>

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
    // The attached source as the plotter's kind of source, or null.
    virtual XYCPlotDataBase* GetXYCPlotDataBase() = 0;
    virtual void DrawCore(HDC dc, DrawParams& params) = 0;

    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;
    void OnDomainLimitsChanged() override { PushDomain(GetXYCPlotDataBase()); }
    void OnRangeLimitsChanged() override { PushRange(GetXYCPlotDataBase()); }
    void OnPlotDataChanged() override { PushLimits(GetXYCPlotDataBase()); }
    bool NeedsRebuild() override;
    bool NeedsRedraw() override;

    double markerWidthPt = 2.0;
    double markerHeightPt = 2.0;

protected:
    // Asks the source for the series (without ContinueDrawing on a quick redraw) into params; whether the
    // points have colours of their own, else the single colour. False: nothing to draw now.
    virtual bool Fetch(bool quick, DrawParams& params, bool& perPointColours, COLORREF& colour) = 0;
    // The draw loop over the points a reader hands out in order (At(i, x, y, colour)).
    template <class Points>
    void DrawPoints(HDC dc, DrawParams& params, Points& points, uint32_t pass, bool useCache);

private:
    void DrawLegend(HDC dc, const DrawParams& params, COLORREF colour);
    void DrawMarkBox(HDC dc, const DrawParams& params);
};

class XYCPlotter : public XYCPlotterBase
{
public:
    virtual XYCPlotData* GetXYCPlotData() { return dynamic_cast<XYCPlotData*>(plotData); }
    XYCPlotDataBase* GetXYCPlotDataBase() override { return GetXYCPlotData(); }
    void DrawCore(HDC dc, DrawParams& params) override;

    // The process-wide number of the last draw-loop pass, stored with every cached point.
    static uint32_t PaintCounter();

protected:
    bool Fetch(bool quick, DrawParams& params, bool& perPointColours, COLORREF& colour) override;
};

// Sequential readers of a series that hand out blocks of values.
class GraphFloatIterator
{
public:
    virtual ~GraphFloatIterator() = default;
    // Writes up to count values from the current position on and moves past them; how many it wrote.
    virtual int Next(float* values, int count) = 0;
};

class GraphColorrefIterator
{
public:
    virtual ~GraphColorrefIterator() = default;
    virtual int Next(COLORREF* values, int count) = 0;
};

// A point source that hands out its series through iterators instead of arrays.
class XYCPlotData2 : public XYCPlotDataBase
{
public:
    // The iterators stay the source's and valid until the paint returns; no colour iterator: every
    // point has colour.
    virtual bool GetSeries(int seriesId, int* count, int* firstIndex, GraphFloatIterator** x, GraphFloatIterator** y,
                           GraphColorrefIterator** colours, COLORREF* colour, uint32_t* flags) = 0;
    virtual bool ContinueDrawing(int) { return true; }
};

// Draws an iterator source like XYCPlotter, reading it in blocks, and records every visible point in
// the point cache whatever the series flags say.
class XYCPlotter2 : public XYCPlotterBase
{
public:
    virtual XYCPlotData2* GetXYCPlotData2() { return dynamic_cast<XYCPlotData2*>(plotData); }
    XYCPlotDataBase* GetXYCPlotDataBase() override { return GetXYCPlotData2(); }
    void DrawCore(HDC dc, DrawParams& params) override;

    static uint32_t PaintCounter();
    // Values read from the iterators at a time.
    static constexpr int BlockSize = 128;

protected:
    bool Fetch(bool quick, DrawParams& params, bool& perPointColours, COLORREF& colour) override;

private:
    GraphFloatIterator* m_x = nullptr;
    GraphFloatIterator* m_y = nullptr;
    GraphColorrefIterator* m_colours = nullptr;
    std::vector<float> m_xBlock, m_yBlock;
    std::vector<COLORREF> m_colourBlock;
};

// Marker half-size in device pixels for a size in points: at least 2.
int MarkerPixels(double points, int pixelsPerInch);
// One marker of the first shape bit set in flags (a diagonal cross without one), in colour c.
void DrawMarker(HDC dc, int x, int y, int w, int h, uint32_t flags, COLORREF c, float penWidth);

} // namespace MGraph1
