// Data sources and axes the plotter and graph tests draw with.
#pragma once

#include "graph/plotters/XYCPlotter.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace GraphTest
{

// A point series held in vectors.
class SeriesData : public MGraph1::XYCPlotData
{
public:
    bool GetSeries(int, int* count, int* firstIndex, const float** x, const float** y, const COLORREF** colours,
                   COLORREF* colour, uint32_t* flags) override
    {
        ++fetches;
        *count = static_cast<int>(xs.size());
        *firstIndex = first;
        *x = xs.data();
        *y = ys.data();
        *colours = perPoint.empty() ? nullptr : perPoint.data();
        *colour = seriesColour;
        *flags = seriesFlags;
        return true;
    }

    std::vector<float> xs, ys;
    std::vector<COLORREF> perPoint;
    COLORREF seriesColour = RGB(200, 0, 0);
    uint32_t seriesFlags = MGraph1::SeriesFlags::Lines;
    int first = 0;
    int fetches = 0;
};

// A pressure-volume loop of n points: volume (uL) along x, pressure (mmHg) along y.
inline void FillPvLoop(SeriesData& data, int n, double volumeShift = 0.0, double pressureScale = 1.0)
{
    for (int i = 0; i < n; ++i)
    {
        const double phase = 2.0 * std::numbers::pi * i / n;
        data.xs.push_back(static_cast<float>(volumeShift + 90.0 + 50.0 * std::cos(phase)));
        data.ys.push_back(static_cast<float>(pressureScale * (55.0 + 50.0 * std::sin(phase) + 20.0 * std::sin(2 * phase))));
    }
}

// Transforms that map [xLow, xHigh] onto a plot's width and [yLow, yHigh] onto its height, y upwards.
struct TestAxes
{
    TestAxes(const RECT& plot, double xLow, double xHigh, double yLow, double yHigh)
        : x{(plot.right - plot.left - 1) / (xHigh - xLow), -xLow},
          y{-(plot.bottom - plot.top - 1) / (yHigh - yLow), -yHigh}
    {
    }
    void Install(MGraph1::GraphDrawer& drawer)
    {
        drawer.UseXTransform(&x);
        drawer.UseYTransform(&y);
    }
    AxisTransform x;
    AxisTransform y;
};

} // namespace GraphTest
