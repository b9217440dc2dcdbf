// The unit calc's header gives the values of a text: channels are read without their units' prefixes.
#include "host/app/calc/CalcValueUnit.h"

#include <gtest/gtest.h>

namespace
{

using Host::Calc::ValueTitle;
using Host::Calc::ValueUnitOf;

// Channels 1 to 3: pressure (mmHg), volume (L, recorded in uL), ECG (V, recorded in mV).
std::optional<std::string> BaseUnit(size_t channel)
{
    const char* units[] = {"mmHg", "L", "V"};
    return channel < 3 ? std::optional<std::string>(units[channel]) : std::nullopt;
}

} // namespace

TEST(CalcValueUnit, ChannelsArithmeticAndFunctionsCarryTheirUnits)
{
    const struct
    {
        const char* text;
        const char* title; // of the value column
    } cases[] = {
        {"ch3", "value (V)"},
        {"ch(3, \"base\")", "value (V)"},
        {"-ch1 + 5", "value (mmHg)"},
        {"2 * ch3", "value (V)"},
        {"ch1 * ch2", "value (mmHg*L)"},
        {"ch1 / ch2 / t", "value ((mmHg/L)/s)"},
        {"1 / ch2", "value (1/L)"},
        {"ch1 + ch2", "value (unit unknown)"},
        {"ch1 + ch1", "value (mmHg)"},
        {"cmpeakdet(shift(ch3, -0.01), 0.0005, 0.05)", "value (V)"},
        {"PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20)", "value (mmHg)"},
        {"PVEcgEdpDet(cmpeakdet(ch3, 0.5, 0.05))", "value (V)"},
        {"PVMaxDet(PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20))", "value (mmHg)"},
        {"sin(2 * pi * t) + threshold(ch1, 5)", "value"},
        {"sqrt(ch1)", "value (unit unknown)"},
        {"ch9", "value (unit unknown)"},
        {"vch1", "value (unit unknown)"},
        {"SistraParamSelector(SistraAnalyzer(ch1, ch2, PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20)), 3)",
         "value (unit unknown)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.title, ValueTitle("value", ValueUnitOf(*Host::Calc::ParseExpression(c.text), BaseUnit))) << c.text;
}
