#include "hostframework/HostDataAccess.h"

#include "foundation/com/ComPtr.h"
#include "hostframework/UnitConversion.h"

int64_t CountSamplesInRange(IHostDocument* document, int32_t channel, int32_t firstRecord, int32_t firstTick,
                            int32_t lastRecord, int32_t lastTick)
{
    if (!document || firstRecord > lastRecord)
        return 0;
    int64_t total = 0;
    for (int32_t record = firstRecord; record <= lastRecord; ++record)
    {
        int32_t count = 0;
        ULONG_PTR handle = 0;
        if (SUCCEEDED(document->GetRecordHandle(record, &handle)))
            document->GetSampleCount(HostSampleCountRequest, handle, channel, &count);
        const int64_t end = record == lastRecord ? lastTick : count;
        const int64_t start = record == firstRecord ? firstTick : 0;
        total += end - start;
    }
    return total;
}

bool ReadChannelUnits(IHostDocument* document, int32_t channel, int32_t record, Orv::PrefixedUnit& unit)
{
    if (!document)
        return false;
    Orv::ComPtr<IUnitConversion> conversion;
    if (document->GetChannelConversion(HostUnsetPosition, record, channel, conversion.Put()) != S_OK || !conversion)
    {
        conversion = nullptr;
        document->GetChannelConversion(HostUnsetPosition, HostDefaultRecord, channel, conversion.Put());
    }
    ConversionUnits units;
    if (!conversion || FAILED(ReadConversionUnits(*conversion.Get(), units)))
        return false;
    unit = units.Unit();
    return true;
}

bool HasChannelObjectAt(IHostDocument* document, int32_t record, int32_t channel)
{
    if (!document)
        return false;
    Orv::ComPtr<IUnknown> object;
    return SUCCEEDED(document->GetChannelData(HostChannelUnitsRequest, record, channel, object.Put())) && object;
}
