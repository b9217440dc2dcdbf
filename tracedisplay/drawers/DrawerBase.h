// The base of every record drawer: reference counting, the common state a strip sets up (bounds,
// owner, channels, live record) and the default answers of the drawer interface.
#pragma once

#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "hostapi/TraceDataSource.h"
#include "tracedisplay/drawers/DrawerInterfaces.h"

#include "platform/owl/Geometry.h"

namespace StrixDraw
{

// The copyable state of a drawer; a clone starts from a copy of it, detached.
struct DrawerBaseInit
{
    static constexpr ULONG InitialFlags = 0x2000;

    DrawerBaseInit(ULONG kind, ChannelPair source, ChannelPair display)
        : kind(kind), sourceChannel(source.channel), sourceSubIndex(source.subIndex),
          displayChannel(display.channel), displaySubIndex(display.subIndex)
    {
    }

    OWL::TRect bounds;
    ULONG kind;
    ULONG flags = InitialFlags;
    ULONG stripWord = 0;
    LONG ownerWord = -2;
    LONG sourceChannel;
    ULONG sourceSubIndex;
    LONG displayChannel;
    ULONG displaySubIndex;
    LONG liveRecord = -1;
    void* owner = nullptr;
    LONG samplingRecord = -1;
    bool samplingNewRecord = false;
    bool live = false;
};

class DrawerBase : public IStrixRecordDrawer, protected DrawerBaseInit, private Orv::CComObjectRoot
{
public:
    DrawerBase(ULONG kind, ChannelPair source, ChannelPair display = {UnsetDisplayChannel, UnsetDisplaySubIndex});
    DrawerBase(const DrawerBase& other);
    DrawerBase& operator=(const DrawerBase&) = delete;
    virtual ~DrawerBase();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IStrixRecordDrawer: the defaults
    HRESULT STDMETHODCALLTYPE Attach(ULONG reserved, IUnknown* host) override;
    HRESULT STDMETHODCALLTYPE SetBounds(ULONG strip, const RECT* bounds) override;
    HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) override;
    HRESULT STDMETHODCALLTYPE GetSource(ChannelPair* source) override;
    HRESULT STDMETHODCALLTYPE GetValueAt(ULONG scaleId, LONGLONG position, double* value, SHORT* valid) override;
    HRESULT STDMETHODCALLTYPE QuerySource(LONGLONG position, IUnknown** object) override;
    HRESULT STDMETHODCALLTYPE Invalidate(ULONG reason) override;
    HRESULT STDMETHODCALLTYPE PrepareRecord(ULONG argument) override;
    HRESULT STDMETHODCALLTYPE OnRecordStart(LONG record, SHORT newRecord) override;
    HRESULT STDMETHODCALLTYPE OnNewData(LONGLONG from, LONGLONG to, LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE OnRecordEnd(LONG record, LONGLONG position) override;
    HRESULT STDMETHODCALLTYPE SetSelected(SHORT selected) override;
    HRESULT STDMETHODCALLTYPE Notify(ULONG a, ULONG b) override;
    HRESULT STDMETHODCALLTYPE GetDataRange(ULONG requestBits, ULONG scaleId, LONGLONG from, LONGLONG to, double* low,
                                           double* high, ULONG last) override;
    HRESULT STDMETHODCALLTYPE GetScaleId(ULONG* scaleId) override;
    HRESULT STDMETHODCALLTYPE DropCache(ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE GetDisplaySource(ChannelPair* source) override;
    HRESULT STDMETHODCALLTYPE SetOwnerWord(ULONG reserved, LONG word) override;
    HRESULT STDMETHODCALLTYPE ApplyChannelSettings(IUnknown* settings, IUnknown* preferences, LONG channel) override;
    HRESULT STDMETHODCALLTYPE GetValueAtEx(ULONG scaleId, LONGLONG position, double* value, SHORT* valid, BSTR* units,
                                           double* information, LONGLONG* samplePosition) override;
    HRESULT STDMETHODCALLTYPE SetEnvironment(IDrawerDataPane* environment) override;
    HRESULT STDMETHODCALLTYPE Command(ULONG a, ULONG b, ULONG c, ULONG d, ULONG e) override;
    HRESULT STDMETHODCALLTYPE OnChannelEvent(ULONG argument) override;
    HRESULT STDMETHODCALLTYPE SetOwner(void* owner) override;
    LevelSettings* STDMETHODCALLTYPE GetLevelSettings() override;

protected:
    // The word that asks the data source for this drawer's channel: the flags without their low byte,
    // the sub-index in it; a drawer with an owner clears bits 12 and 13.
    ULONG RequestWord() const;

    IDrawerHost* Host() const { return host_.Get(); }
    IRecordDataSource* DataSource() const { return dataSource_.Get(); }
    IDrawerDataPane* Environment() const { return environment_; }

    // GetUpdateExtent's answer of a drawer kind.
    static HRESULT AnswerUpdateExtent(ULONG* flags, LONG* left, LONG* right, ULONG updateFlags, LONG leftExtent,
                                      LONG rightExtent);

    // The environment's answers, with the screen's defaults when there is none.
    bool IsPrinting() const;
    COLORREF BackgroundColour() const;
    COLORREF AdjustColour(COLORREF colour) const;
    double PixelsPerMm() const;
    double DeviceFactorX() const;

    // The host's face of an IID, or none.
    template <class I>
    Orv::ComPtr<I> QueryHost(REFIID iid) const
    {
        return host_ ? host_.As<I>(iid) : Orv::ComPtr<I>();
    }

private:
    Orv::ComPtr<IDrawerHost> host_;
    Orv::ComPtr<IRecordDataSource> dataSource_;
    IDrawerDataPane* environment_ = nullptr;
};

// Makes a clone and returns it through out with one reference; E_INVALIDARG without an out-pointer.
template <class Make>
HRESULT CloneInto(IStrixRecordDrawer** out, Make&& make)
{
    if (!out)
        return E_INVALIDARG;
    IStrixRecordDrawer* clone = make();
    clone->AddRef();
    *out = clone;
    return S_OK;
}

} // namespace StrixDraw
