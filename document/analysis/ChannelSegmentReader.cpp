#include "document/analysis/ChannelSegmentReader.h"

#include <algorithm>

namespace Sistra
{
namespace
{

constexpr uint32_t SampleRequest = HostChannelScaled | HostChannelStream;

} // namespace

ChannelSegmentReader::ChannelSegmentReader(IUnknown* host)
{
    if (host)
        host->QueryInterface(IID_IHostDocument, document_.PutVoid());
}

ChannelSegmentReader::OpenChannel* ChannelSegmentReader::Open(int32_t channel, int32_t block)
{
    auto held = std::find_if(open_.begin(), open_.end(), [&](const OpenChannel& open) { return open.channel == channel; });
    if (held == open_.end())
        held = open_.insert(open_.end(), OpenChannel{channel});
    held->block = block;
    held->position = 0;
    held->reader = {};
    Orv::ComPtr<IUnknown> data, opened;
    if (!document_ || FAILED(document_->GetChannelData(SampleRequest, block, channel, data.Put())) || !data)
        return nullptr;
    const auto channelData = data.As<IHostChannelData>(IID_IHostChannelData);
    if (!channelData || FAILED(channelData->OpenEnum(SampleRequest, block, HostRecordEnd, 0, opened.Put())))
        return nullptr;
    held->reader = opened.As<IEnumFloatEx>(IID_IEnumFloatEx);
    return held->reader ? &*held : nullptr;
}

bool ChannelSegmentReader::Read(int32_t channel, int32_t block, int32_t startTick, std::vector<float>& samples)
{
    auto held = std::find_if(open_.begin(), open_.end(), [&](const OpenChannel& open) { return open.channel == channel; });
    OpenChannel* open = held != open_.end() && held->reader && held->block == block && held->position <= startTick
                            ? &*held
                            : Open(channel, block);
    int32_t skipped = 0, fetched = 0;
    if (!open || open->reader->Skip(startTick - open->position, &skipped) != S_OK)
    {
        if (open)
            open->reader = {};
        return false;
    }
    open->reader->Next(static_cast<int32_t>(samples.size()), samples.data(), &fetched);
    samples.resize(static_cast<std::size_t>(std::max(fetched, 0)));
    open->position = startTick + std::max(fetched, 0);
    return true;
}

} // namespace Sistra
