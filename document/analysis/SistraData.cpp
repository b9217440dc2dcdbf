#include "document/analysis/SistraData.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "hostframework/messaging/SistraIds.h"

#include <cmath>
#include <limits>

namespace Sistra
{

Orv::ComPtr<SistraData> AnalysisDataOf(IUnknown* hostDocument)
{
    Orv::ComPtr<IHostChildData> children;
    Orv::ComPtr<IStrixDataChildData> child;
    if (!hostDocument || FAILED(hostDocument->QueryInterface(IID_IHostChildData, children.PutVoid())) || !children ||
        children->FindChildData(DocumentDataTypeId::Id(), child.Put()) != S_OK || !child)
        return nullptr;
    ULONG typeId = 0;
    if (FAILED(child->GetTypeId(&typeId)) || typeId != DocumentDataTypeId::Id())
        return nullptr;
    SistraData* data = nullptr;
    if (FAILED(child->QueryInterface(IID_SistraAnalysisData, reinterpret_cast<void**>(&data))) || !data)
        return nullptr;
    return Orv::ComPtr<SistraData>::Adopt(data);
}
namespace
{

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

void LoopStatistics::Add(double value)
{
    if (!std::isfinite(value))
        return;
    maximum = std::max(maximum, value);
    minimum = std::min(minimum, value);
    ++count;
    sum += value;
    average = sum / count;
}

void FloatRange::Widen(double value)
{
    const auto v = static_cast<float>(value);
    if (v > maximum)
        maximum = v;
    if (v < minimum)
        minimum = v;
}

SistraData::SistraData(AnalysisDataOwner& owner)
    : owner_(owner), tangentRSquared_(NaN), pressureLoops_(owner.HostDocument(), false),
      volumeLoops_(owner.HostDocument(), true)
{
    ResetRanges();
}

HRESULT STDMETHODCALLTYPE SistraData::QueryInterface(REFIID iid, void** out)
{
    // Asked for the analysis data itself, the object hands out its own address.
    if (out && iid == IID_SistraAnalysisData)
    {
        *out = this;
        AddRef();
        return S_OK;
    }
    return Orv::QueryFaces(iid, out,
                           {{static_cast<IStrixDataChildData*>(this), {IID_IStrixDataChildData}},
                            {static_cast<ITangentEsPoints*>(this), {IID_ITangentEsPoints}}});
}

HRESULT STDMETHODCALLTYPE SistraData::GetTypeId(ULONG* typeId)
{
    if (!typeId)
        return E_POINTER;
    return DocumentDataTypeId::TryGetId(typeId) ? S_OK : E_FAIL;
}

SistraData::SistraData(const SistraData& other)
    : IStrixDataChildData(), ITangentEsPoints(), Orv::CComObjectRoot(0), owner_(other.owner_),
      events_(other.events_), currentBlock_(other.currentBlock_), prepared_(other.prepared_),
      tangentPressures_(other.tangentPressures_), tangentVolumes_(other.tangentVolumes_),
      tangentLoops_(other.tangentLoops_), tangentSamples_(other.tangentSamples_), tangentLine_(other.tangentLine_),
      tangentRSquared_(other.tangentRSquared_), tangentModeActive_(other.tangentModeActive_),
      tangentDone_(other.tangentDone_), tableParameters_(other.tableParameters_),
      pressureRange_(other.pressureRange_), volumeRange_(other.volumeRange_),
      strokeWorkRange_(other.strokeWorkRange_), edvRange_(other.edvRange_), dpdtMaxRange_(other.dpdtMaxRange_),
      esvRange_(other.esvRange_), espRange_(other.espRange_), pvaRange_(other.pvaRange_),
      salineVesRange_(other.salineVesRange_), salineVedRange_(other.salineVedRange_),
      includedEsvMaximum_(other.includedEsvMaximum_), salineRangeCached_(other.salineRangeCached_),
      intersectionVolume_(other.intersectionVolume_), intersectionPressure_(other.intersectionPressure_),
      intersectionCached_(other.intersectionCached_), seriesLimit_(other.seriesLimit_), hostRange_(other.hostRange_),
      salineVolumes_(other.salineVolumes_),
      pressureLoops_(other.pressureLoops_), volumeLoops_(other.volumeLoops_), loopStatistics_(other.loopStatistics_),
      pvaStatistics_(other.pvaStatistics_), summaryBasis_(other.summaryBasis_)
{
}

HRESULT STDMETHODCALLTYPE SistraData::Clone(ULONG, ULONG, ULONG, ULONG, ULONG, IUnknown* source,
                                            IStrixDataChildData** copy)
{
    if (!copy)
        return E_POINTER;
    *copy = nullptr;
    if (source)
    {
        // Asked only to learn that the source is a calculation source; the copy does not keep it.
        Orv::ComPtr<ICalcEnum> calculation;
        source->QueryInterface(IID_ICalcEnum, calculation.PutVoid());
    }
    return Orv::CatchReturn([&] {
        Orv::ComPtr<IStrixDataChildData> made(new SistraData(*this));
        *copy = made.Detach();
    });
}

void SistraData::ResetRanges()
{
    for (FloatRange* range : {&pressureRange_, &volumeRange_, &strokeWorkRange_, &edvRange_, &dpdtMaxRange_,
                              &esvRange_, &espRange_, &pvaRange_, &salineVesRange_, &salineVedRange_})
        *range = FloatRange{};
    includedEsvMaximum_ = -FLT_MAX;
    salineRangeCached_ = false;
    salineVolumes_.Forget();
}

void SistraData::ClearTangentCache()
{
    tangentDone_ = false;
    tangentPressures_.clear();
    tangentVolumes_.clear();
    tangentLoops_.clear();
    tangentSamples_.clear();
    tangentLine_.clear();
    tangentRSquared_ = NaN;
}

bool SistraData::ConfigureEchoAnalysis(const std::wstring& text, TickPosition start, TickPosition end)
{
    echoRange_ = {start, end};
    loopExpression_ = text;
    return volumeLoops_.CreateCalculations(text, L"", L"");
}

void SistraData::Reset()
{
    pressureLoops_.Reset();
    volumeLoops_.Reset();
    ResetRanges();
    loopStatistics_.clear();
    pvaStatistics_.clear();
    summaryBasis_.reset();
    ClearTangentCache();
}

bool SistraData::PrepareBlock(int32_t block, int32_t startTick)
{
    currentBlock_ = block;
    events_.Reset();
    prepared_ = false;
    Orv::ComPtr<IHostCalcItems> items;
    IUnknown* host = owner_.HostDocument();
    if (!host || FAILED(host->QueryInterface(IID_IHostCalcItems, items.PutVoid())) || !items)
        return false;
    Orv::ComPtr<IUnknown> opened;
    if (items->OpenItemEvents(pressureLoops_.LoopItem(), HostItemEventsRequest, CalcKindEvents, block, startTick,
                              HostRecordEnd, opened.Put()) != S_OK)
        return false;
    events_ = opened.As<IEnumEventEx>(IID_IEnumEventEx);
    prepared_ = static_cast<bool>(events_);
    return prepared_;
}

int32_t SistraData::FeedLoops(int32_t endTick)
{
    if (!events_)
        return 0;
    int32_t fed = 0;
    for (;;)
    {
        SistraEvent loop;
        int32_t count = 0, next = 0;
        if (FAILED(events_->Next(sizeof loop, endTick, &loop, &count, &next)) || count != 1)
            return fed;
        if (loop.state != LoopStateClosing)
        {
            WidenRanges(loop);
            AddToSummaries(loop);
        }
        pressureLoops_.AddEvent(currentBlock_, loop);
        volumeLoops_.AddEvent(currentBlock_, loop);
        ++fed;
    }
}

void SistraData::WidenRanges(const SistraEvent& loop)
{
    pressureRange_.Widen(loop.pmax);
    pressureRange_.Widen(loop.pmin);
    volumeRange_.Widen(loop.vmax);
    volumeRange_.Widen(loop.vmin);
    edvRange_.Widen(loop.ved);
    strokeWorkRange_.Widen(loop.sw);
    dpdtMaxRange_.Widen(loop.dpdtMax);
    esvRange_.Widen(loop.ves);
    if (loop.state == LoopStateValid && static_cast<float>(loop.ves) > includedEsvMaximum_)
        includedEsvMaximum_ = static_cast<float>(loop.ves);
    espRange_.Widen(loop.pes);
}

void SistraData::Finish()
{
    intersectionCached_ = false;
    ClearTangentCache();
    pvaStatistics_.clear();
    const Orv::String text = BuildPvaCalcExpression(owner_.SetupReader(), PvaRegressionsNow());
    pressureLoops_.CreatePvaCalculation(text.c_str());
    pvaRange_ = FloatRange{};
    for (uint32_t loop = 0; loop < GetLoopCount(); ++loop)
    {
        PVAEvent pva;
        if (pressureLoops_.GetPvaRecord(loop, pva) && std::isfinite(pva.pva))
            pvaRange_.Widen(pva.pva);
    }
}

bool SistraData::ReadLoop(uint32_t loop, SistraEvent& record)
{
    int32_t block = 0;
    return ReadLoop(loop, record, block);
}

bool SistraData::ReadLoop(uint32_t loop, SistraEvent& record, int32_t& block)
{
    return pressureLoops_.GetLoopRecordIncluded(loop, record, block);
}

void SistraData::SetLoopState(uint32_t loop, int32_t state)
{
    if (loop >= GetLoopCount())
        return;
    SistraEvent record;
    const int32_t current = ReadLoop(loop, record) ? record.state : 3;
    if (current == state)
        return;
    const auto eventIndex = pressureLoops_.Stats()->FromIncludedIndex(loop);
    if (!eventIndex)
        return;
    pressureLoops_.SetEventState(*eventIndex, state);
    // The summaries and the fits were taken over the loops included before.
    loopStatistics_.clear();
    pvaStatistics_.clear();
    summaryBasis_.reset();
    intersectionCached_ = false;
    ClearTangentCache();
    owner_.LoopStatesChanged();
}

std::set<uint32_t> SistraData::GetExcludedLoops()
{
    std::set<uint32_t> excluded;
    for (uint32_t loop = 0; loop < GetLoopCount(); ++loop)
    {
        SistraEvent record;
        if (ReadLoop(loop, record) && record.state == LoopStateExcluded)
            excluded.insert(loop);
    }
    return excluded;
}

void SistraData::SetExcludedLoops(const std::set<uint32_t>& excluded)
{
    for (uint32_t loop = 0; loop < GetLoopCount(); ++loop)
        SetLoopState(loop, excluded.contains(loop) ? LoopStateExcluded : LoopStateValid);
}

int32_t SistraData::FindNthIncludedLoop(uint32_t n)
{
    uint32_t included = 0;
    for (uint32_t loop = 0; loop < GetLoopCount(); ++loop)
    {
        SistraEvent record;
        if (ReadLoop(loop, record) && record.state == LoopStateValid && ++included > n)
            return static_cast<int32_t>(loop);
    }
    return -1;
}

namespace
{

bool HandOut(const FloatRange& first, const FloatRange& second, PlotRange& range, bool enough)
{
    range = {first.minimum, first.maximum, second.minimum, second.maximum};
    return enough;
}

} // namespace

bool SistraData::GetLoopPlotRange(PlotRange& range) const
{
    FloatRange pressures = pressureRange_, volumes = volumeRange_;
    return HandOut(pressures, volumes, range, GetLoopCount() > 0);
}

bool SistraData::GetPrswPlotRange(PlotRange& range) const
{
    return HandOut(strokeWorkRange_, edvRange_, range, GetLoopCount() > 1);
}

bool SistraData::GetDpdtMaxEdvPlotRange(PlotRange& range) const
{
    return HandOut(dpdtMaxRange_, edvRange_, range, GetLoopCount() > 1);
}

bool SistraData::GetPvaEspPlotRange(PlotRange& range)
{
    FloatRange pressures = espRange_;
    if (UpdateTangentEsPoints())
    {
        pressures = FloatRange{};
        for (float pressure : tangentPressures_)
            pressures.Widen(pressure);
        if (tangentPressures_.empty())
            pressures = FloatRange{0.0f, 0.0f};
    }
    return HandOut(pvaRange_, pressures, range, HasEnoughLoopsForFit());
}

bool SistraData::GetPvaEdvPlotRange(PlotRange& range)
{
    return HandOut(pvaRange_, edvRange_, range, HasEnoughLoopsForFit());
}

bool SistraData::GetSalinePlotRange(PlotRange& range)
{
    if (!salineRangeCached_)
    {
        for (uint32_t loop = 0; loop < GetLoopCount(); ++loop)
        {
            SistraEvent record;
            int32_t block = 0;
            if (!ReadLoop(loop, record, block))
                continue;
            const auto [ved, ves] = SalineVolumes(block, record);
            salineVedRange_.Widen(ved);
            salineVesRange_.Widen(ves);
        }
        salineRangeCached_ = true;
    }
    return HandOut(salineVesRange_, salineVedRange_, range, pressureLoops_.EventCount() > 1);
}

bool SistraData::GetCuvettePlotRange(PlotRange& range)
{
    const AnalysisSettings settings = owner_.Settings();
    FloatRange volumes, conductances;
    bool used = false;
    for (std::size_t row = 0; row < settings.knownVolumes.size() && row < settings.cuvetteTable.size(); ++row)
    {
        if (std::isnan(settings.knownVolumes[row]))
            continue;
        FloatRange cells;
        for (double cell : settings.cuvetteTable[row])
            if (!std::isnan(static_cast<float>(cell)))
                cells.Widen(cell);
        if (cells.minimum == FLT_MAX)
            continue;
        volumes.Widen(settings.knownVolumes[row]);
        conductances.Widen(cells.minimum);
        conductances.Widen(cells.maximum);
        used = true;
    }
    return HandOut(volumes, conductances, range, used);
}

} // namespace Sistra
