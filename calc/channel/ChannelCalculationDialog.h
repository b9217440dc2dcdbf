// The computed channel's settings dialog: whether the channel is on, the loop parameter it plots, and
// its display range and decimal places. The host runs it modally, or answers it where nobody can.
#pragma once

#include "calc/channel/ChannelCalculationSettings.h"

#include <windows.h>

namespace Sistra
{

class SistraChannelCalculationDlg
{
public:
    // The name under which the host runs the dialog.
    static constexpr const wchar_t* Name = L"SistraChannelCalculation";
    // The most decimal places the channel shows.
    static constexpr float MostDecimalPlaces = 6.0f;

    // The dialog edits the record, which outlives it.
    SistraChannelCalculationDlg(HWND parent, ChannelCalculationSettings& settings);
    ~SistraChannelCalculationDlg() = default;
    SistraChannelCalculationDlg(const SistraChannelCalculationDlg&) = delete;
    SistraChannelCalculationDlg& operator=(const SistraChannelCalculationDlg&) = delete;

    // The user's choice. Anything but IDCANCEL confirms: the record then holds what the dialog shows,
    // a parameter outside the list being the list's first and the decimal places a whole number from 0
    // to 6. IDCANCEL leaves the record as it was.
    int Execute();

private:
    HWND parent_;
    ChannelCalculationSettings& settings_;
};

} // namespace Sistra
