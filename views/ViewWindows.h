// The module's nine view windows: the loop view and the regression plots draw their graphs, the cuvette
// view its table and plot, the workflow panel its steps; the views not built yet are plain windows titled
// with their view's name.
#pragma once

#include "VyrViews.h"
#include "hostframework/messaging/EventHandlers.h"
#include "hostframework/views/DocViewClass.h"
#include "foundation/com/ComPtr.h"
#include "platform/owl/window/Window.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/manager/TableViewManager.h"
#include "views/loop/LoopView.h"
#include "views/cuvette/CuvetteView.h"
#include "views/plots/RegressionPlots.h"
#include "views/workflow/WorkflowView.h"

namespace Sistra
{

// The graph views' own menu command: copying the regression, under the host's Edit menu.
HRESULT AddCopyRegressionCommand(ViewCommandRegistration& record);

// A view window with the view's title and its event-handler part, and nothing drawn in it yet.
class PlainViewWindow : public OWL::TWindow, public VyrCppEventHandler
{
public:
    PlainViewWindow(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view, IUnknown* document,
                    OWL::TModule* module, IDocView2* hostView);
};

class SistraSalineCalGraphView final : public PlainViewWindow
{
    using PlainViewWindow::PlainViewWindow;
};

} // namespace Sistra
