// The host's record-data map over a table: one block whose rows are the client's stored rows. The
// renderer and the copy find the rows to draw and copy through it. Every setter marks the block table
// dirty and every reader rebuilds a dirty table first.
#pragma once

#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "hostapi/RecordDataPixMap.h"
#include "tableview/data/TableInterfaces.h"

#include <vector>

namespace TableView
{

class TVF_PixMap final : public IRecordDataPixMap, private Orv::CComObjectRoot
{
public:
    // rowSource is asked for ITableStoredRowInfo; without it the table has no rows.
    static Orv::ComPtr<IRecordDataPixMap> Create(IUnknown* rowSource, int rowOrigin, int columnOrigin, ULONG grid);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE SetStartValue(LONG value) override;
    HRESULT STDMETHODCALLTYPE Reserved4() override { return MarkDirtyUnsupported(); }
    HRESULT STDMETHODCALLTYPE SetGap(ULONG index, LONG value) override;
    HRESULT STDMETHODCALLTYPE SetScale(LONGLONG numerator, LONGLONG denominator) override;
    HRESULT STDMETHODCALLTYPE GetScale(LONGLONG* numerator, LONGLONG* denominator) override;
    HRESULT STDMETHODCALLTYPE Rebuild(ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE Reserved10() override { return MarkDirtyUnsupported(); }
    HRESULT STDMETHODCALLTYPE Reserved11() override { return MarkDirtyUnsupported(); }
    HRESULT STDMETHODCALLTYPE BeginBlockWalk() override;
    HRESULT STDMETHODCALLTYPE EndBlockWalk() override;
    HRESULT STDMETHODCALLTYPE GetWalkPosition(ULONG reserved, LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE GetEndPosition(LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE GetBlockCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE FindRow(LONGLONG position, RecordDataRow* row, LONGLONG* end) override;
    HRESULT STDMETHODCALLTYPE GetBlockRange(LONG block, LONGLONG* first, LONGLONG* end) override;
    HRESULT STDMETHODCALLTYPE PositionToRow(ULONG mode, LONGLONG position, LONGLONG* offset,
                                            RecordDataRow* row) override;
    HRESULT STDMETHODCALLTYPE Notice32() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Notice33() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Notice34() override { return S_OK; }
    void STDMETHODCALLTYPE Destroy() override { delete this; }

    int RowOrigin() const { return m_rowOrigin; }
    int ColumnOrigin() const { return m_columnOrigin; }

private:
    TVF_PixMap(IUnknown* rowSource, int rowOrigin, int columnOrigin, ULONG grid);
    ~TVF_PixMap() = default;

    HRESULT MarkDirtyUnsupported();
    void RebuildIfDirty();
    void RebuildBlocks();
    LONGLONG GapBefore(std::size_t block) const;
    LONGLONG EndOf(std::size_t block) const;
    // The last block that starts at or before the position; the first for a position before every block.
    std::size_t BlockAt(LONGLONG position) const;
    HRESULT StoredRows(ULONG& rows) const;

    Orv::ComPtr<ITableStoredRowInfo> m_rowSource;
    double m_scale = 1.0;
    LONGLONG m_numerator = 1;
    LONGLONG m_denominator = 1;
    std::vector<LONGLONG> m_blockStarts;
    LONG m_firstGap = 0;
    LONG m_blockGap = 0;
    LONG m_thirdGap = 0;
    std::size_t m_walkBlock = 0;
    LONG m_startValue = 0;
    bool m_walking = false;
    bool m_dirty = true;
    int m_rowOrigin;
    int m_columnOrigin;
    ULONG m_grid;
};

} // namespace TableView
