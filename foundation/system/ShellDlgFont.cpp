#include "foundation/system/ShellDlgFont.h"

#include "foundation/system/GdiObjects.h"

#include "foundation/text/StringResources.h"
#include "foundation/com/XOrv.h"

#include <cwchar>

namespace
{
constexpr int DefaultPointSize = 10;
constexpr int EastAsianDefaultPointSize = 12;
constexpr int PointsPerInch = 72;
constexpr LONG NormalWeight = 400;
constexpr wchar_t ShellDlgFace[] = L"MS Shell Dlg 2";

int DefaultPointSizeForLanguage()
{
    const LANGID language = Orv::ApplicationLanguage().value_or(GetUserDefaultUILanguage());
    const WORD primary = PRIMARYLANGID(language);
    return primary == LANG_CHINESE || primary == LANG_JAPANESE ? EastAsianDefaultPointSize : DefaultPointSize;
}

} // namespace

Orv::UniqueFont ConstructShellDlgFont(HDC dc, int pointSize, int escapement)
{
    if (pointSize == 0)
        pointSize = DefaultPointSizeForLanguage();
    LOGFONTW font{};
    font.lfHeight = -MulDiv(pointSize, Orv::DevicePixelsPerInch(dc, LOGPIXELSY), PointsPerInch);
    font.lfEscapement = escapement;
    font.lfOrientation = escapement;
    font.lfWeight = NormalWeight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(font.lfFaceName, ShellDlgFace, LF_FACESIZE - 1);
    HFONT handle = CreateFontIndirectW(&font);
    if (!handle)
        throw XOrv(Orv::String(L"The dialog font could not be made."), E_FAIL);
    return Orv::UniqueFont(handle);
}

Orv::FontCharSize GetFontCharSize(HFONT font)
{
    const Orv::ScreenDc screen;
    if (!screen.Get())
        return {0, 0};
    const Orv::SelectedObject selected(screen.Get(), font);
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(screen.Get(), &metrics))
        return {0, 0};
    return {metrics.tmAveCharWidth, metrics.tmHeight + metrics.tmExternalLeading};
}
