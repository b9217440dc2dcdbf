#include "host/app/document/DocumentData.h"

#include "host/app/RegisteredServices.h"
#include "host/app/document/HostDocument.h"
#include "host/app/files/TextConversion.h"
#include "host/vyr/UnitConversions.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/XOrv.h"
#include "foundation/streams/BinaryStream.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string>

namespace Host
{
namespace
{

constexpr DWORD WriteMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD ReadMode = STGM_SHARE_EXCLUSIVE | STGM_READ;
const wchar_t DataStorageName[] = L"Data";
const wchar_t ChannelsStreamName[] = L"Channels";
constexpr uint32_t DataFormatVersion = 1;
// A record's stream starts with its sample interval and its length in ticks.
struct RecordHeader
{
    double sampleInterval;
    int64_t length;
};
static_assert(sizeof(RecordHeader) == 16 && offsetof(RecordHeader, length) == 8, "the record header is 16 bytes on disk");
static_assert(sizeof(float) == 4, "samples are 4-byte floats on disk");
// Samples go to a stream this many at a time, so that progress moves and a cancel is heard inside a long record.
constexpr size_t SamplesPerWrite = size_t{1} << 18;
// Counts beyond these are damage, told before anything is allocated for them.
constexpr uint32_t MostChannels = 1 << 16;
constexpr uint32_t MostRecords = 1 << 20;
// The host tells a record's length in 32-bit ticks.
constexpr int64_t MostTicks = INT32_MAX;
constexpr LONG WholePercent = 100;

std::wstring RecordStreamName(size_t index)
{
    return L"Record" + std::to_wstring(index + 1);
}

void Check(HRESULT hr)
{
    if (FAILED(hr))
        throw XOrv(hr);
}

void WriteAll(IStream& stream, const void* data, size_t size)
{
    ULONG written = 0;
    Check(stream.Write(data, static_cast<ULONG>(size), &written));
    if (written != size)
        throw XOrv(STG_E_WRITEFAULT);
}

// Tells progress the share of the samples written so far; a cancel stops the save.
class SaveProgress
{
public:
    SaveProgress(IHostProgress* progress, const Recording& recording) : progress_(progress)
    {
        for (size_t record = 0; record < recording.RecordCount(); ++record)
            total_ += static_cast<double>(recording.RecordAt(record).Length()) *
                      static_cast<double>(recording.Channels().size());
    }
    void Wrote(size_t samples)
    {
        written_ += static_cast<double>(samples);
        if (progress_ && progress_->SetPercent(total_ > 0 ? static_cast<LONG>(written_ * WholePercent / total_) : WholePercent) != S_OK)
            throw XOrv(E_ABORT);
    }

private:
    IHostProgress* progress_;
    double total_ = 0.0;
    double written_ = 0.0;
};

std::string ChannelsRecord(const ShownRecording& shown)
{
    std::stringbuf buffer;
    Orv::BinOStream out(&buffer);
    const auto& channels = shown.recording.Channels();
    out.WriteU32(DataFormatVersion);
    out.WriteU32(static_cast<uint32_t>(channels.size()));
    out.WriteU32(static_cast<uint32_t>(shown.recording.RecordCount()));
    for (const ChannelInfo& channel : channels)
    {
        out.WriteString(Orv::String(FromUtf8(channel.name)));
        out.WriteString(Orv::String(FromUtf8(channel.unit)));
        out.WriteByte(channel.deleted ? 1 : 0);
    }
    out.WriteU32(static_cast<uint32_t>(shown.conversions.size()));
    for (const auto& [channel, conversion] : shown.conversions)
    {
        out.WriteInt32(channel);
        Check(Vyr::WriteConversion(&out, conversion.Get()));
    }
    Check(out.GetStatus());
    return buffer.str();
}

void WriteRecord(IStorage& data, const Recording& recording, size_t index, SaveProgress& progress)
{
    const Record& record = recording.RecordAt(index);
    Orv::ComPtr<IStream> stream;
    Check(data.CreateStream(RecordStreamName(index).c_str(), WriteMode, 0, 0, stream.Put()));
    const RecordHeader header{record.SampleInterval(), record.Length()};
    WriteAll(*stream.Get(), &header, sizeof header);
    for (size_t channel = 0; channel < recording.Channels().size(); ++channel)
    {
        record.ForEachStretch(channel, [&](std::span<const float> samples) {
            for (size_t start = 0; start < samples.size(); start += SamplesPerWrite)
            {
                const size_t count = std::min(SamplesPerWrite, samples.size() - start);
                if (!recording.Channels()[channel].deleted)
                    WriteAll(*stream.Get(), samples.data() + start, count * sizeof(float));
                progress.Wrote(count);
            }
        });
    }
}

// A stream of the data with its length in bytes.
std::pair<Orv::ComPtr<IStream>, uint64_t> OpenDataStream(IStorage& storage, const std::wstring& name)
{
    Orv::ComPtr<IStream> stream;
    STATSTG stat{};
    if (FAILED(storage.OpenStream(name.c_str(), nullptr, ReadMode, 0, stream.Put())) ||
        FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        throw std::runtime_error("its " + ToUtf8(name) + " is missing");
    return {std::move(stream), stat.cbSize.QuadPart};
}

void ReadExactly(IStream& stream, void* data, uint64_t size, const std::wstring& name)
{
    for (auto* next = static_cast<char*>(data); size > 0;)
    {
        const auto part = static_cast<ULONG>(std::min<uint64_t>(size, SamplesPerWrite * sizeof(float)));
        ULONG read = 0;
        if (FAILED(stream.Read(next, part, &read)) || read != part)
            throw std::runtime_error("its " + ToUtf8(name) + " cannot be read");
        next += part;
        size -= part;
    }
}

std::wstring ReadText(Orv::BinIStream& in)
{
    Orv::String text;
    in.ReadString(text);
    return text.c_str() ? std::wstring(text.c_str()) : std::wstring();
}

struct ChannelsContent
{
    std::vector<ChannelInfo> channels;
    uint32_t records = 0;
    ChannelConversions conversions;
};

ChannelsContent ReadChannels(IStorage& data)
{
    constexpr uint64_t LargestChannelsRecord = uint64_t{1} << 24;
    const auto [stream, size] = OpenDataStream(data, ChannelsStreamName);
    if (size > LargestChannelsRecord)
        throw std::runtime_error("its channels record is longer than one can be");
    std::string bytes(static_cast<size_t>(size), '\0');
    ReadExactly(*stream.Get(), bytes.data(), size, ChannelsStreamName);
    std::stringbuf buffer(bytes);
    Orv::BinIStream in(&buffer);
    ChannelsContent content;
    const uint32_t version = in.ReadU32();
    if (in.IsGood() && version != DataFormatVersion)
        throw std::runtime_error("its data are of format " + std::to_string(version) +
                                 ", which this version does not read");
    const uint32_t count = in.ReadU32();
    content.records = in.ReadU32();
    if (count > MostChannels || content.records > MostRecords)
        throw std::runtime_error("its channels record is damaged");
    for (uint32_t channel = 0; channel < count && in.IsGood(); ++channel)
    {
        ChannelInfo info{ToUtf8(ReadText(in)), ToUtf8(ReadText(in))};
        BYTE deleted = 0;
        in.ReadByte(&deleted);
        info.deleted = deleted != 0;
        content.channels.push_back(std::move(info));
    }
    const uint32_t conversions = in.ReadU32();
    for (uint32_t index = 0; index < conversions && in.IsGood(); ++index)
    {
        const int32_t channel = in.ReadInt32();
        Orv::ComPtr<IUnitConversion> conversion;
        if (channel < 0 || static_cast<uint32_t>(channel) >= count || FAILED(Vyr::ReadConversion(&in, conversion.Put())))
            throw std::runtime_error("the units of its channel " + std::to_string(channel + 1) + " are damaged");
        content.conversions.emplace_back(channel, std::move(conversion));
    }
    const std::optional<uint64_t> left = in.RemainingBytes();
    if (!in.IsGood() || left != uint64_t{0})
        throw std::runtime_error("its channels record is cut or damaged");
    return content;
}

void ReadRecord(IStorage& data, size_t index, const std::vector<ChannelInfo>& channels, Recording& recording)
{
    const std::wstring name = RecordStreamName(index);
    const auto kept = static_cast<uint64_t>(std::count_if(channels.begin(), channels.end(),
                                                          [](const ChannelInfo& channel) { return !channel.deleted; }));
    const auto [stream, size] = OpenDataStream(data, name);
    RecordHeader header{};
    if (size >= sizeof header)
        ReadExactly(*stream.Get(), &header, sizeof header, name);
    if (size < sizeof header || !std::isfinite(header.sampleInterval) || !(header.sampleInterval > 0.0) ||
        header.length < 0 || header.length > MostTicks ||
        size - sizeof header != static_cast<uint64_t>(header.length) * kept * sizeof(float))
        throw std::runtime_error("its " + ToUtf8(name) + " is cut or damaged");
    std::vector<std::vector<float>> samples;
    for (const ChannelInfo& channel : channels)
    {
        std::vector<float>& values = samples.emplace_back(static_cast<size_t>(header.length), 0.0f);
        if (!channel.deleted)
            ReadExactly(*stream.Get(), values.data(), values.size() * sizeof(float), name);
    }
    recording.AddRecord(header.sampleInterval, std::move(samples));
}

} // namespace

HRESULT WriteDocumentData(IStorage* root, const ShownRecording* shown, IHostProgress* progress)
{
    if (!root)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        root->DestroyElement(DataStorageName);
        if (!shown)
            return;
        Orv::ComPtr<IStorage> data;
        Check(root->CreateStorage(DataStorageName, WriteMode, 0, 0, data.Put()));
        Orv::ComPtr<IStream> channels;
        Check(data->CreateStream(ChannelsStreamName, WriteMode, 0, 0, channels.Put()));
        const std::string record = ChannelsRecord(*shown);
        WriteAll(*channels.Get(), record.data(), record.size());
        SaveProgress told(progress, shown->recording);
        for (size_t index = 0; index < shown->recording.RecordCount(); ++index)
            WriteRecord(*data.Get(), shown->recording, index, told);
    });
}

std::optional<SavedRecording> ReadDocumentData(IStorage* root)
{
    Orv::ComPtr<IStorage> data;
    if (!root || FAILED(root->OpenStorage(DataStorageName, nullptr, ReadMode, nullptr, 0, data.Put())))
        return std::nullopt;
    try
    {
        ChannelsContent content = ReadChannels(*data.Get());
        Recording recording(content.channels);
        for (size_t index = 0; index < content.records; ++index)
            ReadRecord(*data.Get(), index, content.channels, recording);
        if (recording.RecordCount() > 0)
            recording.RecordAt(recording.RecordCount() - 1).MarkComplete();
        recording.MarkFinished();
        return SavedRecording{std::move(recording), std::move(content.conversions)};
    }
    catch (const XOrv&)
    {
        throw std::runtime_error("its channels record is damaged");
    }
}

ChannelConversions ShownConversions(HostDocument& document)
{
    ChannelConversions conversions;
    const auto& channels = document.Data().Channels();
    for (size_t channel = 0; channel < channels.size(); ++channel)
    {
        Orv::ComPtr<IUnitConversion> conversion;
        if (!channels[channel].deleted &&
            document.GetChannelConversionEx(0, HostWholeDocumentRecord, static_cast<int32_t>(channel), conversion.Put()) == S_OK &&
            conversion)
            conversions.emplace_back(static_cast<int32_t>(channel), std::move(conversion));
    }
    return conversions;
}

void ApplyConversions(HostDocument& document, const ChannelConversions& conversions)
{
    for (const auto& [channel, conversion] : conversions)
    {
        Orv::ComPtr<IUnknown> object;
        conversion->QueryInterface(IID_IUnknown, object.PutVoid());
        if (const HRESULT applied = document.ApplyChannelSetup(0, 0, channel, 1, object.Get()); FAILED(applied))
            throw std::runtime_error("channel " + std::to_string(channel + 1) +
                                     " cannot be shown in its saved units: " + FailureText(applied));
    }
}

Orv::ComPtr<IHostProgress> HostProgress(const wchar_t* title)
{
    const auto service = HostApplicationService<IHostProgressService>(IID_IHostProgressService);
    Orv::ComPtr<IHostProgress> progress;
    if (service)
        service->CreateIndicator(1, title, title, L"", 1, progress.Put());
    return progress;
}

} // namespace Host
