// The loop view's window: its controls, their layout, the commands they send, the model they follow
// and the list of loops.
#include "views/loop/LoopView.h"

#include "views/loop/TextClickAnnotation.h"

#include "document/calibration/RecordedUnits.h"
#include "document/core/SistraDocument.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostHelp.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <utility>

namespace Sistra
{

namespace
{

constexpr int StripHeight = 24;
constexpr int ListWidth = 60;
constexpr int ViewInset = 2;
constexpr int StripInsetTop = 26;
constexpr int TitleWidthWhenRoom = 240;
constexpr int TitleRoomLeft = 242;
constexpr int NarrowestCombo = 36;
constexpr int PointsGap = 22;
constexpr int TypeGap = 11;
constexpr int IconRoom = 16;
// The title line's least room, left of the strip's first row: a pointed point's read-out in its shortest
// form, two values of five figures with their points, as a loop's pressure and volume read.
constexpr int ReadOutRoom = 80;
// An open type list has room for this many rows (each list holds at most four items); rows are
// measured after the strip's font is set, which a first layout may precede.
constexpr int DropListRows = 5;
constexpr int UnmeasuredItemHeight = 16;
constexpr uint32_t ListRebuildStep = 4;
constexpr uint32_t ListUpdateStep = 5;
constexpr uint32_t ClearListHint = 0x2;
constexpr int32_t UnreadableLoopState = 3;
constexpr ULONG BoolArgument = 1;
constexpr ULONG TextArgument = 7;

const wchar_t* const EspvrTypeNames[] = {L"Linear", L"Quadratic", L"Perpendicular", L"Tangent"};
const wchar_t* const EdpvrTypeNames[] = {L"Linear", L"Exponential"};
const wchar_t* const EsPointNames[] = {L"PerBeatESPoints", L"TangentFitESPoints"};

Orv::String Text(UINT id)
{
    return Orv::String(Orv::ThisModule(), id, true);
}

// The strip's and the list's font, made once for the process.
const OWL::TFont& GuiFont()
{
    static const OWL::TDefaultGUIFont font;
    return font;
}

// The changes that call for the plot to be assembled again.
bool ChangesPlot(const PropertyIdSet& changed)
{
    for (int id : {PropertyId::AnalysisType, PropertyId::ShowEspvrRegression, PropertyId::ShowEdpvrRegression,
                   PropertyId::EspvrRegressionType, PropertyId::EdpvrRegressionType, PropertyId::CurrentStep,
                   PropertyId::EsPointType})
        if (changed.Test(id))
            return true;
    return false;
}

// The list is painted once, when its rows are all there.
class ListRedrawSuspended
{
public:
    explicit ListRedrawSuspended(OWL::TCheckList& list) : list_(list) { list_.SetRedraw(false); }
    ~ListRedrawSuspended()
    {
        list_.SetRedraw(true);
        list_.Invalidate(true);
    }
    ListRedrawSuspended(const ListRedrawSuspended&) = delete;
    ListRedrawSuspended& operator=(const ListRedrawSuspended&) = delete;

private:
    OWL::TCheckList& list_;
};

struct FlagPayload
{
    ULONG typeWord = BoolArgument;
    ULONG flag;
};

// The values follow the type word without a gap, as the host and the document read them: the text's
// reference right after the word, not at the next 8-byte boundary.
#pragma pack(push, 4)
struct TextPayload
{
    ULONG typeWord = TextArgument;
    IOrvString* text;
};
#pragma pack(pop)
static_assert(sizeof(TextPayload) == sizeof(ULONG) + sizeof(IOrvString*));

} // namespace

DEFINE_RESPONSE_TABLE1(SistraAnalysisGraphView::LayoutWindow, OWL::TLayoutWindow)
    EV_CHILD_NOTIFY(LoopViewControl::ShowEspvr, BN_CLICKED, view.ToggleEspvr),
    EV_CHILD_NOTIFY(LoopViewControl::ShowEdpvr, BN_CLICKED, view.ToggleEdpvr),
    EV_CHILD_NOTIFY(LoopViewControl::EspvrType, CBN_SELCHANGE, view.EspvrTypeChosen),
    EV_CHILD_NOTIFY(LoopViewControl::EdpvrType, CBN_SELCHANGE, view.EdpvrTypeChosen),
    EV_CHILD_NOTIFY(LoopViewControl::EsPoints, CBN_SELCHANGE, view.EsPointsChosen),
    // A choice, by key or by click, comes as a selection change; its closing (CBN_SELENDOK) is not sent
    // again, so that one choice is one command (and one statement in a recorded macro).
    EV_CHILD_NOTIFY(LoopViewControl::EspvrType, CBN_SELENDCANCEL, view.ShowModelChoices),
    EV_CHILD_NOTIFY(LoopViewControl::EdpvrType, CBN_SELENDCANCEL, view.ShowModelChoices),
    EV_CHILD_NOTIFY(LoopViewControl::EsPoints, CBN_SELENDCANCEL, view.ShowModelChoices),
END_RESPONSE_TABLE;

SistraAnalysisGraphView::LayoutWindow::LayoutWindow(SistraAnalysisGraphView& owner)
    : OWL::TLayoutWindow(&owner), view(owner)
{
    // The view's title line lies over the strip's left end, where the read-out of a point shows.
    Attr.Style |= WS_CLIPSIBLINGS;
}

DEFINE_RESPONSE_TABLE1(SistraAnalysisGraphView, SistraGraphViewBase)
    EV_WM_SIZE,
    EV_CHILD_NOTIFY(LoopViewControl::LoopList, LBN_SELCHANGE, LoopRowChosen),
END_RESPONSE_TABLE;

VYR_DEFINE_EVENT_MAP(SistraAnalysisGraphView, SistraGraphViewBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&MsgIdClass<&HostSamplingEventGUID, HostSamplingEventNumber::Started>::GetId,
                          &CallMemberNoArgs<SistraAnalysisGraphView, &SistraAnalysisGraphView::OnSamplingStarts>),
    VyrEventMap::Observer(&MsgIdClass<&HostSamplingEventGUID, HostSamplingEventNumber::Stopped>::GetId,
                          &CallMemberNoArgs<SistraAnalysisGraphView, &SistraAnalysisGraphView::OnSamplingStops>),
    VyrEventMap::Observer(&MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::GetId,
                          &DispatchObserverEvent<SistraAnalysisGraphView, ModelChangedRecord,
                                                 &SistraAnalysisGraphView::OnModelChanged>),
    VyrEventMap::Observer(&MsgIdClass<&SistraDocumentGUID, DocumentNotification::AnalysisCleared>::GetId,
                          &CallMemberNoArgs<SistraAnalysisGraphView, &SistraAnalysisGraphView::ResendSettings>),
    VyrEventMap::End(),
};

SistraAnalysisGraphView::SistraAnalysisGraphView(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view,
                                                 IUnknown* document, OWL::TModule* module, IDocView2* hostView)
    : SistraGraphViewBase(ViewCreation{parent, viewClass, view, document, module, hostView}, Text(IDS_VIEW_LOOP), 2,
                          ModelKind::LoopView),
      // A day's hundred thousand rows: grown by doubling, where steps of 8 copied the rows 12,000 times over.
      loopItems_(ArrayGrowth::DefaultStep, 0, true)
{
    espvrPoints_ = std::make_unique<ViewPlotData>(*this, 17, 0, 0, nullptr);
    edpvrPoints_ = std::make_unique<ViewPlotData>(*this, 15, 0, 0, nullptr);
    polynomialFunction_.xScale = 1.0;
    layoutWindow_ = std::make_unique<LayoutWindow>(*this);
    espvrCheck_ = std::make_unique<OWL::TCheckBox>(layoutWindow_.get(), LoopViewControl::ShowEspvr,
                                                   Text(IDS_LOOP_ESPVR).c_str(), 0, 0, 0, 0, module);
    edpvrCheck_ = std::make_unique<OWL::TCheckBox>(layoutWindow_.get(), LoopViewControl::ShowEdpvr,
                                                   Text(IDS_LOOP_EDPVR).c_str(), 0, 0, 0, 0, module);
    const DWORD comboStyle = CBS_DROPDOWNLIST | WS_VSCROLL;
    espvrTypeCombo_ = std::make_unique<OWL::TComboBox>(layoutWindow_.get(), LoopViewControl::EspvrType, 0, 0, 0, 200,
                                                       comboStyle, 0, module);
    edpvrTypeCombo_ = std::make_unique<OWL::TComboBox>(layoutWindow_.get(), LoopViewControl::EdpvrType, 0, 0, 0, 200,
                                                       comboStyle, 0, module);
    errorIcon_ = std::make_unique<OrvControls::ErrorProvider>(layoutWindow_.get(), LoopViewControl::Warning, L"", 0, 0,
                                                              0, 0, 0, module, 81);
    esPointsCombo_ = std::make_unique<OWL::TComboBox>(layoutWindow_.get(), LoopViewControl::EsPoints, 0, 0, 0, 200,
                                                      comboStyle, 0, module);
    loopList_ = std::make_unique<OWL::TCheckList>(this, LoopViewControl::LoopList, 0, 0, ListWidth, ListWidth, module);
}

SistraAnalysisGraphView::~SistraAnalysisGraphView()
{
    if (loopList_ && loopList_->GetHandle())
        loopList_->ClearList();
}

std::shared_ptr<Model> SistraAnalysisGraphView::Setup() const
{
    return Document() ? Document()->GetModel(ModelKind::WorkflowSetup) : nullptr;
}

bool SistraAnalysisGraphView::LoopViewFlag(int propertyId) const
{
    return ViewModel() && ViewModel()->GetValue<PropertyType::Bool>(propertyId);
}

int32_t SistraAnalysisGraphView::LoopViewInt(int propertyId) const
{
    return ViewModel() ? ViewModel()->GetValue<PropertyType::Int>(propertyId) : 0;
}

bool SistraAnalysisGraphView::HostSampling()
{
    return Document() && Document()->IsSampling();
}

Orv::String SistraAnalysisGraphView::GetTitle()
{
    static const Orv::String title = Text(IDS_VIEW_LOOP);
    return title;
}

ViewChannel SistraAnalysisGraphView::GetDomainChannel()
{
    const auto setup = Setup();
    return {setup ? setup->GetVolumeChannel() : ViewChannel{}.channel, static_cast<int32_t>(0xC0000000)};
}

ViewChannel SistraAnalysisGraphView::GetRangeChannel()
{
    const auto setup = Setup();
    return {setup ? setup->GetPressureChannel() : ViewChannel{}.channel, static_cast<int32_t>(0xC0000000)};
}

Orv::String SistraAnalysisGraphView::GetDomainTitle()
{
    return Text(IDS_LOOP_VOLUME_TITLE);
}

Orv::String SistraAnalysisGraphView::GetDomainSymbol()
{
    return Text(IDS_LOOP_VOLUME_SYMBOL);
}

Orv::String SistraAnalysisGraphView::GetRangeTitle()
{
    return Text(IDS_LOOP_PRESSURE_TITLE);
}

Orv::String SistraAnalysisGraphView::GetRangeSymbol()
{
    return Text(IDS_LOOP_PRESSURE_SYMBOL);
}

Orv::String SistraAnalysisGraphView::GetTooltipFormat()
{
    return Text(IDS_LOOP_TOOLTIP);
}

Orv::String SistraAnalysisGraphView::GetHelpText()
{
    return Text(IDS_LOOP_HELP);
}

Orv::String SistraAnalysisGraphView::GetHelpTopic()
{
    return Text(IDS_LOOP_HELP_TOPIC);
}

bool SistraAnalysisGraphView::GetDataExtents(ViewExtents& extents)
{
    PlotRange range;
    if (!AnalysisData() || !AnalysisData()->GetLoopPlotRange(range))
        return false;
    extents = ViewExtents{range.firstMinimum, range.firstMaximum, range.secondMinimum, range.secondMaximum};
    return true;
}

int SistraAnalysisGraphView::GetTitleWidth()
{
    // Without the strip the graph reaches up to where the line would lie.
    if (!errorIcon_->GetHandle() || !GetHandle() || stripRows_ == 0)
        return 0;
    OWL::TRect icon = errorIcon_->GetWindowRect();
    POINT corner{icon.left, icon.top};
    ::ScreenToClient(GetHandle(), &corner);
    // Where the strip's controls leave less than the whole width, the title line takes what room there is
    // left of them: a point's read-out then still shows, in the shorter form that room holds.
    return std::clamp(static_cast<int>(corner.x) - (TitleRoomLeft - TitleWidthWhenRoom), 0, TitleWidthWhenRoom);
}

bool SistraAnalysisGraphView::RegressionsAvailable()
{
    const auto setup = Setup();
    if (!setup || !setup->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn))
        return true;
    const auto workflowView = Document()->GetModel(ModelKind::WorkflowView);
    const auto analyseStep = Document()->GetModel(ModelKind::AnalysisStep);
    return workflowView && analyseStep &&
           workflowView->GetValue<PropertyType::Int>(PropertyId::CurrentStep) == AnalyseStepId &&
           analyseStep->GetValue<PropertyType::Int>(PropertyId::AnalysisType) == OcclusionAnalysis;
}

void SistraAnalysisGraphView::SetupWindow()
{
    SistraGraphViewBase::SetupWindow();
    FillCombos();
    UpdateRegressionControls(!HostSampling());
    const OWL::TFont& guiFont = GuiFont();
    for (OWL::TWindow* window : std::initializer_list<OWL::TWindow*>{
             layoutWindow_.get(), espvrCheck_.get(), edpvrCheck_.get(), espvrTypeCombo_.get(), edpvrTypeCombo_.get(),
             esPointsCombo_.get(), loopList_.get()})
        window->SetWindowFont(guiFont, false);
    layoutWindow_->SetBkgndColor(OWL::TColor(::GetSysColor(COLOR_BTNFACE)));
    LayOutStrip();
    PlaceListAndStrip();
    layoutWindow_->Layout();
    if (Document())
        for (int kind : {ModelKind::WorkflowSetup, ModelKind::AnalysisStep, ModelKind::WorkflowView})
            if (const auto model = Document()->GetModel(kind))
                Observe(static_cast<ISubject*>(model.get()));
    for (OWL::TWindow* window : std::initializer_list<OWL::TWindow*>{
             espvrTypeCombo_.get(), edpvrTypeCombo_.get(), espvrCheck_.get(), edpvrCheck_.get(), esPointsCombo_.get(),
             errorIcon_.get()})
        ::SetWindowPos(window->GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    controlsReady_ = true;
    ResendSettings();
}

// The combo texts that name the end-systolic detection: "max (P/V)" or "sine fit".
void SistraAnalysisGraphView::FillCombos()
{
    // The first three ESPVR types and the first point kind carry the detection text, filled in by
    // RenewDetectionTexts.
    for (int item = 0; item < 3; ++item)
        espvrTypeCombo_->AddString(L"");
    espvrTypeCombo_->AddString(Text(IDS_LOOP_ESPVR_TANGENT).c_str());
    esPointsCombo_->AddString(L"");
    esPointsCombo_->AddString(Text(IDS_LOOP_TANGENT_POINTS).c_str());
    edpvrTypeCombo_->AddString(Text(IDS_LOOP_LINEAR).c_str());
    edpvrTypeCombo_->AddString(Text(IDS_LOOP_EXPONENTIAL).c_str());
    RenewDetectionTexts();
}

void SistraAnalysisGraphView::RenewDetectionTexts()
{
    const auto setup = Setup();
    const bool sineFit = setup && setup->GetValue<PropertyType::Int>(PropertyId::EndSystolicMode) != 0;
    const Orv::String detection = Text(sineFit ? IDS_LOOP_SINE_FIT : IDS_LOOP_MAX_PV);
    const auto withDetection = [&](UINT id) {
        Orv::OFormatStringStream text(id);
        text << detection;
        return text.Str();
    };
    // Lists that say the detection already are left alone: this runs on every change of the model, also
    // while the person's choice is being made in an opened list, and a list renewed or moved then closes
    // without letting go of the pointer (the frame's menus stop answering).
    bool renewed = false;
    const auto renew = [&renewed](OWL::TComboBox& combo, int index, const Orv::String& text) {
        if (combo.GetString(index) == text.c_str())
            return;
        const int selected = combo.GetSelIndex();
        combo.DeleteString(index);
        combo.InsertString(text.c_str(), index);
        combo.SetSelIndex(selected);
        renewed = true;
    };
    int index = 0;
    for (UINT id : {IDS_LOOP_ESPVR_LINEAR, IDS_LOOP_ESPVR_QUADRATIC, IDS_LOOP_ESPVR_PERPENDICULAR})
        renew(*espvrTypeCombo_, index++, withDetection(id));
    renew(*esPointsCombo_, 0, withDetection(IDS_LOOP_DETECTED_POINTS));
    // The texts' widths decide the strip's.
    if (renewed)
        Relayout();
}

void SistraAnalysisGraphView::Relayout()
{
    if (!controlsReady_ || !GetHandle())
        return;
    const OWL::TRect client = GetClientRect();
    EvSize(SIZE_RESTORED, OWL::TSize(client.Width(), client.Height()));
}

SistraAnalysisGraphView::StripWidths SistraAnalysisGraphView::StripTextRoom(int (*comboRoom)(const OWL::TComboBox&)) const
{
    return StripWidths{{comboRoom(*espvrTypeCombo_), comboRoom(*esPointsCombo_), comboRoom(*edpvrTypeCombo_)},
                       {CheckTextRoom(*espvrCheck_), CheckTextRoom(*edpvrCheck_)}};
}

int SistraAnalysisGraphView::OneRowWidth(const StripWidths& widths)
{
    return widths.boxes[0] + widths.boxes[1] + widths.combos[0] + widths.combos[1] + widths.combos[2] + PointsGap +
           TypeGap + IconRoom;
}

// Two rows: the ESPVR controls with the points list and the notice on the first, EDPVR's on the second.
int SistraAnalysisGraphView::TwoRowWidth(const StripWidths& widths)
{
    return std::max(IconRoom + widths.boxes[0] + widths.combos[0] + TypeGap + widths.combos[1],
                    widths.boxes[1] + widths.combos[2]);
}

bool SistraAnalysisGraphView::StripMeasurable() const
{
    return espvrTypeCombo_->GetHandle() && espvrCheck_->GetHandle();
}

// A strip with nothing to show would leave an empty band above the graph: it goes.
int SistraAnalysisGraphView::StripRowsAt(int stripWidth) const
{
    if (!stripShown_)
        return warningShown_ ? 1 : 0;
    return StripMeasurable() && OneRowWidth(StripTextRoom()) > stripWidth ? 2 : 1;
}

// The strip's controls from its right edge leftwards. The standard widths keep the proportions of the
// strip: combos 88, 80 and 44 against boxes 30, in units of 2 pixels. Where those would cut a text, or
// do not fit, each control gets the width its longest text needs; a strip too narrow for that in one
// row puts the EDPVR controls on a second row below the ESPVR ones (and, narrower still, narrows the
// ESPVR combos). The drop-down lists always show their items whole.
void SistraAnalysisGraphView::LayOutStrip()
{
    constexpr int Unit = 2;
    constexpr int StandardBox = 30 * Unit;
    const std::array<int, 3> standardCombos{88 * Unit, 80 * Unit, 44 * Unit};
    const int standardWidth = 2 * StandardBox + PointsGap + TypeGap + IconRoom + 88 * Unit + 80 * Unit + 44 * Unit;
    const bool measured = StripMeasurable();
    const int stripWidth = GetHandle() ? GetClientRect().Width() - 2 * ViewInset : standardWidth;
    std::array<OWL::TComboBox*, 3> combos{espvrTypeCombo_.get(), esPointsCombo_.get(), edpvrTypeCombo_.get()};
    StripWidths widths{standardCombos, {StandardBox, StandardBox}};
    std::array<int, 3>& comboWidths = widths.combos;
    std::array<int, 2>& boxWidths = widths.boxes;
    if (measured)
        for (size_t i = 0; i < combos.size(); ++i)
        {
            const int needed = ComboTextRoom(*combos[i]);
            combos[i]->SendMessage(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(needed));
            comboWidths[i] = std::max(comboWidths[i], needed);
        }
    stripRows_ = StripRowsAt(stripWidth);
    if (measured && stripShown_ && OneRowWidth(widths) > stripWidth)
    {
        widths = StripTextRoom();
        if (stripRows_ == 2)
        {
            const int room = stripWidth - boxWidths[0] - TypeGap - IconRoom;
            const int wanted = comboWidths[0] + comboWidths[1];
            if (wanted > room)
                for (size_t i = 0; i < 2; ++i)
                    comboWidths[i] = std::max(NarrowestCombo, comboWidths[i] * room / wanted);
        }
    }
    const int itemHeight = measured ? static_cast<int>(espvrTypeCombo_->SendMessage(CB_GETITEMHEIGHT, 0)) : 0;
    const int dropListHeight = DropListRows * std::max(itemHeight, UnmeasuredItemHeight) + 2 * ::GetSystemMetrics(SM_CYBORDER);
    const auto place = [&](OWL::TWindow& child, OWL::TWindow* rightOf, int gap, int row, bool box, int width) {
        OWL::TLayoutMetrics metrics;
        metrics.SetMeasurementUnits(OWL::lmPixels);
        if (rightOf)
            metrics.X.Set(OWL::lmRight, OWL::lmLeftOf, rightOf, OWL::lmLeft, gap);
        else
            metrics.X.Set(OWL::lmRight, OWL::lmSameAs, OWL::lmParent, OWL::lmRight, 0);
        // A box as high as the row sits centred on it; a combo one pixel below its top.
        metrics.Y.Set(OWL::lmTop, OWL::lmSameAs, OWL::lmParent, OWL::lmTop, row * StripHeight + (box ? 0 : 1));
        metrics.Width.Absolute(OWL::lmWidth, width);
        // A drop-down list's window height is its field's and its open list's together.
        metrics.Height.Absolute(OWL::lmHeight, box ? StripHeight : StripHeight + dropListHeight);
        layoutWindow_->SetChildLayoutMetrics(child, metrics);
    };
    const int edpvrRow = std::max(stripRows_, 1) - 1;
    place(*edpvrTypeCombo_, nullptr, 0, edpvrRow, false, comboWidths[2]);
    place(*edpvrCheck_, edpvrTypeCombo_.get(), 0, edpvrRow, true, boxWidths[1]);
    if (stripRows_ == 1)
        place(*esPointsCombo_, edpvrCheck_.get(), PointsGap, 0, false, comboWidths[1]);
    else
        place(*esPointsCombo_, nullptr, 0, 0, false, comboWidths[1]);
    place(*espvrTypeCombo_, esPointsCombo_.get(), TypeGap, 0, false, comboWidths[0]);
    place(*espvrCheck_, espvrTypeCombo_.get(), 0, 0, true, boxWidths[0]);
    const OWL::TRect icon = errorIcon_->GetClientRect();
    const int side = std::max(16, static_cast<int>(icon.Height()));
    OWL::TLayoutMetrics metrics;
    metrics.SetMeasurementUnits(OWL::lmPixels);
    metrics.X.Set(OWL::lmRight, OWL::lmLeftOf, espvrCheck_.get(), OWL::lmLeft, 0);
    metrics.Y.Set(OWL::lmTop, OWL::lmSameAs, OWL::lmParent, OWL::lmTop, (StripHeight - side) / 2);
    metrics.Width.Absolute(OWL::lmWidth, side);
    metrics.Height.Absolute(OWL::lmHeight, side);
    layoutWindow_->SetChildLayoutMetrics(*errorIcon_, metrics);
}

// A combo's width that shows its longest item whole: the text, the drop button and the field's edges.
int SistraAnalysisGraphView::ComboTextRoom(const OWL::TComboBox& combo)
{
    return ComboLeastRoom(combo) + 3 * ::GetSystemMetrics(SM_CXEDGE) + 3;
}

// The narrowest a combo gets before its longest item is cut: the text, the drop button, the field's
// left edge and a pixel.
int SistraAnalysisGraphView::ComboLeastRoom(const OWL::TComboBox& combo)
{
    int widest = 0;
    for (int item = 0; item < combo.GetCount(); ++item)
        widest = std::max(widest, GuiTextWidth(combo.GetString(item)));
    return widest + ::GetSystemMetrics(SM_CXVSCROLL) + ::GetSystemMetrics(SM_CXEDGE) + 1;
}

int SistraAnalysisGraphView::CheckTextRoom(const OWL::TCheckBox& box)
{
    wchar_t text[64]{};
    ::GetWindowTextW(box.GetHandle(), text, static_cast<int>(std::size(text)));
    return GuiTextWidth(text) + ::GetSystemMetrics(SM_CXMENUCHECK) + 8;
}

int SistraAnalysisGraphView::GuiTextWidth(const std::wstring& text)
{
    const OWL::TScreenDC screen;
    const OWL::SelectedObject font(screen, GuiFont());
    SIZE extent{};
    ::GetTextExtentPoint32W(screen.GetHDC(), text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

void SistraAnalysisGraphView::UpdateRegressionControls(bool enable)
{
    const bool showEspvr = LoopViewFlag(PropertyId::ShowEspvrRegression);
    const bool showEdpvr = LoopViewFlag(PropertyId::ShowEdpvrRegression);
    espvrCheck_->EnableWindow(enable);
    espvrTypeCombo_->EnableWindow(enable && showEspvr);
    esPointsCombo_->EnableWindow(enable && showEspvr &&
                                 LoopViewInt(PropertyId::EspvrRegressionType) == EspvrTangent);
    edpvrCheck_->EnableWindow(enable);
    edpvrTypeCombo_->EnableWindow(enable && showEdpvr);
    regressionsAvailable_ = RegressionsAvailable();
    for (OWL::TWindow* control : std::initializer_list<OWL::TWindow*>{
             espvrCheck_.get(), espvrTypeCombo_.get(), esPointsCombo_.get(), edpvrCheck_.get(), edpvrTypeCombo_.get()})
        control->ShowWindow(regressionsAvailable_ ? SW_SHOWNOACTIVATE : SW_HIDE);
    // Hidden controls need no second row.
    if (std::exchange(stripShown_, regressionsAvailable_) != regressionsAvailable_)
        Relayout();
}

void SistraAnalysisGraphView::OnSamplingStarts()
{
    UpdateRegressionControls(false);
}

void SistraAnalysisGraphView::OnSamplingStops()
{
    UpdateRegressionControls(true);
}

void SistraAnalysisGraphView::ResendSettings()
{
    if (!ViewModel() || !Proxy())
        return;
    ModelChangedRecord record{static_cast<ISubject*>(ViewModel().get()), ViewModel()->GetPropertyIds().Words()};
    Proxy()->Notify(static_cast<ISubject*>(ViewModel().get()),
                    MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::Id(), 0, &record);
}

void SistraAnalysisGraphView::OnModelChanged(ModelChangedRecord* record)
{
    if (!controlsReady_ || !record)
        return;
    ShowModelChoices();
    RenewDetectionTexts();
    espvrCheck_->SetCheck(LoopViewFlag(PropertyId::ShowEspvrRegression) ? BST_CHECKED : BST_UNCHECKED);
    edpvrCheck_->SetCheck(LoopViewFlag(PropertyId::ShowEdpvrRegression) ? BST_CHECKED : BST_UNCHECKED);
    UpdateRegressionControls(!HostSampling());
    if (!ChangesPlot(PropertyIdSet(record->changed)))
        return;
    BuildPlot(GraphWindow());
    InvalidateGraph();
}

// A list closed without a choice (the pointer clicked elsewhere after the keyboard moved through it) may
// show an item the document never got: the lists show again what the plot draws.
void SistraAnalysisGraphView::ShowModelChoices()
{
    const auto show = [](OWL::TComboBox& combo, int32_t value, size_t count) {
        if (value >= 0 && static_cast<size_t>(value) < count && combo.GetSelIndex() != value)
            combo.SetSelIndex(value);
    };
    show(*espvrTypeCombo_, LoopViewInt(PropertyId::EspvrRegressionType), std::size(EspvrTypeNames));
    show(*edpvrTypeCombo_, LoopViewInt(PropertyId::EdpvrRegressionType), std::size(EdpvrTypeNames));
    show(*esPointsCombo_, LoopViewInt(PropertyId::EsPointType), std::size(EsPointNames));
}

void SistraAnalysisGraphView::SendFlag(USHORT command, bool value)
{
    USHORT code = 0;
    GetDocumentMessagePrefix(&code);
    const MsgData<FlagPayload> message{static_cast<ULONG>(code) << 16 | command, 0, {BoolArgument, value ? 1u : 0u}};
    SendMsg(DocumentObject(), message, 0);
}

void SistraAnalysisGraphView::SendText(USHORT command, const wchar_t* text)
{
    USHORT code = 0;
    GetDocumentMessagePrefix(&code);
    const Orv::String value(text);
    const MsgData<TextPayload> message{static_cast<ULONG>(code) << 16 | command, 0, {TextArgument, value.Interface()}};
    SendMsg(DocumentObject(), message, 0);
}

void SistraAnalysisGraphView::ToggleEspvr()
{
    SendFlag(AutomationMessage::ShowESPVRegression, !LoopViewFlag(PropertyId::ShowEspvrRegression));
}

void SistraAnalysisGraphView::ToggleEdpvr()
{
    SendFlag(AutomationMessage::ShowEDPVRegression, !LoopViewFlag(PropertyId::ShowEdpvrRegression));
}

void SistraAnalysisGraphView::EspvrTypeChosen()
{
    const int chosen = espvrTypeCombo_->GetSelIndex();
    if (chosen >= 0 && chosen < static_cast<int>(std::size(EspvrTypeNames)))
        SendText(AutomationMessage::SetESPVRegressionType, EspvrTypeNames[chosen]);
}

void SistraAnalysisGraphView::EdpvrTypeChosen()
{
    const int chosen = edpvrTypeCombo_->GetSelIndex();
    if (chosen >= 0 && chosen < static_cast<int>(std::size(EdpvrTypeNames)))
        SendText(AutomationMessage::SetEDPVRegressionType, EdpvrTypeNames[chosen]);
}

void SistraAnalysisGraphView::EsPointsChosen()
{
    const int chosen = esPointsCombo_->GetSelIndex();
    if (chosen >= 0 && chosen < static_cast<int>(std::size(EsPointNames)))
        SendText(AutomationMessage::SetShowESPointsType, EsPointNames[chosen]);
}

void SistraAnalysisGraphView::EvSize(UINT sizeType, const OWL::TSize& size)
{
    if (size.cx == 0 && size.cy == 0)
        return;
    LayOutStrip();
    PlaceListAndStrip();
    if (layoutWindow_->GetHandle())
        layoutWindow_->Layout();
    SistraGraphViewBase::EvSize(sizeType, size);
    Invalidate(true);
    NoteLeastSize();
}

// A strip on two rows takes its second from the top of the graph and the list.
ViewMargins SistraAnalysisGraphView::GetGraphMargins()
{
    return MarginsFor(stripRows_);
}

ViewMargins SistraAnalysisGraphView::MarginsFor(int stripRows)
{
    return ViewMargins{62, 0, 6 + (stripRows - 1) * StripHeight, 0};
}

// Wide enough for the strip's texts whole on two rows with a read-out's room left of them, and for the
// least plot beside the list, with its equations whole at their full size and its axes' captions whole,
// and high enough for that plot below the strip as it lies at that width.
SIZE SistraAnalysisGraphView::GetLeastSize()
{
    if (!GetHandle() || !GraphWindow().GetHandle())
        return {};
    const SIZE plot = LeastPlotHolding(LeastPlot, EquationsRoom(false));
    int width = plot.cx + PlotOverhead(MarginsFor(1)).cx;
    if (StripMeasurable() && stripShown_)
        width = std::max(width, TwoRowWidth(StripTextRoom()) + 2 * ViewInset + ReadOutRoom);
    return SIZE{width, plot.cy + PlotOverhead(MarginsFor(StripRowsAt(width - 2 * ViewInset)), width).cy};
}

void SistraAnalysisGraphView::PlaceListAndStrip()
{
    const OWL::TRect client = GetClientRect();
    const int below = (stripRows_ - 1) * StripHeight;
    const RECT inset{client.left + ViewInset, client.top + StripInsetTop + below, client.right - ViewInset,
                     client.bottom - ViewInset};
    if (loopList_->GetHandle())
        loopList_->MoveWindow(OWL::TRect(inset.left, inset.top, inset.left + ListWidth, inset.bottom - 1), true);
    if (layoutWindow_->GetHandle())
    {
        layoutWindow_->MoveWindow(OWL::TRect(inset.left, inset.top - StripHeight - below, inset.right, inset.top), false);
        layoutWindow_->ShowWindow(stripRows_ > 0 ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
}

void SistraAnalysisGraphView::DataChanged(uint32_t hint)
{
    if ((hint & ClearListHint) && loopList_->GetHandle())
    {
        loopList_->ClearList();
        loopItems_.SetCount(0);
    }
    SistraGraphViewBase::DataChanged(hint);
}

void SistraAnalysisGraphView::UpdatePart(uint32_t step)
{
    if (step == ListRebuildStep && !HostSampling())
        RebuildLoopList();
    else if (step == ListUpdateStep)
        UpdateLoopList();
}

// The signal-plausibility warning: negative end-diastolic pressures or volumes mean a channel is not
// calibrated as it should be.
void SistraAnalysisGraphView::UpdateData(MGraph1::Graph2DDrawer&)
{
    ShowPlausibilityWarning();
}

// A limit is an amount of pressure or volume: a recording in litres or kilopascals is warned of where the
// same recording in microlitres and millimetres of mercury is. A channel in a unit that cannot be converted
// (an uncalibrated signal) takes the number as it stands.
double SistraAnalysisGraphView::LimitInShownUnit(const ViewChannel& channel, double limit,
                                                 const Orv::PrefixedUnit& limitUnit)
{
    const std::optional<Orv::PrefixedUnit> shown = ChannelUnit(channel.channel);
    const std::optional<double> factor = shown ? PrefixedUnitFactor(limitUnit, *shown) : std::nullopt;
    return factor ? limit * *factor : limit;
}

void SistraAnalysisGraphView::ShowPlausibilityWarning()
{
    constexpr int32_t EndDiastolicPressure = 13;
    constexpr int32_t MinimumVolume = 5;
    constexpr double LowestPressure = 0.001; // mmHg
    constexpr double LowestVolume = 0.0001;  // uL
    static const Orv::String learnMore = Text(IDS_LOOP_LEARN_MORE);
    const double lowestPressure = LimitInShownUnit(GetRangeChannel(), LowestPressure, Orv::PrefixedUnit(L"mmHg"));
    Orv::PrefixedUnit microlitres(L"L");
    microlitres.SetPrefix(Orv::MicroSign);
    const double lowestVolume = LimitInShownUnit(GetDomainChannel(), LowestVolume, microlitres);
    SistraData* data = AnalysisData();
    const auto pressure = data ? data->ComputeLoopParameterStatistics(EndDiastolicPressure) : std::nullopt;
    const auto volume = data ? data->ComputeLoopParameterStatistics(MinimumVolume) : std::nullopt;
    errorIcon_->linkText = learnMore;
    const auto learnMoreAbout = [this](const wchar_t* topic) {
        return [this, topic] { ShowSistraHelp(Document() ? Document()->GetFrameServices() : nullptr, topic); };
    };
    const bool lowPressure = pressure && pressure->count > 0 && pressure->minimum < lowestPressure;
    const bool lowVolume = volume && volume->count > 0 && volume->minimum < lowestVolume;
    if (lowPressure)
    {
        errorIcon_->linkCallback = learnMoreAbout(L"pv_pressure_error");
        errorIcon_->SetError(true, Text(IDS_LOOP_NEGATIVE_PRESSURE_TITLE), Text(IDS_LOOP_NEGATIVE_PRESSURE));
    }
    else if (lowVolume)
    {
        errorIcon_->linkCallback = learnMoreAbout(L"pv_volume_error");
        errorIcon_->SetError(true, Text(IDS_LOOP_NEGATIVE_VOLUME_TITLE), Text(IDS_LOOP_NEGATIVE_VOLUME));
    }
    else
    {
        errorIcon_->linkCallback = nullptr;
        errorIcon_->SetError(false, Orv::String(), Orv::String());
    }
    // The warning's icon lies in the strip, which shows for it when nothing else is there.
    if (const bool warned = lowPressure || lowVolume; std::exchange(warningShown_, warned) != warned)
        Relayout();
}

int32_t SistraAnalysisGraphView::LoopState(uint32_t loop)
{
    SistraEvent record;
    return AnalysisData() && AnalysisData()->ReadLoop(loop, record) ? record.state : UnreadableLoopState;
}

// A day of recording has a hundred thousand loops: the rows are added with the list's painting off,
// and the rows already there are reached through loopItems_, which holds them in the list's order,
// rather than a message to the list per row.
void SistraAnalysisGraphView::RebuildLoopList()
{
    SistraData* data = AnalysisData();
    const uint32_t loops = data ? data->GetLoopCount() : 0;
    const auto setup = Setup();
    const int32_t selected = setup ? setup->GetValue<PropertyType::Int>(PropertyId::SelectedLoop) : -1;
    const ListRedrawSuspended suspended(*loopList_);
    const int listed = ListedRows();
    if (loops > static_cast<uint32_t>(listed))
        loopList_->ReserveRows(static_cast<int>(loops) - listed);
    int rows = 0;
    for (uint32_t loop = 0; loop < loops; ++loop)
    {
        const int32_t state = LoopState(loop);
        if (state == LoopStateClosing)
            continue;
        OWL::TCheckListItem* item = rows < listed ? loopItems_[static_cast<unsigned>(rows)] : nullptr;
        if (!item)
        {
            item = new OWL::TCheckListItem(std::to_wstring(rows + 1).c_str());
            loopItems_.Add(item);
            loopList_->AddItem(item);
        }
        state == LoopStateExcluded ? item->Uncheck() : item->Check();
        if (static_cast<int32_t>(loop) == selected)
            loopList_->SetSelIndex(rows);
        ++rows;
    }
    for (int row = loopList_->GetCount() - 1; row >= rows; --row)
        loopList_->DetachItem(row);
    if (loopItems_.Count() > static_cast<unsigned>(rows))
        loopItems_.SetCount(static_cast<unsigned>(rows));
}

void SistraAnalysisGraphView::UpdateLoopList()
{
    SistraData* data = AnalysisData();
    const uint32_t loops = data ? data->GetLoopCount() : 0;
    const auto setup = Setup();
    const int32_t selected = setup ? setup->GetValue<PropertyType::Int>(PropertyId::SelectedLoop) : -1;
    const ListRedrawSuspended suspended(*loopList_);
    loopList_->SetSelIndex(-1);
    if (HostSampling())
    {
        // While sampling the list only grows.
        for (int row = loopList_->GetCount(); loops > 0 && row < static_cast<int>(loops); ++row)
        {
            auto* item = new OWL::TCheckListItem(std::to_wstring(row + 1).c_str(), BST_CHECKED);
            loopItems_.Add(item);
            loopList_->AddItem(item);
        }
    }
    else
    {
        const int rows = ListedRows();
        for (int row = 0; row < rows && row < static_cast<int>(loops); ++row)
        {
            OWL::TCheckListItem& item = *loopItems_[static_cast<unsigned>(row)];
            LoopState(static_cast<uint32_t>(row)) == LoopStateExcluded ? item.Uncheck() : item.Check();
        }
    }
    loopList_->SetSelIndex(selected);
}

// The rows of the list that loopItems_ holds in the same order.
int SistraAnalysisGraphView::ListedRows() const
{
    return std::min(loopList_->GetCount(), static_cast<int>(loopItems_.Count()));
}

void SistraAnalysisGraphView::LoopRowChosen()
{
    const int row = loopList_->GetSelIndex();
    if (row < 0 || row >= loopList_->GetCount() || !ViewModel())
        return;
    const auto setup = Setup();
    if (setup)
        setup->SetValue<PropertyType::Int>(PropertyId::SelectedLoop, row);
    IntSet unticked = ViewModel()->GetCheckedItems();
    const OWL::TCheckListItem* item = loopList_->GetItem(row);
    if (item && !item->IsChecked())
        unticked.insert(row);
    else
        unticked.erase(row);
    ViewModel()->SetValue<PropertyType::IntSet>(PropertyId::CheckedItems, unticked);
    ViewModel()->CommitChanges();
    if (setup)
        setup->CommitChanges();
}

} // namespace Sistra
