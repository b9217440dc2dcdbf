// Short names of the hemodynamic parameters of a loop record, by parameter index 1-31 (entry 0 is
// index 1), as tables and lists show them.
#pragma once

inline constexpr int LoopParameterCount = 31;

inline constexpr const char* LoopParameterShortNames[LoopParameterCount] = {
    "SW",          "CO",          "SV",          "Vmax",        "Vmin",        "Ves",  "Ved",   "Pmax",
    "Pmin",        "Pmean",       "Pdev",        "Pes",         "Ped",         "HR",   "EF",    "Ea",
    "PowMax",      "dP/dt max",   "dP/dt min",   "dV/dt max",   "dV/dt min",   "P@dV/dt max",
    "P@dP/dt max", "V@dP/dt max", "V@dP/dt min", "PVA",         "PE",          "CE",   "Tau",   "ESPVR",
    "Piso"};
