#include "tracedisplay/preview/PreviewDataPane.h"

#include "foundation/com/XOrv.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace StrixDraw
{

namespace
{
// Room between the bars and the scroll bar.
constexpr LONG BarGap = 5;
constexpr UINT ShowSourceOnly = 0x1;
constexpr UINT ShowAllTraces = 0x2;
constexpr ULONG TraceModeMask = 0xFF;
} // namespace

void SimpleDataPane::LayoutLanes(LONG x, LONG y, LONG width, LONG height, ULONG)
{
    SetClientOrigin(x, y);
    DataPane::SetClientSize(OWL::TSize(width, height));
}

PreviewDataPane::PreviewDataPane(IPaneDataSource* source, ULONG channelStyle, ULONG options, ULONG state)
    : SimpleDataPane(source, channelStyle, options, state), style_(channelStyle)
{
    sampling_.SetDataSource(source);
}

PreviewDataPane::~PreviewDataPane()
{
    // The bars are windows of the pane's window: they go before it.
    traceBar_.reset();
    samplingBar_.reset();
}

void PreviewDataPane::SetWindow(OWL::TWindow* parent, HWND window)
{
    samplingBar_ = CreateSamplingBar(style_);
    if (samplingBar_)
        samplingBar_->Enable(HasSource());
    // The trace buttons start with what the flags enable; a second-axis trace enables them all.
    if (controlFlags_ & PreviewFlag::TraceBar)
        traceBar_ = CreateTraceBar(controlFlags_, controlFlags_);
    SimpleDataPane::SetWindow(parent, window);
}

// The scales are let go too: a scale and the lane it tells hold each other.
void PreviewDataPane::ReleaseWindow()
{
    if (ISamplingSource* source = sampling_.Source())
        source->SetSampling(0);
    SimpleDataPane::ReleaseWindow();
}

template <class Call>
void PreviewDataPane::ForEachBar(Call&& call) const
{
    for (PreviewControl* bar : {traceBar_.get(), samplingBar_.get()})
    {
        if (!bar)
            continue;
        OWL::TSize size;
        bar->GetDesiredSize(size);
        call(*bar, size);
    }
}

LONG PreviewDataPane::BarsWidth() const
{
    LONG width = 0;
    ForEachBar([&](PreviewControl&, const OWL::TSize& size) { width += size.cx; });
    return width;
}

// With the bars beside the scales, the strip left of the traces is at least as wide as the bars.
void PreviewDataPane::SetPaneRect(const OWL::TRect& rect)
{
    if (!samplingBar_)
        return;
    LONG inset = 0;
    if (style_ & PreviewBarsBesideScales)
    {
        LONG widest = 0;
        for (LONG i = 0; i < LaneCount(); ++i)
            widest = std::max(widest, Lane(i)->ScaleWidth(1));
        inset = std::max<LONG>(0, BarsWidth() + BarGap - widest);
    }
    SimpleDataPane::SetPaneRect(OWL::TRect(rect.left + inset, rect.top, rect.right, rect.bottom));
}

LONG PreviewDataPane::ControlRowHeight() const
{
    LONG height = 0;
    ForEachBar([&](PreviewControl&, const OWL::TSize& size) { height = std::max<LONG>(height, size.cy); });
    OWL::TSize zoom;
    if (ZoomControl* control = ZoomControlOf())
        control->GetDesiredSize(zoom);
    return std::max<LONG>(height, zoom.cy);
}

// The lanes take the window above the row of bars and controls, right of the scales; the bars sit in
// that row left of the scroll bar, the trace bar first.
void PreviewDataPane::SetClientSize(const OWL::TSize& size)
{
    if (!samplingBar_)
    {
        SimpleDataPane::SetClientSize(size);
        return;
    }
    OWL::TSize zoom;
    if (ZoomControl* control = ZoomControlOf())
        control->GetDesiredSize(zoom);
    const LONG row = ControlRowHeight();
    SetPaneRect(OWL::TRect(0, 0, size.cx, std::max<LONG>(0, size.cy - (row - zoom.cy))));
    const LONG top = size.cy - row;
    const LONG room = Client().x + GetMargin();
    if (room < BarsWidth())
        throw XOrv(Orv::String(L"The preview's bars do not fit left of its scroll bar."),
                   HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_PARAMETER));
    LONG left = 0;
    ForEachBar([&](PreviewControl& bar, const OWL::TSize& size) {
        bar.SetRect(OWL::TRect(left, top, left + size.cx, top + size.cy));
        left += size.cx;
    });
}

HRESULT PreviewDataPane::AttachSource(ULONG flags, IPaneDataSource* source, const LONGLONG* origin)
{
    sampling_.SetDataSource(source);
    const HRESULT attached = SimpleDataPane::AttachSource(flags, source, origin);
    sampling_.DropHolder();
    return attached;
}

HRESULT PreviewDataPane::AttachPaneSource(ULONG flags, IUnknown* source, const LONGLONG* origin)
{
    Orv::ComPtr<IPaneDataSource> paneSource;
    if (source)
        source->QueryInterface(IID_IPaneDataSource, paneSource.PutVoid());
    return SimpleDataPane::AttachSource(flags, paneSource.Get(), origin);
}

ChannelDescription PreviewDataPane::DescribeLane(LONG lane) const
{
    if (lane >= 0 && lane < LaneCount())
        return {lane, NoPosition, 0};
    return {NoLane, NoPosition, 0};
}

LONG PreviewDataPane::LaneOfChannel(LONG channel, ULONG) const
{
    return channel >= 0 && channel < LaneCount() ? channel : NoLane;
}

void PreviewDataPane::AttachSamplingSource(ISamplingSource* source)
{
    sampling_.AttachSamplingSource(source, samplingBar_.get());
}

void PreviewDataPane::SetSamplingState(ULONG state)
{
    sampling_.SetState(state);
}

void PreviewDataPane::ChangeSampling(ULONG state)
{
    SetSamplingState(state);
    VyrSubject::Notify(SamplingStateChangedMsg::Id(), sampling_.DataSource());
}

void PreviewDataPane::StopSampling()
{
    ChangeSampling(SamplingState::Stopped);
}

void PreviewDataPane::StartSampling()
{
    ChangeSampling(SamplingState::Sampling);
}

void PreviewDataPane::PauseSampling()
{
    ChangeSampling(SamplingState::Paused);
}

void PreviewDataPane::SetTraceModeHandler(ULONG flags, std::function<void(ULONG)> handler)
{
    controlFlags_ = flags;
    traceModeHandler_ = std::move(handler);
}

void PreviewDataPane::SetTraceMode(ULONG mode)
{
    if (traceModeHandler_)
        traceModeHandler_(mode & TraceModeMask);
}

// Stacked, the first axis's traces fill the upper half of the lane and the second axis's the lower:
// each axis spans twice its data, the first one below its data, the second one above.
void PreviewDataPane::ApplyStackedRange(LONG axis)
{
    ChannelPane* lane = Lane(0);
    double low = DBL_MAX, high = -DBL_MAX;
    GetAxisUnitRange(axis, &low, &high);
    if (!lane)
        return;
    const double span = std::fabs(high - low);
    if (axis == 1)
        lane->ApplyAxisRange(1, low - span, high);
    else
        lane->ApplyAxisRange(2, low, high + span);
}

void PreviewDataPane::OnTraceCommand(UINT command, UINT flags)
{
    ChannelPane* lane = Lane(0);
    const auto autoScale = [lane](LONG axis) {
        if (lane)
            lane->AutoScaleAxis(axis);
    };
    switch (command)
    {
    case TraceCommand::Stack:
        autoScale(1);
        autoScale(2);
        ApplyStackedRange(1);
        ApplyStackedRange(2);
        break;
    case TraceCommand::Overlay:
        autoScale(1);
        autoScale(2);
        break;
    case TraceCommand::SourceOnly:
        if (flags & ShowSourceOnly)
        {
            autoScale(1);
            SetTraceMode(0);
            InvalidateAll();
        }
        if (flags & ShowAllTraces)
        {
            SetTraceMode(1);
            InvalidateAll();
        }
        break;
    default:
        break;
    }
}

} // namespace StrixDraw
