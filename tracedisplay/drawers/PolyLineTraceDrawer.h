// Draws one channel's samples as a trace: the data source reduces a stretch to a run of device points
// (a vertical segment per pixel column where many samples fall into one), the drawer draws them in
// batches with PolyPolyline. While sampling the run stays so that new data only adds its new points.
#pragma once

#include "tracedisplay/drawers/DrawerBase.h"

#include "platform/owl/Color.h"

namespace StrixDraw
{

class PolyLineTraceDrawer : public DrawerBase
{
public:
    static constexpr int PointBatch = 256;

    // Without a colour the source channel's default trace colour.
    PolyLineTraceDrawer(ULONG scaleId, const COLORREF* colour, ChannelPair source,
                        ChannelPair display = {UnsetDisplayChannel, UnsetDisplaySubIndex});
    PolyLineTraceDrawer(const PolyLineTraceDrawer& other);

    HRESULT STDMETHODCALLTYPE Attach(ULONG reserved, IUnknown* host) override;
    HRESULT STDMETHODCALLTYPE GetUpdateExtent(ULONG reserved, ULONG* flags, LONG* left, LONG* right,
                                              void* context) override;
    HRESULT STDMETHODCALLTYPE GetValueAt(ULONG scaleId, LONGLONG position, double* value, SHORT* valid) override;
    HRESULT STDMETHODCALLTYPE GetValueAtEx(ULONG scaleId, LONGLONG position, double* value, SHORT* valid, BSTR* units,
                                           double* information, LONGLONG* samplePosition) override;
    HRESULT STDMETHODCALLTYPE SetScaling(ULONG scaleId, ULONG reserved, const ScalePair* pair,
                                         IUnknown* scale) override;
    HRESULT STDMETHODCALLTYPE Invalidate(ULONG reason) override;
    HRESULT STDMETHODCALLTYPE Draw(HDC dc, LONGLONG from, LONGLONG to, LONGLONG preTrigger, LONG record,
                                   LONG xOffset, const RECT* clip, ULONG drawFlags, ULONG option,
                                   ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE OnNewData(LONGLONG from, LONGLONG to, LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE OnRecordEnd(LONG record, LONGLONG position) override;
    HRESULT STDMETHODCALLTYPE GetDataRange(ULONG requestBits, ULONG scaleId, LONGLONG from, LONGLONG to, double* low,
                                           double* high, ULONG last) override;
    HRESULT STDMETHODCALLTYPE GetScaleId(ULONG* scaleId) override;
    HRESULT STDMETHODCALLTYPE DropCache(ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE ApplyChannelSettings(IUnknown* settings, IUnknown* preferences, LONG channel) override;
    HRESULT STDMETHODCALLTYPE Clone(ULONG flags, IStrixRecordDrawer** clone) override;

    COLORREF Colour() const { return colour_; }
    LONG LineWidth() const { return lineWidth_; }
    // The columns the last draw reached: the samples drawn plus its x offset.
    LONG DrawnCount() const { return drawnCount_; }
    bool HasCachedRun() const { return static_cast<bool>(run_); }

protected:
    // Draws count positions of the run from start on with the first at column xOffset; the positions drawn.
    virtual LONGLONG DrawPoints(HDC dc, LONGLONG start, LONGLONG count, LONG xOffset);

private:
    bool ContinuesCachedRun(LONGLONG& from, LONG& xOffset);
    bool OpenRun(LONGLONG from, LONG record);
    bool ServesScale(ULONG scaleId) const { return sourceChannel >= 0 && scaleId == scaleId_; }
    void ReadLiveStart();

    LONGLONG liveStart_ = 0;
    ScalePair transform_;
    Orv::ComPtr<IPointRun> run_;
    ULONG style_ = 0;
    COLORREF colour_;
    ULONG scaleId_;
    LONG drawnCount_ = 0;
    LONG lineWidth_ = 1;
};

} // namespace StrixDraw
