#include "foundation/com/ResultCodes.h"
#include "tableview/transfer/TableText.h"

#include "foundation/system/ExactFileName.h"
#include "foundation/system/ModalMessage.h"

#include <commdlg.h>

#include <memory>
#include <sstream>

namespace TableView
{

namespace
{

RowRange SelectedRows(const TVF_Grid::GridSelection& selection)
{
    const TVF_Grid::CellRange& range = selection.Range();
    return {range.firstRow.index, range.firstRow.origin, range.endRow.index, range.endRow.origin};
}

bool HasSelection(const GridText& grid)
{
    return grid.copier && grid.selection && grid.selection->IsValid();
}

struct HandleCloser
{
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueFile = std::unique_ptr<void, HandleCloser>;

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                        nullptr);
    return utf8;
}

const HostSaveFileRequest CsvExportDialog{L"Export to CSV file", L"CSV (Comma delimited) (*.csv)\0*.csv\0", 1, L".",
                                          L"csv", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT};

} // namespace

namespace
{

// The selected block of each grid, or, when neither grid has a selection, every grid whole: action gets
// the grid's copier, the rows and whether it is the second grid.
template <class Action>
void ForEachChosenBlock(const GridText& mainGrid, const GridText& secondGrid, Action&& action)
{
    const bool mainSelected = HasSelection(mainGrid);
    const bool secondSelected = HasSelection(secondGrid);
    if (mainSelected)
        action(*mainGrid.copier, SelectedRows(*mainGrid.selection), false);
    if (secondSelected)
        action(*secondGrid.copier, SelectedRows(*secondGrid.selection), true);
    if (mainSelected || secondSelected)
        return;
    action(*mainGrid.copier, RowRange{}, false);
    if (secondGrid.copier)
        action(*secondGrid.copier, RowRange{}, true);
}

} // namespace

std::wstring BuildTableText(const GridText& mainGrid, const GridText& secondGrid, const CopyOptions& options,
                            const Orv::String& separator, CopyProgress* progress)
{
    std::wostringstream texts[2];
    ForEachChosenBlock(mainGrid, secondGrid, [&](TableCopier& copier, RowRange rows, bool second) {
        copier.CopyCells(texts[second], options, separator, rows, progress);
    });
    std::wstring text = texts[0].str();
    const std::wstring below = texts[1].str();
    if (!text.empty() && !below.empty())
        text += L'\n';
    return text + below;
}

HRESULT AddTableToSheet(ITallionSheet& sheet, const GridText& mainGrid, const GridText& secondGrid,
                        const CopyOptions& options, CopyProgress* progress)
{
    HRESULT result = S_OK;
    ForEachChosenBlock(mainGrid, secondGrid, [&](TableCopier& copier, RowRange rows, bool) {
        if (result == S_OK)
            result = copier.AddToTallion(sheet, options, rows, progress);
    });
    return result;
}

HRESULT WriteTextFile(const wchar_t* fileName, const std::wstring& text)
{
    if (!fileName || !*fileName)
        return E_INVALIDARG;
    UniqueFile file(Orv::CreateExactFile(fileName, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    if (file.get() == INVALID_HANDLE_VALUE)
    {
        file.release();
        return Orv::LastErrorResult();
    }
    const std::string bytes = ToUtf8(text);
    DWORD written = 0;
    if (!bytes.empty() &&
        (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
         written != bytes.size()))
        return Orv::LastErrorResult();
    if (!CloseHandle(file.release()))
        return Orv::LastErrorResult();
    return S_OK;
}

HRESULT ExportCsv(HWND owner, const wchar_t* fileName, const Orv::String& separator,
                  const std::function<std::wstring(const Orv::String& separator)>& tableText)
{
    const Orv::String chosen = fileName && *fileName ? Orv::String(fileName) : Orv::AskSaveFileName(owner, CsvExportDialog);
    if (chosen.IsEmpty())
        return E_FAIL;
    return WriteTextFile(chosen.c_str(), tableText(separator));
}

} // namespace TableView
