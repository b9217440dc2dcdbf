#include "tableview/manager/ColumnState.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "foundation/streams/BinaryStream.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace
{

using TableView::ColumnState;

std::string Record(const std::vector<ULONG>& words)
{
    std::string bytes(words.size() * 4, '\0');
    for (std::size_t i = 0; i < words.size(); ++i)
        for (int b = 0; b < 4; ++b)
            bytes[i * 4 + b] = static_cast<char>((words[i] >> (8 * b)) & 0xFF);
    return bytes;
}

HRESULT LoadFrom(ColumnState& state, const std::string& bytes)
{
    std::stringbuf buffer(bytes, std::ios::in | std::ios::binary);
    Orv::BinIStream stream(&buffer);
    return state.Load(stream);
}

std::string Saved(const ColumnState& state)
{
    std::stringbuf buffer(std::ios::out | std::ios::binary);
    Orv::BinOStream stream(&buffer);
    EXPECT_EQ(S_OK, state.Save(stream));
    return buffer.str();
}

int WidthAt(const ColumnState& state, ULONG display)
{
    int width = 0;
    EXPECT_EQ(S_OK, state.GetWidth(display, true, &width));
    return width;
}

TEST(ColumnState, AMovedColumnAndItsWidthSurviveSaveAndLoad)
{
    ColumnState state;
    state.Reset(5);
    ASSERT_EQ(S_OK, state.MoveColumn(4, 0));
    ASSERT_EQ(S_OK, state.SetWidth(0, true, 140));
    EXPECT_EQ(Record({2, 5, 4, 0, 1, 2, 3, 100, 100, 100, 100, 150, 1337}), Saved(state));

    ColumnState loaded;
    ASSERT_EQ(S_OK, LoadFrom(loaded, Saved(state)));
    EXPECT_EQ(4u, loaded.ToStored(0, true));
    EXPECT_EQ(140, WidthAt(loaded, 0));
    EXPECT_EQ(90, WidthAt(loaded, 1));
    EXPECT_EQ(std::optional<ULONG>(0), loaded.ToDisplay(4));
}

TEST(ColumnState, DamagedRecordsAreRefusedAndLeaveTheStateAsItWas)
{
    const struct
    {
        const char* name;
        std::string bytes;
    } damaged[] = {
        {"no end marker", Record({2, 2, 0, 1, 110, 110, 7})},
        {"short", Record({2, 3, 0, 1})},
        {"order repeats a column", Record({2, 2, 1, 1, 110, 110, 1337})},
        {"order beyond the count", Record({2, 2, 0, 5, 110, 110, 1337})},
        {"negative width", Record({2, 2, 0, 1, 3, 110, 1337})},
        {"huge count", Record({2, 0xFFFFFFF0u, 0, 1})},
        {"empty", std::string()},
    };
    for (const auto& record : damaged)
    {
        ColumnState state;
        state.Reset(3);
        state.MoveColumn(2, 0);
        const std::string before = Saved(state);
        EXPECT_EQ(E_FAIL, LoadFrom(state, record.bytes)) << record.name;
        EXPECT_EQ(before, Saved(state)) << record.name;
    }
}

TEST(ColumnState, ANewerRecordThrowsTheVersionError)
{
    ColumnState state;
    try
    {
        LoadFrom(state, Record({3, 0, 1337}));
        FAIL() << "no error";
    }
    catch (const XOrv& error)
    {
        EXPECT_EQ(Orv::E_ORV_NEWER_VERSION, error.Code());
    }
}

TEST(ColumnState, AVersionOneRecordGivesItsColumnsTheDefaultWidth)
{
    ColumnState state;
    ASSERT_EQ(S_OK, LoadFrom(state, Record({1, 3, 2, 0, 1, 1337})));
    EXPECT_EQ((std::vector<ULONG>{2, 0, 1}), state.Order());
    EXPECT_EQ((std::vector<int>{100, 100, 100}), state.StoredWidths());
    EXPECT_EQ(90, WidthAt(state, 2));
}

TEST(ColumnState, MinimiseAndRestoreKeepTheUsersColumns)
{
    ColumnState state;
    state.Reset(4);
    state.MoveColumn(3, 1);
    state.SetWidth(1, true, 60);
    EXPECT_FALSE(state.TakeDefaultWidth(0, 4)) << "a minimised view passes zeros";
    EXPECT_FALSE(state.TakeDefaultWidth(100, 4));
    EXPECT_EQ(3u, state.ToStored(1, true));
    EXPECT_EQ(60, WidthAt(state, 1));
    EXPECT_TRUE(state.TakeDefaultWidth(80, 4));
    EXPECT_EQ(0u, state.ToStored(0, true));
    EXPECT_EQ(70, WidthAt(state, 1));
}

TEST(ColumnState, GrowingKeepsTheOldColumnsAndShrinkingStartsAgain)
{
    ColumnState state;
    state.Reset(3);
    state.MoveColumn(2, 0);
    state.FitCount(5);
    EXPECT_EQ((std::vector<ULONG>{2, 0, 1, 3, 4}), state.Order());
    state.FitCount(2);
    EXPECT_EQ((std::vector<ULONG>{0, 1}), state.Order());
}

TEST(ColumnState, WidthsAndTranslationWithoutDataColumnsOrOutOfRange)
{
    ColumnState state;
    state.Reset(2);
    int width = 0;
    EXPECT_EQ(S_OK, state.GetWidth(7, false, &width));
    EXPECT_EQ(100, width);
    EXPECT_EQ(E_FAIL, state.GetWidth(7, true, &width));
    EXPECT_EQ(E_FAIL, state.SetWidth(7, true, 50));
    EXPECT_EQ(E_FAIL, state.MoveColumn(2, 0));
    EXPECT_EQ(S_OK, state.SetWidth(0, false, 50));
    EXPECT_EQ(90, WidthAt(state, 0));
    EXPECT_EQ(7u, state.ToStored(7, true));
    EXPECT_EQ(std::nullopt, state.ToDisplay(9));
}

} // namespace
