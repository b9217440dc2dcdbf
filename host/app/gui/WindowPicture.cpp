#include "host/app/gui/WindowPicture.h"

#include "host/app/files/TextConversion.h"
#include "host/app/files/WholeFile.h"

#include "foundation/com/ComPtr.h"

#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

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

// Sends and dispatches what the windows have waiting.
void PumpMessages()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// What the window shows now, frame included, as a bitmap and its 32-bit pixels.
struct WindowPixels
{
    std::unique_ptr<Bitmap> bitmap;
    std::vector<DWORD> pixels;
};

// The part of the window its own pixels show, relative to its top left corner: all of it, but for a top
// window with a caption, whose caption and frame the display's window manager draws apart from the window
// (the window's own pixels are black there), which is left out as the display leaves it out without one.
RECT OwnPart(HWND window, bool wholeWindow)
{
    RECT place{};
    GetWindowRect(window, &place);
    RECT part{0, 0, place.right - place.left, place.bottom - place.top};
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    if (wholeWindow || (style & WS_CHILD) || (style & WS_CAPTION) != WS_CAPTION)
        return part;
    RECT decoration{};
    AdjustWindowRectEx(&decoration, style & ~(WS_HSCROLL | WS_VSCROLL), FALSE, GetWindowLongW(window, GWL_EXSTYLE));
    return RECT{-decoration.left, -decoration.top, part.right - decoration.right, part.bottom - decoration.bottom};
}

WindowPixels CopyWindowPixels(HWND window, const std::string& name, bool wholeWindow = true)
{
    // The caret blinks on a timer of its own: a picture taken at either phase would differ.
    HideCaret(nullptr);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    const RECT part = OwnPart(window, wholeWindow);
    const int width = std::max(1L, part.right - part.left), height = std::max(1L, part.bottom - part.top);
    const WindowDC source{window, GetWindowDC(window)};
    const MemoryDC memory{CreateCompatibleDC(source.dc)};
    WindowPixels copy{std::unique_ptr<Bitmap>(new Bitmap{CreateCompatibleBitmap(source.dc, width, height)}), {}};
    if (!source.dc || !memory.dc || !copy.bitmap->bitmap)
        throw std::runtime_error(name + ": cannot take the window's picture");
    const HGDIOBJ previous = SelectObject(memory.dc, copy.bitmap->bitmap);
    const bool copied = BitBlt(memory.dc, 0, 0, width, height, source.dc, part.left, part.top, SRCCOPY);
    SelectObject(memory.dc, previous);
    if (!copied)
        throw std::runtime_error(name + ": cannot copy the window's picture: " + SystemErrorText(GetLastError()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    copy.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    GetDIBits(memory.dc, copy.bitmap->bitmap, 0, static_cast<UINT>(height), copy.pixels.data(), &info, DIB_RGB_COLORS);
    return copy;
}

// The picture is encoded in memory and then written whole: a full disk leaves no empty file behind, and the
// error names the file and the system's reason.
void WritePng(HBITMAP bitmap, const std::wstring& path, const std::string& name)
{
    Orv::ComPtr<IStream> encoded;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, encoded.Put())))
        throw std::runtime_error(name + ": no memory to encode the picture");
    {
        const GdiplusSession gdiplus;
        const CLSID encoder = PngEncoder();
        Gdiplus::Bitmap image(bitmap, nullptr);
        if (image.Save(encoded.Get(), &encoder, nullptr) != Gdiplus::Ok)
            throw std::runtime_error(name + ": cannot encode the picture");
    }
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(GetHGlobalFromStream(encoded.Get(), &memory)) || FAILED(encoded->Stat(&stat, STATFLAG_NONAME)))
        throw std::runtime_error(name + ": cannot read the encoded picture");
    const auto* bytes = static_cast<const char*>(GlobalLock(memory));
    const std::string picture(bytes, bytes ? static_cast<size_t>(stat.cbSize.QuadPart) : 0);
    GlobalUnlock(memory);
    WriteWholeFile(path, picture);
}

} // namespace

WindowImage ReadWindowImage(HWND window)
{
    WindowPixels copy = CopyWindowPixels(window, "window picture");
    BITMAP size{};
    GetObjectW(copy.bitmap->bitmap, sizeof size, &size);
    return WindowImage{size.bmWidth, size.bmHeight, std::move(copy.pixels)};
}

void SaveBitmapPicture(HBITMAP bitmap, const std::wstring& path)
{
    WritePng(bitmap, path, ToUtf8(path));
}

void SaveWindowPicture(HWND window, const std::wstring& path)
{
    const std::string name = ToUtf8(path);
    WritePng(CopyWindowPixels(window, name, false).bitmap->bitmap, path, name);
}

void SaveSettledWindowPicture(HWND window, const std::wstring& path)
{
    const std::string name = ToUtf8(path);
    // Settled: nothing but timers waiting in the queue, and the same pixels over several looks spaced wider
    // than any animation's timer step (an accordion unfolding, a layout finished on a posted message). A
    // timer that has come due is no change: a view that looks for new data on a timer would otherwise
    // never settle once painting it takes longer than the timer's beat. The guard counts looks, not time:
    // a large picture takes long to paint and to copy, the more so on a busy machine, and still settles.
    constexpr DWORD LookInterval = 60;
    constexpr int SameLooksNeeded = 4;
    constexpr int MostLooks = 250;
    WindowPixels last;
    int sameLooks = 0, looks = 0;
    for (; sameLooks < SameLooksNeeded && looks < MostLooks; ++looks)
    {
        PumpMessages();
        WindowPixels look = CopyWindowPixels(window, name, false);
        const bool queueEmpty = (GetQueueStatus(QS_ALLINPUT) & ~(QS_TIMER | QS_TIMER << 16)) == 0;
        sameLooks = queueEmpty && !last.pixels.empty() && look.pixels == last.pixels ? sameLooks + 1 : 0;
        last = std::move(look);
        if (sameLooks < SameLooksNeeded)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, LookInterval, QS_ALLINPUT);
    }
    if (sameLooks < SameLooksNeeded)
        throw std::runtime_error(name + ": the window did not settle over " + std::to_string(MostLooks) + " looks");
    WritePng(last.bitmap->bitmap, path, name);
}

} // namespace Host
