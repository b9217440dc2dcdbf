// A saved host document opened as the host opens it, for the frame and for the commands that take a
// document as they take a recording (analyze, macro): its data as they were shown (units included), its
// calculations named again, and the module's document made over them with the settings it saved, which
// hold its channels, detector, calibrations and the loops the person left out.
#pragma once

#include "host/app/document/DocumentAnalysis.h"
#include "host/app/document/DocumentFile.h"
#include "host/app/document/HostDocument.h"
#include "host/app/recording/Recording.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace Host
{

class DocumentFileOpening
{
public:
    // The document file at path; none when path holds no document (a recording text). Throws
    // DocumentDamaged for a damaged document, naming what is damaged, and std::runtime_error for one
    // that cannot be read otherwise.
    static std::optional<DocumentFileOpening> Read(const std::string& path);

    const std::string& Path() const { return path_; }
    // The recording file the document names: its data came from it.
    const std::string& RecordingFile() const { return recordingFile_; }
    // The recording as the document showed it (read from the recording file when the document kept no
    // data, as documents were saved before they kept them); taken once.
    Recording TakeRecording();
    const SavedComputedChannels& ComputedChannels() const { return content_.channels; }

    // Before the module's document is made over host: the channels shown in their saved units, and the
    // calculations the module's settings may name. Throws std::runtime_error when the host refuses a
    // unit.
    void PrepareHost(HostDocument& host);
    // What the module's document is made with: the settings the file saved.
    AnalysisChoices Choices() const;
    // Once the module's document is made: the calculations that call the module's functions. Throws
    // std::runtime_error for a calculation that cannot be made again.
    void FinishHost(HostDocument& host);
    // What the person is told on opening it: a document saved before documents carried checks opens,
    // but its damage could not be told.
    std::vector<std::string> Warnings() const;

private:
    DocumentFileOpening(std::string path, DocumentFileContent content);

    std::string path_;
    DocumentFileContent content_;
    std::string recordingFile_;
    HostItems pendingItems_;
};

// Whether the analysis opened from a document shows the loops it was saved with, so that analysing
// afresh (which clears the loops the person left out) is not wanted.
bool ShowsSavedAnalysis(const std::optional<DocumentFileOpening>& document, DocumentAnalysis& analysis);

// Once the module's document is made over host, as a command opens it: a saved document's host is
// finished, then the warnings given (the analysis's) and the document's own are written to err, each on
// a line of its own after prefix.
void FinishOpening(std::optional<DocumentFileOpening>& document, HostDocument& host, std::vector<std::string> warnings,
                   std::ostream& err, std::string_view prefix);

} // namespace Host
