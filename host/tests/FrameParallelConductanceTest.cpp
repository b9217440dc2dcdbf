// The parallel-conductance dialog reached as a person reaches it: the saline step of the workflow, its
// analysed Vp added to the bolus list, a right click on the entry and Edit from its menu.
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/FrameWorkflow.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <commctrl.h>


namespace
{

using HostTests::PumpUntil;
using HostTests::WindowText;

constexpr int BolusList = 1100, AddBolus = 1134, AppliedVp = 1102;
constexpr int EditedValue = 1131, EditedUnit = 1133;

std::wstring RowText(HWND list, int row)
{
    wchar_t text[128] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

void RightClickAt(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    HostTests::SendMouse(MOUSEEVENTF_RIGHTDOWN);
    HostTests::SendMouse(MOUSEEVENTF_RIGHTUP);
}

class FrameParallelConductance : public HostTests::FrameSessionFixture
{
protected:
    FrameParallelConductance()
        : FrameSessionFixture("frame-saline.csv", HostTests::MousePreloadReductionText(), Host::OpenOptions{{}, false})
    {
    }
};

TEST_F(FrameParallelConductance, TheSalineStepsBolusMenuEditsTheEntrysVpInTheVolumeUnit)
{
    Host::FrameWindow& frame = Frame();
    ASSERT_TRUE(HostTests::ChooseFirstWorkflow(frame));
    HWND page = HostTests::OpenStep(frame, L"Saline calibration", BolusList);
    ASSERT_TRUE(page);
    HWND list = GetDlgItem(page, BolusList);
    ASSERT_TRUE(HostTests::ClickUntil(frame, HostTests::ScreenCentreOf(GetDlgItem(page, AddBolus)),
                                      [&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1; }));
    const std::wstring added = RowText(list, 0);

    std::wstring shownValue, shownUnit;
    {
        HostTests::SecondHand dialog([] { return HostTests::DialogWithControl(EditedValue); }, [&](HWND found) {
            HWND value = GetDlgItem(found, EditedValue);
            HostTests::PumpUntil([&] { return !WindowText(value).empty(); });
            shownValue = WindowText(value);
            shownUnit = WindowText(GetDlgItem(found, EditedUnit));
            HostTests::SaveTestPicture(found, L"frame-parallel-conductance-dialog");
            HostTests::RetypeUntilShown(value, L"12.5");
            HostTests::ClickUntilGone(found, IDOK);
        });
        RECT row{LVIR_BOUNDS};
        SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&row), 2);
        EXPECT_EQ(L"&Edit", HostTests::ChooseFromMenu(frame, [&] { RightClickAt(HostTests::CentreOf(row)); },
                                                      [](const std::wstring& text) { return text == L"&Edit"; }));
        PumpUntil(frame, [&] { return dialog.done.load(); });
    }
    // The dialog showed the entry as the list shows it, and OK put the typed value in its place and, the
    // entry being the one chosen, in the Vp the step applies.
    EXPECT_EQ(added, shownValue + L" " + shownUnit);
    EXPECT_EQ(L"\u00b5L", shownUnit);
    EXPECT_TRUE(PumpUntil(frame, [&] { return RowText(list, 0) == L"12.5 \u00b5L"; })) << RowText(list, 0);
    EXPECT_TRUE(PumpUntil(frame, [&] { return WindowText(GetDlgItem(page, AppliedVp)) == L"Parallel Conductance: 12.5 \u00b5L"; }))
        << WindowText(GetDlgItem(page, AppliedVp));
}

} // namespace
