// What the view tests share: a module document whose analysis holds loops the test describes, a frame
// window to put a view in, and a message pump.
#pragma once

#include "views/base/SistraViewBase.h"
#include "views/graph/SistraGraphViewBase.h"

#include "document/core/SistraDocument.h"
#include "document/tests/analysis/FakeCalcItems.h"
#include "foundation/com/ComPtr.h"

#include <cmath>
#include <memory>
#include <vector>

namespace ViewTesting
{

inline void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Whether inner lies wholly within outer.
inline bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The width of a text in the font a control draws with.
inline int TextExtent(const OWL::TWindow& control, const std::wstring& text)
{
    const HDC dc = GetDC(control.GetHandle());
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(control.SendMessage(WM_GETFONT)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control.GetHandle(), dc);
    return extent.cx;
}

// The view sized to the least client size it names, and the plot its graph then draws in.
inline RECT PlotAtLeastSize(Sistra::SistraGraphViewBase& view)
{
    MINMAXINFO limits{};
    view.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const POINT least = limits.ptMinTrackSize;
    const OWL::TRect outer = view.GetWindowRect();
    const OWL::TRect inner = view.GetClientRect();
    view.MoveWindow(OWL::TRect(0, 0, least.x + outer.Width() - inner.Width(), least.y + outer.Height() - inner.Height()),
                    true);
    PumpMessages();
    MGraph1::Graph2DWindow& graph = view.GraphWindow();
    const OWL::TRect area = graph.GetClientRect();
    RECT plot{};
    graph.GetPlotRect(plot, RECT{area.left + graph.marginLeft, area.top + graph.marginTop, area.right - graph.marginRight,
                                 area.bottom - graph.marginBottom});
    return plot;
}

// Loop i: Ved = 100 + i, Ves = vesSlope Ved + vesOffset (Ved - 40 by default), Pes = pesSlope Ves + 5
// (2 Ves + 5 by default), Ped as given, SW = 3 Ved - 50, dP/dt max = 10 Ved + 100, PVA = 2 Ved + 1000,
// volumes from Ves to Ved and pressures from Ped to Pes; then the block's closing record.
inline std::vector<Sistra::SistraEvent> LinearLoops(int count, double ped = 10.0, double vesSlope = 1.0,
                                                    double vesOffset = -40.0, double pesSlope = 2.0)
{
    std::vector<Sistra::SistraEvent> loops;
    for (int i = 0; i <= count; ++i)
    {
        Sistra::SistraEvent loop;
        loop.base.tick = loop.firstTick = 100 * (i + 1);
        loop.endTick = loop.firstTick + 100;
        loop.ved = 100.0 + i;
        loop.ves = vesSlope * loop.ved + vesOffset;
        loop.pes = pesSlope * loop.ves + 5.0;
        loop.sw = 3.0 * loop.ved - 50.0;
        loop.dpdtMax = 10.0 * loop.ved + 100.0;
        loop.sv = loop.ved - loop.ves;
        loop.ped = ped;
        loop.vmin = loop.ves;
        loop.vmax = loop.ved;
        loop.pmin = ped;
        loop.pmax = loop.pes;
        loop.state = i == count ? Sistra::LoopStateClosing : Sistra::LoopStateValid;
        loops.push_back(loop);
    }
    return loops;
}

inline std::vector<Sistra::PVAEvent> AreasOf(const std::vector<Sistra::SistraEvent>& loops)
{
    std::vector<Sistra::PVAEvent> areas;
    for (std::size_t i = 0; i + 1 < loops.size(); ++i)
    {
        Sistra::PVAEvent area;
        area.base = loops[i].base;
        area.pva = 2.0 * loops[i].ved + 1000.0;
        area.strokeWork = loops[i].sw;
        areas.push_back(area);
    }
    return areas;
}

// A module document over a host that holds only the analysis's calculation items.
class AnalysedDocument
{
public:
    AnalysedDocument() : document_(new Sistra::SistraDocument(&host_, nullptr, 0)), holder_(document_->Outer())
    {
        document_->GetModel(Sistra::ModelKind::WorkflowSetup);
    }

    // Analyses count loops as LinearLoops describes them, with their areas.
    void Analyse(int count, double ped = 10.0, double vesSlope = 1.0, double vesOffset = -40.0, double pesSlope = 2.0)
    {
        const auto loops = LinearLoops(count, ped, vesSlope, vesOffset, pesSlope);
        host_.SetRecords(L"sistra", 0, loops);
        host_.SetRecords(L"pva", 0, AreasOf(loops));
        Sistra::SistraData& data = document_->Data();
        data.Reset();
        data.PressureStore().FindCalculations();
        data.PressureStore().CreateCalculations(L"SistraAnalyzer(...)", L"", L"");
        data.PrepareBlock(0, 0);
        data.FeedLoops(HostRecordEnd);
        data.Finish();
    }

    Sistra::SistraDocument& Document() { return *document_; }
    Sistra::SistraData& Data() { return document_->Data(); }
    Sistra::ViewCreation CreationIn(OWL::TWindow* parent)
    {
        return Sistra::ViewCreation{parent, nullptr, nullptr, document_->Outer(), nullptr, nullptr};
    }

private:
    DocumentTesting::FakeCalcItems host_;
    Sistra::SistraDocument* document_;
    Orv::ComPtr<IUnknown> holder_;
};

// A shown top-level frame whose client area a view fills.
struct Frame
{
    explicit Frame(int width = 640, int height = 480) : window(nullptr, L"View test")
    {
        window.Attr.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        window.Attr.W = width;
        window.Attr.H = height;
        window.Create();
        window.ShowWindow(SW_SHOWNORMAL);
        PumpMessages();
    }
    // Puts the view in the frame's client area and shows it.
    void Show(OWL::TWindow& view)
    {
        const OWL::TRect client = window.GetClientRect();
        view.Attr.W = client.Width();
        view.Attr.H = client.Height();
        view.Create();
        PumpMessages();
    }
    OWL::TWindow window;
};

} // namespace ViewTesting
