#include "foundation/numbers/Units.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{

TEST(UnitPrefix, FactorsArePowersOfTenComputedExactly)
{
    EXPECT_EQ(1000.0, UnitPrefixFactor(L'k'));
    EXPECT_EQ(1.0 / 1000.0, UnitPrefixFactor(L'm'));
    EXPECT_EQ(1.0 / 1000000.0, UnitPrefixFactor(L'u'));
    EXPECT_EQ(UnitPrefixFactor(L'u'), UnitPrefixFactor(Orv::MicroSign));
    EXPECT_EQ(1e18, UnitPrefixFactor(L'E'));
    EXPECT_EQ(1.0 / 1e18, UnitPrefixFactor(L'a'));
    EXPECT_EQ(1.0, UnitPrefixFactor(L'x'));
    EXPECT_EQ(1.0, UnitPrefixFactor(0));
    EXPECT_EQ(-15, UnitPrefixExponent(L'f'));
    EXPECT_EQ(0, UnitPrefixExponent(L'x'));
}

// Between pressure units by their pascals; a unit to itself as it stands; never between other units.
TEST(RecordedUnitFactor, ConvertsBetweenPressureUnitsAndAUnitToItselfOnly)
{
    const struct
    {
        const wchar_t *from, *to;
        std::optional<double> factor;
    } cases[] = {
        {L"mmHg", L"Pa", 133.322387415}, {L"Pa", L"mmHg", 1.0 / 133.322387415}, {L"cmH2O", L"Pa", 98.0665},
        {L"Torr", L"atm", 1.0 / 760.0},  {L"V", L"V", 1.0},                      {L"mmHg", L"mmHg", 1.0},
        {L"mmHg", L"V", std::nullopt},   {L"L", L"mmHg", std::nullopt},          {L"mS", L"S", std::nullopt},
    };
    for (const auto& c : cases)
    {
        const std::optional<double> factor = Orv::RecordedUnitFactor(c.from, c.to);
        ASSERT_EQ(c.factor.has_value(), factor.has_value()) << c.from << L" to " << c.to;
        if (c.factor)
        {
            EXPECT_DOUBLE_EQ(*c.factor, *factor);
        }
    }
}

TEST(PrefixedUnit, CodesSetTheirLettersAndTextsShowThem)
{
    EXPECT_EQ(L"kPa", Orv::PrefixedUnit(L"Pa", 9).GetText());
    EXPECT_EQ(std::wstring(1, Orv::MicroSign) + L"L", Orv::PrefixedUnit(L"L", 6).GetText());
    EXPECT_EQ(L"mmHg", Orv::PrefixedUnit(L"mmHg", 8).GetText());
    EXPECT_EQ(L"aA", Orv::PrefixedUnit(L"A", 2).GetText());
    EXPECT_EQ(L"GW", Orv::PrefixedUnit(L"W", 11).GetText());
    for (int code : {2, 3, 4, 5, 6, 7, 9, 10, 11})
        EXPECT_EQ(code, Orv::PrefixedUnit(L"V", code).GetPrefixCode()) << code;
}

TEST(PrefixedUnit, CodesOutsideTheLettersLeaveNoPrefix)
{
    for (int code : {1, 8, 12, 0, -3})
    {
        Orv::PrefixedUnit unit(L"V", 9);
        unit.SetPrefixCode(code);
        EXPECT_EQ(0, unit.Prefix()) << code;
        EXPECT_EQ(1, unit.GetPrefixCode()) << code;
    }
}

TEST(PrefixedUnit, LettersWithoutACodeStillConvert)
{
    Orv::PrefixedUnit tera(L"Hz");
    tera.SetPrefix(L'T');
    EXPECT_EQ(0, tera.GetPrefixCode());
    EXPECT_EQ(2.0, tera.FromBaseValue(2e12));
    Orv::PrefixedUnit milli(L"L", 7);
    EXPECT_EQ(2.0, milli.FromBaseValue(0.002));
    EXPECT_EQ(0.5, Orv::PrefixedUnit(L"L").FromBaseValue(0.5));
}

} // namespace
