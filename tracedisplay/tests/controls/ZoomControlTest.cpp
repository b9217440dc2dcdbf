#include "tracedisplay/controls/ZoomControl.h"

#include "platform/owl/tests/Screenshot.cpp"
#include "platform/owl/window/Window.h"

#include <objbase.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <vector>

namespace StrixDraw
{
namespace
{

TEST(ZoomControlTest, FormatsRatiosAsThePaneShowsThem)
{
    struct Case
    {
        LONGLONG numerator;
        LONGLONG denominator;
        const wchar_t* text;
    };
    const Case cases[] = {{5000, 1, L"5k:1"}, {1000, 1, L"1k:1"}, {999999, 1000, L"1e+03:1"}, {2, 1, L"2:1"},
                          {1, 1, L"1:1"},     {1, 2, L"x2"},      {1, 10, L"x10"},         {0, 1, L"x?"},
                          {3, 2, L"1.5:1"}};
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.text), FormatRatio(c.numerator, c.denominator)) << c.numerator;
}

TEST(ZoomControlTest, EachRatioCommandStandsForAReducedFraction)
{
    struct Case
    {
        UINT command;
        LONGLONG numerator;
        LONGLONG denominator;
    };
    for (const Case c : {Case{1130, 1, 10}, Case{1132, 1, 2}, Case{1133, 1, 1}, Case{1142, 1000, 1},
                         Case{1150, 500000, 1}, Case{1129, 0, 1}})
    {
        const Ratio ratio = RatioForCommand(c.command);
        EXPECT_EQ(c.numerator, ratio.numerator) << c.command;
        EXPECT_EQ(c.denominator, ratio.denominator) << c.command;
    }
}

class RecordingPane : public ZoomListener
{
public:
    void JumpToLatest() override { calls.push_back(L"latest"); }
    void RequestFollowLatest(bool follow, bool) override { calls.push_back(follow ? L"follow" : L"stay"); }
    void ZoomStep(bool zoomIn) override { calls.push_back(zoomIn ? L"in" : L"out"); }
    void ApplyZoomChoice(int, UINT command) override { calls.push_back(std::to_wstring(command)); }
    void UpdateZoomCommand(int, OWL::TCommandEnabler&) override {}
    void FillZoomMenu(HMENU, UINT, UINT) override {}
    HRESULT AutoScaleHorizontally(ULONG) override
    {
        calls.push_back(L"autoscale");
        return E_NOTIMPL;
    }
    bool CanZoomIn(int) override { return true; }
    HWND ListenerWindow() const override { return nullptr; }
    std::vector<std::wstring> calls;
};

class Enabler : public OWL::TCommandEnabler
{
public:
    explicit Enabler(UINT id) : OWL::TCommandEnabler(id) {}
    void SetText(const wchar_t*) override {}
    void SetCheck(int) override {}
};

class Frame : public OWL::TWindow
{
public:
    Frame() : OWL::TWindow(nullptr, L"Trace")
    {
        Attr.Style = WS_POPUP | WS_VISIBLE;
        Attr.X = 100;
        Attr.Y = 100;
        Attr.W = 320;
        Attr.H = 60;
    }
};

struct GdiPlus
{
    GdiPlus()
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    ~GdiPlus() { Gdiplus::GdiplusShutdown(token); }
    ULONG_PTR token = 0;
};

TEST(ZoomControlTest, SendsItsCommandsToThePaneAndShowsTheRatioItIsGiven)
{
    GdiPlus gdiPlus;
    RecordingPane pane;
    Frame frame;
    auto* plain = new ZoomControlWin(&frame, &pane, 0);
    EXPECT_EQ(3, plain->GadgetCount());
    Frame fullFrame;
    auto* bar = new ZoomControlWin(&fullFrame, &pane, ZoomBarFlag::ShowLatestButton | ZoomBarFlag::AutoScaleButton);
    EXPECT_EQ(5, bar->GadgetCount());
    ASSERT_TRUE(fullFrame.Create());
    bar->SetRatio(5000, 1);
    EXPECT_EQ(L"5k:1", bar->RatioText());
    OWL::TSize size;
    bar->GetDesiredSize(size);
    EXPECT_GT(size.cx, 5 * 16);
    bar->SetRatio(1, 2);
    EXPECT_EQ(L"x2", bar->RatioText());
    OWL::TSize shorter;
    bar->GetDesiredSize(shorter);
    EXPECT_EQ(size.cx, shorter.cx);
    bar->SetRatio(5000, 1);
    bar->SetRect(OWL::TRect(OWL::TPoint(0, 0), size));
    EXPECT_TRUE(IsWindowVisible(bar->GetHandle()));
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(fullFrame.GetHandle(), L"tracedisplay-zoom-bar");
    for (const UINT command : {ZoomCommand::Compress, ZoomCommand::Expand, ZoomCommand::ShowLatest,
                               ZoomCommand::AutoScale, UINT{1135}, ZoomCommand::ToggleFollow})
        SendMessageW(bar->GetHandle(), WM_COMMAND, command, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"out", L"in", L"latest", L"autoscale", L"1135", L"follow"}), pane.calls);
    for (const auto& [command, tip] : {std::pair{ZoomCommand::Compress, L"Compress horizontal scaling"},
                                       std::pair{ZoomCommand::ShowLatest, L"Show latest data"}})
    {
        Enabler enabler(command);
        bar->EvCommandEnable(enabler);
        EXPECT_EQ(std::wstring(tip), bar->TooltipOf(command));
    }
    bar->SetRect(OWL::TRect());
    EXPECT_FALSE(IsWindowVisible(bar->GetHandle()));
    fullFrame.Destroy();
}

} // namespace
} // namespace StrixDraw
