// The module's nine view windows: the loop view, the regression plots and the saline plot draw their
// graphs, the cuvette view its table and plot, the hemodynamics table its grid, the workflow panel its
// steps.
#pragma once

#include "hostapi/VyrViews.h"
#include "hostframework/messaging/EventHandlers.h"
#include "hostframework/views/DocViewClass.h"
#include "foundation/com/ComPtr.h"
#include "platform/owl/window/Window.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/manager/TableViewManager.h"
#include "views/loop/LoopView.h"
#include "views/cuvette/CuvetteView.h"
#include "views/plots/RegressionPlots.h"
#include "views/saline/SalineCalGraphView.h"
#include "views/workflow/WorkflowView.h"

namespace Sistra
{

// The graph views' own menu command: copying the regression, under the host's Edit menu.
HRESULT AddCopyRegressionCommand(ViewCommandRegistration& record);


} // namespace Sistra
