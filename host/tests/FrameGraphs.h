// The module's graph views in the frame, and the graph window of each: the window that holds the strips
// along its horizontal (domain) and vertical (range) axes.
#pragma once

#include "host/app/files/TextConversion.h"
#include "host/app/gui/WindowPicture.h"
#include "host/tests/FrameInput.h"
#include "host/tests/TestCanvas.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace HostTests
{

inline constexpr int DomainStrip = 100, RangeStrip = 101;

inline constexpr const wchar_t* GraphViews[] = {
    L"Loop View", L"Sistra PRSW GraphView", L"Sistra dP/dt Max versus EDV GraphView", L"Sistra PVA EDV View",
    L"Sistra PVA ESP View", L"Sistra Saline Calibration GraphView", L"Sistra Cuvette Calibration View",
};

// The graph window shown in a view's window; null when there is none.
inline HWND GraphOfView(HWND viewWindow)
{
    const HWND domain = FindVisibleChild(viewWindow, [](HWND child) {
        return GetDlgCtrlID(child) == DomainStrip && GetDlgItem(GetParent(child), RangeStrip);
    });
    return domain ? GetParent(domain) : nullptr;
}

// The white an equation keeps on either side of it inside the plot.
inline constexpr LONG EquationInset = 4;

// The equations written in the plot's top-left corner (black text on the plot's white, where the points are
// red and the fitted lines coloured) end short of its last columns, as far from its right edge as from its
// left: the plot lies right of the vertical axis's strip and above the horizontal one's, as far as its tile
// shows it.
inline void ExpectEquationsWhole(HWND graph, HWND tile)
{
    constexpr LONG EquationLineHeight = 16;
    RECT place{}, across{}, up{}, shown{};
    GetWindowRect(graph, &place);
    GetWindowRect(GetDlgItem(graph, DomainStrip), &across);
    GetWindowRect(GetDlgItem(graph, RangeStrip), &up);
    GetClientRect(tile, &shown);
    MapWindowPoints(tile, nullptr, reinterpret_cast<POINT*>(&shown), 2);
    const Host::WindowImage image = Host::ReadWindowImage(graph);
    const LONG left = up.right - place.left, right = std::min(across.right, shown.right) - place.left;
    const LONG top = up.top - place.top;
    LONG inkRight = -1;
    // The points, a selected one's black mark among them, lie in the plot's middle half.
    const LONG band = std::min<LONG>(2 * EquationLineHeight, (across.top - up.top) / 4);
    for (LONG y = top; y < std::min<LONG>(top + band, image.height); ++y)
        for (LONG x = left + 2; x < std::min<LONG>(right, image.width); ++x)
            if ((image.pixels[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF) == 0)
                inkRight = std::max(inkRight, x);
    EXPECT_GT(inkRight, left) << "no equation";
    EXPECT_LT(inkRight, right - EquationInset) << "the equation runs to the plot's edge";
}

// Where a caption's ink lies along its strip, and how many runs of ink lie across it (ticks, labels, the
// caption) one beside the other.
struct CaptionInk
{
    LONG first = -1, last = -1;
    int runs = 0;
    LONG Length() const { return first < 0 ? 0 : last - first + 1; }
};

inline bool IsInk(DWORD pixel)
{
    return (pixel & 0xFF) + (pixel >> 8 & 0xFF) + (pixel >> 16 & 0xFF) < 3 * 128;
}

// The caption of an axis strip: the run of ink farthest from the plot (below the labels of the horizontal
// strip, at the left edge of the vertical one, whose labels stand beside the plot).
inline CaptionInk CaptionInkOf(HWND strip, bool horizontal)
{
    const Host::WindowImage image = Host::ReadWindowImage(strip);
    const int across = horizontal ? image.height : image.width, along = horizontal ? image.width : image.height;
    const auto at = [&](int line, int position) {
        return image.pixels[horizontal ? static_cast<size_t>(line) * image.width + position
                                       : static_cast<size_t>(position) * image.width + line];
    };
    // The lines across the strip, from the far edge inwards, each with its ink's first and last position.
    std::vector<std::pair<int, int>> inked(static_cast<size_t>(across), {-1, -1});
    for (int line = 0; line < across; ++line)
        for (int position = 0; position < along; ++position)
            if (IsInk(at(horizontal ? across - 1 - line : line, position)))
                inked[line] = {inked[line].first < 0 ? position : inked[line].first, position};
    CaptionInk caption;
    bool inRun = false;
    for (const auto& [first, last] : inked)
    {
        const bool ink = first >= 0;
        caption.runs += ink && !inRun;
        inRun = ink;
        if (ink && caption.runs == 1)
            caption = {caption.first < 0 ? first : std::min<LONG>(caption.first, first),
                       std::max<LONG>(caption.last, last), 1};
    }
    return caption;
}

// How long the ink of the text is in the shell's dialog font at the points given.
inline LONG InkLength(const std::wstring& text, int points)
{
    const Canvas canvas(1000, 60);
    LOGFONTW face{};
    face.lfHeight = -MulDiv(points, GetDeviceCaps(canvas.Dc(), LOGPIXELSY), 72);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(face.lfFaceName, L"MS Shell Dlg 2");
    const HFONT font = CreateFontIndirectW(&face);
    const HGDIOBJ previous = SelectObject(canvas.Dc(), font);
    TextOutW(canvas.Dc(), 10, 10, text.c_str(), static_cast<int>(text.size()));
    SelectObject(canvas.Dc(), previous);
    DeleteObject(font);
    LONG first = -1, last = -1;
    for (int x = 0; x < canvas.Width(); ++x)
        for (int y = 0; y < canvas.Height(); ++y)
            if (IsInk(canvas.At(x, y)))
            {
                first = first < 0 ? x : first;
                last = x;
            }
    return first < 0 ? 0 : last - first + 1;
}

// Each axis's caption is drawn whole, as long as its text at least at dialog size, and inside its strip.
inline void ExpectCaptionsWhole(HWND graph, const std::wstring& domain, const std::wstring& range)
{
    constexpr int LeastCaptionPoints = 8;
    for (const auto& [id, caption] : {std::pair{DomainStrip, domain}, std::pair{RangeStrip, range}})
    {
        const HWND strip = GetDlgItem(graph, id);
        RECT place{};
        GetClientRect(strip, &place);
        const CaptionInk ink = CaptionInkOf(strip, id == DomainStrip);
        const std::string name = Host::ToUtf8(caption);
        EXPECT_GE(ink.runs, 2) << name << ": no caption beside the labels";
        EXPECT_GE(ink.Length(), InkLength(caption, LeastCaptionPoints) - 1) << name << " is cut";
        EXPECT_GT(ink.first, 0) << name << " runs into the strip's end";
        EXPECT_LT(ink.last, (id == DomainStrip ? place.right : place.bottom) - 1)
            << name << " runs into the strip's end";
    }
}

} // namespace HostTests
