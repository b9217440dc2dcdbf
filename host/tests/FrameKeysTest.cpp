// Keys typed into the frame as a person types them, through the display's input queue and the frame's own
// loop (whose hooks give a table its keys before the focused window gets them): Return in the table's
// "Format Column" dialog, Enter in the cuvette calibration's well table.
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/tests/FrameInput.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/ResultsSheetText.h"
#include "host/tests/TestPictures.h"

#include "hostapi/VyrClassRegistry.h"

#include <gtest/gtest.h>


namespace
{

using HostTests::PressKey;

constexpr int CuvetteFitTextId = 3010;
constexpr int DigitsEditId = 1001;

// Each character of text as its key: digits and Enter.
void TypeKeys(const std::wstring& text)
{
    for (const wchar_t character : text)
        PressKey(character == L'\n' ? VK_RETURN : static_cast<WORD>(character));
}

class FrameKeys : public testing::Test
{
protected:
    void Open(std::initializer_list<const wchar_t*> views)
    {
        opened.emplace(file.Path(), Host::OpenOptions{{}, true});
        frame.emplace(L"Sistra - keys", Host::CollectMenuCommands(opened->StandIn()), RECT{0, 0, 1200, 900});
        opened->StandIn().SetMainWindow(frame->Handle());
        opened->StandIn().ShowModuleDialogs(VARIANT_TRUE);
        frame->ShowDocument(opened->Document(), opened->Classes().Views());
        for (const wchar_t* name : views)
            frame->OpenView(*opened->Classes().FindView(name), opened->Document());
        // Keys go to the frame once it is in front.
        SetForegroundWindow(frame->Handle());
        EXPECT_TRUE(Pump([&] { return GetForegroundWindow() == frame->Handle(); })) << "the frame did not come to the front";
    }
    void TearDown() override
    {
        frame.reset();
        opened.reset();
    }
    // Handles the thread's messages as the frame's loop does (its hooks first) until done() holds or the
    // limit (which only ends a failing test) has passed.
    template <class Done>
    bool Pump(Done done, DWORD limitMilliseconds = 5000)
    {
        return HostTests::HandleMessagesUntil(
            done, [&](MSG& message) { frame->HandleLoopMessage(message, &opened->StandIn()); }, limitMilliseconds);
    }
    HWND GridPaneOf(const wchar_t* view)
    {
        HWND found = nullptr;
        LONG top = LONG_MAX;
        HostTests::VisitChildren(frame->FindView(view)->ViewWindow(), [&](HWND child) {
            RECT place{};
            GetWindowRect(child, &place);
            if (HostTests::ClassOf(child) == L"GridPane" && IsWindowVisible(child) && place.top < top)
                found = child, top = place.top;
            return true;
        });
        return found;
    }

    // The hemodynamics table's first value of the column, as its Add to Tallion puts it on the sheet.
    std::string FirstValueShown(const std::string& title)
    {
        const HWND button = HostTests::FindVisibleChild(frame->FindView(L"Sistra Hemodynamics TableView")->ViewWindow(),
                                                        [](HWND child) { return HostTests::WindowText(child) == L"Add to Tallion"; });
        return HostTests::ValueAddedToTallion(*frame, opened->Session().Sheet(), button, title);
    }
    HostTests::TemporaryFile file{"frame-keys.csv", HostTests::OcclusionText(24)};
    std::optional<Host::OpenedRecording> opened;
    std::optional<Host::FrameWindow> frame;
};

// Return presses the dialog's default button: a count out of range is refused in a box that says why and
// leaves the dialog open, and the figures typed then reach the column.
TEST_F(FrameKeys, ReturnInFormatColumnPressesOk)
{
    Open({L"Sistra Hemodynamics TableView"});
    const std::string before = FirstValueShown("SW");
    ASSERT_EQ(4u, before.size()) << before;
    const HWND pane = GridPaneOf(L"Sistra Hemodynamics TableView");
    ASSERT_NE(nullptr, pane);
    RECT place{};
    GetWindowRect(pane, &place);
    // The dialog runs modally: a second hand types into it once it shows and its edit has the keys.
    std::wstring refusal;
    std::atomic<bool> shown = false, openAfterRefusal = false, closed = false;
    const auto waitFor = [](auto condition) {
        for (int wait = 0; wait < 250 && !condition(); ++wait)
            Sleep(20);
        return condition();
    };
    HostTests::SecondHand hand([] { return HostTests::DialogWithControl(DigitsEditId); },
                               [&](HWND dialog) {
                                   shown = true;
                                   const HWND digits = GetDlgItem(dialog, DigitsEditId);
                                   const auto keysToDigits = [digits] { return HostTests::HasKeyboard(digits); };
                                   HWND box = nullptr;
                                   // Whatever went wrong, the modal windows close, so that the test ends.
                                   const auto closeAll = [&] {
                                       if (box && IsWindow(box))
                                           PostMessageW(box, WM_COMMAND, IDOK, 0);
                                       if (IsWindow(dialog))
                                           PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                                   };
                                   if (!waitFor(keysToDigits))
                                       return closeAll();
                                   TypeKeys(L"12\n");
                                   // The box is found as soon as it is made; its text shows a moment later.
                                   const auto boxText = [&] {
                                       box = FindWindowW(L"#32770", L"Validator Error");
                                       refusal = box ? HostTests::WindowText(HostTests::FindVisibleChild(box, [](HWND child) {
                                           return HostTests::ClassOf(child) == L"Static" &&
                                                  !HostTests::WindowText(child).empty();
                                       }))
                                                     : std::wstring();
                                       return !refusal.empty();
                                   };
                                   if (!waitFor(boxText) || !waitFor([&] { return HostTests::HasKeyboard(box); }))
                                       return closeAll();
                                   PressKey(VK_RETURN);
                                   waitFor([&] { return !IsWindow(box); });
                                   openAfterRefusal = IsWindowVisible(dialog) != FALSE;
                                   if (!waitFor(keysToDigits))
                                       return closeAll();
                                   TypeKeys(L"2\n");
                                   closed = waitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
                                   closeAll();
                               });
    // A double-click on the first parameter's title, in the title bar just above the loops' rows, given
    // again while no dialog shows.
    const POINT title{place.left + 30, place.top - 6};
    ASSERT_TRUE(HostTests::InputUntil(*frame, [&] { HostTests::DoubleClickAt(title); }, [&] { return shown.load(); }));
    ASSERT_TRUE(Pump([&] { return hand.done.load(); }, 20000));
    EXPECT_EQ(L"Value is not in the range 1 to 10.", refusal);
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_TRUE(closed);
    // Two figures: the first two rounded, the rest zeros.
    const std::string rounded =
        std::to_string(std::stoi(before.substr(0, 2)) + (before[2] >= '5')) + std::string(before.size() - 2, '0');
    std::string after;
    EXPECT_TRUE(Pump([&] { return (after = FirstValueShown("SW")) == rounded; })) << before << " became " << after;
}

// Enter commits the value typed and moves down to the next well, so that a column is typed value after
// value: the known volumes 10 and 20 go to wells 1 and 2, their readings 20 and 40 beside them, and the
// line through (20, 10) and (40, 20) is volume = 0.5 * conductance + 0.
TEST_F(FrameKeys, EnterInTheCuvetteTableMovesToTheNextWell)
{
    Open({L"Sistra Cuvette Calibration View"});
    const HWND view = frame->FindView(L"Sistra Cuvette Calibration View")->ViewWindow();
    const HWND pane = GridPaneOf(L"Sistra Cuvette Calibration View");
    ASSERT_NE(nullptr, pane);
    RECT place{};
    GetWindowRect(pane, &place);
    // No key is given before the table has them: one that went elsewhere would be lost to the column. The
    // keys queue in order, and the table takes each before the next: they go in one go, and the fit shows
    // once the last has.
    ASSERT_TRUE(HostTests::ClickUntil(*frame, {place.left + 20, place.top + 6}, [pane] { return HostTests::HasKeyboard(pane); }));
    TypeKeys(L"10\n20\n" + std::wstring{VK_UP, VK_UP, VK_RIGHT} + L"20\n40\n");
    const std::wstring fitted = L"Known volume = 0.5 \u00D7 Conductance + 0, r\u00B2 = 1";
    const HWND fit = GetDlgItem(view, CuvetteFitTextId);
    Pump([&] { return HostTests::WindowText(fit) == fitted; });
    HostTests::SaveTestPicture(view, L"frame-cuvette-typed");
    EXPECT_EQ(fitted, HostTests::WindowText(fit));
}

} // namespace
