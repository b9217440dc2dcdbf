// What the loop view plots: the loops, the end-systolic and end-diastolic points, the fitted ESPVR and
// EDPVR with their equations, and the notice in the corner.
#include "views/loop/LoopView.h"

#include "dialogs/helpers/NumberFields.h"
#include "views/loop/TextClickAnnotation.h"

#include "document/core/SistraDocument.h"
#include "foundation/system/ModalMessage.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "graph/plotters/XYCPlotter.h"
#include "resources/ResourceIds.h"

#include <cmath>
#include <limits>
#include <new>
#include <utility>

namespace Sistra
{

namespace
{

constexpr int32_t EndDiastolicSeries = 15;
constexpr int32_t EndSystolicSeries = 17;
constexpr int32_t FirstLoopSeries = 18;
constexpr int32_t OnlineLoopWindow = 30;
constexpr float WidePen = 2.0f;
constexpr int TrackingPenWidth = 5;
constexpr uint32_t PointFlags = MGraph1::SeriesFlags::Markers;
constexpr uint32_t LoopFlags = MGraph1::SeriesFlags::NoPointCache | MGraph1::SeriesFlags::Lines;
constexpr uint32_t MenuShowEspvr = 1;
constexpr uint32_t MenuShowEdpvr = 2;
constexpr double LabelOffsetFactor = 1.2;

const wchar_t* SignOf(double value)
{
    return value < 0.0 ? L"-" : L"+";
}

// The straight relations as the axes show them (over the recorded values) and whether the loops give them.
std::pair<bool, ViewRegression> FitStraightEspvr(SistraData& data, int32_t type)
{
    FittedLine line;
    const bool fitted = type == EspvrPerpendicular ? data.FitEspvrPerpendicular(line, true)
                        : type == EspvrTangent     ? data.FitEspvrTangent(line, true)
                                                   : data.FitEspvrLinear(line, true);
    // The major axis measures its fit by the correlation itself.
    return {fitted, ViewRegression{line.intercept, line.slope, line.fit,
                                   type == EspvrPerpendicular ? FitMeasure::Correlation : FitMeasure::RSquared}};
}

std::pair<bool, ViewRegression> FitLinearEdpvr(SistraData& data)
{
    FittedLine line;
    const bool fitted = data.FitEdpvrLinear(line, true);
    return {fitted, ViewRegression{line.intercept, line.slope, line.fit}};
}

} // namespace

bool SistraAnalysisGraphView::GetSeries(int seriesId, int* count, int* firstIndex, const float** x, const float** y,
                                        const COLORREF** colours, COLORREF* colour, uint32_t* flags)
{
    *count = 0;
    *firstIndex = 0;
    *x = *y = nullptr;
    *colours = nullptr;
    *colour = 0;
    *flags = seriesId < FirstLoopSeries ? PointFlags : LoopFlags;
    SistraData* data = AnalysisData();
    if (!data)
        return true;
    // A loop's curve is drawn as soon as its plotter has it: the loops share one place, so that a day's
    // hundred thousand curves are not all kept.
    SistraData::Series& series = KeptSeries(std::min(seriesId, FirstLoopSeries));
    series = data->GetLoopViewSeries(seriesId, 0, data->GetLoopCount());
    // The analysis data hands out the vertical values (pressure) first.
    *count = static_cast<int>(std::min(series.first.size(), series.second.size()));
    *x = series.second.data();
    *y = series.first.data();
    *colour = series.colour;
    return true;
}

void SistraAnalysisGraphView::BuildPlot(MGraph1::Graph2DDrawer& graph)
{
    graph.RemoveAllPlotters();
    SistraData* data = AnalysisData();
    int32_t loops = data ? static_cast<int32_t>(data->GetLoopCount()) : 0;
    const bool online = IsOnlineAnalysisRunning();
    if (online)
        loops = std::min(loops, OnlineLoopWindow);
    const auto setup = Setup();
    const bool loopSelected = setup && setup->GetValue<PropertyType::Int>(PropertyId::SelectedLoop) >= 0;
    // The oldest loop first, the newest after it and the selected loop over all others.
    for (int32_t e = loops; loops > 0 && e >= 0; --e)
    {
        auto* plotter = new MGraph1::XYCPlotter;
        plotter->SetPlotData(&SeriesSource(), FirstLoopSeries + e, false);
        if (e == 0 && loopSelected)
            plotter->SetPenWidth(WidePen);
        graph.AddPlotter(plotter, true);
    }
    regressionsAvailable_ = RegressionsAvailable();
    const bool showEspvr = LoopViewFlag(PropertyId::ShowEspvrRegression) && regressionsAvailable_;
    const bool showEdpvr = LoopViewFlag(PropertyId::ShowEdpvrRegression) && regressionsAvailable_;
    AddPointPlotters(graph, showEspvr, showEdpvr);
    graph.RemoveMouseReceiver(espvrPoints_.get());
    graph.RemoveMouseReceiver(edpvrPoints_.get());
    graph.RemoveAllAnnotations();
    if (!online)
        AddRelationPlotters(graph, showEspvr, showEdpvr);
    for (ViewPlotData* points : {edpvrPoints_.get(), espvrPoints_.get()})
    {
        auto* marker = new MGraph1::BasicAnnotation;
        marker->rasterMode = MGraph1::InvertRasterMode;
        marker->markerSize = TrackingPenWidth;
        marker->AttachObject(points, points->SeriesNumber(), false);
        graph.AddAnnotation(marker, true);
        graph.AddAnnotation(static_cast<MGraph1::ClickAnnotation*>(points), false);
    }
    graph.AddMouseReceiver(espvrPoints_.get());
    graph.AddMouseReceiver(edpvrPoints_.get());
    graph.AddAnnotation(new TextClickAnnotation(Document(), *this), true);
    ApplyDisplaySettings(graph);
}

// The per-loop points of the shown relations; a graph that refuses one ends the assembly's point
// plotters there.
void SistraAnalysisGraphView::AddPointPlotters(MGraph1::Graph2DDrawer& graph, bool showEspvr, bool showEdpvr)
{
    try
    {
        for (auto [shown, points] : {std::pair{showEdpvr, edpvrPoints_.get()}, std::pair{showEspvr, espvrPoints_.get()}})
        {
            if (!shown)
                continue;
            auto plotter = std::make_unique<MGraph1::XYCPlotter>();
            plotter->SetPlotData(static_cast<MGraph1::XYCPlotData*>(points), points->SeriesNumber(), false);
            plotter->SetPenWidth(WidePen);
            if (!graph.AddPlotter(plotter.get(), true))
                return;
            plotter.release();
        }
    }
    catch (const std::bad_alloc&)
    {
        Orv::ShowMessageBox(GetHandle(), Orv::String(L"Sistra ran out of memory :("), GetTitle(), MB_ICONWARNING);
        graph.RemoveAllPlotters();
    }
}

void SistraAnalysisGraphView::AddRelationPlotters(MGraph1::Graph2DDrawer& graph, bool showEspvr, bool showEdpvr)
{
    const int32_t espvrType = LoopViewInt(PropertyId::EspvrRegressionType);
    if (showEspvr && espvrType >= EspvrLinear && espvrType <= EspvrTangent)
    {
        MGraph1::GlyphPlotter* plotter = espvrType == EspvrQuadratic ? new MGraph1::PolynomialFunctionPlotter
                                                                     : new MGraph1::GlyphPlotter;
        plotter->SetGlyphPlotData(&FunctionSource(), RelationSeries::Espvr, false);
        graph.AddPlotter(plotter, true);
    }
    if (showEdpvr)
    {
        MGraph1::GlyphPlotter* plotter = LoopViewInt(PropertyId::EdpvrRegressionType) == EdpvrExponential
                                             ? new MGraph1::ExponentialFunctionPlotter
                                             : new MGraph1::GlyphPlotter;
        plotter->SetGlyphPlotData(&FunctionSource(), RelationSeries::Edpvr, false);
        plotter->labelOffsetYPt = static_cast<int32_t>(graph.GetScaleFontSize() * LabelOffsetFactor);
        graph.AddPlotter(plotter, true);
    }
}

// The straight relations, across the whole visible width.
bool SistraAnalysisGraphView::GetGlyphs(double, double, int seriesId, int* count, const MGraph1::GlyphRecord** records)
{
    *count = 0;
    *records = nullptr;
    SistraData* data = AnalysisData();
    if (!data || IsOnlineAnalysisRunning())
        return true;
    std::optional<StraightRelation> relation;
    COLORREF colour = EspvrColour;
    if (seriesId == RelationSeries::Edpvr)
    {
        if (LoopViewInt(PropertyId::EdpvrRegressionType) == EdpvrExponential)
            return true;
        relation = LinearEdpvr(*data);
        colour = EdpvrColour;
    }
    else
    {
        const int32_t type = LoopViewInt(PropertyId::EspvrRegressionType);
        if (type == EspvrQuadratic)
            return true;
        relation = StraightEspvr(*data, type);
    }
    if (!relation)
        return true;
    ViewRegression& line = relation->line;
    // A line that is no fit is its text alone.
    if (line.IsNoFit())
        line.slope = line.intercept = std::numeric_limits<double>::quiet_NaN();
    double low = 0.0, high = 0.0;
    GetDomainLimits(low, high);
    lineFunction_ = MGraph1::GlyphRecord{low, line.slope * low + line.intercept, high, line.slope * high + line.intercept,
                                         MGraph1::GlyphKind::Segment, colour, relation->text.c_str(), false};
    *count = 1;
    *records = &lineFunction_;
    return true;
}

// The curved relations, in the units the axes print (the graph's function plotter takes them so): the
// quadratic ESPVR, ending at the largest end-systolic volume, and the exponential EDPVR.
bool SistraAnalysisGraphView::GetFunctions(double, double, int seriesId, int* count,
                                           const MGraph1::FunctionRecord** records)
{
    *count = 0;
    *records = nullptr;
    polynomialFunction_.colour = EspvrColour;
    exponentialFunction_.colour = EdpvrColour;
    SistraData* data = AnalysisData();
    if (!data)
        return false;
    // A relation that is no fit keeps its text, which says so, and draws no curve.
    if (seriesId == RelationSeries::Edpvr)
    {
        const std::optional<Orv::String> text = EdpvrText(EdpvrExponential);
        if (!text)
            return false;
        if (!data->FitEdpvrExponential(exponentialFunction_.a, exponentialFunction_.b, nullptr, false))
            exponentialFunction_.a = exponentialFunction_.b = std::numeric_limits<double>::quiet_NaN();
        exponentialFunction_.label = text->c_str();
        *records = &exponentialFunction_;
    }
    else
    {
        std::array<double, 3> coefficients{};
        const std::optional<Orv::String> text = EspvrText(EspvrQuadratic);
        const auto setup = Setup();
        if (!text || !setup)
            return false;
        const bool fitted = data->FitEspvrQuadratic(coefficients, nullptr, false);
        polynomialFunction_.label = text->c_str();
        polynomialFunction_.coefficients.clear();
        if (fitted)
            polynomialFunction_.coefficients.assign(coefficients.begin(), coefficients.end());
        polynomialFunction_.rangeFlags = MGraph1::FunctionRange::EndAtXMax;
        polynomialFunction_.xMax =
            Document()->ToDisplayUnits(setup->GetVolumeChannel(), data->QuadraticEspvrVolumeLimit());
        *records = &polynomialFunction_;
    }
    *count = 1;
    return true;
}

// A straight relation as the axes show it: "ESPVR: Pes = <slope> * Ves + <intercept>, r² = <r²>".
Orv::String SistraAnalysisGraphView::LinearRelationText(const wchar_t* rangeSymbol, const wchar_t* domainSymbol,
                                                        const ViewRegression& line)
{
    return RegressionText(Orv::String(rangeSymbol), Orv::String(domainSymbol), line, GetDomainUnitScale(),
                          GetRangeUnitScale());
}

std::optional<SistraAnalysisGraphView::StraightRelation> SistraAnalysisGraphView::StraightEspvr(SistraData& data,
                                                                                                 int32_t type)
{
    const auto [fitted, line] = FitStraightEspvr(data, type);
    if (!fitted)
        return std::nullopt;
    return StraightRelation{line, LinearRelationText(L"ESPVR: Pes", L"Ves", line)};
}

std::optional<SistraAnalysisGraphView::StraightRelation> SistraAnalysisGraphView::LinearEdpvr(SistraData& data)
{
    const auto [fitted, line] = FitLinearEdpvr(data);
    if (!fitted)
        return std::nullopt;
    return StraightRelation{line, LinearRelationText(L"EDPVR: Ped", L"Ved", line)};
}

// The equations read in the units the axes show: the fits over the shown values.
std::optional<Orv::String> SistraAnalysisGraphView::EspvrText(int32_t type)
{
    SistraData* data = AnalysisData();
    if (!data)
        return std::nullopt;
    switch (type)
    {
    case EspvrLinear:
    case EspvrPerpendicular:
    case EspvrTangent:
    {
        const auto relation = StraightEspvr(*data, type);
        return relation ? std::optional(relation->text) : std::nullopt;
    }
    case EspvrQuadratic:
    {
        std::array<double, 3> c{};
        double rSquared = std::numeric_limits<double>::quiet_NaN();
        const bool fitted = data->FitEspvrQuadratic(c, &rSquared, false);
        if (FitsWorseThanMean(rSquared))
            return NoFitText(Orv::String(L"ESPVR: Pes"), rSquared);
        if (!fitted)
            return std::nullopt;
        Orv::OFormatStringStream text(IDS_LOOP_EQUATION_QUADRATIC);
        text << FormatNumber(c[2]) << Orv::String(SignOf(c[1])) << FormatNumber(std::fabs(c[1]))
             << Orv::String(SignOf(c[0])) << FormatNumber(std::fabs(c[0])) << FormatNumber(rSquared);
        return text.Str();
    }
    default:
        return std::nullopt;
    }
}

std::optional<Orv::String> SistraAnalysisGraphView::EdpvrText(int32_t type)
{
    SistraData* data = AnalysisData();
    if (!data)
        return std::nullopt;
    if (type == EdpvrLinear)
    {
        const auto relation = LinearEdpvr(*data);
        return relation ? std::optional(relation->text) : std::nullopt;
    }
    if (type != EdpvrExponential)
        return std::nullopt;
    double amplitude = 0.0, rate = 0.0, rSquared = std::numeric_limits<double>::quiet_NaN();
    const bool fitted = data->FitEdpvrExponential(amplitude, rate, &rSquared, false);
    if (FitsWorseThanMean(rSquared))
        return NoFitText(Orv::String(L"EDPVR: Ped"), rSquared);
    if (!fitted)
        return std::nullopt;
    Orv::OFormatStringStream text(IDS_LOOP_EQUATION_EXPONENTIAL);
    text << FormatNumber(amplitude) << FormatNumber(rate) << FormatNumber(rSquared);
    return text.Str();
}

std::optional<Orv::String> SistraAnalysisGraphView::GetRegressionText()
{
    Orv::String text;
    const auto append = [&](const std::optional<Orv::String>& equation) {
        if (!equation)
            return;
        if (!text.IsEmpty())
            text += Orv::String(L"\r\n");
        text += *equation;
    };
    if (LoopViewFlag(PropertyId::ShowEspvrRegression))
        append(EspvrText(LoopViewInt(PropertyId::EspvrRegressionType)));
    if (LoopViewFlag(PropertyId::ShowEdpvrRegression))
        append(EdpvrText(LoopViewInt(PropertyId::EdpvrRegressionType)));
    return text.IsEmpty() ? std::nullopt : std::optional(text);
}

bool SistraAnalysisGraphView::CanCopyRegression()
{
    if (IsOnlineAnalysisRunning())
        return false;
    return (LoopViewFlag(PropertyId::ShowEspvrRegression) && EspvrText(LoopViewInt(PropertyId::EspvrRegressionType))) ||
           (LoopViewFlag(PropertyId::ShowEdpvrRegression) && EdpvrText(LoopViewInt(PropertyId::EdpvrRegressionType)));
}

bool SistraAnalysisGraphView::OnMessage(const MessSys::Message& message)
{
    SistraGraphViewBase::OnMessage(message);
    if (const auto* shown = dynamic_cast<const MGraph1::PreDisplayMenuMessage*>(&message))
    {
        if (shown->flags)
            shown->flags->checked = (shown->itemId == MenuShowEspvr && LoopViewFlag(PropertyId::ShowEspvrRegression)) ||
                                    (shown->itemId == MenuShowEdpvr && LoopViewFlag(PropertyId::ShowEdpvrRegression));
    }
    else if (const auto* chosen = dynamic_cast<const MGraph1::OnMenuItemMessage*>(&message))
    {
        if (chosen->itemId == MenuShowEspvr)
            ToggleEspvr();
        else if (chosen->itemId == MenuShowEdpvr)
            ToggleEdpvr();
        RequestStep(UpdateStep::Plot);
        RunUpdateCycle();
    }
    return false;
}

} // namespace Sistra
