#include "calc/sources/InterEventEnum.h"

#include "calc/tests/FakeHostSources.h"
#include "calc/tests/HeldEnumerator.h"

#include <gtest/gtest.h>

#include <bit>
#include <new>
#include <numeric>

using namespace InterEventEnums;
using CalcTesting::FakeChannel;
using CalcTesting::FakeEvents;
using CalcTesting::Held;

namespace
{

// Each interval's samples doubled.
class Doubling : public InterEventDataEnumBase
{
public:
    using InterEventDataEnumBase::InterEventDataEnumBase;

protected:
    void ProcessInterval() override
    {
        intervalResults.clear();
        for (float sample : intervalSamples)
            intervalResults.push_back(2.0f * sample);
    }
};

// Runs out of memory when it is copied.
class OutOfMemoryOnCopy : public InterEventDataEnumBase
{
public:
    using InterEventDataEnumBase::InterEventDataEnumBase;

protected:
    InterEventDataEnumBase* NewOfSameKind() const override { throw std::bad_alloc(); }
};

std::vector<float> Ramp(int count)
{
    std::vector<float> values(static_cast<std::size_t>(count));
    std::iota(values.begin(), values.end(), 0.0f);
    return values;
}

bool IsNoValue(float sample)
{
    return std::bit_cast<uint32_t>(sample) == InterEventDataEnumBase::NoValueBits;
}

class InterEventEnum : public ::testing::Test
{
protected:
    InterEventEnum() : channel(Ramp(200)), events({100, 150}) {}

    template <class T>
    HRESULT Start(const Held<T>& calc)
    {
        IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel), static_cast<IEnumEventEx*>(&events)};
        return calc->Start(0, 2, sources, nullptr, 0.001, 0, 200);
    }

    std::vector<float> Read(InterEventDataEnumBase* calc, int32_t count, HRESULT* result = nullptr)
    {
        std::vector<float> out(static_cast<std::size_t>(count));
        int32_t fetched = 0;
        const HRESULT hr = calc->Next(count, out.data(), &fetched);
        if (result)
            *result = hr;
        out.resize(static_cast<std::size_t>(fetched));
        return out;
    }

    FakeChannel channel;
    FakeEvents events;
};

} // namespace

TEST_F(InterEventEnum, OutsideTheIntervalsEverySampleHasNoValueInsideThemTheChannelPassesThrough)
{
    Held<InterEventDataEnumBase> calc;
    ASSERT_EQ(S_OK, Start(calc));
    HRESULT hr = E_FAIL;
    const std::vector<float> out = Read(calc.get(), 200, &hr);
    ASSERT_EQ(200u, out.size());
    EXPECT_EQ(S_OK, hr);
    for (int i = 0; i < 200; ++i)
    {
        if (i >= 100 && i < 150)
            EXPECT_EQ(static_cast<float>(i), out[static_cast<std::size_t>(i)]) << i;
        else
            EXPECT_TRUE(IsNoValue(out[static_cast<std::size_t>(i)])) << i; // before the first, after the last
    }
    int32_t position = 0;
    calc->GetPosition(&position);
    EXPECT_EQ(200, position);
}

TEST_F(InterEventEnum, WhileEventsMayStillComeTheOpenIntervalIsHeldBack)
{
    events.complete = false;
    Held<InterEventDataEnumBase> calc;
    ASSERT_EQ(S_OK, Start(calc));
    EXPECT_EQ(150u, Read(calc.get(), 200).size());
}

TEST_F(InterEventEnum, EachIntervalGoesThroughTheComputation)
{
    events = FakeEvents({10, 20, 40});
    Held<Doubling> calc;
    ASSERT_EQ(S_OK, Start(calc));
    const std::vector<float> out = Read(calc.get(), 50);
    ASSERT_EQ(50u, out.size());
    EXPECT_EQ(2.0f * 10, out[10]);
    EXPECT_EQ(2.0f * 39, out[39]);
    EXPECT_TRUE(IsNoValue(out[40]));
}

TEST_F(InterEventEnum, ReadingFromInsideAnIntervalStartsAtThatSample)
{
    Held<InterEventDataEnumBase> calc;
    ASSERT_EQ(S_OK, Start(calc));
    ASSERT_EQ(S_OK, calc->Seek(120));
    const std::vector<float> out = Read(calc.get(), 10);
    ASSERT_EQ(10u, out.size());
    EXPECT_EQ(120.0f, out[0]);
    EXPECT_EQ(129.0f, out[9]);
}

TEST_F(InterEventEnum, StartRefusesWrongSourcesAndDifferentTimeBases)
{
    Held<InterEventDataEnumBase> calc;
    IUnknown* one[] = {static_cast<IEnumFloatEx*>(&channel)};
    EXPECT_EQ(E_FAIL, calc->Start(0, 1, one, nullptr, 0.001, 0, 200));
    IUnknown* noEvents[] = {static_cast<IEnumFloatEx*>(&channel), nullptr};
    EXPECT_EQ(E_FAIL, calc->Start(0, 2, noEvents, nullptr, 0.001, 0, 200));
    channel.timeBase = TimeBase{2, 1, 0.0};
    EXPECT_EQ(E_INVALIDARG, Start(calc));
}

TEST_F(InterEventEnum, FlagsAnswerTheHighRequestAloneAndAddTheLowOnes)
{
    Held<InterEventDataEnumBase> calc;
    uint32_t flags = 0x20000000u;
    calc->QueryFlags(0x40000000u, &flags);
    EXPECT_EQ(0x40000000u, flags);
    flags = 0;
    calc->QueryFlags(0x30000000u, &flags);
    EXPECT_EQ(0x30000000u, flags);
}

TEST_F(InterEventEnum, CloneCarriesOnFromTheSamePlace)
{
    Held<InterEventDataEnumBase> calc;
    ASSERT_EQ(S_OK, Start(calc));
    Read(calc.get(), 120);
    IEnumFloatEx* clone = nullptr;
    ASSERT_EQ(S_OK, calc->Clone(&clone));
    ASSERT_NE(nullptr, clone);
    int32_t position = 0;
    clone->GetPosition(&position);
    EXPECT_EQ(120, position);
    clone->Release();
}

TEST_F(InterEventEnum, CloneWithoutMemoryFailsInsteadOfHandingOutNothing)
{
    Held<OutOfMemoryOnCopy> calc;
    ICalcEnum* clone = reinterpret_cast<ICalcEnum*>(0x1);
    EXPECT_EQ(E_OUTOFMEMORY, calc->Clone(nullptr, &clone));
    EXPECT_EQ(nullptr, clone);
    IEnumFloatEx* floatClone = nullptr;
    EXPECT_EQ(E_OUTOFMEMORY, calc->Clone(&floatClone));
}
