// The workflow's view in the frame, driven as a person drives it: the setup step's workflow list and the
// steps' titles, clicked.
#pragma once

#include "host/tests/FrameInput.h"

#include <string>

namespace HostTests
{

constexpr int WorkflowList = 1070;

// The pane of the workflow step titled so; null while the workflow shows no such step.
inline HWND StepPane(Host::FrameWindow& frame, const std::wstring& title)
{
    return FindVisibleChild(frame.Handle(), [&](HWND window) { return WindowText(window) == title; });
}

// Chooses the first workflow (the small mammal's) in the setup step's list, as the keyboard does in the
// list the click opened; true once the step titled firstStep follows the setup step.
inline bool ChooseFirstWorkflow(Host::FrameWindow& frame, const std::wstring& firstStep = L"Pressure calibration")
{
    HWND list = FindVisibleChild(frame.Handle(), [](HWND window) { return GetDlgCtrlID(window) == WorkflowList; });
    if (!list)
        return false;
    ClickAt(ScreenCentreOf(list));
    Settle(frame, 200);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    return PumpUntil(frame, [&] { return StepPane(frame, firstStep) != nullptr; });
}

// A click on the step's title opens it; false when the workflow has no such step.
inline bool ClickStepTitle(Host::FrameWindow& frame, const std::wstring& title)
{
    HWND pane = StepPane(frame, title);
    if (pane)
        ClickAt(ScreenCentreOf(pane));
    return pane != nullptr;
}

// Opens the step; its page, which holds the control, once shown.
inline HWND OpenStep(Host::FrameWindow& frame, const std::wstring& title, int control)
{
    HWND item = nullptr;
    if (ClickStepTitle(frame, title))
        PumpUntil(frame, [&] {
            return (item = FindVisibleChild(StepPane(frame, title),
                                        [&](HWND window) { return GetDlgCtrlID(window) == control; })) != nullptr;
        });
    Settle(frame);
    return item ? GetParent(item) : nullptr;
}

} // namespace HostTests
