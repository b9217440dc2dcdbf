#include "calc/pva/ParamSelectors.h"

#include "foundation/com/ComBoundary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>
#include <vector>

namespace Sistra::Enum
{
namespace
{

// Source records read per call of the source, so that a large request needs no large buffer.
constexpr int32_t SourceRecordsPerRead = 64;
constexpr auto OutputRecordSize = static_cast<int32_t>(sizeof(OrvEventBase));

double ReadNumber(std::wistream& in, double absent)
{
    double value = 0.0;
    return in >> value ? value : absent;
}

} // namespace

int32_t RoundCalcIndex(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::trunc(value + 0.5);
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(rounded, lowest, highest));
}

HRESULT STDMETHODCALLTYPE Selector::ReadArguments(IUnknown* arguments, uint32_t* flags)
{
    return Orv::CatchReturn([&] {
        argumentText = ArgumentTextOf(arguments);
        std::wistringstream in{std::wstring(argumentText.c_str())};
        in.imbue(std::locale::classic());
        calcIndex = RoundCalcIndex(ReadNumber(in, 0.0));
        pressureFactor = ReadNumber(in, 1.0);
        volumeFactor = ReadNumber(in, 1.0);
        if (flags)
            *flags = CalcKindEvents;
    });
}

Orv::String Selector::WrittenArgumentText() const
{
    return Orv::String(std::to_wstring(calcIndex).c_str());
}

Selector* Selector::NewOfSameKind(IUnknown* outer) const
{
    return NewSelector<Selector>(outer, Context(), CreationArgument());
}

HRESULT STDMETHODCALLTYPE Selector::Clone(IUnknown* outer, ICalcEnum** clone)
{
    if (!clone)
        return E_POINTER;
    *clone = nullptr;
    return Orv::CatchReturn([&]() -> HRESULT {
        Selector* copy = NewOfSameKind(outer);
        copy->argumentText = argumentText;
        copy->calcIndex = calcIndex;
        copy->pressureFactor = pressureFactor;
        copy->volumeFactor = volumeFactor;
        copy->source = source;
        copy->sourceStride = sourceStride;
        copy->record = record;
        copy->sampleInterval = sampleInterval;
        return CalcEnums::HandOutClone(*copy, outer, clone);
    });
}

HRESULT Selector::SetSource(IUnknown* candidate)
{
    Orv::ComPtr<IEnumEventEx> events;
    if (!candidate || FAILED(candidate->QueryInterface(IID_IEnumEventEx, events.PutVoid())) || !events)
        return E_FAIL;
    // Records of another kind would be read as this selector's records: shorter ones past their end.
    int32_t size = 0;
    if (FAILED(events->GetRecordSize(&size)) || size != static_cast<int32_t>(SourceRecordSize()))
        return E_FAIL;
    source = std::move(events);
    sourceStride = static_cast<std::size_t>(size);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Selector::Start(int32_t boundRecord, uint32_t sourceCount, IUnknown* const* sources,
                                          IUnknown* const*, double interval, int32_t, int32_t)
{
    source.Reset();
    sourceStride = 0;
    if (sourceCount > 0 && !sources)
        return E_POINTER;
    record = boundRecord;
    sampleInterval = interval;
    return SetSource(sourceCount > 0 ? sources[0] : nullptr);
}

Orv::ComPtr<ICalcEnum> Selector::SourceCalc() const
{
    return source ? source.As<ICalcEnum>(IID_ICalcEnum) : Orv::ComPtr<ICalcEnum>();
}

HRESULT STDMETHODCALLTYPE Selector::Seek(int32_t tick)
{
    const Orv::ComPtr<ICalcEnum> calc = SourceCalc();
    return calc ? calc->Seek(tick) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE Selector::Stop()
{
    source.Reset();
    sourceStride = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Selector::GetSourceCount(uint32_t* count)
{
    return CalcEnums::AnswerValue(count, 1);
}

HRESULT STDMETHODCALLTYPE Selector::GetRecord(int32_t* boundRecord)
{
    return CalcEnums::AnswerValue(boundRecord, record);
}

HRESULT STDMETHODCALLTYPE Selector::GetSampleInfo(double* interval, IUnknown** unit)
{
    if (interval)
        *interval = sampleInterval;
    if (unit)
        *unit = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Selector::GetTimeBase(TimeBase* timeBase)
{
    return CalcEnums::AnswerTimeBaseOf(source.Get(), timeBase);
}

double Selector::ValueOf(const std::byte* sourceRecord) const
{
    SistraEvent loop;
    std::memcpy(&loop, sourceRecord, sizeof loop);
    return loop.GetScaledParameter(calcIndex, pressureFactor, volumeFactor);
}

HRESULT STDMETHODCALLTYPE Selector::Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                         int32_t* nextPosition)
{
    if (!count || !nextPosition)
        return E_POINTER;
    *count = 0;
    const int32_t wanted = std::max(byteCount, 0) / OutputRecordSize;
    if (wanted > 0 && !records)
        return E_POINTER;
    if (!source)
    {
        *nextPosition = CalcNoMoreEventsTick;
        return S_FALSE;
    }
    return Orv::CatchReturn([&]() -> HRESULT {
        std::vector<std::byte> read(sourceStride * static_cast<std::size_t>(std::min(wanted, SourceRecordsPerRead)));
        HRESULT hr = S_OK;
        do
        {
            const int32_t batch = std::min(wanted - *count, SourceRecordsPerRead);
            int32_t got = 0;
            hr = source->Next(batch * static_cast<int32_t>(sourceStride), limit, read.data(), &got, nextPosition);
            if (FAILED(hr))
                return hr;
            got = std::clamp(got, 0, batch);
            for (int32_t i = 0; i < got; ++i)
            {
                const std::byte* in = read.data() + static_cast<std::size_t>(i) * sourceStride;
                OrvEventBase position;
                std::memcpy(&position, in, sizeof position);
                OrvEventBase out;
                out.SetPosition(position.Position());
                out.value = ValueOf(in);
                std::memcpy(static_cast<std::byte*>(records) + static_cast<std::size_t>(*count) * sizeof out, &out,
                            sizeof out);
                ++*count;
            }
            if (got < batch)
                break;
        } while (hr == S_OK && *count < wanted);
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE Selector::Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd)
{
    return source ? source->Seek(direction, tick, rangeStart, rangeEnd) : E_UNEXPECTED;
}

HRESULT STDMETHODCALLTYPE Selector::GetPosition(int32_t* tick)
{
    if (!tick)
        return E_POINTER;
    if (!source)
    {
        *tick = CalcNoMoreEventsTick;
        return S_FALSE;
    }
    return source->GetPosition(tick);
}

HRESULT STDMETHODCALLTYPE Selector::GetDataFormat(uint16_t* format)
{
    if (!format)
        return E_POINTER;
    *format = 0;
    return source ? source->GetDataFormat(format) : S_OK;
}

HRESULT STDMETHODCALLTYPE Selector::GetRecordSize(int32_t* bytes)
{
    return CalcEnums::AnswerValue(bytes, OutputRecordSize);
}

HRESULT STDMETHODCALLTYPE Selector::GetUnitName(IUnknown** unit)
{
    if (!unit)
        return E_POINTER;
    *unit = nullptr;
    return source ? source->GetUnitName(unit) : E_UNEXPECTED;
}

HRESULT STDMETHODCALLTYPE Selector::GetEventCount(int32_t* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return source ? source->GetEventCount(count) : E_UNEXPECTED;
}

double PVASelector::ValueOf(const std::byte* sourceRecord) const
{
    PVAEvent pva;
    std::memcpy(&pva, sourceRecord, sizeof pva);
    bool isPressure = false;
    bool isVolume = false;
    double value = pva.GetParameter(calcIndex, &isPressure, &isVolume);
    if (isPressure)
        value *= pressureFactor;
    if (isVolume)
        value *= volumeFactor;
    return value;
}

Selector* PVASelector::NewOfSameKind(IUnknown* outer) const
{
    return NewSelector<PVASelector>(outer, Context(), CreationArgument());
}

} // namespace Sistra::Enum
