#include "views/base/ViewHelpers.h"

#include "dialogs/helpers/CalibrationGuards.h"
#include "document/core/SistraDocument.h"
#include "document/models/workflow/Workflow.h"
#include "foundation/text/FormatStream.h"

namespace Sistra
{

Orv::String TitledCommandText(UINT formatId, const Orv::String& title)
{
    Orv::OFormatStringStream text(formatId);
    text << title;
    return text.Str();
}

bool VolumeCalibrationMayApply(SistraDocument& document)
{
    const ModelPtr setup = document.GetSetupModel();
    if (setup && setup->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn))
        return true;
    return !CheckVolumeChannelCalculation(document) && !RejectMixedUnitCalibration(document);
}

Orv::ComPtr<IUnknown> TableFrameServices(SistraDocument& document)
{
    Orv::ComPtr<IVyrDocumentFrame> frame;
    document.QueryInterface(IID_IVyrDocumentFrame, frame.PutVoid());
    if (frame)
        return Orv::ComPtr<IUnknown>(static_cast<IUnknown*>(frame.Get()));
    return Orv::ComPtr<IUnknown>(static_cast<IUnknown*>(document.GetFrameServices()));
}

bool ConductanceCalibrationInForce(SistraDocument& document)
{
    const ModelPtr setup = document.GetSetupModel();
    const ModelPtr conductance = document.GetModel(ModelKind::ConductanceCalib);
    return setup && conductance &&
           setup->GetValue<PropertyType::Int>(PropertyId::WorkflowKind) == WorkflowKind::SmallMammal &&
           conductance->GetValue<PropertyType::Bool>(PropertyId::ConductanceCalibrationApplied);
}

} // namespace Sistra
