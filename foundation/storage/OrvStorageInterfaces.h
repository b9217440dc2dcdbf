// The compound file's own faces of the structured-storage interfaces: the standard operations, then ours.
#pragma once

#include <objidl.h>

struct IOrvLockBytes : ILockBytes
{
    // Base address of a memory view of the whole store, or null when it offers none.
    virtual void* STDMETHODCALLTYPE MemoryView() = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPassThrough(void** out) = 0;
    virtual ULONG_PTR STDMETHODCALLTYPE PassThrough(ULONG_PTR argument) = 0;
};

struct IOrvStorage : IStorage
{
    virtual HRESULT STDMETHODCALLTYPE QueryPassThrough(void** out) = 0;
    // Result 0 with a reference when there is a byte store, 1 when there is none.
    virtual HRESULT STDMETHODCALLTYPE GetLockBytes(ILockBytes** out) = 0;
    virtual ULONG_PTR STDMETHODCALLTYPE PassThrough(ULONG_PTR argument) = 0;
    virtual void STDMETHODCALLTYPE Destroy() = 0;
};

struct IOrvStream : IStream
{
    // Where the bytes [offset, offset + length) lie in the store's memory view, when they lie together.
    virtual HRESULT STDMETHODCALLTYPE DirectPointer(ULONGLONG offset, ULONG length, void** out) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPassThrough(void** out) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLockBytes(ILockBytes** out) = 0;
    virtual void STDMETHODCALLTYPE Destroy() = 0;
};

// {DA70517F-8F03-403C-B8B2-4D850F81A60D}
inline constexpr IID IID_IOrvLockBytes = {0xDA70517F, 0x8F03, 0x403C, {0xB8, 0xB2, 0x4D, 0x85, 0x0F, 0x81, 0xA6, 0x0D}};
// {4676C05E-64A5-4278-A545-698DC73D18B7}
inline constexpr IID IID_IOrvStorage = {0x4676C05E, 0x64A5, 0x4278, {0xA5, 0x45, 0x69, 0x8D, 0xC7, 0x3D, 0x18, 0xB7}};
// {C0245550-1852-11D1-994C-00C0DF492697}
inline constexpr IID IID_IOrvStream = {0xC0245550, 0x1852, 0x11D1, {0x99, 0x4C, 0x00, 0xC0, 0xDF, 0x49, 0x26, 0x97}};

__CRT_UUID_DECL(IOrvLockBytes, 0xDA70517F, 0x8F03, 0x403C, 0xB8, 0xB2, 0x4D, 0x85, 0x0F, 0x81, 0xA6, 0x0D)
__CRT_UUID_DECL(IOrvStorage, 0x4676C05E, 0x64A5, 0x4278, 0xA5, 0x45, 0x69, 0x8D, 0xC7, 0x3D, 0x18, 0xB7)
__CRT_UUID_DECL(IOrvStream, 0xC0245550, 0x1852, 0x11D1, 0x99, 0x4C, 0x00, 0xC0, 0xDF, 0x49, 0x26, 0x97)
