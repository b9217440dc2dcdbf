// The little-endian record streams through which host and module hand persisted records to each other.
// Stream objects are not reference counted: AddRef and Release answer 1 and their owner destroys them.
// Every operation answers E_FAIL once the stream's state is bad (a short transfer, a failed position
// query or no stream buffer) and does nothing further; the state is never cleared.
#pragma once

#include <unknwn.h>

struct IAutoOrvString;

struct IBinOutStream : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetStatus() = 0;                            // 3
    virtual HRESULT STDMETHODCALLTYPE Tell(ULONG* position) = 0;                  // 4: low 32 bits
    virtual HRESULT STDMETHODCALLTYPE Seek(ULONG position) = 0;                   // 5: from the start
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;                            // 6
    virtual HRESULT STDMETHODCALLTYPE WriteByte(BYTE value) = 0;                  // 7
    virtual HRESULT STDMETHODCALLTYPE WriteShort(short value) = 0;                // 8
    virtual HRESULT STDMETHODCALLTYPE WriteLong(long value) = 0;                  // 9
    virtual HRESULT STDMETHODCALLTYPE WriteULong(ULONG value) = 0;                // 10
    virtual HRESULT STDMETHODCALLTYPE WriteDouble(double value) = 0;              // 11
    virtual HRESULT STDMETHODCALLTYPE WriteBytes(const void* data, ULONG n) = 0;  // 12
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;                           // 13
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;                           // 14
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;                           // 15
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;                           // 16
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;                           // 17
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;                           // 18
    virtual HRESULT STDMETHODCALLTYPE WriteString(IAutoOrvString* text) = 0;      // 19
    virtual HRESULT STDMETHODCALLTYPE WriteInt64(ULONG low, ULONG high) = 0;      // 20
    virtual HRESULT STDMETHODCALLTYPE Flush() = 0;                                // 21
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;                                // 22: ends the write
};

struct IBinInStream : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetStatus() = 0;                                // 3
    virtual HRESULT STDMETHODCALLTYPE Tell(ULONG* position) = 0;                      // 4: low 32 bits
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;                                // 5
    virtual HRESULT STDMETHODCALLTYPE ReadByte(BYTE* value) = 0;                      // 6
    virtual HRESULT STDMETHODCALLTYPE ReadShort(void* value) = 0;                     // 7: 2 bytes
    virtual HRESULT STDMETHODCALLTYPE ReadLong(void* value) = 0;                      // 8: 4 bytes
    virtual HRESULT STDMETHODCALLTYPE ReadULongDefault(ULONG* value, ULONG fallback) = 0; // 9
    virtual HRESULT STDMETHODCALLTYPE ReadDouble(double* value) = 0;                  // 10
    virtual HRESULT STDMETHODCALLTYPE ReadBytes(void* data, ULONG n) = 0;             // 11
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;                               // 12
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;                               // 13
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;                               // 14
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;                               // 15
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;                               // 16
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;                               // 17
    // A new string with one reference for the caller; null when the stream failed.
    virtual HRESULT STDMETHODCALLTYPE ReadString(IAutoOrvString** text) = 0;          // 18
    virtual HRESULT STDMETHODCALLTYPE GetVersion(ULONG* version) = 0;                 // 19
    virtual HRESULT STDMETHODCALLTYPE ReadUShort(void* value) = 0;                    // 20: as 7
    virtual HRESULT STDMETHODCALLTYPE ReadULong(void* value) = 0;                     // 21: as 8
    virtual HRESULT STDMETHODCALLTYPE ReadInt64(void* value) = 0;                     // 22: 8 bytes
    virtual HRESULT STDMETHODCALLTYPE ReadUInt64(void* value) = 0;                    // 23: as 22
};
