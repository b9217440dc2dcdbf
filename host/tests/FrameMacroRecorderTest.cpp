// A macro recorded in the frame as a person records one: Macro > Record..., a selection dragged across the
// trace view, the Sistra menu's Clear Analysis and Analyze, a loop unticked in the loop view's list, its
// ESPVR type chosen with the mouse and keys, another loop unticked, Macro > Stop Recording. The file holds
// the commands in the order they were given, and `sistra macro` brings a new document over the recording
// to the frame's summaries and relations.
#include "host/tests/FrameSessionFixture.h"

#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/commands/ExitCodes.h"
#include "host/app/commands/MacroCommand.h"
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
    // A check mark sends the document no command: the host writes the loops it leaves out before the next.
    bool Untick(int row)
    {
        const HWND loops = GetDlgItem(Frame().FindView(L"Loop View")->ViewWindow(), LoopList);
        return loops && HostTests::ClickUntil(Frame(), HostTests::ListRowPoint(loops, row, 7), [&] {
                   return opened->Analysis()->Loops().at(static_cast<size_t>(row)).record.state == Sistra::LoopStateExcluded;
               });
    }
    std::vector<std::string> Statements(const std::filesystem::path& macro)
    {
        std::vector<std::string> statements;
        std::ifstream text(macro);
        for (std::string line; std::getline(text, line);)
            statements.push_back(line);
        return statements;
    }
    // The frame's summaries and relations, as the macro run prints them.
    std::string Results()
    {
        return Host::SummaryTable(opened->Analysis()->Summaries()) + "\n" +
               Host::RegressionTable(opened->Analysis()->Relations());
    }
    // The macro run on a new document over the recording, the frame closed first.
    std::string Replayed(const std::filesystem::path& macro)
    {
        session.reset();
        opened.reset();
        std::ostringstream out, err;
        EXPECT_EQ(Host::ExitOk, Host::RunMacro({"macro", macro.string(), file.Path()}, out, err)) << err.str() << out.str();
        return out.str();
    }
    // The statements the macro opens with on the frame's document, analysed on opening, outside the workflow.
    const std::vector<std::string> opening{"' the frame's document on frame-macro.csv as the recording began",
                                           "Host.Channels pressure:=1, volume:=2", "Host.WorkflowMode on:=False",
                                           "Doc.AnalyzeSistraNow"};
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

    ASSERT_TRUE(Untick(1));
    const HWND list = HostTests::FindVisibleChild(Frame().FindView(L"Loop View")->ViewWindow(),
                                                  [](HWND child) { return GetDlgCtrlID(child) == EspvrTypeList; });
    ASSERT_NE(nullptr, list);
    ASSERT_TRUE(HostTests::ChooseListItem(list, Quadratic));
    // The list lets go of the pointer, so that the menus answer the next click.
    EXPECT_EQ(nullptr, GetCapture());
    ASSERT_TRUE(Untick(2));
    ASSERT_TRUE(Choose(L"Macro", L"&Stop Recording"));
    const std::string results = Results();
    ASSERT_NE(linear, Host::SummaryTable(opened->Analysis()->Summaries()));

    const std::vector<std::string> statements = Statements(macro);
    // The frame's state comes first, then the selection the drag made, as the host's statement; what the
    // document made of it may follow.
    EXPECT_EQ(statements.end(), std::adjacent_find(statements.begin(), statements.end())) << "one choice, one statement";
    ASSERT_GE(statements.size(), opening.size() + 6);
    EXPECT_EQ(opening, std::vector<std::string>(statements.begin(), statements.begin() + opening.size()));
    EXPECT_EQ(0u, statements[opening.size()].find("Host.Select start:=")) << statements[opening.size()];
    EXPECT_EQ((std::vector<std::string>{"Doc.ClearSistraAnalysis", "Doc.AnalyzeSistraNow",
                                        "Host.ExcludeLoops loops:=\"2\"",
                                        "Doc.SetESPVRegressionType RegressionType:=\"Quadratic\"",
                                        "Host.ExcludeLoops loops:=\"2 3\""}),
              std::vector<std::string>(statements.end() - 5, statements.end()));

    const std::string replayed = Replayed(macro);
    EXPECT_NE(std::string::npos, replayed.find(results)) << replayed << results;
    std::filesystem::remove(macro);
}

// The recording begins on the analysis the frame showed, a loop already left out, and its first command
// reselects the analysed data: the macro starts from that state, so that a run has an analysis to reselect
// and brings the frame's numbers.
TEST_F(FrameMacroRecorder, AMacroBegunOnAnAnalysisStartsFromIt)
{
    const std::filesystem::path macro = std::filesystem::temp_directory_path() / "frame-reselect-macro.txt";
    std::filesystem::remove(macro);
    ASSERT_TRUE(Untick(1));
    opened->StandIn().ScriptSaveFileAnswer(macro.wstring().c_str());
    ASSERT_TRUE(Choose(L"Macro", L"&Record..."));
    ASSERT_TRUE(Choose(L"Sistra", L"&Reselect Analyzed Data"));
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] {
        TickPosition start{}, end{};
        return SUCCEEDED(opened->Host().GetSelection(&start, &end)) && start.record != HostRecordEnd && start.tick != end.tick;
    }));
    ASSERT_TRUE(Untick(4));
    ASSERT_TRUE(Choose(L"Macro", L"&Stop Recording"));
    const std::string results = Results();

    const std::vector<std::string> statements = Statements(macro);
    std::vector<std::string> expected = opening;
    expected.push_back("Host.ExcludeLoops loops:=\"2\"");
    ASSERT_GE(statements.size(), expected.size() + 2);
    EXPECT_EQ(expected, std::vector<std::string>(statements.begin(), statements.begin() + expected.size()));
    // The selection the command made may be written before it, as any selection is.
    EXPECT_EQ("Doc.ReselectSistraAnalyzedRegion", statements.end()[-2]);
    EXPECT_EQ("Host.ExcludeLoops loops:=\"2 5\"", statements.back());

    const std::string replayed = Replayed(macro);
    EXPECT_NE(std::string::npos, replayed.find("ReselectSistraAnalyzedRegion: 1")) << replayed;
    EXPECT_NE(std::string::npos, replayed.find(results)) << replayed << results;
    std::filesystem::remove(macro);
}

} // namespace
