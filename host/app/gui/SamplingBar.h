// The frame's sampling strip while its document can sample: one button that runs the host's start/stop
// command, with the command's image and "Start" or "Stop", pressed while the document samples and
// greyed once the document can neither start nor stop (its recording played to its end).
#pragma once

#include "hostapi/VyrAnalysis.h"
#include "hostapi/VyrCommands.h"

#include "foundation/com/ComPtr.h"

#include <windows.h>

#include <string>

namespace Host
{

class SamplingBar
{
public:
    static constexpr int Height = 30;

    // document: answers IHostSampling; command: the start/stop command, which must outlive the bar.
    // Throws std::runtime_error when the window cannot be made.
    SamplingBar(HWND parent, IUnknown* document, IVyrHostCommand& command);
    ~SamplingBar();
    SamplingBar(const SamplingBar&) = delete;
    SamplingBar& operator=(const SamplingBar&) = delete;

    HWND Handle() const { return window_; }
    // Reads the document's state into the button; a timer does so while the bar lives.
    void Refresh();
    // What a click does: the command runs and the button follows.
    void Press();

    const std::wstring& Text() const { return text_; }
    bool IsPressed() const { return sampling_; }
    bool IsEnabled() const { return IsWindowEnabled(button_) != FALSE; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Draw(const DRAWITEMSTRUCT& item) const;

    HWND window_ = nullptr;
    HWND button_ = nullptr;
    Orv::ComPtr<IHostSampling> document_;
    IVyrHostCommand& command_;
    HBITMAP startImage_ = nullptr;
    HBITMAP stopImage_ = nullptr;
    std::wstring text_;
    bool sampling_ = false;
};

} // namespace Host
