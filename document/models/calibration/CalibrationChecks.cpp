#include "document/models/calibration/CalibrationChecks.h"

#include "foundation/numbers/NumberUtilities.h"
#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <cmath>

namespace Sistra
{

const Orv::String& OrdinalWord(int index)
{
    static const Orv::String first(Orv::ThisModule(), IDS_MODEL_WORD_FIRST, true);
    static const Orv::String second(Orv::ThisModule(), IDS_MODEL_WORD_SECOND, true);
    return index == 0 ? first : second;
}

ValidationResult ValidateTwoPoint(const TwoPointTexts& texts, double base1, double base2, double converted1,
                                  double converted2)
{
    const struct
    {
        double value;
        UINT format;
        int ordinal;
    } fields[] = {{base1, texts.baseNotANumber, 0},
                  {base2, texts.baseNotANumber, 1},
                  {converted1, texts.convertedNotANumber, 0},
                  {converted2, texts.convertedNotANumber, 1}};
    for (const auto& field : fields)
        if (IsInvalidMarker(field.value))
            return ValidationResult::Formatted(texts.notANumberTitle, field.format, OrdinalWord(field.ordinal));
    if (ApproxEqual(base1, base2))
        return ValidationResult(IDS_MODEL_INVALID_CALIBRATION_VALUE, texts.baseEqual);
    if (ApproxEqual(converted1, converted2))
        return ValidationResult(IDS_MODEL_INVALID_CALIBRATION_VALUE, texts.convertedEqual);
    // A gain far beyond any transducer's is a typing error, and calibrated samples would overflow the host's
    // floats and leave the detector finding beats in the noise.
    if (const double gain = (converted2 - converted1) / (base2 - base1);
        std::isfinite(base1) && std::isfinite(base2) && std::isfinite(converted1) && std::isfinite(converted2) &&
        !(std::abs(gain) >= SmallestCalibrationGain && std::abs(gain) <= LargestCalibrationGain))
        return ValidationResult::Formatted(IDS_MODEL_INVALID_CALIBRATION_VALUE, IDS_MODEL_CALIBRATION_GAIN_RANGE, gain);
    return ValidationResult::Ok();
}

ValidationResult CheckCalibrationPrerequisites(ModelBaseNoTpl& model, const CalibrationRule& rule,
                                               std::initializer_list<double> values, bool applied)
{
    if (rule.upstreamKind != 0 && model.IsWorkflowModeOn() && model.IsModelNotReady(rule.upstreamKind))
        return ValidationResult(IDS_MODEL_CANT_APPLY_CALIBRATION, rule.upstreamMessage);
    if (std::any_of(values.begin(), values.end(), IsNaN))
        return ValidationResult(IDS_MODEL_CANT_APPLY_CALIBRATION, rule.fillInMessage);
    if (!applied)
        return ValidationResult::NotReady();
    return ValidationResult::Ok();
}

} // namespace Sistra
