#include "calc/sources/SourceWrappers.h"

#include <algorithm>

using Orv::ComPtr;

namespace EEH3
{
namespace
{

// Moves a host source that is also a calculation through its own seek, otherwise by skipping.
template <class Source>
bool SeekAsCalculation(Source* source, int32_t tick)
{
    ComPtr<ICalcEnum> calc;
    if (!source || FAILED(source->QueryInterface(IID_ICalcEnum, calc.PutVoid())))
        return false;
    calc->Seek(tick);
    return true;
}

void SkipTo(IEnumFloatEx* source, int32_t tick)
{
    int32_t position = 0;
    int32_t skipped = 0;
    source->GetPosition(&position);
    source->Skip(tick - position, &skipped);
}

} // namespace

bool eeh_SourceEnum::HasCurrent()
{
    if (ended)
        return false;
    if (InBuffer())
        return true;
    return Advance();
}

void eeh_SourceEnum::ResetBuffer()
{
    readIndex = 0;
    bufferedCount = 0;
}

void eeh_SourceEnum::ForgetReadAhead()
{
    ResetBuffer();
    ended = false;
}

FloatExWrapper::FloatExWrapper(IUnknown* sourceObject) : buffer(BufferSamples, 0.0f)
{
    if (sourceObject)
        sourceObject->QueryInterface(IID_IEnumFloatEx, source.PutVoid());
}

int32_t FloatExWrapper::Position()
{
    if (!source || ended)
        return bufferStart;
    if (InBuffer())
        return bufferStart + readIndex;
    MoveSourceToSeek();
    int32_t position = 0;
    source->GetPosition(&position);
    return std::min(position, endLimit);
}

bool FloatExWrapper::Advance()
{
    if (!source)
    {
        ++bufferStart;
        return true;
    }
    if (InBuffer())
    {
        ++readIndex;
        if (InBuffer())
            return true;
        ResetBuffer();
    }
    const int32_t position = Position();
    if (position >= endLimit)
    {
        bufferStart = endLimit;
        ended = true;
        return false;
    }
    bufferStart = position;
    const int32_t wanted = std::min(endLimit - position, BufferSamples);
    int32_t fetched = 0;
    const HRESULT hr = source->Next(wanted, buffer.data(), &fetched);
    if (fetched > 0)
    {
        bufferedCount = std::min(fetched, wanted);
        readIndex = 0;
        return true;
    }
    if (hr != S_OK)
        ended = true;
    return false;
}

int32_t FloatExWrapper::Take(int32_t count, std::vector<float>& samples)
{
    int32_t taken = 0;
    while (taken < count && HasCurrent())
    {
        // Without a source every sample is the one held at the start of the buffer.
        const int32_t run = source ? std::min(count - taken, bufferedCount - readIndex) : 1;
        const auto first = buffer.begin() + readIndex;
        samples.insert(samples.end(), first, first + run);
        taken += run;
        if (source)
            readIndex += run - 1;
        Advance();
    }
    return taken;
}

bool FloatExWrapper::HasCurrent()
{
    return !source || eeh_SourceEnum::HasCurrent();
}

void FloatExWrapper::Seek(int32_t tick)
{
    if (tick >= endLimit)
    {
        ended = true;
        bufferStart = endLimit;
        return;
    }
    if (!source)
    {
        bufferStart = tick;
        return;
    }
    if (bufferStart <= tick && tick - bufferStart < bufferedCount)
    {
        readIndex = tick - bufferStart;
        return;
    }
    if (seekPending && keptStart <= tick && tick - keptStart < keptCount)
    {
        // Back into the samples the seek before would have dropped: the source never moved from their end.
        seekPending = false;
        ended = false;
        bufferStart = keptStart;
        bufferedCount = keptCount;
        buffer[0] = keptFirst;
        readIndex = tick - keptStart;
        return;
    }
    // Behind the samples held, the source's data have all arrived, so that moving it later lands where
    // moving it now would.
    const bool back = bufferedCount > 0 && InBuffer() && tick < bufferStart;
    if (Position() == tick)
        return;
    const int32_t start = bufferStart, count = bufferedCount;
    const float first = buffer[0];
    if (back)
    {
        seekTick = tick;
        seekPending = true;
    }
    else
    {
        SkipTo(source.Get(), tick);
        int32_t position = 0;
        source->GetPosition(&position);
    }
    ResetBuffer();
    ended = false;
    if (back)
    {
        keptStart = start;
        keptCount = count;
        keptFirst = first;
    }
}

void FloatExWrapper::MoveSourceToSeek()
{
    if (!seekPending)
        return;
    seekPending = false;
    SkipTo(source.Get(), seekTick);
    int32_t position = 0;
    source->GetPosition(&position);
}

void FloatExWrapper::SetPosition(int32_t tick)
{
    positionSet = true;
    seekPending = false;
    if (!source)
        return;
    if (!SeekAsCalculation(source.Get(), tick))
        SkipTo(source.Get(), tick);
    ForgetReadAhead();
}

void FloatExWrapper::GetTimeBase(TimeBase* timeBase)
{
    if (!timeBase)
        return;
    if (source)
        source->GetScale(timeBase);
    else
        *timeBase = TimeBase{};
}

void FloatExWrapper::ResetBuffer()
{
    eeh_SourceEnum::ResetBuffer();
    bufferStart = 0;
    buffer[0] = 0.0f;
}

EventWrapper::EventWrapper(IUnknown* sourceObject, int32_t minimumRecordSize, int32_t maximumRecordSize)
{
    if (sourceObject)
        sourceObject->QueryInterface(IID_IEnumEventEx, source.PutVoid());
    if (source)
        source->GetRecordSize(&recordSize);
    if (!source || recordSize < std::max<int32_t>(minimumRecordSize, sizeof(int32_t)) || recordSize > maximumRecordSize)
    {
        source.Reset();
        recordSize = 0;
        ended = true;
        return;
    }
    buffer.resize(static_cast<std::size_t>(recordSize) * RecordsPerRead);
}

const std::byte* EventWrapper::RecordAt(int32_t index) const
{
    return buffer.data() + static_cast<std::size_t>(index) * static_cast<std::size_t>(recordSize);
}

int32_t EventWrapper::TickAt(int32_t index) const
{
    int32_t tick = 0;
    std::memcpy(&tick, RecordAt(index), sizeof(tick));
    return tick;
}

int32_t EventWrapper::Position()
{
    if (ended || !source)
        return NoTickLimit;
    if (InBuffer())
        return TickAt(readIndex);
    int32_t position = 0;
    source->GetPosition(&position);
    return position;
}

bool EventWrapper::Advance()
{
    if (!source)
        return false;
    if (InBuffer())
    {
        ++readIndex;
        if (InBuffer())
            return true;
        ResetBuffer();
    }
    int32_t count = 0;
    int32_t next = 0;
    const HRESULT hr = source->Next(recordSize * RecordsPerRead, readLimit, buffer.data(), &count, &next);
    if (count <= 0)
    {
        if (next >= endLimit || hr != S_OK)
            ended = true;
        return false;
    }
    bufferedCount = std::min(count, RecordsPerRead);
    readIndex = 0;
    return true;
}

void EventWrapper::Seek(int32_t tick)
{
    if (!source || Position() == tick)
        return;
    if (tick >= endLimit)
    {
        ended = true;
        return;
    }
    ended = false;
    if (bufferedCount > 0 && TickAt(0) <= tick && tick <= TickAt(bufferedCount - 1))
    {
        readIndex = 0;
        while (TickAt(readIndex) < tick)
            ++readIndex;
        return;
    }
    ResetBuffer();
    source->Seek(CalcSeekForward, tick, 0, tick + 1);
    int32_t position = 0;
    source->GetPosition(&position);
    if (position == NoTickLimit)
        ended = true;
}

void EventWrapper::SetPosition(int32_t tick)
{
    positionSet = true;
    if (!source)
        return;
    if (!SeekAsCalculation(source.Get(), tick))
        source->Seek(CalcSeekForward, tick, tick, tick + 1);
    ForgetReadAhead();
}

void EventWrapper::GetTimeBase(TimeBase* timeBase)
{
    if (!timeBase)
        return;
    if (source)
        source->GetTimeBase(timeBase);
    else
        *timeBase = TimeBase{};
}

} // namespace EEH3
