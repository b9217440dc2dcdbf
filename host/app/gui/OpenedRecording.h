// A recording opened in the host as a person opens it: the module loaded and registered, a host
// document over the recording, and the module's document on it, made through the module's classes and
// analysed over the whole recording when the recording names its pressure and volume channels. Opened
// to be sampled, the host document starts empty and receives the recording as it is played, and the
// module's document analyses it online.
#pragma once

#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/document/DocumentAnalysis.h"
#include "host/app/document/DocumentFileOpening.h"
#include "host/app/FrameworkHost.h"
#include "host/app/HostApplication.h"
#include "host/app/document/HostDocument.h"
#include "host/app/gui/ComputedChannelCommand.h"
#include "host/app/gui/ModuleClasses.h"
#include "host/app/recording/Recording.h"

#include <optional>
#include <string>
#include <vector>

namespace Host
{

// How the recording is opened: the channels the user named, and whether the workflow is left at once.
struct OpenOptions
{
    ChannelArguments channels;
    bool leaveWorkflow = false;
    // The host document starts empty and samples the recording as it is played (SamplingPlayer).
    bool sampled = false;
    // The language the host's user interface speaks, and the module's texts with it; none: the host's own.
    std::optional<LANGID> language;
};

// The channels the host chose for the document's analysis when it opened the recording, counted from 0.
struct ChosenChannels
{
    int32_t pressure = 0, volume = 1;
    std::optional<int32_t> ecg;
};

class OpenedRecording
{
public:
    // file: a recording, or a host document file, which opens the data it kept (as the document showed
    // them, units included; a file that kept none: the recording it names) with the module settings it
    // saved (the channels and detector among them, in place of those the options name).
    // Throws std::runtime_error when the file cannot be read, the module does not register, a channel
    // the options name is not in it, or its document refuses the analysis.
    explicit OpenedRecording(const std::string& file, const OpenOptions& options = {});

    // The recording's file (a document file's data came from it).
    const std::string& File() const { return file_; }
    // The host document file it was opened from; none when a recording was opened.
    const std::optional<std::wstring>& DocumentFile() const { return documentFile_; }
    // The document's name: the name of the file it was opened from.
    std::wstring Title() const;
    const ModuleClasses& Classes() const { return *classes_; }
    IUnknown* Document() const { return analysis_ ? analysis_->Document() : document_->Document(); }
    IVyrStandIn& StandIn() const { return session_.Framework().StandIn(); }
    // The analysis of the document; null when it was not analysed.
    DocumentAnalysis* Analysis() { return analysis_ ? &*analysis_ : nullptr; }
    HostSession& Session() { return session_; }
    // The channels the host gave the document; none when a document file's settings gave them, or the
    // recording did not tell.
    const std::optional<ChosenChannels>& Channels() const { return channels_; }
    // Why the document was not analysed; empty when it was.
    const std::string& NotAnalysed() const { return notAnalysed_; }
    HostDocument& Host() const { return *hostDocument_.Get(); }
    // The recording as read from the file, which the host's edits change.
    Recording& EditableRecording() { return recording_; }
    // The commands that host the document's computed channels.
    const ComputedChannelHosts& ChannelHosts() const { return *channelHosts_; }
    // What the person is told of the saved computed channels that could not be made again and were left
    // out; empty when none was.
    const std::vector<std::string>& LeftOut() const { return leftOut_; }
    // What the person is warned of on opening: a document saved without checks, channels whose choice
    // leaves the analysis doubtful (an ECG without R waves); empty otherwise.
    const std::vector<std::string>& Warnings() const { return warnings_; }

private:
    // In the order they are made; they end in reverse, the module's objects before the module.
    std::optional<DocumentFileOpening> saved_;
    std::optional<std::wstring> documentFile_;
    std::string file_;
    Recording recording_;
    HostSession session_;
    HostApplication application_;
    Orv::ComPtr<HostDocument> hostDocument_;
    std::optional<ModuleClasses> classes_;
    std::optional<DocumentAnalysis> analysis_;
    std::optional<ModuleDocument> document_;
    std::optional<ChosenChannels> channels_;
    std::string notAnalysed_;
    std::vector<std::string> leftOut_;
    std::vector<std::string> warnings_;
    // Last, so that the document lets go of its computed channels before the module's objects go.
    std::optional<ComputedChannelHosts> channelHosts_;
};

} // namespace Host
