#include "platform/owl/gdi/UIParts.h"

#include "platform/owl/gdi/DC.h"

#include <vector>

namespace OWL
{

namespace
{

struct EdgeOf
{
    UINT edge;
    UINT flags;
};

EdgeOf EdgeOfStyle(TUIBorder::TStyle style)
{
    switch (style)
    {
    case TUIBorder::Raised: return {BDR_RAISEDINNER, BF_RECT};
    case TUIBorder::Recessed: return {BDR_SUNKENOUTER, BF_RECT};
    case TUIBorder::Embossed: return {EDGE_BUMP, BF_RECT};
    case TUIBorder::Grooved: return {EDGE_ETCHED, BF_RECT};
    case TUIBorder::ButtonUp: return {EDGE_RAISED, BF_RECT | BF_SOFT};
    case TUIBorder::ButtonDn: return {EDGE_SUNKEN, BF_RECT | BF_SOFT};
    case TUIBorder::WndRaised: return {EDGE_RAISED, BF_RECT};
    case TUIBorder::WndRecessed:
    case TUIBorder::WellSet: return {EDGE_SUNKEN, BF_RECT};
    default: return {0, 0};
    }
}

} // namespace

TUIBorder::TUIBorder(const TRect& frame, TStyle style) : frame_(frame), style_(style) {}

int TUIBorder::GetWidth(TStyle style)
{
    switch (style)
    {
    case None: return 0;
    case Plain:
    case Raised:
    case Recessed: return 1;
    default: return 2;
    }
}

TRect TUIBorder::GetClientRect() const
{
    const int width = GetWidth(style_);
    return frame_.InflatedBy(-width, -width);
}

void TUIBorder::Paint(TDC& dc) const
{
    if (style_ == None)
        return;
    if (style_ == Plain)
    {
        dc.FrameRect(frame_, TBrush(TColor::System(COLOR_WINDOWFRAME)));
        return;
    }
    const EdgeOf edge = EdgeOfStyle(style_);
    TRect rect = frame_;
    dc.DrawEdge(rect, edge.edge, edge.flags);
}

TUIFace::TUIFace(const TRect& faceRect, const TBitmap* glyph, const TColor& background)
    : rect_(faceRect), glyph_(glyph), background_(background)
{
}

TUIFace::TUIFace(const TRect& faceRect, const std::wstring& text, const TColor& background)
    : rect_(faceRect), text_(text), background_(background)
{
}

void TUIFace::Paint(TDC& dc, const TPoint& dest, TState state, bool pressed) const
{
    const TPoint at = (state == Down || pressed) ? dest.OffsetBy(1, 1) : dest;
    if (state == Indeterm)
    {
        // The dither of an indeterminate button: every other pixel in the highlight colour.
        static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
        TBitmap dither(8, 8, 1, 1, pattern);
        TBrush brush(dither);
        SavedDCState saved(dc);
        dc.SetTextColor(TColor::Sys3dHilight);
        dc.SetBkColor(background_);
        dc.FillRect(rect_, brush);
    }
    if (!glyph_)
    {
        const TRect textRect(at, rect_.Size());
        if (state == Disabled)
            DrawTextEtched(dc, textRect, text_, DT_LEFT | DT_TOP | DT_SINGLELINE);
        else
            dc.DrawText(text_, textRect, DT_LEFT | DT_TOP | DT_SINGLELINE);
        return;
    }
    const TSize size = glyph_->Size();
    if (state == Disabled)
    {
        ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(glyph_->GetHandle()), 0, at.x, at.y, size.cx,
                     size.cy, DST_BITMAP | DSS_DISABLED);
        return;
    }
    TMemoryDC memory(dc);
    memory.SelectObject(*glyph_);
    dc.BitBlt(TRect(at, size), memory, TPoint(0, 0), SRCCOPY);
}

void TUIFace::DrawTextEtched(TDC& dc, const TRect& rect, const std::wstring& text, UINT format)
{
    const int mode = dc.SetBkMode(TRANSPARENT);
    const TColor color = dc.SetTextColor(TColor::Sys3dHilight);
    dc.DrawText(text, rect.OffsetRect(1, 1), format);
    dc.SetTextColor(TColor::Sys3dShadow);
    dc.DrawText(text, rect, format);
    dc.SetTextColor(color);
    dc.SetBkMode(mode);
}

TBtnBitmap::TBtnBitmap(HINSTANCE instance, TResId resource, const TColor& faceColor)
    : TBitmap(instance, resource), mappedFrom_(faceColor.GetValue())
{
    MapColors();
}

void TBtnBitmap::MapColors()
{
    const COLORREF face = TColor::Sys3dFace.GetValue();
    TMemoryDC dc;
    dc.SelectObject(*this);
    const TSize size = Size();
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            if (::GetPixel(dc, x, y) == mappedFrom_)
                ::SetPixel(dc, x, y, face);
    mappedFrom_ = face;
}

ThemeData::ThemeData(HWND window, const wchar_t* themeClass)
{
    Reopen(window, themeClass);
}

ThemeData::~ThemeData()
{
    if (theme_)
        ::CloseThemeData(theme_);
}

void ThemeData::Reopen(HWND window, const wchar_t* themeClass)
{
    if (theme_)
        ::CloseThemeData(theme_);
    theme_ = ::IsThemeActive() ? ::OpenThemeData(window, themeClass) : nullptr;
}

bool ThemeData::DrawBackground(HDC dc, int part, int state, const TRect& rect) const
{
    return theme_ && ::IsThemePartDefined(theme_, part, 0) &&
           SUCCEEDED(::DrawThemeBackground(theme_, dc, part, state, &rect, nullptr));
}

bool ThemeData::DrawText(HDC dc, int part, int state, const std::wstring& text, UINT format, const TRect& rect) const
{
    return theme_ && ::IsThemePartDefined(theme_, part, 0) && SUCCEEDED(::DrawThemeText(theme_, dc, part, state, text.c_str(), static_cast<int>(text.size()),
                                               format, 0, &rect));
}

} // namespace OWL
