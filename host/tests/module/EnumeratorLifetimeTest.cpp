// How the host holds the module's enumerators: a copy of a bound enumerator reads on by itself, and a
// recording of many records costs the same per record however many there are.
#include "host/app/calc/CalcEnumAdaptors.h"
#include "host/app/calc/ModuleCalcFunctions.h"
#include "host/tests/CalcTestSupport.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/module/CrossingFunction.h"

#include "foundation/tests/AllocationWatch.h"

#include <gtest/gtest.h>

using namespace Host;
using namespace Host::Calc;

namespace
{

std::vector<int32_t> ReadTicks(IUnknown* calculation)
{
    Orv::ComPtr<IEnumEventEx> events;
    calculation->QueryInterface(IID_IEnumEventEx, events.PutVoid());
    std::vector<int32_t> ticks;
    OrvEventBase records[2];
    for (;;)
    {
        int32_t count = 0, next = 0;
        const HRESULT hr = events->Next(sizeof(records), CalcNoMoreEventsTick, records, &count, &next);
        for (int32_t i = 0; i < count; ++i)
            ticks.push_back(records[i].tick);
        if (hr != S_OK || count == 0)
            return ticks;
    }
}

// The bytes a whole read of records of two samples each (one crossing each) leaves held.
std::ptrdiff_t BytesHeldForRecords(size_t count)
{
    const Recording recording =
        HostTests::MakeRecording(0.001, std::vector<std::vector<std::vector<float>>>(count, {{0.0f, 1.0f}}));
    const ModuleFunctionTable table(recording, HostTests::StandIn());
    const auto compiled = HostTests::Compile(recording, "CrossDet(ch1, 0.5)", table.Lookup());
    const std::ptrdiff_t before = AllocationWatch::liveBytes;
    EventCursor cursor(recording, compiled.events);
    for (size_t record = 0; record < count; ++record)
    {
        cursor.Bind(record);
        std::vector<std::byte> records;
        while (cursor.Next(8, RecordEndTick, records).status != ReadStatus::End)
        {
        }
        EXPECT_EQ(1u, records.size() / cursor.RecordSize()) << record;
    }
    return AllocationWatch::liveBytes - before;
}

} // namespace

TEST(ModuleEnumeratorCopy, CarriesTheBindingAndCursorAndReadsOnByItself)
{
    HostTests::RegisterCrossingFunction();
    const Recording recording = HostTests::MakeRecording(0.001, {{CalcTesting::SquareWave(5000)}});
    Orv::ComPtr<ICalcEnum> calc;
    ASSERT_EQ(S_OK, HostTests::CrossingClassObject().CreateEnum(nullptr, 0, calc.Put()));
    Orv::String text(L"0 0.5");
    uint32_t flags = 0;
    ASSERT_EQ(S_OK, calc->ReadArguments(text.Interface(), &flags));
    Orv::ComPtr<IUnknown> channel(
        static_cast<IEnumFloatEx*>(new ChannelEnumAdaptor(recording, MakeRecordedChannel(recording, 0), 0)));
    IUnknown* sources[] = {channel.Get()};
    ASSERT_EQ(S_OK, calc->Start(0, 1, sources, nullptr, 0.001, 0, CalcOpenEndTick));
    ASSERT_EQ(S_OK, calc->Seek(2000));

    Orv::ComPtr<ICalcEnum> copy;
    ASSERT_EQ(S_OK, calc->Clone(nullptr, copy.Put()));
    EXPECT_EQ((std::vector<int32_t>{2500, 3500, 4500}), ReadTicks(copy.Get()));
    EXPECT_EQ((std::vector<int32_t>{2500, 3500, 4500}), ReadTicks(calc.Get()));
    ASSERT_EQ(S_OK, copy->Seek(0));
    EXPECT_EQ((std::vector<int32_t>{500, 1500, 2500, 3500, 4500}), ReadTicks(copy.Get()));
}

TEST(ModuleEnumeratorMemory, ManyShortRecordsCostTheSamePerRecord)
{
    HostTests::RegisterCrossingFunction();
    const std::ptrdiff_t few = BytesHeldForRecords(1000);
    const std::ptrdiff_t many = BytesHeldForRecords(4000);
    EXPECT_LT(many, 5 * few) << few << " bytes for 1000 records, " << many << " for 4000";
}
