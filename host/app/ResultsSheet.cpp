#include "host/app/ResultsSheet.h"

#include "host/app/SaveDialog.h"
#include "host/app/TextConversion.h"
#include "host/app/WholeFile.h"

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

HRESULT STDMETHODCALLTYPE ResultsSheet::ReadCell(ULONG, ULONG, LONG row, LONG column, BSTR* text)
{
    if (!text)
        return E_POINTER;
    *text = nullptr;
    if (row < 0 || column < 0 || row >= TallionSheetRowLimit || column >= SheetColumnLimit)
        return E_INVALIDARG;
    const std::wstring* cell = Find(row, column);
    if (!cell || cell->empty())
        return S_OK;
    *text = SysAllocStringLen(cell->data(), static_cast<UINT>(cell->size()));
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE ResultsSheet::WriteCell(ULONG, ULONG, LONG row, LONG column, const WCHAR* text, SHORT)
{
    if (row < 0 || column < 0 || row >= TallionSheetRowLimit || column >= SheetColumnLimit)
        return E_INVALIDARG;
    try
    {
        if (!text || !*text)
            Erase(row, column);
        else
        {
            std::vector<std::wstring>& cells = m_rows[row];
            if (cells.size() <= static_cast<size_t>(column))
                cells.resize(static_cast<size_t>(column) + 1);
            cells[static_cast<size_t>(column)] = text;
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

const std::wstring* ResultsSheet::Find(LONG row, LONG column) const
{
    const auto found = m_rows.find(row);
    if (found == m_rows.end() || static_cast<size_t>(column) >= found->second.size())
        return nullptr;
    return &found->second[static_cast<size_t>(column)];
}

void ResultsSheet::Erase(LONG row, LONG column)
{
    const auto found = m_rows.find(row);
    if (found == m_rows.end() || static_cast<size_t>(column) >= found->second.size())
        return;
    std::vector<std::wstring>& cells = found->second;
    cells[static_cast<size_t>(column)].clear();
    while (!cells.empty() && cells.back().empty())
        cells.pop_back();
    if (cells.empty())
        m_rows.erase(found);
}

LONG ResultsSheet::RowCount() const
{
    return m_rows.empty() ? 0 : m_rows.rbegin()->first + 1;
}

LONG ResultsSheet::ColumnCount() const
{
    size_t columns = 0;
    for (const auto& [row, cells] : m_rows)
        columns = std::max(columns, cells.size());
    return static_cast<LONG>(columns);
}

std::wstring ResultsSheet::Cell(LONG row, LONG column) const
{
    const std::wstring* cell = Find(row, column);
    return cell ? *cell : std::wstring();
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
            if (column < cells.size())
                line += ToUtf8(cells[column]);
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
