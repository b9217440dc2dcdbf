#include "tableview/transfer/TableClipboard.h"

#include "foundation/system/ModalMessage.h"

#include <gtest/gtest.h>

namespace
{

std::wstring shownText;

int RecordBox(HWND, const wchar_t* text, const wchar_t* caption, UINT style) noexcept
{
    shownText = std::wstring(caption) + L" " + std::to_wstring(style & MB_ICONMASK) + L": " + text;
    return IDOK;
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return L"<closed>";
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT))
    {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// A copy that cannot be made (the clipboard held elsewhere, no owner window to keep the new text) is
// reported in the caller's box and leaves the clipboard as it was.
TEST(TableClipboard, TheTextGoesOnTheClipboardOnlyWhenTheCopyCanSucceed)
{
    const HWND owner = CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const HWND other = CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const Orv::MessageBoxRoute before = Orv::SetMessageBoxRoute(RecordBox);
    const std::wstring table = L"HR\tSV (\u00b5L)\r\n1.1\t1.2\r\n";
    ASSERT_TRUE(TableView::CopyTextToClipboard(owner, table));
    EXPECT_EQ(table, ClipboardText());
    EXPECT_TRUE(shownText.empty());

    const struct
    {
        HWND owner;
        HWND holder;
        TableView::ClipboardFailureBox box;
        std::wstring shown;
    } failures[] = {
        {owner, other, {}, L"Error 0: Unable to copy to clipboard at present"},
        {owner, other, {L"Sistra Cuvette Calibration", MB_ICONSTOP},
         L"Sistra Cuvette Calibration 16: Unable to copy to clipboard at present"},
        {nullptr, nullptr, {L"View", MB_ICONSTOP}, L"View 16: Unable to copy to clipboard at present"},
    };
    for (const auto& failure : failures)
    {
        shownText.clear();
        if (failure.holder)
        {
            ASSERT_TRUE(OpenClipboard(failure.holder));
        }
        EXPECT_FALSE(TableView::CopyTextToClipboard(failure.owner, L"lost", failure.box));
        if (failure.holder)
            CloseClipboard();
        EXPECT_EQ(failure.shown, shownText);
        EXPECT_EQ(table, ClipboardText()) << "the clipboard keeps what it held";
    }
    Orv::SetMessageBoxRoute(before);
    DestroyWindow(other);
    DestroyWindow(owner);
}

} // namespace
