// The query side of the analysis data for the table, the computed channel and the views: summaries of a
// parameter over the loops and single loops' values, in display units.
#include "document/analysis/SistraData.h"

#include "document/analysis/ParameterNames.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Sistra
{
namespace
{

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

constexpr int32_t EndSystolicVolume = 6;
constexpr int32_t EndSystolicPressure = 12;
constexpr int32_t ArterialElastance = 16;
constexpr int32_t FirstPvaParameter = 26;
constexpr int32_t LastPvaParameter = 28;
constexpr int32_t LastParameter = 31;

bool IsEndSystolic(int32_t parameter)
{
    return parameter == EndSystolicVolume || parameter == EndSystolicPressure || parameter == ArterialElastance;
}

bool IsPva(int32_t parameter) { return parameter >= FirstPvaParameter && parameter <= LastPvaParameter; }

ParameterSummary SummaryOf(const LoopStatistics& statistics)
{
    return {statistics.minimum, statistics.maximum, statistics.average, statistics.count};
}

double ScaledPva(const PVAEvent& pva, int32_t parameter, double pressureFactor, double volumeFactor)
{
    bool isPressure = false, isVolume = false;
    double value = pva.GetParameter(parameter, &isPressure, &isVolume);
    if (isPressure)
        value *= pressureFactor;
    if (isVolume)
        value *= volumeFactor;
    return value;
}

} // namespace

SistraData::DisplayFactors SistraData::Factors(const AnalysisSettings& settings)
{
    // A channel's conversion may carry an offset (a calibration line, the parallel conductance taken off):
    // a value's factor is its slope alone, the offset belongs to the values the analysis already read.
    const auto slope = [&](int32_t channel) {
        return owner_.ToDisplayUnits(channel, 1.0) - owner_.ToDisplayUnits(channel, 0.0);
    };
    return {slope(settings.pressureChannel), slope(settings.volumeChannel)};
}

bool SistraData::IsOnlineAnalysisRunning()
{
    return owner_.Settings().onlineMode && owner_.IsSampling();
}

bool SistraData::TangentEsPointsInForce()
{
    return UpdateTangentEsPoints() && owner_.Settings().esPointType == TangentFitEsPoints;
}

std::optional<double> SistraData::TangentValue(int32_t parameter, int32_t block, const SistraEvent& loop,
                                               const DisplayFactors& factors)
{
    float volume = 0.0f, pressure = 0.0f;
    if (GetTangentEsPoint(block, loop.firstTick, &volume, &pressure) == -1)
        return std::nullopt;
    switch (parameter)
    {
    case EndSystolicVolume:
        return volume * factors.volume;
    case EndSystolicPressure:
        return pressure * factors.pressure;
    default:
        return loop.state == LoopStateClosing ? NaN : pressure / loop.sv * factors.pressure / factors.volume;
    }
}

std::optional<ParameterSummary> SistraData::GetParameterStatistics(int32_t parameter)
{
    if (IsPva(parameter))
        return IsOnlineAnalysisRunning() ? std::nullopt : ComputePvaParameterStatistics(parameter);
    if (IsEndSystolic(parameter) && IsOnlineAnalysisRunning() && TangentEsPointsInForce())
        return std::nullopt;
    return ComputeLoopParameterStatistics(parameter);
}

std::optional<ParameterSummary> SistraData::ComputeLoopParameterStatistics(int32_t parameter)
{
    return Summarise(loopStatistics_, parameter, false);
}

std::optional<ParameterSummary> SistraData::ComputePvaParameterStatistics(int32_t parameter)
{
    return Summarise(pvaStatistics_, parameter, true);
}

std::optional<ParameterSummary> SistraData::Summarise(StatisticsMap& map, int32_t parameter, bool pva)
{
    const AnalysisSettings settings = owner_.Settings();
    const DisplayFactors factors = Factors(settings);
    const bool tangentPoints = !IsOnlineAnalysisRunning() && TangentEsPointsInForce();
    const SummaryBasis basis{factors, tangentPoints, settings.espvrKind, settings.edpvrKind};
    // Summaries taken in other units, with other end-systolic points or other relations are stale.
    if (summaryBasis_ != basis)
    {
        loopStatistics_.clear();
        pvaStatistics_.clear();
        summaryBasis_ = basis;
    }
    if (const auto held = map.find(parameter); held != map.end())
        return SummaryOf(held->second);
    // One pass over the loops gathers every parameter of the kind asked for that is not held yet: the
    // table and the summaries ask for all of them, and each loop is read through the host.
    std::vector<LoopStatistics> gathered(1);
    gathered.front().key = parameter;
    for (int32_t other = 1; other <= LastParameter; ++other)
        if (other != parameter && IsPva(other) == pva && !map.contains(other))
            gathered.emplace_back().key = other;
    for (uint32_t loop = 0; loop < GetLoopCount(); ++loop)
    {
        SistraEvent record;
        int32_t block = 0;
        if (!ReadLoop(loop, record, block) || record.state == LoopStateExcluded)
            continue;
        PVAEvent area;
        if (pva && !pressureLoops_.GetPvaRecord(loop, area))
            continue;
        for (LoopStatistics& statistics : gathered)
        {
            if (pva)
                statistics.Add(ScaledPva(area, statistics.key, factors.pressure, factors.volume));
            else if (IsEndSystolic(statistics.key) && tangentPoints)
            {
                if (const auto value = TangentValue(statistics.key, block, record, factors))
                    statistics.Add(*value);
            }
            else
                statistics.Add(record.GetScaledParameter(statistics.key, factors.pressure, factors.volume));
        }
    }
    for (const LoopStatistics& statistics : gathered)
        map[statistics.key] = statistics;
    return SummaryOf(gathered.front());
}

void SistraData::AddToSummaries(const SistraEvent& loop)
{
    if (loopStatistics_.empty() || !summaryBasis_ || loop.state == LoopStateExcluded)
        return;
    for (auto& [parameter, statistics] : loopStatistics_)
        statistics.Add(loop.GetScaledParameter(parameter, summaryBasis_->factors.pressure,
                                               summaryBasis_->factors.volume));
}

double SistraData::GetLoopParameterValue(int32_t row, uint32_t loop)
{
    SistraEvent record;
    int32_t block = 0;
    if (!ReadLoop(loop, record, block))
        return 0.0;
    if (row == 0)
        return loop + 1.0;
    const int32_t parameter =
        row > 0 && static_cast<std::size_t>(row) < tableParameters_.size() ? tableParameters_[row] : -1;
    return LoopParameterValue(parameter, loop, block, record);
}

SistraData::LoopValueBasis SistraData::LoopValueBasisNow()
{
    if (heldBasis_)
        return *heldBasis_;
    LoopValueBasis basis{Factors(owner_.Settings()), TangentEsPointsInForce(), IsOnlineAnalysisRunning()};
    if (settingsHolds_ > 0)
        heldBasis_ = basis;
    return basis;
}

SistraData::SettingsHold::~SettingsHold()
{
    if (--data_.settingsHolds_ == 0)
    {
        data_.heldBasis_.reset();
        data_.tableParametersHeld_ = false;
    }
}

double SistraData::LoopParameterValue(int32_t parameter, int32_t block, const SistraEvent& record,
                                      const LoopValueBasis& basis, const std::optional<PVAEvent>& area)
{
    if (record.state == LoopStateExcluded)
        return NaN;
    const DisplayFactors& factors = basis.factors;
    if (IsEndSystolic(parameter) && basis.tangentPoints)
        return TangentValue(parameter, block, record, factors).value_or(NaN);
    if (IsPva(parameter))
        return area ? ScaledPva(*area, parameter, factors.pressure, factors.volume) : NaN;
    return record.GetScaledParameter(parameter, factors.pressure, factors.volume);
}

std::optional<PVAEvent> SistraData::LoopArea(uint32_t loop, const LoopValueBasis& basis)
{
    PVAEvent area;
    if (basis.online || !pressureLoops_.GetPvaRecord(loop, area))
        return std::nullopt;
    return area;
}

double SistraData::LoopParameterValue(int32_t parameter, uint32_t loop, int32_t block, const SistraEvent& record)
{
    if (record.state == LoopStateExcluded)
        return NaN;
    const LoopValueBasis basis = LoopValueBasisNow();
    return LoopParameterValue(parameter, block, record, basis,
                              IsPva(parameter) ? LoopArea(loop, basis) : std::nullopt);
}

uint32_t SistraData::LoopRows(uint32_t first, uint32_t count, int32_t* blocks, SistraEvent* records, double* values)
{
    const LoopValueBasis basis = LoopValueBasisNow();
    uint32_t read = 0;
    for (; read < count; ++read)
    {
        const uint32_t loop = first + read;
        SistraEvent& record = records[read];
        if (!pressureLoops_.GetLoopRecordIncluded(loop, record, blocks[read]))
            break;
        const std::optional<PVAEvent> area = LoopArea(loop, basis);
        double* row = values + static_cast<std::size_t>(read) * LastParameter;
        for (int32_t parameter = 1; parameter <= LastParameter; ++parameter)
            row[parameter - 1] = LoopParameterValue(parameter, blocks[read], record, basis, area);
    }
    return read;
}

int32_t SistraData::GetTableParameters()
{
    if (tableParametersHeld_)
        return static_cast<int32_t>(tableParameters_.size());
    tableParametersHeld_ = settingsHolds_ > 0;
    tableParameters_.clear();
    const AnalysisSettings settings = owner_.Settings();
    const auto& excluded = settings.excludedParameters;
    for (int32_t parameter = 0; parameter <= LastParameter; ++parameter)
        if (settings.tableParameters.contains(parameter) &&
            std::find(excluded.begin(), excluded.end(), parameter) == excluded.end())
            tableParameters_.push_back(parameter);
    return static_cast<int32_t>(tableParameters_.size());
}

std::wstring SistraData::GetParameterTitle(int32_t row)
{
    if (row == 0 || pressureLoops_.EventCount() == 0)
        return {};
    const int32_t parameter =
        row > 0 && static_cast<std::size_t>(row) < tableParameters_.size() ? tableParameters_[row] : -1;
    std::wstring title = GetParameterName(parameter, true).c_str();
    const std::wstring unit = owner_.ParameterUnit(parameter);
    if (!unit.empty())
        title += L" (" + unit + L")";
    return title;
}

} // namespace Sistra
