#include "hostframework/UnitConversion.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "hostframework/HostServices.h"

namespace
{

constexpr ULONG ChannelUnitsRecordSize = 144;
static_assert(ChannelUnitsRecordSize == VyrUnitsRecordSize);

} // namespace

HRESULT CreateHostUnit(const Orv::PrefixedUnit& unit, IHostUnit** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    IUnitsService* units = UnitsServiceAccessor::Get();
    if (!units)
        return E_FAIL;
    return units->CreateUnitName(unit.Name().c_str(), unit.GetPrefixCode(), out);
}

void UnitConvHandle::Bind(IUnitConversion* conversion)
{
    if (conversion)
        BindWith(conversion, UnitsServiceAccessor::Get());
}

void UnitConvHandle::BindWith(IUnitConversion* conversion, IUnitsService* units)
{
    if (!conversion)
        return;
    // Held here until the check passed, so that a refused conversion is not kept referenced.
    Orv::ComPtr<IUnitConversion> held(conversion);
    ULONG size = 0;
    if (units)
        units->GetUnitsRecordSize(&size);
    if (size != ChannelUnitsRecordSize)
        throw XOrv(Orv::String(L"Units size mismatch in UnitConvHandle::Bind()"), Orv::E_ORV_INTERNAL);
    conversion_ = std::move(held);
}
