// The data sources the plotters draw from: point series, glyphs and fitted functions. The plotters ask
// for their data on every paint; a point source also keeps a per-pixel cache of what the last paint
// drew, from which the graph finds the point under the mouse.
#pragma once

#include <windows.h>

#include <cfloat>
#include <climits>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace MGraph1
{

struct GlyphRecord;
struct FunctionRecord;

// What the point cache holds for one pixel.
struct PointRecord
{
    int32_t tag = -1;
    double x = 0.0;
    double y = 0.0;
    uint32_t index = 0;
    uint32_t pass = 0;
    COLORREF colour = 0;
};

// The lookup of the point under the mouse.
struct PointHint
{
    int32_t pixelX = 0; // relative to the plot rectangle
    int32_t pixelY = 0;
    double valueX = 0.0;
    double valueY = 0.0;
    uint32_t pointIndex = 0;
    bool found = false;
};

inline constexpr int PointPickRadius = 20;

class PlotData
{
public:
    virtual ~PlotData() = default;
};

class PlotDataBase : public PlotData
{
public:
    virtual bool FindPointInfo(int, PointHint*) { return false; }
    virtual bool IsModified() { return modified; }
    // A change also asks for a fresh fetch and marks the last hint stale.
    virtual bool SetModified(bool value);
    virtual void ClearModified() { modified = false; }

    bool modified = false;
    bool refetchNeeded = false;
    bool hintStale = false;
    double domainLow = -DBL_MAX, domainHigh = DBL_MAX;
    double auxLow = -DBL_MAX, auxHigh = DBL_MAX;
    double rangeLow = -DBL_MAX, rangeHigh = DBL_MAX;
};

// "No mark" in markX and markY.
inline constexpr double NoMark = 2147483647.0;

class XYCPlotDataBase : public PlotDataBase
{
public:
    bool FindPointInfo(int ignored, PointHint* hint) override;

    // Opens one paint pass over a plot of width x height pixels; the cache survives while the size
    // stays. False for an empty plot or while a pass is open.
    virtual bool BeginPlot(int width, int height, int* cookie);
    virtual void EndPlot() { inPass = false; }
    virtual void ClearPointCache() { pointCache = {}; }
    // The cached record nearest (x, y) strictly within radius pixels; ties keep the lowest row, then
    // the lowest column.
    virtual bool FindNearestPoint(int x, int y, int radius, PointRecord* out);
    virtual bool GetPointAt(int column, int row, PointRecord* out);
    virtual void SetPointAt(int column, int row, double x, double y, uint32_t index, COLORREF colour, uint32_t pass);
    virtual void PutRecord(int column, int row, const PointRecord& record);
    // Keeps a record already in the cell.
    virtual void InsertPoint(int column, int row, const PointRecord& record);

    int32_t legendRow = -1;
    int32_t legendLeft = INT_MAX, legendRight = INT_MIN + 1, legendTop = INT_MAX, legendBottom = INT_MIN + 1;
    int32_t legendRowHeight = INT_MIN + 1;
    double markX = NoMark, markY = NoMark;
    int32_t markScale = 0;
    COLORREF markColour = 0;
    bool quickRedraw = false;
    bool inPass = false;
    std::unordered_map<int32_t, PointRecord> pointCache;
    std::wstring name;
    int32_t cacheWidth = -1, cacheHeight = -1;
    int32_t cacheOriginX = 0, cacheOriginY = 0;

private:
    bool InCache(int column, int row) const;
    int32_t KeyOf(int column, int row) const { return row * cacheWidth + column; }
};

template <class Value, class Index>
class XYCPlotDataCore : public XYCPlotDataBase
{
};

// Series flags of GetSeries.
namespace SeriesFlags
{
constexpr uint32_t Markers = 0x1;
constexpr uint32_t Lines = 0x2;
constexpr uint32_t Legend = 0x4;
constexpr uint32_t FilledTriangleUp = 0x8;
constexpr uint32_t FilledSquare = 0x10;
constexpr uint32_t FilledDiamond = 0x20;
constexpr uint32_t FilledTriangleDown = 0x40;
constexpr uint32_t OutlineTriangleUp = 0x80;
constexpr uint32_t OutlineSquare = 0x100;
constexpr uint32_t OutlineDiamond = 0x200;
constexpr uint32_t OutlineTriangleDown = 0x400;
constexpr uint32_t NoPointCache = 0x1000;
} // namespace SeriesFlags

class XYCPlotData : public XYCPlotDataCore<float const, unsigned long const>
{
public:
    // False: nothing to draw now. The arrays stay the source's and valid until the paint returns;
    // without a colour array every point has colour.
    virtual bool GetSeries(int seriesId, int* count, int* firstIndex, const float** x, const float** y,
                           const COLORREF** colours, COLORREF* colour, uint32_t* flags) = 0;
    // False stops a long paint.
    virtual bool ContinueDrawing(int) { return true; }
};

class GlyphPlotData : public PlotDataBase
{
public:
    virtual bool GetGlyphs(double domainLow, double domainHigh, int seriesId, int* count, const GlyphRecord** records);
};

class FunctionGlyphPlotData : public GlyphPlotData
{
public:
    virtual bool GetFunctions(double domainLow, double domainHigh, int seriesId, int* count,
                              const FunctionRecord** records);
};

} // namespace MGraph1
