#include "Canvas.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdint>

namespace GraphTest
{

namespace
{
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

// zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8_t> Stored(const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> out{0x78, 0x01};
    constexpr size_t BlockSize = 65535;
    size_t at = 0;
    do
    {
        const size_t n = std::min(BlockSize, raw.size() - at);
        out.push_back(at + n == raw.size() ? 1 : 0);
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(static_cast<uint8_t>(n >> 8));
        out.push_back(static_cast<uint8_t>(~n));
        out.push_back(static_cast<uint8_t>(~n >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, b << 16 | a);
    return out;
}
} // namespace

DibCanvas::DibCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<const DWORD*>(bits);
    m_previous = SelectObject(m_dc, m_bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    const RECT all{0, 0, width, height};
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
}

DibCanvas::~DibCanvas()
{
    SelectObject(m_dc, m_previous);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

COLORREF DibCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    GdiFlush();
    const DWORD bgrx = m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
    return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
}

int DibCanvas::CountPixels(COLORREF colour) const
{
    int count = 0;
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            count += Pixel(x, y) == colour;
    return count;
}

bool DibCanvas::HasPixelNear(int x, int y, COLORREF colour, int radius) const
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (Pixel(x + dx, y + dy) == colour)
                return true;
    return false;
}

void DibCanvas::SavePng(const std::string& name) const
{
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(m_height) * (1 + 3 * static_cast<size_t>(m_width)));
    for (int y = 0; y < m_height; ++y)
    {
        raw.push_back(0);
        for (int x = 0; x < m_width; ++x)
        {
            const COLORREF c = Pixel(x, y);
            raw.push_back(GetRValue(c));
            raw.push_back(GetGValue(c));
            raw.push_back(GetBValue(c));
        }
    }
    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(m_width));
    PutBigEndian(header, static_cast<uint32_t>(m_height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", Stored(raw));
    PutChunk(png, "IEND", {});
    CreateDirectoryW(L"..\\screenshots", nullptr);
    const std::string path = "..\\screenshots\\" + name + ".png";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file) << path;
    const size_t written = std::fwrite(png.data(), 1, png.size(), file);
    std::fclose(file);
    EXPECT_EQ(png.size(), written) << path;
}

Metafile::Metafile() : m_dc(CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr))
{
}

Metafile::~Metafile()
{
    if (!m_file && m_dc)
        m_file = CloseEnhMetaFile(m_dc);
    if (m_file)
        DeleteEnhMetaFile(m_file);
}

const std::vector<const ENHMETARECORD*>& Metafile::Close()
{
    if (!m_file)
    {
        m_file = CloseEnhMetaFile(m_dc);
        m_dc = nullptr;
        m_bytes.resize(GetEnhMetaFileBits(m_file, 0, nullptr));
        GetEnhMetaFileBits(m_file, static_cast<UINT>(m_bytes.size()), m_bytes.data());
        for (size_t at = 0; at + sizeof(EMR) <= m_bytes.size();)
        {
            const auto* record = reinterpret_cast<const ENHMETARECORD*>(m_bytes.data() + at);
            m_records.push_back(record);
            if (record->nSize == 0)
                break;
            at += record->nSize;
        }
    }
    return m_records;
}

int Metafile::Count(DWORD type)
{
    int count = 0;
    for (const ENHMETARECORD* record : Close())
        count += record->iType == type;
    return count;
}

} // namespace GraphTest
