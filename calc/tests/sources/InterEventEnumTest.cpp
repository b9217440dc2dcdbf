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

// The fake's events as a list of event objects: each element hands out a counted object, so that a test
// sees how many the reader still holds.
class FakeObjectEvents : public CalcTesting::StackObject<IEnumObjectEvents>
{
public:
    explicit FakeObjectEvents(std::vector<int32_t> ticks) : records(std::move(ticks)) {}

    HRESULT STDMETHODCALLTYPE Next(int32_t count, CalcObjectEvent* elements, int32_t* fetched) override
    {
        std::vector<OrvEventBase> read(static_cast<std::size_t>(count));
        int32_t next = 0;
        const HRESULT hr = records.Next(count * static_cast<int32_t>(sizeof(OrvEventBase)), CalcNoMoreEventsTick,
                                        read.data(), fetched, &next);
        for (int32_t i = 0; i < *fetched; ++i)
            elements[i] = {read[static_cast<std::size_t>(i)].tick, 0.0f, new Counted(live)};
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd) override
    {
        return records.Seek(direction, tick, rangeStart, rangeEnd);
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override { return records.GetPosition(tick); }
    HRESULT STDMETHODCALLTYPE Clone(IEnumObjectEvents**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetElementSize(int32_t* bytes) override
    {
        *bytes = sizeof(CalcObjectEvent);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* out) override { return records.GetTimeBase(out); }

    FakeEvents records;
    int live = 0; // objects handed out and not yet released

private:
    // Handed out with the caller's one reference.
    class Counted final : public IUnknown
    {
    public:
        explicit Counted(int& live) : live_(live) { ++live_; }
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
        {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
        ULONG STDMETHODCALLTYPE Release() override
        {
            if (--count_ > 0)
                return count_;
            --live_;
            delete this;
            return 0;
        }

    private:
        int& live_;
        ULONG count_ = 1;
    };
};

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

// Events read from a list of event objects, more of them than one read-ahead holds, bound the intervals
// their records bound; the objects are let go as the read-ahead is used up, and all of them at Stop.
TEST_F(InterEventEnum, AListOfEventObjectsBoundsTheIntervalsItsRecordsBound)
{
    const std::vector<int32_t> ticks{5, 12, 20, 33, 41, 50, 64, 70, 88, 101, 120, 131, 150, 177};
    events = FakeEvents(ticks);
    Held<Doubling> fromRecords;
    ASSERT_EQ(S_OK, Start(fromRecords));
    FakeObjectEvents list(ticks);
    Held<Doubling> fromObjects;
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel), static_cast<IEnumObjectEvents*>(&list)};
    ASSERT_EQ(S_OK, fromObjects->Start(0, 2, sources, nullptr, 0.001, 0, 200));
    const std::vector<float> expected = Read(fromRecords.get(), 200);
    channel.position = 0;
    const std::vector<float> read = Read(fromObjects.get(), 200);
    ASSERT_EQ(200u, read.size());
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(std::bit_cast<uint32_t>(expected[i]), std::bit_cast<uint32_t>(read[i])) << i;
    EXPECT_LT(list.live, static_cast<int>(ticks.size()) - InterEventEnums::BufferedEventReader::RecordsPerRead);
    fromObjects->Stop();
    EXPECT_EQ(0, list.live);
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
