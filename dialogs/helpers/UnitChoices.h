// What the pages offer in their lists and show beside their boxes: the document's channels, the
// conductance and volume units, the analysis types, and the units of the channels and parameters.
#pragma once

#include "foundation/numbers/Units.h"
#include "document/models/ModelValues.h"
#include "foundation/text/String.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace Sistra
{

class SistraDocument;

// One title per channel of the document, in channel order; a channel without a title has an empty one.
void GetChannelTitles(SistraDocument& document, std::vector<Orv::String>& titles);

// The units a page offers, in the order of its list: mS and RVU; µL and mL.
void GetConductanceUnitList(std::vector<Orv::PrefixedUnit>& list);
void GetVolumeUnitList(std::vector<Orv::PrefixedUnit>& list);
// The list index of the unit (name and prefix equal), -1 when the list has none.
int FindConductanceUnit(const Orv::PrefixedUnit& unit);
int FindVolumeUnit(const Orv::PrefixedUnit& unit);

// The analysis types by name with the value the analysis model stores: Baseline 0, Occlusion 1.
void GetAnalysisTypeList(std::vector<std::pair<Orv::String, int32_t>>& list);

bool UnitsEqual(const Orv::PrefixedUnit& a, const Orv::PrefixedUnit& b);
// A unit a model keeps, as the display names it.
Orv::PrefixedUnit PrefixedUnitOf(const UnitInfo& unit);

// The unit the channel is shown in: at the host's selection, the host document being the selection
// source (atSelection, GetChannelUnitsAtSelection), else in the first record; empty when the host gives
// none.
Orv::PrefixedUnit GetChannelUnit(SistraDocument& document, int32_t channel, bool atSelection);
// The same for the setup model's pressure and volume channels; empty while the document has no setup.
Orv::PrefixedUnit GetPressureUnit(SistraDocument& document, bool atSelection);
Orv::PrefixedUnit GetVolumeUnit(SistraDocument& document, bool atSelection);
// The unit the setup's pressure or volume channel shows through its own conversion, whether or not a
// calibration of the workflow is in force on it: the unit its calibrations' sampled points are read in.
Orv::PrefixedUnit GetOwnPressureUnit(SistraDocument& document);
Orv::PrefixedUnit GetOwnVolumeUnit(SistraDocument& document);
// The unit of hemodynamic parameter 1-31 made of the pressure and volume units (the prefixes inside its
// name); empty for a dimensionless parameter or another index.
Orv::PrefixedUnit GetParameterUnit(SistraDocument& document, int32_t parameterIndex);

} // namespace Sistra
