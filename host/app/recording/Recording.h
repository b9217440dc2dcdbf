// A recording held by the host: records (blocks) of float samples on named channels.
#pragma once

#include "host/app/recording/SampleStore.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Host
{

struct ChannelInfo
{
    std::string name;
    std::string unit;
    // A deleted channel keeps its place, so that the channels after it keep their numbers, but has no
    // data to show or read.
    bool deleted = false;
};

// One block of the recording: every channel has the same number of samples at one sample interval.
// While sampling, a record grows until it is marked complete. Its samples are in memory, or only in the
// store its recording keeps them in.
class Record
{
public:
    Record(double sampleInterval, size_t channelCount);
    // A record of the given samples, one vector per channel, all of one length.
    Record(double sampleInterval, std::vector<std::vector<float>> channels);

    double SampleInterval() const { return sampleInterval_; }
    int64_t Length() const { return length_; }
    bool IsComplete() const { return complete_; }
    // The channel's samples in memory. Throws std::logic_error for a record kept in a store, whose
    // samples are read with Read.
    std::span<const float> Samples(size_t channel) const;
    // Copies the channel's samples from tick first into out, wherever they are kept. Throws
    // std::out_of_range outside the record, std::runtime_error when its store cannot give them.
    void Read(size_t channel, int64_t first, std::span<float> out) const;
    float Sample(size_t channel, int64_t tick) const;
    // Hands visit the channel's samples from the first to the last, a stretch (std::span<const float>)
    // at a time. Throws as Read does.
    template <class Visit>
    void ForEachStretch(size_t channel, Visit&& visit) const;
    // The samples the record holds in memory, room made for more included: none once kept in a store.
    size_t SamplesInMemory() const;

    // Room for this many samples per channel, so that appending up to them moves nothing.
    void Reserve(size_t samples);
    // Room made elsewhere: an empty vector per channel, whose capacity the record keeps for its samples.
    // Leaves room as it was when it throws.
    void TakeRoom(std::vector<std::vector<float>>&& room);
    // Appends samples to every channel at once; rows holds one vector per channel, all of one length.
    void Append(const std::vector<std::span<const float>>& rows);
    void MarkComplete() { complete_ = true; }
    // Sets the channel's samples at ticks [start, end) to value; throws std::out_of_range outside the
    // record, std::logic_error for a record kept in a store (a live preview's, which nothing edits).
    void Fill(size_t channel, int64_t start, int64_t end, float value);

private:
    friend class Recording;
    // Every sample of every channel, read from wherever they are kept.
    std::vector<std::vector<float>> Copy() const;
    // The record's samples are now in store as its record index (already written there), or, without a
    // store, in memory as given.
    void KeepIn(std::shared_ptr<SampleStore> store, size_t index, std::vector<std::vector<float>> memory);

    double sampleInterval_;
    // Without a store: the samples, a vector per channel. With one: an empty vector per channel.
    std::vector<std::vector<float>> channels_;
    int64_t length_ = 0;
    bool complete_ = false;
    std::shared_ptr<SampleStore> store_;
    size_t index_ = 0;
};

// The channels and records of one recording. An offline recording is finished and all its records are
// complete; an online one receives its records as they are sampled.
class Recording
{
public:
    explicit Recording(std::vector<ChannelInfo> channels);

    const std::vector<ChannelInfo>& Channels() const { return channels_; }
    // The channel's data are gone from now on (its samples stay unread). Throws std::out_of_range for a
    // channel the recording does not have.
    void DeleteChannel(size_t channel) { channels_.at(channel).deleted = true; }
    // The channels of a recording that has no records yet; throws std::logic_error once it has one.
    void DeclareChannels(std::vector<ChannelInfo> channels);
    size_t RecordCount() const { return records_.size(); }
    const Record& RecordAt(size_t index) const { return records_.at(index); }
    Record& RecordAt(size_t index) { return records_.at(index); }
    // No further records will arrive.
    bool IsFinished() const { return finished_; }

    // The record goes; those after it move up a place. Throws std::out_of_range for a record the
    // recording does not have.
    void DeleteRecord(size_t index);

    Record& AddRecord(double sampleInterval);
    Record& AddRecord(double sampleInterval, std::vector<std::vector<float>> channels);
    void MarkFinished() { finished_ = true; }
    // From now on every record keeps its samples in store alone, those already here moved there (or,
    // without a store, back in memory). Throws std::runtime_error when the store refuses them, the
    // recording left as it was. A copy of the recording shares the store: only one of them may grow.
    void KeepSamplesIn(std::shared_ptr<SampleStore> store);

private:
    std::vector<ChannelInfo> channels_;
    std::vector<Record> records_;
    bool finished_ = false;
    std::shared_ptr<SampleStore> store_;
};

// Samples that arrive in chunks: a growing online recording. A chunk never spans two records, and the
// recording is finished with the chunk that completes its last record.
class SampleFeed
{
public:
    virtual ~SampleFeed() = default;
    virtual const Recording& Live() const = 0;
    bool IsDone() const { return Live().IsFinished(); }
    // Delivers the next chunk; count is the most samples a chunk may hold, where the feed lets it choose.
    virtual void Feed(int64_t count) = 0;
    // Sampling stops after each record and starts again with the next chunk, as when a person records
    // one record at a time.
    virtual bool StopsAfterEachRecord() const { return false; }
    // The whole recording the feed plays, where it is known ahead; null otherwise.
    virtual const Recording* Source() const { return nullptr; }
};

// Simulated sampling: hands the records of a finished recording to a growing online copy, a chunk of
// samples at a time, in the order the host's data notifications would deliver them.
class RecordingFeed final : public SampleFeed
{
public:
    explicit RecordingFeed(const Recording& source, bool stopsAfterEachRecord = false);

    const Recording& Live() const override { return live_; }
    // Delivers up to count samples of the current record; the record is completed with its last sample.
    void Feed(int64_t count) override;
    bool StopsAfterEachRecord() const override { return stopsAfterEachRecord_; }
    const Recording* Source() const override { return &source_; }
    // Sampling stopped early: the record being fed ends where it is and no further record follows.
    void Stop();

private:
    const Recording& source_;
    bool stopsAfterEachRecord_;
    Recording live_;
    size_t record_ = 0;
};

template <class Visit>
void Record::ForEachStretch(size_t channel, Visit&& visit) const
{
    if (!store_)
    {
        visit(Samples(channel));
        return;
    }
    // A stretch is read back at a time, so that a long record is never in memory at once.
    constexpr int64_t StretchSamples = 1 << 16;
    std::vector<float> stretch;
    for (int64_t first = 0; first < length_; first += StretchSamples)
    {
        stretch.resize(static_cast<size_t>(std::min(StretchSamples, length_ - first)));
        Read(channel, first, stretch);
        visit(std::span<const float>(stretch));
    }
}

} // namespace Host
