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
    if (row < 0 || column < 0 || row >= TallionSheetRowLimit)
        return E_INVALIDARG;
    const auto found = m_cells.find({row, column});
    if (found == m_cells.end())
        return S_OK;
    *text = SysAllocStringLen(found->second.data(), static_cast<UINT>(found->second.size()));
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE ResultsSheet::WriteCell(ULONG, ULONG, LONG row, LONG column, const WCHAR* text, SHORT)
{
    if (row < 0 || column < 0 || row >= TallionSheetRowLimit)
        return E_INVALIDARG;
    try
    {
        if (!text || !*text)
            m_cells.erase({row, column});
        else
            m_cells[{row, column}] = text;
        if (m_changed)
            m_changed();
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}

LONG ResultsSheet::RowCount() const
{
    return m_cells.empty() ? 0 : m_cells.rbegin()->first.first + 1;
}

LONG ResultsSheet::ColumnCount() const
{
    LONG columns = 0;
    for (const auto& [place, text] : m_cells)
        columns = std::max(columns, place.second + 1);
    return columns;
}

std::wstring ResultsSheet::Cell(LONG row, LONG column) const
{
    const auto found = m_cells.find({row, column});
    return found == m_cells.end() ? std::wstring() : found->second;
}

void ResultsSheet::SaveTsv(std::ostream& out) const
{
    LONG lastColumn = -1;
    for (const auto& [place, text] : m_cells)
        lastColumn = std::max(lastColumn, place.second);
    // A table added to an empty sheet starts in its second row: the text starts with the first row that holds
    // something.
    const LONG firstRow = m_cells.empty() ? 0 : m_cells.begin()->first.first;
    const LONG lastRow = m_cells.empty() ? -1 : m_cells.rbegin()->first.first;
    for (LONG row = firstRow; row <= lastRow; ++row)
    {
        std::string line;
        for (LONG column = 0; column <= lastColumn; ++column)
        {
            if (column > 0)
                line += '\t';
            line += ToUtf8(Cell(row, column));
        }
        out << line << '\n';
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
