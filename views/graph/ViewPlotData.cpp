#include "views/graph/ViewPlotData.h"

#include "views/graph/SistraGraphViewBase.h"
#include "dialogs/helpers/NumberFields.h"

#include "controls/theme/DpiAndFonts.h"
#include "document/core/SistraDocument.h"
#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/LocaleInfo.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"
#include "resources/ResourceIds.h"

#include <algorithm>

namespace Sistra
{

namespace
{

constexpr int NoticeInset = 6;
constexpr int NoticePoints = 10;
constexpr ULONG LoopNumberArgument = 0x2;

std::wstring ValueWithUnits(const Orv::String& number, const std::wstring& units)
{
    return units.empty() ? std::wstring(number.c_str()) : std::wstring(number.c_str()) + L" " + units;
}

} // namespace

ViewPlotData::ViewPlotData(SistraGraphViewBase& view, int32_t seriesNumber, int32_t firstLoop, int32_t loopCount,
                           std::shared_ptr<SharedTrackingState> tracking)
    : view_(view), seriesNumber_(seriesNumber), firstLoop_(firstLoop), loopCount_(loopCount),
      tracking_(std::move(tracking))
{
    id = -1;
}

void ViewPlotData::Reset(int32_t seriesNumber, int32_t firstLoop, int32_t loopCount,
                         std::shared_ptr<SharedTrackingState> tracking)
{
    seriesNumber_ = seriesNumber;
    firstLoop_ = firstLoop;
    loopCount_ = loopCount;
    tracking_ = std::move(tracking);
}

bool ViewPlotData::GetSeries(int seriesId, int* count, int* firstIndex, const float** x, const float** y,
                             const COLORREF** colours, COLORREF* colour, uint32_t* flags)
{
    return view_.SeriesSource().GetSeries(seriesId, count, firstIndex, x, y, colours, colour, flags);
}

bool ViewPlotData::ContinueDrawing(int seriesId)
{
    return view_.SeriesSource().ContinueDrawing(seriesId);
}

bool ViewPlotData::Track(int32_t series, MGraph1::TrackInfo& info)
{
    if (series != seriesNumber_)
    {
        info.label.clear();
        return true;
    }
    info.show = false;
    MGraph1::PointRecord point;
    if (!FindNearestPoint(info.relX, info.relY, MGraph1::PointPickRadius, &point))
        return true;
    info.resolvedX = point.x;
    info.resolvedY = point.y;
    if (tracking_)
    {
        const double dx = point.x - info.valueX;
        const double dy = point.y - info.valueY;
        const double distanceSquared = dy * dy + dx * dx;
        // A later series takes the marker only when it is strictly nearer.
        if (tracking_->found && tracking_->bestDistanceSquared <= distanceSquared)
            return true;
        tracking_->found = true;
        tracking_->series = series;
        tracking_->bestDistanceSquared = distanceSquared;
    }
    info.show = true;
    MGraph1::Graph2DDrawer& graph = view_.GraphWindow();
    const Orv::String rangeNumber = FormatNumber(point.y * graph.rangeUnitFactor);
    const Orv::String domainNumber = FormatNumber(point.x * graph.domainUnitFactor);
    const std::wstring rangeUnits = graph.GetRangeUnits(), domainUnits = graph.GetDomainUnits();
    const Orv::String separator = LocaleInfo::GetListSeparator();
    Orv::OFormatStringStream hint(view_.GetTooltipFormat());
    hint << rangeNumber << Orv::String(rangeUnits.c_str()) << separator << domainNumber
         << Orv::String(domainUnits.c_str());
    const PointReadOut readOut{hint.Str().c_str(), ValueWithUnits(rangeNumber, rangeUnits),
                               ValueWithUnits(domainNumber, domainUnits), separator.c_str(),
                               rangeNumber.c_str(), domainNumber.c_str()};
    view_.SetReadOut(readOut);
    info.label = readOut.sentence;
    return true;
}

bool ViewPlotData::OnMessage(const MessSys::Message& message)
{
    const auto* hint = dynamic_cast<const MGraph1::MouseTrackHintMsg*>(&message);
    if (!hint)
        return false;
    view_.ShowHint(HintsNameAPoint(*hint));
    return true;
}

bool HintsNameAPoint(const MGraph1::MouseTrackHintMsg& hint)
{
    return hint.hints && std::any_of(hint.hints->begin(), hint.hints->end(),
                                     [](const MGraph1::HintRecord& record) { return !record.text.empty(); });
}

bool ViewPlotData::OnClick(int32_t, const RECT& plotRect, UINT, const POINT&, const POINT& up)
{
    MGraph1::PointRecord point;
    if (!FindNearestPoint(up.x - plotRect.left, up.y - plotRect.top, MGraph1::PointPickRadius, &point))
        return false;
    const auto index = static_cast<int32_t>(point.index);
    view_.OnPointClicked(firstLoop_ + index);
    if (view_.ShowsAnalysisData())
    {
        USHORT code = 0;
        GetDocumentMessagePrefix(&code);
        const MsgData<SelectLoopPayload> message{static_cast<ULONG>(code) << 16 | AutomationMessage::SelectASistra, 0,
                                                 {LoopNumberArgument, view_.LoopOfPoint(firstLoop_, index)}};
        view_.SendMsg(view_.DocumentObject(), message, 0);
    }
    return true;
}

SharedBasicAnnotation::SharedBasicAnnotation(int32_t seriesNumber, std::shared_ptr<SharedTrackingState> tracking)
    : tracking_(std::move(tracking)), seriesNumber_(seriesNumber)
{
}

SharedBasicAnnotation::~SharedBasicAnnotation() = default;

void SharedBasicAnnotation::OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect)
{
    if (!tracking_ || tracking_->series != seriesNumber_)
        return EraseDrawn(dc, plotRect);
    MGraph1::BasicAnnotation::OnDraw(dc, attributeDc, plotRect, clipRect);
    tracking_->NextPass();
}

AbandonedDrawingAnnotation::AbandonedDrawingAnnotation(SistraDocument* document, SistraGraphViewBase& view)
    : document_(document), view_(view)
{
}

void AbandonedDrawingAnnotation::OnDraw(HDC dc, HDC, RECT plotRect, RECT)
{
    // Only a redraw on screen that was cut short is told: a selected loop alone is no time-out, and
    // output is never cut short.
    if (!view_.TimedOut() || !view_.IsScreenDrawing() || !dc)
        return;
    static const Orv::String text(Orv::ThisModule(), IDS_VIEW_DRAWING_TIMED_OUT, true);
    view_.ClearTimedOut();
    DrawCornerNotice(dc, plotRect, text, false);
}

void DrawCornerNotice(HDC dc, const RECT& rect, const Orv::String& text, bool italic)
{
    // 10 points in the context's logical units.
    SIZE window{1, 1}, viewport{1, 1};
    ::GetWindowExtEx(dc, &window);
    ::GetViewportExtEx(dc, &viewport);
    const int height = MulDiv(MulDiv(NoticePoints, ::GetDeviceCaps(dc, LOGPIXELSY), 72), window.cx,
                              viewport.cx ? viewport.cx : 1);
    HFONT font = nullptr;
    if (!CreateShellDlgFontIndirect(dc, &font, height, 0, 0, italic))
        return;
    const Orv::UniqueGdiObject<HFONT> owned(font);
    const OWL::SelectedObject selected(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.Length()), &extent);
    ::TextOutW(dc, rect.right - extent.cx - NoticeInset, rect.bottom - extent.cy - NoticeInset, text.c_str(),
               static_cast<int>(text.Length()));
}

} // namespace Sistra
