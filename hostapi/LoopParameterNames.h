// Short names of the hemodynamic parameters of a loop record, by parameter index 1-31 (entry 0 is
// index 1), as tables and lists show them.
#pragma once

#include <string>

inline constexpr int LoopParameterCount = 31;

namespace LoopParameter
{
// Each parameter's index, in the order of the names below.
enum Index : int
{
    SW = 1, CO, SV, Vmax, Vmin, Ves, Ved, Pmax, Pmin, Pmean, Pdev, Pes, Ped, HR, EF, Ea, PowMax,
    DpdtMax, DpdtMin, DvdtMax, DvdtMin, PAtDvdtMax, PAtDpdtMax, VAtDpdtMax, VAtDpdtMin, PVA, PE, CE, Tau, ESPVR, Piso
};
static_assert(Piso == LoopParameterCount);
} // namespace LoopParameter

inline constexpr const char* LoopParameterShortNames[LoopParameterCount] = {
    "SW",          "CO",          "SV",          "Vmax",        "Vmin",        "Ves",  "Ved",   "Pmax",
    "Pmin",        "Pmean",       "Pdev",        "Pes",         "Ped",         "HR",   "EF",    "Ea",
    "PowMax",      "dP/dt max",   "dP/dt min",   "dV/dt max",   "dV/dt min",   "P@dV/dt max",
    "P@dP/dt max", "V@dP/dt max", "V@dP/dt min", "PVA",         "PE",          "CE",   "Tau",   "ESPVR",
    "Piso"};

// How each parameter's unit is written with the pressure unit P and the volume unit V, by parameter index
// 1-31 (entry 0 is index 1); empty for a parameter without a unit.
inline constexpr const char* LoopParameterUnitForms[LoopParameterCount] = {
    "P*V", "V/min", "V",   "V",   "V",   "V", "V", "P", "P", "P",   "P",   "P", "P",  "bpm", "%", "P/V",
    "P*V/s", "P/s", "P/s", "V/s", "V/s", "P", "P", "V", "V", "P*V", "P*V", "",  "ms", "P/V", "P"};

// The unit of parameter index 1-31 written out from its form; empty for any other index.
template <class Char>
std::basic_string<Char> LoopParameterUnit(int index, const std::basic_string<Char>& pressure,
                                          const std::basic_string<Char>& volume)
{
    std::basic_string<Char> unit;
    if (index < 1 || index > LoopParameterCount)
        return unit;
    for (const char* form = LoopParameterUnitForms[index - 1]; *form; ++form)
        if (*form == 'P')
            unit += pressure;
        else if (*form == 'V')
            unit += volume;
        else
            unit += static_cast<Char>(*form);
    return unit;
}
