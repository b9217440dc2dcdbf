// The host's trace-display preferences (grid colour, grid style, grid shown) as a graph view reads
// them, handed to a 2-D graph drawer.
#pragma once

#include "hostapi/VyrServices.h"
#include "foundation/com/ComPtr.h"

#include <windows.h>

#include <cstdint>

namespace MGraph1
{

class Graph2DDrawer;

// Host setting ids of the display preferences.
namespace DisplaySetting = ::HostDisplaySetting;

class GraphDisplaySettings
{
public:
    // Reads the preferences through the view's settings; the host's colour lookup, when the host
    // application offers one, gives the grid colour.
    explicit GraphDisplaySettings(IHostViewSettings* viewSettings);

    void ApplyTo(Graph2DDrawer& drawer) const;

    Orv::ComPtr<IHostViewSettings> settings;
    Orv::ComPtr<IHostGridColours> gridColours;
    bool flag = false;
    COLORREF traceColour = 0;
    COLORREF gridColour = 0;
    int32_t count = 1; // never below 1
    int32_t gridStyle = 0;
    bool gridShown = false;

private:
    LONG ReadInteger(ULONG id) const;
    bool ReadBoolean(ULONG id) const;
};

} // namespace MGraph1
