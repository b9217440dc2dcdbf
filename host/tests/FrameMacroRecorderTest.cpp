// A macro recorded in the frame as a person records one: Macro > Record..., a selection dragged across the
// trace view, the Sistra menu's Clear Analysis and Analyze, a loop unticked in the loop view's list, its
// ESPVR type chosen with the mouse and keys, another loop unticked, Macro > Stop Recording. The file holds
// the commands in the order they were given, and `sistra macro` brings a new document over the recording
// to the frame's summaries and relations.
#include "host/tests/FrameSessionFixture.h"

#include "host/app/AnalyzeCommand.h"
#include "host/app/ExitCodes.h"
#include "host/app/MacroCommand.h"
#include "hostapi/CalcEventRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

constexpr int LoopList = 3001;
constexpr int EspvrTypeList = 3004;
constexpr int Quadratic = 1;

class FrameMacroRecorder : public HostTests::FrameSessionFixture
{
protected:
    FrameMacroRecorder() : FrameSessionFixture("frame-macro.csv", HostTests::OcclusionText(16), Host::OpenOptions{{}, true}) {}

    bool Choose(const wchar_t* menu, const std::wstring& item)
    {
        return HostTests::ChooseMenuItem(Frame(), menu, [&](const std::wstring& text) { return text == item; }) == item;
    }
};

TEST_F(FrameMacroRecorder, TheRecordedCommandsReplayToTheFramesResults)
{
    const std::filesystem::path macro = std::filesystem::temp_directory_path() / "frame-recorded-macro.txt";
    std::filesystem::remove(macro);
    opened->StandIn().ScriptSaveFileAnswer(macro.wstring().c_str());
    ASSERT_TRUE(Choose(L"Macro", L"&Record..."));
    RECT lanes{};
    GetClientRect(session->Trace().Handle(), &lanes);
    POINT from{lanes.right / 3, lanes.bottom / 2}, to{lanes.right / 2, lanes.bottom / 2};
    ClientToScreen(session->Trace().Handle(), &from);
    ClientToScreen(session->Trace().Handle(), &to);
    ASSERT_TRUE(HostTests::InputUntil(Frame(), [&] { HostTests::DragFromTo(from, to); }, [&] {
        TickPosition start{}, end{};
        opened->Host().GetSelection(&start, &end);
        return start.tick != end.tick;
    }));
    ASSERT_TRUE(Choose(L"Sistra", L"Clear A&nalysis"));
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return opened->Analysis()->LoopCount() == 0; }));
    ASSERT_TRUE(Choose(L"Sistra", L"&Analyze Channel"));
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return opened->Analysis()->LoopCount() > 0; }));
    // The pressure-volume areas follow the ESPVR type.
    const std::string linear = Host::SummaryTable(opened->Analysis()->Summaries());

    const HWND loops = GetDlgItem(Frame().FindView(L"Loop View")->ViewWindow(), LoopList);
    ASSERT_NE(nullptr, loops);
    // A check mark sends the document no command: the host writes the loops it leaves out before the next.
    const auto untick = [&](int row) {
        return HostTests::ClickUntil(Frame(), HostTests::ListRowPoint(loops, row, 7), [&] {
            return opened->Analysis()->Loops().at(static_cast<size_t>(row)).record.state == Sistra::LoopStateExcluded;
        });
    };
    ASSERT_TRUE(untick(1));
    const HWND list = HostTests::FindVisibleChild(Frame().FindView(L"Loop View")->ViewWindow(),
                                                  [](HWND child) { return GetDlgCtrlID(child) == EspvrTypeList; });
    ASSERT_NE(nullptr, list);
    ASSERT_TRUE(HostTests::ChooseListItem(list, Quadratic));
    // The list lets go of the pointer, so that the menus answer the next click.
    EXPECT_EQ(nullptr, GetCapture());
    ASSERT_TRUE(untick(2));
    ASSERT_TRUE(Choose(L"Macro", L"&Stop Recording"));
    const std::string summaries = Host::SummaryTable(opened->Analysis()->Summaries());
    const std::string relations = Host::RegressionTable(opened->Analysis()->Relations());
    ASSERT_NE(linear, summaries);

    std::vector<std::string> statements;
    {
        std::ifstream text(macro);
        for (std::string line; std::getline(text, line);)
            statements.push_back(line);
    }
    // The selection the drag made comes first, as the host's statement; what the document made of it may follow.
    EXPECT_EQ(statements.end(), std::adjacent_find(statements.begin(), statements.end())) << "one choice, one statement";
    ASSERT_GE(statements.size(), 6u);
    EXPECT_EQ(0u, statements.front().find("Host.Select start:=")) << statements.front();
    EXPECT_EQ((std::vector<std::string>{"Doc.ClearSistraAnalysis", "Doc.AnalyzeSistraNow",
                                        "Host.ExcludeLoops loops:=\"2\"",
                                        "Doc.SetESPVRegressionType RegressionType:=\"Quadratic\"",
                                        "Host.ExcludeLoops loops:=\"2 3\""}),
              std::vector<std::string>(statements.end() - 5, statements.end()));

    session.reset();
    opened.reset();
    std::ostringstream out, err;
    EXPECT_EQ(Host::ExitOk, Host::RunMacro({"macro", macro.string(), file.Path()}, out, err)) << err.str();
    EXPECT_NE(std::string::npos, out.str().find(summaries + "\n" + relations)) << out.str() << summaries << relations;
    std::filesystem::remove(macro);
}

} // namespace
