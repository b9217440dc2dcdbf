#include "graph/plotters/XYCPlotter.h"

#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"
#include "foundation/system/ShellDlgFont.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace MGraph1
{

namespace
{
constexpr double PointsPerInch = 72.0;
constexpr int MinMarkerPixels = 2;
constexpr double FilledMarkerFactor = 2.5;
constexpr uint32_t ShapeBits[] = {SeriesFlags::FilledTriangleUp,   SeriesFlags::FilledSquare,
                                  SeriesFlags::FilledDiamond,      SeriesFlags::FilledTriangleDown,
                                  SeriesFlags::OutlineTriangleUp,  SeriesFlags::OutlineSquare,
                                  SeriesFlags::OutlineDiamond,     SeriesFlags::OutlineTriangleDown};
constexpr int LegendPoints = 9;
constexpr int LegendSampleChars = 15;

uint32_t g_paintCounter = 0;

void FillPolygon(HDC dc, HBRUSH brush, std::initializer_list<POINT> points)
{
    const Orv::UniqueRegion region(CreatePolygonRgn(points.begin(), static_cast<int>(points.size()), ALTERNATE));
    FillRgn(dc, region.Get(), brush);
}

void OutlineSquare(HDC dc, int x, int y, int a, int b)
{
    Orv::StrokeLines(dc, {{x - a, y + b}, {x + a, y + b}, {x + a, y - b}, {x - a, y - b}, {x - a, y + b}});
}

uint32_t FirstShape(uint32_t flags)
{
    for (uint32_t bit : ShapeBits)
        if (flags & bit)
            return bit;
    return 0;
}

} // namespace

uint32_t XYCPlotter::PaintCounter()
{
    return g_paintCounter;
}

int MarkerPixels(double points, int pixelsPerInch)
{
    return std::max(MinMarkerPixels, static_cast<int>(pixelsPerInch * points / PointsPerInch));
}

void DrawMarker(HDC dc, int x, int y, int w, int h, uint32_t flags, COLORREF c, float penWidth)
{
    const Orv::UniqueBrush brush(CreateSolidBrush(c));
    const int W = static_cast<int>(FilledMarkerFactor * w);
    const int H = static_cast<int>(FilledMarkerFactor * h);
    switch (FirstShape(flags))
    {
    case SeriesFlags::FilledTriangleUp:
        FillPolygon(dc, brush.Get(), {{x, y - H}, {x - W, y + H}, {x + W, y + H}});
        break;
    case SeriesFlags::FilledSquare:
    {
        const Orv::UniqueRegion region(CreateRectRgn(x - W, y + H, x + W, y - H));
        FillRgn(dc, region.Get(), brush.Get());
        break;
    }
    case SeriesFlags::FilledDiamond:
        FillPolygon(dc, brush.Get(), {{x - W, y}, {x, y + H}, {x + W, y}, {x, y - H}});
        break;
    case SeriesFlags::FilledTriangleDown:
        FillPolygon(dc, brush.Get(), {{x, y + H}, {x - W, y - H}, {x + W, y - H}});
        break;
    case SeriesFlags::OutlineTriangleUp:
        Orv::StrokeLines(dc, {{x, y - 2 * h}, {x - 2 * w, y + 2 * h}, {x + 2 * w, y + 2 * h}, {x, y - 2 * h}});
        break;
    case SeriesFlags::OutlineSquare:
        OutlineSquare(dc, x, y, 2 * w, 2 * h);
        break;
    case SeriesFlags::OutlineDiamond:
        Orv::StrokeLines(dc, {{x - W, y}, {x, y + H}, {x + W, y}, {x, y - H}, {x - W, y}});
        break;
    case SeriesFlags::OutlineTriangleDown:
        Orv::StrokeLines(dc, {{x, y + 2 * h}, {x - 2 * w, y - 2 * h}, {x + 2 * w, y - 2 * h}, {x, y + 2 * h}});
        break;
    default:
    {
        const int k = static_cast<int>(1.0 - (penWidth - 1.0));
        Orv::StrokeLines(dc, {{x - w, y + h}, {x + w + k, y - h - k}});
        Orv::StrokeLines(dc, {{x - w, y - h}, {x + w + k, y + h + k}});
        break;
    }
    }
}

bool XYCPlotterBase::NeedsRebuild()
{
    XYCPlotDataBase* data = GetXYCPlotDataBase();
    return !(data && !data->refetchNeeded);
}

bool XYCPlotterBase::NeedsRedraw()
{
    if (dirty)
        return true;
    XYCPlotDataBase* data = GetXYCPlotDataBase();
    return data && (data->refetchNeeded || data->quickRedraw);
}

void XYCPlotterBase::OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect)
{
    XYCPlotDataBase* data = GetXYCPlotDataBase();
    if (!data)
        return;
    PushLimits(data);
    DrawParams params{};
    COLORREF single = 0;
    bool perPointColours = false;
    const bool quick = !data->refetchNeeded && data->quickRedraw;
    if (!Fetch(quick, params, perPointColours, single))
    {
        dirty = false;
        return;
    }
    if (quick)
        data->quickRedraw = false;
    data->refetchNeeded = false;

    params.plotRect = plotRect;
    params.clipRect = clipRect;
    params.xMin = domainLow;
    params.xMax = domainHigh;
    params.yMax = rangeHigh;
    params.yMin = rangeLow;
    params.colourStride = params.colours ? 1 : 0;
    params.seriesColour = perPointColours ? colour : single;
    params.drawMarkers = (params.flags & SeriesFlags::Markers) != 0;
    params.joinPoints = (params.flags & SeriesFlags::Lines) != 0;
    HDC measure = attributeDc ? attributeDc : dc;
    params.markerWidth = MarkerPixels(markerWidthPt, GetDeviceCaps(measure, LOGPIXELSX));
    params.markerHeight = MarkerPixels(markerHeightPt, GetDeviceCaps(measure, LOGPIXELSY));
    if (!quick)
        data->ClearPointCache();
    int cookie = 0;
    params.cache = data->BeginPlot(std::abs(plotRect.right - plotRect.left), std::abs(plotRect.bottom - plotRect.top),
                                   &cookie)
                       ? data
                       : nullptr;
    DrawCore(dc, params);
    if (params.cache)
        data->EndPlot();
    dirty = false;
}

template <class Points>
void XYCPlotterBase::DrawPoints(HDC dc, DrawParams& params, Points& points, uint32_t pass, bool useCache)
{
    if (params.count <= 0)
        return;
    PlotPen pen(dc, penStyle, penWidth, RGB(0, 0, 0));
    const RECT& plot = params.plotRect;
    const RECT lineClip{plot.left + 1, plot.top, plot.right, plot.bottom - 1};
    double previousX = -1.0;
    double previousY = -1.0;
    bool previousOutside = true;
    useCache = useCache && params.cache;
    for (int i = 0; i < params.count; ++i)
    {
        float x = 0.0f;
        float y = 0.0f;
        COLORREF c = params.seriesColour;
        points.At(i, x, y, c);
        const double px = ValueToPixel(*xTransform, x, plot.left);
        const double py = ValueToPixel(*yTransform, y, plot.top);
        const bool outside = px < plot.left || px >= plot.right || py < plot.top || py >= plot.bottom - 1;
        bool skipMarker = false;
        if (useCache && !outside)
        {
            const int column = static_cast<int>(px - plot.left);
            const int row = static_cast<int>(py - plot.top);
            const uint32_t index = static_cast<uint32_t>(params.firstIndex + i);
            PointRecord existing;
            if (params.cache->GetPointAt(column, row, &existing))
            {
                skipMarker = existing.colour == c && existing.pass == pass;
                params.cache->SetPointAt(column, row, x, y, index, c, pass);
            }
            else
            {
                params.cache->InsertPoint(column, row, PointRecord{-1, x, y, index, pass, c});
            }
        }
        if (params.joinPoints && i > 0)
        {
            pen.Use(c);
            if (!outside && !previousOutside)
            {
                MoveToEx(dc, static_cast<int>(previousX), static_cast<int>(previousY), nullptr);
                LineTo(dc, static_cast<int>(px), static_cast<int>(py));
            }
            else
            {
                double x0 = previousX, y0 = previousY, x1 = px, y1 = py;
                if (ClipSegment(x0, y0, x1, y1, lineClip))
                {
                    const bool endKept = x1 == px && y1 == py;
                    MoveToEx(dc, static_cast<int>(endKept ? x0 : x1), static_cast<int>(endKept ? y0 : y1), nullptr);
                    LineTo(dc, static_cast<int>(endKept ? x1 : x0), static_cast<int>(endKept ? y1 : y0));
                }
            }
        }
        if (!outside && !skipMarker)
        {
            pen.Use(c);
            if (!params.drawMarkers)
                SetPixel(dc, static_cast<int>(px), static_cast<int>(py), c);
            else if (std::isnan(py))
            {
                MoveToEx(dc, static_cast<int>(px - params.markerWidth), plot.top, nullptr);
                LineTo(dc, static_cast<int>(params.markerWidth + px + 1.0), plot.top);
            }
            else
                DrawMarker(dc, static_cast<int>(px), static_cast<int>(py), params.markerWidth, params.markerHeight,
                           params.flags, c, penWidth);
        }
        previousX = px;
        previousY = py;
        previousOutside = outside;
    }
    if (params.flags & SeriesFlags::Legend)
        DrawLegend(dc, params, pen.Colour());
    DrawMarkBox(dc, params);
    dirty = false;
}

namespace
{
// The points of array sources.
struct ArrayPoints
{
    const DrawParams& params;
    void At(int i, float& x, float& y, COLORREF& c) const
    {
        x = params.x[i];
        y = params.y[i];
        if (params.colours)
            c = params.colours[i * params.colourStride];
    }
};

uint32_t g_iteratorPaintCounter = 0;
} // namespace

bool XYCPlotter::Fetch(bool quick, DrawParams& params, bool& perPointColours, COLORREF& colour)
{
    XYCPlotData* data = GetXYCPlotData();
    if (!quick && !data->ContinueDrawing(seriesId))
        return false;
    if (!data->GetSeries(seriesId, &params.count, &params.firstIndex, &params.x, &params.y, &params.colours, &colour,
                         &params.flags))
        return false;
    perPointColours = params.colours != nullptr;
    return true;
}

void XYCPlotter::DrawCore(HDC dc, DrawParams& params)
{
    const uint32_t pass = ++g_paintCounter;
    ArrayPoints points{params};
    DrawPoints(dc, params, points, pass, !(params.flags & SeriesFlags::NoPointCache));
}

uint32_t XYCPlotter2::PaintCounter()
{
    return g_iteratorPaintCounter;
}

bool XYCPlotter2::Fetch(bool quick, DrawParams& params, bool& perPointColours, COLORREF& colour)
{
    XYCPlotData2* data = GetXYCPlotData2();
    m_x = m_y = nullptr;
    m_colours = nullptr;
    if ((!quick && !data->ContinueDrawing(seriesId)) ||
        !data->GetSeries(seriesId, &params.count, &params.firstIndex, &m_x, &m_y, &m_colours, &colour, &params.flags))
        return false;
    perPointColours = m_colours != nullptr;
    return m_x && m_y;
}

void XYCPlotter2::DrawCore(HDC dc, DrawParams& params)
{
    const uint32_t pass = ++g_iteratorPaintCounter;
    m_xBlock.resize(BlockSize);
    m_yBlock.resize(BlockSize);
    m_colourBlock.resize(BlockSize);
    // Reads the three iterators a block at a time as the loop reaches the end of the last block.
    struct IteratorPoints
    {
        XYCPlotter2& plotter;
        int blockStart = 0;
        int blockLength = 0;
        void At(int i, float& x, float& y, COLORREF& c)
        {
            if (i >= blockStart + blockLength)
            {
                blockStart = i;
                const int xs = plotter.m_x->Next(plotter.m_xBlock.data(), BlockSize);
                const int ys = plotter.m_y->Next(plotter.m_yBlock.data(), BlockSize);
                const int cs = plotter.m_colours ? plotter.m_colours->Next(plotter.m_colourBlock.data(), BlockSize) : ys;
                blockLength = std::max(0, std::min({xs, ys, cs}));
                if (blockLength == 0)
                {
                    x = y = std::nanf("");
                    return;
                }
            }
            x = plotter.m_xBlock[static_cast<size_t>(i - blockStart)];
            y = plotter.m_yBlock[static_cast<size_t>(i - blockStart)];
            if (plotter.m_colours)
                c = plotter.m_colourBlock[static_cast<size_t>(i - blockStart)];
        }
    } points{*this};
    DrawPoints(dc, params, points, pass, true);
}

void XYCPlotterBase::DrawLegend(HDC dc, const DrawParams& params, COLORREF colour)
{
    XYCPlotDataBase* data = GetXYCPlotDataBase();
    if (!data)
        return;
    const Orv::UniqueFont font = ConstructShellDlgFont(dc, LegendPoints, 0);
    const OWL::SelectedObject selectedFont(dc, font.Get());
    const Orv::TextAlignment leftTop(dc, TA_LEFT | TA_TOP);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int rowHeight = static_cast<int>(1.5 * metrics.tmHeight);
    const int sampleLength = LegendSampleChars * metrics.tmAveCharWidth;
    const int x0 = params.plotRect.left + 1;
    const int y0 = params.plotRect.top;
    const int y = y0 + (data->legendRow + 1) * rowHeight;
    for (uint32_t bit : ShapeBits)
    {
        if (!(params.flags & bit))
            continue;
        Orv::StrokeLines(dc, {{x0 + rowHeight, y}, {x0 + sampleLength, y}});
        const int textX = x0 + sampleLength + rowHeight / 2;
        const int textY = y - metrics.tmHeight / 2;
        TextOutW(dc, textX, textY, data->name.c_str(), static_cast<int>(data->name.size()));
        SIZE text{};
        GetTextExtentPoint32W(dc, data->name.c_str(), static_cast<int>(data->name.size()), &text);
        DrawMarker(dc, x0 + static_cast<int>((sampleLength - rowHeight) / 2 + rowHeight), y, params.markerWidth,
                   params.markerHeight, bit, colour, penWidth);
        data->legendLeft = std::min(data->legendLeft, x0);
        data->legendTop = std::min(data->legendTop, textY);
        data->legendRight = std::max(data->legendRight, textX + static_cast<int>(text.cx));
        data->legendBottom = std::max(data->legendBottom, y + rowHeight / 2);
        data->legendRowHeight = std::max(data->legendRowHeight, rowHeight);
    }
}

void XYCPlotterBase::DrawMarkBox(HDC dc, const DrawParams& params)
{
    XYCPlotDataBase* data = GetXYCPlotDataBase();
    if (!data || !std::isfinite(data->markX) || !std::isfinite(data->markY) || data->markX == NoMark ||
        data->markY == NoMark)
        return;
    const RECT& plot = params.plotRect;
    const int px = static_cast<int>(ValueToPixel(*xTransform, data->markX, plot.left));
    const int py = static_cast<int>(ValueToPixel(*yTransform, data->markY, plot.top));
    int a = data->markScale * params.markerWidth * 4;
    int b = data->markScale * params.markerHeight * 4;
    if (px + 1 + a > plot.right)
        a = plot.right - px - 1;
    if (py + 1 + b > plot.bottom)
        b = plot.bottom - py - 1;
    if (a <= 1 || b <= 1 || px <= plot.left + 1 || px >= plot.right - 1 || py <= plot.top + 1 || py >= plot.bottom - 1)
        return;
    const Orv::UniquePen pen(CreatePen(penStyle, static_cast<int>(penWidth), data->markColour));
    const OWL::SelectedObject selected(dc, pen.Get());
    OutlineSquare(dc, px, py, a, b);
}

} // namespace MGraph1
