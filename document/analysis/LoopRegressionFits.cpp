// The relations between the included loops of an analysis: the points are gathered here, the fits are
// the loop regressions' numerics.
#include "document/analysis/SistraData.h"

#include "document/analysis/ChannelSegmentReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

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
    ForEachIncludedLoop([&](uint32_t loop, const SistraEvent& record) { take(loop, record, points); });
    return points;
}

bool SistraData::FitRecordedLine(FittedLine& line, double SistraEvent::*x, double SistraEvent::*y)
{
    const LoopPoints points =
        CollectPoints([&](uint32_t, const SistraEvent& record, LoopPoints& p) { p.Add(record.*x, record.*y); });
    return FitLeastSquaresLine(points, line);
}

bool SistraData::FitEspvrLinear(FittedLine& line) { return FitRecordedLine(line, &SistraEvent::ves, &SistraEvent::pes); }
bool SistraData::FitEdpvrLinear(FittedLine& line) { return FitRecordedLine(line, &SistraEvent::ved, &SistraEvent::ped); }
bool SistraData::FitPrsw(FittedLine& line) { return FitRecordedLine(line, &SistraEvent::ved, &SistraEvent::sw); }
bool SistraData::FitDpdtMaxEdv(FittedLine& line)
{
    return FitRecordedLine(line, &SistraEvent::ved, &SistraEvent::dpdtMax);
}
bool SistraData::FitSalineLine(FittedLine& line) { return FitRecordedLine(line, &SistraEvent::ved, &SistraEvent::ves); }

bool SistraData::FitEspvrPerpendicular(FittedLine& line)
{
    const LoopPoints points =
        CollectPoints([](uint32_t, const SistraEvent& record, LoopPoints& p) { p.Add(record.ves, record.pes); });
    return FitMajorAxisLine(points, line);
}

LoopPoints SistraData::DisplayPoints(bool raw, bool endSystolic)
{
    const AnalysisSettings settings = owner_.Settings();
    return CollectPoints([&](uint32_t, const SistraEvent& record, LoopPoints& p) {
        double v = endSystolic ? record.ves : record.ved;
        double pressure = endSystolic ? record.pes : record.ped;
        if (!raw)
        {
            v = owner_.ToDisplayUnits(settings.volumeChannel, v);
            pressure = owner_.ToDisplayUnits(settings.pressureChannel, pressure);
        }
        p.Add(v, pressure);
    });
}

bool SistraData::FitEspvrQuadratic(std::array<double, 3>& coefficients, double* rSquared, bool raw)
{
    return FitQuadraticRelation(DisplayPoints(raw, true), coefficients, rSquared);
}

bool SistraData::FitEdpvrExponential(double& amplitude, double& rate, double* rSquared, bool raw)
{
    LoopPoints points = DisplayPoints(raw, false);
    const auto sameBits = [](const std::vector<double>& a, const std::vector<double>& b) {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
    };
    if (!edpvrExponential_ || !sameBits(edpvrExponential_->points.x, points.x) ||
        !sameBits(edpvrExponential_->points.y, points.y))
    {
        ExponentialRelationFit fit = FitExponentialRelation(points);
        edpvrExponential_ = EdpvrExponentialFit{std::move(points), fit};
    }
    return edpvrExponential_->fit.HandOut(amplitude, rate, rSquared);
}

bool SistraData::FitPvaLine(FittedLine& line, bool endSystolic)
{
    const LoopPoints points = CollectPoints([&](uint32_t loop, const SistraEvent& record, LoopPoints& p) {
        PVAEvent area;
        if (pressureLoops_.GetPvaRecord(loop, area))
            p.Add(endSystolic ? record.pes : record.ved, area.pva);
    });
    return FitLeastSquaresLine(points, line);
}

bool SistraData::FitPvaEsp(FittedLine& line)
{
    const LoopPoints points = CollectPoints([&](uint32_t loop, const SistraEvent& record, LoopPoints& p) {
        PVAEvent area;
        float volume = 0.0f, pressure = 0.0f;
        if (GetTangentEsPoint(record.firstTick, &volume, &pressure) != -1 && pressureLoops_.GetPvaRecord(loop, area))
            p.Add(pressure, area.pva);
    });
    return FitLeastSquaresLine(points, line);
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
        FitEspvrTangent(line);
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
        // The segment runs from the loop's dP/dt maximum to its pressure minimum, or a quarter of the loop.
        const int32_t start = record.firstTick + std::max(record.dpdtMaxIndex, 0);
        int32_t end = record.firstTick + record.pminIndex;
        if (end < start)
            end = start + (record.endTick - record.firstTick) / SegmentShareOfLoop;
        const double scale = std::fabs((record.pmax - record.pmin) / (record.vmax - record.vmin));
        loops.push_back({block, record.firstTick, start, end, record.ved, record.ped, scale});
    }
    return loops;
}

bool SistraData::CollectTangentSegments(TangentSegments& segments, std::vector<int32_t>& loopTicks,
                                        std::vector<int32_t>& segmentStarts)
{
    const AnalysisSettings settings = owner_.Settings();
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
        const int32_t window = TangentSmoothingWindow(loop.end - loop.start);
        // A segment too short for its smoothing window cannot give a corner with its direction.
        if (window > static_cast<int32_t>(count))
            continue;
        if (!RunHostCalcOnSamples(window, 0, volumes, smoothVolumes, filter_) ||
            !RunHostCalcOnSamples(window, 0, pressures, smoothPressures, filter_) ||
            !AddTangentSegment(smoothPressures, smoothVolumes, loop.ved, loop.ped, loop.volumeScale, segments))
            continue;
        loopTicks.push_back(loop.firstTick);
        segmentStarts.push_back(loop.start);
    }
    return true;
}

bool SistraData::FitEspvrTangent(FittedLine& line)
{
    if (tangentDone_)
    {
        line.fit = tangentRSquared_;
        const bool fitted = tangentLine_.size() == 2;
        line.slope = fitted ? tangentLine_[0] : NaN;
        line.intercept = fitted ? tangentLine_[1] : NaN;
        return fitted;
    }
    ClearTangentCache();
    if (!owner_.HostDocument() || GetLoopCount() == 0)
        return false;
    TangentSegments segments;
    std::vector<int32_t> loopTicks, segmentStarts;
    const bool readable = CollectTangentSegments(segments, loopTicks, segmentStarts);
    tangentDone_ = true;
    TangentPoints touching;
    FittedLine fitted;
    const std::size_t count = segments.samples.LoopCount();
    if (!readable || !FitTangentRelation(segments, fitted, touching) || touching.indices.size() != count)
        return false;
    line = fitted;
    for (std::size_t i = 0; i < count; ++i)
    {
        tangentLoops_.push_back(loopTicks[i]);
        tangentSamples_.push_back(segmentStarts[i] + touching.indices[i]);
        tangentPressures_.push_back(static_cast<float>(touching.pressures[i]));
        tangentVolumes_.push_back(static_cast<float>(touching.volumes[i]));
    }
    tangentRSquared_ = fitted.fit;
    tangentLine_ = {fitted.slope, fitted.intercept};
    return true;
}

int32_t STDMETHODCALLTYPE SistraData::GetTangentEsPoint(int32_t loopStartTick, float* volume, float* pressure)
{
    if (!volume || !pressure)
        return -1;
    *volume = 0.0f;
    *pressure = 0.0f;
    if (!tangentDone_)
    {
        FittedLine line;
        FitEspvrTangent(line);
    }
    const auto found = std::lower_bound(tangentLoops_.begin(), tangentLoops_.end(), loopStartTick);
    const auto index = static_cast<std::size_t>(found - tangentLoops_.begin());
    if (found == tangentLoops_.end() || *found != loopStartTick || index >= tangentSamples_.size() ||
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
    const AnalysisSettings settings = owner_.Settings();
    EndSystolicRelation es;
    EndDiastolicRelation ed;
    ed.exponential = settings.edpvrKind == EdpvrExponential;
    FittedLine line;
    if (ed.exponential ? !FitEdpvrExponential(ed.terms[0], ed.terms[1], nullptr, true) : !FitEdpvrLinear(line))
        return false;
    if (!ed.exponential)
        ed.terms = {line.intercept, line.slope};
    switch (settings.espvrKind)
    {
    case EspvrLinear:
    case EspvrPerpendicular:
    case EspvrTangent:
    {
        const bool fitted = settings.espvrKind == EspvrLinear          ? FitEspvrLinear(line)
                            : settings.espvrKind == EspvrPerpendicular ? FitEspvrPerpendicular(line)
                                                                       : FitEspvrTangent(line);
        if (!fitted)
            return false;
        es.terms = {line.intercept, line.slope, 0.0};
        break;
    }
    case EspvrQuadratic:
        es.quadratic = true;
        if (!FitEspvrQuadratic(es.terms, nullptr, true))
            return false;
        break;
    default:
        return false;
    }
    if (!IntersectRelations(es, ed, edvRange_.maximum, intersectionVolume_, intersectionPressure_))
        return false;
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
