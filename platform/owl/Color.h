// OWL::TColor: an RGB colour, or one of the system colours, which is looked up whenever its value is
// asked for so that it follows the user's colour scheme.
#pragma once

#include <windows.h>

#include <cstdint>

namespace OWL
{

class TColor
{
public:
    constexpr TColor() : value_(0) {}
    constexpr TColor(COLORREF value) : value_(value) {}
    constexpr TColor(int red, int green, int blue) : value_(RGB(red, green, blue)) {}

    // A system colour (COLOR_BTNFACE, ...), looked up on use.
    static constexpr TColor System(int index) { return TColor(SystemFlag | static_cast<COLORREF>(index)); }

    constexpr bool IsSysColor() const { return (value_ & SystemFlag) != 0 && value_ != NoneValue; }
    constexpr int Index() const { return static_cast<int>(value_ & ~SystemFlag); }

    // The RGB value, a system colour resolved.
    COLORREF GetValue() const { return IsSysColor() ? GetSysColor(Index()) : value_; }
    operator COLORREF() const { return GetValue(); }

    BYTE Red() const { return GetRValue(GetValue()); }
    BYTE Green() const { return GetGValue(GetValue()); }
    BYTE Blue() const { return GetBValue(GetValue()); }

    // Same colour as stored: a system colour equals only the same system colour.
    friend constexpr bool operator==(const TColor& a, const TColor& b) { return a.value_ == b.value_; }

    static const TColor Black, White, LtGray, Gray, LtRed, LtGreen, LtBlue, LtYellow, None;
    static const TColor Sys3dFace, Sys3dShadow, Sys3dHilight, Sys3dDkShadow, SysWindow, SysWindowText,
        SysBtnText, SysGrayText, SysHighlight, SysHighlightText, SysInfoBk, SysInfoText;

private:
    static constexpr COLORREF SystemFlag = 0x80000000u;
    static constexpr COLORREF NoneValue = 0xFFFFFFFFu;
    COLORREF value_;
};

inline const TColor TColor::Black{0, 0, 0};
inline const TColor TColor::White{255, 255, 255};
inline const TColor TColor::LtGray{192, 192, 192};
inline const TColor TColor::Gray{128, 128, 128};
inline const TColor TColor::LtRed{255, 0, 0};
inline const TColor TColor::LtGreen{0, 255, 0};
inline const TColor TColor::LtBlue{0, 0, 255};
inline const TColor TColor::LtYellow{255, 255, 0};
// CLR_NONE: no colour (a transparent choice).
inline const TColor TColor::None{static_cast<COLORREF>(0xFFFFFFFFu)};
inline const TColor TColor::Sys3dFace = TColor::System(COLOR_BTNFACE);
inline const TColor TColor::Sys3dShadow = TColor::System(COLOR_BTNSHADOW);
inline const TColor TColor::Sys3dHilight = TColor::System(COLOR_BTNHIGHLIGHT);
inline const TColor TColor::Sys3dDkShadow = TColor::System(COLOR_3DDKSHADOW);
inline const TColor TColor::SysWindow = TColor::System(COLOR_WINDOW);
inline const TColor TColor::SysWindowText = TColor::System(COLOR_WINDOWTEXT);
inline const TColor TColor::SysBtnText = TColor::System(COLOR_BTNTEXT);
inline const TColor TColor::SysGrayText = TColor::System(COLOR_GRAYTEXT);
inline const TColor TColor::SysHighlight = TColor::System(COLOR_HIGHLIGHT);
inline const TColor TColor::SysHighlightText = TColor::System(COLOR_HIGHLIGHTTEXT);
inline const TColor TColor::SysInfoBk = TColor::System(COLOR_INFOBK);
inline const TColor TColor::SysInfoText = TColor::System(COLOR_INFOTEXT);

} // namespace OWL
