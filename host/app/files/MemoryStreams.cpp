#include "host/app/files/MemoryStreams.h"

namespace Host
{

HRESULT ReadStreamContent(IStream& stream, std::vector<char>& bytes)
{
    STATSTG stat{};
    HRESULT hr = stream.Stat(&stat, STATFLAG_NONAME);
    if (SUCCEEDED(hr))
        hr = stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr))
        return hr;
    bytes.assign(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    hr = stream.Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return FAILED(hr) ? hr : read == bytes.size() ? S_OK : STG_E_READFAULT;
}

HRESULT MakeMemoryStream(const std::vector<char>& bytes, Orv::ComPtr<IStream>& stream)
{
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    ULONG written = 0;
    if (SUCCEEDED(hr))
        hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (SUCCEEDED(hr) && written != bytes.size())
        hr = STG_E_WRITEFAULT;
    return FAILED(hr) ? hr : stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
}

} // namespace Host
