// The host-facing event enumerator of a detector-style calculation function. X names the detector's
// Algorithm (and may add members of the detector's own that its enumerator carries); N is the function's
// small integer, kept for the host.
#pragma once

#include "calc/engine/CalcEnumBase.h"
#include "calc/engine/DetectorEnumeratorCore.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/numbers/Units.h"
#include "hostframework/services/UnitConversion.h"

#include <algorithm>
#include <locale>
#include <sstream>

namespace EEH3
{

// The unit of an enumerator's output.
class EnumeratorBase
{
public:
    virtual ~EnumeratorBase() = default;
    // A new host unit named "?" without a prefix: the events carry no unit of their own.
    virtual HRESULT GetUnitName(IUnknown** unit)
    {
        if (!unit)
            return E_POINTER;
        *unit = nullptr;
        IHostUnit* hostUnit = nullptr;
        const HRESULT hr = CreateHostUnit(Orv::PrefixedUnit(L"?"), &hostUnit);
        *unit = hostUnit;
        return hr;
    }
};

template <class X, int N>
class EEH3Enumerator : public CalcEnums::CalcEnumEventBase, public X, public EnumeratorBase
{
public:
    using Algorithm = typename X::Algorithm;
    using Event = typename Algorithm::Event;
    static constexpr int Number = N;

    EEH3Enumerator(IUnknown* context, uint32_t creationArgument) : CalcEnumEventBase(context, creationArgument)
    {
        core.Parameters().context = Context();
    }

    // ICalcEnum
    HRESULT STDMETHODCALLTYPE ReadArguments(IUnknown* arguments, uint32_t* flags) override
    {
        return Orv::CatchReturn([&] {
            argumentText = ArgumentTextOf(arguments);
            core.SetArguments(argumentText.c_str());
            if (flags)
                *flags = 0;
        });
    }

    // The parameters' own writer, in the classic locale, up to the terminating zero it ends with.
    Orv::String WrittenArgumentText() const override
    {
        std::wostringstream out;
        out.imbue(std::locale::classic());
        core.Parameters().Write(out);
        // The zero ends the text, as it ends a C string.
        return Orv::String(out.str().c_str());
    }

    HRESULT STDMETHODCALLTYPE Clone(IUnknown* outer, ICalcEnum** clone) override
    {
        if (!clone)
            return E_POINTER;
        *clone = nullptr;
        return Orv::CatchReturn([&]() -> HRESULT {
            auto* copy = new CalcEnums::CalcEnumAgg<EEH3Enumerator>(outer, Context(), CreationArgument());
            copy->argumentText = argumentText;
            copy->core.SetArguments(argumentText.c_str());
            try
            {
                core.CopyBindingInto(copy->core);
            }
            catch (...)
            {
                copy->DeleteThis();
                throw;
            }
            return CalcEnums::HandOutClone(*copy, outer, clone);
        });
    }

    HRESULT STDMETHODCALLTYPE Start(int32_t record, uint32_t sourceCount, IUnknown* const* sources, IUnknown* const*,
                                    double sampleInterval, int32_t startTick, int32_t) override
    {
        if (sourceCount > 0 && !sources)
            return E_POINTER;
        return Orv::CatchReturn([&] { core.Bind(record, sourceCount, sources, sampleInterval, startTick); });
    }

    HRESULT STDMETHODCALLTYPE Seek(int32_t tick) override
    {
        return Orv::CatchReturn([&] { core.MoveTo(tick); });
    }

    HRESULT STDMETHODCALLTYPE Stop() override
    {
        core.Unbind();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetSourceCount(uint32_t* count) override
    {
        return CalcEnums::AnswerValue(count, static_cast<uint32_t>(core.Parameters().SourceCount()));
    }

    HRESULT STDMETHODCALLTYPE GetRecord(int32_t* record) override
    {
        return CalcEnums::AnswerValue(record, core.Record());
    }

    HRESULT STDMETHODCALLTYPE GetSampleInfo(double* sampleInterval, IUnknown** unit) override
    {
        if (sampleInterval)
            *sampleInterval = core.Parameters().sampleInterval;
        if (unit)
            *unit = nullptr;
        return S_OK;
    }

    // ICalcEnum 17 and IEnumEventEx 11: the time base of the first source.
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override
    {
        if (!timeBase)
            return E_POINTER;
        *timeBase = TimeBase{};
        if (core.Parameters().SourceCount() > 0)
            core.Parameters().Source(0).GetTimeBase(timeBase);
        return S_OK;
    }

    // IEnumEventEx
    HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                   int32_t* nextPosition) override
    {
        if (!count || !nextPosition || (byteCount >= static_cast<int32_t>(sizeof(Event)) && !records))
            return E_POINTER;
        const int32_t maxRecords = std::max<int32_t>(byteCount, 0) / static_cast<int32_t>(sizeof(Event));
        return Orv::CatchReturn([&] { return core.Next(maxRecords, limit, records, *count, *nextPosition); });
    }

    HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd) override
    {
        return Orv::CatchReturn([&] { return core.Find(direction, tick, rangeStart, rangeEnd); });
    }

    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        return CalcEnums::AnswerValue(tick, core.Cursor());
    }

    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override
    {
        return CalcEnums::AnswerValue(format, 0);
    }

    HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) override
    {
        return CalcEnums::AnswerValue(bytes, static_cast<int32_t>(sizeof(Event)));
    }

    HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown** unit) override { return EnumeratorBase::GetUnitName(unit); }
    HRESULT STDMETHODCALLTYPE GetEventCount(int32_t*) override { return E_NOTIMPL; }

    DetectorEnumeratorCore<Algorithm>& Core() { return core; }

private:
    DetectorEnumeratorCore<Algorithm> core;
};

} // namespace EEH3
