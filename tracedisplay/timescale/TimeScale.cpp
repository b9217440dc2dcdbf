#include "tracedisplay/timescale/TimeScale.h"

#include "tracedisplay/timescale/TimeLabelDrawer.h"

#include "foundation/com/ResultCodes.h"
#include "platform/owl/gdi/DC.h"

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

// A font of the default GUI font's face at the label size, made for the device it draws on.
std::unique_ptr<OWL::TFont> LabelFontFor(HDC dc)
{
    LOGFONTW face{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    const int height = -MulDiv(TimeScale::LabelPoints, GetDeviceCaps(dc, LOGPIXELSY), 72);
    return std::make_unique<OWL::TFont>(face.lfFaceName, height, 0, 0, 0, FW_NORMAL);
}

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
    MeasuringDC dc(Owner() ? Owner()->DrawingDC() : nullptr);
    font_ = LabelFontFor(dc.Get());
    const SIZE text = TextSize(dc.Get(), font_->GetHandle(), WidestLabel);
    stripHeight_ = static_cast<int>(PixelScale() * 5.0 + text.cy);
    labelWidth_ = 0;
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
    if (!stream)
        return E_INVALIDARG;
    ULONG version = 0;
    const HRESULT read = stream->ReadULong(&version);
    if (FAILED(read))
        return read;
    return version > SavedVersion ? Orv::E_ORV_NEWER_VERSION : S_OK;
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
