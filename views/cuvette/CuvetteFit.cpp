#include "views/cuvette/CuvetteFit.h"

#include "calc/numerics/NumericHelpers.h"
#include "dialogs/helpers/NumberFields.h"
#include "foundation/numbers/NumberUtilities.h"

#include <cmath>

namespace Sistra
{

std::optional<CuvetteFit> ComputeCuvetteFit(const std::vector<double>& knownVolumes, const DoubleMatrix& readings)
{
    std::vector<double> conductance;
    std::vector<double> volume;
    for (size_t well = 0; well < knownVolumes.size(); ++well)
        for (int32_t reading = 0; reading < readings.Rows(); ++reading)
        {
            conductance.push_back(readings.At(reading, static_cast<int32_t>(well)));
            volume.push_back(knownVolumes[well]);
        }
    CuvetteFit fit{};
    if (!LinearRegressionSkippingNaN(conductance, volume, &fit.intercept, &fit.slope, &fit.rSquared) ||
        ApproxEqual(fit.slope, 0.0) || !std::isfinite(fit.slope) || !std::isfinite(fit.intercept))
        return std::nullopt;
    return fit;
}

std::wstring FormatFitText(const CuvetteFit& fit, const FitTextParts& parts)
{
    const double intercept = fit.intercept / parts.volumeFactor;
    std::wstring text = parts.rangeSymbol + L" = ";
    text += FormatNumber(fit.slope * parts.conductanceFactor / parts.volumeFactor).c_str();
    text += L" × " + parts.domainSymbol + L" " + (intercept >= 0 ? L"+ " : L"- ");
    text += FormatNumber(std::fabs(intercept)).c_str();
    text += L", r" + parts.squared + L" = ";
    text += FormatNumber(fit.rSquared).c_str();
    return text;
}

} // namespace Sistra
