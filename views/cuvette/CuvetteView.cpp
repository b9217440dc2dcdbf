#include "views/cuvette/CuvetteView.h"

#include "hostapi/VyrDocuments.h"
#include "controls/edits/ValidatingEdit.h"
#include "dialogs/helpers/CalibrationGuards.h"
#include "dialogs/helpers/ControlBalloons.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"
#include "dialogs/results/ResultsViewCopyDlg.h"
#include "document/core/SistraDocument.h"
#include "document/models/workflow/Workflow.h"
#include "views/base/ViewHelpers.h"
#include "calc/sources/ChannelMean.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/numbers/NumberUtilities.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostDataAccess.h"
#include "hostframework/services/HostMessageBox.h"
#include "resources/ResourceIds.h"
#include "tableview/grid/GridActions.h"
#include "tableview/transfer/TableClipboard.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>
#include <map>
#include <string_view>

namespace Sistra
{

namespace
{

constexpr ULONG SelectAllCommand = 0x8001000E;
constexpr ULONG SelectAllEnableQuery = 0x80170008;
constexpr int32_t UnsetPosition = 0x7FFFFFFF;
constexpr uint32_t FitChanged = 24;
constexpr int ResultCopyDialog = 121;
constexpr COLORREF DividerColour = 0xDFDFDF;
constexpr ULONG KnownVolumeColumn = 1;
constexpr ULONG FirstReadingColumn = 2;

const Orv::String& Text(UINT id)
{
    return Orv::LoadedText(id);
}

int Box(HWND owner, const Orv::String& text, UINT style)
{
    return ShowHostMessageBox(text.c_str(), Text(IDS_CUVETTE_MESSAGE_TITLE).c_str(), style, owner);
}

int Box(HWND owner, UINT textId, UINT style)
{
    return Box(owner, Text(textId), style);
}

template <class... Arguments>
Orv::String Formatted(UINT id, const Arguments&... arguments)
{
    Orv::OFormatStringStream text(id);
    ((text << arguments), ...);
    return text.Str();
}

// A typed number in base units: blank and unreadable entries keep their markers.
double ToBase(double value, double factor)
{
    return std::isnan(value) ? value : value * factor;
}

} // namespace

DEFINE_RESPONSE_TABLE1(CuvetteView, SistraGraphViewBase)
    EV_WM_SIZE,
    EV_WM_ERASEBKGND,
    EV_WM_CTLCOLORBTN,
    EV_WM_CTLCOLORSTATIC,
    EV_BN_CLICKED(CuvetteView::SetFromSelectionId, OnSetFromSelectionClicked),
    EV_BN_CLICKED(CuvetteView::DeleteRowId, OnDeleteRowClicked),
    EV_BN_CLICKED(CuvetteView::ApplyId, OnApply),
    EV_BN_CLICKED(CuvetteView::EnableId, OnEnableToggled),
    EV_EN_CHANGE(CuvetteView::SlopeId, OnSlopeEdited),
    EV_EN_CHANGE(CuvetteView::InterceptId, OnInterceptEdited),
END_RESPONSE_TABLE;

VYR_DEFINE_EVENT_MAP(CuvetteView, SistraGraphViewBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&MsgIdClass<&HostSamplingEventGUID, HostSamplingEventNumber::Started>::GetId,
                          &CallMemberNoArgs<CuvetteView, &CuvetteView::OnSamplingChanged>),
    VyrEventMap::Observer(&MsgIdClass<&HostSamplingEventGUID, HostSamplingEventNumber::Stopped>::GetId,
                          &CallMemberNoArgs<CuvetteView, &CuvetteView::OnSamplingChanged>),
    VyrEventMap::Observer(&MsgIdClass<&HostDocEventGUID, 0>::GetId,
                          &CallMemberNoArgs<CuvetteView, &CuvetteView::UpdateSelectionButtons>),
    VyrEventMap::Observer(&MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::GetId,
                          &DispatchObserverEvent<CuvetteView, const ModelChangedRecord, &CuvetteView::OnModelChanged>),
    VyrEventMap::Observer(&MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelStatus>::GetId,
                          &DispatchObserverEvent<CuvetteView, const ModelProblemRecord, &CuvetteView::OnModelStatus>),
    VyrEventMap::Observer(&MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelReady>::GetId,
                          &CallMemberNoArgs<CuvetteView, &CuvetteView::OnModelReadiness>),
    VyrEventMap::Observer(&MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelNotReady>::GetId,
                          &CallMemberNoArgs<CuvetteView, &CuvetteView::OnModelReadiness>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &ConstantId<SelectAllEnableQuery>,
                         &DispatchCommandEnable<CuvetteView, &CuvetteView::OnSelectAllEnable>),
    VyrEventMap::Message(&ConstantId<SelectAllCommand>, &DispatchMessageNoArgs<CuvetteView, &CuvetteView::OnSelectAll>),
    VyrEventMap::End(),
};

CuvetteView::CuvetteView(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view, IUnknown* document,
                         OWL::TModule* module, IDocView2* hostView)
    : SistraGraphViewBase(ViewCreation{parent, viewClass, view, document, module, hostView},
                          Text(IDS_VIEW_CUVETTE_CALIBRATION), CuvetteViewNumber, ModelKind::CuvetteCalib),
      setFromSelection_(new OWL::TButton(this, SetFromSelectionId, Text(IDS_CUVETTE_SET_FROM_SELECTION).c_str(), 0, 0,
                                         0, 0, false, module)),
      deleteRow_(new OWL::TButton(this, DeleteRowId, Text(IDS_CUVETTE_DELETE_ROW).c_str(), 0, 0, 0, 0, false, module)),
      result_(new OWL::TStatic(this, ResultId, L"", 0, 0, 0, 0, 0, module)),
      apply_(new OWL::TButton(this, ApplyId, Text(IDS_CUVETTE_APPLY).c_str(), 0, 0, 0, 0, false, module)),
      group_(new OWL::TButton(this, GroupId, Text(IDS_CUVETTE_CALCULATED).c_str(), 0, 0, 0, 0, false, module)),
      enable_(new OWL::TCheckBox(this, EnableId, Text(IDS_CUVETTE_ENABLE).c_str(), 0, 0, 0, 0, module)),
      equationStart_(new OWL::TStatic(this, EquationStartId, Text(IDS_CUVETTE_EQUATION_START).c_str(), 0, 0, 0, 0, 0,
                                      module)),
      slope_(new OWL::TEdit(this, SlopeId, L"", 0, 0, 0, 0, 0, false, module)),
      equationMiddle_(new OWL::TStatic(this, EquationMiddleId, Text(IDS_CUVETTE_EQUATION_MIDDLE).c_str(), 0, 0, 0,
                                       0, 0, module)),
      intercept_(new OWL::TEdit(this, InterceptId, L"", 0, 0, 0, 0, 0, false, module)),
      error_(new OrvControls::ErrorProvider(this, ErrorId, L"", 0, 0, 0, 0, 0, module,
                                            OrvControls::ErrorProvider::ErrBalloon))
{
    group_->Attr.Style = (group_->Attr.Style & ~BS_PUSHBUTTON) | BS_GROUPBOX;
    group_->Attr.ExStyle |= WS_EX_TRANSPARENT;
    enable_->Attr.Style |= 0x50010300;
    for (OWL::TEdit* edit : {slope_, intercept_})
    {
        edit->Attr.Style &= ~WS_BORDER;
        edit->Attr.ExStyle |= WS_EX_CLIENTEDGE;
    }
    // The host's copy and print reach the table through the host's view.
    if (hostView)
        hostView->QueryInterface(IID_IMessageHandler, hostView_.PutVoid());
}

CuvetteView::~CuvetteView()
{
    if (manager_)
        manager_->DestroyTableView(0);
}

HRESULT STDMETHODCALLTYPE CuvetteView::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<ITableUserActionHandler*>(this), iid, object, IID_ITableUserActionHandler);
}

ITableViewManager* CuvetteView::TableManager()
{
    if (!manager_)
        CreateTableViewMgr(manager_.Put());
    return manager_.Get();
}

CuvetteCalibData& CuvetteView::CalibData()
{
    if (!data_)
        data_ = Orv::ComPtr<CuvetteCalibData>(new CuvetteCalibData(*Document(), GetConductanceUnit()));
    return *data_.Get();
}

void CuvetteView::SetupWindow()
{
    ITableViewManager* manager = TableManager();
    CuvetteCalibData& data = CalibData();
    if (manager && Document())
        manager->CreateTableView(TableStyle, GetHandle(), TableFrameServices(*Document()).Get(), hostView_.Get(), &data,
                                 &data, this, &data);
    SistraGraphViewBase::SetupWindow();
    for (OWL::TWindow* control : std::initializer_list<OWL::TWindow*>{setFromSelection_, deleteRow_, result_, apply_,
                                                                      group_, enable_, equationStart_, slope_,
                                                                      equationMiddle_, intercept_})
        control->SetWindowFont(ControlFont(), false);
    for (OWL::TEdit* edit : {slope_, intercept_})
        ::InstallSilentSetText(edit->GetHandle());
    // The first size came before the children and the table were there.
    const OWL::TRect client = GetClientRect();
    EvSize(SIZE_RESTORED, OWL::TSize(client.Width(), client.Height()));
    setUp_ = true;
    if (const ModelPtr& model = ViewModel())
    {
        const ModelChangedRecord record{static_cast<ISubject*>(model.get()), model->GetPropertyIds().Words()};
        OnModelChanged(&record);
    }
}

void CuvetteView::CleanupWindow()
{
    if (manager_)
        manager_->DestroyTableView(0);
    SistraGraphViewBase::CleanupWindow();
}

// The conductance readings are in the volume channel's own units; in the units the conductance
// calibration chose while it is in force, in the workflow or after leaving it. Before it is applied the
// channel still reads in its recorded unit, whatever the calibration will choose.
UnitInfo CuvetteView::GetConductanceUnit()
{
    if (ConductanceCalibrationInForce(*Document()))
        return Document()->GetModel(ModelKind::ConductanceCalib)->GetConductanceUnit();
    if (!conductanceUnit_)
        conductanceUnit_ = VolumeChannelUnit();
    return *conductanceUnit_;
}

// The channel's own unit as the calibrator keeps it comes first: once the calibration is applied the
// channel shows microlitres, but the readings were taken in its own unit. Then the channel's unit at the
// host's selection; volts when the host tells neither.
UnitInfo CuvetteView::VolumeChannelUnit()
{
    const int32_t channel = VolumeChannel().channel;
    if (!Document() || channel < 0)
        return UnitInfo{L"V", 0};
    if (const UnitInfo own = Document()->VolumeChannelOwnUnit(channel); !own.text.empty())
        return own;
    Orv::PrefixedUnit unit;
    if (GetChannelUnitsAtSelection(Document()->GetHostDocument(), Document()->HostDocument(), channel, unit, true) &&
        !unit.Name().empty())
        return UnitInfo{unit.Name(), unit.Prefix()};
    return UnitInfo{L"V", 0};
}

ViewChannel CuvetteView::VolumeChannel()
{
    const ModelPtr setup = GetSetupModel();
    return ViewChannel{setup ? setup->GetVolumeChannel() : NoChannel, static_cast<int32_t>(0xC0000000)};
}

bool CuvetteView::WorkflowModeOn()
{
    const ModelPtr setup = GetSetupModel();
    return setup && setup->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn);
}

bool CuvetteView::HostSampling()
{
    return Document() && Document()->IsSampling();
}

double CuvetteView::ConductanceFactor()
{
    return PrefixFactor(GetConductanceUnit());
}

double CuvetteView::VolumeFactor()
{
    return PrefixFactor(ViewModel()->GetCuvetteUnit());
}

Orv::String CuvetteView::GetTitle() { return Text(IDS_VIEW_CUVETTE_CALIBRATION); }
Orv::String CuvetteView::GetDomainTitle() { return Text(IDS_CUVETTE_CONDUCTANCE); }
Orv::String CuvetteView::GetRangeTitle() { return Text(IDS_CUVETTE_KNOWN_VOLUME); }
Orv::String CuvetteView::GetTooltipFormat() { return Text(IDS_CUVETTE_TOOLTIP); }
Orv::String CuvetteView::GetHelpText() { return Text(IDS_CUVETTE_HELP); }
Orv::String CuvetteView::GetDomainUnits() { return Orv::String(UnitText(GetConductanceUnit()).c_str()); }
double CuvetteView::GetDomainUnitScale() { return 1.0 / ConductanceFactor(); }
Orv::String CuvetteView::GetRangeUnits() { return Orv::String(UnitText(ViewModel()->GetCuvetteUnit()).c_str()); }
double CuvetteView::GetRangeUnitScale() { return 1.0 / VolumeFactor(); }

Orv::String CuvetteView::GetHelpTopic()
{
    if (!WorkflowModeOn())
        return Orv::String(L"pv_cuvette_calibration");
    return Workflow(Document()).GetStepHelpTopic(StepId::CuvetteStep);
}

bool CuvetteView::GetRegression(ViewRegression& regression)
{
    const std::optional<CuvetteFit> fit = ComputeCuvetteFit(ViewModel()->GetKnownVolumes(), ViewModel()->GetCuvetteTable());
    if (!fit)
        return false;
    regression = ViewRegression{fit->intercept, fit->slope, fit->rSquared};
    return true;
}

bool CuvetteView::GetDataExtents(ViewExtents& extents)
{
    SistraData* data = AnalysisData();
    PlotRange range{};
    if (!data || !data->GetCuvettePlotRange(range))
        return false;
    extents = ViewExtents{range.firstMinimum, range.firstMaximum, range.secondMinimum, range.secondMaximum};
    return true;
}

ViewMargins CuvetteView::GetGraphMargins()
{
    // A host that gives the view less than its least size cuts the plot off with the rest (the margins
    // then reach past the client area) rather than squeeze it.
    const CuvetteLayoutInput input = LayoutInput();
    const CuvetteLayout layout = LayOutCuvette(input);
    const SIZE least = LeastCuvetteSize(input);
    const int right = static_cast<int>(input.client.cx) - layout.leftWidth - layout.plotWidth;
    const int below = std::max<int>(0, least.cy - input.client.cy);
    return ViewMargins{layout.leftWidth, right, 0, PlotBottomMargin + layout.bandRise - below};
}

void CuvetteView::BeginUpdate(const Orv::Bitset& pending)
{
    if (updating_)
        return;
    updating_ = true;
    if (pending.Test(UpdateStep::Axes))
    {
        conductanceUnit_.reset();
        CalibData().SetConductanceUnit(GetConductanceUnit());
    }
    RefreshTable();
    fit_ = ComputeCuvetteFit(ViewModel()->GetKnownVolumes(), ViewModel()->GetCuvetteTable());
    ShowFitText();
    LayoutCalibrationGroup();
    UpdateControlStates();
    UpdateSelectionButtons();
    group_->Invalidate(true);
    updating_ = false;
}

void CuvetteView::ShowFitText()
{
    if (!fit_)
    {
        result_->SetText(Text(IDS_CUVETTE_INSUFFICIENT).c_str());
        return;
    }
    const FitTextParts parts{GetRangeSymbol().c_str(), GetDomainSymbol().c_str(), Text(IDS_SUPERSCRIPT_TWO).c_str(),
                             ConductanceFactor(), VolumeFactor()};
    result_->SetText(FormatFitText(*fit_, parts).c_str());
}

// Titles carry the units and readings can run long: a column widens rather than clip them.
void CuvetteView::RefreshTable()
{
    if (manager_)
        TableView::RefreshWithTextRoom(*manager_.Get(), CalibData(), CalibData(), TableView::MainGridWord);
}

// The first placement sets the default width, which resets the columns: they are fitted again.
void CuvetteView::PlaceTable(int width, int height)
{
    if (!manager_)
        return;
    manager_->SetViewOptions(0, 8, 8, width, height, RowHeaderWidth, ColumnWidth, 0);
    RefreshTable();
}

CuvetteLayoutInput CuvetteView::LayoutInput()
{
    const OWL::TRect client = GetHandle() ? GetClientRect() : OWL::TRect();
    return CuvetteLayoutInput{SIZE{client.Width(), client.Height()},
                              MeasureControlText(EnableId),
                              MeasureControlText(EquationStartId),
                              MeasureControlText(EquationMiddleId),
                              MeasureControlText(ResultId),
                              fit_ && !WorkflowModeOn(),
                              !WorkflowModeOn(),
                              slope_->GetHandle() ? WholeNumberWidth(slope_->GetHandle()) : CuvetteLayoutInput{}.numberWidth};
}

void CuvetteView::EvSize(UINT sizeType, const OWL::TSize& size)
{
    if (size.cx == 0 && size.cy == 0)
    {
        if (manager_)
            manager_->SetViewOptions(0, 0, 0, 0, 0, RowHeaderWidth, ColumnWidth, 0);
        SistraGraphViewBase::EvSize(sizeType, size);
        return;
    }
    const CuvetteLayout layout = LayOutCuvette(LayoutInput());
    placedLeftWidth_ = layout.leftWidth;
    const RECT& table = layout.table;
    PlaceTable(table.right - table.left, table.bottom - table.top);
    const auto place = [](OWL::TWindow* control, const RECT& where) { control->MoveWindow(OWL::TRect(where), true); };
    place(setFromSelection_, layout.setFromSelection);
    place(deleteRow_, layout.deleteRow);
    LayoutCalibrationGroup();
    for (const auto& [control, where] : {std::pair<OWL::TWindow*, const RECT&>{enable_, layout.enable},
                                        {equationStart_, layout.equationStart},
                                        {slope_, layout.slope},
                                        {equationMiddle_, layout.equationMiddle},
                                        {intercept_, layout.intercept},
                                        {error_, layout.error}})
        place(control, where);
    SistraGraphViewBase::EvSize(sizeType, size);
}

// The fit's text decides how wide the left part must be: when it changes, the view's least size may
// change with it, and the host is asked to place the view again.
void CuvetteView::LayoutCalibrationGroup()
{
    if (!GetHandle())
        return;
    const CuvetteLayoutInput input = LayoutInput();
    const CuvetteLayout layout = LayOutCuvette(input);
    group_->MoveWindow(OWL::TRect(layout.group), true);
    result_->MoveWindow(OWL::TRect(layout.result), true);
    apply_->MoveWindow(OWL::TRect(layout.apply), true);
    apply_->ShowWindow(input.applyShown ? SW_SHOW : SW_HIDE);
    NoteLeastSize();
    // The plot narrows or widens with the text: table, buttons and graph follow.
    if (layout.leftWidth != placedLeftWidth_)
        PlaceAgain(GetHandle());
}

SIZE CuvetteView::GetLeastSize()
{
    return LeastCuvetteSize(LayoutInput());
}

bool CuvetteView::EvEraseBkgnd(HDC dc)
{
    const OWL::TRect client = GetClientRect();
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    // The bands lie under the controls, where the layout put them.
    const CuvetteLayoutInput input = LayoutInput();
    const CuvetteLayout layout = LayOutCuvette(input);
    const int bottom = std::max<int>(client.bottom, LeastCuvetteSize(input).cy);
    const int bandTop = bottom - BandHeight - layout.bandRise;
    const int divider = layout.leftWidth - 1;
    const HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(DC_PEN));
    ::SetDCPenColor(dc, DividerColour);
    ::MoveToEx(dc, client.left, bandTop - 1, nullptr);
    ::LineTo(dc, client.right, bandTop - 1);
    ::MoveToEx(dc, divider, client.top, nullptr);
    ::LineTo(dc, divider, bandTop);
    ::SelectObject(dc, oldPen);
    const RECT band{client.left, bandTop, client.right, bottom};
    ::FillRect(dc, &band, ::GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

HBRUSH CuvetteView::EvCtlColor(HDC dc, HWND child, UINT)
{
    ::SetBkMode(dc, TRANSPARENT);
    const bool inBand = child == enable_->GetHandle() || child == equationStart_->GetHandle() ||
                        child == equationMiddle_->GetHandle();
    if (inBand || !HasWhiteBackground())
        return ::GetSysColorBrush(COLOR_BTNFACE);
    return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}

void CuvetteView::OnModelChanged(const ModelChangedRecord*)
{
    if (!setUp_)
        return;
    const ModelPtr& model = ViewModel();
    enable_->SetCheck(model->GetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied) ? BST_CHECKED
                                                                                                 : BST_UNCHECKED);
    UpdateControlStates();
    if (!editing_)
    {
        const double slope = model->GetValue<PropertyType::Double>(PropertyId::CuvetteSlope);
        const double intercept = model->GetValue<PropertyType::Double>(PropertyId::CuvetteIntercept);
        SetWindowNumber(slope_->GetHandle(), std::isnan(slope) ? slope : slope * ConductanceFactor() / VolumeFactor());
        SetWindowNumber(intercept_->GetHandle(), std::isnan(intercept) ? intercept : intercept / VolumeFactor());
    }
    RefreshTable();
}

void CuvetteView::OnModelStatus(const ModelProblemRecord* problem)
{
    if (!problem)
        return;
    error_->SetError(true, Orv::String::FromInterface(problem->title), Orv::String::FromInterface(problem->message));
    error_->ShowWindow(SW_SHOW);
}

void CuvetteView::OnModelReadiness()
{
    error_->SetError(false, Orv::String(), Orv::String());
    error_->ShowWindow(SW_HIDE);
}

void CuvetteView::OnSamplingChanged()
{
    UpdateControlStates();
    UpdateSelectionButtons();
}

void CuvetteView::UpdateControlStates()
{
    const bool sampling = HostSampling();
    apply_->EnableWindow(fit_ && !sampling);
    enable_->EnableWindow(!sampling);
    for (OWL::TWindow* control : std::initializer_list<OWL::TWindow*>{equationStart_, slope_, equationMiddle_, intercept_})
        control->EnableWindow(!sampling);
    const bool workflow = WorkflowModeOn();
    for (OWL::TWindow* control :
         std::initializer_list<OWL::TWindow*>{enable_, equationStart_, slope_, equationMiddle_, intercept_})
        control->ShowWindow(workflow ? SW_HIDE : SW_SHOWNOACTIVATE);
    apply_->ShowWindow(fit_ && !workflow ? SW_SHOW : SW_HIDE);
    // Without "Apply" or the band's equation the view fits a smaller size.
    LayoutCalibrationGroup();
}

// The table's actions. Rows are wells (row 0 the titles), columns the known volume and the readings.
HRESULT STDMETHODCALLTYPE CuvetteView::OnSelectionChanged(ULONG, const TableView::SelectedColumn* columns, ULONG count)
{
    return Orv::CatchReturn([&] {
        if (count == 1 && columns[0].firstRow == columns[0].endRow)
        {
            oneCell_ = false;
            selectedRow_ = selectedColumn_ = 0;
        }
        severalCells_ = count > 1;
        ranges_.clear();
        for (ULONG i = 0; i < count; ++i)
        {
            const TableView::SelectedColumn& range = columns[i];
            ranges_.push_back(range);
            const bool oneRow = range.endRow - range.firstRow == 1;
            severalCells_ = severalCells_ || range.endRow - range.firstRow > 1;
            if (count == 1 && oneRow)
            {
                oneCell_ = true;
                selectedRow_ = range.firstRow;
                selectedColumn_ = static_cast<int>(range.column);
            }
            selectedRow_ = oneRow ? range.firstRow : 0;
        }
        UpdateSelectionButtons();
    });
}

HRESULT STDMETHODCALLTYPE CuvetteView::OnCellClicked(ULONG, int row, ULONG column)
{
    return Orv::CatchReturn([&] {
        severalCells_ = false;
        oneCell_ = true;
        selectedRow_ = row;
        selectedColumn_ = static_cast<int>(column);
        UpdateSelectionButtons();
    });
}

HRESULT STDMETHODCALLTYPE CuvetteView::OnCellEdited(ULONG, int row, ULONG column, const Orv::String& text)
{
    return Orv::CatchReturn([&] {
        if (row <= 0 || column == 0)
            return S_OK;
        const double value = ParseNumber(text);
        const ModelPtr& model = ViewModel();
        const size_t well = static_cast<size_t>(row - 1);
        if (column == KnownVolumeColumn)
        {
            if (!std::isnan(value) && !(value > 0.0 && std::isfinite(value * VolumeFactor())))
            {
                RefuseKnownVolume(text);
                return S_OK;
            }
            std::vector<double> volumes = model->GetKnownVolumes();
            if (volumes.size() <= well)
                volumes.resize(well + 1, BlankMarker());
            volumes[well] = ToBase(value, VolumeFactor());
            model->SetKnownVolumes(volumes);
        }
        else
        {
            DoubleMatrix table = model->GetCuvetteTable();
            table.Set(static_cast<int32_t>(column - FirstReadingColumn), static_cast<int32_t>(well),
                      ToBase(value, ConductanceFactor()));
            model->SetCuvetteTable(table);
        }
        model->CommitChanges();
        CellsChanged();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE CuvetteView::OnListItemChosen(ULONG grid, ULONG listKind, int row, ULONG column, ULONG item)
{
    return Orv::CatchReturn([&] {
        if (listKind == TVF_Grid::GridActions::ClearQuery)
        {
            if (IsDeleteRowEnabled() && row > 0 && column >= 1)
            {
                OnCellEdited(grid, row, column, Orv::String());
                UpdateSelectionButtons();
            }
            return S_OK;
        }
        if (listKind != TVF_Grid::GridActions::CellMenuList || column != 0 || item > CuvetteCalibData::DeleteRowItem)
            return E_INVALIDARG;
        if (item == CuvetteCalibData::InsertRowItem && row >= 1)
        {
            CalibData().InsertRow(row - 1);
            RefreshTable();
        }
        else if (item == CuvetteCalibData::DeleteRowItem)
            DeleteRowWithConfirm(row);
        return S_OK;
    });
}

// A well holds a volume above zero: the cell keeps what it held, and a balloon on the table says why.
void CuvetteView::RefuseKnownVolume(const Orv::String& typed)
{
    RefreshTable();
    const HWND table = TableWindow();
    ShowControlBalloon(table ? table : GetHandle(), Text(IDS_CUVETTE_NOT_A_VOLUME_TITLE),
                       Formatted(IDS_CUVETTE_NOT_A_VOLUME, typed.c_str(), UnitText(ViewModel()->GetCuvetteUnit())));
}

// The table's topmost pane of cells (a title strip above it has none).
HWND CuvetteView::TableWindow()
{
    struct Search
    {
        HWND found = nullptr;
        LONG top = LONG_MAX;
    } search;
    ::EnumChildWindows(
        GetHandle(),
        [](HWND child, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            wchar_t name[16] = {};
            ::GetClassNameW(child, name, static_cast<int>(std::size(name)));
            RECT place{};
            ::GetWindowRect(child, &place);
            if (std::wstring_view(name) == L"GridPane" && ::IsWindowVisible(child) && place.top < search.top)
                search = {child, place.top};
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// After a cell changed: the table shows it, the document keeps it, the fit follows.
void CuvetteView::CellsChanged()
{
    RefreshTable();
    Document()->SetModified();
    DataChanged(FitChanged);
    FollowFitInWorkflow();
}

void CuvetteView::DeleteRowWithConfirm(int well)
{
    if (Box(GetHandle(), Formatted(IDS_CUVETTE_CONFIRM_DELETE, well), MB_YESNO | MB_ICONQUESTION) == IDYES)
        DeleteRow(well);
}

void CuvetteView::DeleteRow(int well)
{
    if (well < 1 || well >= CalibData().WellCount() + 2)
        return;
    CalibData().DeleteRow(well - 1);
    // The well's points go with it: the fit, its text and the plot follow at once.
    CellsChanged();
    Invalidate(true);
}

bool CuvetteView::PreProcessMsg(MSG& message)
{
    if (message.message == WM_KEYDOWN && (message.wParam == VK_BACK || message.wParam == VK_DELETE) &&
        !(::GetKeyState(VK_CONTROL) & 0x8000) && IsDeleteRowEnabled())
        ClearSelectedCells();
    return SistraGraphViewBase::PreProcessMsg(message);
}

void CuvetteView::ClearSelectedCells()
{
    if (!IsDeleteRowEnabled())
    {
        Box(GetHandle(), IDS_CUVETTE_NO_CELL_SELECTION, MB_OK | MB_ICONSTOP);
        return;
    }
    if (severalCells_)
    {
        // A copy: clearing a cell reports a new selection.
        const std::vector<TableView::SelectedColumn> ranges = ranges_;
        for (const TableView::SelectedColumn& range : ranges)
            for (int row = range.firstRow; row < range.endRow; ++row)
                if (row >= 1 && range.column >= 1)
                {
                    OnCellEdited(0, row, range.column, Orv::String());
                    UpdateSelectionButtons();
                }
    }
    else if (selectedRow_ >= 1 && selectedColumn_ >= 1)
    {
        OnCellEdited(0, selectedRow_, static_cast<ULONG>(selectedColumn_), Orv::String());
        UpdateSelectionButtons();
    }
    Invalidate(true);
}

bool CuvetteView::IsSetFromSelectionEnabled() const
{
    return setFromSelection_->GetHandle() && ::IsWindowEnabled(setFromSelection_->GetHandle());
}

bool CuvetteView::IsDeleteRowEnabled() const
{
    return deleteRow_->GetHandle() && ::IsWindowEnabled(deleteRow_->GetHandle());
}

void CuvetteView::UpdateSelectionButtons()
{
    if (!GetHandle() || !Document())
        return;
    SistraDocument& document = *Document();
    const int32_t channel = VolumeChannel().channel;
    bool canSet = DataCellSelected() && channel >= 0 && SelectionUsableForChannel(document, channel);
    if (canSet)
    {
        IHostDocument* host = document.GetHostDocument();
        int32_t records = 0, current = -1;
        RecordingPosition start{}, end{};
        document.ReadHostSelection(start, end);
        if (host)
            host->GetRecordCount(&records, &current);
        const bool sampling = HostSampling();
        const int32_t record = sampling ? current : start.block;
        TickPosition position{record, start.tick};
        canSet = host && (records > 0 || sampling) && start.block != UnsetPosition &&
                 SUCCEEDED(host->AdjustStartPosition(HostChannelScaled, record, channel, &position));
    }
    setFromSelection_->EnableWindow(canSet);
    const int wells = CalibData().WellCount();
    deleteRow_->EnableWindow(selectedRow_ > 0 && selectedRow_ < wells + 1 && (oneCell_ || severalCells_));
}

void CuvetteView::OnSetFromSelectionClicked()
{
    USHORT code = 0;
    GetDocumentMessagePrefix(&code);
    SendMsg(DocumentObject(),
            MsgData<>{static_cast<ULONG>(code) << 16 | AutomationMessage::AddSelToSistraCuvetteCalibration, 0, {}},
            0);
}

Orv::String CuvetteView::SetFromSelection()
{
    const int32_t channel = VolumeChannel().channel;
    if (!IsSetFromSelectionEnabled())
    {
        const Orv::String text = Formatted(IDS_CUVETTE_NO_SELECTION, channel + 1);
        Box(GetHandle(), text, MB_OK | MB_ICONSTOP);
        return text;
    }
    RecordingPosition start{}, end{};
    Document()->ReadHostSelection(start, end);
    if (start.block != end.block)
    {
        Box(GetHandle(), IDS_CUVETTE_ONE_BLOCK, MB_OK | MB_ICONERROR);
        return Text(IDS_CUVETTE_ONE_BLOCK);
    }
    FillCellFromSelection(selectedRow_, selectedColumn_);
    DataChanged(FitChanged);
    FollowFitInWorkflow();
    return {};
}

bool CuvetteView::FillCellFromSelection(int well, int column)
{
    if (well < 1)
        return false;
    const ModelPtr& model = ViewModel();
    DoubleMatrix table = model->GetCuvetteTable();
    int32_t reading = column - static_cast<int>(FirstReadingColumn);
    // From the well's number or known volume, the well's first empty reading, else a new one.
    if (column < static_cast<int>(FirstReadingColumn))
        for (reading = 0; reading < table.Rows() && !std::isnan(table.At(reading, well - 1)); ++reading)
        {
        }
    RecordingPosition start{}, end{};
    Document()->ReadHostSelection(start, end);
    const double mean = Document()->CuvetteReading(
        MeanOfChannelRange(Document()->GetHostDocument(), VolumeChannel().channel, TickPosition{start.block, start.tick},
                           TickPosition{end.block, end.tick}, false));
    const bool filled = !IsBlankMarker(mean);
    if (filled)
    {
        table.Set(reading, well - 1, mean);
        model->SetCuvetteTable(table);
        model->CommitChanges();
    }
    RefreshTable();
    Document()->SetModified();
    AdvanceSelection(reading);
    return filled;
}

// Repeated fills go well after well along one reading, then on to the reading after it. Begun on the
// known volumes (each fill taking its well's first empty reading), they went back to the first reading
// after the last well and wrote over what the first fills had taken.
void CuvetteView::AdvanceSelection(int32_t filledReading)
{
    const int wells = CalibData().WellCount();
    const int columns = CalibData().ReadingCount() + 3;
    const int nextReading = static_cast<int>(FirstReadingColumn) + filledReading + 1;
    if (selectedRow_ < wells)
        ++selectedRow_;
    else if (nextReading < columns)
    {
        selectedColumn_ = nextReading;
        selectedRow_ = 1;
    }
    if (manager_)
        manager_->SelectCells(0, static_cast<ULONG>(selectedColumn_), selectedRow_, selectedRow_ + 1);
    oneCell_ = true;
    UpdateSelectionButtons();
}

// A line the model cannot hold (out of its range) or cannot apply (falling) is refused in a box that
// says why, and the model stays as it was: before, it kept the values uncommitted and nothing changed.
void CuvetteView::OnApply()
{
    const std::optional<CuvetteFit> fit =
        ComputeCuvetteFit(ViewModel()->GetKnownVolumes(), ViewModel()->GetCuvetteTable());
    if (!fit || !CanApplyCalibration())
        return;
    const ModelPtr& model = ViewModel();
    model->SetCuvetteIntercept(fit->intercept);
    model->SetCuvetteSlope(fit->slope);
    model->SetCuvetteCalibrationApplied(true);
    if (const ValidationResult problem = AppliedCalibrationProblem(); problem.HasProblem())
    {
        Box(GetHandle(), problem.message, MB_OK | MB_ICONSTOP);
        return;
    }
    model->CommitChanges();
}

void CuvetteView::OnEnableToggled()
{
    const bool ticked = enable_->GetCheck() == BST_CHECKED;
    if (ticked && !CanApplyCalibration())
    {
        enable_->SetCheck(BST_UNCHECKED);
        return;
    }
    const ModelPtr& model = ViewModel();
    model->SetCuvetteCalibrationApplied(ticked);
    // An equation made up for empty boxes (a millionth of a microlitre a unit) scaled every volume without
    // a word, and a falling one turned them over: the user fills the boxes, or applies the fit, first.
    if (const ValidationResult problem = ticked ? AppliedCalibrationProblem() : ValidationResult::Ok(); problem.HasProblem())
    {
        enable_->SetCheck(BST_UNCHECKED);
        ShowValidationBalloon(enable_->GetHandle(), problem);
        return;
    }
    model->CommitChanges();
}

// Why the model, its calibration just marked applied, cannot take it; the model's earlier values back then.
ValidationResult CuvetteView::AppliedCalibrationProblem()
{
    const ModelPtr& model = ViewModel();
    ValidationResult problem = model->CheckReady();
    if (problem.HasProblem())
        model->DiscardChanges();
    return problem;
}

// Typing changes the model; the edit keeps what was typed rather than the model's rewrite of it.
void CuvetteView::OnSlopeEdited()
{
    if (editing_)
        return;
    editing_ = true;
    const double value = ParseNumber(GetWindowTextString(slope_->GetHandle()));
    ViewModel()->SetCuvetteSlope(std::isnan(value) ? value : value * VolumeFactor() / ConductanceFactor());
    ViewModel()->CommitChanges();
    editing_ = false;
}

void CuvetteView::OnInterceptEdited()
{
    if (editing_)
        return;
    editing_ = true;
    const double value = ParseNumber(GetWindowTextString(intercept_->GetHandle()));
    ViewModel()->SetCuvetteIntercept(ToBase(value, VolumeFactor()));
    ViewModel()->CommitChanges();
    editing_ = false;
}

bool CuvetteView::CanApplyCalibration()
{
    return Document() && VolumeCalibrationMayApply(*Document());
}

// In workflow mode the step page applies the calibration: the view hands it the fit, not yet applied.
void CuvetteView::FollowFitInWorkflow()
{
    const std::optional<CuvetteFit> fit =
        ComputeCuvetteFit(ViewModel()->GetKnownVolumes(), ViewModel()->GetCuvetteTable());
    if (!fit || !WorkflowModeOn())
        return;
    const ModelPtr& model = ViewModel();
    if (ApproxEqual(model->GetValue<PropertyType::Double>(PropertyId::CuvetteIntercept), fit->intercept) &&
        ApproxEqual(model->GetValue<PropertyType::Double>(PropertyId::CuvetteSlope), fit->slope))
        return;
    model->SetCuvetteIntercept(fit->intercept);
    model->SetCuvetteSlope(fit->slope);
    model->SetCuvetteCalibrationApplied(false);
    model->CommitChanges();
}

bool CuvetteView::CopyToClipboard()
{
    // Asked through the host, so that a run without a person answers it with the remembered choice.
    int32_t choice = copyChoice_;
    const int pressed = RunModuleDialogOnState(L"CopyCuvetteCalibrationView", GetHandle(), choice, [&] {
        ResultsViewCopyDlg dialog(this, ResultCopyDialog, copyChoice_);
        const int closed = dialog.Execute();
        choice = dialog.Choice();
        return closed;
    });
    if (pressed != IDOK)
        return false;
    copyChoice_ = choice == ResultsViewCopyDlg::CopyTable ? ResultsViewCopyDlg::CopyTable : ResultsViewCopyDlg::CopyGraph;
    if (copyChoice_ == ResultsViewCopyDlg::CopyTable)
        return CopyTableToClipboard(static_cast<ULONG>(CalibData().ReadingCount() + 3));
    return SistraGraphViewBase::CopyToClipboard();
}

std::wstring CuvetteView::TableText(ULONG columns)
{
    CuvetteCalibData& data = CalibData();
    std::wstring text;
    for (int row = 0; row < data.WellCount() + 2; ++row)
        for (ULONG column = 0; column < columns; ++column)
        {
            Orv::String cell;
            data.GetCellText(0, row, column, &cell);
            text += cell.c_str();
            text += column + 1 < columns ? L"\t" : L"\r\n";
        }
    return text;
}

bool CuvetteView::CopyTableToClipboard(ULONG columns)
{
    return TableView::CopyTextToClipboard(GetHandle(), TableText(columns),
                                          {Text(IDS_CUVETTE_MESSAGE_TITLE).c_str(), MB_ICONSTOP});
}

// Select all: every cell but the row titles.
void CuvetteView::OnSelectAll()
{
    if (manager_)
        manager_->SelectRows(0, 1, CalibData().WellCount() + 2);
}

void CuvetteView::OnSelectAllEnable(IVyrCommandState& state)
{
    AnswerCommandState(state, nullptr, true);
}

} // namespace Sistra
