// The hemodynamics table printed from the frame after a person widened its SW column by dragging the
// title's right border: a column too wide to print beside the row labels prints whole on a page of its
// own, and one wider than the page never prints under the labels or past the page's edge.
#include "host/app/gui/ViewOutput.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/PrintedPagePixels.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr const wchar_t* TableViewName = L"Sistra Hemodynamics TableView";
constexpr int Margin = Vyr::PrintService::Margin;
constexpr int PageRight = Vyr::PrintService::PageWidth - Margin;
constexpr int PrintableWidth = PageRight - Margin;
// A column title's outline is a line of ink at least this tall; a row label's box, one row high, is
// shorter but taller than a digit, and its sides stand at the same x on at least LabelRows rows.
constexpr int OutlineRun = 24;
constexpr int LabelSideRun = 14;
constexpr int LabelRows = 3;
// Inside a title's outline, clear of its lines.
constexpr int TitleInset = 3;

// A vertical line of ink on a printed page.
struct InkLine
{
    int x;
    int top;
    int length;
};

std::vector<InkLine> VerticalLines(const Host::WindowImage& page, int shortest)
{
    std::vector<InkLine> lines;
    for (int x = 0; x < page.width; ++x)
        for (int y = 0, run = 0; y <= page.height; ++y)
        {
            if (y < page.height && HostTests::IsInk(page, x, y))
                ++run;
            else if (const int length = std::exchange(run, 0); length >= shortest)
                lines.push_back({x, y - length, length});
        }
    return lines;
}

// A band of a printed page, as its ink shows it: a row of column titles from top, the x of their
// outlines' sides, and under them, down to the next band, the x of the sides of the row labels' boxes
// (none beside columns printed without labels) with the top of the first box.
struct Band
{
    int top = 0;
    int bottom = 0;
    std::vector<int> titleSides;
    std::vector<int> labelSides;
    int labelsTop = 0;
};

std::vector<Band> BandsOf(const Host::WindowImage& page)
{
    const std::vector<InkLine> lines = VerticalLines(page, LabelSideRun);
    std::vector<Band> bands;
    for (const InkLine& line : lines)
        if (line.length >= OutlineRun)
        {
            auto band = std::find_if(bands.begin(), bands.end(), [&](const Band& b) { return b.top == line.top; });
            if (band == bands.end())
                band = bands.insert(bands.end(), Band{line.top, page.height});
            band->titleSides.push_back(line.x);
        }
    std::sort(bands.begin(), bands.end(), [](const Band& a, const Band& b) { return a.top < b.top; });
    for (size_t band = 0; band + 1 < bands.size(); ++band)
        bands[band].bottom = bands[band + 1].top;
    for (Band& band : bands)
        for (const InkLine& line : lines)
        {
            const auto sameSide = [&](const InkLine& other) {
                return other.x == line.x && other.length == line.length && other.top >= band.top && other.top < band.bottom;
            };
            if (line.length < OutlineRun && sameSide(line) && std::count_if(lines.begin(), lines.end(), sameSide) >= LabelRows &&
                std::find(band.labelSides.begin(), band.labelSides.end(), line.x) == band.labelSides.end())
            {
                band.labelsTop = band.labelSides.empty() ? line.top : std::min(band.labelsTop, line.top);
                band.labelSides.push_back(line.x);
            }
        }
    return bands;
}

std::string Describe(const Band& band)
{
    std::string text = "band at " + std::to_string(band.top) + ": titles at";
    for (int x : band.titleSides)
        text += " " + std::to_string(x);
    text += ", labels at";
    for (int x : band.labelSides)
        text += " " + std::to_string(x);
    return text;
}

class FrameTablePrintout : public HostTests::FrameSessionFixture
{
protected:
    FrameTablePrintout()
        : FrameSessionFixture("frame-table-printout.csv", HostTests::OcclusionText(16), Host::OpenOptions{{}, true})
    {
    }

    void SetUp() override
    {
        FrameSessionFixture::SetUp();
        // The table alone in the frame's views area, at its left: room on the screen to drag its first
        // column wider than a page. A button let go outside the frame is lost to the window that holds
        // the mouse.
        Frame().CloseViews();
        const std::wstring item = L"&Hemodynamics Table";
        ASSERT_EQ(item, HostTests::ChooseMenuItem(Frame(), L"Sistra", [&](const std::wstring& text) { return text == item; }));
        Host::ViewFrame* table = nullptr;
        ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return (table = Frame().FindView(TableViewName)) != nullptr; }));
        const HWND pane = HostTests::TopmostChildOfClass(table->ViewWindow(), L"GridPane");
        ASSERT_NE(nullptr, pane);
        RECT place{};
        GetWindowRect(pane, &place);
        titleBar = WindowFromPoint({place.left + 8, place.top - 4});
        ASSERT_NE(nullptr, titleBar);
    }

    // Whether the pointer, moved to point, shows the sizing arrows: it does over a column border.
    bool ArrowsAt(POINT point)
    {
        HostTests::MovePointerUntilTaken(Frame(), point);
        CURSORINFO pointer{sizeof pointer};
        return GetCursorInfo(&pointer) && pointer.hCursor == LoadCursorW(nullptr, IDC_SIZEWE);
    }

    // The first column border of the title bar on the screen, found as a person finds it: the pointer,
    // moved along the bar's middle from its left end, shows the sizing arrows within a few pixels either
    // side of it. Nothing when it never does.
    std::optional<POINT> FirstBorder()
    {
        RECT bar{};
        GetWindowRect(titleBar, &bar);
        const int middle = (bar.top + bar.bottom) / 2;
        std::optional<int> from;
        for (int x = bar.left; x < bar.right; ++x)
        {
            const bool arrows = ArrowsAt({x, middle});
            if (arrows && !from)
                from = x;
            else if (!arrows && from)
                return POINT{(*from + x - 1) / 2, middle};
        }
        return std::nullopt;
    }

    // Drags the SW column's right border, the first, until the column is width wide: the column starts at
    // the bar's left edge, and a dragged border ends where it is let go, off the window if need be. The
    // border has left its place once the pointer shows no arrows there.
    void WidenTheSwColumnTo(int width)
    {
        const std::optional<POINT> border = FirstBorder();
        ASSERT_TRUE(border) << "the pointer never showed the sizing arrows over the title bar";
        RECT bar{};
        GetWindowRect(titleBar, &bar);
        ASSERT_TRUE(HostTests::InputUntil(
            Frame(), [&] { HostTests::DragFromTo(*border, {bar.left + width, border->y}); },
            [&] { return !ArrowsAt(*border); }));
        HostTests::SaveTestPicture(Frame().Handle(), L"frame-table-printout-widened-" + std::to_wstring(width));
    }

    // File > Print, which names the active view, the table, chosen as a person chooses it, the pages
    // saved under name; the pages printed.
    Host::PrintedPages Print(const std::wstring& name)
    {
        const ULONG jobs = Host::PrintJobCount(opened->StandIn());
        opened->StandIn().ScriptSaveFileAnswer(HostTests::TestPicturePath(name).c_str());
        const std::wstring item = L"Print Sistra Hemodynamics Table";
        EXPECT_EQ(item, HostTests::ChooseMenuItem(Frame(), L"File", [&](const std::wstring& text) { return text == item; }));
        return Host::PrintedSince(opened->StandIn(), jobs);
    }

    HWND titleBar = nullptr;
};

// Widened past the room beside the row labels, the SW column prints on a band of its own without them, from
// the left margin, whole: its title's outline as wide as the column on the screen, its numbers inside it,
// nothing beside it; every other band names its rows. With labels on every band it ran off the page.
TEST_F(FrameTablePrintout, AColumnTooWideForTheRoomBesideTheLabelsPrintsWholeOnAPageOfItsOwn)
{
    constexpr int Width = PrintableWidth - 4;
    WidenTheSwColumnTo(Width);
    const Host::PrintedPages printed = Print(L"frame-table-printout-own-page");
    ASSERT_FALSE(printed.pages.empty());
    int own = 0;
    for (size_t page = 0; page < printed.pages.size(); ++page)
    {
        const Host::WindowImage pixels = HostTests::PagePixels(printed.pages[page].get());
        for (const Band& band : BandsOf(pixels))
        {
            const bool swBand = band.titleSides.front() == Margin;
            EXPECT_EQ(swBand, band.labelSides.empty()) << "page " << page + 1 << ", " << Describe(band);
            if (!swBand)
                continue;
            ++own;
            EXPECT_EQ((std::vector<int>{Margin, Margin + Width - 1}), band.titleSides) << "page " << page + 1;
            constexpr int TitleHeight = OutlineRun;
            EXPECT_GT(HostTests::InkIn(pixels, {Margin + 1, band.top + TitleHeight, Margin + Width - 1, band.bottom}), 0u)
                << "no numbers, page " << page + 1;
            // Beyond the column's separator.
            EXPECT_EQ(0u, HostTests::InkIn(pixels, {Margin + Width + 1, band.top, Vyr::PrintService::PageWidth, band.bottom}))
                << "page " << page + 1;
        }
    }
    // One for the loops' grid, one for their summary's.
    EXPECT_EQ(2, own);
}

// Widened past the page, the SW column prints beside the row labels, cut at the page's edge: no ink in the
// right margin, and none above the labels, where the labels' column has no title. It began on a page of
// its own under the labels, its title's lines across their header. Every band starts with a column that
// shows its title: the SW column's rest, an empty box without one, began the next band, the SV column
// standing alone at its far right.
TEST_F(FrameTablePrintout, AColumnWiderThanThePageIsCutAtThePagesEdgeAndNeverDrawnUnderTheLabels)
{
    constexpr int Width = PrintableWidth + 60;
    WidenTheSwColumnTo(Width);
    const Host::PrintedPages printed = Print(L"frame-table-printout-wide");
    ASSERT_GT(printed.pages.size(), 1u);
    constexpr RECT RightMargin{PageRight + 1, 0, Vyr::PrintService::PageWidth, Vyr::PrintService::PageHeight};
    for (size_t page = 0; page < printed.pages.size(); ++page)
    {
        const Host::WindowImage pixels = HostTests::PagePixels(printed.pages[page].get());
        EXPECT_EQ(0u, HostTests::InkIn(pixels, RightMargin)) << "page " << page + 1;
        for (const Band& band : BandsOf(pixels))
        {
            ASSERT_FALSE(band.labelSides.empty()) << "page " << page + 1 << ", " << Describe(band);
            const int labelsRight = *std::max_element(band.labelSides.begin(), band.labelSides.end());
            EXPECT_EQ(0u, HostTests::InkIn(pixels, {Margin, band.top, labelsRight, band.labelsTop}))
                << "page " << page + 1 << ", " << Describe(band);
            // A column cut at the page's edge has no right side on the page.
            const int firstRight = band.titleSides.size() > 1 ? band.titleSides[1] : PageRight;
            const RECT firstTitle{band.titleSides[0] + TitleInset, band.top + TitleInset, firstRight - TitleInset,
                                  band.top + OutlineRun - TitleInset};
            EXPECT_GT(HostTests::InkIn(pixels, firstTitle), 0u) << "page " << page + 1 << ", " << Describe(band);
        }
    }
}

} // namespace
