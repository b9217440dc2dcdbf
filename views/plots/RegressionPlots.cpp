#include "views/plots/RegressionPlots.h"

#include "document/core/SistraDocument.h"
#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <map>

namespace Sistra
{

namespace
{

constexpr int32_t NoFunction = -1;

bool FitPvaAgainstEdv(SistraData& data, FittedLine& line)
{
    return data.FitPvaLine(line, false, true);
}

// With the tangent-fit end-systolic points in force, PVA is fitted against their pressures.
bool FitPvaAgainstEsp(SistraData& data, FittedLine& line)
{
    return data.TangentEsPointsInForce() ? data.FitPvaEsp(line, true) : data.FitPvaLine(line, true, true);
}

} // namespace

const RegressionPlotKind DpdtMaxEdvPlot{
    L"SistradPdTMaxEDVGraphViewClass", 4, IDS_VIEW_DPDTMAX_EDV, IDS_PARAM_ED_VOLUME, IDS_PLOT_SYMBOL_VED,
    IDS_PLOT_RANGE_DPDT_MAX, IDS_PARAM_DPDT_MAX, IDS_PLOT_TOOLTIP_DPDT_MAX, IDS_PLOT_HELP_DPDT_MAX,
    IDS_PLOT_TOPIC_DPDT_MAX, PropertyId::VolumeChannel, RangeUnitKind::PressurePerSecond, 3, 2, true, false,
    [](SistraData& data, FittedLine& line) { return data.FitDpdtMaxEdv(line, true); },
    [](SistraData& data, PlotRange& range) { return data.GetDpdtMaxEdvPlotRange(range); }};

const RegressionPlotKind PrswPlot{
    L"SistraPRSWGraphViewClass", 3, IDS_VIEW_PRSW, IDS_PARAM_ED_VOLUME, IDS_PLOT_SYMBOL_VED, IDS_PARAM_STROKE_WORK,
    IDS_PLOT_SYMBOL_PRSW, IDS_PLOT_TOOLTIP_PRSW, IDS_PLOT_HELP_PRSW, IDS_PLOT_TOPIC_PRSW, PropertyId::VolumeChannel,
    RangeUnitKind::PressureTimesVolume, 1, 0, true, false,
    [](SistraData& data, FittedLine& line) { return data.FitPrsw(line, true); },
    [](SistraData& data, PlotRange& range) { return data.GetPrswPlotRange(range); }};

const RegressionPlotKind PvaEdvPlot{
    L"SistraPvaEdvGraphViewClass", 7, IDS_VIEW_PVA_EDV, IDS_PARAM_ED_VOLUME, IDS_PLOT_SYMBOL_VED, IDS_PARAM_SHORT_PVA,
    IDS_PARAM_SHORT_PVA, IDS_PLOT_TOOLTIP_PVA_EDV, IDS_PLOT_HELP_PVA_EDV, IDS_PLOT_TOPIC_PVA_EDV,
    PropertyId::VolumeChannel, RangeUnitKind::PressureTimesVolume, 9, 7, false, true, &FitPvaAgainstEdv,
    [](SistraData& data, PlotRange& range) { return data.GetPvaEdvPlotRange(range); }};

const RegressionPlotKind PvaEspPlot{
    L"SistraPvaEspGraphViewClass", 7, IDS_VIEW_PVA_ESP, IDS_PARAM_ES_PRESSURE, IDS_PLOT_SYMBOL_PES,
    IDS_PARAM_SHORT_PVA, IDS_PARAM_SHORT_PVA, IDS_PLOT_TOOLTIP_PVA_ESP, IDS_PLOT_HELP_PVA_ESP, IDS_PLOT_TOPIC_PVA_ESP,
    PropertyId::PressureChannel, RangeUnitKind::PressureTimesVolume, 11, 10, false, true, &FitPvaAgainstEsp,
    [](SistraData& data, PlotRange& range) { return data.GetPvaEspPlotRange(range); }};

RegressionPlotBase::RegressionPlotBase(const ViewCreation& creation, const RegressionPlotKind& kind)
    : SistraGraphViewBase(creation, Text(kind.title), kind.viewNumber), kind_(kind)
{
}

Orv::String RegressionPlotBase::Text(UINT id)
{
    return Orv::LoadedText(id);
}

ViewChannel RegressionPlotBase::SetupChannel(int propertyId) const
{
    const std::shared_ptr<Model> setup = GetSetupModel();
    return setup ? ViewChannel{setup->GetValue<PropertyType::Channel>(propertyId), 0} : ViewChannel{};
}

std::wstring RegressionPlotBase::SetupChannelUnits(int propertyId)
{
    const std::optional<Orv::PrefixedUnit> unit = ChannelUnit(SetupChannel(propertyId).channel);
    return unit ? unit->GetText() : std::wstring();
}

ViewChannel RegressionPlotBase::GetRangeChannel()
{
    return kind_.rangeUnits == RangeUnitKind::PressurePerSecond ? SetupChannel(PropertyId::PressureChannel)
                                                                 : ViewChannel{};
}

Orv::String RegressionPlotBase::GetRangeUnits()
{
    const std::wstring pressure = SetupChannelUnits(PropertyId::PressureChannel);
    if (kind_.rangeUnits == RangeUnitKind::PressurePerSecond)
        return Orv::String(pressure.empty() ? L"" : (pressure + L"/s").c_str());
    const std::wstring volume = SetupChannelUnits(PropertyId::VolumeChannel);
    return Orv::String(pressure.empty() && volume.empty() ? L"" : (pressure + L"*" + volume).c_str());
}

double RegressionPlotBase::GetRangeUnitScale()
{
    const double pressure = UnitScaleOf(SetupChannel(PropertyId::PressureChannel));
    if (kind_.rangeUnits == RangeUnitKind::PressurePerSecond)
        return pressure;
    return pressure * UnitScaleOf(SetupChannel(PropertyId::VolumeChannel));
}

int32_t RegressionPlotBase::GetFunctionIndex()
{
    return kind_.fitOffline && IsOnlineAnalysisRunning() ? NoFunction : kind_.functionIndex;
}

// Wide enough for the fitted line's equation on its two lines in a dialog's text size, and for the least
// plot under it, flatter than the loops' as a line of points reads in less height, with the axes' captions
// whole: a tile any smaller leaves the equation out, the points in a corner and the captions cut.
SIZE RegressionPlotBase::GetLeastSize()
{
    constexpr LONG LeastPlotHeight = 100;
    if (!GetHandle() || !GraphWindow().GetHandle())
        return {};
    const int equations = GetFunctionIndex() != NoFunction ? EquationsRoom(true) : 0;
    const SIZE plot = LeastPlotHolding(SIZE{LeastPlot.cx, LeastPlotHeight}, equations);
    const ViewMargins margins = GetGraphMargins();
    const LONG width = plot.cx + PlotOverhead(margins).cx;
    return SIZE{width, plot.cy + PlotOverhead(margins, width).cy};
}

bool RegressionPlotBase::GetRegression(ViewRegression& regression)
{
    FittedLine line;
    if (!AnalysisData() || !kind_.fit(*AnalysisData(), line))
        return false;
    regression = ViewRegression{line.intercept, line.slope, line.fit};
    return true;
}

bool RegressionPlotBase::GetDataExtents(ViewExtents& extents)
{
    PlotRange range;
    if (!AnalysisData())
        return false;
    const bool enough = kind_.range(*AnalysisData(), range);
    extents = ViewExtents{range.firstMinimum, range.firstMaximum, range.secondMinimum, range.secondMaximum};
    return enough;
}

} // namespace Sistra
