#include "calc/engine/EEH3Enumerator.h"

#include "calc/tests/CrossingDetector.h"
#include "calc/tests/FakeHostSources.h"

#include <gtest/gtest.h>

using namespace EEH3;
using CalcTesting::CrossingDetector;
using CalcTesting::FakeChannel;
using CalcTesting::SquareWave;

namespace
{

using CrossingEnumerator = EEH3Enumerator<CrossingDetector, 8>;

Orv::ComPtr<ICalcEnum> MakeEnumerator(const wchar_t* arguments)
{
    auto* object = new CrossingEnumerator(nullptr, 0);
    Orv::ComPtr<ICalcEnum> calc;
    EXPECT_EQ(S_OK, object->NonDelegatingUnknown()->QueryInterface(IID_ICalcEnum, calc.PutVoid()));
    Orv::String text(arguments);
    uint32_t flags = 1;
    EXPECT_EQ(S_OK, calc->ReadArguments(text.Interface(), &flags));
    return calc;
}

// An outer object that counts the references its aggregated enumerator passes to it.
class CountingOuter : public CalcTesting::StackObject<IUnknown>
{
public:
    int addRefs = 0;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++addRefs; }
};

} // namespace

TEST(EEH3Enumerator, ReadsArgumentsBindsAndHandsOutEventRecords)
{
    FakeChannel channel(SquareWave(5000));
    auto calc = MakeEnumerator(L"0 0.5 -1 -1 -1 -1");
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel)};
    ASSERT_EQ(S_OK, calc->Start(0, 1, sources, nullptr, 0.001, 0, CalcOpenEndTick));
    auto events = calc.As<IEnumEventEx>(IID_IEnumEventEx);
    ASSERT_TRUE(events);

    int32_t size = 0;
    events->GetRecordSize(&size);
    EXPECT_EQ(16, size);
    OrvEventBase records[8];
    int32_t count = 0;
    int32_t next = 0;
    EXPECT_EQ(S_FALSE, events->Next(sizeof(records), LastTick, records, &count, &next));
    ASSERT_EQ(5, count);
    EXPECT_EQ(4500, records[4].tick);
    EXPECT_EQ(LastTick, next);

    ASSERT_EQ(S_OK, events->Seek(CalcSeekForward, 2000, 0, LastTick));
    int32_t position = 0;
    events->GetPosition(&position);
    EXPECT_EQ(2500, position);

    Orv::ComPtr<IOrvString> text;
    ASSERT_EQ(S_OK, calc->GetArgumentText(text.Put()));
    EXPECT_STREQ(L"0 0 2147483647 2147483647", text->GetText()); // the limits, as the parameters write them

    Orv::ComPtr<IUnknown> unit;
    ASSERT_EQ(S_OK, events->GetUnitName(unit.Put()));
    auto hostUnit = unit.As<IHostUnit>(IID_IHostUnit);
    ASSERT_TRUE(hostUnit);
    BSTR unitText = nullptr;
    hostUnit->GetUnitText(&unitText);
    EXPECT_STREQ(L"?", unitText);
    SysFreeString(unitText);
}

TEST(EEH3Enumerator, AnswersItsFacesAndReportsEventFlags)
{
    auto calc = MakeEnumerator(L"0");
    Orv::ComPtr<IUnknown> unknown = calc.As<IUnknown>(IID_IUnknown);
    Orv::ComPtr<IUnknown> again = calc.As<IEnumEventEx>(IID_IEnumEventEx).As<IUnknown>(IID_IUnknown);
    EXPECT_EQ(unknown.Get(), again.Get());
    EXPECT_FALSE(calc.As<IEnumFloatEx>(IID_IEnumFloatEx));
    uint32_t flags = 7;
    calc->QueryFlags(1, &flags);
    EXPECT_EQ(CalcKindEvents, flags);
    calc->QueryFlags(0, &flags);
    EXPECT_EQ(0u, flags);
}

TEST(EEH3Enumerator, AggregatedEnumeratorPassesItsReferencesToTheOuterObject)
{
    CountingOuter outer;
    auto* object = new CalcEnums::CalcEnumAgg<CrossingEnumerator>(&outer, nullptr, 0u);
    IUnknown* inner = object->NonDelegatingUnknown();
    inner->AddRef();
    ICalcEnum* calc = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_ICalcEnum, reinterpret_cast<void**>(&calc)));
    calc->AddRef();
    EXPECT_EQ(2, outer.addRefs); // the query's reference and this one
    calc->Release();
    calc->Release();
    inner->Release(); // the outer object's own reference: deletes the enumerator
}

TEST(EEH3Enumerator, CloneCarriesTheArgumentsButNotTheBinding)
{
    auto calc = MakeEnumerator(L"0 0.25 0 10 0 20");
    Orv::ComPtr<ICalcEnum> copy;
    ASSERT_EQ(S_OK, calc->Clone(nullptr, copy.Put()));
    Orv::ComPtr<IOrvString> text;
    copy->GetArgumentText(text.Put());
    EXPECT_STREQ(L"0 10 0 20", text->GetText());
    auto events = copy.As<IEnumEventEx>(IID_IEnumEventEx);
    int32_t count = 1;
    int32_t next = 0;
    OrvEventBase record;
    EXPECT_EQ(S_FALSE, events->Next(sizeof(record), LastTick, &record, &count, &next));
    EXPECT_EQ(0, count);
}

// Its copy cannot share a source that hands out no copy of its own: it is bound by its own Start.
TEST(EEH3Enumerator, CopyOverSourcesThatCannotBeCopiedWaitsForItsOwnStart)
{
    FakeChannel channel(SquareWave(5000));
    auto calc = MakeEnumerator(L"0 0.5");
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel)};
    ASSERT_EQ(S_OK, calc->Start(0, 1, sources, nullptr, 0.001, 0, CalcOpenEndTick));
    Orv::ComPtr<ICalcEnum> copy;
    ASSERT_EQ(S_OK, calc->Clone(nullptr, copy.Put()));
    auto events = copy.As<IEnumEventEx>(IID_IEnumEventEx);
    OrvEventBase records[8];
    int32_t count = 1;
    int32_t next = 0;
    EXPECT_EQ(S_FALSE, events->Next(sizeof(records), LastTick, records, &count, &next));
    EXPECT_EQ(0, count);
    FakeChannel own(SquareWave(5000));
    IUnknown* ownSources[] = {static_cast<IEnumFloatEx*>(&own)};
    ASSERT_EQ(S_OK, copy->Start(0, 1, ownSources, nullptr, 0.001, 0, CalcOpenEndTick));
    events->Next(sizeof(records), LastTick, records, &count, &next);
    EXPECT_EQ(5, count);
}
