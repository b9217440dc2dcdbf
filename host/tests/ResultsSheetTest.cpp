#include "host/app/ResultsSheet.h"

#include <gtest/gtest.h>

#include <oleauto.h>

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

TEST(ResultsSheet, ReadsBackWhatWasWrittenAndRefusesCellsOutsideTheSheet)
{
    Host::ResultsSheet sheet;
    EXPECT_EQ(S_OK, sheet.WriteCell(0, 0, TallionSheetRowLimit - 1, 25, L"last", -1));
    EXPECT_EQ(E_INVALIDARG, sheet.WriteCell(0, 0, TallionSheetRowLimit, 0, L"x", -1));
    EXPECT_EQ(E_INVALIDARG, sheet.WriteCell(0, 0, -1, 0, L"x", -1));
    BSTR text = nullptr;
    ASSERT_EQ(S_OK, sheet.ReadCell(0, 0, TallionSheetRowLimit - 1, 25, &text));
    EXPECT_STREQ(L"last", text);
    SysFreeString(text);
    ASSERT_EQ(S_OK, sheet.ReadCell(0, 0, 4, 4, &text));
    EXPECT_EQ(nullptr, text);
    sheet.WriteCell(0, 0, TallionSheetRowLimit - 1, 25, L"", -1);
    EXPECT_EQ(L"", sheet.Cell(TallionSheetRowLimit - 1, 25));
}

TEST(ResultsSheet, AFailedWriteIsAnError)
{
    Host::ResultsSheet sheet;
    sheet.WriteCell(0, 0, 0, 0, L"x", -1);
    std::ostringstream closed;
    closed.setstate(std::ios::badbit);
    EXPECT_THROW(sheet.SaveTsv(closed), std::runtime_error);
}

} // namespace
