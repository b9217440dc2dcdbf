#include "document/analysis/SistraData.h"

#include "document/analysis/ParameterNames.h"
#include "document/table/HemodynamicsTableData.h"

#include "document/tests/analysis/FakeAnalysisOwner.h"

#include "calc/tests/TimeVaryingElastance.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Sistra;
using DocumentTesting::FakeOwner;

namespace
{

constexpr int LoopCount = 6;

// Loop i, in shown units: Ves 40 + 10 i on Pes = 2 Ves + 5 (+ wobble, alternating); Ved 100 + 10 i on
// Ped = 2 e^(0.04 Ved); SW = 3 Ved - 50; dP/dt max = 10 Ved + 100. Then the block's closing record.
// Volumes are recorded as volumeUnit times the shown values.
std::vector<SistraEvent> RelationLoops(double volumeUnit = 1.0, double wobble = 0.0)
{
    std::vector<SistraEvent> loops;
    for (int i = 0; i <= LoopCount; ++i)
    {
        SistraEvent loop;
        loop.base.tick = loop.firstTick = 100 * (i + 1);
        loop.endTick = loop.firstTick + 100;
        const double ves = 40.0 + 10.0 * i, ved = 100.0 + 10.0 * i;
        loop.ves = ves * volumeUnit;
        loop.pes = 2.0 * ves + 5.0 + (i % 2 ? wobble : -wobble);
        loop.ved = ved * volumeUnit;
        loop.ped = 2.0 * std::exp(0.04 * ved);
        loop.sw = (3.0 * ved - 50.0) * volumeUnit;
        loop.dpdtMax = 10.0 * ved + 100.0;
        loop.sv = loop.ved - loop.ves;
        loop.state = i == LoopCount ? LoopStateClosing : LoopStateValid;
        loops.push_back(loop);
    }
    return loops;
}

std::vector<PVAEvent> AreasOf(const std::vector<SistraEvent>& loops)
{
    std::vector<PVAEvent> areas;
    for (std::size_t i = 0; i + 1 < loops.size(); ++i)
    {
        PVAEvent area;
        area.base = loops[i].base;
        area.pva = 1000.0 + 100.0 * static_cast<double>(i);
        area.strokeWork = loops[i].sw;
        area.pe = area.pva - area.strokeWork;
        areas.push_back(area);
    }
    return areas;
}

class SistraDataTest : public ::testing::Test
{
protected:
    void Analyse(const std::vector<SistraEvent>& loops)
    {
        owner.host.SetRecords(L"sistra", 0, loops);
        owner.host.SetRecords(L"pva", 0, AreasOf(loops));
        data->Reset();
        ASSERT_TRUE(data->PressureStore().FindCalculations());
        ASSERT_TRUE(data->PressureStore().CreateCalculations(L"SistraAnalyzer(...)", L"", L""));
        ASSERT_TRUE(data->PrepareBlock(0, 0));
        EXPECT_EQ(static_cast<int32_t>(loops.size()), data->FeedLoops(HostRecordEnd));
    }

    ParameterSummary Summary(int32_t parameter)
    {
        const auto summary = data->GetParameterStatistics(parameter);
        EXPECT_TRUE(summary);
        return summary.value_or(ParameterSummary{});
    }

    FakeOwner owner;
    Orv::ComPtr<SistraData> data{new SistraData(owner)};
};

} // namespace

TEST_F(SistraDataTest, EveryEndSystolicFitRecoversAnExactLine)
{
    Analyse(RelationLoops());
    EXPECT_EQ(static_cast<uint32_t>(LoopCount), data->GetLoopCount());
    FittedLine linear, perpendicular;
    ASSERT_TRUE(data->FitEspvrLinear(linear, false));
    ASSERT_TRUE(data->FitEspvrPerpendicular(perpendicular, false));
    for (const FittedLine& line : {linear, perpendicular})
    {
        EXPECT_NEAR(2.0, line.slope, 1e-6);
        EXPECT_NEAR(5.0, line.intercept, 1e-4);
        EXPECT_NEAR(1.0, line.fit, 1e-9);
    }
    std::array<double, 3> c{};
    double r2 = 0.0;
    ASSERT_TRUE(data->FitEspvrQuadratic(c, &r2, false));
    EXPECT_NEAR(5.0, c[0], 1e-3);
    EXPECT_NEAR(2.0, c[1], 1e-4);
    EXPECT_NEAR(0.0, c[2], 1e-6);
    EXPECT_NEAR(1.0, r2, 1e-9);
}

// Volumes recorded in litres and shown in microlitres: every relation is fitted and handed out in the
// shown units, where its fit is well posed, and raw hands out the same relation over the recorded values.
TEST_F(SistraDataTest, RelationsAreFittedOverTheShownValues)
{
    constexpr double Microlitre = 1e-6;
    owner.volumeScale = 1.0 / Microlitre;
    Analyse(RelationLoops(Microlitre, 0.5));
    SistraEvent first;
    ASSERT_TRUE(data->ReadLoop(0, first));
    using LineFit = bool (SistraData::*)(FittedLine&, bool);
    const struct
    {
        const char* name;
        LineFit fit;
        double slope, intercept, x, y; // shown; first loop's recorded point
        double tolerance;
    } lines[] = {
        {"ESPVR", &SistraData::FitEspvrLinear, 2.0, 5.0, first.ves, first.pes, 0.2},
        {"ESPVR perpendicular", &SistraData::FitEspvrPerpendicular, 2.0, 5.0, first.ves, first.pes, 0.2},
        {"PRSW", &SistraData::FitPrsw, 3.0, -50.0, first.ved, first.sw, 1e-3},
        {"dP/dt max", &SistraData::FitDpdtMaxEdv, 10.0, 100.0, first.ved, first.dpdtMax, 1e-2},
    };
    for (const auto& relation : lines)
    {
        FittedLine shown, raw;
        ASSERT_TRUE((data.Get()->*relation.fit)(shown, false)) << relation.name;
        ASSERT_TRUE((data.Get()->*relation.fit)(raw, true)) << relation.name;
        EXPECT_NEAR(relation.slope, shown.slope, relation.tolerance * 0.05) << relation.name;
        EXPECT_NEAR(relation.intercept, shown.intercept, relation.tolerance * 5) << relation.name;
        EXPECT_EQ(shown.fit, raw.fit) << relation.name;
        EXPECT_NEAR(relation.y, raw.slope * relation.x + raw.intercept, relation.tolerance * std::fabs(relation.y))
            << relation.name << " over the recorded values";
    }
    FittedLine linear;
    ASSERT_TRUE(data->FitEspvrLinear(linear, false));
    std::array<double, 3> shown{}, raw{};
    double quadraticFit = -1.0;
    ASSERT_TRUE(data->FitEspvrQuadratic(shown, &quadraticFit, false));
    ASSERT_TRUE(data->FitEspvrQuadratic(raw, nullptr, true));
    EXPECT_GE(quadraticFit, linear.fit - 1e-12) << "a line is a quadratic too";
    EXPECT_LT(quadraticFit, 1.0);
    EXPECT_NEAR(first.pes, raw[0] + raw[1] * first.ves + raw[2] * first.ves * first.ves, 1.0);
    double a = 0.0, b = 0.0;
    ASSERT_TRUE(data->FitEdpvrExponential(a, b, nullptr, true));
    EXPECT_NEAR(first.ped, a * std::exp(b * first.ved), 1e-3 * first.ped);
    owner.settings.edpvrKind = EdpvrExponential;
    double p = 0.0, v = 0.0;
    ASSERT_TRUE(data->GetEspvrEdpvrIntersection(p, v));
    EXPECT_NEAR(linear.slope * v / Microlitre + linear.intercept, p, 1e-6 * p) << "recorded volume";
}

TEST_F(SistraDataTest, EndDiastolicStrokeWorkAndDpdtRelations)
{
    Analyse(RelationLoops());
    double a = 0.0, b = 0.0, r2 = 0.0;
    ASSERT_TRUE(data->FitEdpvrExponential(a, b, &r2, true));
    EXPECT_NEAR(2.0, a, 1e-4);
    EXPECT_NEAR(0.04, b, 1e-7);
    FittedLine prsw, dpdt;
    ASSERT_TRUE(data->FitPrsw(prsw, false));
    EXPECT_NEAR(3.0, prsw.slope, 1e-6);
    EXPECT_NEAR(-50.0, prsw.intercept, 1e-3);
    ASSERT_TRUE(data->FitDpdtMaxEdv(dpdt, false));
    EXPECT_NEAR(10.0, dpdt.slope, 1e-5);
    EXPECT_NEAR(100.0, dpdt.intercept, 1e-2);
}

// The exponential relation is kept for the points it was fitted over: asked again over the same points it
// answers as the fit did, r squared included where the first caller asked for none; over other points
// (other display units) it is fitted again.
TEST_F(SistraDataTest, TheExponentialRelationFollowsItsPoints)
{
    Analyse(RelationLoops());
    double a = 0.0, b = 0.0, r2 = 0.0;
    ASSERT_TRUE(data->FitEdpvrExponential(a, b, nullptr, false));
    ASSERT_TRUE(data->FitEdpvrExponential(a, b, &r2, false));
    EXPECT_NEAR(1.0, r2, 1e-9);
    const struct
    {
        double pressureScale, volumeScale, amplitude, rate;
    } cases[] = {{10.0, 1.0, 20.0, 0.04}, {10.0, 2.0, 20.0, 0.02}, {1.0, 1.0, 2.0, 0.04}};
    for (const auto& units : cases)
    {
        owner.pressureScale = units.pressureScale;
        owner.volumeScale = units.volumeScale;
        ASSERT_TRUE(data->FitEdpvrExponential(a, b, nullptr, false));
        EXPECT_NEAR(units.amplitude, a, 1e-3 * units.amplitude) << units.pressureScale << ", " << units.volumeScale;
        EXPECT_NEAR(units.rate, b, 1e-6) << units.pressureScale << ", " << units.volumeScale;
    }
}

TEST_F(SistraDataTest, IntersectionOfTheChosenRelations)
{
    Analyse(RelationLoops());
    owner.settings.edpvrKind = EdpvrExponential;
    double p = 0.0, v = 0.0;
    ASSERT_TRUE(data->GetEspvrEdpvrIntersection(p, v));
    EXPECT_NEAR(2.0 * v + 5.0, p, 1e-3);
    EXPECT_NEAR(2.0 * std::exp(0.04 * v), p, 1e-2);
}

TEST_F(SistraDataTest, SummariesEqualHandValuesAlsoInConvertedPressure)
{
    Analyse(RelationLoops());
    // Pes: 85, 105, ..., 185.
    ParameterSummary pes = Summary(12);
    EXPECT_DOUBLE_EQ(85.0, pes.minimum);
    EXPECT_DOUBLE_EQ(185.0, pes.maximum);
    EXPECT_DOUBLE_EQ(135.0, pes.average);
    EXPECT_EQ(LoopCount, pes.count);

    owner.pressureScale = 2.0; // a new pressure calibration
    pes = Summary(12);
    EXPECT_DOUBLE_EQ(170.0, pes.minimum);
    EXPECT_DOUBLE_EQ(370.0, pes.maximum);
    EXPECT_DOUBLE_EQ(270.0, pes.average);
    const ParameterSummary ves = Summary(6);
    EXPECT_DOUBLE_EQ(65.0, ves.average) << "volumes keep their units";
}

TEST_F(SistraDataTest, ExcludingALoopChangesTheSummaryAndTheFits)
{
    Analyse(RelationLoops());
    EXPECT_DOUBLE_EQ(135.0, Summary(12).average);
    data->SetLoopState(0, LoopStateExcluded);
    EXPECT_EQ(1, owner.stateChanges);
    const ParameterSummary pes = Summary(12);
    EXPECT_DOUBLE_EQ(145.0, pes.average);
    EXPECT_DOUBLE_EQ(105.0, pes.minimum);
    EXPECT_EQ(LoopCount - 1, pes.count);
    data->SetLoopState(0, LoopStateExcluded);
    EXPECT_EQ(1, owner.stateChanges) << "the same state is no change";
    EXPECT_EQ((std::set<uint32_t>{0}), data->GetExcludedLoops());
    EXPECT_EQ(2, data->FindNthIncludedLoop(1));
    EXPECT_TRUE(std::isnan(data->GetLoopParameterValue(1, 0)));
    EXPECT_EQ(1.0, data->GetLoopParameterValue(0, 0)) << "row 0 numbers the loop";
}

TEST_F(SistraDataTest, FinishComposesTheAreaCalculationAndItsSummaries)
{
    Analyse(RelationLoops());
    data->Finish();
    const std::wstring& text = owner.host.Named(L"pva")->text;
    EXPECT_EQ(0u, text.find(L"PVACalc(sistra, ch1, pvvolumewithoutvp, 0, 0, ")) << text;
    const ParameterSummary pva = Summary(26);
    EXPECT_DOUBLE_EQ(1250.0, pva.average);
    EXPECT_DOUBLE_EQ(1000.0, pva.minimum);
    EXPECT_EQ(LoopCount, pva.count);
    PlotRange range;
    owner.settings.espvrKind = EspvrLinear;
    EXPECT_TRUE(data->GetPvaEspPlotRange(range));
    EXPECT_EQ(1000.0f, range.firstMinimum);
    EXPECT_EQ(1500.0f, range.firstMaximum);
    owner.sampling = owner.settings.onlineMode = true;
    EXPECT_FALSE(data->GetParameterStatistics(26)) << "no areas while sampling";
}

TEST_F(SistraDataTest, WithoutTwoFitsTheAreaCalculationIsSwitchedOff)
{
    std::vector<SistraEvent> loops = RelationLoops();
    loops.erase(loops.begin() + 1, loops.end() - 1); // one loop and the closing record
    Analyse(loops);
    data->Finish();
    EXPECT_EQ(L"PVACalc(sistra, -1 , 0, 0, 0, 0, 0, 0, 0)", owner.host.Named(L"pva")->text);
    EXPECT_FALSE(data->HasEnoughLoopsForFit());
}

TEST_F(SistraDataTest, RangesAndSeriesOfTheIncludedLoops)
{
    Analyse(RelationLoops());
    PlotRange range;
    ASSERT_TRUE(data->GetPrswPlotRange(range));
    EXPECT_EQ(250.0f, range.firstMinimum); // SW of Ved 100
    EXPECT_EQ(100.0f, range.secondMinimum);
    EXPECT_EQ(150.0f, range.secondMaximum);
    data->SetLoopState(2, LoopStateExcluded);
    const SistraData::Series prsw = data->GetPlotSeries(1, 0, 100);
    ASSERT_EQ(5u, prsw.first.size());
    EXPECT_EQ(0xE1u, prsw.colour);
    EXPECT_EQ(340.0f, prsw.first[2]); // the loop after the excluded one
    EXPECT_EQ(0u, data->GetPlotSeries(2, 0, 100).first.size());
}

TEST_F(SistraDataTest, CloneKeepsTheLoopsStatesAndSummariesApartFromTheOriginal)
{
    Analyse(RelationLoops());
    data->SetLoopState(0, LoopStateExcluded);
    Orv::ComPtr<IStrixDataChildData> copied;
    ASSERT_EQ(S_OK, data->Clone(0, 0, 0, 0, 0, nullptr, copied.Put()));
    auto* copy = static_cast<SistraData*>(copied.Get());
    data->Reset();
    EXPECT_EQ(0u, data->GetLoopCount());
    EXPECT_EQ(static_cast<uint32_t>(LoopCount), copy->GetLoopCount());
    EXPECT_EQ((std::set<uint32_t>{0}), copy->GetExcludedLoops());
    EXPECT_DOUBLE_EQ(145.0, copy->GetParameterStatistics(12)->average);
}

TEST_F(SistraDataTest, AHoldKeepsTheSettingsItFirstReadUntilItEnds)
{
    owner.settings.tableParameters = {0, 7, 12};
    Analyse(RelationLoops());
    ASSERT_EQ(3, data->GetTableParameters());
    const double shown = data->GetLoopParameterValue(2, 1);
    {
        const SistraData::SettingsHold hold(*data.Get());
        EXPECT_EQ(3, data->GetTableParameters());
        EXPECT_EQ(shown, data->GetLoopParameterValue(2, 1));
        owner.settings.tableParameters = {0, 12};
        owner.pressureScale = 2.0;
        EXPECT_EQ(3, data->GetTableParameters());
        EXPECT_EQ(shown, data->GetLoopParameterValue(2, 1));
    }
    EXPECT_EQ(2, data->GetTableParameters());
    EXPECT_EQ(2.0 * shown, data->GetLoopParameterValue(1, 1));
}

TEST_F(SistraDataTest, TableRowsAndTheirTitles)
{
    owner.settings.tableParameters = {12, 0, 7, 26};
    owner.settings.excludedParameters = {26, 27, 28};
    owner.pressureUnit = L"mmHg";
    EXPECT_EQ(3, data->GetTableParameters());
    EXPECT_EQ((std::vector<int32_t>{0, 7, 12}), data->TableParameters());
    EXPECT_EQ(L"", data->GetParameterTitle(1)) << "no loops yet";
    Analyse(RelationLoops());
    EXPECT_EQ(L"", data->GetParameterTitle(0));
    EXPECT_EQ(L"Ved", data->GetParameterTitle(1));
    EXPECT_EQ(L"Pes (mmHg)", data->GetParameterTitle(2));
    EXPECT_EQ(105.0, data->GetLoopParameterValue(2, 1));
    EXPECT_EQ(110.0, data->GetLoopParameterValue(1, 1));
}

TEST(HemodynamicsTable, ValuesShowTheirSignificantFiguresOrAWholeNumber)
{
    const struct
    {
        double value;
        RowNumberFormat format;
        const wchar_t* shown;
    } cases[] = {
        {12.5, {4, 7}, L"12.50"},
        {1235.0, {4, 7}, L"1235"},
        {0.000123456, {4, 7}, L"0.0001235"},
        {100.0, {4, 7}, L"100.0"},
        {1500.0, {2, 7}, L"1500"},
        {1234.0, {2, 7}, L"1200"},
        {999.96, {4, 7}, L"1000"},
        {-0.5, {2, 7}, L"-0.50"},
        {1.5e10, {2, 7}, L"1.5e+10"},
        {1.2e-7, {2, 7}, L"1.2e-07"},
        {std::nan(""), {4, 7}, L" "},
        {-INFINITY, {4, 7}, L" "},
        {2.5, {4, 0}, L"3"},
        {-2.5, {4, 0}, L"-3"},
        {3e10, {4, 0}, L"2147483647"},
        {-3e10, {4, 0}, L"-2147483648"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.shown, FormatTableValue(c.value, c.format, L'.')) << c.value;
}

TEST_F(SistraDataTest, TheHemodynamicsTableShowsALoopPerRowAndTheSummariesInItsSecondPane)
{
    owner.settings.tableParameters = {0, 7, 12};
    Orv::ComPtr<SistraHemodynamicsTableViewData> table(new SistraHemodynamicsTableViewData(*data.Get()));
    ULONG columns = 0, rows = 0, summaryRows = 0;
    table->GetRowCount(TableView::MainGridWord, &rows);
    EXPECT_EQ(1u, rows) << "the title row alone before an analysis";
    Analyse(RelationLoops());
    table->GetColumnCount(TableView::MainGridWord, &columns);
    table->GetRowCount(TableView::MainGridWord, &rows);
    table->GetRowCount(TableView::SecondGridWord, &summaryRows);
    EXPECT_EQ(3u, columns);
    EXPECT_EQ(1u + LoopCount, rows);
    EXPECT_EQ(5u, summaryRows);
    auto cell = [&](ULONG grid, int row, ULONG column) {
        Orv::String text;
        table->GetCellText(grid, row, column, &text);
        return std::wstring(text.c_str());
    };
    // Loop 1 (the second): Ved 110, Pes 105; Pes averages 2 * 65 + 5 over the six loops.
    EXPECT_EQ(L"", cell(TableView::MainGridWord, 0, 0));
    EXPECT_EQ(L"Ved", cell(TableView::MainGridWord, 0, 1));
    EXPECT_EQ(L"2", cell(TableView::MainGridWord, 2, 0));
    EXPECT_EQ(L"110.0", cell(TableView::MainGridWord, 2, 1));
    EXPECT_EQ(L"105.0", cell(TableView::MainGridWord, 2, 2));
    EXPECT_EQ(L"Avg", cell(TableView::SecondGridWord, 1, 0));
    EXPECT_EQ(L"135.0", cell(TableView::SecondGridWord, 1, 2));
    EXPECT_EQ(L"6", cell(TableView::SecondGridWord, 4, 2));
    table->GetRowFormat(12).digits = 2;
    EXPECT_EQ(L"100", cell(TableView::MainGridWord, 2, 2)) << "two figures for Pes only";
    EXPECT_EQ(L"110.0", cell(TableView::MainGridWord, 2, 1));
    const struct
    {
        int row;
        ULONG column;
        ULONG format;
    } formats[] = {{0, 0, 0x1030}, {0, 1, 0x1010}, {3, 0, 0x1020}, {3, 2, 0x1000}};
    for (const auto& f : formats)
    {
        ULONG format = 0;
        table->GetCellFormat(TableView::MainGridWord, f.row, f.column, &format);
        EXPECT_EQ(f.format, format) << f.row << "," << f.column;
    }
}

TEST(ParameterNames, LongAndShortNamesFromTheStringTable)
{
    struct Case
    {
        int32_t parameter;
        bool shortName;
        const wchar_t* name;
    };
    const Case cases[] = {{1, false, L"Stroke Work"}, {1, true, L"SW"},      {16, true, L"Ea"},
                          {18, false, L"dP/dt max"},  {18, true, L"dP/dt max"}, {28, false, L"Cardiac Efficiency"},
                          {28, true, L"CE"},          {31, true, L"Piso"},   {0, false, L""},
                          {32, true, L"Bogus"},       {-1, false, L"Bogus"}};
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.name), GetParameterName(c.parameter, c.shortName).c_str()) << c.parameter;
}

// Each parameter's unit from the channels' units, as the table titles and the command line print them.
TEST(ParameterUnits, EachParameterIsShownInItsUnit)
{
    const struct
    {
        int32_t parameter;
        const wchar_t* unit;
    } cases[] = {{1, L"mmHg*mL"},  {2, L"mL/min"},   {3, L"mL"},       {7, L"mL"},      {8, L"mmHg"},
                 {13, L"mmHg"},    {14, L"bpm"},     {15, L"%"},       {16, L"mmHg/mL"}, {17, L"mmHg*mL/s"},
                 {18, L"mmHg/s"},  {19, L"mmHg/s"},  {20, L"mL/s"},    {21, L"mL/s"},   {22, L"mmHg"},
                 {24, L"mL"},      {25, L"mL"},      {26, L"mmHg*mL"}, {27, L"mmHg*mL"}, {28, L""},
                 {29, L"ms"},      {30, L"mmHg/mL"}, {31, L"mmHg"},    {0, L""},        {32, L""},
                 {-1, L""}};
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(c.unit), ParameterUnitText(c.parameter, L"mmHg", L"mL")) << c.parameter;
}

TEST(CurveLoop, NewestLoopFirstUnlessOneIsSelected)
{
    struct Case
    {
        int32_t id, selected;
        uint32_t count;
        std::optional<uint32_t> loop;
    };
    const Case cases[] = {{18, -1, 10, 9}, {19, -1, 10, 8}, {27, -1, 10, 0}, {28, -1, 10, std::nullopt},
                          {18, 4, 10, 4},  {19, 4, 10, 8},  {18, -1, 0, std::nullopt}, {17, -1, 10, std::nullopt},
                          {18, 12, 10, std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(c.loop, CurveLoopIndex(c.id, c.selected, c.count)) << c.id << " " << c.selected;
}

TEST(PreloadReductionAnalysis, EndSystolicRelationFindsTheVentricleElastance)
{
    const CalcTesting::ElastanceVentricle heart;
    const CalcTesting::PreloadReduction recording(heart, 12, 12.0, 3.0);
    const std::vector<SistraEvent> loops = CalcTesting::AnalyzeLoops(recording, heart.dt);

    FakeOwner owner;
    owner.host.SetRecords(L"sistra", 0, loops);
    Orv::ComPtr<SistraData> data(new SistraData(owner));
    ASSERT_TRUE(data->PressureStore().FindCalculations());
    ASSERT_TRUE(data->PressureStore().CreateCalculations(L"SistraAnalyzer(...)", L"", L""));
    ASSERT_TRUE(data->PrepareBlock(0, 0));
    data->FeedLoops(HostRecordEnd);
    ASSERT_EQ(12u, data->GetLoopCount());
    PlotRange loopRange;
    ASSERT_TRUE(data->GetLoopPlotRange(loopRange));
    const double volumeRange = loopRange.secondMaximum - loopRange.secondMinimum;
    FittedLine line;
    ASSERT_TRUE(data->FitEspvrLinear(line, false));
    EXPECT_NEAR(heart.ees, line.slope, 0.1 * heart.ees);
    EXPECT_NEAR(heart.v0, -line.intercept / line.slope, 0.1 * volumeRange);
}

namespace
{

// One steady beat of the ventricle, repeated: each beat's volume lowered by volumeStep from the one
// before (0: identical beats), its pressure wave the same; every other beat's samples nudged by nudged
// float units.
CalcTesting::PreloadReduction RepeatedBeat(const CalcTesting::ElastanceVentricle& heart, int beats, float volumeStep,
    int nudged = 0)
{
    const auto nudge = [nudged](float value, int beat) {
        for (int unit = 0; unit < (beat % 2 ? nudged : 0); ++unit)
            value = std::nextafter(value, HUGE_VALF);
        return value;
    };
    CalcTesting::PreloadReduction steady(heart, 1, 12.0, 12.0, 12);
    const auto begin = static_cast<std::size_t>(steady.edpTicks[0]), end = static_cast<std::size_t>(steady.edpTicks[1]);
    const std::vector<float> pressure(steady.pressure.begin() + begin, steady.pressure.begin() + end);
    const std::vector<float> volume(steady.volume.begin() + begin, steady.volume.begin() + end);
    CalcTesting::PreloadReduction repeated = steady;
    repeated.pressure.assign(steady.pressure.begin(), steady.pressure.begin() + begin);
    repeated.volume.assign(steady.volume.begin(), steady.volume.begin() + begin);
    repeated.edpTicks.clear();
    // One beat more than analysed, so that the last one closes.
    for (int beat = 0; beat <= beats; ++beat)
    {
        repeated.edpTicks.push_back(static_cast<int32_t>(repeated.pressure.size()));
        for (float p : pressure)
            repeated.pressure.push_back(nudge(p, beat));
        for (float v : volume)
            repeated.volume.push_back(nudge(v - volumeStep * static_cast<float>(beat), beat));
    }
    return repeated;
}

} // namespace

// Loops without the spread a relation needs report it as undetermined: no relation, no coefficients that
// mean something, whatever a solver would make of the rounding of values that are all alike.
TEST(DegenerateRecordings, RelationsThePointsCannotDetermineAreNotFitted)
{
    const CalcTesting::ElastanceVentricle heart;
    const struct
    {
        const char* name;
        float volumeStep;
        int nudged;
        bool espvr, quadratic, edpvr, exponential, prsw, dpdt; // determined
    } cases[] = {
        {"identical beats", 0.0f, 0, false, false, false, false, false, false},
        {"beats alike but for their samples' last bit", 0.0f, 1, false, false, false, false, false, false},
        {"beats alike but for their samples' last two bits", 0.0f, 3, false, false, false, false, false, false},
        // The end-systolic point moves to another sample every few beats: three end-systolic pressures.
        {"volume lowered 0.5 uL a beat", 0.5f, 0, true, true, false, true, false, false},
    };
    for (const auto& c : cases)
    {
        FakeOwner owner;
        owner.host.SetRecords(L"sistra", 0, CalcTesting::AnalyzeLoops(RepeatedBeat(heart, 12, c.volumeStep, c.nudged), heart.dt));
        Orv::ComPtr<SistraData> data(new SistraData(owner));
        ASSERT_TRUE(data->PressureStore().FindCalculations());
        ASSERT_TRUE(data->PressureStore().CreateCalculations(L"SistraAnalyzer(...)", L"", L""));
        ASSERT_TRUE(data->PrepareBlock(0, 0));
        data->FeedLoops(HostRecordEnd);
        ASSERT_EQ(12u, data->GetLoopCount()) << c.name;
        FittedLine line;
        EXPECT_EQ(c.espvr, data->FitEspvrLinear(line, false)) << c.name;
        EXPECT_EQ(c.espvr, data->FitEspvrPerpendicular(line, false)) << c.name;
        EXPECT_EQ(c.edpvr, data->FitEdpvrLinear(line, false)) << c.name;
        EXPECT_EQ(c.prsw, data->FitPrsw(line, false)) << c.name;
        EXPECT_EQ(c.dpdt, data->FitDpdtMaxEdv(line, false)) << c.name;
        std::array<double, 3> terms{};
        double r2 = 0.0;
        EXPECT_EQ(c.quadratic, data->FitEspvrQuadratic(terms, &r2, false)) << c.name;
        if (!c.quadratic)
        {
            for (double term : terms)
                EXPECT_TRUE(std::isnan(term)) << c.name << ": " << term;
        }
        double a = 0.0, b = 0.0;
        EXPECT_EQ(c.exponential, data->FitEdpvrExponential(a, b, nullptr, false)) << c.name;
    }
}
