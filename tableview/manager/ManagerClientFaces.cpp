#include "tableview/manager/ManagerClientFaces.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"

#include <vector>

namespace TableView
{

namespace
{

constexpr ULONG AskAllGrids = 0;
constexpr ULONG FormatWithoutData = 1;

} // namespace

void ManagerClientFaces::SetClient(ITableDataManager* data, ITableUserActionHandler* actions)
{
    m_data = data;
    m_actions = actions;
}

ULONG ManagerClientFaces::ClientColumnCount() const
{
    ULONG count = 0;
    if (m_data)
        m_data->GetColumnCount(AskAllGrids, &count);
    return count;
}

bool ManagerClientFaces::HasDataColumns() const
{
    return ClientColumnCount() > 1;
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::QueryInterface(REFIID iid, void** out)
{
    return Orv::QueryFaces(iid, out,
                           {{static_cast<ITableDataManager*>(this), {IID_ITableDataManager}},
                            {static_cast<ITableUserActionHandler*>(this), {IID_ITableUserActionHandler}},
                            {static_cast<ITableViewMgrInternal*>(this), {IID_ITableViewMgrInternal}},
                            {static_cast<ITableViewManagerMac*>(this), {IID_ITableViewManagerMac}}});
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::GetCellText(ULONG grid, int row, ULONG column, Orv::String* text)
{
    if (!text)
        return E_POINTER;
    if (!HasDataColumns())
    {
        *text = Orv::String();
        return S_OK;
    }
    return m_data->GetCellText(grid, row, Stored(column), text);
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::GetCellFormat(ULONG grid, int row, ULONG column, ULONG* format)
{
    if (!HasDataColumns())
        return Orv::AnswerValue(format, FormatWithoutData);
    return m_data->GetCellFormat(grid, row, Stored(column), format);
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::GetColumnCount(ULONG grid, ULONG* count)
{
    return m_data ? m_data->GetColumnCount(grid, count) : Orv::AnswerValue(count, 0);
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::GetSecondaryTitle(ULONG grid, Orv::String* text)
{
    return m_data ? m_data->GetSecondaryTitle(grid, text) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::GetTitle(ULONG grid, Orv::String* text)
{
    return m_data ? m_data->GetTitle(grid, text) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::OnSelectionChanged(ULONG grid, const SelectedColumn* columns, ULONG count)
{
    if (!Reports())
        return S_OK;
    return Orv::CatchReturn([&] {
        std::vector<SelectedColumn> stored(columns, columns + count);
        for (SelectedColumn& entry : stored)
            entry.column = Stored(entry.column);
        return m_actions->OnSelectionChanged(grid, stored.data(), count);
    });
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::OnCellClicked(ULONG gridAndKind, int row, ULONG column)
{
    return Reports() ? m_actions->OnCellClicked(gridAndKind, row, Stored(column)) : S_OK;
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::OnCellEdited(ULONG grid, int row, ULONG column, const Orv::String& text)
{
    return Reports() ? m_actions->OnCellEdited(grid, row, Stored(column), text) : S_OK;
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::OnListItemChosen(ULONG grid, ULONG listKind, int row, ULONG column,
                                                               ULONG itemIndex)
{
    return Reports() ? m_actions->OnListItemChosen(grid, listKind, row, Stored(column), itemIndex) : S_OK;
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::OnFollowLatestChanged(ULONG grid, VARIANT_BOOL follow)
{
    return Reports() ? m_actions->OnFollowLatestChanged(grid, follow ? VARIANT_TRUE : VARIANT_FALSE) : S_OK;
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::MoveColumn(ULONG, ULONG from, ULONG to)
{
    return m_columns.MoveColumn(from, to);
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::GetColumnWidth(ULONG, ULONG displayColumn, int* width)
{
    return m_columns.GetWidth(displayColumn, HasDataColumns(), width);
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::SetColumnWidth(ULONG, ULONG displayColumn, int width)
{
    return m_columns.SetWidth(displayColumn, HasDataColumns(), width);
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::ToStoredCell(ULONG, int row, ULONG displayColumn, TableCell* stored)
{
    return Orv::AnswerValue(stored, TableCell{row, Stored(displayColumn)});
}

HRESULT STDMETHODCALLTYPE ManagerClientFaces::ToDisplayCell(ULONG, int row, ULONG storedColumn, TableCell* display)
{
    const std::optional<ULONG> position = m_columns.ToDisplay(storedColumn);
    return Orv::AnswerValue(display, position ? TableCell{row, *position} : TableCell{0, 0});
}

} // namespace TableView
