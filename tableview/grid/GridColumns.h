// The columns of a grid pane in display order, and the arithmetic of their placement: each column takes
// its width plus one pixel for the grid line to its right, and x is measured in content coordinates.
#pragma once

#include "foundation/text/String.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace TVF_Grid
{

class GridColumn
{
public:
    // Asks for the title's width in the cell font plus a margin.
    static constexpr int MeasureWidth = -1;
    static constexpr int MeasureMargin = 10;
    static constexpr int MinimumWidth = 5;

    enum class State
    {
        Normal = 0,
        Hidden = 1,  // cells are not drawn
        Greyed = 2,
        FitToContent = 3,
    };

    // A width of MeasureWidth becomes the title's extent in the font (on a screen DC) plus the margin.
    GridColumn(int id, Orv::String title, int width, HFONT font);
    virtual ~GridColumn() = default;

    int Id() const { return m_id; }
    const Orv::String& Title() const { return m_title; }
    const Orv::String& SecondText() const { return m_secondText; }
    void SetSecondText(const Orv::String& text) { m_secondText = text; }
    int X() const { return m_x; }
    int Width() const { return m_width; }
    int Right() const { return m_x + m_width; }
    int MinWidth() const { return m_minimumWidth; }
    bool Resizable() const { return m_resizable; }
    void SetResizable(bool resizable) { m_resizable = resizable; }
    State GetState() const { return m_greyed ? State::Greyed : m_state; }
    void SetState(State state) { m_state = state; }
    void SetGreyed(bool greyed) { m_greyed = greyed; }

private:
    friend class ColumnLayout;
    Orv::String m_title;
    Orv::String m_secondText;
    State m_state = State::Normal;
    int m_id;
    int m_x = 0;
    int m_width;
    int m_minimumWidth = MinimumWidth;
    bool m_greyed = false;
    bool m_resizable = true;
};

// The width of a text in a font, measured on a screen DC.
int TextExtent(const Orv::String& text, HFONT font);

class ColumnLayout
{
public:
    static constexpr int NoDirtyColumn = 0x7FFFFFFF;

    void Add(std::unique_ptr<GridColumn> column);
    void Clear();
    int Count() const { return static_cast<int>(m_columns.size()); }
    // An index outside the columns reads column 0.
    GridColumn& At(int index) const;

    // The first column whose closed range [x, x + width] holds contentX; the last when none; -1 without columns.
    int ColumnAt(int contentX) const;
    // Moves column i's right edge to right (content coordinates), taking the change from resizable
    // columns at and left of i, and re-flows the columns after it.
    void Resize(int index, int right);
    void ResetDirtyColumns();
    int DirtyLeft() const { return m_dirtyLeft; }
    int ContentRight() const { return m_contentRight; }

    int TotalWidth() const { return WidthFrom(0); }
    int WidthFrom(int index) const;
    // Columns from the first that fit the client width; at least 1 when the first column is column 0.
    int VisibleCount(int first, int clientWidth) const;
    // Right edge of the last fitting column less the first column's x, plus 1; 0 when none fits.
    int VisibleExtent(int first, int clientWidth) const;
    // The first column of the page that ends with the last column.
    int FirstOfLastPage(int clientWidth) const;

private:
    void Reflow(int from);

    std::vector<std::unique_ptr<GridColumn>> m_columns;
    int m_dirtyLeft = NoDirtyColumn;
    int m_contentRight = 0;
};

} // namespace TVF_Grid
