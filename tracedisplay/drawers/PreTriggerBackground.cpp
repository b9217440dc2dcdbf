#include "tracedisplay/drawers/PreTriggerBackground.h"

#include "platform/owl/gdi/DC.h"

#include <algorithm>
#include <cmath>

namespace StrixDraw
{

namespace
{
// 67 degrees: the stripes' slope.
constexpr double StripeAngle = 1.1693705988362009;
constexpr int StripeWidth = 8;
// Destination kept where the pattern is white, the brush painted where it is black.
constexpr DWORD PaintBrushWherePatternBlack = 0xB8074A;

// One memory DC serves every strip's tiling for the life of the module.
HDC SharedPatternDC()
{
    static OWL::TMemoryDC shared;
    return shared.GetHDC();
}
} // namespace

DrawPreTriggerBackground::DrawPreTriggerBackground()
{
    SharedPatternDC();
}

void DrawPreTriggerBackground::Prepare(IDrawerDataPane*, int height)
{
    if (height == height_)
        return;
    height_ = height;
    BuildPattern();
}

int DrawPreTriggerBackground::Refresh(ULONG, ULONG, ULONG, ULONG)
{
    return 0;
}

void DrawPreTriggerBackground::BuildPattern()
{
    pattern_.reset();
    if (height_ < 1)
        return;
    period_ = ((height_ - 1) / StripeSpacing + 1) * StripeSpacing;
    pattern_ = std::make_unique<OWL::TBitmap>(period_, height_, 1, 1, nullptr);
    OWL::TMemoryDC dc;
    OWL::SelectedObject bitmap(dc.GetHDC(), pattern_->GetHandle());
    PatBlt(dc, 0, 0, period_, height_, WHITENESS);
    OWL::TPen pen(RGB(0, 0, 0), StripeWidth);
    OWL::SelectedObject selectedPen(dc.GetHDC(), pen.GetHandle());
    const double c = std::cos(StripeAngle);
    for (int x = 0; x < period_ + height_; x += StripeSpacing)
    {
        MoveToEx(dc, x, 0, nullptr);
        LineTo(dc, -1, static_cast<int>(x / c) + 1);
    }
}

int DrawPreTriggerBackground::Draw(HDC dc, LONGLONG position, int fromX, int toX)
{
    int width = toX - fromX;
    if (width <= 0 || height_ == 0)
        return 1;
    if (!pattern_)
        return 0;
    int phase = static_cast<int>(((position % period_) + period_) % period_);
    HDC patternDC = SharedPatternDC();
    OWL::SelectedObject bitmap(patternDC, pattern_->GetHandle());
    OWL::TBrush brush(GetNearestColor(dc, HatchColour));
    OWL::SelectedObject selectedBrush(dc, brush.GetHandle());
    int x = fromX;
    while (width > 0)
    {
        const int chunk = std::min(width, period_ - phase);
        BitBlt(dc, x, 0, chunk, height_, patternDC, phase, 0, PaintBrushWherePatternBlack);
        x += chunk;
        phase = (phase + chunk) % period_;
        width -= chunk;
    }
    return 0;
}

} // namespace StrixDraw
