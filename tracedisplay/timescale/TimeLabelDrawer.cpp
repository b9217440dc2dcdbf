#include "tracedisplay/timescale/TimeLabelDrawer.h"

#include "tracedisplay/timescale/TimeScale.h"

#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/GdiObjects.h"

#include <algorithm>
#include <cmath>

namespace StrixDraw
{

namespace
{
constexpr LONG NoSourceChannel = -1;
constexpr int LabelGapCharacters = 2;
} // namespace

TimeLabelDrawer::TimeLabelDrawer(TimeScale* scale)
    : DrawerBase(DrawerKind::Graticule, {NoSourceChannel, UnsetDisplaySubIndex}), scale_(scale)
{
}

TimeLabelDrawer::TimeLabelDrawer(const TimeLabelDrawer& other)
    : DrawerBase(other), scale_(nullptr), step_(other.step_), minorPerStep_(other.minorPerStep_),
      labelsEvery_(other.labelsEvery_)
{
}

HRESULT STDMETHODCALLTYPE TimeLabelDrawer::GetUpdateExtent(ULONG, ULONG* updateFlags, LONG* left, LONG* right, void*)
{
    const LONG half = scale_ ? scale_->LabelWidth() / 2 : 0;
    return AnswerUpdateExtent(updateFlags, left, right, 0, half, half);
}

HRESULT STDMETHODCALLTYPE TimeLabelDrawer::SetScaling(ULONG, ULONG, const ScalePair*, IUnknown*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TimeLabelDrawer::Clone(ULONG, IStrixRecordDrawer** clone)
{
    return CloneInto(clone, [this] { return new TimeLabelDrawer(*this); });
}

// Labels every step unless the texts of two neighbouring labels would come closer than two characters;
// then every second step (tried once more, and kept).
void TimeLabelDrawer::ChooseLayout(HDC, const Layout& layout, const TimeValue& first,
                                   const TimePunctuation& punctuation)
{
    const double pixelsPerStep = step_.seconds / layout.secondsPerPixel;
    labelsEvery_ = 1;
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        TimeValue next = first;
        next.Advance(labelsEvery_ * step_.seconds);
        const size_t longest = std::max(first.Text(punctuation).size(), next.Text(punctuation).size());
        if ((longest + LabelGapCharacters) * layout.charWidth + 0.5 < pixelsPerStep * labelsEvery_)
            return;
        if (attempt == 0)
            ++labelsEvery_;
    }
}

HRESULT STDMETHODCALLTYPE TimeLabelDrawer::Draw(HDC dc, LONGLONG from, LONGLONG, LONGLONG, LONG, LONG xOffset,
                                                const RECT* clip, ULONG, ULONG, ULONG)
{
    if (!clip)
        return S_OK;
    const OWL::TRect area = OWL::TRect(*clip) & bounds;
    if (area.IsEmpty())
        return S_OK;
    PatBlt(dc, area.left, area.top, area.Width(), area.Height(), WHITENESS);
    const TimeAxis axis = scale_ ? scale_->Axis() : TimeAxis{};
    if (!(axis.secondsPerPosition > 0.0))
        return S_OK;
    const HFONT font = scale_ && scale_->LabelFont() ? scale_->LabelFont()
                                                     : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    OWL::SelectedObject selectedFont(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const Layout layout{static_cast<double>(std::max<LONG>(1, metrics.tmAveCharWidth)), axis.secondsPerPosition,
                        scale_ ? scale_->PixelScale() : 1.0};
    const TimePunctuation punctuation = TimePunctuation::User();

    const TimeTicks ticks = ChooseTimeTicks(layout.charWidth, layout.secondsPerPixel, bounds.Width());
    step_ = ticks.step;
    minorPerStep_ = ticks.minorPerStep;
    const double timeAtLeft = (from + (area.left - xOffset)) * layout.secondsPerPixel;
    auto firstStep = static_cast<LONGLONG>(std::floor(timeAtLeft / step_.seconds));
    TimeValue label;
    label.Set(axis.mode, axis.times, false, firstStep * step_.seconds, punctuation);
    ChooseLayout(dc, layout, label, punctuation);
    // Labels stay on the same steps while the strip scrolls.
    firstStep = static_cast<LONGLONG>(std::floor(static_cast<double>(firstStep) / labelsEvery_)) * labelsEvery_;

    const int majorLength = static_cast<int>(layout.scale * 2.0);
    const int labelTop = bounds.top + static_cast<int>(layout.scale * 4.0 - 1.0);
    const LONG reach = scale_ ? scale_->LabelWidth() / 2 : 0;
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    OWL::TPen pen(RGB(0, 0, 0));
    OWL::SelectedObject selectedPen(dc, pen.GetHandle());
    for (LONGLONG i = 0;; ++i)
    {
        const LONGLONG stepIndex = firstStep + i / minorPerStep_;
        const bool major = i % minorPerStep_ == 0;
        const double time = firstStep * step_.seconds + i * (step_.seconds / minorPerStep_);
        const int x = static_cast<int>(std::floor(time / layout.secondsPerPixel - from + xOffset + 0.5));
        if (x >= area.right + reach)
            break;
        if (x >= area.left && x < area.right)
        {
            MoveToEx(dc, x, bounds.top, nullptr);
            LineTo(dc, x, bounds.top + (major ? majorLength : majorLength / 2));
        }
        if (!major || stepIndex % labelsEvery_ != 0)
            continue;
        label.Set(axis.mode, axis.times, false, stepIndex * step_.seconds, punctuation);
        const std::wstring text = label.Text(punctuation);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        // A label shows whole or not at all.
        const bool room = x - bounds.left > size.cx && x + (size.cx + 1) / 2 <= bounds.right;
        const bool meetsArea = x - size.cx / 2 < area.right && x + size.cx / 2 >= area.left;
        if (!text.empty() && room && meetsArea)
            TextOutW(dc, x, labelTop, text.c_str(), static_cast<int>(text.size()));
    }
    return S_OK;
}

} // namespace StrixDraw
