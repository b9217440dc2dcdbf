#include "foundation/system/TraceColors.h"

#include <array>
#include <optional>

namespace Orv
{

namespace
{

// Palette A; a 21st entry (0x00FFFF) exists but no index reaches it.
constexpr std::array<COLORREF, 20> PaletteA = {
    0x0000FF, 0xFF0000, 0x008000, 0xFF00FF, 0x800000, 0x000080, 0x008080, 0x800080, 0x808000, 0x000000,
    0x00FF00, 0xFFFF00, 0x0080FF, 0x8000FF, 0xFF0080, 0x004080, 0xC08000, 0x00A0E0, 0xFF8000, 0xC08080};
constexpr int PaletteANarrowCount = 12;

// Palette B: entries 0-17 are a drawing order for other users, traces take entries 18-36.
constexpr std::array<COLORREF, 37> PaletteB = {
    0x0000D5, 0x0058EA, 0x0080AA, 0x00BFA8, 0x00AA55, 0x006A0E, 0x208000, 0x6AAA00, 0xAAAA00, 0xEA9300,
    0xFF4000, 0x950013, 0xD5006A, 0xBF00A8, 0x9F00D5, 0x5800EA, 0x6A6A6A, 0x000000, 0xFF55EA, 0xDA6AFF,
    0xAF80FF, 0x6A6AFF, 0x6AA3FF, 0x55D5FF, 0x6AFFED, 0x55FFAA, 0x2BFF45, 0x70FF40, 0xBFFF55, 0xFFFF40,
    0xFFC86A, 0xFF8F6A, 0xFF6A7D, 0xFF6AB5, 0xB5B5B5, 0x8A8A8A, 0x555555};
constexpr int PaletteBTraceFirst = 18;
constexpr int PaletteBTraceCount = 19;

// Screens below this depth get the short palette of clearly distinct colours.
constexpr int MinBitsForFullPalettes = 9;

int Wrapped(int index, int count)
{
    const int r = index % count;
    return r < 0 ? r + count : r;
}

int ScreenBitsPerPixel()
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return 0;
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits;
}

struct PaletteState
{
    std::optional<bool> wideMode;
    TracePalette palette = TracePalette::Bright19;
};

PaletteState& CurrentPalette()
{
    static PaletteState state;
    return state;
}

} // namespace

TracePalette ChooseTracePalette(int bitsPerPixel, bool wide)
{
    if (bitsPerPixel < MinBitsForFullPalettes)
        return TracePalette::Basic12;
    return wide ? TracePalette::Basic20 : TracePalette::Bright19;
}

TracePaletteTable TracePaletteTableOf(TracePalette palette)
{
    switch (palette)
    {
    case TracePalette::Basic12:
        return {PaletteA.data(), PaletteANarrowCount, 0, PaletteANarrowCount};
    case TracePalette::Basic20:
        return {PaletteA.data(), static_cast<int>(PaletteA.size()), 0, static_cast<int>(PaletteA.size())};
    case TracePalette::Bright19:
        break;
    }
    return {PaletteB.data(), static_cast<int>(PaletteB.size()), PaletteBTraceFirst, PaletteBTraceCount};
}

TracePalette CurrentTracePalette()
{
    return CurrentPalette().palette;
}

COLORREF TraceColorOf(TracePalette palette, int index)
{
    switch (palette)
    {
    case TracePalette::Basic12:
        return PaletteA[static_cast<size_t>(Wrapped(index, PaletteANarrowCount))];
    case TracePalette::Basic20:
        return PaletteA[static_cast<size_t>(Wrapped(index, static_cast<int>(PaletteA.size())))];
    case TracePalette::Bright19:
        break;
    }
    return PaletteB[static_cast<size_t>(PaletteBTraceFirst + Wrapped(index, PaletteBTraceCount))];
}

} // namespace Orv

void InitTraceColorPalette(bool wide)
{
    Orv::PaletteState& state = Orv::CurrentPalette();
    if (state.wideMode == wide)
        return;
    state.wideMode = wide;
    state.palette = Orv::ChooseTracePalette(Orv::ScreenBitsPerPixel(), wide);
}

COLORREF GetTraceColor(const Orv::TraceColorProvider* provider, int index)
{
    if (provider)
        return provider->TraceColor(index);
    InitTraceColorPalette(true);
    return Orv::TraceColorOf(Orv::CurrentPalette().palette, index);
}
