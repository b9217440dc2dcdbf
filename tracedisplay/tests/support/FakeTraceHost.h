// Stand-ins for what the drawers and strips reach outside themselves: the drawer host, a record data
// source over a function of the position, its point runs and event streams, and the data pane's
// services.
#pragma once

#include "hostapi/CalcEventRecords.h"
#include "hostapi/TraceDataSource.h"
#include "hostapi/VyrEventDraw.h"
#include "tracedisplay/drawers/DrawerInterfaces.h"
#include "tracedisplay/panes/ChannelPaneOwner.h"

#include <functional>
#include <vector>

namespace TraceTest
{

// IUnknown for the stand-ins: they live on the test's stack and count nothing.
template <class I>
class Uncounted : public I
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || Answers(iid))
        {
            *out = static_cast<I*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

protected:
    virtual bool Answers(REFIID iid) const = 0;
};

// Pairs of points, one segment from each position to the next; positions per fetch at most capacity / 2.
class FakePointRun final : public IPointRun
{
public:
    FakePointRun(std::function<double(LONGLONG)> value, LONGLONG start, double scale, double offset);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetSampleCount(LONGLONG* count) override;
    HRESULT STDMETHODCALLTYPE GetPosition(LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE Fetch(LONGLONG start, LONGLONG remaining, LONG capacity, POINT* points, LONG* count,
                                    LONGLONG* consumed) override;

    std::vector<LONGLONG> fetchStarts;
    // Points a fetch hands out at most (the rest of the capacity stays unused).
    LONG pointLimit = 1 << 30;

private:
    LONG references_ = 0;
    std::function<double(LONGLONG)> value_;
    LONGLONG start_;
    LONGLONG count_ = 0;
    double scale_;
    double offset_;
};

class FakeEvents final : public IEnumEventEx, public IEventTypeWord
{
public:
    FakeEvents(std::vector<OrvEventBase> events, ULONG type);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                   int32_t* nextPosition) override;
    HRESULT STDMETHODCALLTYPE Seek(int32_t, int32_t, int32_t, int32_t) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumEventEx** clone) override;
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) override;
    HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEventCount(int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeWord(ULONG* type) override;

    static int alive;

private:
    ~FakeEvents();
    LONG references_ = 0;
    std::vector<OrvEventBase> events_;
    size_t next_ = 0;
    ULONG type_;
};

class FakeDataSource : public Uncounted<IRecordDataSource>
{
public:
    HRESULT STDMETHODCALLTYPE GetLiveRecord(ULONG, LONG* record) override;
    HRESULT STDMETHODCALLTYPE GetRange(ULONG request, LONG channel, LONGLONG from, LONGLONG to, double* low,
                                       double* high, ULONG, ULONG, ULONG, ULONG) override;
    HRESULT STDMETHODCALLTYPE IsValid(ULONG request, LONGLONG position, LONG channel, SHORT* valid) override;
    HRESULT STDMETHODCALLTYPE GetValue(ULONG request, LONGLONG position, LONG channel, double* value) override;
    HRESULT STDMETHODCALLTYPE GetSampleInfo(ULONG, LONGLONG, LONG, ISampleInformation** info) override;
    HRESULT STDMETHODCALLTYPE OpenEvents(ULONG request, LONG channel, ULONG kind, LONGLONG start, LONG limit,
                                         IEnumEventEx** events) override;
    HRESULT STDMETHODCALLTYPE OpenPointRun(ULONG request, LONG channel, const double* horizontalScale, LONGLONG start,
                                           LONG record, LONG, LONG, const double* valueTransform, ULONG style,
                                           IPointRun** run) override;

    std::function<double(LONGLONG)> value = [](LONGLONG) { return 0.0; };
    std::vector<OrvEventBase> events;
    ULONG eventType = 0;
    LONG liveRecord = -1;
    SHORT shown = 1;
    LONG runPointLimit = 1 << 30;
    std::vector<ULONG> requests;
    int sampleInfoCalls = 0;
    int eventOpens = 0;
    FakePointRun* lastRun = nullptr;

protected:
    bool Answers(REFIID iid) const override { return iid == IID_IRecordDataSource; }
};

class FakeTypeColours : public Uncounted<IPODEventDrawClass>
{
public:
    HRESULT STDMETHODCALLTYPE GetColour(ULONG, const void*, COLORREF* colour) override;
    HRESULT STDMETHODCALLTYPE GetTooltipText(ULONG, IUnknown*, LONG, const void*, ULONG_PTR, ULONG_PTR,
                                             IAutoOrvString**) override
    {
        return E_NOTIMPL;
    }
    COLORREF colour = RGB(255, 0, 0);

protected:
    bool Answers(REFIID iid) const override { return iid == IID_IPODEventDrawClass; }
};

// Strip positions are event positions of record 0 and x positions alike.
class FakeDrawerHost : public Uncounted<IDrawerHost>
{
public:
    HRESULT STDMETHODCALLTYPE SetLayoutHint(ULONG hint, LONG value) override;
    HRESULT STDMETHODCALLTYPE GetLiveStart(ULONG, LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE GetDataSource(IUnknown** source) override;
    HRESULT STDMETHODCALLTYPE ToEventPosition(ULONG, LONGLONG position, LONGLONG* eventPosition,
                                              LONG* record) override;
    HRESULT STDMETHODCALLTYPE EventPositionToX(ULONG, LONG, double position, double* x) override;
    HRESULT STDMETHODCALLTYPE GetHorizontalScale(double* scale) override;
    HRESULT STDMETHODCALLTYPE GetEventTypeColours(ULONG type, IUnknown** provider) override;

    FakeDataSource source;
    FakeTypeColours typeColours;
    LONGLONG liveStart = 0;
    std::vector<std::pair<ULONG, LONG>> hints;

protected:
    bool Answers(REFIID iid) const override { return iid == IID_IDrawerHost; }
};

// The data pane's services to drawers and strips, with the screen's answers.
class FakePane : public Uncounted<IDrawerDataPane>, public StrixDraw::ChannelPaneOwner
{
public:
    HRESULT STDMETHODCALLTYPE GetOwnerValue(ULONG, ULONG_PTR* value) override;
    HRESULT STDMETHODCALLTYPE GetPixelsPerMmX(ULONG, ULONG, double* pixels) override;
    HRESULT STDMETHODCALLTYPE GetPixelsPerMmY(ULONG, ULONG, double* pixels) override;
    HRESULT STDMETHODCALLTYPE GetDrawScale(ULONG, double* x, double* y) override;
    HRESULT STDMETHODCALLTYPE IsDrawingOnly(ULONG, VARIANT_BOOL*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetLayerInfo(ULONG, LONG, ULONG, ULONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetLayerAlpha(ULONG, LONG, ULONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDrawArea(LONG, RECT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InvalidateArea(LONG, const RECT*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsFollowing() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsFollowingAndLive() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBackgroundColour(COLORREF* colour) override;
    HRESULT STDMETHODCALLTYPE AdjustColour(COLORREF colour, COLORREF* adjusted) override;
    HRESULT STDMETHODCALLTYPE GetUnitsOrigin(LONG, ULONG, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAxisScale(LONG, LONG, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetScaleInfo(LONG, ULONG, LONG, double* numerator, double* denominator,
                                           double* offset) override;
    HRESULT STDMETHODCALLTYPE GetUnitsSource(LONG pane, void** owner) override;
    HRESULT STDMETHODCALLTYPE GetStateWords(ULONG* second, ULONG* flags) override;
    HRESULT STDMETHODCALLTYPE IsPrinting(VARIANT_BOOL* printing) override;
    HRESULT STDMETHODCALLTYPE GetTimeGrid(TimeGrid* grid) override;
    HRESULT STDMETHODCALLTYPE MarksRecordStarts(LONG) override { return S_FALSE; }

    // ChildPaneOwner
    IDrawerDataPane* DrawerServices() override { return this; }
    IUnknown* DrawerHostObject() override { return &host; }
    bool CachesLayers() const override { return caches; }
    bool RepaintsOnChange() const override { return false; }
    void InvalidateRect(const OWL::TRect& rect, bool) override { invalidated.push_back(rect); }
    void ClearPendingUpdate() override {}
    bool IsFollowingLatest() const override { return following; }
    bool InSweepMode() const override { return false; }
    LONGLONG LivePosition() const override { return 0; }
    LONG PositionToX(LONGLONG position) const override { return static_cast<LONG>(position); }
    void ScrollContents(int dx) override { scrolled += dx; }
    bool IsDrawingOnly() const override { return (stateFlags & StrixDraw::PaneState::DrawingOnly) != 0; }
    double PixelScale() const override { return 1.0; }
    int Margin() const override { return 0; }
    int Gap() const override { return 0; }
    HPEN CursorPen() const override { return static_cast<HPEN>(GetStockObject(BLACK_PEN)); }
    StrixDraw::TimeAxis GetTimeAxis() const override { return timeAxis; }
    HDC DrawingDC() const override { return nullptr; }

    // ChannelPaneOwner
    ULONG StateFlags() const override { return stateFlags; }
    void LockPane() override { ++lockDepth; }
    void UnlockPane() override { --lockDepth; }
    HRESULT VisibleRecordSpan(LONGLONG& first, LONGLONG& last) override
    {
        first = visible[0];
        last = visible[1];
        return visibleResult;
    }
    void SetScaleDragging(bool dragging) override { this->dragging = dragging; }
    void ScaleDragFinished(LONG, LONG axis, double low, double high) override { dragsFinished.push_back({axis, low, high}); }
    Orv::ComPtr<IUnknown> ChannelRecordObject(LONG, LONG) override { return {}; }
    void NotifyPaneObservers(ULONG eventId, void* data) override;
    IScaleControlFactory* ScaleFactory() override { return scaleFactory; }
    void ChannelsRescaled() override { ++rescaled; }
    Orv::ComPtr<IUnknown> HostDocument() const override { return Orv::ComPtr<IUnknown>(document); }
    Orv::ComPtr<IVyrViewSite> HostViewSite() const override { return Orv::ComPtr<IVyrViewSite>(site); }
    Orv::ComPtr<IUnknown> ChannelInformationHost() const override
    {
        return Orv::ComPtr<IUnknown>(channelNames);
    }
    LONG CurrentRecord() const override { return record; }

    FakeDrawerHost host;
    COLORREF background = RGB(255, 255, 255);
    bool printing = false;
    double deviceFactor = 1.0;
    bool caches = true;
    bool following = false;
    TimeGrid grid{0.0, 0.0, 10.0, 5};
    void* strip = nullptr;
    std::vector<OWL::TRect> invalidated;
    StrixDraw::TimeAxis timeAxis;
    int scrolled = 0;
    ULONG stateFlags = 0;
    int lockDepth = 0;
    LONGLONG visible[2] = {0, 100};
    HRESULT visibleResult = S_OK;
    bool dragging = false;
    struct DragEnd
    {
        LONG axis;
        double low, high;
    };
    std::vector<DragEnd> dragsFinished;
    // What the observers were told: the event and, for a units update, its data state.
    struct Notice
    {
        ULONG id;
        BYTE hasData[2];
    };
    std::vector<Notice> notices;
    IScaleControlFactory* scaleFactory = nullptr;
    int rescaled = 0;
    IUnknown* document = nullptr;
    IVyrViewSite* site = nullptr;
    IUnknown* channelNames = nullptr;
    LONG record = 0;

protected:
    bool Answers(REFIID iid) const override { return iid == IID_IUnknown; }
};

} // namespace TraceTest
