// "Sistra Parameter Selector" and "Sistra PVA Parameter Selector": turn loop records, or the records of
// "PvaCalc", into plain events carrying one hemodynamic parameter each, one event per record, so that
// the host can plot a parameter as a channel or table it beat by beat.
#pragma once

#include "calc/engine/CalcEnumBase.h"
#include "hostapi/CalcEventRecords.h"

#include <cstddef>

namespace Sistra::Enum
{

// Loop records in, the parameter of index calcIndex (1-31) out, scaled by the unit-prefix factors.
// Positioning requests go straight to the source.
class Selector : public CalcEnums::CalcEnumEventBase
{
public:
    Selector(IUnknown* context, uint32_t creationArgument) : CalcEnumEventBase(context, creationArgument) {}

    // ICalcEnum
    // "Calc Index" (rounded to the nearest integer), "Pressure Prefix Factor", "Volume Prefix Factor";
    // left out: index 0 (no parameter) and factors 1.
    HRESULT STDMETHODCALLTYPE ReadArguments(IUnknown* arguments, uint32_t* flags) override;
    HRESULT STDMETHODCALLTYPE Clone(IUnknown* outer, ICalcEnum** clone) override;
    // Takes the first source; refused (E_FAIL) when it gives no events or records of another kind.
    HRESULT STDMETHODCALLTYPE Start(int32_t record, uint32_t sourceCount, IUnknown* const* sources,
                                    IUnknown* const* units, double sampleInterval, int32_t startTick,
                                    int32_t endTick) override;
    HRESULT STDMETHODCALLTYPE Seek(int32_t tick) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE GetSourceCount(uint32_t* count) override;
    HRESULT STDMETHODCALLTYPE GetRecord(int32_t* record) override;
    HRESULT STDMETHODCALLTYPE GetSampleInfo(double* sampleInterval, IUnknown** unit) override;
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override;

    // IEnumEventEx
    HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                   int32_t* nextPosition) override;
    HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd) override;
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override;
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override;
    // The selector's own records, whatever the source's are.
    HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) override;
    HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown** unit) override;
    HRESULT STDMETHODCALLTYPE GetEventCount(int32_t* count) override;

    int32_t CalcIndex() const { return calcIndex; }
    double PressureFactor() const { return pressureFactor; }
    double VolumeFactor() const { return volumeFactor; }

protected:
    // The size of the source records this selector reads.
    virtual std::size_t SourceRecordSize() const { return sizeof(SistraEvent); }
    // The value of one source record.
    virtual double ValueOf(const std::byte* record) const;
    // A selector of the same kind with no source, aggregated when outer is given.
    virtual Selector* NewOfSameKind(IUnknown* outer) const;
    // The host gets back the index alone; the two factors are not written.
    Orv::String WrittenArgumentText() const override;

    template <class T>
    static Selector* NewSelector(IUnknown* outer, IUnknown* context, uint32_t creationArgument)
    {
        return outer ? new CalcEnums::CalcEnumAgg<T>(outer, context, creationArgument)
                     : new T(context, creationArgument);
    }

    int32_t calcIndex = 0;
    double pressureFactor = 1.0;
    double volumeFactor = 1.0;

private:
    HRESULT SetSource(IUnknown* candidate);
    // The source's ICalcEnum, when it is a calculation of its own.
    Orv::ComPtr<ICalcEnum> SourceCalc() const;

    Orv::ComPtr<IEnumEventEx> source;
    std::size_t sourceStride = 0;
    int32_t record = 0;
    double sampleInterval = 0.0;
};

// PVA records in: index 26 (PVA), 27 (PE) or 28 (cardiac efficiency) out.
class PVASelector : public Selector
{
public:
    using Selector::Selector;

protected:
    std::size_t SourceRecordSize() const override { return sizeof(PVAEvent); }
    double ValueOf(const std::byte* record) const override;
    Selector* NewOfSameKind(IUnknown* outer) const override;
};

// "Calc Index": value + 0.5, truncated; NaN selects nothing (0) and values beyond int32 are clamped.
int32_t RoundCalcIndex(double value);

} // namespace Sistra::Enum
