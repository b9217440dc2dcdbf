// The frame's macro recorder: Macro > Record... asks where the macro goes, and from then on every command a
// module's window sends its document (a menu choice, a list or button of a view) is written as a macro
// statement, as the command's message class writes it; Macro > Stop Recording saves the statements, one a
// line, as `sistra macro` reads them.
#pragma once

#include "host/app/gui/FrameWindow.h"

#include "hostapi/VyrAutomation.h"
#include "foundation/com/ComPtr.h"

#include <string>

struct IVyrStandIn;

namespace Host
{

class MacroRecorder
{
public:
    // Adds the Macro menu to the frame; the frame and the stand-in must outlive this.
    MacroRecorder(FrameWindow& frame, IVyrStandIn& standIn);
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

    FrameWindow& frame_;
    IVyrStandIn& standIn_;
    Orv::ComPtr<IMacroWriter> writer_;
    std::wstring path_;
};

} // namespace Host
