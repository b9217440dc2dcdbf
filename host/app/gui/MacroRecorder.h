// The frame's macro recorder: Macro > Record... asks where the macro goes, and from then on every command a
// module's window sends its document (a menu choice, a list or button of a view) is written as a macro
// statement, as the command's message class writes it; Macro > Stop Recording saves the statements, one a
// line, as `sistra macro` reads them. A command given while the host's selection is another than the macro
// made last is preceded by the host's statement that selects it, so that a run finds the same selection.
// The macro begins with what a run on a new document needs to start from the frame's state as the recording
// began: the channels the host chose, the workflow mode, the analysis shown, its selection and loops left out.
#pragma once

#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/OpenedRecording.h"

#include "hostapi/VyrAutomation.h"
#include "foundation/com/ComPtr.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Host
{

class MacroRecorder
{
public:
    // Adds the Macro menu to the frame; the frame and the opened recording must outlive this.
    MacroRecorder(FrameWindow& frame, OpenedRecording& opened);
    // A recording still running is saved, as far as the file can be written.
    ~MacroRecorder();
    MacroRecorder(const MacroRecorder&) = delete;
    MacroRecorder& operator=(const MacroRecorder&) = delete;

    bool Recording() const { return static_cast<bool>(writer_); }
    // Throws std::runtime_error while a recording runs.
    void Start(const std::wstring& path);
    // Saves the statements recorded since Start and ends the recording. Throws std::runtime_error when none
    // runs, or when the file cannot be written (the recording then goes on, for another Stop to save).
    void Stop();

private:
    void AskAndStart();
    // The statements that bring a new document over the recording to the frame's state now.
    std::vector<std::wstring> FramesState();
    // The host's statements for what the user set without a command since the macro's last statement: the
    // selection, the loops left out.
    std::vector<std::wstring> LeadIn();
    // The statement that selects what the host has selected now, when the macro has not selected it last.
    std::optional<std::wstring> SelectionLeadIn();
    // The statement that leaves out the loops the analysis leaves out now, when the macro left out others.
    std::optional<std::wstring> ExclusionLeadIn();

    FrameWindow& frame_;
    OpenedRecording& opened_;
    Orv::ComPtr<IMacroWriter> writer_;
    std::wstring path_;
    // What the macro begins with, written before the first command.
    std::vector<std::wstring> opening_;
    std::optional<std::pair<TickPosition, TickPosition>> selected_;
    std::vector<uint32_t> excluded_;
};

} // namespace Host
