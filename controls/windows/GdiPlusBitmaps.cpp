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

std::unique_ptr<Gdiplus::Bitmap> LoadPngAsPargbBitmap(UINT resourceId, HMODULE module)
{
    TGdiPlusBitmapResource loader;
    if (!loader.Load(MAKEINTRESOURCEW(resourceId), L"PNG", module ? module : Orv::ThisModule()))
        return nullptr;
    const UINT width = loader.Get()->GetWidth();
    const UINT height = loader.Get()->GetHeight();
    auto converted = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height),
                                                       PixelFormat32bppPARGB);
    Gdiplus::Graphics graphics(converted.get());
    graphics.DrawImage(loader.Get(), 0, 0, static_cast<INT>(width), static_cast<INT>(height));
    return converted;
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

void DrawDisabledBitmap(HDC dc, HBITMAP bitmap, POINT at)
{
    GdiplusStarter::Instance();
    Gdiplus::Bitmap image(bitmap, nullptr);
    const auto width = static_cast<INT>(image.GetWidth()), height = static_cast<INT>(image.GetHeight());
    Gdiplus::ImageAttributes attributes;
    Gdiplus::ColorMap remap;
    remap.oldColor = Gdiplus::Color(255, 192, 192, 192);
    remap.newColor = Gdiplus::Color(0, 0, 0, 0);
    attributes.SetRemapTable(1, &remap);
    const float a = 0.222883105f, c = 0.246264592f;
    Gdiplus::ColorMatrix matrix = {{{a, a, c, 0, 0},
                                    {a, a, c, 0, 0},
                                    {a, a, c, 0, 0},
                                    {0, 0, 0, 1, 0},
                                    {0.4f, 0.4f, 0.4f, 0, 1}}};
    attributes.SetColorMatrix(&matrix);
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(&image, Gdiplus::Rect(at.x, at.y, width, height), 0, 0, width, height, Gdiplus::UnitPixel,
                       &attributes);
}
