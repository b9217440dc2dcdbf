#include "host/app/gui/TraceView.h"
#include "host/app/gui/FrameArrangement.h"
#include "host/app/gui/WindowClass.h"

#include "host/app/document/ChannelDisplay.h"
#include "host/app/files/TextConversion.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/system/GdiObjects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <stdexcept>

namespace Host
{

namespace
{

constexpr const wchar_t* TraceClass = L"SistraHostTraceView";
constexpr UINT_PTR RefreshTimer = 1;
constexpr UINT RefreshMilliseconds = 40;
constexpr int RightMargin = 8, TopMargin = 4, AxisHeight = 20;
// Texts left of the lanes start this far from the view's edge and end this far before the traces.
constexpr int LabelIndent = 2, LabelGap = 4;
// The widest value a lane's scale writes (four significant digits, see PaintLaneLabels), for room.
constexpr const wchar_t* WidestScaleValue = L"-8.888e-88";
// The titles take at most this share of the view's width; a longer one is cut with an ellipsis.
constexpr double MostTitleShare = 0.4;
constexpr int LabelLinesPerLane = 3; // the channel's name and the values at the lane's top and foot
constexpr int MarkHead = 6;      // the triangle over a mark, pixels
constexpr int HoverDistance = 4; // how near the pointer must be to a mark, pixels
constexpr double DefaultSpanSeconds = 4.0;
constexpr double LaneHeadroom = 0.08; // of a lane's value range, above and below
constexpr COLORREF Background = RGB(255, 255, 255);
constexpr COLORREF LaneRule = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF SelectionFill = RGB(0xD8, 0xE8, 0xFF);
constexpr COLORREF HoverFill = RGB(0xFF, 0xFF, 0xE1);
constexpr COLORREF ShownLoopFill = RGB(0xFF, 0xEC, 0xB8);
constexpr double ShownSpanWithoutNextSeconds = 1.0; // a shown loop with no loop after it
constexpr int TimeStepsPerLabel = 1;
// Nice steps of the time axis, seconds.
constexpr std::array<double, 12> TimeSteps = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0, 2.0, 5.0};
constexpr int MinimumLabelSpacing = 70; // pixels
constexpr int LabelOffset = 2;           // a time label starts this far right of its tick
// log10 of a step such as 0.001 may come out a hair above a whole number.
constexpr double StepDecimalsTolerance = 1e-9;
constexpr double LabelPlaceTolerance = 1e-6; // of a step

double TimeStep(double secondsPerPixel)
{
    for (double step : TimeSteps)
        if (step / secondsPerPixel >= MinimumLabelSpacing)
            return step;
    double step = TimeSteps.back();
    while (step / secondsPerPixel < MinimumLabelSpacing)
        step *= 2.0;
    return step;
}

} // namespace

TraceView::TraceView(HostDocument& document, IUnknown* moduleDocument, IVyrStandIn& standIn, HWND parent,
                     const RECT& place)
    : document_(document), moduleDocument_(moduleDocument), events_(document, standIn),
      font_(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)))
{
    labelRoom_ = LabelRoom(place.right - place.left);
    secondsPerPixel_ = DefaultSpanSeconds / std::max<LONG>(1, place.right - place.left - labelRoom_ - RightMargin);
    Orv::ComPtr<IMsgIdRegistry> registry;
    USHORT code = 0;
    if (SUCCEEDED(standIn.QueryInterface(IID_IMsgIdRegistry, registry.PutVoid())) && registry &&
        SUCCEEDED(registry->GetCode(&HostTypeGUID, &code)))
        typeId_ = VyrTypeId::Make(code, HostMainDataViewNumber);
    EnsureWindowClass(TraceClass, Procedure, {}, "the trace view's");
    window_ = CreateWindowExW(0, TraceClass, L"Data", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_CLIPSIBLINGS,
                              place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                              nullptr, GetModuleHandleW(nullptr), this);
    if (!window_)
        throw std::runtime_error("cannot make the trace view: " + SystemErrorText(GetLastError()));
    rightSeconds_ = DefaultSpanSeconds;
    const RECT area = TraceArea();
    areaWidth_ = area.right - area.left;
    KeepOnData();
    Refresh();
    SetTimer(window_, RefreshTimer, RefreshMilliseconds, nullptr);
    Orv::ComPtr<IVyrViewHostDocument> life;
    if (moduleDocument_ && SUCCEEDED(moduleDocument_->QueryInterface(IID_IVyrViewHostDocument, life.PutVoid())) && life)
        life->ViewActivated(static_cast<IDocView2*>(this));
}

TraceView::~TraceView()
{
    DropFromDocument();
    if (IsWindow(window_))
    {
        KillTimer(window_, RefreshTimer);
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TraceView::DropFromDocument()
{
    Orv::ComPtr<IVyrViewHostDocument> life;
    if (moduleDocument_ && SUCCEEDED(moduleDocument_->QueryInterface(IID_IVyrViewHostDocument, life.PutVoid())) && life)
        life->ViewClosed(static_cast<IDocView2*>(this));
    moduleDocument_ = nullptr;
    comments_.Clear();
}

double TraceView::TotalSeconds() const
{
    const Recording& data = document_.Data();
    double total = 0.0;
    for (size_t record = 0; record < data.RecordCount(); ++record)
        total += static_cast<double>(data.RecordAt(record).Length()) * data.RecordAt(record).SampleInterval();
    return total;
}

double TraceView::SecondsOf(const TickPosition& position) const
{
    const Recording& data = document_.Data();
    double start = 0.0;
    for (int32_t record = 0; record < position.record && static_cast<size_t>(record) < data.RecordCount(); ++record)
        start += static_cast<double>(data.RecordAt(static_cast<size_t>(record)).Length()) *
                 data.RecordAt(static_cast<size_t>(record)).SampleInterval();
    const double interval = static_cast<size_t>(position.record) < data.RecordCount()
                                ? data.RecordAt(static_cast<size_t>(position.record)).SampleInterval()
                                : 0.0;
    return start + position.tick * interval;
}

TickPosition TraceView::PositionOf(double seconds) const
{
    const Recording& data = document_.Data();
    double start = 0.0;
    for (size_t record = 0; record < data.RecordCount(); ++record)
    {
        const Record& at = data.RecordAt(record);
        const double length = static_cast<double>(at.Length()) * at.SampleInterval();
        if (seconds < start + length || record + 1 == data.RecordCount())
        {
            const double tick = std::clamp(std::floor((seconds - start) / at.SampleInterval() + 0.5), 0.0,
                                           static_cast<double>(std::max<int64_t>(0, at.Length() - 1)));
            return {static_cast<int32_t>(record), static_cast<int32_t>(tick)};
        }
        start += length;
    }
    return {};
}

RECT TraceView::TraceArea() const
{
    RECT client{};
    GetClientRect(window_, &client);
    return {labelRoom_, TopMargin, std::max<LONG>(labelRoom_ + 1, client.right - RightMargin),
            std::max<LONG>(TopMargin + 1, client.bottom - AxisHeight)};
}

// The room left of the lanes: the widest lane title whole, unless the titles would take more than their
// share of a narrow view, and never less than the widest value a lane's scale writes.
int TraceView::LabelRoom(LONG viewWidth) const
{
    HDC dc = GetDC(window_);
    LONG widestValue = 0, widestTitle = 0;
    {
        const Orv::SelectedObject selectFont(dc, font_);
        const auto widthOf = [dc](const std::wstring& text) {
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            return size.cx;
        };
        widestValue = widthOf(WidestScaleValue);
        for (int32_t channel = 0; channel < ChannelCount(); ++channel)
            widestTitle = std::max(widestTitle, widthOf(LaneTitle(channel)));
    }
    ReleaseDC(window_, dc);
    const auto titleShare = static_cast<LONG>(viewWidth * MostTitleShare);
    return LabelIndent + std::max(widestValue, std::min(widestTitle, titleShare)) + LabelGap;
}

// A lane titled anew (a computed channel added, a unit changed) widens or narrows the room left of the
// lanes; the time at the traces' left edge stays where it was.
void TraceView::UpdateLabelRoom()
{
    RECT client{};
    GetClientRect(window_, &client);
    const int room = LabelRoom(client.right);
    if (room == labelRoom_)
        return;
    labelRoom_ = room;
    OnResized();
    UpdateScrollBar();
    InvalidateRect(window_, nullptr, FALSE);
}

double TraceView::LeftSeconds() const
{
    const RECT area = TraceArea();
    return rightSeconds_ - (area.right - area.left) * secondsPerPixel_;
}

// Whatever moved or widened the view, it shows no time before the recording's start, and none after its
// end unless the document samples (then the newest data stays at the right). A recorded document shorter
// than the view is spread over its width: a view widened when the workflow's panel closed had kept its
// scale and drawn the recording in its left half over an axis running on to twice its length.
void TraceView::KeepOnData()
{
    const RECT area = TraceArea();
    const LONG width = area.right - area.left;
    const double total = TotalSeconds();
    const bool recorded = document_.IsSamplingDone() && total > 0.0;
    if (recorded && width * secondsPerPixel_ > total)
        secondsPerPixel_ = total / width;
    if (recorded && rightSeconds_ > total)
        rightSeconds_ = total;
    rightSeconds_ = std::max(rightSeconds_, width * secondsPerPixel_);
}

// A resize keeps the time at the trace area's left edge, so the view that opened on the recording's start
// still starts there however the frame lays it out; only a view following the newest data while sampling
// keeps its right edge instead. A view that showed the whole recording shows it whole again, spread over
// its new width.
void TraceView::OnResized()
{
    const RECT area = TraceArea();
    const LONG width = area.right - area.left;
    const double total = TotalSeconds();
    const double edgeTolerance = secondsPerPixel_ / 2.0;
    const bool showedWhole = areaWidth_ > 0 && document_.IsSamplingDone() && total > 0.0 &&
                             rightSeconds_ - areaWidth_ * secondsPerPixel_ <= edgeTolerance &&
                             rightSeconds_ >= total - edgeTolerance;
    if (showedWhole && width > 0)
    {
        secondsPerPixel_ = total / width;
        rightSeconds_ = total;
    }
    else if (areaWidth_ > 0 && !(following_ && !document_.IsSamplingDone()))
        rightSeconds_ += (width - areaWidth_) * secondsPerPixel_;
    if (areaWidth_ > 0)
        areaWidth_ = width;
    KeepOnData();
}

double TraceView::XOf(const TickPosition& position) const
{
    return XOfSeconds(SecondsOf(position));
}

double TraceView::XOfSeconds(double seconds) const
{
    return TraceArea().left + (seconds - LeftSeconds()) / secondsPerPixel_;
}

double TraceView::SecondsAt(int x) const
{
    return LeftSeconds() + (x - TraceArea().left) * secondsPerPixel_;
}

void TraceView::Refresh()
{
    // Drawn again only when what it shows changed: a large view redrawn on every beat of the timer kept the
    // window's thread busy painting the same picture.
    UpdateLabelRoom();
    bool changed = false;
    if (document_.ConversionRevision() != conversionRevision_)
    {
        conversionRevision_ = document_.ConversionRevision();
        changed = true;
    }
    if (document_.CalculationRevision() != calculationRevision_)
    {
        calculationRevision_ = document_.CalculationRevision();
        computedSamples_.clear();
        events_.Forget();
        changed = true;
    }
    changed = events_.Update() || changed;
    changed = comments_.Update(moduleDocument_) || changed;
    // A lane added or taken away changes the height the lanes need for their labels: the frame gives it.
    if (const int32_t channels = ChannelCount(); channels != channelsSeen_)
    {
        if (channelsSeen_ >= 0)
            ArrangeAgain(window_);
        channelsSeen_ = channels;
        changed = true;
    }
    const Recording& data = document_.Data();
    // A record deleted: the place the module brought the view to may now be in another.
    if (data.RecordCount() < recordsSeen_)
        shown_.reset();
    recordsSeen_ = data.RecordCount();
    int64_t samples = 0;
    for (size_t record = 0; record < data.RecordCount(); ++record)
        samples += data.RecordAt(record).Length();
    const bool sampling = !document_.IsSamplingDone();
    // Sampling stopped: what was sampled is a recording now, kept on the view as one.
    if (samplingSeen_ && !sampling)
    {
        KeepOnData();
        UpdateScrollBar();
        changed = true;
    }
    samplingSeen_ = sampling;
    if (sampling && following_)
    {
        const RECT area = TraceArea();
        rightSeconds_ = std::max(TotalSeconds(), (area.right - area.left) * secondsPerPixel_);
    }
    if (samples != samplesSeen_ || sampling)
    {
        changed = true;
        samplesSeen_ = samples;
        KeepOnData();
        UpdateScrollBar();
    }
    TickPosition first{}, last{};
    const bool selected = document_.GetSelection(&first, &last) == S_OK;
    const std::array<int32_t, 5> selection{selected, first.record, first.tick, last.record, last.tick};
    changed = changed || selection != selectionSeen_;
    selectionSeen_ = selection;
    if (changed)
        InvalidateRect(window_, nullptr, FALSE);
}

void TraceView::UpdateScrollBar()
{
    const RECT area = TraceArea();
    const double total = std::max(TotalSeconds(), rightSeconds_);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS};
    info.nMin = 0;
    info.nMax = static_cast<int>(total / secondsPerPixel_);
    info.nPage = static_cast<UINT>(area.right - area.left);
    info.nPos = static_cast<int>(LeftSeconds() / secondsPerPixel_);
    SetScrollInfo(window_, SB_HORZ, &info, TRUE);
}

void TraceView::OnScroll(WORD request)
{
    const RECT area = TraceArea();
    const double page = (area.right - area.left) * secondsPerPixel_;
    SCROLLINFO info{sizeof info, SIF_ALL};
    GetScrollInfo(window_, SB_HORZ, &info);
    double left = LeftSeconds();
    switch (request)
    {
    case SB_LINELEFT: left -= page / 10.0; break;
    case SB_LINERIGHT: left += page / 10.0; break;
    case SB_PAGELEFT: left -= page; break;
    case SB_PAGERIGHT: left += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: left = info.nTrackPos * secondsPerPixel_; break;
    default: return;
    }
    left = std::clamp(left, 0.0, std::max(0.0, TotalSeconds() - page));
    rightSeconds_ = left + page;
    KeepOnData();
    // A person scrolling back stops the view from following; scrolling to the end follows again.
    following_ = rightSeconds_ >= TotalSeconds() - secondsPerPixel_;
    UpdateScrollBar();
    InvalidateRect(window_, nullptr, FALSE);
}

void TraceView::Paint(HDC target, const RECT& client)
{
    // Drawn off screen first, so that scrolling while sampling does not flicker.
    const Orv::MemoryDc memory(target);
    HDC dc = memory.Get();
    const Orv::UniqueBitmap bitmap(
        CreateCompatibleBitmap(target, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom)));
    {
        const Orv::SelectedObject selectBitmap(dc, bitmap.Get());
        const Orv::SelectedObject selectFont(dc, font_);
        const Orv::UniqueBrush background(CreateSolidBrush(Background));
        FillRect(dc, &client, background.Get());
        SetBkMode(dc, TRANSPARENT);
        const RECT area = TraceArea();
        PaintSelection(dc, area);
        marks_.clear();
        labels_.clear();
        timeLabels_.clear();
        const auto recorded = static_cast<int32_t>(document_.Data().Channels().size());
        for (int32_t channel = 0; channel < ChannelCount(); ++channel)
        {
            const RECT lane = LaneOf(channel, area);
            PaintShownLoop(dc, channel, lane);
            PaintLane(dc, channel, lane);
            if (channel < recorded)
                PaintMarks(dc, channel, lane);
        }
        PaintComments(dc, area);
        PaintTimeAxis(dc, RECT{area.left, area.bottom, client.right, client.bottom});
        PaintHover(dc, client);
        BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    }
}

RECT TraceView::LaneOf(int32_t channel, const RECT& area) const
{
    const int32_t channels = ChannelCount();
    const int laneHeight = channels > 0 ? (area.bottom - area.top) / channels : 0;
    return {area.left, area.top + channel * laneHeight, area.right, area.top + (channel + 1) * laneHeight};
}

void TraceView::PaintSelection(HDC dc, const RECT& lanes)
{
    TickPosition first{}, last{};
    if (document_.GetSelection(&first, &last) != S_OK)
        return;
    const double left = std::max<double>(lanes.left, XOf(first)), right = std::min<double>(lanes.right, XOf(last));
    if (right <= left)
        return;
    const Orv::UniqueBrush fill(CreateSolidBrush(SelectionFill));
    const RECT band{static_cast<LONG>(left), lanes.top, static_cast<LONG>(std::ceil(right)), lanes.bottom};
    FillRect(dc, &band, fill.Get());
}

// The loop the module brought the view to: from its mark to the next loop's on the lane it is marked on.
void TraceView::PaintShownLoop(HDC dc, int32_t channel, const RECT& lane)
{
    if (!shown_)
        return;
    const std::optional<double> end = LoopEndSeconds(channel, *shown_);
    if (!end)
        return;
    const double from = XOf(*shown_), to = XOfSeconds(*end);
    const RECT band{std::max<LONG>(lane.left, static_cast<LONG>(from)), lane.top,
                    std::min<LONG>(lane.right, static_cast<LONG>(std::ceil(to))), lane.bottom};
    if (band.right <= band.left)
        return;
    const Orv::UniqueBrush fill(CreateSolidBrush(ShownLoopFill));
    FillRect(dc, &band, fill.Get());
}

std::optional<double> TraceView::LoopEndSeconds(int32_t channel, const TickPosition& start) const
{
    if (!MarkedAt(channel, start))
        return std::nullopt;
    const auto own = [](const TraceEvent* event) { return !event->underlying; };
    const std::vector<const TraceEvent*> later =
        events_.EventsOf(channel, start.record, start.tick + 1, std::numeric_limits<int32_t>::max());
    const auto next = std::find_if(later.begin(), later.end(), own);
    return next != later.end() ? SecondsOf({(*next)->record, (*next)->tick})
                               : SecondsOf(start) + ShownSpanWithoutNextSeconds;
}

bool TraceView::MarkedAt(int32_t channel, const TickPosition& position) const
{
    const std::vector<const TraceEvent*> at = events_.EventsOf(channel, position.record, position.tick, position.tick);
    return std::any_of(at.begin(), at.end(), [](const TraceEvent* event) { return !event->underlying; });
}

// A loop not marked on any lane is taken at its start alone.
bool TraceView::LoopWhollyInView(const TickPosition& start) const
{
    const double from = SecondsOf(start);
    double to = from;
    for (int32_t channel = 0; channel < ChannelCount(); ++channel)
        to = std::max(to, LoopEndSeconds(channel, start).value_or(from));
    return from >= LeftSeconds() && to <= rightSeconds_;
}

int32_t TraceView::ChannelCount() const
{
    return static_cast<int32_t>(document_.Data().Channels().size() + document_.ComputedChannelCount());
}

// Room for each lane's three texts on lines of their own, the time axis and the scroll bar.
int TraceView::LeastHeight() const
{
    HDC dc = GetDC(window_);
    TEXTMETRICW metrics{};
    {
        const Orv::SelectedObject selectFont(dc, font_);
        GetTextMetricsW(dc, &metrics);
    }
    ReleaseDC(window_, dc);
    const int32_t channels = ChannelCount();
    return TopMargin + channels * (LabelLinesPerLane * metrics.tmHeight + 2) + AxisHeight +
           GetSystemMetrics(SM_CYHSCROLL);
}

void TraceView::PaintLane(HDC dc, int32_t channel, const RECT& lane)
{
    const Recording& data = document_.Data();
    const Orv::UniquePen rule(CreatePen(PS_SOLID, 1, LaneRule));
    {
        const Orv::SelectedObject selectRule(dc, rule.Get());
        MoveToEx(dc, lane.left, lane.bottom - 1, nullptr);
        LineTo(dc, lane.right, lane.bottom - 1);
    }

    // Each pixel column shows the lowest and highest sample that falls in it.
    const double left = LeftSeconds();
    const int columns = lane.right - lane.left;
    std::vector<float> low(static_cast<size_t>(columns), std::numeric_limits<float>::infinity());
    std::vector<float> high(static_cast<size_t>(columns), -std::numeric_limits<float>::infinity());
    double start = 0.0;
    for (size_t record = 0; record < data.RecordCount(); ++record)
    {
        const Record& at = data.RecordAt(record);
        const double interval = at.SampleInterval();
        const auto length = static_cast<int64_t>(at.Length());
        const int64_t first = std::clamp<int64_t>(static_cast<int64_t>(std::floor((left - start) / interval)), 0, length);
        const int64_t end = std::clamp<int64_t>(
            static_cast<int64_t>(std::ceil((left + columns * secondsPerPixel_ - start) / interval)) + 1, 0, length);
        const std::span<const float> samples = LaneSamples(channel, record, first, end);
        const HostDocument::ChannelShowing showing = ShowingOf(channel, record);
        for (int64_t tick = first; tick < first + static_cast<int64_t>(samples.size()); ++tick)
        {
            const auto column = static_cast<int64_t>((start + tick * interval - left) / secondsPerPixel_);
            if (column < 0 || column >= columns)
                continue;
            const auto value =
                static_cast<float>(samples[static_cast<size_t>(tick - first)] * showing.scale + showing.offset);
            low[static_cast<size_t>(column)] = std::min(low[static_cast<size_t>(column)], value);
            high[static_cast<size_t>(column)] = std::max(high[static_cast<size_t>(column)], value);
        }
        samplesDrawn_ += std::max<int64_t>(0, end - first);
        start += static_cast<double>(length) * interval;
    }
    float bottom = std::numeric_limits<float>::infinity(), top = -bottom;
    for (int column = 0; column < columns; ++column)
        if (low[static_cast<size_t>(column)] <= high[static_cast<size_t>(column)])
        {
            bottom = std::min(bottom, low[static_cast<size_t>(column)]);
            top = std::max(top, high[static_cast<size_t>(column)]);
        }
    if (!(bottom <= top))
    {
        PaintLaneLabels(dc, channel, lane, std::nullopt);
        return;
    }
    const auto [highest, lowest] = LaneValueRange(bottom, top);
    const double pixelsPerUnit = (lane.bottom - lane.top - 2) / (highest - lowest);
    const auto rowOf = [&](float value) { return static_cast<LONG>(lane.top + (highest - value) * pixelsPerUnit); };
    std::vector<POINT> points;
    points.reserve(static_cast<size_t>(columns) * 2);
    for (int column = 0; column < columns; ++column)
    {
        if (low[static_cast<size_t>(column)] > high[static_cast<size_t>(column)])
            continue;
        points.push_back({lane.left + column, rowOf(low[static_cast<size_t>(column)])});
        points.push_back({lane.left + column, rowOf(high[static_cast<size_t>(column)]) - 1});
    }
    const Orv::UniquePen pen(CreatePen(PS_SOLID, 1, ChannelTraceColour(channel)));
    const Orv::SelectedObject selectPen(dc, pen.Get());
    if (points.size() >= 2)
        Polyline(dc, points.data(), static_cast<int>(points.size()));
    PaintLaneLabels(dc, channel, lane, std::pair{highest, lowest});
}

std::pair<double, double> LaneValueRange(double lowest, double highest)
{
    constexpr double LeastSpanOfSize = 1e-3, LeastSpanAtZero = 1.0;
    const double size = std::max(std::abs(lowest), std::abs(highest));
    const double least = size > 0.0 ? size * LeastSpanOfSize : LeastSpanAtZero;
    if (highest - lowest < least)
    {
        const double middle = lowest / 2.0 + highest / 2.0;
        lowest = middle - least / 2.0;
        highest = middle + least / 2.0;
    }
    const double room = (highest - lowest) * LaneHeadroom;
    return {highest + room, lowest - room};
}

// Left of the lane, one line each: the channel's name at the top, the value at the lane's top edge below
// it and the value at its foot at the bottom. A lane too short for all three keeps the name and the
// values that fit on lines of their own, so no text is drawn over another.
void TraceView::PaintLaneLabels(HDC dc, int32_t channel, const RECT& lane, std::optional<std::pair<double, double>> range)
{
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int line = metrics.tmHeight;
    const int lines = (lane.bottom - lane.top - 2) / std::max(1, line);
    const auto write = [&](const std::wstring& text, int top, COLORREF colour) {
        RECT place{LabelIndent, top, lane.left - LabelGap, top + line};
        labels_.push_back({place, channel, text});
        SetTextColor(dc, colour);
        DrawTextW(dc, text.c_str(), -1, &place, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    };
    if (lines >= 1)
        write(LaneTitle(channel), lane.top + 1, ChannelTraceColour(channel));
    if (!range)
        return;
    wchar_t value[64];
    if (lines >= 2)
    {
        std::swprintf(value, std::size(value), L"%.4g", range->second);
        write(value, lane.bottom - 1 - line, RGB(0, 0, 0));
    }
    if (lines >= 3)
    {
        std::swprintf(value, std::size(value), L"%.4g", range->first);
        write(value, lane.top + 1 + line, RGB(0, 0, 0));
    }
}

std::wstring TraceView::LaneTitle(int32_t channel) const
{
    const std::vector<ChannelInfo>& recorded = document_.Data().Channels();
    if (static_cast<size_t>(channel) >= recorded.size())
        return document_.ComputedChannelTitle(static_cast<size_t>(channel) - recorded.size());
    const ChannelInfo& info = recorded[static_cast<size_t>(channel)];
    if (info.deleted)
        return FromUtf8(info.name + (info.unit.empty() ? "" : " (" + info.unit + ")") + " deleted");
    const std::wstring unit = ShowingOf(channel, 0).unit;
    return FromUtf8(info.name) + (unit.empty() ? L"" : L" (" + unit + L")");
}

// A recorded channel as the host shows it: through its conversion, in the unit that shows (a calibration
// the module applied: the volume in microlitres, not the recorded conductance). Computed channels come in
// their own unit.
HostDocument::ChannelShowing TraceView::ShowingOf(int32_t channel, size_t record) const
{
    if (static_cast<size_t>(channel) >= document_.Data().Channels().size())
        return {};
    return document_.ShowingOf(static_cast<size_t>(channel), record);
}

// A computed channel is read a record at a time and kept until the document's calculations change or
// the record grows: its calculation runs over the loops of the whole record.
std::span<const float> TraceView::LaneSamples(int32_t channel, size_t record, int64_t first, int64_t end)
{
    const Record& at = document_.Data().RecordAt(record);
    const size_t recorded = document_.Data().Channels().size();
    if (static_cast<size_t>(channel) < recorded)
    {
        if (document_.Data().Channels()[static_cast<size_t>(channel)].deleted)
            return {};
        const std::span<const float> all = at.Samples(static_cast<size_t>(channel));
        const size_t from = std::min(static_cast<size_t>(first), all.size());
        return all.subspan(from, std::min(static_cast<size_t>(end), all.size()) - from);
    }
    std::vector<float>& values = computedSamples_[{static_cast<size_t>(channel) - recorded, record}];
    if (values.size() != static_cast<size_t>(at.Length()))
    {
        values.assign(static_cast<size_t>(at.Length()), std::numeric_limits<float>::quiet_NaN());
        if (FAILED(document_.ReadComputedChannel(static_cast<size_t>(channel) - recorded, static_cast<int32_t>(record), 0,
                                                 static_cast<int32_t>(values.size()), values.data())))
            std::fill(values.begin(), values.end(), std::numeric_limits<float>::quiet_NaN());
    }
    return std::span<const float>(values).subspan(static_cast<size_t>(first), static_cast<size_t>(end - first));
}

void TraceView::PaintMarks(HDC dc, int32_t channel, const RECT& lane)
{
    const TickPosition first = PositionOf(LeftSeconds()), last = PositionOf(rightSeconds_);
    for (int32_t record = first.record; record <= last.record; ++record)
    {
        const int32_t from = record == first.record ? first.tick : 0;
        const int32_t to = record == last.record ? last.tick : std::numeric_limits<int32_t>::max();
        for (const TraceEvent* event : events_.EventsOf(channel, record, from, to))
        {
            const auto x = static_cast<int>(std::lround(XOf({event->record, event->tick})));
            if (x < lane.left || x >= lane.right)
                continue;
            const COLORREF colour = events_.Colour(*event);
            const Orv::UniquePen dotted(CreatePen(PS_DOT, 1, colour));
            const Orv::UniquePen outline(CreatePen(PS_SOLID, 1, colour));
            const Orv::UniqueBrush brush(CreateSolidBrush(colour));
            {
                const Orv::SelectedObject selectPen(dc, dotted.Get());
                Orv::StrokeLines(dc, {{x, lane.top + MarkHead}, {x, lane.bottom - 1 - MarkHead}});
            }
            // An item's own event points down from the lane's top; the events it was found at point up
            // from the lane's foot, so both show where they coincide.
            const int base = event->underlying ? lane.bottom - 1 : lane.top;
            const int tip = event->underlying ? base - MarkHead : base + MarkHead;
            const POINT head[3] = {{x - MarkHead / 2, base}, {x + MarkHead / 2, base}, {x, tip}};
            const Orv::SelectedObject selectOutline(dc, outline.Get());
            const Orv::SelectedObject selectBrush(dc, brush.Get());
            Polygon(dc, head, 3);
            marks_.push_back({x, lane.top, lane.bottom, channel, event->record, event->tick, colour, event->underlying});
        }
    }
}

// The document's comments mark events of its channels: a comment stands where its channel shows such an
// event, so that one whose event a cleared or redone analysis took away goes with it.
void TraceView::PaintComments(HDC dc, const RECT& area)
{
    const auto recorded = static_cast<int32_t>(document_.Data().Channels().size());
    comments_.Paint(dc, area, [&](int32_t channel, const TickPosition& position) -> std::optional<CommentDrawRecord> {
        if (channel < 0 || channel >= recorded || !MarkedAt(channel, position))
            return std::nullopt;
        const RECT lane = LaneOf(channel, area);
        const auto x = static_cast<int>(std::lround(XOf(position)));
        if (x < lane.left || x >= lane.right)
            return std::nullopt;
        // The disc hangs below the head of the event's mark, so that both show; the line runs down the
        // traces, and its text up from its lane's foot, clear of the other lanes' traces.
        return CommentDrawRecord{x, lane.top + MarkHead, lane.bottom - 1, area.bottom - 1,
                                 CommentDrawFlag::UseAlternativeBottom};
    });
}

std::wstring TraceView::TimeText(const TickPosition& position) const
{
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%.3f s", SecondsOf(position));
    return text;
}

// Each label has as many decimals as its step needs, so that neighbours differ however far into the
// recording the view is zoomed (with significant digits, 294.01 s and 294.02 s both read "294 s"). A label
// that would run past the view's edge is left out rather than cut ("4" for "4.0 s" where a recording
// spread over the view ends on a step); its tick stays.
void TraceView::PaintTimeAxis(HDC dc, const RECT& axis)
{
    const double step = TimeStep(secondsPerPixel_) * TimeStepsPerLabel;
    const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step) - StepDecimalsTolerance)));
    const double left = LeftSeconds();
    SetTextColor(dc, RGB(0, 0, 0));
    // A left edge a rounding error past a label (the start, after a resize) still shows that label.
    const auto first = static_cast<int64_t>(std::ceil(std::max(0.0, left) / step - LabelPlaceTolerance));
    for (int64_t index = first; index * step <= rightSeconds_; ++index)
    {
        // Counted in steps rather than summed, so that no rounding builds up along a long recording.
        const double at = static_cast<double>(index) * step;
        const auto x = static_cast<int>(axis.left + (at - left) / secondsPerPixel_);
        MoveToEx(dc, x, axis.top, nullptr);
        LineTo(dc, x, axis.top + 4);
        wchar_t text[32];
        const int length = std::swprintf(text, std::size(text), L"%.*f s", decimals, at);
        SIZE size{};
        GetTextExtentPoint32W(dc, text, length, &size);
        if (x + LabelOffset + size.cx > axis.right)
            continue;
        TextOutW(dc, x + LabelOffset, axis.top + 3, text, length);
        timeLabels_.push_back(text);
    }
}

void TraceView::PaintHover(HDC dc, const RECT& client)
{
    if (hoverText_.empty())
        return;
    RECT box{0, 0, 0, 0};
    DrawTextW(dc, hoverText_.c_str(), -1, &box, DT_CALCRECT | DT_NOPREFIX);
    const LONG width = box.right + 8, height = box.bottom + 4;
    const LONG left = std::clamp<LONG>(hoverPoint_.x + 12, 0, std::max<LONG>(0, client.right - width));
    const LONG top = std::clamp<LONG>(hoverPoint_.y + 16, 0, std::max<LONG>(0, client.bottom - height));
    box = {left, top, left + width, top + height};
    const Orv::UniqueBrush fill(CreateSolidBrush(HoverFill));
    FillRect(dc, &box, fill.Get());
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    RECT text{left + 4, top + 2, left + width, top + height};
    DrawTextW(dc, hoverText_.c_str(), -1, &text, DT_NOPREFIX);
}

void TraceView::OnMouseMove(POINT point)
{
    if (!trackingLeave_)
    {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    std::wstring text;
    // A comment under the pointer answers before the mark it stands on. Over the lower half of a lane the
    // mark of an underlying event answers first, over the upper half the item's own.
    const bool onComment = !dragAnchor_ && comments_.Hover(window_, point);
    const DrawnMark* hovered = nullptr;
    for (const DrawnMark& mark : marks_)
        if (!onComment && std::abs(mark.x - point.x) <= HoverDistance && point.y >= mark.top && point.y < mark.bottom &&
            (!hovered || mark.underlying == (point.y >= (mark.top + mark.bottom) / 2)))
            hovered = &mark;
    if (hovered)
        for (const TraceEvent* event : events_.EventsOf(hovered->channel, hovered->record, hovered->tick, hovered->tick))
            if (event->underlying == hovered->underlying)
            {
                text = events_.Tooltip(*event);
                break;
            }
    if (text != hoverText_ || (!text.empty() && (point.x != hoverPoint_.x || point.y != hoverPoint_.y)))
    {
        hoverText_ = std::move(text);
        hoverPoint_ = point;
        InvalidateRect(window_, nullptr, FALSE);
    }
}

// A press in the traces starts a selection there (a click alone clears it); dragging spans it to the
// pointer, over every channel, as the host selects.
void TraceView::OnButtonDown(POINT point)
{
    // A press on a comment opens its popup and leaves the selection as it is.
    if (comments_.Press(window_, point, [this](const TickPosition& at) { return TimeText(at); }))
        return;
    const RECT area = TraceArea();
    const double total = TotalSeconds();
    if (!PtInRect(&area, point) || !(total > 0.0))
        return;
    SetCapture(window_);
    dragAnchor_ = std::clamp(SecondsAt(point.x), 0.0, total);
    document_.SelectByUser({}, {});
    InvalidateRect(window_, nullptr, FALSE);
}

void TraceView::OnDrag(POINT point)
{
    if (!dragAnchor_)
        return;
    const double to = std::clamp(SecondsAt(point.x), 0.0, TotalSeconds());
    const TickPosition anchor = PositionOf(*dragAnchor_);
    TickPosition first = PositionOf(std::min(*dragAnchor_, to)), last = PositionOf(std::max(*dragAnchor_, to));
    // A selection lies in one record, the one the drag began in: the module reads it record by record.
    const auto anchorLength = static_cast<int32_t>(document_.Data().RecordAt(static_cast<size_t>(anchor.record)).Length());
    if (first.record != anchor.record)
        first = {anchor.record, 0};
    if (last.record != anchor.record)
        last = {anchor.record, std::max(0, anchorLength - 1)};
    TickPosition shown{}, shownEnd{};
    const bool had = document_.GetSelection(&shown, &shownEnd) == S_OK && shown.record != HostRecordEnd;
    if (had && shown.record == first.record && shown.tick == first.tick && shownEnd.record == last.record &&
        shownEnd.tick == last.tick)
        return;
    document_.SelectByUser(first, last);
    InvalidateRect(window_, nullptr, FALSE);
}

void TraceView::OnButtonUp(POINT point)
{
    if (!dragAnchor_)
        return;
    OnDrag(point);
    dragAnchor_.reset();
    ReleaseCapture();
}

LRESULT CALLBACK TraceView::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* view = static_cast<TraceView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        view->window_ = window;
    }
    auto* view = reinterpret_cast<TraceView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!view)
        return DefWindowProcW(window, message, wParam, lParam);
    // Nothing thrown may leave a window procedure.
    try
    {
        return view->OnMessage(message, wParam, lParam);
    }
    catch (...)
    {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT TraceView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_PAINT:
    {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window_, &paint);
        RECT client{};
        GetClientRect(window_, &client);
        Paint(dc, client);
        EndPaint(window_, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wParam == RefreshTimer)
            Refresh();
        return 0;
    case WM_SIZE:
        labelRoom_ = LabelRoom(LOWORD(lParam));
        OnResized();
        UpdateScrollBar();
        InvalidateRect(window_, nullptr, FALSE);
        return 0;
    case WM_HSCROLL:
        OnScroll(LOWORD(wParam));
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.y = LeastHeight();
        return 0;
    case WM_MOUSEMOVE:
        OnDrag({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_MOUSELEAVE:
        // A mark's tooltip goes with the pointer.
        trackingLeave_ = false;
        comments_.Leave(window_);
        comments_.ClosePopup();
        if (!hoverText_.empty())
        {
            hoverText_.clear();
            InvalidateRect(window_, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_CAPTURECHANGED:
        dragAnchor_.reset();
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

HRESULT STDMETHODCALLTYPE TraceView::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDocView2)
        *object = static_cast<IDocView2*>(this);
    else if (iid == IID_IHostTraceView)
        *object = static_cast<IHostTraceView*>(this);
    else
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TraceView::GetTitle(BSTR* title)
{
    if (!title)
        return E_POINTER;
    *title = SysAllocString(L"Data");
    return *title ? S_OK : E_OUTOFMEMORY;
}

// The main data view is the document's own: a module that arranges its views (a workflow step that
// shows none) cannot close it, or the frame would show no data until the document closes.
HRESULT STDMETHODCALLTYPE TraceView::CanClose(USHORT* canClose)
{
    return Orv::AnswerValue(canClose, USHORT{0});
}

HRESULT STDMETHODCALLTYPE TraceView::Close()
{
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE TraceView::SetViewNumber(ULONG number)
{
    viewNumber_ = number;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TraceView::GetViewNumber(ULONG* number)
{
    return Orv::AnswerValue(number, viewNumber_);
}

HRESULT STDMETHODCALLTYPE TraceView::GetViewId(ULONG id[2])
{
    if (!id)
        return E_POINTER;
    id[0] = typeId_;
    id[1] = viewKind_ << 16 | viewNumber_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TraceView::Activate()
{
    SetFocus(window_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TraceView::GetViewClass(IUnknown** viewClass)
{
    return Orv::AnswerValue(viewClass, static_cast<IUnknown*>(nullptr));
}

HRESULT STDMETHODCALLTYPE TraceView::GetDocument(IUnknown** document)
{
    if (!document)
        return E_POINTER;
    *document = moduleDocument_;
    if (*document)
        (*document)->AddRef();
    return *document ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE TraceView::GetReserved12(void** object)
{
    return Orv::AnswerValue(object, static_cast<void*>(nullptr));
}

HRESULT STDMETHODCALLTYPE TraceView::GetViewKind(ULONG* kind)
{
    return Orv::AnswerValue(kind, viewKind_);
}

HRESULT STDMETHODCALLTYPE TraceView::SetViewKind(ULONG kind)
{
    viewKind_ = kind;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TraceView::ShowRange(const TickPosition* first, const TickPosition* last)
{
    if (!first || !last)
        return E_POINTER;
    const double from = SecondsOf(*first), to = SecondsOf(*last);
    if (!(to > from))
        return E_INVALIDARG;
    const RECT area = TraceArea();
    const double width = area.right - area.left;
    // The range fills nine tenths of the view, so that its edges show.
    secondsPerPixel_ = (to - from) / (width * 0.9);
    rightSeconds_ = (from + to) / 2.0 + width * secondsPerPixel_ / 2.0;
    following_ = false;
    KeepOnData();
    UpdateScrollBar();
    InvalidateRect(window_, nullptr, FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TraceView::ShowPosition(const TickPosition* position)
{
    if (!position)
        return E_POINTER;
    shown_ = *position;
    // A loop already in view is shaded where it is: the view moves only to bring one into sight, so that
    // what the user is looking at, or dragging across, stays put.
    if (LoopWhollyInView(*position))
    {
        InvalidateRect(window_, nullptr, FALSE);
        return S_OK;
    }
    const RECT area = TraceArea();
    rightSeconds_ = SecondsOf(*position) + (area.right - area.left) * secondsPerPixel_ / 2.0;
    following_ = false;
    KeepOnData();
    UpdateScrollBar();
    InvalidateRect(window_, nullptr, FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TraceView::GetCentre(TickPosition* position)
{
    if (!position)
        return E_POINTER;
    *position = PositionOf((LeftSeconds() + rightSeconds_) / 2.0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TraceView::GetSamplesPerPixel(double* samples)
{
    if (!samples)
        return E_POINTER;
    const TickPosition centre = PositionOf((LeftSeconds() + rightSeconds_) / 2.0);
    const Recording& data = document_.Data();
    const double interval =
        static_cast<size_t>(centre.record) < data.RecordCount() ? data.RecordAt(centre.record).SampleInterval() : 0.0;
    if (!(interval > 0.0))
        return S_FALSE;
    *samples = secondsPerPixel_ / interval;
    return S_OK;
}

} // namespace Host
