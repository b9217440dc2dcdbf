// A vertical scale: the graticule reads its grid lines and displayed range from it, a channel pane
// writes its units, ranges and data state into it.
#pragma once

#include "hostapi/ScaleControl.h"

#include <string>
#include <utility>
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

    HRESULT STDMETHODCALLTYPE SetUnits(const AxisTransform* transform, const WCHAR* text) override
    {
        unitsSet = true;
        unitsTransformGiven = transform != nullptr;
        units = text ? text : L"";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTransform(AxisTransform* out) override
    {
        *out = transform;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetLimits(double high, double low) override
    {
        limitCalls.push_back({low, high});
        if (refuseLimits)
            return E_FAIL;
        limits[0] = low;
        limits[1] = high;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRect(const RECT* rect) override
    {
        placed = *rect;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetExtent(double high, double low) override
    {
        extentCalls.push_back({low, high});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRange(double high, double low) override
    {
        range[0] = low;
        range[1] = high;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOwner(void* owner) override
    {
        unitsOwner = owner;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AutoScale(LONG) override
    {
        ++autoScales;
        return autoScaleResult;
    }
    HRESULT STDMETHODCALLTYPE SetHasData(VARIANT_BOOL value) override
    {
        hasData = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCanAutoScale(VARIANT_BOOL value) override
    {
        canAutoScale = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddObserver(IDragScaleObserver* observer) override
    {
        observers.push_back(observer);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RemoveObserver(IDragScaleObserver* observer) override
    {
        std::erase(observers, observer);
        return S_OK;
    }

    std::vector<ScaleTick> ticks;
    double limits[2] = {0.0, 100.0};
    bool failTicks = false;
    // What a channel pane wrote: (low, high) pairs in call order.
    std::vector<std::pair<double, double>> limitCalls;
    std::vector<std::pair<double, double>> extentCalls;
    bool refuseLimits = false;
    AxisTransform transform;
    bool unitsSet = false;
    bool unitsTransformGiven = false;
    std::wstring units;
    double range[2] = {0.0, 0.0};
    RECT placed{};
    void* unitsOwner = nullptr;
    int autoScales = 0;
    HRESULT autoScaleResult = S_OK;
    VARIANT_BOOL hasData = 1;
    VARIANT_BOOL canAutoScale = 1;
    std::vector<IDragScaleObserver*> observers;
    LONG thickness = 0;
    std::vector<LONG> measured; // setting, value, record of the last measurement

    // What neither reads.
    HRESULT STDMETHODCALLTYPE GetUnits(AxisTransform*, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTitle(const WCHAR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBounds(double, double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMinSpan(double, double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStyle(ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStyle(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDragCompanion(LONG, IScaleControl**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Measure(LONG setting, LONG value, LONG record, LONG* result) override
    {
        measured = {setting, value, record};
        *result = thickness;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOption(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetScaling(AxisTransform*, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGridSpacing(double*, double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRect(RECT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Paint(HDC, LONG, LONG) override { return E_NOTIMPL; }
};

} // namespace TraceTest
