// The printout of a grid: its columns across pages, its rows down pages, the column titles and row
// labels, drawn by the renderer that draws the screen. While the printout lives the grid shows no
// selection, on screen as on paper.
#pragma once

#include "hostframework/printing/Printout.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/grid/GridRenderer.h"
#include "tableview/print/PrintLayout.h"

#include <ostream>

namespace TVF_Grid
{

// What a printout reads of the grid it prints.
class PrintedGrid
{
public:
    virtual ~PrintedGrid() = default;
    virtual HFONT CellFont() const = 0;
    virtual HFONT TitleFont() const = 0;
    // The pane's columns and their widths in screen pixels.
    virtual int ColumnCount() const = 0;
    virtual int ColumnWidth(int column) const = 0;
    virtual Orv::String ColumnTitle(int column) const = 0;
    virtual int RowCount() const = 0;
    // In characters.
    virtual int MaxRowLabelLength() = 0;
    virtual void WriteRowLabel(int row, std::wostream& out) = 0;
    virtual GridRenderer& Renderer() = 0;
    virtual void SetNoHighlight(bool noHighlight) = 0;
};

class GridPrintout final : public VyrSinglePagePrintout
{
public:
    static constexpr ULONG PrintoutKind = 3;
    static constexpr int RowOrigin = 1;
    static constexpr int ColumnOrigin = 1;

    GridPrintout(IUnknown* owner, ITableDataManager* data, ULONG viewId, PrintedGrid& grid, const Orv::String& title,
                 bool printRowLabels, bool printColumnTitles);
    ~GridPrintout() override;

    const PrintLayout& Layout() const { return m_layout; }

protected:
    ULONG CountPages() override;
    void DrawPage(ULONG page, OWL::TDC& dc, ULONG_PTR argument) override;

private:
    struct PageFonts;

    // The grid's font scaled from the screen's resolution to the context's.
    OWL::TFont PrinterFont(HFONT screenFont, const OWL::TDC& dc) const;
    int RowLabelWidth(const OWL::TDC& dc, HFONT font) const;
    PrintLayout CountLayout(const OWL::TDC& dc, const PageFonts& fonts) const;
    // The columns printed: trailing placeholder columns are left out but for one.
    int PrintedColumns() const;
    bool IsPlaceholderColumn(int columnNumber) const;
    // The column's title in its outline, both clipped to shown, what the page shows of the columns.
    void DrawTitle(OWL::TDC& dc, const RECT& cell, const RECT& shown, int column, int penWidth) const;
    // One band of the page: the page row's rows under their header (on page row 0) in the page column's
    // columns, from top down.
    void DrawBand(OWL::TDC& dc, const PageFonts& fonts, int pageRow, int pageColumn, int top);
    void DrawRowLines(OWL::TDC& dc, int firstRow, int rows, int rowsTop, int left, int right, int labelWidth,
                      bool labels, int penWidth) const;

    ITableDataManager* m_data;
    ULONG m_viewId;
    PrintedGrid& m_grid;
    PrintLayout m_layout;
    bool m_printRowLabels;
    bool m_printColumnTitles;
};

} // namespace TVF_Grid
