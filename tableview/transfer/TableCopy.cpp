#include "foundation/com/ResultCodes.h"
#include "tableview/transfer/TableCopy.h"

#include "foundation/text/StringStream.h"

#include <oleauto.h>
#include <psapi.h>

#include <algorithm>
#include <string>

namespace TableView
{

namespace
{

constexpr ULONGLONG BytesPerCopiedCell = 20;
constexpr ULONGLONG AmpleAddressSpace = 4ULL << 30;
const wchar_t* const CopyingTitle = L"Copying";
const wchar_t* const TransferTitle = L"Adding to Tallion";

Orv::String ReadSheetCell(ITallionSheet& sheet, LONG row, LONG column)
{
    Orv::String result;
    sheet.ReadCell(0, 0, row, column, result.OutArg());
    return result;
}

bool IsSheetRowEmpty(ITallionSheet& sheet, LONG row)
{
    for (LONG column = 0; column < TallionSheetScannedColumns; ++column)
        if (!ReadSheetCell(sheet, row, column).IsEmpty())
            return false;
    return true;
}

} // namespace

HRESULT CheckCopyMemory(ULONGLONG rows, ULONGLONG columns)
{
    if (!SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1)))
        return Orv::LastErrorResult();
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return Orv::LastErrorResult();
    if (status.ullAvailVirtual >= AmpleAddressSpace || status.ullAvailVirtual >= rows * columns * BytesPerCopiedCell)
        return S_OK;
    return E_OUTOFMEMORY;
}

LONG FindTallionStartRow(ITallionSheet& sheet)
{
    int emptyRun = 0;
    LONG row = 0;
    for (; row < TallionSheetRowLimit; ++row)
    {
        emptyRun = IsSheetRowEmpty(sheet, row) ? emptyRun + 1 : 0;
        if (emptyRun == 2)
            break;
    }
    return row;
}

TableCopier::Block TableCopier::Resolve(const CopyOptions& options, RowRange range) const
{
    ULONG storedRows = 0;
    m_source.rows->GetRowCount(m_source.grid, &storedRows);
    const int stored = static_cast<int>(storedRows);
    Block block;
    if (range.firstRow < 0 || range.firstOrigin < 0 || range.endRow < 0 || range.endOrigin < 0)
    {
        block.firstRow = 0;
        block.endRow = stored - m_source.rowOrigin;
    }
    else
    {
        // An end past the stored rows is cut to the last row.
        block.firstRow = range.firstRow - range.firstOrigin;
        block.endRow = std::min(range.endRow - range.endOrigin, stored - m_source.rowOrigin);
    }
    block.endRow = std::max(block.endRow, block.firstRow);
    ULONG columnCount = 0;
    m_source.data->GetColumnCount(m_source.grid, &columnCount);
    block.firstColumn = options.rowTitles ? 0 : static_cast<ULONG>(m_source.columnOrigin);
    block.endColumn = columnCount;
    if (m_source.selection && m_source.selection->IsValid() && !m_source.selection->WholeRows())
    {
        const TVF_Grid::CellRange& selected = m_source.selection->Range();
        block.firstColumn = static_cast<ULONG>(selected.firstColumn.index);
        block.endColumn = static_cast<ULONG>(selected.endColumn.index);
    }
    block.endColumn = std::max(block.endColumn, block.firstColumn);
    return block;
}

Orv::String TableCopier::TitleText(ULONG column) const
{
    ULONG format = 0;
    m_source.data->GetCellFormat(m_source.grid, 0, column, &format);
    Orv::String text;
    if (format & CellFormat::TitleText)
        m_source.data->GetCellText(m_source.grid, 0, column, &text);
    return text;
}

Orv::String TableCopier::CellText(int row, ULONG column, bool blankPlaceholders) const
{
    const int gridRow = row + m_source.rowOrigin;
    Orv::String text;
    ULONG format = 0;
    m_source.data->GetCellText(m_source.grid, gridRow, column, &text);
    m_source.data->GetCellFormat(m_source.grid, gridRow, column, &format);
    if (blankPlaceholders && (format & CellFormat::Placeholder))
        return {};
    if (format & CellFormat::Channel)
        return ChannelNameOf(text, m_source.channelNames);
    return text;
}

bool TableCopier::ReportProgress(CopyProgress* progress, int done, int total, int& lastShown)
{
    if (!progress)
        return false;
    const int percent = total > 0 ? static_cast<int>(done * 100.0 / total) : 100;
    if (percent == lastShown)
        return false;
    lastShown = percent;
    if (progress->SetPercentage(percent))
        return true;
    progress->SetText(Orv::String(std::to_wstring(percent) + L" %"));
    return false;
}

void TableCopier::CopyCells(std::wostream& out, const CopyOptions& options, const Orv::String& separator,
                            RowRange range, CopyProgress* progress)
{
    if (progress)
        progress->SetText(Orv::String(CopyingTitle));
    const Block block = Resolve(options, range);
    auto writeLine = [&](auto&& textOf) {
        std::wstring line;
        for (ULONG column = block.firstColumn; column < block.endColumn; ++column)
        {
            line += textOf(column).c_str();
            line += column + 1 < block.endColumn ? separator.c_str() : L"\r\n";
        }
        out << line;
    };
    if (options.columnTitles)
        writeLine([&](ULONG column) { return TitleText(column); });
    for (int row = block.firstRow; row < block.endRow; ++row)
    {
        writeLine([&](ULONG column) { return CellText(row, column, true); });
        if (ReportProgress(progress, row - block.firstRow + 1, block.Rows(), m_lastCopyPercent))
            return;
    }
}

HRESULT TableCopier::AddToTallion(ITallionSheet& sheet, const CopyOptions& options, RowRange range,
                                  CopyProgress* progress)
{
    const Block block = Resolve(options, range);
    const HRESULT memory = CheckCopyMemory(static_cast<ULONGLONG>(block.Rows()) + 1,
                                           block.endColumn - block.firstColumn);
    if (FAILED(memory))
        return memory;
    if (progress)
        progress->SetText(Orv::String(TransferTitle));
    LONG sheetRow = FindTallionStartRow(sheet);
    auto writeRow = [&](auto&& textOf) {
        LONG sheetColumn = 0;
        for (ULONG column = block.firstColumn; column < block.endColumn; ++column, ++sheetColumn)
            sheet.WriteCell(0, 0, sheetRow, sheetColumn, textOf(column).c_str(), -1);
        ++sheetRow;
    };
    if (options.columnTitles)
    {
        if (sheetRow >= TallionSheetRowLimit)
            return S_FALSE;
        writeRow([&](ULONG column) { return TitleText(column); });
    }
    for (int row = block.firstRow; row < block.endRow; ++row)
    {
        if (sheetRow >= TallionSheetRowLimit)
            return S_FALSE;
        writeRow([&](ULONG column) { return CellText(row, column, false); });
        if (ReportProgress(progress, row - block.firstRow + 1, block.Rows(), m_lastTransferPercent))
            break;
    }
    return S_OK;
}

} // namespace TableView
