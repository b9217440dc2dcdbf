#include "tableview/manager/ManagerClientFaces.h"
#include "tableview/tests/FakeTable.h"

#include <gtest/gtest.h>

namespace
{

using namespace TableView;
using TableViewTests::FakeTable;

struct Faces
{
    explicit Faces(FakeTable& table) : faces(new ManagerClientFaces)
    {
        faces->AddRef();
        faces->SetClient(&table, &table);
        faces->Columns().Reset(table.ColumnCount());
    }
    ~Faces() { faces->Release(); }
    ManagerClientFaces* faces;
};

TEST(ManagerClientFaces, DisplayColumnsReachTheClientAsStoredColumns)
{
    FakeTable table(4, {L"HR", L"SV", L"EF"});
    Faces m(table);
    m.faces->MoveColumn(0, 3, 1);  // display order 0, 3, 1, 2
    Orv::String text;
    m.faces->GetCellText(MainGridWord, 2, 1, &text);
    EXPECT_STREQ(L"2.3", text.c_str());
    m.faces->OnCellClicked(MainGridWord | ClickKindDoubleClick, 0, 1);
    m.faces->OnCellEdited(MainGridWord, 2, 2, Orv::String(L"7"));
    const SelectedColumn selected[] = {{1, 2, 4}, {2, 2, 4}};
    m.faces->OnSelectionChanged(MainGridWord, selected, 2);
    ASSERT_EQ(1u, table.clicks.size());
    EXPECT_EQ(3u, table.clicks[0].column);
    EXPECT_EQ(1u, table.edits[0].column);
    ASSERT_EQ(1u, table.selections.size());
    EXPECT_EQ(3u, table.selections[0].columns[0].column);
    EXPECT_EQ(1u, table.selections[0].columns[1].column);

    TableCell cell{};
    m.faces->ToStoredCell(0, 5, 1, &cell);
    EXPECT_EQ(3u, cell.column);
    EXPECT_EQ(5, cell.row);
    m.faces->ToDisplayCell(0, 5, 3, &cell);
    EXPECT_EQ(1u, cell.column);
    m.faces->ToDisplayCell(0, 5, 9, &cell);
    EXPECT_EQ(0, cell.row);
    EXPECT_EQ(0u, cell.column);
}

TEST(ManagerClientFaces, WithoutDataColumnsTheFacesAnswerThemselves)
{
    FakeTable table(4, {});
    Faces m(table);
    Orv::String text(L"stale");
    ULONG format = 0;
    int width = 0;
    EXPECT_EQ(S_OK, m.faces->GetCellText(MainGridWord, 1, 0, &text));
    EXPECT_TRUE(text.IsEmpty());
    m.faces->GetCellFormat(MainGridWord, 1, 0, &format);
    EXPECT_EQ(1u, format);
    m.faces->GetColumnWidth(0, 0, &width);
    EXPECT_EQ(100, width);
    m.faces->OnCellClicked(MainGridWord, 1, 0);
    EXPECT_TRUE(table.clicks.empty());
}

TEST(ManagerClientFaces, AnswersEveryFaceThroughQueryInterface)
{
    FakeTable table(1, {L"HR"});
    Faces m(table);
    for (const IID& iid : {IID_ITableDataManager, IID_ITableUserActionHandler, IID_ITableViewMgrInternal,
                           IID_ITableViewManagerMac})
    {
        IUnknown* face = nullptr;
        EXPECT_EQ(S_OK, static_cast<ITableDataManager*>(m.faces)->QueryInterface(iid, reinterpret_cast<void**>(&face)));
        ASSERT_NE(nullptr, face);
        face->Release();
    }
    void* none = nullptr;
    EXPECT_EQ(E_NOINTERFACE, static_cast<ITableDataManager*>(m.faces)->QueryInterface(IID_ITableStoredRowInfo, &none));
}

} // namespace
