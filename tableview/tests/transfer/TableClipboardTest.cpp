#include "tableview/transfer/TableClipboard.h"

#include "foundation/system/ModalMessage.h"

#include <gtest/gtest.h>

namespace
{

std::wstring shownText;

int RecordBox(HWND, const wchar_t* text, const wchar_t* caption, UINT) noexcept
{
    shownText = std::wstring(caption) + L": " + text;
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

TEST(TableClipboard, TheTextGoesOnTheClipboardUnlessAnotherWindowHoldsIt)
{
    const HWND owner = CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const HWND other = CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const Orv::MessageBoxRoute before = Orv::SetMessageBoxRoute(RecordBox);
    const std::wstring table = L"HR\tSV (\u00b5L)\r\n1.1\t1.2\r\n";
    ASSERT_TRUE(TableView::CopyTextToClipboard(owner, table));
    EXPECT_EQ(table, ClipboardText());

    ASSERT_TRUE(OpenClipboard(other));
    shownText.clear();
    EXPECT_FALSE(TableView::CopyTextToClipboard(owner, L"lost"));
    CloseClipboard();
    EXPECT_EQ(L"Error: Unable to copy to clipboard at present", shownText);
    EXPECT_EQ(table, ClipboardText()) << "the clipboard keeps what it held";
    Orv::SetMessageBoxRoute(before);
    DestroyWindow(other);
    DestroyWindow(owner);
}

} // namespace
