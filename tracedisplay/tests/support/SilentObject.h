// An interactive object that takes every event and does nothing with it: a test's object overrides what
// it watches and its IUnknown.
#pragma once

#include "hostapi/InteractiveObjects.h"

namespace TraceTest
{

class SilentObject : public IInteractiveObject
{
public:
    HRESULT STDMETHODCALLTYPE OnAttached(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnAreaChanged(const RECT*, BYTE*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLaneRect(LONG, const RECT*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLButtonDown(UINT, POINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLButtonUp(UINT, POINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLButtonDblClk(UINT, POINT, BYTE*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnMouseMove(UINT, POINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRefresh() override { return S_OK; }
    BOOL STDMETHODCALLTYPE OnSetCursor(HWND, UINT, UINT, BYTE*) override { return FALSE; }
    HRESULT STDMETHODCALLTYPE OnLaneAdded(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLaneRemoved(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLaneCountChanged(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnBeginPaint() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPaint(HDC, const RECT*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScrollBarUpdate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnBeginScroll() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnViewChanged(LONG, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRButtonDown(UINT, POINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRButtonUp(UINT, POINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnTimer(UINT_PTR) override { return S_OK; }
    BOOL STDMETHODCALLTYPE OnNotify(UINT, NMHDR*) override { return FALSE; }
    HRESULT STDMETHODCALLTYPE OnUpdate(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStore(IUnknown*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnForward(ULONG, ULONG, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Draw(HDC, const RECT*, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSamplingStopped(LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnNewData() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Load(IBinInStream*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Save(IBinOutStream*) override { return S_OK; }
    BOOL STDMETHODCALLTYPE AcceptsEvent(ULONG) override { return TRUE; }
    ULONG_PTR STDMETHODCALLTYPE GetGroup() override { return 0; }
    HRESULT STDMETHODCALLTYPE SetMode(ULONG, ULONG) override { return S_OK; }

protected:
    ~SilentObject() = default;
};

} // namespace TraceTest
