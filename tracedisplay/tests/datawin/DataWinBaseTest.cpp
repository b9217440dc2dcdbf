#include "tracedisplay/datawin/DataWinBase.h"
#include "tracedisplay/tests/support/TestFrame.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace StrixDraw
{
namespace
{

using Frame = TraceTest::TestFrame;

class PlainDataWin : public DataWinBase
{
public:
    using DataWinBase::DataWinBase;

protected:
    void EvPaint() override { Validate(); }
};

TEST(DataWinBaseTest, TheMoveCursorShowsOnlyOverATraceWindowWhileControlIsHeld)
{
    const auto arrow = reinterpret_cast<HCURSOR>(1);
    const auto move = reinterpret_cast<HCURSOR>(2);
    struct Case
    {
        bool over, control;
        HCURSOR current, expected;
    } cases[] = {
        {false, true, arrow, nullptr}, // outside every trace window nothing changes
        {true, true, arrow, move},     // Ctrl pressed: the move cursor, the arrow remembered
        {true, true, move, nullptr},   // held: already shown
        {true, false, move, arrow},    // released: the arrow comes back
        {true, false, arrow, nullptr}, // released while another cursor shows: left alone
        {false, false, move, nullptr},
    };
    MoveCursorState state;
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, state.Next(c.over, c.control, c.current, move)) << c.over << c.control;
}

TEST(DataWinBaseTest, AllTraceWindowsShareOneKeyboardHook)
{
    Frame frame;
    auto* first = new PlainDataWin(&frame);
    const HHOOK hook = DataWinBase::KeyboardHook();
    ASSERT_NE(nullptr, hook);
    auto* second = new PlainDataWin(&frame);
    EXPECT_EQ(hook, DataWinBase::KeyboardHook());
    EXPECT_EQ(std::wstring(TraceAcceleratorTable), std::wstring(first->Attr.AccelTable));
    (void)second;
}

TEST(DataWinBaseTest, AnswersItsMessagesAsATraceWindowMust)
{
    Frame frame;
    auto* window = new PlainDataWin(&frame);
    window->Attr.W = 200;
    window->Attr.H = 100;
    ASSERT_TRUE(frame.Create());
    const HWND handle = window->GetHandle();
    HDC dc = GetDC(handle);
    EXPECT_EQ(1, SendMessageW(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ReleaseDC(handle, dc);
    EXPECT_EQ(0, SendMessageW(handle, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0));

    SendMessageW(handle, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(DataWinBase::MouseOverDataWindow());
    SendMessageW(handle, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(DataWinBase::MouseOverDataWindow());

    // Over a child the cursor stays as the child left it.
    const HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, handle, nullptr, nullptr, nullptr);
    SetCursor(nullptr);
    EXPECT_EQ(1, SendMessageW(handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(nullptr, GetCursor());

    OWL::TRect client;
    EXPECT_TRUE(window->GetPaneClientRect(client));
    EXPECT_EQ(OWL::TRect(0, 0, 200, 100), client);
    frame.Destroy();
    EXPECT_FALSE(window->GetPaneClientRect(client));
}

TEST(DataWinBaseTest, TheAcceleratorsScrollWithTheArrowKeys)
{
    const HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), TraceAcceleratorTable);
    ASSERT_NE(nullptr, table);
    std::vector<ACCEL> entries(static_cast<size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
    CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
    struct Expected
    {
        WORD key;
        bool shift;
        UINT command;
    } expected[] = {{VK_LEFT, false, TraceKeyCommand::ScrollLeft},
                    {VK_RIGHT, false, TraceKeyCommand::ScrollRight},
                    {VK_LEFT, true, TraceKeyCommand::PageLeft},
                    {VK_RIGHT, true, TraceKeyCommand::PageRight}};
    ASSERT_EQ(std::size(expected), entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
    {
        EXPECT_EQ(expected[i].key, entries[i].key);
        EXPECT_EQ(expected[i].shift, (entries[i].fVirt & FSHIFT) != 0);
        EXPECT_TRUE(entries[i].fVirt & FVIRTKEY);
        EXPECT_EQ(expected[i].command, entries[i].cmd);
    }
    DestroyAcceleratorTable(table);
}

} // namespace
} // namespace StrixDraw
