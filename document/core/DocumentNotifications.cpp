// The document's reactions to the host's notifications about its channels, selection and sources, and to
// its own models becoming ready or not: calibrations re-applied or withdrawn, loops reselected, the
// analysis repeated where its inputs changed.
#include "document/core/SistraDocument.h"

#include "hostapi/HostDocumentEvents.h"
#include "hostapi/VyrServices.h"
#include "document/calibration/CalibratorBase.h"
#include "document/calibration/RecordedUnits.h"
#include "hostframework/messaging/SistraIds.h"

#include <algorithm>

namespace Sistra
{
namespace
{

constexpr int32_t UnsetWord = 0x7FFFFFFF;
// The refresh payload that says the volume channel's units changed.
constexpr uint32_t VolumeUnitsChanged = 0x100;

// Message payloads as the automation messages carry them: the type word, then the values unaligned.
#pragma pack(push, 4)
struct OneDoublePayload
{
    ULONG typeWord;
    double value;
};
struct TwoDoublesPayload
{
    ULONG typeWord;
    double first;
    double second;
};
#pragma pack(pop)
static_assert(sizeof(OneDoublePayload) == 12);
static_assert(sizeof(TwoDoublesPayload) == 20);

constexpr ULONG OneDoubleType = 0x3;
constexpr ULONG TwoDoublesType = 0x33;

// The calibrations that turn the volume channel's signal into volume, with the flag each is applied by.
constexpr std::pair<int, int> VolumeCalibrationFlags[] = {
    {ModelKind::CuvetteCalib, PropertyId::CuvetteCalibrationApplied},
    {ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied},
    {ModelKind::ConductanceCalib, PropertyId::ConductanceCalibrationApplied},
    {ModelKind::VolumeCalib, PropertyId::VolumeCalibrationApplied},
    {ModelKind::AlphaCalib, PropertyId::AlphaCalibrationApplied},
    {ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeCalibrationApplied},
};

ULONG DocumentMessageId(USHORT number)
{
    USHORT code = 0;
    GetDocumentMessagePrefix(&code);
    return static_cast<ULONG>(code) << 16 | number;
}

bool IsBlankOrUnset(const RecordingPosition& position)
{
    return position.block == UnsetWord || position.tick == UnsetWord;
}

} // namespace

// The host put its own conversions back on every channel: they are the channels' own units again, and every
// calibration the document keeps applied is built on them and given its channel again. The loops take the
// calibrations from the models, the curves and the saline line from the channel: a correction kept by the
// one and lost by the other put the parallel conductance into the next Apply twice. A calibration not in
// force keeps the restored conversion too, so that the loops read the channel in the unit it shows. The
// host names no channel: any of them may show other numbers now, so the loops are found again from what
// they show (the summaries kept from the conversions withdrawn would stand beside rows read in the
// restored ones).
void SistraDocument::OnHostConversionsReset(void*)
{
    const ModelPtr setup = GetSetupModel();
    const struct
    {
        CalibratorBase* calibrator;
        int32_t channel;
        bool (SistraDocument::*reapply)();
    } targets[] = {{volumeCalibrator_.get(), setup->GetVolumeChannel(), &SistraDocument::ApplyVolumeCalibration},
                   {pressureCalibrator_.get(), setup->GetPressureChannel(), &SistraDocument::ReapplyPressureCalibration}};
    for (const auto& target : targets)
    {
        if (target.channel == NoChannel)
            continue;
        target.calibrator->FetchChannelConversion(target.channel);
        if (target.calibrator->IsActive())
            ChangeWithBroadcast(target.reapply);
    }
    UpdateOnlineSink();
    RefreshViews();
    if (analysisEnabled_)
        RequestAnalysis(true);
}

void SistraDocument::OnHostMenusChanged(void*)
{
    UpdateMenuStates();
}

// Someone else changed a channel's units: calibrations that the change overrode are no longer in force.
void SistraDocument::OnChannelSettingChanged(const int32_t* channelArgument)
{
    if (!analysisEnabled_ || !channelArgument)
        return;
    const int32_t channel = *channelArgument;
    const ModelPtr setup = GetSetupModel();
    const int32_t volume = setup->GetVolumeChannel();
    const int32_t pressure = setup->GetPressureChannel();
    if (channel == volume && !volumeCalibrator_->IsAppliedToChannel(channel))
    {
        volumeCalibrator_->DropConversion(channel);
        if (volumeCalibrator_->IsActive())
        {
            for (const auto& [kind, appliedId] : VolumeCalibrationFlags)
            {
                const ModelPtr model = GetModel(kind);
                model->SetValue<PropertyType::Bool>(appliedId, false);
                model->CommitChanges();
            }
        }
    }
    if (channel == pressure && !pressureCalibrator_->IsAppliedToChannel(channel))
    {
        pressureCalibrator_->DropConversion(channel);
        const ModelPtr model = GetModel(ModelKind::PressureCalib);
        if (model->GetValue<PropertyType::Bool>(PropertyId::PressureCalibrationApplied) &&
            channel == setup->GetPressureChannel())
        {
            model->SetValue<PropertyType::Bool>(PropertyId::PressureCalibrationApplied, false);
            model->CommitChanges();
        }
    }
    if (channel != pressure && channel != volume)
        return;
    if (channel == volume && channel != pressure)
        BroadcastToViews(MsgIdClass<&SistraDocumentGUID, DocumentNotification::AnalysisResultsChanged>::Id(),
                         &VolumeUnitsChanged);
    RequestAnalysis(true);
}

void SistraDocument::OnHostSelectionChanged(void*)
{
    AddChange(ChangeState::SelectionFollowsHost);
    RecordingPosition start, end;
    ReadHostSelection(start, end);
    SelectLoopAtPosition(start.block, start.tick);
}

void SistraDocument::SelectLoopAtPosition(int32_t block, int32_t tick)
{
    SistraData& data = *data_.Get();
    const uint32_t count = data.GetLoopCount();
    struct Found
    {
        int32_t block;
        SistraEvent loop;
    };
    const auto read = [&](uint32_t index) {
        Found found{UnsetWord, {}};
        if (const auto position = data.GetLoopPosition(index); position && data.ReadLoop(index, found.loop))
            found.block = position->record;
        return found;
    };
    // Loops run in recording order: the candidate is the last one that starts at or before the position.
    uint32_t low = 0, high = count;
    while (low < high)
    {
        const uint32_t middle = low + (high - low) / 2;
        const Found found = read(middle);
        if (found.block < block || (found.block == block && found.loop.firstTick <= tick))
            low = middle + 1;
        else
            high = middle;
    }
    int32_t selected = -1;
    if (low > 0)
    {
        const Found candidate = read(low - 1);
        if (candidate.block == block && tick < candidate.loop.endTick)
            selected = static_cast<int32_t>(low - 1);
    }
    SelectLoop(selected);
}

// A source the analysis reads was changed or removed; an ECG source that went away is warned about at
// the next analysis, which falls back to the pressure signal.
void SistraDocument::OnEventSourcesChanged(const HostSourcesChangedRecord* record)
{
    if (!record || record->count == 0 || !record->sources || !channelsAttached_ || !analysisEnabled_)
        return;
    const ModelPtr setup = GetSetupModel();
    const int32_t pressure = setup->GetPressureChannel();
    const int32_t volume = setup->GetVolumeChannel();
    HostSourcePair ecg{HostItemUnsetFirst, HostItemUnsetSecond};
    Orv::ComPtr<IHostDataItems> naming;
    if (IUnknown* host = HostDocumentObject(); host && SUCCEEDED(host->QueryInterface(IID_IHostDataItems, naming.PutVoid())))
        naming->ResolveSourceName(setup->GetValue<PropertyType::Text>(PropertyId::EcgEventSource).c_str(), &ecg);
    const auto isEvents = [](const HostSourcePair& source) { return source.kind == HostEventSourceKind; };
    const HostSourcePair* end = record->sources + record->count;
    const HostSourcePair* match = std::find_if(record->sources, end, [&](const HostSourcePair& source) {
        const bool channel = (source.value == pressure || source.value == volume) && !isEvents(source);
        return channel || (source.value == ecg.value && isEvents(source) == isEvents(ecg));
    });
    if (match == end)
        return;
    const bool ecgMatched = match->value == ecg.value && isEvents(*match) == isEvents(ecg);
    const bool removed = (record->words[2] & 0x80000000u) != 0;
    ecgSourceGone_ = ecgMatched && !ecgSourceGone_ && removed ? -1 : 0;
    if (!ecgMatched && removed)
        analysedChannelGone_ = match->value;
    RequestAnalysis(true);
}

void SistraDocument::SetHostRange(const HostRangeRecord* range)
{
    if (!range)
        return;
    data_->SetHostRange(range->first, range->second);
    RefreshViewsAndHost(ChangeState::ResetAndResults);
}

void SistraDocument::ClearHostRange()
{
    data_->SetHostRange(UnsetWord, UnsetWord);
    RefreshViewsAndHost(ChangeState::ResetAndResults);
}

bool SistraDocument::ReapplyPressureCalibration()
{
    return ApplyChannelSetup(GetSetupModel()->GetPressureChannel(), pressureCalibrator_.get());
}

// A calibration re-applied from its model (the alpha step's Apply, a workflow change) changes what the
// loops read as the calibration commands do: the table and the fits kept the old volumes until the next
// analysis while the loop view's curves, read through the channel, moved at once.
void SistraDocument::ChangeWithBroadcast(bool (SistraDocument::*change)())
{
    RunGuardedChange([&] { return (this->*change)(); });
}

// Ready and not ready alike: a calibration model's state decides what the re-application gives the channel.
void SistraDocument::OnModelReady(ModelStatusRecord* record)
{
    if (!record)
        return;
    for (int kind : models_.Kinds())
    {
        const ModelPtr model = models_.Find(kind);
        if (static_cast<ISubject*>(model.get()) != record->source)
            continue;
        switch (kind)
        {
        case ModelKind::CuvetteCalib: {
            // The model keeps litres (its unit only chooses how they are shown); the message takes the
            // microlitres its handler turns back into the model's values. Any other factor would change
            // the calibration on every round until the model refused it.
            const double factor = 1.0 / PrefixFactor(UnitInfo{L"L", L'\u00B5'});
            const TwoDoublesPayload payload{TwoDoublesType,
                                            model->GetValue<PropertyType::Double>(PropertyId::CuvetteSlope) * factor,
                                            model->GetValue<PropertyType::Double>(PropertyId::CuvetteIntercept) * factor};
            SendMsg(Outer(), MsgData<TwoDoublesPayload>{DocumentMessageId(AutomationMessage::ApplySistraCuvetteCalibration), 0, payload}, 0);
            return;
        }
        case ModelKind::SalineCalib: {
            const OneDoublePayload payload{OneDoubleType, model->GetValue<PropertyType::Double>(PropertyId::ParallelConductance)};
            SendMsg(Outer(), MsgData<OneDoublePayload>{DocumentMessageId(AutomationMessage::ApplySistraSalineCalibration), 0, payload}, 0);
            return;
        }
        default:
            OnModelNotReady(record);
            return;
        }
    }
}

void SistraDocument::OnModelNotReady(ModelStatusRecord* record)
{
    if (!record)
        return;
    for (int kind : models_.Kinds())
    {
        if (static_cast<ISubject*>(models_.Find(kind).get()) != record->source)
            continue;
        switch (kind)
        {
        case ModelKind::PressureCalib:
            ChangeWithBroadcast(&SistraDocument::ReapplyPressureCalibration);
            return;
        case ModelKind::ConductanceCalib:
        case ModelKind::AlphaCalib:
        case ModelKind::VolumeCalib:
        case ModelKind::KnownVolumeCalib:
            ChangeWithBroadcast(&SistraDocument::ApplyVolumeCalibration);
            return;
        case ModelKind::CuvetteCalib:
            SendOwnMessage(AutomationMessage::DisableSistraCuvetteCalibration);
            return;
        case ModelKind::SalineCalib:
            SendOwnMessage(AutomationMessage::DisableSistraSalineCalibration);
            return;
        case ModelKind::LoopView:
            data_->Finish();
            return;
        default:
            return;
        }
    }
}

void SistraDocument::ShowSalineBolus(int32_t bolus)
{
    const ModelPtr saline = GetModel(ModelKind::SalineCalib);
    const std::vector<BolusEntry> boluses = saline->GetValue<PropertyType::BolusList>(PropertyId::BolusList);
    if (bolus < 0 || static_cast<size_t>(bolus) >= boluses.size())
        return;
    const BolusEntry& entry = boluses[static_cast<size_t>(bolus)];
    if (entry.start == entry.end || IsBlankOrUnset(entry.start) || IsBlankOrUnset(entry.end))
        return;
    Orv::ComPtr<IHostSelection> selection;
    IUnknown* host = HostDocumentObject();
    if (!host || FAILED(host->QueryInterface(IID_IHostSelection, selection.PutVoid())))
        return;
    const TickPosition first{entry.start.block, entry.start.tick}, last{entry.end.block, entry.end.tick};
    if (FAILED(selection->SelectRange(GetSetupModel()->GetVolumeChannel(), &first, &last)))
        return;
    // While "Add analysed Vp" stores its new bolus, the host's view stays where the user analysed it.
    if (!bolusUpdate_)
        ShowRangeInMainDataView(first, last);
    OnAnalyzeNowMsg();
    const ModelPtr loopView = GetModel(ModelKind::LoopView);
    loopView->SetValue<PropertyType::IntSet>(PropertyId::CheckedItems, entry.loopItems);
    loopView->CommitChanges();
}

} // namespace Sistra

namespace Sistra
{
namespace
{

constexpr int32_t SamplingStepId = 4;

bool Changed(const ModelChangedRecord& record, int id)
{
    return (record.changed.words[id / 64] >> (id % 64) & 1) != 0;
}

} // namespace

// The workflow's step, analysis type and kind: views arranged, menus updated, online mode following the
// sampling step, the baseline analysis back on per-beat points, the volume calibration of the new workflow.
void SistraDocument::ReactToWorkflowChanges(const ModelChangedRecord& record)
{
    if (Changed(record, PropertyId::SelectedBoluses))
    {
        const IntSet selected = GetModel(ModelKind::SalineCalib)->GetValue<PropertyType::IntSet>(PropertyId::SelectedBoluses);
        if (selected.size() == 1)
            ShowSalineBolus(*selected.begin());
    }
    const bool stepChanged = Changed(record, PropertyId::CurrentStep);
    const bool analysisChanged = Changed(record, PropertyId::AnalysisType);
    if (stepChanged || analysisChanged)
    {
        if (GetModel(ModelKind::WorkflowView)->GetValue<PropertyType::Bool>(PropertyId::AutoTileViews))
            SendOwnMessage(AutomationMessage::ArrangeSistraViews);
        UpdateMenuStates();
        if (analysisChanged &&
            GetModel(ModelKind::AnalysisStep)->GetValue<PropertyType::Int>(PropertyId::AnalysisType) == BaselineAnalysis)
        {
            const ModelPtr loopView = GetModel(ModelKind::LoopView);
            loopView->SetValue<PropertyType::Int>(PropertyId::EsPointType, PerBeatEsPoints);
            loopView->SetValue<PropertyType::Int>(PropertyId::EspvrRegressionType, EspvrLinear);
            loopView->CommitChanges();
            RefreshViewsAndHost(ChangeState::ResetAndResults);
        }
    }
    if (stepChanged)
    {
        const bool sampling = GetModel(ModelKind::WorkflowView)->GetValue<PropertyType::Int>(PropertyId::CurrentStep) == SamplingStepId;
        if (IsOnlineMode() != sampling)
            SendOwnMessage(AutomationMessage::ToggleSistraOnlineMode);
    }
    if (Changed(record, PropertyId::WorkflowKind))
        ChangeWithBroadcast(&SistraDocument::ApplyVolumeCalibration);
}

void SistraDocument::ReactToWorkflowModeChange(const ModelChangedRecord& record)
{
    if (!Changed(record, PropertyId::WorkflowModeOn))
        return;
    UpdateMenuStates();
    if (!GetSetupModel()->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn))
        CloseWorkflowViews();
    // Guidance on or off changes which calibrations the large-mammal and echo volumes go through.
    ChangeWithBroadcast(&SistraDocument::ApplyVolumeCalibration);
}

} // namespace Sistra

namespace Sistra
{

namespace
{

// The unit a channel was recorded in as the person reads it, its prefix kept ("uL" where the calculations
// read litres); empty when unknown.
std::wstring RecordedUnitShown(IUnitConversion* conversion)
{
    ConversionUnits units;
    if (!conversion || FAILED(ReadConversionUnits(*conversion, units)))
        return {};
    return units.RawUnit().GetText();
}

} // namespace

// Settings taken to another recording, or a document whose channels came back in their recorded units:
// the host shows the calibrations on no channel. They are put there as the calibration commands put them,
// each built on its channel's own units.
bool SistraDocument::PutCalibrationsOnChannels(std::wstring& refusal)
{
    IHostDocument* host = HostDoc();
    if (!host)
        return true;
    const ModelPtr setup = GetSetupModel();
    if (!SettingsChannelsFit(refusal))
        return false;
    const struct
    {
        CalibratorBase* calibrator;
        int32_t channel;
        const wchar_t* name;
    } targets[] = {{volumeCalibrator_.get(), setup->GetVolumeChannel(), L"volume"},
                   {pressureCalibrator_.get(), setup->GetPressureChannel(), L"pressure"}};
    std::vector<std::pair<int32_t, Orv::ComPtr<IUnitConversion>>> shownBefore;
    for (const auto& target : targets)
    {
        if (target.channel == NoChannel || !target.calibrator->IsActive() ||
            target.calibrator->IsAppliedToChannel(target.channel))
            continue;
        Orv::ComPtr<IUnitConversion> shown;
        host->GetChannelConversion(HostUnsetPosition, HostNewRecordings, target.channel, shown.Put());
        shownBefore.emplace_back(target.channel, shown);
        const Orv::ComPtr<IUnitConversion> made = target.calibrator->FindConversion(target.channel);
        const std::wstring madeIn = RecordedUnitText(made.Get()), madeInShown = RecordedUnitShown(made.Get());
        target.calibrator->AdoptShownConversion(target.channel);
        const Orv::ComPtr<IUnitConversion> recorded = target.calibrator->FindConversion(target.channel);
        const std::wstring recordedIn = RecordedUnitText(recorded.Get());
        const bool inUnit = BringCalibrationToUnit(target.calibrator == pressureCalibrator_.get(), madeIn, recordedIn);
        // Points brought into the channel's unit are committed, which may put the calibration on the channel.
        if (inUnit &&
            (target.calibrator->IsAppliedToChannel(target.channel) || ApplyChannelSetup(target.channel, target.calibrator)) &&
            target.calibrator->IsAppliedToChannel(target.channel))
            continue;
        refusal = std::wstring(L"the ") + target.name + L" calibration cannot be applied to channel " +
                  std::to_wstring(target.channel + 1);
        if (!inUnit)
            refusal += L": it was made on a channel recorded in " + madeInShown + L", and this recording's channel " +
                       (recordedIn.empty() ? std::wstring(L"has no unit") : L"is in " + RecordedUnitShown(recorded.Get())) +
                       L" (calibrate the channel anew, or load the settings on a recording in " + madeInShown + L")";
        for (const auto& [channel, conversion] : shownBefore)
            if (conversion)
                host->ApplyChannelSetup(0, 0, channel, 1, conversion.Get());
        return false;
    }
    return true;
}

// The unit a channel was recorded in, without its prefix, as the conversion tells it; empty when unknown.
std::wstring SistraDocument::RecordedUnitText(IUnitConversion* conversion)
{
    ConversionUnits units;
    if (!conversion || FAILED(ReadConversionUnits(*conversion, units)))
        return {};
    return units.rawUnitText.c_str();
}

// A calibration's raw points stand in the unit of the channel it was made on: brought into the unit of the
// channel it goes on (the pressure calibration's points converted between pressure units), or refused. A
// calibration that tells no unit is taken as made in the channel's: a conversion from an older file tells
// none. A channel without a unit cannot say what its numbers measure, so a calibration made in a unit is
// refused there (read as that unit without its prefix, microlitres would be taken as litres).
bool SistraDocument::BringCalibrationToUnit(bool pressure, const std::wstring& madeIn, const std::wstring& recordedIn)
{
    if (madeIn.empty())
        return true;
    if (recordedIn.empty())
        return false;
    const std::optional<double> factor = RecordedUnitFactor(madeIn, recordedIn);
    if (!factor || (*factor != 1.0 && !pressure))
        return false;
    if (*factor == 1.0)
        return true;
    const ModelPtr model = GetModel(ModelKind::PressureCalib);
    for (const int id : {PropertyId::PressureBase1, PropertyId::PressureBase2})
        model->SetValue<PropertyType::Double>(id, model->GetValue<PropertyType::Double>(id) * *factor);
    model->CommitChanges();
    return true;
}

// The channels the settings name must be the recording's: settings made on a recording with more channels,
// or with its channels in another order, would analyse whatever lies there and find no loops.
bool SistraDocument::SettingsChannelsFit(std::wstring& refusal)
{
    const ModelPtr setup = GetSetupModel();
    const int32_t pressure = setup->GetPressureChannel(), volume = setup->GetVolumeChannel();
    const int32_t channels = GetChannelCount();
    for (const auto& [channel, role] : {std::pair{pressure, L"pressure"}, std::pair{volume, L"volume"}})
        if (channel != NoChannel && (channel < 0 || channel >= channels))
        {
            refusal = std::wstring(L"the settings take channel ") + std::to_wstring(channel + 1) + L" as the " + role +
                      L", but the recording has " + std::to_wstring(channels) + L" channels";
            return false;
        }
    if (pressure == NoChannel || volume == NoChannel)
        return true;
    // A channel recorded in a volume unit taken as the pressure, and one in mmHg as the volume.
    const auto recordedUnit = [&](int32_t channel) {
        Orv::ComPtr<IUnitConversion> conversion;
        ConversionUnits units;
        if (FAILED(HostDoc()->GetChannelConversion(HostUnsetPosition, HostNewRecordings, channel, conversion.Put())) ||
            !conversion || FAILED(ReadConversionUnits(*conversion.Get(), units)))
            return std::wstring();
        return std::wstring(units.rawUnitText.c_str());
    };
    const std::wstring pressureUnit = recordedUnit(pressure), volumeUnit = recordedUnit(volume);
    if (pressureUnit == L"L" && volumeUnit == L"mmHg")
    {
        refusal = L"the settings take channel " + std::to_wstring(pressure + 1) + L" (a volume) as the pressure and channel " +
                  std::to_wstring(volume + 1) + L" (in mmHg) as the volume: they are swapped for this recording";
        return false;
    }
    return true;
}

bool SistraDocument::IsPressureCalibrationShown()
{
    return pressureCalibrator_->IsAppliedToChannel(GetSetupModel()->GetPressureChannel());
}

} // namespace Sistra
