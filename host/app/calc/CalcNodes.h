// The evaluators that compiled calculation text is made of: sample channels and event sources, evaluated
// record by record over the data that has arrived so far.
#pragma once

#include "host/app/recording/Recording.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Host::Calc
{

// How much of a record a node can give now; complete: the record will not grow beyond ticks.
struct Extent
{
    int64_t ticks = 0;
    bool complete = false;

    bool operator==(const Extent&) const = default;
};

// The extent of a record of the recording itself.
Extent RecordExtent(const Recording& recording, size_t record);

// A channel of float samples, one per tick of a record.
class SampleNode
{
public:
    virtual ~SampleNode() = default;

    virtual Extent Available(size_t record) const = 0;
    // Samples [first, first + out.size()) of the record; the range lies within Available(record).
    virtual void Compute(size_t record, int64_t first, std::span<float> out) const = 0;
    // The unit (without its prefix) of its samples in the record, where it reads a channel as the host
    // shows it, asked as they are read: a calibration applied later changes it. None otherwise.
    virtual std::optional<std::wstring> ShownUnit(size_t /*record*/) const { return std::nullopt; }
};

// The head every event record starts with, as exchanged with the host's readers.
struct EventHeader
{
    int32_t tick;
    float fraction;
    double value;
};
static_assert(sizeof(EventHeader) == 16);
static_assert(offsetof(EventHeader, fraction) == 4);
static_assert(offsetof(EventHeader, value) == 8);

// The events of one record as far as they are settled: every event whose tick lies below SettledTicks is
// in the list for good, in tick order. Records may be larger than the header (a function's own layout).
class EventTrack
{
public:
    explicit EventTrack(size_t recordSize);

    size_t RecordSize() const { return recordSize_; }
    size_t Count() const { return bytes_.size() / recordSize_; }
    const std::byte* RecordBytes(size_t index) const { return bytes_.data() + index * recordSize_; }
    EventHeader Header(size_t index) const;

    void Append(const void* record);
    int64_t SettledTicks() const { return settledTicks_; }
    bool IsComplete() const { return complete_; }
    void Settle(int64_t ticks) { settledTicks_ = ticks; }
    void Complete(int64_t recordLength);

    // Index of the first event with a tick at or above the given tick (Count() when none).
    size_t FirstAtOrAfter(int64_t tick) const;

private:
    size_t recordSize_;
    std::vector<std::byte> bytes_;
    int64_t settledTicks_ = 0;
    bool complete_ = false;
};

// A source of events. Its tracks are brought up to date with the data available when asked.
class EventNode
{
public:
    virtual ~EventNode() = default;

    virtual size_t RecordSize() const = 0;
    virtual const EventTrack& Events(size_t record) = 0;
    // Whether a function reading the source gets it as a list of event objects (IEnumObjectEvents)
    // rather than as event records (IEnumEventEx).
    virtual bool HandsObjects() const { return false; }
};

using SampleNodePtr = std::shared_ptr<const SampleNode>;
using EventNodePtr = std::shared_ptr<EventNode>;

// How a channel's recorded values become what calculations read in a record, in units without their
// prefix: shown = scale * recorded + offset (the units the host shows the channel in), and
// base = baseScale * recorded (the recorded unit).
struct ShownScale
{
    double scale = 1.0;
    double offset = 0.0;
    double baseScale = 1.0;
    std::wstring unit; // the unit shown values are in, without its prefix; empty: none told
};
// The scale of (channel, record), asked whenever samples are read, so a calibration applied after
// compiling shows at once. Empty: channels are read as recorded.
using ShownScaleLookup = std::function<ShownScale(size_t channel, size_t record)>;

// Leaves and arithmetic of the language.
SampleNodePtr MakeRecordedChannel(const Recording& recording, size_t channel);
// The channel in the units the host shows it in; the recorded channel itself when there is no lookup.
SampleNodePtr MakeShownChannel(const Recording& recording, size_t channel, const ShownScaleLookup& lookup);
// The channel in its recorded unit without the prefix; the recorded channel itself when there is no lookup.
SampleNodePtr MakeBaseChannel(const Recording& recording, size_t channel, const ShownScaleLookup& lookup);
SampleNodePtr MakeRecordTime(const Recording& recording);
SampleNodePtr MakeConstantChannel(const Recording& recording, double value);
SampleNodePtr MakeRandomChannel(const Recording& recording);

using UnaryFunction = double (*)(double);
using BinaryFunction = double (*)(double, double);
SampleNodePtr MakeUnary(UnaryFunction function, SampleNodePtr operand);
SampleNodePtr MakeBinary(BinaryFunction function, SampleNodePtr left, SampleNodePtr right);
// operands[0], then functions[i] with operands[i + 1], from left to right (one more operand than functions).
SampleNodePtr MakeChain(std::vector<BinaryFunction> functions, std::vector<SampleNodePtr> operands);

// The events of the source, handed to the functions that read them as a list of event objects.
EventNodePtr MakeObjectEvents(EventNodePtr events);

// x delayed by seconds (advanced when negative), rounded to whole ticks of each record; ticks outside the
// record repeat the nearest edge sample.
SampleNodePtr MakeShift(const Recording& recording, SampleNodePtr operand, double seconds);

} // namespace Host::Calc
