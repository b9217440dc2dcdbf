// The pressure sine fit run from the command line: ejecting beats whose isovolumic parts lie on
// 60 + 50 sin(0.05 t - 1.2) (t in ms) in channel 1, sampled at 4 kHz, and in channel 2 a pulse at the
// start of every beat that marks the beats.
#include "host/app/commands/CommandLine.h"
#include "host/tests/RecordingFixtures.h"

#include "calc/tests/SyntheticBeats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace
{

constexpr double kStepMs = 0.25;
constexpr int kBeatSamples = 500;  // 125 ms
constexpr int kBeats = 6;
constexpr const char* kEvents = "cmpeakdet(ch2, 0.5, 0.05)";

std::string EjectingBeatsText()
{
    const std::vector<float> beat = SyntheticBeats::EjectingBeat(kBeatSamples * kStepMs, kStepMs);
    std::ostringstream text;
    text << "Time (s),LV Pressure (mmHg),Beat marker (V)\n";
    for (int tick = 0; tick < kBeats * kBeatSamples; ++tick)
    {
        const int inBeat = tick % kBeatSamples;
        const double fromStart = std::min(inBeat, kBeatSamples - inBeat) * kStepMs;
        text << tick * kStepMs / 1000.0 << ',' << beat[inBeat] << ',' << std::exp(-fromStart * fromStart / 2.0) << '\n';
    }
    return text.str();
}

struct Output
{
    int status;
    std::string out;
    std::string err;
};

class PSineFitCommand : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { file = std::make_unique<HostTests::TemporaryFile>("ejecting-beats.csv", EjectingBeatsText()); }
    static void TearDownTestSuite() { file.reset(); }

    static Output Calc(const std::string& expression, std::vector<std::string> options = {"--samples"})
    {
        std::vector<std::string> args{"calc", "--expr", expression, file->Path()};
        args.insert(args.end(), options.begin(), options.end());
        std::ostringstream out, err;
        const int status = Host::RunCommandLine(args, out, err);
        return {status, out.str(), err.str()};
    }

    // The value column of the sample rows.
    static std::vector<double> Values(const std::string& text)
    {
        std::vector<double> values;
        std::istringstream in(text);
        std::string line;
        std::getline(in, line); // header
        while (std::getline(in, line))
            values.push_back(std::stod(line.substr(line.rfind('\t') + 1)));
        return values;
    }

    static inline std::unique_ptr<HostTests::TemporaryFile> file;
};

} // namespace

TEST_F(PSineFitCommand, EveryWholeBeatPeaksAtItsIsovolumicPressure)
{
    const Output result = Calc(std::string("PSineFit(ch1, ") + kEvents + ", 4)");
    ASSERT_EQ(Host::ExitOk, result.status) << result.err;
    const std::vector<double> values = Values(result.out);
    ASSERT_EQ(static_cast<size_t>(kBeats * kBeatSamples), values.size());
    // The first beat starts before the first marker is found, the last one has no closing marker.
    EXPECT_TRUE(std::all_of(values.begin(), values.begin() + kBeatSamples, [](double v) { return std::isnan(v); }));
    EXPECT_TRUE(std::all_of(values.end() - kBeatSamples, values.end(), [](double v) { return std::isnan(v); }));
    for (int beat = 1; beat + 1 < kBeats; ++beat)
    {
        double peak = -1.0;
        for (int i = beat * kBeatSamples; i < (beat + 1) * kBeatSamples; ++i)
            if (!std::isnan(values[i]))
                peak = std::max(peak, values[i]);
        EXPECT_NEAR(SyntheticBeats::kPiso, peak, 0.001 * SyntheticBeats::kPiso) << "beat " << beat;
    }
}

TEST_F(PSineFitCommand, AliasAndOutputTypeReachTheFunction)
{
    const Output curve = Calc(std::string("PSinFit(ch1, ") + kEvents + ", 4)");
    const Output plain = Calc(std::string("PSineFit(ch1, ") + kEvents + ", 6)");
    const Output derivative = Calc(std::string("PSineFit(ch1, ") + kEvents + ", 0)");
    ASSERT_EQ(Host::ExitOk, plain.status) << plain.err;
    const std::vector<double> a = Values(curve.out);
    const std::vector<double> b = Values(plain.out);
    const std::vector<double> d = Values(derivative.out);
    ASSERT_EQ(a.size(), b.size());
    const int inside = kBeatSamples + 250;
    EXPECT_GT(a[inside], 80.0) << "the fitted curve, not the derivative";
    EXPECT_NEAR(a[inside], b[inside], 1e-3) << "both solvers find the same curve";
    // dP/dt: every sample of a whole beat has a value, and it is small beside the pressure.
    EXPECT_FALSE(std::isnan(d[kBeatSamples]));
    EXPECT_LT(std::fabs(d[inside]), 5.0);
}

TEST_F(PSineFitCommand, OnlineChunksGiveTheOfflineSamples)
{
    const std::string expression = std::string("PSineFit(ch1, ") + kEvents + ", 4)";
    const Output offline = Calc(expression);
    const Output online = Calc(expression, {"--samples", "--chunk", "97"});
    ASSERT_EQ(Host::ExitOk, online.status) << online.err;
    EXPECT_EQ(offline.out, online.out);
}

// The beats' markers handed over as the host's list of event objects, whole or as the data arrives, bound
// the same intervals as their records do.
TEST_F(PSineFitCommand, MarkersAsEventObjectsGiveTheSamplesOfTheirRecords)
{
    const Output records = Calc(std::string("PSineFit(ch1, ") + kEvents + ", 4)");
    ASSERT_EQ(Host::ExitOk, records.status) << records.err;
    const std::string objects = std::string("PSineFit(ch1, eventobjects(") + kEvents + "), 4)";
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--samples"}, std::vector<std::string>{"--samples", "--chunk", "97"}})
    {
        const Output listed = Calc(objects, options);
        ASSERT_EQ(Host::ExitOk, listed.status) << listed.err;
        EXPECT_EQ(records.out, listed.out) << options.size();
    }
}

TEST_F(PSineFitCommand, StatisticsLeaveOutTheSamplesWithoutValue)
{
    const Output result = Calc(std::string("PSineFit(ch1, ") + kEvents + ", 4)", {});
    ASSERT_EQ(Host::ExitOk, result.status) << result.err;
    std::istringstream in(result.out);
    std::string header;
    std::getline(in, header);
    int record = -1;
    int count = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    in >> record >> count >> minimum >> maximum;
    ASSERT_TRUE(in) << result.out;
    EXPECT_GT(count, 0);
    EXPECT_LT(count, (kBeats - 2) * kBeatSamples) << "only the fitted spans of the whole beats have values";
    EXPECT_NEAR(SyntheticBeats::kPiso, maximum, 0.001 * SyntheticBeats::kPiso);
}
