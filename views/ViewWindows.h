// The module's nine view windows: the regression plots draw their graphs; the views not built yet are
// plain windows titled with their view's name.
#pragma once

#include "VyrViews.h"
#include "hostframework/messaging/EventHandlers.h"
#include "hostframework/views/DocViewClass.h"
#include "foundation/com/ComPtr.h"
#include "platform/owl/window/Window.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/manager/TableViewManager.h"
#include "views/plots/RegressionPlots.h"

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

class SistraDocument;
class SistraHemodynamicsTableViewData;

// The hemodynamics table: the document's table data shown through the document's table-view manager,
// filling the view. The manager's table window lives from SetupWindow to CleanupWindow.
class SistraHemodynamicsTableView final : public PlainViewWindow, public ITableUserActionHandler
{
public:
    // The table's options: row selection, column moves, row and column titles in copies and printouts,
    // the follow-latest toggle; the summary pane is left out.
    static constexpr ULONG TableStyle = 0x278;

    SistraHemodynamicsTableView(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view,
                                IUnknown* document, OWL::TModule* module, IDocView2* hostView);
    ~SistraHemodynamicsTableView() override;

    DECLARE_RESPONSE_TABLE(SistraHemodynamicsTableView);

    // The framework tells the view of the user's actions on the table; the view keeps them to itself.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnSelectionChanged(ULONG, const TableView::SelectedColumn*, ULONG) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnCellClicked(ULONG, int, ULONG) override { return S_OK; }
    // The table's values are the analysis's: they are not edited.
    HRESULT STDMETHODCALLTYPE OnCellEdited(ULONG, int, ULONG, const Orv::String&) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE OnListItemChosen(ULONG, ULONG, int, ULONG, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFollowLatestChanged(ULONG, VARIANT_BOOL) override { return S_OK; }

protected:
    void SetupWindow() override;
    void CleanupWindow() override;
    void EvSize(UINT sizeType, const OWL::TSize& size);

private:
    // The table window goes before this window, however this window is closed.
    void CloseTable();
    void PlaceTable(int width, int height);

    SistraDocument* m_document;
    Orv::ComPtr<IMessageHandler> m_hostView;
    // Held while the table is shown: the table outlives neither, even when the document goes first.
    Orv::ComPtr<ITableViewManager> m_manager;
    Orv::ComPtr<SistraHemodynamicsTableViewData> m_data;
};
class SistraAnalysisGraphView final : public PlainViewWindow
{
    using PlainViewWindow::PlainViewWindow;
};
class SistraSalineCalGraphView final : public PlainViewWindow
{
    using PlainViewWindow::PlainViewWindow;
};
class CuvetteView final : public PlainViewWindow
{
    using PlainViewWindow::PlainViewWindow;
};
class WorkflowView final : public PlainViewWindow
{
    using PlainViewWindow::PlainViewWindow;
};

} // namespace Sistra
