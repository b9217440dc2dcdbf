// The text of a whole table (both grids) for the clipboard and for CSV files.
#pragma once

#include "tableview/transfer/TableCopy.h"

#include <functional>
#include <string>

namespace TableView
{

// One grid as the text builder sees it: its copier and its selection.
struct GridText
{
    TableCopier* copier = nullptr;
    const TVF_Grid::GridSelection* selection = nullptr;
};

// The selected blocks of the grids, or, when neither has a selection, every grid whole; the two grids'
// texts are joined by one "\n". A null second grid's copier means the table shows no second grid.
std::wstring BuildTableText(const GridText& mainGrid, const GridText& secondGrid, const CopyOptions& options,
                            const Orv::String& separator, CopyProgress* progress = nullptr);

// The same blocks into the results sheet, one below the other. The first answer that is not S_OK ends
// the transfer and is returned (S_FALSE: the sheet's last row was reached).
HRESULT AddTableToSheet(ITallionSheet& sheet, const GridText& mainGrid, const GridText& secondGrid,
                        const CopyOptions& options, CopyProgress* progress = nullptr);

// Writes the text as UTF-8 without a byte-order mark, replacing the file. Every character is written;
// a file that cannot be created or written gives the system's error.
HRESULT WriteTextFile(const wchar_t* fileName, const std::wstring& text);

// A CSV export of the table: into the given file, else into the one the user picks in the save dialog
// (which the host answers in a batch run), with separator between cells. E_FAIL and nothing written when
// there is no name (the dialog was cancelled); the write's error when the file cannot be written.
HRESULT ExportCsv(HWND owner, const wchar_t* fileName, const Orv::String& separator,
                  const std::function<std::wstring(const Orv::String& separator)>& tableText);

} // namespace TableView
