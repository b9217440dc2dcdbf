// End-systolic pressure-volume relation as the line P = k V + d that touches every selected loop where
// the loop's own slope equals k.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace Sistra
{

// The end-systolic part of one loop, in time order; pressures and volumes have equal length.
struct TangentFitLoop
{
    std::vector<float> pressures;
    std::vector<float> volumes;
    std::int32_t reserved = 0;
};

// Where the fitted line touches each loop: the (blended) point and the index of the sample before it.
struct TangentPoints
{
    std::vector<double> pressures;
    std::vector<double> volumes;
    std::vector<int> indices;
};

// Pressure distance of each loop's touching point from the line {k, d}: the deviates of the fit.
// touching, when given, receives the touching points (sized by the caller to the number of loops).
void TangentDeviates(const std::vector<TangentFitLoop>& loops, double k, double d, double* deviates,
    TangentPoints* touching);

// Least-squares fit of {k, d} from start. True only when the fit ended normally (positive status);
// fitted then holds the line and touching, when given, the touching points of the fitted line.
// False, leaving everything untouched, for a non-finite start or a loop without samples or with
// pressures and volumes of different lengths.
bool FitEspvrTangentLine(const std::vector<TangentFitLoop>& loops, const std::array<double, 2>& start,
    std::array<double, 2>& fitted, TangentPoints* touching = nullptr);

} // namespace Sistra
