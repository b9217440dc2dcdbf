#include "tracedisplay/drawers/HostLevelSettings.h"
#include "tracedisplay/tests/support/FakeTraceHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <optional>

namespace StrixDraw
{
namespace
{

// The host's preferences of one channel, by (id, index).
class FakePreferences : public TraceTest::Uncounted<IPreferenceSource>
{
public:
    HRESULT STDMETHODCALLTYPE GetPreferenceRecord(ULONG id, LONG, LONG index, void* record, ULONG size) override
    {
        if (id == PreferenceId::LevelValue && values.count(index))
        {
            HostLevelValue value{values[index], SysAllocString(L"Threshold"), SysAllocString(L"mV")};
            std::memcpy(record, &value, std::min<ULONG>(size, sizeof value));
            return S_OK;
        }
        if (id == PreferenceId::LevelLine && lines.count(index))
        {
            std::memcpy(record, &lines[index], std::min<ULONG>(size, sizeof(HostLevelLine)));
            return S_OK;
        }
        if (id == PreferenceId::LevelFills && fills)
        {
            std::memcpy(record, &*fills, std::min<ULONG>(size, sizeof(HostLevelFills)));
            return S_OK;
        }
        return S_FALSE;
    }

    std::map<LONG, HostLevelLine> lines;
    std::map<LONG, double> values;
    std::optional<HostLevelFills> fills;

protected:
    bool Answers(REFIID iid) const override { return iid == IID_IPreferenceSource; }
};

TEST(HostLevelSettingsTest, CopiesTheLevelsTheHostKeepsAndLeavesTheRest)
{
    FakePreferences preferences;
    preferences.lines[1] = {1, 0, RGB(1, 2, 3)};
    preferences.lines[2] = {1, 1, RGB(4, 5, 6)};
    preferences.values[2] = 12.5;
    LevelSettings settings;
    settings.flags = LevelSettings::FillAbove | LevelSettings::DrawLevel1Line;
    const COLORREF fillAbove = settings.fillAbove;
    EXPECT_EQ(S_FALSE, LoadHostGridColours(settings, &preferences, 3));
    EXPECT_EQ(LevelSettings::Level1On | LevelSettings::Level2On | LevelSettings::DrawLevel2Line |
                  LevelSettings::FillAbove,
              settings.flags);
    EXPECT_EQ(RGB(4, 5, 6), settings.lineColours[1]);
    EXPECT_EQ(12.5, settings.levels[1]);
    EXPECT_TRUE(std::isnan(settings.levels[0]));
    EXPECT_EQ(L"mV", settings.level2Units);
    EXPECT_TRUE(settings.level1Units.empty());
    EXPECT_EQ(fillAbove, settings.fillAbove);

    preferences.fills = HostLevelFills{0, RGB(9, 9, 9), 1, RGB(8, 8, 8), 1, RGB(7, 7, 7)};
    EXPECT_EQ(S_OK, LoadHostGridColours(settings, &preferences, 3));
    EXPECT_EQ(0u, settings.flags & LevelSettings::FillAbove);
    EXPECT_EQ(LevelSettings::FillBetween | LevelSettings::FillBelow,
              settings.flags & (LevelSettings::FillBetween | LevelSettings::FillBelow));
    EXPECT_EQ(RGB(8, 8, 8), settings.fillBetween);
}

} // namespace
} // namespace StrixDraw
