// The cuvette calibration view on a host document: filling readings from the host's selection (by the
// automation command too), clearing cells, applying and enabling the calibration, following the fit in
// workflow mode, and the table copy; with a picture of the view.
#include "host/tests/module/DocumentOnHost.h"
#include "host/tests/module/HostedView.h"
#include "testsupport/VyrTestSupport.h"
#include "platform/owl/tests/TextFit.h"

#include "document/models/workflow/Workflow.h"
#include "views/cuvette/CuvetteView.h"
#include "views/tests/cuvette/CuvetteTestSupport.h"

#include "document/calibration/CalibratorBase.h"
#include "hostframework/views/DocViewClass.h"
#include "tableview/grid/GridActions.h"
#include "tableview/render/TableRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

namespace
{

using HostTests::DocumentOnHost;
using Sistra::CuvetteView;
using Sistra::DoubleMatrix;
using Sistra::ModelPtr;
using Sistra::PropertyType;
namespace ModelKind = Sistra::ModelKind;
namespace PropertyId = Sistra::PropertyId;

constexpr int VolumeChannel = 1;

class CuvetteViewOnHost : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { recording = std::make_unique<Host::Recording>(HostTests::SteadyVentricle(4000)); }
    static void TearDownTestSuite() { recording.reset(); }

    void SetUp() override
    {
        document = std::make_unique<DocumentOnHost>(*recording, false, false);
        model = Doc().GetModel(ModelKind::CuvetteCalib);
        // Outside the workflow a calibration applies by itself.
        Doc().GetSetupModel()->SetWorkflowModeOn(false);
        Doc().GetSetupModel()->CommitChanges();
        ASSERT_TRUE(view.Open(Doc(), 900, 480));
    }
    void TearDown() override
    {
        view.Close();
        model.reset();
        document.reset();
    }
    Sistra::SistraDocument& Doc() { return document->Document(); }
    void Fill(const std::vector<double>& volumes, const std::vector<std::vector<double>>& readings)
    {
        model->SetKnownVolumes(volumes);
        model->SetCuvetteTable(CuvetteTesting::ReadingsTable(readings));
        model->CommitChanges();
    }
    double MeanOfVolume(int32_t from, int32_t to) const
    {
        double sum = 0;
        for (int32_t tick = from; tick < to; ++tick)
            sum += recording->RecordAt(0).Samples(VolumeChannel)[static_cast<size_t>(tick)];
        return sum / (to - from);
    }
    double Reading(int32_t reading, int32_t well) { return model->GetCuvetteTable().At(reading, well); }
    size_t Boxes() { return RecordedMessageBoxes(HostTests::StandIn()).size(); }

    static inline std::unique_ptr<Host::Recording> recording;
    std::unique_ptr<DocumentOnHost> document;
    ModelPtr model;
    HostTests::HostedView<CuvetteView> view;
};

// Repeated fills go well after well along a reading, then to the first well of a new reading; each is
// the volume channel's mean over the selection.
TEST_F(CuvetteViewOnHost, SetFromSelectionFillsReadingsWellAfterWell)
{
    Fill({1e-6, 2e-6}, {});
    document->Host().SetSelection({0, 100}, {0, 500});
    view->OnCellClicked(0, 1, 2);
    ASSERT_TRUE(view->IsSetFromSelectionEnabled());
    const std::pair<int, int> visited[] = {{2, 2}, {1, 3}, {2, 3}};
    const std::pair<int32_t, int32_t> filled[] = {{0, 0}, {0, 1}, {1, 0}};
    for (int i = 0; i < 3; ++i)
    {
        view->SetFromSelection();
        EXPECT_NEAR(MeanOfVolume(100, 500), Reading(filled[i].first, filled[i].second), 1e-4) << i;
        EXPECT_EQ(visited[i], view->SelectedCell()) << i;
    }
}

// From a well's known volume the fill takes the well's first empty reading, or a new reading when all
// are taken.
TEST_F(CuvetteViewOnHost, SetFromTheKnownVolumeFillsTheFirstEmptyReading)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Fill({1e-6, 2e-6}, {{5.0, 6.0}, {nan, 7.0}});
    document->Host().SetSelection({0, 1000}, {0, 1200});
    for (const auto& [well, reading] : {std::pair<int32_t, int32_t>{0, 1}, {1, 2}})
    {
        view->OnCellClicked(0, well + 1, 1);
        view->SetFromSelection();
        EXPECT_NEAR(MeanOfVolume(1000, 1200), Reading(reading, well), 1e-4) << well;
    }
    EXPECT_EQ(5.0, Reading(0, 0));
}

// Begun on the known volumes, fills go along the wells' first readings, then on to their second ones: past
// the last well they went back to the first reading and wrote over it (a batch's fourth fill for three
// wells answered 1 and the first well's reading was gone).
TEST_F(CuvetteViewOnHost, FillsPastTheLastWellTakeTheNextReading)
{
    Fill({1e-6, 2e-6}, {});
    document->Host().SetSelection({0, 100}, {0, 200});
    view->OnCellClicked(0, 1, 1);
    const std::pair<int32_t, int32_t> stretches[] = {{100, 200}, {300, 400}, {500, 600}};
    for (const auto& [from, to] : stretches)
    {
        document->Host().SetSelection({0, from}, {0, to});
        view->SetFromSelection();
    }
    EXPECT_NEAR(MeanOfVolume(100, 200), Reading(0, 0), 1e-4);
    EXPECT_NEAR(MeanOfVolume(300, 400), Reading(0, 1), 1e-4);
    EXPECT_NEAR(MeanOfVolume(500, 600), Reading(1, 0), 1e-4);
}

// Without a selected cell, or with a selection over two records, nothing changes and the user is told.
TEST_F(CuvetteViewOnHost, SetFromSelectionNeedsACellAndASelectionInOneRecord)
{
    Fill({1e-6}, {});
    document->Host().SetSelection({0, 100}, {0, 500});
    const size_t before = Boxes();
    view->SetFromSelection();
    EXPECT_EQ(before + 1, Boxes());
    document->Host().SetSelection({0, 100}, {1, 500});
    view->OnCellClicked(0, 1, 2);
    EXPECT_FALSE(view->IsSetFromSelectionEnabled());
    view->SetFromSelection();
    EXPECT_EQ(before + 2, Boxes());
    EXPECT_EQ(0, model->GetCuvetteTable().Rows());
}

// The automation command reaches the view the host shows and fills the selected cell.
TEST_F(CuvetteViewOnHost, TheAutomationCommandFillsTheShownViewsCell)
{
    Fill({1e-6}, {});
    document->Host().SetSelection({0, 200}, {0, 300});
    auto* viewClass = new VyrOwlDocViewClass<CuvetteView>(
        Orv::String(L"Cuvette"), Orv::String(),
        &TypeIdClass<&SistraDocumentGUID, Sistra::ViewType::CuvetteCalibration>::GetId);
    const Orv::ComPtr<IDocViewClass> holder(viewClass);
    Orv::ComPtr<IDocView2> shown;
    ASSERT_EQ(S_OK, viewClass->CreateView(0, Doc().Outer(), shown.Put()));
    HostTests::ParentSite site(view.Frame().GetHandle());
    Orv::ComPtr<IClientWindow> client;
    shown->QueryInterface(IID_IClientWindow, client.PutVoid());
    HWND window = nullptr;
    ASSERT_EQ(S_OK, client->CreateClientWindow(&site, &window));
    ASSERT_EQ(S_OK, shown->Activate());
    auto* shownView = dynamic_cast<CuvetteView*>(DocViewBase::WindowOf(shown.Get()));
    ASSERT_NE(nullptr, shownView);
    shownView->OnCellClicked(0, 1, 2);
    document->Send(Sistra::AutomationMessage::AddSelToSistraCuvetteCalibration);
    EXPECT_NEAR(MeanOfVolume(200, 300), Reading(0, 0), 1e-4);
    shown->Close();
}

// Delete clears every selected cell, known volumes and readings alike; without a well selected it says so.
TEST_F(CuvetteViewOnHost, DeleteClearsTheSelectedCells)
{
    Fill({1e-6, 2e-6}, {{5.0, 6.0}});
    // The first well's known volume and reading.
    const TableView::SelectedColumn ranges[] = {{1, 1, 2}, {2, 1, 2}};
    view->OnSelectionChanged(TableView::MainGridWord, ranges, 2);
    ASSERT_TRUE(view->IsDeleteRowEnabled());
    MSG key{view->GetHandle(), WM_KEYDOWN, VK_DELETE, 0};
    view->PreProcessMsg(key);
    EXPECT_TRUE(std::isnan(model->GetKnownVolumes()[0]));
    EXPECT_TRUE(std::isnan(Reading(0, 0)));
    EXPECT_EQ(2e-6, model->GetKnownVolumes()[1]);
    EXPECT_EQ(6.0, Reading(0, 1));
    const TableView::SelectedColumn none[] = {{0, 0, 0}};
    view->OnSelectionChanged(TableView::MainGridWord, none, 1);
    const size_t before = Boxes();
    view->ClearSelectedCells();
    EXPECT_EQ(before + 1, Boxes());
}

// Before there are points each axis spans 0 to 1 in the unit it prints (microlitres up, volts across).
TEST_F(CuvetteViewOnHost, AnEmptyPlotSpansOneUnitOfEachAxis)
{
    double low = -1.0, high = 0.0;
    view->GetRangeLimits(low, high);
    EXPECT_EQ(0.0, low);
    EXPECT_DOUBLE_EQ(1.0, high * view->GetRangeUnitScale());
    view->GetDomainLimits(low, high);
    EXPECT_DOUBLE_EQ(1.0, high * view->GetDomainUnitScale());
}

// Deleting a well (confirmed) takes its points out of the fit, its text and the plot at once.
TEST_F(CuvetteViewOnHost, DeletingAWellRefitsAtOnce)
{
    Fill({10e-6, 20e-6, 40e-6}, {{0.001, 0.002, 0.005}});
    view->DataChanged(0);
    ASSERT_TRUE(view->Fit());
    view->OnListItemChosen(TableView::MainGridWord, TVF_Grid::GridActions::CellMenuList, 3, 0,
                           Sistra::CuvetteCalibData::DeleteRowItem);
    ASSERT_EQ(2u, model->GetKnownVolumes().size());
    ASSERT_TRUE(view->Fit());
    EXPECT_NEAR(0.01, view->Fit()->slope, 1e-12);
    EXPECT_NE(std::wstring::npos, std::wstring(view->GetControlText(CuvetteView::ResultId).c_str()).find(L"= 10000 "))
        << view->GetControlText(CuvetteView::ResultId).c_str();
}

// Typed values are stored in base units; unreadable text is kept as the invalid marker.
TEST_F(CuvetteViewOnHost, EditedCellsAreStoredInBaseUnits)
{
    model->SetValue<PropertyType::Unit>(PropertyId::CuvetteUnit, Sistra::UnitInfo{L"L", L'm'});
    model->CommitChanges();
    view->OnCellEdited(0, 2, 1, Orv::String(L"25"));
    ASSERT_EQ(2u, model->GetKnownVolumes().size());
    EXPECT_TRUE(Sistra::IsBlankMarker(model->GetKnownVolumes()[0]));
    EXPECT_DOUBLE_EQ(0.025, model->GetKnownVolumes()[1]);
    view->OnCellEdited(0, 1, 3, Orv::String(L"abc"));
    EXPECT_TRUE(Sistra::IsInvalidMarker(Reading(1, 0)));
    view->OnCellEdited(0, 0, 1, Orv::String(L"7"));
    view->OnCellEdited(0, 1, 0, Orv::String(L"7"));
    EXPECT_EQ(2u, model->GetKnownVolumes().size());
}

// Apply stores the fit as the applied calibration; enabling one without an equation is refused (it applied
// a made-up 1e-6 and 0); in workflow mode a table change hands the fit to the step, not applied.
TEST_F(CuvetteViewOnHost, ApplyEnableAndTheWorkflowFollowTheFit)
{
    Fill({1e-6, 3e-6}, {{1.0, 2.0}});
    view->OnApply();
    EXPECT_NEAR(2e-6, model->GetValue<PropertyType::Double>(PropertyId::CuvetteSlope), 1e-18);
    EXPECT_NEAR(-1e-6, model->GetValue<PropertyType::Double>(PropertyId::CuvetteIntercept), 1e-18);
    EXPECT_TRUE(model->GetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    model->SetCuvetteSlope(nan);
    model->SetCuvetteIntercept(nan);
    model->SetCuvetteCalibrationApplied(false);
    model->CommitChanges();
    ::SendMessageW(::GetDlgItem(view->GetHandle(), CuvetteView::EnableId), BM_SETCHECK, BST_CHECKED, 0);
    view->OnEnableToggled();
    EXPECT_TRUE(std::isnan(model->GetValue<PropertyType::Double>(PropertyId::CuvetteSlope)));
    EXPECT_FALSE(model->GetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied));
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageW(::GetDlgItem(view->GetHandle(), CuvetteView::EnableId), BM_GETCHECK, 0, 0));

    Doc().GetSetupModel()->SetWorkflowModeOn(true);
    Doc().GetSetupModel()->CommitChanges();
    view->OnCellEdited(0, 2, 2, Orv::String(L"3"));
    // The step page applies the calibration in the workflow: the view's own equation row is hidden.
    for (int control : {CuvetteView::EnableId, CuvetteView::SlopeId, CuvetteView::InterceptId, CuvetteView::ApplyId})
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(view->GetHandle(), control))) << control;
    const std::optional<Sistra::CuvetteFit> fit = Sistra::ComputeCuvetteFit(model->GetKnownVolumes(), model->GetCuvetteTable());
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->slope, model->GetValue<PropertyType::Double>(PropertyId::CuvetteSlope));
    EXPECT_EQ(fit->intercept, model->GetValue<PropertyType::Double>(PropertyId::CuvetteIntercept));
    EXPECT_FALSE(model->GetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied));
}

// What no well holds and no volume calibration can be is refused, saying why, and changes nothing: a known
// volume at or below zero (kept before) in a balloon; Apply of a line that falls (applied before) or that
// the model cannot hold (left half-stored, nothing applied, yet "applied" in a batch) in the view's box;
// the tick of a typed falling line in a balloon.
TEST_F(CuvetteViewOnHost, ImpossibleValuesAreRefusedSayingWhyAndChangeNothing)
{
    const auto balloonTitle = [] {
        const HWND balloon = ::FindWindowW(L"XPBalloonHelp", nullptr);
        wchar_t title[64] = {};
        ::GetWindowTextW(balloon, title, 64);
        if (balloon)
            ::DestroyWindow(balloon);
        return std::wstring(title);
    };
    // The line by the bits of its numbers: the blank slope is a NaN, never equal to itself.
    const auto bits = [&](int id) {
        const double value = model->GetValue<PropertyType::Double>(id);
        uint64_t word = 0;
        std::memcpy(&word, &value, sizeof word);
        return word;
    };
    const auto stored = [&] {
        return std::tuple{model->GetKnownVolumes(), bits(PropertyId::CuvetteSlope), bits(PropertyId::CuvetteIntercept),
                          model->GetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied)};
    };
    Fill({10e-6, 20e-6}, {{1.0, 2.0}});
    for (const wchar_t* typed : {L"-5", L"0"})
    {
        const auto before = stored();
        view->OnCellEdited(0, 1, 1, Orv::String(typed));
        EXPECT_EQ(before, stored()) << typed;
        EXPECT_EQ(L"Not A Volume", balloonTitle()) << typed;
    }
    const struct
    {
        std::vector<double> volumes;
        std::vector<std::vector<double>> readings;
        const wchar_t* says;
    } lines[] = {
        {{30e-6, 10e-6}, {{1.0, 2.0}}, L"The calibration line falls"},
        {{1e294, 10e-6}, {{2.0, 1.0}}, L"The slope must be between"},
    };
    for (const auto& line : lines)
    {
        Fill(line.volumes, line.readings);
        const auto before = stored();
        const size_t boxes = Boxes();
        view->OnApply();
        ASSERT_EQ(boxes + 1, Boxes()) << line.says;
        EXPECT_NE(std::wstring::npos, RecordedMessageBoxes(HostTests::StandIn()).back().text.find(line.says));
        EXPECT_EQ(before, stored()) << line.says;
    }
    model->SetCuvetteSlope(-1e-6);
    model->SetCuvetteIntercept(0.0);
    model->CommitChanges();
    ::SendMessageW(::GetDlgItem(view->GetHandle(), CuvetteView::EnableId), BM_SETCHECK, BST_CHECKED, 0);
    view->OnEnableToggled();
    EXPECT_FALSE(model->GetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied));
    EXPECT_EQ(L"Invalid Slope", balloonTitle());
}

// In the workflow, before the conductance calibration is applied, the volume channel still reads in its
// recorded unit: the readings say so (they said mS, a 20 uL mean shown as 0.02); once it is applied they
// are in its unit.
TEST_F(CuvetteViewOnHost, ReadingsAreInTheUnitTheChannelReadsIn)
{
    const ModelPtr setup = Doc().GetSetupModel();
    setup->SetWorkflowModeOn(true);
    setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, Sistra::WorkflowKind::SmallMammal);
    setup->CommitChanges();
    const ModelPtr conductance = Doc().GetModel(ModelKind::ConductanceCalib);
    for (const bool applied : {false, true})
    {
        conductance->SetValue<PropertyType::Bool>(PropertyId::ConductanceCalibrationApplied, applied);
        conductance->CommitChanges();
        view->DataChanged(0);
        EXPECT_EQ(applied ? L"mS" : L"V", Sistra::UnitText(view->GetConductanceUnit())) << applied;
    }
    conductance->SetValue<PropertyType::Bool>(PropertyId::ConductanceCalibrationApplied, false);
    conductance->CommitChanges();
    view->DataChanged(0);
    Fill({1e-6}, {});
    document->Host().SetSelection({0, 100}, {0, 500});
    view->OnCellClicked(0, 1, 2);
    view->SetFromSelection();
    Orv::String title, reading;
    view->CalibData().GetCellText(0, 0, 2, &title);
    view->CalibData().GetCellText(0, 1, 2, &reading);
    EXPECT_STREQ(L"Conductance 1 (V)", title.c_str());
    EXPECT_NEAR(MeanOfVolume(100, 500), std::stod(reading.c_str()), 1e-3 * std::abs(MeanOfVolume(100, 500)));
}

// What the user types stays in the edit while the model takes the value in base units.
TEST_F(CuvetteViewOnHost, TypingTheSlopeStoresItWithoutRewritingTheEdit)
{
    model->SetValue<PropertyType::Unit>(PropertyId::CuvetteUnit, Sistra::UnitInfo{L"L", L'm'});
    model->CommitChanges();
    const HWND slope = ::GetDlgItem(view->GetHandle(), CuvetteView::SlopeId);
    ::SetWindowTextW(slope, L"2.50");
    ::SendMessageW(view->GetHandle(), WM_COMMAND, MAKEWPARAM(CuvetteView::SlopeId, EN_CHANGE),
                   reinterpret_cast<LPARAM>(slope));
    const double conductanceFactor = Sistra::PrefixFactor(view->GetConductanceUnit());
    EXPECT_DOUBLE_EQ(2.5 * 1e-3 / conductanceFactor, model->GetValue<PropertyType::Double>(PropertyId::CuvetteSlope));
    wchar_t text[32] = {};
    ::GetWindowTextW(slope, text, 32);
    EXPECT_EQ(std::wstring(L"2.50"), text);
}

// The band's boxes show the longest numbers whole, at the view's least size too.
TEST_F(CuvetteViewOnHost, TheBandShowsLongNumbersWhole)
{
    view.Show();
    model->SetCuvetteSlope(-7.921e+5 * 1e-6 / Sistra::PrefixFactor(view->GetConductanceUnit()));
    model->SetCuvetteIntercept(-8.888e-20);
    model->CommitChanges();
    MINMAXINFO limits{};
    ::SendMessageW(view->GetHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    for (const POINT size : {POINT{900, 480}, limits.ptMinTrackSize})
    {
        view->MoveWindow(OWL::TRect(0, 0, size.x, size.y), true);
        OwlTest::PumpMessages();
        for (const int box : {CuvetteView::SlopeId, CuvetteView::InterceptId})
            EXPECT_TRUE(OwlTest::EditShowsItsTextWhole(::GetDlgItem(view->GetHandle(), box)))
                << size.x << " " << view->GetControlText(box).c_str();
    }
    EXPECT_STREQ(L"-7.921e+5", view->GetControlText(CuvetteView::SlopeId).c_str());
}

// The table copy is one line per well, the title row first, cells between tabs, lines ended by CR LF.
TEST_F(CuvetteViewOnHost, TheTableCopyIsOneLinePerWell)
{
    const std::wstring fresh = view->TableText(3);
    EXPECT_EQ(2, std::count(fresh.begin(), fresh.end(), L'\n'));
    EXPECT_EQ(4, std::count(fresh.begin(), fresh.end(), L'\t'));
    EXPECT_EQ(L"1\t\t\r\n", fresh.substr(fresh.find(L"\r\n") + 2));
    Fill({1e-6}, {{4.0}});
    ASSERT_TRUE(view->CopyTableToClipboard(4));
    ASSERT_TRUE(::OpenClipboard(view->GetHandle()));
    const HANDLE block = ::GetClipboardData(CF_UNICODETEXT);
    const std::wstring copied = block ? static_cast<const wchar_t*>(::GlobalLock(block)) : L"";
    if (block)
        ::GlobalUnlock(block);
    ::CloseClipboard();
    EXPECT_EQ(view->TableText(4), copied);

    // While another window holds the clipboard the copy fails in the view's own box and keeps the text.
    const HWND other = ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(::OpenClipboard(other));
    EXPECT_FALSE(view->CopyTableToClipboard(3));
    ::CloseClipboard();
    ::DestroyWindow(other);
    const auto boxes = RecordedMessageBoxes(HostTests::StandIn());
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(L"Sistra Cuvette Calibration", boxes.back().caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), boxes.back().style & MB_ICONMASK);
    ASSERT_TRUE(::OpenClipboard(view->GetHandle()));
    const HANDLE kept = ::GetClipboardData(CF_UNICODETEXT);
    EXPECT_EQ(view->TableText(4), kept ? static_cast<const wchar_t*>(::GlobalLock(kept)) : L"");
    if (kept)
        ::GlobalUnlock(kept);
    ::CloseClipboard();
}

// Applying the calibration shows the volume channel in microlitres; the readings were taken in its own
// unit and keep it, so the applied slope and the fit read alike (microlitres per volt here).
TEST_F(CuvetteViewOnHost, AppliedCalibrationKeepsTheReadingsUnit)
{
    Fill({10e-6, 20e-6, 40e-6}, {{0.0011, 0.0021, 0.0041}});
    view->OnApply();
    view->DataChanged(0);
    EXPECT_EQ(L"V", Sistra::UnitText(view->GetConductanceUnit()));
    const Orv::String slope = view->GetControlText(CuvetteView::SlopeId);
    ASSERT_FALSE(slope.IsEmpty());
    EXPECT_NE(std::wstring::npos, std::wstring(view->GetControlText(CuvetteView::ResultId).c_str()).find(slope.c_str()))
        << view->GetControlText(CuvetteView::ResultId).c_str();
}

// No column clips its title or a value: titles with their units and long readings widen the columns that
// need it, new readings included.
TEST_F(CuvetteViewOnHost, ColumnsShowTheirTitlesAndValuesWhole)
{
    struct Case
    {
        Sistra::UnitInfo conductance;
        std::vector<double> volumes;
        std::vector<std::vector<double>> readings;
    };
    const Case cases[] = {{{L"V", 0}, {1e-6}, {}},
                          {{L"S", L'm'}, {10e-6, 12345.6789e-6}, {{0.0011, 98765.4321}}},
                          {{L"S", L'\u00b5'}, {1e-6}, {{-1.23456789e-25}, {2.0}, {-123456789.125}}}};
    Orv::ComPtr<ITableViewMgrInternal> widths;
    ASSERT_EQ(S_OK, view->TableManager()->QueryInterface(IID_ITableViewMgrInternal, widths.PutVoid()));
    Sistra::CuvetteCalibData& data = view->CalibData();
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        data.SetConductanceUnit(cases[i].conductance);
        Fill(cases[i].volumes, cases[i].readings);
        ULONG columns = 0, rows = 0;
        data.GetColumnCount(0, &columns);
        data.GetRowCount(0, &rows);
        for (ULONG column = 1; column < columns; ++column)
        {
            int width = 0;
            ASSERT_EQ(S_OK, widths->GetColumnWidth(0, column, &width));
            EXPECT_GE(width, CuvetteView::ColumnWidth - 10) << i << " " << column;
            // Titles and values alike are drawn in the grid's own font.
            for (int row = 0; row < static_cast<int>(rows); ++row)
            {
                Orv::String text;
                data.GetCellText(0, row, column, &text);
                EXPECT_LE(TableView::CellTextRoom(text, 0), width) << i << " " << text.c_str();
            }
        }
    }
}

// With a fit on show, at the least size the view names and in workflow mode in a 400x300 tile: no
// control covers another or runs out of the view, and the fit's text and "Apply" lie inside their group.
TEST_F(CuvetteViewOnHost, ControlsStayApartAndInsideTheViewWhenSmall)
{
    Fill({10e-6, 20e-6, 40e-6}, {{0.0011, 0.0021, 0.0041}, {0.0012, 0.0019, 0.0040}});
    view.Show();
    for (const bool workflow : {false, true})
    {
        SCOPED_TRACE(workflow);
        Doc().GetSetupModel()->SetWorkflowModeOn(workflow);
        Doc().GetSetupModel()->CommitChanges();
        view->DataChanged(0);
        ::UpdateWindow(view->GetHandle());
        OwlTest::PumpMessages();
        MINMAXINFO limits{};
        ::SendMessageW(view->GetHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        const POINT size = workflow ? POINT{400, 300} : limits.ptMinTrackSize;
        EXPECT_LE(limits.ptMinTrackSize.x, size.x);
        EXPECT_LE(limits.ptMinTrackSize.y, size.y);
        view->MoveWindow(OWL::TRect(0, 0, size.x, size.y), true);
        ::UpdateWindow(view->GetHandle());
        OwlTest::PumpMessages();
        const RECT client{0, 0, size.x, size.y};
        const auto placed = [&](HWND child) {
            RECT place{};
            ::GetWindowRect(child, &place);
            ::MapWindowPoints(nullptr, view->GetHandle(), reinterpret_cast<POINT*>(&place), 2);
            return place;
        };
        const auto within = [](const RECT& outer, const RECT& inner) {
            RECT common{};
            return ::IntersectRect(&common, &inner, &outer) && ::EqualRect(&common, &inner);
        };
        const RECT group = placed(::GetDlgItem(view->GetHandle(), CuvetteView::GroupId));
        std::vector<std::pair<int, RECT>> apart;
        for (HWND child = ::GetWindow(view->GetHandle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        {
            const int id = ::GetDlgCtrlID(child);
            if (!::IsWindowVisible(child))
                continue;
            if (id == CuvetteView::ResultId || id == CuvetteView::ApplyId)
                EXPECT_TRUE(within(group, placed(child))) << id;
            else
                apart.emplace_back(id, placed(child));
        }
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(view->GetHandle(), CuvetteView::ApplyId)) != workflow);
        for (size_t i = 0; i < apart.size(); ++i)
        {
            EXPECT_TRUE(within(client, apart[i].second)) << apart[i].first;
            RECT common{};
            for (size_t j = i + 1; j < apart.size(); ++j)
                EXPECT_FALSE(::IntersectRect(&common, &apart[i].second, &apart[j].second))
                    << apart[i].first << " " << apart[j].first;
        }
    }
}

// Pixels darker than mid grey in the area of the device context.
int InkIn(HDC dc, const RECT& area)
{
    int ink = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            ink += (::GetPixel(dc, x, y) & 0xFF) < 0x80 ? 1 : 0;
    return ink;
}

// The ink of a static's text as its control draws it, against the same text drawn with room to spare.
std::pair<int, int> ShownAndWholeInk(HWND control)
{
    wchar_t text[200] = {};
    ::GetWindowTextW(control, text, 200);
    ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT box{};
    ::GetClientRect(control, &box);
    HDC dc = ::GetDC(control);
    const int shown = InkIn(dc, box);
    const RECT roomy{0, 0, box.right + 200, box.bottom + 40};
    HDC memory = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, roomy.right, roomy.bottom);
    const HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
    const HGDIOBJ oldFont = ::SelectObject(memory, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    ::FillRect(memory, &roomy, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    RECT drawn = roomy;
    ::DrawTextW(memory, text, -1, &drawn, DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK);
    const int whole = InkIn(memory, roomy);
    ::SelectObject(memory, oldFont);
    ::SelectObject(memory, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(control, dc);
    return {shown, whole};
}

// The fit's text, or the sentence that says there is none, is drawn whole in its box, full stop included.
TEST_F(CuvetteViewOnHost, TheResultTextIsDrawnWhole)
{
    view.Show();
    for (const bool filled : {false, true})
        for (const bool workflow : {true, false})
        {
            SCOPED_TRACE(testing::Message() << "filled " << filled << " workflow " << workflow);
            Doc().GetSetupModel()->SetWorkflowModeOn(workflow);
            Doc().GetSetupModel()->CommitChanges();
            if (filled)
                Fill({10e-6, 20e-6, 40e-6}, {{0.0011, 0.0021, 0.0041}});
            view->DataChanged(0);
            OwlTest::PumpMessages();
            HWND result = ::GetDlgItem(view->GetHandle(), CuvetteView::ResultId);
            const Orv::String text = view->GetControlText(CuvetteView::ResultId);
            EXPECT_TRUE(filled || text == Orv::String(L"Insufficient information to calculate calibration."))
                << text.c_str();
            const auto [shown, whole] = ShownAndWholeInk(result);
            EXPECT_GT(whole, 0);
            EXPECT_EQ(whole, shown);
        }
}

// A picture of the view with a filled table, its fit and the applied calibration.
TEST_F(CuvetteViewOnHost, Picture)
{
    Fill({10e-6, 20e-6, 40e-6}, {{0.0011, 0.0021, 0.0041}, {0.0012, 0.0019, 0.0040}});
    view->OnApply();
    view.Show();
    view->DataChanged(0);
    EXPECT_TRUE(view->Fit().has_value());
    EXPECT_FALSE(view.SavePicture(L"cuvette_view").empty());
}

} // namespace
