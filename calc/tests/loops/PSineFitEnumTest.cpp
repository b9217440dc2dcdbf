#include "calc/loops/PSineFitEnum.h"

#include "calc/engine/CalcClassObjects.h"
#include "calc/engine/MissingValue.h"
#include "calc/tests/FakeHostSources.h"
#include "calc/tests/HeldEnumerator.h"
#include "calc/tests/ModuleFilteredSineFit.h"
#include "calc/tests/SyntheticBeats.h"

#include <gtest/gtest.h>

#include <bit>

using namespace Sistra;
using CalcTesting::FakeChannel;
using CalcTesting::FakeEvents;
using CalcTesting::Held;
using CalcTesting::ModuleFilteredSineFit;

namespace
{

constexpr int32_t kLeadIn = 50;        // samples before the first end-diastolic event
constexpr int32_t kBeatSamples = 500;  // 125 ms at 0.25 ms
constexpr int32_t kBeats = 3;
constexpr int32_t kTotal = kLeadIn + kBeats * kBeatSamples + 40;

bool IsMissing(float value)
{
    return std::bit_cast<uint32_t>(value) == MissingSampleBits;
}

std::vector<float> Pressure()
{
    const std::vector<float> beat = SyntheticBeats::EjectingBeat(125.0, 0.25);
    std::vector<float> pressure(kLeadIn, beat.front());
    for (int i = 0; i < kBeats; ++i)
        pressure.insert(pressure.end(), beat.begin(), beat.end());
    pressure.resize(kTotal, beat.front());
    return pressure;
}

std::vector<int32_t> EndDiastolicTicks()
{
    std::vector<int32_t> ticks;
    for (int i = 0; i <= kBeats; ++i)
        ticks.push_back(kLeadIn + i * kBeatSamples);
    return ticks;
}

HRESULT SetArguments(PSineFitEnum& calc, const wchar_t* text, uint32_t* flags = nullptr)
{
    Orv::String arguments(text);
    uint32_t ignored = 0;
    return calc.ReadArguments(arguments.Interface(), flags ? flags : &ignored);
}

class PSineFitEnumerator : public ::testing::Test
{
protected:
    PSineFitEnumerator() : channel(Pressure()), events(EndDiastolicTicks()) {}

    HRESULT Start(PSineFitEnum& calc)
    {
        IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel), static_cast<IEnumEventEx*>(&events)};
        return calc.Start(0, 2, sources, nullptr, 0.00025, 0, kTotal);
    }

    // Reads until the enumerator delivers nothing more.
    static std::vector<float> ReadAll(PSineFitEnum& calc, int32_t chunk)
    {
        std::vector<float> out;
        std::vector<float> buffer(static_cast<size_t>(chunk));
        int32_t fetched = 0;
        do
        {
            calc.Next(chunk, buffer.data(), &fetched);
            out.insert(out.end(), buffer.begin(), buffer.begin() + fetched);
        } while (fetched > 0);
        return out;
    }

    FakeChannel channel;
    FakeEvents events;
};

} // namespace

TEST(PSineFitArguments, OutputTypeComesFromTheArgumentText)
{
    Held<PSineFitEnum> calc;
    EXPECT_EQ(DefaultSineFitOutput, calc->OutputType());
    uint32_t flags = 0;
    EXPECT_EQ(S_OK, SetArguments(*calc.get(), L"6", &flags));
    EXPECT_EQ(0x20000000u, flags);
    EXPECT_EQ(6, calc->OutputType());
    IOrvString* text = nullptr;
    ASSERT_EQ(S_OK, calc->GetArgumentText(&text));
    EXPECT_EQ(std::wstring(L"6"), text->GetText());
    text->Release();

    EXPECT_EQ(S_OK, SetArguments(*calc.get(), L""));
    EXPECT_EQ(DefaultSineFitOutput, calc->OutputType());
    EXPECT_EQ(S_OK, calc->ReadArguments(nullptr, &flags));
    EXPECT_EQ(DefaultSineFitOutput, calc->OutputType());
}

TEST(PSineFitArguments, CloneKeepsTheOutputType)
{
    Held<PSineFitEnum> calc;
    SetArguments(*calc.get(), L"2");
    ICalcEnum* clone = nullptr;
    ASSERT_EQ(S_OK, calc->Clone(nullptr, &clone));
    EXPECT_EQ(2, static_cast<PSineFitEnum*>(clone)->OutputType());
    clone->Release();
}

TEST_F(PSineFitEnumerator, EachBeatCarriesItsFittedSinusoidAndNothingLiesOutsideTheBeats)
{
    Held<ModuleFilteredSineFit> calc;
    ASSERT_EQ(S_OK, Start(*calc.get()));
    const std::vector<float> out = ReadAll(*calc.get(), 256);
    ASSERT_EQ(static_cast<size_t>(kTotal), out.size());

    const std::vector<float> pressure = Pressure();
    std::vector<float> expected;
    ComputeSineFitBeat(std::span<const float>(pressure).subspan(kLeadIn, kBeatSamples), SineFitCurve,
        WindowedDerivativeFilter(), expected);
    const float peak = *std::max_element(expected.begin(), expected.end(),
        [](float a, float b) { return IsMissing(a) || (!IsMissing(b) && a < b); });
    EXPECT_NEAR(SyntheticBeats::kPiso, peak, 0.001 * SyntheticBeats::kPiso);
    for (int32_t i = 0; i < kTotal; ++i)
    {
        const int32_t beat = (i - kLeadIn) / kBeatSamples;
        if (i < kLeadIn || beat >= kBeats)
            EXPECT_TRUE(IsMissing(out[i])) << i;
        else
            EXPECT_EQ(std::bit_cast<uint32_t>(expected[(i - kLeadIn) % kBeatSamples]), std::bit_cast<uint32_t>(out[i]))
                << i;
    }
}

TEST_F(PSineFitEnumerator, OnlineChunksGiveWhatOneOfflineReadGives)
{
    Held<ModuleFilteredSineFit> offline;
    ASSERT_EQ(S_OK, Start(*offline.get()));
    const std::vector<float> whole = ReadAll(*offline.get(), kTotal);

    // The same data arriving 137 samples at a time, the events as their beats close.
    FakeChannel growing(Pressure());
    FakeEvents arriving({});
    growing.complete = false;
    arriving.complete = false;
    const FakeEvents all(EndDiastolicTicks());
    Held<ModuleFilteredSineFit> online;
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&growing), static_cast<IEnumEventEx*>(&arriving)};
    ASSERT_EQ(S_OK, online->Start(0, 2, sources, nullptr, 0.00025, 0, kTotal));
    std::vector<float> pieces;
    for (size_t available = 0; available < static_cast<size_t>(kTotal);)
    {
        available = std::min<size_t>(available + 137, kTotal);
        growing.available = available;
        for (const OrvEventBase& event : all.events)
            if (event.tick < static_cast<int32_t>(available) && (arriving.events.empty() || event.tick > arriving.events.back().tick))
                arriving.events.push_back(event);
        if (available == static_cast<size_t>(kTotal))
            growing.complete = arriving.complete = true;
        const std::vector<float> piece = ReadAll(*online.get(), 64);
        pieces.insert(pieces.end(), piece.begin(), piece.end());
    }
    ASSERT_EQ(whole.size(), pieces.size());
    for (size_t i = 0; i < whole.size(); ++i)
        EXPECT_EQ(std::bit_cast<uint32_t>(whole[i]), std::bit_cast<uint32_t>(pieces[i])) << i;
}

TEST_F(PSineFitEnumerator, WithoutTheHostsFilterTheBeatsHaveNoValues)
{
    // The class object's enumerator forms its derivatives through the host, which this test run lacks.
    ICalcEnum* calc = nullptr;
    ASSERT_EQ(S_OK, CalcEnums::PSineFitClassObject().CreateEnum(nullptr, 0, &calc));
    uint32_t kind = 0;
    calc->GetDataKind(&kind);
    EXPECT_EQ(0x801B0001u, kind);
    IEnumFloatEx* samples = nullptr;
    ASSERT_EQ(S_OK, calc->QueryInterface(IID_IEnumFloatEx, reinterpret_cast<void**>(&samples)));
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel), static_cast<IEnumEventEx*>(&events)};
    ASSERT_EQ(S_OK, calc->Start(0, 2, sources, nullptr, 0.00025, 0, kTotal));
    std::vector<float> out(kTotal);
    int32_t fetched = 0;
    EXPECT_EQ(S_OK, samples->Next(kTotal, out.data(), &fetched));
    EXPECT_EQ(kTotal, fetched);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), IsMissing));
    samples->Release();
    calc->Release();
}
