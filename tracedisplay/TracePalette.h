// The trace display's default colours: the palette InitTraceColorPalette chose, from which other
// displays (the graphs' settings) take trace and grid colours when the host offers none.
#pragma once

#include "foundation/system/TraceColors.h"

Orv::TracePaletteTable DefaultTracePalette();
