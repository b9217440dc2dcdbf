// The host's map between a position axis and recorded data: blocks of records, each preceded by a gap,
// and positions turned into (block, offset) pairs and back. A table answers it with one block of rows.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2; the slots that no
// caller here gives a meaning stay reserved and answer E_NOTIMPL.
#pragma once

#include "hostapi/VyrIds.h"

#include <unknwn.h>

// A row of the axis: the offset inside a block and the block.
struct RecordDataRow
{
    LONGLONG offset;
    LONG block;
};

struct IRecordDataPixMap : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetStartValue(LONG value) = 0;                                     // 3
    VYR_RESERVED_SLOT(4)
    // 5: index 0: the gap before the first block, 1: before every later block, 2: a third value kept.
    virtual HRESULT STDMETHODCALLTYPE SetGap(ULONG index, LONG value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetScale(LONGLONG numerator, LONGLONG denominator) = 0;             // 6
    virtual HRESULT STDMETHODCALLTYPE GetScale(LONGLONG* numerator, LONGLONG* denominator) = 0;           // 7
    virtual HRESULT STDMETHODCALLTYPE Rebuild(ULONG reserved) = 0;                                         // 8
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    VYR_RESERVED_SLOT(11)
    virtual HRESULT STDMETHODCALLTYPE BeginBlockWalk() = 0;                                                 // 12
    virtual HRESULT STDMETHODCALLTYPE EndBlockWalk() = 0;                                                   // 13
    // 14: S_FALSE and the position after the last block when no walk runs.
    virtual HRESULT STDMETHODCALLTYPE GetWalkPosition(ULONG reserved, LONGLONG* position) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEndPosition(LONGLONG* position) = 0;                             // 15
    virtual HRESULT STDMETHODCALLTYPE GetBlockCount(ULONG* count) = 0;                                    // 16
    // 17: S_OK when the position lies inside a block, S_FALSE when not.
    virtual HRESULT STDMETHODCALLTYPE FindRow(LONGLONG position, RecordDataRow* row, LONGLONG* end) = 0;
    // 18: the block's first position (its gap before it, counted negative) and its end; S_FALSE past the last.
    virtual HRESULT STDMETHODCALLTYPE GetBlockRange(LONG block, LONGLONG* first, LONGLONG* end) = 0;
    // 19: mode 0 rounds a position in a gap to the nearer block, 1 to the row before, others to the row after.
    virtual HRESULT STDMETHODCALLTYPE PositionToRow(ULONG mode, LONGLONG position, LONGLONG* offset,
                                                    RecordDataRow* row) = 0;
    VYR_RESERVED_SLOT(20)
    VYR_RESERVED_SLOT(21)
    VYR_RESERVED_SLOT(22)
    VYR_RESERVED_SLOT(23)
    VYR_RESERVED_SLOT(24)
    VYR_RESERVED_SLOT(25)
    VYR_RESERVED_SLOT(26)
    VYR_RESERVED_SLOT(27)
    VYR_RESERVED_SLOT(28)
    VYR_RESERVED_SLOT(29)
    VYR_RESERVED_SLOT(30)
    VYR_RESERVED_SLOT(31)
    // 32 to 34: notices a map without live data accepts and ignores.
    virtual HRESULT STDMETHODCALLTYPE Notice32() = 0;
    virtual HRESULT STDMETHODCALLTYPE Notice33() = 0;
    virtual HRESULT STDMETHODCALLTYPE Notice34() = 0;
    VYR_RESERVED_SLOT(35)
    VYR_RESERVED_SLOT(36)
    VYR_RESERVED_SLOT(37)
    VYR_RESERVED_SLOT(38)
    VYR_RESERVED_SLOT(39)
    VYR_RESERVED_SLOT(40)
    VYR_RESERVED_SLOT(41)
    // 42: the deleting destructor's slot.
    virtual void STDMETHODCALLTYPE Destroy() = 0;
};

// {49896434-BD68-40F9-AB75-7892BDE78CF3}
__CRT_UUID_DECL(IRecordDataPixMap, 0x49896434, 0xBD68, 0x40F9, 0xAB, 0x75, 0x78, 0x92, 0xBD, 0xE7, 0x8C, 0xF3)
inline constexpr IID IID_IRecordDataPixMap = __uuidof(IRecordDataPixMap);
