#include "calc/loops/LoopParameters.h"

#include "calc/loops/IsovolumicFits.h"
#include "calc/engine/MissingValue.h"
#include "calc/tests/SyntheticLoops.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Sistra;
using CalcTesting::TrapezoidBeat;

namespace
{

constexpr double Dt = 0.005;
constexpr double Tolerance = 1e-9;

SistraEvent Analyse(const std::vector<float>& p, const std::vector<float>& v, BeatSettings settings = {},
                    double closing = -2.0)
{
    SistraEvent loop{};
    const double closingPosition = closing == -2.0 ? 1000.0 + static_cast<double>(p.size()) : closing;
    ComputeBeat(p, v, BeatTiming{1000, 1000.0, closingPosition, Dt}, settings, loop);
    return loop;
}

// The trapezoid of TrapezoidBeat with 10 samples a side, by hand: corners A (120, 10), B (115, 100),
// C (60, 110), D (65, 5) at samples 0, 10, 20, 30.
class TrapezoidLoop : public ::testing::Test
{
protected:
    TrapezoidBeat beat{10};
};

} // namespace

TEST_F(TrapezoidLoop, ValuesEqualTheHandComputedOnes)
{
    const SistraEvent loop = Analyse(beat.pressure, beat.volume, BeatSettings{0, StrokeVolumeRange, 0});
    EXPECT_EQ(LoopStateValid, loop.state);
    EXPECT_NEAR(60.0 / (40 * Dt), loop.hr, Tolerance); // 40 samples of 5 ms: 300 per minute
    // The shoelace area of A B C D: (10850 + 6650 - 6850 + 50) / 2.
    EXPECT_NEAR(5350.0, loop.sw, 1e-6);
    EXPECT_DOUBLE_EQ(10.0, loop.ped);
    EXPECT_DOUBLE_EQ(120.0, loop.ved);
    EXPECT_DOUBLE_EQ(110.0, loop.pes); // C has the largest P/V
    EXPECT_DOUBLE_EQ(60.0, loop.ves);
    EXPECT_EQ(20, loop.endSystolicIndex);
    EXPECT_EQ(1020, loop.endSystolicTick);
    EXPECT_DOUBLE_EQ(110.0, loop.pmax);
    EXPECT_DOUBLE_EQ(5.0, loop.pmin);
    EXPECT_DOUBLE_EQ(120.0, loop.vmax);
    EXPECT_DOUBLE_EQ(60.0, loop.vmin);
    EXPECT_NEAR((50.5 + 104.5 + 62.75 + 7.25) / 4.0, loop.pmean, 1e-6);
    EXPECT_NEAR(9.0 / Dt, loop.dpdtMax, 1e-6); // A to B rises 9 a sample
    EXPECT_EQ(0, loop.dpdtMaxIndex);
    EXPECT_DOUBLE_EQ(120.0, loop.vAtDpdtMax);
    EXPECT_NEAR(-10.5 / Dt, loop.dpdtMin, 1e-6); // C to D
    EXPECT_DOUBLE_EQ(60.5, loop.vAtDpdtMin);
    EXPECT_NEAR(5.5 / Dt, loop.dvdtMax, 1e-4); // D to A
    EXPECT_DOUBLE_EQ(5.5, loop.pAtDvdtMax);
    EXPECT_NEAR(-5.5 / Dt, loop.dvdtMin, 1e-4); // B to C
    EXPECT_NEAR(9.5 * 5.5 / Dt, loop.powMax, 1e-3);
    EXPECT_DOUBLE_EQ(60.0, loop.sv);
    EXPECT_DOUBLE_EQ(100.0 * 60.0 / 120.0, loop.ef);
    EXPECT_EQ(1040, loop.endTick);
    EXPECT_TRUE(std::isnan(loop.stableEdVolume));
    EXPECT_TRUE(std::isnan(loop.piso));
    EXPECT_TRUE(std::isnan(loop.espvrSlope));
}

TEST_F(TrapezoidLoop, StableVolumesAverageTheIsovolumicWindows)
{
    const SistraEvent loop = Analyse(beat.pressure, beat.volume, BeatSettings{0, StrokeVolumeStable, 0});
    // EDV: around dP/dt max (sample 0) within 40 × 0.03 = 1 sample, both rising faster than half of it.
    EXPECT_DOUBLE_EQ((120.0 + 119.5) / 2.0, loop.stableEdVolume);
    // ESV: back from Pmin (sample 30), pressure above 40 first at 26, above 75 first at 23.
    EXPECT_DOUBLE_EQ((61.5 + 62.0 + 62.5 + 63.0) / 4.0, loop.stableEsVolume);
    EXPECT_DOUBLE_EQ(119.75 - 62.25, loop.sv);
    EXPECT_DOUBLE_EQ(100.0 * 57.5 / 120.0, loop.ef);
}

TEST(LoopParameters, OneSampleBeatHasOnlyItsSampleValues)
{
    const SistraEvent loop = Analyse({42.0f}, {80.0f}, BeatSettings{0, StrokeVolumeRange, 0}, 1001.0);
    EXPECT_DOUBLE_EQ(42.0, loop.pmax);
    EXPECT_DOUBLE_EQ(42.0, loop.pmin);
    EXPECT_DOUBLE_EQ(42.0, loop.pmean);
    EXPECT_DOUBLE_EQ(42.0, loop.ped);
    EXPECT_DOUBLE_EQ(0.0, loop.sw);
    EXPECT_NEAR(60.0 / Dt, loop.hr, 1e-6);
    for (double derived : {loop.dpdtMax, loop.dpdtMin, loop.dvdtMax, loop.dvdtMin, loop.powMax, loop.vAtDpdtMax,
                           loop.pAtDvdtMax, loop.ef, loop.tau})
        EXPECT_TRUE(IsMissingValue(derived));
    EXPECT_EQ(-1, loop.dpdtMaxIndex);
}

TEST(LoopParameters, ZeroVolumeSampleIsTheEndSystolicPointByMaxRatio)
{
    const SistraEvent loop = Analyse({10, 50, 80, 60, 20}, {100, 90, 70, 0, 95});
    EXPECT_EQ(3, loop.endSystolicIndex);
    EXPECT_DOUBLE_EQ(60.0, loop.pes);
    EXPECT_DOUBLE_EQ(0.0, loop.ves);
}

TEST(LoopParameters, FirstOfEqualPressureMaximaIsPmax)
{
    const SistraEvent loop = Analyse({10, 90, 50, 90, 20}, {100, 90, 80, 70, 60});
    EXPECT_EQ(1, loop.pmaxIndex);
    EXPECT_DOUBLE_EQ(90.0, loop.pmax);
}

TEST(LoopParameters, StableStrokeVolumeWithoutRisingSamplesIsMissingAndSoIsEf)
{
    // Pressure that only falls: nothing rises faster than half of the (negative) dP/dt max.
    const SistraEvent loop = Analyse({100, 80, 60, 40, 20}, {100, 90, 80, 70, 60},
                                     BeatSettings{0, StrokeVolumeStable, 0});
    EXPECT_TRUE(IsMissingValue(loop.stableEdVolume));
    EXPECT_TRUE(std::isnan(loop.sv));
    EXPECT_TRUE(std::isnan(loop.ef));
}

TEST_F(TrapezoidLoop, StableStrokeVolumeTheLoopContradictsIsNotDetermined)
{
    // Volumes shifted from the relaxation on (sample 20) make the stable ESV the larger or equal one.
    const struct
    {
        const char* name;
        float shift;    // added to the volumes from sample 20 on
        bool determined;
    } cases[] = {{"as drawn", 0.0f, true}, {"relaxing at a larger volume", 60.0f, false},
                 {"relaxing at the stable EDV", 119.75f - 62.25f, false}};
    for (const auto& c : cases)
    {
        std::vector<float> v = beat.volume;
        for (std::size_t i = 20; i < v.size(); ++i)
            v[i] += c.shift;
        const SistraEvent loop = Analyse(beat.pressure, v, BeatSettings{0, StrokeVolumeStable, 0});
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.determined, loop.stableEdVolume > loop.stableEsVolume);
        EXPECT_FALSE(IsMissingValue(loop.stableEdVolume));
        EXPECT_FALSE(IsMissingValue(loop.stableEsVolume));
        for (int32_t index : {2, 3, 15, 16}) // CO, SV, EF, Ea
            EXPECT_EQ(!c.determined, std::isnan(loop.GetParameter(index, nullptr, nullptr, nullptr))) << index;
    }
}

TEST(LoopParameters, HeartRateOfAHalfSecondBeatIs120)
{
    const std::vector<float> p(100, 10.0f), v(100, 50.0f);
    const SistraEvent loop = Analyse(p, v, {}, 1100.0);
    EXPECT_NEAR(120.0, loop.hr, 1e-9);
}

TEST(LoopParameters, UnknownModesLeaveTheirValuesMissing)
{
    TrapezoidBeat beat;
    const SistraEvent loop = Analyse(beat.pressure, beat.volume, BeatSettings{3, 7, 5});
    EXPECT_TRUE(IsMissingValue(loop.sv));
    EXPECT_TRUE(IsMissingValue(loop.pes));
    EXPECT_EQ(0, loop.endSystolicTick);
    EXPECT_TRUE(IsMissingValue(loop.tau));
}

TEST(LoopParameters, DerivativeValuesAreThoseOfTheFloatSequences)
{
    const std::vector<float> p{10.0f, 10.1f, 30.7f, 20.3f, 12.9f}, v{100.0f, 99.3f, 80.1f, 85.7f, 99.9f};
    const SistraEvent loop = Analyse(p, v);
    auto slope = [](float to, float from) { return (static_cast<double>(to) - from) / Dt; };
    const struct
    {
        const char* name;
        double SistraEvent::*field;
        double unrounded; // the difference quotient before it is stored as a float
        double factor;
    } cases[] = {{"dP/dt max", &SistraEvent::dpdtMax, slope(p[2], p[1]), 1.0},
                 {"dP/dt min", &SistraEvent::dpdtMin, slope(p[3], p[2]), 1.0},
                 {"dV/dt max", &SistraEvent::dvdtMax, slope(v[4], v[3]), 1.0},
                 {"dV/dt min", &SistraEvent::dvdtMin, slope(v[2], v[1]), 1.0},
                 {"PowMax", &SistraEvent::powMax, slope(v[4], v[3]), p[4]}};
    for (const auto& c : cases)
    {
        ASSERT_NE(static_cast<double>(static_cast<float>(c.unrounded)), c.unrounded) << c.name;
        EXPECT_EQ(static_cast<double>(static_cast<float>(c.unrounded)) * c.factor, loop.*c.field) << c.name;
    }
}
