// The four regression plots: one value per analysed loop against another, with the straight line
// fitted through the points. Everything a graph view does is the base's; each plot is described by
// its texts, window class, channels, series, fit and ranges.
#pragma once

#include "views/graph/SistraGraphViewBase.h"

namespace Sistra
{

// The units of a plot's vertical quantity: a rate of pressure, or pressure times volume.
enum class RangeUnitKind
{
    PressurePerSecond,
    PressureTimesVolume
};

// Everything that tells one regression plot from another; the texts are string-table ids.
struct RegressionPlotKind
{
    const wchar_t* className;
    int32_t viewNumber;
    UINT title;
    UINT domainTitle;
    UINT domainSymbol;
    UINT rangeTitle;
    UINT rangeSymbol;
    UINT tooltip;
    UINT helpText;
    UINT helpTopic;
    int domainChannel;          // the setup model's property of the horizontal axis' channel
    RangeUnitKind rangeUnits;
    int32_t seriesId;
    int32_t functionIndex;
    bool fitOffline;            // no fitted function while online analysis runs
    bool plotOffline;           // nothing plotted while online analysis runs
    bool (*fit)(SistraData& data, FittedLine& line);
    bool (*range)(SistraData& data, PlotRange& range);
};

extern const RegressionPlotKind DpdtMaxEdvPlot;
extern const RegressionPlotKind PrswPlot;
extern const RegressionPlotKind PvaEdvPlot;
extern const RegressionPlotKind PvaEspPlot;

class RegressionPlotBase : public SistraGraphViewBase
{
public:
    RegressionPlotBase(const ViewCreation& creation, const RegressionPlotKind& kind);

    const wchar_t* GetClassName() override { return kind_.className; }
    Orv::String GetTitle() override { return Text(kind_.title); }
    bool GetRegression(ViewRegression& regression) override;
    ViewChannel GetDomainChannel() override { return SetupChannel(kind_.domainChannel); }
    Orv::String GetDomainTitle() override { return Text(kind_.domainTitle); }
    Orv::String GetDomainSymbol() override { return Text(kind_.domainSymbol); }
    // Only the rate of pressure has a channel of its own; an energy has none.
    ViewChannel GetRangeChannel() override;
    Orv::String GetRangeTitle() override { return Text(kind_.rangeTitle); }
    Orv::String GetRangeSymbol() override { return Text(kind_.rangeSymbol); }
    Orv::String GetRangeUnits() override;
    double GetRangeUnitScale() override;
    int32_t GetSeriesId() override { return kind_.seriesId; }
    int32_t GetFunctionIndex() override;
    bool GetDataExtents(ViewExtents& extents) override;
    Orv::String GetTooltipFormat() override { return Text(kind_.tooltip); }
    Orv::String GetHelpText() override { return Text(kind_.helpText); }
    Orv::String GetHelpTopic() override { return Text(kind_.helpTopic); }
    bool IsPlotEnabled() override { return !(kind_.plotOffline && IsOnlineAnalysisRunning()); }
    SIZE GetLeastSize() override;

private:
    // Texts are loaded on first use and kept for the process.
    static Orv::String Text(UINT id);
    // The workflow-setup model's pressure or volume channel; none without the model.
    ViewChannel SetupChannel(int propertyId) const;
    // The units text of a setup channel; empty without loops.
    std::wstring SetupChannelUnits(int propertyId);

    const RegressionPlotKind& kind_;
};

// The plot of one kind, made as the host's view wrapper makes every view window.
template <const RegressionPlotKind& Kind>
class RegressionPlot : public RegressionPlotBase
{
public:
    RegressionPlot(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view, IUnknown* document,
                   OWL::TModule* module, IDocView2* hostView)
        : RegressionPlotBase(ViewCreation{parent, viewClass, view, document, module, hostView}, Kind)
    {
    }
};

class SistradPdTMaxEDVGraphView final : public RegressionPlot<DpdtMaxEdvPlot>
{
    using RegressionPlot::RegressionPlot;
};
class SistraPRSWGraphView final : public RegressionPlot<PrswPlot>
{
    using RegressionPlot::RegressionPlot;
};
class SistraPVAEDVView final : public RegressionPlot<PvaEdvPlot>
{
    using RegressionPlot::RegressionPlot;
};
class SistraPVAESPView final : public RegressionPlot<PvaEspPlot>
{
    using RegressionPlot::RegressionPlot;
};

} // namespace Sistra
