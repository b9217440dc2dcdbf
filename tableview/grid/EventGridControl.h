// The grid the table window hosts: it publishes scrolling, width changes, column drops and clicks to
// its observers, hands finished edits, menu choices and cleared cells to the table's user-action
// handler, and navigates with the keyboard.
#pragma once

#include "foundation/com/ComObjectRoot.h"
#include "hostframework/messaging/Subjects.h"
#include "tableview/grid/GridControl.h"

namespace TVF_Grid
{

// Events of the grid, sent to its observers with a pointer to the payload.
namespace GridEvent
{
constexpr ULONG ColumnWidthChanged = 0x80140007;  // ColumnWidthChange
constexpr ULONG ColumnNotify = 0x8014000A;        // ColumnPair
constexpr ULONG LeftColumnChanged = 0x8014000B;   // int: the first visible column's number
constexpr ULONG GridClicked = 0x8014000D;         // none
} // namespace GridEvent

struct ColumnWidthChange
{
    int column;
    int width;
};

struct ColumnPair
{
    int a;
    int b;
};

// Where a cleared cell lies in the cleared range, for the client.
namespace ClearPosition
{
constexpr ULONG Only = 1;
constexpr ULONG Middle = 8;
constexpr ULONG First = 10;
constexpr ULONG Last = 12;
} // namespace ClearPosition

class EventGridControl : public GridControl, public VyrSubject, public Orv::CComObjectRoot
{
public:
    explicit EventGridControl(OWL::TWindow* parent) : GridControl(parent) {}
    ~EventGridControl() override { CloseWindows(); }

    // The window owns the grid: references never delete it.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return InternalRelease(); }

    void OnLeftColumnChanged(int column, int origin) override;
    void OnColumnWidthChanged(int column, int origin, int width) override;
    void OnColumnNotify(int a, int aOrigin, int b, int bOrigin) override;
    void OnGridClicked() override;
    void OnCellEdited(int row, int rowOrigin, int column, int columnOrigin, const Orv::String& text) override;
    void OnCellMenuCommand(ULONG kind, int row, int rowOrigin, int column, int columnOrigin, ULONG item) override;
    void OnClearCell(int row, int rowOrigin, int column, int columnOrigin, ULONG position) override;
    bool KeyDown(UINT key, UINT repeat, UINT flags) override;

private:
    // The keys that move between rows do nothing without rows.
    static bool IsRowKey(UINT key);
    bool EditorKey(UINT key);
    void ClearCells(const CellRange& range);
    // Moves the single current cell by (rows, columns), kept within the data cells.
    void MoveCell(int rows, int columns);
    void ExtendRows(int row);
    void ShowColumn(int column);

    CellPosition m_leftColumn;
};

} // namespace TVF_Grid
