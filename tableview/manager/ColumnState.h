// The display order of a table's columns and each column's width: the state that belongs neither to the
// client nor to the window, which the user changes by dragging and the client persists through the
// manager. Widths are kept per stored column in the persisted form (width + 10).
#pragma once

#include "hostapi/BinaryStreams.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace TableView
{

class ColumnState
{
public:
    static constexpr int InitialDefaultWidth = 100;
    static constexpr int StoredWidthOffset = 10;
    static constexpr ULONG RecordVersion = 2;
    static constexpr ULONG EndMarker = 1337;

    // Every column at its own position with the default width.
    void Reset(ULONG count);
    // A growing count appends the new columns in their own places and keeps the user's choices for the
    // old ones; a shrinking count starts again.
    void FitCount(ULONG count);
    // A new default width resets the columns. Sizes of zero or less come from a minimised view and say
    // nothing about the columns: they are ignored, so minimise and restore keep the user's layout.
    // True when the state was reset.
    bool TakeDefaultWidth(int width, ULONG count);
    int DefaultWidth() const { return m_defaultWidth; }

    HRESULT MoveColumn(ULONG from, ULONG to);
    // While the table has no data columns the default width stands for every column.
    HRESULT GetWidth(ULONG displayColumn, bool hasDataColumns, int* width) const;
    HRESULT SetWidth(ULONG displayColumn, bool hasDataColumns, int width);
    ULONG ToStored(ULONG displayColumn, bool hasDataColumns) const;
    // The first display position that shows the stored column.
    std::optional<ULONG> ToDisplay(ULONG storedColumn) const;

    // Version 2: count, order, widths, end marker. A newer version throws; a damaged record (short, not a
    // permutation, no end marker) gives E_FAIL and leaves the state as it was.
    HRESULT Load(IBinInStream& stream);
    HRESULT Save(IBinOutStream& stream) const;

    const std::vector<ULONG>& Order() const { return m_order; }
    const std::vector<int>& StoredWidths() const { return m_widths; }

private:
    std::vector<ULONG> m_order;
    std::vector<int> m_widths;
    int m_defaultWidth = InitialDefaultWidth;
};

} // namespace TableView
