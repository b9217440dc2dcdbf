#include "host/app/gui/OpenedRecording.h"

#include "host/app/DocumentFile.h"
#include "host/app/ModuleLoader.h"
#include "host/app/TextConversion.h"
#include "host/app/calc/HostCalcClasses.h"
#include "host/app/recording/RecordingText.h"

#include "foundation/text/StringResources.h"

#include <cctype>
#include <stdexcept>

namespace Host
{

namespace
{

// The channels the analysis reads: those the user named, else those the recording's names give; none
// when the user named none and the names do not tell.
std::optional<AnalysisChoices> ChoicesFor(const Recording& recording, const ChannelArguments& channels,
                                          std::string& problem)
{
    AnalysisChoices choices;
    try
    {
        ChooseChannels(recording, channels, choices);
        return choices;
    }
    catch (const std::runtime_error& e)
    {
        if (channels.pressure || channels.volume || channels.ecg)
            throw;
        problem = std::string("the recording does not name one pressure and one volume channel (") + e.what() +
                  "): name them with --pressure and --volume";
        return std::nullopt;
    }
}

// The ECG's R waves as an event source of the document named after the channel, as a person sets one
// up in the host: the settings dialog then lists it among the QRS sources and shows it chosen.
std::wstring NameEcgSource(HostDocument& host, const Recording& recording, const std::string& channelArgument,
                           const std::wstring& detection)
{
    std::wstring name;
    for (const char c : recording.Channels().at(static_cast<size_t>(ResolveChannel(recording, channelArgument))).name)
        name += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<wchar_t>(std::tolower(static_cast<unsigned char>(c)))
                                                             : L'_';
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name.front())))
        name.insert(0, L"ecg_");
    HostItemId item{};
    BSTR problem = nullptr;
    const HRESULT made = SUCCEEDED(host.FindItem(name.c_str(), &item))
                             ? host.SetItemCalculation(item, detection.c_str(), &problem)
                             : E_FAIL;
    SysFreeString(problem);
    // A channel name the calculations cannot take as a name keeps the detection's own text.
    return SUCCEEDED(made) ? name : detection;
}

std::optional<std::wstring> DocumentFileAt(const std::string& file)
{
    return RecordingOfDocumentFile(FromUtf8(file)) ? std::optional<std::wstring>(FromUtf8(file)) : std::nullopt;
}

} // namespace

OpenedRecording::OpenedRecording(const std::string& file, const OpenOptions& options)
    : documentFile_(DocumentFileAt(file)),
      file_(documentFile_ ? ToUtf8(*RecordingOfDocumentFile(*documentFile_)) : file),
      recording_(LoadRecordingFile(file_))
{
    Calc::RegisterHostCalculationClasses(session_.Framework().StandIn());
    // Before the module loads its texts.
    if (options.language)
    {
        session_.Framework().StandIn().SetUiLanguage(*options.language);
        Orv::SetApplicationLanguage(*options.language);
    }
    const HRESULT loaded = session_.LoadModule(ExecutableFolder() + L"Sistra.dll", &application_);
    if (FAILED(loaded))
        throw std::runtime_error("the module did not register: " + FailureText(loaded));
    hostDocument_ = options.sampled ? HostDocument::Sampling(recording_) : HostDocument::Offline(recording_);
    classes_.emplace(session_.Framework());
    std::optional<AnalysisChoices> choices =
        documentFile_ ? std::optional<AnalysisChoices>(AnalysisChoices{.documentFile = documentFile_}) : ChoicesFor(recording_, options.channels, notAnalysed_);
    if (choices)
    {
        if (choices->ecgSource)
            choices->ecgSource = NameEcgSource(*hostDocument_.Get(), recording_, *options.channels.ecg, *choices->ecgSource);
        // Analysing while sampling is the document's online mode, set before the first sample arrives.
        choices->online = options.sampled;
        analysis_.emplace(session_.Framework().StandIn(), *hostDocument_.Get(), *choices);
        if (options.leaveWorkflow)
            analysis_->LeaveWorkflowMode();
        analysis_->AnalyzeNow();
        // Loops of a recording being sampled arrive as it is.
        if (!options.sampled && analysis_->LoopCount() == 0)
            notAnalysed_ = "no loops found in " + file;
    }
    else
    {
        document_.emplace(classes_->DocumentClass(), *hostDocument_.Get());
        if (options.leaveWorkflow)
            LeaveWorkflowMode(StandIn(), document_->Document());
    }
}

} // namespace Host
