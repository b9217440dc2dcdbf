// Default colours of channel traces, chosen by the screen's colour depth.
#pragma once

#include <windows.h>

namespace Orv
{

// Something that picks trace colours itself (a document with its own scheme).
class TraceColorProvider
{
public:
    virtual COLORREF TraceColor(int index) const = 0;

protected:
    ~TraceColorProvider() = default;
};

enum class TracePalette
{
    Basic12,  // palette A, for screens of 8 bits per pixel or fewer
    Basic20,  // palette A, all 20 colours
    Bright19, // palette B, the 19 entries that traces use
};

// A palette's colours and the cycle inside it that traces draw from.
struct TracePaletteTable
{
    const COLORREF* colours;
    int length;
    int cycleStart;
    int cycleLength;
};
TracePaletteTable TracePaletteTableOf(TracePalette palette);
// The palette InitTraceColorPalette chose last.
TracePalette CurrentTracePalette();

// The palette for a screen depth and the wide flag.
TracePalette ChooseTracePalette(int bitsPerPixel, bool wide);
// Colour n of a palette; indices wrap around (negative ones too).
COLORREF TraceColorOf(TracePalette palette, int index);

} // namespace Orv

// Chooses the palette for the screen's depth once per mode; calling it again in force does nothing.
void InitTraceColorPalette(bool wide);
// The provider's colour when there is one; otherwise colour n of the wide palette A.
COLORREF GetTraceColor(const Orv::TraceColorProvider* provider, int index);
