#include "calc/sources/ChannelReferences.h"

#include <gtest/gtest.h>

using ExtLib::ChannelRef;
using ExtLib::ParseChannelRefs;

TEST(ChannelReferences, ReadsPlainRawAndCalculatedChannels)
{
    EXPECT_EQ((std::vector<ChannelRef>{{0, false, false}, {1, true, false}, {2, false, true}}),
              ParseChannelRefs(L"ch1 + rch2 / vchannel3"));
}

TEST(ChannelReferences, KeepsEachDistinctReferenceOnce)
{
    EXPECT_EQ(1u, ParseChannelRefs(L"ch1*ch1").size());
    EXPECT_EQ(2u, ParseChannelRefs(L"ch1 rch1").size());
    EXPECT_EQ((std::vector<ChannelRef>{{11, false, false}, {1, false, false}}),
              ParseChannelRefs(L"sin(ch12) - ch2 + ch12"));
}

TEST(ChannelReferences, IgnoresWhatIsNotAReference)
{
    EXPECT_TRUE(ParseChannelRefs(L"chx + cmpeakdet(t, 1)").empty());
    EXPECT_TRUE(ParseChannelRefs(L"x+ch").empty());   // a "c" among the last two characters
    EXPECT_TRUE(ParseChannelRefs(L"channel").empty()); // no number
    EXPECT_EQ(1u, ParseChannelRefs(L"ch7").size());
}
