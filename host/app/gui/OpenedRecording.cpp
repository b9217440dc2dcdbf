#include "host/app/gui/OpenedRecording.h"

#include "host/app/ModuleLoader.h"
#include "host/app/files/TextConversion.h"
#include "host/app/calc/HostCalcClasses.h"
#include "host/app/gui/KeptComputedChannels.h"
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

} // namespace

OpenedRecording::OpenedRecording(const std::string& file, const OpenOptions& options)
    : saved_(DocumentFileOpening::Read(file)),
      documentFile_(saved_ ? std::optional<std::wstring>(FromUtf8(file)) : std::nullopt),
      file_(saved_ ? saved_->RecordingFile() : file),
      recording_(saved_ ? saved_->TakeRecording() : LoadRecordingFile(file_))
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
    if (saved_)
    {
        saved_->PrepareHost(*hostDocument_.Get());
        warnings_ = saved_->Warnings();
    }
    classes_.emplace(session_.Framework());
    channelHosts_.emplace(*hostDocument_.Get(), StandIn());
    std::optional<AnalysisChoices> choices = saved_ ? std::optional<AnalysisChoices>(saved_->Choices())
                                                    : ChoicesFor(recording_, options.channels, notAnalysed_);
    if (choices)
    {
        if (!documentFile_)
            channels_ = ChosenChannels{choices->pressureChannel, choices->volumeChannel,
                                       options.channels.ecg ? std::optional(ResolveChannel(recording_, *options.channels.ecg))
                                                            : std::nullopt};
        // What the channels chosen leave doubtful (an ECG without R waves above its noise) is said on opening.
        warnings_.insert(warnings_.end(), choices->warnings.begin(), choices->warnings.end());
        if (choices->ecgSource)
            choices->ecgSource = NameEcgSource(*hostDocument_.Get(), recording_, *options.channels.ecg, *choices->ecgSource);
        // Analysing while sampling is the document's online mode, set before the first sample arrives.
        choices->online = options.sampled;
        // The saved computed channels are made again before the settings load, so that settings that
        // name one find it.
        std::vector<RemadeChannel> remade;
        if (saved_ && !saved_->ComputedChannels().empty())
            choices->beforeSettingsLoad = [this, &remade] {
                RemadeChannels made = RemakeComputedChannels(saved_->ComputedChannels(), *channelHosts_, StandIn());
                remade = std::move(made.channels);
                leftOut_ = std::move(made.leftOut);
            };
        analysis_.emplace(session_.Framework().StandIn(), *hostDocument_.Get(), *choices);
        if (saved_)
            saved_->FinishHost(*hostDocument_.Get());
        if (options.leaveWorkflow)
            analysis_->LeaveWorkflowMode();
        // A document shows the loops it was saved with, those the person left out among them; analysed
        // afresh, they would all be counted again.
        if (options.sampled || !ShowsSavedAnalysis(saved_, *analysis_))
            analysis_->AnalyzeNow();
        // Over the loops the analysis found, which the channels read.
        const auto failed = RunRemadeChannels(*hostDocument_.Get(), remade);
        leftOut_.insert(leftOut_.end(), failed.begin(), failed.end());
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
    NameModuleDocument(Document(), Title());
}

std::wstring OpenedRecording::Title() const
{
    const std::string file = documentFile_ ? ToUtf8(*documentFile_) : file_;
    const size_t slash = file.find_last_of("/\\");
    return FromUtf8(slash == std::string::npos ? file : file.substr(slash + 1));
}

} // namespace Host
