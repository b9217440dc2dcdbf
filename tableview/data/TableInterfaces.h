// The contract between the table framework and its clients, and between the table window and the manager
// that keeps the column state. Every cell operation takes the row first and the column second; row 0 is
// the column-title row and column 0 the row-title column. Columns that reach a client are stored (client)
// columns; the window works in display columns and the manager translates. Methods are in vtable order.
#pragma once

#include "foundation/text/String.h"

#include <windows.h>
#include <unknwn.h>

namespace TableView
{

// The first argument of every call into a client: which grid, and in the low bits the kind of action.
constexpr ULONG MainGridWord = 0x08;
constexpr ULONG SecondGridWord = 0x10;
constexpr ULONG MouseStartedBit = 0x01;
constexpr ULONG ClickKindClick = 0x01;
constexpr ULONG ClickKindDoubleClick = 0x02;
constexpr ULONG ClickKindRightRelease = 0x04;

// Bits of the cell format word that a client answers from GetCellFormat.
namespace CellFormat
{
constexpr ULONG LeftAligned = 0x0001;
constexpr ULONG Editable = 0x0002;
constexpr ULONG EditOnDoubleClick = 0x0004;
constexpr ULONG Channel = 0x0008;
constexpr ULONG TitleText = 0x0010;
constexpr ULONG Placeholder = 0x0080;
constexpr ULONG TabMovesDown = 0x0800;
} // namespace CellFormat

// What a column of the selection covers: rows [firstRow, endRow) of one column.
struct SelectedColumn
{
    ULONG column;
    int firstRow;
    int endRow;
};

} // namespace TableView

struct ITableDataManager : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetCellText(ULONG grid, int row, ULONG column, Orv::String* text) = 0;  // 3
    virtual HRESULT STDMETHODCALLTYPE GetCellFormat(ULONG grid, int row, ULONG column, ULONG* format) = 0;    // 4
    // Columns including the row-title column.
    virtual HRESULT STDMETHODCALLTYPE GetColumnCount(ULONG grid, ULONG* count) = 0;                           // 5
    virtual HRESULT STDMETHODCALLTYPE GetSecondaryTitle(ULONG grid, Orv::String* text) = 0;                    // 6
    virtual HRESULT STDMETHODCALLTYPE GetTitle(ULONG grid, Orv::String* text) = 0;                             // 7
};

struct ITableStoredRowInfo : IUnknown
{
    // Rows of the named grid including the title row.
    virtual HRESULT STDMETHODCALLTYPE GetRowCount(ULONG grid, ULONG* count) = 0; // 3
};

struct ITableUserActionHandler : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE OnSelectionChanged(ULONG grid, const TableView::SelectedColumn* columns,
                                                         ULONG count) = 0;                                       // 3
    virtual HRESULT STDMETHODCALLTYPE OnCellClicked(ULONG gridAndKind, int row, ULONG column) = 0;             // 4
    // E_FAIL rejects the edit.
    virtual HRESULT STDMETHODCALLTYPE OnCellEdited(ULONG grid, int row, ULONG column, const Orv::String& text) = 0; // 5
    // listKind 1: a cell drop-down; 2: the row-number pane's context menu.
    virtual HRESULT STDMETHODCALLTYPE OnListItemChosen(ULONG grid, ULONG listKind, int row, ULONG column,
                                                       ULONG itemIndex) = 0;                                     // 6
    virtual HRESULT STDMETHODCALLTYPE OnFollowLatestChanged(ULONG grid, VARIANT_BOOL follow) = 0;              // 7
};

struct IListGenerator : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetItemCount(ULONG grid, int row, int column, ULONG* count) = 0;              // 3
    virtual HRESULT STDMETHODCALLTYPE GetItemText(ULONG grid, int row, int column, ULONG index, Orv::String* text) = 0; // 4
};

// A client's names and units of its columns, offered beside its cells: a column's title is then its name
// with the units in brackets. Columns count from 0 without the row-title column.
struct ITableColumnNames : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetColumnName(ULONG column, Orv::String* name) = 0;   // 3
    virtual HRESULT STDMETHODCALLTYPE GetColumnUnits(ULONG column, Orv::String* units) = 0; // 4
};

// The column state the manager keeps for the window and its renderers, in display columns.
struct ITableViewMgrInternal : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE MoveColumn(ULONG reserved, ULONG from, ULONG to) = 0;                 // 3
    virtual HRESULT STDMETHODCALLTYPE GetColumnWidth(ULONG reserved, ULONG displayColumn, int* width) = 0;  // 4
    virtual HRESULT STDMETHODCALLTYPE SetColumnWidth(ULONG reserved, ULONG displayColumn, int width) = 0;   // 5
};

__CRT_UUID_DECL(ITableDataManager, 0xD7C72AF1, 0x1E93, 0x4968, 0xB9, 0x49, 0xDA, 0x7E, 0x6A, 0xE6, 0x23, 0xF2)
__CRT_UUID_DECL(ITableStoredRowInfo, 0x26737130, 0x7707, 0x4760, 0xBD, 0xB4, 0xFF, 0xD2, 0x10, 0x25, 0x31, 0x13)
__CRT_UUID_DECL(ITableUserActionHandler, 0x2DF7DCBB, 0xCDE0, 0x40A1, 0xB6, 0xE7, 0xDD, 0xBA, 0x8C, 0xF2, 0x11, 0x4C)
__CRT_UUID_DECL(IListGenerator, 0xF4BE014B, 0x7333, 0x4A13, 0x98, 0xCA, 0xC7, 0xB2, 0x5B, 0xC3, 0x1D, 0xA1)
__CRT_UUID_DECL(ITableColumnNames, 0xACDB7226, 0xF88C, 0x45E4, 0x83, 0x94, 0x87, 0x54, 0x35, 0x71, 0xF4, 0xEF)
__CRT_UUID_DECL(ITableViewMgrInternal, 0x69B45660, 0xAA93, 0x41AA, 0xAF, 0x4A, 0x01, 0x8E, 0x33, 0x4A, 0xC1, 0x95)

inline constexpr IID IID_ITableDataManager = __uuidof(ITableDataManager);
inline constexpr IID IID_ITableStoredRowInfo = __uuidof(ITableStoredRowInfo);
inline constexpr IID IID_ITableUserActionHandler = __uuidof(ITableUserActionHandler);
inline constexpr IID IID_IListGenerator = __uuidof(IListGenerator);
inline constexpr IID IID_ITableColumnNames = __uuidof(ITableColumnNames);
inline constexpr IID IID_ITableViewMgrInternal = __uuidof(ITableViewMgrInternal);
