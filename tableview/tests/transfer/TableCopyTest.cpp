#include "tableview/tests/FakeTable.h"
#include "tableview/transfer/TableCopy.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

using namespace TableView;
using TableViewTests::FakeProgress;
using TableViewTests::FakeSheet;
using TableViewTests::FakeTable;

struct CopyFixture
{
    explicit CopyFixture(int rows) : table(rows, {L"HR", L"SV"})
    {
        source.data = &table;
        source.rows = &table;
        source.channelNames = &names;
    }
    std::wstring Copy(CopyOptions options, RowRange range, const wchar_t* separator = L"\t",
                      CopyProgress* progress = nullptr)
    {
        std::wostringstream out;
        TableCopier(source).CopyCells(out, options, Orv::String(separator), range, progress);
        return out.str();
    }
    FakeTable table;
    ChannelNames names{{3, Orv::String(L"LV Pressure")}};
    CopySource source;
};

TEST(TableCopy, CopyCellsWritesTheExpectedLines)
{
    const struct
    {
        const char* name;
        CopyOptions options;
        RowRange range;
        std::wstring expected;
    } cases[] = {
        {"whole table with both titles", {true, true}, {},
         L"Loop\tHR\tSV\r\nLoop 1\t1.1\t1.2\r\nLoop 2\t2.1\t2.2\r\nLoop 3\t3.1\t3.2\r\n"},
        {"no row titles", {false, true}, {}, L"HR\tSV\r\n1.1\t1.2\r\n2.1\t2.2\r\n3.1\t3.2\r\n"},
        {"rows 2 and 3 without titles", {false, false}, {2, 1, 4, 1}, L"2.1\t2.2\r\n3.1\t3.2\r\n"},
        {"an end past the rows is cut", {false, false}, {3, 1, 40, 1}, L"3.1\t3.2\r\n"},
        {"a negative bound copies all", {false, false}, {2, -1, 3, 1}, L"1.1\t1.2\r\n2.1\t2.2\r\n3.1\t3.2\r\n"},
    };
    for (const auto& c : cases)
    {
        CopyFixture fixture(3);
        EXPECT_EQ(c.expected, fixture.Copy(c.options, c.range)) << c.name;
    }
}

TEST(TableCopy, ChannelCellsCopyAsNamesAndPlaceholdersAsNothing)
{
    CopyFixture fixture(3);
    fixture.table.SetCell(1, 1, L"3", CellFormat::Channel | CellFormat::Editable);
    fixture.table.SetCell(1, 2, L"<Select Channel>", CellFormat::Channel | CellFormat::Placeholder);
    fixture.table.SetCell(2, 1, L"-2", CellFormat::Channel);
    fixture.table.SetCell(2, 2, L"x", CellFormat::Channel);
    fixture.table.SetCell(0, 2, L"SV", 0x1020);
    EXPECT_EQ(L"HR;\r\nLV Pressure;\r\n;\r\n", fixture.Copy({false, true}, {1, 1, 3, 1}, L";"));
}

TEST(TableCopy, WithoutAProgressDisplayTheCopyRunsToItsEnd)
{
    CopyFixture fixture(50);
    const std::wstring text = fixture.Copy({false, false}, {});
    EXPECT_EQ(50, std::count(text.begin(), text.end(), L'\n'));
}

TEST(TableCopy, ACancelKeepsTheLinesWrittenSoFarAndPercentagesChangeOnce)
{
    CopyFixture fixture(400);
    FakeProgress progress(50);
    const std::wstring text = fixture.Copy({false, false}, {}, L"\t", &progress);
    EXPECT_EQ(200, std::count(text.begin(), text.end(), L'\n'));
    ASSERT_EQ(51u, progress.percentages.size()) << "one update per whole percent, 0 to 50";
    EXPECT_EQ(L"Copying", progress.texts.front());
    EXPECT_EQ(L"49 %", progress.texts.back());
}

TEST(TableCopy, TransferStartsOneEmptyRowBelowTheSheetsData)
{
    const struct
    {
        const char* name;
        LONG lastDataRow;
        LONG firstWritten;
    } cases[] = {{"empty sheet", -1, 1}, {"data ending at row 9", 9, 11}};
    for (const auto& c : cases)
    {
        CopyFixture fixture(2);
        FakeSheet sheet;
        for (LONG row = 0; row <= c.lastDataRow; ++row)
            sheet.WriteCell(0, 0, row, row % 3, L"kept", -1);
        sheet.WriteCell(0, 0, c.lastDataRow + 1, 26, L"beyond Z counts as empty", -1);
        EXPECT_EQ(S_OK, TableCopier(fixture.source).AddToTallion(sheet, {false, true}, {}, nullptr)) << c.name;
        EXPECT_EQ(L"HR", sheet.At(c.firstWritten, 0)) << c.name;
        EXPECT_EQ(L"2.2", sheet.At(c.firstWritten + 2, 1)) << c.name;
        EXPECT_EQ(L"", sheet.At(c.firstWritten + 3, 0)) << c.name << ": every row is transferred";
    }
}

TEST(TableCopy, TheSheetsLastRowStopsTheTransferWithSFalse)
{
    const struct
    {
        const char* name;
        LONG filledTo;  // the sheet's data end on this row
        bool columnTitles;
        std::wstring lastRowText;
    } cases[] = {
        {"data rows", TallionSheetRowLimit - 4, false, L"2.1"},
        {"the title row is tested too", TallionSheetRowLimit - 2, true, L""},
    };
    for (const auto& c : cases)
    {
        CopyFixture fixture(3);
        FakeSheet sheet;
        sheet.filledThrough = c.filledTo;
        EXPECT_EQ(S_FALSE, TableCopier(fixture.source).AddToTallion(sheet, {false, c.columnTitles}, {}, nullptr))
            << c.name;
        EXPECT_EQ(c.lastRowText, sheet.At(TallionSheetRowLimit - 1, 0)) << c.name;
        EXPECT_EQ(L"", sheet.At(TallionSheetRowLimit, 0)) << c.name;
    }
}

TEST(TableCopy, MemoryCheckPassesForALargeTable)
{
    EXPECT_EQ(S_OK, CheckCopyMemory(30001, 32));
}

} // namespace
