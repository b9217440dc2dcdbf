#include "tableview/window/TableView.h"

#include "foundation/streams/BinaryStream.h"
#include "hostframework/tests/FrameworkTestSupport.h"
#include "platform/owl/tests/Screenshot.h"
#include "platform/owl/gadgets/ButtonGadget.h"
#include "tableview/grid/GridPane.h"
#include "tableview/grid/RowNumbersPane.h"
#include "tableview/grid/SnapGadgetWindow.h"
#include "tableview/manager/TableViewManager.h"
#include "tableview/tests/FakeTable.h"
#include "tableview/tests/GridWindowFixture.h"
#include "tableview/transfer/ResultsSheetAccess.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <functional>

#include <set>
#include <sstream>

namespace
{

using namespace TableView;
using TableViewTests::CountingTable;
using TableViewTests::FakeTable;
using TableViewTests::FakeSheet;

constexpr int Width = 600;
constexpr int Height = 400;

// A client's view holding a table through a manager, the way the hemodynamics view holds one.
struct ClientView
{
    explicit ClientView(ULONG style, int loops = 5,
                        std::vector<std::wstring> titles = {L"HR", L"SV", L"EF", L"Tau"})
        : table(loops, std::move(titles)), frame(nullptr, L"client")
    {
        frame.Attr.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        frame.Attr.X = frame.Attr.Y = 0;
        frame.Attr.W = Width;
        frame.Attr.H = Height;
        frame.Create();
        manager = new TVF_TableViewMgr([this](HWND parent, ITableViewMgrInternal* internal, IUnknown* services,
                                              IMessageHandler* handler) {
            auto made = std::make_unique<TVF_TableView>(parent, internal, services, handler);
            view = made.get();
            return made;
        });
        manager->AddRef();
        EXPECT_EQ(S_OK, manager->CreateTableView(style, frame.GetHandle(), HostAppAccessor::Get(), nullptr, &table,
                                                 &table, &table, nullptr));
        EXPECT_EQ(S_OK, manager->SetViewOptions(0, 0, 0, Width, Height, 60, 100, 100));
        OwlTest::PumpMessages();
    }
    ~ClientView()
    {
        manager->DestroyTableView(0);
        manager->Release();
    }
    RECT GridRect(const OWL::TWindow& grid) const
    {
        RECT rect{};
        GetWindowRect(grid.GetHandle(), &rect);
        MapWindowPoints(nullptr, view->GetHandle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    CountingTable table;
    OWL::TWindow frame;
    TVF_TableViewMgr* manager;
    TVF_TableView* view = nullptr;
};

TEST(TableView, TheSecondGridTakesTheBottomOnlyWhenTheStyleAsksForIt)
{
    const struct
    {
        ULONG style;
        bool second;
    } cases[] = {{0x278, false}, {0x27A, true}};
    for (const auto& c : cases)
    {
        ClientView client(c.style);
        ASSERT_NE(nullptr, client.view);
        EXPECT_EQ(c.second, IsWindowVisible(client.view->SecondGrid().GetHandle()) != FALSE) << c.style;
        const LONG mainBottom = client.GridRect(client.view->MainGrid()).bottom;
        EXPECT_EQ(c.second ? client.GridRect(client.view->SecondGrid()).top : Height, mainBottom) << c.style;
        EXPECT_EQ(4, client.view->MainGrid().ColumnCount()) << "one grid column per data column";
        EXPECT_EQ(5, client.view->MainGrid().RowCount());
        if (c.second)
        {
            client.view->MainGrid().RepaintAll();
            client.view->MainGrid().UpdateWindow();
            OwlTest::PumpMessages();
            OwlTest::SaveWindowPng(client.frame.GetHandle(), L"tableview-window-two-grids");
        }
    }
}

// Above the second grid the main grid's rows end whole at every height, at least one of them, and the
// second grid below it takes the rest of the window: its 100 pixels and what is less than a row, or less
// where the window is too low for both.
TEST(TableView, TheMainGridEndsOnAWholeRowAboveTheSecondGrid)
{
    ClientView client(0x27A, 40);
    const TVF_Grid::EventGridControl& main = client.view->MainGrid();
    const int rowHeight = main.Pane().RowHeight();
    for (const int height : {Height, 357, 250, 181, 143, 100, 70})
    {
        SCOPED_TRACE(height);
        EXPECT_EQ(S_OK, client.manager->SetViewOptions(0, 0, 0, Width, height, 60, 100, 100));
        OwlTest::PumpMessages();
        const RECT pane = client.GridRect(main.Pane());
        EXPECT_EQ(0, (pane.bottom - pane.top) % rowHeight);
        EXPECT_EQ((pane.bottom - pane.top) / rowHeight, main.Pane().PageRows());
        EXPECT_GE(main.Pane().PageRows(), 1);
        const RECT second = client.GridRect(client.view->SecondGrid());
        EXPECT_EQ(client.GridRect(main).bottom, second.top);
        EXPECT_EQ(height, second.bottom);
        EXPECT_GE(second.bottom - second.top, std::min(100, height - main.LeastHeight()));
        EXPECT_LT(second.bottom - second.top, 100 + rowHeight);
    }
}

TEST(TableView, CopyTransferAndWheelWorkOnTheWholeTableOrTheSelection)
{
    ClientView client(0x27A, 3);
    TVF_TableView& view = *client.view;
    auto line = [](int loop) {
        const std::wstring n = std::to_wstring(loop);
        return L"Loop " + n + L"\t" + n + L".1\t" + n + L".2\t" + n + L".3\t" + n + L".4\r\n";
    };
    const std::wstring titles = L"Loop\tHR\tSV\tEF\tTau\r\n";
    const std::wstring whole = titles + line(1) + line(2) + line(3);
    EXPECT_EQ(whole + L"\n" + whole, view.TableText(Orv::String(L"\t"))) << "both whole grids";
    client.manager->SelectRows(MainGridWord, 2, 4);
    EXPECT_EQ(titles + line(2) + line(3), view.TableText(Orv::String(L"\t"))) << "rows 2 and 3 of the main grid";
    client.manager->SelectRows(MainGridWord, 0, 0);

    const Orv::ComPtr<IVyrStandIn> standIn = TestSupport::StandIn();
    standIn->RegisterHostObject(&ResultsSheetGuid, nullptr);
    EXPECT_EQ(E_NO_RESULTS_SHEET, client.manager->AddToTallion(0)) << "no sheet is an error, not S_FALSE";
    class Sheet : public FakeSheet
    {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
        {
            *out = static_cast<ITallionSheet*>(this);
            return S_OK;
        }
    } sheet;
    standIn->RegisterHostObject(&ResultsSheetGuid, &sheet);
    EXPECT_EQ(S_OK, client.manager->AddToTallion(0));
    standIn->RegisterHostObject(&ResultsSheetGuid, nullptr);
    EXPECT_EQ(L"Loop", sheet.At(1, 0));
    EXPECT_EQ(L"3.4", sheet.At(4, 4));
    EXPECT_EQ(L"Loop", sheet.At(6, 0)) << "the summary one empty row below";

    const struct
    {
        int delta;
        int topRow;
    } wheel[] = {{-120, 1}, {60, 1}, {120, 0}};
    ClientView tall(0x278, 200);
    for (const auto& w : wheel)
    {
        tall.view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(w.delta)), 0);
        EXPECT_EQ(w.topRow, tall.view->MainGrid().Pane().TopRow()) << w.delta;
    }
}

TEST(TableView, AColumnMovedAndResizedInTheGridSurvivesSaveAndLoad)
{
    std::stringbuf saved(std::ios::in | std::ios::out | std::ios::binary);
    {
        ClientView client(0x27A);
        client.view->MainGrid().OnColumnNotify(4, 1, 1, 1);  // Tau dropped on HR
        client.view->MainGrid().OnColumnWidthChanged(1, 1, 140);
        Orv::BinOStream out(&saved);
        ASSERT_EQ(S_OK, client.manager->SaveColumnState(&out));
    }
    ClientView restored(0x27A);
    Orv::BinIStream in(&saved);
    ASSERT_EQ(S_OK, restored.manager->LoadColumnState(&in));
    ASSERT_EQ(S_OK, restored.manager->UpdateColumnCount(0));
    Orv::String title;
    restored.manager->GetCellText(MainGridWord, 0, 1, &title);
    EXPECT_STREQ(L"Tau", title.c_str());
    EXPECT_EQ(140, restored.view->MainGrid().Pane().Column(0).Width());
    EXPECT_EQ(L"Tau", std::wstring(restored.view->MainGrid().Pane().Column(0).Title().c_str()));
}

// What one print of the table gave the host's printer: its pages, and the data rows and row labels
// that were asked for while printing.
struct PrintJob
{
    ULONG pages = 0;
    std::wstring title;
    std::set<int> rows;
    std::set<int> labels;
};

PrintJob PrintTable(ClientView& client, ULONG& jobs)
{
    client.table.requested.clear();
    client.view->Print(false);
    PrintJob job;
    BSTR title = nullptr;
    EXPECT_EQ(S_OK, TestSupport::StandIn()->GetPrintJob(jobs++, &title, &job.pages));
    job.title = title ? title : L"";
    SysFreeString(title);
    for (const auto& [row, column] : client.table.requested)
        (column == 0 ? job.labels : job.rows).insert(row);
    return job;
}

std::set<int> Range(int first, int end)
{
    std::set<int> rows;
    for (int row = first; row < end; ++row)
        rows.insert(row);
    return rows;
}

TEST(TableView, PrintingPrintsTheSelectedRowsOrTheWholeTableAcrossAndDownPages)
{
    ULONG jobs = TestSupport::PrintJobCount();
    ClientView client(0x278, 120, TableViewTests::Titles(31));
    const PrintJob whole = PrintTable(client, jobs);
    EXPECT_EQ(L"Hemodynamics Table", whole.title);
    EXPECT_EQ(Range(1, 121), whole.rows) << "every loop";
    EXPECT_EQ(Range(1, 121), whole.labels);

    client.manager->SelectRows(MainGridWord, 5, 9);
    const PrintJob selected = PrintTable(client, jobs);
    EXPECT_EQ(Range(5, 9), selected.rows) << "the selected loops only";
    EXPECT_EQ(Range(5, 9), selected.labels) << "labelled as themselves";
    // 31 columns of 90 pixels need several bands across: five loops' bands stack on one page, while 120
    // rows need several pages down each band.
    EXPECT_EQ(1u, selected.pages);
    EXPECT_GT(whole.pages, 2u);

    HBITMAP page = nullptr;
    ASSERT_EQ(S_OK, TestSupport::StandIn()->CopyPrintedPage(0, &page));
    OwlTest::SaveBitmapPng(page, L"tableview-printed-selection");
    DeleteObject(page);

    client.manager->SetStyle(0x278 | TableStyle::PrintWholeTables);
    EXPECT_EQ(Range(1, 121), PrintTable(client, jobs).rows) << "the style asks for the whole table";
}

} // namespace

namespace
{

// The follow-latest strip is asked for by the style after the grids' windows exist, as a client makes
// its table; the manager's state shows on the toggle, and a row to keep in view is ignored while it is on.
TEST(TableView, TheFollowLatestStyleShowsThePressedStripUnderTheMainGridsBar)
{
    ClientView client(0x278, 40);
    TVF_Grid::EventGridControl& grid = client.view->MainGrid();
    TVF_Grid::SnapGadgetWindowBase* strip = grid.SnapGadgets();
    ASSERT_NE(nullptr, strip);
    EXPECT_TRUE(IsWindowVisible(strip->GetHandle()));
    EXPECT_EQ(nullptr, client.view->SecondGrid().SnapGadgets());
    auto* toggle = dynamic_cast<OWL::TButtonGadget*>(strip->GadgetWithId(TVF_Grid::SnapGadgetWindowBase::ToggleCommand));
    ASSERT_NE(nullptr, toggle);
    for (const VARIANT_BOOL follow : {VARIANT_TRUE, VARIANT_FALSE})
    {
        ASSERT_EQ(S_OK, client.manager->SetFollowLatest(follow));
        EXPECT_EQ(follow ? OWL::TButtonGadget::Down : OWL::TButtonGadget::Up, toggle->GetButtonState());
        grid.ScrollToRow({1, 1});
        client.manager->EnsureRowVisible(MainGridWord, -1);
        EXPECT_EQ(follow ? 0 : grid.RowCount() - grid.Pane().PageRows(), grid.Pane().TopRow());
    }
    client.manager->SetFollowLatest(VARIANT_TRUE);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(client.frame.GetHandle(), L"tableview-window-follow-latest");
}

// Observers of the table window hear the grids' width changes and column moves again.
TEST(TableView, TheWindowReannouncesWidthChangesAndColumnMoves)
{
    struct Listener : IObserver
    {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
        {
            *object = this;
            return S_OK;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject*) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE Notify(ISubject*, ULONG eventId, ULONG_PTR, void*) override
        {
            heard.push_back(eventId);
            return S_OK;
        }
        std::vector<ULONG> heard;
    } listener;
    ClientView client(0x268);  // columns do not move
    ASSERT_EQ(S_OK, static_cast<ISubject*>(client.view)->AddObserver(&listener));
    client.view->MainGrid().OnColumnWidthChanged(1, 1, 140);
    client.view->MainGrid().OnColumnNotify(4, 1, 1, 1);
    EXPECT_EQ((std::vector<ULONG>{TVF_Grid::GridEvent::ColumnWidthChanged, TVF_Grid::GridEvent::ColumnNotify}),
              listener.heard);
    Orv::String title;
    client.manager->GetCellText(MainGridWord, 0, 1, &title);
    EXPECT_STREQ(L"HR", title.c_str()) << "the move is announced, not made";
    static_cast<ISubject*>(client.view)->RemoveObserver(&listener);
}

// Every programmatic selection, new or the same again, reaches the client exactly once.
TEST(TableView, SelectRowsAndSelectCellsReportEachRequestOnce)
{
    ClientView client(0x278, 5);
    const std::function<void()> requests[] = {
        [&] { client.manager->SelectRows(MainGridWord, 2, 4); },
        [&] { client.manager->SelectRows(MainGridWord, 2, 4); },
        [&] { client.manager->SelectCells(MainGridWord, 2, 1, 3); },
        [&] { client.manager->SelectCells(MainGridWord, 2, 1, 3); },
    };
    for (size_t i = 0; i < std::size(requests); ++i)
    {
        const size_t before = client.table.selections.size();
        requests[i]();
        EXPECT_EQ(before + 1, client.table.selections.size()) << i;
    }
}

// A key pressed while any of the table's windows has the focus reaches the main grid; with Ctrl held it
// is left to the host's accelerators.
TEST(TableView, KeysReachTheMainGridFromEveryWindowOfTheTableButCtrlCombinations)
{
    ClientView client(0x278, 5);
    TVF_Grid::EventGridControl& grid = client.view->MainGrid();
    client.manager->SelectRows(MainGridWord, 2, 3);
    const int selected = grid.Selection().Range().firstRow.index;
    MSG down{grid.RowNumbers().GetHandle(), WM_KEYDOWN, VK_DOWN, 1};
    EXPECT_TRUE(client.view->PreProcessMsg(down));
    EXPECT_EQ(selected + 1, grid.Selection().Range().firstRow.index) << "one row down";
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_FALSE(client.view->PreProcessMsg(down));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(selected + 1, grid.Selection().Range().firstRow.index);
}

} // namespace
