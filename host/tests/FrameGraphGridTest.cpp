// Every graph view draws its grid as a host nobody configured shows it: dotted lines in the light blue of the
// host's first grid colour across the plot, one at each tick of either axis and nowhere else. The host once
// kept no trace-display preferences, and a grid whose shown flag cannot be read is hidden.
#include "host/app/gui/WindowPicture.h"
#include "host/tests/FrameGraphs.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

constexpr DWORD GridColour = 0xAFAFFF; // RGB(175, 175, 255) as the picture holds it, 0x00RRGGBB
constexpr DWORD TickColour = 0x000000;
// A tick of a strip is this long, from the strip's edge at the plot.
constexpr int TickLength = 5;
// A grid line shows the grid's colour on more than this share of its length.
constexpr int GridShareDivisor = 8;

class FrameGraphGrid : public HostTests::FrameSessionFixture
{
protected:
    FrameGraphGrid() : FrameSessionFixture("frame-graph-grid.csv", HostTests::OcclusionText(16), Host::OpenOptions{{}, true})
    {
    }
};

// A graph window's picture with the places of its two strips in it.
struct GraphPicture
{
    Host::WindowImage image;
    RECT domain{};
    RECT range{};

    DWORD At(int x, int y) const { return image.pixels[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF; }
    bool IsTick(int x, int y) const { return At(x, y) == TickColour; }
};

GraphPicture PictureOf(HWND graph)
{
    GraphPicture picture{Host::ReadWindowImage(graph)};
    RECT place{};
    GetWindowRect(graph, &place);
    for (auto [strip, rect] : {std::pair{HostTests::DomainStrip, &picture.domain}, std::pair{HostTests::RangeStrip, &picture.range}})
    {
        GetWindowRect(GetDlgItem(graph, strip), rect);
        OffsetRect(rect, -place.left, -place.top);
    }
    return picture;
}

// The x of the horizontal axis' ticks: short lines down from the strip's top edge.
std::vector<int> DomainTicks(const GraphPicture& p)
{
    std::vector<int> ticks;
    for (int x = p.domain.left; x < p.domain.right; ++x)
    {
        bool tick = true;
        for (int y = p.domain.top; y < p.domain.top + TickLength; ++y)
            tick = tick && p.IsTick(x, y);
        if (tick)
            ticks.push_back(x);
    }
    return ticks;
}

// The y of the vertical axis' ticks: short lines left from the strip's right edge.
std::vector<int> RangeTicks(const GraphPicture& p)
{
    std::vector<int> ticks;
    for (int y = p.range.top; y < p.range.bottom; ++y)
    {
        bool tick = true;
        for (int x = p.range.right - TickLength; x < p.range.right; ++x)
            tick = tick && p.IsTick(x, y);
        if (tick)
            ticks.push_back(y);
    }
    return ticks;
}

// The plot: above the horizontal strip and right of the vertical one.
RECT PlotOf(const GraphPicture& p)
{
    return {p.domain.left, p.range.top, p.domain.right, p.range.bottom};
}

// How many pixels along a column (or row) of the plot have the colour, leaving out those at skipped
// places across it.
int CountAlong(const GraphPicture& p, bool column, int across, DWORD colour, const std::vector<int>& skipped = {})
{
    const RECT plot = PlotOf(p);
    int count = 0;
    for (int along = column ? plot.top : plot.left; along < (column ? plot.bottom : plot.right); ++along)
        if (std::find(skipped.begin(), skipped.end(), along) == skipped.end())
            count += (column ? p.At(across, along) : p.At(along, across)) == colour;
    return count;
}

// The columns (or rows) of the plot that the grid's colour runs along, where it does not cross the lines
// of the other axis' ticks: a dotted line inks about every other pixel, text drawn over it hides some.
std::vector<int> GridLines(const GraphPicture& p, bool columns, const std::vector<int>& crossings)
{
    const RECT plot = PlotOf(p);
    const int length = columns ? plot.bottom - plot.top : plot.right - plot.left;
    std::vector<int> lines;
    for (int across = columns ? plot.left : plot.top; across < (columns ? plot.right : plot.bottom); ++across)
        if (CountAlong(p, columns, across, GridColour, crossings) > length / GridShareDivisor)
            lines.push_back(across);
    return lines;
}

// The ticks whose grid line an axis line does not cover: the axes are drawn along the plot's edges, over
// the grid.
std::vector<int> UncoveredTicks(const GraphPicture& p, bool columns, std::vector<int> ticks)
{
    const RECT plot = PlotOf(p);
    const int length = columns ? plot.bottom - plot.top : plot.right - plot.left;
    std::erase_if(ticks, [&](int tick) { return CountAlong(p, columns, tick, TickColour) > length / 2; });
    return ticks;
}

TEST_F(FrameGraphGrid, EveryGraphViewDrawsItsGridAtItsAxesTicks)
{
    for (const wchar_t* name : HostTests::GraphViews)
    {
        const std::string view = Host::ToUtf8(name);
        const Host::ViewFrame* frame = Frame().FindView(name);
        ASSERT_TRUE(frame) << view;
        const HWND graph = HostTests::GraphOfView(frame->ViewWindow());
        ASSERT_TRUE(graph) << view;
        HostTests::ScrollIntoSight(Frame(), frame->Frame());
        HostTests::Settle(Frame());
        const GraphPicture picture = PictureOf(graph);
        const std::vector<int> xTicks = DomainTicks(picture), yTicks = RangeTicks(picture);
        EXPECT_GE(xTicks.size(), 2u) << view;
        EXPECT_GE(yTicks.size(), 2u) << view;
        EXPECT_EQ(UncoveredTicks(picture, true, xTicks), GridLines(picture, true, yTicks)) << view;
        EXPECT_EQ(UncoveredTicks(picture, false, yTicks), GridLines(picture, false, xTicks)) << view;
    }
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-graph-grid");
}

} // namespace
