#include "document/analysis/VChanData.h"

#include "document/tests/analysis/FakeCalcItems.h"

#include <gtest/gtest.h>

using namespace Sistra;
using DocumentTesting::FakeCalcItems;

namespace
{

SistraEvent Loop(int32_t tick, int32_t state = LoopStateValid)
{
    SistraEvent loop;
    loop.base = OrvEventBase{tick, 0.25f, 10.0};
    loop.firstTick = tick;
    loop.state = state;
    loop.ves = tick / 10.0;
    return loop;
}

PVAEvent Pva(int32_t tick)
{
    PVAEvent pva;
    pva.base.tick = tick;
    pva.pva = tick * 2.0;
    return pva;
}

// Block 0: loops at 100 to 500 and the closing record at 600; block 1 empty; block 2: loops at 50 to 350
// and the closing record at 450. The PVA item has no record of the loop at 300.
class VChanDataTest : public ::testing::Test
{
protected:
    VChanDataTest()
    {
        const std::vector<SistraEvent> first = {Loop(100), Loop(200), Loop(300), Loop(400), Loop(500),
                                                Loop(600, LoopStateClosing)};
        const std::vector<SistraEvent> third = {Loop(50), Loop(150), Loop(250), Loop(350), Loop(450, LoopStateClosing)};
        host.SetRecords(L"sistra", 0, first);
        host.SetRecords(L"sistra", 2, third);
        host.SetRecords(L"pva", 0, std::vector<PVAEvent>{Pva(100), Pva(200), Pva(400), Pva(500)});
        host.SetRecords(L"pva", 2, std::vector<PVAEvent>{Pva(50), Pva(150), Pva(250), Pva(350)});
        EXPECT_TRUE(data.FindCalculations());
        EXPECT_TRUE(data.CreateCalculations(L"SistraAnalyzer(...)", L"", L""));
        EXPECT_TRUE(data.CreatePvaCalculation(L"PVACalc(sistra, ...)"));
        for (const SistraEvent& loop : first)
            data.AddEvent(0, loop);
        for (const SistraEvent& loop : third)
            data.AddEvent(2, loop);
    }

    FakeCalcItems host;
    VChanData data{&host, false};
};

} // namespace

TEST_F(VChanDataTest, LoopsReadBackByLoopIndexAcrossBlocksInOneRunPerBlock)
{
    const int32_t ticks[] = {100, 200, 300, 400, 500, 50, 150, 250, 350};
    const int32_t blocks[] = {0, 0, 0, 0, 0, 2, 2, 2, 2};
    EXPECT_EQ(9u, data.LoopCount());
    EXPECT_EQ(11u, data.EventCount());
    host.opened = 0;
    for (uint32_t i = 0; i < 9; ++i)
    {
        SistraEvent loop;
        int32_t block = -1;
        ASSERT_TRUE(data.GetLoopRecordIncluded(i, loop, block)) << i;
        EXPECT_EQ(ticks[i], loop.base.tick);
        EXPECT_EQ(blocks[i], block);
        ASSERT_TRUE(data.GetLoopRecordIncluded(i, loop, block)) << "again " << i;
        EXPECT_EQ(ticks[i], loop.base.tick);
    }
    EXPECT_EQ(2, host.opened) << "consecutive loops continue the block's run";
    SistraEvent loop;
    int32_t block = 0;
    EXPECT_FALSE(data.GetLoopRecordIncluded(9, loop, block));
    EXPECT_FALSE(data.GetLoopRecord(11, loop, block));
}

TEST_F(VChanDataTest, ExcludedLoopsReadBackWithTheirState)
{
    data.SetEventState(7, LoopStateExcluded); // loop 6, at 150 in block 2
    SistraEvent loop;
    int32_t block = 0;
    ASSERT_TRUE(data.GetLoopRecordIncluded(6, loop, block));
    EXPECT_EQ(LoopStateExcluded, loop.state);
    ASSERT_TRUE(data.GetLoopRecordIncluded(5, loop, block));
    EXPECT_EQ(LoopStateValid, loop.state);
}

TEST_F(VChanDataTest, AreasAreFoundByTheirLoopsTick)
{
    PVAEvent pva;
    ASSERT_TRUE(data.GetPvaRecord(3, pva));
    EXPECT_EQ(800.0, pva.pva);
    EXPECT_FALSE(data.GetPvaRecord(2, pva)) << "no area of the loop at 300";
    ASSERT_TRUE(data.GetPvaRecord(8, pva));
    EXPECT_EQ(700.0, pva.pva);
    EXPECT_FALSE(data.GetPvaRecord(9, pva));
    SistraEvent corrected;
    EXPECT_FALSE(data.GetVolumeRecord(0, corrected)) << "no corrected-volume calculation";
}

TEST_F(VChanDataTest, AreasOfLoopAfterLoopComeThroughOneEnumeratorABlockUntilTheCalculationChanges)
{
    host.opened = 0;
    for (uint32_t loop = 0; loop < 9; ++loop)
    {
        SistraEvent record;
        int32_t block = 0;
        ASSERT_TRUE(data.GetLoopRecordIncluded(loop, record, block));
        PVAEvent pva;
        const bool found = data.GetPvaRecord(loop, pva);
        EXPECT_EQ(loop != 2, found) << loop;
        EXPECT_TRUE(!found || pva.pva == record.base.tick * 2.0) << loop;
    }
    EXPECT_EQ(4, host.opened) << "the loops and the areas: one run of each block";

    host.SetRecords(L"pva", 2, std::vector<PVAEvent>{Pva(50), Pva(150), Pva(250), Pva(351)});
    ASSERT_TRUE(data.CreatePvaCalculation(L"PVACalc(sistra, 1, ...)"));
    PVAEvent pva;
    EXPECT_FALSE(data.GetPvaRecord(8, pva)) << "the new calculation has no area at 350";
}

TEST_F(VChanDataTest, PositionsAndEventsAtTicks)
{
    const auto position = data.GetLoopPosition(5);
    ASSERT_TRUE(position);
    EXPECT_EQ(2, position->record);
    EXPECT_EQ(50, position->tick); // 50.25 rounded
    EXPECT_FALSE(data.GetLoopPosition(9));
    EXPECT_EQ(8, data.FindEventAt(250, 2));
    EXPECT_EQ(11, data.FindEventAt(999, 2)) << "past the block's last record";
    EXPECT_EQ(-1, data.FindEventAt(100, 1)) << "no records in the block";
}

TEST_F(VChanDataTest, ClearingDropsTheCalculationsAndTheStatistics)
{
    EXPECT_EQ(L"SistraAnalyzer(...)", host.Named(L"sistra")->text);
    data.ClearStreams(0);
    EXPECT_TRUE(host.Named(L"sistra")->text.empty());
    EXPECT_TRUE(host.Named(L"pva")->text.empty());
    EXPECT_EQ(0u, data.LoopCount());
    EXPECT_FALSE(data.HasCalculations());
}

TEST(VChanData, EchoInstanceUsesTheEchoItems)
{
    FakeCalcItems host;
    VChanData echo(&host, true);
    ASSERT_TRUE(echo.FindCalculations());
    for (const wchar_t* name : {L"sistra_echo", L"pva_echo", L"pvvolumewithoutvp_echo", L"pveventwithoutvp_echo"})
        EXPECT_NE(nullptr, host.Named(name)) << name;
    EXPECT_EQ(nullptr, host.Named(L"sistra"));
    VChanData none(nullptr, false);
    EXPECT_FALSE(none.FindCalculations());
}

TEST(VChanData, TheItemsTextsGoToTheHostAndNameTheRegion)
{
    FakeCalcItems host;
    VChanData echo(&host, true);
    HostItemId loops, pva;
    std::wstring loopsText, pvaText;
    EXPECT_FALSE(echo.GetRegion(loops, loopsText, pva, pvaText));
    ASSERT_TRUE(echo.FindCalculations());
    echo.WriteRegionTexts();
    EXPECT_EQ((std::vector<std::wstring>{L"sistra_echo", L"pva_echo", L"pvvolumewithoutvp_echo",
                                         L"pveventwithoutvp_echo"}),
              host.keptTexts);
    ASSERT_TRUE(echo.GetRegion(loops, loopsText, pva, pvaText));
    EXPECT_EQ(L"sistra_echo", loopsText);
    EXPECT_EQ(L"pva_echo", pvaText);
    EXPECT_NE(loops.first, pva.first);
}
