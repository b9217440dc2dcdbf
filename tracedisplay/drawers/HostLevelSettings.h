// The level lines and bands the host keeps among a channel's display preferences, copied into a
// graticule's level settings.
#pragma once

#include "tracedisplay/drawers/GraticuleDrawer.h"

#include "hostapi/TraceDataSource.h"

namespace StrixDraw
{

// Reads the level lines, values and fills of the channel in that order; a preference the host does
// not keep leaves its part of the settings as it was. The result of the last read.
HRESULT LoadHostGridColours(LevelSettings& settings, IPreferenceSource* preferences, LONG channel);

} // namespace StrixDraw
