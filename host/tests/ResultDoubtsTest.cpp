// What the host says of results it prints but that cannot be taken as they stand.
#include "host/app/commands/ResultDoubts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
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
            // The stable stroke volume is the same whichever detector gave end-diastole: only the mode helps.
            EXPECT_TRUE(Says(doubts, "pressure looks too noisy for the stable stroke volume; SV mode Vmax - Vmin avoids it"))
                << test.name;
        }
    }
}

TEST(ResultDoubts, ARelationFurtherFromTheLoopsThanTheirMeanIsSaidToBeNoFit)
{
    const std::vector<Host::LoopRow> loops(20, Loop(40.0));
    std::vector<Host::RelationRow> relations{{"EDPVR linear", SistraRegression{0.1, 5.0, 0.0, 0.9}, {}},
                                             {"EDPVR exponential", std::nullopt, {}}};
    relations[1].worseThanMean = -1.3e54;
    const std::vector<std::string> doubts = DoubtsOf(loops, relations);
    ASSERT_FALSE(doubts.empty());
    EXPECT_TRUE(Says(doubts, "EDPVR exponential: no fit, r2 = -1.3")) << doubts.front();
}

// Each relation the loops give no fit of is named with what keeps it from them: too few loops with its two
// values, too few distinct volumes, one pressure for all, or else what its fit could not do.
TEST(ResultDoubts, EveryRelationThatIsNoFitIsSaidWithItsReason)
{
    constexpr size_t Ves = 5, Ved = 6, Pes = 11, Ped = 12, Sw = 0, DpdtMax = 17;
    // 20 loops whose values all differ, then changed as a case needs.
    const auto loops = [](const std::function<void(size_t, Host::LoopRow&)>& change = nullptr) {
        std::vector<Host::LoopRow> rows(20, Loop(40.0));
        for (size_t i = 0; i < rows.size(); ++i)
        {
            for (const size_t value : {Ves, Ved, Pes, Ped, Sw, DpdtMax})
                rows[i].values[value] = 10.0 + static_cast<double>(i * (value + 1));
            if (change)
                change(i, rows[i]);
        }
        return rows;
    };
    const struct
    {
        const char* relation;
        std::vector<Host::LoopRow> loops;
        const char* reason;
    } cases[] = {
        {"ESPVR linear", loops([](size_t i, Host::LoopRow& l) { l.record.state = i == 0 ? 0 : 1; }),
         "ESPVR linear: no fit, 1 loop with both Ves and Pes, where it takes 2"},
        {"ESPVR quadratic", loops([](size_t i, Host::LoopRow& l) { l.values[Ves] = i % 2 ? 7.0 : 8.0; }),
         "ESPVR quadratic: no fit, the loops' Ves take 2 values, where it takes 3"},
        {"ESPVR quadratic", loops(), "ESPVR quadratic: no fit, the solver finds no curve through the points that fits"},
        {"ESPVR perpendicular", loops([](size_t, Host::LoopRow& l) { l.values[Pes] = 90.0 * (1.0 + 1e-8); }),
         "ESPVR perpendicular: no fit, every loop has the same Pes"},
        {"ESPVR tangent", loops([](size_t, Host::LoopRow& l) { l.record.state = 1; }),
         "ESPVR tangent: no fit, no loop included, where it takes 2"},
        {"ESPVR tangent", loops(), "ESPVR tangent: no fit, no line touches the loops' end-systolic parts (20 loops)"},
        {"EDPVR linear", loops([](size_t, Host::LoopRow& l) { l.values[Ped] = NAN; }),
         "EDPVR linear: no fit, no loop with both Ved and Ped, where it takes 2"},
        {"EDPVR exponential", loops(), "EDPVR exponential: no fit, the solver finds no curve Ped = A exp(B Ved) with A >= 0"},
        {"PRSW", loops([](size_t, Host::LoopRow& l) { l.values[Ved] = 31.0; }),
         "PRSW: no fit, the loops' Ved take 1 value, where it takes 2"},
        {"dP/dt max-EDV", loops([](size_t i, Host::LoopRow& l) { l.values[DpdtMax] = i < 19 ? NAN : 1.0; }),
         "dP/dt max-EDV: no fit, 1 loop with both Ved and dP/dt max, where it takes 2"},
        {"dP/dt max-EDV", loops([](size_t, Host::LoopRow& l) { l.values[DpdtMax] = 1.0; }),
         "dP/dt max-EDV: no fit, every loop has the same dP/dt max"},
        {"dP/dt max-EDV", loops(), "dP/dt max-EDV: no fit, the points spread no further than the recorded values' rounding"},
    };
    for (const auto& test : cases)
    {
        const std::vector<Host::RelationRow> relations{{test.relation, std::nullopt, {}}};
        const std::vector<std::string> doubts = DoubtsOf(test.loops, relations);
        EXPECT_TRUE(Says(doubts, test.reason)) << test.relation << ": " << (doubts.empty() ? "" : doubts.front());
    }
}

// Without areas for any included loop the areas' doubt names the end-systolic and end-diastolic relations that
// are no fit, or says that those fitted do not meet; with areas it says nothing.
TEST(ResultDoubts, AnalysisWithoutAreasSaysWhy)
{
    const std::vector<Host::LoopRow> loops(20, Loop(40.0));
    const SistraRegression line{1.0, 0.0, 0.0, 0.9};
    const auto areasDoubt = [&](int32_t areas, const std::vector<Host::RelationRow>& relations) {
        std::vector<Host::SummaryRow> summaries(LoopParameterCount);
        summaries[25].summary = SistraParameterSummary{areas, 0, 1.0, 1.0, 1.0};
        for (const std::string& doubt : Host::DoubtfulResults({summaries, relations, loops}))
            if (doubt.starts_with("PVA, PE and CE"))
                return doubt;
        return std::string("none");
    };
    const std::vector<Host::RelationRow> fitted{{"ESPVR linear", line, {}}, {"EDPVR exponential", line, {}}, {"PRSW", {}, {}}};
    const std::vector<Host::RelationRow> edpvrNoFit{{"ESPVR linear", line, {}}, {"EDPVR exponential", {}, {}}, {"PRSW", {}, {}}};
    EXPECT_EQ("none", areasDoubt(20, edpvrNoFit));
    EXPECT_EQ("PVA, PE and CE: none for any loop: they take the ESPVR and EDPVR the settings choose, fitted and meeting; "
              "no fit: EDPVR exponential",
              areasDoubt(0, edpvrNoFit));
    EXPECT_EQ("PVA, PE and CE: none for any loop: they take the ESPVR and EDPVR the settings choose, and those do not "
              "meet where the loops' areas can close",
              areasDoubt(0, fitted));
}
