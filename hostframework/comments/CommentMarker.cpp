#include "hostframework/comments/CommentMarker.h"

#include "foundation/system/GdiObjects.h"
#include "foundation/text/StringResources.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/GdiObjects.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr double BaseDpi = 96.0;
constexpr int MarkerRadiusAtBase = 3;
constexpr COLORREF LineColour = 0xC0C0C0;
constexpr int RotatedEscapement = 900;

int TextHeight(HDC dc, HFONT font)
{
    const OWL::SelectedObject selected(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

void DrawText(HDC dc, HDC reference, const CommentDrawRecord& record, const std::wstring& text)
{
    const DPIFontMap::Fonts& fonts = DPIFontMap::Process().Lookup(reference);
    const OWL::SelectedObject font(dc, fonts.rotated.Get());
    const Orv::TextColour colour(dc, RGB(0, 0, 0));
    const Orv::TextAlignment alignment(dc, TA_LEFT | TA_TOP);
    TextOutW(dc, record.x - fonts.rotatedHeight - 2, record.bottom - 1, text.c_str(), static_cast<int>(text.size()));
}

OWL::TPen MakeLinePen(HDC dc, HDC reference)
{
    const int width = static_cast<int>(CommentScale(reference));
    const bool screen = dc == reference && GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY;
    LOGBRUSH brush{BS_SOLID, LineColour, 0};
    if (screen)
        return OWL::TPen(ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr), OWL::AutoDelete);
    return OWL::TPen(ExtCreatePen(PS_GEOMETRIC | PS_DOT, width, &brush, 0, nullptr), OWL::AutoDelete);
}

} // namespace

double CommentScale(HDC reference)
{
    return std::max(GetDeviceCaps(reference, LOGPIXELSX) / BaseDpi, 1.0);
}

RECT CommentMarkerRectAtDpi(const CommentDrawRecord& record, int dpi)
{
    const int r = static_cast<int>(std::trunc(MarkerRadiusAtBase * std::max(dpi / BaseDpi, 1.0)));
    return RECT{record.x - r, record.top, record.x + 1 + r, record.top + 2 * r + 1};
}

RECT CommentMarkerRect(const CommentDrawRecord& record, HDC reference)
{
    return CommentMarkerRectAtDpi(record, GetDeviceCaps(reference, LOGPIXELSX));
}

int CommentPointSize()
{
    const LANGID language = Orv::ApplicationLanguage().value_or(GetUserDefaultUILanguage());
    const WORD primary = PRIMARYLANGID(language);
    return primary == LANG_CHINESE || primary == LANG_JAPANESE ? 12 : 10;
}

DPIFontMap& DPIFontMap::Process()
{
    static DPIFontMap map;
    return map;
}

const DPIFontMap::Fonts& DPIFontMap::Lookup(HDC dc)
{
    const std::pair<int, int> key(CommentPointSize(), GetDeviceCaps(dc, LOGPIXELSX));
    auto found = fonts_.find(key);
    if (found != fonts_.end())
        return found->second;
    Fonts fonts{ConstructShellDlgFont(dc, key.first, RotatedEscapement), ConstructShellDlgFont(dc, key.first, 0), 0, 0};
    fonts.rotatedHeight = TextHeight(dc, fonts.rotated.Get());
    fonts.uprightHeight = TextHeight(dc, fonts.upright.Get());
    return fonts_.emplace(key, std::move(fonts)).first->second;
}

void DrawComment(HDC dc, HDC reference, const CommentDrawRecord& record, const CommentAppearance& appearance)
{
    if (appearance.displayFlags != 0 && (record.flags & CommentDrawFlag::Text) && !appearance.text.empty())
        DrawText(dc, reference, record, appearance.text);
    if (record.flags & CommentDrawFlag::DottedLine)
    {
        const bool alternative = (record.flags & CommentDrawFlag::UseAlternativeBottom) && record.alternativeBottom >= 1;
        const int bottom = alternative ? record.alternativeBottom : record.bottom;
        const OWL::TPen pen = MakeLinePen(dc, reference);
        const OWL::SelectedObject selected(dc, pen.GetHandle());
        MoveToEx(dc, record.x, record.top, nullptr);
        LineTo(dc, record.x, bottom);
    }
    const OWL::TBrush brush{OWL::TColor(appearance.fill)};
    const OWL::SelectedObject outline(dc, GetStockObject(BLACK_PEN));
    const OWL::SelectedObject filled(dc, brush.GetHandle());
    const RECT marker = CommentMarkerRect(record, reference);
    Ellipse(dc, marker.left, marker.top, marker.right, marker.bottom);
}

bool CommentHit(const CommentDrawRecord& record, HDC reference, POINT point)
{
    const RECT marker = CommentMarkerRect(record, reference);
    return PtInRect(&marker, point) != FALSE;
}
