// The value types an automation command can carry, and how each travels: converted from an
// automation argument, packed into the payload record of a message, and written as macro text.
#pragma once

#include "foundation/text/String.h"

#include <oaidl.h>

#include <cstddef>
#include <type_traits>
#include <vector>

namespace Orv::Automation
{

// One value type as the message classes handle it without knowing the C++ type.
struct ValueKind
{
    VARTYPE variantType;     // what an argument is converted to
    ULONG typeCode;          // its 4-bit code in the payload's type word
    const wchar_t* typeName; // its name in the parameter text of macros
    std::size_t width;       // bytes it takes in the payload record
};

// The payload record of a message: a type word with one 4-bit code per value (first value lowest),
// then the values without gaps. A text travels as a reference to its string object, pointer-sized,
// which the message keeps alive.
class PayloadRecord
{
public:
    PayloadRecord();

    // Converts one automation argument to kind's type and appends it; throws XOrv with the conversion's
    // HRESULT when it cannot be converted. Text arguments keep their string objects in texts.
    void AppendArgument(const ValueKind& kind, const VARIANT& argument);
    // Appends the bytes of a number already in payload form (a parameter's default).
    void AppendRaw(const ValueKind& kind, const void* value);
    void AppendText(const String& text);

    const void* Data() const { return bytes_.data(); }
    std::size_t Size() const { return bytes_.size(); }

private:
    void AppendCode(ULONG code);

    std::vector<BYTE> bytes_;
    std::vector<String> texts_;
    int values_ = 0;
};

// The macro text of one value read from a payload at value: numbers in the classic locale (doubles in
// the stream's default six significant digits), bools as 1 or 0, texts as they stand.
String ValueText(const ValueKind& kind, const BYTE* value);

inline constexpr ValueKind DoubleKind{VT_R8, 3, L"double", sizeof(double)};
inline constexpr ValueKind LongKind{VT_I4, 2, L"int", sizeof(LONG)};
inline constexpr ValueKind UnsignedKind{VT_UI4, 1, L"uint32", sizeof(ULONG)};
inline constexpr ValueKind BoolKind{VT_BOOL, 1, L"bool", sizeof(ULONG)};
inline constexpr ValueKind StringKind{VT_BSTR, 7, L"String", sizeof(void*)};

template <class T>
constexpr const ValueKind& KindOf()
{
    if constexpr (std::is_same_v<T, double>)
        return DoubleKind;
    else if constexpr (std::is_same_v<T, LONG>)
        return LongKind;
    else if constexpr (std::is_same_v<T, ULONG>)
        return UnsignedKind;
    else if constexpr (std::is_same_v<T, bool>)
        return BoolKind;
    else
    {
        static_assert(std::is_same_v<T, String>, "automation values are double, LONG, ULONG, bool or String");
        return StringKind;
    }
}

} // namespace Orv::Automation
