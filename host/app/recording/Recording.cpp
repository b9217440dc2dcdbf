#include "host/app/recording/Recording.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace Host
{

Record::Record(double sampleInterval, size_t channelCount) : sampleInterval_(sampleInterval), channels_(channelCount)
{
    if (!(sampleInterval > 0.0))
        throw std::invalid_argument("a record needs a positive sample interval");
}

Record::Record(double sampleInterval, std::vector<std::vector<float>> channels)
    : Record(sampleInterval, size_t{0})
{
    for (const auto& channel : channels)
        if (channel.size() != channels.front().size())
            throw std::invalid_argument("channels with different sample counts");
    channels_ = std::move(channels);
    length_ = channels_.empty() ? 0 : static_cast<int64_t>(channels_.front().size());
}

std::span<const float> Record::Samples(size_t channel) const
{
    if (store_)
        throw std::logic_error("the samples of a record kept in a store are read back, not in memory");
    return channels_.at(channel);
}

void Record::Read(size_t channel, int64_t first, std::span<float> out) const
{
    if (channel >= channels_.size() || first < 0 || static_cast<int64_t>(out.size()) > length_ - first)
        throw std::out_of_range("samples read outside the record");
    if (store_)
        store_->Read(index_, channel, first, out);
    else
        std::copy_n(channels_[channel].begin() + first, out.size(), out.begin());
}

float Record::Sample(size_t channel, int64_t tick) const
{
    float value = 0.0f;
    Read(channel, tick, std::span<float>(&value, 1));
    return value;
}

size_t Record::SamplesInMemory() const
{
    size_t samples = 0;
    for (const std::vector<float>& channel : channels_)
        samples += channel.capacity();
    return samples;
}

std::vector<std::vector<float>> Record::Copy() const
{
    std::vector<std::vector<float>> copy(channels_.size(), std::vector<float>(static_cast<size_t>(length_)));
    for (size_t channel = 0; channel < copy.size(); ++channel)
        Read(channel, 0, copy[channel]);
    return copy;
}

void Record::KeepIn(std::shared_ptr<SampleStore> store, size_t index, std::vector<std::vector<float>> memory)
{
    store_ = std::move(store);
    index_ = index;
    channels_ = std::move(memory);
}

void Record::Fill(size_t channel, int64_t start, int64_t end, float value)
{
    if (channel >= channels_.size() || start < 0 || end < start || end > length_)
        throw std::out_of_range("samples filled outside the record");
    if (store_)
        throw std::logic_error("the samples of a record kept in a store are not changed");
    std::fill(channels_[channel].begin() + start, channels_[channel].begin() + end, value);
}

void Record::Reserve(size_t samples)
{
    if (store_)
        return;
    for (std::vector<float>& channel : channels_)
        channel.reserve(samples);
}

void Record::TakeRoom(std::vector<std::vector<float>>&& room)
{
    if (room.size() != channels_.size())
        throw std::invalid_argument("room made for a different number of channels");
    if (Length() != 0 || std::any_of(room.begin(), room.end(), [](const auto& channel) { return !channel.empty(); }))
        throw std::logic_error("room taken where samples already are");
    if (store_)
        throw std::logic_error("room taken for a record kept in a store");
    channels_ = std::move(room);
}

void Record::Append(const std::vector<std::span<const float>>& rows)
{
    if (complete_)
        throw std::logic_error("samples appended to a complete record");
    if (rows.size() != channels_.size())
        throw std::invalid_argument("samples appended for a different number of channels");
    for (const auto& row : rows)
        if (row.size() != rows.front().size())
            throw std::invalid_argument("channels appended with different sample counts");
    if (rows.empty())
        return;
    if (store_)
        store_->Append(index_, rows);
    else
        for (size_t channel = 0; channel < rows.size(); ++channel)
            channels_[channel].insert(channels_[channel].end(), rows[channel].begin(), rows[channel].end());
    length_ += static_cast<int64_t>(rows.front().size());
}

Recording::Recording(std::vector<ChannelInfo> channels) : channels_(std::move(channels)) {}

void Recording::DeclareChannels(std::vector<ChannelInfo> channels)
{
    if (!records_.empty())
        throw std::logic_error("the channels of a recording are fixed by its first record");
    channels_ = std::move(channels);
}

void Recording::DeleteRecord(size_t index)
{
    if (index >= records_.size())
        throw std::out_of_range("record " + std::to_string(index + 1) + " of " + std::to_string(records_.size()));
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
}

Record& Recording::AddRecord(double sampleInterval)
{
    return AddRecord(sampleInterval, std::vector<std::vector<float>>(channels_.size()));
}

Record& Recording::AddRecord(double sampleInterval, std::vector<std::vector<float>> channels)
{
    if (finished_)
        throw std::logic_error("record added to a finished recording");
    if (channels.size() != channels_.size())
        throw std::invalid_argument("a record with a different number of channels");
    if (!records_.empty())
        records_.back().MarkComplete();
    Record& added = records_.emplace_back(sampleInterval, std::move(channels));
    if (!store_)
        return added;
    try
    {
        std::vector<std::span<const float>> rows;
        for (size_t channel = 0; channel < channels_.size(); ++channel)
            rows.push_back(added.Samples(channel));
        if (added.Length() > 0)
            store_->Append(records_.size() - 1, rows);
    }
    catch (...)
    {
        records_.pop_back();
        throw;
    }
    added.KeepIn(store_, records_.size() - 1, std::vector<std::vector<float>>(channels_.size()));
    return added;
}

void Recording::KeepSamplesIn(std::shared_ptr<SampleStore> store)
{
    if (store == store_)
        return;
    // Every sample is where it goes before any record lets go of where it was: a store that refuses them
    // leaves each record reading from where it did.
    std::vector<std::vector<std::vector<float>>> inMemory(store ? 0 : records_.size());
    for (size_t index = 0; index < records_.size(); ++index)
    {
        std::vector<std::vector<float>> samples = records_[index].Copy();
        if (store)
            store->Append(index, std::vector<std::span<const float>>(samples.begin(), samples.end()));
        else
            inMemory[index] = std::move(samples);
    }
    for (size_t index = 0; index < records_.size(); ++index)
        records_[index].KeepIn(store, index, store ? std::vector<std::vector<float>>(channels_.size())
                                                   : std::move(inMemory[index]));
    store_ = std::move(store);
}

RecordingFeed::RecordingFeed(const Recording& source, bool stopsAfterEachRecord)
    : source_(source), stopsAfterEachRecord_(stopsAfterEachRecord), live_(source.Channels())
{
    if (source.RecordCount() == 0)
        live_.MarkFinished();
}

void RecordingFeed::Feed(int64_t count)
{
    if (count <= 0)
        throw std::invalid_argument("a chunk holds at least one sample");
    if (IsDone())
        return;
    const Record& from = source_.RecordAt(record_);
    if (live_.RecordCount() == record_)
        live_.AddRecord(from.SampleInterval());
    Record& to = live_.RecordAt(record_);
    const int64_t first = to.Length();
    const int64_t taken = std::min(count, from.Length() - first);
    std::vector<std::span<const float>> rows;
    for (size_t channel = 0; channel < source_.Channels().size(); ++channel)
        rows.push_back(from.Samples(channel).subspan(static_cast<size_t>(first), static_cast<size_t>(taken)));
    to.Append(rows);
    if (to.Length() < from.Length())
        return;
    to.MarkComplete();
    if (++record_ == source_.RecordCount())
        live_.MarkFinished();
}

void RecordingFeed::Stop()
{
    if (IsDone())
        return;
    if (live_.RecordCount() > record_)
        live_.RecordAt(record_).MarkComplete();
    live_.MarkFinished();
}

} // namespace Host
