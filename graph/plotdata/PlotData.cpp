#include "graph/plotdata/PlotData.h"

#include <algorithm>

namespace MGraph1
{

bool PlotDataBase::SetModified(bool value)
{
    modified = value;
    if (value)
    {
        refetchNeeded = true;
        hintStale = true;
    }
    return value;
}

bool XYCPlotDataBase::FindPointInfo(int, PointHint* hint)
{
    if (!hint)
        return false;
    hint->found = false;
    hintStale = false;
    PointRecord record;
    if (!FindNearestPoint(hint->pixelX, hint->pixelY, PointPickRadius, &record))
        return false;
    hint->valueX = record.x;
    hint->valueY = record.y;
    hint->pointIndex = record.index;
    hint->found = true;
    return true;
}

bool XYCPlotDataBase::BeginPlot(int width, int height, int* cookie)
{
    if (width < 1 || height < 1 || inPass)
        return false;
    const bool sameCache = width == cacheWidth && height == cacheHeight && cacheOriginX == 0 && cacheOriginY == 0;
    if (!sameCache)
    {
        ClearPointCache();
        cacheWidth = width;
        cacheHeight = height;
        cacheOriginX = 0;
        cacheOriginY = 0;
    }
    if (cookie)
        *cookie = 0;
    inPass = true;
    return true;
}

bool XYCPlotDataBase::FindNearestPoint(int x, int y, int radius, PointRecord* out)
{
    if (pointCache.empty())
        return false;
    x -= cacheOriginX;
    y -= cacheOriginY;
    const int radiusSquared = radius * radius;
    int best = INT_MAX;
    bool found = false;
    for (int row = std::max(0, y - radius); row < std::min(cacheHeight, y + radius); ++row)
    {
        for (int column = std::max(0, x - radius); column < std::min(cacheWidth, x + radius); ++column)
        {
            const int d = (column - x) * (column - x) + (row - y) * (row - y);
            if (d >= radiusSquared || d >= best)
                continue;
            if (GetPointAt(column, row, out))
            {
                best = d;
                found = true;
            }
        }
    }
    return found;
}

bool XYCPlotDataBase::InCache(int column, int row) const
{
    return column >= 0 && column < cacheWidth && row >= 0 && row < cacheHeight;
}

bool XYCPlotDataBase::GetPointAt(int column, int row, PointRecord* out)
{
    if (!InCache(column, row))
        return false;
    const auto found = pointCache.find(KeyOf(column, row));
    if (found == pointCache.end())
        return false;
    if (out)
        *out = found->second;
    return true;
}

void XYCPlotDataBase::SetPointAt(int column, int row, double x, double y, uint32_t index, COLORREF colour,
                                 uint32_t pass)
{
    PutRecord(column, row, PointRecord{-1, x, y, index, pass, colour});
}

void XYCPlotDataBase::PutRecord(int column, int row, const PointRecord& record)
{
    if (InCache(column, row))
        pointCache[KeyOf(column, row)] = record;
}

void XYCPlotDataBase::InsertPoint(int column, int row, const PointRecord& record)
{
    if (InCache(column, row))
        pointCache.try_emplace(KeyOf(column, row), record);
}

bool GlyphPlotData::GetGlyphs(double, double, int, int* count, const GlyphRecord** records)
{
    if (count)
        *count = 0;
    if (records)
        *records = nullptr;
    return false;
}

bool FunctionGlyphPlotData::GetFunctions(double, double, int, int* count, const FunctionRecord** records)
{
    if (count)
        *count = 0;
    if (records)
        *records = nullptr;
    return false;
}

} // namespace MGraph1
