#include "views/HemodynamicsTableView.h"

#include "document/analysis/SistraData.h"
#include "document/table/HemodynamicsTableData.h"
#include "document/tests/analysis/FakeAnalysisOwner.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using TableView::SelectedColumn;

// A selection report passes on a loop only when every reported column spans that one loop row.
TEST(HemodynamicsTableSelection, OnlyOneWholeLoopRowNamesALoop)
{
    const struct
    {
        const char* name;
        std::vector<SelectedColumn> cells;
        std::optional<int> row;
    } cases[] = {
        {"one row over every column", {{0, 3, 4}, {1, 3, 4}, {2, 3, 4}}, 3},
        {"one cell", {{2, 1, 2}}, 1},
        {"several rows", {{0, 3, 5}, {1, 3, 5}}, std::nullopt},
        {"columns on different rows", {{0, 3, 4}, {1, 4, 5}}, std::nullopt},
        {"the title row", {{0, 0, 1}}, std::nullopt},
        {"nothing", {}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.row, Sistra::SingleSelectedLoopRow(c.cells.data(), static_cast<ULONG>(c.cells.size()))) << c.name;
}

// One column's figures change that column alone; "apply to all" changes every column shown, also those
// that were never formatted before.
TEST(HemodynamicsTableFormat, AColumnOrEveryShownColumnTakesTheChosenFigures)
{
    const struct
    {
        bool applyToAll;
        std::vector<int32_t> digits; // of parameters 7, 12 and 14 afterwards
    } cases[] = {
        {false, {6, 2, 4}},
        {true, {2, 2, 4}},
    };
    for (const auto& c : cases)
    {
        DocumentTesting::FakeOwner owner;
        owner.settings.tableParameters = {0, 7, 12};
        Orv::ComPtr<Sistra::SistraData> analysis(new Sistra::SistraData(owner));
        Orv::ComPtr<Sistra::SistraHemodynamicsTableViewData> table(
            new Sistra::SistraHemodynamicsTableViewData(*analysis.Get()));
        ULONG columns = 0;
        table->GetColumnCount(0, &columns);
        table->GetRowFormat(7).digits = 6;
        Sistra::ApplyColumnFormat(*table.Get(), 12, {2, c.applyToAll});
        EXPECT_EQ(c.digits, (std::vector<int32_t>{table->GetRowFormat(7).digits, table->GetRowFormat(12).digits,
                                                  table->GetRowFormat(14).digits}))
            << c.applyToAll;
    }
}

} // namespace
