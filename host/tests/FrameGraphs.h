// The module's graph views in the frame, and the graph window of each: the window that holds the strips
// along its horizontal (domain) and vertical (range) axes.
#pragma once

#include "host/tests/FrameInput.h"

#include <windows.h>

namespace HostTests
{

inline constexpr int DomainStrip = 100, RangeStrip = 101;

inline constexpr const wchar_t* GraphViews[] = {
    L"Loop View", L"Sistra PRSW GraphView", L"Sistra dP/dt Max versus EDV GraphView", L"Sistra PVA EDV View",
    L"Sistra PVA ESP View", L"Sistra Saline Calibration GraphView", L"Sistra Cuvette Calibration View",
};

// The graph window shown in a view's window; null when there is none.
inline HWND GraphOfView(HWND viewWindow)
{
    const HWND domain = FindVisibleChild(viewWindow, [](HWND child) {
        return GetDlgCtrlID(child) == DomainStrip && GetDlgItem(GetParent(child), RangeStrip);
    });
    return domain ? GetParent(domain) : nullptr;
}

} // namespace HostTests
