#include "tableview/manager/TableViewManager.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/streams/BinaryStream.h"
#include "tableview/tests/FakeTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using namespace TableView;
using TableViewTests::FakeTable;

// A client whose column count (row titles included) the test changes.
class ResizableTable : public FakeTable
{
public:
    ResizableTable() : FakeTable(3, {L"HR", L"SV", L"EF"}) {}
    HRESULT STDMETHODCALLTYPE GetColumnCount(ULONG, ULONG* count) override
    {
        *count = columns;
        return S_OK;
    }
    ULONG columns = 4;
};

// Records what the manager asks of its window.
class RecordingWindow : public TableWindow
{
public:
    explicit RecordingWindow(std::vector<std::string>& log) : m_log(log) {}
    HRESULT Setup(ULONG style, IUnknown*, ITableDataManager*, ITableStoredRowInfo*, ITableUserActionHandler*,
                  IListGenerator*) override
    {
        return Log("setup " + std::to_string(style));
    }
    HRESULT Layout(const ViewOptions& options) override { return Log("layout " + std::to_string(options.width)); }
    HRESULT Refresh(ULONG count) override { return Log("refresh " + std::to_string(count)); }
    void Cleanup() override { Log("cleanup"); }
    void SetStyle(ULONG style) override { Log("style " + std::to_string(style)); }
    void RefreshCell(int row, ULONG column) override { Log(Cell("cell", row, column)); }
    void SelectRows(ULONG, int first, int end) override { Log(Cell("rows", first, static_cast<ULONG>(end))); }
    void SelectCells(ULONG, ULONG column, int first, int) override { Log(Cell("cells", first, column)); }
    void EnsureRowVisible(ULONG, int row) override { Log("show " + std::to_string(row)); }
    void SetFollowLatest(bool follow) override { Log(follow ? "follow" : "stay"); }
    HRESULT AddToTallion() override { return tallionAnswer; }
    HRESULT ExportCsv(const wchar_t*) override { return Log("export"); }
    HRESULT tallionAnswer = S_OK;

private:
    HRESULT Log(const std::string& entry)
    {
        m_log.push_back(entry);
        return S_OK;
    }
    static std::string Cell(const char* what, int row, ULONG column)
    {
        return std::string(what) + " " + std::to_string(row) + "," + std::to_string(column);
    }
    std::vector<std::string>& m_log;
};

struct Manager
{
    Manager()
        : manager(new TVF_TableViewMgr([this](HWND, ITableViewMgrInternal*, IUnknown*, IMessageHandler*) {
              auto made = std::make_unique<RecordingWindow>(log);
              window = made.get();
              return made;
          }))
    {
        manager->AddRef();
    }
    ~Manager() { manager->Release(); }
    HRESULT Create(IUnknown* frameServices = nullptr)
    {
        return manager->CreateTableView(0x278, GetDesktopWindow(), frameServices, nullptr, &table, &table, &table,
                                        nullptr);
    }
    std::vector<ULONG> Order() { return static_cast<ManagerClientFaces*>(manager)->Columns().Order(); }
    HRESULT Load(const std::vector<ULONG>& words)
    {
        std::string bytes;
        for (ULONG word : words)
            bytes.append(reinterpret_cast<const char*>(&word), 4);
        std::stringbuf buffer(bytes, std::ios::in | std::ios::binary);
        Orv::BinIStream stream(&buffer);
        return manager->LoadColumnState(&stream);
    }
    ResizableTable table;
    std::vector<std::string> log;
    RecordingWindow* window = nullptr;
    TVF_TableViewMgr* manager;
};

TEST(TableViewManager, EveryWindowOperationFailsWithoutAWindow)
{
    Manager m;
    ITableViewManager& manager = *m.manager;
    const std::function<HRESULT()> operations[] = {
        [&] { return manager.SetViewOptions(0, 0, 0, 400, 300, 60, 100, 100); },
        [&] { return manager.UpdateColumnCount(0); },
        [&] { return manager.RefreshCell(0, 1, 1); },
        [&] { return manager.SelectRows(MainGridWord, 1, 3); },
        [&] { return manager.SelectCells(MainGridWord, 1, 1, 3); },
        [&] { return manager.SetStyle(0x27A); },
        [&] { return manager.AddToTallion(0); },
        [&] { return manager.EnsureRowVisible(MainGridWord, 2); },
        [&] { return manager.SetFollowLatest(VARIANT_TRUE); },
        [&] { return manager.ExportCsv(0, L"t.csv"); },
        [&] { return manager.CreateTableView(0, nullptr, nullptr, nullptr, &m.table, &m.table, nullptr, nullptr); },
    };
    for (std::size_t i = 0; i < std::size(operations); ++i)
        EXPECT_EQ(E_FAIL, operations[i]()) << "operation " << i;
    EXPECT_EQ(S_OK, manager.DestroyTableView(0));
    EXPECT_TRUE(m.log.empty());
}

TEST(TableViewManager, MinimiseAndRestoreKeepTheUsersColumns)
{
    Manager m;
    ASSERT_EQ(S_OK, m.Create());
    m.manager->MoveColumn(0, 3, 1);
    m.manager->SetColumnWidth(0, 1, 150);
    const struct
    {
        int width, height, defaultWidth;
        bool laidOut;
        std::vector<ULONG> order;
    } resizes[] = {
        {0, 0, 0, false, {0, 3, 1, 2}},        // minimised
        {400, 300, 100, true, {0, 3, 1, 2}},   // restored: the default width did not change
        {400, 300, 80, true, {0, 1, 2, 3}},    // a new default width starts again
    };
    for (const auto& r : resizes)
    {
        m.log.clear();
        EXPECT_EQ(S_OK, m.manager->SetViewOptions(0, 0, 0, r.width, r.height, 60, r.defaultWidth, 100));
        EXPECT_EQ(r.laidOut, !m.log.empty()) << r.defaultWidth;
        EXPECT_EQ(r.order, m.Order()) << r.defaultWidth;
    }
}

TEST(TableViewManager, ALoadedStateSurvivesCreationOnlyWhenItFitsTheClient)
{
    const struct
    {
        ULONG clientColumns;
        std::vector<ULONG> order;
    } cases[] = {{4, {2, 0, 3, 1}}, {5, {0, 1, 2, 3, 4}}};
    for (const auto& c : cases)
    {
        Manager m;
        ASSERT_EQ(S_OK, m.Load({2, 4, 2, 0, 3, 1, 110, 120, 130, 140, 1337}));
        m.table.columns = c.clientColumns;
        ASSERT_EQ(S_OK, m.Create());
        EXPECT_EQ(c.order, m.Order()) << c.clientColumns;
    }
}

TEST(TableViewManager, GrowingColumnsKeepTheOrderAndShrinkingStartsAgain)
{
    Manager m;
    ASSERT_EQ(S_OK, m.Create());
    m.manager->MoveColumn(0, 3, 1);
    m.table.columns = 6;
    EXPECT_EQ(S_OK, m.manager->UpdateColumnCount(0));
    EXPECT_EQ((std::vector<ULONG>{0, 3, 1, 2, 4, 5}), m.Order());
    m.table.columns = 3;
    EXPECT_EQ(S_OK, m.manager->UpdateColumnCount(0));
    EXPECT_EQ((std::vector<ULONG>{0, 1, 2}), m.Order());
    EXPECT_EQ((std::vector<std::string>{"refresh 6", "refresh 3"}),
              (std::vector<std::string>(m.log.end() - 2, m.log.end())));
}

TEST(TableViewManager, StoredColumnsReachTheWindowAsDisplayColumns)
{
    Manager m;
    ASSERT_EQ(S_OK, m.Create(reinterpret_cast<IUnknown*>(&m.table)));
    m.manager->MoveColumn(0, 3, 1);  // display order 0, 3, 1, 2
    m.log.clear();
    m.manager->RefreshCell(0, 2, 3);
    m.manager->SelectCells(MainGridWord, 2, 4, 6);
    m.manager->RefreshCell(0, 2, 9);
    m.manager->SetFollowLatest(VARIANT_TRUE);
    m.manager->EnsureRowVisible(MainGridWord, 7);
    m.manager->SetFollowLatest(VARIANT_FALSE);
    m.manager->EnsureRowVisible(MainGridWord, 7);
    EXPECT_EQ((std::vector<std::string>{"cell 2,1", "cells 4,3", "cell 2,0", "follow", "stay", "show 7"}), m.log);
}

TEST(TableViewManager, FailuresOfTheWindowAndTheStreamAreReported)
{
    Manager m;
    EXPECT_EQ(Orv::E_ORV_NEWER_VERSION, m.Load({3, 0, 1337}));
    EXPECT_EQ(E_FAIL, m.Load({2, 2, 0, 0, 110, 110, 1337}));
    ASSERT_EQ(S_OK, m.Create(reinterpret_cast<IUnknown*>(&m.table)));
    EXPECT_EQ("setup 632", m.log.front());
    m.window->tallionAnswer = E_NOINTERFACE;
    EXPECT_EQ(E_NOINTERFACE, m.manager->AddToTallion(0));
    EXPECT_EQ(S_OK, m.manager->DestroyTableView(0));
    EXPECT_EQ("cleanup", m.log.back());
    EXPECT_EQ(E_FAIL, m.manager->AddToTallion(0));
}

} // namespace
