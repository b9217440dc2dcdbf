// The faces through which the table window, its grids and renderers reach the client: every call passes
// through unchanged except that a display column becomes the stored column, and while the client has no
// data columns beyond the row titles the faces answer by themselves. The same object keeps the column
// state (order and widths) and translates between display and stored cells for recorded user actions.
#pragma once

#include "foundation/com/ComObjectRoot.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/manager/ColumnState.h"

namespace TableView
{

struct TableCell
{
    int row;
    ULONG column;
};

} // namespace TableView

// Recorded and replayed user actions travel in stored coordinates.
struct ITableViewManagerMac : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE ToStoredCell(ULONG reserved, int row, ULONG displayColumn,
                                                   TableView::TableCell* stored) = 0;  // 3
    virtual HRESULT STDMETHODCALLTYPE ToDisplayCell(ULONG reserved, int row, ULONG storedColumn,
                                                    TableView::TableCell* display) = 0;  // 4
};

__CRT_UUID_DECL(ITableViewManagerMac, 0x57DAC5C3, 0xAD57, 0x4319, 0xAD, 0x57, 0xD2, 0xEB, 0xDD, 0xBE, 0xF5, 0xB5)

inline constexpr IID IID_ITableViewManagerMac = __uuidof(ITableViewManagerMac);

namespace TableView
{

class ManagerClientFaces : public ITableDataManager,
                           public ITableUserActionHandler,
                           public ITableViewMgrInternal,
                           public ITableViewManagerMac,
                           private Orv::CComObjectRoot
{
public:
    // The client's interfaces are not reference-counted here: the client owns this object.
    void SetClient(ITableDataManager* data, ITableUserActionHandler* actions);
    ColumnState& Columns() { return m_columns; }
    const ColumnState& Columns() const { return m_columns; }
    // The client's column count (row titles included), asked with grid word 0.
    ULONG ClientColumnCount() const;
    bool HasDataColumns() const;
    bool HasClient() const { return m_data != nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE GetCellText(ULONG grid, int row, ULONG column, Orv::String* text) override;
    HRESULT STDMETHODCALLTYPE GetCellFormat(ULONG grid, int row, ULONG column, ULONG* format) override;
    HRESULT STDMETHODCALLTYPE GetColumnCount(ULONG grid, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetSecondaryTitle(ULONG grid, Orv::String* text) override;
    HRESULT STDMETHODCALLTYPE GetTitle(ULONG grid, Orv::String* text) override;

    HRESULT STDMETHODCALLTYPE OnSelectionChanged(ULONG grid, const SelectedColumn* columns, ULONG count) override;
    HRESULT STDMETHODCALLTYPE OnCellClicked(ULONG gridAndKind, int row, ULONG column) override;
    HRESULT STDMETHODCALLTYPE OnCellEdited(ULONG grid, int row, ULONG column, const Orv::String& text) override;
    HRESULT STDMETHODCALLTYPE OnListItemChosen(ULONG grid, ULONG listKind, int row, ULONG column,
                                               ULONG itemIndex) override;
    HRESULT STDMETHODCALLTYPE OnFollowLatestChanged(ULONG grid, VARIANT_BOOL follow) override;

    HRESULT STDMETHODCALLTYPE MoveColumn(ULONG reserved, ULONG from, ULONG to) override;
    HRESULT STDMETHODCALLTYPE GetColumnWidth(ULONG reserved, ULONG displayColumn, int* width) override;
    HRESULT STDMETHODCALLTYPE SetColumnWidth(ULONG reserved, ULONG displayColumn, int width) override;

    HRESULT STDMETHODCALLTYPE ToStoredCell(ULONG reserved, int row, ULONG displayColumn, TableCell* stored) override;
    HRESULT STDMETHODCALLTYPE ToDisplayCell(ULONG reserved, int row, ULONG storedColumn, TableCell* display) override;

protected:
    virtual ~ManagerClientFaces() = default;

private:
    ULONG Stored(ULONG displayColumn) const { return m_columns.ToStored(displayColumn, HasDataColumns()); }
    bool Reports() const { return m_actions && HasDataColumns(); }

    ColumnState m_columns;
    ITableDataManager* m_data = nullptr;
    ITableUserActionHandler* m_actions = nullptr;
};

} // namespace TableView
