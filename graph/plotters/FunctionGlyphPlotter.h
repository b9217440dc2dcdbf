// Draws fitted curves across the plot, evaluated once per pixel column between the visible limits
// (optionally narrowed to the curve's own x range), each labelled in the plot's top-left corner.
#pragma once

#include "graph/plotters/GlyphPlotter.h"

#include <cmath>
#include <vector>

namespace MGraph1
{

namespace FunctionRange
{
constexpr uint32_t StartAtXMin = 0x80000000u;
constexpr uint32_t EndAtXMax = 0x40000000u;
} // namespace FunctionRange

// One curve, in the units the graph's scales print (x, its range and the value alike). The plotter's
// policy reads its parameters: the polynomial c0 + sum over i >= 1 of c_i * x * (k * x)^(i - 1) (with
// k = 1 the ordinary polynomial), or a * exp(b * x).
struct FunctionRecord
{
    COLORREF colour = 0;
    std::wstring label;
    bool legendSample = false;
    uint32_t rangeFlags = 0;
    double xMin = 0.0, xMax = 0.0;
    std::vector<double> coefficients;
    double xScale = 1.0;
    double a = 0.0;
    double b = 0.0;
};

// A curve is drawn in chunks of at most this many columns, one GDI call each.
inline constexpr int FunctionChunkColumns = 512;

class FunctionGlyphPlotterBase : public GlyphPlotter
{
public:
    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;
    virtual void SetFunctionPlotData(FunctionGlyphPlotData* data, int series, bool own) { SetPlotData(data, series, own); }
    virtual void PlotFunction(HDC dc, int originX, RECT plotRect, double low, double high, const FunctionRecord& record,
                              const AxisTransform& xT, const AxisTransform& yT) = 0;
};

using CurveFunction = double (*)(const FunctionRecord&, double);
// One chunk of at most FunctionChunkColumns samples from xa to xb, as one batch of segments.
void PlotCurveChunk(HDC dc, int originX, const RECT& plotRect, int columns, double xa, double xb, const AxisTransform& xT,
                    const AxisTransform& yT, CurveFunction f, const FunctionRecord& record);
// The whole curve between the visible limits, narrowed by the record's range flags, one sample per column.
void PlotCurve(HDC dc, int originX, const RECT& plotRect, double low, double high, const FunctionRecord& record,
               const AxisTransform& xT, const AxisTransform& yT, CurveFunction f);

struct PolynomialFunctionPolicy
{
    static double Evaluate(const FunctionRecord& record, double x);
    static bool CanDraw(const FunctionRecord& record) { return !record.coefficients.empty(); }
};

struct ExponentialFunctionPolicy
{
    static double Evaluate(const FunctionRecord& record, double x);
    // A curve without finite terms (a relation that did not fit) is its label alone.
    static bool CanDraw(const FunctionRecord& record) { return std::isfinite(record.a) && std::isfinite(record.b); }
};

template <class Policy>
class FunctionGlyphPlotter : public FunctionGlyphPlotterBase, public Policy
{
public:
    void PlotFunction(HDC dc, int originX, RECT plotRect, double low, double high, const FunctionRecord& record,
                      const AxisTransform& xT, const AxisTransform& yT) override
    {
        if (Policy::CanDraw(record))
            PlotCurve(dc, originX, plotRect, low, high, record, xT, yT, &Policy::Evaluate);
    }
};

// The number of columns of each chunk a curve across a plot of this width is cut into.
std::vector<int> FunctionChunkSizes(int width);

using PolynomialFunctionPlotter = FunctionGlyphPlotter<PolynomialFunctionPolicy>;
using ExponentialFunctionPlotter = FunctionGlyphPlotter<ExponentialFunctionPolicy>;

} // namespace MGraph1
