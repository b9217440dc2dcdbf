// The host's results sheet: text cells by (row, column) from 0 that modules fill with the tables a user
// wants to keep, saved as tab-separated text.
#pragma once

#include "hostapi/HostFileDialogs.h"
#include "hostapi/TallionSheet.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Host
{

class ResultsSheet : public ITallionSheet
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }

    HRESULT STDMETHODCALLTYPE ReadCell(ULONG, ULONG, LONG row, LONG column, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE WriteCell(ULONG, ULONG, LONG row, LONG column, const WCHAR* text, SHORT) override;

    std::wstring Cell(LONG row, LONG column) const;
    bool IsEmpty() const { return m_rows.empty(); }
    // One past the last row and the last column that hold text.
    LONG RowCount() const;
    LONG ColumnCount() const;
    // Runs after each write, on the writing thread (a window that shows the sheet posts itself a refresh).
    void SetChangeListener(std::function<void()> listener) { m_changed = std::move(listener); }
    // Rows from the first to the last that holds text, each with its cells up to the sheet's last used
    // column joined by tabs, in UTF-8 with "\n" after each row. Throws std::runtime_error when the stream
    // fails.
    void SaveTsv(std::ostream& out) const;

    // Columns a row holds; a spreadsheet's limit, far beyond any table.
    static constexpr LONG SheetColumnLimit = 16384;

private:
    // A row's cells from column 0 to its last that holds text, packed into one UTF-8 text with where each
    // cell ends: a day's table is millions of cells of a few characters, and held as the file will hold them
    // they take half the room.
    class Row
    {
    public:
        size_t Count() const { return m_ends.size(); }
        std::string_view Cell(size_t column) const;
        void Set(size_t column, std::string_view text);
        // Gives back the room the row's growth left unused.
        void Fit();

    private:
        std::string m_text;
        std::vector<uint32_t> m_ends;
    };

    std::string_view Find(LONG row, LONG column) const;

    std::map<LONG, Row> m_rows;
    // The row written last: a table is written a row at a time, and a row is fitted once writing moves on.
    std::optional<LONG> m_growing;
    std::atomic<ULONG> m_references{1};
    std::function<void()> m_changed;
};

// Where the sheet goes, asked through the host's file dialogs (which a batch run answers by script); empty
// when the dialog was cancelled.
std::wstring AskResultsSheetPath(IHostFileDialogs& dialogs, HWND owner);
// The sheet saved as tab-separated text, whole or not at all; throws FileWriteError naming the file and the
// system's reason.
void SaveResultsSheet(const ResultsSheet& sheet, const std::wstring& path);
// Both: false when the dialog was cancelled.
bool SaveResultsSheetAs(const ResultsSheet& sheet, IHostFileDialogs& dialogs, HWND owner);

} // namespace Host
