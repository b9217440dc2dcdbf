#include "foundation/system/ModalMessage.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct AskedBox
{
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT style;
};

AskedBox lastAsked;

int AnswerNo(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) noexcept
{
    lastAsked = {owner, text, caption, style};
    return IDNO;
}

TEST(ModalMessage, ABoxTakesTheInstalledRouteAndGivesBackItsAnswer)
{
    const Orv::MessageBoxRoute before = Orv::SetMessageBoxRoute(AnswerNo);
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(IDNO, Orv::ShowMessageBox(owner, L"Continue?", L"Sistra", MB_YESNO | MB_TASKMODAL));
    EXPECT_EQ(owner, lastAsked.owner);
    EXPECT_EQ(L"Continue?", lastAsked.text);
    EXPECT_EQ(L"Sistra", lastAsked.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_TASKMODAL), lastAsked.style);
    EXPECT_EQ(AnswerNo, Orv::SetMessageBoxRoute(before));
}

// A test program without the host-client layer has no route: nothing is shown and nothing waits.
TEST(ModalMessage, WithoutARouteNothingIsShownAndTheAnswerIsOk)
{
    const Orv::MessageBoxRoute before = Orv::SetMessageBoxRoute(nullptr);
    lastAsked = {};
    EXPECT_EQ(IDOK, Orv::ShowMessageBox(nullptr, L"text", L"caption", MB_OKCANCEL));
    EXPECT_TRUE(lastAsked.text.empty());
    Orv::SetMessageBoxRoute(before);
}

HRESULT ChooseExportFile(HWND, const HostSaveFileRequest& request, BSTR* path) noexcept
{
    const bool cancel = request.filterIndex == 0;
    *path = cancel ? nullptr : SysAllocString(L"C:\\out\\table.csv");
    return cancel ? S_FALSE : S_OK;
}

TEST(ModalMessage, ASaveDialogTakesTheInstalledRouteAndWithoutOneIsCancelled)
{
    const Orv::SaveFileRoute before = Orv::SetSaveFileRoute(ChooseExportFile);
    HostSaveFileRequest request{L"Export", L"CSV\0*.csv\0", 1, L".", L"csv", 0};
    EXPECT_EQ(L"C:\\out\\table.csv", std::wstring(Orv::AskSaveFileName(nullptr, request).c_str()));
    request.filterIndex = 0;
    EXPECT_TRUE(Orv::AskSaveFileName(nullptr, request).IsEmpty()) << "cancelled";
    Orv::SetSaveFileRoute(nullptr);
    request.filterIndex = 1;
    EXPECT_TRUE(Orv::AskSaveFileName(nullptr, request).IsEmpty()) << "nobody to ask";
    Orv::SetSaveFileRoute(before);
}

} // namespace
