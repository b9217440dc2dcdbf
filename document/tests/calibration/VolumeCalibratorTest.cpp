#include "CalibratorTestSupport.h"
#include "document/calibration/VolumeCalibrator.h"
#include "document/models/workflow/WorkflowModelReader.h"

#include <cmath>
#include <functional>
#include <string>
#include <limits>
#include <tuple>

namespace
{

using namespace CalibratorTests;

constexpr int32_t Channel = 1;
constexpr double Raw = 5.0;
constexpr double Divisor = 1.0;

// Conductance 1 -> 10, 3 -> 30 (slope 10, intercept 0); MPVS 1 -> 2, 2 -> 5 (3, -1); known volumes
// ESV 2 -> 20, EDV 4 -> 60, SV 1 -> 30; cuvette slope 2, intercept 1; Vp 4; alpha 0.5; every unit
// litres without a prefix, so that the expected numbers stay readable.
void FillCalibrations(TestDocument& document)
{
    const std::tuple<int, int, double> values[] = {
        {ModelKind::ConductanceCalib, PropertyId::ConductanceBase1, 1},
        {ModelKind::ConductanceCalib, PropertyId::ConductanceConverted1, 10},
        {ModelKind::ConductanceCalib, PropertyId::ConductanceBase2, 3},
        {ModelKind::ConductanceCalib, PropertyId::ConductanceConverted2, 30},
        {ModelKind::VolumeCalib, PropertyId::VolumeBase1, 1},
        {ModelKind::VolumeCalib, PropertyId::VolumeConverted1, 2},
        {ModelKind::VolumeCalib, PropertyId::VolumeBase2, 2},
        {ModelKind::VolumeCalib, PropertyId::VolumeConverted2, 5},
        {ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeBaseEsv, 2},
        {ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeConvertedEsv, 20},
        {ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeBaseEdv, 4},
        {ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeConvertedEdv, 60},
        {ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeBaseSv, 1},
        {ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeConvertedSv, 30},
        {ModelKind::CuvetteCalib, PropertyId::CuvetteSlope, 2},
        {ModelKind::CuvetteCalib, PropertyId::CuvetteIntercept, 1},
        {ModelKind::SalineCalib, PropertyId::ParallelConductance, 4},
        {ModelKind::AlphaCalib, PropertyId::Alpha, 0.5},
    };
    for (const auto& [kind, id, value] : values)
        document.SetDouble(kind, id, value);
    for (const auto& [kind, id] : {std::pair{ModelKind::ConductanceCalib, PropertyId::ConductanceUnit},
                                   std::pair{ModelKind::VolumeCalib, PropertyId::VolumeCalibrationUnit},
                                   std::pair{ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeUnit},
                                   std::pair{ModelKind::CuvetteCalib, PropertyId::CuvetteUnit}})
        document.Set<PropertyType::Unit>(kind, id, UnitInfo{L"L", 0});
}

struct Applied
{
    int kind;
    int id;
};
const Applied Conductance{ModelKind::ConductanceCalib, PropertyId::ConductanceCalibrationApplied};
const Applied Mpvs{ModelKind::VolumeCalib, PropertyId::VolumeCalibrationApplied};
const Applied Known{ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeCalibrationApplied};
const Applied Cuvette{ModelKind::CuvetteCalib, PropertyId::CuvetteCalibrationApplied};
const Applied Saline{ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied};
const Applied Alpha{ModelKind::AlphaCalib, PropertyId::AlphaCalibrationApplied};

class VolumeCalibration : public ::testing::Test
{
protected:
    void SetUp() override
    {
        document.host.records = 1;
        document.host.shown[0] = RawUnit(L"V");
        FillCalibrations(document);
    }
    void Apply(int workflow, const std::vector<Applied>& applied)
    {
        document.SetWorkflow(workflow);
        for (const Applied& a : applied)
            document.SetApplied(a.kind, a.id);
    }
    // The channel shown through a host conversion of its own: 2 x + 1 litres.
    void CacheChannelConversionInUse()
    {
        ComPtr<IUnitConversion> own;
        ASSERT_EQ(S_OK, UnitsServiceAccessor::Get()->CreateTwoPointConversion(
                            document.host.shown[0].Get(), L"1V", L"2V", L"3", L"5", L"L", 1, own.Put()));
        document.host.shown[0] = own;
        calibrator.FetchChannelConversion(Channel);
    }

    TestDocument document;
    VolumeCalibrator calibrator{document};
};

struct ConvertCase
{
    const char* name;
    int workflow; // 0: workflow mode off
    std::vector<Applied> applied;
    int knownPair;
    double expected;
};

TEST(VolumeCalibrator, EachWorkflowChainsTheCalibrationsItApplies)
{
    const ConvertCase cases[] = {
        {"nothing applied", 1, {}, 0, Raw},
        {"small: conductance", 1, {Conductance}, 0, 50},
        {"small: conductance, cuvette", 1, {Conductance, Cuvette}, 0, 2 * 50 + 1},
        {"small: all", 1, {Conductance, Cuvette, Saline, Alpha}, 0, (101 - 4) / 0.5},
        {"large: MPVS, saline, alpha; no cuvette", 2, {Mpvs, Saline, Alpha, Cuvette}, 0, (14 - 4) / 0.5},
        {"large ignores conductance", 2, {Conductance}, 0, Raw},
        {"echo: ESV and EDV; no saline, no alpha", 3, {Known, Saline, Alpha}, 0, 20 * Raw - 20},
        {"echo: ESV and ESV + SV", 3, {Known}, 1, 30 * Raw - 40},
        {"echo: EDV - SV and EDV", 3, {Known}, 2, 30 * Raw - 60},
        {"echo: another pair", 3, {Known}, 3, std::numeric_limits<double>::quiet_NaN()},
        {"off: cuvette and saline only", 0, {Conductance, Cuvette, Saline, Alpha}, 0, 2 * Raw + 1 - 4},
    };
    for (const ConvertCase& c : cases)
    {
        TestDocument document;
        VolumeCalibrator calibrator(document);
        FillCalibrations(document);
        document.SetWorkflow(c.workflow);
        document.Set<PropertyType::Int>(ModelKind::KnownVolumeCalib, PropertyId::KnownVolumePair, c.knownPair);
        for (const Applied& a : c.applied)
            document.SetApplied(a.kind, a.id);
        const double volume = calibrator.ConvertToVolume(Raw, Divisor, Channel);
        if (std::isnan(c.expected))
            EXPECT_TRUE(std::isnan(volume)) << c.name;
        else
            EXPECT_DOUBLE_EQ(c.expected, volume) << c.name;
    }
}

TEST_F(VolumeCalibration, WithoutAWorkflowCalibrationTheChannelsOwnConversionIsTheFirstStage)
{
    CacheChannelConversionInUse();
    Apply(0, {Saline});
    EXPECT_DOUBLE_EQ(2 * Raw + 1 - 4, calibrator.ConvertToVolume(Raw, Divisor, Channel));
    EXPECT_STREQ(L"((2 * ch(2, \"base\") + 1) - 4)", calibrator.BuildVolumeExpression(Channel).c_str());
}

TEST_F(VolumeCalibration, ExpressionsReadTheBaseChannelThroughTheAppliedLines)
{
    EXPECT_STREQ(L"ch2", calibrator.BuildVolumeExpression(Channel).c_str());
    Apply(1, {Conductance});
    EXPECT_STREQ(L"(10 * ch(2, \"base\") + 0)", calibrator.BuildVolumeExpression(Channel).c_str());
    Apply(1, {Cuvette, Saline, Alpha});
    // The corrections the host's channel shows, the parallel conductance and alpha, are the analysis's too.
    EXPECT_STREQ(L"(((2 * (10 * ch(2, \"base\") + 0) + 1) - 4) / 0.5)", calibrator.BuildVolumeExpression(Channel).c_str());
    // The analysis asks for the setup's volume channel.
    document.Set<PropertyType::Channel>(ModelKind::WorkflowSetup, PropertyId::VolumeChannel, Channel);
    EXPECT_STREQ(L"(((2 * (10 * ch(2, \"base\") + 0) + 1) - 4) / 0.5)",
                 BuildVolumeExpression(WorkflowModelReader(document), calibrator).c_str());
}

// The value of calculation text made of numbers, + - * / and parentheses, the base channel read as raw.
double EvaluateAt(const std::wstring& text, double raw)
{
    size_t at = 0;
    std::function<double()> sum;
    const auto skip = [&] { while (at < text.size() && text[at] == L' ') ++at; };
    const auto factor = [&]() -> double {
        skip();
        if (text.compare(at, 13, L"ch(2, \"base\")") == 0)
            return at += 13, raw;
        if (text[at] == L'(')
        {
            ++at;
            const double inner = sum();
            skip();
            return ++at, inner;
        }
        size_t used = 0;
        const double number = std::stod(text.substr(at), &used);
        return at += used, number;
    };
    const auto product = [&] {
        double value = factor();
        for (skip(); at < text.size() && (text[at] == L'*' || text[at] == L'/'); skip())
            value = text[at++] == L'*' ? value * factor() : value / factor();
        return value;
    };
    sum = [&] {
        double value = product();
        for (skip(); at < text.size() && (text[at] == L'+' || text[at] == L'-'); skip())
            value = text[at++] == L'+' ? value + product() : value - product();
        return value;
    };
    return sum();
}

// The analysis read conductance and cuvette lines the host's channel did not show (the large mammal's, or
// the small mammal's once its workflow was left): the loops and the channel then disagreed by orders of
// magnitude. Leaving a workflow keeps the calibrations made in it.
TEST(VolumeCalibrator, TheExpressionAndTheConversionGoThroughTheSameCalibrations)
{
    const struct
    {
        const char* name;
        int kind;
        bool guided;
        std::vector<Applied> applied;
        double expected;
    } cases[] = {
        {"small", 1, true, {Conductance, Cuvette, Saline, Alpha}, (2 * 50 + 1 - 4) / 0.5},
        {"small, left", 1, false, {Conductance, Cuvette, Saline, Alpha}, (2 * 50 + 1 - 4) / 0.5},
        {"large: no conductance, no cuvette", 2, true, {Conductance, Mpvs, Cuvette, Saline, Alpha}, (14 - 4) / 0.5},
        {"large, left: the cuvette too", 2, false, {Conductance, Mpvs, Cuvette, Saline}, 2 * 14 + 1 - 4},
        {"echo", 3, true, {Conductance, Known, Cuvette}, 20 * Raw - 20},
        {"never guided", 0, false, {Conductance, Cuvette, Saline}, 2 * Raw + 1 - 4},
    };
    for (const auto& c : cases)
    {
        TestDocument document;
        document.host.records = 1;
        document.host.shown[0] = RawUnit(L"V");
        FillCalibrations(document);
        VolumeCalibrator calibrator(document);
        document.Set<PropertyType::Int>(ModelKind::WorkflowSetup, PropertyId::WorkflowKind, c.kind);
        document.Set<PropertyType::Bool>(ModelKind::WorkflowSetup, PropertyId::WorkflowModeOn, c.guided);
        for (const Applied& a : c.applied)
            document.SetApplied(a.kind, a.id);
        const Orv::String expression = calibrator.BuildVolumeExpression(Channel);
        EXPECT_DOUBLE_EQ(c.expected, calibrator.ConvertToVolume(Raw, Divisor, Channel)) << c.name;
        EXPECT_DOUBLE_EQ(c.expected, EvaluateAt(expression.c_str(), Raw)) << c.name << ": " << expression.c_str();
    }
}

TEST_F(VolumeCalibration, TheConversionMapsOneAndTenRawOntoTheirVolumes)
{
    Apply(1, {Conductance, Saline});
    ComPtr<IUnitConversion> conversion;
    ASSERT_TRUE(calibrator.Apply(Channel, conversion.Put()));
    const Orv::ChannelUnitsRecord& record = RecordOf(conversion.Get());
    EXPECT_STREQ(L"1V 10V", record.rawValuesText.c_str());
    EXPECT_STREQ(L"6 96", record.valuesText.c_str());
    EXPECT_STREQ(L"L", record.unitText.c_str());
    EXPECT_TRUE(calibrator.IsActive());
}

// A channel recorded in microlitres with no calibration line of its own: the corrections act on its
// microlitres, so the conversion keeps every volume where it was, less Vp or over alpha.
TEST_F(VolumeCalibration, CorrectionsAloneKeepAPrefixedChannelsValuesInItsUnit)
{
    document.host.shown[0] = RawUnit(L"L", Orv::MicroSign);
    document.SetDouble(ModelKind::SalineCalib, PropertyId::ParallelConductance, 4e-6);
    const struct
    {
        int workflow;
        Applied correction;
        const wchar_t* values;
    } cases[] = {{1, Alpha, L"2000000 20000000"}, {1, Saline, L"999996 9999996"}, {0, Saline, L"999996 9999996"}};
    for (const auto& c : cases)
    {
        for (const Applied& a : {Alpha, Saline})
            document.Set<PropertyType::Bool>(a.kind, a.id, false);
        Apply(c.workflow, {c.correction});
        ComPtr<IUnitConversion> conversion;
        ASSERT_TRUE(calibrator.Apply(Channel, conversion.Put())) << c.values;
        const Orv::ChannelUnitsRecord& record = RecordOf(conversion.Get());
        EXPECT_STREQ(L"1000000\u00B5L 10000000\u00B5L", record.rawValuesText.c_str());
        EXPECT_STREQ(c.values, record.valuesText.c_str());
        EXPECT_EQ(Orv::MicroSign, record.unitPrefix);
    }
}

TEST_F(VolumeCalibration, WorkflowModeOffWithTheCuvetteGivesMicrolitres)
{
    Apply(0, {Cuvette});
    const UnitInfo unit = calibrator.GetUnit(Channel);
    EXPECT_EQ(L"L", unit.text);
    EXPECT_EQ(Orv::MicroSign, unit.prefix);
    TestDocument plain;
    plain.host.shown[HostNewRecordings] = RawUnit(L"S", L'm');
    VolumeCalibrator uncalibrated(plain);
    EXPECT_FALSE(uncalibrated.IsActive());
    EXPECT_EQ(L'm', uncalibrated.GetUnit(Channel).prefix) << "the unit of the channel for new recordings";
}

// Equal base points (a stroke volume of 0) or an alpha of 0 make points that are no numbers: nothing
// is made, and the channel keeps the conversion it has.
TEST_F(VolumeCalibration, PointsThatAreNoFiniteNumbersCreateNothing)
{
    document.SetDouble(ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeBaseSv, 0);
    document.Set<PropertyType::Int>(ModelKind::KnownVolumeCalib, PropertyId::KnownVolumePair, 1);
    Apply(3, {Known});
    calibrator.FetchChannelConversion(Channel);
    const ComPtr<IUnitConversion> before = calibrator.FindConversion(Channel);
    ComPtr<IUnitConversion> conversion;
    EXPECT_FALSE(calibrator.Apply(Channel, conversion.Put()));
    EXPECT_FALSE(conversion);

    TestDocument small;
    VolumeCalibrator alphaZero(small);
    FillCalibrations(small);
    small.host.shown[0] = RawUnit(L"V");
    small.SetDouble(ModelKind::AlphaCalib, PropertyId::Alpha, 0);
    small.SetWorkflow(1);
    small.SetApplied(Alpha.kind, Alpha.id);
    EXPECT_TRUE(std::isinf(alphaZero.ConvertToVolume(1.0, 1.0, Channel)));
    EXPECT_FALSE(alphaZero.Apply(Channel, conversion.Put()));
    EXPECT_FALSE(conversion);
    EXPECT_EQ(before.Get(), calibrator.FindConversion(Channel).Get());
}

} // namespace
