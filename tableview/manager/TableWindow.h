// What the manager needs of the table window it owns: the window halves of the manager's operations.
// The manager keeps the column state and translates columns; the window does the rest.
#pragma once

#include "tableview/data/TableInterfaces.h"

struct IMessageHandler;

namespace TableView
{

// Where the window goes and how it divides itself, as the client passes it on every resize.
struct ViewOptions
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int rowHeaderWidth = 0;
    int defaultColumnWidth = 0;
    int secondGridHeight = 0;
};

class TableWindow
{
public:
    virtual ~TableWindow() = default;

    virtual HRESULT Setup(ULONG style, IUnknown* frameServices, ITableDataManager* data, ITableStoredRowInfo* rowInfo,
                          ITableUserActionHandler* actions, IListGenerator* lists) = 0;
    virtual HRESULT Layout(const ViewOptions& options) = 0;
    virtual HRESULT Refresh(ULONG columnCount) = 0;
    // Before destruction: the window lets go of the grids' and the client's notifications.
    virtual void Cleanup() = 0;
    virtual void SetStyle(ULONG style) = 0;
    virtual void RefreshCell(int row, ULONG displayColumn) = 0;
    virtual void SelectRows(ULONG grid, int firstRow, int endRow) = 0;
    virtual void SelectCells(ULONG grid, ULONG displayColumn, int firstRow, int endRow) = 0;
    virtual void EnsureRowVisible(ULONG grid, int row) = 0;
    virtual void SetFollowLatest(bool follow) = 0;
    // The selection, or both whole grids, into the host's results sheet; an error when the sheet cannot
    // be reached.
    virtual HRESULT AddToTallion() = 0;
    virtual HRESULT ExportCsv(const wchar_t* fileName) = 0;
};

} // namespace TableView
