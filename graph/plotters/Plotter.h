// The base of the plotters: a drawer that pulls what it draws from a data source.
#pragma once

#include "graph/drawers/GraphDrawer.h"
#include "graph/messages/GraphMessages.h"
#include "graph/plotdata/PlotData.h"
#include "platform/owl/gdi/DC.h"
#include "foundation/system/GdiObjects.h"

#include <cstdint>

namespace MGraph1
{

class Plotter : public GraphDrawer
{
public:
    Plotter() = default;
    Plotter(const Plotter&) = delete;
    Plotter& operator=(const Plotter&) = delete;
    ~Plotter() override;

    virtual void SetColour(COLORREF value) { colour = value; }
    virtual void SetStyle2(uint32_t value) { style2 = value; }
    virtual void SetPenWidth(float value) { penWidth = value; }
    virtual int SetPenStyle(int value);
    // Deletes an owned predecessor that is another object, then attaches data.
    virtual void SetPlotData(PlotData* data, int series, bool own);
    virtual bool GetHint(HintRecord* out);
    virtual void OnPlotDataChanged() {}
    virtual bool NeedsRebuild() { return true; }
    virtual bool NeedsRedraw() { return dirty; }

    int32_t seriesId = 0;
    COLORREF colour = 255;
    uint32_t style2 = 65535;
    float penWidth = 1.0f;
    int32_t penStyle = PS_SOLID;
    bool dirty = true;
    bool ownsData = false;
    PlotData* plotData = nullptr;

protected:
    // Pushes the plotter's limits into a source whose pair differs (a NaN counts as different).
    void PushLimits(PlotDataBase* data);
    void PushDomain(PlotDataBase* data);
    void PushRange(PlotDataBase* data);
};

// The pen of a plotter's paint: switched only when the colour changes, the replaced pen deleted,
// the device context's own pen selected back at the end.
class PlotPen
{
public:
    PlotPen(HDC dc, int style, float width, COLORREF colour);
    PlotPen(const PlotPen&) = delete;
    PlotPen& operator=(const PlotPen&) = delete;
    ~PlotPen();

    void Use(COLORREF colour);
    COLORREF Colour() const { return m_colour; }

private:
    HDC m_dc;
    int m_style;
    int m_width;
    COLORREF m_colour;
    HPEN m_pen;
    HGDIOBJ m_previous;
};

// Cohen-Sutherland clipping of the segment (x0, y0)-(x1, y1) to the half-open rectangle [left, right)
// x [top, bottom): a point beyond an edge is moved onto left, right - 1, top or bottom - 1. False when
// nothing of the segment remains.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, const RECT& clip);

} // namespace MGraph1
