// Pressure-volume area of one loop: the area the loop encloses up to end systole, closed through the
// end-systolic point and the point where the end-systolic and end-diastolic relations meet, with the
// straight closing edges replaced by the curved relations where these are not straight lines.
#include "hostapi/CalcEventRecords.h"

#include "calc/engine/MissingValue.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Sistra
{
namespace
{

constexpr int32_t QuadraticEsRelation = 1;  // P = c0 + c1·V + c2·V²
constexpr int32_t ExponentialEdRelation = 1; // P = a·e^(bV)

struct PvPoint
{
    double volume;
    double pressure;
};

// Half the shoelace sum of the closed polygon through the points.
double PolygonArea(const std::vector<PvPoint>& points)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i)
    {
        const PvPoint& a = points[i];
        const PvPoint& b = points[(i + 1) % points.size()];
        sum += b.pressure * a.volume - b.volume * a.pressure;
    }
    return 0.5 * sum;
}

// The area under the straight edge between two points, down to zero pressure when both lie above it.
double StraightEdgeArea(double va, double pa, double vb, double pb)
{
    const double width = std::fabs(va - vb);
    const double base = (pa > 0.0 && pb > 0.0) ? std::min(pa, pb) * width : 0.0;
    return std::fabs(pa - pb) * width * 0.5 + base;
}

double QuadraticIntegral(std::span<const double> c, double v)
{
    return c[2] * v * v * v / 3.0 + c[1] * v * v * 0.5 + c[0] * v;
}

double ExponentialIntegral(std::span<const double> c, double v)
{
    return c[0] * std::exp(c[1] * v) / c[1];
}

} // namespace

bool PVAEvent::Calculate(const SistraEvent& loop, int32_t esKind, int32_t edKind, std::span<const double> esTerms,
                         std::span<const double> edTerms, std::span<const float> pressure,
                         std::span<const float> volume, int32_t endTick, float esVolume, float esPressure,
                         double closingPressure, double closingVolume)
{
    strokeWork = loop.sw;
    pva = MissingValue();
    pe = MissingValue();
    // Both sample lists are indexed alike, so only the samples both hold describe the loop.
    const int64_t count = static_cast<int64_t>(std::min(pressure.size(), volume.size()));
    const int64_t start = loop.sampleOffset;
    if (loop.state == LoopStateClosing || count == 0 || endTick < 0 || start < 0 || start >= count)
        return false;

    int64_t last = start + (static_cast<int64_t>(endTick) - loop.firstTick);
    if (last < start)
        last += count;
    // Walking round the loop more than once would count its area twice.
    last = std::clamp(last, start, start + count - 1);

    const PvPoint origin{volume[start], pressure[start]};
    auto relative = [&](double v, double p) { return PvPoint{v - origin.volume, p - origin.pressure}; };
    std::vector<PvPoint> polygon;
    polygon.reserve(static_cast<std::size_t>(last - start + 3));
    for (int64_t i = start; i <= last; ++i)
        polygon.push_back(relative(volume[i % count], pressure[i % count]));
    polygon.push_back(relative(esVolume, esPressure));
    polygon.push_back(relative(closingVolume, closingPressure));
    double area = PolygonArea(polygon);

    if (esKind == QuadraticEsRelation && esTerms.size() == 3)
        area += (QuadraticIntegral(esTerms, esVolume) - QuadraticIntegral(esTerms, closingVolume)) -
                StraightEdgeArea(esVolume, esPressure, closingVolume, closingPressure);
    if (edKind == ExponentialEdRelation && edTerms.size() >= 2)
        area += StraightEdgeArea(loop.ved, loop.ped, closingVolume, closingPressure) -
                (ExponentialIntegral(edTerms, loop.ved) - ExponentialIntegral(edTerms, closingVolume));

    pva = area;
    pe = area - strokeWork;
    return true;
}

} // namespace Sistra
