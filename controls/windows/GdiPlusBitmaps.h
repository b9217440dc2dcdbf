// GDI+ bitmaps of the module's PNG resources: a holder, its loader through an in-memory stream, the
// premultiplied-ARGB form the workflow view draws, and the process's GDI+ start-up.
#pragma once

#include <windows.h>

#include <memory>

namespace Gdiplus
{
class Bitmap;
}

class TGdiPlusBitmap
{
public:
    TGdiPlusBitmap();
    virtual ~TGdiPlusBitmap();
    TGdiPlusBitmap(const TGdiPlusBitmap&) = delete;
    TGdiPlusBitmap& operator=(const TGdiPlusBitmap&) = delete;

    Gdiplus::Bitmap* Get() const { return bitmap_.get(); }

protected:
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};

// The bytes of the resource stay in a global block for as long as the bitmap reads from them.
class TGdiPlusBitmapResource : public TGdiPlusBitmap
{
public:
    TGdiPlusBitmapResource() = default;
    ~TGdiPlusBitmapResource() override;

    // False, and nothing held, when the resource is missing or no bitmap can be made of it.
    bool Load(const wchar_t* name, const wchar_t* type, HMODULE module);

private:
    void Free();

    HGLOBAL block_ = nullptr;
};

// The "PNG" resource of this module (by name or number) as a 32-bit premultiplied-ARGB bitmap; null when
// there is none.
std::unique_ptr<Gdiplus::Bitmap> LoadPngAsPargbBitmap(const wchar_t* resource, HMODULE module = nullptr);
std::unique_ptr<Gdiplus::Bitmap> LoadPngAsPargbBitmap(UINT resourceId, HMODULE module = nullptr);

// A 32-bit DIB section with premultiplied alpha (top-down or bottom-up) as a premultiplied-ARGB bitmap;
// null for anything else.
std::unique_ptr<Gdiplus::Bitmap> PargbBitmapFromDib(HBITMAP dib);

// Draws the top-left part of image 1:1 into destination (left, top, right, bottom). Opaque light grey
// (192, 192, 192) is left out of images that are not premultiplied ARGB; disabled draws the light
// blue-grey silhouette of the image's brightness.
void DrawImageFace(HDC dc, Gdiplus::Bitmap& image, const RECT& destination, bool disabled);

// Draws the bitmap 1:1 with its top-left at at, as a light blue-grey silhouette of its brightness,
// opaque light grey (192, 192, 192) left out: the look of a disabled image.
void DrawDisabledBitmap(HDC dc, HBITMAP bitmap, POINT at);

// GDI+ for the process, started on first use and shut down with the object.
class GdiplusStarter
{
public:
    static GdiplusStarter& Instance();
    ~GdiplusStarter();
    GdiplusStarter(const GdiplusStarter&) = delete;
    GdiplusStarter& operator=(const GdiplusStarter&) = delete;

private:
    GdiplusStarter();
    ULONG_PTR token_ = 0;
};
