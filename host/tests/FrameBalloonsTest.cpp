// The module's balloons as a person meets them in the frame, raised with the display's own mouse input and
// read back from the screen: a step page's balloon covers nothing beside its body and tail, and the loop
// view's warning about negative pressures explains itself under the pointer and leads to its help topic.
#include "host/app/gui/FrameSession.h"
#include "host/app/gui/WindowPicture.h"
#include "host/tests/FrameInput.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/ScreenPixels.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <vector>

namespace
{

using HostTests::PumpUntil;
using HostTests::ReadScreen;
using HostTests::SaveScreenPicture;
using HostTests::ScreenPixels;

constexpr int Beats = 12;
constexpr int WorkflowChoice = 1070, ApplyBox = 1077, LoopWarningIcon = 3006, LoopList = 3001;
// At 96 dpi a balloon's tail is 20 pixels high.
constexpr int TailHeight = 20;

// The visible balloon of this thread; null while there is none.
HWND ShownBalloon()
{
    return HostTests::ThreadWindowOfClass(L"XPBalloonHelp");
}

// The window of that control id among window's visible descendants; null when there is none.
HWND VisibleDescendant(HWND window, int id)
{
    return HostTests::FindVisibleChild(window, [id](HWND child) { return GetDlgCtrlID(child) == id; });
}

class FrameBalloons : public testing::Test
{
protected:
    void Open(const std::string& recordingText, bool leaveWorkflow)
    {
        file.emplace("frame-balloons.csv", recordingText);
        opened.emplace(file->Path(), Host::OpenOptions{{}, leaveWorkflow});
        std::ostringstream problems;
        // Where gui puts the frame: off the screen's edge, so that a balloon can be seen to keep inside it.
        session.emplace(*opened, L"Sistra - balloons", RECT{40, 40, 1240, 940}, problems);
        SetForegroundWindow(Frame().Handle());
        HostTests::Settle(Frame());
    }
    void TearDown() override
    {
        session.reset();
        opened.reset();
    }
    Host::FrameWindow& Frame() { return session->Frame(); }

    std::optional<HostTests::TemporaryFile> file;
    std::optional<Host::OpenedRecording> opened;
    std::optional<Host::FrameSession> session;
};

// The saline step refuses the tick of its Apply box before the cuvette calibration is done and says why in
// a balloon above the box: the tail's strip beside the tail shows what lay beneath, not a black band.
TEST_F(FrameBalloons, ABalloonCoversNothingBesideItsBodyAndTail)
{
    Open(HostTests::OcclusionText(Beats), false);
    Host::ViewFrame* workflow = Frame().FindView(L"Sistra Workflow");
    ASSERT_NE(nullptr, workflow);
    HWND choice = VisibleDescendant(workflow->ViewWindow(), WorkflowChoice);
    ASSERT_NE(nullptr, choice);
    SendMessageW(choice, CB_SETCURSEL,
                 SendMessageW(choice, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Small mammal")),
                 0);
    SendMessageW(GetParent(choice), WM_COMMAND, MAKEWPARAM(WorkflowChoice, CBN_SELCHANGE), reinterpret_cast<LPARAM>(choice));
    HostTests::Settle(Frame());
    // The saline step is the sixth of the small mammal's: its title is clicked open.
    HWND salinePane = nullptr;
    ASSERT_TRUE(PumpUntil(Frame(), [&] { return (salinePane = VisibleDescendant(workflow->ViewWindow(), HostTests::FirstStepPane + 5)); }));
    RECT title{};
    GetWindowRect(salinePane, &title);
    HWND apply = nullptr;
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), {title.left + 40, title.top + 8},
                                      [&] { return (apply = VisibleDescendant(salinePane, ApplyBox)) != nullptr; }));
    HostTests::Settle(Frame());

    RECT box{};
    GetWindowRect(apply, &box);
    const RECT around{0, std::max(0L, box.top - 200), 800, box.bottom + 60};
    const ScreenPixels before = ReadScreen(around);
    HWND balloon = nullptr;
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), {box.left + 6, box.top + (box.bottom - box.top) / 2},
                                      [&] { return (balloon = ShownBalloon()) != nullptr; }));
    HostTests::Settle(Frame());
    wchar_t text[64] = {};
    GetWindowTextW(balloon, text, 64);
    EXPECT_STREQ(L"Can't Apply Calibration", text);

    // The balloon fades in and paints its texts last: the picture waits for them.
    RedrawWindow(balloon, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    HostTests::Settle(Frame());
    RECT place{};
    GetWindowRect(balloon, &place);
    ASSERT_LE(place.bottom, box.top + 12) << "the balloon stands above the box, its tail at its foot";
    // What the balloon's window shows in its tail's strip (its last rows, above the box) away from the tail.
    const Host::WindowImage shown = Host::ReadWindowImage(balloon);
    int blackened = 0;
    for (int y = place.bottom - TailHeight; y < std::min(place.bottom, box.top); ++y)
        for (int x = std::max(place.left, around.left); x < place.right; ++x)
        {
            const DWORD pixel = shown.pixels[static_cast<size_t>(y - place.top) * shown.width + (x - place.left)];
            if (std::abs(x - (box.left + 7)) > 2 * TailHeight && (pixel & 0xFFFFFF) == 0 && before.At(x, y) != 0)
                ++blackened;
        }
    SaveScreenPicture(around, L"frame-balloon-over-saline-step");
    EXPECT_EQ(0, blackened) << "pixels of the balloon's window turned black beside its tail";
    // The tail narrows to its tip: its last rows cover little of what lay beneath (a box covered 22 pixels
    // of each), and the balloon opens inside the frame, not at the screen's edge beside it.
    for (int y = place.bottom - 4; y < place.bottom; ++y)
    {
        int covered = 0;
        for (int x = std::max(place.left, around.left); x < std::min(place.right, around.right); ++x)
            covered += (shown.pixels[static_cast<size_t>(y - place.top) * shown.width + (x - place.left)] & 0xFFFFFF) !=
                       before.At(x, y);
        EXPECT_LE(covered, 8) << "row " << y - place.bottom;
    }
    RECT frame{};
    GetWindowRect(Frame().Handle(), &frame);
    EXPECT_GE(place.left, frame.left);
}

// Recorded 30 mmHg low, the loops' end-diastolic pressures are negative: the loop view's warning icon
// shows; resting the pointer on it raises its balloon, drawn, with the warning's title, and the balloon's
// "Learn more" line, reached with the pointer, opens the warning's help topic.
TEST_F(FrameBalloons, TheNegativePressureWarningExplainsItselfUnderThePointerAndLeadsToItsHelp)
{
    HostTests::Recorded low;
    low.pressureOffset = 30.0;
    Open(HostTests::OcclusionText(Beats, "LV Pressure (mmHg),LV Volume (uL),ECG (mV)", low), true);
    Host::ViewFrame* loopView = Frame().FindView(L"Loop View");
    ASSERT_NE(nullptr, loopView);
    HWND icon = nullptr;
    ASSERT_TRUE(PumpUntil(Frame(), [&] { return (icon = VisibleDescendant(loopView->ViewWindow(), LoopWarningIcon)); }));

    RECT iconPlace{};
    GetWindowRect(icon, &iconPlace);
    const POINT from = HostTests::CentreOf(iconPlace);
    // The pointer comes onto the icon from beside it, again while no balloon shows.
    HWND balloon = nullptr;
    ASSERT_TRUE(HostTests::InputUntil(
        Frame(),
        [&] {
            HostTests::MovePointer({iconPlace.left - 30, iconPlace.top - 30});
            HostTests::MovePointer(from);
        },
        [&] { return (balloon = ShownBalloon()) != nullptr; }));
    wchar_t title[64] = {};
    GetWindowTextW(balloon, title, 64);
    EXPECT_STREQ(L"Negative Pressure Values", title);
    const auto drawn = [&] {
        const Host::WindowImage shown = Host::ReadWindowImage(balloon);
        return std::count_if(shown.pixels.begin(), shown.pixels.end(), [](DWORD p) { return (p & 0xFFFFFF) == 0; }) <
               static_cast<std::ptrdiff_t>(shown.pixels.size() / 4);
    };
    EXPECT_TRUE(PumpUntil(Frame(), drawn)) << "the balloon is drawn, not left black";
    RECT place{};
    GetWindowRect(balloon, &place);
    SaveScreenPicture({place.left - 20, place.top - 20, place.right + 20, place.bottom + 20},
                      L"frame-loop-view-negative-pressure-balloon");

    // The link is the balloon's last line: the pointer travels from the icon into the balloon down to it.
    RECT client{};
    GetClientRect(balloon, &client);
    POINT link{client.left + 12, client.bottom - 6};
    ClientToScreen(balloon, &link);
    for (int step = 1; step <= 10; ++step)
        ASSERT_TRUE(HostTests::MovePointerUntilTaken(
            Frame(), {from.x + (link.x - from.x) * step / 10, from.y + (link.y - from.y) * step / 10}))
            << step;
    ASSERT_TRUE(IsWindow(balloon) && IsWindowVisible(balloon)) << "the balloon stays while the pointer goes to its link";
    HWND help = nullptr;
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), link,
                                      [&] { return (help = FindWindowW(L"SistraHostHelp", nullptr)) && IsWindowVisible(help); }));
    BSTR topic = nullptr, helpFile = nullptr;
    ASSERT_EQ(S_OK, opened->StandIn().GetHelpRequest(0, &topic, &helpFile));
    EXPECT_STREQ(L"pv_pressure_error", topic);
    EXPECT_STREQ(L"SistraHelp", helpFile);
    SysFreeString(topic);
    SysFreeString(helpFile);
}

// The warnings' limits are amounts of volume and pressure: a recording whose volumes are all positive raises
// none in litres as in microlitres, and one whose volumes fall below zero raises the volume warning in every
// unit.
TEST_F(FrameBalloons, TheLoopViewWarnsOfTheSameRecordingAlikeInEveryUnit)
{
    constexpr double KilopascalsPerMmHg = 0.133322387415, BelowZero = -40.0;
    const struct
    {
        const char* pressure;
        double pressureFactor;
        const char* volume;
        double volumeFactor;
        double volumeOffset;
        bool warned;
    } cases[] = {{"mmHg", 1.0, "uL", 1.0, 0.0, false},
                 {"kPa", KilopascalsPerMmHg, "L", 1e-6, 0.0, false},
                 {"mmHg", 1.0, "L", 1e-6, BelowZero, true},
                 {"kPa", KilopascalsPerMmHg, "mL", 1e-3, BelowZero, true}};
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::Message() << test.pressure << " " << test.volume << " " << test.volumeOffset);
        Open(HostTests::ElastanceVentricle{}.Text(test.pressure, test.pressureFactor, test.volume, test.volumeFactor,
                                                  test.volumeOffset),
             true);
        ASSERT_NE(nullptr, opened->Analysis());
        ASSERT_GT(opened->Analysis()->LoopCount(), 20u);
        Host::ViewFrame* loopView = Frame().FindView(L"Loop View");
        ASSERT_NE(nullptr, loopView);
        // The warning is settled before the list of loops is filled.
        HWND list = GetDlgItem(loopView->ViewWindow(), LoopList);
        ASSERT_NE(nullptr, list);
        const auto loops = static_cast<LRESULT>(opened->Analysis()->LoopCount());
        ASSERT_TRUE(PumpUntil(Frame(), [&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == loops; }));
        EXPECT_EQ(test.warned, VisibleDescendant(loopView->ViewWindow(), LoopWarningIcon) != nullptr);
        TearDown();
    }
}

} // namespace
