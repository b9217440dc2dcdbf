#include "tableview/manager/TableViewManager.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/com/ComPtr.h"
#include "tableview/render/TableRenderer.h"

#include <algorithm>

namespace TableView
{

TVF_TableViewMgr::TVF_TableViewMgr(TableWindowFactory makeWindow) : m_makeWindow(std::move(makeWindow)) {}

TVF_TableViewMgr::~TVF_TableViewMgr()
{
    CloseWindow();
}

// The manager's own face stands for its identity; the client faces answer the rest.
HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::QueryInterface(REFIID iid, void** out)
{
    const HRESULT own = Orv::QueryOneFace(static_cast<ITableViewManager*>(this), iid, out, IID_ITableViewManager);
    return own == E_NOINTERFACE ? ManagerClientFaces::QueryInterface(iid, out) : own;
}

template <class Operation>
HRESULT TVF_TableViewMgr::WithWindow(Operation&& operation)
{
    if (!m_window)
        return E_FAIL;
    return Orv::CatchReturn([&] { return operation(*m_window); });
}

void TVF_TableViewMgr::CloseWindow()
{
    if (m_window)
        m_window->Cleanup();
    m_window.reset();
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::CreateTableView(ULONG style, HWND parent, IUnknown* frameServices,
                                                            IMessageHandler* clientHandler, ITableDataManager* data,
                                                            ITableStoredRowInfo* rowInfo,
                                                            ITableUserActionHandler* actions, IListGenerator* lists)
{
    if (!parent || !data || !rowInfo)
        return E_FAIL;
    return Orv::CatchReturn([&]() -> HRESULT {
        CloseWindow();
        m_window = m_makeWindow(parent, this, frameServices, clientHandler);
        if (!m_window)
            return E_FAIL;
        SetClient(data, actions);
        // A state loaded before the window was made survives when it still fits the client's columns.
        const ULONG count = ClientColumnCount();
        if (count != Columns().Order().size())
            Columns().Reset(count);
        if (!frameServices)
            return S_OK;
        return m_window->Setup(style, frameServices, this, rowInfo, this, lists);
    });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::SetViewOptions(ULONG, int x, int y, int width, int height,
                                                           int rowHeaderWidth, int defaultColumnWidth,
                                                           int secondGridHeight)
{
    // A minimised client passes zeros, which say nothing about the table: the user's columns stay.
    if (defaultColumnWidth <= 0 || width <= 0 || height <= 0)
        return S_OK;
    return WithWindow([&](TableWindow& window) {
        Columns().TakeDefaultWidth(defaultColumnWidth, ClientColumnCount());
        return window.Layout({x, y, width, height, rowHeaderWidth, defaultColumnWidth, secondGridHeight});
    });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::DestroyTableView(ULONG)
{
    return Orv::CatchReturn([&] { CloseWindow(); });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::UpdateColumnCount(ULONG)
{
    if (!HasClient())
        return E_FAIL;
    return WithWindow([&](TableWindow& window) {
        const ULONG count = ClientColumnCount();
        Columns().FitCount(count);
        return window.Refresh(count);
    });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::RefreshCell(ULONG, int row, ULONG storedColumn)
{
    return WithWindow([&](TableWindow& window) { window.RefreshCell(row, DisplayOf(storedColumn)); });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::SelectRows(ULONG grid, int firstRow, int endRow)
{
    return WithWindow([&](TableWindow& window) { window.SelectRows(grid, firstRow, endRow); });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::SelectCells(ULONG grid, ULONG storedColumn, int firstRow, int endRow)
{
    return WithWindow(
        [&](TableWindow& window) { window.SelectCells(grid, DisplayOf(storedColumn), firstRow, endRow); });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::SetStyle(ULONG style)
{
    return WithWindow([&](TableWindow& window) { window.SetStyle(style); });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::AddToTallion(ULONG)
{
    return WithWindow([&](TableWindow& window) { return window.AddToTallion(); });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::LoadColumnState(IBinInStream* stream)
{
    if (!stream)
        return E_POINTER;
    return Orv::CatchReturn([&] { return Columns().Load(*stream); });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::SaveColumnState(IBinOutStream* stream)
{
    if (!stream)
        return E_POINTER;
    return Orv::CatchReturn([&] { return Columns().Save(*stream); });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::EnsureRowVisible(ULONG grid, int row)
{
    return WithWindow([&](TableWindow& window) {
        // While the table follows the newest row, nothing else may move it.
        if (!m_followLatest)
            window.EnsureRowVisible(grid, row);
    });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::SetFollowLatest(VARIANT_BOOL follow)
{
    return WithWindow([&](TableWindow& window) {
        m_followLatest = follow != VARIANT_FALSE;
        window.SetFollowLatest(m_followLatest);
    });
}

HRESULT STDMETHODCALLTYPE TVF_TableViewMgr::ExportCsv(ULONG, const wchar_t* fileName)
{
    return WithWindow([&](TableWindow& window) { return window.ExportCsv(fileName); });
}

namespace
{

// The room the column's texts need: its title and every cell. The title bar draws the titles (row 0) in
// the grid's font, whatever their format.
int TextRoom(ITableDataManager& data, ULONG grid, ULONG column, ULONG rows)
{
    int room = 0;
    for (ULONG row = 0; row < rows; ++row)
    {
        Orv::String text;
        ULONG format = 0;
        if (SUCCEEDED(data.GetCellText(grid, static_cast<int>(row), column, &text)) && !text.IsEmpty() &&
            SUCCEEDED(data.GetCellFormat(grid, static_cast<int>(row), column, &format)))
            room = std::max(room, CellTextRoom(text, row == 0 ? 0 : format));
    }
    return room;
}

} // namespace

HRESULT RefreshWithTextRoom(ITableViewManager& manager, ITableDataManager& data, ITableStoredRowInfo& rows, ULONG grid)
{
    // The count first: the manager keeps widths only for the columns it knows.
    HRESULT result = manager.UpdateColumnCount(0);
    Orv::ComPtr<ITableViewMgrInternal> widths;
    Orv::ComPtr<ITableViewManagerMac> places;
    if (FAILED(result) || FAILED(manager.QueryInterface(IID_ITableViewMgrInternal, widths.PutVoid())) ||
        FAILED(manager.QueryInterface(IID_ITableViewManagerMac, places.PutVoid())))
        return result;
    ULONG columns = 0, rowCount = 0;
    data.GetColumnCount(grid, &columns);
    rows.GetRowCount(grid, &rowCount);
    bool widened = false;
    for (ULONG column = 1; column < columns; ++column)
    {
        TableCell shown{};
        int width = 0;
        // A column the manager does not show comes back as the row-title column.
        if (FAILED(places->ToDisplayCell(0, 0, column, &shown)) || shown.column == 0 ||
            FAILED(widths->GetColumnWidth(0, shown.column, &width)))
            continue;
        const int room = TextRoom(data, grid, column, rowCount);
        if (room > width && SUCCEEDED(widths->SetColumnWidth(0, shown.column, room)))
            widened = true;
    }
    return widened ? manager.UpdateColumnCount(0) : result;
}

} // namespace TableView
