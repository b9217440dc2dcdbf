// The manager a table client drives its table through: it owns the table window, keeps the column
// order and widths that belong neither to the client nor to the window, and stands between the two,
// translating display columns into the client's stored columns.
#pragma once

#include "hostapi/BinaryStreams.h"
#include "tableview/manager/ManagerClientFaces.h"
#include "tableview/manager/TableWindow.h"

#include <functional>
#include <memory>

struct ITableViewManager : IUnknown
{
    // 3: E_FAIL when parent, data or rowInfo is null or the window cannot be made. lists may be null.
    virtual HRESULT STDMETHODCALLTYPE CreateTableView(ULONG style, HWND parent, IUnknown* frameServices,
                                                      IMessageHandler* clientHandler, ITableDataManager* data,
                                                      ITableStoredRowInfo* rowInfo, ITableUserActionHandler* actions,
                                                      IListGenerator* lists) = 0;
    // 4: from every resize of the client; a minimised client's zeros leave the table as it is.
    virtual HRESULT STDMETHODCALLTYPE SetViewOptions(ULONG reserved, int x, int y, int width, int height,
                                                     int rowHeaderWidth, int defaultColumnWidth,
                                                     int secondGridHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE DestroyTableView(ULONG reserved) = 0;                                 // 5
    virtual HRESULT STDMETHODCALLTYPE UpdateColumnCount(ULONG reserved) = 0;                                // 6
    virtual HRESULT STDMETHODCALLTYPE RefreshCell(ULONG reserved, int row, ULONG storedColumn) = 0;         // 7
    // 8: rows [firstRow, endRow) over every column; an empty range clears the grid's selection.
    virtual HRESULT STDMETHODCALLTYPE SelectRows(ULONG grid, int firstRow, int endRow) = 0;
    virtual HRESULT STDMETHODCALLTYPE SelectCells(ULONG grid, ULONG storedColumn, int firstRow, int endRow) = 0; // 9
    virtual HRESULT STDMETHODCALLTYPE SetStyle(ULONG style) = 0;                                             // 10
    // 11: S_FALSE when the sheet's last row stopped the transfer; an error when the sheet cannot be reached.
    virtual HRESULT STDMETHODCALLTYPE AddToTallion(ULONG reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadColumnState(IBinInStream* stream) = 0;                            // 12
    virtual HRESULT STDMETHODCALLTYPE SaveColumnState(IBinOutStream* stream) = 0;                           // 13
    virtual HRESULT STDMETHODCALLTYPE Unused14(ULONG, ULONG, ULONG, ULONG) = 0;                              // 14
    virtual HRESULT STDMETHODCALLTYPE EnsureRowVisible(ULONG grid, int row) = 0;                            // 15
    virtual HRESULT STDMETHODCALLTYPE SetFollowLatest(VARIANT_BOOL follow) = 0;                             // 16
    // 17: fileName null or empty: the user picks the file.
    virtual HRESULT STDMETHODCALLTYPE ExportCsv(ULONG reserved, const wchar_t* fileName) = 0;
};

__CRT_UUID_DECL(ITableViewManager, 0xA7C117BC, 0x8D54, 0x420E, 0x8F, 0xCE, 0x76, 0xBC, 0x2E, 0x04, 0x0B, 0x91)
inline constexpr IID IID_ITableViewManager = __uuidof(ITableViewManager);

namespace TableView
{

// Makes the table window, a child of the framework window that owns parent.
using TableWindowFactory = std::function<std::unique_ptr<TableWindow>(
    HWND parent, ITableViewMgrInternal* manager, IUnknown* frameServices, IMessageHandler* clientHandler)>;

class TVF_TableViewMgr final : public ManagerClientFaces, public ITableViewManager
{
public:
    explicit TVF_TableViewMgr(TableWindowFactory makeWindow);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ManagerClientFaces::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ManagerClientFaces::Release(); }

    HRESULT STDMETHODCALLTYPE CreateTableView(ULONG style, HWND parent, IUnknown* frameServices,
                                              IMessageHandler* clientHandler, ITableDataManager* data,
                                              ITableStoredRowInfo* rowInfo, ITableUserActionHandler* actions,
                                              IListGenerator* lists) override;
    HRESULT STDMETHODCALLTYPE SetViewOptions(ULONG reserved, int x, int y, int width, int height, int rowHeaderWidth,
                                             int defaultColumnWidth, int secondGridHeight) override;
    HRESULT STDMETHODCALLTYPE DestroyTableView(ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE UpdateColumnCount(ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE RefreshCell(ULONG reserved, int row, ULONG storedColumn) override;
    HRESULT STDMETHODCALLTYPE SelectRows(ULONG grid, int firstRow, int endRow) override;
    HRESULT STDMETHODCALLTYPE SelectCells(ULONG grid, ULONG storedColumn, int firstRow, int endRow) override;
    HRESULT STDMETHODCALLTYPE SetStyle(ULONG style) override;
    HRESULT STDMETHODCALLTYPE AddToTallion(ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE LoadColumnState(IBinInStream* stream) override;
    HRESULT STDMETHODCALLTYPE SaveColumnState(IBinOutStream* stream) override;
    HRESULT STDMETHODCALLTYPE Unused14(ULONG, ULONG, ULONG, ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnsureRowVisible(ULONG grid, int row) override;
    HRESULT STDMETHODCALLTYPE SetFollowLatest(VARIANT_BOOL follow) override;
    HRESULT STDMETHODCALLTYPE ExportCsv(ULONG reserved, const wchar_t* fileName) override;

private:
    ~TVF_TableViewMgr() override;

    // Runs the operation on the window; E_FAIL when there is none.
    template <class Operation>
    HRESULT WithWindow(Operation&& operation);
    void CloseWindow();
    ULONG DisplayOf(ULONG storedColumn) const { return Columns().ToDisplay(storedColumn).value_or(0); }

    TableWindowFactory m_makeWindow;
    std::unique_ptr<TableWindow> m_window;
    bool m_followLatest = false;
};

// Refreshes the manager's table with its client's columns, each data column widened where it would
// clip its title or a cell's text (CellTextRoom); a column already wide enough, as the user may have
// made it, keeps its width.
HRESULT RefreshWithTextRoom(ITableViewManager& manager, ITableDataManager& data, ITableStoredRowInfo& rows,
                            ULONG grid);

} // namespace TableView

// A new table-view manager with one reference, for the holder.
HRESULT CreateTableViewMgr(ITableViewManager** holder);
