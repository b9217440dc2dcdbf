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
// list a click opened (again while the list did not take it); true once the step titled firstStep follows
// the setup step.
inline bool ChooseFirstWorkflow(Host::FrameWindow& frame, const std::wstring& firstStep = L"Pressure calibration")
{
    HWND list = FindVisibleChild(frame.Handle(), [](HWND window) { return GetDlgCtrlID(window) == WorkflowList; });
    if (!list)
        return false;
    ChooseListItem(list, static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)) + 1);
    return PumpUntil(frame, [&] { return StepPane(frame, firstStep) != nullptr; });
}

// The page the step's pane shows; null while the step is closed.
inline HWND PageOf(HWND pane)
{
    return FindVisibleChild(pane, [](HWND child) { return ClassOf(child) == L"#32770"; });
}

// A click on the step's title opens it; clicked again only while the pane shows no page, since a second
// click on a title that took closes the step. False when the workflow has no such step or it did not open.
inline bool ClickStepTitle(Host::FrameWindow& frame, const std::wstring& title)
{
    HWND pane = StepPane(frame, title);
    return pane && ClickUntil(frame, ScreenCentreOf(pane), [pane] { return PageOf(pane) != nullptr; });
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
