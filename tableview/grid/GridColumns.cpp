#include "tableview/grid/GridColumns.h"

#include <algorithm>

namespace TVF_Grid
{

int TextExtent(const Orv::String& text, HFONT font)
{
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = font ? SelectObject(screen, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.Length()), &size);
    if (previous)
        SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

GridColumn::GridColumn(int id, Orv::String title, int width, HFONT font)
    : m_title(std::move(title)), m_id(id),
      m_width(width == MeasureWidth ? TextExtent(m_title, font) + MeasureMargin : width)
{
}

void ColumnLayout::Add(std::unique_ptr<GridColumn> column)
{
    if (!m_columns.empty())
        column->m_x = m_columns.back()->Right() + 1;
    m_contentRight = std::max(m_contentRight, column->Right());
    m_columns.push_back(std::move(column));
}

void ColumnLayout::Clear()
{
    m_columns.clear();
    m_dirtyLeft = NoDirtyColumn;
    m_contentRight = 0;
}

GridColumn& ColumnLayout::At(int index) const
{
    return *m_columns.at(index >= 0 && index < Count() ? static_cast<std::size_t>(index) : 0);
}

int ColumnLayout::ColumnAt(int contentX) const
{
    for (int i = 0; i < Count(); ++i)
        if (contentX >= m_columns[i]->X() && contentX <= m_columns[i]->Right())
            return i;
    return Count() - 1;
}

void ColumnLayout::Resize(int index, int right)
{
    if (Count() == 0)
        return;
    index = index >= 0 && index < Count() ? index : 0;
    int adjusted = index;
    const bool growing = right > At(index).Right();
    for (int i = index; i >= 0; --i)
    {
        GridColumn& column = *m_columns[i];
        adjusted = i;
        if (!column.Resizable())
        {
            right -= column.Width();
            continue;
        }
        if (growing || right > column.X() + column.MinWidth())
        {
            column.m_width = right - column.X();
            break;
        }
        // This column cannot give more: it keeps its minimum and pushes the rest of the shrink left. The
        // columns are placed again from the leftmost one changed, so a shrink past the left edge leaves
        // every column at its minimum side by side instead of on top of one another.
        column.m_x = std::max(right - column.MinWidth(), 0);
        column.m_width = column.MinWidth();
        right = column.X();
    }
    if (adjusted == 0)
        m_columns[0]->m_x = 0;
    m_dirtyLeft = std::min(m_dirtyLeft, m_columns[adjusted]->X());
    Reflow(adjusted);
}

void ColumnLayout::Reflow(int from)
{
    for (int i = from + 1; i < Count(); ++i)
        m_columns[i]->m_x = m_columns[i - 1]->Right() + 1;
    m_contentRight = std::max(m_contentRight, m_columns.back()->Right());
}

void ColumnLayout::ResetDirtyColumns()
{
    m_dirtyLeft = NoDirtyColumn;
    m_contentRight = m_columns.empty() ? 0 : m_columns.back()->Right();
}

int ColumnLayout::WidthFrom(int index) const
{
    int total = 0;
    for (int i = std::max(index, 0); i < Count(); ++i)
        total += m_columns[i]->Width() + 1;
    return total;
}

int ColumnLayout::VisibleCount(int first, int clientWidth) const
{
    int count = 0;
    int used = 0;
    for (int i = std::max(first, 0); i < Count(); ++i)
    {
        used += m_columns[i]->Width() + 1;
        if (used > clientWidth)
            break;
        ++count;
    }
    return count == 0 && first == 0 && Count() > 0 ? 1 : count;
}

int ColumnLayout::VisibleExtent(int first, int clientWidth) const
{
    if (first < 0 || first >= Count())
        return 0;
    int lastFitting = -1;
    int used = 0;
    for (int i = first; i < Count(); ++i)
    {
        used += m_columns[i]->Width() + 1;
        if (used > clientWidth)
            break;
        lastFitting = i;
    }
    return lastFitting < 0 ? 0 : m_columns[lastFitting]->Right() - m_columns[first]->X() + 1;
}

int ColumnLayout::FirstOfLastPage(int clientWidth) const
{
    int used = 0;
    for (int i = Count() - 1; i >= 0; --i)
    {
        used += m_columns[i]->Width() + 1;
        if (used > clientWidth)
            return std::min(i + 1, Count() - 1);
    }
    return 0;
}

} // namespace TVF_Grid
