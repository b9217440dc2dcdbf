// Unit names with SI prefix letters, and the compact prefix codes that settings and the host use
// (codes 2-11 stand for 'a' to 'G', code = exponent / 3 + 8; 1 reads as no prefix).
#pragma once

#include <optional>
#include <string>

// The decimal exponent of an SI prefix letter; 0 for no letter and for letters that are no prefix.
int UnitPrefixExponent(wchar_t letter);

// 10 to the letter's exponent; 1.0 for a letter that is no prefix.
double UnitPrefixFactor(wchar_t letter);

namespace Orv
{

constexpr wchar_t MicroSign = 0x00B5;

// Pascals per unit of a pressure unit a transducer's recording is kept in (Pa, mmHg, Torr, cmH2O, bar, atm,
// psi), named without a prefix; none for a unit that is no pressure.
std::optional<double> PascalsPerUnit(const std::wstring& name);

// The factor that turns a value in unit `from` into the same physical value in unit `to` (both without
// prefix): 1 for the same unit, the ratio of the two for pressure units, nothing for units that cannot be
// converted between.
std::optional<double> RecordedUnitFactor(const std::wstring& from, const std::wstring& to);

class PrefixedUnit
{
public:
    static constexpr int NoPrefixCode = 1;
    static constexpr int UnknownPrefixCode = 0;

    PrefixedUnit() = default;
    explicit PrefixedUnit(const std::wstring& name) : name_(name) {}
    PrefixedUnit(const std::wstring& name, int code);

    // 1 without a prefix letter, the code of 'a' to 'G', 0 for any other letter.
    int GetPrefixCode() const;
    // Codes 2-11 set 'a' to 'G' (6: the micro sign, 8: no letter); any other code clears the letter.
    void SetPrefixCode(int code);

    double FromBaseValue(double value) const { return value / UnitPrefixFactor(prefix_); }
    // The prefix letter, when there is one, then the name.
    std::wstring GetText() const;

    const std::wstring& Name() const { return name_; }
    wchar_t Prefix() const { return prefix_; }
    void SetPrefix(wchar_t letter) { prefix_ = letter; }

private:
    std::wstring name_;
    wchar_t prefix_ = 0;
};

} // namespace Orv
