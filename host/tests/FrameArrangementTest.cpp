// The frame fills its views' area with the views a workflow step placed, keeping the step's rows and
// order, and gives the view the step is about the larger part of its row and column.
#include "host/app/gui/FrameArrangement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

using Host::PlacedShare;

constexpr RECT Area{240, 210, 1184, 842};

long AreaOf(const RECT& place)
{
    return (place.right - place.left) * (place.bottom - place.top);
}

// The places fill the area's width from its top down to where the lowest reaches, without overlap, and
// the focus is the largest.
void ExpectFilledAroundTheFocus(const std::vector<RECT>& places, const RECT& area, size_t focus, const std::string& label)
{
    long covered = 0, bottom = area.bottom;
    for (size_t i = 0; i < places.size(); ++i)
    {
        covered += AreaOf(places[i]);
        bottom = std::max(bottom, places[i].bottom);
        if (i != focus)
        {
            EXPECT_GT(AreaOf(places[focus]), AreaOf(places[i])) << label << " " << i;
        }
        for (size_t j = i + 1; j < places.size(); ++j)
        {
            RECT inside{};
            EXPECT_FALSE(IntersectRect(&inside, &places[i], &places[j])) << label << " " << i << " " << j;
        }
    }
    EXPECT_EQ(AreaOf(RECT{area.left, area.top, area.right, bottom}), covered) << label;
}

struct Arrangement
{
    const char* step;
    std::vector<PlacedShare> placed; // in percent, as the workflow places them
    size_t focus;                    // the index of the view the step is about
};

// The module's arrangements (its main data view left out: the frame keeps that above them).
const Arrangement Steps[] = {
    {"cuvette", {{0, 0, 100, 50, true}}, 0},
    {"saline", {{0, 0, 50, 60, true}, {50, 0, 100, 60}}, 0},
    {"analysis", {{0, 0, 100, 50}, {0, 50, 40, 100, true}}, 1},
    {"occlusion", {{0, 0, 33, 50}, {33, 0, 66, 50}, {66, 0, 100, 50}, {0, 50, 40, 100, true}}, 3},
    {"no focus", {{0, 0, 30, 100}, {30, 0, 100, 100}}, 1},
};

TEST(FrameArrangement, TheViewsFillTheAreaWithoutOverlapAndTheStepsViewIsTheLargest)
{
    for (const Arrangement& step : Steps)
    {
        std::vector<PlacedShare> shares = step.placed;
        for (PlacedShare& share : shares)
            share = {share.left / 100, share.top / 100, share.right / 100, share.bottom / 100, share.focus};
        const std::vector<RECT> places = Host::ArrangeInRows(shares, Area);
        ASSERT_EQ(shares.size(), places.size()) << step.step;
        long covered = 0;
        for (size_t i = 0; i < places.size(); ++i)
        {
            RECT inside{};
            EXPECT_TRUE(IntersectRect(&inside, &places[i], &Area) && EqualRect(&inside, &places[i])) << step.step << i;
            covered += AreaOf(places[i]);
            for (size_t j = i + 1; j < places.size(); ++j)
                EXPECT_FALSE(IntersectRect(&inside, &places[i], &places[j])) << step.step << i << j;
            if (i != step.focus)
            {
                EXPECT_GT(AreaOf(places[step.focus]), AreaOf(places[i])) << step.step << i;
            }
        }
        EXPECT_EQ(AreaOf(Area), covered) << step.step;
    }
}

// The document's rows and order stay: a view placed above another stays above it, one placed left of
// another in its row stays left of it.
TEST(FrameArrangement, TheDocumentsRowsAndOrderStay)
{
    const std::vector<PlacedShare> occlusion = {
        {0.66, 0, 1, 0.5}, {0, 0.5, 0.4, 1, true}, {0, 0, 0.33, 0.5}, {0.33, 0, 0.66, 0.5}};
    const std::vector<RECT> places = Host::ArrangeInRows(occlusion, Area);
    EXPECT_EQ(places[2].top, places[0].top);
    EXPECT_LT(places[2].left, places[3].left);
    EXPECT_LT(places[3].left, places[0].left);
    EXPECT_EQ(places[0].bottom, places[1].top);
    EXPECT_EQ(Area.right, places[0].right);
}

// Every view a step placed gets the least size it shows whole in: a row too narrow for its views beside
// each other goes on below (the area scrolls where it is too low for them). The areas are the frame's at
// 1600x1000, 1200x900, 1024x768 and 800x600 beside the workflow's panel, below the data view.
TEST(FrameArrangement, EveryPlacedViewGetsItsLeastSizeAndTheFocusStaysTheLargest)
{
    constexpr SIZE Loops{479, 265}, Saline{8, 27}, Plot{250, 200};
    const std::vector<PlacedShare> saline = {{0, 0, 0.5, 0.6, true, Saline}, {0.5, 0, 1, 0.6, false, Loops}};
    const std::vector<PlacedShare> occlusion = {{0, 0, 0.33, 0.5, false, Plot}, {0.33, 0, 0.66, 0.5, false, Plot},
                                                {0.66, 0, 1, 0.5, false, Plot}, {0, 0.5, 0.4, 1, true, Loops}};
    for (const RECT& area : {RECT{360, 240, 1600, 1000}, RECT{360, 200, 1200, 905}, RECT{307, 180, 1024, 740},
                             RECT{240, 150, 792, 580}})
        for (const auto& [name, step] : {std::pair{"saline", &saline}, std::pair{"occlusion", &occlusion}})
        {
            const std::string label = name + std::string(" in ") + std::to_string(area.right - area.left);
            const std::vector<RECT> places = Host::ArrangeInRows(*step, area);
            for (size_t i = 0; i < places.size(); ++i)
            {
                EXPECT_GE(places[i].right - places[i].left, (*step)[i].least.cx) << label << " " << i;
                EXPECT_GE(places[i].bottom - places[i].top, (*step)[i].least.cy) << label << " " << i;
                EXPECT_TRUE(places[i].left >= area.left && places[i].right <= area.right && places[i].top >= area.top)
                    << label << " " << i;
            }
            const auto focus = std::find_if(step->begin(), step->end(), [](const PlacedShare& view) { return view.focus; });
            ExpectFilledAroundTheFocus(places, area, static_cast<size_t>(focus - step->begin()), label);
        }
}

TEST(FrameArrangement, TheDataViewAboveTakesWhatItsLanesNeedWithinAFifthAndAThird)
{
    const std::pair<int, int> cases[] = {{100, 180}, {200, 200}, {400, 300}};
    for (const auto& [needed, height] : cases)
        EXPECT_EQ(height, Host::TopWindowHeight(900, needed)) << needed;
}

} // namespace

// Views nobody placed: the focus takes the largest tile and at least the least size it names, whatever
// the count and the area; the rows below it are at least usable and as wide as their views name, reaching
// below the area (which scrolls) where it is too small for that, and the views fill the area's width
// without overlap.
TEST(FrameArrangement, UnplacedViewsTileAroundTheFocusWhichGetsTheLargestTileAndItsLeastSize)
{
    constexpr SIZE Least{480, 260};
    const std::vector<int> wide{0, 0, 0, 341, 0, 0, 421, 0};
    const struct
    {
        size_t count;
        int focus, companion;
        RECT area;
        std::vector<int> leastWidths;
    } cases[] = {{8, 0, 7, {0, 0, 1184, 600}}, {8, 3, 1, {0, 0, 784, 390}}, {8, 2, 5, {0, 0, 1584, 740}},
                 {3, 1, -1, {0, 0, 784, 390}}, {2, 1, 0, {0, 0, 784, 390}}, {1, 0, -1, {0, 0, 600, 400}},
                 {8, 0, 7, {0, 0, 1184, 600}, wide}, {8, 0, 7, {0, 0, 784, 390}, wide}, {8, 0, 7, {0, 0, 1584, 740}, wide},
                 {3, 0, -1, {0, 0, 300, 390}, {0, 0, 421}}};
    for (const auto& c : cases)
    {
        const SIZE size{c.area.right - c.area.left, c.area.bottom - c.area.top};
        std::vector<PlacedShare> shares = Host::TiledShares(c.count, c.focus, c.companion, size, c.leastWidths);
        shares[static_cast<size_t>(c.focus)].least = Least;
        const std::vector<RECT> places = Host::ArrangeInRows(shares, c.area, Host::UsableTile.cy);
        ASSERT_EQ(c.count, places.size());
        const RECT& focus = places[static_cast<size_t>(c.focus)];
        EXPECT_GE(focus.right - focus.left, std::min(Least.cx, size.cx)) << c.count << " " << size.cx;
        EXPECT_GE(focus.bottom - focus.top, std::min(Least.cy, size.cy)) << c.count << " " << size.cx;
        EXPECT_LE(focus.bottom, c.area.bottom);
        for (size_t i = 0; i < places.size(); ++i)
            if (places[i].top >= focus.bottom)
            {
                const int least = i < c.leastWidths.size() ? std::max<int>(c.leastWidths[i], Host::UsableTile.cx) : Host::UsableTile.cx;
                EXPECT_GE(places[i].right - places[i].left, std::min<int>(least, size.cx)) << c.count << " " << size.cx << " " << i;
                EXPECT_GE(places[i].bottom - places[i].top, Host::UsableTile.cy) << c.count << " " << size.cx << " " << i;
            }
        ExpectFilledAroundTheFocus(places, c.area, static_cast<size_t>(c.focus),
                                   std::to_string(c.count) + " " + std::to_string(size.cx));
    }
}
