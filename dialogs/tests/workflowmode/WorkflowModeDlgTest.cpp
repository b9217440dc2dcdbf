#include "dialogs/workflowmode/WorkflowModeDlg.h"

#include "dialogs/framework/WhiteDialog.h"
#include "dialogs/tests/DialogTestSupport.h"

#include <gtest/gtest.h>

using Sistra::WorkflowModeDlg;

namespace
{

constexpr const wchar_t* Caption = L"Sistra Workflow Mode";

bool Ticked(HWND dialog)
{
    return IsDlgButtonChecked(dialog, IDC_ENABLE_WORKFLOW) == BST_CHECKED;
}

// The pixel of the dialog's client area at that height, as it is on the screen.
COLORREF ClientPixel(HWND dialog, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(dialog, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

} // namespace

TEST(WorkflowModeDlg, TheBoxShowsTheFlagAndOnlyOkWritesItBack)
{
    const struct
    {
        bool on;
        bool toggle;
        int button;
        bool after;
    } cases[] = {
        {true, false, IDOK, true}, {true, true, IDCANCEL, true}, {false, true, IDOK, true}, {true, true, IDOK, false},
    };
    for (const auto& c : cases)
    {
        bool flag = c.on;
        bool shownTicked = !c.on;
        WorkflowModeDlg dialog(&flag);
        const INT_PTR ended = DialogTests::WithModalScript(Caption, [&](HWND shown) {
            shownTicked = Ticked(shown);
            if (c.toggle)
                DialogTests::Click(shown, IDC_ENABLE_WORKFLOW);
            DialogTests::Click(shown, c.button);
        }, [&] { return dialog.DoModal(nullptr); });
        EXPECT_EQ(c.on, shownTicked);
        EXPECT_EQ(c.button, ended);
        EXPECT_EQ(c.after, flag);
    }
}

// White above the grey band, the band as far above OK as the dialog's edge is below it; the picture is
// saved for a person to look at.
TEST(WorkflowModeDlg, OpensCentredOnTheNearestWorkAreaWhenItsOwnerIsMinimisedAndLooksWhite)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ShowWindow(owner, SW_MINIMIZE);
    bool flag = true;
    RECT placed{};
    COLORREF top = 0, band = 0;
    int bandTop = 0;
    WorkflowModeDlg dialog(&flag);
    DialogTests::WithModalScript(Caption, [&](HWND shown) {
        GetWindowRect(shown, &placed);
        DialogTests::SaveShown(shown, L"dialogs_workflow_mode");
        bandTop = Orv::WhiteDialogLook::BandTop(shown);
        top = ClientPixel(shown, 2, 2);
        band = ClientPixel(shown, 2, bandTop + 3);
        DialogTests::Click(shown, IDCANCEL);
    }, [&] { return dialog.DoModal(owner); });
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_NEAR((monitor.rcWork.left + monitor.rcWork.right) / 2, (placed.left + placed.right) / 2, 1);
    EXPECT_NEAR((monitor.rcWork.top + monitor.rcWork.bottom) / 2, (placed.top + placed.bottom) / 2, 1);
    EXPECT_EQ(Orv::WhiteDialogLook::White, top);
    EXPECT_EQ(Orv::WhiteDialogLook::Band, band);
    EXPECT_GT(bandTop, 0);
    DestroyWindow(owner);
}

// Under a host with a person at it the document's command opens the dialog; what is chosen there goes
// into the setup model.
TEST(WorkflowModeDlg, TheDocumentsCommandOpensItWhenThereIsSomeoneToAnswer)
{
    DialogTests::DocumentFixture fixture;
    const Sistra::ModelPtr setup = fixture.Document().GetSetupModel();
    setup->SetWorkflowModeOn(true);
    setup->CommitChanges();
    StandInHost::StandIn().ShowModuleDialogs(VARIANT_TRUE);
    bool opened = false;
    DialogTests::WithModalScript(Caption, [&](HWND shown) {
        opened = true;
        DialogTests::Click(shown, IDC_ENABLE_WORKFLOW);
        DialogTests::Click(shown, IDOK);
    }, [&] { fixture.Document().OnWorkflowMode(); return 0; });
    StandInHost::StandIn().ShowModuleDialogs(VARIANT_FALSE);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(setup->GetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::WorkflowModeOn));
}
