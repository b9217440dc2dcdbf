// What every step page does to its own controls: instruction texts in their italic font and fitted to
// their text, buttons lined up with the boxes they fill, separator lines as wide as the instructions,
// combo lists wide enough for their texts, and the apply check box rule.
#pragma once

#include "document/models/Model.h"
#include "foundation/text/String.h"

#include <windows.h>

#include <vector>

namespace Sistra
{

// The control ids the pages use for the same roles.
namespace StepControl
{
constexpr int FirstInstruction = 1074;
constexpr int SecondInstruction = 1082;
constexpr int SamplingLabel = 1105;
constexpr int SamplingPlaceholder = 1071;
constexpr int DetectorSettings = 1092;
constexpr int FirstFromSelection = 1075;
constexpr int SecondFromSelection = 1076;
constexpr int FirstValue = 1079;
constexpr int SecondValue = 1081;
constexpr int FirstUnit = 1109;
constexpr int SecondUnit = 1110;
constexpr int Apply = 1077;
} // namespace StepControl

// Messages a page sends the accordion pane that holds it.
constexpr UINT PaneProblemMessage = WM_USER + 2;   // wParam title, lParam text; both 0 clear it
constexpr UINT PaneReadyMessage = WM_USER + 3;     // wParam 1 ready, 0 not

// The control's window rectangle in the page's client coordinates.
RECT GetControlRect(HWND page, int id);
// The icon-title font's face in the control's font height, italic; the caller owns it.
HFONT MakeInstructionFont(HWND control);
// The same face in the control's font height, bold: a section heading's.
HFONT MakeHeadingFont(HWND control);
// Grows the control to the height its text needs (no smaller), moves every control below its top edge
// down as much and makes the page as much taller; the pixels it grew.
int FitTextHeight(HWND page, int id);
// The line keeps its top and height and spans one pixel either side of the first instruction text.
void AlignSeparator(HWND page, int lineId);
// The button keeps its left and width and spans the edit's height and a pixel more either way.
void AlignButtonToEdit(HWND page, int buttonId, int editId);
// Adds the texts to the combo's list, widening its drop-down to the widest text.
void FillCombo(HWND page, int id, const std::vector<Orv::String>& texts);
// "Start sampling:" or "Stop sampling:".
const Orv::String& SamplingLabelText(bool sampling);

// The rule of a calibration page's apply check box (control 1077) for its applied-flag property: a tick
// is kept only for values without a problem whose prerequisites are met; the problem found is shown as
// a balloon on the box.
void ApplyCheckBoxClicked(HWND page, Model& model, int appliedProperty);

} // namespace Sistra
