#include "host/app/commands/ResultsSheet.h"

#include "host/app/files/SaveDialog.h"
#include "host/app/files/TextConversion.h"
#include "host/app/files/WholeFile.h"

#include <oleauto.h>

#include <commdlg.h>

#include <algorithm>
#include <stdexcept>

namespace Host
{

HRESULT STDMETHODCALLTYPE ResultsSheet::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_ITallionSheet))
        return E_NOINTERFACE;
    *object = static_cast<ITallionSheet*>(this);
    AddRef();
    return S_OK;
}

std::string_view ResultsSheet::Row::Cell(size_t column) const
{
    if (column >= m_ends.size())
        return {};
    const size_t begin = column == 0 ? 0 : m_ends[column - 1];
    return std::string_view(m_text).substr(begin, m_ends[column] - begin);
}

void ResultsSheet::Row::Fit()
{
    m_text.shrink_to_fit();
    m_ends.shrink_to_fit();
}

void ResultsSheet::Row::Set(size_t column, std::string_view text)
{
    if (column >= m_ends.size())
    {
        if (text.empty())
            return;
        m_ends.resize(column, static_cast<uint32_t>(m_text.size()));
        m_text += text;
        m_ends.push_back(static_cast<uint32_t>(m_text.size()));
        return;
    }
    const size_t begin = column == 0 ? 0 : m_ends[column - 1];
    const size_t length = m_ends[column] - begin;
    m_text.replace(begin, length, text);
    const auto change = static_cast<int64_t>(text.size()) - static_cast<int64_t>(length);
    for (size_t later = column; later < m_ends.size(); ++later)
        m_ends[later] = static_cast<uint32_t>(m_ends[later] + change);
    // An emptied last cell leaves no empty columns at the row's end.
    while (!m_ends.empty() && Cell(m_ends.size() - 1).empty())
        m_ends.pop_back();
}

HRESULT STDMETHODCALLTYPE ResultsSheet::ReadCell(ULONG, ULONG, LONG row, LONG column, BSTR* text)
{
    if (!text)
        return E_POINTER;
    *text = nullptr;
    if (row < 0 || column < 0 || row >= TallionSheetRowLimit || column >= SheetColumnLimit)
        return E_INVALIDARG;
    const std::wstring cell = Cell(row, column);
    if (cell.empty())
        return S_OK;
    *text = SysAllocStringLen(cell.data(), static_cast<UINT>(cell.size()));
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE ResultsSheet::WriteCell(ULONG, ULONG, LONG row, LONG column, const WCHAR* text, SHORT)
{
    if (row < 0 || column < 0 || row >= TallionSheetRowLimit || column >= SheetColumnLimit)
        return E_INVALIDARG;
    try
    {
        const std::string written = text ? ToUtf8(text) : std::string();
        if (m_growing && *m_growing != row)
            if (const auto growing = m_rows.find(*m_growing); growing != m_rows.end())
                growing->second.Fit();
        m_growing = row;
        const auto found = m_rows.find(row);
        if (found != m_rows.end() || !written.empty())
        {
            Row& cells = found != m_rows.end() ? found->second : m_rows[row];
            cells.Set(static_cast<size_t>(column), written);
            if (cells.Count() == 0)
                m_rows.erase(row);
        }
        if (m_changed)
            m_changed();
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}

std::string_view ResultsSheet::Find(LONG row, LONG column) const
{
    const auto found = m_rows.find(row);
    return found == m_rows.end() ? std::string_view() : found->second.Cell(static_cast<size_t>(column));
}

LONG ResultsSheet::RowCount() const
{
    return m_rows.empty() ? 0 : m_rows.rbegin()->first + 1;
}

LONG ResultsSheet::ColumnCount() const
{
    size_t columns = 0;
    for (const auto& [row, cells] : m_rows)
        columns = std::max(columns, cells.Count());
    return static_cast<LONG>(columns);
}

std::wstring ResultsSheet::Cell(LONG row, LONG column) const
{
    return FromUtf8(Find(row, column));
}

void ResultsSheet::SaveTsv(std::ostream& out) const
{
    const size_t columns = static_cast<size_t>(ColumnCount());
    // A table added to an empty sheet starts in its second row: the text starts with the first row that holds
    // something.
    LONG next = m_rows.empty() ? 0 : m_rows.begin()->first;
    const std::string emptyRow(columns > 0 ? columns - 1 : 0, '\t');
    std::string line;
    for (const auto& [row, cells] : m_rows)
    {
        for (; next < row; ++next)
            out << emptyRow << '\n';
        line.clear();
        for (size_t column = 0; column < columns; ++column)
        {
            if (column > 0)
                line += '\t';
            if (column < cells.Count())
                line += cells.Cell(column);
        }
        out << line << '\n';
        next = row + 1;
    }
    out.flush();
    if (!out)
        throw std::runtime_error("the results sheet could not be written");
}

std::wstring AskResultsSheetPath(IHostFileDialogs& dialogs, HWND owner)
{
    const HostSaveFileRequest request{L"Save Tallion", L"Tab-separated text (*.tsv)\0*.tsv\0", 1, L".", L"tsv",
                                      OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT};
    return AskSavePath(dialogs, request, owner);
}

void SaveResultsSheet(const ResultsSheet& sheet, const std::wstring& path)
{
    WriteWholeFile(path, [&](std::ostream& out) { sheet.SaveTsv(out); });
}

bool SaveResultsSheetAs(const ResultsSheet& sheet, IHostFileDialogs& dialogs, HWND owner)
{
    const std::wstring path = AskResultsSheetPath(dialogs, owner);
    if (path.empty())
        return false;
    SaveResultsSheet(sheet, path);
    return true;
}

} // namespace Host
