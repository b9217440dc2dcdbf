// A sample channel computed one interval at a time: for every interval [event k, event k + 1) of an
// event source, the channel's samples of the interval go to ProcessInterval, whose results come out at
// the channel's rate. Before the first event, and after the last one once the event source has ended,
// every output sample is the no-value marker. The base computation passes the samples through.
#pragma once

#include "calc/engine/CalcEnumBase.h"

#include <vector>

namespace InterEventEnums
{

// The events of the event source read ahead a few at a time: the records of an IEnumEventEx, or the
// elements of the host's list of event objects, whose objects are held until the read-ahead is used up.
// Only the events' ticks matter here.
class BufferedEventReader
{
public:
    static constexpr int32_t RecordsPerRead = 8;

    // Reads the source's records, or else its list of event objects; detaches for a source that offers
    // neither (or none).
    void Attach(IUnknown* source);
    void Reset();
    bool IsAttached() const { return records || objects; }
    // The attached source's time base; 1, 1, 0.0 without one.
    HRESULT GetTimeBase(TimeBase* timeBase) const;

    // Positions the source at the last event at or before the tick and reads ahead.
    void StartAt(int32_t tick);
    // Moves the source to the tick, dropping what was read ahead.
    HRESULT MoveTo(int32_t tick);
    void Refill();
    bool HasCurrent() const { return index < ticks.size(); }
    // The current event's tick, or where reading goes on when nothing is read ahead.
    int32_t CurrentTick() const { return HasCurrent() ? ticks[index] : lastPosition; }
    void Step();
    // The source has no event left, and everything read from it is consumed.
    bool Exhausted() const { return ended && !HasCurrent(); }

private:
    IUnknown* Source() const;
    HRESULT SeekSource(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd);
    HRESULT SourcePosition(int32_t* tick);
    // One read of the source into the read-ahead; the source's answer.
    HRESULT ReadRecords();
    HRESULT ReadObjects();
    void Empty();

    Orv::ComPtr<IEnumEventEx> records;
    Orv::ComPtr<IEnumObjectEvents> objects;
    std::vector<std::byte> recordBuffer;
    int32_t recordSize = 0;
    std::vector<int32_t> ticks;
    std::vector<Orv::ComPtr<IUnknown>> heldObjects;
    std::size_t index = 0;
    int32_t lastPosition = 0x7FFFFFFF;
    bool ended = false;
};

class InterEventDataEnumBase : public CalcEnums::CalcEnumBase2
{
public:
    // The no-value marker of an output sample outside every interval.
    static constexpr uint32_t NoValueBits = 0x7F886000u;
    static constexpr uint32_t ArgumentFlags = 0x20000000u;
    static constexpr uint32_t Capabilities = 0x20008000u;

    InterEventDataEnumBase(IUnknown* context, uint32_t creationArgument);

    // ICalcEnum
    HRESULT STDMETHODCALLTYPE ReadArguments(IUnknown* arguments, uint32_t* flags) override;
    HRESULT STDMETHODCALLTYPE Clone(IUnknown* outer, ICalcEnum** clone) override;
    // The channel first, then the event source; both must share one time base.
    HRESULT STDMETHODCALLTYPE Start(int32_t record, uint32_t sourceCount, IUnknown* const* sources,
                                    IUnknown* const* units, double sampleInterval, int32_t startTick,
                                    int32_t endTick) override;
    HRESULT STDMETHODCALLTYPE Seek(int32_t tick) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE QueryFlags(uint32_t requested, uint32_t* flags) override;
    HRESULT STDMETHODCALLTYPE GetSourceCount(uint32_t* count) override;
    HRESULT STDMETHODCALLTYPE GetRecord(int32_t* record) override;
    HRESULT STDMETHODCALLTYPE GetSampleInfo(double* sampleInterval, IUnknown** unit) override;
    HRESULT STDMETHODCALLTYPE GetCapabilities(uint32_t* capabilities) override;
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override;

    // IEnumFloatEx
    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx** clone) override;
    HRESULT STDMETHODCALLTYPE Skip(int32_t count, int32_t* skipped) override;
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override;
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override;
    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) override;

protected:
    // Fills intervalResults from intervalSamples.
    virtual void ProcessInterval();
    // A new object of the most derived kind, to be filled by CopyFrom; throws std::bad_alloc when there
    // is no memory.
    virtual InterEventDataEnumBase* NewOfSameKind() const;
    virtual void CopyFrom(const InterEventDataEnumBase& other);

    std::vector<float> intervalSamples;
    std::vector<float> intervalResults;

private:
    enum class Phase
    {
        BeforeInterval,
        AwaitingEnd,
        ReadingInterval,
        Delivering,
    };

    HRESULT CloneAs(REFIID iid, void** clone);
    void Restart();
    // Reads into the output; every sample delivered becomes the no-value marker.
    HRESULT DeliverNoValues(float* out, int32_t wanted, int32_t& delivered);
    // One step of the interval walk; false when it cannot go on now.
    bool Advance(float* out, int32_t count, int32_t& delivered, HRESULT& lastRead);
    int32_t ChannelPosition() const;

    Orv::ComPtr<IEnumFloatEx> channel;
    Orv::ComPtr<IUnknown> unit;
    BufferedEventReader events;
    double sampleInfo = 0.0;
    int32_t record = 0;
    int32_t outputPosition = -1;
    bool running = false;
    Phase phase = Phase::BeforeInterval;
    int32_t readIndex = 0;
    int32_t resultIndex = 0;
    int32_t intervalStart = -1;
    int32_t intervalEnd = -1;
};

} // namespace InterEventEnums
