#include "dialogs/helpers/NumberFields.h"

#include "document/calibration/CalibrationText.h"
#include "document/models/ModelValues.h"
#include "foundation/numbers/Units.h"
#include "platform/owl/gdi/DC.h"

#include <cmath>
#include <cwctype>
#include <sstream>
#include <vector>

namespace Sistra
{

namespace
{

struct NumberFormat
{
    int kind;
    int precision;
};

// Plain digits where they stay short, scientific notation where they would not.
NumberFormat FormatFor(double value)
{
    const double magnitude = std::fabs(value);
    if (value == 0.0 || magnitude < 1e-32)
        return {NumberTextMode::Fixed, 0};
    if (magnitude >= 10000.0 && magnitude < 100000.0)
        return {NumberTextMode::Fixed, 0};
    if (magnitude >= 10.0 && magnitude < 10000.0)
        return {NumberTextMode::General, 5};
    if (magnitude >= 0.01 && magnitude < 10.0)
        return {NumberTextMode::General, 4};
    if (magnitude >= 1e100)
        return {NumberTextMode::Scientific, 1};
    if (magnitude >= 1e10 && magnitude < 1e100)
        return {NumberTextMode::Scientific, 2};
    return {NumberTextMode::Scientific, 3};
}

} // namespace

double ParseNumber(const Orv::String& text)
{
    if (text.IsEmpty())
        return BlankMarker();
    std::wistringstream in(text.c_str());
    double value = 0.0;
    in >> value;
    return in.fail() ? InvalidMarker() : value;
}

// What a person reads: a mantissa left without digits after its point ("1.e-6") loses the point too.
Orv::String FormatNumber(double value)
{
    const NumberFormat format = FormatFor(value);
    Orv::String text;
    FormatNumberText(text, value, format.precision, format.kind);
    std::wstring shown = text.c_str();
    const std::size_t letter = shown.find_first_of(L"eE");
    if (letter != std::wstring::npos && letter > 0 && !std::iswdigit(shown[letter - 1]))
        shown.erase(letter - 1, 1);
    return Orv::String(shown);
}

void SetWindowNumber(HWND window, double value)
{
    if (IsBlankMarker(value))
        SetWindowTextW(window, L"");
    else if (!std::isnan(value))
        SetWindowTextW(window, FormatNumber(value).c_str());
}

int WholeNumberWidth(HWND edit)
{
    // Ten characters: four digits and a two-digit exponent, which only the small magnitudes have.
    constexpr double LongestShown = -8.888e-32;
    // The caret's column after the last character.
    constexpr int CaretRoom = 2;
    const SIZE extent = OWL::ControlTextExtent(edit, FormatNumber(LongestShown).c_str());
    const auto margins = static_cast<DWORD>(SendMessageW(edit, EM_GETMARGINS, 0, 0));
    RECT window{}, client{};
    GetWindowRect(edit, &window);
    GetClientRect(edit, &client);
    const int frame = (window.right - window.left) - client.right;
    return extent.cx + LOWORD(margins) + HIWORD(margins) + frame + CaretRoom;
}

double PrefixFactor(int prefixCode)
{
    Orv::PrefixedUnit unit;
    unit.SetPrefixCode(prefixCode);
    return UnitPrefixFactor(unit.Prefix());
}

std::array<double, 3> RescaleToPrefixes(const std::array<double, 3>& source, int codeA, int codeB)
{
    const double value = source[0] / source[2] * source[1];
    const double factorA = PrefixFactor(codeA), factorB = PrefixFactor(codeB);
    return {value / factorA * factorB, factorA, factorB};
}

Orv::String GetWindowTextString(HWND window)
{
    if (!IsWindow(window))
        return {};
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return Orv::String(text.data());
}

} // namespace Sistra
