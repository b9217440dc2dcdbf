// The checks the calibration models share: the two-point value check and the prerequisites of applying
// a calibration.
#pragma once

#include "document/models/ModelBase.h"

#include <initializer_list>

namespace Sistra
{

// String-table ids of one two-point calibration's problems.
struct TwoPointTexts
{
    UINT notANumberTitle;
    UINT baseNotANumber;        // "%1" is "first" or "second"
    UINT convertedNotANumber;
    UINT baseEqual;
    UINT convertedEqual;
};

// The gains (calibrated units per raw unit) a two-point calibration may have: wide enough for any
// transducer and any pair of units.
inline constexpr double SmallestCalibrationGain = 1e-12;
inline constexpr double LargestCalibrationGain = 1e12;

// Invalid markers first (base 1, base 2, converted 1, converted 2), then equal bases, then equal
// converted values, then a gain outside the range above. Blank values pass.
ValidationResult ValidateTwoPoint(const TwoPointTexts& texts, double base1, double base2, double converted1,
                                  double converted2);

// "first" or "second", from the string table.
const Orv::String& OrdinalWord(int index);

// What must hold before a calibration counts as applied.
struct CalibrationRule
{
    int upstreamKind;             // 0: no upstream step
    UINT upstreamMessage;
    UINT fillInMessage;
};

// With workflow mode on, an upstream step that is not ready; then a value that is NaN; then a flag
// that is not set (not ready, without text).
ValidationResult CheckCalibrationPrerequisites(ModelBaseNoTpl& model, const CalibrationRule& rule,
                                               std::initializer_list<double> values, bool applied);

} // namespace Sistra
