#include "document/calibration/CalibrationText.h"

#include "foundation/text/StringStream.h"

#include <locale>
#include <string>

namespace Sistra
{

namespace
{

constexpr int NotationBits = 3;

void TrimFraction(std::wstring& text, wchar_t decimalPoint)
{
    if (text.find(decimalPoint) == std::wstring::npos)
        return;
    while (!text.empty() && text.back() == L'0')
        text.pop_back();
    if (!text.empty() && text.back() == decimalPoint)
        text.pop_back();
}

// "1.500000e+05" -> "1.5e+5", "2.000000e-07" -> "2.e-7": the mantissa keeps its point.
void TrimExponent(std::wstring& text, std::size_t letter)
{
    std::size_t digits = letter + 1;
    if (digits < text.size() && (text[digits] == L'-' || text[digits] == L'+'))
        ++digits;
    std::size_t firstKept = digits;
    while (firstKept + 1 < text.size() && text[firstKept] == L'0')
        ++firstKept;
    text.erase(digits, firstKept - digits);
    std::size_t mantissaEnd = letter;
    while (mantissaEnd > 0 && text[mantissaEnd - 1] == L'0')
        --mantissaEnd;
    text.erase(mantissaEnd, letter - mantissaEnd);
}

} // namespace

bool FormatNumberText(Orv::String& text, double value, int digits, int mode)
{
    Orv::OStringStream out;
    out.imbue(mode < 0 ? std::locale::classic() : std::locale());
    if ((mode & NotationBits) == NumberTextMode::Scientific)
        out.setf(std::ios_base::scientific, std::ios_base::floatfield);
    else if ((mode & 1) == 0)
        out.setf(std::ios_base::fixed, std::ios_base::floatfield);
    out.precision(digits);
    out << value;
    if (out.fail())
        return false;
    std::wstring written = out.Str().c_str();
    const std::size_t letter = written.find_first_of(L"eE");
    if (letter == std::wstring::npos)
        TrimFraction(written, std::use_facet<std::numpunct<wchar_t>>(out.getloc()).decimal_point());
    else
        TrimExponent(written, letter);
    text = Orv::String(written);
    return true;
}

} // namespace Sistra
