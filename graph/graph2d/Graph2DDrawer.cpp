#include "graph/graph2d/Graph2DDrawer.h"

#include "foundation/text/StringResources.h"
#include "graph/plotters/Plotter.h"
#include "graph/scales/ScaleControlFactory.h"

#include <algorithm>
#include <cstdlib>

namespace MGraph1
{

namespace
{
constexpr ULONG DomainScaleStyle = 0x43;
constexpr ULONG RangeScaleStyle = 0x40;
constexpr int ScaleFontPoints = 10;
constexpr int EastAsianScaleFontPoints = 12;

Orv::ComPtr<IScaleControl> CreateScale(IScaleControlFactory* factory, ULONG style)
{
    Orv::ComPtr<IScaleControl> control;
    if (factory)
        factory->CreateScale(nullptr, 0, style, control.Put());
    return control;
}

// Holds SyncScales' nesting count for a scope.
class ScaleSyncGuard
{
public:
    explicit ScaleSyncGuard(int32_t& depth) : m_depth(depth) { ++m_depth; }
    ScaleSyncGuard(const ScaleSyncGuard&) = delete;
    ScaleSyncGuard& operator=(const ScaleSyncGuard&) = delete;
    ~ScaleSyncGuard() { --m_depth; }

private:
    int32_t& m_depth;
};

void DeleteOwned(std::vector<std::pair<GraphDrawer*, bool>>& list)
{
    for (auto& [drawer, owned] : list)
        if (owned)
            delete drawer;
    list.clear();
}

bool RemoveLast(std::vector<std::pair<GraphDrawer*, bool>>& list, GraphDrawer* drawer)
{
    const auto found = std::find_if(list.rbegin(), list.rend(), [&](const auto& entry) { return entry.first == drawer; });
    if (found == list.rend())
        return false;
    if (found->second)
        delete found->first;
    list.erase(std::next(found).base());
    return true;
}

GraphDrawer* EntryAt(const std::vector<std::pair<GraphDrawer*, bool>>& list, int index)
{
    return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)].first : nullptr;
}

void PassUnits(IScaleControl* control, const AxisTransform* transform, const std::wstring* text)
{
    if (control)
        control->SetUnits(transform, text ? text->c_str() : nullptr);
}
} // namespace

Graph2DDrawer::Graph2DDrawer() : Graph2DDrawer(GetScaleControlFactory())
{
}

Graph2DDrawer::Graph2DDrawer(IScaleControlFactory* factory)
    : graticule(std::make_unique<GraphGraticule>()), xTransform(std::make_unique<AxisTransform>()),
      yTransform(std::make_unique<AxisTransform>()), xUnitTransform(std::make_unique<AxisTransform>()),
      yUnitTransform(std::make_unique<AxisTransform>())
{
    ResetQueens();
    const auto domainControl = CreateScale(factory, DomainScaleStyle);
    const auto rangeControl = CreateScale(factory, RangeScaleStyle);
    SetScales(domainControl.Get(), rangeControl.Get(), false, false);
}

Graph2DDrawer::~Graph2DDrawer()
{
    RemoveAllAnnotations();
    RemoveAllPlotters();
    domainScale.Reset();
    rangeScale.Reset();
    if (offscreen)
        DeleteObject(offscreen);
    domainDragScale.Reset();
    rangeDragScale.Reset();
}

HWND Graph2DDrawer::WindowHandle() const
{
    return window ? window->GetHandle() : nullptr;
}

int32_t Graph2DDrawer::WindowId() const
{
    return window ? window->Attr.Id : 0;
}

void Graph2DDrawer::Layout(const RECT& newRect)
{
    rect = newRect;
    SetRect(newRect, true);
}

void Graph2DDrawer::GetPlotRect(RECT& out, const RECT& r)
{
    out.left = r.left + leftMargin;
    out.right = std::max(r.right, out.left + 1);
    out.bottom = r.bottom - bottomMargin;
    out.top = std::min(r.top, out.bottom - 1);
}

void Graph2DDrawer::SetRect(const RECT& r, bool)
{
    if (r.right - r.left < 1 || r.bottom - r.top < 1)
        return;
    dirty = true;
    layoutRect = r;
    RECT plot{};
    GetPlotRect(plot, r);
    if (domainScale)
    {
        const RECT strip{plot.left, plot.bottom, plot.right, r.bottom};
        domainScale->SetRect(&strip);
        AxisTransform t;
        domainScale->GetTransform(&t);
        SetXTransform(t);
    }
    if (rangeScale)
    {
        const RECT strip{r.left, plot.top, plot.left, plot.bottom};
        rangeScale->SetRect(&strip);
        AxisTransform t;
        rangeScale->GetTransform(&t);
        SetYTransform(t);
    }
    const int width = plot.right - plot.left;
    const int height = plot.bottom - plot.top;
    ForEachDrawer([&](GraphDrawer& drawer) { drawer.SetPlacement(width, height); });
}

void Graph2DDrawer::Invalidate()
{
    if (WindowHandle() && ::IsWindow(WindowHandle()))
        ::InvalidateRect(WindowHandle(), nullptr, TRUE);
}

void Graph2DDrawer::SetScales(IScaleControl* domainControl, IScaleControl* rangeControl, bool domainNotifies,
                              bool rangeNotifies)
{
    domainStripNotifies = domainNotifies;
    rangeStripNotifies = rangeNotifies;
    domainScale = Orv::ComPtr<IScaleControl>(domainControl);
    rangeScale = Orv::ComPtr<IScaleControl>(rangeControl);
    {
        const ScaleSyncGuard guard(scaleSyncDepth);
        *xUnitTransform = AxisTransform{domainUnitFactor, 0.0};
        PassUnits(domainScale.Get(), xUnitTransform.get(), nullptr);
        *yUnitTransform = AxisTransform{rangeUnitFactor, 0.0};
        PassUnits(rangeScale.Get(), yUnitTransform.get(), nullptr);
    }
    SyncScales();
}

void Graph2DDrawer::SyncScales()
{
    {
        const ScaleSyncGuard guard(scaleSyncDepth);
        if (domainScale && rangeScale)
        {
            SetDomainUnits(domainUnits);
            SetRangeUnits(rangeUnits);
            SetDomainTitle(domainTitle);
            SetRangeTitle(rangeTitle);
            SetDomainBounds(domainBoundLow, domainBoundHigh);
            SetRangeBounds(rangeBoundLow, rangeBoundHigh);
            SetDomainExtent(domainExtentLow, domainExtentHigh);
            SetRangeExtent(rangeExtentLow, rangeExtentHigh);
            if (domainMinSpanSet)
                domainScale->SetMinSpan(domainMinSpanPair.first, domainMinSpanPair.second);
            if (rangeMinSpanSet)
                rangeScale->SetMinSpan(rangeMinSpanPair.first, rangeMinSpanPair.second);
            SetDomainMinSpan(domainMinSpan);
            SetRangeMinSpan(rangeMinSpan);
        }
    }
    SetDomain(domainLow, domainHigh);
    SetRange(rangeLow, rangeHigh);
}

void Graph2DDrawer::SetDomain(double low, double high)
{
    if (domainDragDepth > 0)
        return;
    if (domainScale)
    {
        domainScale->SetLimits(high, low);
        if (domainStripNotifies)
            return;
    }
    ApplyDomain(low, high);
}

void Graph2DDrawer::SetRange(double low, double high)
{
    if (rangeDragDepth > 0)
        return;
    if (rangeScale)
    {
        rangeScale->SetLimits(high, low);
        if (rangeStripNotifies)
            return;
    }
    ApplyRange(low, high);
}

void Graph2DDrawer::ApplyDomain(double low, double high)
{
    domainLow = low;
    domainHigh = high;
    // A control without a strip window reports no scaling change: its transform for the new limits
    // is taken here.
    if (domainScale && !domainStripNotifies)
        domainScale->GetTransform(xTransform.get());
    OnDomainChanged();
    ForEachDrawer([&](GraphDrawer& drawer) { drawer.SetDomainLimits(low, high); });
    for (auto& entry : plotters)
        if (auto* plotter = dynamic_cast<Plotter*>(entry.first))
            plotter->dirty = true;
    Invalidate();
    axisSender.Send(MsgGraph2DDrawerOnDomainChanged(WindowId()));
}

void Graph2DDrawer::ApplyRange(double low, double high)
{
    rangeLow = low;
    rangeHigh = high;
    if (rangeScale && !rangeStripNotifies)
        rangeScale->GetTransform(yTransform.get());
    OnRangeChanged();
    ForEachDrawer([&](GraphDrawer& drawer) { drawer.SetRangeLimits(low, high); });
    for (auto& entry : plotters)
        if (auto* plotter = dynamic_cast<Plotter*>(entry.first))
            plotter->dirty = true;
    Invalidate();
    axisSender.Send(MsgGraph2DDrawerOnRangeChanged(WindowId()));
}

void Graph2DDrawer::SetDomainExtent(double low, double high)
{
    domainExtentLow = low;
    domainExtentHigh = high;
    if (domainScale)
        domainScale->SetExtent(high, low);
}

void Graph2DDrawer::SetRangeExtent(double low, double high)
{
    rangeExtentLow = low;
    rangeExtentHigh = high;
    if (rangeScale)
        rangeScale->SetExtent(high, low);
}

void Graph2DDrawer::SetDomainBounds(double low, double high)
{
    domainBoundLow = low;
    domainBoundHigh = high;
    if (domainScale)
        domainScale->SetBounds(high, low);
}

void Graph2DDrawer::SetRangeBounds(double low, double high)
{
    rangeBoundLow = low;
    rangeBoundHigh = high;
    if (rangeScale)
        rangeScale->SetBounds(high, low);
}

void Graph2DDrawer::SetDomainUnits(const std::wstring& text)
{
    domainUnits = text;
    PassUnits(domainScale.Get(), nullptr, &domainUnits);
}

void Graph2DDrawer::SetRangeUnits(const std::wstring& text)
{
    rangeUnits = text;
    PassUnits(rangeScale.Get(), nullptr, &rangeUnits);
}

void Graph2DDrawer::SetDomainTitle(const std::wstring& text)
{
    domainTitle = text;
    if (domainScale)
        domainScale->SetTitle(domainTitle.c_str());
}

void Graph2DDrawer::SetRangeTitle(const std::wstring& text)
{
    rangeTitle = text;
    if (rangeScale)
        rangeScale->SetTitle(rangeTitle.c_str());
}

void Graph2DDrawer::SetDomainUnitScale(double factor)
{
    domainUnitFactor = factor;
    *xUnitTransform = AxisTransform{factor, 0.0};
    PassUnits(domainScale.Get(), xUnitTransform.get(), nullptr);
}

void Graph2DDrawer::SetRangeUnitScale(double factor)
{
    rangeUnitFactor = factor;
    *yUnitTransform = AxisTransform{factor, 0.0};
    PassUnits(rangeScale.Get(), yUnitTransform.get(), nullptr);
}

void Graph2DDrawer::SetDomainUnitTransform(const AxisTransform* transform)
{
    if (!domainScale)
        return;
    AxisTransform current;
    BSTR text = nullptr;
    domainScale->GetUnits(&current, &text);
    domainScale->SetUnits(transform, text ? text : L"");
    SysFreeString(text);
}

void Graph2DDrawer::SetRangeUnitTransform(const AxisTransform* transform)
{
    if (!rangeScale)
        return;
    AxisTransform current;
    BSTR text = nullptr;
    rangeScale->GetUnits(&current, &text);
    rangeScale->SetUnits(transform, text ? text : L"");
    SysFreeString(text);
}

void Graph2DDrawer::SetXTransform(const AxisTransform& pair)
{
    *xTransform = pair;
    Invalidate();
}

void Graph2DDrawer::SetYTransform(const AxisTransform& pair)
{
    *yTransform = pair;
    Invalidate();
}

void Graph2DDrawer::SetXUnitTransform(const AxisTransform& pair)
{
    *xUnitTransform = pair;
    Invalidate();
}

void Graph2DDrawer::SetYUnitTransform(const AxisTransform& pair)
{
    *yUnitTransform = pair;
    Invalidate();
}

void Graph2DDrawer::SetDisplayInfo(const GraphDisplayInfo& info)
{
    display = info;
    graticule->display = info;
}

void Graph2DDrawer::SetDomainStripOption(bool value)
{
    if (domainScale)
        domainScale->SetOption(value ? VARIANT_TRUE : VARIANT_FALSE);
}

void Graph2DDrawer::SetRangeStripOption(bool value)
{
    if (rangeScale)
        rangeScale->SetOption(value ? VARIANT_TRUE : VARIANT_FALSE);
}

void Graph2DDrawer::ApplyScaleSetting(LONG value)
{
    if (domainScale)
        domainScale->Measure(ScaleSettingThickness, value, 0, reinterpret_cast<LONG*>(&bottomMargin));
    if (rangeScale)
        rangeScale->Measure(ScaleSettingThickness, value, 0, reinterpret_cast<LONG*>(&leftMargin));
    SetRect(rect, false);
}

void Graph2DDrawer::EnableDomainScaleOption()
{
    ULONG style = 0;
    if (domainScale && SUCCEEDED(domainScale->GetStyle(&style)))
        domainScale->SetStyle(style | ScaleStyle::ExtraOption);
}

void Graph2DDrawer::EnableRangeScaleOption()
{
    ULONG style = 0;
    if (rangeScale && SUCCEEDED(rangeScale->GetStyle(&style)))
        rangeScale->SetStyle(style | ScaleStyle::ExtraOption);
}

int Graph2DDrawer::GetScaleFontSize()
{
    const WORD primary = PRIMARYLANGID(Orv::ApplicationLanguage().value_or(0));
    int points = primary == LANG_CHINESE || primary == LANG_JAPANESE ? EastAsianScaleFontPoints : ScaleFontPoints;
    if (const auto sized = domainScale.As<IScaleTextSize>(IID_IScaleTextSize))
    {
        LONG answer = 0;
        if (SUCCEEDED(sized->GetTextSize(&answer)))
            points = answer;
    }
    return points;
}

void Graph2DDrawer::HandOver(GraphDrawer& drawer)
{
    drawer.SetDomainLimits(domainLow, domainHigh);
    drawer.SetRangeLimits(rangeLow, rangeHigh);
    drawer.UseXTransform(xTransform.get());
    drawer.UseYTransform(yTransform.get());
    drawer.UseXUnitTransform(xUnitTransform.get());
    drawer.UseYUnitTransform(yUnitTransform.get());
    RECT plot{};
    GetPlotRect(plot, rect);
    drawer.SetPlacement(std::abs(plot.right - plot.left), std::abs(plot.bottom - plot.top));
}

bool Graph2DDrawer::AddPlotter(GraphDrawer* drawer, bool owned)
{
    if (!drawer)
        return false;
    HandOver(*drawer);
    plotters.emplace_back(drawer, owned);
    dirty = true;
    return true;
}

bool Graph2DDrawer::RemovePlotter(GraphDrawer* drawer)
{
    if (!RemoveLast(plotters, drawer))
        return false;
    dirty = true;
    return true;
}

bool Graph2DDrawer::RemoveAllPlotters()
{
    if (plotters.empty())
        return false;
    DeleteOwned(plotters);
    dirty = true;
    return true;
}

GraphDrawer* Graph2DDrawer::GetPlotter(int index)
{
    return EntryAt(plotters, index);
}

bool Graph2DDrawer::AddAnnotation(GraphDrawer* drawer, bool owned)
{
    if (!drawer)
        return false;
    HandOver(*drawer);
    annotations.emplace_back(drawer, owned);
    return true;
}

bool Graph2DDrawer::RemoveAnnotation(GraphDrawer* drawer)
{
    return RemoveLast(annotations, drawer);
}

bool Graph2DDrawer::RemoveAllAnnotations()
{
    DeleteOwned(annotations);
    return true;
}

GraphDrawer* Graph2DDrawer::GetAnnotation(int index)
{
    return EntryAt(annotations, index);
}

bool Graph2DDrawer::AddQueen(Queen* queen, bool owned)
{
    return queens->AddQueen(queen, owned);
}

void Graph2DDrawer::RemoveQueen(Queen* queen)
{
    queens->RemoveQueen(queen);
}

bool Graph2DDrawer::ResetQueens()
{
    queens = std::make_unique<QueenController>();
    queens->SetPickRadius(queenPickRadius);
    queens->SetDomainLimits(domainLow, domainHigh);
    queens->SetRangeLimits(rangeLow, rangeHigh);
    queens->UseXTransform(xTransform.get());
    queens->UseYTransform(yTransform.get());
    queens->UseXUnitTransform(xUnitTransform.get());
    queens->UseYUnitTransform(yUnitTransform.get());
    return true;
}

void Graph2DDrawer::SetQueenOption(int value)
{
    for (Queen* queen : queens->queens)
        queen->SetOption(value);
}

} // namespace MGraph1
