#include "host/app/gui/HostWindows.h"

#include "host/app/files/SaveDialog.h"
#include "host/app/files/TextConversion.h"
#include "host/app/files/WholeFile.h"
#include "host/app/recording/RecordingText.h"

#include <commdlg.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace Host
{

namespace
{

// The sheet's column names as a spreadsheet shows them: A to Z, then AA, AB, ...
std::wstring ColumnName(LONG column)
{
    std::wstring name;
    for (++column; column > 0; column = (column - 1) / 26)
        name.insert(name.begin(), static_cast<wchar_t>(L'A' + (column - 1) % 26));
    return name;
}

RECT BesideFrame(HWND frame, LONG down)
{
    RECT place{};
    GetWindowRect(frame, &place);
    return RECT{place.left + 80, place.top + down, place.left + 80 + 760, place.top + down + 420};
}

// File > Export...: the document's recording as a recording text where the user names.
void ExportRecording(const Recording& recording, HWND owner)
{
    const HostSaveFileRequest request{L"Export Recording",
                                      L"Recording text (*.csv)\0*.csv\0",
                                      1,
                                      L".",
                                      L"csv",
                                      OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT};
    const std::wstring path = AskSavePath(request, owner);
    if (path.empty())
        return;
    WriteWholeFile(path, [&](std::ostream& out) { WriteRecordingText(recording, out); });
}

// The requests the manager's buttons send to the analyses of the document (under AnalysisManagerGUID).
constexpr USHORT ClearRequest = 5;
constexpr USHORT CalibrateAndAnalyseRequest = 6;
constexpr USHORT ReportRegionRequest = 7;

// A recording position: the tick in the low word, the record in the high one.
std::wstring PositionText(const Recording& recording, uint64_t position)
{
    const auto record = static_cast<size_t>(position >> 32);
    const auto tick = static_cast<uint32_t>(position);
    if (record >= recording.RecordCount())
        return L"record " + std::to_wstring(record + 1);
    const std::string time = TimeStamps(recording.RecordAt(record).SampleInterval()).Text(tick);
    return L"record " + std::to_wstring(record + 1) + L", " + FromUtf8(time) + L" s";
}

} // namespace

HostWindows::HostWindows(FrameWindow& frame, OpenedRecording& opened)
    : frame_(frame), opened_(opened),
      sheet_(frame.Handle(), L"Tallion - Results Sheet", BesideFrame(frame.Handle(), 120)),
      manager_(frame.Handle(), L"Analysis Manager", BesideFrame(frame.Handle(), 160))
{
    opened_.Session().Sheet().SetChangeListener([this] { sheet_.RequestRefresh([this] { ShowSheet(); }); });
    frame_.SetExporter([this] { ExportRecording(opened_.Host().Data(), frame_.Handle()); });
    const auto request = [this](USHORT number) {
        return [this, number] {
            opened_.Host().Tell(AnalysisManagerGUID, number, nullptr);
            ShowAnalysisManager();
        };
    };
    manager_.SetButtons({{L"Clear Analysis", request(ClearRequest)},
                         {L"Recalibrate and Analyse", request(CalibrateAndAnalyseRequest)},
                         {L"Report Region", request(ReportRegionRequest)}});
    frame_.SetHostWindowOpener(
        [this](ULONG window)
        {
            if (window == AnalysisManagerWindow)
                ShowAnalysisManager();
        });
}

HostWindows::~HostWindows()
{
    opened_.Session().Sheet().SetChangeListener({});
    frame_.SetHostWindowOpener({});
    frame_.SetExporter({});
}

void HostWindows::ShowSheet()
{
    const Host::ResultsSheet& sheet = opened_.Session().Sheet();
    std::vector<std::wstring> columns{L""};
    for (LONG column = 0; column < sheet.ColumnCount(); ++column)
        columns.push_back(ColumnName(column));
    std::vector<std::vector<std::wstring>> rows;
    for (LONG row = 0; row < sheet.RowCount(); ++row)
    {
        rows.push_back({std::to_wstring(row + 1)});
        for (LONG column = 0; column < sheet.ColumnCount(); ++column)
            rows.back().push_back(sheet.Cell(row, column));
    }
    sheet_.Show(columns, rows);
}

void HostWindows::ShowAnalysisManager()
{
    const HostDocument& document = opened_.Host();
    // What the analyses answered the manager's requests: the region they reported, how often they said
    // their settings changed, and the loops the document's analysis holds.
    const auto region = document.ReportedRegion();
    const std::wstring regionText =
        region ? PositionText(document.Data(), region->first) + L" to " + PositionText(document.Data(), region->second)
               : L"";
    const std::wstring loops = opened_.Analysis() ? std::to_wstring(opened_.Analysis()->LoopCount()) : L"";
    std::vector<std::vector<std::wstring>> rows;
    for (size_t client = 0; client < document.AnalysisClients().size(); ++client)
        rows.push_back({document.AnalysisClients()[client],
                        client < document.AnalysisTitles().size() ? document.AnalysisTitles()[client] : L"", loops,
                        regionText, std::to_wstring(document.SettingsChangeCount())});
    manager_.Show({L"Analysis", L"Title", L"Loops", L"Region reported", L"Settings changes"}, rows);
}

} // namespace Host
