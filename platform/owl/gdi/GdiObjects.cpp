#include "platform/owl/gdi/GdiObjects.h"

#include "platform/owl/Failure.h"
#include "platform/owl/Module.h"

namespace OWL
{

namespace
{

// A screen DC for measuring, released on every path.
class ScreenMeasure
{
public:
    explicit ScreenMeasure(HFONT font) : dc_(Checked(GetDC(nullptr), L"No screen device context"))
    {
        previous_ = SelectObject(dc_, font);
    }
    ~ScreenMeasure()
    {
        SelectObject(dc_, previous_);
        ReleaseDC(nullptr, dc_);
    }
    ScreenMeasure(const ScreenMeasure&) = delete;
    ScreenMeasure& operator=(const ScreenMeasure&) = delete;
    HDC Dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

HBITMAP CreateDibSection32(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

HBITMAP LoadBitmapResource(HINSTANCE instance, TResId resource)
{
    return static_cast<HBITMAP>(
        Checked(LoadImageW(instance, resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), L"Bitmap resource not found"));
}

} // namespace

TGdiObject::TGdiObject(HGDIOBJ handle, TAutoDelete autoDelete)
    : handle_(Checked(handle, L"The graphics object could not be made")), owned_(autoDelete == AutoDelete)
{
}

TGdiObject::TGdiObject(TGdiObject&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), owned_(std::exchange(other.owned_, false))
{
}

TGdiObject::~TGdiObject()
{
    if (owned_ && handle_)
        DeleteObject(handle_);
}

TFont::TFont(const wchar_t* facename, int height, int width, int escapement, int orientation, int weight,
             BYTE pitchAndFamily, BYTE italic, BYTE underline, BYTE strikeout, BYTE charSet, BYTE outputPrecision,
             BYTE clipPrecision, BYTE quality)
    : TGdiObject(CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeout, charSet,
                             outputPrecision, clipPrecision, quality, pitchAndFamily, facename),
                 AutoDelete)
{
}

TFont::TFont(const LOGFONTW& logFont) : TGdiObject(CreateFontIndirectW(&logFont), AutoDelete) {}

TFont::TFont(HFONT handle, TAutoDelete autoDelete) : TGdiObject(handle, autoDelete) {}

LOGFONTW TFont::GetObject() const
{
    LOGFONTW logFont{};
    ::GetObjectW(GetHandle(), sizeof(logFont), &logFont);
    return logFont;
}

TEXTMETRICW TFont::GetTextMetrics() const
{
    ScreenMeasure screen(GetHandle());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.Dc(), &metrics);
    return metrics;
}

TSize TFont::GetTextExtent(const std::wstring& text) const
{
    ScreenMeasure screen(GetHandle());
    SIZE size{};
    GetTextExtentPoint32W(screen.Dc(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

TDefaultGUIFont::TDefaultGUIFont() : TFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), NoAutoDelete) {}

namespace
{

LOGFONTW MessageFont(int pointSize, bool bold, bool italic)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    if (pointSize > 0)
    {
        ScreenMeasure screen(nullptr);
        font.lfHeight = -MulDiv(pointSize, GetDeviceCaps(screen.Dc(), LOGPIXELSY), 72);
    }
    if (bold)
        font.lfWeight = FW_BOLD;
    font.lfItalic = italic ? TRUE : FALSE;
    return font;
}

} // namespace

TGadgetWindowFont::TGadgetWindowFont(int pointSize, bool bold, bool italic)
    : TFont(MessageFont(pointSize, bold, italic))
{
}

TBitmap::TBitmap(HBITMAP handle, TAutoDelete autoDelete) : TGdiObject(handle, autoDelete) {}

TBitmap::TBitmap(HINSTANCE instance, TResId resource) : TGdiObject(LoadBitmapResource(instance, resource), AutoDelete)
{
}

TBitmap::TBitmap(const TModule& module, TResId resource) : TBitmap(module.GetHandle(), resource) {}

TBitmap::TBitmap(int width, int height) : TGdiObject(CreateDibSection32(width, height), AutoDelete) {}

TBitmap::TBitmap(HDC compatibleWith, int width, int height)
    : TGdiObject(CreateCompatibleBitmap(compatibleWith, width, height), AutoDelete)
{
}

TBitmap::TBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
    : TGdiObject(CreateBitmap(width, height, planes, bitsPerPixel, bits), AutoDelete)
{
}

BITMAP TBitmap::GetObject() const
{
    BITMAP bitmap{};
    ::GetObjectW(GetHandle(), sizeof(bitmap), &bitmap);
    return bitmap;
}

TBrush::TBrush(const TColor& color)
    : TGdiObject(color.IsSysColor() ? GetSysColorBrush(color.Index()) : CreateSolidBrush(color.GetValue()),
                 color.IsSysColor() ? NoAutoDelete : AutoDelete)
{
}

TBrush::TBrush(HBRUSH handle, TAutoDelete autoDelete) : TGdiObject(handle, autoDelete) {}

TBrush::TBrush(const TBitmap& pattern) : TGdiObject(CreatePatternBrush(pattern.GetHandle()), AutoDelete) {}

TPen::TPen(const TColor& color, int width, int style)
    : TGdiObject(CreatePen(style, width, color.GetValue()), AutoDelete)
{
}

TPen::TPen(HPEN handle, TAutoDelete autoDelete) : TGdiObject(handle, autoDelete) {}

TRegion::TRegion() : TGdiObject(CreateRectRgn(0, 0, 0, 0), AutoDelete) {}

TRegion::TRegion(const TRect& rect)
    : TGdiObject(CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom), AutoDelete)
{
}

TRegion::TRegion(HRGN handle, TAutoDelete autoDelete) : TGdiObject(handle, autoDelete) {}

TRegion& TRegion::operator|=(const TRegion& other)
{
    CombineRgn(GetHandle(), GetHandle(), other.GetHandle(), RGN_OR);
    return *this;
}

TRegion& TRegion::operator|=(const TRect& rect)
{
    return *this |= TRegion(rect);
}

TRegion& TRegion::operator&=(const TRect& rect)
{
    TRegion other(rect);
    CombineRgn(GetHandle(), GetHandle(), other.GetHandle(), RGN_AND);
    return *this;
}

bool TRegion::IsEmpty() const
{
    RECT box{};
    return ::GetRgnBox(GetHandle(), &box) == NULLREGION;
}

TRect TRegion::GetRgnBox() const
{
    RECT box{};
    ::GetRgnBox(GetHandle(), &box);
    return box;
}

} // namespace OWL
