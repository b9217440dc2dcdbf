#include "graph/cursors/QueenController.h"
#include "support/PlotFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using namespace MGraph1;

constexpr RECT Plot{10, 10, 210, 160};

class MessageLog : public MessSys::MessageReceiver
{
public:
    bool OnMessage(const MessSys::Message& message) override
    {
        if (dynamic_cast<const MessageQueenControllerTrackBegin*>(&message))
            log += "TrackBegin ";
        else if (dynamic_cast<const MessageQueenControllerTrackEnd*>(&message))
            log += "TrackEnd ";
        else if (const auto* changed = dynamic_cast<const MessageQueenChanged*>(&message))
        {
            log += "TrackChanged ";
            lastX = changed->current.x1;
        }
        else if (const auto* ended = dynamic_cast<const MessageQueenTrackEnd*>(&message))
        {
            log += "QueenEnd ";
            lastX = ended->committed.x1;
        }
        return true;
    }
    std::string log;
    double lastX = 0.0;
};

// One pixel per unit: x = 10 + v, y = 159 - v.
struct Cursors
{
    Cursors() : axes(Plot, 0, 199, 0, 149)
    {
        axes.Install(controller);
        controller.AddReceiver(&messages);
    }
    QueenLineV* AddLine(double x, int id)
    {
        auto* queen = new QueenLineV;
        queen->queenId = id;
        queen->PlaceAt(x, 0.0);
        controller.AddQueen(queen, true);
        return queen;
    }
    GraphTest::TestAxes axes;
    QueenController controller;
    MessageLog messages;
};

TEST(QueenControllerTest, DragMovesTheQueenWithinItsConstraintAndAnnouncesEachStep)
{
    Cursors cursors;
    QueenLineV* queen = cursors.AddLine(50.0, 1);
    queen->constraints.push_back({nullptr, 80.0, QueenRule::WorkingXAtMost | QueenRule::XAtMostWorking});
    ASSERT_TRUE(cursors.controller.BeginTrack(Plot.left + 52, 100, Plot));
    EXPECT_TRUE(cursors.controller.TrackTo(Plot.left + 72, 100, Plot));
    EXPECT_DOUBLE_EQ(70.0, queen->currentX);
    EXPECT_TRUE(cursors.controller.TrackTo(Plot.left + 150, 100, Plot));
    EXPECT_DOUBLE_EQ(80.0, queen->currentX); // held at the bound
    EXPECT_FALSE(cursors.controller.TrackTo(Plot.left + 160, 100, Plot));
    cursors.controller.EndTrack(Plot.left + 160, 100, Plot);
    EXPECT_DOUBLE_EQ(80.0, queen->committedX);
    EXPECT_EQ("TrackBegin TrackChanged TrackChanged QueenEnd TrackEnd ", cursors.messages.log);
    EXPECT_DOUBLE_EQ(80.0, cursors.messages.lastX);
    EXPECT_EQ(nullptr, cursors.controller.current);
}

TEST(QueenControllerTest, FollowerTiedToTheLeaderMovesWithIt)
{
    Cursors cursors;
    QueenLineV* leader = cursors.AddLine(50.0, 1);
    QueenLineV* follower = cursors.AddLine(20.0, 2);
    follower->constraints.push_back({leader, 0.0, QueenRule::XAtMostOther});
    ASSERT_TRUE(cursors.controller.BeginTrack(Plot.left + 50, 100, Plot));
    cursors.controller.TrackTo(Plot.left + 10, 100, Plot);
    EXPECT_DOUBLE_EQ(10.0, leader->currentX);
    EXPECT_DOUBLE_EQ(10.0, follower->currentX);
    cursors.controller.EndTrack(Plot.left + 10, 100, Plot);
    EXPECT_DOUBLE_EQ(10.0, follower->committedX);
}

TEST(QueenControllerTest, PressAwayFromEveryQueenStillBeginsAndEndsATrack)
{
    Cursors cursors;
    QueenLineV* queen = cursors.AddLine(50.0, 1);
    EXPECT_FALSE(cursors.controller.BeginTrack(Plot.left + 150, 100, Plot));
    EXPECT_FALSE(cursors.controller.TrackTo(Plot.left + 160, 100, Plot));
    cursors.controller.EndTrack(Plot.left + 160, 100, Plot);
    EXPECT_EQ("TrackBegin TrackEnd ", cursors.messages.log);
    EXPECT_DOUBLE_EQ(50.0, queen->committedX);
}

TEST(QueenControllerTest, MoveThatTheConstraintsCancelAnnouncesNothing)
{
    Cursors cursors;
    QueenLineV* queen = cursors.AddLine(50.0, 1);
    queen->constraints.push_back({nullptr, 50.0, QueenRule::WorkingXAtMost | QueenRule::WorkingXAtLeast |
                                                    QueenRule::XAtMostWorking | QueenRule::XAtLeastWorking});
    ASSERT_TRUE(cursors.controller.BeginTrack(Plot.left + 50, 100, Plot));
    EXPECT_FALSE(cursors.controller.TrackTo(Plot.left + 90, 100, Plot));
    EXPECT_EQ("TrackBegin ", cursors.messages.log);
}

TEST(QueenControllerTest, PickedQueenComesToTheFrontAndWinsLaterTies)
{
    Cursors cursors;
    QueenLineV* first = cursors.AddLine(50.0, 1);
    QueenLineV* second = cursors.AddLine(52.0, 2);
    ASSERT_EQ(second, cursors.controller.queens.front());
    ASSERT_TRUE(cursors.controller.BeginTrack(Plot.left + 50, 100, Plot));
    EXPECT_EQ(first, cursors.controller.current);
    cursors.controller.EndTrack(Plot.left + 50, 100, Plot);
    EXPECT_EQ(first, cursors.controller.queens.front());
    // Equally near both: the queen in front wins.
    ASSERT_TRUE(cursors.controller.BeginTrack(Plot.left + 51, 100, Plot));
    EXPECT_EQ(first, cursors.controller.current);
}

TEST(QueenControllerTest, ZeroScaleMapsTheMouseToZero)
{
    Cursors cursors;
    QueenLineH* queen = new QueenLineH;
    queen->PlaceAt(5.0, 75.0);
    cursors.controller.AddQueen(queen, true);
    AxisTransform flat{0.0, 0.0};
    cursors.controller.UseXTransform(&flat);
    ASSERT_TRUE(cursors.controller.BeginTrack(Plot.left + 50, 159 - 75, Plot));
    EXPECT_DOUBLE_EQ(5.0, queen->offsetX);
}

} // namespace
