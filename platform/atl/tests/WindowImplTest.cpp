#include "platform/atl/WindowImpl.h"

#include "foundation/com/FailureLog.h"
#include "foundation/com/XOrv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using ATL::CWindowImpl;
using ATL::CWinTraits;

constexpr UINT WmCount = WM_APP + 10;
constexpr UINT WmPassOn = WM_APP + 11;
constexpr UINT WmThrow = WM_APP + 12;
constexpr UINT WmChained = WM_APP + 13;

std::vector<std::wstring>& Logged()
{
    static std::vector<std::wstring> logged;
    return logged;
}

void Record(const std::wstring& text) noexcept
{
    Logged().push_back(text);
}

class ChainedPart
{
public:
    BEGIN_MSG_MAP(ChainedPart)
        MESSAGE_HANDLER(WmChained, OnChained)
    END_MSG_MAP()
    LRESULT OnChained(UINT, WPARAM, LPARAM, BOOL&) { return 77; }
};

class Panel : public CWindowImpl<Panel, ATL::CWindow, CWinTraits<WS_CHILD | WS_VISIBLE, WS_EX_CONTROLPARENT>>,
              public ChainedPart
{
public:
    DECLARE_WND_CLASS(L"SistraTestPanel")

    BEGIN_MSG_MAP(Panel)
        MESSAGE_HANDLER(WmCount, OnCount)
        MESSAGE_HANDLER(WmPassOn, OnPassOn)
        MESSAGE_HANDLER(WmThrow, OnThrow)
        COMMAND_ID_HANDLER(42, OnCommand)
        CHAIN_MSG_MAP(ChainedPart)
    END_MSG_MAP()

    LRESULT OnCount(UINT, WPARAM wParam, LPARAM, BOOL&) { return static_cast<LRESULT>(++count + wParam); }
    LRESULT OnPassOn(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        ++passedOn;
        handled = FALSE;
        return 0;
    }
    LRESULT OnThrow(UINT, WPARAM, LPARAM, BOOL&) { throw XOrv(Orv::String(L"handler failed"), E_ACCESSDENIED); }
    LRESULT OnCommand(WORD code, WORD id, HWND, BOOL&)
    {
        commands.push_back(id * 100 + code);
        return 0;
    }
    void OnFinalMessage(HWND handle) override { finalHandle = handle; }

    int count = 0;
    int passedOn = 0;
    std::vector<int> commands;
    HWND finalHandle = nullptr;
};

HWND Host()
{
    return CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
}

TEST(AtlWindowImpl, CreatedWithItsTraitsAndMessagesReachTheMapWithTheHandledFlag)
{
    const HWND host = Host();
    Panel panel;
    RECT rect{0, 0, 50, 40};
    ASSERT_NE(nullptr, panel.Create(host, rect));
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE), panel.GetStyle() & (WS_CHILD | WS_VISIBLE));
    EXPECT_TRUE(panel.GetExStyle() & WS_EX_CONTROLPARENT);
    EXPECT_EQ(L"SistraTestPanel", [&] {
        wchar_t name[64] = {};
        GetClassNameW(panel, name, 64);
        return std::wstring(name);
    }());

    EXPECT_EQ(11, panel.SendMessage(WmCount, 10));
    EXPECT_EQ(0, panel.SendMessage(WmPassOn)) << "not handled: DefWindowProc's answer";
    EXPECT_EQ(1, panel.passedOn);
    EXPECT_EQ(77, panel.SendMessage(WmChained));
    panel.SendMessage(WM_COMMAND, MAKEWPARAM(42, 3));
    EXPECT_EQ(std::vector<int>{4203}, panel.commands);
    EXPECT_EQ(0, GetWindowLongPtrW(panel, GWLP_USERDATA)) << "the user data stays free";

    const HWND handle = panel.m_hWnd;
    DestroyWindow(host);
    EXPECT_EQ(handle, panel.finalHandle);
    EXPECT_EQ(nullptr, panel.m_hWnd);
}

TEST(AtlWindowImpl, AThrowingHandlerIsLoggedAndTheMessageGetsTheDefaultProcessing)
{
    const Orv::FailureSink previous = Orv::SetFailureSink(&Record);
    Logged().clear();
    const HWND host = Host();
    Panel panel;
    panel.Create(host, RECT{0, 0, 10, 10});
    EXPECT_EQ(0, panel.SendMessage(WmThrow));
    ASSERT_EQ(1u, Logged().size());
    EXPECT_NE(std::wstring::npos, Logged()[0].find(L"0x80070005")) << Logged()[0];
    EXPECT_EQ(1, panel.SendMessage(WmCount)) << "the window goes on working";
    DestroyWindow(host);
    Orv::SetFailureSink(previous);
}

// A control of someone else, whose procedure keeps its state in the user data.
LRESULT CALLBACK ForeignProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WmPassOn || msg == WmCount)
    {
        auto* seen = reinterpret_cast<int*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return seen ? 1000 + ++*seen : -1;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

class SelfDeletingPanel : public Panel
{
public:
    explicit SelfDeletingPanel(bool* deleted) : deleted_(deleted) {}
    ~SelfDeletingPanel() override { *deleted_ = true; }
    void OnFinalMessage(HWND) override { delete this; }

private:
    bool* deleted_;
};

TEST(AtlWindowImpl, ASubclassedWindowKeepsItsProcedureAndUserDataForWhatTheMapLeaves)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ForeignProcedure;
    windowClass.lpszClassName = L"AtlTestForeign";
    RegisterClassW(&windowClass);
    int seen = 0;
    const HWND foreign = CreateWindowW(L"AtlTestForeign", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(foreign, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
    const LONG_PTR original = GetWindowLongPtrW(foreign, GWLP_WNDPROC);
    {
        Panel panel;
        ASSERT_TRUE(panel.SubclassWindow(foreign));
        EXPECT_FALSE(Panel().SubclassWindow(foreign)) << "one object per window";
        EXPECT_EQ(1, SendMessageW(foreign, WmCount, 0, 0)) << "the map's handler";
        EXPECT_EQ(1001, SendMessageW(foreign, WmPassOn, 0, 0)) << "passed on to the previous procedure";
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(&seen), GetWindowLongPtrW(foreign, GWLP_USERDATA));
        EXPECT_EQ(foreign, panel.UnsubclassWindow());
    }
    EXPECT_EQ(original, GetWindowLongPtrW(foreign, GWLP_WNDPROC));
    EXPECT_EQ(1002, SendMessageW(foreign, WmCount, 0, 0));

    bool deleted = false;
    auto* owned = new SelfDeletingPanel(&deleted);
    owned->SubclassWindow(foreign);
    DestroyWindow(foreign);
    EXPECT_TRUE(deleted) << "the object deleted itself after the window's last message";
}

} // namespace
