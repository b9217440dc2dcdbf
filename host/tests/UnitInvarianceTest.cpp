// One recording, one answer: a preload reduction written in every volume and pressure unit, analysed with
// every pair of relation kinds as a macro sets them, gives the same loops, relations and areas once its
// values are taken to one unit; a noisy human's, with the detector's default height and with the settings
// saved from its analysis in mmHg, gives the same loops in every pressure unit.
#include "host/app/document/DocumentAnalysis.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/RelationKindsAnalysis.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr double KilopascalsPerMmHg = 0.133322387415;
constexpr double CentimetresOfWaterPerMmHg = 133.322387415 / 98.0665;
constexpr double Tolerance = 1e-6;
// Parameters that are derivatives of the samples (PowMax, dP/dt and dV/dt max and min, and the relation of dP/dt
// max to EDV): the samples are floats in the unit they are written in, each off by up to 2^-24 of its value,
// and a difference of neighbouring samples magnifies that by the value over its change per tick (some 100
// here, more on a noisy recording): some 1e-5 between units.
constexpr int FirstDerivative = 17, LastDerivative = 21;
constexpr double DerivativeTolerance = 1e-4;
// Tau's decay starts at the sample of steepest fall; in this model two neighbouring samples fall equally steeply
// to within the samples' rounding, so a unit may start the decay a sample later (some 7 % of Tau here).
constexpr int TauParameter = 29;
constexpr double TauTolerance = 0.1;
// The major-axis (perpendicular) line minimises distances across both axes, so its line depends on the scale
// of the axes the values are shown in: so do the areas under it.
constexpr double PerpendicularTolerance = 1e-3;
constexpr int FirstArea = 26, LastArea = 28;

struct WrittenUnits
{
    const char* pressure;
    double pressureFactor;
    const char* volume;
    double volumeFactor;
};

// What one of a unit text ("mmHg*µL/s", "1/µL", "mmHg/µL²") is in mmHg and uL.
double InMmHgAndMicrolitres(const std::string& unit)
{
    const std::string squared = "\u00B2";
    double factor = 1.0;
    char operation = '*';
    for (size_t at = 0;;)
    {
        const size_t end = unit.find_first_of("*/", at);
        std::string token = unit.substr(at, end == std::string::npos ? std::string::npos : end - at);
        int power = 1;
        if (token.size() > squared.size() && token.ends_with(squared))
        {
            token.resize(token.size() - squared.size());
            power = 2;
        }
        const double one = token == "kPa"     ? 1.0 / KilopascalsPerMmHg
                           : token == "Pa"    ? 1e-3 / KilopascalsPerMmHg
                           : token == "cmH2O" ? 1.0 / CentimetresOfWaterPerMmHg
                           : token == "mL"    ? 1e3
                           : token == "L"     ? 1e6
                                              : 1.0;
        factor = operation == '*' ? factor * std::pow(one, power) : factor / std::pow(one, power);
        if (end == std::string::npos)
            return factor;
        operation = unit[end];
        at = end + 1;
    }
}

using HostTests::Analysed;

class UnitInvariance : public HostTests::RelationKindsAnalysis
{
};

void ExpectSameLoops(const Analysed& reference, const Analysed& other, bool perpendicular)
{
    ASSERT_EQ(reference.loops.size(), other.loops.size());
    for (size_t loop = 0; loop < reference.loops.size(); ++loop)
    {
        ASSERT_EQ(reference.loops[loop].record.firstTick, other.loops[loop].record.firstTick) << loop;
        for (int parameter = 1; parameter <= LoopParameterCount; ++parameter)
        {
            const auto index = static_cast<size_t>(parameter - 1);
            const double want = reference.loops[loop].values[index] * InMmHgAndMicrolitres(reference.summaries[index].unit);
            const double have = other.loops[loop].values[index] * InMmHgAndMicrolitres(other.summaries[index].unit);
            if (std::isnan(want) && std::isnan(have))
                continue;
            const double tolerance = parameter >= FirstDerivative && parameter <= LastDerivative ? DerivativeTolerance
                                     : parameter == TauParameter                                 ? TauTolerance
                                     : perpendicular && parameter >= FirstArea && parameter <= LastArea
                                         ? PerpendicularTolerance
                                         : Tolerance;
            EXPECT_NEAR(want, have, tolerance * std::fabs(want)) << "loop " << loop << ", parameter " << parameter;
        }
    }
}

// The loops' volumes (uL) from the smallest end-systolic to the largest end-diastolic.
std::pair<double, double> VolumeSpan(const Analysed& analysed)
{
    constexpr size_t Ves = 5, Ved = 6;
    double smallest = INFINITY, largest = 0.0;
    for (const Host::LoopRow& loop : analysed.loops)
    {
        smallest = std::min(smallest, loop.values[Ves] * InMmHgAndMicrolitres(analysed.summaries[Ves].unit));
        largest = std::max(largest, loop.values[Ved] * InMmHgAndMicrolitres(analysed.summaries[Ved].unit));
    }
    return {smallest, largest};
}

// A relation is compared by its values over the loops' volumes, from the smallest end-systolic to the largest
// end-diastolic: coefficients far outside the data (an intercept at zero volume) move with each other.
void ExpectSameRelations(const Analysed& reference, const Analysed& other, double smallestVolume, double largestVolume)
{
    constexpr int Volumes = 5;
    ASSERT_EQ(reference.relations.size(), other.relations.size());
    for (size_t kind = 0; kind < reference.relations.size(); ++kind)
    {
        const Host::RelationRow &want = reference.relations[kind], &have = other.relations[kind];
        ASSERT_EQ(want.fit.has_value(), have.fit.has_value()) << want.name;
        if (!want.fit)
            continue;
        const bool exponential = static_cast<SistraRelation>(kind) == SistraRelation::EdpvrExponential;
        const auto valueAt = [exponential](const Host::RelationRow& row, double volume) {
            const double slope = row.fit->slope * InMmHgAndMicrolitres(row.units[0]);
            const double intercept = row.fit->intercept * InMmHgAndMicrolitres(row.units[1]);
            const double curvature = row.fit->curvature * InMmHgAndMicrolitres(row.units[2]);
            return exponential ? intercept * std::exp(slope * volume) : intercept + (slope + curvature * volume) * volume;
        };
        double scale = 0.0, difference = 0.0;
        for (int step = 0; step < Volumes; ++step)
        {
            const double volume = smallestVolume + (largestVolume - smallestVolume) * step / (Volumes - 1);
            scale = std::max(scale, std::fabs(valueAt(want, volume)));
            difference = std::max(difference, std::fabs(valueAt(want, volume) - valueAt(have, volume)));
        }
        const auto relation = static_cast<SistraRelation>(kind);
        const double tolerance = relation == SistraRelation::EspvrPerpendicular ? PerpendicularTolerance
                                 : relation == SistraRelation::DpdtMaxEdv     ? DerivativeTolerance
                                                                               : Tolerance;
        EXPECT_LE(difference, tolerance * scale) << want.name;
        EXPECT_NEAR(want.fit->rSquared, have.fit->rSquared, tolerance) << want.name;
    }
}

} // namespace

TEST_F(UnitInvariance, EveryUnitAndPairOfRelationKindsGivesTheSameLoopsRelationsAndAreas)
{
    std::vector<WrittenUnits> written;
    for (const auto& [pressure, pressureFactor] :
         {std::pair{"mmHg", 1.0}, std::pair{"kPa", KilopascalsPerMmHg}, std::pair{"cmH2O", CentimetresOfWaterPerMmHg}})
        for (const auto& [volume, volumeFactor] : {std::pair{"uL", 1.0}, std::pair{"mL", 1e-3}, std::pair{"L", 1e-6}})
            written.push_back({pressure, pressureFactor, volume, volumeFactor});
    std::vector<Host::Recording> recordings;
    for (const WrittenUnits& units : written)
        recordings.push_back(
            HostTests::ElastanceVentricle{}.Written(units.pressure, units.pressureFactor, units.volume, units.volumeFactor));
    for (const wchar_t* espvr : {L"Linear", L"Quadratic", L"Perpendicular", L"Tangent"})
        for (const wchar_t* edpvr : {L"Linear", L"Exponential"})
        {
            const Analysed reference = Analyse(recordings.front(), espvr, edpvr);
            ASSERT_GT(reference.loops.size(), 20u);
            const auto [smallestVolume, largestVolume] = VolumeSpan(reference);
            for (size_t units = 1; units < recordings.size(); ++units)
            {
                SCOPED_TRACE(testing::Message() << written[units].pressure << " " << written[units].volume << ", ESPVR "
                                                << espvr << ", EDPVR " << edpvr);
                const Analysed other = Analyse(recordings[units], espvr, edpvr);
                ExpectSameLoops(reference, other, std::wstring(espvr) == L"Perpendicular");
                ExpectSameRelations(reference, other, smallestVolume, largestVolume);
            }
        }
}

// The detector's least height is 20 mmHg in every pressure unit: taken as 20 of the channel's base unit, a
// human's noise of a few tenths of a millimetre of mercury cut its kPa recording into some 270 slivers.
// The settings saved from the mmHg analysis and loaded for each unit give the same loops again.
TEST_F(UnitInvariance, AHumansPreloadReductionGivesTheSameLoopsInEveryPressureUnitAndWithSettingsFromMmHg)
{
    const HostTests::ElastanceVentricle human = HostTests::ElastanceVentricle::Human();
    const HostTests::TemporaryFile settings("unit-invariance-mmhg.settings", "");
    const std::wstring settingsPath(settings.Path().begin(), settings.Path().end());
    const Analysed reference = Analyse(human.Written("mmHg", 1.0, "mL", 1.0), {}, {}, {}, settingsPath);
    ASSERT_GE(reference.loops.size(), static_cast<size_t>(human.beats - human.settlingBeats - 2));
    ASSERT_LE(reference.loops.size(), static_cast<size_t>(human.beats - human.settlingBeats));
    const auto [smallestVolume, largestVolume] = VolumeSpan(reference);
    Host::AnalysisChoices fromMmHg;
    fromMmHg.settingsFile = settingsPath;
    for (const auto& [unit, factor] : {std::pair{"kPa", KilopascalsPerMmHg}, std::pair{"cmH2O", CentimetresOfWaterPerMmHg},
                                       std::pair{"Pa", 1e3 * KilopascalsPerMmHg}})
        for (const bool loaded : {false, true})
        {
            SCOPED_TRACE(testing::Message() << unit << (loaded ? ", settings from mmHg" : ", default settings"));
            const Analysed other = Analyse(human.Written(unit, factor, "mL", 1.0), {}, {}, loaded ? fromMmHg : Host::AnalysisChoices{});
            ExpectSameLoops(reference, other, false);
            ExpectSameRelations(reference, other, smallestVolume, largestVolume);
        }
}
