#include "host/app/recording/Recording.h"

#include <algorithm>
#include <stdexcept>

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
}

int64_t Record::Length() const
{
    return channels_.empty() ? 0 : static_cast<int64_t>(channels_.front().size());
}

void Record::Fill(size_t channel, int64_t start, int64_t end, float value)
{
    std::vector<float>& samples = channels_.at(channel);
    if (start < 0 || end < start || end > static_cast<int64_t>(samples.size()))
        throw std::out_of_range("samples filled outside the record");
    std::fill(samples.begin() + start, samples.begin() + end, value);
}

void Record::Reserve(size_t samples)
{
    for (std::vector<float>& channel : channels_)
        channel.reserve(samples);
}

void Record::TakeRoom(std::vector<std::vector<float>>&& room)
{
    if (room.size() != channels_.size())
        throw std::invalid_argument("room made for a different number of channels");
    if (Length() != 0 || std::any_of(room.begin(), room.end(), [](const auto& channel) { return !channel.empty(); }))
        throw std::logic_error("room taken where samples already are");
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
    for (size_t channel = 0; channel < rows.size(); ++channel)
        channels_[channel].insert(channels_[channel].end(), rows[channel].begin(), rows[channel].end());
}

Recording::Recording(std::vector<ChannelInfo> channels) : channels_(std::move(channels)) {}

void Recording::DeclareChannels(std::vector<ChannelInfo> channels)
{
    if (!records_.empty())
        throw std::logic_error("the channels of a recording are fixed by its first record");
    channels_ = std::move(channels);
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
    return records_.emplace_back(sampleInterval, std::move(channels));
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
