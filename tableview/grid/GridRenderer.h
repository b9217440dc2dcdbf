// How a grid pane paints: it walks the visible columns and hands each to a renderer with a cursor over
// the visible rows. The grid control is its own renderer until a table renderer takes over.
#pragma once

#include <windows.h>

#include <ostream>

namespace TVF_Grid
{

// Rows of one height from a first row's top; Next moves one row down.
class UniformRowPosCursor
{
public:
    UniformRowPosCursor(int firstRow, int count, int top, int rowHeight)
        : m_top(top), m_bottom(top + rowHeight), m_first(firstRow), m_count(count), m_rowHeight(rowHeight)
    {
    }
    int Next()
    {
        m_top = m_bottom;
        m_bottom += m_rowHeight;
        ++m_index;
        return m_bottom;
    }
    int Advance(int rows)
    {
        m_top += rows * m_rowHeight;
        m_bottom += rows * m_rowHeight;
        m_index += rows;
        return rows * m_rowHeight;
    }
    bool HasMore() const { return m_index < m_count; }
    int Top() const { return m_top; }
    int Bottom() const { return m_bottom; }
    // The pane index of the row under the cursor.
    int Row() const { return m_first + m_index; }

private:
    int m_top;
    int m_bottom;
    int m_first;
    int m_index = 0;
    int m_count;
    int m_rowHeight;
};

struct ColumnPaintInfo
{
    int columnId;  // without origin
    int left;      // on the pane
    int right;
    int clientLeft;
    int clientRight;
};

class GridRenderer
{
public:
    virtual ~GridRenderer() = default;
    virtual void BeginRender() {}
    virtual void BeginColumn(int /*row*/, int /*rowOrigin*/, int /*column*/, int /*columnOrigin*/) {}
    // Draws the column's cells for the cursor's rows below endRow; true when the pane is to run its
    // per-cell hooks. widest receives the widest text drawn, in pixels.
    virtual bool RenderColumn(HDC, const ColumnPaintInfo&, UniformRowPosCursor&, int /*endRow*/, int /*rowOrigin*/,
                              int* /*widest*/, int* /*second*/)
    {
        return false;
    }
    virtual void BeginCell(int /*row*/, int /*column*/) {}
    virtual void SelectCellColours(HDC, int /*row*/, int /*rowOrigin*/, int /*column*/, int /*columnOrigin*/,
                                   int /*state*/, const COLORREF* /*colour*/)
    {
    }
    virtual void RenderCell(HDC, int /*row*/, int /*column*/, const RECT&, bool /*selected*/) {}
    virtual void EndRender() {}
    virtual void WriteRowLabel(int /*row*/, int /*rowOrigin*/, std::wostream&) {}
    virtual void BeginPrint() {}
    virtual void EndPrint() {}
};

} // namespace TVF_Grid
