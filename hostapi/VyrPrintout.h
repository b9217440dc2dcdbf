// Printing and print preview of a module's view: the host asks the view for a printout object, hands
// it the device contexts and draws it page by page.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/OrvBitset.h"

#include <oaidl.h>
#include <unknwn.h>

struct IVyrPrintout : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) = 0;                                          // 3
    // 4: frees a string already in *title; a new copy of the title, or null for an empty one.
    virtual HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) = 0;
    // 5: pages are drawn on target within the rectangle; with a printer context, as a preview of it.
    virtual HRESULT STDMETHODCALLTYPE SetDC(const RECT* printRect, HDC target, HDC printer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPageCount(ULONG* count) = 0;                                    // 6
    virtual HRESULT STDMETHODCALLTYPE Unused7(ULONG_PTR argument) = 0;                                  // 7
    virtual HRESULT STDMETHODCALLTYPE Unused8(ULONG_PTR first, ULONG_PTR second) = 0;                   // 8
    // 9: S_OK for a page below the page count, S_FALSE beyond.
    virtual HRESULT STDMETHODCALLTYPE HasPage(ULONG page) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintPage(ULONG page, ULONG_PTR argument) = 0;                    // 10
    virtual HRESULT STDMETHODCALLTYPE Unused11(ULONG_PTR argument) = 0;                                 // 11
    virtual HRESULT STDMETHODCALLTYPE Unused12(ULONG_PTR argument) = 0;                                 // 12
    virtual HRESULT STDMETHODCALLTYPE Unused13(ULONG_PTR first, ULONG_PTR second) = 0;                  // 13
};

struct IVyrPrintoutEx : IVyrPrintout
{
    // 14: the object that made the printout (the view), with a reference; null when none.
    virtual HRESULT STDMETHODCALLTYPE GetOwner(IUnknown** owner) = 0;
};

struct IVyrPrintoutType : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetPages(IOrvBitset* pages) = 0;                                   // 3
    // 4: S_OK when the page is selected, S_FALSE when not.
    virtual HRESULT STDMETHODCALLTYPE IsPageSelected(ULONG page) = 0;
    // 5: options = (options AND NOT mask) OR bits.
    virtual HRESULT STDMETHODCALLTYPE SetOptions(ULONG bits, ULONG mask) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOptions(ULONG* options) = 0;                                    // 6
};

// The host's printing, which lays a module's printout out on its printer's pages and draws them.
struct IHostPrintService : IUnknown
{
    // 3: prints every page the printout has; flags as the print command gives them (its first form: 1).
    virtual HRESULT STDMETHODCALLTYPE Print(IVyrPrintout* printout, ULONG flags) = 0;
    // 4: the print command's second form.
    virtual HRESULT STDMETHODCALLTYPE PrintSecondForm(IVyrPrintout* printout) = 0;
};

// {90A2D5E0-CF63-11D3-80CD-005004AD3C53}
inline constexpr IID IID_IVyrPrintout = {0x90A2D5E0, 0xCF63, 0x11D3, {0x80, 0xCD, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
// {6E20F842-83CB-4BD6-B034-F2D7CB61CBC6}
inline constexpr IID IID_IVyrPrintoutEx = {0x6E20F842, 0x83CB, 0x4BD6, {0xB0, 0x34, 0xF2, 0xD7, 0xCB, 0x61, 0xCB, 0xC6}};
// {6B845783-88B5-4D7B-9737-1BDC0C396BA9}
inline constexpr IID IID_IVyrPrintoutType = {0x6B845783, 0x88B5, 0x4D7B, {0x97, 0x37, 0x1B, 0xDC, 0x0C, 0x39, 0x6B, 0xA9}};
// {5C1E0A47-2D96-4B3F-9E58-7A0B4C6D2E19}
inline constexpr IID IID_IHostPrintService = {0x5C1E0A47, 0x2D96, 0x4B3F, {0x9E, 0x58, 0x7A, 0x0B, 0x4C, 0x6D, 0x2E, 0x19}};
