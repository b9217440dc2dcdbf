// Default trace colours: the palette InitTraceColorPalette chose, from which the trace display draws
// channels and other displays (the graphs' settings) take trace and grid colours when the host offers
// none.
#pragma once

#include "foundation/system/TraceColors.h"

inline Orv::TracePaletteTable DefaultTracePalette()
{
    return Orv::TracePaletteTableOf(Orv::CurrentTracePalette());
}

// The default trace colour of a channel in the current palette.
inline COLORREF DefaultChannelColour(int channel)
{
    return Orv::TraceColorOf(Orv::CurrentTracePalette(), channel);
}
