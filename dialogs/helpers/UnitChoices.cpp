#include "dialogs/helpers/UnitChoices.h"

#include "document/analysis/ParameterNames.h"
#include "document/core/SistraDocument.h"
#include "foundation/com/ComPtr.h"
#include "hostframework/services/HostDataAccess.h"

#include "hostapi/HostDocument.h"

namespace Sistra
{

namespace
{

constexpr wchar_t Milli = L'm';

const std::vector<Orv::PrefixedUnit>& ConductanceUnits()
{
    static const std::vector<Orv::PrefixedUnit> units = [] {
        Orv::PrefixedUnit siemens(L"S");
        siemens.SetPrefix(Milli);
        return std::vector<Orv::PrefixedUnit>{siemens, Orv::PrefixedUnit(L"RVU")};
    }();
    return units;
}

const std::vector<Orv::PrefixedUnit>& VolumeUnits()
{
    static const std::vector<Orv::PrefixedUnit> units = [] {
        Orv::PrefixedUnit micro(L"L"), milli(L"L");
        micro.SetPrefix(Orv::MicroSign);
        milli.SetPrefix(Milli);
        return std::vector<Orv::PrefixedUnit>{micro, milli};
    }();
    return units;
}

int IndexIn(const std::vector<Orv::PrefixedUnit>& list, const Orv::PrefixedUnit& unit)
{
    for (size_t index = 0; index < list.size(); ++index)
        if (UnitsEqual(list[index], unit))
            return static_cast<int>(index);
    return -1;
}

Orv::PrefixedUnit SetupChannelUnit(SistraDocument& document, int32_t (Model::*channel)() const, bool atSelection)
{
    const ModelPtr setup = document.GetSetupModel();
    return setup ? GetChannelUnit(document, ((*setup).*channel)(), atSelection) : Orv::PrefixedUnit();
}

// The unit the setup's channel shows through the conversion its calibrator keeps (ownUnit), or the host's
// unit for it where the calibrator keeps none that tells one.
Orv::PrefixedUnit SetupChannelOwnUnit(SistraDocument& document, int32_t (Model::*channel)() const,
                                      UnitInfo (SistraDocument::*ownUnit)(int32_t) const)
{
    const ModelPtr setup = document.GetSetupModel();
    const UnitInfo own = setup ? (document.*ownUnit)(((*setup).*channel)()) : UnitInfo{};
    return own.text.empty() ? SetupChannelUnit(document, channel, false) : PrefixedUnitOf(own);
}

} // namespace

void GetChannelTitles(SistraDocument& document, std::vector<Orv::String>& titles)
{
    titles.clear();
    const int32_t count = document.GetChannelCount();
    for (int32_t channel = 0; channel < count; ++channel)
        titles.push_back(document.ChannelTitle(channel));
}

void GetConductanceUnitList(std::vector<Orv::PrefixedUnit>& list)
{
    list = ConductanceUnits();
}

void GetVolumeUnitList(std::vector<Orv::PrefixedUnit>& list)
{
    list = VolumeUnits();
}

int FindConductanceUnit(const Orv::PrefixedUnit& unit)
{
    return IndexIn(ConductanceUnits(), unit);
}

int FindVolumeUnit(const Orv::PrefixedUnit& unit)
{
    return IndexIn(VolumeUnits(), unit);
}

void GetAnalysisTypeList(std::vector<std::pair<Orv::String, int32_t>>& list)
{
    list = {{Orv::String(L"Baseline"), 0}, {Orv::String(L"Occlusion"), 1}};
}

bool UnitsEqual(const Orv::PrefixedUnit& a, const Orv::PrefixedUnit& b)
{
    return a.Name() == b.Name() && a.Prefix() == b.Prefix();
}

Orv::PrefixedUnit PrefixedUnitOf(const UnitInfo& unit)
{
    Orv::PrefixedUnit prefixed(unit.text);
    prefixed.SetPrefix(unit.prefix);
    return prefixed;
}

Orv::PrefixedUnit GetChannelUnit(SistraDocument& document, int32_t channel, bool atSelection)
{
    Orv::PrefixedUnit unit;
    const bool found = atSelection ? GetChannelUnitsAtSelection(document.GetHostDocument(), document.HostDocument(),
                                                                channel, unit, true)
                                   : ReadChannelUnits(document.GetHostDocument(), channel, 0, unit);
    return found ? unit : Orv::PrefixedUnit();
}

Orv::PrefixedUnit GetPressureUnit(SistraDocument& document, bool atSelection)
{
    return SetupChannelUnit(document, &Model::GetPressureChannel, atSelection);
}

Orv::PrefixedUnit GetVolumeUnit(SistraDocument& document, bool atSelection)
{
    return SetupChannelUnit(document, &Model::GetVolumeChannel, atSelection);
}

Orv::PrefixedUnit GetOwnPressureUnit(SistraDocument& document)
{
    return SetupChannelOwnUnit(document, &Model::GetPressureChannel, &SistraDocument::PressureChannelOwnUnit);
}

Orv::PrefixedUnit GetOwnVolumeUnit(SistraDocument& document)
{
    return SetupChannelOwnUnit(document, &Model::GetVolumeChannel, &SistraDocument::VolumeChannelOwnUnit);
}

Orv::PrefixedUnit GetParameterUnit(SistraDocument& document, int32_t parameterIndex)
{
    if (parameterIndex < 1 || parameterIndex > 31)
        return {};
    return Orv::PrefixedUnit(ParameterUnitText(parameterIndex, GetPressureUnit(document, true).GetText(),
                                               GetVolumeUnit(document, true).GetText()));
}

} // namespace Sistra
