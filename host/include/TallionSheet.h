// The host's results sheet: a grid of text cells addressed by (row, column) from 0, which modules fill
// with tables the user wants to keep. Methods are in vtable order.
#pragma once

#include <oaidl.h>
#include <unknwn.h>

struct ITallionSheet : IUnknown
{
    // The cell's text; a null or empty text marks an empty cell. The caller frees the BSTR.
    virtual HRESULT STDMETHODCALLTYPE ReadCell(ULONG reserved1, ULONG reserved2, LONG row, LONG column,
                                               BSTR* text) = 0;                                   // 3
    virtual HRESULT STDMETHODCALLTYPE WriteCell(ULONG reserved1, ULONG reserved2, LONG row, LONG column,
                                                const WCHAR* text, SHORT flags) = 0;              // 4
};

__CRT_UUID_DECL(ITallionSheet, 0x4021A444, 0x7899, 0x11D4, 0x81, 0x10, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33)

inline constexpr IID IID_ITallionSheet = __uuidof(ITallionSheet);

// Rows a sheet holds; a transfer stops before this row.
constexpr LONG TallionSheetRowLimit = 1048576;
// Columns 0..25 are looked at when finding where a sheet's data end.
constexpr LONG TallionSheetScannedColumns = 26;
