// What the host says of results it prints but that cannot be taken as they stand.
#include "host/app/ResultDoubts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{

constexpr size_t Sv = 2, Vmax = 3, Vmin = 4;
constexpr const char* NoisyStrokeVolume = "the pressure looks too noisy for the stable stroke volume";

// A loop of 41 mL from 50 to 91 with the given stroke volume, included unless state says otherwise.
Host::LoopRow Loop(double strokeVolume, int32_t state = Sistra::LoopStateValid)
{
    Host::LoopRow row{};
    row.record.state = state;
    row.values.fill(NAN);
    row.values[Sv] = strokeVolume;
    row.values[Vmax] = 91.0;
    row.values[Vmin] = 50.0;
    return row;
}

std::vector<std::string> DoubtsOf(const std::vector<Host::LoopRow>& loops,
                                  const std::vector<Host::RelationRow>& relations = {})
{
    const std::vector<Host::SummaryRow> summaries(LoopParameterCount);
    return Host::DoubtfulResults({summaries, relations, loops});
}

bool Says(const std::vector<std::string>& doubts, const std::string& text)
{
    return std::any_of(doubts.begin(), doubts.end(),
                       [&](const std::string& doubt) { return doubt.find(text) != std::string::npos; });
}

} // namespace

// More than a tenth of the included loops with a stroke volume below 80 % of their volume range, or none:
// the stable stroke volume's window slid onto the ejection.
TEST(ResultDoubts, StrokeVolumesThatManyLoopsContradictAreSaid)
{
    const struct
    {
        const char* name;
        int contradicting;
        double strokeVolume;
        int excluded;
        bool said;
    } cases[] = {
        {"a tenth of 20 below 80 %", 2, 0.56, 0, false},
        {"three of 20 below 80 %", 3, 0.56, 0, true},
        {"three of 20 without one", 3, NAN, 0, true},
        {"three of 20 at 81 %", 3, 0.81 * 41.0, 0, false},
        {"three of 20, two of them excluded", 3, 0.56, 2, false},
    };
    for (const auto& test : cases)
    {
        std::vector<Host::LoopRow> loops(20 - test.contradicting, Loop(40.0));
        for (int loop = 0; loop < test.contradicting; ++loop)
            loops.push_back(Loop(test.strokeVolume, loop < test.excluded ? 1 : Sistra::LoopStateValid));
        const std::vector<std::string> doubts = DoubtsOf(loops);
        EXPECT_EQ(test.said, Says(doubts, NoisyStrokeVolume)) << test.name;
        if (test.said)
        {
            EXPECT_TRUE(Says(doubts, std::to_string(test.contradicting) + " of 20 loops")) << test.name;
        }
    }
}

TEST(ResultDoubts, ARelationFurtherFromTheLoopsThanTheirMeanIsSaidToBeNoFit)
{
    const std::vector<Host::LoopRow> loops(20, Loop(40.0));
    std::vector<Host::RelationRow> relations{{"EDPVR linear", SistraRegression{0.1, 5.0, 0.0, 0.9}, {}},
                                             {"EDPVR exponential", std::nullopt, {}}};
    EXPECT_TRUE(DoubtsOf(loops, relations).empty());
    relations[1].worseThanMean = -1.3e54;
    const std::vector<std::string> doubts = DoubtsOf(loops, relations);
    ASSERT_EQ(1u, doubts.size());
    EXPECT_TRUE(Says(doubts, "EDPVR exponential: no fit, r2 = -1.3")) << doubts.front();
}
