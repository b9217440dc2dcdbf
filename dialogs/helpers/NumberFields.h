// Numbers in the pages' edit boxes: typed text to stored value and back, with the two markers that stand
// for an empty box and for text that is no number, and the SI-prefix factors by which a value shown in a
// prefixed unit differs from the base-unit value the models store.
#pragma once

#include "foundation/text/String.h"

#include <windows.h>

#include <array>

namespace Sistra
{

// Empty text: the blank marker. Otherwise the number the text starts with (what follows it is ignored),
// or the invalid marker when it starts with none.
double ParseNumber(const Orv::String& text);

// The value as a person reads it: whole below 100000 from 10000 up, five or four digits after the point
// from 0.01 up, scientific notation for the rest.
Orv::String FormatNumber(double value);

// Shows the value in the box: the blank marker empties it, the invalid marker leaves what the user typed.
void SetWindowNumber(HWND window, double value);

// The width, borders and margins included, at which the edit box shows the longest text FormatNumber
// writes ("-8.888e-32") whole in its font.
int WholeNumberWidth(HWND edit);

// The factor of a prefix code (8: none, 2 'a' to 11 'G'): 10^(3 (code - 8)); 1.0 for a code without a
// letter.
double PrefixFactor(int prefixCode);

// {value / factor(a) x factor(b), factor(a), factor(b)} with value = source[0] / source[2] x source[1]:
// a base-unit value shown in the unit of code a is RescaleToPrefixes({stored, 1, 1}, code, 8)[0].
std::array<double, 3> RescaleToPrefixes(const std::array<double, 3>& source, int codeA, int codeB);

// The window's whole text; empty when the handle is no window.
Orv::String GetWindowTextString(HWND window);

} // namespace Sistra
