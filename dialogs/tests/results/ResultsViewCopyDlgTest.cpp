#include "dialogs/results/ResultsViewCopyDlg.h"

#include "dialogs/tests/DialogTestSupport.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

using Sistra::ResultsViewCopyDlg;

namespace
{

bool Checked(const ResultsViewCopyDlg& dialog, int id)
{
    return IsDlgButtonChecked(dialog.GetHandle(), id) == BST_CHECKED;
}

void Click(ResultsViewCopyDlg& dialog, int id)
{
    DialogTests::Click(dialog.GetHandle(), id);
}

} // namespace

// A remembered 2 (the graph, as older views kept it) shows the graph and is answered as the graph, so
// that OK copies what the dialog showed.
TEST(ResultsViewCopyDlg, ThePresetIsShownAndOkWithoutAClickAnswersIt)
{
    const struct
    {
        int preset;
        bool graphShown;
        int answer;
    } cases[] = {{0, true, 0}, {1, false, 1}, {2, true, 0}, {7, false, 1}};
    for (const auto& c : cases)
    {
        ResultsViewCopyDlg dialog(nullptr, IDD_RESULTS_COPY, c.preset);
        ASSERT_TRUE(dialog.Create());
        EXPECT_EQ(c.graphShown, Checked(dialog, IDC_COPY_GRAPH)) << c.preset;
        EXPECT_EQ(!c.graphShown, Checked(dialog, IDC_COPY_TABLE)) << c.preset;
        if (c.preset == 1)
            DialogTests::SaveShown(dialog.GetHandle(), L"dialogs_results_copy");
        dialog.SendMessage(WM_COMMAND, IDOK);
        EXPECT_EQ(c.answer, dialog.Choice()) << c.preset;
    }
}

TEST(ResultsViewCopyDlg, ClickingAChoiceTakesItAndCancelEndsWithCancel)
{
    ResultsViewCopyDlg dialog(nullptr, IDD_RESULTS_COPY, 0);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(L"Copy Cuvette Calibration View", dialog.GetWindowText());
    Click(dialog, IDC_COPY_TABLE);
    EXPECT_TRUE(Checked(dialog, IDC_COPY_TABLE));
    EXPECT_FALSE(Checked(dialog, IDC_COPY_GRAPH));
    EXPECT_EQ(1, dialog.Choice());
    Click(dialog, IDC_COPY_GRAPH);
    EXPECT_EQ(0, dialog.Choice());
    EXPECT_FALSE(Checked(dialog, IDC_COPY_TABLE));
    dialog.Destroy();

    // Run modally, Cancel ends it with IDCANCEL.
    ResultsViewCopyDlg modal(nullptr, IDD_RESULTS_COPY, 1);
    const int ended = DialogTests::WithModalScript(L"Copy Cuvette Calibration View", [](HWND shown) {
        DialogTests::Click(shown, IDC_COPY_GRAPH);
        DialogTests::Click(shown, IDCANCEL);
    }, [&] { return modal.Execute(); });
    EXPECT_EQ(IDCANCEL, ended);
}
