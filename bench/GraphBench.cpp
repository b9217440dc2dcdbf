// The loop view's worst picture: a family of 30 pressure-volume loops of 2,000 points each, drawn as
// joined markers into a 1,000 x 800 graph. A full redraw fetches every series again and renders the
// whole picture; a cached repaint of an unchanged graph is one block transfer plus the overlay. Prints
// frames per second of both and last the ratio of a cached repaint's time to a full redraw's (the
// target is below 0.1).
#include "graph/graph2d/Graph2DDrawer.h"
#include "graph/plotters/XYCPlotter.h"
#include "graph/tests/support/PlotFixtures.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{

constexpr int LoopCount = 30;
constexpr int PointsPerLoop = 2000;
constexpr int Width = 1000;
constexpr int Height = 800;
constexpr int FullFrames = 20;
constexpr int CachedFrames = 200;

struct Screen
{
    Screen()
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(info.bmiHeader), Width, -Height, 1, 32, BI_RGB};
        void* bits = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(dc, bitmap);
    }
    ~Screen()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

template <class Frame>
double SecondsPerFrame(int frames, Frame frame)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
        frame();
    GdiFlush();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
}

} // namespace

int main()
{
    MGraph1::Graph2DDrawer drawer;
    std::vector<std::unique_ptr<GraphTest::SeriesData>> loops;
    for (int i = 0; i < LoopCount; ++i)
    {
        auto loop = std::make_unique<GraphTest::SeriesData>();
        GraphTest::FillPvLoop(*loop, PointsPerLoop, -1.5 * i, 1.0 - 0.01 * i);
        loop->seriesFlags = MGraph1::SeriesFlags::Lines | MGraph1::SeriesFlags::Markers;
        loop->seriesColour = RGB(40 + 6 * i, 0, 200 - 6 * i);
        auto* plotter = new MGraph1::XYCPlotter;
        plotter->SetPlotData(loop.get(), 0, false);
        drawer.AddPlotter(plotter, true);
        loops.push_back(std::move(loop));
    }
    drawer.Layout(RECT{0, 0, Width, Height});
    drawer.SetDomain(-20.0, 160.0);
    drawer.SetRange(-30.0, 140.0);
    Screen screen;
    const RECT& rect = drawer.rect;

    const double full = SecondsPerFrame(FullFrames, [&] {
        for (auto& loop : loops)
            loop->SetModified(true);
        drawer.Draw(screen.dc, true, rect);
    });
    const double cached = SecondsPerFrame(CachedFrames, [&] { drawer.Draw(screen.dc, true, rect); });
    std::printf("graph %dx%d, %d loops of %d points\n", Width, Height, LoopCount, PointsPerLoop);
    std::printf("full redraw:    %8.1f frames/s\n", 1.0 / full);
    std::printf("cached repaint: %8.1f frames/s\n", 1.0 / cached);
    std::printf("cached repaint / full redraw time: %.4f\n", cached / full);
    drawer.RemoveAllPlotters();
    return 0;
}
