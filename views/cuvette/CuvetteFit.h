// The straight line through the cuvette readings: known volume against conductance, in base units.
#pragma once

#include "document/models/ModelValues.h"

#include <optional>
#include <string>
#include <vector>

namespace Sistra
{

struct CuvetteFit
{
    double intercept;
    double slope;
    double rSquared;
};

// Every reading of a well paired with the well's known volume, fitted by least squares over the pairs
// that hold two numbers. None when no pair is usable, the readings do not spread, or the slope is 0
// (a calibration that maps every conductance to one volume is none) or beyond the doubles' range.
std::optional<CuvetteFit> ComputeCuvetteFit(const std::vector<double>& knownVolumes, const DoubleMatrix& readings);

// Volume = slope × Conductance ± |intercept|, r² = ..., in the units the view shows: the slope scaled
// from base units by the prefix factors of the conductance and volume units, the intercept by the
// volume unit's.
struct FitTextParts
{
    std::wstring rangeSymbol;
    std::wstring domainSymbol;
    std::wstring squared;
    double conductanceFactor;
    double volumeFactor;
};
std::wstring FormatFitText(const CuvetteFit& fit, const FitTextParts& parts);

} // namespace Sistra
