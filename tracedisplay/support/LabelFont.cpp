#include "tracedisplay/support/LabelFont.h"

#include "foundation/text/StringResources.h"

namespace StrixDraw
{

namespace
{
constexpr int LabelPoints = 10;
constexpr int EastAsianLabelPoints = 12;
constexpr int PointsPerInch = 72;
} // namespace

int DefaultLabelPoints()
{
    const WORD primary = PRIMARYLANGID(Orv::ApplicationLanguage().value_or(0));
    return primary == LANG_CHINESE || primary == LANG_JAPANESE ? EastAsianLabelPoints : LabelPoints;
}

std::unique_ptr<OWL::TFont> MakeLabelFont(HDC dc, int points)
{
    LOGFONTW face{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    HDC screen = dc ? nullptr : GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(dc ? dc : screen, LOGPIXELSY), PointsPerInch);
    if (screen)
        ReleaseDC(nullptr, screen);
    return std::make_unique<OWL::TFont>(face.lfFaceName, height, 0, 0, 0, FW_NORMAL);
}

} // namespace StrixDraw
