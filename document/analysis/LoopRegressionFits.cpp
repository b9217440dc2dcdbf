// The relations between the included loops of an analysis: the points are gathered here, the fits are
// the loop regressions' numerics.
#include "document/analysis/SistraData.h"

#include "document/analysis/ChannelSegmentReader.h"

#include "foundation/numbers/NumberUtilities.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

namespace Sistra
{
namespace
{

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// The tangent segment of a loop without its own end runs a quarter of the loop from its start.
constexpr int32_t SegmentShareOfLoop = 4;

} // namespace

template <class Take>
LoopPoints SistraData::CollectPoints(Take&& take)
{
    LoopPoints points;
    ForEachIncludedLoop(
        [&](uint32_t loop, int32_t block, const SistraEvent& record) { take(loop, block, record, points); });
    return points;
}

RelationFactors SistraData::ShownFactors(Quantity x, Quantity y)
{
    const DisplayFactors factors = Factors(owner_.Settings());
    const auto factorOf = [&](Quantity quantity) {
        switch (quantity)
        {
        case Quantity::Pressure: return factors.pressure;
        case Quantity::Volume: return factors.volume;
        case Quantity::Work: return factors.pressure * factors.volume;
        }
        return 1.0;
    };
    return {factorOf(x), factorOf(y)};
}

LoopPoints SistraData::ShownPoints(double SistraEvent::*x, double SistraEvent::*y, const RelationFactors& factors)
{
    return CollectPoints([&](uint32_t, int32_t, const SistraEvent& record, LoopPoints& p) {
        p.Add(record.*x * factors.x, record.*y * factors.y);
    });
}

// The line is fitted over the values as they are shown, whose sizes suit the fit whatever the channels'
// units; raw hands it out over the recorded values.
template <class Fit>
bool SistraData::FitShownLine(FittedLine& line, bool raw, const LoopPoints& points, const RelationFactors& factors,
                              Fit&& fit)
{
    constexpr double Unset = NaN;
    FittedLine shown{Unset, Unset, Unset};
    const bool fitted = fit(points, shown);
    const FittedLine handed = raw ? LineInRecordedUnits(shown, factors) : shown;
    // A fit that fails may still have written its slope and intercept (the major axis does).
    if (!std::isnan(shown.slope))
    {
        line.slope = handed.slope;
        line.intercept = handed.intercept;
    }
    if (fitted)
        line.fit = handed.fit;
    return fitted;
}

bool SistraData::FitRecordedLine(FittedLine& line, bool raw, double SistraEvent::*x, Quantity xKind,
                                 double SistraEvent::*y, Quantity yKind)
{
    const RelationFactors factors = ShownFactors(xKind, yKind);
    return FitShownLine(line, raw, ShownPoints(x, y, factors), factors,
                        [](const LoopPoints& points, FittedLine& shown) { return FitLeastSquaresLine(points, shown); });
}

bool SistraData::FitEspvrLinear(FittedLine& line, bool raw)
{
    return FitRecordedLine(line, raw, &SistraEvent::ves, Quantity::Volume, &SistraEvent::pes, Quantity::Pressure);
}
bool SistraData::FitEdpvrLinear(FittedLine& line, bool raw)
{
    return FitRecordedLine(line, raw, &SistraEvent::ved, Quantity::Volume, &SistraEvent::ped, Quantity::Pressure);
}
bool SistraData::FitPrsw(FittedLine& line, bool raw)
{
    return FitRecordedLine(line, raw, &SistraEvent::ved, Quantity::Volume, &SistraEvent::sw, Quantity::Work);
}
bool SistraData::FitDpdtMaxEdv(FittedLine& line, bool raw)
{
    return FitRecordedLine(line, raw, &SistraEvent::ved, Quantity::Volume, &SistraEvent::dpdtMax, Quantity::Pressure);
}

// The saline line relates two readings of the uncalibrated conductance channel: it stays in their units,
// and is fitted on the volumes before the parallel conductance it finds (and alpha) are taken off.
LoopPoints SistraData::SalinePoints()
{
    return CollectPoints([&](uint32_t, int32_t block, const SistraEvent& record, LoopPoints& p) {
        const auto [ved, ves] = SalineVolumes(block, record);
        p.Add(ved, ves);
    });
}

std::pair<double, double> SistraData::SalineVolumes(int32_t block, const SistraEvent& record)
{
    return salineVolumes_.Of(record, block,
                             [this](int32_t at, int32_t tick, std::vector<float>& pressures, std::vector<float>& volumes) {
                                 const AnalysisSettings settings = owner_.Settings();
                                 ChannelSegmentReader reader(owner_.HostDocument());
                                 return reader.Read(settings.pressureChannel, at, tick, pressures) &&
                                        reader.Read(settings.volumeChannel, at, tick, volumes);
                             });
}

bool SistraData::FitSalineLine(FittedLine& line)
{
    return FitLeastSquaresLine(SalinePoints(), line);
}

// Loops of one stroke volume lie on a line of slope 1, which the values' rounding to floats tilts by some
// 1e-7: taken as a slope, it met the identity at a Vp of some -4e8 uL. A slope that close to 1 is 1.
namespace
{

// The relative step between neighbouring values of the floats a recording holds, with room for the sums
// of a least-squares line.
constexpr double FloatRounding = 1e-5;

} // namespace

SalineIntersection SistraData::IntersectSalineLine()
{
    SalineIntersection meeting;
    const LoopPoints points = SalinePoints();
    FittedLine line;
    if (!FitLeastSquaresLine(points, line))
        return meeting;
    meeting.fitted = true;
    meeting.parallel = ApproxEqual(line.slope, 1.0) ||
                       std::fabs(line.slope - 1.0) <= LeastSquaresSlopeResolution(points, line.slope);
    if (!meeting.parallel)
        meeting.vp = line.intercept / (1.0 - line.slope);
    // A line through the origin meets the identity at 0, below it by no more than the recorded floats'
    // rounding of the largest volume: that is no parallel volume, not one below zero.
    double largest = 0.0;
    for (const double ved : points.x)
        if (std::isfinite(ved))
            largest = std::max(largest, std::fabs(ved));
    if (meeting.vp < 0.0 && meeting.vp >= -FloatRounding * largest)
        meeting.vp = 0.0;
    return meeting;
}

bool SistraData::FitEspvrPerpendicular(FittedLine& line, bool raw)
{
    const RelationFactors factors = ShownFactors(Quantity::Volume, Quantity::Pressure);
    return FitShownLine(line, raw, ShownPoints(&SistraEvent::ves, &SistraEvent::pes, factors), factors,
                        [](const LoopPoints& points, FittedLine& shown) { return FitMajorAxisLine(points, shown); });
}

bool SistraData::FitEspvrQuadratic(std::array<double, 3>& coefficients, double* rSquared, bool raw)
{
    const RelationFactors factors = ShownFactors(Quantity::Volume, Quantity::Pressure);
    std::array<double, 3> shown{};
    const LoopPoints points = ShownPoints(&SistraEvent::ves, &SistraEvent::pes, factors);
    const bool fitted = FitQuadraticRelation(points, shown, rSquared);
    // The coefficients are handed out whenever there were points enough, whatever the fit's outcome.
    if (points.FiniteCount() >= 3)
        coefficients = raw ? QuadraticInRecordedUnits(shown, factors) : shown;
    return fitted;
}

bool SistraData::FitEdpvrExponential(double& amplitude, double& rate, double* rSquared, bool raw)
{
    const RelationFactors factors = ShownFactors(Quantity::Volume, Quantity::Pressure);
    LoopPoints points = ShownPoints(&SistraEvent::ved, &SistraEvent::ped, factors);
    const auto sameBits = [](const std::vector<double>& a, const std::vector<double>& b) {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
    };
    if (!edpvrExponential_ || !sameBits(edpvrExponential_->points.x, points.x) ||
        !sameBits(edpvrExponential_->points.y, points.y))
    {
        ExponentialRelationFit fit = FitExponentialRelation(points);
        edpvrExponential_ = EdpvrExponentialFit{std::move(points), fit};
    }
    double shownAmplitude = amplitude, shownRate = rate;
    const bool fitted = edpvrExponential_->fit.HandOut(shownAmplitude, shownRate, rSquared);
    if (!edpvrExponential_->fit.hasTerms)
        return false;
    std::tie(amplitude, rate) =
        raw ? ExponentialInRecordedUnits(shownAmplitude, shownRate, factors) : std::pair{shownAmplitude, shownRate};
    return fitted;
}

bool SistraData::FitPvaLine(FittedLine& line, bool endSystolic, bool raw)
{
    const RelationFactors factors = ShownFactors(endSystolic ? Quantity::Pressure : Quantity::Volume, Quantity::Work);
    const LoopPoints points = CollectPoints([&](uint32_t loop, int32_t, const SistraEvent& record, LoopPoints& p) {
        PVAEvent area;
        if (pressureLoops_.GetPvaRecord(loop, area))
            p.Add((endSystolic ? record.pes : record.ved) * factors.x, area.pva * factors.y);
    });
    return FitShownLine(line, raw, points, factors,
                        [](const LoopPoints& shown, FittedLine& fitted) { return FitLeastSquaresLine(shown, fitted); });
}

bool SistraData::FitPvaEsp(FittedLine& line, bool raw)
{
    const RelationFactors factors = ShownFactors(Quantity::Pressure, Quantity::Work);
    const auto take = [&](uint32_t loop, int32_t block, const SistraEvent& record, LoopPoints& p) {
        PVAEvent area;
        float volume = 0.0f, pressure = 0.0f;
        if (GetTangentEsPoint(block, record.firstTick, &volume, &pressure) != -1 &&
            pressureLoops_.GetPvaRecord(loop, area))
            p.Add(pressure * factors.x, area.pva * factors.y);
    };
    return FitShownLine(line, raw, CollectPoints(take), factors,
                        [](const LoopPoints& shown, FittedLine& fitted) { return FitLeastSquaresLine(shown, fitted); });
}

bool SistraData::HasEnoughLoopsForFit()
{
    const EventStats* stats = pressureLoops_.Stats();
    const std::size_t excluded = stats ? stats->StatedCount(LoopStateExcluded) : 0;
    const std::size_t included = GetLoopCount() - excluded;
    return owner_.Settings().edpvrKind == EdpvrExponential ? included > 2 : included > 1;
}

bool SistraData::UpdateTangentEsPoints()
{
    const AnalysisSettings settings = owner_.Settings();
    // In the workflow, tangent points belong to the analysis step of an occlusion only.
    if (settings.workflowModeOn &&
        (settings.currentStep != AnalyseStepId || settings.analysisType != OcclusionAnalysis))
        return false;
    tangentModeActive_ = settings.espvrKind == EspvrTangent;
    if (tangentModeActive_)
    {
        FittedLine line;
        FitEspvrTangent(line, false);
    }
    return tangentModeActive_;
}

bool SistraData::ReadSegment(int32_t channel, int32_t block, int32_t startTick, std::vector<float>& samples)
{
    return ChannelSegmentReader(owner_.HostDocument()).Read(channel, block, startTick, samples);
}

// An included loop's stretch for the tangent segment and what the segment is cut by.
struct SistraData::TangentLoop
{
    int32_t block = 0;
    int32_t firstTick = 0;
    int32_t start = 0;
    int32_t end = 0;
    double ved = 0.0;
    double ped = 0.0;
    double volumeScale = 0.0;
};

std::vector<SistraData::TangentLoop> SistraData::TangentLoops()
{
    std::vector<TangentLoop> loops;
    for (uint32_t loop = 0; loop < GetLoopCount(); ++loop)
    {
        SistraEvent record;
        int32_t block = 0;
        if (!pressureLoops_.GetLoopRecordIncluded(loop, record, block) || record.state != LoopStateValid)
            continue;
        // The segment runs from the loop's pressure maximum to its pressure minimum, or a quarter of the
        // loop: from dP/dt max on it would hold the isovolumic upstroke, whose noisy steep samples the
        // tangent's touching points fall on instead of the end-systolic corner.
        const int32_t start = record.firstTick + std::max(record.pmaxIndex, 0);
        int32_t end = record.firstTick + record.pminIndex;
        if (end < start)
            end = start + (record.endTick - record.firstTick) / SegmentShareOfLoop;
        const double scale = std::fabs((record.pmax - record.pmin) / (record.vmax - record.vmin));
        loops.push_back({block, record.firstTick, start, end, record.ved, record.ped, scale});
    }
    return loops;
}

bool SistraData::CollectTangentSegments(TangentSegments& segments, std::vector<LoopKey>& loopKeys,
                                        std::vector<int32_t>& segmentStarts, const RelationFactors& shown)
{
    const AnalysisSettings settings = owner_.Settings();
    const auto toShown = [](std::vector<float>& samples, double factor) {
        for (float& sample : samples)
            sample = static_cast<float>(sample * factor);
    };
    ChannelSegmentReader reader(owner_.HostDocument());
    const std::vector<TangentLoop> loops = TangentLoops();
    // Room for the longest segments the stretches can give: the samples are gathered without moving.
    std::size_t room = 0;
    for (const TangentLoop& loop : loops)
        room += static_cast<std::size_t>(loop.end - loop.start);
    segments.samples.Reserve(room);
    // A loop's samples, kept between loops so that each loop reuses the room the last one made.
    std::vector<float> volumes, pressures, smoothVolumes, smoothPressures;
    for (const TangentLoop& loop : loops)
    {
        volumes.resize(static_cast<std::size_t>(loop.end - loop.start));
        pressures.resize(volumes.size());
        if (!reader.Read(settings.volumeChannel, loop.block, loop.start, volumes) ||
            !reader.Read(settings.pressureChannel, loop.block, loop.start, pressures))
            return false;
        const std::size_t count = std::min(volumes.size(), pressures.size());
        volumes.resize(count);
        pressures.resize(count);
        toShown(volumes, shown.x);
        toShown(pressures, shown.y);
        const int32_t window = TangentSmoothingWindow(loop.end - loop.start);
        // A segment too short for its smoothing window cannot give a corner with its direction.
        if (window > static_cast<int32_t>(count))
            continue;
        if (!RunHostCalcOnSamples(window, 0, volumes, smoothVolumes, filter_) ||
            !RunHostCalcOnSamples(window, 0, pressures, smoothPressures, filter_) ||
            !AddTangentSegment(smoothPressures, smoothVolumes, loop.ved * shown.x, loop.ped * shown.y,
                               loop.volumeScale * shown.y / shown.x, segments))
            continue;
        loopKeys.emplace_back(loop.block, loop.firstTick);
        segmentStarts.push_back(loop.start);
    }
    return true;
}

bool SistraData::FitEspvrTangent(FittedLine& line, bool raw)
{
    const RelationFactors factors = ShownFactors(Quantity::Volume, Quantity::Pressure);
    // The line is kept over the recorded values, as its touching points are, so that it follows the units
    // the channels are shown in.
    const RelationFactors toShown{1.0 / factors.x, 1.0 / factors.y};
    const auto handOut = [&](const FittedLine& recorded) {
        line = raw ? recorded : LineInRecordedUnits(recorded, toShown);
    };
    if (tangentDone_)
    {
        const bool fitted = tangentLine_.size() == 2;
        handOut({fitted ? tangentLine_[1] : NaN, fitted ? tangentLine_[0] : NaN, tangentRSquared_});
        return fitted;
    }
    ClearTangentCache();
    if (!owner_.HostDocument() || GetLoopCount() == 0)
        return false;
    // The segments are fitted as they are shown; their touching points are kept as recorded, as the area
    // calculation and the summaries read them.
    TangentSegments segments;
    std::vector<LoopKey> loopKeys;
    std::vector<int32_t> segmentStarts;
    const bool readable = CollectTangentSegments(segments, loopKeys, segmentStarts, factors);
    tangentDone_ = true;
    TangentPoints touching;
    FittedLine fitted;
    const std::size_t count = segments.samples.LoopCount();
    if (!readable || !FitTangentRelation(segments, fitted, touching) || touching.indices.size() != count)
        return false;
    const FittedLine recorded = LineInRecordedUnits(fitted, factors);
    handOut(recorded);
    for (std::size_t i = 0; i < count; ++i)
    {
        tangentLoops_.push_back(loopKeys[i]);
        tangentSamples_.push_back(segmentStarts[i] + touching.indices[i]);
        tangentPressures_.push_back(static_cast<float>(touching.pressures[i] / factors.y));
        tangentVolumes_.push_back(static_cast<float>(touching.volumes[i] / factors.x));
    }
    tangentRSquared_ = fitted.fit;
    tangentLine_ = {recorded.slope, recorded.intercept};
    return true;
}

int32_t STDMETHODCALLTYPE SistraData::GetTangentEsPoint(int32_t record, int32_t loopStartTick, float* volume,
                                                        float* pressure)
{
    if (!volume || !pressure)
        return -1;
    *volume = 0.0f;
    *pressure = 0.0f;
    if (!tangentDone_)
    {
        FittedLine line;
        FitEspvrTangent(line, false);
    }
    const LoopKey key{record, loopStartTick};
    const auto found = std::lower_bound(tangentLoops_.begin(), tangentLoops_.end(), key);
    const auto index = static_cast<std::size_t>(found - tangentLoops_.begin());
    if (found == tangentLoops_.end() || *found != key || index >= tangentSamples_.size() ||
        index >= tangentPressures_.size() || index >= tangentVolumes_.size())
        return -1;
    *volume = tangentVolumes_[index];
    *pressure = tangentPressures_[index];
    return tangentSamples_[index];
}

bool SistraData::GetEspvrEdpvrIntersection(double& pressure, double& volume)
{
    if (intersectionCached_)
    {
        pressure = intersectionPressure_;
        volume = intersectionVolume_;
        return true;
    }
    // Found where both relations are fitted, over the values as shown, and kept as recorded.
    const AnalysisSettings settings = owner_.Settings();
    EndSystolicRelation es;
    EndDiastolicRelation ed;
    ed.exponential = settings.edpvrKind == EdpvrExponential;
    FittedLine line;
    if (ed.exponential ? !FitEdpvrExponential(ed.terms[0], ed.terms[1], nullptr, false) : !FitEdpvrLinear(line, false))
        return false;
    if (!ed.exponential)
        ed.terms = {line.intercept, line.slope};
    switch (settings.espvrKind)
    {
    case EspvrLinear:
    case EspvrPerpendicular:
    case EspvrTangent:
    {
        const bool fitted = settings.espvrKind == EspvrLinear          ? FitEspvrLinear(line, false)
                            : settings.espvrKind == EspvrPerpendicular ? FitEspvrPerpendicular(line, false)
                                                                       : FitEspvrTangent(line, false);
        if (!fitted)
            return false;
        es.terms = {line.intercept, line.slope, 0.0};
        break;
    }
    case EspvrQuadratic:
        es.quadratic = true;
        if (!FitEspvrQuadratic(es.terms, nullptr, false))
            return false;
        break;
    default:
        return false;
    }
    const RelationFactors factors = ShownFactors(Quantity::Volume, Quantity::Pressure);
    double shownVolume = 0.0, shownPressure = 0.0;
    if (!IntersectRelations(es, ed, edvRange_.maximum * factors.x, shownVolume, shownPressure))
        return false;
    intersectionVolume_ = shownVolume / factors.x;
    intersectionPressure_ = shownPressure / factors.y;
    intersectionCached_ = true;
    pressure = intersectionPressure_;
    volume = intersectionVolume_;
    return true;
}

std::optional<PvaRegressions> SistraData::PvaRegressionsNow()
{
    const AnalysisSettings settings = owner_.Settings();
    PvaRegressions regressions;
    regressions.espvrType = settings.espvrKind;
    regressions.edpvrType = settings.edpvrKind;
    if (!GetEspvrEdpvrIntersection(regressions.pressureAtIntersect, regressions.volumeAtIntersect))
        return std::nullopt;
    if (settings.espvrKind == EspvrQuadratic)
    {
        std::array<double, 3> terms{};
        if (!FitEspvrQuadratic(terms, nullptr, true))
            return std::nullopt;
        std::copy(terms.begin(), terms.end(), regressions.espvrTerms);
    }
    if (settings.edpvrKind == EdpvrExponential &&
        !FitEdpvrExponential(regressions.edpvrTerms[0], regressions.edpvrTerms[1], nullptr, true))
        return std::nullopt;
    return regressions;
}

} // namespace Sistra
