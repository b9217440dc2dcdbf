// End-systolic pressure-volume relation as the line P = k V + d that touches every selected loop where
// the loop's own slope equals k.
#pragma once

#include "platform/mpfit/mpfit.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
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

// Many loops' end-systolic parts in one block, loop after loop: a recording's loops are too many for a
// pair of vectors each. Volumes and pressures lie in blocks of their own, so that the fit reads a run of
// either with one load.
class TangentFitSamples
{
public:
    // One loop's samples.
    struct LoopSamples
    {
        const float* volumes = nullptr;
        const float* pressures = nullptr;
        std::size_t size = 0;
    };

    // Room for this many samples in all, so that a recording's loops are gathered without moving them.
    void Reserve(std::size_t samples)
    {
        volumes_.reserve(samples);
        pressures_.reserve(samples);
    }
    // Appends a loop of the first count samples of both.
    void AddLoop(const float* pressures, const float* volumes, std::size_t count);
    // Appends the samples both of the loop's vectors hold.
    void AddLoop(const TangentFitLoop& loop)
    {
        AddLoop(loop.pressures.data(), loop.volumes.data(), std::min(loop.pressures.size(), loop.volumes.size()));
    }
    std::size_t LoopCount() const { return ends_.size(); }
    LoopSamples Loop(std::size_t j) const
    {
        const std::size_t begin = j == 0 ? 0 : ends_[j - 1];
        return {volumes_.data() + begin, pressures_.data() + begin, ends_[j] - begin};
    }

private:
    std::vector<float> volumes_;
    std::vector<float> pressures_;
    std::vector<std::size_t> ends_; // loop j's samples end here
};

// Vector lanes of the search for the secants closest to a slope: the widest the processor has, four
// where it has them, or none. All give the same touching points.
enum class TangentLanes
{
    Widest,
    Four,
    Plain
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

// Least-squares fit of {k, d} from start. True only when the fit found a solution (not one stopped by its
// iteration limit);
// fitted then holds the line and touching, when given, the touching points of the fitted line.
// False, leaving everything untouched, for a non-finite start or a loop without samples or with
// pressures and volumes of different lengths.
bool FitEspvrTangentLine(const std::vector<TangentFitLoop>& loops, const std::array<double, 2>& start,
    std::array<double, 2>& fitted, TangentPoints* touching = nullptr);
// The same over loops in one block; the fit is false as well for a loop without samples.
void TangentDeviates(const TangentFitSamples& loops, double k, double d, double* deviates, TangentPoints* touching,
    TangentLanes lanes = TangentLanes::Widest);
// limits: the solver's control, its defaults when null.
bool FitEspvrTangentLine(const TangentFitSamples& loops, const std::array<double, 2>& start,
    std::array<double, 2>& fitted, TangentPoints* touching = nullptr, TangentLanes lanes = TangentLanes::Widest,
    mp_config* limits = nullptr);

// The deviates at one line after another, as the fit asks for them: each loop keeps its secants around
// the last slope, and answers from them while the slope stays between them.
class TangentDeviateSeries
{
public:
    explicit TangentDeviateSeries(const TangentFitSamples& loops, TangentLanes lanes = TangentLanes::Widest);
    ~TangentDeviateSeries();
    void Deviates(double k, double d, double* deviates, TangentPoints* touching = nullptr);

private:
    struct Kept;
    const TangentFitSamples& loops_;
    TangentLanes lanes_;
    std::unique_ptr<Kept> kept_;
};

} // namespace Sistra
