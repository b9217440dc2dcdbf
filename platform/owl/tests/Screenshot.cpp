#include "Screenshot.h"

#include <objidl.h>

#include <gdiplus.h>

#include <memory>

namespace OwlTest
{

namespace
{

std::wstring ScreenshotFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/"));         // build/bin
    folder.resize(folder.find_last_of(L"\\/"));         // build
    folder += L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool PngEncoder(CLSID& encoder)
{
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0)
        return false;
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (std::wstring(encoders[i].MimeType) == L"image/png")
        {
            encoder = encoders[i].Clsid;
            return true;
        }
    return false;
}

} // namespace

std::wstring SaveBitmapPng(HBITMAP bitmap, const std::wstring& name)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return {};
    std::wstring path = ScreenshotFolder() + L"\\" + name + L".png";
    {
        CLSID encoder{};
        Gdiplus::Bitmap image(bitmap, nullptr);
        if (!PngEncoder(encoder) || image.Save(path.c_str(), &encoder, nullptr) != Gdiplus::Ok)
            path.clear();
    }
    Gdiplus::GdiplusShutdown(token);
    return path;
}

HBITMAP CopyScreenRect(const RECT& rect)
{
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

std::wstring SaveWindowPng(HWND window, const std::wstring& name)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT rect{};
    GetWindowRect(window, &rect);
    HBITMAP bitmap = CopyScreenRect(rect);
    std::wstring path = SaveBitmapPng(bitmap, name);
    DeleteObject(bitmap);
    return path;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace OwlTest
