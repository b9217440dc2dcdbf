// What a graph view plots: its loops cut into batches, one series plotter and one series object per
// batch, the regression line with its text, and the units of its axes.
#include "views/graph/SistraGraphViewBase.h"

#include "dialogs/helpers/NumberFields.h"
#include "views/graph/ViewPlotData.h"

#include "document/core/SistraDocument.h"
#include "foundation/numbers/Units.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "graph/plotters/XYCPlotter.h"
#include "hostframework/services/HostDataAccess.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Sistra
{

namespace
{

constexpr int32_t AllLoops = 0x7FFFFFFF;
constexpr int32_t NoBlock = 0x7FFFFFFF;
constexpr float SeriesPenWidth = 2.0f;
constexpr COLORREF SeriesPenColour = 255;
constexpr int TrackingPenWidth = 5;

} // namespace

std::optional<ViewBatches> SistraGraphViewBase::GetBatches()
{
    if (!ShowsAnalysisData())
        return std::nullopt;
    SistraData* data = AnalysisData();
    const auto loops = static_cast<int32_t>(data ? data->GetLoopCount() : 0);
    ViewBatches batches;
    batches.firstSeries = GetSeriesId();
    batches.batchSize = BatchSize;
    batches.remainder = loops % BatchSize;
    batches.endSeries = batches.firstSeries + loops / BatchSize + (batches.remainder != 0 ? 1 : 0);
    return batches;
}

std::optional<ViewBatchRange> SistraGraphViewBase::GetBatchRange(int32_t series)
{
    const int32_t first = GetSeriesId();
    if (series < first)
        return std::nullopt;
    ViewBatchRange range{(series - first) * BatchSize, BatchSize};
    const std::optional<ViewBatches> batches = GetBatches();
    if (batches && series == batches->endSeries - 1 && batches->remainder != 0)
        range.loopCount = batches->remainder;
    return range;
}

void SistraGraphViewBase::BuildPlot(MGraph1::Graph2DDrawer& graph)
{
    graph.RemoveAllPlotters();
    ApplyDisplaySettings(graph);
    if (!IsPlotEnabled())
        return;
    int32_t first = GetSeriesId();
    int32_t end = first + 1;
    int32_t batchSize = AllLoops;
    if (const std::optional<ViewBatches> batches = GetBatches())
    {
        first = batches->firstSeries;
        end = batches->endSeries;
        batchSize = batches->batchSize;
    }
    else if (ShowsAnalysisData())
    {
        SistraData* data = AnalysisData();
        batchSize = static_cast<int32_t>(data ? data->GetLoopCount() : 0);
    }
    int32_t firstBuilt = first;
    if (IsOnlineAnalysisRunning() && batchSize > 0)
    {
        // The newest batches that hold at least the online window's loops.
        const int32_t newest = OnlineLoopWindow / batchSize + 1 + (OnlineLoopWindow % batchSize != 0 ? 1 : 0);
        firstBuilt = std::max(first, end - newest);
    }
    graph.RemoveAllAnnotations();
    BuildSeries(graph, firstBuilt, end, batchSize);
    if (const int32_t function = GetFunctionIndex(); function != -1)
    {
        auto* line = new MGraph1::GlyphPlotter;
        line->breakWideLabel = true;
        line->SetGlyphPlotData(static_cast<MGraph1::FunctionGlyphPlotData*>(this), function, false);
        graph.AddPlotter(line, true);
    }
    graph.AddAnnotation(new AbandonedDrawingAnnotation(Document(), *this), true);
}

void SistraGraphViewBase::BuildSeries(MGraph1::Graph2DDrawer& graph, int32_t first, int32_t end, int32_t batchSize)
{
    // A batch's loops are counted from the view's first series, whichever batches are built.
    const int32_t seriesBase = GetSeriesId();
    const auto tracking = std::make_shared<SharedTrackingState>();
    if (end > 0 && series_.Count() < static_cast<unsigned>(end))
        series_.SetCount(static_cast<unsigned>(end));
    for (int32_t s = std::max(first, 0); s < end; ++s)
    {
        const int32_t firstLoop = (s - seriesBase) * batchSize;
        ViewPlotData*& object = reinterpret_cast<ViewPlotData*&>(series_.ElementAt(static_cast<unsigned>(s)));
        if (object)
        {
            graph.RemoveMouseReceiver(object);
            object->Reset(s, firstLoop, batchSize, tracking);
        }
        else
        {
            object = new ViewPlotData(*this, s, firstLoop, batchSize, tracking);
        }
        auto* plotter = new MGraph1::XYCPlotter;
        plotter->SetPlotData(static_cast<MGraph1::XYCPlotData*>(object), s, false);
        plotter->SetPenWidth(SeriesPenWidth);
        plotter->SetColour(SeriesPenColour);
        graph.AddPlotter(plotter, true);
        graph.AddAnnotation(static_cast<MGraph1::ClickAnnotation*>(object), false);
        auto* marker = new SharedBasicAnnotation(s, tracking);
        marker->rasterMode = MGraph1::InvertRasterMode;
        marker->markerSize = TrackingPenWidth;
        marker->AttachObject(object, s, false);
        graph.AddAnnotation(marker, true);
        // Registered once however often the plot is rebuilt.
        graph.AddMouseReceiver(object);
    }
}

bool SistraGraphViewBase::GetSeries(int seriesId, int* count, int* firstIndex, const float** x, const float** y,
                                    const COLORREF** colours, COLORREF* colour, uint32_t* flags)
{
    SistraData* data = AnalysisData();
    const std::optional<ViewBatchRange> range = GetBatchRange(seriesId);
    if (!data || !range)
        return false;
    SistraData::Series& series = seriesData_[seriesId];
    // The analysis data hands out the vertical values first.
    series = data->GetPlotSeries(GetSeriesId(), static_cast<uint32_t>(range->firstLoop),
                                 static_cast<uint32_t>(range->loopCount));
    *count = static_cast<int>(std::min(series.first.size(), series.second.size()));
    *firstIndex = 0;
    *x = series.second.data();
    *y = series.first.data();
    *colours = nullptr;
    *colour = series.colour;
    *flags = MGraph1::SeriesFlags::Markers;
    return true;
}

bool SistraGraphViewBase::GetGlyphs(double, double, int, int* count, const MGraph1::GlyphRecord** records)
{
    ViewRegression regression;
    hasRegression_ = GetRegression(regression) ? 1 : 0;
    if (!hasRegression_)
        return false;
    double low = 0.0, high = 0.0;
    GetDomainLimits(low, high);
    // A fit worse than none draws no line: its text alone says so.
    if (regression.IsNoFit())
        regression.slope = regression.intercept = std::numeric_limits<double>::quiet_NaN();
    regressionLine_ = MGraph1::GlyphRecord{low,
                                           regression.slope * low + regression.intercept,
                                           high,
                                           regression.slope * high + regression.intercept,
                                           MGraph1::GlyphKind::Segment,
                                           RegressionColour,
                                           {},
                                           false};
    if (ShowRegressionLabel())
        if (const std::optional<Orv::String> text = GetRegressionText())
            regressionLine_.label = text->c_str();
    *count = 1;
    *records = &regressionLine_;
    return true;
}

bool SistraGraphViewBase::GetFunctions(double, double, int, int* count, const MGraph1::FunctionRecord** records)
{
    *count = 0;
    *records = nullptr;
    return false;
}

Orv::String SistraGraphViewBase::RegressionText(const Orv::String& rangeSymbol, const Orv::String& domainSymbol,
                                                const ViewRegression& regression, double domainScale,
                                                double rangeScale)
{
    if (regression.IsNoFit())
        return NoFitText(rangeSymbol, regression.fit);
    static const Orv::String squared(Orv::ThisModule(), IDS_SUPERSCRIPT_TWO, false);
    const double slope = regression.slope / domainScale * rangeScale;
    const double intercept = regression.intercept * rangeScale;
    Orv::String text(rangeSymbol);
    text += Orv::String(L" = ");
    text += FormatNumber(slope);
    text += Orv::String(L" * ");
    text += domainSymbol;
    text += Orv::String(intercept >= 0.0 ? L" + " : L" - ");
    text += FormatNumber(std::fabs(intercept));
    text += Orv::String(L", r");
    if (regression.measure == FitMeasure::RSquared)
        text += squared;
    text += Orv::String(L" = ");
    text += FormatNumber(regression.fit);
    return text;
}

// A fit further from the points than their mean is no relation to report: its equation is not offered.
Orv::String SistraGraphViewBase::NoFitText(const Orv::String& name, double rSquared)
{
    Orv::OFormatStringStream text(IDS_FIT_BELOW_ZERO);
    text << name << FormatNumber(rSquared);
    return text.Str();
}

std::optional<Orv::String> SistraGraphViewBase::GetRegressionText()
{
    ViewRegression regression;
    if (!GetRegression(regression))
        return std::nullopt;
    return RegressionText(GetRangeSymbol(), GetDomainSymbol(), regression, GetDomainUnitScale(), GetRangeUnitScale());
}

std::optional<Orv::PrefixedUnit> SistraGraphViewBase::ChannelUnit(int32_t channel)
{
    SistraData* data = AnalysisData();
    if (!data || data->GetLoopCount() == 0 || !Document())
        return std::nullopt;
    const std::optional<TickPosition> first = data->GetLoopPosition(0);
    Orv::PrefixedUnit unit;
    if (!ReadChannelUnitsEx(Document()->GetHostDocument(), channel, first ? first->record : NoBlock, unit))
        return std::nullopt;
    return unit;
}

Orv::String SistraGraphViewBase::ChannelUnitsText(const ViewChannel& channel)
{
    const std::optional<Orv::PrefixedUnit> unit = ChannelUnit(channel.channel);
    return unit ? Orv::String(unit->GetText().c_str()) : Orv::String();
}

Orv::String SistraGraphViewBase::GetDomainUnits()
{
    return ChannelUnitsText(GetDomainChannel());
}

Orv::String SistraGraphViewBase::GetRangeUnits()
{
    return ChannelUnitsText(GetRangeChannel());
}

double SistraGraphViewBase::UnitScaleOf(const ViewChannel& channel)
{
    // The analysis works in the units without their prefixes; the axes show the channel's prefix.
    const std::optional<Orv::PrefixedUnit> unit = ChannelUnit(channel.channel);
    return unit && unit->Prefix() ? 1.0 / UnitPrefixFactor(unit->Prefix()) : 1.0;
}

double SistraGraphViewBase::GetDomainUnitScale()
{
    return UnitScaleOf(GetDomainChannel());
}

double SistraGraphViewBase::GetRangeUnitScale()
{
    return UnitScaleOf(GetRangeChannel());
}

int32_t SistraGraphViewBase::LoopOfPoint(int32_t firstLoop, int32_t pointIndex)
{
    SistraData* data = AnalysisData();
    if (!data || firstLoop < 0 || pointIndex < 0)
        return -1;
    // A batch's points are its included loops: the loops excluded before the batch count neither.
    uint32_t includedBefore = 0;
    for (uint32_t loop = 0; loop < static_cast<uint32_t>(firstLoop) && loop < data->GetLoopCount(); ++loop)
    {
        SistraEvent record;
        if (data->ReadLoop(loop, record) && record.state == LoopStateValid)
            ++includedBefore;
    }
    return data->FindNthIncludedLoop(includedBefore + static_cast<uint32_t>(pointIndex));
}

} // namespace Sistra
