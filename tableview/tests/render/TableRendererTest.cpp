#include "platform/owl/tests/Screenshot.cpp"
#include "tableview/render/TableRenderer.h"
#include "tableview/tests/FakeTable.h"
#include "tableview/tests/ScreenBitmap.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace
{

using namespace TableView;
using TableViewTests::CountingTable;
using TableViewTests::ScreenBitmap;
using TableViewTests::FakeTable;

class TestGridHooks : public TVF_Grid::PaintHooks
{
public:
    HFONT CellFont() const override { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
    bool IsSelected(int row, int column) const override { return selection.Contains(row, column); }
    TVF_Grid::CellRange selection;
};


struct PaintedPane
{
    PaintedPane(FakeTable& table, int columns, int width, int height) : renderer(hooks)
    {
        renderer.Attach(&table, &table, MainGridWord);
        for (int i = 0; i < columns; ++i)
            layout.Add(std::make_unique<TVF_Grid::GridColumn>(i, Orv::String(L""), 90, nullptr));
        view.clientWidth = width;
        view.clientHeight = height;
    }
    void Paint(TVF_Grid::BackBuffer& buffer, HDC target)
    {
        const RECT all{0, 0, view.clientWidth, view.clientHeight};
        buffer.Paint(target, all, view, layout, renderer, hooks);
    }
    TestGridHooks hooks;
    TableRenderer renderer;
    TVF_Grid::ColumnLayout layout;
    TVF_Grid::PaneView view;
};


std::vector<std::wstring> Titles(int count)
{
    std::vector<std::wstring> titles;
    for (int i = 1; i <= count; ++i)
        titles.push_back(L"P" + std::to_wstring(i));
    return titles;
}

TEST(TableRenderer, AScrolledPaneAsksOnlyForItsVisibleCells)
{
    CountingTable table(1000, Titles(32));
    PaintedPane pane(table, 32, 800, 400);
    pane.view.rowCount = 1000;
    pane.view.topRow = 500;
    pane.view.scrollY = 500 * pane.view.rowHeight;
    pane.view.scrollX = pane.layout.At(10).X();
    ScreenBitmap target(800, 400);
    TVF_Grid::BackBuffer buffer;
    pane.Paint(buffer, target.memory.Get());

    // 800 px show columns 10 to 18 (91 px each); 400 px show rows 500 to 525, and the pass reaches one row
    // further below.
    std::set<ULONG> columns;
    std::set<int> rows;
    for (const auto& [row, column] : table.requested)
    {
        rows.insert(row);
        columns.insert(column);
    }
    EXPECT_EQ(11u, *columns.begin()) << "column index 10 is data column 11";
    EXPECT_EQ(19u, *columns.rbegin());
    EXPECT_EQ(501, *rows.begin());
    EXPECT_LE(*rows.rbegin(), 528);
    EXPECT_EQ(columns.size() * rows.size(), table.requested.size());
    OwlTest::SaveBitmapPng(buffer.Bitmap(), L"tableview-scrolled-1000x32");
}

// A client that names its columns and their units beside its title cells.
class NamedColumnsTable : public FakeTable, public ITableColumnNames
{
public:
    using FakeTable::FakeTable;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_ITableColumnNames) ? static_cast<ITableColumnNames*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetColumnName(ULONG column, Orv::String* name) override
    {
        *name = Orv::String(column == 0 ? L"Pes" : L"Loop count");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColumnUnits(ULONG column, Orv::String* units) override
    {
        *units = Orv::String(column == 0 ? L"mmHg" : L"");
        return S_OK;
    }
};

TEST(TableRenderer, ColumnTitlesComeFromNamesAndUnitsWhenTheClientOffersThem)
{
    TestGridHooks hooks;
    TableRenderer renderer(hooks);
    NamedColumnsTable named(2, Titles(2));
    renderer.Attach(&named, &named, MainGridWord);
    EXPECT_STREQ(L"Pes (mmHg)", renderer.ColumnTitle(0).c_str());
    EXPECT_STREQ(L"Loop count", renderer.ColumnTitle(1).c_str()) << "no brackets without units";

    FakeTable plain(2, Titles(2));
    plain.SetCell(0, 2, L"Not a title", FakeTable::DataFormat);
    renderer.Attach(&plain, &plain, MainGridWord);
    EXPECT_STREQ(L"P1", renderer.ColumnTitle(0).c_str()) << "the title cell of column 1";
    EXPECT_STREQ(L"", renderer.ColumnTitle(1).c_str()) << "a cell without the title format names nothing";
}

TEST(TableRenderer, CellFormatsDecideTheShownText)
{
    TestGridHooks hooks;
    TableRenderer renderer(hooks);
    const ChannelNames names{{2, Orv::String(L"LV Volume")}};
    renderer.SetChannelNames(&names);
    const struct
    {
        const wchar_t* text;
        ULONG format;
        const wchar_t* shown;
    } cases[] = {
        {L"12.5", 0x1000, L"   12.5"},
        {L"12.5", 0x0100, L""},
        {L"2", 0x000A, L"LV Volume"},
        {L"2", 0x0008, L""},
        {L"2", 0x008A, L"<Select Channel>"},
        {L"9", 0x000A, L""},
        {L"-1", 0x000A, L""},
        {L"Loop", 0x0030, L"Loop"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.shown, renderer.DisplayText(Orv::String(c.text), c.format).c_str()) << c.text << c.format;

    FakeTable table(3, Titles(2));
    renderer.Attach(&table, &table, MainGridWord);
    table.SetCell(2, 0, L"Avg", 0x1010);
    std::wostringstream label;
    renderer.WriteRowLabel(2, 1, label);
    EXPECT_EQ(std::wstring(L"   Avg") + L'\0', label.str());
}

// Attaching a client makes a record-data map over its stored rows; its rows are the client's data rows.
TEST(TableRenderer, TheRowsComeThroughARecordDataMapOverTheClientsRows)
{
    TestGridHooks hooks;
    TableRenderer renderer(hooks);
    EXPECT_EQ(nullptr, renderer.PixMap());
    for (const int rows : {0, 7, 3})
    {
        FakeTable table(rows, Titles(2));
        renderer.Attach(&table, &table, MainGridWord);
        ASSERT_NE(nullptr, renderer.PixMap());
        EXPECT_EQ(rows, renderer.DataRowCount());
        ULONG blocks = 0;
        renderer.PixMap()->GetBlockCount(&blocks);
        EXPECT_EQ(1u, blocks);
    }
}

TEST(TableRenderer, AHemodynamicsTableRenders)
{
    std::vector<std::wstring> titles{L"Channel"};
    for (int i = 1; i <= 31; ++i)
        titles.push_back(L"Param " + std::to_wstring(i));
    FakeTable table(50, titles);
    table.SetCell(0, 0, L"Loop", 0x1030);
    for (int row = 1; row <= 50; ++row)
    {
        table.SetCell(row, 0, L"Loop " + std::to_wstring(row), 0x1010);
        table.SetCell(row, 1, row % 5 ? L"1" : L"", row % 5 ? 0x000A : 0x008A);
        table.SetCell(row, 4, L"99.9", 0x5000);
    }
    const ChannelNames names{{1, Orv::String(L"LV Pressure")}};
    PaintedPane pane(table, 32, 640, 480);
    pane.renderer.SetChannelNames(&names);
    pane.view.rowCount = 50;
    pane.hooks.selection = TVF_Grid::CellRange::Cells(3, 6, 2, 4);
    ScreenBitmap target(640, 480);
    TVF_Grid::BackBuffer buffer;
    pane.Paint(buffer, target.memory.Get());
    EXPECT_FALSE(OwlTest::SaveBitmapPng(buffer.Bitmap(), L"tableview-hemodynamics").empty());
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), GetPixel(target.memory.Get(), 170, 2 * 16 + 8))
        << "row 3, data column 2 is selected";
    EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), GetPixel(target.memory.Get(), 90, 5)) << "the grid line right of column 0";
}

} // namespace
