// The host's side of units: unit-name objects and the binding of a host units conversion.
#pragma once

#include "VyrServices.h"
#include "foundation/com/ComPtr.h"
#include "foundation/numbers/Units.h"

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

private:
    Orv::ComPtr<IUnitConversion> conversion_;
};
