#include "host/app/gui/OpenedRecording.h"

#include "host/app/DocumentFile.h"
#include "host/app/ModuleLoader.h"
#include "host/app/TextConversion.h"
#include "host/app/calc/HostCalcClasses.h"
#include "host/app/gui/KeptComputedChannels.h"
#include "host/app/recording/RecordingText.h"

#include "foundation/text/StringResources.h"

#include <algorithm>
#include <cctype>
#include <cwctype>
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

// Whether text names a recorded channel (chN) that the recording deleted: such a calculation yields nothing.
bool ReadsDeletedChannel(const Recording& recording, const std::wstring& text)
{
    const auto isNamePart = [](wchar_t c) { return std::iswalnum(c) || c == L'_'; };
    for (size_t at = 0; at + 2 < text.size(); ++at)
    {
        if (std::towlower(text[at]) != L'c' || std::towlower(text[at + 1]) != L'h' || (at > 0 && isNamePart(text[at - 1])))
            continue;
        size_t end = at + 2;
        while (end < text.size() && std::iswdigit(text[end]))
            ++end;
        // More digits than any channel count has name no channel of the recording.
        constexpr size_t MostDigits = 9;
        if (end == at + 2 || end - at - 2 > MostDigits || (end < text.size() && isNamePart(text[end])))
            continue;
        const size_t channel = std::stoul(text.substr(at + 2, end - at - 2));
        if (channel >= 1 && channel <= recording.Channels().size() && recording.Channels()[channel - 1].deleted)
            return true;
    }
    return false;
}

// The calculations of a saved document, named again in the host document: those the module's settings
// may name (an ECG's R waves) before the settings are loaded, those that call the module's functions once
// its document has registered them; a calculation the module made again itself is left as it made it, and
// one that reads a channel deleted since it was made is left out, as it could yield nothing. The
// calculations not made yet; on the last pass, one that cannot be made otherwise is an error.
HostItems RestoreItems(HostDocument& host, const HostItems& items, bool lastPass)
{
    HostItems left;
    const HostItems made = host.ItemCalculations();
    for (const auto& item : items)
    {
        const auto& [name, text] = item;
        if (std::any_of(made.begin(), made.end(), [&](const auto& other) { return other.first == name; }))
            continue;
        HostItemId id{};
        BSTR problem = nullptr;
        HRESULT result = host.FindItem(name.c_str(), &id);
        if (SUCCEEDED(result))
            result = host.SetItemCalculation(id, text.c_str(), &problem);
        const std::wstring why = problem ? problem : L"";
        SysFreeString(problem);
        if (SUCCEEDED(result) || (lastPass && ReadsDeletedChannel(host.Data(), text)))
            continue;
        if (!lastPass)
            left.push_back(item);
        else
            throw std::runtime_error("the document's calculation " + ToUtf8(name) + " (" + ToUtf8(text) +
                                     ") cannot be made again: " + FailureText(result, why));
    }
    return left;
}

} // namespace

OpenedRecording::OpenedRecording(const std::string& file, const OpenOptions& options)
    : saved_(ReadDocumentFile(FromUtf8(file))),
      documentFile_(saved_ ? std::optional<std::wstring>(FromUtf8(file)) : std::nullopt),
      file_(saved_ ? ToUtf8(saved_->recording) : file),
      // A document that keeps its data shows them, not the recording file as it is now.
      recording_(saved_ && saved_->data ? std::move(saved_->data->recording) : LoadRecordingFile(file_))
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
    if (saved_ && saved_->data)
        ApplyConversions(*hostDocument_.Get(), saved_->data->conversions);
    const HostItems pendingItems = saved_ ? RestoreItems(*hostDocument_.Get(), saved_->items, false) : HostItems{};
    classes_.emplace(session_.Framework());
    channelHosts_.emplace(*hostDocument_.Get(), StandIn());
    std::optional<AnalysisChoices> choices = documentFile_
                                                 ? std::optional<AnalysisChoices>(AnalysisChoices{.documentFile = documentFile_})
                                                 : ChoicesFor(recording_, options.channels, notAnalysed_);
    if (choices)
    {
        if (!documentFile_)
            channels_ = ChosenChannels{choices->pressureChannel, choices->volumeChannel,
                                       options.channels.ecg ? std::optional(ResolveChannel(recording_, *options.channels.ecg))
                                                            : std::nullopt};
        if (choices->ecgSource)
            choices->ecgSource = NameEcgSource(*hostDocument_.Get(), recording_, *options.channels.ecg, *choices->ecgSource);
        // Analysing while sampling is the document's online mode, set before the first sample arrives.
        choices->online = options.sampled;
        // The saved computed channels are made again before the settings load, so that settings that
        // name one find it.
        std::vector<RemadeChannel> remade;
        if (saved_ && !saved_->channels.empty())
            choices->beforeSettingsLoad = [this, &remade] {
                RemadeChannels made = RemakeComputedChannels(saved_->channels, *channelHosts_, StandIn());
                remade = std::move(made.channels);
                leftOut_ = std::move(made.leftOut);
            };
        analysis_.emplace(session_.Framework().StandIn(), *hostDocument_.Get(), *choices);
        RestoreItems(*hostDocument_.Get(), pendingItems, true);
        if (options.leaveWorkflow)
            analysis_->LeaveWorkflowMode();
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
