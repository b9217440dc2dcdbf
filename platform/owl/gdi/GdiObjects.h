// Owners of GDI objects: fonts, bitmaps, brushes, pens and regions. Each deletes its handle when it
// ends unless it was made over a handle it must not delete (a stock object, or one someone else owns).
#pragma once

#include "platform/owl/Color.h"
#include "platform/owl/Geometry.h"
#include "platform/owl/ResId.h"

#include <windows.h>

#include <string>
#include <utility>

namespace OWL
{

class TModule;

enum TAutoDelete
{
    NoAutoDelete,
    AutoDelete
};

class TGdiObject
{
public:
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    virtual ~TGdiObject();

    HGDIOBJ GetHandle() const { return handle_; }
    bool ShouldDelete() const { return owned_; }
    explicit operator bool() const { return handle_ != nullptr; }

protected:
    // Takes the handle; throws XOrv when it is null (the object could not be made).
    TGdiObject(HGDIOBJ handle, TAutoDelete autoDelete);
    TGdiObject(TGdiObject&& other) noexcept;

private:
    HGDIOBJ handle_;
    bool owned_;
};

class TFont : public TGdiObject
{
public:
    TFont(const wchar_t* facename, int height, int width = 0, int escapement = 0, int orientation = 0,
          int weight = FW_NORMAL, BYTE pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE, BYTE italic = FALSE,
          BYTE underline = FALSE, BYTE strikeout = FALSE, BYTE charSet = DEFAULT_CHARSET,
          BYTE outputPrecision = OUT_DEFAULT_PRECIS, BYTE clipPrecision = CLIP_DEFAULT_PRECIS,
          BYTE quality = DEFAULT_QUALITY);
    explicit TFont(const LOGFONTW& logFont);
    TFont(HFONT handle, TAutoDelete autoDelete);
    TFont(TFont&&) noexcept = default;

    HFONT GetHandle() const { return static_cast<HFONT>(TGdiObject::GetHandle()); }
    operator HFONT() const { return GetHandle(); }

    LOGFONTW GetObject() const;
    int GetHeight() const { return GetObject().lfHeight; }
    std::wstring GetFaceName() const { return GetObject().lfFaceName; }
    // The font's metrics as the screen gives them.
    TEXTMETRICW GetTextMetrics() const;
    // The text's extent with this font on the screen.
    TSize GetTextExtent(const std::wstring& text) const;
};

// The system's default GUI font (a stock object, never deleted).
class TDefaultGUIFont : public TFont
{
public:
    TDefaultGUIFont();
};

// The font the system uses for message boxes (the shell's message font), made anew at the given point
// size (0: the system's own size). Gadget windows and the library's small windows draw with it.
class TGadgetWindowFont : public TFont
{
public:
    explicit TGadgetWindowFont(int pointSize = 0, bool bold = false, bool italic = false);
};
using TGadgetWindowFont2 = TGadgetWindowFont;
using TDefaultGUIFont2 = TGadgetWindowFont;

class TBitmap : public TGdiObject
{
public:
    TBitmap(HBITMAP handle, TAutoDelete autoDelete);
    // A bitmap resource of the module (or instance); throws XOrv when there is none.
    TBitmap(HINSTANCE instance, TResId resource);
    TBitmap(const TModule& module, TResId resource);
    // A device-independent bitmap section of 32 bits per pixel.
    TBitmap(int width, int height);
    // A bitmap compatible with the device context, or a monochrome one of 1 bit per pixel.
    TBitmap(HDC compatibleWith, int width, int height);
    TBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    TBitmap(TBitmap&&) noexcept = default;

    HBITMAP GetHandle() const { return static_cast<HBITMAP>(TGdiObject::GetHandle()); }
    operator HBITMAP() const { return GetHandle(); }

    BITMAP GetObject() const;
    int Width() const { return GetObject().bmWidth; }
    int Height() const { return GetObject().bmHeight; }
    TSize Size() const { return TSize(Width(), Height()); }
    int BitsPixel() const { return GetObject().bmBitsPixel; }
};

class TBrush : public TGdiObject
{
public:
    explicit TBrush(const TColor& color);
    TBrush(HBRUSH handle, TAutoDelete autoDelete);
    // A pattern brush from a (usually monochrome 8x8) bitmap.
    explicit TBrush(const TBitmap& pattern);
    TBrush(TBrush&&) noexcept = default;

    HBRUSH GetHandle() const { return static_cast<HBRUSH>(TGdiObject::GetHandle()); }
    operator HBRUSH() const { return GetHandle(); }
};

class TPen : public TGdiObject
{
public:
    explicit TPen(const TColor& color, int width = 1, int style = PS_SOLID);
    TPen(HPEN handle, TAutoDelete autoDelete);
    TPen(TPen&&) noexcept = default;

    HPEN GetHandle() const { return static_cast<HPEN>(TGdiObject::GetHandle()); }
    operator HPEN() const { return GetHandle(); }
};

class TRegion : public TGdiObject
{
public:
    TRegion();
    explicit TRegion(const TRect& rect);
    TRegion(HRGN handle, TAutoDelete autoDelete);
    TRegion(TRegion&&) noexcept = default;

    HRGN GetHandle() const { return static_cast<HRGN>(TGdiObject::GetHandle()); }
    operator HRGN() const { return GetHandle(); }

    void SetRectRgn(const TRect& rect) { ::SetRectRgn(GetHandle(), rect.left, rect.top, rect.right, rect.bottom); }
    TRegion& operator|=(const TRegion& other);
    TRegion& operator|=(const TRect& rect);
    TRegion& operator&=(const TRect& rect);
    bool Contains(const TPoint& point) const { return PtInRegion(GetHandle(), point.x, point.y) != FALSE; }
    bool IsEmpty() const;
    TRect GetRgnBox() const;
};

} // namespace OWL
