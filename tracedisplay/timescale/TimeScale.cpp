#include "tracedisplay/timescale/TimeScale.h"

#include "tracedisplay/timescale/TimeLabelDrawer.h"
#include "tracedisplay/timescale/TimeSteps.h"

#include "tracedisplay/support/LabelFont.h"
#include "tracedisplay/support/RecordVersion.h"

#include "platform/owl/gdi/DC.h"

#include <algorithm>
#include <cmath>

namespace StrixDraw
{

namespace
{
constexpr LONG TimeScaleIndex = -1;
constexpr wchar_t UnitsNote[] = L"(ms)";
constexpr int NoteRightInset = 2;
constexpr int NoteTopInset = 3;
constexpr int NoteBoxLead = 7;

SIZE TextSize(HDC dc, HFONT font, const wchar_t* text)
{
    OWL::SelectedObject selected(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    return size;
}

// The owner's drawing device, or the screen's.
class MeasuringDC
{
public:
    explicit MeasuringDC(HDC own) : own_(own), screen_(own ? nullptr : GetDC(nullptr)) {}
    ~MeasuringDC()
    {
        if (screen_)
            ReleaseDC(nullptr, screen_);
    }
    MeasuringDC(const MeasuringDC&) = delete;
    MeasuringDC& operator=(const MeasuringDC&) = delete;
    HDC Get() const { return own_ ? own_ : screen_; }

private:
    HDC own_;
    HDC screen_;
};
} // namespace

TimeScale::TimeScale(ChildPaneOwner* owner) : ChildPaneBase(TimeScaleIndex, owner)
{
    state[1] = 1;
    SetUpFont();
    EnsureLabelDrawer();
}

TimeScale::~TimeScale() = default;

void TimeScale::SetUpFont()
{
    // A pane that draws with a device of its own gets labels made for it; otherwise the default labels.
    const HDC own = Owner() ? Owner()->DrawingDC() : nullptr;
    MeasuringDC dc(own);
    font_ = MakeLabelFont(own, own ? LabelPoints : DefaultLabelPoints());
    const SIZE text = TextSize(dc.Get(), font_->GetHandle(), WidestLabel);
    stripHeight_ = static_cast<int>(PixelScale() * 5.0 + text.cy);
    labelWidth_ = 0;
    charWidth_ = 0;
}

int TimeScale::LabelWidth()
{
    if (labelWidth_ < 1)
    {
        MeasuringDC dc(Owner() ? Owner()->DrawingDC() : nullptr);
        labelWidth_ = TextSize(dc.Get(), font_->GetHandle(), WidestLabel).cx;
    }
    return labelWidth_;
}

bool TimeScale::Grid(TimeGrid& grid)
{
    const TimeAxis axis = Axis();
    if (!(axis.secondsPerPosition > 0.0))
        return false;
    if (charWidth_ < 1)
    {
        MeasuringDC dc(Owner() ? Owner()->DrawingDC() : nullptr);
        OWL::SelectedObject selected(dc.Get(), font_->GetHandle());
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc.Get(), &metrics);
        charWidth_ = std::max<int>(1, metrics.tmAveCharWidth);
    }
    const TimeTicks ticks = ChooseTimeTicks(charWidth_, axis.secondsPerPosition, Rect().Width());
    // The ticks count from strip position 0, as the label drawer places them.
    grid = {0.0, 0.0, ticks.MinorSpacing(), ticks.minorPerStep};
    return true;
}

double TimeScale::PixelScale() const
{
    return Owner() ? Owner()->PixelScale() : 1.0;
}

TimeAxis TimeScale::Axis() const
{
    return Owner() ? Owner()->GetTimeAxis() : TimeAxis{};
}

void TimeScale::EnsureLabelDrawer()
{
    if (DrawerCount() != 0)
        return;
    Orv::ComPtr<IStrixRecordDrawer> drawer(new TimeLabelDrawer(this));
    ChildPaneBase::AddDrawer(0, drawer.Get(), OpaqueAlpha);
    if (Owner())
        drawer->Attach(0, Owner()->DrawerHostObject());
}

void TimeScale::SetLayout(LONG id, const LONG place[2], const OWL::TRect& newRect)
{
    ChildPaneBase::SetLayout(id, place, newRect);
    ForEachDrawer([&](IStrixRecordDrawer& d) { d.SetBounds(static_cast<ULONG>(id), &newRect); });
}

HRESULT TimeScale::RemoveDrawers(ULONG mask, ChannelPair position)
{
    ChildPaneBase::RemoveDrawers(mask, position);
    EnsureLabelDrawer();
    return S_OK;
}

HRESULT TimeScale::AttachStore(ULONG flags, IUnknown* store)
{
    ChildPaneBase::AttachStore(flags, store);
    EnsureLabelDrawer();
    return S_OK;
}

HRESULT TimeScale::OnSamplingStart(LONG record, bool newRecord)
{
    ChildPaneBase::OnSamplingStart(record, newRecord);
    MarkAllStale();
    if (Owner())
    {
        Owner()->ClearPendingUpdate();
        Owner()->InvalidateRect(Rect(), false);
    }
    return S_OK;
}

void TimeScale::Paint(HDC dc, const StripPaintContext& context, const OWL::TRect& invalid, ULONG paintFlags,
                      ULONG layerMask)
{
    ChildPaneBase::Paint(dc, context, invalid, paintFlags, layerMask);
    labelMode_ = Axis().mode;
}

HRESULT TimeScale::Load(IBinInStream* stream)
{
    ULONG version = 0;
    return ReadRecordVersion(stream, SavedVersion, version);
}

HRESULT TimeScale::Save(IBinOutStream* stream)
{
    return stream ? stream->WriteULong(SavedVersion) : E_INVALIDARG;
}

// While the labels count milliseconds the strip says so in its corner.
void TimeScale::Compose(HDC dc, int cursorX, bool drawCursor)
{
    ChildPaneBase::Compose(dc, cursorX, drawCursor);
    if (!(labelMode_ & TimeMode::Milliseconds) || (labelMode_ & TimeMode::KindMask) == TimeMode::TimeOfDay)
        return;
    OWL::SelectedObject selected(dc, LabelFont());
    SIZE size{};
    GetTextExtentPoint32W(dc, UnitsNote, 4, &size);
    const int right = Rect().right - NoteRightInset;
    const int top = Rect().top + NoteTopInset;
    const RECT box{right - size.cx - NoteBoxLead, top, right, top + size.cy};
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    ExtTextOutW(dc, right - size.cx, top, ETO_OPAQUE, &box, UnitsNote, 4, nullptr);
}

} // namespace StrixDraw
