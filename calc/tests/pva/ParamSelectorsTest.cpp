#include "calc/pva/ParamSelectors.h"

#include "calc/engine/CalcClassObjects.h"
#include "calc/engine/MissingValue.h"
#include "calc/tests/SyntheticLoops.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace Sistra;
using CalcTesting::FakeRecordEvents;

namespace
{

constexpr double PressureFactor = 2.0;
constexpr double VolumeFactor = 1000.0;

// A selector made by its class object, given its argument text and bound to one source.
struct BoundSelector
{
    BoundSelector(CalcEnums::CalcEnumClassBase2& classObject, const wchar_t* arguments, IUnknown* source)
    {
        EXPECT_EQ(S_OK, classObject.CreateEnum(nullptr, 0, calc.Put()));
        Orv::String text(arguments);
        uint32_t flags = 0;
        EXPECT_EQ(S_OK, calc->ReadArguments(text.Interface(), &flags));
        EXPECT_EQ(CalcKindEvents, flags);
        startResult = calc->Start(0, source ? 1 : 0, &source, nullptr, 0.001, 0, CalcOpenEndTick);
        events = calc.As<IEnumEventEx>(IID_IEnumEventEx);
    }

    std::vector<OrvEventBase> ReadAll(int32_t perRead = 4)
    {
        std::vector<OrvEventBase> out(static_cast<std::size_t>(perRead));
        std::vector<OrvEventBase> all;
        for (;;)
        {
            int32_t count = 0, next = 0;
            const HRESULT hr = events->Next(perRead * static_cast<int32_t>(sizeof(OrvEventBase)), CalcNoMoreEventsTick,
                                            out.data(), &count, &next);
            all.insert(all.end(), out.begin(), out.begin() + count);
            if (hr != S_OK || count == 0)
                return all;
        }
    }

    Orv::ComPtr<ICalcEnum> calc;
    Orv::ComPtr<IEnumEventEx> events;
    HRESULT startResult = E_FAIL;
};

// A loop whose fields all differ, so that each index shows which field it reads.
SistraEvent DistinctLoop(int32_t tick)
{
    SistraEvent loop;
    loop.base = OrvEventBase{tick, 0.0f, 13.0};
    loop.firstTick = tick;
    loop.sw = 11, loop.sv = 3, loop.vmax = 4, loop.vmin = 5, loop.ves = 6, loop.ved = 7, loop.pmax = 80;
    loop.pmin = 9, loop.pmean = 10, loop.pes = 12, loop.ped = 13, loop.hr = 14, loop.ef = 15, loop.powMax = 17;
    loop.dpdtMax = 18, loop.dpdtMin = 19, loop.dvdtMax = 20, loop.dvdtMin = 21, loop.pAtDvdtMax = 22;
    loop.pAtDpdtMax = 23, loop.vAtDpdtMax = 24, loop.vAtDpdtMin = 25, loop.tau = 29, loop.espvrSlope = 30;
    loop.piso = 31;
    return loop;
}

struct Expected
{
    double raw;
    const char* units; // P: × pressure factor, V: × volume factor, /: ÷ volume factor
};

// Index 1-31 of DistinctLoop, by the parameter table.
const Expected ByIndex[31] = {
    {11, "PV"}, {42, "V"}, {3, "V"},  {4, "V"},  {5, "V"},   {6, "V"},  {7, "V"},  {80, "P"}, {9, "P"},
    {10, "P"},  {71, "P"}, {12, "P"}, {13, "P"}, {14, ""},   {15, ""},  {4, "P/"}, {17, "PV"}, {18, "P"},
    {19, "P"},  {20, "V"}, {21, "V"}, {22, "P"}, {23, "P"},  {24, "V"}, {25, "V"}, {0, ""},   {0, ""},
    {0, ""},    {29, ""},  {30, "P/"}, {31, "P"}};

double Scaled(const Expected& e)
{
    const std::string units = e.units;
    double value = e.raw;
    if (units.find('P') != std::string::npos)
        value *= PressureFactor;
    if (units.find('V') != std::string::npos)
        value *= VolumeFactor;
    if (units.find('/') != std::string::npos)
        value /= VolumeFactor;
    return value;
}

std::wstring SelectorArguments(double index)
{
    return std::to_wstring(index) + L" " + std::to_wstring(PressureFactor) + L" " + std::to_wstring(VolumeFactor);
}

PVAEvent PvaRecord(int32_t tick, double pva, double pe, double sw)
{
    PVAEvent record;
    record.base = OrvEventBase{tick, 0.0f, 1.0};
    record.pva = pva;
    record.pe = pe;
    record.strokeWork = sw;
    return record;
}

} // namespace

TEST(ParamSelector, EachIndexReadsItsParameterScaledByItsUnits)
{
    for (int index = 1; index <= 31; ++index)
    {
        FakeRecordEvents<SistraEvent> loops({DistinctLoop(100), DistinctLoop(200)});
        BoundSelector selector(CalcEnums::ParamSelectorClassObject(), SelectorArguments(index).c_str(),
                               static_cast<IEnumEventEx*>(&loops));
        ASSERT_EQ(S_OK, selector.startResult);
        const std::vector<OrvEventBase> values = selector.ReadAll();
        ASSERT_EQ(2u, values.size());
        EXPECT_EQ(200, values[1].tick);
        EXPECT_DOUBLE_EQ(Scaled(ByIndex[index - 1]), values[1].value) << "index " << index;
    }
}

TEST(ParamSelector, IndexRoundsHalvesUpAndOutOfRangeIndicesGiveZero)
{
    EXPECT_EQ(3, Enum::RoundCalcIndex(2.5));
    EXPECT_EQ(2, Enum::RoundCalcIndex(2.49));
    EXPECT_EQ(0, Enum::RoundCalcIndex(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(std::numeric_limits<int32_t>::max(), Enum::RoundCalcIndex(1e300));
    EXPECT_EQ(std::numeric_limits<int32_t>::min(), Enum::RoundCalcIndex(-1e300));
    for (const wchar_t* text : {L"2.5 1 1", L"0 1 1", L"32 1 1", L"nan 1 1", L""})
    {
        FakeRecordEvents<SistraEvent> loops({DistinctLoop(100)});
        BoundSelector selector(CalcEnums::ParamSelectorClassObject(), text, static_cast<IEnumEventEx*>(&loops));
        const std::vector<OrvEventBase> values = selector.ReadAll();
        ASSERT_EQ(1u, values.size()) << text;
        EXPECT_EQ(std::wstring(text) == L"2.5 1 1" ? 3.0 : 0.0, values[0].value) << text;
    }
}

TEST(ParamSelector, ClosingRecordsAndMissingValuesPassAsNaN)
{
    SistraEvent closing = DistinctLoop(300);
    closing.state = LoopStateClosing;
    SistraEvent noTau = DistinctLoop(200);
    noTau.tau = MissingValue();
    FakeRecordEvents<SistraEvent> loops({DistinctLoop(100), noTau, closing});
    BoundSelector selector(CalcEnums::ParamSelectorClassObject(), L"29 1 1", static_cast<IEnumEventEx*>(&loops));
    const std::vector<OrvEventBase> values = selector.ReadAll();
    ASSERT_EQ(3u, values.size());
    EXPECT_EQ(29.0, values[0].value);
    EXPECT_TRUE(std::isnan(values[1].value));
    EXPECT_EQ(300, values[2].tick);
    EXPECT_TRUE(std::isnan(values[2].value));
}

TEST(ParamSelector, PositionIsRoundedToTheNearestTick)
{
    SistraEvent loop = DistinctLoop(10);
    loop.base.fraction = 0.6f;
    FakeRecordEvents<SistraEvent> loops({loop});
    BoundSelector selector(CalcEnums::ParamSelectorClassObject(), L"3", static_cast<IEnumEventEx*>(&loops));
    const std::vector<OrvEventBase> values = selector.ReadAll();
    ASSERT_EQ(1u, values.size());
    EXPECT_EQ(11, values[0].tick);
    EXPECT_NEAR(-0.4, values[0].fraction, 1e-6);
    EXPECT_EQ(3.0, values[0].value); // factors left out are 1
}

TEST(ParamSelector, LargeRequestsAreReadInPartsAndEndWithTheSource)
{
    std::vector<SistraEvent> many;
    for (int32_t i = 1; i <= 150; ++i)
        many.push_back(DistinctLoop(i * 10));
    FakeRecordEvents<SistraEvent> loops(many);
    BoundSelector selector(CalcEnums::ParamSelectorClassObject(), L"3", static_cast<IEnumEventEx*>(&loops));
    std::vector<OrvEventBase> out(1000);
    int32_t count = 0, next = 0;
    EXPECT_EQ(S_FALSE, selector.events->Next(1000 * sizeof(OrvEventBase), CalcNoMoreEventsTick, out.data(), &count,
                                             &next));
    ASSERT_EQ(150, count);
    EXPECT_EQ(1500, out[149].tick);
    EXPECT_EQ(CalcNoMoreEventsTick, next);
}

TEST(ParamSelector, WaitsWithItsSourceForOnlineData)
{
    FakeRecordEvents<SistraEvent> loops({DistinctLoop(100), DistinctLoop(200)});
    loops.available = 1;
    loops.complete = false;
    BoundSelector selector(CalcEnums::ParamSelectorClassObject(), L"3", static_cast<IEnumEventEx*>(&loops));
    OrvEventBase out[4];
    int32_t count = 0, next = 0;
    EXPECT_EQ(S_OK, selector.events->Next(sizeof out, CalcNoMoreEventsTick, out, &count, &next));
    EXPECT_EQ(1, count);
    EXPECT_EQ(S_OK, selector.events->Next(sizeof out, CalcNoMoreEventsTick, out, &count, &next));
    EXPECT_EQ(0, count);
    EXPECT_EQ(101, next);
    loops.available = 2;
    loops.complete = true;
    EXPECT_EQ(S_FALSE, selector.events->Next(sizeof out, CalcNoMoreEventsTick, out, &count, &next));
    ASSERT_EQ(1, count);
    EXPECT_EQ(200, out[0].tick);
}

TEST(ParamSelector, SourcesOfOtherRecordsOrNoEventsAreRefused)
{
    CalcTesting::FakeChannel channel({1, 2, 3});
    CalcTesting::FakeEdpEvents edps({10, 20});
    FakeRecordEvents<PVAEvent> pvas({PvaRecord(10, 1, 1, 1)});
    FakeRecordEvents<SistraEvent> loops({DistinctLoop(10)});
    EXPECT_EQ(E_FAIL, BoundSelector(CalcEnums::ParamSelectorClassObject(), L"3", static_cast<IEnumFloatEx*>(&channel))
                          .startResult);
    EXPECT_EQ(E_FAIL,
              BoundSelector(CalcEnums::ParamSelectorClassObject(), L"3", static_cast<IEnumEventEx*>(&edps)).startResult);
    EXPECT_EQ(E_FAIL,
              BoundSelector(CalcEnums::ParamSelectorClassObject(), L"3", static_cast<IEnumEventEx*>(&pvas)).startResult);
    EXPECT_EQ(E_FAIL, BoundSelector(CalcEnums::PVAParamSelectorClassObject(), L"26", static_cast<IEnumEventEx*>(&loops))
                          .startResult);
    EXPECT_EQ(E_FAIL, BoundSelector(CalcEnums::ParamSelectorClassObject(), L"3", nullptr).startResult);
}

TEST(ParamSelector, OwnRecordSizeBeforeAndAfterBindingAndCloneKeepsTheSettings)
{
    FakeRecordEvents<SistraEvent> loops({DistinctLoop(100)});
    BoundSelector selector(CalcEnums::ParamSelectorClassObject(), L"8 2 1000", static_cast<IEnumEventEx*>(&loops));
    int32_t size = 0;
    EXPECT_EQ(S_OK, selector.events->GetRecordSize(&size));
    EXPECT_EQ(16, size);
    Orv::ComPtr<IEnumEventEx> copy;
    ASSERT_EQ(S_OK, selector.events->Clone(copy.Put()));
    OrvEventBase out[2];
    int32_t count = 0, next = 0;
    copy->Next(sizeof out, CalcNoMoreEventsTick, out, &count, &next);
    ASSERT_EQ(1, count);
    EXPECT_EQ(160.0, out[0].value); // Pmax 80 × 2
}

TEST(PVAParamSelector, AreaAndEnergyScaleByBothFactorsEfficiencyByNeither)
{
    FakeRecordEvents<PVAEvent> records({PvaRecord(100, 8000, 3000, 5000), PvaRecord(200, MissingValue(), 0, 5000)});
    for (const auto& [index, expected] :
         {std::pair{26, 8000.0 * PressureFactor * VolumeFactor}, std::pair{27, 3000.0 * PressureFactor * VolumeFactor},
          std::pair{28, 5000.0 / 8000.0}, std::pair{1, 0.0}})
    {
        records.cursor = 0;
        BoundSelector selector(CalcEnums::PVAParamSelectorClassObject(), SelectorArguments(index).c_str(),
                               static_cast<IEnumEventEx*>(&records));
        ASSERT_EQ(S_OK, selector.startResult);
        const std::vector<OrvEventBase> values = selector.ReadAll();
        ASSERT_EQ(2u, values.size());
        EXPECT_DOUBLE_EQ(expected, values[0].value) << "index " << index;
        // A record without a result gives the marker NaN whatever the index.
        EXPECT_TRUE(IsMissingValue(values[1].value)) << "index " << index;
    }
}
