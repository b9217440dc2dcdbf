#include "calc/engine/ExpressionText.h"

#include "foundation/com/XOrv.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace Sistra;

namespace
{

// The workflow models' properties as plain maps.
class FakeSetup : public ModelPropertyReader
{
public:
    FakeSetup()
    {
        channels[AnalysisProperty::PressureChannel] = 0;
        channels[AnalysisProperty::VolumeChannel] = 1;
        ints[AnalysisProperty::EndLimitRule] = 0;
        ints[AnalysisProperty::EdpMethod] = 0;
        ints[AnalysisProperty::TauType] = 1;
        ints[AnalysisProperty::StrokeVolumeMode] = 0;
        ints[AnalysisProperty::EndSystolicMode] = 1;
        doubles[AnalysisProperty::PeakHeight] = 20.0;
        doubles[AnalysisProperty::PeakPeriod] = 0.05;
        bools[AnalysisProperty::OnlineAnalysis] = false;
        positions[AnalysisProperty::AnalysisStart] = Position(1, 250);
        positions[AnalysisProperty::AnalysisEnd] = Position(3, 4000);
        texts[AnalysisProperty::EcgEventSource] = Orv::String(L"cmpeakdet(shift(ch3, -0.01), 0.5, 0.05)");
    }

    static uint64_t Position(uint32_t record, uint32_t tick) { return static_cast<uint64_t>(record) << 32 | tick; }

    const int32_t* GetInt(int32_t id) const override { return Find(ints, id); }
    const double* GetDouble(int32_t id) const override { return Find(doubles, id); }
    const bool* GetBool(int32_t id) const override { return Find(bools, id); }
    const int32_t* GetChannel(int32_t id) const override { return Find(channels, id); }
    const Orv::String* GetText(int32_t id) const override { return Find(texts, id); }
    std::optional<uint64_t> GetPosition(int32_t id) const override
    {
        const uint64_t* position = Find(positions, id);
        return position ? std::optional<uint64_t>(*position) : std::nullopt;
    }

    std::map<int32_t, int32_t> ints, channels;
    std::map<int32_t, double> doubles;
    std::map<int32_t, bool> bools;
    std::map<int32_t, Orv::String> texts;
    std::map<int32_t, uint64_t> positions;

private:
    template <class T>
    static const T* Find(const std::map<int32_t, T>& map, int32_t id)
    {
        const auto found = map.find(id);
        return found == map.end() ? nullptr : &found->second;
    }
};

std::wstring Text(const Orv::String& text)
{
    return text.c_str();
}

} // namespace

TEST(ExpressionText, LoopAnalyzerOnThePressureDetectorTakesItsRangeFromTheModel)
{
    const FakeSetup setup;
    EXPECT_EQ(L"SistraAnalyzer(ch1, ch2, PVEdpDet(ch1, CMPeakDet(ch1, 20, 0.05), 20, 1, 250, 3, 4000), 1, 0, 1, 250, "
              L"3, 4000, 1)",
              Text(BuildLoopAnalyzerExpressionWithVolumeChannel(setup, RangeWords{})));
}

TEST(ExpressionText, OpenEndWritesTheLargestTicksWhateverTheModelsEnd)
{
    FakeSetup setup;
    setup.ints[AnalysisProperty::EndLimitRule] = OpenEndRule;
    EXPECT_EQ(L"SistraAnalyzer(ch1, pvvolumewithoutvp, PVEdpDet(ch1, CMPeakDet(ch1, 20, 0.05), 20, 0, 10, "
              L"2147483647, 2147483647), 1, 0, 0, 10, 2147483647, 2147483647, 1)",
              Text(BuildLoopAnalyzerExpressionWithCorrectedVolume(setup, RangeWords{0, 10, 5, 6})));
}

TEST(ExpressionText, OnlineWritesAnOpenEndButKeepsTheStart)
{
    FakeSetup setup;
    setup.bools[AnalysisProperty::OnlineAnalysis] = true;
    setup.channels[AnalysisProperty::PressureChannel] = 4;
    EXPECT_EQ(L"PVEdpDet(ch5, CMPeakDet(ch5, 20, 0.05), 20, 1, 250, -1, -1)",
              Text(BuildEndDiastolicDetectorExpression(setup, RangeWords{})));
}

TEST(ExpressionText, EcgMethodPlacesTheEventSourceText)
{
    FakeSetup setup;
    setup.ints[AnalysisProperty::EdpMethod] = EdpFromEcg;
    EXPECT_EQ(L"PVEcgEdpDet(cmpeakdet(shift(ch3, -0.01), 0.5, 0.05), 2, 30, 2, 900)",
              Text(BuildEndDiastolicDetectorExpression(setup, RangeWords{2, 30, 2, 900})));
}

TEST(ExpressionText, PvaWithoutRegressionsKeepsItsBlankAndNineArguments)
{
    const FakeSetup setup;
    EXPECT_EQ(L"PVACalc(sistra, -1 , 0, 0, 0, 0, 0, 0, 0)", Text(BuildPvaCalcExpression(setup, std::nullopt)));
    const PvaRegressions fits{1, 1, 120.5, 35.25, {1.5, 2.0, 0.001}, {0.25, 0.0325}};
    EXPECT_EQ(L"PVACalc(sistra, ch1, pvvolumewithoutvp, 1, 1, 120.5, 35.25, 1.5, 2, 0.001, 0.25, 0.0325)",
              Text(BuildPvaCalcExpression(setup, fits)));
    // Fitted values keep every digit that tells them apart from their neighbours.
    const PvaRegressions exact{0, 1, 0.17419803962639691, -35.600888071954365, {0, 0, 0},
                               {0.41875830345258708, 0.024637056792941332}};
    EXPECT_EQ(L"PVACalc(sistra, ch1, pvvolumewithoutvp, 0, 1, 0.1741980396263969, -35.600888071954365, 0, 0, 0, "
              L"0.4187583034525871, 0.02463705679294133)",
              Text(BuildPvaCalcExpression(setup, exact)));
}

TEST(ExpressionText, MaxDetectorWrapsItsSource)
{
    EXPECT_EQ(L"PVMaxDet(PVEdpDet(ch1, x))", Text(BuildMaxDetectorExpression(Orv::String(L"PVEdpDet(ch1, x)"))));
}

// Answers with the channel it was asked for, as the calculation language counts channels.
class ChannelEcho : public VolumeExpressionWriter
{
public:
    Orv::String BuildVolumeExpression(int32_t channel) const override
    {
        return Orv::String((L"ch" + std::to_wstring(channel + 1)).c_str());
    }
};

TEST(ExpressionText, VolumeExpressionIsTheCalibratorsTextOfTheVolumeChannel)
{
    FakeSetup setup;
    setup.channels[AnalysisProperty::VolumeChannel] = 6;
    EXPECT_EQ(L"ch7", Text(BuildVolumeExpression(setup, ChannelEcho())));
    setup.channels.erase(AnalysisProperty::VolumeChannel);
    EXPECT_THROW(BuildVolumeExpression(setup, ChannelEcho()), XOrv);
}

TEST(ExpressionText, MissingPropertyIsRefusedWithAMessage)
{
    FakeSetup setup;
    setup.doubles.erase(AnalysisProperty::PeakPeriod);
    EXPECT_THROW(BuildEndDiastolicDetectorExpression(setup, RangeWords{}), XOrv);
}

TEST(ExpressionText, DetectorKeepsEveryDigitOfItsPeakSettingsAndShortOnesAsTheyWere)
{
    struct Case
    {
        double height, period;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {20.0, 0.05, L"PVEdpDet(ch1, CMPeakDet(ch1, 20, 0.05), 20, 1, 250, 3, 4000)"},
        {100000.0, 1e-05, L"PVEdpDet(ch1, CMPeakDet(ch1, 100000, 1e-05), 100000, 1, 250, 3, 4000)"},
        {12.3456789, 0.1 / 3,
         L"PVEdpDet(ch1, CMPeakDet(ch1, 12.3456789, 0.03333333333333333), 12.3456789, 1, 250, 3, 4000)"},
    };
    for (const Case& c : cases)
    {
        FakeSetup setup;
        setup.doubles[AnalysisProperty::PeakHeight] = c.height;
        setup.doubles[AnalysisProperty::PeakPeriod] = c.period;
        EXPECT_EQ(c.expected, Text(BuildEndDiastolicDetectorExpression(setup, RangeWords{}))) << c.height;
    }
}
