#include "views/HemodynamicsTableExport.h"

#include "foundation/system/ExactFileName.h"

#include <cstdio>
#include <memory>
#include <string>

namespace Sistra
{

namespace
{

// The grid words of the two panes as the table data reads them.
constexpr ULONG MainPane = 0;
constexpr ULONG SummaryPane = TableView::SecondGridWord;
constexpr char FieldSeparator = '\t';
constexpr const char* LineEnd = "\r\n";
// What stands for a character that one byte cannot hold.
constexpr char Unwritable = '?';

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// The percentage of lines written, shown as text when it moves and reported on every line; the
// indicator's answer says whether to go on.
class LineProgress
{
public:
    LineProgress(IHostProgress* progress, ULONG lines) : progress_(progress), lines_(lines ? lines : 1) {}

    bool LineWritten()
    {
        const LONG percent = static_cast<LONG>(++written_ * 100ull / lines_);
        if (!progress_)
            return true;
        if (percent != shown_)
        {
            shown_ = percent;
            progress_->SetText((std::to_wstring(percent) + L" %").c_str());
        }
        return progress_->SetPercent(percent) == S_OK;
    }

private:
    IHostProgress* progress_;
    ULONG lines_;
    ULONG written_ = 0;
    LONG shown_ = -1;
};

void AppendNarrowed(std::string& line, const Orv::String& text)
{
    for (const wchar_t* c = text.c_str(); *c; ++c)
        line += *c <= 0xFF ? static_cast<char>(static_cast<unsigned char>(*c)) : Unwritable;
}

// One framework row: the cells of every column, TAB between, CR LF after the last; a table without
// columns gives an empty line without an end.
std::string TableLine(ITableDataManager& data, ULONG pane, int row, ULONG columns)
{
    std::string line;
    for (ULONG column = 0; column < columns; ++column)
    {
        Orv::String text;
        data.GetCellText(pane, row, column, &text);
        AppendNarrowed(line, text);
        line += column + 1 < columns ? std::string(1, FieldSeparator) : LineEnd;
    }
    return line;
}

bool Write(FILE* file, const std::string& text)
{
    return text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

ULONG RowCount(ITableStoredRowInfo& rows, ULONG pane)
{
    ULONG count = 0;
    return SUCCEEDED(rows.GetRowCount(pane, &count)) ? count : 0;
}

} // namespace

std::wstring ExportExtension(const std::wstring& path)
{
    const size_t dot = path.rfind(L'.');
    return dot == std::wstring::npos ? path : path.substr(dot + 1);
}

bool IsCsvExportPath(const std::wstring& path)
{
    return ExportExtension(path) == L"csv";
}

TableExportResult WriteTableText(ITableDataManager& data, ITableStoredRowInfo& rows, const std::wstring& path,
                                 bool includeSummary, IHostProgress* progress)
{
    const std::wstring exact = Orv::ExactFileName(path).OpenAs();
    File file(exact.empty() ? nullptr : _wfopen(exact.c_str(), L"wb"));
    if (!file)
        return TableExportResult::Failed;
    ULONG columns = 0;
    if (FAILED(data.GetColumnCount(MainPane, &columns)))
        columns = 0;
    const ULONG loopRows = RowCount(rows, MainPane);
    const ULONG summaryRows = includeSummary ? RowCount(rows, SummaryPane) : 0;
    LineProgress lines(progress, loopRows + summaryRows);

    bool written = true;
    bool cancelled = false;
    const auto writeRows = [&](ULONG pane, ULONG count) {
        for (ULONG row = 0; row < count && written && !cancelled; ++row)
        {
            written = Write(file.get(), TableLine(data, pane, static_cast<int>(row), columns));
            cancelled = written && !lines.LineWritten();
        }
    };
    writeRows(MainPane, loopRows);
    if (includeSummary && written && !cancelled)
    {
        written = Write(file.get(), LineEnd);
        writeRows(SummaryPane, summaryRows);
    }
    written = std::fclose(file.release()) == 0 && written;
    if (written && !cancelled)
        return TableExportResult::Written;
    _wremove(exact.c_str());
    return cancelled ? TableExportResult::Cancelled : TableExportResult::Failed;
}

} // namespace Sistra
