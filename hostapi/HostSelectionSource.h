// Where the module finds the host's current selection of a document: a selection source (a view or
// the document's frame) with its selection object, the range its host object keeps, and a fallback
// that knows a channel's units when no record is selected.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/HostDocument.h"
#include "hostapi/VyrIds.h"

#include <unknwn.h>

// A position as the selection keeps it: the sample offset in the block, then the block; 0x7FFFFFFF in
// either part: unset.
struct SelectionPosition
{
    int32_t offset = 0x7FFFFFFF;
    int32_t block = 0x7FFFFFFF;
};
static_assert(sizeof(SelectionPosition) == 8);

// The selection object: 7 writes its start and end.
struct IHostSelectionRange : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    virtual HRESULT STDMETHODCALLTYPE GetRange(SelectionPosition* start, SelectionPosition* end) = 0;      // 7
};

// What knows a channel's units without a selected record.
struct IHostUnitsFallback : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    virtual HRESULT STDMETHODCALLTYPE GetChannelUnits(ULONG reserved, int32_t channel, IUnitConversion** units) = 0; // 7
};

// The host object of a selection source's frame: 19 gives its part of a type.
struct IHostFrameObject : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    VYR_RESERVED_SLOT(11)
    VYR_RESERVED_SLOT(12)
    VYR_RESERVED_SLOT(13)
    VYR_RESERVED_SLOT(14)
    VYR_RESERVED_SLOT(15)
    VYR_RESERVED_SLOT(16)
    VYR_RESERVED_SLOT(17)
    VYR_RESERVED_SLOT(18)
    virtual HRESULT STDMETHODCALLTYPE GetPart(ULONG typeId, IUnknown** part) = 0;                          // 19
};

// The range the frame's host object keeps beside the selection.
// {E99E1950-6188-11D3-80B1-005004AD3C53}
struct IHostKeptRange : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    virtual HRESULT STDMETHODCALLTYPE GetRange(SelectionPosition* start, SelectionPosition* end) = 0;      // 8
};

// A selection source; its frame (IVyrDocumentFrame) keeps the host object with the kept range.
// {5A1C7E30-2B94-4F6D-8C15-3E7A9B0D4F21}
struct IHostSelectionSource : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    VYR_RESERVED_SLOT(11)
    VYR_RESERVED_SLOT(12)
    VYR_RESERVED_SLOT(13)
    VYR_RESERVED_SLOT(14)
    VYR_RESERVED_SLOT(15)
    VYR_RESERVED_SLOT(16)
    VYR_RESERVED_SLOT(17)
    VYR_RESERVED_SLOT(18)
    VYR_RESERVED_SLOT(19)
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
    VYR_RESERVED_SLOT(32)
    VYR_RESERVED_SLOT(33)
    VYR_RESERVED_SLOT(34)
    VYR_RESERVED_SLOT(35)
    VYR_RESERVED_SLOT(36)
    VYR_RESERVED_SLOT(37)
    VYR_RESERVED_SLOT(38)
    VYR_RESERVED_SLOT(39)
    VYR_RESERVED_SLOT(40)
    VYR_RESERVED_SLOT(41)
    VYR_RESERVED_SLOT(42)
    VYR_RESERVED_SLOT(43)
    VYR_RESERVED_SLOT(44)
    VYR_RESERVED_SLOT(45)
    VYR_RESERVED_SLOT(46)
    VYR_RESERVED_SLOT(47)
    VYR_RESERVED_SLOT(48)
    VYR_RESERVED_SLOT(49)
    VYR_RESERVED_SLOT(50)
    VYR_RESERVED_SLOT(51)
    // 52: what knows the channels' units when no record is selected (IHostUnitsFallback).
    virtual HRESULT STDMETHODCALLTYPE GetUnitsFallback(IUnknown** fallback) = 0;
    VYR_RESERVED_SLOT(53)
    VYR_RESERVED_SLOT(54)
    VYR_RESERVED_SLOT(55)
    VYR_RESERVED_SLOT(56)
    VYR_RESERVED_SLOT(57)
    VYR_RESERVED_SLOT(58)
    VYR_RESERVED_SLOT(59)
    VYR_RESERVED_SLOT(60)
    VYR_RESERVED_SLOT(61)
    VYR_RESERVED_SLOT(62)
    VYR_RESERVED_SLOT(63)
    VYR_RESERVED_SLOT(64)
    // 65: the selection object (IHostSelectionRange); none when nothing is selected.
    virtual HRESULT STDMETHODCALLTYPE GetSelectionObject(ULONG reserved, IUnknown** selection) = 0;
};

inline constexpr IID IID_IHostSelectionSource = {0x5A1C7E30, 0x2B94, 0x4F6D, {0x8C, 0x15, 0x3E, 0x7A, 0x9B, 0x0D, 0x4F, 0x21}};
inline constexpr IID IID_IHostSelectionRange = {0x5A1C7E31, 0x2B94, 0x4F6D, {0x8C, 0x15, 0x3E, 0x7A, 0x9B, 0x0D, 0x4F, 0x21}};
inline constexpr IID IID_IHostUnitsFallback = {0x5A1C7E32, 0x2B94, 0x4F6D, {0x8C, 0x15, 0x3E, 0x7A, 0x9B, 0x0D, 0x4F, 0x21}};
inline constexpr IID IID_IHostFrameObject = {0x5A1C7E33, 0x2B94, 0x4F6D, {0x8C, 0x15, 0x3E, 0x7A, 0x9B, 0x0D, 0x4F, 0x21}};
inline constexpr IID IID_IHostKeptRange = {0xE99E1950, 0x6188, 0x11D3, {0x80, 0xB1, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
