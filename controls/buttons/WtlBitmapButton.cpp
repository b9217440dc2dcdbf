#include "controls/buttons/WtlBitmapButton.h"

#include "controls/windows/GdiPlusBitmaps.h"

#include <objbase.h>

#include <gdiplus.h>

namespace WTLControls
{

namespace
{

// Luminance in every colour channel, alpha kept.
const Gdiplus::ColorMatrix Grey = {{{0.299f, 0.299f, 0.299f, 0, 0},
                                    {0.587f, 0.587f, 0.587f, 0, 0},
                                    {0.114f, 0.114f, 0.114f, 0, 0},
                                    {0, 0, 0, 1, 0},
                                    {0, 0, 0, 0, 0}}};

void DrawGrey(Gdiplus::Graphics& graphics, Gdiplus::Image& image, const Gdiplus::Rect& at)
{
    Gdiplus::ImageAttributes attributes;
    Gdiplus::ColorMatrix matrix = Grey;
    attributes.SetColorMatrix(&matrix);
    graphics.DrawImage(&image, at, 0, 0, static_cast<INT>(image.GetWidth()), static_cast<INT>(image.GetHeight()),
                       Gdiplus::UnitPixel, &attributes);
}

HBITMAP ToHBitmap(Gdiplus::Bitmap& bitmap)
{
    HBITMAP handle = nullptr;
    bitmap.GetHBITMAP(Gdiplus::Color(0xFF000000), &handle);
    return handle;
}

} // namespace

CWtlBitmapButton::~CWtlBitmapButton()
{
    if (m_hWnd)
        UnsubclassWindow(TRUE);
    if (icon_)
        DestroyIcon(icon_);
    if (normal_)
        DeleteObject(normal_);
    if (disabled_)
        DeleteObject(disabled_);
}

void CWtlBitmapButton::SetBitmap(Gdiplus::Bitmap& image)
{
    GdiplusStarter::Instance();
    if (normal_)
        DeleteObject(normal_);
    if (disabled_)
        DeleteObject(disabled_);
    normal_ = ToHBitmap(image);
    const auto width = static_cast<INT>(image.GetWidth()), height = static_cast<INT>(image.GetHeight());
    Gdiplus::Bitmap grey(width, height, PixelFormat32bppRGB);
    {
        Gdiplus::Graphics graphics(&grey);
        DrawGrey(graphics, image, Gdiplus::Rect(0, 0, width, height));
    }
    disabled_ = ToHBitmap(grey);
    mode_ = BitmapMode;
}

void CWtlBitmapButton::SetIcon(HICON icon, SIZE size)
{
    if (icon_ && icon_ != icon)
        DestroyIcon(icon_);
    icon_ = icon;
    iconSize_ = size;
    mode_ = IconMode;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CWtlBitmapButton::SetImage(Gdiplus::Bitmap* image)
{
    image_ = image;
    mode_ = ImageMode;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

SIZE CWtlBitmapButton::ImageSize() const
{
    switch (mode_)
    {
    case BitmapMode:
    {
        BITMAP info{};
        if (normal_)
            GetObjectW(normal_, sizeof info, &info);
        return {info.bmWidth, info.bmHeight};
    }
    case IconMode:
        return iconSize_;
    default:
        return image_ ? SIZE{static_cast<LONG>(image_->GetWidth()), static_cast<LONG>(image_->GetHeight())} : SIZE{};
    }
}

RECT CWtlBitmapButton::ImageRect() const
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const SIZE size = ImageSize();
    const int left = static_cast<int>(client.right * 0.5 - size.cx * 0.5);
    const int top = static_cast<int>(client.bottom * 0.5 - size.cy * 0.5);
    return {left, top, left + size.cx, top + size.cy};
}

void CWtlBitmapButton::PaintImage(HDC dc)
{
    const RECT at = ImageRect();
    const int width = at.right - at.left, height = at.bottom - at.top;
    const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
    if (mode_ == BitmapMode)
    {
        HBITMAP bitmap = enabled ? normal_ : disabled_;
        if (!bitmap)
            return;
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap);
        TransparentBlt(dc, at.left, at.top, width, height, memory, 0, 0, width, height, GetPixel(memory, 0, 0));
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    else if (mode_ == IconMode && icon_)
    {
        if (enabled)
            DrawIconEx(dc, at.left, at.top, icon_, width, height, 0, nullptr, DI_NORMAL);
        else
            PaintDisabledIcon(dc, at);
    }
    else if (mode_ == ImageMode && image_)
    {
        Gdiplus::Graphics graphics(dc);
        if (enabled)
            graphics.DrawImage(image_, static_cast<INT>(at.left), static_cast<INT>(at.top));
        else
            DrawGrey(graphics, *image_, Gdiplus::Rect(at.left, at.top, width, height));
    }
}

// The icon with its own alpha, laid over the face at half strength.
void CWtlBitmapButton::PaintDisabledIcon(HDC dc, const RECT& at)
{
    const int width = at.right - at.left, height = at.bottom - at.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section)
    {
        HGDIOBJ old = SelectObject(memory, section);
        DrawIconEx(memory, 0, 0, icon_, width, height, 0, nullptr, DI_NORMAL);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 127, AC_SRC_ALPHA};
        AlphaBlend(dc, at.left, at.top, width, height, memory, 0, 0, width, height, blend);
        SelectObject(memory, old);
        DeleteObject(section);
    }
    DeleteDC(memory);
}

// The face and the image go into the one paint: an image drawn through a second device context after
// the paint had ended could reach the screen after a capture of it, or not until the next flush.
LRESULT CWtlBitmapButton::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    PaintImage(dc);
    ::EndPaint(m_hWnd, &paint);
    return 0;
}

bool CWtlBitmapButton::RepaintsFaceDirectly(UINT message)
{
    switch (message)
    {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case BM_CLICK:
        return true;
    default:
        return false;
    }
}

// The face the button just painted covers the image: it is drawn again, from the queue, since a click may
// have closed the button (and this object) meanwhile; a closed window's message is dropped.
LRESULT CWtlBitmapButton::OnFaceRepainted(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const HWND window = m_hWnd;
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    ::PostMessageW(window, RepaintImageMessage(), 0, 0);
    return result;
}

LRESULT CWtlBitmapButton::OnRepaintImage(UINT, WPARAM, LPARAM, BOOL&)
{
    if (::IsWindowVisible(m_hWnd))
    {
        HDC dc = ::GetDC(m_hWnd);
        PaintImage(dc);
        ::ReleaseDC(m_hWnd, dc);
    }
    return 0;
}

UINT CWtlBitmapButton::RepaintImageMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"SistraBitmapButtonRepaintImage");
    return message;
}

} // namespace WTLControls
