// The document's menu entries in the host's menu list, the Plots popup of each workflow step and the
// commands' states by what the workflow offers.
#include "host/tests/RecordingFixtures.h"

#include "document/core/SistraDocument.h"
#include "document/models/workflow/Workflow.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/services/MenuCommands.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/document/VyrDocumentClass.h"
#include "host/app/document/HostDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace Sistra;

std::wstring Text(IVyrCommand* command, ULONG which)
{
    BSTR text = nullptr;
    command->GetText(which, &text);
    std::wstring result = text ? text : L"";
    SysFreeString(text);
    return result;
}

struct NoCommands final : IVyrCommandHandler
{
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Execute(ULONG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE QueryState(ULONG, IVyrCommandState*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Invoke(ULONG, ULONG, ULONG_PTR, ULONG_PTR) override { return S_FALSE; }
};

Orv::ComPtr<IVyrCommandRegistration> Register(IVyrCommandHandler* handler)
{
    Orv::ComPtr<IVyrCommandRegistration> registration;
    CommandRegistrationAccessor::Get()->RegisterCommandHandler(&SistraDocumentGUID, handler, 0, registration.Put());
    return registration;
}

TEST(DocumentMenus, TheEntriesReachTheHostsMenuListInOrder)
{
    struct Expected
    {
        ULONG kind;
        const wchar_t* path;  // or, for a separator, its text
        const wchar_t* caption;
        USHORT number;
        ULONG placement;
        ULONG image;
    };
    constexpr ULONG Item = VyrCommandKind::MenuPath, Full = VyrCommandKind::Full;
    const Expected expected[] = {
        {VyrCommandKind::ModuleOwner, L"", L"", 0, 0, 0},
        {Item, L"Sistra^EXTENSION|", L"Sistra", 0, 0, 0},
        {Item, L"Sistra|Workflow", L"&Workflow", 31, 0, 0},
        {Item, L"-", L"", 0, 0, 0},
        {Full, L"Sistra|Settings...", L"&Settings...", 13, 10, 114},
        {Item, L"-", L"", 0, 0, 0},
        {Full, L"Sistra^EXTENSION|SistraA^VIEWS", L"&Loop View", 15, 10, 117},
        {Full, L"Sistra^EXTENSION|SistraPlots^VIEWS", L"&Plots", 22, 520, 120},
        {Full, L"Sistra^EXTENSION|SistraH^VIEWS", L"&Hemodynamics Table", 14, 10, 115},
        {Item, L"-", L"", 0, 0, 0},
        {Full, L"Sistra^EXTENSION|SistraSaline^CALIBRATIONS", L"Saline &Calibration", 27, 2, 116},
        {Full, L"Sistra^EXTENSION|SistraCuvette^CALIBRATIONS", L"C&uvette Calibration", 28, 2, 116},
        {Item, L"-", L"", 0, 0, 0},
        {Full, L"Sistra^EXTENSION|SistraPRSW^PLOTS", L"&PRSW Plot", 23, 2, 116},
        {Full, L"Sistra^EXTENSION|SistradPdT^PLOTS", L"&dP/dt Max vs EDV Plot", 24, 2, 116},
        {Full, L"Sistra^EXTENSION|SistraPvaEdv^PLOTS", L"P&VA vs EDV Plot", 25, 2, 116},
        {Full, L"Sistra^EXTENSION|SistraPvaEsp^PLOTS", L"PVA vs &ESP Plot", 26, 2, 116},
        {Item, L"-", L"", 0, 0, 0},
        {Item, L"Sistra|Show Loop Markers^ONLINE", L"Show Cycle &Markers", 17, 0, 0},
        {Item, L"Sistra|Online Mode^ONLINE", L"Analyze wh&ile sampling", 19, 0, 0},
        {Item, L"-", L"", 0, 0, 0},
        {Item, L"Sistra|Reselect^ANALYZE", L"&Reselect Analyzed Data", 18, 0, 0},
        {Item, L"Sistra|Clear Analysis^ANALYZE", L"Clear A&nalysis", 20, 0, 0},
        {Full, L"Sistra|Analyze^ANALYZE", L"&Analyze", 21, 10, 112},
        {Item, L"-", L"", 0, 0, 0},
        {Item, L"Sistra|Workflow Mode...", L"W&orkflow mode...", 32, 0, 0},
    };
    NoCommands handler;
    const Orv::ComPtr<IVyrCommandRegistration> registration = Register(&handler);
    ASSERT_TRUE(registration);
    bool installed = false;
    EXPECT_EQ(S_OK, SistraDocument::InstallMenus(registration.Get(), installed));
    EXPECT_TRUE(installed);

    ULONG count = 0;
    registration->GetMenuCommandCount(&count);
    ASSERT_EQ(count, std::size(expected));
    for (ULONG index = 0; index < count; ++index)
    {
        const Expected& want = expected[index];
        SCOPED_TRACE(index);
        Orv::ComPtr<IVyrCommand> command;
        ASSERT_EQ(registration->GetMenuCommand(index, command.Put()), S_OK);
        ULONG kind = 0, id = 0, number = 0, placement = 0, image = 0;
        command->GetKind(&kind);
        command->GetId(&id);
        command->GetNumbers(&number, &placement, &image);
        EXPECT_EQ(kind, want.kind);
        const bool separator = std::wstring(want.path) == L"-";
        EXPECT_EQ(Text(command.Get(), separator ? VyrCommandText::Separator : VyrCommandText::Path),
                  separator ? L"Sistra|-" : want.path);
        EXPECT_EQ(Text(command.Get(), VyrCommandText::Caption), want.caption);
        if (want.number != 0)
        {
            EXPECT_EQ(id, DocumentCommandId(want.number));
        }
        EXPECT_EQ(number, want.number);
        EXPECT_EQ(placement, want.placement);
        EXPECT_EQ(image, want.image);
    }
    Orv::ComPtr<IVyrCommand> owner;
    registration->GetMenuCommand(0, owner.Put());
    EXPECT_EQ(Text(owner.Get(), VyrCommandText::Title), L"Sistra");
    EXPECT_EQ(Text(owner.Get(), VyrCommandText::ModuleName), L"Sistra");
    Orv::ComPtr<IVyrCommand> settings;
    registration->GetMenuCommand(4, settings.Put());
    EXPECT_EQ(Text(settings.Get(), VyrCommandText::Status), L"Open the settings dialog");
    EXPECT_EQ(Text(settings.Get(), VyrCommandText::ShortName), L"Settings");
}

// The host asks the module's handler to execute a chosen command and whether a command is enabled.
struct RecordingHandler final : IVyrCommandHandler
{
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Execute(ULONG id) override
    {
        executed = id;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryState(ULONG id, IVyrCommandState* state) override
    {
        return id == enabledId ? state->SetState(VyrCommandStateValue::Enabled) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Invoke(ULONG, ULONG, ULONG_PTR, ULONG_PTR) override { return S_FALSE; }

    ULONG executed = 0;
    ULONG enabledId = 0;
};

TEST(DocumentMenus, TheHostAsksTheModulesHandlerToExecuteAndEnable)
{
    RecordingHandler handler;
    handler.enabledId = DocumentCommandId(Command::Analyze);
    const Orv::ComPtr<IVyrCommandRegistration> registration = Register(&handler);
    EXPECT_EQ(registration->ExecuteCommand(DocumentCommandId(Command::Reselect)), S_OK);
    EXPECT_EQ(handler.executed, DocumentCommandId(Command::Reselect));
    ULONG state = 1;
    EXPECT_EQ(registration->QueryCommandState(DocumentCommandId(Command::Analyze), &state), S_OK);
    EXPECT_EQ(state, VyrCommandStateValue::Enabled);
    EXPECT_EQ(registration->QueryCommandState(DocumentCommandId(Command::Settings), &state), S_FALSE);
    EXPECT_EQ(state, 0u);
}

TEST(DocumentMenus, TheDocumentClassInstallsItsMenusWhenAttached)
{
    Orv::ComPtr<ICustomDocClass> documentClass(new VyrDocumentClass<SistraDocument>(
        {L"Sistra Document", &SistraDocumentGUID, &VyrDocumentCategoryGUID, DocumentTypeId::Id(), 1}));
    EXPECT_EQ(documentClass->Attach(0), S_OK);
    EXPECT_TRUE(static_cast<VyrDocumentClass<SistraDocument>*>(documentClass.Get())->MenusInstalled());
}

// A module document on a short recording whose workflow is in one step.
class DocumentInStep
{
public:
    DocumentInStep(bool workflowOn, int32_t step)
        : recording_(HostTests::MakeRecording(0.001, {{{1, 2, 3}, {4, 5, 6}}}, 2)),
          host_(Host::HostDocument::Offline(recording_))
    {
        document_ = new SistraDocument(host_->Unknown(), nullptr, 0);
        holder_ = Orv::ComPtr<IUnknown>(document_->Outer());
        const ModelPtr setup = document_->GetSetupModel();
        setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, workflowOn);
        setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, WorkflowKind::LargeMammal);
        setup->CommitChanges();
        const auto view = document_->GetModel(ModelKind::WorkflowView);
        view->SetValue<PropertyType::Int>(PropertyId::CurrentStep, step);
        view->CommitChanges();
    }
    ~DocumentInStep() { document_->Close(); }
    SistraDocument& Document() { return *document_; }

private:
    Host::Recording recording_;
    Orv::ComPtr<Host::HostDocument> host_;
    SistraDocument* document_;
    Orv::ComPtr<IUnknown> holder_;
};

std::vector<std::pair<UINT, std::wstring>> PopupItems(HMENU popup)
{
    std::vector<std::pair<UINT, std::wstring>> items;
    for (int position = 0; position < GetMenuItemCount(popup); ++position)
    {
        wchar_t caption[64] = {};
        GetMenuStringW(popup, static_cast<UINT>(position), caption, 64, MF_BYPOSITION);
        items.emplace_back(GetMenuItemID(popup, position), caption);
    }
    return items;
}

TEST(DocumentMenus, ThePlotsPopupOffersWhatTheWorkflowStepOffers)
{
    using Items = std::vector<std::pair<UINT, std::wstring>>;
    const Items all = {{1, L"&PRSW Plot"},       {2, L"&dP/dt Max vs EDV Plot"}, {3, L"P&VA vs EDV Plot"},
                       {4, L"PVA vs &ESP Plot"}, {5, L"Saline &Calibration"},    {6, L"C&uvette Calibration"}};
    struct Case
    {
        const char* name;
        bool workflowOn;
        int32_t step;
        Items expected;
    };
    const Case cases[] = {
        {"workflow mode off", false, StepId::SamplingStep, all},
        {"analysis step", true, StepId::AnalyseStep, {all[0], all[1], all[2], all[3]}},
        {"saline step", true, StepId::SalineStep, {all[4]}},
        {"cuvette step", true, StepId::CuvetteStep, {all[5]}},
        {"sampling step", true, StepId::SamplingStep, {}},
    };
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, 99, L"left over");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DocumentInStep document(c.workflowOn, c.step);
        document.Document().InitPlotsPopup(popup);
        EXPECT_EQ(PopupItems(popup), c.expected);
    }
    DestroyMenu(popup);
}

TEST(DocumentMenus, CommandStatesFollowTheWorkflowStepAndTheMenusAreRefreshed)
{
    NoCommands handler;
    bool installed = false;
    SistraDocument::InstallMenus(Register(&handler).Get(), installed);
    IHostCommandService* service = CommandServiceAccessor::Get();
    auto state = [&](USHORT number) {
        Orv::ComPtr<IVyrCommand> command;
        ULONG bits = 0;
        if (SUCCEEDED(service->FindCommand(DocumentCommandId(number), command.Put())))
            command->GetState(&bits);
        return bits;
    };
    const ULONG both = VyrCommandBits::Shown | VyrCommandBits::Enabled;
    ULONG refreshes = 0;
    // Entering a step updates the menus by itself; each update refreshes them once.
    const auto refreshCount = [&] {
        ULONG count = 0;
        service->GetRefreshCount(&count);
        return count;
    };

    DocumentInStep cuvette(true, StepId::CuvetteStep);
    refreshes = refreshCount();
    cuvette.Document().UpdateMenuStates();
    EXPECT_EQ(refreshCount(), refreshes + 1);
    EXPECT_EQ(state(Command::OpenHemodynamicsTable) & both, 0u);
    EXPECT_EQ(state(Command::Analyze) & both, 0u);
    EXPECT_EQ(state(Command::PlotsPopup) & both, both);
    EXPECT_EQ(state(Command::OpenPrswPlot) & VyrCommandBits::Enabled, 0u);
    EXPECT_EQ(state(Command::OpenCuvetteCalibration) & VyrCommandBits::Enabled, VyrCommandBits::Enabled);

    DocumentInStep analysis(true, StepId::AnalyseStep);
    refreshes = refreshCount();
    analysis.Document().UpdateMenuStates();
    EXPECT_EQ(state(Command::OpenHemodynamicsTable) & both, both);
    EXPECT_EQ(state(Command::Analyze) & both, both);
    EXPECT_EQ(state(Command::OpenPrswPlot) & VyrCommandBits::Enabled, VyrCommandBits::Enabled);
    EXPECT_EQ(state(Command::OpenCuvetteCalibration) & VyrCommandBits::Enabled, 0u);
    EXPECT_EQ(refreshCount(), refreshes + 1);
}

} // namespace
