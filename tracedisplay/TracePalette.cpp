#include "tracedisplay/TracePalette.h"

Orv::TracePaletteTable DefaultTracePalette()
{
    return Orv::TracePaletteTableOf(Orv::CurrentTracePalette());
}
