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

bool ConductanceCalibrationInForce(SistraDocument& document)
{
    const ModelPtr setup = document.GetSetupModel();
    const ModelPtr conductance = document.GetModel(ModelKind::ConductanceCalib);
    return setup && conductance &&
           setup->GetValue<PropertyType::Int>(PropertyId::WorkflowKind) == WorkflowKind::SmallMammal &&
           conductance->GetValue<PropertyType::Bool>(PropertyId::ConductanceCalibrationApplied);
}

} // namespace Sistra
