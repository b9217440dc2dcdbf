#include "views/HemodynamicsTableView.h"

#include "hostapi/VyrMessaging.h"
#include "controls/buttons/BmpTxtButton.h"
#include "dialogs/table/TableViewOptionsDialog.h"
#include "document/core/SistraDocument.h"
#include "document/models/ModelFactory.h"
#include "foundation/com/ComFace.h"
#include "foundation/system/ModalMessage.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostHelp.h"
#include "hostframework/services/HostMessageBox.h"
#include "hostframework/services/HostProgress.h"
#include "platform/owl/controls/Control.h"
#include "platform/owl/gdi/DC.h"
#include "resources/ResourceIds.h"
#include "tableview/dialogs/SigFigDialog.h"
#include "tableview/manager/TableViewManager.h"
#include "views/HemodynamicsTableExport.h"
#include "views/base/ViewHelpers.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace Sistra
{

namespace
{

using TableView::MainGridWord;
using TableView::SecondGridWord;

// The table's placement: the row-title width, the default column width and the summary pane's height.
constexpr int RowHeaderWidth = 60;
constexpr int DefaultColumnWidth = 100;
constexpr int SummaryHeight = 100;

// The buttons' row: its distance from the bottom, their height, the height of a further row above it
// where the view is too narrow for them on one, and each button's left edge and width.
constexpr int ButtonRowFromBottom = 31;
constexpr int ButtonHeight = 23;
constexpr int ButtonRowStep = ButtonHeight + 4;
struct ButtonPlace
{
    int id;
    int left;
    int width;
    int rowsAbove = 0; // of the bottom row
};
constexpr ButtonPlace ButtonPlaces[] = {
    {SistraHemodynamicsTableView::HelpButtonId, 8, 30},
    {SistraHemodynamicsTableView::ExportButtonId, 44, 75},
    {SistraHemodynamicsTableView::OptionsButtonId, 125, 75},
    {SistraHemodynamicsTableView::TallionButtonId, 206, 112},
};

// The change bits after which the table shows the loop the other views show.
constexpr uint32_t SelectionChanges = ChangeState::SelectedLoopChanged | ChangeState::SelectionFollowsHost;
// The message that tells the document which loop the table selected travels with this flag.
constexpr ULONG TableSelectionFlags = 1;
constexpr int TitleRow = 0;
constexpr int LastRow = -1;
constexpr int32_t TableViewNumber = 0;

const HostSaveFileRequest ExportDialog{
    L"Export Sistra Table View Data",
    L"Sistra Table View Text File (*.txt)\0*.txt\0CSV (Comma delimited) (*.csv)\0*.csv\0", 1, nullptr, L"txt",
    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT};

// The view's title, loaded once per process.
const Orv::String& ViewTitle()
{
    static const Orv::String title(Orv::ThisModule(), IDS_VIEW_HEMODYNAMICS_TABLE, true);
    return title;
}

// The text buttons of every table view share one font, made when the first view is set up.
HFONT ButtonFont()
{
    static const OWL::TFont font(L"Tahoma", 13);
    return font.GetHandle();
}

// The buttons in a view width wide whose right room is kept free: one row where they fit; else a button
// that would reach into the right room starts a new row below the buttons before it, so that none is cut.
// The buttons keep their widths and the gaps between them.
std::vector<ButtonPlace> ButtonRows(int width, int rightRoom)
{
    std::vector<ButtonPlace> places(std::begin(ButtonPlaces), std::end(ButtonPlaces));
    const int firstLeft = places.front().left;
    int shift = 0, rows = 0;
    for (size_t i = 1; i < places.size(); ++i)
    {
        places[i].left -= shift;
        if (places[i].left + places[i].width + rightRoom > width)
        {
            shift += places[i].left - firstLeft;
            places[i].left = firstLeft;
            ++rows;
        }
        places[i].rowsAbove = rows;
    }
    for (ButtonPlace& place : places)
        place.rowsAbove = rows - place.rowsAbove;
    return places;
}

bool IsEmptyReport(const TableView::SelectedColumn* cells, ULONG count)
{
    for (ULONG i = 0; i < count; ++i)
        if (cells[i].endRow > cells[i].firstRow)
            return false;
    return true;
}

} // namespace

std::optional<int> SingleSelectedLoopRow(const TableView::SelectedColumn* cells, ULONG count)
{
    if (!cells || count == 0)
        return std::nullopt;
    const int row = cells[0].firstRow;
    for (ULONG i = 0; i < count; ++i)
        if (cells[i].firstRow != row || cells[i].endRow != row + 1)
            return std::nullopt;
    if (row <= TitleRow)
        return std::nullopt;
    return row;
}

void ApplyColumnFormat(SistraHemodynamicsTableViewData& data, int32_t parameter, const ColumnFormatChoice& choice)
{
    if (!choice.applyToAll)
    {
        data.GetRowFormat(parameter).digits = choice.digits;
        return;
    }
    ULONG columns = 0;
    data.GetColumnCount(0, &columns);
    for (ULONG column = 0; column < columns; ++column)
        data.GetRowFormat(data.ParameterOfColumn(column));
    data.SetAllRowDigits(choice.digits);
}

DEFINE_RESPONSE_TABLE1(SistraHemodynamicsTableView, SistraViewBase)
    EV_WM_SIZE,
    EV_WM_GETMINMAXINFO,
    EV_COMMAND(ExportButtonId, ExportTable),
    EV_COMMAND(OptionsButtonId, ShowOptions),
    EV_COMMAND(TallionButtonId, AddToTallion),
    EV_COMMAND(HelpButtonId, ShowHelp),
END_RESPONSE_TABLE;

VYR_DEFINE_EVENT_MAP(SistraHemodynamicsTableView, SistraViewBase){
    VyrEventMap::Header(),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &ConstantId<0x80080002>,
                         &DispatchPopupInit<SistraHemodynamicsTableView,
                                            &SistraHemodynamicsTableView::AnswerPreferredSize>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &ConstantId<0x80170008>,
                         &DispatchCommandEnable<SistraHemodynamicsTableView, &SistraHemodynamicsTableView::EnableAlways>),
    VyrEventMap::Observer(&MsgIdClass<&HostDocEventGUID, 5>::GetId,
                          &CallMemberNoArgs<SistraHemodynamicsTableView, &SistraHemodynamicsTableView::OnHostRefresh>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &ConstantId<0x8001000E>,
                         &CallMemberNoArgs<SistraHemodynamicsTableView, &SistraHemodynamicsTableView::SelectAll>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &ConstantId<0x80010008>,
                         &CallMemberNoArgs<SistraHemodynamicsTableView, &SistraHemodynamicsTableView::AnswerHandled>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &ConstantId<0x8001000B>,
                         &CallMemberNoArgs<SistraHemodynamicsTableView, &SistraHemodynamicsTableView::AnswerHandled>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &ConstantId<0x8001000C>,
                         &CallMemberNoArgs<SistraHemodynamicsTableView, &SistraHemodynamicsTableView::AnswerHandled>),
    VyrEventMap::End(),
};

SistraHemodynamicsTableView::SistraHemodynamicsTableView(OWL::TWindow* parent, IDocViewClass* viewClass,
                                                         IDocView2* view, IUnknown* document, OWL::TModule* module,
                                                         IDocView2* hostView)
    : SistraViewBase(ViewCreation{parent, viewClass, view, document, module, hostView}, ViewTitle(), TableViewNumber,
                     ModelKind::HemoTable)
{
    // The host's copy and print reach the table through the host's view.
    if (hostView)
        hostView->QueryInterface(IID_IMessageHandler, m_hostView.PutVoid());
    CreateButtons();
}

SistraHemodynamicsTableView::~SistraHemodynamicsTableView()
{
    CloseTable();
}

void SistraHemodynamicsTableView::CreateButtons()
{
    static const Orv::String helpText(Orv::ThisModule(), IDS_TABLE_VIEW_HELP, true);
    m_helpButton = new OrvControls::TBmpTxtButton(this, HelpButtonId, L"", 0, 0, 0, 0, helpText);
    m_exportButton = new OWL::TButton(this, ExportButtonId, L"Export...", 0, 0, 0, 0);
    m_optionsButton = new OWL::TButton(this, OptionsButtonId, L"Options...", 0, 0, 0, 0);
    m_tallionButton = new OWL::TButton(this, TallionButtonId, L"Add to Tallion", 0, 0, 0, 0);
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableView::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<ITableUserActionHandler*>(this), iid, object, IID_ITableUserActionHandler);
}

const wchar_t* SistraHemodynamicsTableView::GetClassName()
{
    return L"SistraHemodynamicsTableViewClass";
}

void SistraHemodynamicsTableView::GetWindowClass(WNDCLASSEXW& windowClass)
{
    SistraViewBase::GetWindowClass(windowClass);
    // The button row follows the bottom edge: the whole view repaints when its size changes.
    windowClass.style |= CS_HREDRAW | CS_VREDRAW;
}

void SistraHemodynamicsTableView::SetupWindow()
{
    if (Document())
    {
        m_manager = Orv::ComPtr<ITableViewManager>(Document()->GetTableViewManager());
        m_data = Document()->GetTableViewData();
    }
    if (m_manager && m_data)
    {
        const Orv::ComPtr<IUnknown> frameServices = TableFrameServices(*Document());
        m_manager->CreateTableView(TableStyle, GetHandle(), frameServices.Get(), m_hostView.Get(), m_data.Get(),
                                   m_data.Get(), this, nullptr);
    }
    SistraViewBase::SetupWindow();
    for (OWL::TWindow* button : {m_exportButton, m_optionsButton, m_tallionButton})
        button->SetWindowFont(ButtonFont(), false);
    m_helpButton->SetBitmap(IDB_VIEW_HELP);
    const OWL::TRect client = GetClientRect();
    PlaceControls(client.Width(), client.Height());
    DataChanged(ChangeState::ResetAndResults);
}

void SistraHemodynamicsTableView::CleanupWindow()
{
    CloseTable();
    SistraViewBase::CleanupWindow();
}

void SistraHemodynamicsTableView::CloseTable()
{
    if (m_manager)
        m_manager->DestroyTableView(0);
    m_manager = nullptr;
    m_data = nullptr;
}

void SistraHemodynamicsTableView::Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect)
{
    // The face colour goes first so that the base's size grip stays on top of it.
    dc.FillRect(rect, OWL::TBrush(OWL::TColor(GetSysColor(COLOR_BTNFACE))));
    SistraViewBase::Paint(dc, erase, rect);
}

void SistraHemodynamicsTableView::PlaceControls(int width, int height)
{
    if (width == 0 && height == 0)
    {
        // A minimised view: the table says nothing of its columns, and the buttons stay.
        if (m_manager)
            m_manager->SetViewOptions(0, 0, 0, 0, 0, 0, 0, 0);
        return;
    }
    const std::vector<ButtonPlace> places = ButtonRows(width, SizeGripRect().Width());
    for (const ButtonPlace& place : places)
        if (OWL::TWindow* button = ChildWithId(place.id); button && button->GetHandle())
        {
            const int top = height - ButtonRowFromBottom - place.rowsAbove * ButtonRowStep;
            button->MoveWindow(OWL::TRect(place.left, top, place.left + place.width, top + ButtonHeight), true);
        }
    m_buttonBand = ButtonBand + places.front().rowsAbove * ButtonRowStep;
    if (m_manager)
        m_manager->SetViewOptions(0, 0, 0, width, height - m_buttonBand, RowHeaderWidth, DefaultColumnWidth,
                                  SummaryHeight);
}

// Narrower than a row of its widest button, the view is scrolled by its frame rather than cut the button.
void SistraHemodynamicsTableView::EvGetMinMaxInfo(MINMAXINFO& limits)
{
    const auto widest = std::max_element(std::begin(ButtonPlaces), std::end(ButtonPlaces),
                                         [](const ButtonPlace& a, const ButtonPlace& b) { return a.width < b.width; });
    limits.ptMinTrackSize.x = ButtonPlaces[0].left + widest->width + SizeGripRect().Width();
}

void SistraHemodynamicsTableView::EvSize(UINT sizeType, const OWL::TSize& size)
{
    SistraViewBase::EvSize(sizeType, size);
    PlaceControls(size.cx, size.cy);
    if (size.cx == 0 && size.cy == 0)
        return;
    const OWL::TRect above(0, 0, size.cx, std::max(0, static_cast<int>(size.cy) - m_buttonBand));
    ::RedrawWindow(GetHandle(), &above, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void SistraHemodynamicsTableView::DataChanged(uint32_t changeFlags)
{
    const RaisedFlag updating(m_updating);
    if (!m_manager)
        return;
    const bool summary = ViewModel() && ViewModel()->GetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane);
    m_manager->SetStyle(summary ? TableStyleWithSummary : TableStyle);
    if (changeFlags & SelectionChanges)
    {
        const int row = SelectedLoopRow();
        m_manager->SelectRows(MainGridWord, row, row + 1);
    }
    const bool stayPut = ViewModel() && ViewModel()->GetValue<PropertyType::Bool>(PropertyId::AlwaysShowLatestRow);
    m_manager->SetFollowLatest(stayPut ? VARIANT_TRUE : VARIANT_FALSE);
    m_manager->UpdateColumnCount(0);
    // Scrolled once the table holds the new rows: before, the newest loop would stay just out of view.
    if (!stayPut && IsFollowingLiveData())
        m_manager->EnsureRowVisible(MainGridWord, LastRow);
}

int SistraHemodynamicsTableView::SelectedLoopRow()
{
    const ModelPtr setup = GetSetupModel();
    const int32_t loop = setup ? setup->GetValue<PropertyType::Int>(PropertyId::SelectedLoop) : -1;
    // The rows list every loop of the analysis under the title row; no loop selects the title row.
    return loop < 0 ? TitleRow : loop + 1;
}

bool SistraHemodynamicsTableView::IsFollowingLiveData()
{
    const ModelPtr setup = GetSetupModel();
    return setup && setup->GetValue<PropertyType::Bool>(PropertyId::OnlineMode) && Document()->IsSampling();
}

void SistraHemodynamicsTableView::OnHostRefresh()
{
    if (m_manager)
        m_manager->UpdateColumnCount(0);
    ::RedrawWindow(GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

void SistraHemodynamicsTableView::EnableAlways(IVyrCommandState& state)
{
    state.SetState(VyrCommandStateValue::Enabled);
}

HRESULT SistraHemodynamicsTableView::AnswerPreferredSize(ULONG_PTR size)
{
    if (!size)
        return E_POINTER;
    *reinterpret_cast<SIZE*>(size) = {PreferredWidth, PreferredHeight};
    return S_OK;
}

void SistraHemodynamicsTableView::SelectAll()
{
    if (!m_manager || !m_data)
        return;
    const RaisedFlag quiet(m_quietSelection);
    const RaisedFlag keepOther(m_keepOtherPane);
    ULONG loopRows = 0, summaryRows = 0;
    m_data->GetRowCount(MainGridWord, &loopRows);
    m_data->GetRowCount(SecondGridWord, &summaryRows);
    m_manager->SelectRows(MainGridWord, TitleRow + 1, static_cast<int>(loopRows));
    m_manager->SelectRows(SecondGridWord, TitleRow + 1, static_cast<int>(summaryRows));
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableView::OnSelectionChanged(ULONG grid,
                                                                          const TableView::SelectedColumn* cells,
                                                                          ULONG count)
{
    if (!cells || IsEmptyReport(cells, count))
        return S_OK;
    return Orv::CatchReturn([&] {
        const bool mainPane = (grid & MainGridWord) != 0;
        if (!m_keepOtherPane && m_manager)
        {
            const RaisedFlag keepOther(m_keepOtherPane);
            m_manager->SelectRows(mainPane ? SecondGridWord : MainGridWord, 0, 0);
        }
        if (m_quietSelection || m_updating || !mainPane || !Document())
            return;
        if (const std::optional<int> row = SingleSelectedLoopRow(cells, count))
        {
            USHORT code = 0;
            GetDocumentMessagePrefix(&code);
            const MsgData<SelectLoopPayload> message{
                static_cast<ULONG>(code) << 16 | AutomationMessage::SistraTableRowSelected, 0,
                {0x2, static_cast<LONG>(*row - 1)}};
            SendMsg(Document()->Outer(), message, TableSelectionFlags);
        }
    });
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableView::OnCellClicked(ULONG gridAndKind, int row, ULONG column)
{
    // A double click on a parameter's title asks for the figures its values show.
    if (!(gridAndKind & TableView::ClickKindDoubleClick) || row != TitleRow || !m_data)
        return S_OK;
    return Orv::CatchReturn([&] {
        const int32_t parameter = m_data->ParameterOfColumn(column);
        if (parameter < 0)
            return;
        // The loop numbers are whole numbers: they have no figures to choose.
        const RowNumberFormat& format = m_data->GetRowFormat(parameter);
        if (format.mode == 0)
            return;
        const std::optional<ColumnFormatChoice> choice = AskColumnFormat(format.digits);
        if (!choice)
            return;
        ApplyColumnFormat(*m_data.Get(), parameter, *choice);
        if (m_manager)
            m_manager->UpdateColumnCount(0);
    });
}

std::optional<ColumnFormatChoice> SistraHemodynamicsTableView::AskColumnFormat(int32_t digits)
{
    TableView::SigFigDialog dialog(this);
    dialog.digits = digits;
    dialog.applyToAll = false;
    // Without a person the host answers; the figures then stay as they were.
    if (RunModuleDialog(L"FormatColumn", GetHandle(), [&] { return dialog.Execute(); }) != IDOK)
        return std::nullopt;
    return ColumnFormatChoice{dialog.digits, dialog.applyToAll};
}

HRESULT STDMETHODCALLTYPE SistraHemodynamicsTableView::OnFollowLatestChanged(ULONG, VARIANT_BOOL state)
{
    if (!ViewModel())
        return S_OK;
    return Orv::CatchReturn([&] {
        ViewModel()->SetValue<PropertyType::Bool>(PropertyId::AlwaysShowLatestRow, state != VARIANT_FALSE);
        ViewModel()->CommitChanges();
    });
}

void SistraHemodynamicsTableView::GetCopyCommandText(Orv::String& text)
{
    text = TitledCommandText(IDS_VIEW_COPY_COMMAND, Name());
}

void SistraHemodynamicsTableView::GetPrintCommandText(Orv::String& text)
{
    text = TitledCommandText(IDS_VIEW_PRINT_COMMAND, Name());
}

void SistraHemodynamicsTableView::ShowHelp()
{
    ShowSistraHelp(Document() ? Document()->GetFrameServices() : nullptr, L"pv_hemodynamics_table");
}

void SistraHemodynamicsTableView::ShowOptions()
{
    if (!Document() || !ViewModel())
        return;
    // The dialog edits a copy, so that a cancel leaves the table's model untouched.
    const ModelPtr copy = ModelClassObjBase::CreateModel(ModelKind::HemoTable, Document(), ModelRole::Snapshot);
    if (!copy)
        return;
    copy->SetSuppressCommit(true);
    copy->CopyFrom(ViewModel().get());
    const int pressed = RunModuleDialog(L"TableViewOptions", GetHandle(), [&] {
        TableViewOptionsDialog dialog(this, *Document(), copy);
        return dialog.Execute();
    });
    if (pressed != IDOK)
        return;
    ViewModel()->CopyFrom(copy.get());
    ViewModel()->CommitChanges();
    DataChanged(ChangeState::ResetAndResults);
}

void SistraHemodynamicsTableView::AddToTallion()
{
    if (!Document())
        return;
    USHORT code = 0;
    GetDocumentMessagePrefix(&code);
    const MsgData<> message{static_cast<ULONG>(code) << 16 | AutomationMessage::CopyPVTableToTallion, 0, {}};
    SendMsg(Document()->Outer(), message, 0);
}

void SistraHemodynamicsTableView::ExportTable()
{
    wchar_t documents[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
        return;
    HostSaveFileRequest request = ExportDialog;
    request.initialDirectory = documents;
    const Orv::String chosen = Orv::AskSaveFileName(GetHandle(), request);
    if (chosen.IsEmpty())
        return;
    const std::wstring path(chosen.c_str());
    bool written = true;
    if (IsCsvExportPath(path))
        written = m_manager && SUCCEEDED(m_manager->ExportCsv(0, path.c_str()));
    else if (m_data)
    {
        const bool summary = ViewModel() && ViewModel()->GetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane);
        const Orv::ComPtr<IHostProgress> progress =
            CreateProgressIndicator(Document()->GetFrameServices(), L"Exporting Table View");
        written = WriteTableText(*m_data.Get(), *m_data.Get(), path, summary, progress.Get()) !=
                  TableExportResult::Failed;
    }
    if (!written)
    {
        Orv::OFormatStringStream text(IDS_TABLE_EXPORT_FAILED);
        text << chosen;
        static const Orv::String title(Orv::ThisModule(), IDS_SISTRA_TITLE, true);
        ShowHostMessageBox(text.c_str(), title.c_str(), MB_OK | MB_ICONSTOP, GetHandle());
    }
}

} // namespace Sistra
