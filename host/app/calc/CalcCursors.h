// Cursors over compiled calculations, bound to one record at a time, in the terms the host's channel and
// event enumerators offer them: a request beyond the data that has arrived reports waiting and is
// repeated by the caller when more data has come.
#pragma once

#include "host/app/calc/CalcNodes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Host::Calc
{

// No further events in the record.
constexpr int64_t RecordEndTick = 0x7FFFFFFF;

enum class ReadStatus
{
    Done,    // everything asked for was delivered
    Waiting, // part of it is not there yet; ask again when more data has arrived
    End,     // the record holds no more (events: none below the end tick asked for)
};

class CalcCursor
{
public:
    // Starts at tick 0 of the record. Throws std::out_of_range for a record a finished recording lacks.
    void Bind(size_t record);
    size_t BoundRecord() const { return record_; }
    int64_t Position() const { return position_; }
    // Places the cursor at a tick of the bound record (not below 0).
    void MoveTo(int64_t tick) { position_ = tick < 0 ? 0 : tick; }

protected:
    explicit CalcCursor(const Recording& recording) : recording_(recording) {}

    // The record has arrived (its evaluators may be asked about it).
    bool RecordArrived() const { return record_ < recording_.RecordCount(); }

    const Recording& recording_;
    size_t record_ = 0;
    int64_t position_ = 0;
};

class ChannelCursor : public CalcCursor
{
public:
    ChannelCursor(const Recording& recording, SampleNodePtr channel);

    // Moves by count ticks, not below 0 nor past the end of a complete record; returns the ticks moved.
    int64_t Skip(int64_t count);

    struct ReadResult
    {
        size_t count;
        ReadStatus status;
    };
    // Reads the samples from the position on into out and advances past them.
    ReadResult Read(std::span<float> out);

private:
    Extent Available() const;

    SampleNodePtr channel_;
};

class EventCursor : public CalcCursor
{
public:
    EventCursor(const Recording& recording, EventNodePtr events);

    size_t RecordSize() const { return events_->RecordSize(); }

    struct NextResult
    {
        size_t count;
        int64_t nextTick; // the first tick not examined; RecordEndTick when the record holds no more events
        ReadStatus status;
    };
    // Appends to out the records of up to maxCount events from the position on, below endTick.
    NextResult Next(size_t maxCount, int64_t endTick, std::vector<std::byte>& out);

    enum class FindResult
    {
        Found,    // the cursor stands at the event
        NotFound, // the cursor stands at the window's end (forwards) or first tick (backwards)
        Waiting,
    };
    // The first event from startTick on (backwards: the last up to startTick) inside [windowFirst, windowEnd).
    FindResult Find(bool backwards, int64_t startTick, int64_t windowFirst, int64_t windowEnd);

private:
    const EventTrack* Track() const;
    size_t IndexAtOrAfter(const EventTrack& track, int64_t tick) const;

    EventNodePtr events_;
    size_t nextIndex_ = 0; // where the last read stopped in its track
};

} // namespace Host::Calc
