// The frame driven as a person drives it, with the display's own mouse input: the menu bar opened and an
// item chosen, a loop chosen and unticked in the loop view's list, a row clicked in the table. What each
// does is read back from the document and from the windows' pixels.
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/TraceView.h"
#include "host/tests/FrameInput.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/ResultsSheetText.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

namespace
{

constexpr int LoopListId = 3001;

using HostTests::CentreOf;
using HostTests::ClickAt;
using HostTests::ListRowPoint;
using HostTests::Settle;

// A click on this thread's windows, settled once the display has delivered it and its consequences ran.
void ClickAndSettle(Host::FrameWindow& frame, POINT screen)
{
    EXPECT_TRUE(HostTests::ClickUntilTaken(frame, screen));
    HostTests::Settle(frame);
}

// Pixels of the window right of column fromX (window coordinates) that are neither the background's
// colour nor white: what the plot drew.
size_t DrawnPixels(HWND window, LONG fromX)
{
    const Host::WindowImage image = Host::ReadWindowImage(window);
    std::map<DWORD, size_t> counts;
    for (int y = 0; y < image.height; ++y)
        for (int x = fromX; x < image.width; ++x)
            ++counts[image.pixels[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF];
    // The background is the commonest colour; white is the list's and the title's, when it is not.
    counts[0xFFFFFF] += 0;
    size_t background = 0, all = 0;
    for (const auto& [colour, count] : counts)
    {
        background = std::max(background, count);
        all += count;
    }
    return all - background - (counts[0xFFFFFF] == background ? 0 : counts[0xFFFFFF]);
}

// The right edge of child in its parent window's picture.
LONG RightEdgeIn(HWND parent, HWND child)
{
    RECT outer{}, inner{};
    GetWindowRect(parent, &outer);
    GetWindowRect(child, &inner);
    return inner.right - outer.left;
}

// The count the hemodynamics table shows in its summary, as it copies it to the results sheet: the whole
// table, with no loop selected.
std::string TableCount(Host::OpenedRecording& opened)
{
    std::istringstream lines(HostTests::WholeTableOnSheet(*opened.Analysis(), opened.Session().Sheet()));
    std::string line, count;
    while (std::getline(lines, line))
        if (line.starts_with("Count\t"))
            count = line;
    return count;
}

class FrameDriven : public testing::Test
{
protected:
    void SetUp() override
    {
        opened.emplace(file.Path(), Host::OpenOptions{{}, true});
        frame.emplace(L"Sistra - driven", Host::CollectMenuCommands(opened->StandIn()), RECT{0, 0, 1200, 900});
        opened->StandIn().SetMainWindow(frame->Handle());
        frame->ShowDocument(opened->Document(), opened->Classes().Views());
        for (const wchar_t* name : {L"Loop View", L"Sistra Hemodynamics TableView"})
            frame->OpenView(*opened->Classes().FindView(name), opened->Document());
        SetForegroundWindow(frame->Handle());
        Settle(*frame);
    }
    void TearDown() override
    {
        frame.reset();
        opened.reset();
    }

    HostTests::TemporaryFile file{"frame-driven.csv", HostTests::OcclusionText(24)};
    std::optional<Host::OpenedRecording> opened;
    std::optional<Host::FrameWindow> frame;
};

TEST_F(FrameDriven, TheSistraMenuOpensByMouseWithItsItemsEnabledByTheirRulesAndItsChoiceOpensTheView)
{
    // The items' states are set before the popup shows, so they are read while it does.
    std::map<std::wstring, bool> enabled;
    // The module's popup follows the host's File and Edit.
    constexpr int SistraPopup = 2;
    const auto readStates = [&] {
        const HMENU sistra = GetSubMenu(GetMenu(frame->Handle()), SistraPopup);
        for (int position = 0; position < GetMenuItemCount(sistra); ++position)
            if (!(GetMenuState(sistra, position, MF_BYPOSITION) & MF_SEPARATOR))
                enabled[HostTests::MenuItemText(sistra, position)] = !(GetMenuState(sistra, position, MF_BYPOSITION) & MF_GRAYED);
    };
    const bool chose = HostTests::ChooseMenuItem(*frame, L"Sistra", [&](const std::wstring& text) {
                           if (enabled.empty())
                               readStates();
                           return text == L"&PRSW Plot";
                       }) == L"&PRSW Plot";
    HostTests::PumpUntil(*frame, [&] { return !chose || frame->FindView(L"Sistra PRSW GraphView"); });
    Settle(*frame);

    ASSERT_TRUE(chose);
    // Outside the workflow, not sampling, with an analysed region: all but the workflow's own item.
    for (const wchar_t* item : {L"&Settings...", L"&Loop View", L"&Plots", L"&Hemodynamics Table",
                                L"Saline &Calibration", L"C&uvette Calibration", L"&PRSW Plot",
                                L"&dP/dt Max vs EDV Plot", L"P&VA vs EDV Plot", L"PVA vs &ESP Plot",
                                L"Show Cycle &Markers", L"Analyze wh&ile sampling", L"&Reselect Analyzed Data",
                                L"Clear A&nalysis", L"&Analyze Channel", L"W&orkflow mode..."})
    {
        ASSERT_TRUE(enabled.contains(item)) << item;
        EXPECT_TRUE(enabled[item]) << item;
    }
    EXPECT_FALSE(enabled[L"&Workflow"]);
    EXPECT_NE(nullptr, frame->FindView(L"Sistra PRSW GraphView"));
}

// Sistra > Plots, opened with the mouse as often as a person opens it, lists each view it offers once, in
// its order: outside the workflow every plot and both calibrations.
TEST_F(FrameDriven, ThePlotsPopupListsEachViewOnce)
{
    const std::vector<std::wstring> offered{L"&PRSW Plot",       L"&dP/dt Max vs EDV Plot", L"P&VA vs EDV Plot",
                                            L"PVA vs &ESP Plot", L"Saline &Calibration",    L"C&uvette Calibration"};
    HMENU bar = GetMenu(frame->Handle());
    RECT title{};
    ASSERT_TRUE(GetMenuItemRect(frame->Handle(), bar, 2, &title));
    for (int opening = 0; opening < 2; ++opening)
    {
        std::vector<std::wstring> items;
        const DWORD frameThread = GetCurrentThreadId();
        std::atomic<bool> done = false;
        std::thread hand([&] {
            if (const HWND shown = HostTests::OpenMenu([&] { ClickAt(CentreOf(title)); }))
            {
                const auto menu = reinterpret_cast<HMENU>(SendMessageW(shown, MN_GETHMENU, 0, 0));
                const int plots = HostTests::MenuItemPosition(menu, [](const std::wstring& text) { return text == L"&Plots"; });
                const auto popup = [shown] {
                    return HostTests::ProcessWindow([shown](HWND window) {
                        return window != shown && HostTests::ClassOf(window) == L"#32768";
                    });
                };
                const RECT item = plots < 0 ? RECT{} : HostTests::ShownItemPlace(shown, menu, plots);
                if (!IsRectEmpty(&item) && HostTests::InputUntil([&] { ClickAt(CentreOf(item)); }, popup))
                {
                    const auto sub = reinterpret_cast<HMENU>(SendMessageW(popup(), MN_GETHMENU, 0, 0));
                    for (int position = 0; position < GetMenuItemCount(sub); ++position)
                        items.push_back(HostTests::MenuItemText(sub, position));
                }
                HostTests::CloseMenuWith(frameThread, shown, menu, -1);
            }
            done = true;
        });
        HostTests::PumpUntil(*frame, [&] { return done.load(); }, 120000);
        hand.join();
        EXPECT_EQ(offered, items) << "opening " << opening;
    }
}

TEST_F(FrameDriven, ChoosingAndUntickingLoopsInTheListReachesThePlotTheFitsTheTableAndBack)
{
    Host::DocumentAnalysis& analysis = *opened->Analysis();
    Host::ViewFrame& loopView = *frame->FindView(L"Loop View");
    HWND list = GetDlgItem(loopView.ViewWindow(), LoopListId);
    ASSERT_NE(nullptr, list);
    ASSERT_GT(SendMessageW(list, LB_GETCOUNT, 0, 0), 6);

    // Choosing a row selects its loop: drawn over the others with a wider pen.
    const LONG graphLeft = RightEdgeIn(loopView.ViewWindow(), list);
    const size_t drawnBefore = DrawnPixels(loopView.ViewWindow(), graphLeft);
    ClickAndSettle(*frame, ListRowPoint(list, 4, 40));
    HostTests::SaveTestPicture(loopView.Outer(), L"frame-driven-loop-selected");
    EXPECT_EQ(4, analysis.SelectedLoop());
    EXPECT_EQ(4, SendMessageW(list, LB_GETCURSEL, 0, 0));
    EXPECT_GT(DrawnPixels(loopView.ViewWindow(), graphLeft), drawnBefore);

    // Unticking the first row leaves its loop out of the summaries, the fits and the table's count.
    constexpr LONG StrokeVolume = 1;
    SistraParameterSummary before{}, after{};
    BSTR unit = nullptr;
    analysis.Pane().GetSummary(StrokeVolume, &before, &unit);
    SysFreeString(unit);
    SistraRegression espvrBefore{}, espvrAfter{};
    analysis.Pane().GetRegression(SistraRelation::EspvrLinear, &espvrBefore);
    const std::string countBefore = TableCount(*opened);
    ClickAndSettle(*frame, ListRowPoint(list, 0, 7));
    EXPECT_EQ(1, analysis.Loops().front().record.state);
    analysis.Pane().GetSummary(StrokeVolume, &after, &unit);
    SysFreeString(unit);
    EXPECT_EQ(before.count - 1, after.count);
    analysis.Pane().GetRegression(SistraRelation::EspvrLinear, &espvrAfter);
    EXPECT_NE(espvrBefore.slope, espvrAfter.slope);
    EXPECT_NE(countBefore, TableCount(*opened));

    // A row clicked in the table selects its loop, and the list follows: the rows are found by clicking
    // down the loops' grid until the first and the second loop are selected.
    const HWND grid = HostTests::TopmostChildOfClass(frame->FindView(L"Sistra Hemodynamics TableView")->ViewWindow(), L"GridPane");
    ASSERT_NE(nullptr, grid);
    RECT place{};
    GetWindowRect(grid, &place);
    const LONG x = (place.left + place.right) / 2;
    std::map<LONG, LONG> firstY;
    for (LONG y = place.top + 2; y < place.bottom && !firstY.contains(1); y += 3)
    {
        ClickAndSettle(*frame, {x, y});
        firstY.emplace(analysis.SelectedLoop(), y);
    }
    ASSERT_TRUE(firstY.contains(0) && firstY.contains(1));
    const LONG rowHeight = firstY[1] - firstY[0];
    ClickAndSettle(*frame, {x, firstY[0] + 2 * rowHeight + rowHeight / 2});
    HostTests::SaveTestPicture(frame->Handle(), L"frame-driven-table-row");
    EXPECT_EQ(2, analysis.SelectedLoop());
    EXPECT_EQ(2, SendMessageW(list, LB_GETCURSEL, 0, 0));
}

// A loop chosen in the list brings the host's trace view to that loop's mark among the marks it shows,
// unless the view shows the whole loop already; with the markers hidden there is no mark to go to. Where
// the view does not go, it stays where it is.
TEST_F(FrameDriven, ChoosingALoopBringsTheTraceViewToItsMarkWhileMarkersShow)
{
    Host::TraceView trace(opened->Host(), opened->Document(), opened->StandIn(), frame->Handle(), RECT{0, 0, 1200, 300});
    frame->SetTopWindow(trace.Handle());
    Settle(*frame);
    HWND list = GetDlgItem(frame->FindView(L"Loop View")->ViewWindow(), LoopListId);
    const auto loops = opened->Analysis()->Loops();
    ASSERT_GT(loops.size(), 12u);
    const auto centre = [&] {
        TickPosition at{};
        trace.GetCentre(&at);
        return at.tick;
    };
    struct Case
    {
        int row;
        bool markers;
        bool moves;
    };
    // Loop 10 follows loop 9, shown in the middle of the view.
    for (const Case c : {Case{4, true, true}, Case{9, true, true}, Case{10, true, false}, Case{12, false, false}})
    {
        if (!c.markers)
        {
            ASSERT_TRUE(frame->ChooseCommand(L"Sistra|Show Loop Markers^ONLINE"));
        }
        const int32_t before = centre();
        EXPECT_TRUE(HostTests::ClickUntil(*frame, ListRowPoint(list, c.row, 40),
                                          [&] { return opened->Analysis()->SelectedLoop() == c.row; })) << c.row;
        Settle(*frame);
        const int32_t mark = loops[static_cast<size_t>(c.row)].record.base.tick;
        if (c.moves)
            EXPECT_NEAR(mark, centre(), 2) << c.row;
        else
            EXPECT_EQ(before, centre()) << c.row;
    }
}

// Clear Analysis chosen in the Sistra menu takes the loops' marks off the host's trace view: its drawing
// keeps none, and where each mark stood the trace's pixels no longer show its colour.
TEST_F(FrameDriven, ClearAnalysisTakesTheLoopMarksOffTheTraceView)
{
    Host::TraceView trace(opened->Host(), opened->Document(), opened->StandIn(), frame->Handle(), RECT{0, 0, 1200, 300});
    frame->SetTopWindow(trace.Handle());
    Settle(*frame);
    const std::vector<Host::TraceView::DrawnMark> before = trace.Marks();
    ASSERT_GT(before.size(), 4u);
    const auto markPixels = [&](const std::vector<Host::TraceView::DrawnMark>& marks) {
        const Host::WindowImage image = Host::ReadWindowImage(trace.Handle());
        size_t count = 0;
        for (const auto& mark : marks)
            for (int y = mark.top; y <= mark.bottom; ++y)
            {
                const DWORD pixel = image.pixels[static_cast<size_t>(y) * image.width + mark.x] & 0xFFFFFF;
                count += RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF) == mark.colour;
            }
        return count;
    };
    ASSERT_GT(markPixels(before), before.size());

    ASSERT_EQ(L"Clear A&nalysis", HostTests::ChooseMenuItem(*frame, L"Sistra", [](const std::wstring& item) {
                  return item == L"Clear A&nalysis";
              }));
    HostTests::PumpUntil(*frame, [&] { return trace.Marks().empty(); });
    Settle(*frame);
    HostTests::SaveTestPicture(frame->Handle(), L"frame-driven-cleared");
    EXPECT_TRUE(trace.Marks().empty());
    EXPECT_EQ(0u, markPixels(before));
}

} // namespace
