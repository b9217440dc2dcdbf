#include "Screenshot.h"

#include "platform/owl/controls/CheckList.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

using namespace OWL;

constexpr int ListId = 3001;

class ListHost : public TWindow
{
public:
    ListHost() : TWindow(static_cast<TWindow*>(nullptr), L"Loops")
    {
        Attr.Style = WS_POPUP | WS_VISIBLE;
        Attr.X = 300;
        Attr.Y = 20;
        Attr.W = 120;
        Attr.H = 120;
        list = new TCheckList(this, ListId, 0, 0, 80, 100);
    }
    void RowChosen()
    {
        const int row = list->GetSelIndex();
        chosen.push_back({row, list->GetItem(row)->IsChecked()});
    }

    TCheckList* list;
    std::vector<std::pair<int, bool>> chosen;

    DECLARE_RESPONSE_TABLE(ListHost);
};

DEFINE_RESPONSE_TABLE1(ListHost, TWindow)
    EV_LBN_SELCHANGE(ListId, RowChosen),
END_RESPONSE_TABLE;

TEST(OwlCheckList, AClickOnARowsBoxTogglesItAndChoosesTheRow)
{
    ListHost host;
    host.Create();
    std::vector<std::unique_ptr<TCheckListItem>> rows;
    for (const wchar_t* text : {L"1", L"2", L"3"})
    {
        rows.push_back(std::make_unique<TCheckListItem>(text, BST_CHECKED));
        host.list->AddItem(rows.back().get());
    }
    ASSERT_EQ(3, host.list->GetCount());
    RECT second{};
    host.list->SendMessage(LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    const LPARAM onBox = MAKELPARAM(second.left + 4, second.top + 4);
    host.list->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, onBox);
    host.list->SendMessage(WM_LBUTTONUP, 0, onBox);
    EXPECT_FALSE(rows[1]->IsChecked());
    ASSERT_FALSE(host.chosen.empty());
    EXPECT_EQ(std::make_pair(1, false), host.chosen.back());

    const LPARAM onText = MAKELPARAM(second.right - 5, second.top + 4);
    host.list->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, onText);
    host.list->SendMessage(WM_LBUTTONUP, 0, onText);
    EXPECT_FALSE(rows[1]->IsChecked()) << "a click on the text only chooses";

    host.list->SendMessage(WM_CHAR, L' ', 1);
    EXPECT_TRUE(rows[1]->IsChecked()) << "space toggles the chosen row";
    rows[2]->Disable();
    host.list->Toggle(2);
    EXPECT_TRUE(rows[2]->IsChecked()) << "a disabled row keeps its state";
    rows[0]->Uncheck();
    OwlTest::SaveWindowPng(host.GetHandle(), L"owl_check_list");

    EXPECT_TRUE(host.list->DetachItem(0));
    EXPECT_EQ(rows[1].get(), host.list->GetItem(0)) << "the rows move up; the detached one stays its owner's";
    EXPECT_FALSE(host.list->DetachItem(5));
}

} // namespace
