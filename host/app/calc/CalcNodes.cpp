#include "host/app/calc/CalcNodes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace Host::Calc
{

namespace
{

// Seed of random(): each record's stream is mixed from it and the record index.
constexpr uint64_t RandomSeed = 0x5151'7A2B'9E37'79B9ull;

// Beyond this every shift repeats an edge sample; the bound keeps the tick count an exact integer.
constexpr double LargestShiftTicks = 1e15;

Extent Combine(Extent a, Extent b)
{
    return {std::min(a.ticks, b.ticks), a.complete && b.complete};
}

// A channel whose extent is the record's own.
class RecordSpanNode : public SampleNode
{
public:
    explicit RecordSpanNode(const Recording& recording) : recording_(recording) {}

    Extent Available(size_t record) const override { return RecordExtent(recording_, record); }

protected:
    const Recording& recording_;
};

class RecordedChannel final : public RecordSpanNode
{
public:
    RecordedChannel(const Recording& recording, size_t channel) : RecordSpanNode(recording), channel_(channel) {}

    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        recording_.RecordAt(record).Read(channel_, first, out);
    }

private:
    size_t channel_;
};

class ShownChannel final : public RecordSpanNode
{
public:
    // base: the recorded unit rather than the units the channel is shown in.
    ShownChannel(const Recording& recording, size_t channel, ShownScaleLookup lookup, bool base)
        : RecordSpanNode(recording), recorded_(recording, channel), channel_(channel), lookup_(std::move(lookup)),
          base_(base)
    {
    }

    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        recorded_.Compute(record, first, out);
        const ShownScale shown = lookup_(channel_, record);
        const double scale = base_ ? shown.baseScale : shown.scale, offset = base_ ? 0.0 : shown.offset;
        if (scale == 1.0 && offset == 0.0)
            return;
        for (float& value : out)
            value = static_cast<float>(scale * value + offset);
    }

    std::optional<std::wstring> ShownUnit(size_t record) const override
    {
        const std::wstring unit = base_ ? std::wstring() : lookup_(channel_, record).unit;
        return unit.empty() ? std::nullopt : std::optional<std::wstring>(unit);
    }

private:
    RecordedChannel recorded_;
    size_t channel_;
    ShownScaleLookup lookup_;
    bool base_;
};

class RecordTime final : public RecordSpanNode
{
public:
    using RecordSpanNode::RecordSpanNode;

    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        const double interval = recording_.RecordAt(record).SampleInterval();
        for (size_t index = 0; index < out.size(); ++index)
            out[index] = static_cast<float>(static_cast<double>(first + static_cast<int64_t>(index)) * interval);
    }
};

class ConstantChannel final : public RecordSpanNode
{
public:
    ConstantChannel(const Recording& recording, double value) : RecordSpanNode(recording), value_(value) {}

    void Compute(size_t, int64_t, std::span<float> out) const override
    {
        std::fill(out.begin(), out.end(), static_cast<float>(value_));
    }

private:
    double value_;
};

// splitmix64: a counter-based generator, so any tick's value is known without the ticks before it and a
// chunked evaluation draws exactly the numbers of an offline one.
uint64_t Mix(uint64_t value)
{
    value += 0x9E37'79B9'7F4A'7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58'476D'1CE4'E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D0'49BB'1331'11EBull;
    return value ^ (value >> 31);
}

class RandomChannel final : public RecordSpanNode
{
public:
    using RecordSpanNode::RecordSpanNode;

    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        // 24 random bits: every value is exact in a float and stays below 1.
        constexpr float Scale = 1.0f / static_cast<float>(1 << 24);
        const uint64_t recordSeed = Mix(RandomSeed ^ Mix(record));
        for (size_t index = 0; index < out.size(); ++index)
            out[index] = static_cast<float>(Mix(recordSeed + static_cast<uint64_t>(first) + index) >> 40) * Scale;
    }
};

class UnaryNode final : public SampleNode
{
public:
    UnaryNode(UnaryFunction function, SampleNodePtr operand) : function_(function), operand_(std::move(operand)) {}

    Extent Available(size_t record) const override { return operand_->Available(record); }

    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        operand_->Compute(record, first, out);
        for (float& value : out)
            value = static_cast<float>(function_(value));
    }

private:
    UnaryFunction function_;
    SampleNodePtr operand_;
};

// operand 0, then function i applied with operand i + 1, from left to right: a flat chain of any length
// evaluates without recursion and with one scratch buffer.
class ChainNode final : public SampleNode
{
public:
    ChainNode(std::vector<BinaryFunction> functions, std::vector<SampleNodePtr> operands)
        : functions_(std::move(functions)), operands_(std::move(operands))
    {
    }

    Extent Available(size_t record) const override
    {
        Extent extent = operands_.front()->Available(record);
        for (size_t index = 1; index < operands_.size(); ++index)
            extent = Combine(extent, operands_[index]->Available(record));
        return extent;
    }

    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        std::vector<float> operand(out.size());
        operands_.front()->Compute(record, first, out);
        for (size_t step = 0; step < functions_.size(); ++step)
        {
            operands_[step + 1]->Compute(record, first, operand);
            for (size_t index = 0; index < out.size(); ++index)
                out[index] = static_cast<float>(functions_[step](out[index], operand[index]));
        }
    }

private:
    std::vector<BinaryFunction> functions_;
    std::vector<SampleNodePtr> operands_;
};

class ShiftNode final : public SampleNode
{
public:
    ShiftNode(const Recording& recording, SampleNodePtr operand, double seconds)
        : recording_(recording), operand_(std::move(operand)), seconds_(seconds)
    {
    }

    // Delayed output needs nothing beyond the operand's own ticks; advanced output waits for the ticks it
    // reaches ahead, or for the record's end whose last sample then repeats.
    Extent Available(size_t record) const override
    {
        const Extent operand = operand_->Available(record);
        const int64_t delay = Delay(record);
        if (delay >= 0 || operand.complete)
            return operand;
        return {std::max<int64_t>(0, operand.ticks + delay), false};
    }

    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        if (out.empty())
            return;
        const Extent operand = operand_->Available(record);
        const int64_t delay = Delay(record);
        const int64_t last = first + static_cast<int64_t>(out.size()) - 1;
        const int64_t from = std::clamp<int64_t>(first - delay, 0, operand.ticks - 1);
        const int64_t to = std::clamp<int64_t>(last - delay, 0, operand.ticks - 1);
        std::vector<float> source(static_cast<size_t>(to - from + 1));
        operand_->Compute(record, from, source);
        for (size_t index = 0; index < out.size(); ++index)
        {
            const int64_t tick = std::clamp<int64_t>(first + static_cast<int64_t>(index) - delay, 0, operand.ticks - 1);
            out[index] = source[static_cast<size_t>(tick - from)];
        }
    }

private:
    int64_t Delay(size_t record) const
    {
        const double ticks = seconds_ / recording_.RecordAt(record).SampleInterval();
        return std::llround(std::clamp(ticks, -LargestShiftTicks, LargestShiftTicks));
    }

    const Recording& recording_;
    SampleNodePtr operand_;
    double seconds_;
};

} // namespace

Extent RecordExtent(const Recording& recording, size_t record)
{
    const Record& data = recording.RecordAt(record);
    return {data.Length(), data.IsComplete()};
}

EventTrack::EventTrack(size_t recordSize) : recordSize_(recordSize)
{
    if (recordSize < sizeof(EventHeader))
        throw std::invalid_argument("an event record is smaller than its header");
}

EventHeader EventTrack::Header(size_t index) const
{
    EventHeader header;
    std::memcpy(&header, RecordBytes(index), sizeof header);
    return header;
}

void EventTrack::Append(const void* record)
{
    const auto* bytes = static_cast<const std::byte*>(record);
    bytes_.insert(bytes_.end(), bytes, bytes + recordSize_);
}

void EventTrack::Complete(int64_t recordLength)
{
    settledTicks_ = recordLength;
    complete_ = true;
}

size_t EventTrack::FirstAtOrAfter(int64_t tick) const
{
    size_t low = 0, high = Count();
    while (low < high)
    {
        const size_t middle = (low + high) / 2;
        if (Header(middle).tick < tick)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

SampleNodePtr MakeRecordedChannel(const Recording& recording, size_t channel)
{
    return std::make_shared<RecordedChannel>(recording, channel);
}

SampleNodePtr MakeShownChannel(const Recording& recording, size_t channel, const ShownScaleLookup& lookup)
{
    if (!lookup)
        return MakeRecordedChannel(recording, channel);
    return std::make_shared<ShownChannel>(recording, channel, lookup, false);
}

SampleNodePtr MakeBaseChannel(const Recording& recording, size_t channel, const ShownScaleLookup& lookup)
{
    if (!lookup)
        return MakeRecordedChannel(recording, channel);
    return std::make_shared<ShownChannel>(recording, channel, lookup, true);
}

SampleNodePtr MakeRecordTime(const Recording& recording)
{
    return std::make_shared<RecordTime>(recording);
}

SampleNodePtr MakeConstantChannel(const Recording& recording, double value)
{
    return std::make_shared<ConstantChannel>(recording, value);
}

SampleNodePtr MakeRandomChannel(const Recording& recording)
{
    return std::make_shared<RandomChannel>(recording);
}

SampleNodePtr MakeUnary(UnaryFunction function, SampleNodePtr operand)
{
    return std::make_shared<UnaryNode>(function, std::move(operand));
}

SampleNodePtr MakeBinary(BinaryFunction function, SampleNodePtr left, SampleNodePtr right)
{
    return MakeChain({function}, {std::move(left), std::move(right)});
}

SampleNodePtr MakeChain(std::vector<BinaryFunction> functions, std::vector<SampleNodePtr> operands)
{
    return std::make_shared<ChainNode>(std::move(functions), std::move(operands));
}

SampleNodePtr MakeShift(const Recording& recording, SampleNodePtr operand, double seconds)
{
    return std::make_shared<ShiftNode>(recording, std::move(operand), seconds);
}

namespace
{

// The same events; only the way they are handed to the functions that read them differs.
class ObjectEventsNode final : public EventNode
{
public:
    explicit ObjectEventsNode(EventNodePtr events) : events_(std::move(events)) {}

    size_t RecordSize() const override { return events_->RecordSize(); }
    const EventTrack& Events(size_t record) override { return events_->Events(record); }
    bool HandsObjects() const override { return true; }

private:
    EventNodePtr events_;
};

} // namespace

EventNodePtr MakeObjectEvents(EventNodePtr events)
{
    return std::make_shared<ObjectEventsNode>(std::move(events));
}

} // namespace Host::Calc
