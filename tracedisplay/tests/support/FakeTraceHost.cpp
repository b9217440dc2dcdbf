#include "FakeTraceHost.h"

#include "tracedisplay/panes/ChannelPane.h"
#include "tracedisplay/support/DrawingUtilities.h"

#include <algorithm>
#include <cstring>

namespace TraceTest
{

FakePointRun::FakePointRun(std::function<double(LONGLONG)> value, LONGLONG start, double scale, double offset)
    : value_(std::move(value)), start_(start), scale_(scale), offset_(offset)
{
}

HRESULT STDMETHODCALLTYPE FakePointRun::QueryInterface(REFIID, void** out)
{
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FakePointRun::AddRef()
{
    return ++references_;
}

ULONG STDMETHODCALLTYPE FakePointRun::Release()
{
    const LONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE FakePointRun::GetSampleCount(LONGLONG* count)
{
    *count = count_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePointRun::GetPosition(LONGLONG* position)
{
    *position = start_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePointRun::Fetch(LONGLONG start, LONGLONG remaining, LONG capacity, POINT* points,
                                              LONG* count, LONGLONG* consumed)
{
    fetchStarts.push_back(start);
    const LONGLONG positions = std::min<LONGLONG>(remaining, std::min(capacity, pointLimit) / 2);
    const auto row = [&](LONGLONG p) { return static_cast<LONG>((value_(p) + offset_) * scale_); };
    for (LONGLONG i = 0; i < positions; ++i)
    {
        points[2 * i] = {static_cast<LONG>(i), row(start + i)};
        points[2 * i + 1] = {static_cast<LONG>(i + 1), row(start + i + 1)};
    }
    *count = static_cast<LONG>(2 * positions);
    *consumed = positions;
    count_ = std::max(count_, start + positions - start_);
    return S_OK;
}

int FakeEvents::alive = 0;

FakeEvents::FakeEvents(std::vector<OrvEventBase> events, ULONG type) : events_(std::move(events)), type_(type)
{
    ++alive;
}

FakeEvents::~FakeEvents()
{
    --alive;
}

HRESULT STDMETHODCALLTYPE FakeEvents::QueryInterface(REFIID iid, void** out)
{
    *out = nullptr;
    if (iid == IID_IEventTypeWord)
        *out = static_cast<IEventTypeWord*>(this);
    else if (iid == IID_IUnknown)
        *out = static_cast<IEnumEventEx*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE FakeEvents::AddRef()
{
    return ++references_;
}

ULONG STDMETHODCALLTYPE FakeEvents::Release()
{
    const LONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE FakeEvents::Next(int32_t byteCount, int32_t, void* records, int32_t* count,
                                           int32_t* nextPosition)
{
    const size_t room = static_cast<size_t>(byteCount) / sizeof(OrvEventBase);
    const size_t n = std::min(room, events_.size() - next_);
    std::memcpy(records, events_.data() + next_, n * sizeof(OrvEventBase));
    next_ += n;
    *count = static_cast<int32_t>(n);
    *nextPosition = next_ < events_.size() ? events_[next_].tick : CalcNoMoreEventsTick;
    return n == 0 ? S_FALSE : S_OK;
}

HRESULT STDMETHODCALLTYPE FakeEvents::GetPosition(int32_t* tick)
{
    *tick = next_ < events_.size() ? events_[next_].tick : CalcNoMoreEventsTick;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeEvents::Clone(IEnumEventEx** clone)
{
    auto* copy = new FakeEvents(events_, type_);
    copy->next_ = next_;
    copy->AddRef();
    *clone = copy;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeEvents::GetRecordSize(int32_t* bytes)
{
    *bytes = sizeof(OrvEventBase);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeEvents::GetTypeWord(ULONG* type)
{
    *type = type_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDataSource::GetLiveRecord(ULONG, LONG* record)
{
    *record = liveRecord;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDataSource::GetRange(ULONG request, LONG, LONGLONG from, LONGLONG to, double* low,
                                                   double* high, ULONG, ULONG, ULONG, ULONG)
{
    requests.push_back(request);
    *low = *high = value(from);
    for (LONGLONG p = from; p < to; ++p)
    {
        *low = std::min(*low, value(p));
        *high = std::max(*high, value(p));
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDataSource::IsValid(ULONG, LONGLONG, LONG, SHORT* valid)
{
    *valid = shown;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDataSource::GetValue(ULONG request, LONGLONG position, LONG, double* out)
{
    requests.push_back(request);
    *out = value(position);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDataSource::GetSampleInfo(ULONG, LONGLONG, LONG, ISampleInformation** info)
{
    ++sampleInfoCalls;
    *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeDataSource::OpenEvents(ULONG request, LONG, ULONG, LONGLONG start, LONG,
                                                     IEnumEventEx** out)
{
    requests.push_back(request);
    ++eventOpens;
    std::vector<OrvEventBase> from;
    for (const OrvEventBase& e : events)
        if (e.tick >= start)
            from.push_back(e);
    auto* enumerator = new FakeEvents(std::move(from), eventType);
    enumerator->AddRef();
    *out = enumerator;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDataSource::OpenPointRun(ULONG request, LONG, const double*, LONGLONG start, LONG,
                                                       LONG, LONG, const double* transform, ULONG, IPointRun** run)
{
    requests.push_back(request);
    lastRun = new FakePointRun(value, start, transform[0], transform[1]);
    lastRun->pointLimit = runPointLimit;
    lastRun->AddRef();
    *run = lastRun;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeTypeColours::GetColour(ULONG, const void*, COLORREF* out)
{
    *out = colour;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDrawerHost::SetLayoutHint(ULONG hint, LONG value)
{
    hints.emplace_back(hint, value);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDrawerHost::GetLiveStart(ULONG, LONGLONG* position)
{
    *position = liveStart;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDrawerHost::GetDataSource(IUnknown** out)
{
    *out = &source;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDrawerHost::ToEventPosition(ULONG, LONGLONG position, LONGLONG* eventPosition,
                                                          LONG* record)
{
    *eventPosition = position;
    *record = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDrawerHost::EventPositionToX(ULONG, LONG, double position, double* x)
{
    *x = position;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDrawerHost::GetHorizontalScale(double* scale)
{
    scale[0] = 1.0;
    scale[1] = 0.0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDrawerHost::GetEventTypeColours(ULONG, IUnknown** provider)
{
    *provider = &typeColours;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePane::GetOwnerValue(ULONG, ULONG_PTR* value)
{
    if (value)
        *value = printing ? 1 : 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePane::GetPixelsPerMmX(ULONG, ULONG, double* pixels)
{
    *pixels = ScreenPixelsPerMm * deviceFactor;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePane::GetPixelsPerMmY(ULONG a, ULONG b, double* pixels)
{
    return GetPixelsPerMmX(a, b, pixels);
}

HRESULT STDMETHODCALLTYPE FakePane::GetDrawScale(ULONG, double* x, double* y)
{
    *x = *y = deviceFactor;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePane::GetBackgroundColour(COLORREF* colour)
{
    *colour = background;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePane::AdjustColour(COLORREF colour, COLORREF* adjusted)
{
    *adjusted = StrixDraw::ContrastColour(colour, background);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePane::GetScaleInfo(LONG, ULONG, LONG, double* numerator, double* denominator,
                                                 double* offset)
{
    *numerator = *denominator = 1.0;
    *offset = 0.0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePane::GetUnitsSource(LONG, void** owner)
{
    *owner = strip;
    return strip ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE FakePane::GetStateWords(ULONG* second, ULONG* flags)
{
    *second = *flags = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePane::IsPrinting(VARIANT_BOOL* flag)
{
    if (flag)
        *flag = printing ? VARIANT_TRUE : VARIANT_FALSE;
    return printing ? S_OK : S_FALSE;
}

void FakePane::NotifyPaneObservers(ULONG eventId, void* data)
{
    Notice notice{eventId, {0, 0}};
    if (eventId == StrixDraw::ChannelUnitsUpdatedMsg::Id() || eventId == StrixDraw::ChannelUnitsUpdatedAgainMsg::Id())
    {
        const auto* update = static_cast<const StrixDraw::ChannelUnitsUpdate*>(data);
        notice.hasData[0] = update->hasData[0];
        notice.hasData[1] = update->hasData[1];
    }
    notices.push_back(notice);
}

HRESULT STDMETHODCALLTYPE FakePane::GetTimeGrid(TimeGrid* out)
{
    *out = grid;
    return S_OK;
}

} // namespace TraceTest
