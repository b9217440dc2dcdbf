#include "document/core/SistraDocument.h"
#include "document/core/LoopMarks.h"

#include "document/analysis/AnalysisSettingsReader.h"
#include "document/analysis/ParameterNames.h"
#include "calc/engine/ExpressionText.h"
#include "hostapi/VyrServices.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/text/StringResources.h"
#include "foundation/text/StringStream.h"
#include "hostframework/comments/StrixComment.h"
#include "hostframework/services/HostDataAccess.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/UnitConversion.h"
#include "tableview/manager/TableViewManager.h"
#include "foundation/text/TextUtilities.h"

namespace Sistra
{
namespace
{

// The first word of the message that brings the host's trace display to a loop's comment.
constexpr ULONG_PTR ShowInTraceMessage = 0x60000000;
// A loop's comment is drawn in the colour of the valid loops' marks.

} // namespace

SistraDocument::SistraDocument(IUnknown* hostDocument, IUnknown* documentClass, ULONG creationFlags)
    : StrixChildDocument(hostDocument, documentClass, creationFlags)
{
    // What the document hands out while it is made (the models take its observer face) must not
    // destroy it when given back.
    InternalAddRef();
    GetModel(ModelKind::WorkflowSetup);
    data_ = Orv::ComPtr<SistraData>(new SistraData(*this));
    volumeCalibrator_ = std::make_unique<VolumeCalibrator>(*this);
    pressureCalibrator_ = std::make_unique<PressureCalibrator>(*this);
    if (IHostChildData* children = HostChildData())
        children->AttachChildData(data_.Get());
    InternalRelease();
}

SistraDocument::~SistraDocument()
{
    settings_.reset();
    models_.Clear();
    pressureCalibrator_.reset();
    volumeCalibrator_.reset();
    // The analysis data reads its settings from this document: it must not outlive it in the host.
    if (IHostChildData* children = HostChildData(); children && data_)
        children->DetachChildData(data_.Get());
}

ITableViewManager* SistraDocument::GetTableViewManager()
{
    if (!tableViewManager_ && HostDocumentObject())
        CreateTableViewMgr(tableViewManager_.Put());
    return tableViewManager_.Get();
}

void* SistraDocument::FindOwnInterface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IOnlineDataSink))
        return static_cast<IOnlineDataSink*>(this);
    if (IsEqualIID(iid, IID_ISistraDocInterface))
        return static_cast<ISistraDocInterface*>(this);
    if (IsEqualIID(iid, IID_ISistraSetupPane))
        return static_cast<ISistraSetupPane*>(&setupPane_);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE SistraDocument::Close()
{
    Orv::CatchReturn([&] {
        data_->PressureStore().WriteRegionTexts();
        data_->VolumeStore().WriteRegionTexts();
    });
    if (IOnlineDataSource* sources = HostOnlineSources())
        sources->RemoveSink(this);
    return StrixChildDocument::Close();
}

HRESULT STDMETHODCALLTYPE SistraDocument::OnAttached(ULONG_PTR)
{
    return Orv::CatchReturn([&] {
        data_->PressureStore().FindCalculations();
        data_->VolumeStore().FindCalculations();
        channelsAttached_ = true;
    });
}

HRESULT STDMETHODCALLTYPE SistraDocument::GetPressureScale(ULONG, double* factor)
{
    if (!factor)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        *factor = 1.0;
        ApplyChannelScaling(GetSetupModel()->GetPressureChannel(), *factor);
    });
}

HRESULT STDMETHODCALLTYPE SistraDocument::GetVolumeScale(ULONG, double* factor)
{
    if (!factor)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        *factor = 1.0;
        ApplyChannelScaling(GetSetupModel()->GetVolumeChannel(), *factor);
    });
}

std::shared_ptr<Model> SistraDocument::GetModel(int kind)
{
    return models_.Get(kind, this, static_cast<IObserver*>(this));
}

void SistraDocument::SetModified()
{
    if (loading_)
        return;
    persistenceActive_ = true;
    settings_->EnsurePersisted();
    settings_->MarkDirty();
    if (!applyingChannelSetup_)
        NotifySettingsChanged();
}

int32_t SistraDocument::GetChannelCount()
{
    int32_t count = 0;
    if (IHostDocument* host = HostDoc())
        host->GetChannelCount(&count);
    return count;
}

Orv::String SistraDocument::ChannelTitle(int32_t channel)
{
    Orv::ComPtr<IHostChannelDescriptions> descriptions;
    if (IUnknown* host = HostDocument())
        host->QueryInterface(IID_IHostChannelDescriptions, descriptions.PutVoid());
    BSTR title = nullptr;
    Orv::String text;
    if (descriptions && descriptions->GetChannelTitle(channel, &title) == S_OK && title)
        text = title;
    SysFreeString(title);
    return text;
}

// A channel depends on the analysis when its calculation reads the analysis's loop events, directly or
// through other sources; a host that cannot answer counts as a dependency.
bool SistraDocument::ChannelDependsOnAnalysis(int32_t channel)
{
    if (channel == NoChannel)
        return false;
    if (!HostChildData())
        return true;
    if (!data_ || !data_->PressureStore().HasCalculations())
        return false;
    VARIANT_BOOL reads = VARIANT_TRUE;
    IHostDataItems* items = HostDataItems();
    return !items || FAILED(items->ChannelReads(channel, LoopEventStreamName, &reads)) || reads != VARIANT_FALSE;
}

AnalysisSettings SistraDocument::Settings()
{
    return ReadAnalysisSettings(*this);
}

double SistraDocument::ToDisplayUnits(int32_t channel, double value)
{
    ApplyChannelScaling(channel, value);
    return value;
}

bool SistraDocument::IsSampling()
{
    Orv::ComPtr<IHostSampling> sampling;
    int16_t flag = 0;
    if (IUnknown* host = HostDocumentObject(); host && SUCCEEDED(host->QueryInterface(IID_IHostSampling, sampling.PutVoid())))
        sampling->IsSampling(0, &flag);
    return flag != 0;
}

bool SistraDocument::IsRecordingInProgress()
{
    Orv::ComPtr<IHostSampling> sampling;
    int16_t flag = 0;
    if (IUnknown* host = HostDocumentObject(); host && SUCCEEDED(host->QueryInterface(IID_IHostSampling, sampling.PutVoid())))
        sampling->IsRecording(0, -1, &flag);
    return flag != 0;
}

void SistraDocument::LoopStatesChanged()
{
    SetModified();
    AddChange(ChangeState::ResultsChanged);
    RefreshViews();
}

std::wstring SistraDocument::ParameterUnit(int32_t parameterIndex)
{
    const ModelPtr setup = GetSetupModel();
    const auto unitOf = [&](int32_t channel) {
        Orv::PrefixedUnit unit;
        return ReadChannelUnits(HostDoc(), channel, 0, unit) ? unit.GetText() : std::wstring();
    };
    return ParameterUnitText(parameterIndex, unitOf(setup->GetPressureChannel()), unitOf(setup->GetVolumeChannel()));
}

IUnitConversion* SistraDocument::ChannelConversion(int32_t channel, Orv::ComPtr<IUnitConversion>& holder)
{
    IHostDocument* host = HostDoc();
    if (!host || channel < 0)
        return nullptr;
    RecordingPosition start, end;
    const int32_t block = ReadRegion(start, end) ? start.block : 0;
    int32_t records = 0, current = 0;
    host->GetRecordCount(&records, &current);
    if (block < 0 || block >= records)
        return nullptr;
    host->GetChannelConversion(HostDisplayConversion, block, channel, holder.Put());
    return holder.Get();
}

void SistraDocument::ApplyChannelScaling(int32_t channel, double& value)
{
    Orv::ComPtr<IUnitConversion> holder;
    ConversionUnits units;
    if (IUnitConversion* conversion = ChannelConversion(channel, holder); conversion && SUCCEEDED(ReadConversionUnits(*conversion, units)))
        value = (value + units.offset) * units.scale;
}

void SistraDocument::RemoveChannelScaling(int32_t channel, double& value)
{
    Orv::ComPtr<IUnitConversion> holder;
    ConversionUnits units;
    if (IUnitConversion* conversion = ChannelConversion(channel, holder); conversion && SUCCEEDED(ReadConversionUnits(*conversion, units)))
        value = units.scale == 0.0 ? 0.0 : value / units.scale - units.offset;
}

bool SistraDocument::ReadRegion(RecordingPosition& start, RecordingPosition& end)
{
    const ModelPtr setup = GetSetupModel();
    start = setup->GetValue<PropertyType::Position>(PropertyId::RegionStart);
    end = setup->GetValue<PropertyType::Position>(PropertyId::RegionEnd);
    return setup->GetValue<PropertyType::Bool>(PropertyId::RegionSet);
}

void SistraDocument::AnalysedRegion(uint64_t& start, uint64_t& end)
{
    RecordingPosition first, last;
    ReadRegion(first, last);
    start = PositionWord(first);
    end = PositionWord(last);
}

bool SistraDocument::IsOnlineMode()
{
    return GetSetupModel()->GetValue<PropertyType::Bool>(PropertyId::OnlineMode);
}

void SistraDocument::RefreshViews()
{
    if ((changeState_ & (ChangeState::SelectedLoopChanged | ChangeState::MoveSelection)) != 0)
        selectionUnshown_ = true;
    ShowUnshownSelection();
    if (!IsSampling() && (changeState_ & ChangeState::ResultsChanged) != 0)
        data_->Finish();
    const uint32_t state = changeState_;
    BroadcastToViews(MsgIdClass<&SistraDocumentGUID, DocumentNotification::AnalysisResultsChanged>::Id(), &state);
    changeState_ = 0;
}

void SistraDocument::RefreshViewsAndHost(uint32_t bits)
{
    AddChange(bits);
    RefreshViews();
    if (IHostDocument* host = HostDoc())
        host->UpdateDisplay(0);
}

void SistraDocument::ShowUnshownSelection()
{
    const int32_t selectedLoop = GetSetupModel()->GetValue<PropertyType::Int>(PropertyId::SelectedLoop);
    if (!selectionUnshown_ || selectedLoop < 0)
    {
        selectionUnshown_ = false;
        return;
    }
    if (const std::optional<TickPosition> position = data_->GetLoopPosition(static_cast<uint32_t>(selectedLoop)))
        selectionUnshown_ = !ShowLoopInTrace(*position, static_cast<uint32_t>(selectedLoop));
}

// The host brings its trace display to the comment of the loop's event: a marker of that loop on the
// pressure channel, the one the markers are shown on. The loop is shown only where the channel's marks,
// walked as the display shows them, hold its mark. With the markers off there is nothing to show.
bool SistraDocument::ShowLoopInTrace(const TickPosition& position, uint32_t loop)
{
    const ModelPtr setup = GetSetupModel();
    const int32_t pressure = setup->GetPressureChannel();
    if (!setup->GetShowLoopMarkers() || pressure == NoChannel)
        return true;
    if (position.record < 0 || position.tick < 0 ||
        !FindLoopMark(HostDocumentObject(), pressure, position, data_->PressureStore().LoopItem()))
        return false;
    const PlacedComment* placed = GetLoopComment(loop);
    if (!placed)
        return false;
    const Orv::ComPtr<ShowComment2Msg> message = Orv::ComPtr<ShowComment2Msg>::Adopt(new ShowComment2Msg(
        placed->comment.Get(), ShowInTraceMessage, SenderIdentity(), HostContextWord(placed->place.Get())));
    Send(Outer(), message.Get());
    return true;
}

void SistraDocument::SendOwnMessage(USHORT number)
{
    USHORT code = 0;
    GetDocumentMessagePrefix(&code);
    const MsgData<> message{static_cast<ULONG>(code) << 16 | number, 0, {}};
    SendMsg(Outer(), message, 0);
}

} // namespace Sistra

namespace Sistra
{

Orv::ComPtr<IUnitConversion> SistraDocument::GetConversionAtSelection(int32_t channel)
{
    Orv::ComPtr<IUnitConversion> conversion;
    ResolveSelectionPosition(HostDoc(), HostDocumentObject(), channel, conversion.Put());
    return conversion;
}

bool SistraDocument::ApplyChannelSetup(int32_t channel, CalibratorBase* calibrator)
{
    if (channel == NoChannel || !HostDoc())
        return false;
    Orv::ComPtr<IUnitConversion> conversion;
    if (calibrator)
    {
        if (calibrator->IsAppliedToChannel(channel) || !calibrator->Apply(channel, conversion.Put()))
            return false;
    }
    else if (IUnitsService* units = UnitsServiceAccessor::Get())
        units->CreateDefaultConversion(conversion.Put());
    if (!conversion)
        return false;
    // A channel that is not set up for recording takes no setup of its own: the host is asked to change
    // its units. A host that keeps no channel settings has every channel take its setup.
    Orv::ComPtr<IUnknown> settings;
    if (SUCCEEDED(HostDoc()->GetChannelSettings(settings.Put())) && settings &&
        !QueryChannelInterface(settings.Get(), channel, nullptr))
        return SendChannelSetupChange(channel, conversion.Get());
    return SUCCEEDED(HostDoc()->ApplyChannelSetup(0, 0, channel, 1, conversion.Get()));
}

// The change travels as the host's units-change record: what changes ("raw unit->unit;raw values->values"
// and the conversion's name), the two prefix letters, whether the conversion is in use and its kind.
bool SistraDocument::SendChannelSetupChange(int32_t channel, IUnitConversion* conversion)
{
    UnitConvHandle handle;
    handle.Bind(conversion);
    const Orv::ChannelUnitsRecord* bound = handle.Record();
    if (!bound)
        return false;
    const Orv::ChannelUnitsRecord record = *bound;
    const Orv::String change = FormatUnitsChange(record.rawUnitText, record.unitText, record.rawValuesText,
                                                 record.valuesText, record.GetName());
    Orv::String rawPrefix, shownPrefix;
    rawPrefix = static_cast<wchar_t>(record.rawPrefix & 0xFFFF);
    shownPrefix = static_cast<wchar_t>(record.unitPrefix & 0xFFFF);
    // The record holds the texts without references: they live here until the send has returned.
    const ChannelSetupChangeRecord payload{ChannelSetupChangeTag,   channel,
                                           record.inUse != 0,       change.Interface(),
                                           rawPrefix.Interface(),   shownPrefix.Interface(),
                                           record.kind};
    // The host takes the change in the context of the channel's setup object it made for it.
    const Orv::ComPtr<IUnknown> context = CreateHostObjectByType(ChannelSetupChangeMessage, static_cast<ULONG>(channel),
                                                                 ChannelSetupContextKind);
    const ULONG word = HostContextWord(context.Get());
    SendMsgWithContext(Target(), MsgData<ChannelSetupChangeRecord>{ChannelSetupChangeMessage, 0, payload}, 0,
                       word ? &word : nullptr);
    return true;
}

} // namespace Sistra
