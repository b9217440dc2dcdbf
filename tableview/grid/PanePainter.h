// The paint pass of a grid pane: the visible columns and rows go to the renderer, drawn into a back
// buffer that is reused across paints (only ever grown) and copied to the window in one block.
#pragma once

#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"
#include "tableview/grid/GridColumns.h"
#include "tableview/grid/GridRenderer.h"

namespace TVF_Grid
{

// Where the pane stands: indices without origins, offsets in pixels.
struct PaneView
{
    int rowHeight = 16;
    int rowCount = 0;
    int topRow = 0;
    int scrollX = 0;
    int scrollY = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    bool gridLines = true;
    int rowOrigin = 1;
    int columnOrigin = 1;
};

// The colours of a cell before its text is drawn: white, or the selection's colour, and the text colour
// for the cell's state (greyed cells dark grey). With noHighlight (while printing) the background stays.
void SelectGridCellColours(HDC dc, bool selected, int state, const COLORREF* colour, bool noHighlight);

// What the paint pass asks of the grid that owns the pane (rows and columns with their origins).
class PaintHooks
{
public:
    virtual HFONT CellFont() const = 0;
    virtual void OnColumnPaint(int /*column*/, int /*origin*/) {}
    virtual int ColumnState(int /*row*/, int /*column*/) const { return 0; }
    virtual bool IsSelected(int /*row*/, int /*column*/) const { return false; }
    virtual bool AutoFit() const { return false; }
    virtual void SetColumnWidth(int /*width*/, int /*column*/, int /*origin*/) {}

protected:
    ~PaintHooks() = default;
};

// Paints the part of the pane under paint (client coordinates) into dc, which has been filled white.
void PaintCells(HDC dc, const RECT& paint, const PaneView& view, ColumnLayout& columns, GridRenderer& renderer,
                PaintHooks& hooks);

class BackBuffer
{
public:
    // Paints through the buffer and copies the paint rectangle to target.
    void Paint(HDC target, const RECT& paint, const PaneView& view, ColumnLayout& columns, GridRenderer& renderer,
               PaintHooks& hooks);
    HBITMAP Bitmap() const { return m_bitmap.Get(); }

private:
    Orv::UniqueBitmap m_bitmap;
    SIZE m_size{};
};

} // namespace TVF_Grid
