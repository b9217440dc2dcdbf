#include "views/saline/SalineCalGraphView.h"

#include "hostapi/ModelMessages.h"
#include "controls/edits/ValidatingEdit.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"
#include "document/core/SistraDocument.h"
#include "document/models/workflow/Workflow.h"
#include "views/base/ViewHelpers.h"
#include "foundation/numbers/NumberUtilities.h"
#include "foundation/numbers/Units.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "graph/plotters/GlyphPlotter.h"
#include "hostframework/messaging/SistraIds.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Sistra
{

namespace
{

constexpr int BandStatusLeft = 65;
constexpr int ApplyGap = 80;
constexpr int ApplyTop = 6;
constexpr int ButtonWidth = 64;
constexpr int ButtonHeight = 23;
constexpr int CheckBoxLeft = 67;
constexpr int CheckBoxTextGap = 17;
constexpr int LabelGap = 82;
constexpr int EditWidth = 55;
constexpr int EditHeight = 21;
constexpr int UnitGap = 5;
constexpr int NarrowestGap = 8;
constexpr int RowEndMargin = 4;
// The least room above and below the notice in the top band.
constexpr int StatusInset = 4;
constexpr COLORREF SeparatorColour = 0x00DFDFDF;

} // namespace

DEFINE_RESPONSE_TABLE1(SistraSalineCalGraphView, SistraGraphViewBase)
EV_WM_SIZE, EV_EN_CHANGE(SistraSalineCalGraphView::VpEditId, OnVpEdited),
    EV_BN_CLICKED(SistraSalineCalGraphView::ApplyId, OnApply),
    EV_BN_CLICKED(SistraSalineCalGraphView::EnableId, OnEnableToggled), EV_WM_CTLCOLORBTN,
    EV_WM_CTLCOLORSTATIC, END_RESPONSE_TABLE;

VYR_DEFINE_EVENT_MAP(SistraSalineCalGraphView, SistraGraphViewBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(
        &MsgIdClass<&HostSamplingEventGUID, HostSamplingEventNumber::Started>::GetId,
        &CallMemberNoArgs<SistraSalineCalGraphView, &SistraSalineCalGraphView::UpdateControls>),
    VyrEventMap::Observer(
        &MsgIdClass<&HostSamplingEventGUID, HostSamplingEventNumber::Stopped>::GetId,
        &CallMemberNoArgs<SistraSalineCalGraphView, &SistraSalineCalGraphView::UpdateControls>),
    VyrEventMap::Observer(
        &MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::GetId,
        &DispatchObserverEvent<SistraSalineCalGraphView, const ModelChangedRecord,
                               &SistraSalineCalGraphView::OnModelChanged>),
    VyrEventMap::End(),
};

SistraSalineCalGraphView::SistraSalineCalGraphView(OWL::TWindow* parent, IDocViewClass* viewClass,
                                                   IDocView2* view, IUnknown* document, OWL::TModule* module,
                                                   IDocView2* hostView)
    : SistraGraphViewBase(ViewCreation{parent, viewClass, view, document, module, hostView},
                          Orv::LoadedText(IDS_VIEW_SALINE_CALIBRATION), SalineViewNumber,
                          ModelKind::SalineCalib),
      apply_(new OWL::TButton(this, ApplyId, Orv::LoadedText(IDS_CUVETTE_APPLY).c_str(), 0, 0, 0, 0, false,
                              module)),
      status_(new OWL::TStatic(this, StatusId, L"", 0, 0, 0, 0, 0, module)),
      enable_(
          new OWL::TCheckBox(this, EnableId, Orv::LoadedText(IDS_SALINE_ENABLE).c_str(), 0, 0, 0, 0, module)),
      appliedLabel_(new OWL::TStatic(this, AppliedLabelId, Orv::LoadedText(IDS_SALINE_APPLIED_VP).c_str(), 0,
                                     0, 0, 0, 0, module)),
      vpEdit_(new OWL::TEdit(this, VpEditId, L"", 0, 0, 0, 0, 0, false, module)),
      unitLabel_(new OrvControls::StaticTextErrorProvider(this, L"")),
      topBand_(new OWL::TStatic(this, TopBandId, L"", 0, 0, 0, 0, 0, module)),
      bottomBand_(new OWL::TStatic(this, BottomBandId, L"", 0, 0, 0, 0, 0, module)),
      separator_(new OWL::TStatic(this, SeparatorId, L"", 0, 0, 0, 0, 0, module))
{
    // The bands never paint over the controls that lie on them.
    for (OWL::TWindow* band : std::initializer_list<OWL::TWindow*>{topBand_, bottomBand_, separator_})
        band->Attr.Style |= WS_CLIPSIBLINGS;
    vpEdit_->Attr.Style &= ~WS_BORDER;
    vpEdit_->Attr.ExStyle |= WS_EX_CLIENTEDGE;
}

void SistraSalineCalGraphView::SetupWindow()
{
    inWorkflow_ = WorkflowModeOn();
    SistraGraphViewBase::SetupWindow();
    for (OWL::TWindow* control :
         std::initializer_list<OWL::TWindow*>{apply_, status_, enable_, appliedLabel_, vpEdit_, unitLabel_})
        control->SetWindowFont(ControlFont(), false);
    ::InstallSilentSetText(vpEdit_->GetHandle());
    // The bands lie under the controls drawn on them, the separator line on the bottom band.
    for (OWL::TWindow* band : std::initializer_list<OWL::TWindow*>{separator_, bottomBand_, topBand_})
        ::SetWindowPos(band->GetHandle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    created_ = true;
    // The first size came before the children were there.
    LayoutTopBand();
    LayoutBottomBand();
    if (const ModelPtr& model = ViewModel())
    {
        const ModelChangedRecord record{static_cast<ISubject*>(model.get()), model->GetPropertyIds().Words()};
        OnModelChanged(&record);
    }
}

ViewChannel SistraSalineCalGraphView::VolumeChannel()
{
    const ModelPtr setup = GetSetupModel();
    return ViewChannel{setup ? setup->GetVolumeChannel() : NoChannel, 0};
}

bool SistraSalineCalGraphView::WorkflowModeOn()
{
    const ModelPtr setup = GetSetupModel();
    return setup && setup->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn);
}

double SistraSalineCalGraphView::VolumePrefixFactor()
{
    const Orv::PrefixedUnit unit = Document() ? GetVolumeUnit(*Document(), false) : Orv::PrefixedUnit();
    return unit.Prefix() ? UnitPrefixFactor(unit.Prefix()) : 1.0;
}

Orv::String SistraSalineCalGraphView::GetHelpTopic()
{
    if (!WorkflowModeOn())
        return Orv::LoadedText(IDS_SALINE_TOPIC);
    return Workflow(Document()).GetStepHelpTopic(StepId::SalineStep);
}

bool SistraSalineCalGraphView::GetRegression(ViewRegression& regression)
{
    FittedLine line;
    if (!AnalysisData() || !AnalysisData()->FitSalineLine(line))
        return false;
    regression = ViewRegression{line.intercept, line.slope, line.fit};
    return true;
}

// The extents include the point (Vp, Vp), so that the fitted line is seen to meet the line of identity.
bool SistraSalineCalGraphView::GetDataExtents(ViewExtents& extents)
{
    PlotRange range;
    if (!AnalysisData() || !AnalysisData()->GetSalinePlotRange(range))
        return false;
    extents = ViewExtents{range.firstMinimum, range.firstMaximum, range.secondMinimum, range.secondMaximum};
    if (vpAvailable_)
    {
        const auto vp = static_cast<float>(AnalysedVp());
        if (std::min(extents.xLow, extents.yLow) > vp)
            extents.xLow = extents.yLow = vp;
        if (vp > std::max(extents.xHigh, extents.yHigh))
            extents.xHigh = extents.yHigh = vp;
    }
    return true;
}

// The Vp mark: a line across the plot at Ved = Vp, where the fit meets the line of identity. It is drawn
// with the fitted line, whose equation then keeps clear of it.
bool SistraSalineCalGraphView::GetGlyphs(double domainLow, double domainHigh, int seriesId, int* count,
                                         const MGraph1::GlyphRecord** records)
{
    if (!SistraGraphViewBase::GetGlyphs(domainLow, domainHigh, seriesId, count, records))
        return false;
    if (!vpAvailable_)
        return true;
    const double vp = AnalysedVp();
    fitAndVp_ = {**records,
                 MGraph1::GlyphRecord{vp, vp, vp, vp, MGraph1::GlyphKind::VerticalLine, VpColour, {}, false}};
    *count = static_cast<int>(fitAndVp_.size());
    *records = fitAndVp_.data();
    return true;
}

void SistraSalineCalGraphView::UpdateVp()
{
    const RaisedFlag updating(updating_);
    unitLabel_->SetText(GetDomainUnits().c_str());
    vpAvailable_ = linesParallel_ = false;
    std::optional<double> belowZero;
    if (!IsOnlineAnalysisRunning() && AnalysisData())
    {
        const SalineIntersection meeting = AnalysisData()->IntersectSalineLine();
        linesParallel_ = meeting.fitted && meeting.parallel;
        if (meeting.VpBelowZero())
            belowZero = meeting.vp;
        vpAvailable_ = meeting.HasVp();
        if (vpAvailable_)
        {
            vp_ = meeting.vp;
            factor_ = divisor_ = 1.0;
        }
    }
    UpdateControls();
    Orv::String status;
    if (vpAvailable_ || belowZero)
    {
        Orv::OFormatStringStream text(vpAvailable_ ? IDS_SALINE_ANALYZED_VP : IDS_SALINE_VP_BELOW_ZERO);
        text << FormatNumber((vpAvailable_ ? AnalysedVp() : *belowZero) / VolumePrefixFactor()) << GetDomainUnits();
        status = text.Str();
    }
    else if (IsOnlineAnalysisRunning())
        status = Orv::LoadedText(IDS_SALINE_NOT_ONLINE);
    else
        status = Orv::LoadedText(linesParallel_ ? IDS_SALINE_PARALLEL : IDS_SALINE_TOO_FEW_POINTS);
    status_->SetText(status.c_str());
    // The texts, the unit's too, are laid out at their new widths.
    LayoutTopBand();
    LayoutBottomBand();
}

void SistraSalineCalGraphView::UpdateControls()
{
    if (!created_)
        return;
    const bool sampling = Document() && Document()->IsSampling();
    const bool applied = ViewModel()->GetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied);
    apply_->EnableWindow(vpAvailable_ && !sampling);
    enable_->EnableWindow(!sampling);
    for (OWL::TWindow* control : std::initializer_list<OWL::TWindow*>{vpEdit_, appliedLabel_, unitLabel_})
        control->EnableWindow(!sampling && applied);
    const bool workflow = WorkflowModeOn();
    const int shown = workflow ? SW_HIDE : SW_SHOWNOACTIVATE;
    for (OWL::TWindow* control : std::initializer_list<OWL::TWindow*>{enable_, vpEdit_, appliedLabel_, unitLabel_,
                                                                      bottomBand_, separator_})
        control->ShowWindow(shown);
    apply_->ShowWindow(vpAvailable_ && !workflow ? SW_SHOWNOACTIVATE : SW_HIDE);
    // Entering or leaving the workflow takes the bottom band away or gives it back.
    if (std::exchange(inWorkflow_, workflow) != workflow)
        PlaceAgain(GetHandle());
    NoteLeastSize();
}

void SistraSalineCalGraphView::EvSize(UINT sizeType, const OWL::TSize& size)
{
    if (size.cx != 0 || size.cy != 0)
    {
        LayoutTopBand();
        LayoutBottomBand();
    }
    SistraGraphViewBase::EvSize(sizeType, size);
}

// Wide enough for the bands' controls whole where they show: the bottom row with its gaps closed to the
// narrowest, and the analysed Vp on one line beside its Apply button; and for the least plot, with its
// equation readably on two lines and its axes' captions whole. Smaller, the host scrolls the view rather
// than cut them.
SIZE SistraSalineCalGraphView::GetLeastSize()
{
    if (!created_ || !GraphWindow().GetHandle())
        return {};
    const SIZE plot = LeastPlotHolding(LeastPlot, GetFunctionIndex() != -1 ? EquationsRoom(true) : 0);
    const ViewMargins margins = GetGraphMargins();
    LONG width = plot.cx + PlotOverhead(margins).cx;
    if (!WorkflowModeOn())
    {
        const int row = MeasureControlText(EnableId).cx + CheckBoxTextGap + 2 * NarrowestGap +
                        MeasureControlText(AppliedLabelId).cx + EditWidth + UnitGap +
                        MeasureControlText(UnitLabelId).cx + BottomRowEndRoom();
        const int band = vpAvailable_ ? MeasureControlText(StatusId).cx + ApplyGap + ButtonWidth + RowEndMargin : 0;
        width = std::max<LONG>({width, row, band});
    }
    return SIZE{width, plot.cy + PlotOverhead(margins, width).cy};
}

// A notice wider than the band's room breaks onto a second line rather than running off the view.
void SistraSalineCalGraphView::LayoutTopBand()
{
    if (!created_ || GetControlText(StatusId).Length() == 0)
        return;
    const int clientWidth = GetClientRect().Width();
    const SIZE text = MeasureControlText(StatusId);
    const int width = std::min<int>(text.cx, std::max(1, clientWidth - BandStatusLeft - RowEndMargin));
    const int height = StatusHeight(width);
    // A notice broken onto more lines than the band holds deepens it, and the plot begins below it.
    const int band = std::max(TopBandHeight, height + 2 * StatusInset);
    const int top = (band - height) / 2;
    status_->MoveWindow(OWL::TRect(BandStatusLeft, top, BandStatusLeft + width, top + height), true);
    // A resized static keeps the pixels of its old size, and a new text was already painted into them,
    // wrapped at the old width: all of it paints again at the new one.
    status_->Invalidate(true);
    const int applyLeft = width + ApplyGap;
    apply_->MoveWindow(OWL::TRect(applyLeft, ApplyTop, applyLeft + ButtonWidth, ApplyTop + ButtonHeight),
                       true);
    topBand_->MoveWindow(OWL::TRect(0, 0, clientWidth, band), true);
    if (std::exchange(topBandHeight_, band) != band)
        PlaceAgain(GetHandle());
    NoteLeastSize();
}

int SistraSalineCalGraphView::StatusHeight(int width)
{
    const Orv::String text = GetControlText(StatusId);
    const OWL::TScreenDC screen;
    const OWL::SelectedObject font(screen.GetHDC(), ControlFont());
    RECT bounds{0, 0, width, 0};
    ::DrawTextW(screen.GetHDC(), text.c_str(), static_cast<int>(text.Length()), &bounds,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return bounds.bottom;
}

// The bottom row ends short of the size grip in the view's corner, which would cut the unit off.
int SistraSalineCalGraphView::BottomRowEndRoom() const
{
    return SizeGripRect().Width() + RowEndMargin;
}

// At the size the view has now, never at one a message carried: a size posted to lay it out again may be
// older.
void SistraSalineCalGraphView::LayoutBottomBand()
{
    if (!created_)
        return;
    const OWL::TRect client = GetClientRect();
    const int w = client.Width(), h = client.Height();
    bottomBand_->MoveWindow(OWL::TRect(0, h - 10, w, h), true);
    separator_->MoveWindow(OWL::TRect(0, h - 7, w, h - 6), true);
    const int boxWidth = MeasureControlText(EnableId).cx + CheckBoxTextGap;
    const int labelWidth = MeasureControlText(AppliedLabelId).cx;
    const int unitWidth = MeasureControlText(UnitLabelId).cx;
    // A view too narrow for the row's gaps closes them, the gap before the label first, so that the unit
    // stays inside the view. The label's standard place is LabelGap from the view's left edge past the box.
    constexpr int StandardGap = LabelGap - CheckBoxLeft;
    int overflow = CheckBoxLeft + boxWidth + StandardGap + labelWidth + EditWidth + UnitGap + unitWidth + BottomRowEndRoom() - w;
    const int labelGap = StandardGap - std::clamp(overflow, 0, StandardGap - NarrowestGap);
    overflow -= StandardGap - labelGap;
    const int checkBoxLeft = CheckBoxLeft - std::clamp(overflow, 0, CheckBoxLeft - NarrowestGap);
    enable_->MoveWindow(OWL::TRect(checkBoxLeft, h - 23, checkBoxLeft + boxWidth, h - 3), true);
    int x = checkBoxLeft + boxWidth + labelGap;
    appliedLabel_->MoveWindow(OWL::TRect(x, h - 20, x + labelWidth, h - 7), true);
    x += labelWidth;
    vpEdit_->MoveWindow(OWL::TRect(x, h - 23, x + EditWidth, h - 23 + EditHeight), true);
    x += EditWidth + UnitGap;
    unitLabel_->MoveWindow(OWL::TRect(x, h - 20, x + unitWidth, h - 7), true);
}

HBRUSH SistraSalineCalGraphView::EvCtlColor(HDC dc, HWND child, UINT controlType)
{
    if (child == separator_->GetHandle())
    {
        ::SetDCBrushColor(dc, SeparatorColour);
        return static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
    }
    for (OWL::TWindow* onBand : std::initializer_list<OWL::TWindow*>{status_, apply_, topBand_, bottomBand_})
        if (child == onBand->GetHandle())
        {
            ::SetBkMode(dc, TRANSPARENT);
            return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        }
    return SistraGraphViewBase::EvCtlColor(dc, child, controlType);
}

bool SistraSalineCalGraphView::CalibrationChecksPass()
{
    return Document() && VolumeCalibrationMayApply(*Document());
}

void SistraSalineCalGraphView::OnApply()
{
    if (!vpAvailable_ || !CalibrationChecksPass())
        return;
    unitLabel_->SetText(GetDomainUnits().c_str());
    const ModelPtr& model = ViewModel();
    model->SetParallelConductance(AnalysedVp());
    model->SetSalineCalibrationApplied(true);
    model->CommitChanges();
}

// Switching the calibration on gives a model that never had a Vp one to start from.
void SistraSalineCalGraphView::OnEnableToggled()
{
    if (updating_)
        return;
    const bool ticked = enable_->GetCheck() == BST_CHECKED;
    if (ticked && !CalibrationChecksPass())
    {
        enable_->SetCheck(BST_UNCHECKED);
        return;
    }
    const ModelPtr& model = ViewModel();
    if (ticked && std::isnan(model->GetValue<PropertyType::Double>(PropertyId::ParallelConductance)))
        model->SetParallelConductance(0.0);
    model->SetSalineCalibrationApplied(ticked);
    model->CommitChanges();
}

// Typing changes the model; the edit keeps what was typed rather than the model's rewrite of it.
void SistraSalineCalGraphView::OnVpEdited()
{
    const RaisedFlag editing(editing_);
    const double typed = ParseNumber(GetWindowTextString(vpEdit_->GetHandle()));
    ViewModel()->SetParallelConductance(std::isnan(typed) ? typed : typed * VolumePrefixFactor());
    ViewModel()->CommitChanges();
}

void SistraSalineCalGraphView::OnModelChanged(const ModelChangedRecord* record)
{
    if (!created_ || !record)
        return;
    const PropertyIdSet changed(record->changed);
    const ModelPtr& model = ViewModel();
    if (changed.Test(PropertyId::SalineCalibrationApplied))
        enable_->SetCheck(model->GetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied)
                              ? BST_CHECKED
                              : BST_UNCHECKED);
    if (!editing_ && changed.Test(PropertyId::ParallelConductance))
    {
        const double vp = model->GetValue<PropertyType::Double>(PropertyId::ParallelConductance);
        SetWindowNumber(vpEdit_->GetHandle(), std::isnan(vp) ? vp : vp / VolumePrefixFactor());
    }
    UpdateControls();
}

} // namespace Sistra
