// A module's document class and its documents as the host creates and drives them, and the host's
// implementation objects that such classes and documents aggregate: every interface a module's class
// or document does not answer itself is passed to the implementation object.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrMessaging.h"

#include <unknwn.h>

// A module's document class: a class object whose instances are the module's documents.
// {CD8A64F3-48D2-11D1-8D03-00C0D1570D74}
struct ICustomDocClass : IVyrClassObject
{
    // 7: a BSTR copy of the class name (null for an empty name); an old BSTR in the argument is freed.
    virtual HRESULT STDMETHODCALLTYPE GetClassName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFlags(ULONG* flags) = 0;                                        // 8
    // 9: a new document for the host document object, with one reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* reserved, IUnknown* hostDocument, ULONG flags,
                                                     IUnknown** document, ULONG_PTR reserved2) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedWithArgument(ULONG_PTR argument) = 0;                      // 10
    // 11: attaches the class's commands (AttachCommands with the class's own command handler).
    virtual HRESULT STDMETHODCALLTYPE Attach(ULONG_PTR argument) = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;                                                     // 12
    virtual HRESULT STDMETHODCALLTYPE GetDocumentGuid(const GUID** guid) = 0;                            // 13
    // 14: registers the handler for the class's commands and installs the class's menus.
    virtual HRESULT STDMETHODCALLTYPE AttachCommands(IVyrCommandHandler* handler, ULONG_PTR argument) = 0;
};

// The face of a host document that a module's document hands out as the host document's interface
// (ICustomDocument slot 8).
inline constexpr IID IID_IVyrHostDocumentFace = {0x376B4751, 0xF226, 0x11D2, {0xB8, 0x4E, 0x00, 0x80, 0x48, 0xC3, 0x6F, 0xE8}};

// A module's document, as the host holds it.
// {6786FCE0-0F95-11D1-8CC5-00C0D1570D74}
struct ICustomDocument : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) = 0;                                         // 3
    virtual HRESULT STDMETHODCALLTYPE IsModuleDocument(VARIANT_BOOL* answer) = 0;                        // 4
    // 5: the host closes the document; it is released afterwards.
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtension(IUnknown** extension) = 0;                            // 6
    virtual HRESULT STDMETHODCALLTYPE GetCreationFlags(ULONG* flags) = 0;                                // 7
    // 8: the host document's interface the document keeps, with one reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE GetHostInterface(IUnknown** host) = 0;
    // 9: the document's settings persister of a kind (0 full, 1 settings only) and type (2: a stream
    // persister), as its IPersist with one reference; S_FALSE and null for a combination it lacks.
    virtual HRESULT STDMETHODCALLTYPE GetPersister(ULONG kind, ULONG type, void** reserved, IUnknown** persister) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetName(ULONG reserved, IAutoOrvString* name) = 0;                 // 10
    virtual HRESULT STDMETHODCALLTYPE GetName(ULONG reserved, IAutoOrvString** name) = 0;                // 11
    virtual HRESULT STDMETHODCALLTYPE GetHostValue(ULONG* value) = 0;                                    // 12
    virtual HRESULT STDMETHODCALLTYPE SetHostValue(ULONG value) = 0;                                     // 13
    // 14: the host attached the document to its data.
    virtual HRESULT STDMETHODCALLTYPE OnAttached(ULONG_PTR argument) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnHostEvent(ULONG_PTR a, ULONG_PTR b, ULONG_PTR c, ULONG_PTR d,
                                                  ULONG_PTR e) = 0;                                      // 15
    virtual HRESULT STDMETHODCALLTYPE OnHostValue16(ULONG_PTR a, ULONG_PTR b) = 0;                       // 16
    virtual HRESULT STDMETHODCALLTYPE OnHostValue17(ULONG_PTR a, ULONG_PTR b) = 0;                       // 17
};

// {3B1F470C-1731-4761-916A-B75F07F9E7F8}
struct ICustomDocument2 : ICustomDocument
{
};

// The host document's store of its modules' settings: a module registers each of its persisters once,
// and the host saves them with the document and loads them when it opens the document again.
// {CD8A64F0-48D2-11D1-8D03-00C0D1570D74}
struct IVyrDocumentPersistence : IUnknown
{
    // 3: the persister (an IPersistStreamInit) of a kind (0 full, 1 settings only) of the document
    // shown in frame; name receives what the host calls the record (null when it gives none).
    virtual HRESULT STDMETHODCALLTYPE RegisterPersister(IUnknown* frame, ULONG kind, IUnknown* persister,
                                                        ULONG reserved1, ULONG reserved2, BSTR* name) = 0;
};

// The host side of a document: its frame, from which the document reaches its UI services.
// {CD8A64F4-48D2-11D1-8D03-00C0D1570D74}
struct IVyrDocumentFrame : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    // 5: the frame's UI services (answering IHostApplication), with one reference.
    virtual HRESULT STDMETHODCALLTYPE GetFrameServices(IUnknown** services) = 0;
    VYR_RESERVED_SLOT(6)
    // 7: the frame's host object (IHostFrameObject), which keeps a range beside the selection.
    virtual HRESULT STDMETHODCALLTYPE GetHostObject(IUnknown** object) = 0;
};

// The messages a module sent its host document (views to open, arrange or close, ...), which the host's
// document implementation takes in the order they came; the stand-in keeps them for whoever asks.
// {9E4C2A10-5B3D-4E61-8F27-1A6C0D3B5E90}
struct IHostMessageLog : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetCount(ULONG* count) = 0;                                        // 3
    // 4: the message's id and the words of its payload, type word first (up to capacity of them).
    virtual HRESULT STDMETHODCALLTYPE GetEntry(ULONG index, ULONG* id, ULONG* words, ULONG capacity,
                                               ULONG* wordCount) = 0;
    // 5: the host object the message was sent in the context of, as IHostContextObject describes it;
    // S_FALSE and zeros for a message sent without one.
    virtual HRESULT STDMETHODCALLTYPE GetEntryContext(ULONG index, ULONG* type, ULONG* first, ULONG* second) = 0;
};
inline constexpr IID IID_IHostMessageLog = {0x9E4C2A10, 0x5B3D, 0x4E61, {0x8F, 0x27, 0x1A, 0x6C, 0x0D, 0x3B, 0x5E, 0x90}};

// The host's factory of document-class implementation objects (object factory type 0x80000012).
// {7B542012-6854-11D1-B2A7-00600894D72A}
struct IVyrDocClassImplFactory : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    // 7: an implementation object aggregated by outer (its IUnknown, the one reference the caller holds).
    virtual HRESULT STDMETHODCALLTYPE CreateImplementation(IUnknown** inner, IUnknown* outer, ULONG flags) = 0;
};

// The host's factory of document implementation objects (object factory type 0x80000011).
// {D6F52E82-B34D-11D3-80C7-005004AD3C53}
struct IVyrDocImplFactory : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    // 7: an implementation object for a document of the class on the host document, aggregated by
    // outer; flag 1 when the creation flags have bit 30 set.
    virtual HRESULT STDMETHODCALLTYPE CreateImplementation(IUnknown* documentClass, IUnknown* hostDocument,
                                                           IUnknown* outer, ULONG flag, IUnknown** inner) = 0;
};

// The interface the document class's implementation refuses to pass on for the module's documents.
inline constexpr IID IID_VyrHiddenDocumentFace = {0xC60D5F9C, 0x196E, 0x4750, {0x94, 0x50, 0x25, 0x1C, 0x26, 0x84, 0x22, 0xD2}};

inline constexpr IID IID_ICustomDocClass = {0xCD8A64F3, 0x48D2, 0x11D1, {0x8D, 0x03, 0x00, 0xC0, 0xD1, 0x57, 0x0D, 0x74}};
inline constexpr IID IID_ICustomDocument = {0x6786FCE0, 0x0F95, 0x11D1, {0x8C, 0xC5, 0x00, 0xC0, 0xD1, 0x57, 0x0D, 0x74}};
inline constexpr IID IID_ICustomDocument2 = {0x3B1F470C, 0x1731, 0x4761, {0x91, 0x6A, 0xB7, 0x5F, 0x07, 0xF9, 0xE7, 0xF8}};
inline constexpr IID IID_IVyrDocumentPersistence = {0xCD8A64F0, 0x48D2, 0x11D1, {0x8D, 0x03, 0x00, 0xC0, 0xD1, 0x57, 0x0D, 0x74}};
inline constexpr IID IID_IVyrDocumentFrame = {0xCD8A64F4, 0x48D2, 0x11D1, {0x8D, 0x03, 0x00, 0xC0, 0xD1, 0x57, 0x0D, 0x74}};
inline constexpr IID IID_IVyrDocClassImplFactory = {0x7B542012, 0x6854, 0x11D1, {0xB2, 0xA7, 0x00, 0x60, 0x08, 0x94, 0xD7, 0x2A}};
inline constexpr IID IID_IVyrDocImplFactory = {0xD6F52E82, 0xB34D, 0x11D3, {0x80, 0xC7, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
// The category of document classes.
inline constexpr GUID VyrDocumentCategoryGUID = {0xD6F52E84, 0xB34D, 0x11D3, {0x80, 0xC7, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
