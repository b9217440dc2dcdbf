// The menu entries the document class adds to the host's menus, the Plots popup, and the commands'
// states by what the workflow in force offers.
#include "document/core/SistraDocument.h"

#include "document/models/workflow/Workflow.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/services/MenuCommands.h"
#include "hostframework/messaging/SistraIds.h"
#include "foundation/text/String.h"
#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include <array>

namespace Sistra
{
namespace
{

namespace Image
{
constexpr ULONG Analyze = 112;
constexpr ULONG Settings = 114;
constexpr ULONG Table = 115;
constexpr ULONG PlotsAndCalibrations = 116;
constexpr ULONG LoopView = 117;
constexpr ULONG PlotsMenu = 120;
} // namespace Image

namespace Placement
{
constexpr ULONG Main = 10;
constexpr ULONG PlotsPopup = 520;
constexpr ULONG PlotOrCalibration = 2;
} // namespace Placement

enum class EntryKind
{
    ModuleOwner,
    Popup,
    Item,
    Command,
    Separator
};

struct MenuEntry
{
    EntryKind kind;
    const wchar_t* path;
    UINT captionId;
    USHORT number;
    ULONG placement;
    ULONG image;
};

constexpr MenuEntry Separator{EntryKind::Separator, L"Sistra|-", 0, 0, 0, 0};

// In the order the host shows them.
constexpr std::array<MenuEntry, 26> MenuEntries{{
    {EntryKind::ModuleOwner, nullptr, 0, 0, 0, 0},
    {EntryKind::Popup, L"Sistra^EXTENSION|", IDS_SISTRA_TITLE, 0, 0, 0},
    {EntryKind::Item, L"Sistra|Workflow", IDS_MENU_WORKFLOW, Command::OpenWorkflow, 0, 0},
    Separator,
    {EntryKind::Command, L"Sistra|Settings...", IDS_MENU_SETTINGS, Command::Settings, Placement::Main, Image::Settings},
    Separator,
    {EntryKind::Command, L"Sistra^EXTENSION|SistraA^VIEWS", IDS_MENU_LOOP_VIEW, Command::OpenLoopView, Placement::Main,
     Image::LoopView},
    {EntryKind::Command, L"Sistra^EXTENSION|SistraPlots^VIEWS", IDS_MENU_PLOTS, Command::PlotsPopup,
     Placement::PlotsPopup, Image::PlotsMenu},
    {EntryKind::Command, L"Sistra^EXTENSION|SistraH^VIEWS", IDS_MENU_TABLE, Command::OpenHemodynamicsTable, Placement::Main,
     Image::Table},
    Separator,
    {EntryKind::Command, L"Sistra^EXTENSION|SistraSaline^CALIBRATIONS", IDS_MENU_SALINE_CALIBRATION,
     Command::OpenSalineCalibration, Placement::PlotOrCalibration, Image::PlotsAndCalibrations},
    {EntryKind::Command, L"Sistra^EXTENSION|SistraCuvette^CALIBRATIONS", IDS_MENU_CUVETTE_CALIBRATION,
     Command::OpenCuvetteCalibration, Placement::PlotOrCalibration, Image::PlotsAndCalibrations},
    Separator,
    {EntryKind::Command, L"Sistra^EXTENSION|SistraPRSW^PLOTS", IDS_MENU_PRSW_PLOT, Command::OpenPrswPlot,
     Placement::PlotOrCalibration, Image::PlotsAndCalibrations},
    {EntryKind::Command, L"Sistra^EXTENSION|SistradPdT^PLOTS", IDS_MENU_DPDT_PLOT, Command::OpenDpDtMaxEdvPlot,
     Placement::PlotOrCalibration, Image::PlotsAndCalibrations},
    {EntryKind::Command, L"Sistra^EXTENSION|SistraPvaEdv^PLOTS", IDS_MENU_PVA_EDV_PLOT, Command::OpenPvaEdvPlot,
     Placement::PlotOrCalibration, Image::PlotsAndCalibrations},
    {EntryKind::Command, L"Sistra^EXTENSION|SistraPvaEsp^PLOTS", IDS_MENU_PVA_ESP_PLOT, Command::OpenPvaEspPlot,
     Placement::PlotOrCalibration, Image::PlotsAndCalibrations},
    Separator,
    {EntryKind::Item, L"Sistra|Show Loop Markers^ONLINE", IDS_MENU_LOOP_MARKERS, Command::ShowLoopMarkers, 0, 0},
    {EntryKind::Item, L"Sistra|Online Mode^ONLINE", IDS_MENU_ONLINE_MODE, Command::OnlineMode, 0, 0},
    Separator,
    {EntryKind::Item, L"Sistra|Reselect^ANALYZE", IDS_MENU_RESELECT, Command::Reselect, 0, 0},
    {EntryKind::Item, L"Sistra|Clear Analysis^ANALYZE", IDS_MENU_CLEAR_ANALYSIS, Command::ClearAnalysis, 0, 0},
    {EntryKind::Command, L"Sistra|Analyze^ANALYZE", IDS_MENU_ANALYZE, Command::Analyze, Placement::Main, Image::Analyze},
    Separator,
    {EntryKind::Item, L"Sistra|Workflow Mode...", IDS_MENU_WORKFLOW_MODE, Command::WorkflowMode, 0, 0},
}};

Orv::ComPtr<IVyrCommand> CreateEntry(const MenuEntry& entry)
{
    switch (entry.kind)
    {
    case EntryKind::ModuleOwner: return CreateModuleMenuCommand(L"Sistra", L"Sistra");
    case EntryKind::Popup: return CreateMenuPopupCommand(entry.path, entry.captionId);
    case EntryKind::Item: return CreateMenuItemCommand(entry.path, entry.captionId, DocumentCommandId(entry.number));
    case EntryKind::Command:
        return CreateMenuCommand(entry.path, entry.captionId, entry.number, entry.placement, entry.image);
    case EntryKind::Separator: return CreateMenuPathCommand(entry.path);
    }
    return {};
}

struct PlotsPopupItem
{
    UINT itemId;
    USHORT command;
    UINT captionId;
};

constexpr std::array<PlotsPopupItem, 6> PlotsPopupItems{{
    {1, Command::OpenPrswPlot, IDS_MENU_PRSW_PLOT},
    {2, Command::OpenDpDtMaxEdvPlot, IDS_MENU_DPDT_PLOT},
    {3, Command::OpenPvaEdvPlot, IDS_MENU_PVA_EDV_PLOT},
    {4, Command::OpenPvaEspPlot, IDS_MENU_PVA_ESP_PLOT},
    {5, Command::OpenSalineCalibration, IDS_MENU_SALINE_CALIBRATION},
    {6, Command::OpenCuvetteCalibration, IDS_MENU_CUVETTE_CALIBRATION},
}};

// Loaded once: the captions never change while the module is loaded.
const std::array<Orv::String, 6>& PlotsPopupCaptions()
{
    static const std::array<Orv::String, 6> captions = [] {
        std::array<Orv::String, 6> loaded;
        for (size_t i = 0; i < loaded.size(); ++i)
            loaded[i] = Orv::String(Orv::ThisModule(), PlotsPopupItems[i].captionId, true);
        return loaded;
    }();
    return captions;
}

void ChangeCommandState(IHostCommandService* service, USHORT number, ULONG set, ULONG clear)
{
    Orv::ComPtr<IVyrCommand> command;
    if (SUCCEEDED(service->FindCommand(DocumentCommandId(number), command.Put())) && command)
        command->ChangeState(set, clear);
}

} // namespace

HRESULT SistraDocument::InstallMenus(IVyrCommandRegistration* registration, bool& installed)
{
    if (!registration)
        return E_POINTER;
    HRESULT result = S_OK;
    for (const MenuEntry& entry : MenuEntries)
    {
        const Orv::ComPtr<IVyrCommand> command = CreateEntry(entry);
        VARIANT_BOOL created = VARIANT_FALSE;
        const HRESULT added = command ? registration->AddMenuCommand(command.Get(), &created) : E_FAIL;
        if (added == S_OK && created == VARIANT_TRUE)
            installed = true;
        if (FAILED(added) && result == S_OK)
            result = added;
    }
    return result;
}

void SistraDocument::InitPlotsPopup(HMENU popup)
{
    while (GetMenuItemCount(popup) > 0)
        DeleteMenu(popup, 0, MF_BYPOSITION);
    Workflow workflow(this);
    const auto& captions = PlotsPopupCaptions();
    for (size_t i = 0; i < PlotsPopupItems.size(); ++i)
    {
        if (workflow.IsCommandAvailable(DocumentCommandId(PlotsPopupItems[i].command)))
            AppendMenuW(popup, MF_STRING, PlotsPopupItems[i].itemId, captions[i].c_str());
    }
}

void SistraDocument::UpdateMenuStates()
{
    IHostCommandService* service = CommandServiceAccessor::Get();
    if (!service)
        return;
    Workflow workflow(this);
    auto offered = [&](USHORT number) { return workflow.IsCommandAvailable(DocumentCommandId(number)); };
    for (USHORT number : {Command::OpenHemodynamicsTable, Command::Analyze, Command::PlotsPopup})
    {
        const bool on = offered(number);
        ChangeCommandState(service, number, on ? VyrCommandBits::Shown : 0, on ? 0 : VyrCommandBits::Shown);
        ChangeCommandState(service, number, on ? VyrCommandBits::Enabled : 0, on ? 0 : VyrCommandBits::Enabled);
    }
    for (const PlotsPopupItem& item : PlotsPopupItems)
    {
        const bool on = offered(item.command);
        ChangeCommandState(service, item.command, on ? VyrCommandBits::Enabled : 0, on ? 0 : VyrCommandBits::Enabled);
    }
    service->PostCommandMessage(VyrCommandRefreshMessage, 1);
}

} // namespace Sistra
