#include "host/app/HeldSamples.h"

#include "host/app/TextConversion.h"

#include <stdexcept>
#include <string>

namespace Host
{

namespace
{

// The samples read back at once: a pane draws a few thousand columns from neighbouring samples.
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
    {
        const Key key{record, channel};
        IStream& stream = StreamOf(key);
        const auto bytes = static_cast<ULONG>(rows[channel].size_bytes());
        ULONG written = 0;
        Check(stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_END, nullptr), "kept");
        Check(stream.Write(rows[channel].data(), bytes, &written), "kept");
        if (written != bytes)
            Check(STG_E_WRITEFAULT, "kept");
        stretches_.erase(key);
    }
}

HeldSamples::Stretch HeldSamples::ReadStretch(const Key& key, int64_t first)
{
    Stretch stretch{first, std::vector<float>(static_cast<size_t>(StretchSamples))};
    IStream& stream = StreamOf(key);
    ULONG read = 0;
    Check(stream.Seek(Offset(first), STREAM_SEEK_SET, nullptr), "read back");
    Check(stream.Read(stretch.values.data(), static_cast<ULONG>(stretch.values.size() * sizeof(float)), &read),
          "read back");
    stretch.values.resize(read / sizeof(float));
    return stretch;
}

std::optional<float> HeldSamples::ValueAt(size_t record, size_t channel, int64_t tick)
{
    if (tick < 0)
        return std::nullopt;
    const std::lock_guard guard(lock_);
    const Key key{record, channel};
    auto found = stretches_.find(key);
    const auto holds = [&](const Stretch& stretch) {
        return tick >= stretch.first && tick - stretch.first < static_cast<int64_t>(stretch.values.size());
    };
    if (found == stretches_.end() || !holds(found->second))
        found = stretches_.insert_or_assign(key, ReadStretch(key, tick - tick % StretchSamples)).first;
    if (!holds(found->second))
        return std::nullopt;
    return found->second.values[static_cast<size_t>(tick - found->second.first)];
}

} // namespace Host
