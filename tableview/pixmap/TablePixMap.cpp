#include "tableview/pixmap/TablePixMap.h"

#include "foundation/com/ComFace.h"

#include <algorithm>
#include <limits>

namespace TableView
{

namespace
{

constexpr LONGLONG NoPosition = std::numeric_limits<LONGLONG>::min();

enum RoundingMode : ULONG
{
    RoundToNearer = 0,
    RoundToRowBefore = 1,
};

} // namespace

Orv::ComPtr<IRecordDataPixMap> TVF_PixMap::Create(IUnknown* rowSource, int rowOrigin, int columnOrigin, ULONG grid)
{
    return Orv::ComPtr<IRecordDataPixMap>(new TVF_PixMap(rowSource, rowOrigin, columnOrigin, grid));
}

TVF_PixMap::TVF_PixMap(IUnknown* rowSource, int rowOrigin, int columnOrigin, ULONG grid)
    : m_rowOrigin(rowOrigin), m_columnOrigin(columnOrigin), m_grid(grid)
{
    if (rowSource)
        rowSource->QueryInterface(IID_ITableStoredRowInfo, m_rowSource.PutVoid());
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::QueryInterface(REFIID iid, void** out)
{
    return Orv::QueryOneFace(static_cast<IRecordDataPixMap*>(this), iid, out, IID_IRecordDataPixMap);
}

HRESULT TVF_PixMap::MarkDirtyUnsupported()
{
    m_dirty = true;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::SetStartValue(LONG value)
{
    m_startValue = value;
    m_dirty = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::SetGap(ULONG index, LONG value)
{
    LONG* const gaps[] = {&m_firstGap, &m_blockGap, &m_thirdGap};
    if (index >= std::size(gaps))
        return E_INVALIDARG;
    *gaps[index] = value;
    m_dirty = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::SetScale(LONGLONG numerator, LONGLONG denominator)
{
    m_numerator = numerator;
    m_denominator = denominator;
    m_scale = static_cast<double>(numerator) / static_cast<double>(denominator);
    m_dirty = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::GetScale(LONGLONG* numerator, LONGLONG* denominator)
{
    if (!numerator || !denominator)
        return E_POINTER;
    *numerator = m_numerator;
    *denominator = m_denominator;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::Rebuild(ULONG)
{
    RebuildBlocks();
    return S_OK;
}

// A table's axis always holds exactly one block, which starts at 0.
void TVF_PixMap::RebuildBlocks()
{
    m_blockStarts.assign(1, 0);
    m_dirty = false;
}

void TVF_PixMap::RebuildIfDirty()
{
    if (m_dirty)
        RebuildBlocks();
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::BeginBlockWalk()
{
    RebuildIfDirty();
    m_walking = true;
    m_walkBlock = 0;
    if (m_blockStarts.empty())
        m_blockStarts.push_back(0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::EndBlockWalk()
{
    m_walking = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::GetWalkPosition(ULONG, LONGLONG* position)
{
    if (!position)
        return E_POINTER;
    if (m_walking && m_walkBlock < m_blockStarts.size())
    {
        *position = m_blockStarts[m_walkBlock] + GapBefore(m_walkBlock);
        return S_OK;
    }
    *position = m_blockStarts.empty() ? m_firstGap : EndOf(m_blockStarts.size() - 1) + m_blockGap;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::GetEndPosition(LONGLONG* position)
{
    if (!position)
        return E_POINTER;
    RebuildIfDirty();
    *position = m_blockStarts.empty() ? 0 : EndOf(m_blockStarts.size() - 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::GetBlockCount(ULONG* count)
{
    if (!count)
        return E_POINTER;
    RebuildIfDirty();
    *count = static_cast<ULONG>(m_blockStarts.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::FindRow(LONGLONG position, RecordDataRow* row, LONGLONG* end)
{
    if (!row || !end)
        return E_POINTER;
    RebuildIfDirty();
    const std::size_t block = BlockAt(position);
    row->block = static_cast<LONG>(block);
    row->offset = position - m_blockStarts[block] - GapBefore(block);
    *end = EndOf(block);
    return position < 0 || position >= *end ? S_FALSE : S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::GetBlockRange(LONG block, LONGLONG* first, LONGLONG* end)
{
    if (!first || !end)
        return E_POINTER;
    RebuildIfDirty();
    if (block < 0 || static_cast<std::size_t>(block) >= m_blockStarts.size())
    {
        *first = *end = NoPosition;
        return S_FALSE;
    }
    *first = -GapBefore(static_cast<std::size_t>(block));
    *end = EndOf(static_cast<std::size_t>(block));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TVF_PixMap::PositionToRow(ULONG mode, LONGLONG position, LONGLONG* offset,
                                                    RecordDataRow* row)
{
    if (!offset || !row)
        return E_POINTER;
    RebuildIfDirty();
    const std::size_t block = BlockAt(position);
    const LONGLONG gap = GapBefore(block);
    *offset = position - m_blockStarts[block] - gap;
    *row = {*offset, static_cast<LONG>(block)};
    if (*offset >= 0)
        return S_OK;
    // The position lies in the gap before the block: it belongs to this block's first row or to the
    // previous block's last.
    const bool toRowBefore = mode == RoundToRowBefore || (mode == RoundToNearer && *offset + gap / 2 < 0);
    if (!toRowBefore || block == 0)
    {
        row->offset = 0;
        return S_OK;
    }
    ULONG rows = 0;
    const HRESULT answer = StoredRows(rows);
    *row = {static_cast<LONGLONG>(rows) - 1, static_cast<LONG>(block) - 1};
    return answer;
}

LONGLONG TVF_PixMap::GapBefore(std::size_t block) const
{
    return block == 0 ? m_firstGap : m_blockGap;
}

LONGLONG TVF_PixMap::EndOf(std::size_t block) const
{
    if (block + 1 < m_blockStarts.size())
        return m_blockStarts[block + 1];
    ULONG rows = 0;
    StoredRows(rows);
    return m_blockStarts[block] + GapBefore(block) + static_cast<LONGLONG>(rows) - m_rowOrigin;
}

std::size_t TVF_PixMap::BlockAt(LONGLONG position) const
{
    const auto after = std::upper_bound(m_blockStarts.begin(), m_blockStarts.end(), position);
    return after == m_blockStarts.begin() ? 0 : static_cast<std::size_t>(after - m_blockStarts.begin()) - 1;
}

HRESULT TVF_PixMap::StoredRows(ULONG& rows) const
{
    rows = 0;
    return m_rowSource ? m_rowSource->GetRowCount(m_grid, &rows) : S_OK;
}

} // namespace TableView
