// Marks the events of one event channel in a channel strip: a thin vertical line through the strip at
// each event and a round mark at its top in the colour of the event's type. While sampling the
// enumerator stays open so that new events are added without reopening it.
#pragma once

#include "tracedisplay/drawers/DrawerBase.h"
#include "tracedisplay/drawers/EventReader.h"

#include "hostapi/VyrEventDraw.h"

namespace StrixDraw
{

class EventDrawer : public DrawerBase
{
public:
    static constexpr COLORREF LineColour = RGB(192, 192, 192);

    EventDrawer(ChannelPair source, ChannelPair display = {UnsetDisplayChannel, UnsetDisplaySubIndex});
    EventDrawer(const EventDrawer& other);

    HRESULT STDMETHODCALLTYPE Attach(ULONG reserved, IUnknown* host) override;
    HRESULT STDMETHODCALLTYPE GetUpdateExtent(ULONG reserved, ULONG* flags, LONG* left, LONG* right,
                                              void* context) override;
    HRESULT STDMETHODCALLTYPE QuerySource(LONGLONG position, IUnknown** object) override;
    HRESULT STDMETHODCALLTYPE SetScaling(ULONG scaleId, ULONG reserved, const ScalePair* pair,
                                         IUnknown* scale) override;
    HRESULT STDMETHODCALLTYPE Invalidate(ULONG reason) override;
    HRESULT STDMETHODCALLTYPE Draw(HDC dc, LONGLONG from, LONGLONG to, LONGLONG preTrigger, LONG record,
                                   LONG xOffset, const RECT* clip, ULONG drawFlags, ULONG option,
                                   ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE OnRecordStart(LONG record, SHORT newRecord) override;
    HRESULT STDMETHODCALLTYPE OnNewData(LONGLONG from, LONGLONG to, LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE OnRecordEnd(LONG record, LONGLONG position) override;
    HRESULT STDMETHODCALLTYPE DropCache(ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE Clone(ULONG flags, IStrixRecordDrawer** clone) override;

    double LastDrawnPosition() const { return lastDrawn_; }
    bool HasOpenEvents() const { return reader_.IsOpen(); }

private:
    struct Stretch
    {
        double start;
        double end;
    };
    bool EventStretch(LONGLONG from, LONGLONG to, LONG record, Stretch& stretch) const;
    void UpdateTypeColours();
    COLORREF MarkColour(const OrvEventBase& event) const;
    void DrawEvents(HDC dc, LONGLONG from, LONGLONG to, LONG record, LONG xOffset);

    double lastDrawn_ = -1.0;
    LONGLONG lastEvent_ = -1;
    EventReader reader_;
    Orv::ComPtr<IPODEventDrawClass> typeColours_;
    ULONG type_ = 0;
};

} // namespace StrixDraw
