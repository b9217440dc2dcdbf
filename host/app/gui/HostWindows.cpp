#include "host/app/gui/HostWindows.h"

#include "host/app/SaveDialog.h"
#include "host/app/TextConversion.h"
#include "host/app/WholeFile.h"
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

} // namespace

HostWindows::HostWindows(FrameWindow& frame, OpenedRecording& opened)
    : frame_(frame), opened_(opened),
      sheet_(frame.Handle(), L"Tallion - Results Sheet", BesideFrame(frame.Handle(), 120)),
      manager_(frame.Handle(), L"Analysis Manager", BesideFrame(frame.Handle(), 160))
{
    opened_.Session().Sheet().SetChangeListener([this] { sheet_.RequestRefresh([this] { ShowSheet(); }); });
    frame_.SetExporter([this] { ExportRecording(opened_.Host().Data(), frame_.Handle()); });
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
    std::vector<std::vector<std::wstring>> rows;
    for (size_t client = 0; client < document.AnalysisClients().size(); ++client)
        rows.push_back({document.AnalysisClients()[client],
                        client < document.AnalysisTitles().size() ? document.AnalysisTitles()[client] : L""});
    manager_.Show({L"Analysis", L"Title"}, rows);
}

} // namespace Host
