#include "graph/plotters/FunctionGlyphPlotter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace MGraph1
{

namespace
{
LONG ToDevice(double value, const AxisTransform& t, double origin)
{
    return static_cast<LONG>(std::floor((value + t.offset) * t.scale + 0.5) + origin);
}

struct DisplayAxis
{
    AxisTransform transform;
    double factor = 1.0;
};

// A curve is described in the units the scales print, while the graph's transforms and limits are in the
// data's: the unit transform (display value = factor x data value) turns the value-to-pixel transform
// into one that takes display values, and the factor takes the limits along.
DisplayAxis InDisplayUnits(const AxisTransform* toPixels, const AxisTransform* unit)
{
    DisplayAxis axis{toPixels ? *toPixels : AxisTransform{}, 1.0};
    if (unit && unit->scale != 0.0)
    {
        axis.transform.scale /= unit->scale;
        axis.transform.offset *= unit->scale;
        axis.factor = unit->scale;
    }
    return axis;
}
} // namespace

double PolynomialFunctionPolicy::Evaluate(const FunctionRecord& record, double x)
{
    const auto& c = record.coefficients;
    double value = c.empty() ? 0.0 : c[0];
    double power = x;
    for (size_t i = 1; i < c.size(); ++i)
    {
        value += c[i] * power;
        power *= record.xScale * x;
    }
    return value;
}

double ExponentialFunctionPolicy::Evaluate(const FunctionRecord& record, double x)
{
    return record.a * std::exp(record.b * x);
}

std::vector<int> FunctionChunkSizes(int width)
{
    std::vector<int> sizes;
    int remaining = width;
    do
    {
        const int n = std::min(remaining, FunctionChunkColumns);
        sizes.push_back(n);
        remaining -= n;
    } while (remaining > 0);
    return sizes;
}

void PlotCurveChunk(HDC dc, int originX, const RECT& plotRect, int columns, double xa, double xb,
                    const AxisTransform& xT, const AxisTransform& yT, CurveFunction f, const FunctionRecord& record)
{
    if (columns > FunctionChunkColumns || columns < 2)
        return;
    std::array<POINT, 2 * FunctionChunkColumns> points;
    std::array<DWORD, FunctionChunkColumns> counts;
    const double step = (xb - xa) / (columns - 1);
    POINT previous{};
    DWORD segments = 0;
    for (int k = 0; k < columns; ++k)
    {
        const double x = xa + k * step;
        const POINT point{ToDevice(x, xT, originX), ToDevice(f(record, x), yT, plotRect.top)};
        if (k > 0)
        {
            points[2 * segments] = previous;
            points[2 * segments + 1] = point;
            counts[segments] = 2;
            ++segments;
        }
        previous = point;
    }
    PolyPolyline(dc, points.data(), counts.data(), segments);
}

void PlotCurve(HDC dc, int originX, const RECT& plotRect, double low, double high, const FunctionRecord& record,
               const AxisTransform& xT, const AxisTransform& yT, CurveFunction f)
{
    const double xStart = (record.rangeFlags & FunctionRange::StartAtXMin) ? std::max(low, record.xMin) : low;
    const double xEnd = (record.rangeFlags & FunctionRange::EndAtXMax) ? std::min(high, record.xMax) : high;
    const int width = plotRect.right - plotRect.left;
    const double step = (xEnd - xStart) / width;
    double xs = xStart;
    for (int n : FunctionChunkSizes(width))
    {
        PlotCurveChunk(dc, originX, plotRect, n, xs, xs + n * step, xT, yT, f, record);
        xs += n * step;
    }
}

void FunctionGlyphPlotterBase::OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT)
{
    GlyphPaintState state(dc, rasterOp, penStyle, penWidth);
    auto* data = dynamic_cast<FunctionGlyphPlotData*>(plotData);
    int count = 0;
    const FunctionRecord* records = nullptr;
    if (!data || !data->GetFunctions(domainLow, domainHigh, seriesId, &count, &records) || !records)
        return;
    for (int i = 0; i < count; ++i)
    {
        const FunctionRecord& record = records[i];
        state.Pen().Use(record.colour);
        IntersectClipRect(dc, plotRect.left, plotRect.top, plotRect.right, plotRect.bottom);
        const DisplayAxis x = InDisplayUnits(xTransform, xUnitTransform);
        const DisplayAxis y = InDisplayUnits(yTransform, yUnitTransform);
        PlotFunction(dc, plotRect.left, plotRect, domainLow * x.factor, domainHigh * x.factor, record, x.transform,
                     y.transform);
        if (!record.label.empty())
            WriteCornerLabel(dc, attributeDc, plotRect, record.label, record.legendSample);
        SelectClipRgn(dc, nullptr);
    }
}

} // namespace MGraph1
