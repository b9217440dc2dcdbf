#include "tableview/manager/ColumnState.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"

#include <algorithm>

namespace TableView
{

namespace
{

bool ReadWord(IBinInStream& stream, ULONG& value)
{
    return SUCCEEDED(stream.ReadULong(&value));
}

bool ReadWords(IBinInStream& stream, ULONG count, std::vector<ULONG>& values)
{
    // Grown word by word, so that a damaged count allocates no more than the stream holds.
    for (ULONG i = 0; i < count; ++i)
    {
        ULONG value = 0;
        if (!ReadWord(stream, value))
            return false;
        values.push_back(value);
    }
    return true;
}

bool IsPermutation(std::vector<ULONG> order)
{
    std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i < order.size(); ++i)
        if (order[i] != i)
            return false;
    return true;
}

} // namespace

void ColumnState::Reset(ULONG count)
{
    m_order.clear();
    m_widths.clear();
    FitCount(count);
}

void ColumnState::FitCount(ULONG count)
{
    if (count < m_order.size())
    {
        Reset(count);
        return;
    }
    while (m_order.size() < count)
        m_order.push_back(static_cast<ULONG>(m_order.size()));
    m_widths.resize(count, m_defaultWidth);
}

bool ColumnState::TakeDefaultWidth(int width, ULONG count)
{
    if (width <= 0 || width == m_defaultWidth)
        return false;
    m_defaultWidth = width;
    Reset(count);
    return true;
}

HRESULT ColumnState::MoveColumn(ULONG from, ULONG to)
{
    if (from >= m_order.size())
        return E_FAIL;
    const ULONG moved = m_order[from];
    m_order.erase(m_order.begin() + from);
    m_order.insert(m_order.begin() + std::min<std::size_t>(to, m_order.size()), moved);
    return S_OK;
}

HRESULT ColumnState::GetWidth(ULONG displayColumn, bool hasDataColumns, int* width) const
{
    if (!width)
        return E_POINTER;
    *width = m_defaultWidth;
    if (!hasDataColumns)
        return S_OK;
    if (displayColumn >= m_order.size())
        return E_FAIL;
    const ULONG stored = m_order[displayColumn];
    *width = (stored < m_widths.size() ? m_widths[stored] : m_defaultWidth) - StoredWidthOffset;
    return S_OK;
}

HRESULT ColumnState::SetWidth(ULONG displayColumn, bool hasDataColumns, int width)
{
    if (!hasDataColumns)
        return S_OK;
    if (displayColumn >= m_order.size())
        return E_FAIL;
    const ULONG stored = m_order[displayColumn];
    if (stored >= m_widths.size())
        m_widths.resize(stored + 1, m_defaultWidth);
    m_widths[stored] = width + StoredWidthOffset;
    return S_OK;
}

ULONG ColumnState::ToStored(ULONG displayColumn, bool hasDataColumns) const
{
    return hasDataColumns && displayColumn < m_order.size() ? m_order[displayColumn] : displayColumn;
}

std::optional<ULONG> ColumnState::ToDisplay(ULONG storedColumn) const
{
    const auto found = std::find(m_order.begin(), m_order.end(), storedColumn);
    if (found == m_order.end())
        return std::nullopt;
    return static_cast<ULONG>(found - m_order.begin());
}

HRESULT ColumnState::Load(IBinInStream& stream)
{
    ULONG version = 0;
    if (!ReadWord(stream, version))
        return E_FAIL;
    if (version > RecordVersion)
        throw XOrv(Orv::E_ORV_NEWER_VERSION);
    ULONG count = 0;
    std::vector<ULONG> order;
    std::vector<ULONG> widths;
    if (!ReadWord(stream, count) || !ReadWords(stream, count, order) || !IsPermutation(order))
        return E_FAIL;
    if (version > 1 && !ReadWords(stream, count, widths))
        return E_FAIL;
    ULONG marker = 0;
    if (!ReadWord(stream, marker) || marker != EndMarker)
        return E_FAIL;
    const bool widthsSound = std::all_of(widths.begin(), widths.end(), [](ULONG w) {
        return w >= static_cast<ULONG>(StoredWidthOffset) && w <= 0x7FFFFFFF;
    });
    if (!widthsSound)
        return E_FAIL;
    m_order = std::move(order);
    // A version-1 record has no widths: its columns take the default.
    if (widths.empty())
        m_widths.assign(count, m_defaultWidth);
    else
        m_widths.assign(widths.begin(), widths.end());
    return S_OK;
}

HRESULT ColumnState::Save(IBinOutStream& stream) const
{
    HRESULT result = stream.WriteULong(RecordVersion);
    auto write = [&](ULONG value) {
        if (SUCCEEDED(result))
            result = stream.WriteULong(value);
    };
    write(static_cast<ULONG>(m_order.size()));
    for (ULONG stored : m_order)
        write(stored);
    for (std::size_t stored = 0; stored < m_order.size(); ++stored)
        write(static_cast<ULONG>(stored < m_widths.size() ? m_widths[stored] : m_defaultWidth));
    write(EndMarker);
    return result;
}

} // namespace TableView
