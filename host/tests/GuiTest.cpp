// The host's windows: the menu bar made from the modules' menu commands, the frame with a recording's
// document, its menus and views, and the snapshot of one view saved as a picture.
#include "host/app/commands/CommandLine.h"
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/GuiCommands.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/tests/RecordingFixtures.h"

#include "foundation/text/StringResources.h"

#include <gtest/gtest.h>

#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <tuple>

namespace
{

std::wstring MenuText(HMENU menu, int position)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, static_cast<int>(std::size(text)), MF_BYPOSITION);
    return text;
}

// The bar's popups, each as its name and its items' texts ("-" for a separator).
std::vector<std::vector<std::wstring>> MenuLayout(HMENU bar)
{
    std::vector<std::vector<std::wstring>> layout;
    for (int popup = 0; popup < GetMenuItemCount(bar); ++popup)
    {
        HMENU items = GetSubMenu(bar, popup);
        layout.push_back({MenuText(bar, popup)});
        for (int item = 0; items && item < GetMenuItemCount(items); ++item)
            layout.back().push_back((GetMenuState(items, item, MF_BYPOSITION) & MF_SEPARATOR) ? L"-"
                                                                                               : MenuText(items, item));
    }
    return layout;
}

TEST(HostMenus, PopupsComeFromThePathsFirstPartsInOrderWithCaptionsAndNoStraySeparators)
{
    std::vector<Host::MenuCommandEntry> entries;
    for (const auto& [path, caption, shown] : std::vector<std::tuple<const wchar_t*, const wchar_t*, bool>>{
             {L"Sistra|-", L"", true},  // opens the popup: dropped
             {L"Sistra|Workflow", L"&Workflow", true},
             {L"Sistra^EXTENSION|", L"Sistra", true},
             {L"Edit|Copy PV Regression^DATA_21", L"", true},
             {L"Sistra|-", L"", true},
             {L"Sistra|-", L"", true},  // follows a separator: dropped
             {L"Sistra^EXTENSION|SistraA^VIEWS", L"&Loop View", true},
             {L"Sistra|Hidden", L"&Hidden", false},
             {L"Sistra|-", L"", true},  // ends the popup: dropped
         })
        entries.push_back({0, path, caption, shown, {}});
    Host::HostMenus menus;
    HMENU bar = menus.Build(entries);
    const std::vector<std::vector<std::wstring>> expected = {
        {L"Sistra", L"&Workflow", L"-", L"&Loop View"},
        {L"Edit", L"Copy PV Regression"},
    };
    EXPECT_EQ(expected, MenuLayout(bar));
    // Each item stands for its entry.
    HMENU sistra = GetSubMenu(bar, 0);
    EXPECT_EQ(L"Sistra^EXTENSION|SistraA^VIEWS", menus.Find(GetMenuItemID(sistra, 2))->path);
    EXPECT_EQ(nullptr, menus.Find(0));
}

class HostWindows : public testing::Test
{
protected:
    HostTests::TemporaryFile recording{"host-windows.csv",
                                       HostTests::PressureRecordingText({{HostTests::PressureWave{0.5}, 3000}})};
};

TEST_F(HostWindows, TheFrameCarriesTheDocumentsMenusAndEveryViewAsAChildWindow)
{
    const Host::OpenedRecording opened(recording.Path());
    Host::FrameWindow frame(L"Sistra - test", Host::CollectMenuCommands(opened.StandIn()), RECT{0, 0, 900, 700});
    for (const Host::ViewClassEntry& view : opened.Classes().Views())
        frame.OpenView(*view.viewClass.Get(), opened.Document());

    // The host's own File and Edit come first; Edit holds the modules' edit commands after the host's.
    const auto layout = MenuLayout(GetMenu(frame.Handle()));
    ASSERT_EQ(3u, layout.size());
    EXPECT_EQ((std::vector<std::wstring>{L"File", L"&Open...", L"&Save", L"Save &As...", L"-", L"&Print...",
                                         L"Print Pre&view...", L"Print &Window...", L"-", L"&Export..."}),
              layout[0]);
    EXPECT_EQ(L"Sistra", layout[2][0]);
    for (const wchar_t* item : {L"&Workflow", L"&Analyze", L"&Loop View", L"Clear A&nalysis"})
        EXPECT_NE(layout[2].end(), std::find(layout[2].begin(), layout[2].end(), item)) << item;
    // Seven graph view classes add the same command: the host shows it once.
    EXPECT_EQ((std::vector<std::wstring>{L"Edit", L"&Copy", L"Clear &Data", L"Delete &Record...", L"Set Analysis &Range", L"Clear Analysis Ran&ge",
                                         L"Copy PV Regression"}),
              layout[1]);

    ASSERT_EQ(9u, frame.Views().size());
    for (const auto& view : frame.Views())
    {
        EXPECT_EQ(frame.Handle(), GetParent(GetParent(view->Frame()))); // in the frame's views area
        EXPECT_EQ(view->Frame(), GetParent(view->ViewWindow()));
        EXPECT_TRUE(IsWindowVisible(view->ViewWindow()));
    }
    frame.CloseViews();
}

struct PngPicture
{
    UINT width = 0;
    UINT height = 0;
    size_t colours = 0;
};

PngPicture ReadPicture(const std::string& path)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    PngPicture picture;
    {
        Gdiplus::Bitmap image(std::wstring(path.begin(), path.end()).c_str());
        picture.width = image.GetWidth();
        picture.height = image.GetHeight();
        std::set<Gdiplus::ARGB> seen;
        for (UINT y = 0; y < picture.height; y += 2)
            for (UINT x = 0; x < picture.width; x += 2)
            {
                Gdiplus::Color colour;
                image.GetPixel(static_cast<INT>(x), static_cast<INT>(y), &colour);
                seen.insert(colour.GetValue());
            }
        picture.colours = seen.size();
    }
    Gdiplus::GdiplusShutdown(token);
    return picture;
}

// A recording of a steady ventricle that names its pressure and volume, which a snapshot analyses.
std::string PressureVolumeText()
{
    std::ostringstream pv;
    pv << "Time (s),LV Pressure (mmHg),LV Volume (uL)\n";
    const HostTests::PressureWave wave{0.5};
    for (int tick = 0; tick < 4000; ++tick)
    {
        const double pressure = wave.At(tick * wave.interval);
        pv << tick * wave.interval << "," << pressure << "," << 60.0 - pressure / 4.0 << "\n";
    }
    return pv.str();
}

TEST_F(HostWindows, ASnapshotIsAPictureOfTheViewAtTheSizeAskedThatIsNotBlank)
{
    const HostTests::TemporaryFile withVolume("host-snapshot-views.csv", PressureVolumeText());
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    for (const auto& [view, size, width, height] : std::vector<std::tuple<std::string, std::string, UINT, UINT>>{
             {"loop", "320x240", 320, 240}, {"Sistra PRSW GraphView", "", 640, 480}, {"workflow", "500x300", 500, 300}})
    {
        SCOPED_TRACE(view);
        const std::string out = std::string(folder) + "host-snapshot.png";
        std::vector<std::string> args{"snapshot", withVolume.Path(), "--view", view, "--out", out};
        if (!size.empty())
            args.insert(args.end(), {"--size", size});
        std::ostringstream text, errors;
        ASSERT_EQ(Host::ExitOk, Host::RunCommandLine(args, text, errors)) << errors.str();
        const PngPicture picture = ReadPicture(out);
        EXPECT_EQ(width, picture.width);
        EXPECT_EQ(height, picture.height);
        EXPECT_GT(picture.colours, 2u);
        DeleteFileA(out.c_str());
    }
}

// A picture of empty axes would pass for the analysis': a recording the snapshot cannot analyse gets none.
TEST_F(HostWindows, ASnapshotAnalysesARecordingThatNamesItsPressureAndVolumeAndRefusesOneItCannot)
{
    const HostTests::TemporaryFile withVolume("host-snapshot-pv.csv", PressureVolumeText());
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string out = std::string(folder) + "host-snapshot-pv.png";
    for (const auto& [file, analysed] : {std::pair{withVolume.Path(), true}, std::pair{recording.Path(), false}})
    {
        DeleteFileA(out.c_str());
        std::ostringstream text, errors;
        EXPECT_EQ(analysed ? Host::ExitOk : Host::ExitFailure,
                  Host::RunCommandLine({"snapshot", file, "--view", "loop", "--out", out}, text, errors));
        EXPECT_EQ(!analysed, errors.str().find("not analysed: the recording does not name one pressure and one volume") !=
                                 std::string::npos)
            << errors.str();
        EXPECT_EQ(analysed, GetFileAttributesA(out.c_str()) != INVALID_FILE_ATTRIBUTES);
    }
    DeleteFileA(out.c_str());
}

TEST_F(HostWindows, ASnapshotRefusesWhatItCannotTakeWithAClearMessage)
{
    for (const auto& [args, status, message] : std::vector<std::tuple<std::vector<std::string>, int, std::string>>{
             {{"--view", "loop"}, Host::ExitUsage, "needs a recording, --view NAME and --out FILE.png"},
             {{"--view", "nothing", "--out", "x.png"}, Host::ExitUsage, "no view is named 'nothing'"},
             {{"--view", "loop", "--out", "x.png", "--size", "10x10"}, Host::ExitUsage, "--size needs WIDTHxHEIGHT"},
             {{"--view", "loop", "--out", "x.png", "--size", "640"}, Host::ExitUsage, "--size needs WIDTHxHEIGHT"},
             {{"--view", "loop", "--out", "x.png", "--language", "klingon"}, Host::ExitUsage,
              "--language needs a language name such as es-ES"},
             {{"--view", "loop", "--out", "x.png", "--out", "y.png"}, Host::ExitUsage, "--out is given twice: give it once"},
         })
    {
        std::vector<std::string> command{"snapshot", recording.Path()};
        command.insert(command.end(), args.begin(), args.end());
        std::ostringstream text, errors;
        EXPECT_EQ(status, Host::RunCommandLine(command, text, errors)) << errors.str();
        EXPECT_NE(std::string::npos, errors.str().find(message)) << errors.str();
    }
    std::ostringstream text, errors;
    EXPECT_EQ(Host::ExitFailure,
              Host::RunCommandLine({"snapshot", "no-such-file.csv", "--view", "loop", "--out", "x.png"}, text, errors));
    EXPECT_NE(std::string::npos, errors.str().find("no-such-file.csv")) << errors.str();
}

// The host's language reaches the module's texts: its string table's Spanish where it has it, its
// default texts for a language it lacks and for a host that names none.
TEST_F(HostWindows, TheModulesMenusSpeakTheHostsLanguageWhereTheStringTableHasIt)
{
    const std::tuple<std::optional<LANGID>, const wchar_t*> cases[] = {
        {std::nullopt, L"&Analyze"},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), L"&Analizar"},
        {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), L"&Analyze"},
    };
    for (const auto& [language, analyze] : cases)
    {
        Host::OpenOptions options;
        options.language = language;
        const Host::OpenedRecording opened(recording.Path(), options);
        const auto menus = Host::CollectMenuCommands(opened.StandIn());
        EXPECT_TRUE(std::any_of(menus.begin(), menus.end(), [&](const auto& entry) { return entry.caption == analyze; }))
            << language.value_or(0);
    }
    Orv::SetApplicationLanguage(std::nullopt);
}

} // namespace
