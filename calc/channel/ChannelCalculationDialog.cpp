#include "calc/channel/ChannelCalculationDialog.h"

#include "hostframework/services/HostMessageBox.h"

#include <algorithm>
#include <cmath>

namespace Sistra
{

SistraChannelCalculationDlg::SistraChannelCalculationDlg(HWND parent, ChannelCalculationSettings& settings)
    : parent_(parent), settings_(settings)
{
}

int SistraChannelCalculationDlg::Execute()
{
    const int choice = RunHostDialog(Name, parent_);
    if (choice == IDCANCEL)
        return choice;
    // The list offers the loop parameters only, with the first chosen when the record names none of
    // them; the decimal places field takes whole numbers in its range (anything else reads as 0).
    if (settings_.parameterIndex < FirstChannelParameter || settings_.parameterIndex > LastChannelParameter)
        settings_.parameterIndex = FirstChannelParameter;
    const float places = std::trunc(settings_.decimalPlaces);
    settings_.decimalPlaces = std::isnan(places) ? 0.0f : std::clamp(places, 0.0f, MostDecimalPlaces);
    return choice;
}

} // namespace Sistra
