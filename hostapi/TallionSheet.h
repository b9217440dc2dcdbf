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

// The host's objects that modules look up by message id, queried from the frame services. The results
// sheet is registered under the id whose high word is the host's code of ResultsSheetGuid.
struct IHostObjectLookup : IUnknown
{
    // 3: the object, with one reference for the caller; E_INVALIDARG and null when none is registered.
    virtual HRESULT STDMETHODCALLTYPE LookupObject(ULONG id, ULONG reserved, IUnknown** object) = 0;
};

// {7C3D52E1-9B0A-4F6E-8D21-A4E5B9C0F317}
__CRT_UUID_DECL(IHostObjectLookup, 0x7C3D52E1, 0x9B0A, 0x4F6E, 0x8D, 0x21, 0xA4, 0xE5, 0xB9, 0xC0, 0xF3, 0x17)
inline constexpr IID IID_IHostObjectLookup = __uuidof(IHostObjectLookup);

// {F27F875B-433B-4938-874D-D5142ED9D97B}
inline constexpr GUID ResultsSheetGuid = {0xF27F875B, 0x433B, 0x4938, {0x87, 0x4D, 0xD5, 0x14, 0x2E, 0xD9, 0xD9, 0x7B}};
