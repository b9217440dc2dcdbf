// A module's views as the host drives them: the view itself, the site the host gives a view's window,
// the document a view shows, and the command enabler through which a view names and enables a command.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/VyrClassRegistry.h"

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

// The host's printing of a view as it shows.
struct IVyrViewPrintService : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    // 6: whether the host has a view to print now.
    virtual HRESULT STDMETHODCALLTYPE CanPrint(VARIANT_BOOL* canPrint) = 0;
    // 7: prints the view the host shows active, as it shows.
    virtual HRESULT STDMETHODCALLTYPE Print() = 0;
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

// The host's site of a document's views, which the document object a view is made for answers: the
// host's printing of views and the host object views hand their printouts as owner.
// {3B5BA470-5DE9-4686-B242-7E5D6E796251}
struct IVyrViewSite : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    // 5: the object behind the site (its printing), with one reference.
    virtual HRESULT STDMETHODCALLTYPE GetSiteObject(IVyrViewSiteObject** object) = 0;
    VYR_RESERVED_SLOT(6)
    // 7: the host object the views' printouts name as their owner, with one reference.
    virtual HRESULT STDMETHODCALLTYPE GetViewInterface(IUnknown** view) = 0;
};

inline constexpr IID IID_IView = {0xBB2BB384, 0xD4ED, 0x11D1, {0xB2, 0xEF, 0x00, 0x60, 0x08, 0x94, 0xD7, 0x2A}};
inline constexpr IID IID_IDocView = {0xCD8A64F2, 0x48D2, 0x11D1, {0x8D, 0x03, 0x00, 0xC0, 0xD1, 0x57, 0x0D, 0x74}};
inline constexpr IID IID_IDocView2 = {0x51EA15C1, 0xD849, 0x4601, {0x9D, 0x9D, 0x37, 0x83, 0xAB, 0xE8, 0x90, 0x35}};
inline constexpr IID IID_IVyrViewSite = {0x3B5BA470, 0x5DE9, 0x4686, {0xB2, 0x42, 0x7E, 0x5D, 0x6E, 0x79, 0x62, 0x51}};
inline constexpr IID IID_IVyrViewSiteObject = {0x38EF6ABE, 0x4184, 0x46AF, {0xBC, 0xF5, 0x00, 0xEC, 0xC9, 0xCC, 0xD0, 0x0B}};
inline constexpr IID IID_IVyrViewPrintService = {0x38EF6ABF, 0x4184, 0x46AF, {0xBC, 0xF5, 0x00, 0xEC, 0xC9, 0xCC, 0xD0, 0x0B}};
inline constexpr IID IID_IVyrViewDocument = {0x5C0B6A11, 0x2E47, 0x4F3A, {0x9B, 0x61, 0x3D, 0x7E, 0x20, 0x41, 0xA8, 0x12}};

// An enumerator of interface ids (the document interfaces a view class needs).
// {0AE13F60-6A62-11D3-80B3-005004AD3C53}
struct IEnumInterface : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, const GUID** ids, ULONG* fetched) = 0;          // 3
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;                                            // 4
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;                                                      // 5
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumInterface** clone) = 0;                                // 6
};

// A module's view class: describes the views it makes and makes them for a document.
// {CD8A64F1-48D2-11D1-8D03-00C0D1570D74}, also answered as {216EA591-42AF-11D2-B79C-008048C36FE8}
struct IDocViewClass : IVyrClassObject
{
    virtual HRESULT STDMETHODCALLTYPE GetClassName(BSTR* name) = 0;                                     // 7
    virtual HRESULT STDMETHODCALLTYPE GetModuleInstance(HINSTANCE* instance, ULONG_PTR reserved) = 0;   // 8
    virtual HRESULT STDMETHODCALLTYPE GetFlags(ULONG* flags) = 0;                                       // 9
    virtual HRESULT STDMETHODCALLTYPE Attach(ULONG_PTR reserved) = 0;                                   // 10
    // 11: a new view of document, with one reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE CreateView(ULONG_PTR reserved, IUnknown* document, IDocView2** view) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumInterfaces(IEnumInterface** ids) = 0;                         // 12
    virtual HRESULT STDMETHODCALLTYPE AddOpenView(IUnknown* view) = 0;                                  // 13
    virtual HRESULT STDMETHODCALLTYPE RemoveOpenView(IUnknown* view) = 0;                               // 14
    virtual HRESULT STDMETHODCALLTYPE GetOpenViewCount(ULONG_PTR reserved, LONG* count) = 0;            // 15
};

// Where the host puts a view's window.
struct IClientSite : IUnknown
{
    VYR_RESERVED_SLOT(3)
    virtual HRESULT STDMETHODCALLTYPE GetParentWindow(HWND* parent) = 0;                                // 4
    // 5: S_OK when the view may close; any other result refuses and is passed back.
    virtual HRESULT STDMETHODCALLTYPE RequestClose() = 0;
};

// A view's window as the host places it in a site.
// {168D30B1-30B5-11D1-8CEB-00C0D1570D74}
struct IClientWindow : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE CreateClientWindow(IClientSite* site, HWND* window) = 0;          // 3
    virtual HRESULT STDMETHODCALLTYPE DestroyClientWindow() = 0;                                        // 4
    virtual HRESULT STDMETHODCALLTYPE Reserved5(ULONG_PTR argument) = 0;                                // 5
    virtual HRESULT STDMETHODCALLTYPE GetSite(IClientSite** site) = 0;                                  // 6
};

// The host's implementation of a view class, aggregated by the module's class object.
// {165E5211-D987-11D1-B2F2-00600894D72A}
struct IVyrViewClassImpl : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE ActivateView(IUnknown* view) = 0;                                 // 3
    VYR_RESERVED_SLOT(4)
    virtual HRESULT STDMETHODCALLTYPE AttachClass() = 0;                                                // 5
};

// The host's factory of view-class implementations (object factory type 0x8000000F).
// {5FCB46F0-0B1D-11D2-B325-008048C36FE8}
struct IVyrViewClassImplFactory : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    // 7: an implementation aggregated by outer: its inner IUnknown, the one reference the caller holds.
    virtual HRESULT STDMETHODCALLTYPE CreateImplementation(IUnknown* outer, REFIID iid, IUnknown** inner) = 0;
};

// What a document hears of its views.
struct IVyrViewHostDocument : IUnknown
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
    virtual HRESULT STDMETHODCALLTYPE CanCloseView(IUnknown* view, VARIANT_BOOL* canClose) = 0;         // 13
    VYR_RESERVED_SLOT(14)
    virtual HRESULT STDMETHODCALLTYPE ViewClosed(IUnknown* view) = 0;                                   // 15
    VYR_RESERVED_SLOT(16)
    VYR_RESERVED_SLOT(17)
    VYR_RESERVED_SLOT(18)
    VYR_RESERVED_SLOT(19)
    VYR_RESERVED_SLOT(20)
    virtual HRESULT STDMETHODCALLTYPE ViewActivated(IUnknown* view) = 0;                                // 21
};

// One open view of a document as the host's view collections list it.
struct IHostViewItem : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetViewTypeId(ULONG* typeId) = 0;                                // 3
    // 4: the view object the host shows for the item, with one reference for the caller; S_FALSE and
    // null while the host shows none (a view asked for that has no window yet).
    virtual HRESULT STDMETHODCALLTYPE GetView(IUnknown** view) = 0;
    // 5: closes the view; it leaves its collection.
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

// A node of the host's tree of a document's open views: its own views, then the nodes below it. The
// document's own object answers the top node.
struct IHostViewCollection : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetItemCount(ULONG* count) = 0;                                   // 3
    // 4: the item at index, with one reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE GetItem(ULONG index, IHostViewItem** item) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetChildCount(ULONG* count) = 0;                                  // 5
    // 6: the child collection at index, with one reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE GetChild(ULONG index, IHostViewCollection** child) = 0;
};

inline constexpr IID IID_IEnumInterface = {0x0AE13F60, 0x6A62, 0x11D3, {0x80, 0xB3, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
inline constexpr IID IID_IDocViewClass = {0xCD8A64F1, 0x48D2, 0x11D1, {0x8D, 0x03, 0x00, 0xC0, 0xD1, 0x57, 0x0D, 0x74}};
inline constexpr IID IID_IViewClass = {0x216EA591, 0x42AF, 0x11D2, {0xB7, 0x9C, 0x00, 0x80, 0x48, 0xC3, 0x6F, 0xE8}};
inline constexpr IID IID_IClientWindow = {0x168D30B1, 0x30B5, 0x11D1, {0x8C, 0xEB, 0x00, 0xC0, 0xD1, 0x57, 0x0D, 0x74}};
inline constexpr IID IID_IVyrViewClassImpl = {0x165E5211, 0xD987, 0x11D1, {0xB2, 0xF2, 0x00, 0x60, 0x08, 0x94, 0xD7, 0x2A}};
inline constexpr IID IID_IVyrViewClassImplFactory = {0x5FCB46F0, 0x0B1D, 0x11D2, {0xB3, 0x25, 0x00, 0x80, 0x48, 0xC3, 0x6F, 0xE8}};
inline constexpr IID IID_IVyrViewHostDocument = {0x5C0B6A13, 0x2E47, 0x4F3A, {0x9B, 0x61, 0x3D, 0x7E, 0x20, 0x41, 0xA8, 0x12}};
inline constexpr IID IID_IHostViewItem = {0x3F0B7C21, 0x8A4E, 0x4D15, {0xA2, 0x6B, 0x51, 0x9C, 0x0E, 0x7D, 0x24, 0xB3}};
inline constexpr IID IID_IHostViewCollection = {0x3F0B7C22, 0x8A4E, 0x4D15, {0xA2, 0x6B, 0x51, 0x9C, 0x0E, 0x7D, 0x24, 0xB3}};
// The category all of a module's views belong to.
inline constexpr GUID VyrViewCategoryGUID = {0xD6F52E80, 0xB34D, 0x11D3, {0x80, 0xC7, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
// The second document interface a view class of the module needs.
inline constexpr IID IID_ISistraDocInterface = {0x89DC80D5, 0x4B0B, 0x474D, {0x8F, 0x91, 0xDF, 0xCF, 0xCC, 0x0F, 0xA5, 0x4B}};
