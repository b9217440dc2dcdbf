// The host's own windows and file commands that the frame offers for a recording's document: the results
// sheet, shown as soon as a module adds rows to it (the hemodynamics table's Add to Tallion), the analysis
// manager, listing the document's analyses, when the document asks the host for it (the workflow's
// Analysis Manager button), its buttons sending the manager's clear, recalibrate-and-analyse and
// report-region requests, and File > Export..., which saves the recording as a recording text.
#pragma once

#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/HostListWindow.h"
#include "host/app/gui/OpenedRecording.h"

namespace Host
{

class HostWindows
{
public:
    // The id by which a document names the host's analysis manager.
    static constexpr ULONG AnalysisManagerWindow = 0x800D000E;

    HostWindows(FrameWindow& frame, OpenedRecording& opened);
    ~HostWindows();
    HostWindows(const HostWindows&) = delete;
    HostWindows& operator=(const HostWindows&) = delete;

    HostListWindow& ResultsSheet() { return sheet_; }
    HostListWindow& AnalysisManager() { return manager_; }

private:
    void ShowSheet();
    void ShowAnalysisManager();

    FrameWindow& frame_;
    OpenedRecording& opened_;
    HostListWindow sheet_;
    HostListWindow manager_;
};

} // namespace Host
