// The host's side of units: unit-name objects and the binding of a host units conversion.
#pragma once

#include "hostapi/VyrServices.h"
#include "foundation/com/ComPtr.h"
#include "foundation/numbers/ChannelUnitsRecord.h"
#include "foundation/numbers/Units.h"
#include "foundation/text/String.h"

#include <vector>

// Asks the host's units service for a unit-name object of unit (its name and prefix code); out is null
// when the service cannot be reached.
HRESULT CreateHostUnit(const Orv::PrefixedUnit& unit, IHostUnit** out);

// Holds one host units conversion, once the host's units record is the size this module reads.
class UnitConvHandle
{
public:
    // Null binds nothing. Throws XOrv when the host's units record is not the expected size, and then
    // keeps no reference to the conversion.
    void Bind(IUnitConversion* conversion);
    // Bind, checking the record size of the given units service.
    void BindWith(IUnitConversion* conversion, IUnitsService* units);

    IUnitConversion* Get() const { return conversion_.Get(); }
    // The bound conversion's units record; null when nothing is bound or the host gives none.
    const Orv::ChannelUnitsRecord* Record() const;

private:
    Orv::ComPtr<IUnitConversion> conversion_;
};

// What the calibrations read of a host units conversion. The unit is the one the channel is shown in:
// the conversion's own unit when it is in use, else the raw unit.
struct ConversionUnits
{
    double scale = 1.0;
    double offset = 0.0;
    Orv::String unitText;
    int prefixCode = Orv::PrefixedUnit::NoPrefixCode;
    bool inUse = false;
    Orv::String rawUnitText;
    int rawPrefixCode = Orv::PrefixedUnit::NoPrefixCode;

    Orv::PrefixedUnit Unit() const { return Orv::PrefixedUnit(unitText.c_str(), prefixCode); }
    Orv::PrefixedUnit RawUnit() const { return Orv::PrefixedUnit(rawUnitText.c_str(), rawPrefixCode); }
};

// The conversion's units; the host's failure code when it answers none (units then unchanged).
HRESULT ReadConversionUnits(IUnitConversion& conversion, ConversionUnits& units);

// How a conversion was made and the texts that describe it, as the host reports them.
struct ConversionDescription
{
    BYTE kind = 0;
    std::vector<Orv::String> texts;
};

HRESULT ReadConversionDescription(IUnitConversion& conversion, ConversionDescription& description);
