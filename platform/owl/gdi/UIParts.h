// Pieces of the classic 3-D look: TUIBorder draws the edges of buttons and panels, TUIFace draws a
// glyph or a text in the looks of a button's states, TBtnBitmap is a button glyph whose face colour is
// replaced by the system's. ThemeData owns a visual-styles theme handle; its drawing calls report a
// failure so that the caller draws the classic look instead.
#pragma once

#include "platform/owl/Color.h"
#include "platform/owl/Geometry.h"
#include "platform/owl/gdi/GdiObjects.h"

#include <windows.h>
#include <uxtheme.h>

#include <string>

namespace OWL
{

class TDC;

class TUIBorder
{
public:
    enum TStyle
    {
        None,
        Plain,       // a one-pixel frame in the window-frame colour
        Raised,      // one-pixel raised edge
        Recessed,    // one-pixel sunken edge
        Embossed,    // a bump
        Grooved,     // an etched groove
        ButtonUp,    // a button at rest
        ButtonDn,    // a pressed button
        WndRaised,   // a raised window edge
        WndRecessed, // a sunken window edge (a client edge)
        WellSet,     // a sunken edge around a well
    };

    TUIBorder(const TRect& frame, TStyle style);

    void Paint(TDC& dc) const;
    // The rectangle inside the border.
    TRect GetClientRect() const;
    // The width of a style's edge in pixels.
    static int GetWidth(TStyle style);

private:
    TRect frame_;
    TStyle style_;
};

class TUIFace
{
public:
    enum TState
    {
        Normal,
        Down,          // pushed: drawn one pixel right and down
        Indeterm,      // a dithered face
        Disabled,      // embossed in the shadow and highlight colours
        Default,
        Hilite,
    };

    // A face of the given rectangle that shows the bitmap (may be null) or the text.
    TUIFace(const TRect& faceRect, const TBitmap* glyph, const TColor& background = TColor::Sys3dFace);
    TUIFace(const TRect& faceRect, const std::wstring& text, const TColor& background = TColor::Sys3dFace);

    // Draws the face in the state, the glyph's or the text's top-left at dest.
    void Paint(TDC& dc, const TPoint& dest, TState state, bool pressed) const;
    // The text drawn sunken: in the highlight colour one pixel down and right, then in the shadow colour.
    static void DrawTextEtched(TDC& dc, const TRect& rect, const std::wstring& text, UINT format);

private:
    TRect rect_;
    const TBitmap* glyph_ = nullptr;
    std::wstring text_;
    TColor background_;
};

class TBtnBitmap : public TBitmap
{
public:
    // A bitmap resource whose pixels of the face colour take the system's button-face colour.
    TBtnBitmap(HINSTANCE instance, TResId resource, const TColor& faceColor = TColor::LtGray);
    // Recolours again after the system colours changed.
    void MapColors();

private:
    COLORREF mappedFrom_;
};

// A theme handle of a window (or of no window) for one theme class, closed when the object ends.
class ThemeData
{
public:
    ThemeData(HWND window, const wchar_t* themeClass);
    ~ThemeData();
    ThemeData(const ThemeData&) = delete;
    ThemeData& operator=(const ThemeData&) = delete;

    HTHEME Get() const { return theme_; }
    explicit operator bool() const { return theme_ != nullptr; }
    // Opens the class again (after WM_THEMECHANGED); null when visual styles are off.
    void Reopen(HWND window, const wchar_t* themeClass);
    // False when there is no theme or the theme could not draw: the caller then draws the classic look.
    bool DrawBackground(HDC dc, int part, int state, const TRect& rect) const;
    bool DrawText(HDC dc, int part, int state, const std::wstring& text, UINT format, const TRect& rect) const;

private:
    HTHEME theme_ = nullptr;
};

} // namespace OWL
