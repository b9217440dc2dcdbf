#include "CalibratorTestSupport.h"
#include "document/calibration/CalibrationText.h"
#include "document/calibration/PressureCalibrator.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/text/NumberPunctuation.h"

#include <cmath>
#include <limits>

namespace
{

using namespace CalibratorTests;

constexpr double Blank = std::numeric_limits<double>::quiet_NaN();

// A pressure channel recorded in millivolts, calibrated by 1 mV = 0 mmHg and 101 mV = 100 mmHg.
class PressureCalibration : public ::testing::Test
{
protected:
    void SetUp() override
    {
        document.host.records = 3;
        document.host.shown[0] = RawUnit(L"V", L'm');
        SetPoints(0.001, 0.0, 0.101, 100.0);
        document.SetApplied(ModelKind::PressureCalib, PropertyId::PressureCalibrationApplied);
    }
    void SetPoints(double base1, double known1, double base2, double known2)
    {
        document.SetDouble(ModelKind::PressureCalib, PropertyId::PressureBase1, base1);
        document.SetDouble(ModelKind::PressureCalib, PropertyId::PressureConverted1, known1);
        document.SetDouble(ModelKind::PressureCalib, PropertyId::PressureBase2, base2);
        document.SetDouble(ModelKind::PressureCalib, PropertyId::PressureConverted2, known2);
    }
    ComPtr<IUnitConversion> Applied()
    {
        ComPtr<IUnitConversion> conversion;
        EXPECT_TRUE(calibrator.Apply(Channel, conversion.Put()));
        return conversion;
    }

    static constexpr int32_t Channel = 0;
    TestDocument document;
    PressureCalibrator calibrator{document};
};

TEST_F(PressureCalibration, TwoPointsOnAMillivoltChannelReachTheUnitsServiceAsClassicTexts)
{
    // The same texts for a user whose decimal separator is a comma.
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new NoThousandsSep<wchar_t>(L',', L'.')));
    const ComPtr<IUnitConversion> commaUser = Applied();
    std::locale::global(previous);
    for (const ComPtr<IUnitConversion>& conversion : {Applied(), commaUser})
    {
        ASSERT_TRUE(conversion);
        const Orv::ChannelUnitsRecord& record = RecordOf(conversion.Get());
        EXPECT_STREQ(L"1mV 101mV", record.rawValuesText.c_str());
        EXPECT_STREQ(L"0 100", record.valuesText.c_str());
        EXPECT_STREQ(L"mmHg", record.unitText.c_str());
        EXPECT_NEAR(1000.0, record.scale, 1e-9);
    }
    EXPECT_EQ(L"mmHg", calibrator.GetUnit(Channel).text);
}

TEST_F(PressureCalibration, WhileNotAppliedTheChannelKeepsItsOwnConversion)
{
    document.Set<PropertyType::Bool>(ModelKind::PressureCalib, PropertyId::PressureCalibrationApplied, false);
    ComPtr<IUnitConversion> conversion;
    EXPECT_FALSE(calibrator.Apply(Channel, conversion.Put())) << "nothing cached yet";
    EXPECT_FALSE(conversion);
    calibrator.FetchChannelConversion(Channel);
    EXPECT_EQ(document.host.shown[0].Get(), Applied().Get());
}

TEST_F(PressureCalibration, AMissingOrInfinitePointCreatesNothing)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double points[][4] = {
        {Blank, 0, 0.101, 100}, {0.001, Blank, 0.101, 100}, {0.001, 0, Blank, 100}, {0.001, 0, 0.101, Blank},
        {0.001, inf, 0.101, 100},
    };
    for (const auto& p : points)
    {
        SetPoints(p[0], p[1], p[2], p[3]);
        ComPtr<IUnitConversion> conversion;
        EXPECT_FALSE(calibrator.Apply(Channel, conversion.Put())) << p[0] << " " << p[1] << " " << p[2] << " " << p[3];
        EXPECT_FALSE(conversion);
    }
}

TEST_F(PressureCalibration, AppliedOnlyWhenEveryRecordShowsTheCalibration)
{
    calibrator.FetchChannelConversion(Channel);
    for (int32_t record : {0, 1, 2})
        document.host.shown[record] = Applied();
    EXPECT_TRUE(calibrator.IsAppliedToChannel(Channel));
    document.host.shown.erase(1);
    EXPECT_TRUE(calibrator.IsAppliedToChannel(Channel)) << "a record without a conversion counts as calibrated";
    document.host.shown[HostNewRecordings] = RawUnit(L"V", L'm');
    EXPECT_FALSE(calibrator.IsAppliedToChannel(Channel)) << "new recordings are not calibrated";
    document.host.shown[HostNewRecordings] = Applied();
    SetPoints(0.001, 0.0, 0.101, 200.0);
    EXPECT_FALSE(calibrator.IsAppliedToChannel(Channel)) << "other points";
}

TEST_F(PressureCalibration, TheWholeRecordingRegionFetchesTheFirstRecordsConversion)
{
    document.Set<PropertyType::Int>(ModelKind::WorkflowSetup, PropertyId::RegionMode, 1);
    calibrator.FetchChannelConversion(Channel);
    EXPECT_EQ((std::vector<int32_t>{0}), document.host.asked) << "the first record of the whole recording";
    EXPECT_EQ(document.host.shown[0].Get(), calibrator.FindConversion(Channel).Get());
    EXPECT_EQ(document.host.shown[0].Get(), calibrator.GetUnitsConversion(Channel).Get());
    document.host.shown[0] = RawUnit(L"");
    calibrator.FetchChannelConversion(Channel);
    EXPECT_FALSE(calibrator.GetUnitsConversion(Channel)) << "a conversion without a unit";
    // With nothing in the records, the selection's conversion, then the default one.
    document.host.shown.clear();
    document.atSelection = RawUnit(L"Pa", L'k');
    calibrator.FetchChannelConversion(Channel);
    EXPECT_EQ(document.atSelection.Get(), calibrator.FindConversion(Channel).Get());
    document.atSelection = nullptr;
    calibrator.FetchChannelConversion(Channel);
    EXPECT_STREQ(L"V", CalibratorBase::GetConversionUnitText(calibrator.FindConversion(Channel).Get()).text.c_str());
}

TEST_F(PressureCalibration, RecordsRoundTripAndRefuseNewerOrDamagedOnes)
{
    calibrator.FetchChannelConversion(Channel);
    document.host.shown[0] = Applied();
    calibrator.FetchChannelConversion(2);
    const std::string bytes = Saved(calibrator);
    PressureCalibrator loaded(document);
    ASSERT_EQ(S_OK, LoadFrom(loaded, bytes));
    EXPECT_EQ(bytes, Saved(loaded));
    EXPECT_STREQ(L"mmHg", CalibratorBase::GetConversionUnitText(loaded.FindConversion(2).Get()).text.c_str());

    std::string newer = bytes;
    newer[0] = 2;
    EXPECT_EQ(Orv::E_ORV_NEWER_VERSION, LoadFrom(loaded, newer));
    EXPECT_TRUE(loaded.FindConversion(2)) << "a newer record leaves the cache";
    std::string badTrailer = bytes;
    badTrailer[bytes.size() - 4] = 2;
    EXPECT_EQ(Orv::E_ORV_READ_FAILED, LoadFrom(loaded, badTrailer));
    std::string hugeCount = bytes;
    hugeCount[7] = 0x7F;
    EXPECT_EQ(Orv::E_ORV_READ_FAILED, LoadFrom(loaded, hugeCount));
    EXPECT_EQ(Orv::E_ORV_READ_FAILED, LoadFrom(loaded, bytes.substr(0, bytes.size() - 2)));
}

struct NumberTextCase
{
    double value;
    int digits;
    int mode;
    const wchar_t* expected;
};

TEST(FormatNumberText, TrailingZerosGoInEveryNotation)
{
    const NumberTextCase cases[] = {
        {120.0, 15, NumberTextMode::Fixed, L"120"},
        {0.5, 15, NumberTextMode::Fixed, L"0.5"},
        {0.001, 15, NumberTextMode::ClassicFixed, L"0.001"},
        {-2.25, 3, NumberTextMode::Fixed, L"-2.25"},
        {0.1, 6, NumberTextMode::General, L"0.1"},
        {150000.0, 6, NumberTextMode::Scientific, L"1.5e+5"},
        {2e-7, 6, NumberTextMode::Scientific, L"2.e-7"},
        {1e100, 3, NumberTextMode::General, L"1e+100"},
    };
    for (const NumberTextCase& c : cases)
    {
        Orv::String text(L"unchanged");
        ASSERT_TRUE(FormatNumberText(text, c.value, c.digits, c.mode)) << c.expected;
        EXPECT_STREQ(c.expected, text.c_str());
    }
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new NoThousandsSep<wchar_t>(L',', L'.')));
    Orv::String user, classic;
    FormatNumberText(user, 0.50, 15, NumberTextMode::Fixed);
    FormatNumberText(classic, 0.50, 15, NumberTextMode::ClassicFixed);
    std::locale::global(previous);
    EXPECT_STREQ(L"0,5", user.c_str());
    EXPECT_STREQ(L"0.5", classic.c_str());
}

} // namespace
