#include "controls/windows/GdiPlusBitmaps.h"

#include "foundation/text/StringResources.h"

#include <objbase.h>

#include <gdiplus.h>

#include <cstring>

TGdiPlusBitmap::TGdiPlusBitmap() = default;
TGdiPlusBitmap::~TGdiPlusBitmap() = default;

TGdiPlusBitmapResource::~TGdiPlusBitmapResource()
{
    Free();
}

void TGdiPlusBitmapResource::Free()
{
    bitmap_.reset();
    if (block_)
    {
        GlobalUnlock(block_);
        GlobalFree(block_);
        block_ = nullptr;
    }
}

bool TGdiPlusBitmapResource::Load(const wchar_t* name, const wchar_t* type, HMODULE module)
{
    Free();
    GdiplusStarter::Instance();
    HRSRC resource = FindResourceW(module, name, type);
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    HGLOBAL loaded = size ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return false;
    block_ = GlobalAlloc(GMEM_MOVEABLE, size);
    void* copy = block_ ? GlobalLock(block_) : nullptr;
    if (!copy)
    {
        Free();
        return false;
    }
    std::memcpy(copy, bytes, size);
    IStream* stream = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(block_, FALSE, &stream)))
    {
        bitmap_.reset(Gdiplus::Bitmap::FromStream(stream));
        stream->Release();
        if (bitmap_ && bitmap_->GetLastStatus() == Gdiplus::Ok)
            return true;
    }
    Free();
    return false;
}

std::unique_ptr<Gdiplus::Bitmap> LoadPngAsPargbBitmap(const wchar_t* resource, HMODULE module)
{
    TGdiPlusBitmapResource loader;
    if (!loader.Load(resource, L"PNG", module ? module : Orv::ThisModule()))
        return nullptr;
    const UINT width = loader.Get()->GetWidth();
    const UINT height = loader.Get()->GetHeight();
    auto converted = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height),
                                                       PixelFormat32bppPARGB);
    Gdiplus::Graphics graphics(converted.get());
    graphics.DrawImage(loader.Get(), 0, 0, static_cast<INT>(width), static_cast<INT>(height));
    return converted;
}

std::unique_ptr<Gdiplus::Bitmap> LoadPngAsPargbBitmap(UINT resourceId, HMODULE module)
{
    return LoadPngAsPargbBitmap(MAKEINTRESOURCEW(resourceId), module);
}

GdiplusStarter& GdiplusStarter::Instance()
{
    static GdiplusStarter starter;
    return starter;
}

GdiplusStarter::GdiplusStarter()
{
    const Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusStarter::~GdiplusStarter()
{
    Gdiplus::GdiplusShutdown(token_);
}

std::unique_ptr<Gdiplus::Bitmap> PargbBitmapFromDib(HBITMAP dib)
{
    DIBSECTION section{};
    if (!dib || GetObjectW(dib, sizeof section, &section) != sizeof section || section.dsBm.bmBitsPixel != 32 ||
        !section.dsBm.bmBits)
        return nullptr;
    GdiplusStarter::Instance();
    const INT width = section.dsBm.bmWidth, height = section.dsBm.bmHeight;
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &data) != Gdiplus::Ok)
        return nullptr;
    const bool bottomUp = section.dsBmih.biHeight > 0;
    const auto* source = static_cast<const BYTE*>(section.dsBm.bmBits);
    for (INT row = 0; row < height; ++row)
        std::memcpy(static_cast<BYTE*>(data.Scan0) + row * data.Stride,
                    source + (bottomUp ? height - 1 - row : row) * section.dsBm.bmWidthBytes, width * 4u);
    bitmap->UnlockBits(&data);
    return bitmap;
}

void DrawImageFace(HDC dc, Gdiplus::Bitmap& image, const RECT& destination, bool disabled)
{
    GdiplusStarter::Instance();
    Gdiplus::ImageAttributes attributes;
    if (image.GetPixelFormat() != PixelFormat32bppPARGB)
    {
        Gdiplus::ColorMap remap;
        remap.oldColor = Gdiplus::Color(255, 192, 192, 192);
        remap.newColor = Gdiplus::Color(0, 0, 0, 0);
        attributes.SetRemapTable(1, &remap);
    }
    if (disabled)
    {
        const float a = 0.222883105f, c = 0.246264592f;
        Gdiplus::ColorMatrix matrix = {{{a, a, c, 0, 0},
                                        {a, a, c, 0, 0},
                                        {a, a, c, 0, 0},
                                        {0, 0, 0, 1, 0},
                                        {0.4f, 0.4f, 0.4f, 0, 1}}};
        attributes.SetColorMatrix(&matrix);
    }
    const INT width = destination.right - destination.left, height = destination.bottom - destination.top;
    if (width <= 0 || height <= 0)
        return;
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(&image, Gdiplus::Rect(destination.left, destination.top, width, height), 0, 0, width, height,
                       Gdiplus::UnitPixel, &attributes);
}

void DrawDisabledBitmap(HDC dc, HBITMAP bitmap, POINT at)
{
    GdiplusStarter::Instance();
    Gdiplus::Bitmap image(bitmap, nullptr);
    const auto width = static_cast<LONG>(image.GetWidth()), height = static_cast<LONG>(image.GetHeight());
    DrawImageFace(dc, image, RECT{at.x, at.y, at.x + width, at.y + height}, true);
}
