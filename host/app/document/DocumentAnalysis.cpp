#include "host/app/document/DocumentAnalysis.h"

#include "host/app/document/DocumentFile.h"
#include "host/app/commands/LoopRecordReport.h"
#include "host/app/files/TextConversion.h"
#include "host/app/gui/HostMenus.h"
#include "host/app/macro/CommandHelp.h"
#include "hostapi/VyrCommands.h"
#include "hostapi/VyrMessaging.h"
#include "host/vyr/UnitConversions.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace Host
{
namespace
{

constexpr const wchar_t* DocumentClassName = L"Sistra Document";
constexpr const wchar_t* AnalyzeCommandName = L"AnalyzeSistraNow";
constexpr const wchar_t* CopyTableCommandName = L"CopyPVTableToTallion";
constexpr const wchar_t* WorkflowModeMenuPath = L"Sistra|Workflow Mode...";
constexpr const wchar_t* WorkflowModeDialogName = L"WorkflowMode";
// Calls that may leave their reason start with none left over from earlier calls.
template <class Call>
HRESULT Fresh(Call&& call)
{
    SetErrorInfo(0, nullptr);
    return call();
}

void Check(HRESULT result, const std::string& what)
{
    if (FAILED(result))
        throw std::runtime_error(what + ": " + FailureText(result));
}

// The registration of that kind and name the module made; throws when it made none.
VyrRegistrationRecord FindRegistration(IVyrStandIn& standIn, VyrRegistrationKind kind, const std::wstring& name)
{
    ULONG count = 0;
    standIn.GetRegistrationCount(&count);
    for (ULONG index = 0; index < count; ++index)
    {
        VyrRegistrationRecord record{};
        if (SUCCEEDED(standIn.GetRegistration(index, &record)) && record.kind == kind && name == record.name &&
            SUCCEEDED(record.result))
            return record;
    }
    throw std::runtime_error("the module registered no " + ToUtf8(name));
}

template <class Interface>
Orv::ComPtr<Interface> FrameworkObject(IVyrStandIn& standIn, ULONG typeId, REFIID iid, const std::string& what)
{
    Orv::ComPtr<IVyrObjectFactory> factory;
    Check(standIn.QueryInterface(IID_IVyrObjectFactory, factory.PutVoid()), "the framework has no object factory");
    Orv::ComPtr<Interface> object;
    Check(factory->GetObject(typeId, iid, object.PutVoid()), "the framework gives no " + what);
    return object;
}

template <class Interface>
Orv::ComPtr<Interface> Face(IUnknown* object, REFIID iid, const std::string& what)
{
    Orv::ComPtr<Interface> face;
    Check(object->QueryInterface(iid, face.PutVoid()), "the module's document has no " + what);
    return face;
}

struct EmptyPayload
{
    ULONG typeWord = 0;
};


// How the channel is set up to record, calibration included. A document being sampled may have no record
// yet, so the channel's set-up answers rather than its first record; it is what every record shows.
std::optional<Vyr::ConversionFacts> ChannelSetupFacts(HostDocument& host, int32_t channel)
{
    Orv::ComPtr<IUnitConversion> conversion;
    Vyr::ConversionFacts facts;
    if (FAILED(host.GetChannelConversion(HostUnsetPosition, HostNewRecordings, channel, conversion.Put())) ||
        !conversion || !Vyr::ReadConversionFacts(*conversion.Get(), facts))
        return std::nullopt;
    return facts;
}

// What one raw unit of the channel is in the unit without its prefix (1e-3 for mV).
double RawPrefixFactor(HostDocument& host, int32_t channel)
{
    const auto facts = ChannelSetupFacts(host, channel);
    if (!facts)
        throw std::runtime_error("the channel has no units");
    return facts->rawPrefixFactor;
}

} // namespace

void SetWorkflowMode(IVyrStandIn& standIn, IUnknown* document, bool on)
{
    ULONG command = 0;
    for (const MenuCommandEntry& entry : CollectMenuCommands(standIn))
        if (entry.path == WorkflowModeMenuPath)
            command = entry.id;
    if (command == 0)
        throw std::runtime_error("the module's menus have no Workflow Mode command");
    // The dialog's state: the mode chosen, then the mode it opened on.
    const BYTE choice[] = {static_cast<BYTE>(on), static_cast<BYTE>(!on)};
    Check(standIn.ScriptDialogChoice(WorkflowModeDialogName, sizeof choice, choice),
          "the host cannot answer the workflow mode dialog");
    Check(Face<IVyrCommandHandler>(document, IID_IVyrCommandHandler, "command handler")->Execute(command),
          "the document did not run Workflow Mode");
}

void LeaveWorkflowMode(IVyrStandIn& standIn, IUnknown* document)
{
    SetWorkflowMode(standIn, document, false);
}

const std::array<const char*, SistraRelationCount> RelationNames = {
    "ESPVR linear", "ESPVR quadratic", "ESPVR perpendicular", "ESPVR tangent",
    "EDPVR linear", "EDPVR exponential", "PRSW", "dP/dt max-EDV"};

DocumentAnalysis::DocumentAnalysis(IVyrStandIn& standIn, HostDocument& host, const AnalysisChoices& choices)
    : standIn_(standIn), host_(host)
{
    functions_ = std::make_unique<Calc::ModuleFunctionTable>(host.Data(), standIn, host.Unknown());
    host.SetFunctionLookup(functions_->Lookup());
    const VyrRegistrationRecord documentClass =
        FindRegistration(standIn, VyrRegistrationKind::ClassObject, DocumentClassName);
    const auto classObject =
        FrameworkObject<ICustomDocClass>(standIn, documentClass.typeId, IID_ICustomDocClass, "document class");
    Orv::ComPtr<IUnknown> made;
    Check(classObject->CreateInstance(nullptr, host.Unknown(), 0, made.Put(), 0), "the module made no document");
    document_ = Face<ICustomDocument>(made.Get(), IID_ICustomDocument, "document face");
    pane_ = Face<ISistraSetupPane>(made.Get(), IID_ISistraSetupPane, "setup pane");
    if (choices.beforeSettingsLoad)
        choices.beforeSettingsLoad();
    if (choices.settingsFile)
    {
        const HRESULT loaded = Fresh([&] { return LoadSettingsFile(document_.Get(), *choices.settingsFile); });
        Check(loaded, "the settings in " + ToUtf8(*choices.settingsFile) + " could not be loaded");
        if (loaded == S_FALSE)
            warnings_.push_back("the settings file " + ToUtf8(*choices.settingsFile) +
                                " has no checksum (an earlier version wrote it): its values passed their ranges, but "
                                "a damaged value within its range cannot be told; save the settings again to add one");
    }
    else if (choices.documentFile)
        Check(Fresh([&] { return LoadDocumentFileSettings(*choices.documentFile, {document_.Get()}); }),
              "the settings in " + ToUtf8(*choices.documentFile) + " could not be loaded");
    else
    {
        Check(pane_->SetSources(choices.pressureChannel, choices.volumeChannel,
                                choices.ecgSource ? choices.ecgSource->c_str() : nullptr),
              "the document refused the channels");
        Check(pane_->SetDetector(choices.peakHeight, choices.minimumPeriod),
              "the document refused the detector settings");
    }
    // A saved document keeps the region it analysed, unless the run asks for a selection or to sample.
    if (!choices.documentFile || !choices.wholeRecording || choices.online)
        Check(pane_->SetRegion(choices.wholeRecording ? 1 : 0, choices.online ? VARIANT_TRUE : VARIANT_FALSE),
              "the document refused the region");
    Check(document_->OnAttached(0), "the document did not attach");
    // The host tells a new document that its host document is ready through the stored-message event.
    const auto observer = Face<IObserver>(made.Get(), IID_IObserver, "observer face");
    observer->Notify(nullptr, VyrTypeId::StoredMessageNotification, 0, host.Unknown());
    hostEvents_ = std::make_unique<DocumentEventRelay>(host, made.Get());
    ApplyCalibrations(choices);
}

// As the user would: the pressure pane's points applied; the volume's line applied by the cuvette
// calibration's command outside the workflow.
void DocumentAnalysis::ApplyCalibrations(const AnalysisChoices& choices)
{
    if (const auto& points = choices.pressurePoints)
    {
        const double factor = RawPrefixFactor(host_, choices.pressureChannel);
        Check(Fresh([&] {
                  return pane_->ApplyPressureCalibration((*points)[0] * factor, (*points)[1], (*points)[2] * factor,
                                                         (*points)[3]);
              }),
              "the document refused the pressure calibration");
    }
    if (const auto& line = choices.volumeLine)
    {
        LeaveWorkflowMode();
        ApplyVolumeLine(choices.volumeChannel, *line);
    }
}

// In the workflow the cuvette calibration waits for the conductance calibration and is withdrawn at
// once. A user leaves the workflow through "Workflow Mode...", clearing its dialog's box.
void DocumentAnalysis::LeaveWorkflowMode()
{
    SetWorkflowMode(false);
}

void DocumentAnalysis::SetWorkflowMode(bool on)
{
    Host::SetWorkflowMode(standIn_, document_.Get(), on);
}

// The command takes microlitres per conductance unit without its prefix, and microlitres.
void DocumentAnalysis::ApplyVolumeLine(int32_t channel, const std::array<double, 2>& line)
{
    const double slope = line[0] / RawPrefixFactor(host_, channel);
    Macro::Statement statement(L"Doc.ApplySistraCuvetteCalibration slope:=" +
                               FromUtf8(LoopRecordReport::NumberText(slope)) +
                               L", intercept:=" + FromUtf8(LoopRecordReport::NumberText(line[1])));
    SetErrorInfo(0, nullptr);
    if (RunStatement(statement) == 0)
        throw std::runtime_error("the document refused the volume calibration: " + FailureText(E_INVALIDARG));
    const auto facts = ChannelSetupFacts(host_, channel);
    if (!facts || !facts->inUse)
        throw std::runtime_error("the document did not take the volume calibration");
}

DocumentAnalysis::~DocumentAnalysis()
{
    pane_ = {};
    hostEvents_.reset();
    if (document_)
        document_->Close();
}

void DocumentAnalysis::SaveSettings(const std::wstring& path)
{
    Check(SaveSettingsFile(document_.Get(), path), "the settings could not be written to " + ToUtf8(path));
}

void DocumentAnalysis::AnalyzeNow()
{
    const EmptyPayload payload;
    Send(AnalyzeCommandName, &payload, "the document did not analyse");
}

void DocumentAnalysis::CopyTableToResultsSheet()
{
    const EmptyPayload payload;
    Send(CopyTableCommandName, &payload, "the document did not copy its table");
}

void DocumentAnalysis::Send(const wchar_t* commandName, const void* payload, const std::string& failure)
{
    const VyrRegistrationRecord command = FindRegistration(standIn_, VyrRegistrationKind::MessageClass, commandName);
    const auto creator =
        FrameworkObject<IMessageCreator>(standIn_, VyrTypeId::MessageCreator, IID_IMessageCreator, "message creator");
    Orv::ComPtr<IMessage> message;
    Check(creator->MakeMessage(command.typeId, 0, 0, 0, 0, payload, message.Put()),
          "no message " + ToUtf8(commandName));
    const auto handler = Face<IMessageHandler>(document_.Get(), IID_IMessageHandler, "message handler");
    Check(handler->HandleMessage(message.Get()), failure);
}

LONG DocumentAnalysis::RunStatement(Macro::Statement& statement)
{
    Orv::ComPtr<IMsgIdMessageClassObject> command;
    if (FAILED(standIn_.FindMessageClass(statement.Command().c_str(), command.Put())))
        throw std::invalid_argument("the module has no command " + ToUtf8(statement.Command()));
    if (const std::string misnamed = Macro::MisnamedArgument(*command.Get(), statement.ArgumentNames()); !misnamed.empty())
        throw std::invalid_argument(misnamed);
    Orv::ComPtr<IMessage> message;
    const HRESULT made = command->CreateMessage(0, statement.Parameters(), message.Put());
    if (FAILED(made))
        throw std::invalid_argument(Macro::ArgumentFault(*command.Get(), made));
    return Deliver(message.Get());
}

LONG DocumentAnalysis::Deliver(IMessage* message)
{
    return Face<IMessageHandler>(document_.Get(), IID_IMessageHandler, "message handler")->HandleMessage(message);
}

uint32_t DocumentAnalysis::LoopCount()
{
    ULONG count = 0;
    Check(pane_->GetLoopCount(&count), "no loop count");
    return count;
}

int32_t DocumentAnalysis::SelectedLoop()
{
    LONG loop = -1;
    Check(pane_->GetSelectedLoop(&loop), "no selected loop");
    return loop;
}

std::vector<LoopRow> DocumentAnalysis::Loops()
{
    // Read in blocks: the document works out what every loop's values are read with once a block.
    constexpr ULONG LoopsPerRead = 4096;
    std::vector<LoopRow> rows(LoopCount());
    std::vector<int32_t> blocks(LoopsPerRead);
    std::vector<Sistra::SistraEvent> records(LoopsPerRead);
    std::vector<double> values(static_cast<size_t>(LoopsPerRead) * LoopParameterCount);
    for (size_t first = 0; first < rows.size();)
    {
        ULONG read = 0;
        Check(pane_->GetLoops(static_cast<ULONG>(first), LoopsPerRead, blocks.data(), records.data(), values.data(), &read),
              "no loop " + std::to_string(first));
        if (read == 0)
            throw std::runtime_error("the document gave no loop " + std::to_string(first));
        for (size_t index = 0; index < read && first + index < rows.size(); ++index)
        {
            LoopRow& row = rows[first + index];
            row.block = blocks[index];
            row.record = records[index];
            std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(index * LoopParameterCount), LoopParameterCount,
                        row.values.begin());
        }
        first += read;
    }
    return rows;
}

std::vector<SummaryRow> DocumentAnalysis::Summaries()
{
    std::vector<SummaryRow> rows;
    for (LONG parameter = 1; parameter <= LoopParameterCount; ++parameter)
    {
        SistraParameterSummary summary{};
        BSTR unit = nullptr;
        const HRESULT result = pane_->GetSummary(parameter, &summary, &unit);
        Check(result, "no summary of parameter " + std::to_string(parameter));
        rows.push_back({unit ? ToUtf8(unit) : std::string(),
                        result == S_OK ? std::optional(summary) : std::nullopt});
        SysFreeString(unit);
    }
    return rows;
}

std::array<std::string, 3> RelationUnits(SistraRelation relation, const LoopUnits& units)
{
    const auto per = [](const std::string& unit, const std::string& by) { return unit + "/" + by; };
    const std::string& v = units.volume;
    const std::string squared = v + "\u00B2";
    switch (relation)
    {
    case SistraRelation::EdpvrExponential: return {per("1", v), units.pressure, ""};
    case SistraRelation::Prsw: return {units.pressure, units.work, per(units.pressure, v)};
    case SistraRelation::DpdtMaxEdv: return {per(units.pressureRate, v), units.pressureRate, per(units.pressureRate, squared)};
    default: return {per(units.pressure, v), units.pressure, per(units.pressure, squared)};
    }
}

std::vector<RelationRow> DocumentAnalysis::Relations()
{
    const std::vector<SummaryRow> summaries = Summaries();
    const auto unitOf = [&](int parameter) { return summaries.at(static_cast<size_t>(parameter - 1)).unit; };
    const LoopUnits units{unitOf(LoopParameter::Pes), unitOf(LoopParameter::Ves), unitOf(LoopParameter::SW), unitOf(LoopParameter::DpdtMax)};
    std::vector<RelationRow> rows;
    for (LONG relation = 0; relation < SistraRelationCount; ++relation)
    {
        SistraRegression fit{};
        const auto kind = static_cast<SistraRelation>(relation);
        const HRESULT result = pane_->GetRegression(kind, &fit);
        Check(result, std::string("no ") + RelationNames[static_cast<size_t>(relation)]);
        rows.push_back({RelationNames[static_cast<size_t>(relation)], result == S_OK ? std::optional(fit) : std::nullopt,
                        RelationUnits(kind, units), kind == SistraRelation::EspvrPerpendicular ? "r" : "r2",
                        result != S_OK && fit.rSquared < 0.0 ? std::optional(fit.rSquared) : std::nullopt});
    }
    return rows;
}

} // namespace Host
