// A vertical scale the graticule reads its grid lines and displayed range from.
#pragma once

#include "host/include/ScaleControl.h"

#include <vector>

namespace TraceTest
{

class FakeScale : public IScaleControl, public IScaleControlView
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IScaleControl)
            *out = static_cast<IScaleControl*>(this);
        else if (iid == IID_IScaleControlView || iid == IID_IUnknown)
            *out = static_cast<IScaleControlView*>(this);
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetLimits(double* high, double* low) override
    {
        *high = limits[1];
        *low = limits[0];
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTickCount(LONG* count) override
    {
        *count = static_cast<LONG>(ticks.size());
        return failTicks ? E_FAIL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE FillTicks(ScaleTick* out, LONG capacity, LONG* written) override
    {
        *written = 0;
        for (const ScaleTick& tick : ticks)
            if (*written < capacity)
                out[(*written)++] = tick;
        return S_OK;
    }

    std::vector<ScaleTick> ticks;
    double limits[2] = {0.0, 100.0};
    bool failTicks = false;

    // What the graticule does not read.
    HRESULT STDMETHODCALLTYPE SetUnits(const AxisTransform*, const WCHAR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUnits(AxisTransform*, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTitle(const WCHAR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRect(const RECT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTransform(AxisTransform*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetLimits(double, double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(double, double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBounds(double, double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMinSpan(double, double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStyle(ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStyle(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDragCompanion(LONG, IScaleControl**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Measure(LONG, LONG, LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOption(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddObserver(IDragScaleObserver*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveObserver(IDragScaleObserver*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetScaling(AxisTransform*, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGridSpacing(double*, double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRect(RECT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Paint(HDC, LONG, LONG) override { return E_NOTIMPL; }
};

} // namespace TraceTest
