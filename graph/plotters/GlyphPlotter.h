// Draws reference marks a source describes in data units: reference lines across the plot, horizontal
// and free segments and arrows at the top edge, each in its own colour and optionally labelled.
#pragma once

#include "graph/plotters/Plotter.h"

#include <string>
#include <vector>

namespace MGraph1
{

namespace GlyphKind
{
constexpr int32_t TopArrow = 0;
constexpr int32_t HorizontalLine = 1;
constexpr int32_t VerticalLine = 2;
constexpr int32_t HorizontalSegment = 4;
constexpr int32_t Segment = 5;
} // namespace GlyphKind

struct GlyphRecord
{
    double x0, y0;
    double x1, y1;
    int32_t kind;
    COLORREF colour;
    std::wstring label;
    bool legendSample; // kind 5: a short sample line before the label
};

// The width a corner label takes at its full size from the plot's left edge: what a plot needs to show
// it whole.
int CornerLabelRoom(HDC measure, const std::wstring& label);
// The least width a plotter that breaks wide labels still writes the label readably in: on two lines, in
// the size of a dialog's text.
int ShortestCornerLabelRoom(HDC measure, const std::wstring& label);
// The width of a line of text in the size of a dialog's text: the least a text is written in readably.
int ReadableTextWidth(HDC measure, const std::wstring& text);

class GlyphPlotter : public Plotter
{
public:
    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;
    void OnDomainLimitsChanged() override { PushDomain(dynamic_cast<GlyphPlotData*>(plotData)); }
    void OnRangeLimitsChanged() override { PushRange(dynamic_cast<GlyphPlotData*>(plotData)); }
    virtual void SetGlyphPlotData(GlyphPlotData* data, int series, bool own) { SetPlotData(data, series, own); }

    int32_t rasterOp = R2_COPYPEN;
    uint32_t textAlign = 0;
    bool useTextAlign = false;
    int32_t labelOffsetYPt = 0;
    int32_t labelOffsetX = 0;
    // A corner label wider than its plot first goes onto two lines, broken after its last comma, before
    // its font is made smaller; for a plotter whose label has the plot's top to itself.
    bool breakWideLabel = false;

protected:
    // A legend-style label in the plot's top-left corner: 10-point text, optionally after a sample line,
    // moved right of any of the vertical lines (pixel columns, ascending) that would cross it.
    void WriteCornerLabel(HDC dc, HDC attributeDc, const RECT& plot, const std::wstring& label, bool sample,
                          const std::vector<int>& verticalLines = {}) const;

private:
    void DrawGlyph(HDC dc, HDC attributeDc, const RECT& plot, const GlyphRecord& glyph,
                   const std::vector<int>& verticalLines) const;
};

// The paint state every glyph plotter sets up: black stock pen and brush, the mix mode, winding fill,
// and its own pen, all put back at the end.
class GlyphPaintState
{
public:
    GlyphPaintState(HDC dc, int rasterOp, int penStyle, float penWidth);

    PlotPen& Pen() { return m_pen; }

private:
    OWL::SelectedObject m_stockPen;
    OWL::SelectedObject m_stockBrush;
    Orv::MixMode m_mix;
    Orv::PolyFillMode m_fill;
    PlotPen m_pen;
};

} // namespace MGraph1
