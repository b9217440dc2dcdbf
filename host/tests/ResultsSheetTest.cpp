#include "host/app/commands/ResultsSheet.h"

#include <gtest/gtest.h>

#include <oleauto.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace
{

TEST(ResultsSheet, SavesItsCellsAsTabSeparatedUtf8)
{
    Host::ResultsSheet sheet;
    sheet.WriteCell(0, 0, 0, 0, L"kept", -1);
    sheet.WriteCell(0, 0, 2, 0, L"HR", -1);
    sheet.WriteCell(0, 0, 2, 2, L"SV (\u00b5L)", -1);
    sheet.WriteCell(0, 0, 3, 1, L"71.5", -1);
    std::ostringstream tsv;
    sheet.SaveTsv(tsv);
    EXPECT_EQ("kept\t\t\n\t\t\nHR\t\tSV (\xC2\xB5L)\n\t71.5\t\n", tsv.str());
}

TEST(ResultsSheet, ARewrittenOrEmptiedCellLeavesItsNeighboursAsTheyWere)
{
    Host::ResultsSheet sheet;
    // A cell rewritten with text of another length in bytes: a character beyond 16 bits is two in UTF-16.
    const wchar_t* const rewritten = L"x\u00b5\U0001F600";
    const std::pair<LONG, const wchar_t*> writes[] = {{0, L"a"}, {1, L"bb"}, {2, L"c"}, {1, rewritten}, {2, L""}, {0, L""}};
    for (const auto& [column, text] : writes)
        sheet.WriteCell(0, 0, 0, column, text, -1);
    std::ostringstream tsv;
    sheet.SaveTsv(tsv);
    EXPECT_EQ("\tx\xC2\xB5\xF0\x9F\x98\x80\n", tsv.str());
    EXPECT_EQ(rewritten, sheet.Cell(0, 1));
}

TEST(ResultsSheet, ReadsBackWhatWasWrittenAndRefusesCellsOutsideTheSheet)
{
    Host::ResultsSheet sheet;
    EXPECT_EQ(S_OK, sheet.WriteCell(0, 0, TallionSheetRowLimit - 1, 25, L"last", -1));
    EXPECT_EQ(E_INVALIDARG, sheet.WriteCell(0, 0, TallionSheetRowLimit, 0, L"x", -1));
    EXPECT_EQ(E_INVALIDARG, sheet.WriteCell(0, 0, -1, 0, L"x", -1));
    EXPECT_EQ(E_INVALIDARG, sheet.WriteCell(0, 0, 0, Host::ResultsSheet::SheetColumnLimit, L"x", -1));
    BSTR text = nullptr;
    ASSERT_EQ(S_OK, sheet.ReadCell(0, 0, TallionSheetRowLimit - 1, 25, &text));
    EXPECT_STREQ(L"last", text);
    SysFreeString(text);
    ASSERT_EQ(S_OK, sheet.ReadCell(0, 0, 4, 4, &text));
    EXPECT_EQ(nullptr, text);
    sheet.WriteCell(0, 0, TallionSheetRowLimit - 1, 25, L"", -1);
    EXPECT_EQ(L"", sheet.Cell(TallionSheetRowLimit - 1, 25));
    // An emptied cell leaves no row or column behind.
    EXPECT_TRUE(sheet.IsEmpty());
    EXPECT_EQ(0, sheet.ColumnCount());
}

TEST(ResultsSheet, AFailedWriteIsAnError)
{
    Host::ResultsSheet sheet;
    sheet.WriteCell(0, 0, 0, 0, L"x", -1);
    std::ostringstream closed;
    closed.setstate(std::ios::badbit);
    EXPECT_THROW(sheet.SaveTsv(closed), std::runtime_error);
}

// Answers every save dialog with one path (empty: cancelled) and keeps what it was asked.
class ScriptedDialogs : public IHostFileDialogs
{
public:
    explicit ScriptedDialogs(std::wstring answer) : answer_(std::move(answer)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE AskSaveFileName(HWND, const HostSaveFileRequest* request, BSTR* path) override
    {
        title = request->title;
        *path = answer_.empty() ? nullptr : SysAllocString(answer_.c_str());
        return *path ? S_OK : S_FALSE;
    }
    std::wstring title;

private:
    std::wstring answer_;
};

TEST(ResultsSheet, SavedWhereTheSaveDialogSays)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / L"sistra-tallion.tsv";
    const std::wstring unwritable = (std::filesystem::temp_directory_path() / L"no-such-folder" / L"t.tsv").wstring();
    Host::ResultsSheet sheet;
    sheet.WriteCell(0, 0, 1, 0, L"HR", -1);
    const struct
    {
        std::wstring answer;
        bool saved;
        bool fails;
    } cases[] = {{file.wstring(), true, false}, {L"", false, false}, {unwritable, false, true}};
    for (const auto& c : cases)
    {
        std::filesystem::remove(file);
        ScriptedDialogs dialogs(c.answer);
        if (c.fails)
        {
            EXPECT_THROW(Host::SaveResultsSheetAs(sheet, dialogs, nullptr), std::runtime_error);
            continue;
        }
        EXPECT_EQ(c.saved, Host::SaveResultsSheetAs(sheet, dialogs, nullptr));
        EXPECT_EQ(L"Save Tallion", dialogs.title);
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(c.saved ? "HR\n" : "", std::string(std::istreambuf_iterator<char>(in), {}));
    }
    std::filesystem::remove(file);
}

} // namespace
