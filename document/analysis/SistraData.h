// The analysis results of one document: the loops of every analysed block (kept by the host's
// calculation items and counted in two per-channel stores), the running ranges and summaries of their
// parameters, the regressions between loops and the plot series the views draw. The document drives a
// run: Reset, then per block PrepareBlock and FeedLoops per chunk, then Finish.
#pragma once

#include "document/analysis/AnalysisDataOwner.h"
#include "document/analysis/VChanData.h"
#include "document/analysis/SalineLoopVolumes.h"
#include "document/analysis/VolumeCorrection.h"

#include "calc/numerics/LoopRegressions.h"
#include "calc/pva/AnalysisDataAccess.h"
#include "calc/sources/FloatEnumOnContainer.h"

#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"

#include <array>
#include <cfloat>
#include <optional>
#include <utility>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace Sistra
{

// Where the saline line (Ves against Ved) meets the line of identity, Ves = Ved.
struct SalineIntersection
{
    bool fitted = false;   // a line was fitted
    bool parallel = false; // its slope is 1 as far as the loops' values can tell: it meets the identity nowhere
    double vp = 0.0;       // the volume where it meets it, intercept / (1 − slope)

    // A parallel volume below 0 is none: the line meets the identity where no conductance is, and taking
    // it off would add volume to every loop.
    bool HasVp() const { return fitted && !parallel && vp >= 0.0; }
    bool VpBelowZero() const { return fitted && !parallel && vp < 0.0; }
};

// The summary of one parameter over the loops: values that are not finite are left out.
struct LoopStatistics
{
    int32_t key = 0;
    double average = 0.0;
    double sum = 0.0;
    double maximum = -DBL_MAX;
    double minimum = DBL_MAX;
    int32_t count = 0;

    void Add(double value);
};

// A running range of a float value: strict comparisons, from (-FLT_MAX, FLT_MAX).
struct FloatRange
{
    float maximum = -FLT_MAX;
    float minimum = FLT_MAX;

    void Widen(double value);
};

// One summary as the table reads it; all NaN and count 0 when there is none.
struct ParameterSummary
{
    double minimum;
    double maximum;
    double average;
    int32_t count;
};

// The four values of a plot range (first and second quantity, each minimum then maximum).
struct PlotRange
{
    float firstMinimum = 0.0f, firstMaximum = 0.0f, secondMinimum = 0.0f, secondMaximum = 0.0f;
};

// The loop whose pressure-volume curve a loop-view series id from 18 shows: the selected loop for 18 when
// one is selected, otherwise the newest loop for 18, the one before it for 19, and so on; none past the
// oldest.
std::optional<uint32_t> CurveLoopIndex(int32_t id, int32_t selectedLoop, uint32_t loopCount);

// What the module's own analysis data answers with itself (not an interface: the object, counted).
inline constexpr IID IID_SistraAnalysisData = {0x3C5E9A17, 0x6D42, 0x4B8F, {0x9E, 0x21, 0x7A, 0x0C, 0x5B, 0x3D, 0x8F, 0x64}};

class SistraData;
// The module's analysis data that the host document (any face of it, or a record of it) keeps as its
// child data; null for anything else.
Orv::ComPtr<SistraData> AnalysisDataOf(IUnknown* hostDocument);

class SistraData final : public IStrixDataChildData, public ITangentEsPoints, private Orv::CComObjectRoot
{
public:
    explicit SistraData(AnalysisDataOwner& owner);
    // The document the data belongs to.
    AnalysisDataOwner& Owner() const { return owner_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }
    // IStrixDataChildData
    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override;
    HRESULT STDMETHODCALLTYPE Clone(ULONG, ULONG, ULONG, ULONG, ULONG, IUnknown* source,
                                    IStrixDataChildData** copy) override;
    // ITangentEsPoints
    int32_t STDMETHODCALLTYPE GetTangentEsPoint(int32_t record, int32_t loopStartTick, float* volume,
                                                float* pressure) override;

    // The run.
    void Reset();
    // Opens the loop calculation's events of the block from the tick; false without them.
    bool PrepareBlock(int32_t block, int32_t startTick);
    // Takes every loop record the calculation has below the end tick; the number taken.
    int32_t FeedLoops(int32_t endTick);
    // Lets go of the block's events: the next block starts afresh.
    void ReleaseEvents()
    {
        events_.Reset();
        prepared_ = false;
    }
    // Ends a run: the area calculation is built from the regressions and the area range found.
    void Finish();

    VChanData& PressureStore() { return pressureLoops_; }
    VChanData& VolumeStore() { return volumeLoops_; }
    // The loop analysis that known volumes are read with over a selection: in the echo workflow the one
    // configured over the selection, otherwise the analysis of the volume channel itself.
    void SetLoopExpression(std::wstring text) { loopExpression_ = std::move(text); }
    // What the loops' volume expression takes off the calibrated volume: the saline line is fitted on the
    // volumes before it, or each Vp applied would move the next one found.
    void SetVolumeCorrection(const VolumeCorrection& correction)
    {
        salineVolumes_.SetCorrection(correction);
        salineRangeCached_ = false;
    }
    const std::wstring& LoopExpression() const { return loopExpression_; }
    // The echo workflow's analysis of a selection: its range kept, its loop calculation built in the echo
    // items; false when the calculation could not be built.
    bool ConfigureEchoAnalysis(const std::wstring& text, TickPosition start, TickPosition end);
    std::pair<TickPosition, TickPosition> EchoRange() const { return echoRange_; }

    // Loops, counted without closing records.
    uint32_t GetLoopCount() const { return pressureLoops_.LoopCount(); }
    std::optional<TickPosition> GetLoopPosition(uint32_t loop) { return pressureLoops_.GetLoopPosition(loop); }
    bool ReadLoop(uint32_t loop, SistraEvent& record);
    // The same with the block (record of the recording) the loop lies in.
    bool ReadLoop(uint32_t loop, SistraEvent& record, int32_t& block);
    // Includes (0) or excludes (1) a loop; a change tells the owner.
    void SetLoopState(uint32_t loop, int32_t state);
    std::set<uint32_t> GetExcludedLoops();
    void SetExcludedLoops(const std::set<uint32_t>& excluded);
    // The position among all loops of the n-th included one; -1 when there are fewer.
    int32_t FindNthIncludedLoop(uint32_t n);

    // Ranges over the loops fed; false when there are too few loops.
    bool GetLoopPlotRange(PlotRange& range) const;     // Pmin..Pmax, Vmin..Vmax
    bool GetPrswPlotRange(PlotRange& range) const;     // SW, Ved
    bool GetDpdtMaxEdvPlotRange(PlotRange& range) const; // dP/dt max, Ved
    bool GetPvaEspPlotRange(PlotRange& range);         // PVA, end-systolic pressure
    bool GetPvaEdvPlotRange(PlotRange& range);         // PVA, Ved
    bool GetSalinePlotRange(PlotRange& range);         // Ves, Ved
    bool GetCuvettePlotRange(PlotRange& range);        // known volume, conductance

    // Summaries and per-loop values in display units.
    std::optional<ParameterSummary> GetParameterStatistics(int32_t parameter);
    std::optional<ParameterSummary> ComputeLoopParameterStatistics(int32_t parameter);
    std::optional<ParameterSummary> ComputePvaParameterStatistics(int32_t parameter);
    double GetLoopParameterValue(int32_t row, uint32_t loop);
    // Parameter 1-31 of a loop read with ReadLoop in its block, as the table shows it; NaN for an excluded loop.
    double LoopParameterValue(int32_t parameter, uint32_t loop, int32_t block, const SistraEvent& record);
    // From loop first on, up to count loops: each one's block, record and its 31 parameters as
    // LoopParameterValue gives them (31 values a loop, back to back). The number of loops read.
    uint32_t LoopRows(uint32_t first, uint32_t count, int32_t* blocks, SistraEvent* records, double* values);
    int32_t GetTableParameters();
    const std::vector<int32_t>& TableParameters() const { return tableParameters_; }
    // While one lives, the table's values are read with one reading of the document's settings and the
    // channels' conversions, taken at its first use: a transfer of the whole table reads them once, not
    // once a cell. Only for work that changes no setting while it runs.
    class SettingsHold
    {
    public:
        explicit SettingsHold(SistraData& data) : data_(data) { ++data_.settingsHolds_; }
        ~SettingsHold();
        SettingsHold(const SettingsHold&) = delete;
        SettingsHold& operator=(const SettingsHold&) = delete;

    private:
        SistraData& data_;
    };
    std::wstring GetParameterTitle(int32_t row);
    bool IsOnlineAnalysisRunning();
    bool TangentEsPointsInForce();

    // Regressions over the included loops, fitted over the values as shown (display units, as the
    // summaries and the table give them) and handed out so; raw hands the same relation out over the
    // recorded values, as the plots draw them and the area calculation reads them.
    bool FitEspvrLinear(FittedLine& line, bool raw);
    bool FitEspvrQuadratic(std::array<double, 3>& coefficients, double* rSquared, bool raw);
    bool FitEspvrPerpendicular(FittedLine& line, bool raw);
    bool FitEspvrTangent(FittedLine& line, bool raw);
    bool FitEdpvrLinear(FittedLine& line, bool raw);
    bool FitEdpvrExponential(double& amplitude, double& rate, double* rSquared, bool raw);
    bool FitPrsw(FittedLine& line, bool raw);
    bool FitDpdtMaxEdv(FittedLine& line, bool raw);
    // Ves against Ved in the conductance channel's own units.
    bool FitSalineLine(FittedLine& line);
    SalineIntersection IntersectSalineLine();
    // PVA against end-diastolic volume (endSystolic false) or end-systolic pressure.
    bool FitPvaLine(FittedLine& line, bool endSystolic, bool raw);
    // PVA against the tangent end-systolic pressure; loops without a tangent point are left out.
    bool FitPvaEsp(FittedLine& line, bool raw);
    // Where the relations in force meet, in recorded units.
    bool GetEspvrEdpvrIntersection(double& pressure, double& volume);
    bool HasEnoughLoopsForFit();
    // The largest end-systolic volume of the included loops, where the quadratic ESPVR ends.
    float QuadraticEspvrVolumeLimit() const { return includedEsvMaximum_; }
    bool UpdateTangentEsPoints();
    // The regressions the area calculation takes; none when a fit is missing.
    std::optional<PvaRegressions> PvaRegressionsNow();

    // Plot series (first values, second values); the colour as 0x00BBGGRR.
    struct Series
    {
        std::vector<float> first;
        std::vector<float> second;
        uint32_t colour = 0;
    };
    Series GetPlotSeries(int32_t id, uint32_t firstLoop, uint32_t count);
    Series GetLoopViewSeries(int32_t id, uint32_t firstLoop, uint32_t count);
    void SetSeriesLimit(TickPosition limit) { seriesLimit_ = limit; }
    // The range the host keeps for the analysis: two words, both 0x7FFFFFFF while it keeps none.
    void SetHostRange(uint32_t first, uint32_t second) { hostRange_ = {first, second}; }
    std::pair<uint32_t, uint32_t> HostRange() const { return hostRange_; }

private:
    ~SistraData() = default;
    // Everything but the reference count.
    SistraData(const SistraData& other);

    using StatisticsMap = std::unordered_map<int32_t, LoopStatistics>;
    struct DisplayFactors
    {
        double pressure = 1.0;
        double volume = 1.0;
    };
    // What the loop summaries were computed with; when it changes they are computed again.
    struct SummaryBasis
    {
        DisplayFactors factors;
        bool tangentPoints = false;
        int32_t espvrKind = 0;
        int32_t edpvrKind = 0;
        bool operator==(const SummaryBasis& other) const
        {
            return factors.pressure == other.factors.pressure && factors.volume == other.factors.volume &&
                   tangentPoints == other.tangentPoints && espvrKind == other.espvrKind &&
                   edpvrKind == other.edpvrKind;
        }
    };

    DisplayFactors Factors(const AnalysisSettings& settings);
    void ResetRanges();
    void WidenRanges(const SistraEvent& loop);
    void AddToSummaries(const SistraEvent& loop);
    void ClearTangentCache();
    // Every included loop (state 0), in order, with its index and block.
    template <class Visit>
    void ForEachIncludedLoop(Visit&& visit);
    template <class Take>
    LoopPoints CollectPoints(Take&& take);
    // What a relation's quantity is, for the factor that shows it.
    enum class Quantity
    {
        Pressure,
        Volume,
        Work, // pressure times volume
    };
    RelationFactors ShownFactors(Quantity x, Quantity y);
    LoopPoints SalinePoints();
    // A loop's end-diastolic and end-systolic volumes without the parallel conductance and alpha taken off.
    std::pair<double, double> SalineVolumes(int32_t block, const SistraEvent& record);
    LoopPoints ShownPoints(double SistraEvent::*x, double SistraEvent::*y, const RelationFactors& factors);
    template <class Fit>
    bool FitShownLine(FittedLine& line, bool raw, const LoopPoints& points, const RelationFactors& factors, Fit&& fit);
    bool FitRecordedLine(FittedLine& line, bool raw, double SistraEvent::*x, Quantity xKind, double SistraEvent::*y,
                         Quantity yKind);
    std::optional<double> TangentValue(int32_t parameter, int32_t block, const SistraEvent& loop,
                                       const DisplayFactors& factors);
    // What a loop's values are read with: the same for every parameter and every loop of one request.
    struct LoopValueBasis
    {
        DisplayFactors factors;
        bool tangentPoints = false;
        bool online = false;
    };
    LoopValueBasis LoopValueBasisNow();
    std::optional<PVAEvent> LoopArea(uint32_t loop, const LoopValueBasis& basis);
    double LoopParameterValue(int32_t parameter, int32_t block, const SistraEvent& record,
                              const LoopValueBasis& basis, const std::optional<PVAEvent>& area);
    struct TangentLoop;
    std::vector<TangentLoop> TangentLoops();
    // A loop's key: its block and its record's start tick, ascending in the order of the loops.
    using LoopKey = std::pair<int32_t, int32_t>;
    bool CollectTangentSegments(TangentSegments& segments, std::vector<LoopKey>& loopKeys,
                                std::vector<int32_t>& segmentStarts, const RelationFactors& shown);
    std::optional<ParameterSummary> Summarise(StatisticsMap& map, int32_t parameter, bool pva);
    bool ReadSegment(int32_t channel, int32_t block, int32_t startTick, std::vector<float>& samples);

    AnalysisDataOwner& owner_;
    Orv::ComPtr<IEnumEventEx> events_;
    int32_t currentBlock_ = 0;
    bool prepared_ = false;

    std::vector<float> tangentPressures_, tangentVolumes_;
    std::vector<LoopKey> tangentLoops_;
    std::vector<int32_t> tangentSamples_;
    std::vector<double> tangentLine_;
    double tangentRSquared_;
    bool tangentModeActive_ = false;
    bool tangentDone_ = false;
    std::vector<int32_t> tableParameters_;
    int settingsHolds_ = 0;
    std::optional<LoopValueBasis> heldBasis_;
    bool tableParametersHeld_ = false;

    FloatRange pressureRange_, volumeRange_, strokeWorkRange_, edvRange_, dpdtMaxRange_, esvRange_, espRange_,
        pvaRange_, salineVesRange_, salineVedRange_;
    float includedEsvMaximum_ = -FLT_MAX;
    bool salineRangeCached_ = false;

    double intersectionVolume_ = 0.0, intersectionPressure_ = 0.0;
    bool intersectionCached_ = false;
    // The last exponential end-diastolic fit with the points it was fitted over: the relations, the area
    // calculation and the intersection ask for it in turn, each time hundreds of passes over the loops.
    struct EdpvrExponentialFit
    {
        LoopPoints points;
        ExponentialRelationFit fit;
    };
    std::optional<EdpvrExponentialFit> edpvrExponential_;
    TickPosition seriesLimit_{0x7FFFFFFF, 0x7FFFFFFF};
    std::pair<uint32_t, uint32_t> hostRange_{0x7FFFFFFF, 0x7FFFFFFF};
    std::wstring loopExpression_;
    SalineLoopVolumes salineVolumes_;
    std::pair<TickPosition, TickPosition> echoRange_{{0x7FFFFFFF, 0x7FFFFFFF}, {0x7FFFFFFF, 0x7FFFFFFF}};

    VChanData pressureLoops_;
    VChanData volumeLoops_;
    StatisticsMap loopStatistics_;
    StatisticsMap pvaStatistics_;
    std::optional<SummaryBasis> summaryBasis_;
    HostCalcCache filter_;
};

template <class Visit>
void SistraData::ForEachIncludedLoop(Visit&& visit)
{
    for (uint32_t loop = 0; loop < GetLoopCount(); ++loop)
    {
        SistraEvent record;
        int32_t block = 0;
        if (ReadLoop(loop, record, block) && record.state == LoopStateValid)
            visit(loop, block, record);
    }
}

} // namespace Sistra
