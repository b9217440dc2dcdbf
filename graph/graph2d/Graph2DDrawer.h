// The engine of a 2-D graph: the horizontal axis (the domain) and the vertical axis (the range) with
// their scale controls and transforms, the plotters, annotations, cursors and grid, the cached picture
// and the mouse. It has no window of its own: the graph window hands it its rectangle, paint and mouse.
#pragma once

#include "hostapi/ScaleControl.h"
#include "foundation/com/ComPtr.h"
#include "graph/annotations/Annotation.h"
#include "graph/cursors/QueenController.h"
#include "graph/grid/GraphGraticule.h"
#include "graph/messages/GraphMessages.h"
#include "platform/owl/window/Window.h"

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace MGraph1
{

class GraphDragScale;

class GraphBase
{
public:
    virtual ~GraphBase() = default;
    virtual void SetRect(const RECT& rect, bool) = 0;
    virtual void OnFirstDraw() {}
};

// One drag of a scale strip under way: raises the axis' drag depth while it lives.
class DragHold
{
public:
    explicit DragHold(int32_t& depth) : m_depth(&depth) { ++*m_depth; }
    DragHold(DragHold&& other) noexcept : m_depth(std::exchange(other.m_depth, nullptr)) {}
    DragHold& operator=(DragHold&&) = delete;
    ~DragHold()
    {
        if (m_depth)
            --*m_depth;
    }

private:
    int32_t* m_depth;
};

// The two scale strips of a graph window and the drags they hold.
struct AxisStrips
{
    GraphDragScale* domain = nullptr;
    GraphDragScale* range = nullptr;
    std::deque<DragHold> heldRangeDrags;
    std::deque<DragHold> heldDomainDrags;
};

enum class Axis
{
    Domain,
    Range
};

class Graph2DDrawer : public GraphBase, public MessSys::MessageReceiver
{
public:
    // Takes its two scale controls from the host's factory; without a factory the graph works
    // without host scale controls.
    Graph2DDrawer();
    explicit Graph2DDrawer(IScaleControlFactory* factory);
    Graph2DDrawer(const Graph2DDrawer&) = delete;
    Graph2DDrawer& operator=(const Graph2DDrawer&) = delete;
    ~Graph2DDrawer() override;

    void SetRect(const RECT& rect, bool) override;
    virtual void Draw(HDC dc, bool erase, const RECT& rect);
    virtual void DrawTo(HDC dc, HDC attributeDc, const RECT& rect);
    virtual void DrawPlotters(HDC dc, HDC attributeDc, const RECT& plotRect, const RECT& clipRect);
    virtual void DrawAnnotations(HDC dc, HDC attributeDc, const RECT& plotRect, const RECT& clipRect);
    virtual void Render(HDC dc, HDC attributeDc, bool erase, const RECT& rect);
    virtual void OnChar(UINT character, UINT repeat, UINT flags);
    virtual void SetDisplayInfo(const GraphDisplayInfo& info);
    virtual GraphDisplayInfo GetDisplayInfo() { return display; }
    virtual void Invalidate();
    virtual void SetDomain(double low, double high);
    virtual void SetRange(double low, double high);
    virtual void GetDomain(double& low, double& high) { low = domainLow, high = domainHigh; }
    virtual void GetRange(double& low, double& high) { low = rangeLow, high = rangeHigh; }
    virtual void GetDomainExtent(double& low, double& high) { low = domainExtentLow, high = domainExtentHigh; }
    virtual void GetRangeExtent(double& low, double& high) { low = rangeExtentLow, high = rangeExtentHigh; }
    virtual void GetDomainBounds(double& low, double& high) { low = domainBoundLow, high = domainBoundHigh; }
    virtual void GetRangeBounds(double& low, double& high) { low = rangeBoundLow, high = rangeBoundHigh; }
    virtual std::wstring GetDomainUnits() { return domainUnits; }
    virtual std::wstring GetRangeUnits() { return rangeUnits; }
    virtual std::wstring GetDomainTitle() { return domainTitle; }
    virtual std::wstring GetRangeTitle() { return rangeTitle; }
    virtual void SetDomainStripOption(bool value);
    virtual void SetRangeStripOption(bool value);
    virtual void SetDomainMinSpan(double span);
    virtual void SetRangeMinSpan(double span);
    virtual void OnMouseLeave();
    virtual void GetPlotRect(RECT& out, const RECT& rect);
    virtual void GetClipRect(RECT& out, const RECT& rect) { out = rect; }
    virtual void AddMouseReceiver(MessSys::MessageReceiver* r) { mouseSender.AddReceiver(r); }
    virtual void RemoveMouseReceiver(MessSys::MessageReceiver* r) { mouseSender.RemoveReceiver(r); }
    virtual void OnMouseMove(int x, int y);
    virtual void AddQueenReceiver(MessSys::MessageReceiver* r) { queens->AddReceiver(r); }
    virtual void RemoveQueenReceiver(MessSys::MessageReceiver* r) { queens->RemoveReceiver(r); }
    virtual void AddRedrawReceiver(MessSys::MessageReceiver* r) { redrawSender.AddReceiver(r); }
    virtual void RemoveRedrawReceiver(MessSys::MessageReceiver* r) { redrawSender.RemoveReceiver(r); }
    virtual void AddAxisReceiver(MessSys::MessageReceiver* r) { axisSender.AddReceiver(r); }
    virtual void RemoveAxisReceiver(MessSys::MessageReceiver* r) { axisSender.RemoveReceiver(r); }
    virtual void GetHints(int x, int y, HintList& list);
    virtual void SetDomainUnitTransform(const AxisTransform* transform);
    virtual void SetRangeUnitTransform(const AxisTransform* transform);
    virtual void SetYUnitTransform(const AxisTransform& pair);
    virtual void SetXUnitTransform(const AxisTransform& pair);
    virtual void SetXTransform(const AxisTransform& pair);
    virtual void SetYTransform(const AxisTransform& pair);
    virtual bool AddPlotter(GraphDrawer* drawer, bool owned);
    virtual bool RemovePlotter(GraphDrawer* drawer);
    virtual bool RemoveAllPlotters();
    virtual int GetPlotterCount() { return static_cast<int>(plotters.size()); }
    virtual GraphDrawer* GetPlotter(int index);
    virtual void HandleClick(UINT keys, const POINT& down, const POINT& up);
    virtual bool AddAnnotation(GraphDrawer* drawer, bool owned);
    virtual bool RemoveAnnotation(GraphDrawer* drawer);
    virtual bool RemoveAllAnnotations();
    virtual int GetAnnotationCount() { return static_cast<int>(annotations.size()); }
    virtual GraphDrawer* GetAnnotation(int index);
    virtual void OnDomainChanged() {}
    virtual void OnRangeChanged() {}
    virtual bool AddQueen(Queen* queen, bool owned);
    virtual void RemoveQueen(Queen* queen);
    virtual bool ResetQueens();
    virtual void SetQueenOption(int value);

    // Installs the scale controls (normally those of the window's strips) and hands them the state.
    void SetScales(IScaleControl* domainControl, IScaleControl* rangeControl, bool domainNotifies, bool rangeNotifies);
    void SyncScales();
    void ApplyDomain(double low, double high);
    void ApplyRange(double low, double high);
    void SetDomainExtent(double low, double high);
    void SetRangeExtent(double low, double high);
    void SetDomainBounds(double low, double high);
    void SetRangeBounds(double low, double high);
    void SetDomainUnits(const std::wstring& text);
    void SetRangeUnits(const std::wstring& text);
    void SetDomainTitle(const std::wstring& text);
    void SetRangeTitle(const std::wstring& text);
    void SetDomainUnitScale(double factor);
    void SetRangeUnitScale(double factor);
    void ApplyScaleSetting(LONG value);
    void EnableDomainScaleOption();
    void EnableRangeScaleOption();
    int GetScaleFontSize();
    template <class Operation>
    void ForEachDrawer(Operation operation);

    // Stores rect as the drawer's rectangle and lays the drawer out in it.
    void Layout(const RECT& newRect);

    // Mouse input of the window, in client coordinates.
    void HandleLButtonDown(UINT keys, POINT point);
    void HandleLButtonUp(UINT keys, POINT point);
    void HandleMouseMove(UINT keys, POINT point);

    // Reactions to the strips' messages; false for a source that is not one of the two strips.
    bool OnBeginDrag(int32_t source, AxisStrips& strips);
    bool OnEndDrag(int32_t source, AxisStrips& strips);
    bool OnScalingChanged(int32_t source, const AxisTransform* transform, const AxisTransform* scaling,
                          AxisStrips& strips);
    bool OnAutoScale(int32_t source, AxisStrips& strips);
    // Hands a strip message to the matching reaction; false for any other message.
    bool HandleStripMessage(const MessSys::Message& message, AxisStrips& strips);

    // Counts of the cached picture's renders, for callers that measure.
    uint32_t renderCount = 0;

    bool initialised = false;
    // The window that embeds the drawer: invalidated, captured, owner of message boxes; its id
    // travels with every message.
    OWL::TWindow* window = nullptr;
    RECT rect{0, 0, 100, 100};
    int32_t scaleSyncDepth = 0;
    bool drawAnnotations = true;
    bool drawQueens = true;
    int32_t queenPickRadius = 8;
    bool domainStripNotifies = false, rangeStripNotifies = false;
    Orv::ComPtr<IScaleControl> domainScale, rangeScale;
    std::unique_ptr<GraphGraticule> graticule;
    std::unique_ptr<AxisTransform> xTransform, yTransform, xUnitTransform, yUnitTransform;
    GraphDisplayInfo display;
    int32_t leftMargin = 60;
    int32_t bottomMargin = 60;
    POINT downPoint{};
    int32_t clickTolerance = 4;
    bool clickPending = false;
    std::vector<std::pair<GraphDrawer*, bool>> plotters;
    std::vector<std::pair<GraphDrawer*, bool>> annotations;
    std::unique_ptr<QueenController> queens;
    double domainLow = 0.0, domainHigh = 1.0;
    double rangeLow = 0.0, rangeHigh = 1.0;
    double domainExtentLow = 0.0, domainExtentHigh = 1.0;
    double rangeExtentLow = -1.0, rangeExtentHigh = 1.0;
    double domainBoundLow = -1.0, domainBoundHigh = 1.0;
    double rangeBoundLow = -1.0, rangeBoundHigh = 1.0;
    bool domainMinSpanSet = false, rangeMinSpanSet = false;
    std::pair<double, double> domainMinSpanPair{1.0, 0.0}, rangeMinSpanPair{1.0, 0.0};
    std::wstring domainUnits = L"Units", rangeUnits = L"Units";
    std::wstring domainTitle, rangeTitle;
    MessSys::MessageSender redrawSender;
    MessSys::MessageSender mouseSender;
    MessSys::MessageSender axisSender;
    HBITMAP offscreen = nullptr;
    bool dirty = true;
    std::string typedKeys;
    bool drawGraticule = true, drawScales = true, drawPlotters = true;
    double domainMinSpan = 0.0, rangeMinSpan = 0.0;
    double domainUnitFactor = 1.0, rangeUnitFactor = 1.0;
    int32_t rangeDragDepth = 0, domainDragDepth = 0;
    Orv::ComPtr<IScaleControl> domainDragScale, rangeDragScale;

private:
    HWND WindowHandle() const;
    int32_t WindowId() const;
    void HandOver(GraphDrawer& drawer);
    bool ScalesReady();
    bool ScaleRects(RECT& domainRect, RECT& rangeRect);
    void PaintScales(HDC dc, const RECT& target, bool domain, bool range, bool fillFirst);
    bool CanDragQueens() const;
    POINT ClampToPlot(POINT point);
    void PaintAnnotationsOnWindow();
    void RepaintAnnotations(bool allInvert);
    void SetMinSpan(Axis axis, double span);
    bool ApplyStripLimits(Axis axis, AxisStrips& strips);

    // The rectangle of the last layout, for which the scale controls hold their rectangles.
    RECT layoutRect{0, 0, 100, 100};
};

template <class Operation>
void Graph2DDrawer::ForEachDrawer(Operation operation)
{
    for (int i = 0; i < GetPlotterCount(); ++i)
        if (GraphDrawer* drawer = GetPlotter(i))
            operation(*drawer);
    for (auto& entry : annotations)
        if (entry.first)
            operation(*entry.first);
    if (queens)
    {
        operation(static_cast<GraphDrawer&>(*queens));
        for (Queen* queen : queens->queens)
            operation(static_cast<GraphDrawer&>(*queen));
    }
}

} // namespace MGraph1
