#include "host/app/document/HeldSamples.h"

#include "host/app/files/TextConversion.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace Host
{

namespace
{

// The samples read back at once: a pane draws a few thousand columns from neighbouring samples, and a
// calculation reads on from where it stopped.
constexpr int64_t StretchSamples = 4096;
constexpr DWORD StreamMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

void Check(HRESULT result, const char* what)
{
    if (FAILED(result))
        throw std::runtime_error(std::string("the preview's samples could not be ") + what + ": " + FailureText(result));
}

LARGE_INTEGER Offset(int64_t samples)
{
    LARGE_INTEGER offset{};
    offset.QuadPart = samples * static_cast<int64_t>(sizeof(float));
    return offset;
}

void AppendTo(IStream& stream, std::span<const float> values)
{
    const auto bytes = static_cast<ULONG>(values.size_bytes());
    ULONG written = 0;
    Check(stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_END, nullptr), "kept");
    Check(stream.Write(values.data(), bytes, &written), "kept");
    if (written != bytes)
        Check(STG_E_WRITEFAULT, "kept");
}

} // namespace

IStream& HeldSamples::StreamOf(const Key& key)
{
    Orv::ComPtr<IStream>& stream = streams_[key];
    if (!stream)
    {
        const std::wstring name = L"Record" + std::to_wstring(key.first) + L"Channel" + std::to_wstring(key.second);
        Check(storage_->CreateStream(name.c_str(), StreamMode, 0, 0, stream.Put()), "kept");
    }
    return *stream.Get();
}

void HeldSamples::Append(size_t record, const std::vector<std::span<const float>>& rows)
{
    const std::lock_guard guard(lock_);
    for (size_t channel = 0; channel < rows.size(); ++channel)
        AppendTo(StreamOf(Key{record, channel}), rows[channel]);
}

const HeldSamples::Stretch& HeldSamples::StretchHolding(const Key& key, int64_t tick)
{
    const auto holds = [tick](const Stretch& stretch) {
        return tick >= stretch.first && tick - stretch.first < static_cast<int64_t>(stretch.values.size());
    };
    const auto found = stretches_.find(key);
    if (found != stretches_.end() && holds(found->second))
        return found->second;
    Stretch stretch{tick - tick % StretchSamples, std::vector<float>(static_cast<size_t>(StretchSamples))};
    IStream& stream = StreamOf(key);
    ULONG read = 0;
    Check(stream.Seek(Offset(stretch.first), STREAM_SEEK_SET, nullptr), "read back");
    Check(stream.Read(stretch.values.data(), static_cast<ULONG>(stretch.values.size() * sizeof(float)), &read),
          "read back");
    stretch.values.resize(read / sizeof(float));
    if (!holds(stretch))
        throw std::runtime_error("the preview's samples could not be read back: the storage holds fewer than were kept");
    return stretches_.insert_or_assign(key, std::move(stretch)).first->second;
}

void HeldSamples::Read(size_t record, size_t channel, int64_t first, std::span<float> out)
{
    const std::lock_guard guard(lock_);
    const Key key{record, channel};
    for (size_t done = 0; done < out.size();)
    {
        const int64_t tick = first + static_cast<int64_t>(done);
        const Stretch& stretch = StretchHolding(key, tick);
        const auto offset = static_cast<size_t>(tick - stretch.first);
        const size_t count = std::min(out.size() - done, stretch.values.size() - offset);
        std::copy_n(stretch.values.begin() + static_cast<std::ptrdiff_t>(offset), count, out.begin() + static_cast<std::ptrdiff_t>(done));
        done += count;
    }
}

} // namespace Host
