// The dialog font that comment popups and labels are drawn with, and its character cell.
#pragma once

#include <windows.h>

#include <utility>

namespace Orv
{

// Owns a GDI font handle.
class UniqueFont
{
public:
    UniqueFont() = default;
    explicit UniqueFont(HFONT font) : m_font(font) {}
    UniqueFont(UniqueFont&& other) noexcept : m_font(std::exchange(other.m_font, nullptr)) {}
    UniqueFont& operator=(UniqueFont&& other) noexcept
    {
        std::swap(m_font, other.m_font);
        return *this;
    }
    ~UniqueFont()
    {
        if (m_font)
            DeleteObject(m_font);
    }
    HFONT Get() const { return m_font; }

private:
    HFONT m_font = nullptr;
};

struct FontCharSize
{
    int averageWidth;
    int lineHeight; // tmHeight + tmExternalLeading
};

} // namespace Orv

// "MS Shell Dlg 2" at the point size for the device (the screen when dc is null), weight 400, the
// escapement and orientation in tenths of a degree. A point size of 0 means 10 points, or 12 when the
// application's language is Chinese or Japanese. Throws XOrv when no font can be made.
Orv::UniqueFont ConstructShellDlgFont(HDC dc, int pointSize, int escapement);

// The font's average character width and line height on the screen; (0, 0) without a screen DC.
Orv::FontCharSize GetFontCharSize(HFONT font);
