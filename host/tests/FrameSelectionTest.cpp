// The host's selection made as a person makes it, by dragging in the trace view, and the actions that
// work from it driven through the frame with the display's own input: the settings dialog's Selection
// region, Analyze Selection, the calibration steps' capture buttons and the cuvette view's Set From
// Selection.
#include "host/app/gui/WindowPicture.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/FrameWorkflow.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

namespace
{

using HostTests::DragFromTo;
using HostTests::PumpUntil;
using HostTests::WindowText;

constexpr int Beats = 24;
constexpr COLORREF SelectionFill = RGB(0xD8, 0xE8, 0xFF);
constexpr int SettingsSelectionRadio = 1005;

struct Range
{
    TickPosition first, last;

    bool operator==(const Range& other) const
    {
        return first.record == other.first.record && first.tick == other.first.tick && last.record == other.last.record &&
               last.tick == other.last.tick;
    }
};

std::optional<Range> Selected(Host::HostDocument& document)
{
    Range range{};
    if (document.GetSelection(&range.first, &range.last) != S_OK || range.first.record == HostRecordEnd)
        return std::nullopt;
    return range;
}

COLORREF ColourAt(const Host::WindowImage& image, int x, int y)
{
    const DWORD pixel = image.pixels[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF;
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

// Pixels of the selection's colour in column x of the window.
int SelectionPixelsInColumn(const Host::WindowImage& image, int x)
{
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        count += ColourAt(image, x, y) == SelectionFill;
    return count;
}

// The middle of the band of rows the table's grid draws selected, on the screen; none without one.
std::optional<POINT> SelectedRowsCentre(HWND grid)
{
    const Host::WindowImage image = Host::ReadWindowImage(grid);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height; ++y)
    {
        int count = 0;
        for (int x = 0; x < image.width; ++x)
            count += ColourAt(image, x, y) == highlight;
        if (count > image.width / 3)
            bottom = y, top = top < 0 ? y : top;
    }
    if (top < 0)
        return std::nullopt;
    RECT place{};
    GetWindowRect(grid, &place);
    return POINT{(place.left + place.right) / 2, place.top + (top + bottom) / 2};
}

class FrameSelection : public HostTests::FrameSessionFixture
{
protected:
    explicit FrameSelection(const std::string& recording = HostTests::OcclusionText(Beats), bool leaveWorkflow = true)
        : FrameSessionFixture("frame-selection.csv", recording, Host::OpenOptions{{}, leaveWorkflow})
    {
    }
    HWND Trace() { return session->Trace().Handle(); }
    // A point of the trace view's client area, on the screen.
    POINT TracePoint(int x, int y)
    {
        POINT point{x, y};
        ClientToScreen(Trace(), &point);
        return point;
    }
    // Drags across the trace view's lanes from client x to client x; the selection it made. The drag has
    // taken once the view has let the pointer go with another selection than before: an earlier selection
    // read too soon was taken for this one's.
    std::optional<Range> DragInTrace(int fromX, int toX)
    {
        RECT client{};
        GetClientRect(Trace(), &client);
        const auto before = Selected(opened->Host());
        HostTests::InputUntil(
            Frame(), [&] { DragFromTo(TracePoint(fromX, client.bottom / 2), TracePoint(toX, client.bottom / 2)); },
            [&] {
                const auto now = Selected(opened->Host());
                return GetCapture() != Trace() && now && now != before;
            });
        return Selected(opened->Host());
    }
    // Whether the analysis holds loops, fewer than over the whole recording, and every one lies in the range:
    // the analysis of that selection.
    bool LoopsOnlyInside(const Range& range)
    {
        const auto loops = opened->Analysis()->Loops();
        return !loops.empty() && loops.size() < static_cast<size_t>(Beats - 2) &&
               std::ranges::all_of(loops, [&](const Host::LoopRow& loop) {
                   return loop.record.firstTick >= range.first.tick && loop.record.endTick <= range.last.tick + 1;
               });
    }

};

// Either way across the lanes the drag selects the time between its ends over every channel, drawn as
// the host draws a selection; a click alone clears it.
TEST_F(FrameSelection, DraggingInTheTraceViewSelectsTheTimeBetweenItsEndsAndShowsIt)
{
    struct Case
    {
        int from, to;
    };
    for (const Case c : {Case{200, 500}, Case{700, 300}})
    {
        const auto range = DragInTrace(c.from, c.to);
        ASSERT_TRUE(range) << c.from;
        EXPECT_EQ(range->first.record, range->last.record);
        EXPECT_NEAR(std::min(c.from, c.to), session->Trace().XOf(range->first), 1.0) << c.from;
        EXPECT_NEAR(std::max(c.from, c.to), session->Trace().XOf(range->last), 1.0) << c.from;
        VARIANT_BOOL included = VARIANT_FALSE;
        opened->Host().IncludesChannel(1, &included);
        EXPECT_EQ(VARIANT_TRUE, included);
        const Host::WindowImage image = Host::ReadWindowImage(Trace());
        EXPECT_GT(SelectionPixelsInColumn(image, (c.from + c.to) / 2), 20) << c.from;
        EXPECT_EQ(0, SelectionPixelsInColumn(image, std::max(c.from, c.to) + 30)) << c.from;
    }
    HostTests::SaveTestPicture(Trace(), L"frame-selection-dragged");
    EXPECT_TRUE(HostTests::ClickUntil(Frame(), TracePoint(400, 100), [&] { return !Selected(opened->Host()); }));
}

// A selection dragged either way selects the loop its start lies in, as the module selects the loop at
// the host's selection: the loop view's list and the table's rows show it selected (a click on the row
// the table shows selected keeps that loop), and the trace view, which shows the loop already, stays put.
TEST_F(FrameSelection, DraggingASelectionSelectsTheLoopItStartsInAndTheViewsShowIt)
{
    constexpr int LoopListId = 3001;
    HWND list = GetDlgItem(Frame().FindView(L"Loop View")->ViewWindow(), LoopListId);
    HWND grid = HostTests::TopmostChildOfClass(Frame().FindView(L"Sistra Hemodynamics TableView")->ViewWindow(),
                                               L"GridPane");
    ASSERT_TRUE(list && grid);
    const auto loops = opened->Analysis()->Loops();
    ASSERT_GT(loops.size(), 6u);
    // x of a point a fraction of the way through the loop.
    const auto within = [&](size_t loop, double fraction) {
        const Sistra::SistraEvent& record = loops[loop].record;
        const double tick = record.firstTick + fraction * (record.endTick - record.firstTick);
        return static_cast<int>(std::lround(session->Trace().XOf({loops[loop].block, static_cast<int32_t>(tick)})));
    };
    struct Case
    {
        size_t loop;
        int from, to; // where the drag starts and ends
    };
    for (const Case c : {Case{1, within(1, 0.3), within(2, 0.5)}, Case{3, within(3, 0.8), within(3, 0.2)}})
    {
        TickPosition centre{};
        session->Trace().GetCentre(&centre);
        ASSERT_TRUE(DragInTrace(c.from, c.to)) << c.loop;
        const auto loop = static_cast<LONG>(c.loop);
        EXPECT_TRUE(PumpUntil(Frame(), [&] {
            return opened->Analysis()->SelectedLoop() == loop && SendMessageW(list, LB_GETCURSEL, 0, 0) == loop;
        })) << c.loop << ": the list shows " << SendMessageW(list, LB_GETCURSEL, 0, 0);
        TickPosition after{};
        session->Trace().GetCentre(&after);
        EXPECT_EQ(centre.tick, after.tick) << c.loop;
        const std::optional<POINT> row = SelectedRowsCentre(grid);
        ASSERT_TRUE(row) << c.loop;
        ASSERT_TRUE(HostTests::ClickUntilTaken(Frame(), *row)) << c.loop;
        EXPECT_EQ(loop, opened->Analysis()->SelectedLoop()) << c.loop;
    }
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-selection-loop");
}

// The settings dialog's Selection region analyses the selection once the dialog is confirmed; from then
// on the Sistra menu offers Analyze Selection, which analyses the selection made next.
TEST_F(FrameSelection, TheSettingsSelectionRegionAndAnalyzeSelectionAnalyseTheSelection)
{
    const auto first = DragInTrace(300, 900);
    ASSERT_TRUE(first);
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(SettingsSelectionRadio); },
                                   [](HWND dialog) {
                                       HostTests::ClickUntilChecked(dialog, SettingsSelectionRadio, BST_CHECKED);
                                       HostTests::ClickUntilGone(dialog, IDOK);
                                   });
        EXPECT_EQ(L"&Settings...",
                  HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) { return text == L"&Settings..."; }));
        EXPECT_TRUE(PumpUntil(Frame(), [&] { return hand.done.load() && LoopsOnlyInside(*first); }))
            << opened->Analysis()->LoopCount() << " loops";
    }

    const auto second = DragInTrace(120, 1050);
    ASSERT_TRUE(second);
    EXPECT_EQ(L"&Analyze Selection", HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) {
                  return text.starts_with(L"&Analyze");
              }));
    EXPECT_TRUE(PumpUntil(Frame(), [&] { return LoopsOnlyInside(*second) && !LoopsOnlyInside(*first); }))
        << opened->Analysis()->LoopCount() << " loops";
}

// Levels a calibration samples, one sample a millisecond: the pressure 0 mmHg, then 100 mmHg; the
// conductance 2 mS, then 5 mS, half a second later.
constexpr double LevelInterval = 0.001;
constexpr int LevelTicks = 6000;

struct Level
{
    int stepTick;
    double before, after;

    double At(int64_t tick) const { return tick < stepTick ? before : after; }
    double StepSeconds() const { return stepTick * LevelInterval; }
    // The mean of the samples from the selection's start up to, not including, its end.
    double MeanOver(const Range& range) const
    {
        double sum = 0.0;
        for (int64_t tick = range.first.tick; tick < range.last.tick; ++tick)
            sum += At(tick);
        return sum / static_cast<double>(range.last.tick - range.first.tick);
    }
};
constexpr Level PressureLevels{2500, 0.0, 100.0};
constexpr Level ConductanceLevels{3000, 2.0, 5.0};

std::string LevelsText()
{
    std::ostringstream text;
    text << "Time (s),LV Pressure (mmHg),LV Volume (mS)\n";
    for (int tick = 0; tick < LevelTicks; ++tick)
        text << tick * LevelInterval << ',' << PressureLevels.At(tick) << ',' << ConductanceLevels.At(tick) << '\n';
    return text.str();
}

constexpr int FirstCapture = 1075, SecondCapture = 1076, FirstSampled = 1079, SecondSampled = 1081;
constexpr int KnownPressureBox = 1078, ConductanceUnitList = 1106;
constexpr int SetFromSelectionButton = 3001, CopyTableChoice = 1039;
constexpr const wchar_t* CuvetteViewName = L"Sistra Cuvette Calibration View";
// The cuvette table's columns and its grid's rows, in pixels.
constexpr int CuvetteColumnWidth = 120, GridRowHeight = 16;

// A calibration step whose capture buttons measure a channel, and the controls only its page has.
struct CaptureStep
{
    const wchar_t* title;
    int ownControl;
    Level level;
    const wchar_t* noSelectionTitle;
};
constexpr CaptureStep CaptureSteps[] = {
    {L"Pressure calibration", KnownPressureBox, PressureLevels, L"No Pressure Selection"},
    {L"Conductance calibration", ConductanceUnitList, ConductanceLevels, L"No Conductance Selection"},
};

// Whether the window's shape covers some pixel of the screen rectangle.
bool ShapeReaches(HWND window, const RECT& target)
{
    RECT place{}, common{};
    GetWindowRect(window, &place);
    if (!IntersectRect(&common, &place, &target))
        return false;
    OffsetRect(&common, -place.left, -place.top);
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    const bool reaches = GetWindowRgn(window, shape) == ERROR || RectInRegion(shape, &common);
    DeleteObject(shape);
    return reaches;
}

// Whether the window shows another picture than it shows now: the grid has drawn the chosen cell or the
// value put into it.
std::function<bool()> RedrawnSince(HWND window)
{
    return [window, before = Host::ReadWindowImage(window).pixels] { return Host::ReadWindowImage(window).pixels != before; };
}

double NumberIn(HWND box)
{
    const std::wstring text = WindowText(box);
    return text.empty() ? std::nan("") : std::stod(text);
}

// The frame with the workflow on over the levels, as a person calibrates with it.
class FrameCalibrationCapture : public FrameSelection
{
protected:
    FrameCalibrationCapture() : FrameSelection(LevelsText(), false) {}

    static HWND Child(HWND parent, const std::function<bool(HWND)>& match)
    {
        return HostTests::FindVisibleChild(parent, match);
    }
    HWND StepPane(const std::wstring& title) { return HostTests::StepPane(Frame(), title); }
    bool ChooseWorkflow() { return HostTests::ChooseFirstWorkflow(Frame(), CaptureSteps[0].title); }
    bool ClickStepTitle(const std::wstring& title) { return HostTests::ClickStepTitle(Frame(), title); }
    HWND OpenStep(const std::wstring& title, int control) { return HostTests::OpenStep(Frame(), title, control); }
    // Drags across the trace from seconds before the step to seconds after it.
    std::optional<Range> DragAcross(const Level& level, double fromSeconds, double toSeconds)
    {
        // Brought into view first, as a person scrolls to it: the view opens on the recording's start.
        const TickPosition first{0, level.stepTick - 1000}, last{0, level.stepTick + 1000};
        EXPECT_EQ(S_OK, session->Trace().ShowRange(&first, &last));
        RECT client{};
        GetClientRect(Trace(), &client);
        const int from = static_cast<int>(session->Trace().XOfSeconds(level.StepSeconds() + fromSeconds));
        const int to = static_cast<int>(session->Trace().XOfSeconds(level.StepSeconds() + toSeconds));
        EXPECT_LT(client.left + 60, from);
        EXPECT_GT(client.right - 10, to);
        return DragInTrace(from, to);
    }
};

// Each step's capture buttons take the mean of their channel over the selection into their boxes, in the
// channel's unit: the first over a selection across the step between the levels, the second over the
// upper level alone.
TEST_F(FrameCalibrationCapture, TheCalibrationStepsCaptureButtonsTakeTheirChannelsMeanOverTheSelection)
{
    ASSERT_TRUE(ChooseWorkflow());
    for (const CaptureStep& step : CaptureSteps)
    {
        HWND page = OpenStep(step.title, step.ownControl);
        ASSERT_NE(nullptr, page) << step.title;
        struct Capture
        {
            int button, box;
            double fromSeconds, toSeconds;
        };
        for (const Capture capture : {Capture{FirstCapture, FirstSampled, -0.4, 0.15}, Capture{SecondCapture, SecondSampled, 0.1, 0.4}})
        {
            const auto range = DragAcross(step.level, capture.fromSeconds, capture.toSeconds);
            ASSERT_TRUE(range) << step.title;
            HWND box = GetDlgItem(page, capture.box);
            ASSERT_TRUE(HostTests::ClickUntil(Frame(), HostTests::ScreenCentreOf(GetDlgItem(page, capture.button)),
                                              [&] { return !WindowText(box).empty(); }))
                << step.title;
            const double expected = step.level.MeanOver(*range);
            // The box shows four or five digits.
            EXPECT_NEAR(expected, NumberIn(box), 5e-4 * std::fabs(expected)) << step.title << " " << capture.button;
        }
        HostTests::SaveTestPicture(Frame().Handle(), std::wstring(L"frame-selection-captured-") + step.title);
    }
}

// Without a selection a capture button says in a balloon that one is needed: on the screen, its tail on
// the button although the button stands near the screen's edge; a click puts it away, nothing captured.
TEST_F(FrameCalibrationCapture, ACaptureWithoutASelectionSaysSoInABalloonOnTheScreenBesideTheButton)
{
    ASSERT_TRUE(ChooseWorkflow());
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    for (const CaptureStep& step : CaptureSteps)
    {
        HWND page = OpenStep(step.title, step.ownControl);
        ASSERT_NE(nullptr, page) << step.title;
        HWND button = GetDlgItem(page, FirstCapture);
        HWND balloon = nullptr;
        const POINT onButton = HostTests::ScreenCentreOf(button);
        ASSERT_TRUE(HostTests::ClickUntil(Frame(), onButton, [&] {
            return (balloon = HostTests::ThreadWindowOfClass(L"XPBalloonHelp")) != nullptr;
        })) << step.title;
        // The balloon, which holds the pointer, stays up while the pointer rests on the button: once it has
        // been handed a move there, whatever input came before has been taken too.
        ASSERT_TRUE(HostTests::MovePointerUntilTaken(Frame(), onButton)) << step.title;
        EXPECT_TRUE(IsWindowVisible(balloon)) << step.title;
        HostTests::SaveTestPicture(balloon, std::wstring(L"frame-selection-balloon-") + step.title);
        EXPECT_EQ(step.noSelectionTitle, WindowText(balloon));
        RECT place{}, onScreen{}, buttonPlace{};
        GetWindowRect(balloon, &place);
        IntersectRect(&onScreen, &place, &screen);
        EXPECT_TRUE(EqualRect(&onScreen, &place)) << step.title << ": " << place.left << "," << place.top << " "
                                                   << place.right << "," << place.bottom;
        GetWindowRect(button, &buttonPlace);
        EXPECT_TRUE(ShapeReaches(balloon, buttonPlace)) << step.title;

        EXPECT_TRUE(HostTests::ClickUntil(Frame(), TracePoint(300, 100),
                                          [] { return !HostTests::ThreadWindowOfClass(L"XPBalloonHelp"); }))
            << step.title;
        EXPECT_TRUE(WindowText(GetDlgItem(page, FirstSampled)).empty()) << step.title;
    }
}


// The cuvette view's Set From Selection, offered once a cell is chosen and there is a selection, puts the
// mean of the volume channel over the selection into the chosen cell, in the conductance's unit; the
// view's table, copied as the user copies it, shows it.
TEST_F(FrameCalibrationCapture, TheCuvetteViewsSetFromSelectionFillsTheChosenCellWithTheVolumeChannelsMean)
{
    ASSERT_TRUE(ChooseWorkflow());
    ASSERT_TRUE(ClickStepTitle(L"Cuvette calibration"));
    Host::ViewFrame* cuvette = nullptr;
    HWND cells = nullptr;
    ASSERT_TRUE(PumpUntil(Frame(), [&] {
        cuvette = Frame().FindView(CuvetteViewName);
        return cuvette && (cells = Child(cuvette->ViewWindow(), [](HWND window) { return HostTests::ClassOf(window) == L"GridPane"; }));
    }));
    HWND setFromSelection = GetDlgItem(cuvette->ViewWindow(), SetFromSelectionButton);
    ASSERT_NE(nullptr, setFromSelection);
    // A click has taken once the window under it has been handed it and the grid has drawn what it did.
    const auto clickUntilCellsRedrawn = [&](POINT point) {
        const HostTests::TakenPointer taken;
        return HostTests::ClickUntil(Frame(), point, [&, redrawn = RedrawnSince(cells)] {
            return HostTests::TakenPointer::ClickedAt(point) && redrawn();
        });
    };

    // Well 1's first reading, the first row's column after the known volumes, chosen before there is a
    // selection to fill it from.
    RECT cellsPlace{};
    GetWindowRect(cells, &cellsPlace);
    ASSERT_TRUE(clickUntilCellsRedrawn({cellsPlace.left + 3 * CuvetteColumnWidth / 2, cellsPlace.top + GridRowHeight / 2}));
    EXPECT_FALSE(IsWindowEnabled(setFromSelection));
    const auto range = DragAcross(ConductanceLevels, -0.3, 0.2);
    ASSERT_TRUE(range);
    ASSERT_TRUE(PumpUntil(Frame(), [&] { return IsWindowEnabled(setFromSelection) != FALSE; }));
    ASSERT_TRUE(clickUntilCellsRedrawn(HostTests::ScreenCentreOf(setFromSelection)));
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-selection-cuvette-filled");

    ASSERT_EQ(cuvette, Frame().ActiveView());
    HostTests::EmptyTheClipboard();
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(CopyTableChoice); }, [](HWND dialog) {
            HostTests::ClickUntilChecked(dialog, CopyTableChoice, BST_CHECKED);
            HostTests::ClickUntilGone(dialog, IDOK);
        });
        HostTests::ChooseMenuItem(Frame(), L"Edit", [](const std::wstring& text) { return text.find(L"Copy") != std::wstring::npos; });
        ASSERT_TRUE(PumpUntil(Frame(), [&] { return hand.done.load() && !HostTests::ClipboardText().empty(); }));
    }
    // A line per well after the titles' line: its number, its known volume, then its readings.
    std::wistringstream table(HostTests::ClipboardText());
    std::wstring line, number, known, reading;
    std::getline(table, line);
    std::getline(table, line);
    std::wistringstream well(line);
    std::getline(well, number, L'\t');
    std::getline(well, known, L'\t');
    std::getline(well, reading, L'\t');
    ASSERT_EQ(L"1", number) << line;
    const double expected = ConductanceLevels.MeanOver(*range);
    ASSERT_FALSE(reading.empty()) << line;
    EXPECT_NEAR(expected, std::stod(reading), 5e-4 * expected) << line;
}

} // namespace
