// The hemodynamic parameters of a loop record by index, and the scaling each one needs for display.
#include "hostapi/CalcEventRecords.h"

#include "calc/engine/MissingValue.h"

namespace Sistra
{
namespace
{

struct ParameterUnits
{
    bool pressure;
    bool volume;
    bool perVolume;
};

constexpr int32_t FirstParameterIndex = 1;
constexpr int32_t LastParameterIndex = 31;

// Units of parameters 1-31, in index order.
constexpr ParameterUnits UnitsByIndex[LastParameterIndex] = {
    {true, true, false},   // 1 SW
    {false, true, false},  // 2 CO
    {false, true, false},  // 3 SV
    {false, true, false},  // 4 Vmax
    {false, true, false},  // 5 Vmin
    {false, true, false},  // 6 Ves
    {false, true, false},  // 7 Ved
    {true, false, false},  // 8 Pmax
    {true, false, false},  // 9 Pmin
    {true, false, false},  // 10 Pmean
    {true, false, false},  // 11 Pdev
    {true, false, false},  // 12 Pes
    {true, false, false},  // 13 Ped
    {false, false, false}, // 14 HR
    {false, false, false}, // 15 EF
    {true, false, true},   // 16 Ea
    {true, true, false},   // 17 PowMax
    {true, false, false},  // 18 dP/dt max
    {true, false, false},  // 19 dP/dt min
    {false, true, false},  // 20 dV/dt max
    {false, true, false},  // 21 dV/dt min
    {true, false, false},  // 22 P@dV/dt max
    {true, false, false},  // 23 P@dP/dt max
    {false, true, false},  // 24 V@dP/dt max
    {false, true, false},  // 25 V@dP/dt min
    {false, false, false}, // 26 PVA: lives in the PVA record
    {false, false, false}, // 27 PE: lives in the PVA record
    {false, false, false}, // 28 CE: lives in the PVA record
    {false, false, false}, // 29 Tau
    {true, false, true},   // 30 ESPVR slope
    {true, false, false},  // 31 Piso
};

// Pes / SV; a loop that ejects nothing has no elastance (not an infinite one).
double ArterialElastance(const SistraEvent& loop)
{
    return loop.sv == 0.0 ? MissingValue() : loop.pes / loop.sv;
}

double ValueOfIndex(const SistraEvent& loop, int32_t index)
{
    switch (index)
    {
    case 1: return loop.sw;
    case 2: return loop.hr * loop.sv;
    case 3: return loop.sv;
    case 4: return loop.vmax;
    case 5: return loop.vmin;
    case 6: return loop.ves;
    case 7: return loop.ved;
    case 8: return loop.pmax;
    case 9: return loop.pmin;
    case 10: return loop.pmean;
    case 11: return loop.pmax - loop.pmin;
    case 12: return loop.pes;
    case 13: return loop.ped;
    case 14: return loop.hr;
    case 15: return loop.ef;
    case 16:
        return ArterialElastance(loop);
    case 17: return loop.powMax;
    case 18: return loop.dpdtMax;
    case 19: return loop.dpdtMin;
    case 20: return loop.dvdtMax;
    case 21: return loop.dvdtMin;
    case 22: return loop.pAtDvdtMax;
    case 23: return loop.pAtDpdtMax;
    case 24: return loop.vAtDpdtMax;
    case 25: return loop.vAtDpdtMin;
    case 29: return loop.tau;
    case 30: return loop.espvrSlope;
    case 31: return loop.piso;
    default: return 0.0;
    }
}

void SetFlag(bool* flag, bool value)
{
    if (flag)
        *flag = value;
}

double Scale(double value, const ParameterUnits& units, double pressureFactor, double volumeFactor)
{
    if (units.pressure)
        value *= pressureFactor;
    if (units.volume)
        value *= volumeFactor;
    if (units.perVolume)
        value /= volumeFactor;
    return value;
}

ParameterUnits UnitsOf(const SistraEvent& loop, int32_t index)
{
    ParameterUnits units{};
    loop.GetParameter(index, &units.pressure, &units.volume, &units.perVolume);
    return units;
}

} // namespace

double SistraEvent::GetParameter(int32_t index, bool* isPressure, bool* isVolume, bool* perVolume) const
{
    SetFlag(isPressure, false);
    SetFlag(isVolume, false);
    SetFlag(perVolume, false);
    if (state == LoopStateClosing)
        return MissingValue();
    if (index < FirstParameterIndex || index > LastParameterIndex)
        return 0.0;
    const ParameterUnits& units = UnitsByIndex[index - FirstParameterIndex];
    SetFlag(isPressure, units.pressure);
    SetFlag(isVolume, units.volume);
    SetFlag(perVolume, units.perVolume);
    return ValueOfIndex(*this, index);
}

double SistraEvent::GetScaledParameter(int32_t index, double pressureFactor, double volumeFactor) const
{
    ParameterUnits units{};
    const double value = GetParameter(index, &units.pressure, &units.volume, &units.perVolume);
    return Scale(value, units, pressureFactor, volumeFactor);
}

double SistraEvent::ScaleValue(int32_t index, double value, double pressureFactor, double volumeFactor) const
{
    return Scale(value, UnitsOf(*this, index), pressureFactor, volumeFactor);
}

double PVAEvent::GetParameter(int32_t index, bool* isPressure, bool* isVolume) const
{
    SetFlag(isPressure, false);
    SetFlag(isVolume, false);
    if (IsMissingValue(pva))
        return MissingValue();
    switch (index)
    {
    case 26:
    case 27:
        SetFlag(isPressure, true);
        SetFlag(isVolume, true);
        return index == 26 ? pva : pe;
    case 28:
        // Efficiency is the share of the area the loop's work takes: of an area that is none, or below
        // nothing (a loop across a dropout), there is no share.
        return pva > 0.0 ? strokeWork / pva : MissingValue();
    default:
        return 0.0;
    }
}

} // namespace Sistra
