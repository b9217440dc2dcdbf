#include "views/ViewWindows.h"

#include "VyrMessaging.h"
#include "document/core/SistraDocument.h"
#include "foundation/com/ComFace.h"
#include "tableview/manager/TableViewManager.h"

namespace Sistra
{

namespace
{

constexpr int RowHeaderWidth = 60;
constexpr int DefaultColumnWidth = 100;
constexpr int SummaryHeight = 100;

} // namespace

DEFINE_RESPONSE_TABLE1(SistraHemodynamicsTableView, PlainViewWindow)
    EV_WM_SIZE,
END_RESPONSE_TABLE;

SistraHemodynamicsTableView::SistraHemodynamicsTableView(OWL::TWindow* parent, IDocViewClass* viewClass,
                                                         IDocView2* view, IUnknown* document, OWL::TModule* module,
                                                         IDocView2* hostView)
    : PlainViewWindow(parent, viewClass, view, document, module, hostView), m_document(ModuleDocumentOf(document))
{
    // The host's copy and print reach the table through the host's view.
    if (hostView)
        hostView->QueryInterface(IID_IMessageHandler, m_hostView.PutVoid());
}

SistraHemodynamicsTableView::~SistraHemodynamicsTableView()
{
    CloseTable();
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableView::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<ITableUserActionHandler*>(this), iid, object, IID_ITableUserActionHandler);
}

void SistraHemodynamicsTableView::SetupWindow()
{
    if (m_document)
    {
        m_manager = Orv::ComPtr<ITableViewManager>(m_document->GetTableViewManager());
        m_data = m_document->GetTableViewData();
    }
    if (m_manager && m_data)
    {
        m_manager->CreateTableView(TableStyle, GetHandle(), m_document->GetFrameServices(), m_hostView.Get(),
                                   m_data.Get(), m_data.Get(), this, nullptr);
        const OWL::TRect client = GetClientRect();
        PlaceTable(client.Width(), client.Height());
    }
    PlainViewWindow::SetupWindow();
}

void SistraHemodynamicsTableView::CleanupWindow()
{
    CloseTable();
    PlainViewWindow::CleanupWindow();
}

void SistraHemodynamicsTableView::CloseTable()
{
    if (m_manager)
        m_manager->DestroyTableView(0);
    m_manager = nullptr;
    m_data = nullptr;
}

void SistraHemodynamicsTableView::PlaceTable(int width, int height)
{
    if (!m_manager)
        return;
    // A minimised view passes zeros, which the manager leaves its column state alone for.
    if (width == 0 && height == 0)
        m_manager->SetViewOptions(0, 0, 0, 0, 0, 0, 0, 0);
    else
        m_manager->SetViewOptions(0, 0, 0, width, height, RowHeaderWidth, DefaultColumnWidth, SummaryHeight);
}

void SistraHemodynamicsTableView::EvSize(UINT sizeType, const OWL::TSize& size)
{
    PlainViewWindow::EvSize(sizeType, size);
    PlaceTable(size.cx, size.cy);
}

} // namespace Sistra
