#include "hostapi/CalcEventRecords.h"

#include "calc/engine/MissingValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Sistra;

namespace
{

SistraEvent MakeLoop()
{
    SistraEvent loop;
    loop.sv = 40.0;
    loop.hr = 300.0;
    loop.pmax = 120.0;
    loop.pmin = 5.0;
    loop.pes = 100.0;
    loop.ef = 62.5;
    loop.sw = 3000.0;
    loop.tau = 12.0;
    loop.espvrSlope = 2.5;
    return loop;
}

struct Flags
{
    bool pressure = true;
    bool volume = true;
    bool perVolume = true;
};

double Parameter(const SistraEvent& loop, int32_t index, Flags& flags)
{
    return loop.GetParameter(index, &flags.pressure, &flags.volume, &flags.perVolume);
}

} // namespace

TEST(LoopParameter, ClosingRecordYieldsMissingValueWithoutFlags)
{
    SistraEvent loop = MakeLoop();
    loop.state = LoopStateClosing;
    for (int32_t index : {1, 3, 16, 31})
    {
        Flags flags;
        EXPECT_TRUE(IsMissingValue(Parameter(loop, index, flags))) << index;
        EXPECT_FALSE(flags.pressure || flags.volume || flags.perVolume);
    }
}

TEST(LoopParameter, IndicesOutsideTheTableAndPvaIndicesYieldZeroWithoutFlags)
{
    const SistraEvent loop = MakeLoop();
    for (int32_t index : {0, 32, -1, 26, 27, 28})
    {
        Flags flags;
        EXPECT_EQ(0.0, Parameter(loop, index, flags)) << index;
        EXPECT_FALSE(flags.pressure || flags.volume || flags.perVolume) << index;
    }
}

TEST(LoopParameter, DerivedIndicesAreComputedFromTheStoredFields)
{
    const SistraEvent loop = MakeLoop();
    Flags flags;
    EXPECT_DOUBLE_EQ(300.0 * 40.0, Parameter(loop, 2, flags));
    EXPECT_DOUBLE_EQ(115.0, Parameter(loop, 11, flags));
    EXPECT_TRUE(flags.pressure);
    EXPECT_DOUBLE_EQ(100.0 / 40.0, Parameter(loop, 16, flags));
    EXPECT_TRUE(flags.pressure && flags.perVolume && !flags.volume);
    EXPECT_DOUBLE_EQ(62.5, Parameter(loop, 15, flags));
}

TEST(LoopParameter, ElastanceOfALoopWithoutStrokeVolumeIsMissingNotInfinite)
{
    for (const double pes : {100.0, 0.0, -3.0})
        for (const double sv : {0.0, -0.0})
        {
            SistraEvent loop = MakeLoop();
            loop.pes = pes;
            loop.sv = sv;
            Flags flags;
            EXPECT_TRUE(IsMissingValue(Parameter(loop, 16, flags))) << pes << " / " << sv;
            EXPECT_TRUE(IsMissingValue(loop.GetScaledParameter(16, 2.0, 1000.0))) << pes << " / " << sv;
        }
}

TEST(LoopParameter, ExcludedLoopStillYieldsItsValues)
{
    SistraEvent loop = MakeLoop();
    loop.state = LoopStateExcluded;
    Flags flags;
    EXPECT_DOUBLE_EQ(3000.0, Parameter(loop, 1, flags));
    EXPECT_TRUE(flags.pressure && flags.volume && !flags.perVolume);
}

TEST(LoopParameter, NullFlagPointersAreSkipped)
{
    const SistraEvent loop = MakeLoop();
    bool volume = false;
    EXPECT_DOUBLE_EQ(40.0, loop.GetParameter(3, nullptr, &volume, nullptr));
    EXPECT_TRUE(volume);
}

TEST(LoopParameter, ScalingMultipliesByUnitFactorsAndDividesPerVolume)
{
    const SistraEvent loop = MakeLoop();
    EXPECT_DOUBLE_EQ(3000.0 * 2.0 * 10.0, loop.GetScaledParameter(1, 2.0, 10.0));
    EXPECT_DOUBLE_EQ(2.5 * 2.0 / 10.0, loop.GetScaledParameter(16, 2.0, 10.0));
    EXPECT_DOUBLE_EQ(300.0, loop.GetScaledParameter(14, 2.0, 10.0));
    EXPECT_DOUBLE_EQ(7.0 * 2.0 / 10.0, loop.ScaleValue(30, 7.0, 2.0, 10.0));

    SistraEvent closing = loop;
    closing.state = LoopStateClosing;
    EXPECT_DOUBLE_EQ(7.0, closing.ScaleValue(1, 7.0, 2.0, 10.0));
}

TEST(EventPosition, SplitsIntoNearestTickAndSignedFraction)
{
    OrvEventBase event;
    event.SetPosition(1234.7);
    EXPECT_EQ(1235, event.tick);
    EXPECT_NEAR(-0.3, event.fraction, 1e-4);
    EXPECT_NEAR(1234.7, event.Position(), 1e-4);
}

TEST(PvaParameter, ReadsAreaEnergyAndEfficiency)
{
    PVAEvent record;
    record.pva = 5000.0;
    record.pe = 2000.0;
    record.strokeWork = 3000.0;
    bool pressure = false;
    bool volume = false;
    EXPECT_DOUBLE_EQ(5000.0, record.GetParameter(26, &pressure, &volume));
    EXPECT_TRUE(pressure && volume);
    EXPECT_DOUBLE_EQ(2000.0, record.GetParameter(27, &pressure, &volume));
    EXPECT_DOUBLE_EQ(0.6, record.GetParameter(28, &pressure, &volume));
    EXPECT_FALSE(pressure || volume);
    EXPECT_EQ(0.0, record.GetParameter(12, &pressure, &volume));

    record.pva = MissingValue();
    EXPECT_TRUE(std::isnan(record.GetParameter(26, &pressure, &volume)));
}

// The loop across a dropout to 0 (SW -1,233, PVA -14.4) had an efficiency of 85.4: of an area that is none
// or below nothing there is no share.
TEST(PvaParameter, EfficiencyOfAnAreaThatIsNotPositiveIsNotDetermined)
{
    PVAEvent record;
    record.strokeWork = -1233.0;
    for (const double pva : {-14.4, 0.0})
    {
        record.pva = pva;
        EXPECT_TRUE(std::isnan(record.GetParameter(28, nullptr, nullptr))) << pva;
        EXPECT_DOUBLE_EQ(pva, record.GetParameter(26, nullptr, nullptr));
    }
}

namespace
{

// A rectangular loop: volume 100 → 60 at pressure 100 (ejection), back at pressure 10 (filling),
// sampled along its edges, starting at end diastole (100, 10).
struct RectangleLoop
{
    std::vector<float> pressure{10, 100, 100, 10};
    std::vector<float> volume{100, 100, 60, 60};
    SistraEvent loop;

    RectangleLoop()
    {
        loop.firstTick = 500;
        loop.sw = 3600.0;
        loop.ved = 100.0;
        loop.ped = 10.0;
    }
};

} // namespace

TEST(PvaFill, StraightRelationsGiveThePolygonArea)
{
    RectangleLoop r;
    PVAEvent record;
    // Up to end systole (tick 502 = sample 2), closed through (60, 100) and the intersection (40, 0).
    ASSERT_TRUE(record.Calculate(r.loop, 0, 0, {}, {}, r.pressure, r.volume, 502, 60.0f, 100.0f, 0.0, 40.0));
    // Points relative to (100, 10): (0,0) (0,90) (-40,90) (-40,90) (-60,-10).
    const double expected = 0.5 * (0.0 * 0 - 0 * 0 + 90.0 * 0 - 0 * 0 + 90.0 * 0 - (-40.0) * 90 + 90.0 * -40 -
                                   (-40.0) * 90 + (-10.0) * -40 - (-60.0) * 90 + 0.0 * -60 - 0 * -10);
    EXPECT_DOUBLE_EQ(expected, record.pva);
    EXPECT_DOUBLE_EQ(expected - 3600.0, record.pe);
    EXPECT_DOUBLE_EQ(3600.0, record.strokeWork);
}

TEST(PvaFill, QuadraticEndSystolicRelationReplacesTheStraightEdge)
{
    RectangleLoop r;
    PVAEvent straight;
    PVAEvent curved;
    const std::vector<double> es{0.0, 0.0, 0.0625}; // P = V²/16 meets (40, 100) and (0, 0)
    ASSERT_TRUE(straight.Calculate(r.loop, 0, 0, {}, {}, r.pressure, r.volume, 502, 40.0f, 100.0f, 0.0, 0.0));
    ASSERT_TRUE(curved.Calculate(r.loop, 1, 0, es, {}, r.pressure, r.volume, 502, 40.0f, 100.0f, 0.0, 0.0));
    // ∫0..40 V²/16 dV = 40³/48, against the triangle 40·100/2.
    EXPECT_NEAR(curved.pva - straight.pva, 64000.0 / 48.0 - 2000.0, 1e-9);
}

TEST(PvaFill, RefusesClosingRecordsAndUnusableSamples)
{
    RectangleLoop r;
    PVAEvent record;
    SistraEvent closing = r.loop;
    closing.state = LoopStateClosing;
    EXPECT_FALSE(record.Calculate(closing, 0, 0, {}, {}, r.pressure, r.volume, 502, 60, 100, 0, 40));
    EXPECT_TRUE(IsMissingValue(record.pva));
    EXPECT_FALSE(record.Calculate(r.loop, 0, 0, {}, {}, {}, r.volume, 502, 60, 100, 0, 40));
    EXPECT_FALSE(record.Calculate(r.loop, 0, 0, {}, {}, r.pressure, r.volume, -1, 60, 100, 0, 40));
    // No volume samples: nothing to take indices modulo of.
    EXPECT_FALSE(record.Calculate(r.loop, 0, 0, {}, {}, r.pressure, {}, 502, 60, 100, 0, 40));
    EXPECT_TRUE(IsMissingValue(record.pe));
}

TEST(PvaFill, ShorterPressureListLimitsTheLoopInsteadOfReadingPastIt)
{
    RectangleLoop r;
    std::vector<float> shortPressure(r.pressure.begin(), r.pressure.begin() + 2);
    PVAEvent whole;
    PVAEvent shortened;
    ASSERT_TRUE(shortened.Calculate(r.loop, 0, 0, {}, {}, shortPressure, r.volume, 503, 60, 100, 0, 40));
    std::vector<float> twoVolumes(r.volume.begin(), r.volume.begin() + 2);
    ASSERT_TRUE(whole.Calculate(r.loop, 0, 0, {}, {}, shortPressure, twoVolumes, 503, 60, 100, 0, 40));
    EXPECT_DOUBLE_EQ(whole.pva, shortened.pva);
}
