// A module's views as the host drives them: the view itself, the site the host gives a view's window,
// the document a view shows, and the command enabler through which a view names and enables a command.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "VyrClassRegistry.h"

#include <unknwn.h>

// A view of a document. IView {BB2BB384-...}, IDocView {CD8A64F2-...} and IDocView2 {51EA15C1-...} are
// one face: each extends the one before by slots the module answers as listed.
struct IDocView2 : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) = 0;                                         // 3
    // 4: 0xFFFF when the view agrees to close, 0 when not.
    virtual HRESULT STDMETHODCALLTYPE CanClose(USHORT* canClose) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;                                                       // 5
    virtual HRESULT STDMETHODCALLTYPE SetViewNumber(ULONG number) = 0;                                   // 6
    virtual HRESULT STDMETHODCALLTYPE GetViewNumber(ULONG* number) = 0;                                  // 7
    // 8: the class's type id, then (kind << 16) | number.
    virtual HRESULT STDMETHODCALLTYPE GetViewId(ULONG id[2]) = 0;
    virtual HRESULT STDMETHODCALLTYPE Activate() = 0;                                                    // 9
    virtual HRESULT STDMETHODCALLTYPE GetViewClass(IUnknown** viewClass) = 0;                            // 10
    virtual HRESULT STDMETHODCALLTYPE GetDocument(IUnknown** document) = 0;                              // 11
    virtual HRESULT STDMETHODCALLTYPE GetReserved12(void** object) = 0;                                  // 12
    virtual HRESULT STDMETHODCALLTYPE GetViewKind(ULONG* kind) = 0;                                      // 13
    virtual HRESULT STDMETHODCALLTYPE SetViewKind(ULONG kind) = 0;                                       // 14
};

// What a document tells the views that show it.
struct IVyrViewDocument : IUnknown
{
    // 3: the first word of the Vyr identity of the document's views.
    virtual HRESULT STDMETHODCALLTYPE GetVyrIdWord(ULONG* word) = 0;
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    virtual HRESULT STDMETHODCALLTYPE GetDocumentTitle(BSTR* title) = 0;                                 // 7
};

// The host's printing of a view.
struct IVyrViewPrintService : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    virtual HRESULT STDMETHODCALLTYPE CanPrint(VARIANT_BOOL* canPrint) = 0;                              // 6
    virtual HRESULT STDMETHODCALLTYPE Print() = 0;                                                       // 7
};

// The host's object behind a view's site.
struct IVyrViewSiteObject : IUnknown
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
    // 20: the print service, with one reference (null when the site cannot print).
    virtual HRESULT STDMETHODCALLTYPE GetPrintService(IVyrViewPrintService** service) = 0;
};

// The site in which the host shows a view's window.
struct IVyrViewSite : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    virtual HRESULT STDMETHODCALLTYPE GetSiteObject(IVyrViewSiteObject** object) = 0;                    // 5
    VYR_RESERVED_SLOT(6)
    virtual HRESULT STDMETHODCALLTYPE GetViewInterface(IUnknown** view) = 0;                             // 7
};

// The text and enabled state of a command while the host asks for them; answered by the host's
// command state (IVyrCommandState) beside its own face.
struct IVyrCommandEnabler : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetText(const WCHAR* text) = 0;                                    // 3
    virtual HRESULT STDMETHODCALLTYPE Enable(VARIANT_BOOL enable) = 0;                                   // 4
};

inline constexpr IID IID_IView = {0xBB2BB384, 0xD4ED, 0x11D1, {0xB2, 0xEF, 0x00, 0x60, 0x08, 0x94, 0xD7, 0x2A}};
inline constexpr IID IID_IDocView = {0xCD8A64F2, 0x48D2, 0x11D1, {0x8D, 0x03, 0x00, 0xC0, 0xD1, 0x57, 0x0D, 0x74}};
inline constexpr IID IID_IDocView2 = {0x51EA15C1, 0xD849, 0x4601, {0x9D, 0x9D, 0x37, 0x83, 0xAB, 0xE8, 0x90, 0x35}};
inline constexpr IID IID_IVyrViewDocument = {0x5C0B6A11, 0x2E47, 0x4F3A, {0x9B, 0x61, 0x3D, 0x7E, 0x20, 0x41, 0xA8, 0x12}};
inline constexpr IID IID_IVyrCommandEnabler = {0x5C0B6A12, 0x2E47, 0x4F3A, {0x9B, 0x61, 0x3D, 0x7E, 0x20, 0x41, 0xA8, 0x12}};
