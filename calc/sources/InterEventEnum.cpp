#include "calc/sources/InterEventEnum.h"

#include "foundation/com/ComBoundary.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace InterEventEnums
{
namespace
{

constexpr int32_t NoTickLimit = 0x7FFFFFFF;
constexpr uint32_t AnyHighFlag = 0xC0000000u;
constexpr uint32_t HighFlagAnswer = 0x40000000u;
constexpr uint32_t LowFlags = 0x30000000u;
constexpr uint16_t ComputedDataFormat = 0xFFFF;
constexpr uint32_t ExpectedSources = 2;

bool SameTimeBase(const TimeBase& a, const TimeBase& b)
{
    return a.numerator == b.numerator && a.denominator == b.denominator;
}

} // namespace

void BufferedEventReader::Attach(IUnknown* source)
{
    records.Reset();
    objects.Reset();
    recordSize = 0;
    if (source && FAILED(source->QueryInterface(IID_IEnumEventEx, records.PutVoid())))
        source->QueryInterface(IID_IEnumObjectEvents, objects.PutVoid());
    if (records)
        records->GetRecordSize(&recordSize);
    recordSize = std::max<int32_t>(recordSize, sizeof(int32_t));
    recordBuffer.assign(records ? static_cast<std::size_t>(recordSize) * RecordsPerRead : 0, std::byte{});
    Reset();
}

void BufferedEventReader::Reset()
{
    Empty();
    ended = false;
    lastPosition = NoTickLimit;
}

void BufferedEventReader::Empty()
{
    ticks.clear();
    heldObjects.clear();
    index = 0;
}

IUnknown* BufferedEventReader::Source() const
{
    return records ? static_cast<IUnknown*>(records.Get()) : objects.Get();
}

HRESULT BufferedEventReader::GetTimeBase(TimeBase* timeBase) const
{
    if (!timeBase)
        return E_POINTER;
    *timeBase = TimeBase{};
    if (records)
        return records->GetTimeBase(timeBase);
    return objects ? objects->GetTimeBase(timeBase) : S_OK;
}

HRESULT BufferedEventReader::SeekSource(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd)
{
    if (records)
        return records->Seek(direction, tick, rangeStart, rangeEnd);
    return objects ? objects->Seek(direction, tick, rangeStart, rangeEnd) : E_FAIL;
}

HRESULT BufferedEventReader::SourcePosition(int32_t* tick)
{
    if (records)
        return records->GetPosition(tick);
    return objects ? objects->GetPosition(tick) : E_FAIL;
}

void BufferedEventReader::StartAt(int32_t tick)
{
    Reset();
    if (!IsAttached())
        return;
    // The interval that holds the tick starts at the last event at or before it; before the first
    // event, reading starts from the first one.
    if (SeekSource(CalcSeekBackward, tick, 0, NoTickLimit) != S_OK)
        SeekSource(CalcSeekForward, tick, tick, NoTickLimit);
    if (objects)
        objects->GetPosition(&lastPosition);
    Refill();
}

HRESULT BufferedEventReader::MoveTo(int32_t tick)
{
    Reset();
    IUnknown* source = Source();
    if (!source)
        return S_OK;
    Orv::ComPtr<ICalcEnum> calc;
    if (SUCCEEDED(source->QueryInterface(IID_ICalcEnum, calc.PutVoid())))
        return calc->Seek(tick);
    int32_t position = 0;
    HRESULT hr = SourcePosition(&position);
    if (SUCCEEDED(hr) && position != tick)
    {
        hr = SeekSource(CalcSeekForward, tick, tick, tick + 1);
        if (SUCCEEDED(hr))
            hr = SourcePosition(&position);
    }
    return FAILED(hr) ? hr : S_OK;
}

void BufferedEventReader::Refill()
{
    if (!IsAttached() || HasCurrent())
        return;
    Empty();
    if (!ended)
        ended = (records ? ReadRecords() : ReadObjects()) == S_FALSE;
}

HRESULT BufferedEventReader::ReadRecords()
{
    int32_t got = 0;
    int32_t next = NoTickLimit;
    const HRESULT hr = records->Next(recordSize * RecordsPerRead, NoTickLimit, recordBuffer.data(), &got, &next);
    for (int32_t i = 0; i < std::clamp(got, 0, RecordsPerRead); ++i)
    {
        int32_t tick = 0;
        std::memcpy(&tick, recordBuffer.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(recordSize),
                    sizeof tick);
        ticks.push_back(tick);
    }
    lastPosition = next;
    return hr;
}

HRESULT BufferedEventReader::ReadObjects()
{
    CalcObjectEvent elements[RecordsPerRead] = {};
    int32_t got = 0;
    const HRESULT hr = objects->Next(RecordsPerRead, elements, &got);
    for (int32_t i = 0; i < std::clamp(got, 0, RecordsPerRead); ++i)
    {
        ticks.push_back(elements[i].tick);
        heldObjects.push_back(Orv::ComPtr<IUnknown>::Adopt(elements[i].object));
    }
    objects->GetPosition(&lastPosition);
    return hr;
}

void BufferedEventReader::Step()
{
    if (HasCurrent())
        ++index;
    if (!HasCurrent())
        Refill();
}

InterEventDataEnumBase::InterEventDataEnumBase(IUnknown* context, uint32_t creationArgument)
    : CalcEnumBase2(context, creationArgument)
{
}

void InterEventDataEnumBase::ProcessInterval()
{
    intervalResults = intervalSamples;
}

InterEventDataEnumBase* InterEventDataEnumBase::NewOfSameKind() const
{
    return new InterEventDataEnumBase(Context(), CreationArgument());
}

void InterEventDataEnumBase::CopyFrom(const InterEventDataEnumBase& other)
{
    intervalSamples = other.intervalSamples;
    intervalResults = other.intervalResults;
    argumentText = other.argumentText;
    channel = other.channel;
    unit = other.unit;
    events = other.events;
    sampleInfo = other.sampleInfo;
    record = other.record;
    outputPosition = other.outputPosition;
    running = other.running;
    phase = other.phase;
    readIndex = other.readIndex;
    resultIndex = other.resultIndex;
    intervalStart = other.intervalStart;
    intervalEnd = other.intervalEnd;
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::ReadArguments(IUnknown* arguments, uint32_t* flags)
{
    return Orv::CatchReturn([&] {
        argumentText = ArgumentTextOf(arguments);
        if (flags)
            *flags = ArgumentFlags;
    });
}

HRESULT InterEventDataEnumBase::CloneAs(REFIID iid, void** clone)
{
    if (!clone)
        return E_POINTER;
    *clone = nullptr;
    InterEventDataEnumBase* copy = nullptr;
    try
    {
        copy = NewOfSameKind();
        copy->CopyFrom(*this);
    }
    catch (const std::bad_alloc&)
    {
        delete copy;
        return E_OUTOFMEMORY;
    }
    catch (...)
    {
        delete copy;
        return Orv::ResultOfCurrentException();
    }
    const HRESULT hr = copy->NonDelegatingUnknown()->QueryInterface(iid, clone);
    if (FAILED(hr))
        delete copy;
    return hr;
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::Clone(IUnknown*, ICalcEnum** clone)
{
    return CloneAs(IID_ICalcEnum, reinterpret_cast<void**>(clone));
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::Clone(IEnumFloatEx** clone)
{
    return CloneAs(IID_IEnumFloatEx, reinterpret_cast<void**>(clone));
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::Start(int32_t boundRecord, uint32_t sourceCount,
                                                        IUnknown* const* sources, IUnknown* const* units,
                                                        double sampleInterval, int32_t, int32_t)
{
    if (sourceCount != ExpectedSources || !sources)
        return E_FAIL;
    return Orv::CatchReturn([&]() -> HRESULT {
        // The event source's records, or else its list of event objects.
        events.Attach(sources[1]);
        channel.Reset();
        if (sources[0])
            sources[0]->QueryInterface(IID_IEnumFloatEx, channel.PutVoid());
        outputPosition = -1;
        running = false;
        record = boundRecord;
        unit = Orv::ComPtr<IUnknown>(units ? units[0] : nullptr);
        sampleInfo = sampleInterval;
        if (!events.IsAttached() || !channel)
            return E_FAIL;
        TimeBase eventBase{}, channelBase{};
        events.GetTimeBase(&eventBase);
        channel->GetScale(&channelBase);
        return SameTimeBase(eventBase, channelBase) ? S_OK : E_INVALIDARG;
    });
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::Seek(int32_t tick)
{
    return Orv::CatchReturn([&]() -> HRESULT {
        outputPosition = tick;
        // The interval walk starts again from the new position.
        running = false;
        const HRESULT moved = events.MoveTo(tick);
        if (FAILED(moved))
            return moved;
        if (!channel)
            return E_FAIL;
        Orv::ComPtr<ICalcEnum> calc;
        if (SUCCEEDED(channel->QueryInterface(IID_ICalcEnum, calc.PutVoid())))
            return calc->Seek(tick);
        int32_t skipped = 0;
        return channel->Skip(tick - ChannelPosition(), &skipped);
    });
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::Stop()
{
    events.Attach(nullptr);
    channel.Reset();
    running = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::QueryFlags(uint32_t requested, uint32_t* flags)
{
    if (!flags)
        return E_POINTER;
    if (requested & AnyHighFlag)
        *flags = HighFlagAnswer;
    else
        *flags |= requested & LowFlags;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::GetSourceCount(uint32_t* count)
{
    return CalcEnums::AnswerValue(count, ExpectedSources);
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::GetRecord(int32_t* out)
{
    return CalcEnums::AnswerValue(out, record);
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::GetSampleInfo(double* sampleInterval, IUnknown** unitOut)
{
    if (sampleInterval)
        *sampleInterval = sampleInfo;
    if (unitOut)
    {
        *unitOut = unit.Get();
        if (*unitOut)
            (*unitOut)->AddRef();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::GetCapabilities(uint32_t* capabilities)
{
    return CalcEnums::AnswerValue(capabilities, Capabilities);
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::GetTimeBase(TimeBase* timeBase)
{
    return events.GetTimeBase(timeBase);
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::Skip(int32_t count, int32_t* skipped)
{
    if (!channel)
        return E_FAIL;
    running = false;
    int32_t moved = 0;
    const HRESULT hr = channel->Skip(count, &moved);
    if (skipped)
        *skipped = moved;
    outputPosition = ChannelPosition();
    return hr;
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::GetPosition(int32_t* tick)
{
    return CalcEnums::AnswerValue(tick, outputPosition);
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::GetDataFormat(uint16_t* format)
{
    if (!format)
        return E_POINTER;
    if (running && phase == Phase::Delivering)
    {
        *format = ComputedDataFormat;
        return S_OK;
    }
    return channel ? channel->GetDataFormat(format) : E_FAIL;
}

int32_t InterEventDataEnumBase::ChannelPosition() const
{
    int32_t position = 0;
    channel->GetPosition(&position);
    return position;
}

void InterEventDataEnumBase::Restart()
{
    intervalStart = intervalEnd = -1;
    resultIndex = 0;
    readIndex = 0;
    const int32_t position = ChannelPosition();
    if (outputPosition < 0)
        outputPosition = position;
    events.StartAt(position);
    phase = Phase::BeforeInterval;
    running = true;
}

HRESULT InterEventDataEnumBase::DeliverNoValues(float* out, int32_t wanted, int32_t& delivered)
{
    int32_t got = 0;
    const HRESULT hr = channel->Next(wanted, out, &got);
    got = std::clamp(got, 0, wanted);
    std::fill_n(out, got, std::bit_cast<float>(NoValueBits));
    delivered += got;
    return hr;
}

bool InterEventDataEnumBase::Advance(float* out, int32_t count, int32_t& delivered, HRESULT& lastRead)
{
    switch (phase)
    {
    case Phase::BeforeInterval:
    {
        const int32_t start = events.CurrentTick();
        const int32_t position = ChannelPosition();
        if (position < start)
        {
            const int32_t before = delivered;
            lastRead = DeliverNoValues(out + delivered, std::min(count - delivered, start - position), delivered);
            return delivered > before;
        }
        if (!events.HasCurrent())
            return false;
        intervalStart = start;
        int32_t skipped = 0;
        channel->Skip(start - position, &skipped);
        phase = Phase::AwaitingEnd;
        events.Step();
        return true;
    }
    case Phase::AwaitingEnd:
        events.Refill();
        if (!events.HasCurrent())
            return false;
        intervalEnd = events.CurrentTick();
        intervalSamples.assign(static_cast<std::size_t>(std::max(intervalEnd - intervalStart, 0)), 0.0f);
        readIndex = 0;
        phase = Phase::ReadingInterval;
        return true;
    case Phase::ReadingInterval:
    {
        const auto size = static_cast<int32_t>(intervalSamples.size());
        if (readIndex < size)
        {
            int32_t got = 0;
            lastRead = channel->Next(size - readIndex, intervalSamples.data() + readIndex, &got);
            readIndex += std::clamp(got, 0, size - readIndex);
            if (readIndex < size)
                return false; // the rest of the interval has not been recorded yet
        }
        ProcessInterval();
        resultIndex = std::max(outputPosition + delivered - intervalStart, 0);
        phase = Phase::Delivering;
        return true;
    }
    case Phase::Delivering:
    {
        const auto results = static_cast<int32_t>(intervalResults.size());
        const int32_t n = std::clamp(std::min(count - delivered, results - resultIndex), 0, count - delivered);
        std::copy_n(intervalResults.begin() + resultIndex, n, out + delivered);
        delivered += n;
        resultIndex += n;
        if (resultIndex >= results)
        {
            intervalStart = intervalEnd;
            readIndex = 0;
            phase = Phase::AwaitingEnd;
            events.Step();
        }
        return true;
    }
    }
    return false;
}

HRESULT STDMETHODCALLTYPE InterEventDataEnumBase::Next(int32_t count, float* samples, int32_t* fetched)
{
    if (!fetched || (count > 0 && !samples))
        return E_POINTER;
    *fetched = 0;
    return Orv::CatchReturn([&]() -> HRESULT {
        if (!channel || !events.IsAttached())
            return S_OK;
        if (!running)
            Restart();
        events.Refill();
        int32_t delivered = 0;
        HRESULT lastRead = S_OK;
        while (delivered < count && Advance(samples, count, delivered, lastRead))
        {
        }
        // Past the last interval of an ended event source every sample is without a value.
        if (delivered < count && events.Exhausted() && phase != Phase::ReadingInterval)
            lastRead = DeliverNoValues(samples + delivered, count - delivered, delivered);
        *fetched = delivered;
        outputPosition += delivered;
        return delivered == count ? S_OK : lastRead;
    });
}

} // namespace InterEventEnums
