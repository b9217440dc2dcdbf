// Parameters of a detector-style calculation function: its own numbers, the four limits of the part
// of the recording it processes, and the sources it reads.
#pragma once

#include "calc/sources/RecordRange.h"
#include "calc/sources/SourceWrappers.h"

#include <istream>
#include <memory>
#include <ostream>
#include <vector>

namespace EEH3
{

// Where processing runs within one record.
struct RecordLimits
{
    int32_t firstTick = 0; // the first tick to process
    int32_t endTick = 0;   // processing stops before this tick (0: the record is outside the limits)
};

// The copyable part: the limits (in the order start tick, start record, end tick, end record; -1 each
// until read) and a flag.
class ParamsBaseAutoCopy
{
public:
    // Reads the four limits "LimitStart Record", "LimitStart Tick", "LimitEnd Record", "LimitEnd Tick"
    // and normalises them (a negative start is the beginning, a negative end the end).
    void ReadLimits(std::wistream& in);
    void WriteLimits(std::wostream& out) const;
    // Resets the limits to the whole recording.
    void ClearLimits();

    RecordLimits LimitsOf(int32_t record) const;
    const Sistra::RecordRange& Limits() const { return limits; }

    int32_t flag = 0;

protected:
    Sistra::RecordRange limits{-1, -1, -1, -1};
};

class ParamsBase : public ParamsBaseAutoCopy
{
public:
    ParamsBase() = default;
    ParamsBase(const ParamsBase& other)
        : ParamsBaseAutoCopy(other), sampleInterval(other.sampleInterval), record(other.record), context(other.context)
    {
    }
    virtual ~ParamsBase() = default;

    // The function's own numbers and the limits, in the order of its parameter list.
    virtual void Read(std::wistream& in) { ReadLimits(in); }
    // The same values in the same order, separated by blanks, ended by a terminating zero character.
    virtual void Write(std::wostream& out) const;
    // One source object per source argument, in argument order.
    virtual void BuildSources(uint32_t count, IUnknown* const* sources) = 0;

    void ClearSources() { sources.clear(); }
    std::size_t SourceCount() const { return sources.size(); }
    eeh_SourceEnum& Source(std::size_t index) { return *sources[index]; }
    template <class Wrapper>
    Wrapper& SourceAs(std::size_t index)
    {
        return static_cast<Wrapper&>(*sources[index]);
    }

    // Seconds per tick of the record being processed.
    double sampleInterval = 1.0;
    // The record (block) being processed.
    int32_t record = 0;
    // The host context the calculation was created for (the document's data), or none; the enumerator
    // holds it.
    IUnknown* context = nullptr;

protected:
    void AddChannelSource(IUnknown* source) { sources.push_back(std::make_unique<FloatExWrapper>(source)); }
    template <class Record>
    void AddEventSource(IUnknown* source)
    {
        sources.push_back(std::make_unique<EventWrapperEx<Record>>(source));
    }

private:
    std::vector<std::unique_ptr<eeh_SourceEnum>> sources;
};

} // namespace EEH3
