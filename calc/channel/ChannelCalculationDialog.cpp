#include "calc/channel/ChannelCalculationDialog.h"

#include "calc/channel/SistraChannelCalculation.h"

#include "foundation/com/ComPtr.h"
#include "hostframework/services/HostMessageBox.h"

#include <algorithm>
#include <cmath>

namespace Sistra
{

ChannelCalculationDialogShow& InstalledChannelCalculationDialog()
{
    static ChannelCalculationDialogShow show;
    return show;
}

int RunChannelCalculationDialog(HWND parent, IUnknown* host, IUnknown* document, ChannelCalculationSettings& settings)
{
    // The dialog edits a copy, so that a cancel leaves the record as it was.
    auto edited = Orv::ComPtr<ChannelCalculationSettings>::Adopt(new ChannelCalculationSettings(settings));
    const int choice = RunModuleDialog(ChannelCalculationDialogName, parent, [&] {
        const ChannelCalculationDialogShow& show = InstalledChannelCalculationDialog();
        return show ? show(parent, host, document, *edited.Get()) : IDCANCEL;
    });
    if (choice == IDCANCEL)
        return choice;
    settings.CopyFrom(*edited.Get());
    // The list offers the loop parameters only, with the first chosen when the record names none of
    // them; the decimal places field takes whole numbers in its range (anything else reads as 0).
    if (settings.parameterIndex < FirstChannelParameter || settings.parameterIndex > LastChannelParameter)
        settings.parameterIndex = FirstChannelParameter;
    const float places = std::trunc(settings.decimalPlaces);
    settings.decimalPlaces = std::isnan(places) ? 0.0f : std::clamp(places, 0.0f, MostChannelDecimalPlaces);
    ScaleSettingsToData(settings, document);
    return choice;
}

} // namespace Sistra
