// The document's calibration and data commands: calibration values taken from the selection, the
// saline and cuvette calibrations applied or withdrawn, the list of saline boluses, and a loop chosen
// by its table row.
#include "document/core/SistraDocument.h"

#include "calc/numerics/NumericHelpers.h"
#include "calc/sources/ChannelMean.h"
#include "document/calibration/CalibratorBase.h"
#include "document/models/workflow/Workflow.h"
#include "document/models/ModelFactory.h"
#include "foundation/com/ErrorReason.h"
#include "foundation/system/WaitCursor.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/MessageArguments.h"
#include "hostframework/services/HostDataAccess.h"
#include "hostframework/services/HostMessageBox.h"
#include "resources/ResourceIds.h"
#include "tableview/manager/TableViewManager.h"
#include "hostframework/messaging/SistraIds.h"

#include <cmath>
#include <cwctype>
#include <optional>
#include <string>

namespace Sistra
{
namespace
{

constexpr int32_t LoopStateInvalid = 2;
// The calibration command's slope and intercept are in microlitres.
constexpr double MicroFactor = 1e-6;
constexpr uint32_t VolumeCalibrationChanged = 8;

RecordingPosition UnsetPosition()
{
    return RecordingPosition{0x7FFFFFFF, 0x7FFFFFFF};
}

// The entry's index (from 0) for a list position counted from 1; nothing outside the list.
std::optional<size_t> ListIndex(LONG position, size_t count)
{
    if (position < 1 || static_cast<size_t>(position) > count)
        return std::nullopt;
    return static_cast<size_t>(position - 1);
}

std::wstring ToLower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool SameBolus(const BolusEntry& a, const BolusEntry& b)
{
    return a.start == b.start && a.end == b.end && ValuesEqual(a.value, b.value) && ValuesEqual(a.loopItems, b.loopItems);
}

} // namespace

// Only a selection of the channel within one record counts.
bool SistraDocument::ChannelSelection(int32_t channel, TickPosition& start, TickPosition& end)
{
    const HostSelectionRange selection = ::ReadHostSelection(HostDocumentObject(), channel);
    start = selection.start;
    end = selection.end;
    return selection.includesChannel && selection.InOneRecord();
}

// Points other than 0 and 1 store nothing.
MessageAnswer SistraDocument::SetValueFromSelection(int32_t channel, int kind, int firstPointId, int secondPointId,
                                                    LONG point)
{
    if (point != 0 && point != 1)
        return RefuseArgument(L"pointIdx", L"the point is 0 or 1, not " + std::to_wstring(point));
    TickPosition start, end;
    if (!ChannelSelection(channel, start, end))
        return RefuseMessage(L"the channel " + std::to_wstring(channel + 1) + L" has no selection within one record");
    CalibratorBase& calibrator = kind == ModelKind::PressureCalib ? static_cast<CalibratorBase&>(*pressureCalibrator_)
                                                                  : *volumeCalibrator_;
    const double mean = calibrator.ShownWithoutCalibration(MeanOfChannelRange(HostDoc(), channel, start, end, false),
                                                           channel);
    const ModelPtr model = GetModel(kind);
    model->SetValue<PropertyType::Double>(point == 0 ? firstPointId : secondPointId, mean);
    model->CommitChanges();
    return MessageAnswer::Done;
}

MessageAnswer SistraDocument::OnSetPressureValueFromSel(LONG point)
{
    return SetValueFromSelection(GetSetupModel()->GetPressureChannel(), ModelKind::PressureCalib, PropertyId::PressureBase1,
                          PropertyId::PressureBase2, point);
}

MessageAnswer SistraDocument::OnSetConductanceValueFromSel(LONG point)
{
    return SetValueFromSelection(GetSetupModel()->GetVolumeChannel(), ModelKind::ConductanceCalib,
                          PropertyId::ConductanceBase1, PropertyId::ConductanceBase2, point);
}

MessageAnswer SistraDocument::OnSetVolumeValueFromSel(LONG point)
{
    return SetValueFromSelection(GetSetupModel()->GetVolumeChannel(), ModelKind::VolumeCalib, PropertyId::VolumeBase1,
                          PropertyId::VolumeBase2, point);
}

// The loops the user excluded survive the new calibration's analysis.
void SistraDocument::RunGuardedChange(const std::function<bool()>& change)
{
    if (IsSampling())
        return;
    const std::set<uint32_t> excluded = data_->GetExcludedLoops();
    const bool changed = change();
    // The loops were read from the channel the calibration changed: analysed again, so that their points,
    // the table and the fits move with the curves the channel now gives (they kept the old values until
    // the next analysis), the loops the user left out still left out.
    if (changed)
        RequestAnalysis(false);
    data_->SetExcludedLoops(excluded);
    if (changed)
    {
        const uint32_t state = VolumeCalibrationChanged;
        BroadcastToViews(MsgIdClass<&SistraDocumentGUID, DocumentNotification::AnalysisResultsChanged>::Id(), &state);
    }
}

bool SistraDocument::ApplyVolumeCalibration()
{
    return ApplyChannelSetup(GetSetupModel()->GetVolumeChannel(), volumeCalibrator_.get());
}

template <class Edit>
void SistraDocument::ChangeVolumeCalibration(int kind, Edit&& edit)
{
    RunGuardedChange([&] {
        const ModelPtr model = GetModel(kind);
        edit(*model);
        model->CommitChanges();
        return ApplyVolumeCalibration();
    });
}

namespace
{

// The argument whose name the model's message mentions; the first when it mentions none.
const wchar_t* ArgumentNamedIn(const Orv::String& message, std::initializer_list<const wchar_t*> arguments)
{
    const std::wstring text = ToLower(message.c_str());
    for (const wchar_t* argument : arguments)
        if (text.find(ToLower(argument)) != std::wstring::npos)
            return argument;
    return *arguments.begin();
}

} // namespace

template <class Edit>
MessageAnswer SistraDocument::ApplyVolumeCalibrationMessage(int kind, int appliedId,
                                                            std::initializer_list<const wchar_t*> arguments,
                                                            const std::wstring& notTaken, Edit&& edit)
{
    if (IsSampling())
        return RefuseMessage(L"the host is sampling");
    const int32_t channel = GetSetupModel()->GetVolumeChannel();
    if (channel == NoChannel)
        return RefuseMessage(L"no volume channel is set up");
    const ModelPtr model = GetModel(kind);
    const ModelPtr before = ModelClassObjBase::CreateModel(kind, this, ModelRole::Snapshot);
    if (!before || !before->CopyFrom(model.get()))
        return RefuseMessage(L"the calibration cannot be kept to undo");
    edit(*model);
    if (const ValidationResult problem = model->Validate(); problem.HasProblem())
    {
        model->DiscardChanges();
        return RefuseArgument(ArgumentNamedIn(problem.message, arguments), problem.message.c_str());
    }
    // Applied there, the calibration would be kept but never reach the volumes.
    if (!notTaken.empty())
    {
        model->DiscardChanges();
        return RefuseMessage(notTaken);
    }
    // Held but never applied (a falling cuvette line, an earlier step the workflow waits for): refused
    // before anything reaches the channel, the model as it was.
    if (const ValidationResult problem = model->CheckReady(); problem.HasProblem() && !problem.message.IsEmpty())
    {
        model->DiscardChanges();
        return RefuseMessage(problem.message.c_str());
    }
    std::wstring refusal;
    RunGuardedChange([&] {
        model->CommitChanges();
        const bool changed = ApplyVolumeCalibration();
        if (model->GetValue<PropertyType::Bool>(appliedId) && volumeCalibrator_->IsAppliedToChannel(channel))
            return changed;
        // The host's reason when it refused the channel's conversion, else why the step is not ready (the
        // workflow waits for an earlier calibration).
        refusal = Orv::TakeErrorReason();
        if (refusal.empty())
            refusal = model->CheckReady().message.c_str();
        if (refusal.empty())
            refusal = L"the volume channel does not show the calibration";
        model->CopyFrom(before.get());
        ApplyVolumeCalibration();
        return true;
    });
    return refusal.empty() ? MessageAnswer::Done : RefuseMessage(refusal);
}

void SistraDocument::DisableVolumeCalibration(int kind, int appliedId)
{
    ChangeVolumeCalibration(kind, [&](Model& model) { model.SetValue<PropertyType::Bool>(appliedId, false); });
}

// The mean largest and smallest volume of the valid loops that the analysis finds in the selection;
// none without such a loop.
std::optional<LoopVolumeMeans> SistraDocument::MeanLoopVolumes(const TickPosition& start, const TickPosition& end)
{
    // The loop analysis runs over the selection itself, wherever the analysed region lies.
    Orv::ComPtr<IHostCalcItems> items;
    IUnknown* host = HostDocumentObject();
    Orv::ComPtr<IUnknown> opened;
    if (!host || data_->LoopExpression().empty() || FAILED(host->QueryInterface(IID_IHostCalcItems, items.PutVoid())) ||
        items->OpenTextEvents(HostTextEventsRequest, data_->LoopExpression().c_str(), CalcKindEvents, start.record,
                              start.tick, end.tick, opened.Put()) != S_OK)
        return std::nullopt;
    const Orv::ComPtr<IEnumEventEx> events = opened.As<IEnumEventEx>(IID_IEnumEventEx);
    double largest = 0.0, smallest = 0.0;
    int counted = 0;
    SistraEvent loop;
    int32_t count = 0, next = 0;
    while (events && SUCCEEDED(events->Next(sizeof loop, end.tick, &loop, &count, &next)) && count == 1)
    {
        if (loop.state != LoopStateValid)
            continue;
        largest += loop.vmax;
        smallest += loop.vmin;
        ++counted;
    }
    if (counted == 0)
        return std::nullopt;
    return LoopVolumeMeans{largest / counted, smallest / counted};
}

// Which of the known-volume model's base values a point sets, by the pair of volumes the user knows
// (property 63): end-systolic and end-diastolic, end-systolic and stroke, or end-diastolic and stroke.
std::optional<std::pair<int, double>> KnownVolumeBase(int32_t pair, LONG point, const LoopVolumeMeans& means)
{
    const double stroke = means.largest - means.smallest;
    if (point == 0 && (pair == 0 || pair == 1))
        return std::pair{PropertyId::KnownVolumeBaseEsv, means.smallest};
    if (point == 0 && pair == 2)
        return std::pair{PropertyId::KnownVolumeBaseEdv, means.largest};
    if (point == 1 && pair == 0)
        return std::pair{PropertyId::KnownVolumeBaseEdv, means.largest};
    if (point == 1 && (pair == 1 || pair == 2))
        return std::pair{PropertyId::KnownVolumeBaseSv, stroke};
    return std::nullopt;
}

// A point the pair does not take, or a selection without loops, stores nothing and is refused: the box
// tells a person, the answer a macro.
MessageAnswer SistraDocument::OnSetKnownVolumeValueFromSel(LONG point)
{
    if (point != 0 && point != 1)
        return RefuseArgument(L"pointIdx", L"the point is 0 or 1, not " + std::to_wstring(point));
    const ModelPtr setup = GetSetupModel();
    TickPosition start, end;
    if (!ChannelSelection(setup->GetVolumeChannel(), start, end))
        return RefuseMessage(L"the volume channel has no selection within one record");
    if (setup->GetValue<PropertyType::Int>(PropertyId::WorkflowKind) == WorkflowKind::Echo)
        ConfigureAnalysisSources(true);
    const std::optional<LoopVolumeMeans> means = MeanLoopVolumes(start, end);
    MessageAnswer answer = MessageAnswer::Done;
    if (!means)
    {
        const Orv::String text(Orv::ThisModule(), IDS_NO_LOOPS_IN_SELECTION, true);
        const Orv::String caption(Orv::ThisModule(), IDS_NO_LOOPS_TITLE, true);
        ShowHostMessageBox(text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
        answer = RefuseMessage(L"the selection holds no valid loop");
    }
    else
    {
        const ModelPtr known = GetModel(ModelKind::KnownVolumeCalib);
        if (const auto base = KnownVolumeBase(known->GetValue<PropertyType::Int>(PropertyId::KnownVolumePair), point, *means))
        {
            known->SetValue<PropertyType::Double>(base->first, base->second);
            known->CommitChanges();
        }
    }
    RequestAnalysis(true);
    return answer;
}

MessageAnswer SistraDocument::OnApplySalineCalibration(double parallelConductance)
{
    if (!std::isfinite(parallelConductance))
        return RefuseArgument(L"Vp", L"the parallel conductance is not a number");
    const std::wstring notTaken =
        volumeCalibrator_->TakesParallelConductance()
            ? std::wstring()
            : L"the saline correction applies in the small and large mammal workflows and without workflow mode: "
              L"choose one of those workflows or leave workflow mode first";
    return ApplyVolumeCalibrationMessage(ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied, {L"Vp"}, notTaken,
                                         [&](Model& saline) {
        saline.SetValue<PropertyType::Double>(PropertyId::ParallelConductance, parallelConductance);
        saline.SetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied, true);
    });
}

void SistraDocument::OnDisableSalineCalibration()
{
    DisableVolumeCalibration(ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied);
}

MessageAnswer SistraDocument::OnApplyCuvetteCalibration(double slope, double intercept)
{
    if (!std::isfinite(slope))
        return RefuseArgument(L"slope", L"the slope is not a number");
    if (!std::isfinite(intercept))
        return RefuseArgument(L"intercept", L"the intercept is not a number");
    const std::wstring notTaken =
        volumeCalibrator_->TakesCuvetteRegression()
            ? std::wstring()
            : L"the cuvette calibration applies in the small mammal workflow and without workflow mode: choose that "
              L"workflow or leave workflow mode first";
    return ApplyVolumeCalibrationMessage(ModelKind::CuvetteCalib, PropertyId::CuvetteCalibrationApplied,
                                         {L"slope", L"intercept"}, notTaken, [&](Model& cuvette) {
        cuvette.SetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied, true);
        cuvette.SetValue<PropertyType::Double>(PropertyId::CuvetteSlope, slope * MicroFactor);
        cuvette.SetValue<PropertyType::Double>(PropertyId::CuvetteIntercept, intercept * MicroFactor);
    });
}

void SistraDocument::OnDisableCuvetteCalibration()
{
    DisableVolumeCalibration(ModelKind::CuvetteCalib, PropertyId::CuvetteCalibrationApplied);
}

// The parallel conductance of the analysed loops, Vp = intercept / (1 - slope) of end-systolic against
// end-diastolic volume, joins the bolus list unless an equal entry is there already.
MessageAnswer SistraDocument::OnAddAnalyzedParallelConductance()
{
    if (IsSampling())
        return RefuseMessage(L"the host is sampling");
    const SalineIntersection meeting = data_->IntersectSalineLine();
    if (!meeting.HasVp())
        return RefuseMessage(L"the analysis gives no parallel conductance: analyse a saline bolus whose end-systolic "
                             L"and end-diastolic volumes fall along a line first");
    if (ParallelConductanceAwaitsVolume())
        return RefuseMessage(L"the loops' volumes are still conductance: apply the volume calibration (the cuvette "
                             L"calibration in the small mammal workflow) before adding their parallel conductance");
    const double parallelConductance = meeting.vp;
    const ModelPtr setup = GetSetupModel();
    BolusEntry entry;
    entry.value = parallelConductance;
    entry.start = setup->GetValue<PropertyType::Position>(PropertyId::RegionStart);
    entry.end = setup->GetValue<PropertyType::Position>(PropertyId::RegionEnd);
    entry.loopItems = GetModel(ModelKind::LoopView)->GetValue<PropertyType::IntSet>(PropertyId::CheckedItems);
    const ModelPtr saline = GetModel(ModelKind::SalineCalib);
    std::vector<BolusEntry> list = saline->GetValue<PropertyType::BolusList>(PropertyId::BolusList);
    for (const BolusEntry& held : list)
        if (SameBolus(held, entry))
            return MessageAnswer::Done;
    const bool raisedHere = !std::exchange(bolusUpdate_, true);
    list.push_back(entry);
    saline->SetValue<PropertyType::BolusList>(PropertyId::BolusList, list);
    saline->SetValue<PropertyType::Double>(PropertyId::ParallelConductance, parallelConductance);
    saline->SetValue<PropertyType::IntSet>(PropertyId::SelectedBoluses, IntSet{static_cast<int32_t>(list.size() - 1)});
    saline->CommitChanges();
    if (raisedHere)
        bolusUpdate_ = false;
    return MessageAnswer::Done;
}

// Nothing changes while sampling or for a position outside the list.
template <class Edit>
MessageAnswer SistraDocument::EditBolusAt(LONG position, Edit&& edit)
{
    if (IsSampling())
        return RefuseMessage(L"the host is sampling");
    const ModelPtr saline = GetModel(ModelKind::SalineCalib);
    std::vector<BolusEntry> list = saline->GetValue<PropertyType::BolusList>(PropertyId::BolusList);
    const std::optional<size_t> index = ListIndex(position, list.size());
    if (!index)
        return RefuseArgument(L"position", L"the list has no entry " + std::to_wstring(position) + L": it holds " +
                                               std::to_wstring(list.size()));
    edit(*saline, list, *index);
    saline->CommitChanges();
    return MessageAnswer::Done;
}

MessageAnswer SistraDocument::OnRemoveParallelConductance(LONG position)
{
    return EditBolusAt(position, [](Model& saline, std::vector<BolusEntry>& list, size_t index) {
        list.erase(list.begin() + static_cast<ptrdiff_t>(index));
        saline.SetValue<PropertyType::BolusList>(PropertyId::BolusList, list);
        saline.SetValue<PropertyType::IntSet>(PropertyId::SelectedBoluses, IntSet{});
        saline.SetValue<PropertyType::Double>(PropertyId::ParallelConductance, BlankMarker());
        saline.SetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied, false);
    });
}

// The value comes in the volume channel's prefixed unit; an edited entry no longer stands for a region.
MessageAnswer SistraDocument::OnEditParallelConductance(LONG position, double value)
{
    if (!std::isfinite(value))
        return RefuseArgument(L"parallelConductance", L"the parallel conductance is not a number");
    // An entry is what the saline step applies when it is chosen: a negative one would add to every volume.
    if (value < 0.0)
        return RefuseArgument(L"parallelConductance", Orv::String(Orv::ThisModule(), IDS_MODEL_PARALLEL_CONDUCTANCE_RANGE, true).c_str());
    return EditBolusAt(position, [&](Model& saline, std::vector<BolusEntry>& list, size_t index) {
        BolusEntry& entry = list[index];
        entry.value = value * PrefixFactor(volumeCalibrator_->GetUnit(GetSetupModel()->GetVolumeChannel()));
        entry.start = entry.end = UnsetPosition();
        entry.loopItems.clear();
        const double stored = entry.value;
        saline.SetValue<PropertyType::BolusList>(PropertyId::BolusList, list);
        saline.SetValue<PropertyType::IntSet>(PropertyId::SelectedBoluses, IntSet{static_cast<int32_t>(index)});
        saline.SetValue<PropertyType::Double>(PropertyId::ParallelConductance, stored);
    });
}

std::optional<uint32_t> LoopOfTableRow(uint32_t row, uint32_t loopCount,
                                       const std::function<std::optional<int32_t>(uint32_t)>& stateOf)
{
    uint32_t listed = 0;
    for (uint32_t loop = 0; loop < loopCount; ++loop)
    {
        const std::optional<int32_t> state = stateOf(loop);
        if (state && *state != LoopStateInvalid && listed++ == row)
            return loop;
    }
    return std::nullopt;
}

// The chosen loop is selected and the views follow it.
MessageAnswer SistraDocument::OnTableRowSelected(ULONG row)
{
    const std::optional<uint32_t> loop = LoopOfTableRow(row, data_->GetLoopCount(), [this](uint32_t index) {
        SistraEvent record;
        return data_->ReadLoop(index, record) ? std::optional<int32_t>(record.state) : std::nullopt;
    });
    if (!loop)
        return RefuseArgument(L"RowIdx", L"the table has no row " + std::to_wstring(row));
    AddChange(ChangeState::MoveSelection);
    USHORT code = 0;
    GetDocumentMessagePrefix(&code);
    const MsgData<SelectLoopPayload> message{static_cast<ULONG>(code) << 16 | AutomationMessage::SelectASistra, 0,
                                             {0x2, static_cast<LONG>(*loop)}};
    SendMsg(Outer(), message, 0);
    return MessageAnswer::Done;
}

MessageAnswer SistraDocument::OnCopyTableToTallion()
{
    if (data_->GetLoopCount() == 0)
        return RefuseMessage(L"there is no analysis to copy: analyse first");
    const Orv::WaitCursor wait;
    ITableViewManager* manager = GetTableViewManager();
    if (!manager)
        return RefuseMessage(L"the document has no table to copy yet");
    // The transfer reads every cell of the table and changes no setting meanwhile.
    const SistraData::SettingsHold hold(Data());
    manager->AddToTallion(0);
    return MessageAnswer::Done;
}

} // namespace Sistra
