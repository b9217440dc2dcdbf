#include "document/analysis/ParameterNames.h"

#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include <array>
#include <utility>

namespace Sistra
{
namespace
{

constexpr int32_t LastParameter = 31;

// String ids of the long and the short name, by parameter index; 0 for the empty name of index 0.
constexpr std::array<std::pair<UINT, UINT>, LastParameter + 1> NameIds{{
    {0, 0},
    {IDS_PARAM_STROKE_WORK, IDS_PARAM_SHORT_SW},
    {IDS_PARAM_CARDIAC_OUTPUT, IDS_PARAM_SHORT_CO},
    {IDS_PARAM_STROKE_VOLUME, IDS_PARAM_SHORT_SV},
    {IDS_PARAM_MAXIMUM_VOLUME, IDS_PARAM_SHORT_VMAX},
    {IDS_PARAM_MINIMUM_VOLUME, IDS_PARAM_SHORT_VMIN},
    {IDS_PARAM_ES_VOLUME, IDS_PARAM_SHORT_VES},
    {IDS_PARAM_ED_VOLUME, IDS_PARAM_SHORT_VED},
    {IDS_PARAM_MAXIMUM_PRESSURE, IDS_PARAM_SHORT_PMAX},
    {IDS_PARAM_MINIMUM_PRESSURE, IDS_PARAM_SHORT_PMIN},
    {IDS_PARAM_MEAN_PRESSURE, IDS_PARAM_SHORT_PMEAN},
    {IDS_PARAM_DEVELOPED_PRESSURE, IDS_PARAM_SHORT_PDEV},
    {IDS_PARAM_ES_PRESSURE, IDS_PARAM_SHORT_PES},
    {IDS_PARAM_ED_PRESSURE, IDS_PARAM_SHORT_PED},
    {IDS_PARAM_HEART_RATE, IDS_PARAM_SHORT_HR},
    {IDS_PARAM_EJECTION_FRACTION, IDS_PARAM_SHORT_EF},
    {IDS_PARAM_ARTERIAL_ELASTANCE, IDS_PARAM_SHORT_EA},
    {IDS_PARAM_MAXIMUM_POWER, IDS_PARAM_SHORT_POWMAX},
    {IDS_PARAM_DPDT_MAX, IDS_PARAM_DPDT_MAX},
    {IDS_PARAM_DPDT_MIN, IDS_PARAM_DPDT_MIN},
    {IDS_PARAM_DVDT_MAX, IDS_PARAM_DVDT_MAX},
    {IDS_PARAM_DVDT_MIN, IDS_PARAM_DVDT_MIN},
    {IDS_PARAM_P_AT_DVDT_MAX, IDS_PARAM_P_AT_DVDT_MAX},
    {IDS_PARAM_P_AT_DPDT_MAX, IDS_PARAM_P_AT_DPDT_MAX},
    {IDS_PARAM_V_AT_DPDT_MAX, IDS_PARAM_V_AT_DPDT_MAX},
    {IDS_PARAM_V_AT_DPDT_MIN, IDS_PARAM_V_AT_DPDT_MIN},
    {IDS_PARAM_PVA, IDS_PARAM_SHORT_PVA},
    {IDS_PARAM_PE, IDS_PARAM_PE},
    {IDS_PARAM_CARDIAC_EFFICIENCY, IDS_PARAM_SHORT_CE},
    {IDS_PARAM_TAU, IDS_PARAM_TAU},
    {IDS_PARAM_ESPVR, IDS_PARAM_ESPVR},
    {IDS_PARAM_PISO, IDS_PARAM_PISO},
}};

enum class UnitForm
{
    None,
    Work,
    VolumePerMinute,
    Volume,
    Pressure,
    BeatsPerMinute,
    Percent,
    PressurePerVolume,
    Power,
    PressurePerSecond,
    VolumePerSecond,
    Milliseconds,
};

// The unit of each parameter, by parameter index; cardiac efficiency (28) has none.
constexpr std::array<UnitForm, LastParameter + 1> UnitForms{{
    UnitForm::None,              // loop number
    UnitForm::Work,              // SW
    UnitForm::VolumePerMinute,   // CO
    UnitForm::Volume,            // SV
    UnitForm::Volume,            // Vmax
    UnitForm::Volume,            // Vmin
    UnitForm::Volume,            // Ves
    UnitForm::Volume,            // Ved
    UnitForm::Pressure,          // Pmax
    UnitForm::Pressure,          // Pmin
    UnitForm::Pressure,          // Pmean
    UnitForm::Pressure,          // Pdev
    UnitForm::Pressure,          // Pes
    UnitForm::Pressure,          // Ped
    UnitForm::BeatsPerMinute,    // HR
    UnitForm::Percent,           // EF
    UnitForm::PressurePerVolume, // Ea
    UnitForm::Power,             // PowMax
    UnitForm::PressurePerSecond, // dP/dt max
    UnitForm::PressurePerSecond, // dP/dt min
    UnitForm::VolumePerSecond,   // dV/dt max
    UnitForm::VolumePerSecond,   // dV/dt min
    UnitForm::Pressure,          // P@dV/dt max
    UnitForm::Pressure,          // P@dP/dt max
    UnitForm::Volume,            // V@dP/dt max
    UnitForm::Volume,            // V@dP/dt min
    UnitForm::Work,              // PVA
    UnitForm::Work,              // PE
    UnitForm::None,              // CE
    UnitForm::Milliseconds,      // Tau
    UnitForm::PressurePerVolume, // ESPVR slope
    UnitForm::Pressure,          // Piso
}};

Orv::String Load(UINT id) { return id == 0 ? Orv::String() : Orv::String(Orv::ThisModule(), id, true); }

} // namespace

Orv::String GetParameterName(int32_t parameter, bool shortName)
{
    if (parameter < 0 || parameter > LastParameter)
        return Orv::String(L"Bogus");
    // Loaded on the first call, shared by all later ones.
    static const auto names = [] {
        std::array<std::pair<Orv::String, Orv::String>, LastParameter + 1> loaded;
        for (std::size_t i = 0; i < NameIds.size(); ++i)
            loaded[i] = {Load(NameIds[i].first), Load(NameIds[i].second)};
        return loaded;
    }();
    const auto& [longName, shortForm] = names[static_cast<std::size_t>(parameter)];
    return shortName ? shortForm : longName;
}

std::wstring ParameterUnitText(int32_t parameter, const std::wstring& pressure, const std::wstring& volume)
{
    if (parameter < 0 || parameter > LastParameter)
        return {};
    switch (UnitForms[static_cast<std::size_t>(parameter)])
    {
    case UnitForm::Work: return pressure + L"*" + volume;
    case UnitForm::VolumePerMinute: return volume + L"/min";
    case UnitForm::Volume: return volume;
    case UnitForm::Pressure: return pressure;
    case UnitForm::BeatsPerMinute: return L"bpm";
    case UnitForm::Percent: return L"%";
    case UnitForm::PressurePerVolume: return pressure + L"/" + volume;
    case UnitForm::Power: return pressure + L"*" + volume + L"/s";
    case UnitForm::PressurePerSecond: return pressure + L"/s";
    case UnitForm::VolumePerSecond: return volume + L"/s";
    case UnitForm::Milliseconds: return L"ms";
    case UnitForm::None: break;
    }
    return {};
}

} // namespace Sistra
