#include "tableview/pixmap/TablePixMap.h"

#include "tableview/tests/FakeTable.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{

using TableView::TVF_PixMap;

// A client that hands out its row count through QueryInterface, as the pixmap asks for it.
class RowSource : public TableViewTests::FakeTable
{
public:
    explicit RowSource(int rows) : FakeTable(rows, {L"HR"}) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_ITableStoredRowInfo) ? static_cast<ITableStoredRowInfo*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
};

TEST(TablePixMap, OneBlockOfTheStoredRows)
{
    RowSource table(9);  // 10 stored rows with the title row
    const auto map = TVF_PixMap::Create(static_cast<ITableStoredRowInfo*>(&table), 1, 1, TableView::MainGridWord);
    const struct
    {
        LONGLONG position;
        HRESULT answer;
        LONGLONG offset;
    } rows[] = {{0, S_OK, 0}, {8, S_OK, 8}, {9, S_FALSE, 9}, {-1, S_FALSE, -1}};
    for (const auto& c : rows)
    {
        RecordDataRow row{};
        LONGLONG end = 0;
        EXPECT_EQ(c.answer, map->FindRow(c.position, &row, &end)) << c.position;
        EXPECT_EQ(c.offset, row.offset) << c.position;
        EXPECT_EQ(0, row.block) << c.position;
        EXPECT_EQ(9, end) << c.position;
    }
    ULONG blocks = 0;
    LONGLONG first = 0, end = 0;
    EXPECT_EQ(S_OK, map->GetBlockCount(&blocks));
    EXPECT_EQ(1u, blocks);
    EXPECT_EQ(S_OK, map->GetBlockRange(0, &first, &end));
    EXPECT_EQ(0, first);
    EXPECT_EQ(9, end);
    EXPECT_EQ(S_FALSE, map->GetBlockRange(1, &first, &end));
    EXPECT_EQ(std::numeric_limits<LONGLONG>::min(), first);
    EXPECT_EQ(std::numeric_limits<LONGLONG>::min(), end);
}

TEST(TablePixMap, GapsShiftTheRowsAndAnUnknownGapChangesNothing)
{
    RowSource table(9);
    const auto map = TVF_PixMap::Create(static_cast<ITableStoredRowInfo*>(&table), 1, 1, TableView::MainGridWord);
    EXPECT_EQ(E_INVALIDARG, map->SetGap(3, 5));
    LONGLONG end = 0;
    EXPECT_EQ(S_OK, map->GetEndPosition(&end));
    EXPECT_EQ(9, end);
    ASSERT_EQ(S_OK, map->SetGap(0, 2));
    EXPECT_EQ(S_OK, map->GetEndPosition(&end));
    EXPECT_EQ(11, end);
    for (ULONG mode : {0u, 1u, 2u})
    {
        LONGLONG offset = 0;
        RecordDataRow row{};
        EXPECT_EQ(S_OK, map->PositionToRow(mode, 0, &offset, &row)) << mode;
        EXPECT_EQ(-2, offset) << mode;
        EXPECT_EQ(0, row.offset) << "the first block has no row before it, mode " << mode;
        EXPECT_EQ(S_OK, map->PositionToRow(mode, 5, &offset, &row)) << mode;
        EXPECT_EQ(3, row.offset) << mode;
    }
    LONGLONG walk = 0;
    EXPECT_EQ(S_FALSE, map->GetWalkPosition(0, &walk)) << "no walk runs";
    ASSERT_EQ(S_OK, map->BeginBlockWalk());
    EXPECT_EQ(S_OK, map->GetWalkPosition(0, &walk));
    EXPECT_EQ(2, walk);
}

} // namespace
