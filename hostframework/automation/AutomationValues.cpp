#include "hostframework/automation/AutomationValues.h"

#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrIds.h"
#include "foundation/com/ErrorReason.h"
#include "foundation/com/XOrv.h"
#include "foundation/text/StringStream.h"

#include <cmath>
#include <cstring>

namespace Orv::Automation
{

namespace
{

constexpr int TypeCodeBits = 4;
// English (United States): "0.5" is a half whatever the user's regional settings say.
constexpr LCID ArgumentLocale = 0x409;

// A VARIANT that clears itself.
class OwnedVariant
{
public:
    OwnedVariant() { VariantInit(&value_); }
    ~OwnedVariant() { VariantClear(&value_); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    VARIANT* operator&() { return &value_; }
    const VARIANT& operator*() const { return value_; }

private:
    VARIANT value_;
};

// The argument as kind's variant type: itself when it already is one, else a converted copy.
const VARIANT& Converted(const ValueKind& kind, const VARIANT& argument, OwnedVariant& holder)
{
    if (V_VT(&argument) == kind.variantType)
        return argument;
    const HRESULT result =
        VariantChangeTypeEx(&holder, const_cast<VARIANT*>(&argument), ArgumentLocale, 0, kind.variantType);
    if (FAILED(result))
        throw XOrv(result);
    return *holder;
}

// A whole-number parameter takes only a whole number: the system's conversion would round 1.5 to 2 and
// act on a value nobody gave.
void RefuseFraction(const ValueKind& kind, const VARIANT& argument)
{
    if (kind.variantType != VT_I4 && kind.variantType != VT_UI4)
        return;
    OwnedVariant number;
    // A text that is no number at all is refused by the conversion proper.
    if (FAILED(VariantChangeTypeEx(&number, const_cast<VARIANT*>(&argument), ArgumentLocale, 0, VT_R8)))
        return;
    const double value = V_R8(&*number);
    if (value == std::floor(value))
        return;
    ClassicOStringStream text;
    text << value << L" is not a whole number";
    throw XOrv(Orv::FailWithReason(E_INVALIDARG, IID_IMessageHandler, text.Str().c_str()));
}

} // namespace

PayloadRecord::PayloadRecord() : bytes_(sizeof(ULONG), 0) {}

void PayloadRecord::AppendCode(ULONG code)
{
    ULONG typeWord = 0;
    std::memcpy(&typeWord, bytes_.data(), sizeof typeWord);
    typeWord |= code << (TypeCodeBits * values_++);
    std::memcpy(bytes_.data(), &typeWord, sizeof typeWord);
}

void PayloadRecord::AppendRaw(const ValueKind& kind, const void* value)
{
    AppendCode(kind.typeCode);
    const auto* first = static_cast<const BYTE*>(value);
    bytes_.insert(bytes_.end(), first, first + kind.width);
}

void PayloadRecord::AppendArgument(const ValueKind& kind, const VARIANT& argument)
{
    RefuseFraction(kind, argument);
    OwnedVariant holder;
    const VARIANT& value = Converted(kind, argument, holder);
    switch (kind.variantType)
    {
    case VT_R8:
        AppendRaw(kind, &V_R8(&value));
        break;
    case VT_I4:
        AppendRaw(kind, &V_I4(&value));
        break;
    case VT_UI4:
        AppendRaw(kind, &V_UI4(&value));
        break;
    case VT_BOOL:
    {
        const ULONG flag = V_BOOL(&value) != VARIANT_FALSE ? 1 : 0;
        AppendRaw(kind, &flag);
        break;
    }
    default:
        AppendText(V_BSTR(&value) ? V_BSTR(&value) : L"");
        break;
    }
}

void PayloadRecord::AppendText(const String& text)
{
    texts_.push_back(text);
    IAutoOrvString* reference = texts_.back().Interface();
    AppendRaw(StringKind, &reference);
}

String ValueText(const ValueKind& kind, const BYTE* value)
{
    ClassicOStringStream text;
    switch (kind.variantType)
    {
    case VT_R8:
    {
        double number = 0;
        std::memcpy(&number, value, sizeof number);
        text << number;
        break;
    }
    case VT_I4:
    {
        LONG number = 0;
        std::memcpy(&number, value, sizeof number);
        text << number;
        break;
    }
    default:
        if (kind.variantType != VT_BSTR)
        {
            ULONG number = 0;
            std::memcpy(&number, value, sizeof number);
            text << (kind.variantType == VT_BOOL ? (number != 0 ? 1UL : 0UL) : number);
        }
        else
        {
            IAutoOrvString* reference = nullptr;
            std::memcpy(&reference, value, sizeof reference);
            return String::FromInterface(reference);
        }
    }
    return text.Str();
}

} // namespace Orv::Automation
