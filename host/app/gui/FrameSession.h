// The frame as a person meets it on an opened recording: the module's menus and views, the workflow's
// view when the workflow is on, the host's trace view across the top, the host's own Channel menu, its
// document file commands and the analysis range it keeps.
// The module shows its dialogs to the person at the frame.
#pragma once

#include "host/app/document/AnalysisRange.h"
#include "host/app/gui/ChannelCommands.h"
#include "host/app/gui/ComputedChannelCommand.h"
#include "host/app/gui/DocumentFileCommands.h"
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/HostWindows.h"
#include "host/app/gui/MacroRecorder.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/TraceView.h"

#include <optional>
#include <ostream>
#include <string>

namespace Host
{

class FrameSession
{
public:
    // A view that cannot be opened is named on err (as gui names it), and the frame goes on with the others. Throws
    // std::runtime_error when the frame or the trace view cannot be made.
    FrameSession(OpenedRecording& opened, const std::wstring& title, const RECT& place, std::ostream& err);
    FrameSession(const FrameSession&) = delete;
    FrameSession& operator=(const FrameSession&) = delete;

    FrameWindow& Frame() { return frame_; }
    TraceView& Trace() { return *trace_; }
    // The document file the user chose with File > Open..., which closed the frame; none otherwise.
    const std::optional<std::wstring>& NextDocument() const { return files_->NextDocument(); }

private:
    FrameWindow frame_;
    std::optional<HostWindows> hostWindows_;
    std::optional<TraceView> trace_;
    std::optional<ComputedChannelMenu> channels_;
    std::optional<DocumentFileCommands> files_;
    std::optional<ChannelCommands> channelCommands_;
    std::optional<MacroRecorder> macros_;
    std::optional<AnalysisRange> range_;
};

} // namespace Host
