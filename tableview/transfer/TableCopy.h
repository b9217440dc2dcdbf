// Takes a block of a grid's cells out of the table: as lines of separated text for the clipboard and CSV
// files, or cell by cell into the host's results sheet below what it already holds.
#pragma once

#include "hostapi/TallionSheet.h"
#include "tableview/data/CellText.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/grid/GridSelection.h"

#include <map>
#include <optional>
#include <ostream>

namespace TableView
{

// The cancellable progress display of a long copy.
class CopyProgress
{
public:
    virtual ~CopyProgress() = default;
    // True once the user has cancelled.
    virtual bool SetPercentage(int percent) = 0;
    virtual void SetText(const Orv::String& text) = 0;
};

// One grid's cells as the copy sees them.
struct CopySource
{
    ITableDataManager* data = nullptr;
    ITableStoredRowInfo* rows = nullptr;
    ULONG grid = MainGridWord;
    int rowOrigin = 1;
    int columnOrigin = 1;
    const ChannelNames* channelNames = nullptr;
    // A valid selection chooses the columns written, unless the grid selects whole rows.
    const TVF_Grid::GridSelection* selection = nullptr;
};

// Rows [firstRow - origin, endRow - origin) of the grid; a negative bound means the whole table.
struct RowRange
{
    int firstRow = -1, firstOrigin = -1, endRow = -1, endOrigin = -1;
};

struct CopyOptions
{
    bool rowTitles = false;
    bool columnTitles = true;
};

class TableCopier
{
public:
    explicit TableCopier(const CopySource& source) : m_source(source) {}

    // Lines of cell texts joined by the separator, each ended by "\r\n". Without a progress display the
    // copy runs to its end; a cancel keeps the lines written so far.
    void CopyCells(std::wostream& out, const CopyOptions& options, const Orv::String& separator, RowRange range,
                   CopyProgress* progress);
    // Writes the rows into the sheet, one empty row below its data. S_FALSE when the sheet's last row
    // stopped the transfer; the memory check's failure before anything is written.
    HRESULT AddToTallion(ITallionSheet& sheet, const CopyOptions& options, RowRange range, CopyProgress* progress);

private:
    struct Block
    {
        int firstRow = 0;  // zero-based
        int endRow = 0;
        ULONG firstColumn = 0;
        ULONG endColumn = 0;
        int Rows() const { return endRow - firstRow; }
    };

    Block Resolve(const CopyOptions& options, RowRange range) const;
    Orv::String TitleText(ULONG column) const;
    Orv::String CellText(int row, ULONG column, bool blankPlaceholders) const;
    // Shows the whole-number percentage when it changed; true when the user cancelled.
    bool ReportProgress(CopyProgress* progress, int done, int total, int& lastShown);

    CopySource m_source;
    int m_lastCopyPercent = -1;
    int m_lastTransferPercent = -1;
};

// S_OK when rows x columns x 20 bytes of address space are free; E_OUTOFMEMORY, or the system's error as
// an HRESULT when the memory could not be queried.
HRESULT CheckCopyMemory(ULONGLONG rows, ULONGLONG columns);

// The first sheet row below the sheet's data that leaves one empty row between; 1 on an empty sheet.
LONG FindTallionStartRow(ITallionSheet& sheet);

} // namespace TableView
