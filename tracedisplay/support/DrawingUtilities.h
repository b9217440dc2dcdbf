// Small pieces the data pane, its strips and the time scale share beside the drawers: the printing
// state of a pane, nice steps for grid and label spacing, the colour adjustment for traces on a black
// background, and the scrolling of a strip's drawing layers.
#pragma once

#include "platform/owl/Geometry.h"

#include <oaidl.h>
#include <windows.h>

#include <array>
#include <memory>

namespace OrvControls
{
class ScreenBitMapDC;
}

namespace StrixDraw
{

class IDrawPrintable
{
public:
    virtual HRESULT SetPrintContext(ULONG context) = 0;
    virtual HRESULT ClearPrintContext() = 0;
    // S_OK while printing, S_FALSE on screen; the flag, when asked for, as a VARIANT_BOOL.
    virtual HRESULT IsPrinting(VARIANT_BOOL* printing) = 0;

protected:
    ~IDrawPrintable() = default;
};

class DrawPrintableBase : public IDrawPrintable
{
public:
    HRESULT SetPrintContext(ULONG context) override;
    HRESULT ClearPrintContext() override;
    HRESULT IsPrinting(VARIANT_BOOL* printing) override;

protected:
    ~DrawPrintableBase() = default;

private:
    ULONG printContext_ = 0;
};

// Round a positive step up to 1, 2 or 5 (NiceStep125) or 1, 2, 6 or 12 (NiceStep12) times its decade;
// the step is rounded half up first, so the multiplier 1 never comes out. Returns the multiplier.
int NiceStep125(double& step, int& multiplier);
int NiceStep12(double& step, int& multiplier);

// The colour to draw with on the background: on black, dark colours are lifted and light ones
// lowered so that every trace stays visible; on any other background the colour itself.
COLORREF ContrastColour(COLORREF colour, COLORREF background);

// Flags of a drawing layer of a strip.
namespace LayerFlag
{
constexpr ULONG Cached = 0x80000000u;           // drawn into its own off-screen bitmap
constexpr ULONG Stale = 0x40000000u;            // must be redrawn
constexpr ULONG WhiteTransparent = 0x20000000u; // composed with white as the transparent colour
constexpr ULONG Drawn = 0x10000000u;            // the bitmap holds a valid picture
constexpr ULONG AlphaDeferred = 0x08000000u;    // blended only when the strip is composed
} // namespace LayerFlag

inline constexpr int LayerCount = 8;
inline constexpr int OpaqueAlpha = 255;

// One drawing layer of a strip.
struct LayerSegment
{
    // When the layer is not opaque, a further rectangle whose left and right edges move with the data.
    OWL::TRect* span = nullptr;
    OWL::TRect dirty;
    int firstDrawer = -1;
    int endDrawer = -1;
    ULONG flags = LayerFlag::WhiteTransparent;
    int alpha = OpaqueAlpha;
    std::shared_ptr<OrvControls::ScreenBitMapDC> bitmap;

    bool HasDrawers() const { return firstDrawer != endDrawer; }
    void MarkStale(const OWL::TRect& area);
};

struct LayerTable
{
    std::array<LayerSegment, LayerCount> layers;
    OWL::TRect cacheRect;
};

// Moves a strip's layers with its data by dx pixels (negative: to the left): the newly exposed
// stretch becomes dirty, and with scrollBuffers the opaque layers' bitmaps move too.
void ScrollLayers(LayerTable& table, int dx, bool scrollBuffers);

} // namespace StrixDraw
