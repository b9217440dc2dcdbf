// What the drawing tests share: a 32-bit DIB to draw into and read back, saved as a PNG under
// build/screenshots/, and an enhanced metafile whose records can be counted.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace GraphTest
{

class DibCanvas
{
public:
    DibCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;
    ~DibCanvas();

    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF Pixel(int x, int y) const;
    int CountPixels(COLORREF colour) const;
    // True when a pixel of colour lies within radius of (x, y).
    bool HasPixelNear(int x, int y, COLORREF colour, int radius) const;
    // Writes build/screenshots/<name>.png (relative to the test program's folder, build/bin).
    void SavePng(const std::string& name) const;

private:
    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
    const DWORD* m_bits = nullptr;
};

class Metafile
{
public:
    Metafile();
    Metafile(const Metafile&) = delete;
    Metafile& operator=(const Metafile&) = delete;
    ~Metafile();

    HDC Dc() const { return m_dc; }
    // Closes the recording; the records of the picture in order.
    const std::vector<const ENHMETARECORD*>& Close();
    int Count(DWORD type);

private:
    HDC m_dc;
    HENHMETAFILE m_file = nullptr;
    std::vector<BYTE> m_bytes;
    std::vector<const ENHMETARECORD*> m_records;
};

} // namespace GraphTest
