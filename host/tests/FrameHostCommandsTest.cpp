// The host's own commands and windows, reached through the frame as a person reaches them: Edit > Copy and
// File > Print... / Print Preview... / Print Window... on the active view, the table's buttons (Export...,
// Add to Tallion), the copy dialog of the cuvette view, and the help window a help button opens.
#include "foundation/com/ComPtr.h"
#include "host/app/files/TextConversion.h"
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/HostWindows.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/ViewPrinting.h"
#include "host/app/recording/RecordingText.h"
#include "host/tests/AnalysisReference.h"
#include "host/tests/FrameInput.h"
#include "host/tests/PrintedPagePixels.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/TestCanvas.h"
#include "host/tests/TestPictures.h"
#include "host/vyr/HelpWindow.h"
#include "host/vyr/PrintService.h"
#include "host/vyr/ToolCaption.h"
#include "hostapi/VyrDocuments.h"
#include "testsupport/RealInput.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <tuple>

namespace
{

constexpr const wchar_t* LoopViewName = L"Loop View";
constexpr const wchar_t* TableViewName = L"Sistra Hemodynamics TableView";
constexpr const wchar_t* CuvetteViewName = L"Sistra Cuvette Calibration View";
constexpr int HelpButtonId = 9, ExportButtonId = 1000, TallionButtonId = 1002;
// A list's cell keeps this much room beside its text: its margins and the room before the next column.
constexpr int ListLabelMargins = 12;
// How long a window may take to show what input asked of it before the test gives up: the test waits
// for the effect, never for a time.
constexpr DWORD GiveUpAfter = 20000;

// Handles the messages that wait, and what the document asked of its host, until done holds.
bool PumpUntil(Host::FrameWindow& frame, const std::function<bool()>& done)
{
    return HostTests::PumpUntil(
        [&] {
            frame.FollowDocument();
            return done();
        },
        GiveUpAfter);
}

void Pump(Host::FrameWindow& frame)
{
    PumpUntil(frame, [] { return true; });
}

std::wstring TempPath(const std::wstring& name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

struct ClipboardContent
{
    bool picture = false;
    std::wstring text;
    size_t drawnPixels = 0;  // of the picture played into a white bitmap, which is saved to look at
};

constexpr int PlayedWidth = 800, PlayedHeight = 600;

// Plays the metafile into a white bitmap, saves it under name and counts the pixels it drew.
size_t PlayPicture(HENHMETAFILE picture, const std::wstring& name)
{
    const HostTests::Canvas canvas(PlayedWidth, PlayedHeight);
    const RECT place{0, 0, PlayedWidth, PlayedHeight};
    PlayEnhMetaFile(canvas.Dc(), picture, &place);
    size_t drawn = 0;
    for (int y = 0; y < PlayedHeight; ++y)
        for (int x = 0; x < PlayedWidth; ++x)
            drawn += canvas.At(x, y) != 0xFFFFFF;
    Host::SaveBitmapPicture(canvas.Bitmap(), HostTests::TestPicturePath(name));
    return drawn;
}

ClipboardContent ReadClipboard(const std::wstring& pictureName = L"frame-copy")
{
    ClipboardContent content;
    if (!OpenClipboard(nullptr))
        return content;
    content.picture = IsClipboardFormatAvailable(CF_ENHMETAFILE) != FALSE;
    if (auto picture = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)))
        content.drawnPixels = PlayPicture(picture, pictureName);
    CloseClipboard();
    content.text = HostTests::ClipboardText();
    return content;
}

// The text the menu item of the command has once its popup opened, as the view names it.
std::wstring MenuItemText(HWND frame, const std::wstring& popupName, int position)
{
    HMENU bar = GetMenu(frame);
    for (int popup = 0; popup < GetMenuItemCount(bar); ++popup)
    {
        wchar_t name[64] = {};
        GetMenuStringW(bar, popup, name, 64, MF_BYPOSITION);
        if (popupName != name)
            continue;
        SendMessageW(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, popup)), popup);
        wchar_t text[128] = {};
        GetMenuStringW(GetSubMenu(bar, popup), position, text, 128, MF_BYPOSITION);
        return text;
    }
    return {};
}

std::string FileStart(const std::wstring& path, size_t count)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::string start(count, '\0');
    file.read(start.data(), static_cast<std::streamsize>(count));
    return file ? start : std::string();
}

size_t LineCount(const std::wstring& text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), L'\n'));
}

class FrameHostCommands : public testing::Test
{
protected:
    void SetUp() override
    {
        opened.emplace(file.Path(), Host::OpenOptions{{}, leaveWorkflow});
        frame.emplace(L"Sistra - host commands", Host::CollectMenuCommands(opened->StandIn()),
                      RECT{0, 0, 1200, 900});
        opened->StandIn().SetMainWindow(frame->Handle());
        frame->ShowDocument(opened->Document(), opened->Classes().Views());
        frame->SetHost(&opened->StandIn());
        windows.emplace(*frame, *opened);
        SetForegroundWindow(frame->Handle());
    }
    void TearDown() override
    {
        opened->StandIn().ShowModuleDialogs(VARIANT_FALSE);
        windows.reset();
        frame.reset();
        opened.reset();
    }

    // Opens the views; the last is the active one, as the host makes the view it opens active.
    Host::ViewFrame& Open(std::initializer_list<const wchar_t*> names)
    {
        for (const wchar_t* name : names)
            frame->OpenView(*opened->Classes().FindView(name), opened->Document());
        Pump(*frame);
        return *frame->ActiveView();
    }
    // A click on the view makes it the active one: the frame hears of it as the display tells a parent.
    void ClickInto(Host::ViewFrame& view)
    {
        RECT place{};
        GetWindowRect(view.ViewWindow(), &place);
        POINT point{place.left + 4, place.top + 4};
        ScreenToClient(frame->Handle(), &point);
        SendMessageW(frame->Handle(), WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(point.x, point.y));
    }
    ULONG PrintJobs() { return Host::PrintJobCount(opened->StandIn()); }

    bool leaveWorkflow = true;
    HostTests::TemporaryFile file{"frame-host-commands.csv", HostTests::OcclusionText(16)};
    std::optional<Host::OpenedRecording> opened;
    std::optional<Host::FrameWindow> frame;
    std::optional<Host::HostWindows> windows;
};

TEST_F(FrameHostCommands, EditCopyPutsTheActiveViewsCopyOnTheClipboardUnderTheViewsOwnName)
{
    Host::ViewFrame& table = Open({LoopViewName, TableViewName});
    Host::ViewFrame& loops = *frame->FindView(LoopViewName);

    HostTests::EmptyTheClipboard();
    EXPECT_EQ(L"Copy Sistra Hemodynamics Table", MenuItemText(frame->Handle(), L"Edit", 0));
    ASSERT_TRUE(frame->ChooseCommand(L"Edit|Copy"));
    const ClipboardContent tableCopy = ReadClipboard();
    // A title line, then a line per loop and the summary statistics, each cell after a tab.
    EXPECT_GT(LineCount(tableCopy.text), opened->Analysis()->Loops().size());
    EXPECT_NE(std::wstring::npos, tableCopy.text.find(L'\t'));

    ClickInto(loops);
    ASSERT_EQ(&loops, frame->ActiveView());
    HostTests::EmptyTheClipboard();
    EXPECT_EQ(L"Copy Sistra Loop View", MenuItemText(frame->Handle(), L"Edit", 0));
    ASSERT_TRUE(frame->ChooseCommand(L"Edit|Copy"));
    const ClipboardContent loopCopy = ReadClipboard(L"frame-copy-loop-view");
    EXPECT_TRUE(loopCopy.picture);
    // The loops, their axes and texts: far more than a frame's worth of pixels.
    EXPECT_GT(loopCopy.drawnPixels, static_cast<size_t>(4 * (PlayedWidth + PlayedHeight)));
    EXPECT_NE(&table, frame->ActiveView());
}

TEST_F(FrameHostCommands, PrintWritesEveryPageAsAPictureWhereTheUserSaysAndPreviewShowsThePages)
{
    Open({TableViewName, LoopViewName});
    // The printed pages are kept beside the tests' pictures for a person to look at.
    const std::wstring target = HostTests::TestPicturePath(L"frame-print-loop-view");
    std::filesystem::remove(target);

    // Cancelled: the pages go nowhere.
    opened->StandIn().ScriptSaveFileAnswer(nullptr);
    ASSERT_TRUE(frame->ChooseCommand(L"File|Print..."));
    EXPECT_FALSE(std::filesystem::exists(target));

    // One page: the picture has the name given.
    const ULONG jobs = PrintJobs();
    opened->StandIn().ScriptSaveFileAnswer(target.c_str());
    ASSERT_TRUE(frame->ChooseCommand(L"File|Print..."));
    EXPECT_EQ(jobs + 1, PrintJobs());
    EXPECT_EQ("\x89PNG", FileStart(target, 4));
    EXPECT_EQ(L"frame-host-commands.csv: Loop View", Host::PrintedSince(opened->StandIn(), jobs).title)
        << "the document's name, then the view's";

    ASSERT_TRUE(frame->ChooseCommand(L"File|Print Preview..."));
    ASSERT_NE(nullptr, frame->Preview());
    EXPECT_EQ(1u, frame->Preview()->PageCount());
    EXPECT_TRUE(IsWindowVisible(frame->Preview()->Handle()));
    Pump(*frame);
    HostTests::SaveTestPicture(frame->Preview()->Handle(), L"frame-print-preview-loop");

    // The table prints its grids: each page gets a numbered picture when there are several.
    ClickInto(*frame->FindView(TableViewName));
    const ULONG tableJobs = PrintJobs();
    const std::wstring tableTarget = HostTests::TestPicturePath(L"frame-print-table");
    opened->StandIn().ScriptSaveFileAnswer(tableTarget.c_str());
    ASSERT_TRUE(frame->ChooseCommand(L"File|Print..."));
    const Host::PrintedPages printed = Host::PrintedSince(opened->StandIn(), tableJobs);
    ASSERT_FALSE(printed.pages.empty());
    for (const std::wstring& page : Host::PagePicturePaths(tableTarget, printed.pages.size()))
        EXPECT_EQ("\x89PNG", FileStart(page, 4)) << Host::ToUtf8(page);
    // Every page carries the document's title above what it prints, whole.
    EXPECT_TRUE(printed.title.starts_with(L"frame-host-commands.csv: ")) << Host::ToUtf8(printed.title);
    for (size_t page = 0; page < printed.pages.size(); ++page)
        EXPECT_EQ(HostTests::InkOfText(printed.title),
                  HostTests::InkIn(HostTests::PagePixels(printed.pages[page].get()), HostTests::TitleBand()))
            << "page " << page + 1;
}

TEST(PagePictures, OnePageKeepsTheNameAndSeveralAreNumberedBeforeTheExtension)
{
    struct Case
    {
        std::wstring path;
        size_t pages;
        std::vector<std::wstring> expected;
    };
    for (const Case& c : std::vector<Case>{
             {L"C:\\out\\table.png", 1, {L"C:\\out\\table.png"}},
             {L"C:\\out\\table.png", 2, {L"C:\\out\\table-1.png", L"C:\\out\\table-2.png"}},
             {L"C:\\out.d\\table", 2, {L"C:\\out.d\\table-1", L"C:\\out.d\\table-2"}},
         })
        EXPECT_EQ(c.expected, Host::PagePicturePaths(c.path, c.pages)) << Host::ToUtf8(c.path);
}

TEST_F(FrameHostCommands, TheTablesExportWritesTheNamedFileAndAddToTallionShowsTheSheetWithItsRows)
{
    Host::ViewFrame& table = Open({TableViewName});
    const std::wstring target = TempPath(L"frame-table-export.csv");
    std::filesystem::remove(target);
    opened->StandIn().ScriptSaveFileAnswer(target.c_str());
    SendDlgItemMessageW(table.ViewWindow(), ExportButtonId, BM_CLICK, 0, 0);
    Pump(*frame);
    std::ifstream exported{std::filesystem::path(target)};
    std::stringstream read;
    read << exported.rdbuf();
    const std::string text = read.str();
    EXPECT_GT(std::count(text.begin(), text.end(), '\n'),
              static_cast<std::ptrdiff_t>(opened->Analysis()->Loops().size()));
    exported.close();
    std::filesystem::remove(target);

    SendDlgItemMessageW(table.ViewWindow(), TallionButtonId, BM_CLICK, 0, 0);
    Host::HostListWindow& sheet = windows->ResultsSheet();
    ASSERT_TRUE(PumpUntil(*frame, [&] { return sheet.Handle() && IsWindowVisible(sheet.Handle()); }));
    const Host::ResultsSheet& cells = opened->Session().Sheet();
    ASSERT_GT(cells.RowCount(), 1);
    EXPECT_EQ(cells.RowCount(), ListView_GetItemCount(sheet.List()));
    // Row numbers first, then the cells as the sheet holds them.
    wchar_t shown[128] = {};
    ListView_GetItemText(sheet.List(), 1, 1, shown, 128);
    EXPECT_EQ(cells.Cell(1, 0), shown);
    HostTests::SaveTestPicture(sheet.Handle(), L"frame-results-sheet");
}

TEST_F(FrameHostCommands, FileExportSavesTheRecordingAsATextThatReadsBackWhereTheUserSays)
{
    const std::wstring target = TempPath(L"frame-export-recording.csv");
    opened->StandIn().ScriptSaveFileAnswer(target.c_str());
    ASSERT_TRUE(frame->ChooseCommand(L"File|Export..."));
    const Host::Recording read = Host::LoadRecordingFile(Host::ToUtf8(target));
    std::filesystem::remove(target);
    const Host::Recording& recorded = opened->Host().Data();
    ASSERT_EQ(recorded.Channels().size(), read.Channels().size());
    ASSERT_EQ(recorded.RecordCount(), read.RecordCount());
    EXPECT_EQ(recorded.RecordAt(0).Length(), read.RecordAt(0).Length());
}

TEST_F(FrameHostCommands, TheCuvetteViewsCopyAsksWhatToCopyAndCopiesTheCalibrationTableWhenChosen)
{
    Open({CuvetteViewName});
    constexpr int32_t CopyTable = 1;
    opened->StandIn().ScriptDialogChoice(L"CopyCuvetteCalibrationView", sizeof CopyTable,
                                         reinterpret_cast<const BYTE*>(&CopyTable));
    HostTests::EmptyTheClipboard();
    ASSERT_TRUE(frame->ChooseCommand(L"Edit|Copy"));
    const ClipboardContent copied = ReadClipboard();
    EXPECT_FALSE(copied.picture);
    EXPECT_NE(std::wstring::npos, copied.text.find(L'\t'));
    // Asked of the host by the dialog's name, over the view.
    bool asked = false;
    for (ULONG index = 0;; ++index)
    {
        BSTR text = nullptr, caption = nullptr;
        UINT style = 0;
        LONG answer = 0;
        if (opened->StandIn().GetMessageBox(index, &text, &caption, &style, &answer) != S_OK)
            break;
        asked = asked || std::wstring(caption ? caption : L"") == L"CopyCuvetteCalibrationView";
        SysFreeString(text);
        SysFreeString(caption);
    }
    EXPECT_TRUE(asked);
}

TEST_F(FrameHostCommands, AHelpButtonOpensAMovableClosableHelpWindowBesideItsOwnerClearOfTheMenuBar)
{
    Host::ViewFrame& table = Open({TableViewName});
    opened->StandIn().ShowModuleDialogs(VARIANT_TRUE);
    SendDlgItemMessageW(table.ViewWindow(), HelpButtonId, BM_CLICK, 0, 0);
    Pump(*frame);
    HWND help = FindWindowW(L"SistraHostHelp", nullptr);
    ASSERT_NE(nullptr, help);
    EXPECT_TRUE(IsWindowVisible(help));
    EXPECT_EQ(frame->Handle(), GetWindow(help, GW_OWNER));
    const LONG_PTR style = GetWindowLongPtrW(help, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
    MENUBARINFO bar{sizeof bar};
    ASSERT_TRUE(GetMenuBarInfo(frame->Handle(), OBJID_MENU, 0, &bar));
    RECT place{}, overlap{};
    GetWindowRect(help, &place);
    EXPECT_FALSE(IntersectRect(&overlap, &place, &bar.rcBar))
        << place.left << "," << place.top << " " << bar.rcBar.left << "," << bar.rcBar.top << ","
        << bar.rcBar.right << "," << bar.rcBar.bottom;
    HostTests::SaveTestPicture(help, L"frame-help-window");

    // The menus still answer, and the help window closes by its close box.
    EXPECT_TRUE(frame->ChooseCommand(L"Edit|Copy"));
    SendMessageW(help, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(*frame);
    EXPECT_FALSE(IsWindow(help));
}

// Dark pixels of the window's picture along the close box's two diagonals and along its two middle lines,
// inside a margin of two pixels.
struct BoxStrokes
{
    int diagonals = 0, middles = 0, side = 0;
};
BoxStrokes StrokesIn(HWND window, RECT box)
{
    const Host::WindowImage image = Host::ReadWindowImage(window);
    RECT outer{};
    GetWindowRect(window, &outer);
    OffsetRect(&box, -outer.left, -outer.top);
    BoxStrokes strokes;
    strokes.side = std::min(box.right - box.left, box.bottom - box.top) - 4;
    const auto dark = [&](LONG x, LONG y) {
        const uint32_t pixel = image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
        return ((pixel & 0xFF) + (pixel >> 8 & 0xFF) + (pixel >> 16 & 0xFF)) < 3 * 0x60 ? 1 : 0;
    };
    const LONG left = box.left + 2, top = box.top + 2, last = strokes.side - 1;
    for (LONG i = 0; i <= last; ++i)
    {
        strokes.diagonals += dark(left + i, top + i) + dark(left + last - i, top + i);
        strokes.middles += dark(left + last / 2, top + i) + dark(left + i, top + last / 2);
    }
    return strokes;
}

// The host's floating windows close on one click on their close box, and the box shows a cross: the
// platform drew it as the letter "r" of a symbol font that is not installed, and its box needed a second
// click.
TEST_F(FrameHostCommands, EachFloatingWindowClosesOnOneClickOnItsCloseBoxWhichShowsACross)
{
    Host::ViewFrame& table = Open({TableViewName});
    opened->StandIn().ShowModuleDialogs(VARIANT_TRUE);
    const auto click = [&](int button) { SendDlgItemMessageW(table.ViewWindow(), button, BM_CLICK, 0, 0); };
    const struct
    {
        const wchar_t* name;
        std::function<HWND()> open;
    } floating[] = {
        {L"help", [&] { click(HelpButtonId); return FindWindowW(L"SistraHostHelp", nullptr); }},
        {L"results-sheet", [&] { click(TallionButtonId); Pump(*frame); return windows->ResultsSheet().Handle(); }},
        {L"print-preview",
         [&] { return frame->ChooseCommand(L"File|Print Preview...") && frame->Preview() ? frame->Preview()->Handle() : nullptr; }},
    };
    for (const auto& [name, open] : floating)
    {
        const HWND window = open();
        ASSERT_TRUE(window) << Host::ToUtf8(name);
        Pump(*frame);
        HostTests::SaveTestPicture(window, std::wstring(L"frame-close-box-") + name);
        const RECT box = Vyr::ToolCaption::CloseBox(window);
        const BoxStrokes strokes = StrokesIn(window, box);
        // An X runs along both diagonals and meets each middle line only near its centre, where a letter's
        // stem or a plus runs along one.
        EXPECT_GE(strokes.diagonals, 2 * strokes.side - 4) << Host::ToUtf8(name);
        EXPECT_LE(strokes.middles, strokes.side) << Host::ToUtf8(name);
        EXPECT_TRUE(HostTests::ClickUntil(*frame, HostTests::CentreOf(box), [&] { return !IsWindow(window); })) << Host::ToUtf8(name);
    }
}

// The document in the workflow, as it opens.
class FrameInWorkflow : public FrameHostCommands
{
protected:
    FrameInWorkflow() { leaveWorkflow = false; }
};

// The window of that control id among window's descendants; null when there is none.
HWND DescendantWithId(HWND window, int id)
{
    std::pair<int, HWND> search{id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL
        {
            auto& [wanted, found] = *reinterpret_cast<std::pair<int, HWND>*>(data);
            if (GetDlgCtrlID(child) == wanted && IsWindowVisible(child))
                found = child;
            return found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

TEST_F(FrameInWorkflow, TheAnalysisStepsButtonOpensTheHostsAnalysisManagerListingTheDocumentsAnalyses)
{
    constexpr int WorkflowChoice = 1070, AnalysisManagerButton = 1094;
    ASSERT_TRUE(frame->ChooseCommand(L"Sistra|Workflow"));
    Pump(*frame);
    Host::ViewFrame* workflow = frame->FindView(L"Sistra Workflow");
    ASSERT_NE(nullptr, workflow);
    // The setup step's workflow is chosen: its steps follow.
    HWND choice = DescendantWithId(workflow->ViewWindow(), WorkflowChoice);
    ASSERT_NE(nullptr, choice);
    const LRESULT smallMammal = SendMessageW(choice, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(L"Small mammal"));
    ASSERT_NE(CB_ERR, smallMammal);
    SendMessageW(choice, CB_SETCURSEL, static_cast<WPARAM>(smallMammal), 0);
    SendMessageW(GetParent(choice), WM_COMMAND, MAKEWPARAM(WorkflowChoice, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(choice));
    Pump(*frame);
    // The analysis step is the workflow's last: its pane's title is clicked.
    HWND lastPane = nullptr;
    for (int id = HostTests::FirstStepPane; HWND pane = DescendantWithId(workflow->ViewWindow(), id); ++id)
        lastPane = pane;
    ASSERT_NE(nullptr, lastPane);
    PostMessageW(lastPane, WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
    HWND button = nullptr;
    ASSERT_TRUE(PumpUntil(
        *frame, [&] { return (button = DescendantWithId(workflow->ViewWindow(), AnalysisManagerButton)); }));

    SendMessageW(button, BM_CLICK, 0, 0);
    Host::HostListWindow& manager = windows->AnalysisManager();
    ASSERT_TRUE(PumpUntil(*frame, [&] { return manager.Handle() && IsWindowVisible(manager.Handle()); }));
    ASSERT_EQ(static_cast<int>(opened->Host().AnalysisClients().size()),
              ListView_GetItemCount(manager.List()));
    wchar_t name[64] = {};
    ListView_GetItemText(manager.List(), 0, 0, name, 64);
    EXPECT_EQ(opened->Host().AnalysisClients().front(), name);

    // Its buttons send the manager's requests; the list shows the document's answers.
    const auto cell = [&](int column) {
        wchar_t text[128] = {};
        ListView_GetItemText(manager.List(), 0, column, text, 128);
        return std::wstring(text);
    };
    constexpr int LoopsColumn = 2, RegionColumn = 3, SettingsColumn = 4;
    const std::wstring loops = cell(LoopsColumn);
    ASSERT_NE(L"0", loops);
    const struct
    {
        size_t button;
        std::wstring loops;
        bool settingsChange;  // the analysis told the manager its settings changed
    } requests[] = {
        {2, loops, false},  // report the region
        {1, loops, true},   // recalibrate and analyse again
        {0, L"0", true},    // clear
        {1, loops, true},   // analyse what was cleared, as Analyze Channel does
        {2, loops, false},
    };
    for (const auto& request : requests)
    {
        const int settingsBefore = std::stoi(cell(SettingsColumn));
        RECT place{};
        GetWindowRect(manager.ButtonAt(request.button), &place);
        EXPECT_TRUE(HostTests::ClickUntil(*frame, HostTests::CentreOf(place), [&] {
            return (std::stoi(cell(SettingsColumn)) > settingsBefore) == request.settingsChange &&
                   cell(LoopsColumn) == request.loops && !cell(RegionColumn).empty();
        })) << request.button << ": " << cell(LoopsColumn) << " loops, " << settingsBefore << " -> " << cell(SettingsColumn);
        EXPECT_TRUE(cell(RegionColumn).starts_with(L"record 1, 0 s to record 1, ")) << cell(RegionColumn);
        // The region's text shows whole in its column.
        EXPECT_GE(ListView_GetColumnWidth(manager.List(), RegionColumn),
                  ListView_GetStringWidth(manager.List(), cell(RegionColumn).c_str()) + ListLabelMargins)
            << Host::ToUtf8(cell(RegionColumn));
    }
    HostTests::SaveTestPicture(manager.Handle(), L"frame-analysis-manager");
    // The analysis made again is analyze's on the same recording, over the whole of it.
    const Host::Recording& data = opened->Host().Data();
    ASSERT_TRUE(opened->Host().ReportedRegion());
    EXPECT_EQ(static_cast<uint64_t>(data.RecordAt(0).Length()), opened->Host().ReportedRegion()->second);
    HostTests::ReferenceAnalysis reference(opened->StandIn(), data);
    HostTests::ExpectTheSameAnalysis(reference.Analysis(), *opened->Analysis());
}

TEST(HelpWindowPlace, ItGoesBesideItsOwnerWhereThereIsRoomElseInsideTheWorkAreaBelowTheMenuBar)
{
    constexpr RECT Work{0, 0, 1280, 1024};
    constexpr SIZE Size{400, 140};
    struct Case
    {
        const char* name;
        RECT owner;
        LONG lowestTop;
        RECT expected;
    };
    for (const Case& c : std::vector<Case>{
             {"right of a dialog", {100, 200, 500, 500}, 0, {508, 200, 908, 340}},
             {"left of a dialog at the right edge", {900, 200, 1200, 500}, 0, {492, 200, 892, 340}},
             {"a full-screen frame: inside, under its menu bar",
              {0, 0, 1280, 1024},
              48,
              {880, 48, 1280, 188}},
             {"an owner low on the screen: lifted onto it", {100, 950, 500, 1020}, 0, {508, 884, 908, 1024}},
         })
    {
        const RECT place = Vyr::PlaceBeside(c.owner, Size, Work, c.lowestTop);
        EXPECT_EQ(std::make_tuple(c.expected.left, c.expected.top, c.expected.right, c.expected.bottom),
                  std::make_tuple(place.left, place.top, place.right, place.bottom))
            << c.name;
    }
}

} // namespace

namespace
{

using HostTests::IsInk;
using HostTests::PagePixels;

// Where a column title's ink meets its outline on a printed page: the pixels just inside each title cell's
// side lines (runs of ink taller than a line of text or a row label, as high as the header) and just
// above its bottom line are white, unless they are the next cell's line.
std::vector<std::string> TitleInkOnOutlines(const Host::WindowImage& page)
{
    constexpr int OutlineRun = 24;
    struct Line
    {
        int x, top, bottom;  // bottom: the outline's bottom row
    };
    std::vector<Line> lines;
    for (int x = 0; x < page.width; ++x)
        for (int y = 0; y < page.height; ++y)
        {
            int end = y;
            while (IsInk(page, x, end))
                ++end;
            if (end - y >= OutlineRun)
                lines.push_back({x, y, end - 1});
            y = end;
        }
    std::vector<std::string> faults;
    const auto where = [](int x, int y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; };
    for (const Line& line : lines)
    {
        for (int beside : {line.x - 1, line.x + 1})
        {
            int ink = 0;
            for (int y = line.top + 1; y < line.bottom; ++y)
                ink += IsInk(page, beside, y);
            if (ink != 0 && ink != line.bottom - line.top - 1)
                faults.push_back("ink beside the line at " + where(line.x, line.top));
        }
        // The cell this line is the left side of, up to the next line of the same band; a line with another
        // beside it is the right side of a cell.
        const auto right = std::find_if(lines.begin(), lines.end(), [&](const Line& other) {
            return other.top == line.top && other.bottom == line.bottom && other.x > line.x;
        });
        for (int x = line.x + 1; right != lines.end() && x < right->x; ++x)
            if (IsInk(page, x, line.bottom - 1))
                faults.push_back("ink on the bottom line at " + where(x, line.bottom));
    }
    return faults;
}

} // namespace

// One loop chosen in the table and printed: the bands of its columns stack on one page.
TEST_F(FrameHostCommands, PrintingOneSelectedRowOfTheTableTakesOnePage)
{
    Host::ViewFrame& table = Open({LoopViewName, TableViewName});
    HWND grid = HostTests::TopmostChildOfClass(table.ViewWindow(), L"GridPane");
    ASSERT_NE(nullptr, grid);
    RECT place{};
    GetWindowRect(grid, &place);
    // A loop's row, below the grid's header line, clicked until its loop is chosen.
    const auto chosen = [&] { return opened->Analysis()->SelectedLoop() >= 0; };
    ASSERT_FALSE(chosen());
    ASSERT_TRUE(HostTests::ClickUntil(*frame, {place.left + 40, place.top + 24}, chosen));
    const ULONG jobs = PrintJobs();
    const std::wstring target = HostTests::TestPicturePath(L"frame-print-table-one-row");
    opened->StandIn().ScriptSaveFileAnswer(target.c_str());
    ASSERT_TRUE(frame->ChooseCommand(L"File|Print..."));
    const Host::PrintedPages printed = Host::PrintedSince(opened->StandIn(), jobs);
    ASSERT_EQ(1u, printed.pages.size());
    EXPECT_EQ(L"frame-host-commands.csv: Hemodynamics Table", printed.title);
    // Every column title whole inside its outline, on one line or broken onto two.
    const std::vector<std::string> faults = TitleInkOnOutlines(PagePixels(printed.pages.front().get()));
    EXPECT_TRUE(faults.empty()) << faults.size() << " faults, the first " << faults.front();
}

namespace
{

// Whether the menu's item of that caption is enabled as a person opens the menu; nullopt when it is not
// there.
std::optional<bool> EnabledAsMenuOpens(Host::FrameWindow& frame, const std::wstring& menuName,
                                       const std::wstring& caption)
{
    const HMENU bar = GetMenu(frame.Handle());
    HMENU menu = nullptr;
    for (int position = 0; position < GetMenuItemCount(bar) && !menu; ++position)
        if (std::wstring name = HostTests::MenuItemText(bar, position);
            std::erase(name, L'&'), name == menuName)
            menu = GetSubMenu(bar, position);
    std::optional<bool> enabled;
    HostTests::ChooseMenuItem(
        frame, menuName,
        [&](const std::wstring& text)
        {
            for (int position = 0; text == caption && position < GetMenuItemCount(menu); ++position)
                if (HostTests::MenuItemText(menu, position) == caption)
                    enabled = (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) &
                               (MF_GRAYED | MF_DISABLED)) == 0;
            return false;
        });
    return enabled;
}

// The page's pixels that are not white, inside and outside place.
std::pair<size_t, size_t> InkInAndOutside(HBITMAP page, const RECT& place)
{
    const Host::WindowImage image = PagePixels(page);
    std::pair<size_t, size_t> ink{0, 0};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (IsInk(image, x, y))
                ++(PtInRect(&place, POINT{x, y}) ? ink.first : ink.second);
    return ink;
}

} // namespace

// File > Print Window... is offered while the active view prints (not for the workflow panel) and prints
// the view as it shows, through the site of the document's views, onto one page the user saves.
TEST_F(FrameHostCommands, PrintWindowFollowsTheActiveViewAndPrintsItAsItShows)
{
    Open({L"Sistra Workflow", LoopViewName});
    Host::ViewFrame& loops = *frame->FindView(LoopViewName);
    ClickInto(*frame->FindView(L"Sistra Workflow"));
    EXPECT_EQ(std::optional<bool>(false), EnabledAsMenuOpens(*frame, L"File", L"Print &Window..."));
    ClickInto(loops);
    EXPECT_EQ(std::optional<bool>(true), EnabledAsMenuOpens(*frame, L"File", L"Print &Window..."));

    const ULONG jobs = PrintJobs();
    const std::wstring target = HostTests::TestPicturePath(L"frame-print-window-loop-view");
    std::filesystem::remove(target);
    opened->StandIn().ScriptSaveFileAnswer(target.c_str());
    EXPECT_EQ(L"Print &Window...", HostTests::ChooseMenuItem(*frame, L"File",
                                                             [](const std::wstring& text)
                                                             { return text == L"Print &Window..."; }));
    const Host::PrintedPages printed = Host::PrintedSince(opened->StandIn(), jobs);
    ASSERT_EQ(1u, printed.pages.size());
    EXPECT_EQ(HostTests::WindowText(loops.Frame()), printed.title);
    EXPECT_EQ("\x89PNG", FileStart(target, 4));
    // The view's picture fills the page's width in its own proportions, and nothing is printed beside it.
    RECT view{};
    GetWindowRect(loops.ViewWindow(), &view);
    constexpr int Margin = Vyr::PrintService::Margin;
    const RECT place = Host::FittedPicturePlace(
        {Margin, Margin, Vyr::PrintService::PageWidth - Margin, Vyr::PrintService::PageHeight - Margin},
        {view.right - view.left, view.bottom - view.top});
    const auto [inside, outside] = InkInAndOutside(printed.pages.front().get(), place);
    EXPECT_GT(inside, static_cast<size_t>((place.right - place.left) * 4));
    // Beside it only the page's title, above it.
    EXPECT_EQ(HostTests::InkOfText(printed.title), outside);
}

TEST(FittedPicturePlace, APictureTakesTheWidthOrTheHeightOfThePrintableRectangleInItsOwnProportions)
{
    constexpr RECT Printable{10, 20, 410, 320}; // 400 x 300
    struct Case
    {
        SIZE picture;
        RECT expected;
    };
    for (const Case& c : std::vector<Case>{{{800, 300}, {10, 20, 410, 170}},
                                           {{200, 600}, {10, 20, 110, 320}},
                                           {{4, 3}, {10, 20, 410, 320}},
                                           {{0, 300}, {10, 20, 10, 20}}})
    {
        const RECT place = Host::FittedPicturePlace(Printable, c.picture);
        EXPECT_EQ(std::make_tuple(c.expected.left, c.expected.top, c.expected.right, c.expected.bottom),
                  std::make_tuple(place.left, place.top, place.right, place.bottom))
            << c.picture.cx << " x " << c.picture.cy;
    }
}

// The frame answers the host's context question with the host object of its document's frame, and asks
// the window holding the focus: the document's commands are offered in a window of its context (the
// workflow panel says it is one), not in a window that says it belongs to another document's frame.
TEST_F(FrameHostCommands, TheDocumentsCommandsFollowTheContextTheFocusIsIn)
{
    static const UINT question = RegisterWindowMessageW(L"VyrGetWindowContext");
    Orv::ComPtr<IVyrDocumentFrame> documentFrame;
    Orv::ComPtr<IUnknown> context;
    ASSERT_EQ(S_OK, opened->Document()->QueryInterface(IID_IVyrDocumentFrame, documentFrame.PutVoid()));
    ASSERT_EQ(S_OK, documentFrame->GetHostObject(context.Put()));
    EXPECT_EQ(reinterpret_cast<LRESULT>(context.Get()), SendMessageW(frame->Handle(), question, 0, 0));

    WNDCLASSW otherClass{};
    otherClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT
    { return message == question ? 1 : DefWindowProcW(window, message, wParam, lParam); };
    otherClass.hInstance = GetModuleHandleW(nullptr);
    otherClass.lpszClassName = L"OtherContextWindow";
    RegisterClassW(&otherClass);
    const HWND other = CreateWindowExW(0, otherClass.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 8, 8,
                                       frame->Handle(), nullptr, otherClass.hInstance, nullptr);
    ASSERT_NE(nullptr, other);
    Host::ViewFrame& workflow = Open({L"Sistra Workflow"});

    SetFocus(workflow.ViewWindow());
    EXPECT_EQ(std::optional<bool>(true), EnabledAsMenuOpens(*frame, L"Sistra", L"&Settings..."));
    SetFocus(other);
    EXPECT_EQ(std::optional<bool>(false), EnabledAsMenuOpens(*frame, L"Sistra", L"&Settings..."));
    DestroyWindow(other);
}
