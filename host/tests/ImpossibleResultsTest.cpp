// No number that cannot be right is given as a result. A relation fitted further from the loops than their
// mean (r squared below 0) is no fit, and the areas, energies and efficiencies that need it are not
// determined; nor is the efficiency of a loop whose area is not positive. Over human preload reductions whose
// pressure sits 20 mmHg below zero or drops out to 0 for a second, with every pair of relation kinds as a
// macro sets them: each relation given fits, each area given lies within the loops' own pressures and
// volumes, and each efficiency given within 0 to 1.
#include "host/app/document/DocumentAnalysis.h"
#include "host/app/recording/RecordingText.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/RelationKindsAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace
{

// Parameters by index (1-31), as the loops' values hold them from entry 0.
constexpr int Sw = 1, Vmax = 4, Vmin = 5, Pmax = 8, Pmin = 9, Pva = 26, Pe = 27, Ce = 28;

double ValueOf(const Host::LoopRow& loop, int parameter)
{
    return loop.values[static_cast<size_t>(parameter - 1)];
}

// The human occlusion with every sample from start to end seconds of pressure and volume at 0, as a catheter
// that lost its signal writes them.
std::string WithDropout(const std::string& text, double start, double end)
{
    std::istringstream in(text);
    std::ostringstream out;
    std::string line;
    std::getline(in, line);
    out << line << '\n';
    while (std::getline(in, line))
    {
        const size_t pressure = line.find(','), volume = line.find(',', pressure + 1);
        const double t = std::stod(line.substr(0, pressure));
        if (t >= start && t < end)
            line = line.substr(0, pressure) + ",0,0" + line.substr(line.find(',', volume + 1));
        out << line << '\n';
    }
    return out.str();
}

using HostTests::Analysed;

class ImpossibleResults : public HostTests::RelationKindsAnalysis
{
};

// Each relation is a fit (r squared within 0 to 1, r within -1 to 1) or none; none says its r squared where
// that is below 0, and has no terms.
void ExpectOnlyFits(const std::vector<Host::RelationRow>& relations)
{
    for (const Host::RelationRow& relation : relations)
    {
        SCOPED_TRACE(relation.name);
        if (relation.fit)
        {
            EXPECT_LE(std::string(relation.measure) == "r" ? -1.0 : 0.0, relation.fit->rSquared);
            EXPECT_GE(1.0 + 1e-12, relation.fit->rSquared);
            EXPECT_FALSE(relation.worseThanMean);
        }
        else if (relation.worseThanMean)
        {
            EXPECT_LT(*relation.worseThanMean, 0.0);
        }
    }
}

// An area closed by relations that fit lies within the box of the loops' pressures and volumes taken from 0,
// with room for where the relations meet beyond the loops.
void ExpectPossibleAreas(const Analysed& analysed, bool determined)
{
    double pressure = 0.0, volume = 0.0;
    for (const Host::LoopRow& loop : analysed.loops)
    {
        pressure = std::max({pressure, std::fabs(ValueOf(loop, Pmax)), std::fabs(ValueOf(loop, Pmin))});
        volume = std::max({volume, std::fabs(ValueOf(loop, Vmax)), std::fabs(ValueOf(loop, Vmin))});
    }
    constexpr double Room = 4.0;
    for (size_t index = 0; index < analysed.loops.size(); ++index)
    {
        const Host::LoopRow& loop = analysed.loops[index];
        SCOPED_TRACE(testing::Message() << "loop " << index);
        const double pva = ValueOf(loop, Pva), pe = ValueOf(loop, Pe), ce = ValueOf(loop, Ce);
        if (!determined)
        {
            EXPECT_TRUE(std::isnan(pva) && std::isnan(pe) && std::isnan(ce)) << pva << " " << pe << " " << ce;
            continue;
        }
        if (!std::isnan(pva))
        {
            EXPECT_LE(std::fabs(pva), Room * pressure * volume);
        }
        if (!(pva > 0.0))
        {
            EXPECT_TRUE(std::isnan(ce)) << "CE " << ce << " of PVA " << pva << " and SW " << ValueOf(loop, Sw);
        }
    }
    const auto& efficiency = analysed.summaries.at(Ce - 1).summary;
    if (efficiency && efficiency->count > 0)
    {
        EXPECT_LE(0.0, efficiency->minimum);
        EXPECT_GE(1.0, efficiency->maximum);
    }
}

const Host::RelationRow& RelationOf(const Analysed& analysed, SistraRelation relation)
{
    return analysed.relations.at(static_cast<size_t>(relation));
}

} // namespace

TEST_F(ImpossibleResults, NoRelationAreaOrEfficiencyIsGivenThatTheLoopsCannotHave)
{
    constexpr double BelowZero = 20.0;
    const struct
    {
        const char* name;
        std::string text;
    } recordings[] = {
        {"pressure 20 mmHg below zero",
         HostTests::OcclusionText(40, "LV Pressure (mmHg),LV Volume (uL),ECG (mV)", {1.0, BelowZero, 1.0, 0.0})},
        {"a second's dropout to 0", WithDropout(HostTests::OcclusionText(40), 10.0, 11.0)},
    };
    const struct
    {
        const wchar_t* name;
        SistraRelation relation;
    } espvrs[] = {{L"Linear", SistraRelation::EspvrLinear},
                  {L"Quadratic", SistraRelation::EspvrQuadratic},
                  {L"Perpendicular", SistraRelation::EspvrPerpendicular},
                  {L"Tangent", SistraRelation::EspvrTangent}},
      edpvrs[] = {{L"Linear", SistraRelation::EdpvrLinear}, {L"Exponential", SistraRelation::EdpvrExponential}};
    for (const auto& recording : recordings)
    {
        const Host::Recording parsed = Host::ParseRecordingText(recording.text, recording.name);
        for (const auto& espvr : espvrs)
            for (const auto& edpvr : edpvrs)
            {
                SCOPED_TRACE(testing::Message() << recording.name << ", ESPVR " << espvr.name << ", EDPVR " << edpvr.name);
                const Analysed analysed = Analyse(parsed, espvr.name, edpvr.name);
                ASSERT_GT(analysed.loops.size(), 20u);
                ExpectOnlyFits(analysed.relations);
                ExpectPossibleAreas(analysed, RelationOf(analysed, espvr.relation).fit.has_value() &&
                                                  RelationOf(analysed, edpvr.relation).fit.has_value());
            }
    }
    // Every exponential with A >= 0 lies above every end-diastolic pressure below zero, further from them than
    // their mean: none fits (numpy: r squared at most -107 here, whatever the terms).
    const Analysed offset = Analyse(Host::ParseRecordingText(recordings[0].text, recordings[0].name), L"Linear",
                                    L"Exponential");
    EXPECT_FALSE(RelationOf(offset, SistraRelation::EdpvrExponential).fit);
    EXPECT_TRUE(RelationOf(offset, SistraRelation::EdpvrLinear).fit);
}
