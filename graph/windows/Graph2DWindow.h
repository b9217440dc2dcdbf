// The windows the views create: a graph window joined with its drawer, the 2-D graph window with its
// two axis scale strips, and the concrete Graph2DWindow.
#pragma once

#include "graph/graph2d/Graph2DDrawer.h"
#include "graph/scales/GraphDragScaleWindow.h"
#include "graph/windows/GraphWindowBase.h"

#include <memory>

namespace MGraph1
{

// A graph window whose drawer is a base of it: the window lays the drawer out, paints it and tells it
// when the mouse left.
template <class Drawer>
class GraphWindow : public GraphWindowBase, public Drawer
{
public:
    GraphWindow(OWL::TWindow* parent, const wchar_t* title = nullptr, OWL::TModule* module = nullptr)
        : GraphWindowBase(parent, title, module)
    {
        Drawer::window = this;
    }

    void SetupWindow() override
    {
        OWL::TWindow::SetupWindow();
        LayoutDrawer(GetClientRect(), false);
    }

    void LayoutDrawer(const RECT& client, bool redraw) override
    {
        GraphWindowBase::LayoutDrawer(client, redraw);
        const RECT inset{client.left + marginLeft, client.top + marginTop, client.right - marginRight,
                         client.bottom - marginBottom};
        if (inset.right - inset.left >= 0 && inset.bottom - inset.top >= 0)
            Drawer::Layout(inset);
    }

    void PaintContent(HDC dc, bool erase, const RECT& rect) override
    {
        const RECT inset{rect.left + marginLeft, rect.top + marginTop, rect.right - marginRight,
                         rect.bottom - marginBottom};
        Drawer::Draw(dc, erase, inset);
    }

    void OnMouseLeft() override { Drawer::OnMouseLeave(); }
    void OnMouseLeave() override { Drawer::OnMouseLeave(); }
};

template <class Drawer>
class Graph2DWindowBase : public GraphWindow<Drawer>
{
public:
    Graph2DWindowBase(OWL::TWindow* parent, const wchar_t* title = nullptr, OWL::TModule* module = nullptr)
        : GraphWindow<Drawer>(parent, title, module)
    {
        domainStrip = new GraphDragScaleWindow(this, DomainStripKind, 0, -1, DomainStripId);
        rangeStrip = new GraphDragScaleWindow(this, RangeStripKind, 0, -1, RangeStripId);
        domainStrip->AddReceiver(this);
        rangeStrip->AddReceiver(this);
        strips.domain = domainStrip;
        strips.range = rangeStrip;
    }

    ~Graph2DWindowBase() override
    {
        domainStrip->RemoveReceiver(this);
        rangeStrip->RemoveReceiver(this);
        strips.heldDomainDrags.clear();
        strips.heldRangeDrags.clear();
        delete domainStrip;
        delete rangeStrip;
    }

    void SetupWindow() override
    {
        GraphWindow<Drawer>::SetupWindow();
        this->SetScales(domainStrip->GetScaleControl(), rangeStrip->GetScaleControl(), domainStrip->HasScaleControl(),
                        rangeStrip->HasScaleControl());
        // The new controls get their rectangles and transforms from a layout of the client area.
        this->LayoutDrawer(this->GetClientRect(), false);
        if (!this->initialised)
        {
            this->OnFirstDraw();
            this->initialised = true;
        }
    }

    bool OnMessage(const MessSys::Message& message) override { return this->HandleStripMessage(message, strips); }

    GraphDragScaleWindow* domainStrip = nullptr;
    GraphDragScaleWindow* rangeStrip = nullptr;
    AxisStrips strips;
};

class Graph2DWindow : public Graph2DWindowBase<Graph2DDrawer>
{
public:
    Graph2DWindow(OWL::TWindow* parent, const wchar_t* title = nullptr, OWL::TModule* module = nullptr);
    ~Graph2DWindow() override;

    DECLARE_RESPONSE_TABLE(Graph2DWindow);

protected:
    void EvLButtonUp(UINT keys, const OWL::TPoint& point) { HandleLButtonUp(keys, point); }
    void EvLButtonDown(UINT keys, const OWL::TPoint& point) { HandleLButtonDown(keys, point); }
    void EvMouseMove(UINT keys, const OWL::TPoint& point);
};

} // namespace MGraph1
