#include "tracedisplay/drawers/EventDrawer.h"

#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/GdiObjects.h"

#include "hostapi/TraceDataSource.h"

#include <algorithm>
#include <cmath>

namespace StrixDraw
{

namespace
{
constexpr ULONG EventUpdateFlags = 0x40000000u;
constexpr LONG MarkReach = 10;
constexpr ULONG OpenEventsBit = 0x80000000u;
constexpr ULONG EventKind = 0x40000000u;
constexpr ULONG StretchStartMode = 2;
constexpr ULONG StretchEndMode = 1;
constexpr ULONG ToXFlags = 0x80000000u;
constexpr double OpenEnd = 2147483647.0;
constexpr double ScreenDpi = 96.0;
constexpr double MarkRadiusAtScreen = 3.0;
constexpr double MmPerInch = 25.4;
} // namespace

EventDrawer::EventDrawer(ChannelPair source, ChannelPair display) : DrawerBase(DrawerKind::Event, source, display)
{
}

EventDrawer::EventDrawer(const EventDrawer& other)
    : DrawerBase(other), lastDrawn_(other.lastDrawn_), lastEvent_(other.lastEvent_), reader_(other.reader_),
      typeColours_(other.typeColours_), type_(other.type_)
{
}

HRESULT STDMETHODCALLTYPE EventDrawer::Attach(ULONG reserved, IUnknown* host)
{
    DrawerBase::Attach(reserved, host);
    reader_.Close();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventDrawer::GetUpdateExtent(ULONG, ULONG* updateFlags, LONG* left, LONG* right, void*)
{
    return AnswerUpdateExtent(updateFlags, left, right, EventUpdateFlags, MarkReach, MarkReach);
}

HRESULT STDMETHODCALLTYPE EventDrawer::QuerySource(LONGLONG, IUnknown** object)
{
    if (object)
        *object = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE EventDrawer::SetScaling(ULONG, ULONG, const ScalePair*, IUnknown*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventDrawer::Invalidate(ULONG)
{
    lastDrawn_ = -1.0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventDrawer::OnRecordStart(LONG record, SHORT newRecord)
{
    DrawerBase::OnRecordStart(record, newRecord);
    lastEvent_ = -1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventDrawer::OnNewData(LONGLONG, LONGLONG, LONGLONG* position)
{
    if (!reader_.IsOpen())
        return S_FALSE;
    if (position)
        *position = lastEvent_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventDrawer::OnRecordEnd(LONG record, LONGLONG position)
{
    DrawerBase::OnRecordEnd(record, position);
    reader_.Close();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventDrawer::DropCache(ULONG)
{
    reader_.Close();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventDrawer::Clone(ULONG, IStrixRecordDrawer** clone)
{
    return CloneInto(clone, [this] { return new EventDrawer(*this); });
}

// The stretch as event positions of the drawn record; false when none of it lies in the record.
bool EventDrawer::EventStretch(LONGLONG from, LONGLONG to, LONG record, Stretch& stretch) const
{
    LONGLONG start = 0;
    LONGLONG end = 0;
    LONG startRecord = 0;
    LONG endRecord = 0;
    if (FAILED(Host()->ToEventPosition(StretchStartMode, from, &start, &startRecord)) ||
        FAILED(Host()->ToEventPosition(StretchEndMode, to, &end, &endRecord)))
        return false;
    if (startRecord > record || endRecord < record)
        return false;
    stretch.start = startRecord < record ? 0.0 : static_cast<double>(start);
    stretch.end = endRecord > record ? OpenEnd : static_cast<double>(end);
    return true;
}

void EventDrawer::UpdateTypeColours()
{
    ULONG type = 0;
    Orv::ComPtr<IEventTypeWord> word;
    if (SUCCEEDED(reader_.Enumerator()->QueryInterface(IID_IEventTypeWord, word.PutVoid())) && word)
        word->GetTypeWord(&type);
    if (type == type_)
        return;
    typeColours_.Reset();
    Orv::ComPtr<IUnknown> provider;
    if (type != 0 && SUCCEEDED(Host()->GetEventTypeColours(type, provider.Put())) && provider)
        provider->QueryInterface(IID_IPODEventDrawClass, typeColours_.PutVoid());
    type_ = type;
}

COLORREF EventDrawer::MarkColour(const OrvEventBase& event) const
{
    COLORREF colour = RGB(255, 255, 255);
    if (typeColours_ && FAILED(typeColours_->GetColour(0, &event, &colour)))
        colour = RGB(255, 255, 255);
    return AdjustColour(colour);
}

HRESULT STDMETHODCALLTYPE EventDrawer::Draw(HDC dc, LONGLONG from, LONGLONG to, LONGLONG, LONG record, LONG xOffset,
                                            const RECT*, ULONG drawFlags, ULONG, ULONG)
{
    if (drawFlags & DrawFlag::DropCacheFirst)
        reader_.Close();
    Stretch stretch{};
    if (!Host() || !DataSource() || !EventStretch(from, to, record, stretch))
        return S_OK;
    if (!reader_.IsOpen())
    {
        Orv::ComPtr<IEnumEventEx> events;
        DataSource()->OpenEvents(RequestWord() | OpenEventsBit, sourceChannel, EventKind,
                                 static_cast<LONGLONG>(stretch.start), 0x7FFFFFFF, events.Put());
        if (!events)
            return S_OK;
        reader_.Open(std::move(events));
    }
    UpdateTypeColours();
    DrawEvents(dc, from, to, record, xOffset);
    if (!(drawFlags & DrawFlag::KeepCache))
        reader_.Close();
    return S_OK;
}

void EventDrawer::DrawEvents(HDC dc, LONGLONG from, LONGLONG to, LONG record, LONG xOffset)
{
    const double factor = std::max(1.0, GetDeviceCaps(dc, LOGPIXELSX) / ScreenDpi);
    const int radius = static_cast<int>(factor * MarkRadiusAtScreen);
    // Displays and metafiles (odd technology numbers) take a dotted hairline; paper a dotted pen it can show.
    LOGBRUSH lineBrush{BS_SOLID, LineColour, 0};
    const bool raster = (GetDeviceCaps(dc, TECHNOLOGY) & 1) != 0;
    OWL::TPen linePen(raster ? ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lineBrush, 0, nullptr)
                             : ExtCreatePen(PS_GEOMETRIC | PS_DOT, std::max(1, static_cast<int>(factor)), &lineBrush,
                                            0, nullptr),
                      OWL::AutoDelete);
    OWL::TPen outline(AdjustColour(RGB(0, 0, 0)));
    OWL::SelectedObject outlineSelected(dc, outline.GetHandle());

    const int logPixelsY = GetDeviceCaps(dc, LOGPIXELSY);
    const double markFactor = Environment() && logPixelsY > 0 ? PixelsPerMm() / (logPixelsY / MmPerInch) : 1.0;
    const int diameter = 2 * radius + 1;

    while (const OrvEventBase* event = reader_.Current())
    {
        if (!std::isfinite(event->value))
        {
            reader_.Advance();
            continue;
        }
        double x = 0.0;
        Host()->EventPositionToX(ToXFlags, record, event->tick + static_cast<double>(event->fraction), &x);
        lastDrawn_ = x;
        if (record == liveRecord)
            lastEvent_ = static_cast<LONGLONG>(x + 1.0);
        if (x < static_cast<double>(from))
        {
            reader_.Advance();
            continue;
        }
        // Left current, so that a draw that goes on later still finds it.
        if (x >= static_cast<double>(to))
            break;
        const int column = static_cast<int>(std::floor(x + 0.5) - static_cast<double>(from)) + xOffset;
        {
            OWL::SelectedObject lineSelected(dc, linePen.GetHandle());
            MoveToEx(dc, column, bounds.top, nullptr);
            LineTo(dc, column, bounds.bottom);
        }
        OWL::TRect box(column - radius, bounds.top, column + radius + 1, bounds.top + diameter);
        if (std::isfinite(markFactor) && markFactor > 1.0)
        {
            const int width = static_cast<int>(diameter * markFactor + 0.5);
            const int height = static_cast<int>(box.Height() * markFactor + 0.5);
            const int centreX = (box.left + box.right) / 2;
            const int centreY = (box.top + box.bottom) / 2;
            box = OWL::TRect(centreX - width / 2, centreY - height / 2, centreX - width / 2 + width,
                             centreY - height / 2 + height);
        }
        OWL::TBrush fill(MarkColour(*event));
        OWL::SelectedObject fillSelected(dc, fill.GetHandle());
        Ellipse(dc, box.left, box.top, box.right, box.bottom);
        reader_.Advance();
    }
}

} // namespace StrixDraw
