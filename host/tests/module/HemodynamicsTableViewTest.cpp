// The hemodynamics table view over an analysed document: its buttons under the table, the loop it
// selects in step with the other views, its export and its options in the table's model.
#include "host/tests/module/DocumentOnHost.h"
#include "host/tests/module/HostedView.h"
#include "testsupport/VyrTestSupport.h"
#include "hostframework/tests/FrameworkTestSupport.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "document/models/workflow/Workflow.h"
#include "resources/ResourceIds.h"

#include "platform/owl/controls/Control.h"
#include "platform/owl/tests/Screenshot.h"
#include "platform/owl/gadgets/ButtonGadget.h"
#include "tableview/grid/GridPane.h"
#include "tableview/grid/SnapGadgetWindow.h"
#include "tableview/manager/TableViewManager.h"
#include "tableview/window/TableView.h"
#include "views/HemodynamicsTableView.h"
#include "hostframework/views/DocViewClass.h"
#include "hostframework/messaging/SistraIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace
{

using HostTests::DocumentOnHost;
namespace PropertyId = Sistra::PropertyId;
using Sistra::PropertyType;
using Sistra::SistraHemodynamicsTableView;
using TableView::MainGridWord;
using TableView::SecondGridWord;

constexpr int ButtonIds[] = {SistraHemodynamicsTableView::HelpButtonId, SistraHemodynamicsTableView::ExportButtonId,
                             SistraHemodynamicsTableView::OptionsButtonId,
                             SistraHemodynamicsTableView::TallionButtonId};

class HemodynamicsTableViewOnHost : public testing::Test
{
protected:
    static void SetUpTestSuite() { recording = std::make_unique<Host::Recording>(HostTests::SteadyVentricle(8000)); }
    static void TearDownTestSuite() { recording.reset(); }

    void SetUp() override
    {
        document->Send(Sistra::AutomationMessage::AnalyzeSistraNow);
        ASSERT_GT(Doc().Data().GetLoopCount(), 4u);
        frame.Attr.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        frame.Attr.W = 800;
        frame.Attr.H = 500;
        frame.Create();
        view = new SistraHemodynamicsTableView(&frame, nullptr, nullptr, Doc().Outer(), nullptr, nullptr);
        view->Create();
        Resize(750, 400);
    }

    Sistra::SistraDocument& Doc() { return document->Document(); }
    Sistra::ModelPtr SetupModel() { return Doc().GetSetupModel(); }
    ITableViewManager& Manager() { return *Doc().GetTableViewManager(); }
    void Resize(int width, int height)
    {
        view->MoveWindow(OWL::TRect(0, 0, width, height), true);
        OwlTest::PumpMessages();
    }
    RECT ChildRect(HWND child)
    {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, view->GetHandle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    // The framework's table: the view's one child that is not a button.
    HWND Table()
    {
        for (HWND child = GetWindow(view->GetHandle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (std::find(std::begin(ButtonIds), std::end(ButtonIds), GetDlgCtrlID(child)) == std::end(ButtonIds))
                return child;
        return nullptr;
    }
    int32_t SelectedLoop() { return SetupModel()->GetValue<PropertyType::Int>(PropertyId::SelectedLoop); }
    void SelectLoop(int32_t loop)
    {
        SetupModel()->SetValue<PropertyType::Int>(PropertyId::SelectedLoop, loop);
        SetupModel()->CommitChanges();
    }

    static inline std::unique_ptr<Host::Recording> recording;
    std::unique_ptr<DocumentOnHost> document = std::make_unique<DocumentOnHost>(*recording, false, false);
    OWL::TWindow frame{nullptr, L"hemodynamics table frame"};
    SistraHemodynamicsTableView* view = nullptr;  // a child of the frame, which deletes it
};

// The buttons sit in one row under the table at every size, none over another, and each shows its whole
// text; a minimised view leaves them where they are.
TEST_F(HemodynamicsTableViewOnHost, TheButtonsSitUnderTheTableWithTheirWholeTexts)
{
    for (const auto& [width, height] : {std::pair{750, 400}, std::pair{420, 260}})
    {
        SCOPED_TRACE(width);
        Resize(width, height);
        const RECT table = ChildRect(Table());
        EXPECT_EQ(width, table.right - table.left);
        LONG previousRight = 0;
        for (int id : ButtonIds)
        {
            HWND button = GetDlgItem(view->GetHandle(), id);
            const RECT place = ChildRect(button);
            EXPECT_GE(place.top, table.bottom) << id;
            EXPECT_LE(place.bottom, height) << id;
            EXPECT_GT(place.left, previousRight) << id;
            previousRight = place.right;
            wchar_t text[64] = {};
            GetWindowTextW(button, text, 64);
            HDC dc = GetDC(button);
            const HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
            SIZE extent{};
            GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
            SelectObject(dc, font);
            ReleaseDC(button, dc);
            EXPECT_LT(extent.cx, place.right - place.left - 4) << std::wstring(text);
        }
        if (width == 750)
            OwlTest::SaveWindowPng(view->GetHandle(), L"hemodynamics_table_view");
    }
    const RECT before = ChildRect(GetDlgItem(view->GetHandle(), SistraHemodynamicsTableView::TallionButtonId));
    Resize(0, 0);
    const RECT after = ChildRect(GetDlgItem(view->GetHandle(), SistraHemodynamicsTableView::TallionButtonId));
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.left, after.left);

    Resize(750, 400);
    Doc().GetModel(Sistra::ModelKind::HemoTable)->SetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane, true);
    view->DataChanged(Sistra::ChangeState::ResetAndResults);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(view->GetHandle(), L"hemodynamics_table_view_summary");
}

// Selecting one loop's row selects that loop for the other views; several rows or a summary row do not,
// and the table's own selections (following the loop view, select all) are not sent back. A table
// selection sent to the document ends in a refresh of the views, which clears the document's change
// bits: a marker bit left standing shows that nothing was sent.
TEST_F(HemodynamicsTableViewOnHost, OneSelectedLoopRowSelectsThatLoopAndTheViewsOwnSelectionsAreNotEchoed)
{
    constexpr uint32_t Marker = Sistra::ChangeState::CopyingCheckedItems;
    const struct
    {
        const char* name;
        int32_t loopBefore;
        std::function<void()> act;
        int32_t selected;   // the selected loop afterwards
        bool sentBack;
    } cases[] = {
        {"one loop row", -1, [&] { Manager().SelectRows(MainGridWord, 3, 4); }, 2, true},
        {"several loop rows", -1, [&] { Manager().SelectRows(MainGridWord, 2, 5); }, -1, false},
        {"a summary row", -1, [&] { Manager().SelectRows(SecondGridWord, 1, 2); }, -1, false},
        {"following the loop view", 4, [&] { view->DataChanged(Sistra::ChangeState::SelectedLoopChanged); }, 4, false},
        {"select all", -1, [&] { view->SelectAll(); }, -1, false},
    };
    Doc().GetModel(Sistra::ModelKind::HemoTable)->SetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane, true);
    view->DataChanged(0);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Manager().SelectRows(MainGridWord, 0, 0);
        Manager().SelectRows(SecondGridWord, 0, 0);
        SelectLoop(c.loopBefore);
        Doc().RefreshViews();
        Doc().AddChange(Marker);
        c.act();
        EXPECT_EQ(c.selected, SelectedLoop());
        EXPECT_EQ(c.sentBack, (Doc().ChangeBits() & Marker) == 0);
    }
}

std::string FileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Export asks for a file under its own title and filters; a name ending exactly in "csv" goes to the
// framework's CSV export, any other to the TAB-separated text with a line per loop after the titles.
TEST_F(HemodynamicsTableViewOnHost, ExportWritesTextOrCsvByTheChosenName)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const struct
    {
        const wchar_t* name;
        bool text;
        bool summary;
    } cases[] = {{L"hemo-export.txt", true, false}, {L"hemo-export.csv", false, false}, {L"hemo-export2.CSV", true, true}};
    ULONG asked = 0;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::wstring(c.name));
        Doc().GetModel(Sistra::ModelKind::HemoTable)->SetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane, c.summary);
        const std::wstring path = std::wstring(folder) + c.name;
        HostTests::StandIn().ScriptSaveFileAnswer(path.c_str());
        view->ExportTable();
        const std::string bytes = FileBytes(path);
        DeleteFileW(path.c_str());
        BSTR title = nullptr, filter = nullptr, answered = nullptr;
        while (SUCCEEDED(HostTests::StandIn().GetSaveFileDialog(asked, &title, &filter, &answered)))
        {
            ++asked;
            EXPECT_EQ(L"Export Sistra Table View Data", std::wstring(title));
            EXPECT_EQ(L"Sistra Table View Text File (*.txt)|*.txt|CSV (Comma delimited) (*.csv)|*.csv",
                      std::wstring(filter));
            SysFreeString(title);
            SysFreeString(filter);
            SysFreeString(answered);
        }
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(c.text, bytes.find('\t') != std::string::npos);
        if (c.text)
        {
            size_t lines = 0;
            for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2))
                ++lines;
            // The titles and a line per loop; with the summary an empty line, the titles and four statistics.
            EXPECT_EQ(1 + Doc().Data().GetLoopCount() + (c.summary ? 6 : 0), lines);
            EXPECT_EQ("\r\n", bytes.substr(bytes.size() - 2));
        }
    }
}

// The table's toggle is kept in the table's model.
TEST_F(HemodynamicsTableViewOnHost, TheToggleIsKeptInTheTablesModel)
{
    const Sistra::ModelPtr model = Doc().GetModel(Sistra::ModelKind::HemoTable);
    for (VARIANT_BOOL state : {VARIANT_TRUE, VARIANT_FALSE, VARIANT_TRUE})
    {
        view->OnFollowLatestChanged(MainGridWord, state);
        EXPECT_EQ(state != VARIANT_FALSE, model->GetValue<PropertyType::Bool>(PropertyId::AlwaysShowLatestRow));
    }
}

// With a person at the host, Options... edits a copy of the table's model that only OK puts back, and a
// double click on a parameter's title asks for that column's figures.
TEST_F(HemodynamicsTableViewOnHost, OptionsAndColumnFiguresAreAskedOfAPersonAndOnlyOkChangesTheTable)
{
    HostTests::StandIn().ShowModuleDialogs(VARIANT_TRUE);
    const Sistra::ModelPtr model = Doc().GetModel(Sistra::ModelKind::HemoTable);
    const Sistra::ParameterSet before = model->GetTableParameterSet();
    const bool summaryBefore = model->GetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane);
    const auto options = [&](int closing) {
        DialogTests::WithModalScript(L"Sistra Hemodynamics Options", [closing](HWND dialog) {
            DialogTests::Click(dialog, IDC_TABLE_OPTIONS_UNCHECK_ALL);
            DialogTests::Click(dialog, IDC_TABLE_OPTIONS_SUMMARY);
            DialogTests::Click(dialog, closing);
        }, [&] { view->ShowOptions(); return 0; });
    };
    options(IDCANCEL);
    EXPECT_EQ(before, model->GetTableParameterSet());
    EXPECT_EQ(summaryBefore, model->GetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane));

    const Orv::ComPtr<Sistra::SistraHemodynamicsTableViewData> data = Doc().GetTableViewData();
    ULONG columns = 0;
    data->GetColumnCount(MainGridWord, &columns);
    ASSERT_GT(columns, 1u);
    const int32_t parameter = data->ParameterOfColumn(1);
    DialogTests::WithModalScript(L"Format Column", [](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_TABLE_SIGFIG_DIGITS, L"2");
        DialogTests::Click(dialog, IDOK);
    }, [&] { return view->OnCellClicked(MainGridWord | TableView::ClickKindDoubleClick, 0, 1); });
    EXPECT_EQ(2, data->GetRowFormat(parameter).digits);

    options(IDOK);
    // The loop-number row (0) has no box, and the workflow's left-out parameters keep their place.
    std::vector<int32_t> excluded;
    Sistra::Workflow(&Doc()).GetExcludedParameters(excluded);
    Sistra::ParameterSet left = before;
    for (int32_t shown = 1; shown <= 31; ++shown)
        if (std::find(excluded.begin(), excluded.end(), shown) == excluded.end())
            left.erase(shown);
    EXPECT_EQ(left, model->GetTableParameterSet());
    EXPECT_NE(summaryBefore, model->GetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane));
    HostTests::StandIn().ShowModuleDialogs(VARIANT_FALSE);
}

} // namespace

namespace
{

TableView::TVF_TableView& TableWindowOf(HWND table)
{
    auto* window = dynamic_cast<TableView::TVF_TableView*>(OWL::TWindow::FromHandle(table));
    if (!window)
        throw std::runtime_error("the view holds no table window");
    return *window;
}

// The table carries the follow-latest strip under its main grid's bar, pressed as the table's model says,
// and its help button asks the host for the table's topic.
TEST_F(HemodynamicsTableViewOnHost, TheFollowLatestStripShowsTheModelsStateAndHelpAsksForTheTablesTopic)
{
    TVF_Grid::EventGridControl& grid = TableWindowOf(Table()).MainGrid();
    TVF_Grid::SnapGadgetWindowBase* strip = grid.SnapGadgets();
    ASSERT_NE(nullptr, strip);
    auto* toggle = dynamic_cast<OWL::TButtonGadget*>(strip->GadgetWithId(TVF_Grid::SnapGadgetWindowBase::ToggleCommand));
    ASSERT_NE(nullptr, toggle);
    const Sistra::ModelPtr model = Doc().GetModel(Sistra::ModelKind::HemoTable);
    for (const bool follow : {true, false})
    {
        model->SetValue<PropertyType::Bool>(PropertyId::AlwaysShowLatestRow, follow);
        model->CommitChanges();
        view->DataChanged(0);  // as the next results do
        EXPECT_EQ(follow ? OWL::TButtonGadget::Down : OWL::TButtonGadget::Up, toggle->GetButtonState());
    }
    view->SendMessage(WM_COMMAND, MAKEWPARAM(SistraHemodynamicsTableView::HelpButtonId, BN_CLICKED),
                      reinterpret_cast<LPARAM>(view->ChildWithId(SistraHemodynamicsTableView::HelpButtonId)->GetHandle()));
    EXPECT_EQ(L"SistraHelp: pv_hemodynamics_table", TestSupport::LastHelpRequest());
}

// The table window names the channels of the document's host recording by their numbers from 1, in both
// grids, so that a channel cell shows its channel's name.
TEST_F(HemodynamicsTableViewOnHost, TheTableKnowsTheRecordingsChannelsByName)
{
    TableView::ChannelNames expected;
    for (const Host::ChannelInfo& channel : recording->Channels())
        expected[static_cast<unsigned>(expected.size()) + 1] = Orv::String(std::wstring(channel.name.begin(), channel.name.end()).c_str());
    ASSERT_FALSE(expected.empty());
    TableView::TVF_TableView& table = TableWindowOf(Table());
    EXPECT_EQ(expected, table.MainGrid().IndexedNames());
    EXPECT_EQ(expected, table.SecondGrid().IndexedNames());
}

// While the host samples and the analysis runs online, the table the host opened keeps its newest loop
// in view.
TEST(HemodynamicsTableWhileSampling, TheNewestLoopStaysInView)
{
    const Host::Recording recording = HostTests::SteadyVentricle(40000);
    DocumentOnHost online(recording, true, true);
    online.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    OWL::TWindow frame{nullptr, L"hemodynamics table while sampling"};
    frame.Attr.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    frame.Attr.W = 600;
    frame.Attr.H = 300;
    frame.Create();
    auto* viewClass = new VyrOwlDocViewClass<SistraHemodynamicsTableView>(
        Orv::String(L"Hemodynamics Table"), Orv::String(),
        &TypeIdClass<&SistraDocumentGUID, Sistra::ViewType::HemodynamicsTable>::GetId);
    const Orv::ComPtr<IDocViewClass> holder(viewClass);
    Orv::ComPtr<IDocView2> shown;
    ASSERT_EQ(S_OK, viewClass->CreateView(0, online.Document().Outer(), shown.Put()));
    HostTests::ParentSite site(frame.GetHandle());
    Orv::ComPtr<IClientWindow> client;
    shown->QueryInterface(IID_IClientWindow, client.PutVoid());
    HWND window = nullptr;
    ASSERT_EQ(S_OK, client->CreateClientWindow(&site, &window));
    ASSERT_EQ(S_OK, shown->Activate());
    // What the host does for a view it shows: the view hears what its document tells its views.
    Orv::ComPtr<ISubject> views;
    Orv::ComPtr<IObserver> observer;
    ASSERT_EQ(S_OK, online.Document().Outer()->QueryInterface(IID_ISubject, views.PutVoid()));
    ASSERT_EQ(S_OK, shown->QueryInterface(IID_IObserver, observer.PutVoid()));
    ASSERT_EQ(S_OK, observer->RegisterEvents(views.Get()));
    MoveWindow(window, 0, 0, 600, 300, TRUE);
    HWND table = nullptr;
    for (HWND child = GetWindow(window, GW_CHILD); child && !table; child = GetWindow(child, GW_HWNDNEXT))
        if (dynamic_cast<TableView::TVF_TableView*>(OWL::TWindow::FromHandle(child)))
            table = child;
    ASSERT_NE(nullptr, table);
    TVF_Grid::EventGridControl& grid = TableWindowOf(table).MainGrid();
    ASSERT_NE(nullptr, grid.SnapGadgets()) << "the follow-latest strip";
    int highestTop = 0;
    while (!online.Host().IsSamplingDone())
    {
        online.Host().FeedSamples(4000);
        OwlTest::PumpMessages();
        highestTop = std::max(highestTop, grid.Pane().TopRow());
        if (grid.RowCount() > 0)
        {
            EXPECT_TRUE(grid.IsRowVisible({grid.RowCount(), 1})) << grid.RowCount() << " rows, top " << grid.Pane().TopRow();
        }
    }
    EXPECT_GT(online.Document().Data().GetLoopCount(), 20u);
    EXPECT_GT(highestTop, 0) << "the table scrolled down as loops came: " << grid.RowCount() << " rows, "
                             << grid.Pane().PageRows() << " a page, top " << grid.Pane().TopRow();
    OwlTest::SaveWindowPng(frame.GetHandle(), L"hemodynamics-table-while-sampling");
    views->RemoveObserver(observer.Get());
    shown->Close();
    frame.Destroy();
}

} // namespace
