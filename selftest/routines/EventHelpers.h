// What the standard routines share: the base part every event record begins with, the comparison and
// printing of events, the synthetic recordings and the record reader of an event getter.
#pragma once

#include "calc/sources/DataGetters.h"
#include "hostapi/CalcEventRecords.h"
#include "selftest/framework/ETB.h"
#include "selftest/sources/FormulaDataAdder.h"

#include <cstring>
#include <vector>

namespace stdtests
{

// The next unexamined tick of an enumerator that has no further events in the record, and the end tick
// that asks for no limit.
inline constexpr int32_t kRecordEndOffset = 0x7FFFFFFF;

template <class TBufType>
OrvEventBase BaseOf(const TBufType& event)
{
    static_assert(sizeof(TBufType) >= sizeof(OrvEventBase));
    OrvEventBase base;
    std::memcpy(static_cast<void*>(&base), &event, sizeof base);
    return base;
}

// Times within a thousandth of a tick, values both finite and within 1e-5 relative to the first (or
// both below 1e-12), or both not finite.
bool SameEvent(const OrvEventBase& a, const OrvEventBase& b);
// "[time, value]" with six significant digits each.
Orv::String FormatEvent(const OrvEventBase& event);

template <class TBufType>
struct GenericHelper
{
    static bool same(const TBufType& a, const TBufType& b) { return SameEvent(BaseOf(a), BaseOf(b)); }
};
using OrvEventBasehelper = GenericHelper<OrvEventBase>;

// A host document and the adder that filled it.
struct TestRecording
{
    Orv::ComPtr<IUnknown> document;
    Orv::ComPtr<FormulaDataAdder> adder;
};
// A new document; the adder's records are the caller's to make.
TestRecording NewTestRecording();
// records records of ticks ticks from the set-up's sources, then its calculated channels.
TestRecording MakeRecording(const ETB::TestSetup& config, int32_t records, int32_t ticks);

// The event interface of a getter, failing the test when the host opened none.
Orv::ComPtr<IEnumEventEx> OpenedEvents(const ExtLib::EnumGetterBase& getter, const char* sourceFile, int line);

// All events of one record of a getter whose calculation was created; false when it cannot be read.
template <class TBufType>
bool GetRecordData(ExtLib::EnumGetterBase& getter, int32_t record, std::vector<TBufType>& out)
{
    constexpr int32_t BufferRecords = 100;
    out.clear();
    if (!getter.SetSources(TickPosition{record, 0}))
        return false;
    const auto events = getter.GetEnumEventEx();
    if (!events)
        return false;
    out.reserve(BufferRecords);
    std::vector<TBufType> buffer(BufferRecords);
    size_t total = 0;
    for (;;)
    {
        int32_t count = 0;
        int32_t next = 0;
        events->Next(static_cast<int32_t>(sizeof(TBufType)) * BufferRecords, kRecordEndOffset, buffer.data(), &count,
                     &next);
        if (count <= 0)
            break;
        out.insert(out.end(), buffer.begin(), buffer.begin() + std::min(count, BufferRecords));
        total += static_cast<size_t>(count);
    }
    if (out.size() != total)
        return false;
    getter.Stop();
    return true;
}

} // namespace stdtests
