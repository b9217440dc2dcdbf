#include "host/app/gui/WindowPicture.h"

#include "host/app/TextConversion.h"

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <stdexcept>

namespace Host
{

namespace
{

class GdiplusSession
{
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok)
            throw std::runtime_error("GDI+ does not start");
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token_); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

CLSID PngEncoder()
{
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    if (size == 0 || Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok)
        throw std::runtime_error("GDI+ has no image encoders");
    for (UINT i = 0; i < count; ++i)
        if (std::wstring(encoders[i].MimeType) == L"image/png")
            return encoders[i].Clsid;
    throw std::runtime_error("GDI+ has no PNG encoder");
}

struct WindowDC
{
    HWND window;
    HDC dc;
    ~WindowDC() { ReleaseDC(window, dc); }
};
struct MemoryDC
{
    HDC dc;
    ~MemoryDC() { DeleteDC(dc); }
};
struct Bitmap
{
    HBITMAP bitmap;
    ~Bitmap() { DeleteObject(bitmap); }
};

} // namespace

void SaveWindowPicture(HWND window, const std::wstring& path)
{
    const std::string name = ToUtf8(path);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    RECT place{};
    GetWindowRect(window, &place);
    const int width = place.right - place.left, height = place.bottom - place.top;
    const WindowDC source{window, GetWindowDC(window)};
    const MemoryDC memory{CreateCompatibleDC(source.dc)};
    const Bitmap picture{CreateCompatibleBitmap(source.dc, width, height)};
    if (!source.dc || !memory.dc || !picture.bitmap)
        throw std::runtime_error(name + ": cannot take the window's picture");
    const HGDIOBJ previous = SelectObject(memory.dc, picture.bitmap);
    const bool copied = BitBlt(memory.dc, 0, 0, width, height, source.dc, 0, 0, SRCCOPY);
    SelectObject(memory.dc, previous);
    if (!copied)
        throw std::runtime_error(name + ": cannot copy the window's picture: " + SystemErrorText(GetLastError()));

    const GdiplusSession gdiplus;
    const CLSID encoder = PngEncoder();
    Gdiplus::Bitmap image(picture.bitmap, nullptr);
    if (image.Save(path.c_str(), &encoder, nullptr) != Gdiplus::Ok)
        throw std::runtime_error(name + ": cannot write the picture");
}

} // namespace Host
