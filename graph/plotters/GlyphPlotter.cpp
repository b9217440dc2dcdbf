#include "graph/plotters/GlyphPlotter.h"

#include "foundation/system/GdiObjects.h"
#include "foundation/system/ShellDlgFont.h"

#include <algorithm>
#include <cmath>

namespace MGraph1
{

namespace
{
// The pen colour a paint starts with, so that the first glyph of any colour but this makes its pen.
constexpr COLORREF StartPenColour = 0xFFFF00;
constexpr int LineLabelPoints = 9;
constexpr int CornerLabelPoints = 10;
constexpr int LeastCornerLabelPoints = 6;
constexpr int ReadableCornerLabelPoints = 8;
constexpr int VerticalEscapement = 900;
constexpr int LineLabelInset = 2;
constexpr int VerticalLabelLift = 5;
constexpr int CornerInset = 5;
constexpr COLORREF PlotBackground = RGB(255, 255, 255);
constexpr double PointsPerInch = 72.0;
constexpr double SampleLinePoints = 16.0;
constexpr double SampleGapPoints = 2.0;
constexpr POINT ArrowShape[] = {{0, 10}, {5, 5}, {3, 5}, {3, 0}, {-3, 0}, {-3, 5}, {-5, 5}, {0, 10}};

void WriteText(HDC dc, int x, int y, const std::wstring& text, int points, int escapement, UINT align)
{
    const Orv::UniqueFont font = ConstructShellDlgFont(dc, points, escapement);
    const OWL::SelectedObject selected(dc, font.Get());
    SetTextAlign(dc, align);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

int TextWidth(HDC measure, const std::vector<std::wstring>& lines, int points)
{
    const Orv::UniqueFont font = ConstructShellDlgFont(measure, points, 0);
    const OWL::SelectedObject measured(measure, font.Get());
    int widest = 0;
    for (const std::wstring& line : lines)
    {
        SIZE extent{};
        GetTextExtentPoint32W(measure, line.c_str(), static_cast<int>(line.size()), &extent);
        widest = std::max<int>(widest, extent.cx);
    }
    return widest;
}

// "a, b, c" as "a, b" over "c": the fit's figures stay together on the first line.
std::vector<std::wstring> BrokenAtLastComma(const std::wstring& label)
{
    const size_t comma = label.rfind(L", ");
    if (comma == std::wstring::npos)
        return {label};
    return {label.substr(0, comma), label.substr(comma + 2)};
}

void Line(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}
} // namespace

int CornerLabelRoom(HDC measure, const std::wstring& label)
{
    return 2 * CornerInset + TextWidth(measure, {label}, CornerLabelPoints);
}

int ShortestCornerLabelRoom(HDC measure, const std::wstring& label)
{
    return 2 * CornerInset + TextWidth(measure, BrokenAtLastComma(label), ReadableCornerLabelPoints);
}

int ReadableTextWidth(HDC measure, const std::wstring& text)
{
    return TextWidth(measure, {text}, ReadableCornerLabelPoints);
}

GlyphPaintState::GlyphPaintState(HDC dc, int rasterOp, int penStyle, float penWidth)
    : m_stockPen(dc, GetStockObject(BLACK_PEN)), m_stockBrush(dc, GetStockObject(BLACK_BRUSH)), m_mix(dc, rasterOp),
      m_fill(dc, WINDING), m_pen(dc, penStyle, penWidth, StartPenColour)
{
}

void GlyphPlotter::OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT)
{
    GlyphPaintState state(dc, rasterOp, penStyle, penWidth);
    auto* data = dynamic_cast<GlyphPlotData*>(plotData);
    int count = 0;
    const GlyphRecord* glyphs = nullptr;
    if (!data || !data->GetGlyphs(domainLow, domainHigh, seriesId, &count, &glyphs) || count <= 0 || !glyphs)
        return;
    // A corner label keeps clear of the vertical lines drawn with it, which would otherwise run through it.
    std::vector<int> columns;
    for (int i = 0; i < count; ++i)
        if (glyphs[i].kind == GlyphKind::VerticalLine)
            columns.push_back(static_cast<int>(ValueToPixel(*xTransform, glyphs[i].x0, plotRect.left)));
    std::sort(columns.begin(), columns.end());
    for (int i = 0; i < count; ++i)
    {
        state.Pen().Use(glyphs[i].colour);
        DrawGlyph(dc, attributeDc, plotRect, glyphs[i], columns);
    }
}

void GlyphPlotter::DrawGlyph(HDC dc, HDC attributeDc, const RECT& plot, const GlyphRecord& glyph,
                             const std::vector<int>& verticalLines) const
{
    const double px = ValueToPixel(*xTransform, glyph.x0, plot.left);
    const double py = ValueToPixel(*yTransform, glyph.y0, plot.top);
    const double px1 = ValueToPixel(*xTransform, glyph.x1, plot.left);
    const double py1 = ValueToPixel(*yTransform, glyph.y1, plot.top);
    const auto L = plot.left, T = plot.top, R = plot.right, B = plot.bottom;
    const bool hasLabel = !glyph.label.empty();
    switch (glyph.kind)
    {
    case GlyphKind::TopArrow:
        if (L < px && px < R)
        {
            POINT arrow[std::size(ArrowShape)];
            for (size_t i = 0; i < std::size(ArrowShape); ++i)
                arrow[i] = {static_cast<LONG>(px) + ArrowShape[i].x, T + ArrowShape[i].y};
            Polygon(dc, arrow, static_cast<int>(std::size(arrow)));
        }
        break;
    case GlyphKind::HorizontalLine:
        if (T < py && py < B)
        {
            Line(dc, L, static_cast<int>(py), R, static_cast<int>(py));
            if (hasLabel)
                WriteText(dc, L + LineLabelInset, static_cast<int>(py), glyph.label, LineLabelPoints, 0, TA_BOTTOM);
        }
        break;
    case GlyphKind::VerticalLine:
        if (L < px && px < R)
        {
            Line(dc, static_cast<int>(px), T, static_cast<int>(px), B);
            if (hasLabel)
                WriteText(dc, static_cast<int>(px), B - VerticalLabelLift, glyph.label, LineLabelPoints,
                          VerticalEscapement, TA_BOTTOM);
        }
        break;
    case GlyphKind::HorizontalSegment:
    {
        // The segment is drawn whenever some of it lies across the plot, also when both of its ends
        // lie outside, one on either side.
        const double left = std::min(px, px1);
        const double right = std::max(px, px1);
        if (T < py && py < B && left < R && right > L)
        {
            const int start = static_cast<int>(std::max<double>(L, left));
            Line(dc, start, static_cast<int>(py), static_cast<int>(std::min<double>(right, R)), static_cast<int>(py));
            if (hasLabel)
                WriteText(dc, start + LineLabelInset, static_cast<int>(py), glyph.label, LineLabelPoints, 0, TA_BOTTOM);
        }
        break;
    }
    case GlyphKind::Segment:
    {
        // A segment without ends (a relation that did not fit) is its label alone.
        const bool endless = !std::isfinite(glyph.x0) || !std::isfinite(glyph.y0) || !std::isfinite(glyph.x1) ||
                             !std::isfinite(glyph.y1);
        double x0 = px, y0 = py, x1 = px1, y1 = py1;
        const bool crosses = !endless && ClipSegment(x0, y0, x1, y1, plot);
        if (crosses)
            Line(dc, static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1));
        if (hasLabel && (crosses || endless))
            WriteCornerLabel(dc, attributeDc, plot, glyph.label, glyph.legendSample && crosses, verticalLines);
        break;
    }
    default:
        break;
    }
}

void GlyphPlotter::WriteCornerLabel(HDC dc, HDC attributeDc, const RECT& plot, const std::wstring& label,
                                    bool sample, const std::vector<int>& verticalLines) const
{
    HDC measure = attributeDc ? attributeDc : dc;
    const double pixelsPerPointY = GetDeviceCaps(measure, LOGPIXELSY) / PointsPerInch;
    const double fx = GetDeviceCaps(measure, LOGPIXELSX) / PointsPerInch;
    const int dy = static_cast<int>(labelOffsetYPt * pixelsPerPointY);
    int textOffset = labelOffsetX;
    if (sample)
    {
        const int y = static_cast<int>(plot.top + 1 + dy + pixelsPerPointY * CornerLabelPoints * 0.5);
        const int sampleEnd = static_cast<int>(fx * SampleLinePoints + labelOffsetX);
        Line(dc, plot.left + CornerInset + labelOffsetX, y, plot.left + CornerInset + sampleEnd, y);
        textOffset = static_cast<int>(fx * SampleGapPoints + sampleEnd);
    }
    int left = plot.left + CornerInset + textOffset;
    const int width = TextWidth(measure, {label}, CornerLabelPoints);
    for (int column : verticalLines)
        if (left - LineLabelInset <= column && column <= left + width + LineLabelInset)
            left = column + CornerInset;
    // A plot narrower than its equation writes it on two lines where it may, then in a smaller font, rather
    // than cutting it off; one too narrow for the smallest leaves it out, as a number cut short reads as
    // another number. It keeps as much white from the plot's right edge, the view's own, as from its left.
    const int room = plot.right - CornerInset - left;
    const std::vector<std::wstring> lines = breakWideLabel && width > room ? BrokenAtLastComma(label)
                                                                           : std::vector<std::wstring>{label};
    int points = CornerLabelPoints;
    while (points > LeastCornerLabelPoints && TextWidth(measure, lines, points) > room)
        --points;
    if (TextWidth(measure, lines, points) > room)
        return;
    const Orv::UniqueFont font = ConstructShellDlgFont(dc, points, 0);
    const OWL::SelectedObject selected(dc, font.Get());
    SetTextAlign(dc, useTextAlign ? textAlign : 0);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The equation lies on a band of the plot's own white: the points and lines drawn before it, the
    // relation's own line among them, would otherwise run through its digits.
    const Orv::BackgroundMode band(dc, OPAQUE);
    const COLORREF previousBack = SetBkColor(dc, PlotBackground);
    for (size_t i = 0; i < lines.size(); ++i)
        TextOutW(dc, left, plot.top + 1 + dy + static_cast<int>(i) * metrics.tmHeight, lines[i].c_str(),
                 static_cast<int>(lines[i].size()));
    SetBkColor(dc, previousBack);
}

} // namespace MGraph1
