#include "graph/windows/Graph2DWindow.h"

namespace MGraph1
{

DEFINE_RESPONSE_TABLE1(Graph2DWindow, GraphWindowBase)
    EV_WM_LBUTTONUP,
    EV_WM_LBUTTONDOWN,
    EV_WM_MOUSEMOVE,
END_RESPONSE_TABLE;

Graph2DWindow::Graph2DWindow(OWL::TWindow* parent, const wchar_t* title, OWL::TModule* module)
    : Graph2DWindowBase<Graph2DDrawer>(parent, title, module)
{
}

Graph2DWindow::~Graph2DWindow() = default;

void Graph2DWindow::EvMouseMove(UINT keys, const OWL::TPoint& point)
{
    TrackMouseLeave();
    HandleMouseMove(keys, point);
}

} // namespace MGraph1
