#include "graph/windows/Graph2DWindow.h"
#include "support/Canvas.h"
#include "support/PlotFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using namespace MGraph1;

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// One top-level frame for all the tests (top-level windows are slow to make and end under the test
// display); each test gets its own graph window filling it.
OWL::TWindow& Frame()
{
    static OWL::TWindow* frame = [] {
        auto* made = new OWL::TWindow(static_cast<OWL::TWindow*>(nullptr));
        made->Attr.Style = WS_POPUP | WS_VISIBLE;
        made->Attr.X = made->Attr.Y = 0;
        made->Attr.W = 520;
        made->Attr.H = 420;
        made->Create();
        return made;
    }();
    return *frame;
}

struct GraphFrame
{
    GraphFrame() : frame(Frame())
    {
        graph = new Graph2DWindow(&frame);
        graph->Attr.W = 520;
        graph->Attr.H = 420;
        graph->Create();
        PumpMessages();
    }
    ~GraphFrame() { delete graph; }
    OWL::TWindow& frame;
    Graph2DWindow* graph;
};

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

TEST(GraphWindowTest, DrawerSitsInsideTheMarginsAndATinyClientIsNotLaidOut)
{
    GraphFrame window;
    Graph2DWindow& graph = *window.graph;
    graph.LayoutDrawer(RECT{0, 0, 200, 100}, false);
    EXPECT_TRUE(EqualRect(&graph.rect, std::data({RECT{5, 5, 195, 95}})));
    graph.LayoutDrawer(RECT{0, 0, 8, 8}, false);
    EXPECT_EQ(195, graph.rect.right);
}

TEST(GraphWindowTest, StripsAreTheHostsScaleControlsLaidOutBesideThePlot)
{
    GraphFrame window;
    Graph2DWindow& graph = *window.graph;
    ASSERT_TRUE(graph.domainStrip->GetHandle());
    EXPECT_EQ(DomainStripId, GetDlgCtrlID(graph.domainStrip->GetHandle()));
    EXPECT_EQ(RangeStripId, GetDlgCtrlID(graph.rangeStrip->GetHandle()));
    EXPECT_EQ(graph.domainStrip->GetScaleControl(), graph.domainScale.Get());
    RECT plot{};
    graph.GetPlotRect(plot, graph.rect);
    RECT strip{};
    GetWindowRect(graph.domainStrip->GetHandle(), &strip);
    MapWindowPoints(nullptr, graph.GetHandle(), reinterpret_cast<POINT*>(&strip), 2);
    EXPECT_EQ(plot.left, strip.left);
    EXPECT_EQ(plot.bottom, strip.top);
    EXPECT_EQ(plot.right, strip.right);
    EXPECT_TRUE(graph.initialised);
}

TEST(GraphWindowTest, DraggingTheDomainStripRescalesLiveAndBlocksSetDomain)
{
    GraphFrame window;
    Graph2DWindow& graph = *window.graph;
    graph.SetDomain(0.0, 100.0);
    PumpMessages();
    ASSERT_EQ(std::pair(0.0, 100.0), std::pair(graph.domainLow, graph.domainHigh));
    HWND strip = graph.domainStrip->GetHandle();
    RECT plot{};
    graph.GetPlotRect(plot, graph.rect);
    const int width = plot.right - plot.left;

    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, At(width / 2, 10));
    EXPECT_EQ(1, graph.domainDragDepth);
    SendMessageW(strip, WM_MOUSEMOVE, MK_LBUTTON, At(width / 4, 10));
    // The value under the pointer stays under it: half the distance from the low end, twice the span.
    EXPECT_NEAR(200.0, graph.domainHigh, 2.0);
    EXPECT_EQ(0.0, graph.domainLow);
    const double live = graph.domainHigh;
    graph.SetDomain(10.0, 20.0);
    EXPECT_EQ(live, graph.domainHigh);
    SendMessageW(strip, WM_LBUTTONUP, 0, At(width / 4, 10));
    EXPECT_EQ(0, graph.domainDragDepth);
    EXPECT_EQ(live, graph.domainHigh);
    graph.SetDomain(10.0, 20.0);
    EXPECT_EQ(std::pair(10.0, 20.0), std::pair(graph.domainLow, graph.domainHigh));
}

TEST(GraphWindowTest, DoubleClickOnAStripShowsTheStoredExtent)
{
    GraphFrame window;
    Graph2DWindow& graph = *window.graph;
    graph.SetRangeExtent(-10.0, 150.0);
    SendMessageW(graph.rangeStrip->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(10, 10));
    EXPECT_EQ(std::pair(-10.0, 150.0), std::pair(graph.rangeLow, graph.rangeHigh));
}

TEST(GraphWindowTest, OtherMessagesAreNotTheWindowsAndRightClickWithoutMenuDoesNothing)
{
    GraphFrame window;
    Graph2DWindow& graph = *window.graph;
    EXPECT_FALSE(graph.OnMessage(MouseLeaveMsg(0)));
    EXPECT_FALSE(graph.OnMessage(MsgBeginDrag(102)));
    bool asked = false;
    struct Asker : MessSys::MessageReceiver
    {
        bool* asked;
        bool OnMessage(const MessSys::Message&) override { return *asked = true; }
    } asker;
    asker.asked = &asked;
    graph.menu.items.push_back(GraphMenuItem{1, &asker, {true, true, false}, L"Copy"});
    SendMessageW(graph.GetHandle(), WM_RBUTTONDOWN, 0, At(50, 50));
    EXPECT_FALSE(asked);
}

TEST(GraphWindowTest, PaintedWindowShowsTheLoopBetweenItsScales)
{
    GraphFrame window;
    Graph2DWindow& graph = *window.graph;
    GraphTest::SeriesData loop;
    GraphTest::FillPvLoop(loop, 200);
    XYCPlotter plotter;
    plotter.SetPlotData(&loop, 0, false);
    graph.AddPlotter(&plotter, false);
    graph.SetDomainUnits(L"uL");
    graph.SetRangeUnits(L"mmHg");
    graph.SetDomainTitle(L"Volume");
    graph.SetRangeTitle(L"Pressure");
    graph.SetDomain(20.0, 160.0);
    graph.SetRange(-30.0, 140.0);
    RedrawWindow(window.frame.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();

    const RECT client = window.frame.GetClientRect();
    GraphTest::DibCanvas canvas(client.right, client.bottom);
    HDC screen = GetDC(window.frame.GetHandle());
    BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    ReleaseDC(window.frame.GetHandle(), screen);
    canvas.SavePng("graph_window_pv_loop");

    RECT plot{};
    graph.GetPlotRect(plot, graph.rect);
    for (size_t i = 0; i < loop.xs.size(); i += 25)
    {
        const int x = static_cast<int>(ValueToPixel(*graph.xTransform, loop.xs[i], plot.left));
        const int y = static_cast<int>(ValueToPixel(*graph.yTransform, loop.ys[i], plot.top));
        EXPECT_TRUE(canvas.HasPixelNear(x, y, loop.seriesColour, 1)) << i;
    }
    graph.RemoveAllPlotters();
}

} // namespace

namespace
{

// What the menu showed, read while it is open, and how the test leaves it.
struct OpenMenu
{
    std::vector<std::wstring> texts;
    bool pickFirst = false;
};
OpenMenu g_menu;

void CALLBACK ReadAndLeaveMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND popup = FindWindowW(L"#32768", nullptr);
    HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i)
    {
        wchar_t text[64] = L"";
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        g_menu.texts.push_back(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR ? L"-" : text);
    }
    if (g_menu.pickFirst && popup)
    {
        PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    }
    else
        EndMenu();
}

class MenuReceiver : public MessSys::MessageReceiver
{
public:
    bool OnMessage(const MessSys::Message& message) override
    {
        if (const auto* before = dynamic_cast<const PreDisplayMenuMessage*>(&message))
        {
            if (before->itemId == hiddenId)
                before->flags->shown = false;
        }
        else if (const auto* picked = dynamic_cast<const OnMenuItemMessage*>(&message))
            pickedIds.push_back(picked->itemId);
        return true;
    }
    uint32_t hiddenId = 0;
    std::vector<uint32_t> pickedIds;
};

TEST(GraphMenuTest, HiddenItemsStayOutAndOnlyAPickIsAnnounced)
{
    GraphFrame window;
    MenuReceiver receiver;
    receiver.hiddenId = 2;
    GraphMenu menu;
    menu.items = {GraphMenuItem{1, &receiver, {true, true, false}, L"Copy"}, GraphMenuItem{},
                  GraphMenuItem{2, &receiver, {true, true, false}, L"Print"}};
    g_menu = {};
    SetTimer(nullptr, 0, 50, &ReadAndLeaveMenu);
    EXPECT_FALSE(menu.Show(window.graph->GetHandle(), 100, 100));
    EXPECT_EQ((std::vector<std::wstring>{L"Copy", L"-"}), g_menu.texts);
    EXPECT_TRUE(receiver.pickedIds.empty());

    g_menu = {};
    g_menu.pickFirst = true;
    SetTimer(nullptr, 0, 50, &ReadAndLeaveMenu);
    EXPECT_TRUE(menu.Show(window.graph->GetHandle(), 100, 100));
    EXPECT_EQ(std::vector<uint32_t>{1}, receiver.pickedIds);
}

} // namespace
