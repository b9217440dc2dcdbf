#include "tracedisplay/drawers/DrawerBase.h"

namespace StrixDraw
{

DrawerBase::DrawerBase(ULONG kind, ChannelPair source, ChannelPair display) : DrawerBaseInit(kind, source, display)
{
}

// A copy starts detached: it must be attached to a host before it draws.
DrawerBase::DrawerBase(const DrawerBase& other) : IStrixRecordDrawer(), DrawerBaseInit(other), Orv::CComObjectRoot()
{
}

DrawerBase::~DrawerBase()
{
    dataSource_.Reset();
    host_.Reset();
}

HRESULT STDMETHODCALLTYPE DrawerBase::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IStrixRecordDrawer)
        return E_NOINTERFACE;
    *out = static_cast<IStrixRecordDrawer*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE DrawerBase::AddRef()
{
    return InternalAddRef();
}

ULONG STDMETHODCALLTYPE DrawerBase::Release()
{
    return ReleaseWith([this] { delete this; });
}

HRESULT STDMETHODCALLTYPE DrawerBase::Attach(ULONG, IUnknown* host)
{
    host_.Reset();
    if (host)
        host->QueryInterface(IID_IDrawerHost, host_.PutVoid());
    samplingNewRecord = false;
    live = false;
    if (host_)
    {
        dataSource_.Reset();
        Orv::ComPtr<IUnknown> source;
        if (SUCCEEDED(host_->GetDataSource(source.Put())) && source)
            source->QueryInterface(IID_IRecordDataSource, dataSource_.PutVoid());
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::SetBounds(ULONG strip, const RECT* rect)
{
    stripWord = strip;
    if (rect)
        bounds = *rect;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::GetKind(ULONG* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = kind;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::GetSource(ChannelPair* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = {sourceChannel, sourceSubIndex};
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::GetValueAt(ULONG, LONGLONG, double*, SHORT*)
{
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE DrawerBase::QuerySource(LONGLONG position, IUnknown** object)
{
    if (!object)
        return E_INVALIDARG;
    *object = nullptr;
    if (sourceChannel < 0 || !dataSource_)
        return S_FALSE;
    ISampleInformation* info = nullptr;
    const HRESULT hr = dataSource_->GetSampleInfo(RequestWord(), position, sourceChannel, &info);
    *object = info;
    return hr;
}

HRESULT STDMETHODCALLTYPE DrawerBase::Invalidate(ULONG)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::PrepareRecord(ULONG)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::OnRecordStart(LONG record, SHORT newRecord)
{
    samplingRecord = record;
    samplingNewRecord = newRecord != 0;
    live = true;
    if (dataSource_)
        dataSource_->GetLiveRecord(0, &liveRecord);
    return Invalidate(0xFF000000u);
}

HRESULT STDMETHODCALLTYPE DrawerBase::OnNewData(LONGLONG, LONGLONG, LONGLONG*)
{
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE DrawerBase::OnRecordEnd(LONG, LONGLONG)
{
    live = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::SetSelected(SHORT)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::Notify(ULONG, ULONG)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::GetDataRange(ULONG, ULONG, LONGLONG, LONGLONG, double*, double*, ULONG)
{
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE DrawerBase::GetScaleId(ULONG*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DrawerBase::DropCache(ULONG)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DrawerBase::GetDisplaySource(ChannelPair* out)
{
    if (!out)
        return E_INVALIDARG;
    if (displayChannel != UnsetDisplayChannel)
        *out = {displayChannel, displaySubIndex};
    else
        *out = {sourceChannel, sourceSubIndex};
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::SetOwnerWord(ULONG, LONG word)
{
    ownerWord = word;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::ApplyChannelSettings(IUnknown*, IUnknown*, LONG)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::GetValueAtEx(ULONG scaleId, LONGLONG position, double* value, SHORT* valid,
                                                   BSTR*, double*, LONGLONG*)
{
    return GetValueAt(scaleId, position, value, valid);
}

HRESULT STDMETHODCALLTYPE DrawerBase::SetEnvironment(IDrawerDataPane* environment)
{
    environment_ = environment;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DrawerBase::Command(ULONG, ULONG, ULONG, ULONG, ULONG)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DrawerBase::OnChannelEvent(ULONG)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DrawerBase::SetOwner(void* newOwner)
{
    owner = newOwner;
    return S_OK;
}

LevelSettings* STDMETHODCALLTYPE DrawerBase::GetLevelSettings()
{
    return nullptr;
}

HRESULT DrawerBase::AnswerUpdateExtent(ULONG* flags, LONG* left, LONG* right, ULONG updateFlags, LONG leftExtent,
                                       LONG rightExtent)
{
    if (flags)
        *flags = updateFlags;
    if (left)
        *left = leftExtent;
    if (right)
        *right = rightExtent;
    return S_OK;
}

ULONG DrawerBase::RequestWord() const
{
    constexpr ULONG OwnerClearedBits = 0x3000;
    const ULONG word = (flags & ~0xFFu) | (sourceSubIndex & 0xFFu);
    return owner ? word & ~OwnerClearedBits : word;
}

bool DrawerBase::IsPrinting() const
{
    return environment_ && environment_->IsPrinting(nullptr) == S_OK;
}

COLORREF DrawerBase::BackgroundColour() const
{
    COLORREF colour = RGB(255, 255, 255);
    if (environment_)
        environment_->GetBackgroundColour(&colour);
    // Paper is white whatever the screen shows.
    if (IsPrinting() && colour == RGB(0, 0, 0))
        return RGB(255, 255, 255);
    return colour;
}

COLORREF DrawerBase::AdjustColour(COLORREF colour) const
{
    COLORREF adjusted = colour;
    if (environment_ && FAILED(environment_->AdjustColour(colour, &adjusted)))
        return colour;
    return adjusted;
}

double DrawerBase::PixelsPerMm() const
{
    double pixels = ScreenPixelsPerMm;
    if (environment_)
        environment_->GetPixelsPerMmX(0, 0, &pixels);
    return pixels;
}

double DrawerBase::DeviceFactorX() const
{
    double x = 1.0;
    double y = 1.0;
    if (environment_ && FAILED(environment_->GetDrawScale(0, &x, &y)))
        return 1.0;
    return x;
}

} // namespace StrixDraw
