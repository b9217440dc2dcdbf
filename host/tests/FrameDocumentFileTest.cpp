// The host document saved and opened again through the frame's File menu, as a person does: the document
// that opens has the recording, the settings and the calibration it was saved with, the same loops with
// the same ones left out, and the same table; data edited in the frame open as they were shown, and a
// file that kept no data opens its recording.
#include "host/app/commands/ExitCodes.h"
#include "host/app/commands/MacroCommand.h"
#include "host/app/files/TextConversion.h"
#include "host/app/recording/RecordingText.h"
#include "host/tests/FrameCalibrationFixture.h"
#include "host/tests/FrameChannelMenu.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/ResultsSheetText.h"

#include "host/app/macro/MacroText.h"
#include "hostapi/VyrDocuments.h"
#include "host/app/gui/GuiCommands.h"
#include "testsupport/VyrTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <vector>

namespace
{

using Bytes = std::vector<char>;

// Every setting of the module's document, as its full record holds it.
Bytes SettingsOf(IUnknown* document)
{
    Orv::ComPtr<ICustomDocument> module;
    Orv::ComPtr<IUnknown> persister;
    Orv::ComPtr<IPersistStreamInit> stream;
    Orv::ComPtr<IStream> memory;
    document->QueryInterface(IID_ICustomDocument, module.PutVoid());
    if (!module || module->GetPersister(0, 2, nullptr, persister.Put()) != S_OK ||
        FAILED(persister->QueryInterface(IID_IPersistStreamInit, stream.PutVoid())) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, memory.Put())) || FAILED(stream->Save(memory.Get(), FALSE)))
        return {};
    STATSTG stat{};
    memory->Stat(&stat, STATFLAG_NONAME);
    memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    Bytes bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    memory->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

// The loops' parameters bit for bit (a parameter a loop lacks is NaN, which equals nothing).
std::vector<uint64_t> LoopValues(Host::OpenedRecording& opened)
{
    std::vector<uint64_t> values;
    for (const Host::LoopRow& loop : opened.Analysis()->Loops())
        for (const double value : loop.values)
            values.push_back(std::bit_cast<uint64_t>(value));
    return values;
}

class FrameDocumentFile : public HostTests::FrameSessionFixture
{
protected:
    // Outside the workflow a calibration waits for no earlier step. The loops start at the ECG's R waves,
    // a calculation of the host document that the module's settings name.
    FrameDocumentFile()
        : FrameSessionFixture("frame-document-file.csv", HostTests::OcclusionText(16),
                              Host::OpenOptions{.channels = {.ecg = "3"}, .leaveWorkflow = true})
    {
    }

    std::wstring Choose(const std::wstring& item, const std::wstring& menu = L"File")
    {
        return HostTests::ChooseMenuItem(Frame(), menu, [&](const std::wstring& text) { return text == item; });
    }
    // Pixels of the data view's column through the middle of the loop that shade it as the chosen one.
    size_t ShadingOf(size_t loop)
    {
        constexpr COLORREF ShownLoopFill = RGB(0xFF, 0xEC, 0xB8);
        const std::vector<Host::LoopRow> loops = opened->Analysis()->Loops();
        if (loops.size() <= loop + 1)
            return 0;
        const Host::TraceView& trace = session->Trace();
        const auto startOf = [&](const Host::LoopRow& row) { return trace.XOf({row.block, row.record.base.tick}); };
        const auto x = static_cast<LONG>((startOf(loops[loop]) + startOf(loops[loop + 1])) / 2);
        const RECT area = trace.TraceArea();
        return HostTests::PixelsOfColourIn(trace.Handle(), {x, area.top, x + 1, area.bottom}, ShownLoopFill);
    }
};

// Channels, records and every sample of the channels that are not deleted.
bool SameData(const Host::Recording& a, const Host::Recording& b)
{
    if (a.RecordCount() != b.RecordCount() || a.Channels().size() != b.Channels().size())
        return false;
    for (size_t channel = 0; channel < a.Channels().size(); ++channel)
    {
        const Host::ChannelInfo &x = a.Channels()[channel], &y = b.Channels()[channel];
        if (x.name != y.name || x.unit != y.unit || x.deleted != y.deleted)
            return false;
        for (size_t record = 0; record < a.RecordCount() && !x.deleted; ++record)
            if (!std::ranges::equal(a.RecordAt(record).Samples(channel), b.RecordAt(record).Samples(channel)) ||
                a.RecordAt(record).SampleInterval() != b.RecordAt(record).SampleInterval())
                return false;
    }
    return true;
}

// What analyze prints of the document's analysis: each parameter's summary and the fitted relations, to
// their last printed digit.
std::string Printed(Host::DocumentAnalysis& analysis)
{
    return Host::SummaryTable(analysis.Summaries()) + "\n" + Host::RegressionTable(analysis.Relations());
}

double MeanOf(Host::DocumentAnalysis& analysis, int parameter)
{
    const auto& summary = analysis.Summaries().at(static_cast<size_t>(parameter - 1)).summary;
    return summary ? summary->average : std::nan("");
}

// Calibrated, two loops unticked in the loop view and one chosen: the document saved and opened again in a
// fresh frame shows the same loops (the unticked ones left out), settings, calibration, summaries,
// relations and table, and analyze and macro read the saved document as the frame showed it.
TEST_F(FrameDocumentFile, SaveAsThenOpenShowsTheSavedLoopsExclusionsCalibrationAndTable)
{
    ASSERT_NE(nullptr, opened->Analysis());
    constexpr int StrokeVolume = 3, EndDiastolicVolume = 7;
    const double rawVed = MeanOf(*opened->Analysis(), EndDiastolicVolume);
    const double rawSv = MeanOf(*opened->Analysis(), StrokeVolume);
    const Bytes uncalibrated = SettingsOf(opened->Document());
    // 0.5 uL per recorded uL less 3 uL: the command takes its slope per litre, the unit without its prefix.
    Host::Macro::Statement calibrate(L"Doc.ApplySistraCuvetteCalibration slope:=500000, intercept:=-3");
    ASSERT_EQ(1, opened->Analysis()->RunStatement(calibrate));
    opened->Analysis()->AnalyzeNow();
    ASSERT_NEAR(0.5 * rawVed - 3.0, MeanOf(*opened->Analysis(), EndDiastolicVolume), 1e-4);
    ASSERT_NEAR(0.5 * rawSv, MeanOf(*opened->Analysis(), StrokeVolume), 1e-4);

    const HWND list = GetDlgItem(Frame().FindView(HostTests::LoopViewName)->ViewWindow(), HostTests::LoopViewListId);
    const auto untick = [&](int row) {
        return HostTests::ClickUntil(Frame(), HostTests::ListRowPoint(list, row, 7), [&] {
            return opened->Analysis()->Loops().at(static_cast<size_t>(row)).record.state == Sistra::LoopStateExcluded;
        });
    };
    ASSERT_TRUE(untick(2));
    ASSERT_TRUE(untick(9));
    constexpr int Chosen = 5;
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), HostTests::ListRowPoint(list, Chosen, 40), [&] { return ShadingOf(Chosen) > 0; }));
    const Bytes settings = SettingsOf(opened->Document());
    ASSERT_NE(uncalibrated, settings);
    const std::vector<uint64_t> loops = LoopValues(*opened);
    ASSERT_FALSE(loops.empty());
    const std::string printed = Printed(*opened->Analysis());
    const auto calculations = opened->Host().ItemCalculations();
    ASSERT_FALSE(calculations.empty());
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "frame-document-file.sdoc";
    std::filesystem::remove(path);

    opened->StandIn().ScriptSaveFileAnswer(path.c_str());
    ASSERT_EQ(L"Save &As...", Choose(L"Save &As..."));
    ASSERT_TRUE(std::filesystem::exists(path));
    // Read after the save: it leaves no loop chosen.
    const std::string table = HostTests::WholeTableOnSheet(*opened->Analysis(), opened->Session().Sheet());
    // Cancelled, Open leaves the frame as it was.
    opened->StandIn().ScriptSaveFileAnswer(nullptr);
    ASSERT_EQ(L"&Open...", Choose(L"&Open..."));
    EXPECT_TRUE(IsWindow(Frame().Handle()));
    EXPECT_FALSE(session->NextDocument());

    opened->StandIn().ScriptSaveFileAnswer(path.c_str());
    Choose(L"&Open...");
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return !IsWindow(Frame().Handle()); }));
    ASSERT_EQ(path.wstring(), session->NextDocument());
    const std::string recording = std::filesystem::absolute(file.Path()).string();

    OpenInAFreshFrame(path.wstring());
    EXPECT_EQ(recording, opened->File());
    EXPECT_EQ(path.wstring(), opened->DocumentFile());
    EXPECT_EQ(calculations, opened->Host().ItemCalculations());
    EXPECT_EQ(settings, SettingsOf(opened->Document()));
    EXPECT_EQ(loops, LoopValues(*opened));
    EXPECT_EQ(printed, Printed(*opened->Analysis()));
    // The loop chosen before the save is shaded in the data view as it was.
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return ShadingOf(Chosen) > 0; }));
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-document-file-reopened");
    EXPECT_EQ(table, HostTests::WholeTableOnSheet(*opened->Analysis(), opened->Session().Sheet()));

    std::ostringstream analyzed, macroRun, errors;
    EXPECT_EQ(Host::ExitOk, Host::RunAnalyze({"analyze", path.string()}, analyzed, errors)) << errors.str();
    EXPECT_EQ(printed, analyzed.str());
    const HostTests::TemporaryFile macro("frame-document-file.mac", "Doc.SelectASistra LoopIdx:=3\n");
    EXPECT_EQ(Host::ExitOk, Host::RunMacro({"macro", macro.Path(), path.string()}, macroRun, errors)) << errors.str();
    EXPECT_TRUE(macroRun.str().ends_with("\n" + printed)) << macroRun.str();
    std::filesystem::remove(path);
}

// A stretch cleared, the ECG deleted and the pressure shown doubled in the frame: the saved document opens
// in a fresh frame with the data, units and loops shown before the save, not its recording file's; a file
// that names its recording only (as documents were saved before they kept their data) opens that recording.
TEST_F(FrameDocumentFile, EditedDataOpenAsShownAndAFileThatKeptNoDataOpensItsRecording)
{
    const std::filesystem::path earlier = std::filesystem::temp_directory_path() / "frame-document-earlier.sdoc";
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "frame-document-edited.sdoc";
    const std::string recording = std::filesystem::absolute(file.Path()).string();
    {
        Orv::ComPtr<ICustomDocument> module;
        opened->Document()->QueryInterface(IID_ICustomDocument, module.PutVoid());
        ASSERT_EQ(S_OK, Host::SaveDocumentFile(earlier.wstring(), Host::FromUtf8(recording), {module.Get()},
                                               opened->Host().ItemCalculations()));
    }
    const std::vector<uint64_t> unedited = LoopValues(*opened);

    const auto ticks = static_cast<int32_t>(opened->Host().Data().RecordAt(0).Length());
    opened->Host().SelectByUser({0, ticks / 3}, {0, ticks / 2});
    ASSERT_EQ(L"Clear &Data", Choose(L"Clear &Data", L"Edit"));
    HostTests::DeleteChannelThroughTheMenu(Frame(), L'3');
    HostTests::ChangeUnitsThroughTheMenu(Frame(), L"2");
    ASSERT_DOUBLE_EQ(2.0, HostTests::ShownScale(opened->Host(), 0));
    const Host::Recording shown = opened->Host().Data();
    const std::vector<uint64_t> edited = LoopValues(*opened);
    ASSERT_FALSE(edited.empty());
    ASSERT_NE(unedited, edited);
    opened->StandIn().ScriptSaveFileAnswer(path.c_str());
    opened->StandIn().ScriptProgressCancel(-1);
    ASSERT_EQ(L"Save &As...", Choose(L"Save &As..."));
    ULONG indicators = 0, updates = 0;
    LONG percent = -1;
    opened->StandIn().GetProgressLog(&indicators, &updates, &percent);
    EXPECT_EQ(std::make_pair(1ul, 100l), std::make_pair(indicators, percent)) << "the save's progress";

    OpenInAFreshFrame(path.wstring());
    EXPECT_EQ(recording, opened->File());
    EXPECT_TRUE(SameData(shown, opened->Host().Data()));
    EXPECT_FALSE(SameData(Host::LoadRecordingFile(recording), opened->Host().Data())) << "read from the recording file";
    EXPECT_DOUBLE_EQ(2.0, HostTests::ShownScale(opened->Host(), 0));
    EXPECT_EQ(edited, LoopValues(*opened));

    OpenInAFreshFrame(earlier.wstring());
    EXPECT_EQ(recording, opened->File());
    EXPECT_TRUE(SameData(Host::LoadRecordingFile(recording), opened->Host().Data()));
    EXPECT_EQ(unedited, LoopValues(*opened));
    std::filesystem::remove(path);
    std::filesystem::remove(earlier);
}

// A damaged document, chosen with File > Open or named to gui, is refused in a message box that says what
// is damaged (a cut one: that it is cut short); the frame stays as it was, and gui, which shows none, ends
// failed once the box is answered.
TEST_F(FrameDocumentFile, ADamagedDocumentIsRefusedInAMessageBoxThatNamesTheDamage)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "frame-document-damaged.sdoc";
    const auto changeTheRecordingsName = [&] {
        Orv::ComPtr<IStorage> root;
        Orv::ComPtr<IStream> reference;
        ASSERT_EQ(S_OK, Host::OpenDocumentFile(path.wstring(), root.Put()));
        ASSERT_EQ(S_OK, root->OpenStream(L"Recording", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, reference.Put()));
        const char changed = 'X';
        ASSERT_EQ(S_OK, reference->Write(&changed, 1, nullptr));
        reference.Reset();
        ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
    };
    const auto cutInHalf = [&] { std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2); };
    const struct
    {
        std::function<void()> damage;
        std::vector<std::wstring> named;
    } cases[] = {
        {changeTheRecordingsName, {L"(stream Recording)", L"changed after the save"}},
        {cutInHalf, {L"the file is cut short: it ends at byte"}},
    };
    // A box that reached the screen in place of the host's (which a script answers) is closed, not waited on.
    HostTests::MessageBoxCloser onScreen(L"frame-document-damaged");
    for (const auto& damaged : cases)
    {
        std::filesystem::remove(path);
        Orv::ComPtr<ICustomDocument> module;
        opened->Document()->QueryInterface(IID_ICustomDocument, module.PutVoid());
        ASSERT_EQ(S_OK, Host::SaveDocumentFile(path.wstring(), Host::FromUtf8(file.Path()), {module.Get()}, {}));
        damaged.damage();
        const size_t before = RecordedMessageBoxes(opened->StandIn()).size();

        opened->StandIn().ScriptMessageBoxAnswer(IDOK);
        opened->StandIn().ScriptSaveFileAnswer(path.c_str());
        ASSERT_EQ(L"&Open...", Choose(L"&Open..."));
        HostTests::Settle(Frame());
        EXPECT_TRUE(IsWindow(Frame().Handle()));
        EXPECT_FALSE(session->NextDocument());
        opened->StandIn().ScriptMessageBoxAnswer(IDOK);
        std::ostringstream out, err;
        EXPECT_EQ(Host::ExitFailure, Host::RunGui({"gui", path.string()}, out, err));

        const auto boxes = RecordedMessageBoxes(opened->StandIn());
        ASSERT_EQ(before + 2, boxes.size()) << "File > Open's box and gui's";
        for (size_t box = before; box < boxes.size(); ++box)
        {
            EXPECT_EQ(path.wstring() + L" is a damaged document: ", boxes[box].text.substr(0, path.wstring().size() + 24));
            for (const std::wstring& words : damaged.named)
                EXPECT_NE(std::wstring::npos, boxes[box].text.find(words)) << Host::ToUtf8(boxes[box].text);
        }
    }
    EXPECT_EQ(0u, onScreen.Stop().size()) << "boxes the host's message box did not show";
    std::filesystem::remove(path);
}

} // namespace
