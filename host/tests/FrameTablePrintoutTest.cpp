// The hemodynamics table printed from the frame after a person widened a column by dragging its title's
// right border: a column too wide to print beside the row labels prints whole on a page of its own, and
// one wider than the page is cut at the page's edge and never drawn under the labels.
#include "host/app/gui/ViewOutput.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/PrintedPagePixels.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace
{

constexpr const wchar_t* TableViewName = L"Sistra Hemodynamics TableView";
constexpr int Margin = Vyr::PrintService::Margin;
constexpr int PrintableWidth = Vyr::PrintService::PageWidth - 2 * Margin;
// A title's outline is a line of ink at least this tall; a row label's box is shorter.
constexpr int OutlineRun = 24;

// The x of the window's column borders: lines of dark pixels from the top of the window to its foot.
std::vector<int> ColumnBorders(HWND titleBar)
{
    const Host::WindowImage image = Host::ReadWindowImage(titleBar);
    std::vector<int> borders;
    for (int x = 1; x < image.width; ++x)
    {
        int dark = 0;
        for (int y = 0; y < image.height; ++y)
        {
            const DWORD pixel = image.pixels[static_cast<size_t>(y) * image.width + x];
            dark += ((pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF)) < 3 * 0x90;
        }
        if (dark >= image.height * 3 / 4 && (borders.empty() || x > borders.back() + 1))
            borders.push_back(x);
    }
    return borders;
}

// Whether the page has a line of ink OutlineRun tall at x.
bool HasOutlineAt(const Host::WindowImage& page, int x)
{
    for (int y = 0, run = 0; y < page.height; ++y)
        if ((run = HostTests::IsInk(page, x, y) ? run + 1 : 0) >= OutlineRun)
            return true;
    return false;
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
        const std::wstring item = L"&Hemodynamics Table";
        ASSERT_EQ(item, HostTests::ChooseMenuItem(Frame(), L"Sistra", [&](const std::wstring& text) { return text == item; }));
        ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return (table = Frame().FindView(TableViewName)) != nullptr; }));
        const HWND pane = HostTests::TopmostChildOfClass(table->ViewWindow(), L"GridPane");
        ASSERT_NE(nullptr, pane);
        RECT place{};
        GetWindowRect(pane, &place);
        titleBar = WindowFromPoint({place.left + 8, place.top - 4});
        ASSERT_NE(nullptr, titleBar);
        ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return !ColumnBorders(titleBar).empty(); }));
    }

    // Drags the first column's right border until the column is that wide on the screen.
    void WidenTheFirstColumnTo(int width)
    {
        RECT bar{};
        GetWindowRect(titleBar, &bar);
        const int firstLeft = ColumnBorders(titleBar).front();
        const auto widened = [&] {
            const std::vector<int> borders = ColumnBorders(titleBar);
            return borders.size() > 1 && borders[1] - borders[0] == width;
        };
        ASSERT_TRUE(HostTests::InputUntil(
            Frame(),
            [&] {
                const int border = ColumnBorders(titleBar)[1];
                const int middle = (bar.top + bar.bottom) / 2;
                HostTests::DragFromTo({bar.left + border, middle}, {bar.left + firstLeft + width, middle});
            },
            widened))
            << "borders at " << ColumnBorders(titleBar)[0] << ", " << ColumnBorders(titleBar)[1];
    }

    // File > Print... on the table (active since its border was dragged), as a person chooses it; the
    // pages printed.
    Host::PrintedPages Print(const std::wstring& pictures)
    {
        const ULONG jobs = Host::PrintJobCount(opened->StandIn());
        opened->StandIn().ScriptSaveFileAnswer(HostTests::TestPicturePath(pictures).c_str());
        const std::wstring item = L"&Print...";
        EXPECT_EQ(item, HostTests::ChooseMenuItem(Frame(), L"File", [&](const std::wstring& text) { return text == item; }));
        return Host::PrintedSince(opened->StandIn(), jobs);
    }

    Host::ViewFrame* table = nullptr;
    HWND titleBar = nullptr;
};

// Widened past the room beside the row labels, the column prints whole on a page without them, from the
// left margin: its title's outline is as wide there as the column on the screen. It ran off the page.
TEST_F(FrameTablePrintout, AColumnTooWideForTheRoomBesideTheLabelsPrintsWholeOnAPageOfItsOwn)
{
    constexpr int Width = PrintableWidth - 4;
    WidenTheFirstColumnTo(Width);
    const Host::PrintedPages printed = Print(L"frame-table-printout-own-page");
    ASSERT_FALSE(printed.pages.empty());
    int wholeOn = 0;
    for (const auto& page : printed.pages)
    {
        const Host::WindowImage pixels = HostTests::PagePixels(page.get());
        wholeOn += HasOutlineAt(pixels, Margin) && HasOutlineAt(pixels, Margin + Width);
    }
    EXPECT_EQ(1, wholeOn);
}

// Widened past the page, the column runs on over pages beside their row labels, cut at the pages' edge:
// no ink in the right margin, and none above the labels, where the labels' column has no title. Its
// title's lines ran across both.
TEST_F(FrameTablePrintout, AColumnWiderThanThePageIsCutAtThePagesEdgeAndNeverDrawnUnderTheLabels)
{
    constexpr int Width = PrintableWidth + 240;
    WidenTheFirstColumnTo(Width);
    const Host::PrintedPages printed = Print(L"frame-table-printout-wide");
    ASSERT_GT(printed.pages.size(), 1u);
    constexpr RECT AboveTheLabels{Margin + 2, Margin, Margin + 28, Margin + 12};
    constexpr RECT RightMargin{Vyr::PrintService::PageWidth - Margin + 1, 0, Vyr::PrintService::PageWidth,
                               Vyr::PrintService::PageHeight};
    for (size_t page = 0; page < printed.pages.size(); ++page)
    {
        const Host::WindowImage pixels = HostTests::PagePixels(printed.pages[page].get());
        EXPECT_EQ(0u, HostTests::InkIn(pixels, AboveTheLabels)) << "page " << page + 1;
        EXPECT_EQ(0u, HostTests::InkIn(pixels, RightMargin)) << "page " << page + 1;
    }
}

} // namespace
