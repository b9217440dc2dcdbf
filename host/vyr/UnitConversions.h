// The host's units conversions: each keeps its channel units record, answers its units and its
// description from it, and travels through record streams. The host application makes the
// conversions of its documents' channels with the same class.
#pragma once

#include "ComObjects.h"
#include "hostapi/BinaryStreams.h"
#include "hostapi/VyrServices.h"

#include "foundation/com/ComPtr.h"
#include "foundation/numbers/ChannelUnitsRecord.h"
#include "foundation/numbers/Units.h"

#include <string>

namespace Vyr
{

class UnitConversion final : public HeapComObject<IUnitConversion, &IID_IUnitConversion>
{
public:
    explicit UnitConversion(const Orv::ChannelUnitsRecord& record) : record_(record) {}

    HRESULT STDMETHODCALLTYPE GetUnitsInformation(UnitsInformation* information) override;
    HRESULT STDMETHODCALLTYPE GetDescription(BYTE* kind, ULONG* textCount) override;
    HRESULT STDMETHODCALLTYPE GetDescriptionText(ULONG index, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetUnitsRecord(const void** record) override;

    const Orv::ChannelUnitsRecord& Record() const { return record_; }

private:
    Orv::ChannelUnitsRecord record_;
};

// A conversion that shows the raw values of a channel recorded in unitText ("mmHg", "mV", "uL") as they
// are; the prefix letter is split off when the rest is a unit the host knows. An empty text is volts.
Orv::ComPtr<IUnitConversion> MakeIdentityConversion(const std::wstring& unitText, const std::wstring& name = {});
// How a document shows values that calculations give in units without a prefix, in unitText with its
// prefix: a millilitre channel's litres are shown multiplied by 1000.
Orv::ComPtr<IUnitConversion> MakeDisplayConversion(const std::wstring& unitText);
// What one unit of a channel recorded in unitText is without its prefix (0.001 for "mV", 1 for "mmHg").
double RecordedPrefixFactor(const std::wstring& unitText);
// The unit text as documents show it, its prefix letter written out ("µL" for "uL").
std::wstring ShownUnitText(const std::wstring& unitText);
// The unit calculations read a channel recorded in unitText in: without its prefix ("V" for "mV").
std::wstring BaseUnitText(const std::wstring& unitText);
// A unit text as a conversion keeps it: the unit without its prefix and the prefix's code ("kPa" is "Pa"
// with the code of 'k'; "mmHg" stays whole, as "mHg" is no unit the host knows).
Orv::PrefixedUnit SplitUnitText(const std::wstring& unitText);

// What a unit measures, where the host knows: a channel recorded in one is shown in units of the same.
enum class Quantity
{
    Other,
    Pressure,
    Volume,
};
Quantity QuantityOf(const std::wstring& unitText);

// What a conversion reports, its texts copied out: shown = scale * raw + offset, both unprefixed.
struct ConversionFacts
{
    double scale = 1.0, offset = 0.0;
    double rawPrefixFactor = 1.0, shownPrefixFactor = 1.0; // what one prefixed unit is unprefixed
    std::wstring shownUnit;                                  // with its prefix letter
    bool inUse = false;
};
// False when the conversion gives no units information.
bool ReadConversionFacts(IUnitConversion& conversion, ConversionFacts& facts);

// What the units service's operations do.
HRESULT CreateTwoPointConversion(IUnitConversion* current, const WCHAR* raw1, const WCHAR* raw2,
                                 const WCHAR* shown1, const WCHAR* shown2, const WCHAR* unit, LONG prefixCode,
                                 IUnitConversion** conversion);
HRESULT WriteConversion(IBinOutStream* stream, IUnitConversion* conversion);
HRESULT ReadConversion(IBinInStream* stream, IUnitConversion** conversion);

} // namespace Vyr
