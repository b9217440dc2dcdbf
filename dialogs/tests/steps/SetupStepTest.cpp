#include "dialogs/steps/SetupStep.h"

#include "dialogs/framework/StepFactory.h"
#include "dialogs/tests/DialogTestSupport.h"

#include <gtest/gtest.h>

using namespace Sistra;

namespace
{

int Selected(HWND page, int id)
{
    return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0));
}

// What the user does: picks an item, and the combo tells its page.
void Choose(HWND page, int id, int item)
{
    SendDlgItemMessageW(page, id, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

} // namespace

TEST(SetupStep, WorkflowItemsAndKindsMapBothWays)
{
    const struct
    {
        int item;
        int kind;
    } cases[] = {{0, 1}, {1, 2}, {2, 3}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.kind, WorkflowKindOfItem(c.item));
        EXPECT_EQ(c.item, ItemOfWorkflowKind(c.kind));
    }
    EXPECT_EQ(0, WorkflowKindOfItem(-1));
    EXPECT_EQ(-1, ItemOfWorkflowKind(0));
    EXPECT_EQ(-1, ItemOfWorkflowKind(4));
}

TEST(SetupStep, ThePageShowsTheModelsChoicesAndStoresTheUsers)
{
    DialogTests::DocumentFixture fixture;
    DialogTests::TestPane pane;
    const ModelPtr setup = fixture.Document().GetSetupModel();
    HWND page = CreateStepPage(StepId::SetupStep, pane.Window(), &fixture.Document());
    ASSERT_TRUE(page);
    EXPECT_FALSE(CreateStepPage(99, pane.Window(), &fixture.Document())) << "no factory has step 99";

    EXPECT_EQ(3, SendDlgItemMessageW(page, IDC_SETUP_WORKFLOW, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(2, SendDlgItemMessageW(page, IDC_SETUP_VOLUME, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(-1, Selected(page, IDC_SETUP_WORKFLOW)) << "no workflow chosen yet";
    EXPECT_EQ(0, Selected(page, IDC_SETUP_PRESSURE));
    EXPECT_EQ(1, Selected(page, IDC_SETUP_VOLUME));
    ShowWindow(page, SW_SHOW);
    DialogTests::SaveShown(pane.Window(), L"dialogs_setup_step");

    Choose(page, IDC_SETUP_WORKFLOW, 2);
    EXPECT_EQ(3, setup->GetValue<PropertyType::Int>(PropertyId::WorkflowKind));
    setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, 2);
    setup->CommitChanges();
    EXPECT_EQ(1, Selected(page, IDC_SETUP_WORKFLOW));

    // The same channel twice: the model refuses the commit and the pane shows why.
    pane.told.clear();
    Choose(page, IDC_SETUP_PRESSURE, 1);
    ASSERT_FALSE(pane.told.empty());
    EXPECT_EQ(static_cast<UINT>(WM_USER + 2), pane.told.front().message);
    EXPECT_EQ(L"Invalid Channel Selection", pane.told.front().title);
    setup->DiscardChanges();

    // While the page is open the host's loop hands it its dialog keys; once it is gone, no more.
    MSG tab{GetDlgItem(page, IDC_SETUP_WORKFLOW), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(S_OK, StandInHost::StandIn().PreTranslateLoopMessage(&tab));
    DestroyWindow(page);
    EXPECT_EQ(S_FALSE, StandInHost::StandIn().PreTranslateLoopMessage(&tab));
}
