// A frame with the workflow on, calibrated as a person calibrates it: boxes typed into, apply boxes
// ticked, and what the views then show read back as a person reads it.
#pragma once

#include "host/app/document/HostDocument.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/FrameWorkflow.h"
#include "host/tests/ResultsSheetText.h"
#include "host/tests/TestPictures.h"
#include "host/vyr/UnitConversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace HostTests
{

constexpr const wchar_t* LoopViewName = L"Loop View";
constexpr const wchar_t* TableViewName = L"Sistra Hemodynamics TableView";
constexpr int LoopViewListId = 3001, WorkflowOnBox = 1069;

class FrameCalibrationFixture : public FrameSessionFixture
{
protected:
    using FrameSessionFixture::FrameSessionFixture;

    HWND ViewWindow(const wchar_t* name)
    {
        const Host::ViewFrame* view = Frame().FindView(name);
        return view ? view->ViewWindow() : nullptr;
    }
    // The first loop's value in the table's column, as its Add to Tallion puts it on the results sheet.
    double FirstLoopValue(const std::string& column)
    {
        const HWND table = ViewWindow(TableViewName);
        const HWND add =
            table ? FindVisibleChild(table, [](HWND child) { return WindowText(child) == L"Add to Tallion"; }) : nullptr;
        const std::string value = ValueAddedToTallion(Frame(), opened->Session().Sheet(), add, column);
        // The sheet's window came to the front, over the workflow's page: closed, as a person closes it.
        if (const HWND sheet = ThreadWindowOfClass(L"SistraHostList"))
            SendMessageW(sheet, WM_CLOSE, 0, 0);
        SetForegroundWindow(Frame().Handle());
        PumpUntil(Frame(), [&] { return GetForegroundWindow() == Frame().Handle(); });
        return value.empty() ? std::nan("") : std::stod(value);
    }
    // The factor the host shows the volume channel's recorded values with.
    double VolumeScale()
    {
        constexpr int32_t VolumeChannel = 1;
        Orv::ComPtr<IUnitConversion> conversion;
        Vyr::ConversionFacts facts;
        if (opened->Host().GetChannelConversion(HostUnsetPosition, 0, VolumeChannel, conversion.Put()) != S_OK ||
            !Vyr::ReadConversionFacts(*conversion.Get(), facts))
            return std::nan("");
        return facts.inUse ? facts.scale : 1.0;
    }
    // "Workflow mode..." chosen from the module's menu, its box cleared and OK pressed.
    void LeaveWorkflow() { ChooseWorkflowMode(false); }
    // "Workflow mode..." chosen from the module's menu, its box set as asked and OK pressed: the frame then
    // shows the workflow's view, or lets go of it.
    void ChooseWorkflowMode(bool on)
    {
        SecondHand hand([] { return DialogWithControl(WorkflowOnBox); }, [on](HWND dialog) {
            ClickUntilChecked(dialog, WorkflowOnBox, on ? BST_CHECKED : BST_UNCHECKED);
            ClickUntilGone(dialog, IDOK);
        });
        ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) { return text.find(L"orkflow mode") != std::wstring::npos; });
        ASSERT_TRUE(PumpUntil(Frame(), [&] { return hand.done.load() && (Frame().FindView(L"Sistra Workflow") != nullptr) == on; }));
    }
    bool OpenViewFromMenu(const std::wstring& item)
    {
        return ChooseMenuItem(Frame(), L"Sistra", [&](const std::wstring& text) { return text == item; }) == item;
    }
    // The loop view's black pixels right of its loop list: the loops' lines.
    size_t LoopPixels()
    {
        const HWND loopView = ViewWindow(LoopViewName);
        if (!loopView)
            return 0;
        RECT list{}, view{};
        GetWindowRect(GetDlgItem(loopView, LoopViewListId), &list);
        GetWindowRect(loopView, &view);
        return BlackPixels(loopView, list.right - view.left);
    }
    bool Tick(HWND page, int box)
    {
        const LRESULT before = SendDlgItemMessageW(page, box, BM_GETCHECK, 0, 0);
        return ClickUntil(Frame(), ScreenCentreOf(GetDlgItem(page, box)),
                          [&] { return SendDlgItemMessageW(page, box, BM_GETCHECK, 0, 0) != before; });
    }
    // Clicks into the page's box and types the text; whether the box shows it.
    bool TypeInto(HWND page, int box, const std::wstring& text)
    {
        const HWND edit = GetDlgItem(page, box);
        if (!ClickUntil(Frame(), ScreenCentreOf(edit), [&] { return GetFocus() == edit; }))
            return false;
        SendMessageW(edit, EM_SETSEL, 0, -1);
        TypeText(text);
        return PumpUntil(Frame(), [&] { return WindowText(edit) == text; });
    }
};

} // namespace HostTests
