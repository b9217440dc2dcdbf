#include "OwlTestIds.h"
#include "Screenshot.h"

#include "platform/owl/gadgets/ButtonGadget.h"
#include "platform/owl/gadgets/GadgetWindow.h"
#include "platform/owl/gdi/DC.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using namespace OWL;

constexpr int CmStart = 100, CmPause = 101, CmStop = 102;

class StripHost : public TWindow
{
public:
    StripHost() : TWindow(static_cast<TWindow*>(nullptr), L"Strip")
    {
        Attr.Style = WS_POPUP | WS_VISIBLE;
        Attr.X = 20;
        Attr.Y = 100;
        Attr.W = 400;
        Attr.H = 120;
        strip = new TGadgetWindow(this);
        strip->Insert(*new TButtonTextGadget(CmStart, IDB_TEST_GLYPH, L"Start", TButtonTextGadget::sBitmapText,
                                             TButtonTextGadget::lTextRight, TButtonTextGadget::aCenter,
                                             TButtonGadget::Command, true));
        strip->Insert(*new TButtonGadget(IDB_TEST_GLYPH, CmPause, TButtonGadget::NonExclusive, true));
        strip->Insert(*new TButtonTextGadget(CmStop, TResId(), L"Stop", TButtonTextGadget::sText,
                                             TButtonTextGadget::lTextBottom, TButtonTextGadget::aCenter,
                                             TButtonGadget::Command, true));
    }
    void CmStartCommand() { commands.push_back(CmStart); }
    void CmPauseCommand() { commands.push_back(CmPause); }
    void CeStop(TCommandEnabler& enabler)
    {
        enabler.Enable(stopEnabled);
        enabler.SetText(stopEnabled ? L"Stop now" : L"Stop");
    }

    TGadgetWindow* strip;
    std::vector<int> commands;
    bool stopEnabled = false;

    DECLARE_RESPONSE_TABLE(StripHost);
};

DEFINE_RESPONSE_TABLE1(StripHost, TWindow)
    EV_COMMAND(CmStart, CmStartCommand),
    EV_COMMAND(CmPause, CmPauseCommand),
    EV_COMMAND_ENABLE(CmStop, CeStop),
END_RESPONSE_TABLE;

void Click(TGadgetWindow& strip, TGadget& gadget)
{
    const TPoint at = gadget.GetBounds().TopLeft().OffsetBy(3, 3);
    strip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    strip.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    OwlTest::PumpMessages();
}

TEST(OwlGadgetWindow, LaysOutItsButtonsSideBySideAndShrinkWrapsToThem)
{
    StripHost host;
    host.Create();
    TGadgetWindow& strip = *host.strip;
    const std::vector<TGadget*>& gadgets = strip.GetGadgets();
    ASSERT_EQ(3u, gadgets.size());

    const TRect client = strip.GetClientRect();
    int expectedLeft = 0;
    int tallest = 0;
    for (TGadget* gadget : gadgets)
    {
        TSize desired;
        gadget->GetDesiredSize(desired);
        EXPECT_EQ(expectedLeft, gadget->GetBounds().left) << gadget->GetId();
        EXPECT_EQ(desired.cx, gadget->GetBounds().Width()) << gadget->GetId();
        EXPECT_EQ(0, gadget->GetBounds().top);
        EXPECT_EQ(client.bottom, gadget->GetBounds().bottom) << "each gadget takes the strip's height";
        expectedLeft += desired.cx;
        tallest = std::max<int>(tallest, desired.cy);
    }
    EXPECT_EQ(expectedLeft, client.Width()) << "the strip is as wide as its gadgets";
    EXPECT_EQ(tallest, client.Height());

    // The glyph-and-text gadget is wider than the glyph-only one, which is its glyph plus borders.
    EXPECT_GT(gadgets[0]->GetBounds().Width(), gadgets[1]->GetBounds().Width());
    EXPECT_EQ(16 + 2 * 2 + 2 * 2, gadgets[1]->GetBounds().Width());

    host.stopEnabled = true;
    strip.IdleAction(0);
    OwlTest::SaveWindowPng(host.GetHandle(), L"owl_gadget_window");
    TClientDC dc(strip.GetHandle());
    const TRect glyphGadget = gadgets[1]->GetBounds();
    EXPECT_EQ(RGB(160, 0, 0), dc.GetPixel(glyphGadget.TopLeft().OffsetBy(4 + 8, 4 + 8)).GetValue());
}

TEST(OwlGadgetWindow, AClickSendsTheGadgetsCommandToTheParentAndEnablingFollowsTheParentsAnswers)
{
    StripHost host;
    host.Create();
    TGadgetWindow& strip = *host.strip;
    auto& pause = static_cast<TButtonGadget&>(*strip.GadgetWithId(CmPause));
    auto& stop = static_cast<TButtonTextGadget&>(*strip.GadgetWithId(CmStop));

    Click(strip, *strip.GadgetWithId(CmStart));
    Click(strip, pause);
    EXPECT_EQ((std::vector<int>{CmStart, CmPause}), host.commands);
    EXPECT_EQ(TButtonGadget::Down, pause.GetButtonState()) << "a toggle stays down";
    Click(strip, pause);
    EXPECT_EQ(TButtonGadget::Up, pause.GetButtonState());

    strip.IdleAction(0);
    EXPECT_FALSE(stop.GetEnabled());
    const size_t before = host.commands.size();
    Click(strip, stop);
    EXPECT_EQ(before, host.commands.size()) << "a disabled gadget sends nothing";
    host.stopEnabled = true;
    strip.IdleAction(0);
    EXPECT_TRUE(stop.GetEnabled());
    EXPECT_EQ(L"Stop now", stop.GetText());
    EXPECT_TRUE(strip.GadgetWithId(CmStart)->GetEnabled()) << "a command the parent handles stays enabled";
}

TEST(OwlGadgetWindow, AStripThatDoesNotShrinkWrapKeepsItsSize)
{
    StripHost host;
    host.strip->SetShrinkWrap(false, false);
    host.strip->Attr.W = 300;
    host.strip->Attr.H = 40;
    host.Create();
    const TRect window = host.strip->GetWindowRect();
    EXPECT_EQ(300, window.Width());
    EXPECT_EQ(40, window.Height());
}

} // namespace
