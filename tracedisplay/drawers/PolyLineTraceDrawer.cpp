#include "tracedisplay/drawers/PolyLineTraceDrawer.h"

#include "foundation/system/TracePalette.h"

#include "graph/drawers/DCClipper.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/GdiObjects.h"

#include <array>

namespace StrixDraw
{

namespace
{
constexpr ULONG TraceUpdateFlags = 0x60000000u;
constexpr ULONG RunRequestSet = 0x02000000u;
constexpr ULONG RunRequestCleared = 0x80000000u;
constexpr ULONG RangeRequestBits = 0x82000100u;
constexpr ULONG ValueQuerySet = 0x2000u;
constexpr ULONG ValueQueryCleared = 0x1000u;
constexpr ULONG SettingsStyleQuery = 2;
constexpr ULONG SettingsColourQuery = 0x80000000u;
constexpr ULONG DisplaySubIndexShown = 4;
// A style whose low word is this draws hairlines even on paper.
constexpr ULONG HairlineStyle = 1;
constexpr int GeometricFlatPen = PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_SOLID;
} // namespace

PolyLineTraceDrawer::PolyLineTraceDrawer(ULONG scaleId, const COLORREF* colour, ChannelPair source,
                                         ChannelPair display)
    : DrawerBase(DrawerKind::Trace, source, display),
      colour_(colour ? *colour : DefaultChannelColour(source.channel)), scaleId_(scaleId)
{
}

// The clone starts with the identity transform and no run: it is scaled and attached anew.
PolyLineTraceDrawer::PolyLineTraceDrawer(const PolyLineTraceDrawer& other)
    : DrawerBase(other), style_(other.style_), colour_(other.colour_), scaleId_(other.scaleId_),
      lineWidth_(other.lineWidth_)
{
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::Attach(ULONG reserved, IUnknown* host)
{
    DrawerBase::Attach(reserved, host);
    run_.Reset();
    liveStart_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::GetUpdateExtent(ULONG, ULONG* updateFlags, LONG* left, LONG* right,
                                                              void*)
{
    return AnswerUpdateExtent(updateFlags, left, right, TraceUpdateFlags, 1, 0);
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::GetValueAt(ULONG scaleId, LONGLONG position, double* value,
                                                         SHORT* valid)
{
    if (value)
        *value = 0.0;
    if (!ServesScale(scaleId) || !DataSource())
        return S_FALSE;
    const ULONG request = RequestWord();
    if (valid)
    {
        *valid = 0;
        DataSource()->IsValid(request, position, sourceChannel, valid);
    }
    return DataSource()->GetValue(request, position, sourceChannel, value);
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::GetValueAtEx(ULONG scaleId, LONGLONG position, double* value,
                                                           SHORT* valid, BSTR* units, double* information,
                                                           LONGLONG* samplePosition)
{
    if (value)
        *value = 0.0;
    if (!ServesScale(scaleId) || !DataSource())
        return S_FALSE;
    const ULONG query = (RequestWord() & ~ValueQueryCleared) | ValueQuerySet;
    if (valid)
    {
        *valid = 0;
        DataSource()->IsValid(query, position, sourceChannel, valid);
    }
    if (units || information)
    {
        Orv::ComPtr<ISampleInformation> info;
        if (SUCCEEDED(DataSource()->GetSampleInfo(query, position, sourceChannel, info.Put())) && info)
        {
            if (units && owner)
                info->GetUnits(query, units);
            if (samplePosition)
                info->GetPosition(samplePosition);
            if (information)
                info->GetRange(owner ? RequestWord() : query, &information[0], &information[1]);
        }
    }
    return DataSource()->GetValue(query, position, sourceChannel, value);
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::SetScaling(ULONG scaleId, ULONG, const ScalePair* pair, IUnknown*)
{
    if (scaleId != scaleId_)
        return S_FALSE;
    if (pair)
        transform_ = *pair;
    run_.Reset();
    return S_OK;
}

void PolyLineTraceDrawer::ReadLiveStart()
{
    if (live && Host())
        Host()->GetLiveStart(0, &liveStart_);
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::Invalidate(ULONG)
{
    ReadLiveStart();
    run_.Reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::OnNewData(LONGLONG, LONGLONG, LONGLONG* position)
{
    LONGLONG count = 0;
    if (run_)
        run_->GetSampleCount(&count);
    if (position)
        *position = liveStart_ + count;
    return run_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::OnRecordEnd(LONG record, LONGLONG position)
{
    DrawerBase::OnRecordEnd(record, position);
    run_.Reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::GetDataRange(ULONG requestBits, ULONG scaleId, LONGLONG from,
                                                           LONGLONG to, double* low, double* high, ULONG last)
{
    if (scaleId != scaleId_ || !DataSource())
        return S_FALSE;
    const ULONG request = (RequestWord() | requestBits | RangeRequestBits);
    return DataSource()->GetRange(request, sourceChannel, from, to, low, high, 0, 0, 0, last);
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::GetScaleId(ULONG* scaleId)
{
    if (!scaleId)
        return E_INVALIDARG;
    *scaleId = scaleId_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::DropCache(ULONG)
{
    run_.Reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::ApplyChannelSettings(IUnknown* settings, IUnknown*, LONG channel)
{
    const bool showsDisplay = displaySubIndex == DisplaySubIndexShown && displayChannel != UnsetDisplayChannel;
    const LONG shown = showsDisplay ? displayChannel : sourceChannel;
    if (!settings || (channel != -1 && channel != shown))
        return S_OK;
    Orv::ComPtr<IChannelDrawSettings> draw;
    if (FAILED(settings->QueryInterface(IID_IChannelDrawSettings, draw.PutVoid())) || !draw)
        return S_OK;
    draw->GetStyle(SettingsStyleQuery, shown, &style_);
    draw->GetColour(SettingsColourQuery, shown, sourceSubIndex, &colour_);
    draw->GetLineWidth(shown, &lineWidth_);
    run_.Reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::Clone(ULONG, IStrixRecordDrawer** clone)
{
    return CloneInto(clone, [this] { return new PolyLineTraceDrawer(*this); });
}

// A cached run goes on where it ended: only the new positions are drawn. A stretch starting one
// position before the run's end overlaps it by that position.
bool PolyLineTraceDrawer::ContinuesCachedRun(LONGLONG& from, LONG& xOffset)
{
    if (!run_)
        return false;
    LONGLONG count = 0;
    run_->GetSampleCount(&count);
    const LONGLONG gap = from - liveStart_ - count;
    if (gap == -1)
    {
        ++from;
        ++xOffset;
        return true;
    }
    if (gap == 0)
        return true;
    LONGLONG runStart = 0;
    if (SUCCEEDED(run_->GetPosition(&runStart)) && runStart + count == from)
        return true;
    run_.Reset();
    return false;
}

bool PolyLineTraceDrawer::OpenRun(LONGLONG from, LONG record)
{
    if (!Host() || !DataSource())
        return false;
    double horizontal[2] = {1.0, 0.0};
    Host()->GetHorizontalScale(horizontal);
    run_.Reset();
    const ULONG request = (RequestWord() & ~RunRequestCleared) | RunRequestSet;
    const double transform[2] = {transform_.scale, transform_.offset};
    DataSource()->OpenPointRun(request, sourceChannel, horizontal, from, record, -1, 0x7FFFFFFF, transform, style_,
                               run_.Put());
    return static_cast<bool>(run_);
}

HRESULT STDMETHODCALLTYPE PolyLineTraceDrawer::Draw(HDC dc, LONGLONG from, LONGLONG to, LONGLONG preTrigger,
                                                    LONG record, LONG xOffset, const RECT* clip, ULONG drawFlags,
                                                    ULONG, ULONG)
{
    drawnCount_ = 0;
    if (drawFlags & DrawFlag::DropCacheFirst)
        run_.Reset();
    OWL::TDC target(dc);
    MGraph1::DCClipper clipper(&target);
    if (ContinuesCachedRun(from, xOffset))
    {
        drawnCount_ = static_cast<LONG>(DrawPoints(dc, from, to - from, xOffset) + xOffset);
    }
    else
    {
        // A record narrower than the strip starts right of the strip's left edge: the columns before it
        // hold no samples, and a run asked from before the record gave none at all.
        if (from < 0)
        {
            xOffset -= static_cast<LONG>(from);
            from = 0;
        }
        // The trace starts at the trigger: nothing of it spills into the pre-trigger area.
        bool drawable = true;
        if (preTrigger < 0)
        {
            from -= preTrigger;
            xOffset -= static_cast<LONG>(preTrigger);
            drawable = to > from;
            if (drawable && clip)
                clipper.Intersect(OWL::TRect(xOffset, clip->top, clip->right, clip->bottom));
        }
        if (drawable && OpenRun(from, record) && to > from)
            drawnCount_ = static_cast<LONG>(DrawPoints(dc, from, to - from, xOffset) + xOffset);
    }
    if (!(drawFlags & DrawFlag::KeepCache))
        run_.Reset();
    // The caller's own clip comes back, not none at all.
    clipper.Restore();
    return S_OK;
}

LONGLONG PolyLineTraceDrawer::DrawPoints(HDC dc, LONGLONG start, LONGLONG count, LONG xOffset)
{
    const bool printing = IsPrinting();
    const double factor = DeviceFactorX();
    LOGBRUSH brush{BS_SOLID, colour_, 0};
    const int penWidth = printing ? static_cast<int>(lineWidth_ * factor) : 1;
    OWL::TPen pen(printing ? ExtCreatePen(GeometricFlatPen, penWidth, &brush, 0, nullptr)
                           : ExtCreatePen(PS_COSMETIC | PS_SOLID, 1, &brush, 0, nullptr),
                  OWL::AutoDelete);
    OWL::SelectedObject selected(dc, pen.GetHandle());

    static const std::array<DWORD, PointBatch / 2> PairCounts = [] {
        std::array<DWORD, PointBatch / 2> counts{};
        counts.fill(2);
        return counts;
    }();
    std::array<POINT, PointBatch> points{};
    const bool thickenSegments = printing && (style_ & 0xFFFF) != HairlineStyle;
    LONGLONG drawn = 0;
    LONG fetched = 0;
    do
    {
        LONGLONG consumed = 0;
        fetched = 0;
        if (FAILED(run_->Fetch(start + drawn, count - drawn, PointBatch, points.data(), &fetched, &consumed)))
            break;
        if (fetched > 0)
        {
            for (LONG i = 0; i < fetched; ++i)
            {
                points[i].x += xOffset + static_cast<LONG>(drawn);
                points[i].y += bounds.top;
            }
            // A thick pen would leave a one-pixel segment as a dot: lengthen it by the pen's growth.
            if (thickenSegments && fetched > 1)
                for (LONG i = 1; i < fetched; i += 2)
                    if (points[i].x == points[i - 1].x)
                        points[i].y = static_cast<LONG>(points[i].y + (factor - 1.0));
            PolyPolyline(dc, points.data(), PairCounts.data(), static_cast<DWORD>(fetched / 2));
        }
        drawn += consumed;
    } while (fetched == PointBatch && drawn < count);
    return drawn;
}

} // namespace StrixDraw
