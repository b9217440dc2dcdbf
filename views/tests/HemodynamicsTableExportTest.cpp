#include "views/HemodynamicsTableExport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using Sistra::TableExportResult;
using Sistra::WriteTableText;

// A table of two panes keyed by pane: cells as rows of texts, every row as wide as the column count.
class PaneTable final : public ITableDataManager, public ITableStoredRowInfo
{
public:
    using Rows = std::vector<std::vector<std::wstring>>;

    PaneTable(ULONG columns, Rows main, Rows summary) : columns_(columns)
    {
        panes_[0] = std::move(main);
        panes_[1] = std::move(summary);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetCellText(ULONG grid, int row, ULONG column, Orv::String* text) override
    {
        *text = Orv::String(Pane(grid).at(static_cast<size_t>(row)).at(column).c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCellFormat(ULONG, int, ULONG, ULONG* format) override
    {
        *format = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColumnCount(ULONG, ULONG* count) override
    {
        *count = columns_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSecondaryTitle(ULONG, Orv::String*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTitle(ULONG, Orv::String*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG grid, ULONG* count) override
    {
        *count = static_cast<ULONG>(Pane(grid).size());
        return S_OK;
    }

private:
    const Rows& Pane(ULONG grid) const { return panes_.at((grid & TableView::SecondGridWord) ? 1 : 0); }

    ULONG columns_;
    std::map<int, Rows> panes_;
};

// Records what the export reports and cancels from a given line on (0: never).
class ScriptedProgress final : public IHostProgress
{
public:
    explicit ScriptedProgress(size_t cancelAtLine = 0) : cancelAtLine_(cancelAtLine) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetText(const WCHAR* text) override
    {
        texts.push_back(text);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetPercent(LONG percent) override
    {
        percents.push_back(percent);
        return cancelAtLine_ && percents.size() >= cancelAtLine_ ? S_FALSE : S_OK;
    }

    std::vector<std::wstring> texts;
    std::vector<LONG> percents;

private:
    size_t cancelAtLine_;
};

class TableExport : public testing::Test
{
protected:
    static std::wstring TempPath(const wchar_t* name)
    {
        wchar_t folder[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        return std::wstring(folder) + name;
    }
    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static std::string Bytes(const std::wstring& path)
    {
        std::ifstream in(path.c_str(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void TearDown() override { DeleteFileW(path.c_str()); }

    const std::wstring path = TempPath(L"hemodynamics-export.txt");
};

const PaneTable::Rows NoSummary;
const PaneTable::Rows TitlesAndStatistics = {
    {L"", L"SV (uL)", L"HR (bpm)"},
    {L"Avg", L"21.50", L"480.0"},
    {L"Min", L"20.00", L"470.0"},
    {L"Max", L"23.00", L"490.0"},
    {L"Count", L"2", L"2"},
};

// The file holds the table transposed as the framework shows it: a line per row, TAB between fields,
// CR LF after each line, and with the summary an empty line and the summary rows.
TEST_F(TableExport, WritesEachRowAsALineOfTabSeparatedFields)
{
    const struct
    {
        const char* name;
        ULONG columns;
        PaneTable::Rows main;
        bool summary;
        std::string expected;
    } cases[] = {
        {"analysed", 3, {{L"", L"SV (uL)", L"HR (bpm)"}, {L"1", L"20.00", L"470.0"}, {L"2", L"23.00", L" "}}, false,
         "\tSV (uL)\tHR (bpm)\r\n1\t20.00\t470.0\r\n2\t23.00\t \r\n"},
        {"analysed with summary", 3, {{L"", L"SV (uL)", L"HR (bpm)"}}, true,
         "\tSV (uL)\tHR (bpm)\r\n\r\n\tSV (uL)\tHR (bpm)\r\nAvg\t21.50\t480.0\r\nMin\t20.00\t470.0\r\n"
         "Max\t23.00\t490.0\r\nCount\t2\t2\r\n"},
        {"not analysed: empty titles", 3, {{L"", L"", L""}}, false, "\t\t\r\n"},
        {"no columns", 0, {{}}, false, ""},
        {"no columns with summary", 0, {{}}, true, "\r\n"},
        {"one byte per character, ? above 255", 2, {{L"V (\u00B5L)", L"\u03C4 (ms)"}}, false,
         "V (\xB5L)\t? (ms)\r\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        PaneTable::Rows summary = c.columns ? TitlesAndStatistics : PaneTable::Rows(5, std::vector<std::wstring>{});
        PaneTable table(c.columns, c.main, summary);
        EXPECT_EQ(TableExportResult::Written, WriteTableText(table, table, path, c.summary, nullptr));
        EXPECT_EQ(c.expected, Bytes(path));
    }
}

// The percentage reaches 100 on the last line in whole steps; its text changes only when it moves.
TEST_F(TableExport, ReportsEachLinesPercentageAndShowsItWhenItMoves)
{
    for (size_t rows : {size_t{3}, size_t{250}})
    {
        SCOPED_TRACE(rows);
        PaneTable table(1, PaneTable::Rows(rows, {L"x"}), NoSummary);
        ScriptedProgress progress;
        ASSERT_EQ(TableExportResult::Written, WriteTableText(table, table, path, false, &progress));
        ASSERT_EQ(rows, progress.percents.size());
        EXPECT_EQ(100, progress.percents.back());
        for (size_t line = 0; line < rows; ++line)
            EXPECT_EQ(static_cast<LONG>((line + 1) * 100 / rows), progress.percents[line]);
        std::vector<std::wstring> shown;
        for (LONG percent : progress.percents)
            if (shown.empty() || shown.back() != std::to_wstring(percent) + L" %")
                shown.push_back(std::to_wstring(percent) + L" %");
        EXPECT_EQ(shown, progress.texts);
    }
}

// A cancel ends the export and leaves no part of the file; without an indicator the export runs to its
// end; a file that cannot be made is a failure, not a success.
TEST_F(TableExport, ACancelOrAFailedWriteLeavesNoFileAndNoIndicatorStillWritesIt)
{
    PaneTable table(2, {{L"", L"SV"}, {L"1", L"20"}, {L"2", L"21"}}, TitlesAndStatistics);
    ScriptedProgress cancelling(2);
    EXPECT_EQ(TableExportResult::Cancelled, WriteTableText(table, table, path, true, &cancelling));
    EXPECT_EQ(2u, cancelling.percents.size()) << "nothing after the cancel";
    EXPECT_FALSE(Exists(path));

    EXPECT_EQ(TableExportResult::Written, WriteTableText(table, table, path, false, nullptr));
    EXPECT_EQ("\tSV\r\n1\t20\r\n2\t21\r\n", Bytes(path));

    const std::wstring unreachable = TempPath(L"no-such-folder\\table.txt");
    EXPECT_EQ(TableExportResult::Failed, WriteTableText(table, table, unreachable, false, nullptr));
    EXPECT_FALSE(Exists(unreachable));
}

TEST(TableExportPath, OnlyAnExactCsvExtensionGoesToTheCsvExport)
{
    const struct
    {
        const wchar_t* path;
        bool csv;
    } cases[] = {
        {L"C:\\data\\table.csv", true},  {L"C:\\data\\table.CSV", false}, {L"C:\\data\\table.txt", false},
        {L"C:\\data\\table.csv.txt", false}, {L"csv", true}, {L"C:\\data.v2\\table", false},
        {L"C:\\data\\table.", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.csv, Sistra::IsCsvExportPath(c.path)) << std::wstring(c.path);
}

} // namespace
