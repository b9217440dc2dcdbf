// The string object that host and module hand each other: a reference-counted UTF-16 text whose
// storage the receiver may share instead of copying. Methods are in vtable order.
#pragma once

#include <oaidl.h>
#include <unknwn.h>

// Both identifiers name the same object; QueryInterface answers either.
constexpr IID IID_IAutoOrvString = {0x2D3B7EC5, 0xBF24, 0x11CF, {0x97, 0xE6, 0x00, 0xC0, 0xDF, 0x49, 0x26, 0x97}};
constexpr IID IID_IOrvString = {0x3904AA0E, 0x3E8D, 0x11D1, {0x99, 0x7F, 0x00, 0xC0, 0xDF, 0x49, 0x26, 0x97}};

// Text format reported by GetLengthAndFormat.
constexpr ULONG OrvStringFormatUtf16 = 2;
// What GetKind answers for the module's own implementation, so that two reps recognise each other.
constexpr ULONG OrvStringKindNative = 9;

struct IOrvString;

struct IAutoOrvString : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetText(BSTR text) = 0;                                 // 3
    virtual HRESULT STDMETHODCALLTYPE GetBSTR(BSTR* text) = 0;                                // 4
    virtual HRESULT STDMETHODCALLTYPE IsEmpty(VARIANT_BOOL* empty) = 0;                       // 5
    virtual HRESULT STDMETHODCALLTYPE GetLength(ULONG* chars) = 0;                            // 6
    virtual HRESULT STDMETHODCALLTYPE IsEqual(IAutoOrvString* other, VARIANT_BOOL* equal) = 0; // 7
    virtual HRESULT STDMETHODCALLTYPE IsShared(VARIANT_BOOL* shared) = 0;                     // 8
    virtual ULONG STDMETHODCALLTYPE GetKind() = 0;                                            // 9
    virtual HRESULT STDMETHODCALLTYPE CopyText(long bytes, void* buffer) = 0;                 // 10
    virtual HRESULT STDMETHODCALLTYPE GetLengthAndFormat(ULONG* chars, ULONG* format) = 0;    // 11
    virtual HRESULT STDMETHODCALLTYPE GetCapacity(ULONG* chars) = 0;                          // 12
    virtual HRESULT STDMETHODCALLTYPE CreateRep(ULONG chars, IOrvString** rep) = 0;           // 13
    virtual HRESULT STDMETHODCALLTYPE GetVariant(VARIANT* value) = 0;                         // 14
};

struct IOrvString : public IAutoOrvString
{
    virtual ULONG STDMETHODCALLTYPE Length() = 0;          // 15
    virtual void STDMETHODCALLTYPE Destroy() = 0;          // 16
    virtual ULONG STDMETHODCALLTYPE Reserved() = 0;        // 17
    virtual wchar_t* STDMETHODCALLTYPE GetText() = 0;      // 18
    virtual void STDMETHODCALLTYPE DeleteThis() = 0;       // 19: the rep's deleting destructor
};
