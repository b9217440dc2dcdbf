// How the host asks a module about the event marks it draws on channel traces: the colour of a mark and
// the tooltip over it.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include <unknwn.h>

struct IAutoOrvString;

// {2DE99796-4D8F-4666-97C0-4F6F7203229E}
struct IPODEventDrawClass : IUnknown
{
    // 3: the colour (0x00BBGGRR) of the event record's mark; E_FAIL without a record.
    virtual HRESULT STDMETHODCALLTYPE GetColour(ULONG reserved, const void* event, COLORREF* colour) = 0;
    // 4: the tooltip of the event record of the block, drawn by the host's drawing object; E_FAIL
    // without a record.
    virtual HRESULT STDMETHODCALLTYPE GetTooltipText(ULONG reserved, IUnknown* drawing, LONG block, const void* event,
                                                     ULONG_PTR reserved2, ULONG_PTR reserved3,
                                                     IAutoOrvString** text) = 0;
};

inline constexpr IID IID_IPODEventDrawClass = {0x2DE99796, 0x4D8F, 0x4666, {0x97, 0xC0, 0x4F, 0x6F, 0x72, 0x03, 0x22, 0x9E}};
