#include "platform/owl/gdi/DC.h"

#include "platform/owl/Failure.h"

#include "foundation/com/XOrv.h"

namespace OWL
{

TDC::TDC(HDC handle) : handle_(handle) {}

TDC::TDC() = default;

TDC::~TDC()
{
    RestoreObjects();
}

void TDC::Remember(Original& original, HGDIOBJ replaced)
{
    if (!original.handle && replaced && replaced != HGDI_ERROR)
        original.handle = replaced;
}

void TDC::Restore(Original& original)
{
    if (original.handle && handle_)
        ::SelectObject(handle_, original.handle);
    original.handle = nullptr;
}

TDC::Original& TDC::OriginalOfKind(HGDIOBJ object)
{
    switch (GetObjectType(object))
    {
    case OBJ_FONT:
        return font_;
    case OBJ_PEN:
    case OBJ_EXTPEN:
        return pen_;
    case OBJ_BRUSH:
        return brush_;
    case OBJ_BITMAP:
        return bitmap_;
    default:
        throw XOrv(Orv::String(L"Only fonts, pens, brushes and bitmaps are selected this way"), E_INVALIDARG);
    }
}

HGDIOBJ TDC::InternalSelectObject(HGDIOBJ object)
{
    Original& original = OriginalOfKind(object);
    const HGDIOBJ replaced = ::SelectObject(handle_, object);
    Remember(original, replaced);
    return replaced;
}

void TDC::SelectObject(const TFont& font)
{
    InternalSelectObject(font.GetHandle());
}

void TDC::SelectObject(const TPen& pen)
{
    InternalSelectObject(pen.GetHandle());
}

void TDC::SelectObject(const TBrush& brush)
{
    InternalSelectObject(brush.GetHandle());
}

void TDC::SelectObject(const TBitmap& bitmap)
{
    InternalSelectObject(bitmap.GetHandle());
}

void TDC::SelectStockObject(int index)
{
    InternalSelectObject(GetStockObject(index));
}

void TDC::RestoreFont()
{
    Restore(font_);
}

void TDC::RestorePen()
{
    Restore(pen_);
}

void TDC::RestoreBrush()
{
    Restore(brush_);
}

void TDC::RestoreBitmap()
{
    Restore(bitmap_);
}

void TDC::RestoreObjects()
{
    RestoreFont();
    RestorePen();
    RestoreBrush();
    RestoreBitmap();
}

int TDC::GetDeviceCaps(int index) const
{
    return ::GetDeviceCaps(handle_, index);
}

TSize TDC::SetWindowExt(const TSize& extent) const
{
    SIZE old{};
    ::SetWindowExtEx(handle_, extent.cx, extent.cy, &old);
    return old;
}

TSize TDC::SetViewportExt(const TSize& extent) const
{
    SIZE old{};
    ::SetViewportExtEx(handle_, extent.cx, extent.cy, &old);
    return old;
}

TPoint TDC::SetWindowOrg(const TPoint& origin) const
{
    POINT old{};
    ::SetWindowOrgEx(handle_, origin.x, origin.y, &old);
    return old;
}

TPoint TDC::SetViewportOrg(const TPoint& origin) const
{
    POINT old{};
    ::SetViewportOrgEx(handle_, origin.x, origin.y, &old);
    return old;
}

TSize TDC::GetWindowExt() const
{
    SIZE extent{};
    ::GetWindowExtEx(handle_, &extent);
    return extent;
}

TSize TDC::GetViewportExt() const
{
    SIZE extent{};
    ::GetViewportExtEx(handle_, &extent);
    return extent;
}

TPoint TDC::GetViewportOrg() const
{
    POINT origin{};
    ::GetViewportOrgEx(handle_, &origin);
    return origin;
}

TRect TDC::GetClipBox() const
{
    RECT box{};
    ::GetClipBox(handle_, &box);
    return box;
}

bool TDC::TextOut(int x, int y, const std::wstring& text) const
{
    return ::TextOutW(handle_, x, y, text.c_str(), static_cast<int>(text.size())) != FALSE;
}

bool TDC::ExtTextOut(const TPoint& point, UINT options, const TRect* rect, const std::wstring& text,
                     const int* dx) const
{
    return ::ExtTextOutW(handle_, point.x, point.y, options, rect, text.c_str(), static_cast<UINT>(text.size()), dx) !=
           FALSE;
}

void TDC::TextRect(const TRect& rect, const TColor& color) const
{
    const COLORREF previous = ::SetBkColor(handle_, color.GetValue());
    ::ExtTextOutW(handle_, 0, 0, ETO_OPAQUE, &rect, L"", 0, nullptr);
    ::SetBkColor(handle_, previous);
}

int TDC::DrawText(const std::wstring& text, TRect& rect, UINT format) const
{
    return ::DrawTextW(handle_, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

int TDC::DrawText(const std::wstring& text, const TRect& rect, UINT format) const
{
    TRect copy = rect;
    return DrawText(text, copy, format & ~DT_CALCRECT);
}

TSize TDC::GetTextExtent(const std::wstring& text) const
{
    SIZE size{};
    ::GetTextExtentPoint32W(handle_, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

TEXTMETRICW TDC::GetTextMetrics() const
{
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(handle_, &metrics);
    return metrics;
}

std::wstring TDC::GetTextFace() const
{
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(handle_, LF_FACESIZE, face);
    return face;
}

TPoint TDC::MoveTo(int x, int y) const
{
    POINT old{};
    ::MoveToEx(handle_, x, y, &old);
    return old;
}

bool TDC::DrawIcon(const TPoint& point, HICON icon, const TSize& size) const
{
    return ::DrawIconEx(handle_, point.x, point.y, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL) != FALSE;
}

bool TDC::BitBlt(const TRect& destination, HDC source, const TPoint& sourceOrigin, DWORD rop) const
{
    return ::BitBlt(handle_, destination.left, destination.top, destination.Width(), destination.Height(), source,
                    sourceOrigin.x, sourceOrigin.y, rop) != FALSE;
}

bool TDC::StretchBlt(const TRect& destination, HDC source, const TRect& sourceRect, DWORD rop) const
{
    return ::StretchBlt(handle_, destination.left, destination.top, destination.Width(), destination.Height(), source,
                        sourceRect.left, sourceRect.top, sourceRect.Width(), sourceRect.Height(), rop) != FALSE;
}

TClientDC::TClientDC(HWND window) : window_(window)
{
    Init(Checked(GetDC(window), L"No device context for the window"));
}

TClientDC::~TClientDC()
{
    RestoreObjects();
    ReleaseDC(window_, GetHDC());
}

TWindowDC::TWindowDC(HWND window) : window_(window)
{
    Init(Checked(GetWindowDC(window), L"No device context for the window"));
}

TWindowDC::~TWindowDC()
{
    RestoreObjects();
    ReleaseDC(window_, GetHDC());
}

TPaintDC::TPaintDC(HWND window) : window_(window)
{
    Init(BeginPaint(window, &Ps));
}

TPaintDC::~TPaintDC()
{
    RestoreObjects();
    EndPaint(window_, &Ps);
}

TCreatedDC::TCreatedDC(const wchar_t* driver, const wchar_t* device, const wchar_t* output, const DEVMODEW* initData)
{
    InitOwned(Checked(CreateDCW(driver, device, output, initData), L"The device context could not be made"));
}

TCreatedDC::TCreatedDC(HDC handle, TAutoDelete autoDelete) : owned_(autoDelete == AutoDelete)
{
    Init(Checked(handle, L"No device context"));
}

void TCreatedDC::InitOwned(HDC handle)
{
    Init(handle);
    owned_ = true;
}

TCreatedDC::~TCreatedDC()
{
    RestoreObjects();
    if (owned_)
        DeleteDC(GetHDC());
}

TMemoryDC::TMemoryDC() : TMemoryDC(HDC(nullptr)) {}

TMemoryDC::TMemoryDC(const TDC& compatibleWith) : TMemoryDC(compatibleWith.GetHDC()) {}

TMemoryDC::TMemoryDC(HDC compatibleWith)
{
    InitOwned(Checked(CreateCompatibleDC(compatibleWith), L"The memory device context could not be made"));
}

TMemoryDC::TMemoryDC(const TBitmap& bitmap) : TMemoryDC()
{
    SelectObject(bitmap);
}

SIZE ControlTextExtent(HWND control, const std::wstring& text)
{
    const TClientDC dc(control);
    const SelectedObject font(dc.GetHDC(), reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.GetHDC(), text.c_str(), static_cast<int>(text.size()), &extent);
    return extent;
}

} // namespace OWL
