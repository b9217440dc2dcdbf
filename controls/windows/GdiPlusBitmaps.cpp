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
