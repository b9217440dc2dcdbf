#include "foundation/numbers/Units.h"

#include <array>
#include <utility>
#include <cstdlib>

namespace
{

constexpr int TenBase = 10;

struct PrefixLetter
{
    wchar_t letter;
    int exponent;
    int code; // 0: the letter has no code
};

constexpr std::array<PrefixLetter, 13> PrefixLetters = {{
    {L'E', 18, 0},
    {L'P', 15, 0},
    {L'T', 12, 0},
    {L'G', 9, 11},
    {L'M', 6, 10},
    {L'k', 3, 9},
    {L'm', -3, 7},
    {L'u', -6, 6},
    {Orv::MicroSign, -6, 6},
    {L'n', -9, 5},
    {L'p', -12, 4},
    {L'f', -15, 3},
    {L'a', -18, 2},
}};

// The letters that codes 2 to 11 set; code 8 is no letter.
constexpr std::array<wchar_t, 10> LettersOfCodes = {L'a', L'f', L'p', L'n', Orv::MicroSign, L'm', 0, L'k', L'M', L'G'};
constexpr int FirstLetterCode = 2;

const PrefixLetter* FindLetter(wchar_t letter)
{
    for (const PrefixLetter& entry : PrefixLetters)
        if (entry.letter == letter)
            return &entry;
    return nullptr;
}

} // namespace

int UnitPrefixExponent(wchar_t letter)
{
    const PrefixLetter* entry = FindLetter(letter);
    return entry ? entry->exponent : 0;
}

double UnitPrefixFactor(wchar_t letter)
{
    // Squaring keeps every factor an exact product of powers of ten, and a negative exponent divides
    // once at the end: 'm' gives exactly 1.0 / 1000.0.
    const int exponent = UnitPrefixExponent(letter);
    int n = std::abs(exponent);
    double result = 1.0;
    double base = TenBase;
    while (n > 0)
    {
        if (n % 2 == 1)
            result *= base;
        n /= 2;
        if (n > 0)
            base *= base;
    }
    return exponent < 0 ? 1.0 / result : result;
}

namespace Orv
{

std::optional<double> PascalsPerUnit(const std::wstring& name)
{
    static constexpr std::pair<const wchar_t*, double> PressureUnits[] = {
        {L"Pa", 1.0},  {L"mmHg", 133.322387415}, {L"Torr", 101325.0 / 760.0}, {L"cmH2O", 98.0665},
        {L"bar", 1e5}, {L"atm", 101325.0},        {L"psi", 6894.757293168},
    };
    for (const auto& [unit, pascals] : PressureUnits)
        if (name == unit)
            return pascals;
    return std::nullopt;
}

std::optional<double> RecordedUnitFactor(const std::wstring& from, const std::wstring& to)
{
    if (from == to)
        return 1.0;
    const std::optional<double> fromPascals = PascalsPerUnit(from), toPascals = PascalsPerUnit(to);
    if (!fromPascals || !toPascals)
        return std::nullopt;
    return *fromPascals / *toPascals;
}

PrefixedUnit::PrefixedUnit(const std::wstring& name, int code) : name_(name)
{
    SetPrefixCode(code);
}

int PrefixedUnit::GetPrefixCode() const
{
    if (prefix_ == 0)
        return NoPrefixCode;
    const PrefixLetter* entry = FindLetter(prefix_);
    return entry ? entry->code : UnknownPrefixCode;
}

void PrefixedUnit::SetPrefixCode(int code)
{
    const int index = code - FirstLetterCode;
    prefix_ = index >= 0 && index < static_cast<int>(LettersOfCodes.size()) ? LettersOfCodes[index] : 0;
}

std::wstring PrefixedUnit::GetText() const
{
    return prefix_ ? prefix_ + name_ : name_;
}

} // namespace Orv
