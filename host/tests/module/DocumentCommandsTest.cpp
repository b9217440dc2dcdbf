// The document's commands and automation messages on a host document: each event-map row fired with
// the effect it has, the keyword messages, the commands' enable answers and the calibration and data
// commands.
#include "host/tests/module/DocumentOnHost.h"
#include "testsupport/VyrTestSupport.h"

#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrCommands.h"
#include "hostapi/VyrViews.h"
#include "calc/sources/ChannelMean.h"
#include "document/core/CuvetteSelectionTarget.h"
#include "document/models/workflow/Workflow.h"
#include "hostframework/views/DocViewClass.h"
#include "host/app/macro/MacroText.h"
#include "platform/owl/window/Window.h"
#include "tableview/manager/TableViewManager.h"
#include "tableview/tests/FakeTable.h"
#include "hostframework/automation/MessageClassObject.h"
#include "hostframework/services/MenuCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace
{

using HostTests::DocumentOnHost;
namespace ModelKind = Sistra::ModelKind;
namespace PropertyId = Sistra::PropertyId;
using Sistra::PropertyType;
using Sistra::SistraDocument;

struct HostMessage
{
    ULONG id;
    std::vector<ULONG> words;
    // The host object it was sent in the context of: type, first value, second value (zeros: none).
    std::vector<ULONG> context;
};

std::vector<HostMessage> HostMessages(SistraDocument& document)
{
    Orv::ComPtr<IHostMessageLog> log;
    std::vector<HostMessage> messages;
    if (FAILED(document.Outer()->QueryInterface(IID_IHostMessageLog, log.PutVoid())))
        return messages;
    ULONG count = 0;
    log->GetCount(&count);
    for (ULONG i = 0; i < count; ++i)
    {
        HostMessage message{0, std::vector<ULONG>(16)};
        ULONG words = 0;
        log->GetEntry(i, &message.id, message.words.data(), 16, &words);
        message.words.resize(words);
        message.context.resize(3);
        log->GetEntryContext(i, &message.context[0], &message.context[1], &message.context[2]);
        messages.push_back(message);
    }
    return messages;
}

// The host's answer to an enable query: state, text and check mark.
class CommandAnswer final : public IVyrCommandState, public IVyrCommandEnabler
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IVyrCommandEnabler))
            *object = static_cast<IVyrCommandEnabler*>(this);
        else if (IsEqualIID(iid, IID_IUnknown))
            *object = static_cast<IVyrCommandState*>(this);
        else
            return *object = nullptr, E_NOINTERFACE;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetState(ULONG* value) override { return *value = state, S_OK; }
    HRESULT STDMETHODCALLTYPE SetState(ULONG value) override { return state = value, S_OK; }
    HRESULT STDMETHODCALLTYPE SetText(IAutoOrvString* value) override
    {
        return text = Orv::String::FromInterface(value).c_str(), S_OK;
    }
    HRESULT STDMETHODCALLTYPE Enable(VARIANT_BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetState(ULONG bits, ULONG mask) override
    {
        return checkBits = (checkBits & ~mask) | bits, S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTag(ULONG, ULONG* tag) override { return *tag = 0, S_OK; }

    ULONG state = 0x1234;
    std::wstring text;
    ULONG checkBits = 0x10;
};

Orv::MsgIdMessageClassObjectRootImpl* CommandNamed(const std::wstring& name)
{
    for (VyrMessageClassLink* link = VyrMessageClassLink::Head(); link; link = link->Next())
        if (auto* command = dynamic_cast<Orv::MsgIdMessageClassObjectRootImpl*>(link))
            if (command->Name() == Orv::String(name.c_str()))
                return command;
    return nullptr;
}

// Runs one statement of macro text on the document: the answer of its message handler.
HRESULT RunStatement(SistraDocument& document, const std::wstring& line)
{
    Host::Macro::Statement statement(L"Doc." + line);
    Orv::MsgIdMessageClassObjectRootImpl* command = CommandNamed(statement.Command());
    if (!command)
        return E_INVALIDARG;
    Orv::ComPtr<IMessage> message;
    const HRESULT made = command->CreateMessage(0, statement.Parameters(), message.Put());
    return FAILED(made) ? made : document.HandleMessage(message.Get());
}

class DocumentCommands : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { recording = std::make_unique<Host::Recording>(HostTests::SteadyVentricle(8000)); }
    static void TearDownTestSuite() { recording.reset(); }

    void SetUp() override
    {
        document = std::make_unique<DocumentOnHost>(*recording, false, false);
        document->Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    }
    SistraDocument& Doc() { return document->Document(); }
    Sistra::ModelPtr Model(int kind) { return Doc().GetModel(kind); }
    bool Bool(int kind, int id) { return Model(kind)->GetValue<PropertyType::Bool>(id); }
    int32_t Int(int kind, int id) { return Model(kind)->GetValue<PropertyType::Int>(id); }
    double Double(int kind, int id) { return Model(kind)->GetValue<PropertyType::Double>(id); }
    ULONG ViewId(USHORT type) { return DocumentCommandId(type); }
    ULONG LastBox(std::wstring* caption = nullptr)
    {
        const auto boxes = RecordedMessageBoxes(HostTests::StandIn());
        if (caption && !boxes.empty())
            *caption = boxes.back().caption;
        return static_cast<ULONG>(boxes.size());
    }

    static inline std::unique_ptr<Host::Recording> recording;
    std::unique_ptr<DocumentOnHost> document;
};

// Every menu command and automation message of the map, with what it leaves behind.
TEST_F(DocumentCommands, EveryRowOfTheEventMapHasItsEffect)
{
    using Check = std::function<bool()>;
    size_t before = 0;
    const auto hostGot = [this, &before](ULONG id, std::vector<ULONG> words) {
        return [this, &before, id, words] {
            const auto messages = HostMessages(Doc());
            for (size_t i = before; i < messages.size(); ++i)
                if (messages[i].id == id && messages[i].words == words)
                    return true;
            return false;
        };
    };
    const auto hostGotInContext = [this, &before](ULONG id, std::vector<ULONG> words, std::vector<ULONG> context) {
        return [this, &before, id, words, context] {
            const auto messages = HostMessages(Doc());
            for (size_t i = before; i < messages.size(); ++i)
                if (messages[i].id == id && messages[i].words == words && messages[i].context == context)
                    return true;
            return false;
        };
    };
    const auto opened = [&](USHORT type) { return hostGot(0x80010000, {4, ViewId(type)}); };
    const auto boxed = [this](const wchar_t* caption) {
        return [this, caption] {
            std::wstring last;
            LastBox(&last);
            return last == caption;
        };
    };
    namespace Cmd = Sistra::Command;
    namespace View = Sistra::ViewType;
    struct Row
    {
        USHORT command;        // 0: a message
        const wchar_t* statement;
        Check effect;
    };
    const Row rows[] = {
        {Cmd::OpenWorkflow, nullptr,
         hostGotInContext(0x80010020, {20, ViewId(View::Workflow), 1}, {0x80010016, ViewId(View::Workflow), 0})},
        {Cmd::Settings, nullptr, boxed(L"Settings")},
        {Cmd::WorkflowMode, nullptr, boxed(L"WorkflowMode")},
        {Cmd::OpenLoopView, nullptr, opened(View::AnalysisGraph)},
        {Cmd::OpenHemodynamicsTable, nullptr, opened(View::HemodynamicsTable)},
        {Cmd::OpenPrswPlot, nullptr, opened(View::Prsw)},
        {Cmd::OpenDpDtMaxEdvPlot, nullptr, opened(View::DpDtMaxEdvGraph)},
        {Cmd::OpenSalineCalibration, nullptr, opened(View::SalineCalibration)},
        {Cmd::OpenPvaEdvPlot, nullptr, opened(View::PvaEdv)},
        {Cmd::OpenPvaEspPlot, nullptr, opened(View::PvaEsp)},
        {Cmd::OpenCuvetteCalibration, nullptr, opened(View::CuvetteCalibration)},
        {Cmd::ShowLoopMarkers, nullptr, [&] { return !Doc().GetSetupModel()->GetShowLoopMarkers(); }},
        {0, L"ToggleSistraEventMarkers", [&] { return Doc().GetSetupModel()->GetShowLoopMarkers(); }},
        {Cmd::OnlineMode, nullptr, [&] { return Bool(ModelKind::WorkflowSetup, PropertyId::OnlineMode); }},
        {0, L"ToggleSistraOnlineMode", [&] { return !Bool(ModelKind::WorkflowSetup, PropertyId::OnlineMode); }},
        {Cmd::ClearAnalysis, nullptr, [&] { return !document->RegionSet() && document->Loops().empty(); }},
        {Cmd::Analyze, nullptr, [&] { return document->RegionSet() && !document->Loops().empty(); }},
        {0, L"ClearSistraAnalysis", [&] { return !document->RegionSet(); }},
        {0, L"AnalyzeSistraNow", [&] { return document->RegionSet(); }},
        {Cmd::Reselect, nullptr, [&] { return document->Host().SelectedChannels() == std::vector<int32_t>{0, 1}; }},
        {0, L"SetKnownSistraVolumeValueFromSel pointIdx:=0",
         [&] { return std::isfinite(Double(ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeBaseEsv)); }},
        {0, L"ApplySistraSalineCalibration Vp:=2.5",
         [&] { return Double(ModelKind::SalineCalib, PropertyId::ParallelConductance) == 2.5 &&
                      Bool(ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied); }},
        {0, L"DisableSistraSalineCalibration", [&] { return !Bool(ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied); }},
        {0, L"ApplySistraCuvetteCalibration slope:=0.5, intercept:=3",
         [&] { return Double(ModelKind::CuvetteCalib, PropertyId::CuvetteSlope) == 0.5e-6 &&
                      Double(ModelKind::CuvetteCalib, PropertyId::CuvetteIntercept) == 3e-6 &&
                      Bool(ModelKind::CuvetteCalib, PropertyId::CuvetteCalibrationApplied); }},
        {0, L"DisableSistraCuvetteCalibration", [&] { return !Bool(ModelKind::CuvetteCalib, PropertyId::CuvetteCalibrationApplied); }},
        {0, L"ShowESPVRegression ShowESPVR:=True", [&] { return Bool(ModelKind::LoopView, PropertyId::ShowEspvrRegression); }},
        {0, L"ShowEDPVRegression ShowEDPVR:=True", [&] { return Bool(ModelKind::LoopView, PropertyId::ShowEdpvrRegression); }},
        {0, L"SetESPVRegressionType RegressionType:=\"Perpendicular\"", [&] { return Int(ModelKind::LoopView, PropertyId::EspvrRegressionType) == 2; }},
        {0, L"SetEDPVRegressionType RegressionType:=\"Exponential\"", [&] { return Int(ModelKind::LoopView, PropertyId::EdpvrRegressionType) == 1; }},
        {0, L"SelectASistra LoopIdx:=3", [&] { return Int(ModelKind::WorkflowSetup, PropertyId::SelectedLoop) == 3; }},
        {0, L"SistraTableRowSelected RowIdx:=1", [&] { return Int(ModelKind::WorkflowSetup, PropertyId::SelectedLoop) == 1; }},
        {0, L"OpenSistraSettings", boxed(L"Settings")},
        {0, L"SetShowESPointsType esPointsType:=\"TangentFitESPoints\"", [&] { return Int(ModelKind::LoopView, PropertyId::EsPointType) == 1; }},
        {0, L"OpenMPVSControlSoftware", [] { return true; }},
    };
    // In workflow mode a cuvette calibration waits for the conductance calibration and is withdrawn at
    // once; without workflow mode each calibration applies by itself.
    Doc().GetSetupModel()->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, false);
    Doc().GetSetupModel()->CommitChanges();
    for (const Row& row : rows)
    {
        const std::wstring name = row.statement ? row.statement : std::to_wstring(row.command);
        before = HostMessages(Doc()).size();
        if (row.command)
            EXPECT_EQ(S_OK, Doc().ExecuteCommand(DocumentCommandId(row.command))) << Orv::String(name.c_str()).Narrow();
        else
            EXPECT_EQ(1, RunStatement(Doc(), row.statement)) << Orv::String(name.c_str()).Narrow();
        EXPECT_TRUE(row.effect()) << Orv::String(name.c_str()).Narrow();
    }
    // Without workflow mode every plot is offered.
    EXPECT_EQ(S_OK, Doc().ExecuteCommand(DocumentCommandId(Cmd::WorkflowMode)));
    EXPECT_TRUE(hostGot(0x80010020, {20, ViewId(View::Workflow), 0})());
    HMENU popup = CreatePopupMenu();
    EXPECT_EQ(S_OK, Doc().InvokeCommand(DocumentCommandId(Cmd::PlotsPopup), 6, reinterpret_cast<ULONG_PTR>(popup), 0));
    EXPECT_GT(GetMenuItemCount(popup), 0);
    DestroyMenu(popup);
    before = HostMessages(Doc()).size();
    EXPECT_EQ(S_OK, Doc().InvokeCommand(DocumentCommandId(Cmd::PlotsPopup), 7, 6, 0));
    EXPECT_TRUE(opened(View::CuvetteCalibration)());
}

// Keywords match ignoring case; "Tangent" alone asks for tangent end-systolic points.
TEST_F(DocumentCommands, RegressionKeywordsSetTheFitAndThePointType)
{
    // A keyword the command does not know is refused (answer 0) and leaves fit and point type as they were.
    struct Case
    {
        const wchar_t* statement;
        int id;
        int32_t fit;
        int32_t pointType;
        int answer;
    };
    const Case cases[] = {
        {L"SetESPVRegressionType RegressionType:=\"tangent\"", PropertyId::EspvrRegressionType, 3, 1, 1},
        {L"SetESPVRegressionType RegressionType:=\"Quadratic\"", PropertyId::EspvrRegressionType, 1, 0, 1},
        {L"SetESPVRegressionType RegressionType:=\"Tangent\"", PropertyId::EspvrRegressionType, 3, 1, 1},
        {L"SetESPVRegressionType RegressionType:=\"Cubic\"", PropertyId::EspvrRegressionType, 3, 1, 0},
        {L"SetESPVRegressionType RegressionType:=\"Quadratic\"", PropertyId::EspvrRegressionType, 1, 0, 1},
        {L"SetEDPVRegressionType RegressionType:=\"EXPONENTIAL\"", PropertyId::EdpvrRegressionType, 1, 0, 1},
        {L"SetEDPVRegressionType RegressionType:=\"Quadratic\"", PropertyId::EdpvrRegressionType, 1, 0, 0},
        {L"SetEDPVRegressionType RegressionType:=\"linear\"", PropertyId::EdpvrRegressionType, 0, 0, 1},
        {L"SetShowESPointsType esPointsType:=\"tangentfitespoints\"", PropertyId::EdpvrRegressionType, 0, 1, 1},
        {L"SetShowESPointsType esPointsType:=\"Other\"", PropertyId::EdpvrRegressionType, 0, 1, 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.answer, RunStatement(Doc(), c.statement)) << Orv::String(c.statement).Narrow();
        EXPECT_EQ(c.fit, Int(ModelKind::LoopView, c.id)) << Orv::String(c.statement).Narrow();
        EXPECT_EQ(c.pointType, Int(ModelKind::LoopView, PropertyId::EsPointType)) << Orv::String(c.statement).Narrow();
    }
}

// The enable answers: Analyze names what it analyses; Clear and Reselect need a region that is not empty.
TEST_F(DocumentCommands, EnableAnswersFollowTheSetup)
{
    namespace Cmd = Sistra::Command;
    const Sistra::ModelPtr setup = Doc().GetSetupModel();
    const auto answer = [&](USHORT command) {
        CommandAnswer state;
        Doc().QueryCommandState(DocumentCommandId(command), &state);
        return state;
    };
    EXPECT_EQ(L"&Analyze Channel", answer(Cmd::Analyze).text);
    setup->SetValue<PropertyType::Int>(PropertyId::RegionMode, 0);
    setup->CommitChanges();
    EXPECT_EQ(L"&Analyze Selection", answer(Cmd::Analyze).text);
    setup->SetValue<PropertyType::Int>(PropertyId::RegionMode, 5);
    setup->CommitChanges();
    EXPECT_EQ(L"", answer(Cmd::Analyze).text);

    EXPECT_EQ(0x10 | VyrCommandBits::Checked, answer(Cmd::ShowLoopMarkers).checkBits);
    EXPECT_EQ(0x10u, answer(Cmd::OnlineMode).checkBits);
    for (USHORT command : {Cmd::Analyze, Cmd::WorkflowMode, Cmd::Settings, Cmd::PlotsPopup, Cmd::ClearAnalysis, Cmd::Reselect})
        EXPECT_EQ(VyrCommandStateValue::Enabled, answer(command).state) << command;
    EXPECT_EQ(VyrCommandStateValue::Enabled, answer(Cmd::OpenWorkflow).state);
    setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, false);
    setup->CommitChanges();
    EXPECT_EQ(0u, answer(Cmd::OpenWorkflow).state);
    document->Send(Sistra::AutomationMessage::ClearSistraAnalysis);
    for (USHORT command : {Cmd::ClearAnalysis, Cmd::Reselect})
        EXPECT_EQ(0u, answer(command).state) << command;
}

// A calibration value from the selection is the channel's mean over it, stored for point 0 or 1 only,
// and only from a selection of that channel within one record.
TEST_F(DocumentCommands, CalibrationValuesFromTheSelectionAreItsMeans)
{
    const Host::Recording& data = document->Host().Data();
    const auto mean = [&](int channel, int32_t from, int32_t to) {
        double sum = 0;
        for (int32_t tick = from; tick < to; ++tick)
            sum += data.RecordAt(0).Samples(static_cast<size_t>(channel))[static_cast<size_t>(tick)];
        return sum / (to - from);
    };
    struct Case
    {
        const wchar_t* statement;
        int kind, id, channel;
    };
    const Case cases[] = {
        {L"SetSistraPressureValueFromSel pointIdx:=0", ModelKind::PressureCalib, PropertyId::PressureBase1, 0},
        {L"SetSistraPressureValueFromSel pointIdx:=1", ModelKind::PressureCalib, PropertyId::PressureBase2, 0},
        {L"SetSistraConductanceValueFromSel pointIdx:=0", ModelKind::ConductanceCalib, PropertyId::ConductanceBase1, 1},
        {L"SetSistraConductanceValueFromSel pointIdx:=1", ModelKind::ConductanceCalib, PropertyId::ConductanceBase2, 1},
        {L"SetSistraVolumeValueFromSel pointIdx:=0", ModelKind::VolumeCalib, PropertyId::VolumeBase1, 1},
        {L"SetSistraVolumeValueFromSel pointIdx:=1", ModelKind::VolumeCalib, PropertyId::VolumeBase2, 1},
    };
    int32_t from = 100;
    for (const Case& c : cases)
    {
        from += 250;
        document->Host().SetSelection({0, from}, {0, from + 400});
        EXPECT_EQ(1, RunStatement(Doc(), c.statement));
        EXPECT_NEAR(mean(c.channel, from, from + 400), Double(c.kind, c.id), 1e-4) << Orv::String(c.statement).Narrow();
    }
    const double kept = Double(ModelKind::PressureCalib, PropertyId::PressureBase1);
    document->Host().SetSelection({0, 10}, {0, 20});
    // A point the calibration lacks, or a selection on another channel, is refused and keeps the value.
    EXPECT_EQ(0, RunStatement(Doc(), L"SetSistraPressureValueFromSel pointIdx:=2"));
    document->Host().ClearSelection();
    document->Host().AddChannelSelection(1, -1, 1, {0, 10}, {0, 20});
    EXPECT_EQ(0, RunStatement(Doc(), L"SetSistraPressureValueFromSel pointIdx:=0"));
    EXPECT_EQ(kept, Double(ModelKind::PressureCalib, PropertyId::PressureBase1));
}

// The view types of each node of the host's view tree of the document, the top node first.
std::vector<std::vector<ULONG>> OpenViewTypes(IHostViewCollection& node)
{
    std::vector<std::vector<ULONG>> nodes(1);
    ULONG count = 0;
    for (ULONG i = 0; SUCCEEDED(node.GetItemCount(&count)) && i < count; ++i)
    {
        Orv::ComPtr<IHostViewItem> item;
        EXPECT_EQ(S_OK, node.GetItem(i, item.Put()));
        item->GetViewTypeId(&nodes[0].emplace_back());
    }
    for (ULONG i = 0; SUCCEEDED(node.GetChildCount(&count)) && i < count; ++i)
    {
        Orv::ComPtr<IHostViewCollection> child;
        EXPECT_EQ(S_OK, node.GetChild(i, child.Put()));
        for (auto& below : OpenViewTypes(*child.Get()))
            nodes.push_back(std::move(below));
    }
    return nodes;
}

// Arranging places each view of the step in percent of the main window's client area (rounded down),
// each with three host messages: bring it up, show it, place it.
TEST_F(DocumentCommands, ArrangingPlacesTheStepsViewsInTheMainWindow)
{
    HWND main = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 803, 599, nullptr, nullptr, nullptr, nullptr);
    RECT area{};
    GetClientRect(main, &area);
    HostTests::StandIn().SetMainWindow(main);
    Model(ModelKind::WorkflowView)->SetValue<PropertyType::Int>(PropertyId::CurrentStep, Sistra::StepId::AnalyseStep);
    Model(ModelKind::WorkflowView)->CommitChanges();
    std::vector<Sistra::ViewLayoutItem> items;
    Sistra::Workflow(&Doc()).GetViewLayout(items);
    ASSERT_FALSE(items.empty());
    // Views the step does not show close; the workflow view stays.
    const ULONG workflow = ViewId(Sistra::ViewType::Workflow);
    const ULONG prsw = ViewId(Sistra::ViewType::Prsw);
    ASSERT_TRUE(std::none_of(items.begin(), items.end(), [prsw](const auto& item) { return item.viewType == prsw; }));
    for (const ULONG type : {prsw, workflow, ViewId(Sistra::ViewType::AnalysisGraph)})
        VyrMessageSender().SendMsg(Doc().Outer(), MsgData<std::array<ULONG, 2>>{0x80010000, 0, {4, type}}, 0);
    const size_t before = HostMessages(Doc()).size();
    EXPECT_EQ(1, RunStatement(Doc(), L"ArrangeSistraViews"));
    Orv::ComPtr<IHostViewCollection> views;
    ASSERT_EQ(S_OK, Doc().Outer()->QueryInterface(IID_IHostViewCollection, views.PutVoid()));
    EXPECT_EQ((std::vector<ULONG>{workflow, ViewId(Sistra::ViewType::AnalysisGraph)}), OpenViewTypes(*views.Get())[0]);
    const auto messages = HostMessages(Doc());
    ASSERT_EQ(before + 3 * items.size(), messages.size());
    const auto scaled = [](int32_t percent, LONG length) { return static_cast<ULONG>(percent * length / 100); };
    for (size_t i = 0; i < items.size(); ++i)
    {
        const Sistra::ViewLayoutItem& item = items[i];
        const HostMessage* sent = &messages[before + 3 * i];
        EXPECT_EQ(0x80010021u, sent[0].id);
        EXPECT_EQ((std::vector<ULONG>{20, item.viewType, 64}), sent[0].words);
        EXPECT_EQ(0x80010015u, sent[1].id);
        EXPECT_EQ((std::vector<ULONG>{276, item.viewType, 1, 0xF120}), sent[1].words);
        EXPECT_EQ(0x80010005u, sent[2].id);
        EXPECT_EQ((std::vector<ULONG>{2068, item.viewType, 1, scaled(item.left, area.right), scaled(item.top, area.bottom),
                                      scaled(item.right, area.right), scaled(item.bottom, area.bottom)}),
                  sent[2].words);
    }
    HostTests::StandIn().SetMainWindow(nullptr);
    DestroyWindow(main);
}

// Copying the table sends the table of the document's table-view manager, which its table views share,
// to the host's sheet.
TEST_F(DocumentCommands, CopyingTheTableFillsTheHostsSheet)
{
    ITableViewManager* manager = Doc().GetTableViewManager();
    ASSERT_NE(nullptr, manager);
    EXPECT_EQ(manager, Doc().GetTableViewManager());
    TableViewTests::FakeTable table(2, {L"HR", L"SV"});
    OWL::TWindow parent(nullptr, L"table client");
    parent.Attr.Style = WS_POPUP | WS_CLIPCHILDREN;
    parent.Create();
    ASSERT_EQ(S_OK, manager->CreateTableView(0x278, parent.GetHandle(), HostAppAccessor::Get(), nullptr, &table, &table,
                                             &table, nullptr));
    struct Sheet : TableViewTests::FakeSheet
    {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
        {
            *out = static_cast<ITallionSheet*>(this);
            return S_OK;
        }
    } sheet;
    HostTests::StandIn().RegisterHostObject(&ResultsSheetGuid, &sheet);
    EXPECT_EQ(1, RunStatement(Doc(), L"CopyPVTableToTallion"));
    HostTests::StandIn().RegisterHostObject(&ResultsSheetGuid, nullptr);
    manager->DestroyTableView(0);
    EXPECT_EQ(L"HR", sheet.At(1, 1));
    EXPECT_EQ(L"Loop 2", sheet.At(3, 0));
    EXPECT_EQ(L"2.2", sheet.At(3, 2));
}

// "Workflow Mode..." puts in force the mode its dialog chose, and only when the dialog closed with OK.
TEST_F(DocumentCommands, WorkflowModeTakesTheModeItsDialogChoseOnOk)
{
    const struct
    {
        bool before;
        std::optional<BYTE> chosen; // none: the box left as the dialog opened
        LONG answer;
        bool after;
    } rows[] = {
        {true, 0, IDOK, false}, {true, 0, IDCANCEL, true}, {true, std::nullopt, IDOK, true}, {false, 1, IDOK, true},
    };
    const Sistra::ModelPtr setup = Doc().GetSetupModel();
    for (const auto& row : rows)
    {
        setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, row.before);
        setup->CommitChanges();
        if (row.chosen)
        {
            const BYTE state[] = {*row.chosen, row.before};
            ASSERT_EQ(S_OK, HostTests::StandIn().ScriptDialogChoice(L"WorkflowMode", sizeof state, state));
        }
        HostTests::StandIn().ScriptMessageBoxAnswer(row.answer);
        EXPECT_EQ(S_OK, Doc().ExecuteCommand(DocumentCommandId(Sistra::Command::WorkflowMode)));
        EXPECT_EQ(row.after, Bool(ModelKind::WorkflowSetup, PropertyId::WorkflowModeOn))
            << row.before << " " << row.answer;
    }
}

// Leaving workflow mode closes the workflow views in every node of the host's view tree and no other
// view; entering it closes nothing.
TEST_F(DocumentCommands, LeavingWorkflowModeClosesOnlyTheWorkflowViews)
{
    namespace Cmd = Sistra::Command;
    const ULONG workflow = ViewId(Sistra::ViewType::Workflow);
    const ULONG loop = ViewId(Sistra::ViewType::AnalysisGraph);
    const ULONG table = ViewId(Sistra::ViewType::HemodynamicsTable);
    struct Row
    {
        bool before, after;
        std::vector<std::vector<ULONG>> left; // top node, then the workflow pane
    };
    const Row rows[] = {
        {true, false, {{loop, table}, {}}},
        {false, true, {{loop, workflow, table}, {workflow}}},
        {false, false, {{loop, workflow, table}, {workflow}}},
    };
    for (const Row& row : rows)
    {
        DocumentOnHost host(*recording, false, false);
        SistraDocument& doc = host.Document();
        const Sistra::ModelPtr setup = doc.GetSetupModel();
        setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, row.before);
        setup->CommitChanges();
        // The workflow view shows in the host's pane; the host may also open one among the others.
        doc.ExecuteCommand(DocumentCommandId(Cmd::OpenLoopView));
        VyrMessageSender().SendMsg(doc.Outer(), MsgData<std::array<ULONG, 2>>{0x80010000, 0, {4, workflow}}, 0);
        doc.ExecuteCommand(DocumentCommandId(Cmd::OpenHemodynamicsTable));
        doc.ExecuteCommand(DocumentCommandId(Cmd::OpenWorkflow));
        setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, row.after);
        setup->CommitChanges();
        Orv::ComPtr<IHostViewCollection> views;
        ASSERT_EQ(S_OK, doc.Outer()->QueryInterface(IID_IHostViewCollection, views.PutVoid()));
        EXPECT_EQ(row.left, OpenViewTypes(*views.Get())) << row.before << " -> " << row.after;
    }
}

// Known volumes come from the valid loops of a selection of the volume channel: the mean smallest or
// largest volume, or the stroke volume between them, as the pair of volumes the user knows asks.
TEST_F(DocumentCommands, KnownVolumesComeFromTheSelectedLoops)
{
    constexpr int32_t From = 1000, To = 5000;
    double largest = 0, smallest = 0;
    int counted = 0;
    for (uint32_t loop = 0; loop < Doc().Data().GetLoopCount(); ++loop)
    {
        Sistra::SistraEvent record;
        if (Doc().Data().ReadLoop(loop, record) && record.base.tick >= From && record.base.tick < To && record.state == 0)
        {
            largest += record.vmax;
            smallest += record.vmin;
            ++counted;
        }
    }
    ASSERT_GT(counted, 1);
    largest /= counted;
    smallest /= counted;
    const struct
    {
        int32_t pair;
        LONG point;
        int id;
        double expected;
    } cases[] = {
        {0, 0, PropertyId::KnownVolumeBaseEsv, smallest}, {0, 1, PropertyId::KnownVolumeBaseEdv, largest},
        {1, 0, PropertyId::KnownVolumeBaseEsv, smallest}, {1, 1, PropertyId::KnownVolumeBaseSv, largest - smallest},
        {2, 0, PropertyId::KnownVolumeBaseEdv, largest},  {2, 1, PropertyId::KnownVolumeBaseSv, largest - smallest},
    };
    const Sistra::ModelPtr known = Model(ModelKind::KnownVolumeCalib);
    const int bases[] = {PropertyId::KnownVolumeBaseEsv, PropertyId::KnownVolumeBaseEdv, PropertyId::KnownVolumeBaseSv};
    const auto values = [&] {
        std::vector<double> held;
        for (int id : bases)
            held.push_back(Double(ModelKind::KnownVolumeCalib, id));
        return held;
    };
    for (const auto& c : cases)
    {
        known->SetValue<PropertyType::Int>(PropertyId::KnownVolumePair, c.pair);
        known->CommitChanges();
        document->Host().SetSelection({0, From}, {0, To});
        EXPECT_EQ(1, RunStatement(Doc(), L"SetKnownSistraVolumeValueFromSel pointIdx:=" + std::to_wstring(c.point)));
        EXPECT_NEAR(c.expected, Double(ModelKind::KnownVolumeCalib, c.id), 1e-9 * std::abs(c.expected))
            << c.pair << " " << c.point;
    }
    // A point other than 0 and 1, and a selection without loops, store nothing and are refused.
    const std::vector<double> before = values();
    for (const LONG point : {2, 99, -1})
        EXPECT_EQ(0, RunStatement(Doc(), L"SetKnownSistraVolumeValueFromSel pointIdx:=" + std::to_wstring(point)));
    const ULONG boxes = LastBox();
    document->Host().SetSelection({0, From}, {0, From + 100});
    EXPECT_EQ(0, RunStatement(Doc(), L"SetKnownSistraVolumeValueFromSel pointIdx:=0"));
    std::wstring caption;
    EXPECT_EQ(boxes + 1, LastBox(&caption));
    EXPECT_EQ(L"No Loops Detected", caption);
    const std::vector<double> after = values();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin(),
                           [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }));
}

// In the echo workflow known volumes come from the loops of the selection itself, read from the volume
// channel as recorded, also where the selection lies outside the analysed region.
TEST_F(DocumentCommands, EchoKnownVolumesComeFromASelectionOutsideTheRegion)
{
    const Sistra::ModelPtr setup = Doc().GetSetupModel();
    setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, Sistra::WorkflowKind::Echo);
    setup->SetValue<PropertyType::Int>(PropertyId::RegionMode, 0);
    setup->CommitChanges();
    document->Host().SetSelection({0, 0}, {0, 3000});
    document->Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    ASSERT_GT(Doc().Data().GetLoopCount(), 0u);

    constexpr int32_t From = 4000, To = 7900;
    const auto volume = recording->RecordAt(0).Samples(1).subspan(From, To - From);
    const auto [lowest, highest] = std::minmax_element(volume.begin(), volume.end());
    const Sistra::ModelPtr known = Model(ModelKind::KnownVolumeCalib);
    known->SetValue<PropertyType::Int>(PropertyId::KnownVolumePair, 0);
    known->CommitChanges();
    const ULONG boxes = LastBox();
    document->Host().SetSelection({0, From}, {0, To});
    EXPECT_EQ(1, RunStatement(Doc(), L"SetKnownSistraVolumeValueFromSel pointIdx:=0"));
    EXPECT_EQ(1, RunStatement(Doc(), L"SetKnownSistraVolumeValueFromSel pointIdx:=1"));
    EXPECT_EQ(boxes, LastBox());
    EXPECT_NEAR(*lowest, Double(ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeBaseEsv), 1e-3 * std::abs(*lowest));
    EXPECT_NEAR(*highest, Double(ModelKind::KnownVolumeCalib, PropertyId::KnownVolumeBaseEdv), 1e-3 * std::abs(*highest));
}

// Boluses: the analysed parallel conductance joins the list once; positions count from 1; an edited
// value comes in the channel's prefixed unit and no longer stands for a region.
TEST_F(DocumentCommands, BolusesAreAddedOnceRemovedAndEdited)
{
    // Beats whose volume grows give end-systolic and end-diastolic volumes a line to fit.
    const Host::Recording growing = HostTests::SteadyVentricle(8000, 0.05);
    document = std::make_unique<DocumentOnHost>(growing, false, false);
    document->Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const auto list = [&] { return Model(ModelKind::SalineCalib)->GetValue<PropertyType::BolusList>(PropertyId::BolusList); };
    const auto selected = [&] { return Model(ModelKind::SalineCalib)->GetValue<PropertyType::IntSet>(PropertyId::SelectedBoluses); };
    EXPECT_EQ(1, RunStatement(Doc(), L"AddAnalyzedParallelConductance"));
    ASSERT_EQ(1u, list().size());
    const double vp = list()[0].value;
    EXPECT_TRUE(std::isfinite(vp));
    EXPECT_EQ(vp, Double(ModelKind::SalineCalib, PropertyId::ParallelConductance));
    EXPECT_EQ(1, RunStatement(Doc(), L"AddAnalyzedParallelConductance"));
    EXPECT_EQ(1u, list().size());
    Doc().GetModel(ModelKind::LoopView)->SetValue<PropertyType::IntSet>(PropertyId::CheckedItems, Sistra::IntSet{1});
    Doc().GetModel(ModelKind::LoopView)->CommitChanges();
    EXPECT_EQ(1, RunStatement(Doc(), L"AddAnalyzedParallelConductance"));
    ASSERT_EQ(2u, list().size());
    EXPECT_EQ(Sistra::IntSet{1}, selected());

    for (const wchar_t* outside : {L"position:=0", L"position:=3, parallelConductance:=1", L"position:=-1, parallelConductance:=1"})
    {
        const std::wstring command = std::wstring(outside).find(L"parallel") != std::wstring::npos
                                         ? L"EditParallelConductanceInList "
                                         : L"RemoveParallelConductanceFromList ";
        // A position outside the list is refused and leaves the list as it was.
        EXPECT_EQ(0, RunStatement(Doc(), command + outside));
        EXPECT_EQ(2u, list().size());
    }
    EXPECT_EQ(1, RunStatement(Doc(), L"EditParallelConductanceInList position:=2, parallelConductance:=7.5"));
    const Sistra::BolusEntry edited = list()[1];
    EXPECT_EQ(7.5, edited.value);
    EXPECT_EQ(0x7FFFFFFF, edited.start.block);
    EXPECT_TRUE(edited.loopItems.empty());
    EXPECT_EQ(Sistra::IntSet{1}, selected());
    EXPECT_EQ(7.5, Double(ModelKind::SalineCalib, PropertyId::ParallelConductance));

    EXPECT_EQ(1, RunStatement(Doc(), L"RemoveParallelConductanceFromList position:=1"));
    ASSERT_EQ(1u, list().size());
    EXPECT_EQ(7.5, list()[0].value);
    EXPECT_TRUE(selected().empty());
    EXPECT_TRUE(std::isnan(Double(ModelKind::SalineCalib, PropertyId::ParallelConductance)));
    EXPECT_FALSE(Bool(ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied));
}

// A calibration's point taken from the selection is the channel as its own conversion shows it, and a
// cuvette table's reading the conductance behind the volume, whichever calibrations are in force: read
// through them, the conductance step's point taken after Apply was calibrated already, and the cuvette
// table took the volume for conductance. Each line runs through the reading, which a wrong one moves.
TEST_F(DocumentCommands, CalibrationReadingsAreTakenBeforeTheCalibrationsInForce)
{
    const Sistra::ModelPtr setup = Doc().GetSetupModel();
    setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, Sistra::WorkflowKind::SmallMammal);
    setup->CommitChanges();
    constexpr TickPosition From{0, 300}, To{0, 700};
    document->Host().SetSelection(From, To);
    const auto shown = [&](int32_t channel) {
        return Sistra::MeanOfChannelRange(&document->Host(), channel, From, To, false);
    };
    const double pressure = shown(0), conductance = shown(1);
    const auto line = [&](int kind, std::array<int, 5> ids, double reading, double slope, double intercept) {
        const Sistra::ModelPtr model = Model(kind);
        for (const auto& [id, value] : {std::pair{ids[0], reading}, {ids[1], slope * reading + intercept},
                                        {ids[2], reading + 1}, {ids[3], slope * (reading + 1) + intercept}})
            model->SetValue<PropertyType::Double>(id, value);
        model->SetValue<PropertyType::Bool>(ids[4], true);
        model->CommitChanges();
    };
    double throughConductance = conductance;
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"none", [] {}},
        {"pressure",
         [&] {
             line(ModelKind::PressureCalib, {PropertyId::PressureBase1, PropertyId::PressureConverted1, PropertyId::PressureBase2,
                                            PropertyId::PressureConverted2, PropertyId::PressureCalibrationApplied},
                  pressure, 3.0, 10.0);
         }},
        {"conductance",
         [&] {
             line(ModelKind::ConductanceCalib,
                  {PropertyId::ConductanceBase1, PropertyId::ConductanceConverted1, PropertyId::ConductanceBase2,
                   PropertyId::ConductanceConverted2, PropertyId::ConductanceCalibrationApplied},
                  conductance, 2.0, 1.0);
             throughConductance = shown(1);
         }},
        {"cuvette", [&] { EXPECT_EQ(1, RunStatement(Doc(), L"ApplySistraCuvetteCalibration slope:=5, intercept:=1")); }},
    };
    const auto agrees = [](double expected, double actual) { return std::abs(actual - expected) <= 1e-5 * std::abs(expected); };
    for (const auto& [name, apply] : steps)
    {
        apply();
        // Read first: a conductance point taken again withdraws the cuvette regression built on it.
        EXPECT_PRED2(agrees, throughConductance, Doc().CuvetteReading(shown(1))) << name;
        EXPECT_EQ(std::string(name) == "cuvette", !agrees(throughConductance, shown(1))) << name;
        EXPECT_EQ(1, RunStatement(Doc(), L"SetSistraPressureValueFromSel pointIdx:=0"));
        EXPECT_PRED2(agrees, pressure, Double(ModelKind::PressureCalib, PropertyId::PressureBase1)) << name;
        EXPECT_EQ(1, RunStatement(Doc(), L"SetSistraConductanceValueFromSel pointIdx:=0"));
        EXPECT_PRED2(agrees, conductance, Double(ModelKind::ConductanceCalib, PropertyId::ConductanceBase1)) << name;
    }
    // The pressure and conductance calibrations were in force on their channels.
    EXPECT_FALSE(agrees(pressure, shown(0)));
    EXPECT_FALSE(agrees(conductance, throughConductance));
}

// A volume calibration applied by its automation message answers 1 exactly when the loops' volumes change:
// where the document's workflow never takes it (or waits for an earlier step) it answers 0.
TEST_F(DocumentCommands, AppliedVolumeCalibrationsAnswerWhetherTheVolumesChanged)
{
    namespace Kind = Sistra::WorkflowKind;
    const struct
    {
        int32_t workflow;
        bool guided;
        int saline, cuvette; // the answers
    } cases[] = {{Kind::None, true, 0, 0}, {Kind::SmallMammal, true, 0, 1}, {Kind::LargeMammal, true, 0, 0},
                 {Kind::Echo, true, 0, 0}, {Kind::LargeMammal, false, 1, 1}};
    for (const auto& test : cases)
        for (const auto& [statement, answer] : {std::pair{L"ApplySistraSalineCalibration Vp:=2.5e-06", test.saline},
                                                std::pair{L"ApplySistraCuvetteCalibration slope:=0.5, intercept:=3", test.cuvette}})
        {
            SetUp();
            const Sistra::ModelPtr setup = Doc().GetSetupModel();
            setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, test.workflow);
            setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, test.guided);
            setup->CommitChanges();
            // The small mammal's cuvette regression waits for its conductance calibration.
            const Sistra::ModelPtr conductance = Model(ModelKind::ConductanceCalib);
            for (const auto& [id, value] : {std::pair{PropertyId::ConductanceBase1, 0.0}, {PropertyId::ConductanceBase2, 1.0},
                                            {PropertyId::ConductanceConverted1, 0.0}, {PropertyId::ConductanceConverted2, 2.0}})
                conductance->SetValue<PropertyType::Double>(id, value);
            conductance->SetValue<PropertyType::Bool>(PropertyId::ConductanceCalibrationApplied, true);
            conductance->CommitChanges();
            document->Send(Sistra::AutomationMessage::AnalyzeSistraNow);
            const auto before = document->Loops();
            const std::string name = std::string(Orv::String(statement).Narrow()) + " in workflow " +
                                     std::to_string(test.workflow) + (test.guided ? "" : " left");
            EXPECT_EQ(answer, RunStatement(Doc(), statement)) << name;
            document->Send(Sistra::AutomationMessage::AnalyzeSistraNow);
            EXPECT_EQ(answer == 1, before != document->Loops()) << name;
        }
}

// Table rows count the loops the analyser did not find invalid; unreadable loops are not listed.
TEST(TableRows, SkipInvalidLoops)
{
    constexpr int32_t Invalid = 2, Excluded = 1;
    const std::vector<std::optional<int32_t>> states = {Invalid, Invalid, 0, Excluded, std::nullopt, 0, Invalid};
    const auto stateOf = [&](uint32_t loop) { return states[loop]; };
    const std::pair<uint32_t, std::optional<uint32_t>> cases[] = {{0, 2}, {1, 3}, {2, 5}, {3, std::nullopt}};
    for (const auto& [row, loop] : cases)
        EXPECT_EQ(loop, Sistra::LoopOfTableRow(row, static_cast<uint32_t>(states.size()), stateOf)) << row;
    EXPECT_EQ(std::nullopt, Sistra::LoopOfTableRow(0, 0, stateOf));
}

} // namespace

namespace
{

// A module view window that counts the selections handed to it as to a cuvette view.
class SelectionTakingWindow final : public OWL::TWindow, public VyrCppEventHandler, public Sistra::CuvetteSelectionTarget
{
public:
    SelectionTakingWindow(OWL::TWindow* parent, IDocViewClass*, IDocView2*, IUnknown*, OWL::TModule* module, IDocView2*)
        : OWL::TWindow(parent, L"selection taker", module)
    {
    }
    Orv::String SetFromSelection() override { return ++taken, Orv::String(); }
    static inline int taken = 0;
};

class ViewParent final : public IClientSite
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override { return *object = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetParentWindow(HWND* parent) override { return *parent = window, S_OK; }
    HRESULT STDMETHODCALLTYPE RequestClose() override { return S_OK; }
    HWND window = nullptr;
};

// A view of the test window class under the view type, shown by the host on the document.
Orv::ComPtr<IDocView2> ShowView(IUnknown* document, IdGetter type, ViewParent& site)
{
    auto* viewClass = new VyrOwlDocViewClass<SelectionTakingWindow>(Orv::String(L"Taker"), Orv::String(), type);
    const Orv::ComPtr<IDocViewClass> holder(viewClass);
    Orv::ComPtr<IDocView2> view;
    EXPECT_EQ(S_OK, viewClass->CreateView(0, document, view.Put()));
    Orv::ComPtr<IClientWindow> client;
    HWND window = nullptr;
    view->QueryInterface(IID_IClientWindow, client.PutVoid());
    EXPECT_EQ(S_OK, client->CreateClientWindow(&site, &window));
    EXPECT_EQ(S_OK, view->Activate());
    return view;
}

} // namespace

// The automation command reaches the cuvette view the host shows for the document, and nothing else:
// not a view of another type, not a cuvette view asked for but not shown, not a closed one; it answers
// 0 when no view took the selection.
TEST_F(DocumentCommands, AddingTheSelectionReachesTheShownCuvetteView)
{
    OWL::TWindow parent(nullptr, L"views");
    parent.Attr.Style = WS_POPUP | WS_CLIPCHILDREN;
    parent.Create();
    ViewParent site;
    site.window = parent.GetHandle();
    IUnknown* const outer = Doc().Outer();
    const auto taken = [this] {
        const int before = SelectionTakingWindow::taken;
        const auto answer = RunStatement(Doc(), L"AddSelToSistraCuvetteCalibration");
        // Answered 1 only when a view took the selection.
        EXPECT_EQ(SelectionTakingWindow::taken - before, answer);
        return SelectionTakingWindow::taken - before;
    };
    EXPECT_EQ(0, taken());
    Doc().ExecuteCommand(DocumentCommandId(Sistra::Command::OpenCuvetteCalibration));
    EXPECT_EQ(0, taken());
    const Orv::ComPtr<IDocView2> loop =
        ShowView(outer, &TypeIdClass<&SistraDocumentGUID, Sistra::ViewType::AnalysisGraph>::GetId, site);
    EXPECT_EQ(0, taken());
    const Orv::ComPtr<IDocView2> cuvette =
        ShowView(outer, &TypeIdClass<&SistraDocumentGUID, Sistra::ViewType::CuvetteCalibration>::GetId, site);
    EXPECT_EQ(1, taken());
    // The view shown joins the one the document asked for rather than standing beside it.
    Orv::ComPtr<IHostViewCollection> views;
    ASSERT_EQ(S_OK, outer->QueryInterface(IID_IHostViewCollection, views.PutVoid()));
    const std::vector<ULONG> types = OpenViewTypes(*views.Get())[0];
    EXPECT_EQ(1, std::count(types.begin(), types.end(), ViewId(Sistra::ViewType::CuvetteCalibration)));
    cuvette->Close();
    EXPECT_EQ(0, taken());
    loop->Close();
}
