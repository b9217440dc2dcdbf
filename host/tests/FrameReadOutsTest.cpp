// Pointing at a point of every graph view with a title line, as a person does, with all views open at the
// frame sizes researchers use: the title line reads the point out whole, inside the view, and says nothing
// once the pointer has moved away from every point or left the graph. A picture of each read-out is kept.
#include "host/app/files/TextConversion.h"
#include "host/tests/FrameGraphs.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>

namespace
{

// The class of a view's title line.
constexpr const wchar_t* TitleLineClass = L"OrvStaticText";
constexpr int CornerInset = 4;
// How near a point the pointer must be for the point to be read out.
constexpr int PickRadius = 20;
constexpr const wchar_t* PointedViews[] = {L"Loop View", L"Sistra PRSW GraphView",
                                           L"Sistra dP/dt Max versus EDV GraphView", L"Sistra PVA EDV View",
                                           L"Sistra PVA ESP View"};

class FrameReadOuts : public HostTests::FrameSessionFixture
{
protected:
    FrameReadOuts() : FrameSessionFixture("frame-read-outs.csv", HostTests::OcclusionText(24), {{}, true}) {}
};

// A screen point on a drawn point marker of the graph (pure reds: the plots' points, the loop view's
// end-systolic ones) where the pointer reaches the graph itself.
std::optional<POINT> PointOnAMarker(HWND graph)
{
    const Host::WindowImage image = Host::ReadWindowImage(graph);
    RECT place{};
    GetWindowRect(graph, &place);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            const DWORD pixel = image.pixels[static_cast<size_t>(y) * image.width + x];
            const POINT screen{place.left + x, place.top + y};
            if (((pixel >> 16) & 0xFF) >= 200 && (pixel & 0xFFFF) == 0 && WindowFromPoint(screen) == graph)
                return screen;
        }
    return std::nullopt;
}

// The frame moved sideways so that the window lies on the screen, where the pointer reaches it.
void BringOnScreen(HWND frame, HWND window)
{
    RECT place{}, outer{};
    GetWindowRect(window, &place);
    GetWindowRect(frame, &outer);
    const LONG overflow = place.right - GetSystemMetrics(SM_CXSCREEN);
    SetWindowPos(frame, nullptr, overflow > 0 ? outer.left - overflow : 0, outer.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every line of the title line's text fits it, in the font it writes in, and the line lies inside the part
// of the view that its tile shows.
void ExpectWhole(HWND title, HWND tile)
{
    RECT line{}, shown{}, common{};
    GetWindowRect(title, &line);
    GetClientRect(tile, &shown);
    MapWindowPoints(tile, nullptr, reinterpret_cast<POINT*>(&shown), 2);
    IntersectRect(&common, &line, &shown);
    EXPECT_TRUE(EqualRect(&common, &line)) << "the title line reaches out of its tile";
    HDC dc = GetDC(title);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(title, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    std::wistringstream text(HostTests::WindowText(title));
    int lines = 0;
    for (std::wstring each; std::getline(text, each); ++lines)
    {
        SIZE extent{};
        GetTextExtentPoint32W(dc, each.c_str(), static_cast<int>(each.size()), &extent);
        EXPECT_LE(extent.cx, line.right - line.left) << Host::ToUtf8(each);
    }
    EXPECT_LE(lines * metrics.tmHeight, line.bottom - line.top);
    SelectObject(dc, previous);
    ReleaseDC(title, dc);
}

// The read-out covers no control of its view but the strip it lies on, whose rectangle holds it whole.
void ExpectCoversNoControl(HWND title, HWND view)
{
    RECT line{};
    GetWindowRect(title, &line);
    HostTests::VisitChildren(view, [&](HWND other) {
        RECT place{}, common{};
        GetWindowRect(other, &place);
        const bool ground = IntersectRect(&common, &place, &line) && EqualRect(&common, &line);
        EXPECT_TRUE(other == title || !IsWindowVisible(other) || ground || !IntersectRect(&common, &place, &line))
            << "the read-out covers " << Host::ToUtf8(HostTests::ClassOf(other)) << " " << GetDlgCtrlID(other);
        return true;
    });
}

TEST_F(FrameReadOuts, APointedPointIsReadOutWholeAndTheReadOutGoesWhenThePointerLeavesIt)
{
    for (const SIZE size : {SIZE{1200, 900}, SIZE{1600, 1000}, SIZE{800, 600}})
    {
        const std::string sizeName = std::to_string(size.cx) + "x" + std::to_string(size.cy);
        MoveWindow(Frame().Handle(), 0, 0, size.cx, size.cy, TRUE);
        HostTests::Settle(Frame());
        for (const wchar_t* name : PointedViews)
        {
            SCOPED_TRACE(sizeName + " " + Host::ToUtf8(name));
            const Host::ViewFrame* view = Frame().FindView(name);
            ASSERT_TRUE(view);
            const HWND graph = HostTests::GraphOfView(view->ViewWindow());
            const HWND title = HostTests::FindVisibleChild(
                view->ViewWindow(), [](HWND child) { return HostTests::ClassOf(child) == TitleLineClass; });
            ASSERT_TRUE(graph && title);
            HostTests::ScrollIntoSight(Frame(), view->Frame());
            BringOnScreen(Frame().Handle(), view->Frame());
            HostTests::Settle(Frame());
            HostTests::ExpectEquationsWhole(graph, view->Frame());
            const std::optional<POINT> point = PointOnAMarker(graph);
            ASSERT_TRUE(point);
            HostTests::MovePointer(*point);
            EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return !HostTests::WindowText(title).empty(); }));
            ExpectWhole(title, view->Frame());
            ExpectCoversNoControl(title, view->ViewWindow());
            RECT shown{};
            GetWindowRect(title, &shown);
            EXPECT_NE(title, WindowFromPoint(HostTests::CentreOf(shown))) << "the read-out takes the pointer";
            std::wstring picture = L"frame-read-out-" + Host::FromUtf8(sizeName) + L"-" + name;
            std::replace(picture.begin(), picture.end(), L'/', L'-');
            HostTests::SaveTestPicture(view->Frame(), picture);
            // The plot's bottom right corner, a quarter of the plot away from the points, which the axes
            // range into its middle half: beyond the pick radius where the plot is large enough.
            RECT place{}, strip{};
            GetWindowRect(graph, &place);
            GetWindowRect(GetDlgItem(graph, HostTests::DomainStrip), &strip);
            if (place.right - place.left >= 6 * PickRadius && strip.top - place.top >= 6 * PickRadius)
            {
                HostTests::MovePointer(POINT{place.right - CornerInset, strip.top - CornerInset});
                EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return HostTests::WindowText(title).empty(); }));
                HostTests::MovePointer(*point);
                EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return !HostTests::WindowText(title).empty(); }));
            }
            POINT away{1, 1};
            ClientToScreen(view->ViewWindow(), &away);
            HostTests::MovePointer(away);
            EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return HostTests::WindowText(title).empty(); }));
        }
    }
}

} // namespace
