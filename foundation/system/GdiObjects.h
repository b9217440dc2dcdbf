// Owners of GDI objects and guards that put a device context's settings back.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <utility>

namespace Orv
{

// Owns one GDI object (pen, brush, bitmap, region) and deletes it.
template <class Handle>
class UniqueGdiObject
{
public:
    UniqueGdiObject() = default;
    explicit UniqueGdiObject(Handle handle) : m_handle(handle) {}
    UniqueGdiObject(UniqueGdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept
    {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    ~UniqueGdiObject() { Reset(); }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(Handle handle = nullptr)
    {
        if (m_handle)
            DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

using UniquePen = UniqueGdiObject<HPEN>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueRegion = UniqueGdiObject<HRGN>;

// Selects one object (pen, brush, font, bitmap) into a device context and puts back the one it replaced
// when it ends.
class SelectedObject
{
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (m_previous && m_previous != HGDI_ERROR)
            SelectObject(m_dc, m_previous);
    }
    HGDIOBJ Previous() const { return m_previous; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// Sets one state of a device context (mix mode, fill mode, text alignment, background mode, text colour)
// and puts the previous value back when it ends.
template <class Value, Value(WINAPI* Set)(HDC, Value)>
class DcSetting
{
public:
    DcSetting(HDC dc, Value value) : m_dc(dc), m_previous(Set(dc, value)) {}
    DcSetting(const DcSetting&) = delete;
    DcSetting& operator=(const DcSetting&) = delete;
    ~DcSetting() { Set(m_dc, m_previous); }

private:
    HDC m_dc;
    Value m_previous;
};

inline int WINAPI SetTextAlignInt(HDC dc, int align) { return static_cast<int>(SetTextAlign(dc, static_cast<UINT>(align))); }

using MixMode = DcSetting<int, SetROP2>;
using PolyFillMode = DcSetting<int, SetPolyFillMode>;
using TextAlignment = DcSetting<int, SetTextAlignInt>;
using BackgroundMode = DcSetting<int, SetBkMode>;
using TextColour = DcSetting<COLORREF, SetTextColor>;

// A memory device context compatible with another, deleted when it ends.
class MemoryDc
{
public:
    explicit MemoryDc(HDC compatibleWith) : m_dc(CreateCompatibleDC(compatibleWith)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc()
    {
        if (m_dc)
            DeleteDC(m_dc);
    }
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// The whole screen's device context, released when it ends. Get() is null, and nothing throws, when
// the system gives none: callers fall back to their defaults.
class ScreenDc
{
public:
    ScreenDc() : m_dc(GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc()
    {
        if (m_dc)
            ReleaseDC(nullptr, m_dc);
    }
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// MoveTo the first point, LineTo each further one, with the current pen.
inline void StrokeLines(HDC dc, std::initializer_list<POINT> points)
{
    auto p = points.begin();
    if (p == points.end())
        return;
    MoveToEx(dc, p->x, p->y, nullptr);
    for (++p; p != points.end(); ++p)
        LineTo(dc, p->x, p->y);
}

// Pixels per logical inch of a device context (the screen's when dc is null).
int DevicePixelsPerInch(HDC dc, int index);

} // namespace Orv
