#include "document/analysis/ParameterNames.h"

#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include "hostapi/LoopParameterNames.h"

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
    return LoopParameterUnit(parameter, pressure, volume);
}

} // namespace Sistra
