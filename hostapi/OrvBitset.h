// A set of bit flags of open length that crosses the host boundary: 32-bit words (bit i in word i / 32
// at position i % 32) and a fill word (0 or all ones) that stands for every bit beyond the words.
// The host fills one through an out-pointer, or hands over its own implementation.
#pragma once

#include <unknwn.h>

struct IOrvBitset : IUnknown
{
    // 1 only for the module's own representation, whose words the module then reads in place;
    // every other implementation answers 0.
    virtual BOOL STDMETHODCALLTYPE IsNativeRep() = 0;
    // Frees the object when no reference is left; E_FAIL while one is.
    virtual HRESULT STDMETHODCALLTYPE DeleteIfUnused() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWordCount(ULONG* count) = 0;
    // Copies min(maxWords, word count) words and the fill word; S_FALSE when not all words fitted.
    virtual HRESULT STDMETHODCALLTYPE GetWords(ULONG maxWords, ULONG* words, ULONG* fill) = 0;
    // A new set with the same bits and one reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE Clone(IOrvBitset** copy) = 0;
    // The deleting destructor's slot.
    virtual void STDMETHODCALLTYPE Destroy() = 0;
};

// {0ED42EEC-5E8E-4D50-83DA-BCD139B6BB40}
inline constexpr IID IID_IOrvBitset = {0x0ED42EEC, 0x5E8E, 0x4D50, {0x83, 0xDA, 0xBC, 0xD1, 0x39, 0xB6, 0xBB, 0x40}};
__CRT_UUID_DECL(IOrvBitset, 0x0ED42EEC, 0x5E8E, 0x4D50, 0x83, 0xDA, 0xBC, 0xD1, 0x39, 0xB6, 0xBB, 0x40)
