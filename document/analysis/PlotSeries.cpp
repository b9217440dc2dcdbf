// The point series the regression plots and the loop view draw, one pair per included loop, and the
// pressure-volume curve of one loop read back from the channels.
#include "document/analysis/SistraData.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace Sistra
{
namespace
{

constexpr uint32_t LoopSeriesColour = 0xE1;
constexpr uint32_t CuvetteSeriesColour = 0xFF;
constexpr uint32_t EndDiastolicColour = 0xFFCE0C;
constexpr uint32_t EndSystolicColour = 0xFF;
constexpr uint32_t SelectedLoopColour = 0xC00000;
// While sampling, the plots follow the newest loops only.
constexpr uint32_t OnlineLoopWindow = 30;
constexpr int32_t FirstLoopCurve = 18;

enum SeriesId : int32_t
{
    PrswSeries = 1,
    DpdtMaxSeries = 3,
    SalineSeries = 6,
    PvaEdvSeries = 9,
    PvaEspSeries = 11,
    CuvetteSeries = 13,
    EndDiastolicSeries = 15,
    EndSystolicSeries = 17,
};

bool Before(int32_t block, int32_t tick, const TickPosition& limit)
{
    return block < limit.record || (block == limit.record && tick < limit.tick);
}

// Older loops fade: the newest curves are darkest.
uint32_t GreyOf(uint32_t loops, uint32_t loop)
{
    const int64_t age = static_cast<int64_t>(loop) - (static_cast<int64_t>(loops) - OnlineLoopWindow);
    const auto v = static_cast<uint32_t>(static_cast<uint8_t>(0xFF - 7 * age));
    return v | v << 8 | v << 16;
}

} // namespace

std::optional<uint32_t> CurveLoopIndex(int32_t id, int32_t selectedLoop, uint32_t loopCount)
{
    if (id < FirstLoopCurve)
        return std::nullopt;
    const int64_t loop = id == FirstLoopCurve && selectedLoop != -1
                             ? selectedLoop
                             : static_cast<int64_t>(loopCount) - 1 - (id - FirstLoopCurve);
    if (loop < 0 || loop >= loopCount)
        return std::nullopt;
    return static_cast<uint32_t>(loop);
}

SistraData::Series SistraData::GetPlotSeries(int32_t id, uint32_t firstLoop, uint32_t count)
{
    Series series;
    if (id == CuvetteSeries)
    {
        const AnalysisSettings settings = owner_.Settings();
        series.colour = CuvetteSeriesColour;
        for (std::size_t row = 0; row < settings.knownVolumes.size() && row < settings.cuvetteTable.size(); ++row)
        {
            if (std::isnan(settings.knownVolumes[row]))
                continue;
            for (double cell : settings.cuvetteTable[row])
                if (!std::isnan(cell))
                {
                    series.first.push_back(static_cast<float>(settings.knownVolumes[row]));
                    series.second.push_back(static_cast<float>(cell));
                }
        }
        return series;
    }
    if (id != PrswSeries && id != DpdtMaxSeries && id != SalineSeries && id != PvaEdvSeries && id != PvaEspSeries)
        return series;
    series.colour = LoopSeriesColour;
    const bool tangent = id == PvaEspSeries && UpdateTangentEsPoints();
    const uint32_t loops = GetLoopCount();
    uint32_t loop = firstLoop;
    if (IsOnlineAnalysisRunning() && loops > OnlineLoopWindow)
        loop = std::max(loop, loops - 1 - OnlineLoopWindow);
    for (const uint32_t end = std::min(loops, firstLoop + count); loop < end; ++loop)
    {
        SistraEvent record;
        int32_t block = 0;
        if (!ReadLoop(loop, record, block) || record.state != LoopStateValid)
            continue;
        double first = 0.0, second = record.ved;
        switch (id)
        {
        case PrswSeries:
            first = record.sw;
            break;
        case DpdtMaxSeries:
            first = record.dpdtMax;
            break;
        case SalineSeries:
            std::tie(second, first) = SalineVolumes(block, record);
            salineVesRange_.Widen(first);
            salineVedRange_.Widen(second);
            break;
        default:
        {
            PVAEvent area;
            if (!pressureLoops_.GetPvaRecord(loop, area))
                continue;
            first = area.pva;
            if (id == PvaEspSeries)
            {
                float volume = 0.0f, pressure = 0.0f;
                if (tangent && GetTangentEsPoint(block, record.firstTick, &volume, &pressure) == -1)
                    continue;
                second = tangent ? pressure : record.pes;
            }
        }
        }
        series.first.push_back(static_cast<float>(first));
        series.second.push_back(static_cast<float>(second));
    }
    return series;
}

SistraData::Series SistraData::GetLoopViewSeries(int32_t id, uint32_t firstLoop, uint32_t count)
{
    Series series;
    const uint32_t loops = GetLoopCount();
    const AnalysisSettings settings = owner_.Settings();
    if (id == EndDiastolicSeries || id == EndSystolicSeries)
    {
        series.colour = id == EndDiastolicSeries ? EndDiastolicColour : EndSystolicColour;
        if (id == EndSystolicSeries && settings.espvrKind == EspvrTangent && TangentEsPointsInForce())
        {
            series.first.assign(tangentPressures_.begin(), tangentPressures_.end());
            series.second.assign(tangentVolumes_.begin(), tangentVolumes_.end());
            return series;
        }
        for (uint32_t loop = firstLoop; loop < std::min(loops, firstLoop + count); ++loop)
        {
            SistraEvent record;
            int32_t block = 0;
            if (!pressureLoops_.GetLoopRecordIncluded(loop, record, block) || record.state != LoopStateValid)
                continue;
            if (id == EndDiastolicSeries && !Before(block, record.base.tick, seriesLimit_))
                break;
            series.first.push_back(static_cast<float>(id == EndDiastolicSeries ? record.ped : record.pes));
            series.second.push_back(static_cast<float>(id == EndDiastolicSeries ? record.ved : record.ves));
        }
        return series;
    }
    const auto chosen = CurveLoopIndex(id, settings.selectedLoop, loops);
    if (!chosen)
        return series;
    const uint32_t loop = *chosen;
    const bool selected = id == FirstLoopCurve && settings.selectedLoop != -1;
    if (IsOnlineAnalysisRunning())
    {
        if (loops > OnlineLoopWindow && loop <= loops - OnlineLoopWindow)
            return series;
        series.colour = GreyOf(loops, loop);
    }
    if (selected)
        series.colour = SelectedLoopColour;
    SistraEvent record, next;
    int32_t block = 0, nextBlock = 0;
    const auto eventIndex = pressureLoops_.Stats()->FromIncludedIndex(loop);
    if (!eventIndex || !pressureLoops_.GetLoopRecord(*eventIndex, record, block) ||
        !pressureLoops_.GetLoopRecord(*eventIndex + 1, next, nextBlock) || record.state != LoopStateValid ||
        !Before(block, record.firstTick, seriesLimit_))
        return series;
    int32_t end = next.firstTick;
    if (block == seriesLimit_.record)
        end = std::min(end, seriesLimit_.tick);
    if (end <= record.firstTick)
        return series;
    series.first.resize(static_cast<std::size_t>(end - record.firstTick));
    series.second.resize(series.first.size());
    if (!ReadSegment(settings.pressureChannel, block, record.firstTick, series.first) ||
        !ReadSegment(settings.volumeChannel, block, record.firstTick, series.second))
        return Series{};
    return series;
}

} // namespace Sistra
