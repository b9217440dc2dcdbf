// Small pieces several windows share: a painted static text, the owner of message boxes, a memory DC
// with a screen-compatible bitmap, colour arithmetic in the hue-saturation-value model, the shared
// system-colour defaults, a one-pixel frame, a font with its metrics, and a dialog item's place.
#pragma once

#include "foundation/text/StringStream.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/GdiObjects.h"
#include "platform/owl/window/Window.h"

#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

namespace OrvControls
{

// The system colours the controls start from, read once at start-up; the alternative set is kept
// beside the normal one.
struct SharedDefaultColours
{
    COLORREF buttonText;
    COLORREF buttonShadow;
    COLORREF buttonFace;
    COLORREF buttonHighlight;
    COLORREF white;
    COLORREF window;
};
const SharedDefaultColours& DefaultColours(bool alternative = false);

// A text painted on its own background, aligned in the window (6 centres a direction).
class StaticText : public OWL::TWindow
{
public:
    static constexpr int Centre = 6;
    static constexpr const wchar_t* ClassName = L"OrvStaticText";

    StaticText(OWL::TWindow* parent, const wchar_t* text = L"", int verticalAlign = 0, int horizontalAlign = 0);
    ~StaticText() override;

    Orv::OStringStream& Text() { return text_; }
    void SetColours(COLORREF text, COLORREF back);
    void SetInverted(bool inverted);
    void SetOrigin(int x, int y);
    // A font of its own instead of the shared one.
    void SetFont(std::unique_ptr<OWL::TFont> font);
    // Replaces the text, also as the window's text, which others read; a line break starts a line below.
    void SetText(const std::wstring& text);
    // The extent of one line of text in the font the window writes in, and the pitch of its lines.
    SIZE LineExtent(const std::wstring& line) const;
    int LineHeight() const;

    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;
    const wchar_t* GetClassName() override { return ClassName; }
    UINT TextAlign() const { return textAlign_; }
    OWL::TPoint TextOffset() const { return {textOffsetX_, textOffsetY_}; }

protected:
    void EvSize(UINT sizeType, const OWL::TSize& size);
    // The font it writes in, as any window with text tells it.
    LRESULT EvGetFont(WPARAM, LPARAM);
    // A label takes no pointer: what lies below it does. A graph's read-out that reaches over the graph
    // would otherwise take the pointer off the point it tells, go, and come back.
    LRESULT EvHitTest(WPARAM, LPARAM) { return HTTRANSPARENT; }

private:
    const OWL::TFont& FontInUse() const;
    void ComputeAlignment();

    Orv::OStringStream text_;
    COLORREF textColour_;
    COLORREF backColour_;
    UINT textAlign_ = 0;
    int verticalAlign_;
    int horizontalAlign_;
    int textOffsetX_ = 0;
    int textOffsetY_ = 0;
    int originX_ = 0;
    int originY_ = 0;
    int charWidth_ = 0;
    int charHeight_ = 0;
    bool inverted_ = false;
    std::unique_ptr<OWL::TFont> font_;

    DECLARE_RESPONSE_TABLE(StaticText);
};

// Every top-level window of this process in EnumWindows order, with whether it was enabled.
struct TopmostWindow
{
    TopmostWindow();
    std::vector<std::pair<bool, HWND>> windows;
};

// The host's main window; else the first top-level window of the process; else 0.
HWND GetMessageBoxOwner();

// A memory DC with a bitmap compatible with the screen selected, when both sizes are at least 1.
class ScreenBitMapDC : public OWL::TMemoryDC
{
public:
    ScreenBitMapDC(int width, int height);
    ~ScreenBitMapDC() override;
    HBITMAP Bitmap() const { return bitmap_; }

private:
    int width_;
    int height_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// A colour as hue (degrees, -1 undefined), saturation and value; channels are byte / 256.
struct HsvColor
{
    explicit HsvColor(COLORREF colour);
    void SetFromRgb();
    void ToRgb();

    double red = 0;
    double green = 0;
    double blue = 0;
    BYTE alpha = 0;
    double hue = -1;
    double saturation = 0;
    double value = 0;
};

// Paler and brighter for a positive amount, more saturated and darker for a negative one.
OWL::TColor AdjustColourSaturation(COLORREF colour, double amount);
// Each channel moved towards the grey of level by factor.
COLORREF TintColour(COLORREF colour, double factor, double level);
// A one-pixel frame just inside rect, in SharedFrameColour.
void FrameRectOpaque(OWL::TDC& dc, const RECT& rect);
// Copies the bitmap from source into destination with the colour of its top-left pixel transparent,
// or opaque when the transparent copy fails.
void BlitWithKeyColour(HDC dc, const RECT& destination, const OWL::TBitmap& bitmap, POINT source);

// A font and the metrics of the DC it was made for.
struct FontWithMetrics
{
    FontWithMetrics(OWL::TDC& dc, int points, int ignored, bool bold, int ignoredToo);
    OWL::TFont font;
    TEXTMETRICW metrics{};
};

// A dialog item's rectangle in the dialog's client coordinates.
struct DialogItemPlacement
{
    DialogItemPlacement(HWND dialog, int itemId);
    HWND dialog;
    RECT rect{};
    int itemId;
};

} // namespace OrvControls
