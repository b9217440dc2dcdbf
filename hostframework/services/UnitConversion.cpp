#include "hostframework/services/UnitConversion.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "hostframework/services/HostServices.h"

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

const Orv::ChannelUnitsRecord* UnitConvHandle::Record() const
{
    const void* record = nullptr;
    if (!conversion_ || FAILED(conversion_->GetUnitsRecord(&record)))
        return nullptr;
    return static_cast<const Orv::ChannelUnitsRecord*>(record);
}

namespace
{

// Owns the texts of a units answer until they are taken.
struct UnitsInformationTexts
{
    UnitsInformation information{};
    ~UnitsInformationTexts()
    {
        SysFreeString(information.rawUnitText);
        SysFreeString(information.unitText);
    }
};

Orv::String TextOf(BSTR text)
{
    return Orv::String(text ? text : L"", text ? static_cast<int>(SysStringLen(text)) : 0);
}

} // namespace

HRESULT ReadConversionUnits(IUnitConversion& conversion, ConversionUnits& units)
{
    UnitsInformationTexts answer;
    const HRESULT hr = conversion.GetUnitsInformation(&answer.information);
    if (FAILED(hr))
        return hr;
    const UnitsInformation& information = answer.information;
    units.scale = information.scale;
    units.offset = information.offset;
    units.inUse = information.inUse != VARIANT_FALSE;
    units.unitText = TextOf(units.inUse ? information.unitText : information.rawUnitText);
    units.prefixCode = units.inUse ? information.unitPrefixCode : information.rawPrefixCode;
    units.rawUnitText = TextOf(information.rawUnitText);
    units.rawPrefixCode = information.rawPrefixCode;
    return S_OK;
}

HRESULT ReadConversionDescription(IUnitConversion& conversion, ConversionDescription& description)
{
    ULONG count = 0;
    HRESULT hr = conversion.GetDescription(&description.kind, &count);
    if (FAILED(hr))
        return hr;
    description.texts.clear();
    for (ULONG index = 0; index < count; ++index)
    {
        BSTR text = nullptr;
        hr = conversion.GetDescriptionText(index, &text);
        Orv::String taken = TextOf(text);
        SysFreeString(text);
        if (FAILED(hr))
            return hr;
        description.texts.push_back(taken);
    }
    return S_OK;
}
