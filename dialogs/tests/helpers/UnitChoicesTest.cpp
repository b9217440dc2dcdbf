#include "dialogs/helpers/UnitChoices.h"

#include "dialogs/tests/DialogTestSupport.h"

#include <gtest/gtest.h>

using namespace Sistra;

namespace
{

Orv::PrefixedUnit Unit(const wchar_t* name, wchar_t prefix)
{
    Orv::PrefixedUnit unit(name);
    unit.SetPrefix(prefix);
    return unit;
}

} // namespace

TEST(UnitChoices, UnitsAreFoundByNameAndPrefixAtTheirListPlace)
{
    const struct
    {
        Orv::PrefixedUnit unit;
        int volume;
        int conductance;
    } cases[] = {
        {Unit(L"L", L'm'), 1, -1},     {Unit(L"L", Orv::MicroSign), 0, -1}, {Unit(L"L", 0), -1, -1},
        {Unit(L"S", L'm'), -1, 0},     {Unit(L"RVU", 0), -1, 1},           {Unit(L"S", 0), -1, -1},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.volume, FindVolumeUnit(c.unit)) << c.unit.GetText();
        EXPECT_EQ(c.conductance, FindConductanceUnit(c.unit)) << c.unit.GetText();
    }
    std::vector<Orv::PrefixedUnit> volumes{Unit(L"x", 0)};
    GetVolumeUnitList(volumes);
    ASSERT_EQ(2u, volumes.size()) << "the list is replaced, not added to";
    EXPECT_EQ(L"\u00B5L", volumes[0].GetText());
    EXPECT_EQ(L"mL", volumes[1].GetText());
}

TEST(UnitChoices, ChannelsAreListedByTitleAndShownInTheirUnits)
{
    DialogTests::DocumentFixture fixture;
    std::vector<Orv::String> titles{Orv::String(L"stale")};
    GetChannelTitles(fixture.Document(), titles);
    ASSERT_EQ(2u, titles.size());
    EXPECT_EQ(std::wstring(L"LV Pressure"), titles[0].c_str());
    EXPECT_EQ(std::wstring(L"LV Volume"), titles[1].c_str());

    EXPECT_EQ(L"mmHg", GetPressureUnit(fixture.Document(), false).GetText());
    EXPECT_EQ(L"mL", GetVolumeUnit(fixture.Document(), true).GetText());
    EXPECT_EQ(L"", GetChannelUnit(fixture.Document(), 5, false).GetText()) << "no such channel";
}

TEST(UnitChoices, ParameterUnitsAreMadeOfThePressureAndVolumeUnits)
{
    DialogTests::DocumentFixture fixture;
    const struct
    {
        int32_t parameter;
        const wchar_t* unit;
    } cases[] = {
        {1, L"mmHg*mL"}, {2, L"mL/min"}, {5, L"mL"},      {9, L"mmHg"}, {14, L"bpm"}, {15, L"%"},
        {16, L"mmHg/mL"}, {17, L"mmHg*mL/s"}, {18, L"mmHg/s"}, {21, L"mL/s"}, {28, L""}, {29, L"ms"},
        {30, L"mmHg/mL"}, {31, L"mmHg"}, {0, L""}, {32, L""},
    };
    for (const auto& c : cases)
    {
        const Orv::PrefixedUnit unit = GetParameterUnit(fixture.Document(), c.parameter);
        EXPECT_EQ(c.unit, unit.GetText()) << c.parameter;
        EXPECT_EQ(0, unit.Prefix()) << c.parameter;
    }
}
