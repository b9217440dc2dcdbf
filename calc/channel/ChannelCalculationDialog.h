// The computed channel's settings dialog: the loop parameter the channel plots, its display range and
// decimal places. The dialog's window is built above the calculations and installed when the module
// loads; the host runs it modally, or answers it where nobody can.
#pragma once

#include "calc/channel/ChannelCalculationSettings.h"

#include <windows.h>

#include <functional>

namespace Sistra
{

// The name under which the host runs the dialog.
inline constexpr const wchar_t* ChannelCalculationDialogName = L"SistraChannelCalculation";
// The most decimal places the channel shows.
inline constexpr float MostChannelDecimalPlaces = 6.0f;

// Shows the dialog over parent on the record (host: the channel's host; document: the host document);
// the button that closed it.
using ChannelCalculationDialogShow =
    std::function<int(HWND parent, IUnknown* host, IUnknown* document, ChannelCalculationSettings& settings)>;
ChannelCalculationDialogShow& InstalledChannelCalculationDialog();

// The user's choice. Anything but IDCANCEL confirms: the record then holds what the dialog shows, a
// parameter outside the list being the list's first and the decimal places a whole number from 0 to 6.
// With auto scale chosen, the record's bottom and top then span the values its parameter takes over the
// whole recording; a scan the user cancels keeps them as typed, and the choice stays the user's. IDCANCEL
// leaves the record as it was.
int RunChannelCalculationDialog(HWND parent, IUnknown* host, IUnknown* document, ChannelCalculationSettings& settings);

} // namespace Sistra
