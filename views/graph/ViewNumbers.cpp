#include "views/graph/ViewNumbers.h"

#include "document/calibration/CalibrationText.h"

#include <cmath>

namespace Sistra
{

Orv::String FormatViewNumber(double value)
{
    const double size = std::fabs(value);
    int mode = NumberTextMode::Scientific;
    int digits = 3;
    if (value == 0.0 || size < 1e-32 || (size >= 10000.0 && size < 100000.0))
        mode = NumberTextMode::Fixed, digits = 0;
    else if (size >= 10.0 && size < 10000.0)
        mode = NumberTextMode::General, digits = 5;
    else if (size >= 0.01 && size < 10.0)
        mode = NumberTextMode::General, digits = 4;
    else if (size >= 1e100)
        digits = 1;
    else if (size >= 1e10)
        digits = 2;
    Orv::String text;
    FormatNumberText(text, value, digits, mode);
    return text;
}

} // namespace Sistra
