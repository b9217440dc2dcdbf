#include "tableview/tests/FakeTable.h"
#include "tableview/transfer/TableText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace
{

using namespace TableView;
using TableViewTests::FakeTable;

class TestGrid : public TVF_Grid::SelectionGrid
{
public:
    int HeaderRows() const override { return 1; }
    int HeaderColumns() const override { return 1; }
    int DataRowCount() const override { return 3; }
    int DataColumnCount() const override { return 2; }
    ULONG NotifyWord() const override { return MainGridWord; }
    ITableUserActionHandler* Actions() const override { return nullptr; }
    void RepaintSelection() override {}
};

struct TwoGrids
{
    TwoGrids() : mainTable(2, {L"HR", L"SV (\u00b5L)"}), summaryTable(1, {L"HR", L"SV (\u00b5L)"})
    {
        mainSource = {&mainTable, &mainTable, MainGridWord, 1, 1, nullptr, &mainSelection};
        secondSource = {&summaryTable, &summaryTable, SecondGridWord, 1, 1, nullptr, &secondSelection};
    }
    std::wstring Text(const wchar_t* separator, bool withSecond = true)
    {
        TableCopier mainCopier(mainSource);
        TableCopier secondCopier(secondSource);
        return BuildTableText({&mainCopier, &mainSelection}, {withSecond ? &secondCopier : nullptr, &secondSelection},
                              {false, true}, Orv::String(separator));
    }
    FakeTable mainTable, summaryTable;
    TestGrid grid;
    TVF_Grid::GridSelection mainSelection{grid, false};
    TVF_Grid::GridSelection secondSelection{grid, false};
    CopySource mainSource, secondSource;
};

TEST(TableText, WithoutSelectionsBothGridsAreJoinedByOneLineFeed)
{
    TwoGrids grids;
    EXPECT_EQ(L"HR\tSV (\u00b5L)\r\n1.1\t1.2\r\n2.1\t2.2\r\n\nHR\tSV (\u00b5L)\r\n1.1\t1.2\r\n", grids.Text(L"\t"));
    EXPECT_EQ(L"HR\tSV (\u00b5L)\r\n1.1\t1.2\r\n2.1\t2.2\r\n", grids.Text(L"\t", false));
}

TEST(TableText, ASelectionInTheSecondGridAloneGivesOnlyItsBlock)
{
    TwoGrids grids;
    grids.secondSelection.SetRange(TVF_Grid::CellRange::Cells(1, 2, 2, 3));
    EXPECT_EQ(L"SV (\u00b5L)\r\n1.2\r\n", grids.Text(L"\t"));
}

TEST(TableText, CsvWithASemicolonWritesEveryCharacterAsUtf8)
{
    TwoGrids grids;
    const std::filesystem::path file = std::filesystem::temp_directory_path() / L"sistra-table-export.csv";
    ASSERT_EQ(S_OK, WriteTextFile(file.c_str(), grids.Text(L";", false)));
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ("HR;SV (\xC2\xB5L)\r\n1.1;1.2\r\n2.1;2.2\r\n", bytes);
    in.close();
    std::filesystem::remove(file);
}

TEST(TableText, AnUnwritablePathIsReported)
{
    const std::wstring missingFolder = (std::filesystem::temp_directory_path() / L"no-such-folder" / L"t.csv").wstring();
    EXPECT_TRUE(FAILED(WriteTextFile(missingFolder.c_str(), L"x")));
    EXPECT_EQ(E_INVALIDARG, WriteTextFile(L"", L"x"));
}

} // namespace
