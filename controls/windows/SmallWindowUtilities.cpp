#include "controls/windows/SmallWindowUtilities.h"

#include "controls/theme/DpiAndFonts.h"
#include "foundation/com/XOrv.h"
#include "foundation/system/SharedColours.h"
#include "hostframework/services/HostServices.h"

#include <algorithm>
#include <cmath>

namespace OrvControls
{

namespace
{

SharedDefaultColours ReadSystemColours()
{
    return {GetSysColor(COLOR_BTNTEXT),      GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE),
            GetSysColor(COLOR_BTNHIGHLIGHT), RGB(255, 255, 255),           GetSysColor(COLOR_WINDOW)};
}

// The font static texts share when they have none of their own, made by the first that needs it.
const OWL::TFont& SharedStaticTextFont()
{
    static const OWL::TGadgetWindowFont font;
    return font;
}

double Clamped(double value)
{
    return std::clamp(value, 0.0, 1.0);
}

BYTE ChannelByte(double channel)
{
    return static_cast<BYTE>(std::trunc(channel * 255));
}

} // namespace

const SharedDefaultColours& DefaultColours(bool alternative)
{
    static const SharedDefaultColours normal = ReadSystemColours();
    static const SharedDefaultColours other = ReadSystemColours();
    return alternative ? other : normal;
}

DEFINE_RESPONSE_TABLE1(StaticText, OWL::TWindow)
    EV_WM_SIZE,
    EV_MESSAGE(WM_GETFONT, EvGetFont),
    EV_MESSAGE(WM_NCHITTEST, EvHitTest),
END_RESPONSE_TABLE;

StaticText::StaticText(OWL::TWindow* parent, const wchar_t* text, int verticalAlign, int horizontalAlign)
    : OWL::TWindow(parent), textColour_(DefaultColours().buttonText), backColour_(DefaultColours().buttonFace),
      verticalAlign_(verticalAlign), horizontalAlign_(horizontalAlign)
{
    Attr.Style = (WS_CHILD | WS_VISIBLE) & ~WS_GROUP;
    Attr.X = 0;
    Attr.Y = 0;
    Attr.W = 0;
    Attr.H = 20;
    text_ << (text ? text : L"");
    const SIZE charSize = GetFontCharSize(FontInUse());
    charWidth_ = charSize.cx;
    charHeight_ = charSize.cy;
    ComputeAlignment();
}

StaticText::~StaticText() = default;

const OWL::TFont& StaticText::FontInUse() const
{
    return font_ ? *font_ : SharedStaticTextFont();
}

void StaticText::SetColours(COLORREF text, COLORREF back)
{
    textColour_ = text;
    backColour_ = back;
}

void StaticText::SetInverted(bool inverted)
{
    inverted_ = inverted;
}

void StaticText::SetOrigin(int x, int y)
{
    originX_ = x;
    originY_ = y;
}

void StaticText::SetFont(std::unique_ptr<OWL::TFont> font)
{
    font_ = std::move(font);
    ComputeAlignment();
}

// Vertical centring must not centre horizontally too: the shared value 6 is taken back out of the text
// alignment unless both directions are centred.
void StaticText::ComputeAlignment()
{
    textAlign_ = static_cast<UINT>(verticalAlign_ | horizontalAlign_);
    textOffsetX_ = horizontalAlign_ == Centre ? Attr.W / 2 : 0;
    textOffsetY_ = 0;
    if (verticalAlign_ == Centre)
    {
        textOffsetY_ = (Attr.H - FontInUse().GetTextMetrics().tmHeight) / 2;
        if (horizontalAlign_ != Centre)
            textAlign_ &= ~static_cast<UINT>(Centre);
    }
}

void StaticText::EvSize(UINT sizeType, const OWL::TSize& size)
{
    OWL::TWindow::EvSize(sizeType, size);
    Attr.W = size.cx;
    Attr.H = size.cy;
    ComputeAlignment();
    Invalidate(true);
}

void StaticText::SetText(const std::wstring& text)
{
    text_.Clear();
    text_ << text;
    if (GetHandle())
    {
        ::SetWindowTextW(GetHandle(), text.c_str());
        Invalidate(true);
    }
}

SIZE StaticText::LineExtent(const std::wstring& line) const
{
    const OWL::TScreenDC screen;
    const OWL::SelectedObject font(screen, FontInUse());
    SIZE extent{};
    ::GetTextExtentPoint32W(screen.GetHDC(), line.c_str(), static_cast<int>(line.size()), &extent);
    return extent;
}

LRESULT StaticText::EvGetFont(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(FontInUse().GetHandle());
}

int StaticText::LineHeight() const
{
    return FontInUse().GetTextMetrics().tmHeight;
}

void StaticText::Paint(OWL::TDC& dc, bool, OWL::TRect&)
{
    const std::wstring text = text_.Str().c_str();
    const OWL::SelectedObject font(dc, FontInUse());
    SetBkColor(dc, inverted_ ? RGB(0, 0, 0) : backColour_);
    SetTextColor(dc, inverted_ ? RGB(255, 255, 255) : textColour_);
    SetTextAlign(dc, textAlign_);
    const OWL::TRect client = GetClientRect();
    // The first line fills the whole window with the background; the lines below it lie on that.
    size_t start = 0;
    for (int line = 0;; ++line)
    {
        const size_t end = std::min(text.find(L'\n', start), text.size());
        ExtTextOutW(dc, originX_ + textOffsetX_, originY_ + textOffsetY_ + line * LineHeight(),
                    line == 0 ? ETO_OPAQUE : 0, &client, text.c_str() + start, static_cast<UINT>(end - start), nullptr);
        if (end == text.size())
            break;
        start = end + 1;
    }
}

TopmostWindow::TopmostWindow()
{
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
                reinterpret_cast<TopmostWindow*>(list)->windows.emplace_back(IsWindowEnabled(window) != FALSE, window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
}

HWND GetMessageBoxOwner()
{
    HWND owner = nullptr;
    if (IHostApplication* host = HostAppAccessor::Get())
        host->GetMainWindow(&owner);
    if (owner)
        return owner;
    const TopmostWindow snapshot;
    return snapshot.windows.empty() ? nullptr : snapshot.windows.front().second;
}

ScreenBitMapDC::ScreenBitMapDC(int width, int height) : width_(width), height_(height)
{
    if (width < 1 || height < 1)
        return;
    HDC screen = GetDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    if (!bitmap_)
    {
        const DWORD error = GetLastError();
        throw XOrv(Orv::String(L"ScreenBitMapDC:: ctor fail"),
                   static_cast<HRESULT>(0x80070000u | (error & 0xFFFF)));
    }
    previous_ = ::SelectObject(*this, bitmap_);
}

ScreenBitMapDC::~ScreenBitMapDC()
{
    SetViewportOrgEx(*this, 0, 0, nullptr);
    SetWindowOrgEx(*this, 0, 0, nullptr);
    if (bitmap_)
    {
        ::SelectObject(*this, previous_);
        DeleteObject(bitmap_);
    }
}

HsvColor::HsvColor(COLORREF colour)
    : red((colour & 0xFF) / 256.0), green(((colour >> 8) & 0xFF) / 256.0), blue(((colour >> 16) & 0xFF) / 256.0),
      alpha(static_cast<BYTE>(colour >> 24))
{
    SetFromRgb();
}

void HsvColor::SetFromRgb()
{
    const double max = std::max({red, green, blue});
    const double min = std::min({red, green, blue});
    value = max;
    if (max == 0)
    {
        saturation = 0;
        hue = -1;
        return;
    }
    saturation = (max - min) / max;
    if (max == min)
    {
        hue = 0;
        return;
    }
    const double delta = max - min;
    if (red == max)
        hue = (green - blue) / delta;
    else if (green == max)
        hue = (blue - red) / delta + 2;
    else
        hue = (red - green) / delta + 4;
    hue *= 60;
    if (hue < 0)
        hue += 360;
}

void HsvColor::ToRgb()
{
    if (saturation == 0)
    {
        red = green = blue = value;
        return;
    }
    const double h = hue / 60;
    const int i = static_cast<int>(std::floor(h));
    const double f = h - i;
    const double v = value;
    const double p = v * (1 - saturation);
    const double q = v * (1 - saturation * f);
    const double t = v * (1 - saturation * (1 - f));
    switch (i)
    {
    case 0: red = v, green = t, blue = p; break;
    case 1: red = q, green = v, blue = p; break;
    case 2: red = p, green = v, blue = t; break;
    case 3: red = p, green = q, blue = v; break;
    case 4: red = t, green = p, blue = v; break;
    default: red = v, green = p, blue = q; break;
    }
}

OWL::TColor AdjustColourSaturation(COLORREF colour, double amount)
{
    if (amount < -1 || amount > 1)
        amount = 1;
    HsvColor hsv(colour);
    const double saturation = hsv.saturation;
    hsv.saturation = Clamped(saturation - amount);
    const double rest = saturation - hsv.saturation + amount;
    if (std::fabs(rest) > 0.01)
        hsv.value = Clamped(rest > 0 ? hsv.value + (1 - hsv.value) * rest : hsv.value + hsv.value * rest);
    hsv.ToRgb();
    return OWL::TColor(ChannelByte(hsv.red), ChannelByte(hsv.green), ChannelByte(hsv.blue));
}

COLORREF TintColour(COLORREF colour, double factor, double level)
{
    const int red = GetRValue(colour);
    const int green = GetGValue(colour);
    const int blue = GetBValue(colour);
    const int shift = static_cast<int>(std::trunc((3 * level - red - green - blue) * factor / 3));
    const int top = static_cast<int>(std::trunc(level));
    const auto moved = [&](int channel) { return static_cast<BYTE>(std::clamp(channel + shift, 0, top)); };
    return RGB(moved(red), moved(green), moved(blue));
}

void FrameRectOpaque(OWL::TDC& dc, const RECT& rect)
{
    const COLORREF previous = SetBkColor(dc, SharedFrameColour);
    const RECT edges[] = {
        {rect.left, rect.top, rect.right, rect.top + 1},
        {rect.left, rect.top, rect.left + 1, rect.bottom},
        {rect.right - 1, rect.top, rect.right, rect.bottom},
        {rect.left, rect.bottom - 1, rect.right, rect.bottom},
    };
    for (const RECT& edge : edges)
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &edge, L"", 0, nullptr);
    SetBkColor(dc, previous);
}

namespace
{

OWL::TFont MetricsFont(OWL::TDC& dc, int points, bool bold)
{
    LOGFONTW guiFont{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof guiFont, &guiFont);
    const bool rasterDisplay = dc.GetDeviceCaps(TECHNOLOGY) == DT_RASDISPLAY;
    return OWL::TFont(guiFont.lfFaceName, PointsToLogical(dc, points), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL,
                      VARIABLE_PITCH | FF_ROMAN, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      rasterDisplay ? OUT_DEFAULT_PRECIS : OUT_TT_ONLY_PRECIS);
}

} // namespace

FontWithMetrics::FontWithMetrics(OWL::TDC& dc, int points, int, bool bold, int) : font(MetricsFont(dc, points, bold))
{
    GetTextMetricsW(dc, &metrics);
}

DialogItemPlacement::DialogItemPlacement(HWND dialog, int itemId) : dialog(dialog), itemId(itemId)
{
    GetWindowRect(GetDlgItem(dialog, itemId), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
}

void BlitWithKeyColour(HDC dc, const RECT& destination, const OWL::TBitmap& bitmap, POINT source)
{
    OWL::TMemoryDC memory(dc);
    const OWL::SelectedObject selected(memory, bitmap);
    const int width = destination.right - destination.left;
    const int height = destination.bottom - destination.top;
    const COLORREF transparent = GetPixel(memory, 0, 0);
    if (!TransparentBlt(dc, destination.left, destination.top, width, height, memory, source.x, source.y, width,
                        height, transparent))
        BitBlt(dc, destination.left, destination.top, width, height, memory, source.x, source.y, SRCCOPY);
}

} // namespace OrvControls
