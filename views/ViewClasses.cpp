// The nine view classes the module registers, each with its fixed name, title and type id.
#include "views/ViewWindows.h"
#include "views/HemodynamicsTableView.h"

#include "foundation/text/StringResources.h"
#include "hostframework/entry/ClassRegistration.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/MenuCommands.h"
#include "hostframework/views/DocViewClass.h"
#include "resources/ResourceIds.h"

namespace Sistra
{

namespace
{

template <class V, UINT TitleId, USHORT TypeNumber>
class ViewClassRow final : public ViewClassMaker
{
public:
    ViewClassRow(const wchar_t* fixedName, ViewClassCommandsAdder addCommands = nullptr)
        : fixedName_(fixedName), addCommands_(addCommands)
    {
    }

    IVyrClassObject* GetClassObject() override
    {
        // Loaded once per class, when the host first registers the module.
        static const Orv::String title(Orv::ThisModule(), TitleId, true);
        return new (std::nothrow) VyrOwlDocViewClass<V>(title, Orv::String(fixedName_),
                                                         &TypeIdClass<&SistraDocumentGUID, TypeNumber>::GetId,
                                                         addCommands_);
    }

private:
    const wchar_t* fixedName_;
    ViewClassCommandsAdder addCommands_;
};

constexpr ViewClassCommandsAdder GraphView = &AddCopyRegressionCommand;

// The maker list runs newest first: the rows are defined from the last registered to the first.
ViewClassRow<WorkflowView, IDS_VIEW_WORKFLOW, 12> workflow(L"Sistra Workflow");
ViewClassRow<CuvetteView, IDS_VIEW_CUVETTE_CALIBRATION, 11> cuvette(L"Sistra Cuvette Calibration View", GraphView);
ViewClassRow<SistraPVAESPView, IDS_VIEW_PVA_ESP, 10> pvaEsp(L"Sistra PVA ESP View", GraphView);
ViewClassRow<SistraPVAEDVView, IDS_VIEW_PVA_EDV, 9> pvaEdv(L"Sistra PVA EDV View", GraphView);
ViewClassRow<SistraSalineCalGraphView, IDS_VIEW_SALINE_CALIBRATION, 8> saline(L"Sistra Saline Calibration GraphView", GraphView);
ViewClassRow<SistradPdTMaxEDVGraphView, IDS_VIEW_DPDTMAX_EDV, 7> dpdtMax(L"Sistra dP/dt Max versus EDV GraphView", GraphView);
ViewClassRow<SistraPRSWGraphView, IDS_VIEW_PRSW, 5> prsw(L"Sistra PRSW GraphView", GraphView);
ViewClassRow<SistraAnalysisGraphView, IDS_VIEW_LOOP, 4> loop(L"Loop View", GraphView);
ViewClassRow<SistraHemodynamicsTableView, IDS_VIEW_HEMODYNAMICS_TABLE, 2> table(L"Sistra Hemodynamics TableView");

} // namespace

HRESULT AddCopyRegressionCommand(ViewCommandRegistration& record)
{
    const Orv::ComPtr<IVyrCommand> command =
        CreateMenuPathCommand(L"Edit|Copy PV Regression^DATA_21", DocumentCommandId(Command::CopyRegression));
    if (!command || !record.registration)
        return E_FAIL;
    VARIANT_BOOL created = VARIANT_FALSE;
    const HRESULT added = record.registration->AddMenuCommand(command.Get(), &created);
    record.accepted = SUCCEEDED(added) && created != VARIANT_FALSE;
    return added;
}

} // namespace Sistra
