#include "graph/drawers/DCClipper.h"
#include "graph/drawers/GraphDrawer.h"
#include "graph/messages/GraphMessages.h"
#include "support/Canvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace
{
using namespace MGraph1;

class RecordingDrawer : public GraphDrawer
{
public:
    RecordingDrawer(std::string& log, char name) : m_log(log), m_name(name) {}
    void OnDraw(HDC, HDC, RECT, RECT) override { m_log += std::string("draw") + m_name + " "; }
    void OnDrawOver(HDC, HDC, RECT, RECT) override { m_log += std::string("over") + m_name + " "; }

private:
    std::string& m_log;
    char m_name;
};

TEST(GraphDrawerTest, FreshDrawerIsVisibleWithoutTransformsAndWithUnsetLimits)
{
    const GraphDrawer drawer;
    EXPECT_TRUE(drawer.visible);
    EXPECT_EQ(nullptr, drawer.xTransform);
    EXPECT_EQ(nullptr, drawer.yTransform);
    for (auto [low, high] : {std::pair{drawer.domainLow, drawer.domainHigh}, std::pair{drawer.auxLow, drawer.auxHigh},
                             std::pair{drawer.rangeLow, drawer.rangeHigh}})
    {
        EXPECT_EQ(-DBL_MAX, low);
        EXPECT_EQ(DBL_MAX, high);
    }
}

TEST(GraphDrawerTest, FreeTransformsDeletesOnlyOwnedOnesAndClearsEveryPointer)
{
    AxisTransform shared{2.0, 1.0};
    GraphDrawer drawer;
    drawer.xTransform = &shared;
    drawer.yTransform = new AxisTransform{3.0, 0.0};
    drawer.ownsYTransform = true;
    drawer.FreeTransforms();
    EXPECT_EQ(nullptr, drawer.xTransform);
    EXPECT_EQ(nullptr, drawer.yTransform);
    EXPECT_FALSE(drawer.ownsYTransform);
    EXPECT_EQ(2.0, shared.scale); // still alive
}

TEST(GraphDrawerTest, DrawChainPaintsEachDrawerThenTheChainThenItsOverlay)
{
    std::string log;
    RecordingDrawer first(log, '1'), second(log, '2'), third(log, '3');
    first.next = &second;
    second.next = &third;
    first.DrawChain(nullptr, nullptr, RECT{}, RECT{});
    EXPECT_EQ("draw1 draw2 draw3 over3 over2 over1 ", log);
}

TEST(GraphDrawerTest, BaseDrawingWritesTheReminderCentredAndRestoresTheAlignment)
{
    GraphTest::DibCanvas canvas(101, 51);
    SetTextAlign(canvas.Dc(), TA_RIGHT | TA_BOTTOM);
    GraphDrawer drawer;
    drawer.OnDraw(canvas.Dc(), nullptr, RECT{0, 0, 101, 51}, RECT{0, 0, 101, 51});
    EXPECT_EQ(static_cast<UINT>(TA_RIGHT | TA_BOTTOM), GetTextAlign(canvas.Dc()));
    EXPECT_LT(canvas.CountPixels(RGB(255, 255, 255)), 101 * 51);
    // Centred on x = 50 from y = 25 downwards: nothing above the middle line.
    for (int x = 0; x < 101; ++x)
        EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(x, 20));
}

class Recorder : public MessSys::MessageReceiver
{
public:
    Recorder(std::string& log, char name, bool answer = false) : m_log(log), m_name(name), m_answer(answer) {}
    bool OnMessage(const MessSys::Message&) override
    {
        m_log += m_name;
        return m_answer;
    }

private:
    std::string& m_log;
    char m_name;
    bool m_answer;
};

TEST(MessageSenderTest, DeliversInRegistrationOrderWithDuplicatesAndRemovesTheFirstEntry)
{
    std::string log;
    Recorder a(log, 'A', true), b(log, 'B'), stranger(log, 'X');
    MessSys::MessageSender sender;
    sender.Send(MouseLeaveMsg(1)); // nobody listens
    sender.AddReceiver(&a);
    sender.AddReceiver(nullptr);
    sender.AddReceiver(&b);
    sender.AddReceiver(&a);
    sender.Send(MouseLeaveMsg(1));
    EXPECT_EQ("ABA", log);
    sender.RemoveReceiver(&stranger);
    sender.RemoveReceiver(&a);
    log.clear();
    sender.Send(MouseLeaveMsg(1));
    EXPECT_EQ("BA", log);
}

// A receiver that changes the list while it is delivered to (once): the walk neither skips a receiver
// still registered nor calls one that left (it may be gone), and one that joins waits for the next message.
TEST(MessageSenderTest, ReceiversThatJoinOrLeaveDuringDeliveryAreHonoured)
{
    using Receiver = MessSys::MessageReceiver;
    using Change = std::function<void(MessSys::MessageSender&, Receiver* self, Receiver* a, Receiver* b)>;
    class Changer : public MessSys::MessageReceiver
    {
    public:
        Changer(std::string& log, std::function<void()> change) : m_log(log), m_change(std::move(change)) {}
        bool OnMessage(const MessSys::Message&) override
        {
            m_log += 'C';
            if (m_change)
                std::exchange(m_change, nullptr)();
            return false;
        }

    private:
        std::string& m_log;
        std::function<void()> m_change;
    };
    struct Case
    {
        Change change;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {[](auto& sender, auto self, auto, auto) { sender.RemoveReceiver(self); }, "CBA", "BA"},
        {[](auto& sender, auto, auto, auto b) { sender.RemoveReceiver(b); }, "CA", "CA"},
        {[](auto& sender, auto, auto, auto b) { sender.AddReceiver(b); }, "CBA", "CBAB"},
        {[](auto& sender, auto, auto a, auto b) { sender.RemoveReceiver(b), sender.RemoveReceiver(a); }, "C", "C"},
    };
    for (const Case& c : cases)
    {
        std::string log;
        MessSys::MessageSender sender;
        Recorder a(log, 'A'), b(log, 'B');
        Changer changer(log, [&] { c.change(sender, &changer, &a, &b); });
        for (Receiver* receiver : {static_cast<Receiver*>(&changer), static_cast<Receiver*>(&b), static_cast<Receiver*>(&a)})
            sender.AddReceiver(receiver);
        sender.Send(MouseLeaveMsg(1));
        EXPECT_EQ(c.first, log);
        log.clear();
        sender.Send(MouseLeaveMsg(1));
        EXPECT_EQ(c.second, log);
    }
}

TEST(MessageReceiverTest, BaseReceiverHandlesNothing)
{
    MessSys::MessageReceiver receiver;
    EXPECT_FALSE(receiver.OnMessage(MsgAutoScale(DomainStripId)));
}

} // namespace

namespace
{

TEST(DCClipperTest, RestoreUndoesTheClipBySavedStateOrByRemovingTheRegion)
{
    for (bool save : {true, false})
    {
        GraphTest::DibCanvas canvas(100, 80);
        OWL::TDC dc(canvas.Dc());
        MGraph1::DCClipper clipper(&dc, save);
        clipper.Restore(); // nothing clipped yet: nothing to undo
        clipper.Intersect(OWL::TRect(10, 10, 50, 40));
        clipper.Intersect(OWL::TRect(20, 0, 100, 30));
        RECT box{};
        GetClipBox(canvas.Dc(), &box);
        EXPECT_TRUE(EqualRect(&box, std::data({RECT{20, 10, 50, 30}}))) << save;
        clipper.Restore();
        GetClipBox(canvas.Dc(), &box);
        EXPECT_TRUE(EqualRect(&box, std::data({RECT{0, 0, 100, 80}}))) << save;
        EXPECT_TRUE(clipper.clipped);
    }
}

} // namespace
