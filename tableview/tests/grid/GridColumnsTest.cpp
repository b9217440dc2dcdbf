#include "tableview/grid/EditorKeys.h"
#include "tableview/grid/GridColumns.h"

#include <gtest/gtest.h>

namespace
{

using TVF_Grid::ColumnLayout;
using TVF_Grid::GridColumn;

ColumnLayout Columns(std::initializer_list<int> widths)
{
    ColumnLayout layout;
    int id = 0;
    for (int width : widths)
        layout.Add(std::make_unique<GridColumn>(id++, Orv::String(L"T"), width, nullptr));
    return layout;
}

std::vector<int> Xs(const ColumnLayout& layout)
{
    std::vector<int> xs;
    for (int i = 0; i < layout.Count(); ++i)
        xs.push_back(layout.At(i).X());
    return xs;
}

std::vector<int> Widths(const ColumnLayout& layout)
{
    std::vector<int> widths;
    for (int i = 0; i < layout.Count(); ++i)
        widths.push_back(layout.At(i).Width());
    return widths;
}

TEST(GridColumns, AMeasuredColumnIsItsTitlePlusTen)
{
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const Orv::String title(L"ESP (mmHg)");
    const GridColumn measured(0, title, GridColumn::MeasureWidth, font);
    EXPECT_GT(TVF_Grid::TextExtent(title, font), 20);
    EXPECT_EQ(TVF_Grid::TextExtent(title, font) + 10, measured.Width());
    EXPECT_EQ(5, measured.MinWidth());
}

TEST(GridColumns, ColumnsSitSideBySideWithOnePixelForTheGridLine)
{
    const ColumnLayout layout = Columns({100, 50, 80});
    EXPECT_EQ((std::vector<int>{0, 101, 152}), Xs(layout));
    EXPECT_EQ(233, layout.TotalWidth());
    const struct
    {
        int x;
        int column;
    } hits[] = {{0, 0}, {100, 0}, {101, 1}, {151, 1}, {152, 2}, {5000, 2}};
    for (const auto& hit : hits)
        EXPECT_EQ(hit.column, layout.ColumnAt(hit.x)) << hit.x;
    EXPECT_EQ(-1, Columns({}).ColumnAt(0));
}

TEST(GridColumns, ResizingGrowsShrinksAndPushesBelowTheMinimumToTheLeft)
{
    const struct
    {
        const char* name;
        int column;
        int right;
        std::vector<int> widths;
        std::vector<int> xs;
    } cases[] = {
        {"grow the middle", 1, 200, {100, 99, 80}, {0, 101, 201}},
        {"shrink the middle", 1, 130, {100, 29, 80}, {0, 101, 131}},
        {"shrink below 5 px", 1, 103, {98, 5, 80}, {0, 99, 105}},
        {"shrink past the left edge keeps every minimum", 1, 3, {5, 5, 80}, {0, 6, 12}},
    };
    for (const auto& c : cases)
    {
        ColumnLayout layout = Columns({100, 50, 80});
        layout.Resize(c.column, c.right);
        EXPECT_EQ(c.widths, Widths(layout)) << c.name;
        EXPECT_EQ(c.xs, Xs(layout)) << c.name;
    }
}

TEST(GridColumns, AFixedColumnPassesTheResizeToTheResizableOneBeforeIt)
{
    ColumnLayout layout = Columns({100, 50, 80});
    layout.At(1).SetResizable(false);
    layout.Resize(1, 180);
    EXPECT_EQ((std::vector<int>{130, 50, 80}), Widths(layout));
    EXPECT_EQ((std::vector<int>{0, 131, 182}), Xs(layout));
    EXPECT_EQ(0, layout.DirtyLeft());
}

TEST(GridColumns, PagesOfColumnsInAClientWidth)
{
    const ColumnLayout layout = Columns({100, 100, 100, 100, 100});
    EXPECT_EQ(2, layout.VisibleCount(0, 250));
    EXPECT_EQ(1, layout.VisibleCount(0, 50)) << "column 0 always counts";
    EXPECT_EQ(0, layout.VisibleCount(1, 50));
    EXPECT_EQ(202, layout.VisibleExtent(1, 250));
    EXPECT_EQ(3, layout.FirstOfLastPage(250));
    EXPECT_EQ(0, layout.FirstOfLastPage(1000));
    EXPECT_EQ(4, layout.FirstOfLastPage(60));
    EXPECT_EQ(303, layout.WidthFrom(2));
}

TEST(EditorKeys, TypedKeysStartTheEditorWithTheirCharacter)
{
    const struct
    {
        UINT key;
        std::optional<wchar_t> character;
    } keys[] = {{'A', L'a'},          {'Z', L'z'},           {'7', L'7'},          {VK_NUMPAD5, L'5'},
                {VK_SPACE, L' '},     {VK_SUBTRACT, L'-'},   {VK_OEM_MINUS, L'-'}, {VK_OEM_COMMA, L','},
                {VK_OEM_PERIOD, L'.'}, {VK_DECIMAL, L'.'},   {VK_F2, std::nullopt}, {VK_RETURN, std::nullopt}};
    for (const auto& k : keys)
        EXPECT_EQ(k.character, TVF_Grid::EditorStartCharacter(k.key)) << k.key;
}

} // namespace
