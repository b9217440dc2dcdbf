#include "controls/accordion/Accordion.h"

#include "foundation/system/PacingClock.h"
#include "platform/owl/tests/Screenshot.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

constexpr int PaneId = 40;
constexpr int HeaderHeight = 28;
constexpr int ContentHeight = 90;

// The workflow view's part: hands each expanding pane a page and records what the pane tells.
class Workflow : public ATL::CWindowImpl<Workflow, ATL::CWindow, ATL::CWinTraits<WS_POPUP | WS_VISIBLE, 0>>
{
public:
    BEGIN_MSG_MAP(Workflow)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    END_MSG_MAP()

    LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL&)
    {
        auto* notification = reinterpret_cast<OrvControls::Accordion::ExpandNotification*>(lParam);
        codes.push_back(notification->header.code);
        if (notification->header.code == OrvControls::Accordion::NotifyExpanding && givePage)
        {
            page = CreateWindowExW(0, L"STATIC", L"Setup page", WS_CHILD | SS_CENTER, 0, 0, 200, ContentHeight,
                                   m_hWnd, nullptr, nullptr, nullptr);
            notification->window = page;
        }
        return 0;
    }
    int Count(UINT code) const { return static_cast<int>(std::count(codes.begin(), codes.end(), code)); }

    std::vector<UINT> codes;
    bool givePage = true;
    HWND page = nullptr;
};

struct Fixture
{
    Fixture()
    {
        const RECT frame{100, 100, 400, 400};
        workflow.Create(nullptr, frame, L"workflow");
        const RECT strip{0, 0, 280, HeaderHeight};
        pane.Create(workflow.m_hWnd, strip, L"Pressure calibration", 0, 0, PaneId);
    }
    ~Fixture()
    {
        pane.DestroyWindow();
        workflow.DestroyWindow();
    }
    int Height() const
    {
        RECT rect{};
        pane.GetClientRect(&rect);
        return rect.bottom;
    }
    bool Animating() const
    {
        return pane.GetState() == OrvControls::Accordion::Expanding ||
               pane.GetState() == OrvControls::Accordion::Collapsing;
    }
    // One beat of the animation's timer, the clock 10 ms on.
    void Beat()
    {
        clock.Advance(10);
        pane.SendMessage(WM_TIMER, OrvControls::Accordion::AnimationTimer);
        OwlTest::PumpMessages();
    }
    // Runs the pane's animation to its end; the time it took on the clock.
    uint64_t Animate()
    {
        const uint64_t start = clock.Now();
        for (int beat = 0; beat < 1000 && Animating(); ++beat)
            Beat();
        return clock.Now() - start;
    }
    void Click()
    {
        pane.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
        pane.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    }

    Orv::ManualClock clock;
    Workflow workflow;
    OrvControls::Accordion pane;
};

TEST(Accordion, APaneOpensOver120MillisecondsWithThePagesHeight)
{
    Fixture f;
    f.Click();
    EXPECT_EQ(OrvControls::Accordion::Expanding, f.pane.GetState());
    const uint64_t took = f.Animate();
    EXPECT_EQ(OrvControls::Accordion::Expanded, f.pane.GetState());
    EXPECT_EQ(OrvControls::Accordion::AnimationTime, took);
    EXPECT_EQ(HeaderHeight + ContentHeight, f.Height());
    EXPECT_EQ(f.workflow.page, f.pane.Content());
    EXPECT_GT(f.workflow.Count(OrvControls::Accordion::NotifyStep), 1);
    f.pane.SendMessage(OrvControls::Accordion::SetReady, 1);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(f.workflow.m_hWnd, L"accordion_expanded");

    f.Click();
    f.Animate();
    EXPECT_EQ(OrvControls::Accordion::Collapsed, f.pane.GetState());
    EXPECT_EQ(HeaderHeight, f.Height());
    EXPECT_EQ(nullptr, f.pane.Content()) << "the page goes when the pane closes";
    EXPECT_FALSE(IsWindow(f.workflow.page));
}

// A pane opened by its owner, and placed by the owner at the height it has reached after every step, keeps
// its header: the heights it passes through while opening are no header height.
TEST(Accordion, APaneOpenedByItsOwnerKeepsItsHeaderWhileTheOwnerPlacesIt)
{
    Fixture f;
    f.pane.Expand(true);
    for (int beat = 0; beat < 30; ++beat)
    {
        f.Beat();
        RECT now{};
        f.pane.GetClientRect(&now);
        f.pane.SetWindowPos(nullptr, 0, 0, now.right, now.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EXPECT_FALSE(f.Animating());
    EXPECT_EQ(HeaderHeight, f.pane.HeaderHeight());
    EXPECT_EQ(HeaderHeight + ContentHeight, f.Height());
}

TEST(Accordion, ADoubleClickTogglesOnce)
{
    Fixture f;
    f.pane.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    f.pane.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    f.pane.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 10));
    f.pane.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    f.Animate();
    EXPECT_EQ(OrvControls::Accordion::Expanded, f.pane.GetState());
    EXPECT_EQ(1, f.workflow.Count(OrvControls::Accordion::NotifyExpanding));
    EXPECT_EQ(0, f.workflow.Count(OrvControls::Accordion::NotifyCollapsing));
}

TEST(Accordion, WithoutAPageThePaneReportsExpandedAtTheHeadersHeight)
{
    Fixture f;
    f.workflow.givePage = false;
    f.Click();
    f.Animate();
    EXPECT_TRUE(f.pane.IsExpanded());
    EXPECT_EQ(HeaderHeight, f.Height());
}

TEST(Accordion, AProblemWithoutAMessageIsCleared)
{
    Fixture f;
    f.pane.SendMessage(OrvControls::Accordion::SetProblem, reinterpret_cast<WPARAM>(L"Calibration"),
                       reinterpret_cast<LPARAM>(L"The slope can not be zero."));
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(f.workflow.m_hWnd, L"accordion_problem");
    HDC dc = GetDC(f.pane.m_hWnd);
    const COLORREF marked = GetPixel(dc, 6, HeaderHeight / 2);
    ReleaseDC(f.pane.m_hWnd, dc);
    f.pane.SendMessage(OrvControls::Accordion::SetProblem, reinterpret_cast<WPARAM>(L"Calibration"), 0);
    f.pane.UpdateWindow();
    dc = GetDC(f.pane.m_hWnd);
    EXPECT_NE(marked, GetPixel(dc, 6, HeaderHeight / 2)) << "the red mark is gone";
    ReleaseDC(f.pane.m_hWnd, dc);
}

} // namespace
