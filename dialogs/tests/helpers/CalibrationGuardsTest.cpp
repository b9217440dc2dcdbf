#include "dialogs/helpers/CalibrationGuards.h"

#include "dialogs/tests/DialogTestSupport.h"
#include "hostframework/services/HostDataAccess.h"

#include "hostapi/HostChannelCalc.h"
#include "hostapi/VyrAnalysis.h"

#include <gtest/gtest.h>

using namespace Sistra;

namespace
{

void Select(StandInHost::HostDocument& host, int32_t channel, TickPosition start, TickPosition end)
{
    ASSERT_EQ(S_OK, host.SelectRange(channel, &start, &end));
}

} // namespace

TEST(CalibrationGuards, OnlyASelectionOfTheChannelWithinOneRecordIsUsable)
{
    const struct
    {
        int32_t selected;
        TickPosition start, end;
        int32_t asked;
        bool usable;
        bool extent;
    } cases[] = {
        {1, {0, 10}, {0, 50}, 1, true, true},
        {1, {0, 10}, {0, 50}, 0, false, true},
        {1, {0, 10}, {1, 50}, 1, false, false},
        {1, {1, 20}, {1, 20}, 1, true, false},
    };
    for (const auto& c : cases)
    {
        DialogTests::DocumentFixture fixture;
        Select(fixture.Host(), c.selected, c.start, c.end);
        EXPECT_EQ(c.usable, SelectionUsableForChannel(fixture.Document(), c.asked)) << c.start.record << c.end.record;
        EXPECT_EQ(c.extent, SelectionHasExtent(fixture.Document())) << c.start.record << c.end.record;
    }
    DialogTests::DocumentFixture unselected;
    EXPECT_FALSE(SelectionUsableForChannel(unselected.Document(), 1));
    EXPECT_FALSE(SelectionHasExtent(unselected.Document()));
}

TEST(CalibrationGuards, AVolumeChannelCalculationOnAnotherSourceBlocksTheCalibrationAfterSayingSo)
{
    const struct
    {
        const wchar_t* calculation;
        bool blocked;
    } cases[] = {{nullptr, false}, {L"Ch2", false}, {L"ch1 * 2", true}};
    for (const auto& c : cases)
    {
        DialogTests::DocumentFixture fixture;
        if (c.calculation)
        {
            ASSERT_TRUE(CreateHostCalcFromText(fixture.Document().GetHostDocument(), c.calculation, L"mL", 1,
                                               HostChannelCalcSelector));
        }
        const size_t before = DialogTests::MessageBoxes().size();
        EXPECT_EQ(c.blocked, CheckVolumeChannelCalculation(fixture.Document()));
        const auto boxes = DialogTests::MessageBoxes();
        ASSERT_EQ(before + (c.blocked ? 1 : 0), boxes.size());
        if (c.blocked)
        {
            EXPECT_NE(std::wstring::npos, boxes.back().text.find(L"calculation on channel 2 is not compatible"));
            EXPECT_EQ(L"Sistra", boxes.back().caption);
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.back().style);
        }
    }
}

TEST(CalibrationGuards, MixedVolumeUnitsAskFirstAndGoOnOnlyOnYes)
{
    DialogTests::DocumentFixture consistent;
    const size_t before = DialogTests::MessageBoxes().size();
    EXPECT_TRUE(HasConsistentVolumeUnits(consistent.Document()));
    EXPECT_FALSE(RejectMixedUnitCalibration(consistent.Document()));
    EXPECT_EQ(before, DialogTests::MessageBoxes().size()) << "nothing to ask";

    for (const LONG answer : {IDYES, IDNO})
    {
        DialogTests::DocumentFixture mixed;
        Orv::ComPtr<IUnitConversion> recorded, litres;
        ASSERT_EQ(S_OK, mixed.Host().GetChannelConversion(HostUnsetPosition, 1, 1, recorded.Put()));
        ASSERT_EQ(S_OK, StandInHost::CreateTwoPointConversion(recorded.Get(), L"0", L"1", L"0", L"1", L"L", 1, litres.Put()));
        mixed.Host().SetRecordConversion(1, 1, litres.Get());
        EXPECT_FALSE(HasConsistentVolumeUnits(mixed.Document()));
        StandInHost::StandIn().ScriptMessageBoxAnswer(answer);
        EXPECT_EQ(answer != IDYES, RejectMixedUnitCalibration(mixed.Document()));
        const auto boxes = DialogTests::MessageBoxes();
        EXPECT_NE(std::wstring::npos, boxes.back().text.find(L"In order to calibrate channel 2,"));
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes.back().style);
    }
}
