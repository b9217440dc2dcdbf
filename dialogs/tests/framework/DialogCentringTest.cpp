#include "dialogs/framework/DialogCentring.h"

#include <gtest/gtest.h>

TEST(DialogCentring, ADialogIsCentredOnItsTargetAndKeptInsideTheArea)
{
    const RECT area{0, 0, 1000, 800};
    const struct
    {
        RECT target;
        RECT dialog;
        RECT expected;
    } cases[] = {
        {{100, 100, 500, 400}, {0, 0, 200, 100}, {200, 200, 400, 300}},  // centred on the target
        {{800, 700, 1000, 800}, {0, 0, 300, 200}, {700, 600, 1000, 800}}, // pushed back from the right and bottom
        {{-200, -100, 0, 0}, {0, 0, 300, 200}, {0, 0, 300, 200}},        // and from the left and top
        {{0, 0, 1000, 800}, {0, 0, 1200, 900}, {0, 0, 1200, 900}},       // too large: left and top win
    };
    for (const auto& c : cases)
    {
        const RECT centred = Orv::CentredRect(c.dialog, c.target, area);
        EXPECT_EQ(c.expected.left, centred.left);
        EXPECT_EQ(c.expected.top, centred.top);
        EXPECT_EQ(c.expected.right, centred.right);
        EXPECT_EQ(c.expected.bottom, centred.bottom);
    }
}
