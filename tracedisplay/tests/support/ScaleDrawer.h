// A drawer that reports fixed units, data and range for one scale id, and takes scalings.
#pragma once

#include "tracedisplay/drawers/DrawerBase.h"

#include <functional>

namespace TraceTest
{

class ScaleDrawer final : public StrixDraw::DrawerBase
{
public:
    ScaleDrawer(ULONG scaleId, const wchar_t* units, bool valid, double low, double high)
        : DrawerBase(DrawerKind::Trace, {1, 0}), scaleId_(scaleId), units_(units), valid_(valid), low_(low), high_(high)
    {
    }
    HRESULT STDMETHODCALLTYPE GetValueAt(ULONG scaleId, LONGLONG, double*, SHORT* valid) override
    {
        *valid = valid_;
        return scaleId == scaleId_ ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetValueAtEx(ULONG scaleId, LONGLONG, double*, SHORT* valid, BSTR* units,
                                           double* range, LONGLONG*) override
    {
        if (scaleId != scaleId_)
            return S_FALSE;
        *valid = valid_;
        *units = SysAllocString(units_);
        range[0] = low_;
        range[1] = high_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataRange(ULONG, ULONG scaleId, LONGLONG, LONGLONG, double* low, double* high,
                                           ULONG) override
    {
        if (scaleId != scaleId_)
            return S_FALSE;
        *low = low_;
        *high = high_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetScaling(ULONG scaleId, ULONG, const ScalePair* pair, IUnknown* scale) override
    {
        if (scaleId != scaleId_)
            return S_FALSE;
        scaling = *pair;
        scaleObject = scale;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUpdateExtent(ULONG, ULONG*, LONG*, LONG*, void*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Draw(HDC, LONGLONG, LONGLONG, LONGLONG, LONG, LONG, const RECT*, ULONG, ULONG,
                                   ULONG) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(ULONG, IStrixRecordDrawer**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetScaleId(ULONG* scaleId) override
    {
        *scaleId = scaleId_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Attach(ULONG reserved, IUnknown* host) override
    {
        if (attached)
            attached();
        return DrawerBase::Attach(reserved, host);
    }

    ScalePair scaling;
    IUnknown* scaleObject = nullptr; // what the last scaling handed over, as the grid would lay out on it
    // Called as the drawer is attached to its data.
    std::function<void()> attached;

private:
    ULONG scaleId_;
    const wchar_t* units_;
    bool valid_;
    double low_, high_;
};

} // namespace TraceTest
