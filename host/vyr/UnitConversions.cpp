#include "UnitConversions.h"

#include "foundation/numbers/Units.h"

#include <array>
#include <cmath>
#include <locale>
#include <sstream>

namespace Vyr
{

namespace
{

constexpr std::uint32_t ConversionRecordVersion = 1;
// Units whose prefixed forms the host recognises in a channel's unit text.
constexpr std::array<const wchar_t*, 10> KnownUnits = {L"V", L"A", L"L", L"S", L"Pa", L"Hz", L"g", L"W", L"s", L"Ohm"};

bool IsKnownUnit(const std::wstring& name)
{
    for (const wchar_t* known : KnownUnits)
        if (name == known)
            return true;
    return false;
}

Orv::PrefixedUnit SplitPrefix(const std::wstring& text)
{
    Orv::PrefixedUnit unit(text);
    if (text.size() >= 2 && UnitPrefixExponent(text[0]) != 0 && IsKnownUnit(text.substr(1)))
    {
        unit = Orv::PrefixedUnit(text.substr(1));
        unit.SetPrefix(text[0]);
    }
    return unit;
}

LONG PrefixCodeOf(std::uint32_t letter)
{
    Orv::PrefixedUnit unit;
    unit.SetPrefix(static_cast<wchar_t>(letter & 0xFFFF));
    return unit.GetPrefixCode();
}

wchar_t LetterOfCode(LONG code)
{
    return Orv::PrefixedUnit(std::wstring(), code).Prefix();
}

std::wstring PrefixedText(const Orv::String& name, std::uint32_t letter)
{
    std::wstring text(name.c_str());
    if (letter & 0xFFFF)
        text.insert(text.begin(), static_cast<wchar_t>(letter & 0xFFFF));
    return text;
}

BSTR ToBstr(const Orv::String& text)
{
    return SysAllocStringLen(text.c_str(), static_cast<UINT>(text.Length()));
}

// A number in the classic locale, then the rest of the text.
bool ReadNumber(const WCHAR* text, double& value, std::wstring& rest)
{
    if (!text)
        return false;
    std::wistringstream in(text);
    in.imbue(std::locale::classic());
    if (!(in >> value) || !std::isfinite(value))
        return false;
    std::getline(in, rest, L'\0');
    return true;
}

// The value of a raw text in unprefixed units: its number times the factor of the prefix letter in front
// of the current unit's name ("1mV" on a channel in volts is 0.001). A text without a unit is taken as is.
bool ReadRawValue(const WCHAR* text, const std::wstring& unitName, double& value)
{
    std::wstring unit;
    if (!ReadNumber(text, value, unit))
        return false;
    if (unit.empty() || unit == unitName)
        return true;
    if (unit.size() != unitName.size() + 1 || unit.compare(1, std::wstring::npos, unitName) != 0 ||
        UnitPrefixExponent(unit[0]) == 0)
        return false;
    value *= UnitPrefixFactor(unit[0]);
    return true;
}

bool ReadShownValue(const WCHAR* text, LONG prefixCode, double& value)
{
    std::wstring rest;
    if (!ReadNumber(text, value, rest) || !rest.empty())
        return false;
    value *= UnitPrefixFactor(LetterOfCode(prefixCode));
    return true;
}

const Orv::ChannelUnitsRecord* RecordOf(IUnitConversion* conversion)
{
    const void* record = nullptr;
    if (!conversion || FAILED(conversion->GetUnitsRecord(&record)))
        return nullptr;
    return static_cast<const Orv::ChannelUnitsRecord*>(record);
}

HRESULT Hand(const Orv::ChannelUnitsRecord& record, IUnitConversion** conversion)
{
    *conversion = new UnitConversion(record);
    return S_OK;
}

void WriteText(IBinOutStream& out, const Orv::String& text)
{
    out.WriteString(text.Interface());
}

void ReadText(IBinInStream& in, Orv::String& text)
{
    IAutoOrvString* read = nullptr;
    if (SUCCEEDED(in.ReadString(&read)) && read)
        text.AssignAndRelease(read);
}

} // namespace

HRESULT STDMETHODCALLTYPE UnitConversion::GetUnitsInformation(UnitsInformation* information)
{
    if (!information)
        return E_POINTER;
    return Guarded([&]() -> HRESULT {
        *information = {};
        information->scale = record_.scale;
        information->offset = record_.offset;
        information->rawPrefixCode = PrefixCodeOf(record_.rawPrefix);
        information->unitPrefixCode = record_.unitPrefixCode;
        information->inUse = record_.inUse ? VARIANT_TRUE : VARIANT_FALSE;
        information->rawUnitText = ToBstr(record_.rawUnitText);
        information->unitText = ToBstr(record_.unitText);
        if (!information->rawUnitText || !information->unitText)
        {
            SysFreeString(information->rawUnitText);
            SysFreeString(information->unitText);
            *information = {};
            return E_OUTOFMEMORY;
        }
        return S_OK;
    });
}

// The description: the raw points, the shown points and the prefixed unit they are shown in.
HRESULT STDMETHODCALLTYPE UnitConversion::GetDescription(BYTE* kind, ULONG* textCount)
{
    if (!kind || !textCount)
        return E_POINTER;
    *kind = static_cast<BYTE>(record_.kind);
    *textCount = 3;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UnitConversion::GetDescriptionText(ULONG index, BSTR* text)
{
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return Guarded([&]() -> HRESULT {
        switch (index)
        {
        case 0:
            return CopyToBstr(record_.rawValuesText.c_str(), text);
        case 1:
            return CopyToBstr(record_.valuesText.c_str(), text);
        case 2:
            return CopyToBstr(PrefixedText(record_.unitText, record_.unitPrefix), text);
        default:
            return E_INVALIDARG;
        }
    });
}

HRESULT STDMETHODCALLTYPE UnitConversion::GetUnitsRecord(const void** record)
{
    if (!record)
        return E_POINTER;
    *record = &record_;
    return S_OK;
}

bool ReadConversionFacts(IUnitConversion& conversion, ConversionFacts& facts)
{
    UnitsInformation information{};
    if (FAILED(conversion.GetUnitsInformation(&information)))
        return false;
    Orv::PrefixedUnit shown(information.unitText ? information.unitText : L"", information.unitPrefixCode);
    SysFreeString(information.rawUnitText);
    SysFreeString(information.unitText);
    facts = {information.scale, information.offset, UnitPrefixFactor(LetterOfCode(information.rawPrefixCode)),
             UnitPrefixFactor(LetterOfCode(information.unitPrefixCode)), shown.GetText(),
             information.inUse != VARIANT_FALSE};
    return true;
}

namespace
{

// The record of a conversion that shows values in unitText (a channel recorded without a unit has none);
// addPrefix scales values without the prefix into it.
Orv::ChannelUnitsRecord IdentityRecord(const std::wstring& unitText, const std::wstring& name, bool addPrefix)
{
    const Orv::PrefixedUnit unit = SplitPrefix(unitText);
    Orv::ChannelUnitsRecord record;
    record.name = name;
    record.rawUnitText = unit.Name();
    record.unitText = unit.Name();
    record.rawPrefix = record.unitPrefix = unit.Prefix();
    record.unitPrefixCode = unit.GetPrefixCode();
    record.scale = addPrefix ? 1.0 / UnitPrefixFactor(unit.Prefix()) : 1.0;
    record.kind = UnitConversionKind::Identity;
    return record;
}

} // namespace

Orv::ComPtr<IUnitConversion> MakeIdentityConversion(const std::wstring& unitText, const std::wstring& name)
{
    return Orv::ComPtr<IUnitConversion>::Adopt(new UnitConversion(IdentityRecord(unitText, name, false)));
}

Orv::ComPtr<IUnitConversion> MakeDisplayConversion(const std::wstring& unitText)
{
    return Orv::ComPtr<IUnitConversion>::Adopt(new UnitConversion(IdentityRecord(unitText, {}, true)));
}

double RecordedPrefixFactor(const std::wstring& unitText)
{
    return UnitPrefixFactor(SplitPrefix(unitText).Prefix());
}

std::wstring ShownUnitText(const std::wstring& unitText)
{
    // The prefix goes through its code, as a channel's conversion keeps it: "u" comes back as the micro sign.
    Orv::PrefixedUnit unit = SplitPrefix(unitText);
    if (unit.Prefix())
        unit.SetPrefix(LetterOfCode(PrefixCodeOf(unit.Prefix())));
    return unit.GetText();
}

std::wstring BaseUnitText(const std::wstring& unitText) { return SplitPrefix(unitText).Name(); }

Orv::PrefixedUnit SplitUnitText(const std::wstring& unitText) { return SplitPrefix(unitText); }

Quantity QuantityOf(const std::wstring& unitText)
{
    static constexpr std::array<const wchar_t*, 8> PressureNames = {L"Pa", L"mmHg", L"Torr", L"cmH2O", L"bar", L"mbar", L"atm", L"psi"};
    const std::wstring name = SplitPrefix(unitText).Name();
    if (name == L"L")
        return Quantity::Volume;
    for (const wchar_t* pressure : PressureNames)
        if (name == pressure)
            return Quantity::Pressure;
    return Quantity::Other;
}

HRESULT CreateTwoPointConversion(IUnitConversion* current, const WCHAR* raw1, const WCHAR* raw2,
                                 const WCHAR* shown1, const WCHAR* shown2, const WCHAR* unit, LONG prefixCode,
                                 IUnitConversion** conversion)
{
    if (!conversion)
        return E_POINTER;
    *conversion = nullptr;
    return Guarded([&]() -> HRESULT {
        const Orv::ChannelUnitsRecord* base = RecordOf(current);
        if (!base || !unit)
            return E_INVALIDARG;
        // The raw texts carry the unit the channel is shown in, or its raw unit.
        const std::wstring shownName = base->inUse ? base->unitText.c_str() : base->rawUnitText.c_str();
        double raw[2] = {};
        double shown[2] = {};
        for (int point = 0; point < 2; ++point)
        {
            const WCHAR* rawText = point == 0 ? raw1 : raw2;
            if (!ReadRawValue(rawText, shownName, raw[point]) &&
                !ReadRawValue(rawText, base->rawUnitText.c_str(), raw[point]))
                return E_INVALIDARG;
            if (!ReadShownValue(point == 0 ? shown1 : shown2, prefixCode, shown[point]))
                return E_INVALIDARG;
        }
        // Equal raw points give no line; equal shown points give one that shows every sample alike.
        if (raw[0] == raw[1] || shown[0] == shown[1])
            return E_INVALIDARG;
        Orv::ChannelUnitsRecord record;
        record.name = base->name;
        record.rawUnitText = base->rawUnitText;
        record.rawPrefix = base->rawPrefix;
        record.rawValuesText = std::wstring(raw1) + L" " + raw2;
        record.valuesText = std::wstring(shown1) + L" " + shown2;
        record.unitText = unit;
        record.unitPrefix = LetterOfCode(prefixCode);
        record.unitPrefixCode = Orv::PrefixedUnit(std::wstring(), prefixCode).GetPrefixCode();
        record.scale = (shown[0] - shown[1]) / (raw[0] - raw[1]);
        record.offset = shown[0] - record.scale * raw[0];
        for (int point = 0; point < 2; ++point)
        {
            record.rawPoints[point] = raw[point];
            record.points[point] = shown[point];
        }
        record.kind = UnitConversionKind::TwoPoint;
        record.inUse = VARIANT_TRUE;
        record.twoPoint = VARIANT_TRUE;
        return Hand(record, conversion);
    });
}

HRESULT WriteConversion(IBinOutStream* stream, IUnitConversion* conversion)
{
    const Orv::ChannelUnitsRecord* record = RecordOf(conversion);
    if (!stream || !record)
        return E_INVALIDARG;
    return Guarded([&]() -> HRESULT {
        IBinOutStream& out = *stream;
        out.WriteULong(ConversionRecordVersion);
        for (const Orv::String* text : {&record->name, &record->rawUnitText, &record->rawValuesText,
                                        &record->unitText, &record->valuesText, &record->description})
            WriteText(out, *text);
        for (double value : {record->scale, record->offset, record->rawPoints[0], record->rawPoints[1],
                             record->points[0], record->points[1]})
            out.WriteDouble(value);
        for (std::uint32_t word : {record->rawPrefix, record->unitPrefix,
                                   static_cast<std::uint32_t>(record->unitPrefixCode), record->kind})
            out.WriteULong(word);
        out.WriteShort(record->inUse);
        out.WriteShort(record->twoPoint);
        return out.GetStatus();
    });
}

HRESULT ReadConversion(IBinInStream* stream, IUnitConversion** conversion)
{
    if (!conversion)
        return E_POINTER;
    *conversion = nullptr;
    if (!stream)
        return E_INVALIDARG;
    return Guarded([&]() -> HRESULT {
        IBinInStream& in = *stream;
        ULONG version = 0;
        in.ReadULong(&version);
        if (version != ConversionRecordVersion)
            return E_FAIL;
        Orv::ChannelUnitsRecord record;
        for (Orv::String* text : {&record.name, &record.rawUnitText, &record.rawValuesText, &record.unitText,
                                  &record.valuesText, &record.description})
            ReadText(in, *text);
        for (double* value : {&record.scale, &record.offset, &record.rawPoints[0], &record.rawPoints[1],
                              &record.points[0], &record.points[1]})
            in.ReadDouble(value);
        for (void* word : {static_cast<void*>(&record.rawPrefix), static_cast<void*>(&record.unitPrefix),
                           static_cast<void*>(&record.unitPrefixCode), static_cast<void*>(&record.kind)})
            in.ReadULong(word);
        in.ReadShort(&record.inUse);
        in.ReadShort(&record.twoPoint);
        if (in.GetStatus() != S_OK)
            return E_FAIL;
        return Hand(record, conversion);
    });
}

} // namespace Vyr
