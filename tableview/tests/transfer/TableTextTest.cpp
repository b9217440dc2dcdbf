#include "hostframework/tests/FrameworkTestSupport.h"
#include "tableview/tests/FakeTable.h"
#include "tableview/transfer/HostCopyProgress.h"
#include "tableview/transfer/ResultsSheetAccess.h"
#include "tableview/transfer/TableText.h"

#include <gtest/gtest.h>

#include <algorithm>
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

std::string FileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The title and filter of every save dialog the host was asked for.
std::vector<std::pair<std::wstring, std::wstring>> AskedSaveDialogs(IVyrStandIn& standIn)
{
    std::vector<std::pair<std::wstring, std::wstring>> asked;
    BSTR title = nullptr, filter = nullptr, path = nullptr;
    for (ULONG i = 0; SUCCEEDED(standIn.GetSaveFileDialog(i, &title, &filter, &path)); ++i)
    {
        asked.emplace_back(title ? title : L"", filter ? filter : L"");
        SysFreeString(title);
        SysFreeString(filter);
        SysFreeString(path);
    }
    return asked;
}

TEST(TableText, ExportCsvWritesTheGivenOrChosenFileAndReportsWhatFails)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::wstring given = (folder / L"sistra-given.csv").wstring();
    const std::wstring chosen = (folder / L"sistra-chosen.csv").wstring();
    const std::wstring unwritable = (folder / L"no-such-folder" / L"t.csv").wstring();
    const struct
    {
        const char* name;
        const wchar_t* fileName;
        bool dialogShown;
        const wchar_t* dialogAnswer;  // null: cancelled
        HRESULT result;
        const std::wstring* written;
    } cases[] = {
        {"a given name", given.c_str(), false, nullptr, S_OK, &given},
        {"the dialog's choice", nullptr, true, chosen.c_str(), S_OK, &chosen},
        {"an empty name asks too", L"", true, chosen.c_str(), S_OK, &chosen},
        {"the dialog cancelled", nullptr, true, nullptr, E_FAIL, nullptr},
        {"an unwritable path", unwritable.c_str(), false, nullptr, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), nullptr},
    };
    const Orv::ComPtr<IVyrStandIn> standIn = TestSupport::StandIn();
    for (const auto& c : cases)
    {
        std::filesystem::remove(given);
        std::filesystem::remove(chosen);
        const std::size_t askedBefore = AskedSaveDialogs(*standIn.Get()).size();
        if (c.dialogShown)
            standIn->ScriptSaveFileAnswer(c.dialogAnswer);
        TwoGrids grids;
        EXPECT_EQ(c.result, ExportCsv(nullptr, c.fileName, Orv::String(L";"), [&](const Orv::String& separator) {
            return grids.Text(separator.c_str());
        })) << c.name;
        if (c.written)
        {
            EXPECT_EQ("HR;SV (\xC2\xB5L)\r\n1.1;1.2\r\n2.1;2.2\r\n\nHR;SV (\xC2\xB5L)\r\n1.1;1.2\r\n",
                      FileBytes(*c.written))
                << c.name;
        }
        const auto asked = AskedSaveDialogs(*standIn.Get());
        ASSERT_EQ(askedBefore + (c.dialogShown ? 1 : 0), asked.size()) << c.name;
        if (c.dialogShown)
        {
            EXPECT_EQ(std::make_pair(std::wstring(L"Export to CSV file"),
                                     std::wstring(L"CSV (Comma delimited) (*.csv)|*.csv")),
                      asked.back())
                << c.name;
        }
    }
    std::filesystem::remove(given);
    std::filesystem::remove(chosen);
}

TEST(TableText, BothWholeGridsGoIntoTheSheetOneBelowTheOther)
{
    TwoGrids grids;
    TableViewTests::FakeSheet sheet;
    TableCopier mainCopier(grids.mainSource);
    TableCopier secondCopier(grids.secondSource);
    EXPECT_EQ(S_OK, AddTableToSheet(sheet, {&mainCopier, &grids.mainSelection},
                                    {&secondCopier, &grids.secondSelection}, {false, true}));
    const std::vector<std::wstring> firstColumn{L"", L"HR", L"1.1", L"2.1", L"", L"HR", L"1.1", L""};
    for (std::size_t row = 0; row < firstColumn.size(); ++row)
        EXPECT_EQ(firstColumn[row], sheet.At(static_cast<LONG>(row), 0)) << row;
}

// A sheet the host hands out by id.
class RegisteredSheet : public TableViewTests::FakeSheet
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ITallionSheet);
        *out = known ? static_cast<ITallionSheet*>(this) : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
};

TEST(ResultsSheetAccess, TheSheetIsFoundUnderItsIdAndWithoutOneThereIsNone)
{
    const Orv::ComPtr<IVyrStandIn> standIn = TestSupport::StandIn();
    IUnknown* const frameServices = HostAppAccessor::Get();
    RegisteredSheet sheet;
    ASSERT_EQ(S_OK, standIn->RegisterHostObject(&ResultsSheetGuid, &sheet));
    EXPECT_EQ(static_cast<ITallionSheet*>(&sheet), FindResultsSheet(frameServices).Get());
    EXPECT_EQ(nullptr, FindResultsSheet(nullptr).Get());
    ASSERT_EQ(S_OK, standIn->RegisterHostObject(&ResultsSheetGuid, nullptr));
    EXPECT_EQ(nullptr, FindResultsSheet(frameServices).Get());
}

TEST(HostCopyProgress, TheHostsCancelStopsACopy)
{
    const Orv::ComPtr<IVyrStandIn> standIn = TestSupport::StandIn();
    const auto progress = HostCopyProgress::Create(HostAppAccessor::Get());
    ASSERT_NE(nullptr, progress);
    ASSERT_EQ(S_OK, standIn->ScriptProgressCancel(50));
    FakeTable table(400, {L"HR"});
    CopySource source{&table, &table};
    std::wostringstream out;
    TableCopier(source).CopyCells(out, {false, false}, Orv::String(L"\t"), {}, progress.get());
    standIn->ScriptProgressCancel(-1);
    const std::wstring text = out.str();
    EXPECT_EQ(200, std::count(text.begin(), text.end(), L'\n'));
}

} // namespace
