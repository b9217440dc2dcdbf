// COM streams in memory for the record-stream tests: a stream on global memory, a wrapper that counts
// the calls that reach it, and helpers that put bytes in and take them out.
#pragma once

#include <objidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

namespace TestStreams
{

using Bytes = std::vector<std::uint8_t>;
using Microsoft::WRL::ComPtr;

inline ComPtr<IStream> MemoryStream(const Bytes& content = {})
{
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
        return nullptr;
    if (!content.empty())
    {
        ULONG written = 0;
        stream->Write(content.data(), static_cast<ULONG>(content.size()), &written);
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    }
    return stream;
}

// Everything the stream holds, whatever its position; the position is left unchanged.
inline Bytes ContentOf(IStream* stream)
{
    ULARGE_INTEGER here{};
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &here);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    Bytes content(static_cast<std::size_t>(stat.cbSize.QuadPart));
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (!content.empty())
        stream->Read(content.data(), static_cast<ULONG>(content.size()), &read);
    LARGE_INTEGER back;
    back.QuadPart = static_cast<LONGLONG>(here.QuadPart);
    stream->Seek(back, STREAM_SEEK_SET, nullptr);
    return content;
}

// Passes every call to a stream in memory, counting the writes and reporting the access mode it is
// told to, as a host stream opened for reading or writing would.
class CountingStream : public IStream
{
public:
    explicit CountingStream(DWORD accessMode = STGM_READWRITE, const Bytes& content = {})
        : inner_(MemoryStream(content)), accessMode_(accessMode)
    {
    }

    unsigned writeCalls = 0;
    std::vector<ULONG> writeSizes;
    bool refuseWrites = false; // as a full medium would
    IStream* Inner() const { return inner_.Get(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IStream || iid == IID_ISequentialStream)
        {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack: the count only shows that references are balanced.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    ULONG References() const { return refs_; }

    HRESULT STDMETHODCALLTYPE Read(void* data, ULONG n, ULONG* read) override
    {
        return inner_->Read(data, n, read);
    }
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG n, ULONG* written) override
    {
        ++writeCalls;
        writeSizes.push_back(n);
        if (refuseWrites)
        {
            if (written)
                *written = 0;
            return STG_E_MEDIUMFULL;
        }
        return inner_->Write(data, n, written);
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override
    {
        return inner_->Seek(move, origin, position);
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override { return inner_->SetSize(size); }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* to, ULARGE_INTEGER n, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override
    {
        return inner_->CopyTo(to, n, read, written);
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override { return inner_->Commit(flags); }
    HRESULT STDMETHODCALLTYPE Revert() override { return inner_->Revert(); }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override
    {
        const HRESULT hr = inner_->Stat(stat, flags);
        stat->grfMode = accessMode_;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    ComPtr<IStream> inner_;
    DWORD accessMode_;
    ULONG refs_ = 0;
};

} // namespace TestStreams
