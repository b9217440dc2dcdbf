#include "tableview/window/TableView.h"

#include "tableview/manager/TableViewManager.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/com/XOrv.h"
#include "foundation/text/LocaleInfo.h"
#include "tableview/grid/GridPane.h"
#include "tableview/grid/RowNumbersPane.h"
#include "tableview/print/PrintedTableGrid.h"
#include "tableview/transfer/HostCopyProgress.h"
#include "tableview/transfer/ResultsSheetAccess.h"
#include "tableview/transfer/TableClipboard.h"

#include "hostapi/HostChannelCalc.h"
#include "hostapi/HostDocument.h"
#include "hostapi/VyrDocuments.h"
#include "hostapi/VyrPrintout.h"
#include "hostapi/VyrServices.h"
#include "hostframework/messaging/MessageIds.h"
#include "hostframework/printing/Printout.h"
#include "hostframework/services/HostServices.h"

#include <algorithm>
#include <sstream>
#include <vector>

namespace TableView
{

namespace
{

constexpr int WheelNotch = 120;
constexpr ULONG PrintFirstFormFlags = 1;
constexpr int EmptyTableColumnWidth = 100;
constexpr int RowOrigin = TVF_Grid::GridControl::RowOrigin;
constexpr int ColumnOrigin = TVF_Grid::GridControl::ColumnOrigin;
// The host document's event that asks its views to show themselves again.
constexpr USHORT DocumentRefreshesViews = 4;

} // namespace

DEFINE_RESPONSE_TABLE1(TVF_TableView, OWL::TWindow)
    EV_WM_SIZE,
    EV_WM_ERASEBKGND,
    EV_WM_MOUSEWHEEL,
END_RESPONSE_TABLE;

TableViewParent::TableViewParent(HWND parent) : window(OWL::TWindow::FromHandle(parent))
{
    if (!window)
    {
        alias = std::make_unique<OWL::TWindow>(parent);
        window = alias.get();
    }
}

TVF_TableView::TVF_TableView(HWND parent, ITableViewMgrInternal* manager, IUnknown* frameServices,
                             IMessageHandler* clientHandler)
    : TableViewParent(parent),
      OWL::TWindow(TableViewParent::window, L""),
      m_mainGrid(new TVF_Grid::EventGridControl(this)),
      m_secondGrid(new TVF_Grid::EventGridControl(this)),
      m_manager(manager),
      m_frameServices(frameServices),
      m_clientHandler(clientHandler)
{
    Attr.Style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    for (TVF_Grid::EventGridControl* grid : {m_mainGrid, m_secondGrid})
        grid->Options().tableViewGrid = true;
    if (!Create())
        throw XOrv(E_FAIL);
    if (m_clientHandler)
        m_clientHandler->AddHandler(&m_messages);
    Orv::ComPtr<ISubject> subject;
    if (m_frameServices && SUCCEEDED(m_frameServices->QueryInterface(IID_ISubject, subject.PutVoid())) && subject &&
        SUCCEEDED(subject->AddObserver(&m_observer)))
        m_documentSubject = subject.Get();
    if (IHostApplication* host = HostAppAccessor::Get())
        m_hooked = SUCCEEDED(host->AddLoopHooks(&m_loopHooks));
}

HRESULT STDMETHODCALLTYPE TVF_TableView::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<ISubject*>(this), iid, object, IID_ISubject);
}

bool TVF_TableView::PreProcessMsg(MSG& msg)
{
    if (OWL::TWindow::PreProcessMsg(msg))
        return true;
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)
    {
        if (::GetKeyState(VK_CONTROL) & 0x8000)
            return false;
        return m_mainGrid->PreProcessKey(msg);
    }
    return ::IsDialogMessageW(GetHandle(), &msg) != FALSE;
}

// Only the keys of the table's own windows; an editor open in a cell keeps its characters.
BOOL STDMETHODCALLTYPE TVF_TableView::LoopHooks::PreTranslate(MSG* message)
{
    if (!message || !m_view.GetHandle() || !message->hwnd ||
        (message->hwnd != m_view.GetHandle() && !::IsChild(m_view.GetHandle(), message->hwnd)))
        return FALSE;
    if (message->message != WM_KEYDOWN && message->message != WM_KEYUP)
        return FALSE;
    bool taken = false;
    Orv::CatchReturn([&] { taken = m_view.PreProcessMsg(*message); });
    return taken;
}

TVF_TableView::~TVF_TableView()
{
    Cleanup();
    // The renderers go before the grids, which the window's base deletes: the grids draw themselves.
    for (TVF_Grid::EventGridControl* grid : {m_mainGrid, m_secondGrid})
        grid->Pane().SetRenderer(grid);
}

HRESULT STDMETHODCALLTYPE TVF_TableView::GridObserver::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IObserver*>(this), iid, object, IID_IObserver);
}

HRESULT STDMETHODCALLTYPE TVF_TableView::GridObserver::RegisterEvents(ISubject* subject)
{
    return subject ? subject->AddObserver(this) : E_POINTER;
}

HRESULT STDMETHODCALLTYPE TVF_TableView::GridObserver::Notify(ISubject* subject, ULONG eventId, ULONG_PTR, void* data)
{
    return Orv::CatchReturn([&] { m_view.OnGridEvent(subject, eventId, data); });
}

HRESULT STDMETHODCALLTYPE TVF_TableView::ViewMessages::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IMessageHandler*>(this), iid, object, IID_IMessageHandler);
}

HRESULT STDMETHODCALLTYPE TVF_TableView::ViewMessages::HandleMessage(IMessage* message)
{
    ULONG id = 0;
    if (!message || FAILED(message->GetId(&id)))
        return VyrMessageHandler::HandleMessage(message);
    switch (id)
    {
    case CopyMessageId:
        Orv::CatchReturn([&] { m_view.CopyToClipboard(); });
        return 1;
    case PrintMessageId:
    case PrintSecondFormMessageId:
        Orv::CatchReturn([&] { m_view.Print(id == PrintSecondFormMessageId); });
        return 1;
    default:
        return VyrMessageHandler::HandleMessage(message);
    }
}

HRESULT TVF_TableView::Setup(ULONG style, IUnknown* frameServices, ITableDataManager* data,
                             ITableStoredRowInfo* rowInfo, ITableUserActionHandler* actions, IListGenerator* lists)
{
    m_frameServices = frameServices;
    m_data = data;
    m_rowInfo = rowInfo;
    ReadIndexedNames();
    m_mainGrid->SetClient(data, rowInfo, actions, lists, MainGridWord);
    m_secondGrid->SetClient(data, rowInfo, actions, lists, SecondGridWord);
    m_mainRenderer = std::make_unique<TableRenderer>(*m_mainGrid);
    m_secondRenderer = std::make_unique<TableRenderer>(*m_secondGrid);
    m_mainRenderer->Attach(data, rowInfo, MainGridWord);
    m_secondRenderer->Attach(data, rowInfo, SecondGridWord);
    m_mainRenderer->SetChannelNames(&m_mainGrid->IndexedNames());
    m_secondRenderer->SetChannelNames(&m_secondGrid->IndexedNames());
    m_mainGrid->Pane().SetRenderer(m_mainRenderer.get());
    m_secondGrid->Pane().SetRenderer(m_secondRenderer.get());
    for (TVF_Grid::EventGridControl* grid : {m_mainGrid, m_secondGrid})
        if (!m_observing)
            grid->AddObserver(&m_observer);
    m_observing = true;
    SetStyle(style);
    m_mainGrid->ResetSelection((style & TableStyle::RowSelection) != 0);
    m_secondGrid->ResetSelection((style & TableStyle::RowSelection) != 0);
    return S_OK;
}

void TVF_TableView::Cleanup()
{
    if (m_documentSubject)
        m_documentSubject->RemoveObserver(&m_observer);
    m_documentSubject = nullptr;
    if (m_hooked)
        if (IHostApplication* host = HostAppAccessor::Get())
            host->RemoveLoopHooks(&m_loopHooks);
    m_hooked = false;
    if (m_observing)
        for (TVF_Grid::EventGridControl* grid : {m_mainGrid, m_secondGrid})
            grid->RemoveObserver(&m_observer);
    m_observing = false;
    if (m_clientHandler)
        m_clientHandler->RemoveHandler(&m_messages);
    m_clientHandler = nullptr;
}

HRESULT TVF_TableView::Layout(const ViewOptions& options)
{
    MoveWindow(OWL::TRect(options.x, options.y, options.x + options.width, options.y + options.height), false);
    for (TVF_Grid::EventGridControl* grid : {m_mainGrid, m_secondGrid})
        if (grid->RowNumbersWidth() == 0)
            grid->SetRowNumbersWidth(options.rowHeaderWidth);
    m_defaultColumnWidth = options.defaultColumnWidth;
    m_secondGridHeight = options.secondGridHeight;
    LayoutGrids();
    ULONG count = 0;
    if (m_data)
        m_data->GetColumnCount(MainGridWord, &count);
    return Refresh(count);
}

void TVF_TableView::LayoutGrids()
{
    if (!GetHandle())
        return;
    const OWL::TRect client = GetClientRect();
    m_mainGrid->Options().horizontalBarAllowed = !m_hasSecondGrid && !(m_style & TableStyle::NoHorizontalBar);
    // However low the table, the main grid keeps its titles and a row: the second grid, which only sums
    // the rows, gives up its height first and scrolls.
    const int second =
        m_hasSecondGrid ? std::clamp(client.Height() - m_mainGrid->LeastHeight(), 0, m_secondGridHeight) : 0;
    // Above the second grid the main grid ends on a whole row: a row cut in half there reads as a row the
    // second grid hides. The second grid takes the pixels left over, under its last row.
    const int mainHeight = m_hasSecondGrid ? m_mainGrid->HeightEndingOnWholeRow(client.Height() - second)
                                           : client.Height();
    m_mainGrid->MoveWindow(OWL::TRect(0, 0, client.Width(), mainHeight), true);
    m_secondGrid->ShowWindow(m_hasSecondGrid ? SW_SHOW : SW_HIDE);
    if (m_hasSecondGrid)
        m_secondGrid->MoveWindow(OWL::TRect(0, mainHeight, client.Width(), client.Height()), true);
}

HRESULT TVF_TableView::Refresh(ULONG columnCount)
{
    const bool shrinking = static_cast<ULONG>(m_mainGrid->ColumnCount() + ColumnOrigin) > columnCount;
    for (TVF_Grid::EventGridControl* grid : {m_mainGrid, m_secondGrid})
    {
        const int firstColumn = grid->Pane().FirstColumn();
        RebuildColumns(*grid, columnCount);
        // A shrinking table starts again at its first column; a growing one stays where the user was.
        const int left = shrinking ? 0 : std::min(firstColumn, std::max(grid->ColumnCount() - 1, 0));
        grid->ScrollToColumn({left + ColumnOrigin, ColumnOrigin});
        grid->RepaintAll();
    }
    return S_OK;
}

void TVF_TableView::RebuildColumns(TVF_Grid::EventGridControl& grid, ULONG columnCount)
{
    TVF_Grid::GridPane& pane = grid.Pane();
    pane.RemoveAllColumns();
    const ULONG gridWord = &grid == m_mainGrid ? MainGridWord : SecondGridWord;
    // Before Setup there is no renderer, and no client to name the columns.
    const TableRenderer* renderer = (&grid == m_mainGrid ? m_mainRenderer : m_secondRenderer).get();
    for (ULONG column = ColumnOrigin; column < columnCount; ++column)
    {
        int width = m_defaultColumnWidth;
        if (m_manager)
            m_manager->GetColumnWidth(0, column, &width);
        const int index = static_cast<int>(column) - ColumnOrigin;
        const Orv::String title = renderer ? renderer->ColumnTitle(index) : Orv::String();
        pane.AddColumn(std::make_unique<TVF_Grid::UniformGridColumn>(index, title, width, grid.CellFont()));
    }
    // A grid is never without a column.
    if (pane.ColumnCount() == 0)
        pane.AddColumn(
            std::make_unique<TVF_Grid::UniformGridColumn>(0, Orv::String(), EmptyTableColumnWidth, grid.CellFont()));
    // The rows are the positions the renderer's record-data map finds; before Setup, the client's count.
    ULONG rows = 0;
    if (renderer)
        rows = static_cast<ULONG>(renderer->DataRowCount() + RowOrigin);
    else if (m_rowInfo)
        m_rowInfo->GetRowCount(gridWord, &rows);
    grid.SetRowCount(static_cast<int>(rows), RowOrigin);
    if (grid.GetHandle())
        grid.LayoutChildren();
}

void TVF_TableView::ApplyStyleTo(TVF_Grid::EventGridControl& grid)
{
    TVF_Grid::GridOptions& options = grid.Options();
    options.editing = (m_style & TableStyle::Editing) != 0;
    options.rowSelection = (m_style & TableStyle::RowSelection) != 0;
    options.columnMoving = (m_style & TableStyle::ColumnMoves) != 0;
    options.horizontalBarAllowed = !(m_style & TableStyle::NoHorizontalBar);
}

void TVF_TableView::SetStyle(ULONG style)
{
    m_style = style;
    m_hasSecondGrid = (style & TableStyle::SecondGrid) != 0;
    m_includeRowTitles = (style & TableStyle::RowTitles) != 0;
    m_includeColumnTitles = (style & TableStyle::ColumnTitles) != 0;
    m_printWholeTables = (style & TableStyle::PrintWholeTables) != 0;
    ApplyStyleTo(*m_mainGrid);
    ApplyStyleTo(*m_secondGrid);
    // The snap gadget, once asked for, stays.
    if (style & TableStyle::SnapGadget)
        m_mainGrid->ShowSnapGadgets();
    if (!m_hasSecondGrid)
        m_secondGrid->Selection().Clear();
    LayoutGrids();
}

TVF_Grid::EventGridControl& TVF_TableView::GridOf(ULONG gridWord) const
{
    return (gridWord & SecondGridWord) ? *m_secondGrid : *m_mainGrid;
}

void TVF_TableView::RefreshCell(int row, ULONG displayColumn)
{
    for (TVF_Grid::EventGridControl* grid : {m_mainGrid, m_secondGrid})
        if ((grid == m_mainGrid || m_hasSecondGrid) && row >= RowOrigin && displayColumn >= ColumnOrigin)
            grid->Pane().InvalidateCell(row - RowOrigin, static_cast<int>(displayColumn) - ColumnOrigin);
}

void TVF_TableView::SelectRows(ULONG gridWord, int firstRow, int endRow)
{
    const bool second = (gridWord & SecondGridWord) != 0;
    if (second && !m_hasSecondGrid)
        return;
    TVF_Grid::EventGridControl& grid = GridOf(gridWord);
    if (endRow <= RowOrigin || firstRow >= endRow)
    {
        grid.Selection().Clear();
        return;
    }
    SelectAndReport(grid, TVF_Grid::CellRange::Cells(firstRow, endRow, ColumnOrigin, grid.ColumnCount() + ColumnOrigin));
}

// A changed range reports itself as it is stored; an unchanged one is reported here, so the client
// hears of every request exactly once.
void TVF_TableView::SelectAndReport(TVF_Grid::EventGridControl& grid, const TVF_Grid::CellRange& range)
{
    const bool reported = grid.Selection().SetRange(range);
    grid.ScrollRowIntoView({range.firstRow.index, RowOrigin});
    if (!reported)
        grid.Selection().NotifyAndRepaint();
}

void TVF_TableView::SelectCells(ULONG gridWord, ULONG displayColumn, int firstRow, int endRow)
{
    TVF_Grid::EventGridControl& grid = GridOf(gridWord);
    const int column = static_cast<int>(displayColumn);
    if (endRow - firstRow >= 1)
    {
        SelectAndReport(grid, TVF_Grid::CellRange::Cells(firstRow, endRow, column, column + 1));
    }
    else
    {
        grid.Selection().Clear();
    }
    grid.ScrollToColumn({column, ColumnOrigin});
}

void TVF_TableView::EnsureRowVisible(ULONG gridWord, int row)
{
    TVF_Grid::EventGridControl& grid = GridOf(gridWord);
    if (row >= 0 && row < grid.RowCount())
        grid.ScrollToRow({row + RowOrigin, RowOrigin});
    else
        grid.ScrollToBottom();
}

void TVF_TableView::SetFollowLatest(bool follow)
{
    m_mainGrid->SetFollowLatest(follow);
}

CopySource TVF_TableView::CopySourceOf(TVF_Grid::EventGridControl& grid, ULONG gridWord) const
{
    return {m_data, m_rowInfo, gridWord, RowOrigin, ColumnOrigin, &grid.IndexedNames(), &grid.Selection()};
}

std::wstring TVF_TableView::TableText(const Orv::String& separator)
{
    TableCopier mainCopier(CopySourceOf(*m_mainGrid, MainGridWord));
    TableCopier secondCopier(CopySourceOf(*m_secondGrid, SecondGridWord));
    const auto progress = HostCopyProgress::Create(UiServices().Get());
    return BuildTableText({&mainCopier, &m_mainGrid->Selection()},
                          {m_hasSecondGrid ? &secondCopier : nullptr, &m_secondGrid->Selection()}, Options(),
                          separator, progress.get());
}

void TVF_TableView::CopyToClipboard()
{
    CopyTextToClipboard(GetHandle(), TableText(Orv::String(L"\t")));
}

HRESULT TVF_TableView::AddToTallion()
{
    const Orv::ComPtr<ITallionSheet> sheet = FindResultsSheet(UiServices().Get());
    if (!sheet)
        return E_NO_RESULTS_SHEET;
    TableCopier mainCopier(CopySourceOf(*m_mainGrid, MainGridWord));
    TableCopier secondCopier(CopySourceOf(*m_secondGrid, SecondGridWord));
    const auto progress = HostCopyProgress::Create(UiServices().Get());
    return AddTableToSheet(*sheet.Get(), {&mainCopier, &m_mainGrid->Selection()},
                           {m_hasSecondGrid ? &secondCopier : nullptr, &m_secondGrid->Selection()}, Options(),
                           progress.get());
}

Orv::String TVF_TableView::PrintTitle() const
{
    Orv::String table;
    if (m_data)
        m_data->GetTitle(MainGridWord, &table);
    return PrintoutTitle(m_frameServices, table);
}

void TVF_TableView::Print(bool secondForm)
{
    IHostApplication* application = HostAppAccessor::Get();
    Orv::ComPtr<IHostPrintService> service;
    if (!application || FAILED(application->GetPrintService(service.Put())) || !service)
        return;
    struct PrintedPart
    {
        TVF_Grid::EventGridControl* grid;
        TableRenderer* renderer;
        ULONG gridWord;
    };
    std::vector<PrintedPart> parts{{m_mainGrid, m_mainRenderer.get(), MainGridWord}};
    if (m_hasSecondGrid)
        parts.push_back({m_secondGrid, m_secondRenderer.get(), SecondGridWord});
    if (!m_printWholeTables &&
        std::any_of(parts.begin(), parts.end(), [](const PrintedPart& part) { return part.grid->Selection().IsValid(); }))
        std::erase_if(parts, [](const PrintedPart& part) { return !part.grid->Selection().IsValid(); });
    const Orv::String title = PrintTitle();
    for (const PrintedPart& part : parts)
    {
        if (!part.renderer)
            continue;
        // The host prints before it returns: the grid's view lives as long as the printout is used.
        PrintedTableGrid printed(*part.grid, *part.renderer, m_printWholeTables);
        Orv::ComPtr<TVF_Grid::GridPrintout> printout(new TVF_Grid::GridPrintout(
            nullptr, m_data, part.gridWord, printed, title, m_includeRowTitles, m_includeColumnTitles));
        if (secondForm)
            service->PrintSecondForm(printout.Get());
        else
            service->Print(printout.Get(), PrintFirstFormFlags);
    }
}

HRESULT TVF_TableView::ExportCsv(const wchar_t* fileName)
{
    return TableView::ExportCsv(GetHandle(), fileName, LocaleInfo::GetListSeparator(),
                                [&](const Orv::String& separator) { return TableText(separator); });
}

void TVF_TableView::OnGridEvent(ISubject* subject, ULONG eventId, void* data)
{
    if (subject != static_cast<ISubject*>(m_mainGrid) && subject != static_cast<ISubject*>(m_secondGrid))
    {
        OnDocumentEvent(eventId);
        return;
    }
    switch (eventId)
    {
    case TVF_Grid::GridEvent::LeftColumnChanged:
    {
        // The grids scroll together so that their columns stay aligned.
        const int column = *static_cast<const int*>(data);
        for (TVF_Grid::EventGridControl* grid : {m_mainGrid, m_secondGrid})
            if (static_cast<ISubject*>(grid) != subject && (grid == m_mainGrid || m_hasSecondGrid))
                grid->ScrollToColumn({column, ColumnOrigin});
        break;
    }
    case TVF_Grid::GridEvent::ColumnWidthChanged:
    {
        Notify(eventId, data);
        const auto& change = *static_cast<const TVF_Grid::ColumnWidthChange*>(data);
        m_manager->SetColumnWidth(0, static_cast<ULONG>(change.column), change.width);
        Refresh(static_cast<ULONG>(m_mainGrid->ColumnCount() + ColumnOrigin));
        break;
    }
    case TVF_Grid::GridEvent::ColumnNotify:
        Notify(eventId, data);
        if (m_style & TableStyle::ColumnMoves)
        {
            const auto& move = *static_cast<const TVF_Grid::ColumnPair*>(data);
            m_manager->MoveColumn(0, static_cast<ULONG>(move.a), static_cast<ULONG>(move.b));
            Refresh(static_cast<ULONG>(m_mainGrid->ColumnCount() + ColumnOrigin));
        }
        break;
    case TVF_Grid::GridEvent::GridClicked:
        m_mainGrid->Selection().Clear();
        m_secondGrid->Selection().Clear();
        break;
    default:
        break;
    }
}

void TVF_TableView::OnDocumentEvent(ULONG eventId)
{
    ULONG refresh = 0;
    if (MsgIdClass<&HostDocEventGUID, DocumentRefreshesViews>::TryGetId(&refresh) && eventId == refresh)
    {
        ReadIndexedNames();
        RepaintGrids();
    }
}

// A document frame hands out its UI services; a client may also hand the table those services directly.
Orv::ComPtr<IUnknown> TVF_TableView::UiServices() const
{
    Orv::ComPtr<IVyrDocumentFrame> frame;
    Orv::ComPtr<IUnknown> services;
    if (m_frameServices && SUCCEEDED(m_frameServices->QueryInterface(IID_IVyrDocumentFrame, frame.PutVoid())) &&
        frame && SUCCEEDED(frame->GetFrameServices(services.Put())) && services)
        return services;
    return Orv::ComPtr<IUnknown>(m_frameServices);
}

void TVF_TableView::ReadIndexedNames()
{
    Orv::ComPtr<IUnknown> document;
    if (m_frameServices)
        m_frameServices->QueryInterface(IID_IUnknown, document.PutVoid());
    m_indexedNames = BuildIndexedNameMap(document.Get());
    m_mainGrid->SetIndexedNames(m_indexedNames);
    m_secondGrid->SetIndexedNames(m_indexedNames);
}

void TVF_TableView::RepaintGrids()
{
    for (TVF_Grid::EventGridControl* grid : {m_mainGrid, m_secondGrid})
        if (grid->GetHandle())
            ::RedrawWindow(grid->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

ChannelNames BuildIndexedNameMap(IUnknown* hostDocument)
{
    ChannelNames names;
    Orv::ComPtr<IHostChannelCounts> counts;
    Orv::ComPtr<IHostChannelDescriptions> descriptions;
    int32_t count = 0;
    if (!hostDocument || FAILED(hostDocument->QueryInterface(IID_IHostChannelCounts, counts.PutVoid())) ||
        FAILED(hostDocument->QueryInterface(IID_IHostChannelDescriptions, descriptions.PutVoid())) ||
        FAILED(counts->GetAllChannelCount(&count)))
        return names;
    for (int32_t channel = 0; channel < count; ++channel)
    {
        BSTR title = nullptr;
        if (descriptions->GetChannelTitle(channel, &title) == S_OK && title)
            names[static_cast<unsigned>(channel) + 1] = Orv::String(title);
        SysFreeString(title);
    }
    return names;
}

void TVF_TableView::EvSize(UINT sizeType, const OWL::TSize& size)
{
    OWL::TWindow::EvSize(sizeType, size);
    LayoutGrids();
}

bool TVF_TableView::EvMouseWheel(UINT, int delta, const OWL::TPoint&)
{
    // One notch is one row; less than a notch does not scroll.
    m_mainGrid->ScrollRows(-(delta / WheelNotch));
    return true;
}

} // namespace TableView

HRESULT CreateTableViewMgr(ITableViewManager** holder)
{
    if (!holder)
        return E_POINTER;
    *holder = nullptr;
    return Orv::CatchReturn([&] {
        auto* manager = new TableView::TVF_TableViewMgr(
            [](HWND parent, ITableViewMgrInternal* internal, IUnknown* frameServices, IMessageHandler* clientHandler) {
                return std::make_unique<TableView::TVF_TableView>(parent, internal, frameServices, clientHandler);
            });
        manager->AddRef();
        *holder = manager;
    });
}
