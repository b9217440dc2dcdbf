// Every view open and no workflow to arrange them, at the frame sizes researchers use: the loop view,
// the centre of the work, keeps the largest tile and is not scrolled, so its plot and its equations are
// whole (its least size holds them at their full size); the others keep a usable size, and where the frame
// is too small for that the views area scrolls to them, the loop view and the table in sight above them.
// A picture of each size is kept.
#include "host/app/files/TextConversion.h"
#include "host/app/gui/FrameArrangement.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <objidl.h>

#include <gdiplus.h>

#include <set>
#include <string>
#include <vector>

namespace
{

constexpr const wchar_t* LoopViewName = L"Loop View";

LONG TextWidth(const std::wstring& text)
{
    HDC dc = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

RECT PlaceOf(HWND window)
{
    RECT place{};
    GetWindowRect(window, &place);
    return place;
}

long AreaOf(HWND window)
{
    const RECT place = PlaceOf(window);
    return (place.right - place.left) * (place.bottom - place.top);
}

// The part of the screen the window's client area covers.
RECT ClientOnScreen(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

// Whether the window lies whole in the part of its parent's client area that shows.
bool WholeInSight(HWND window)
{
    const RECT place = PlaceOf(window), shown = ClientOnScreen(GetParent(window));
    RECT common{};
    return IntersectRect(&common, &place, &shown) && EqualRect(&common, &place);
}

// The shown windows under parent (at any depth) that do not lie whole in the part of the screen shown, by
// class and text.
void CollectCut(HWND parent, const RECT& shown, std::vector<std::string>& cut)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (!IsWindowVisible(child))
            continue;
        RECT place = PlaceOf(child), common{};
        if (!IntersectRect(&common, &place, &shown) || !EqualRect(&common, &place))
        {
            wchar_t name[64]{}, text[64]{};
            GetClassNameW(child, name, 64);
            GetWindowTextW(child, text, 64);
            cut.push_back(Host::ToUtf8(name) + " '" + Host::ToUtf8(text) + "' " + std::to_string(place.left) + "," +
                          std::to_string(place.top) + "," + std::to_string(place.right) + "," + std::to_string(place.bottom) +
                          " in " + std::to_string(shown.left) + "," + std::to_string(shown.top) + "," +
                          std::to_string(shown.right) + "," + std::to_string(shown.bottom));
        }
        CollectCut(child, shown, cut);
    }
}

// Which edges of a saved picture (top, left, right, bottom) are black from end to end: a part of the window
// that nobody drew.
std::string BlackEdges(const std::wstring& path)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    std::string black;
    {
        Gdiplus::Bitmap picture(path.c_str());
        const int width = static_cast<int>(picture.GetWidth()), height = static_cast<int>(picture.GetHeight());
        const auto allBlack = [&](int x, int y, int dx, int dy, int count) {
            Gdiplus::Color colour;
            for (int at = 0; at < count; ++at, x += dx, y += dy)
                if (picture.GetPixel(x, y, &colour) != Gdiplus::Ok || (colour.GetValue() & 0xFFFFFF) != 0)
                    return false;
            return true;
        };
        const struct
        {
            const char* name;
            int x, y, dx, dy, count;
        } edges[] = {{"top ", 0, 0, 1, 0, width}, {"left ", 0, 0, 0, 1, height}, {"right ", width - 1, 0, 0, 1, height},
                     {"bottom ", 0, height - 1, 1, 0, width}};
        for (const auto& edge : edges)
            if (width > 0 && height > 0 && allBlack(edge.x, edge.y, edge.dx, edge.dy, edge.count))
                black += edge.name;
    }
    Gdiplus::GdiplusShutdown(token);
    return black;
}

class FrameAllViews : public HostTests::FrameSessionFixture
{
protected:
    FrameAllViews() : FrameSessionFixture("frame-all-views.csv", HostTests::OcclusionText(24), {{}, true}) {}
};

TEST_F(FrameAllViews, TheLoopViewKeepsTheLargestTileUnscrolledAtEverySize)
{
    // The module's eight views: none is left out of the test.
    ASSERT_GE(Frame().Views().size(), 8u);
    // The frames too small for every view at its least size scroll their views area: at these sizes the
    // four regression plots with their equations whole, the saline and cuvette views need two rows below
    // the loops.
    const struct
    {
        SIZE size;
        bool areaScrolls;
    } sizes[] = {{{1200, 900}, true}, {{1600, 1000}, true}, {{800, 600}, true}};
    for (const auto& [size, areaScrolls] : sizes)
    {
        const std::string name = std::to_string(size.cx) + "x" + std::to_string(size.cy);
        SCOPED_TRACE(name);
        MoveWindow(Frame().Handle(), 0, 0, size.cx, size.cy, TRUE);
        HostTests::Settle(Frame());
        HostTests::SaveTestPicture(Frame().Handle(), L"frame-all-views-" + Host::FromUtf8(name));
        // The picture shows the frame as the display does: not the caption and borders a window manager
        // would draw, which the frame's own pixels leave black.
        EXPECT_EQ("", BlackEdges(HostTests::TestPicturePath(L"frame-all-views-" + Host::FromUtf8(name))));
        const Host::ViewFrame* loops = Frame().FindView(LoopViewName);
        ASSERT_NE(nullptr, loops);
        EXPECT_EQ(0, GetWindowLongW(loops->Frame(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) << "scrolled";
        // The loop view and the table lie whole in sight, above the views the area scrolls to.
        const HWND area = GetParent(loops->Frame());
        EXPECT_EQ(areaScrolls, (GetWindowLongW(area, GWL_STYLE) & WS_VSCROLL) != 0);
        // The pictures show the area's scroll bar as the display does: drawn, not a black strip.
        if (areaScrolls)
        {
            const RECT frame = PlaceOf(Frame().Handle()), bar = PlaceOf(area);
            EXPECT_EQ(0u, HostTests::BlackPixelsIn(Frame().Handle(), RECT{bar.right - GetSystemMetrics(SM_CXVSCROLL) - frame.left,
                                                                         bar.top - frame.top, bar.right - frame.left,
                                                                         bar.bottom - frame.top}));
        }
        for (const wchar_t* whole : {LoopViewName, L"Sistra Hemodynamics TableView"})
            EXPECT_TRUE(WholeInSight(Frame().FindView(whole)->Frame())) << Host::ToUtf8(whole);
        // The table's four buttons lie whole in the sight of its frame.
        const Host::ViewFrame* table = Frame().FindView(L"Sistra Hemodynamics TableView");
        const RECT tableShown = ClientOnScreen(table->Frame());
        int buttons = 0;
        for (HWND child = GetWindow(table->ViewWindow(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        {
            wchar_t className[32]{};
            GetClassNameW(child, className, 32);
            RECT place = PlaceOf(child), common{};
            if (CompareStringOrdinal(className, -1, L"Button", -1, TRUE) == CSTR_EQUAL && ++buttons)
            {
                EXPECT_TRUE(IntersectRect(&common, &place, &tableShown) && EqualRect(&common, &place)) << buttons;
            }
        }
        EXPECT_EQ(4, buttons);
        for (const auto& view : Frame().Views())
        {
            SCOPED_TRACE(Host::ToUtf8(view->ClassName()));
            const RECT place = PlaceOf(view->Frame());
            // Every view gets the size it lays its controls out whole in: none scrolls in its tile.
            EXPECT_EQ(0, GetWindowLongW(view->Frame(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) << "scrolled";
            std::vector<std::string> cut;
            CollectCut(view->ViewWindow(), ClientOnScreen(view->Frame()), cut);
            EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
            if (view.get() != loops)
            {
                EXPECT_GT(AreaOf(loops->Frame()), AreaOf(view->Frame()));
            }
            if (place.top > PlaceOf(loops->Frame()).top)
            {
                EXPECT_GE(place.right - place.left, Host::UsableTile.cx);
                EXPECT_GE(place.bottom - place.top, Host::UsableTile.cy);
            }
            for (const auto& other : Frame().Views())
            {
                RECT common{}, otherPlace = PlaceOf(other->Frame());
                EXPECT_TRUE(other == view || !IntersectRect(&common, &place, &otherPlace)) << "overlaps";
            }
        }
        // The data view's lanes keep their titles whole ("LV Pressure (mmHg)", not "LV Press..."), left
        // of the traces. A lane's first text is its title.
        std::set<int32_t> titled;
        for (const auto& label : session->Trace().Labels())
            if (titled.insert(label.channel).second)
            {
                EXPECT_LE(TextWidth(label.text), label.place.right - label.place.left) << Host::ToUtf8(label.text);
                EXPECT_LE(label.place.right, session->Trace().TraceArea().left) << Host::ToUtf8(label.text);
            }
        EXPECT_EQ(3u, titled.size());
        // A picture of the views the area scrolls to.
        if (areaScrolls)
        {
            SendMessageW(area, WM_VSCROLL, SB_BOTTOM, 0);
            HostTests::Settle(Frame());
            HostTests::SaveTestPicture(Frame().Handle(), L"frame-all-views-" + Host::FromUtf8(name) + L"-below");
            SendMessageW(area, WM_VSCROLL, SB_TOP, 0);
        }
    }
    // At the smallest size a plot out of sight that the person asks for from the menu is scrolled to.
    const Host::ViewFrame* asked = Frame().FindView(L"Sistra PVA ESP View");
    ASSERT_TRUE(asked && !WholeInSight(asked->Frame()));
    ASSERT_TRUE(Frame().ChooseCommand(L"Sistra^EXTENSION|SistraPvaEsp^PLOTS"));
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return WholeInSight(asked->Frame()); }));
}

} // namespace
