#include "dialogs/helpers/CalibrationGuards.h"

#include "document/core/SistraDocument.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "hostframework/services/HostDataAccess.h"
#include "hostframework/services/HostMessageBox.h"
#include "dialogs/helpers/UnitChoices.h"
#include "resources/ResourceIds.h"

#include "hostapi/HostDocument.h"

#include <optional>

namespace Sistra
{

namespace
{

int32_t VolumeChannel(SistraDocument& document)
{
    const ModelPtr setup = document.GetSetupModel();
    return setup ? setup->GetVolumeChannel() : NoChannel;
}

// The message's %1 is the volume channel as the user counts channels, from 1.
Orv::String VolumeChannelMessage(SistraDocument& document, UINT id)
{
    Orv::OFormatStringStream text(id);
    text << VolumeChannel(document) + 1;
    return text.Str();
}

Orv::String Caption()
{
    return Orv::String(Orv::ThisModule(), IDS_SISTRA_CAPTION, true);
}

} // namespace

bool SelectionUsableForChannel(SistraDocument& document, int32_t channel)
{
    const HostSelectionRange selection = ReadHostSelection(document.HostDocument(), channel);
    return selection.includesChannel && selection.InOneRecord();
}

bool SelectionHasExtent(SistraDocument& document)
{
    const HostSelectionRange selection = ReadHostSelection(document.HostDocument(), 0);
    const bool empty = selection.start.record == selection.end.record && selection.start.tick == selection.end.tick;
    return !empty && selection.InOneRecord();
}

bool HasConsistentVolumeUnits(SistraDocument& document)
{
    IHostDocument* host = document.GetHostDocument();
    if (!host)
        return true;
    int32_t records = 0, current = 0;
    host->GetRecordCount(&records, &current);
    const int32_t channel = VolumeChannel(document);
    std::optional<Orv::PrefixedUnit> first;
    for (int32_t record = 0; record < records; ++record)
    {
        Orv::PrefixedUnit unit;
        ReadChannelUnits(host, channel, record, unit);
        if (!first)
            first = unit;
        else if (!UnitsEqual(*first, unit))
            return false;
    }
    return true;
}

bool RejectMixedUnitCalibration(SistraDocument& document)
{
    if (HasConsistentVolumeUnits(document))
        return false;
    const Orv::String text = VolumeChannelMessage(document, IDS_DIALOG_MIXED_VOLUME_UNITS);
    return ShowHostMessageBox(text.c_str(), Caption().c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES;
}

// A host that cannot tell is taken at its word that nothing stands in the way.
bool CheckVolumeChannelCalculation(SistraDocument& document)
{
    Orv::ComPtr<IHostChannelDescriptions> descriptions;
    IUnknown* host = document.HostDocument();
    VARIANT_BOOL onSource = VARIANT_TRUE;
    if (host && SUCCEEDED(host->QueryInterface(IID_IHostChannelDescriptions, descriptions.PutVoid())) && descriptions)
        descriptions->IsCalculationOnSource(VolumeChannel(document), &onSource);
    if (onSource != VARIANT_FALSE)
        return false;
    const Orv::String text = VolumeChannelMessage(document, IDS_DIALOG_VOLUME_CALCULATION_INCOMPATIBLE);
    ShowHostMessageBox(text.c_str(), Caption().c_str(), MB_OK | MB_ICONERROR);
    return true;
}

} // namespace Sistra
