#include "graph/plotters/Plotter.h"

#include <cmath>
#include <utility>

namespace MGraph1
{

namespace
{
constexpr wchar_t DummyHint[] = L"Dummy hint";

bool PairDiffers(double aLow, double aHigh, double bLow, double bHigh)
{
    // != is true for NaN, so a NaN counts as a difference.
    return aLow != bLow || aHigh != bHigh;
}

int OutCode(double x, double y, const RECT& clip)
{
    int code = 0;
    if (x < clip.left)
        code |= 8;
    else if (x >= clip.right)
        code |= 4;
    if (y < clip.top)
        code |= 2;
    else if (y >= clip.bottom)
        code |= 1;
    return code;
}

// Every move puts a point onto an edge; more moves than this mean the input was not a number.
constexpr int MaxClipMoves = 8;
} // namespace

Plotter::~Plotter()
{
    if (ownsData)
        delete std::exchange(plotData, nullptr);
    ownsData = false;
}

int Plotter::SetPenStyle(int value)
{
    return std::exchange(penStyle, value);
}

void Plotter::SetPlotData(PlotData* data, int series, bool own)
{
    if (ownsData && plotData != data)
        delete plotData;
    ownsData = own;
    seriesId = series;
    plotData = data;
    OnPlotDataChanged();
}

bool Plotter::GetHint(HintRecord* out)
{
    if (!out)
        return false;
    out->text = DummyHint;
    return true;
}

void Plotter::PushDomain(PlotDataBase* data)
{
    if (data && domainLow < domainHigh && PairDiffers(data->domainLow, data->domainHigh, domainLow, domainHigh))
    {
        data->domainLow = domainLow;
        data->domainHigh = domainHigh;
        data->SetModified(true);
    }
}

void Plotter::PushRange(PlotDataBase* data)
{
    if (data && rangeLow < rangeHigh && PairDiffers(data->rangeLow, data->rangeHigh, rangeLow, rangeHigh))
    {
        data->rangeLow = rangeLow;
        data->rangeHigh = rangeHigh;
        data->SetModified(true);
    }
}

void Plotter::PushLimits(PlotDataBase* data)
{
    PushDomain(data);
    PushRange(data);
}

PlotPen::PlotPen(HDC dc, int style, float width, COLORREF colour)
    : m_dc(dc), m_style(style), m_width(static_cast<int>(width)), m_colour(colour),
      m_pen(CreatePen(style, m_width, colour)), m_previous(SelectObject(dc, m_pen))
{
}

PlotPen::~PlotPen()
{
    if (m_previous)
        SelectObject(m_dc, m_previous);
    if (m_pen)
        DeleteObject(m_pen);
}

void PlotPen::Use(COLORREF colour)
{
    if (colour == m_colour)
        return;
    HPEN pen = CreatePen(m_style, m_width, colour);
    SelectObject(m_dc, pen);
    if (m_pen)
        DeleteObject(m_pen);
    m_pen = pen;
    m_colour = colour;
}

bool ClipSegment(double& x0, double& y0, double& x1, double& y1, const RECT& clip)
{
    int code0 = OutCode(x0, y0, clip);
    int code1 = OutCode(x1, y1, clip);
    for (int moves = 0; moves <= MaxClipMoves; ++moves)
    {
        if ((code0 | code1) == 0)
            return true;
        if (code0 & code1)
            return false;
        const bool moveStart = code0 != 0;
        const int code = moveStart ? code0 : code1;
        double x = 0.0;
        double y = 0.0;
        if (code & 8)
        {
            x = clip.left;
            y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
        }
        else if (code & 4)
        {
            x = clip.right - 1;
            y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
        }
        else if (code & 2)
        {
            y = clip.top;
            x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
        }
        else
        {
            y = clip.bottom - 1;
            x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
        }
        if (moveStart)
        {
            x0 = x;
            y0 = y;
            code0 = OutCode(x0, y0, clip);
        }
        else
        {
            x1 = x;
            y1 = y;
            code1 = OutCode(x1, y1, clip);
        }
    }
    return false;
}

} // namespace MGraph1
