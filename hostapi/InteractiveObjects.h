// Objects that whoever owns a trace display's data pane may put on it: they draw over the traces and
// hear of the mouse, timers, notifications, layout changes and live data. The pane only broadcasts.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/BinaryStreams.h"

#include <commctrl.h>
#include <unknwn.h>
#include <windows.h>

struct IInteractiveObject : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE OnAttached(LONG value) = 0;                                       // 3
    // 4: the trace area changed; an object that lays the lanes out itself sets handled.
    virtual HRESULT STDMETHODCALLTYPE OnAreaChanged(const RECT* area, BYTE* handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnLaneRect(LONG lane, const RECT* rect) = 0;                      // 5
    virtual HRESULT STDMETHODCALLTYPE OnLButtonDown(UINT keys, POINT point) = 0;                        // 6
    virtual HRESULT STDMETHODCALLTYPE OnLButtonUp(UINT keys, POINT point) = 0;                          // 7
    virtual HRESULT STDMETHODCALLTYPE OnLButtonDblClk(UINT keys, POINT point, BYTE* handled) = 0;       // 8
    virtual HRESULT STDMETHODCALLTYPE OnMouseMove(UINT keys, POINT point) = 0;                          // 9
    virtual HRESULT STDMETHODCALLTYPE OnRefresh() = 0;                                                  // 10
    // 11: true when the object set the cursor; it sets carryOn when the others may still be asked.
    virtual BOOL STDMETHODCALLTYPE OnSetCursor(HWND window, UINT hitTest, UINT message, BYTE* carryOn) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnLaneAdded(LONG lane) = 0;                                       // 12
    virtual HRESULT STDMETHODCALLTYPE OnLaneRemoved(LONG lane) = 0;                                     // 13
    virtual HRESULT STDMETHODCALLTYPE OnLaneCountChanged(LONG count) = 0;                               // 14
    virtual HRESULT STDMETHODCALLTYPE OnBeginPaint() = 0;                                               // 15
    virtual HRESULT STDMETHODCALLTYPE OnPaint(HDC dc, const RECT* rect) = 0;                            // 16
    virtual HRESULT STDMETHODCALLTYPE OnScrollBarUpdate() = 0;                                          // 17
    virtual HRESULT STDMETHODCALLTYPE OnBeginScroll() = 0;                                              // 18
    virtual HRESULT STDMETHODCALLTYPE OnViewChanged(LONG shift, ULONG flags) = 0;                       // 19
    virtual HRESULT STDMETHODCALLTYPE OnRButtonDown(UINT keys, POINT point) = 0;                        // 20
    virtual HRESULT STDMETHODCALLTYPE OnRButtonUp(UINT keys, POINT point) = 0;                          // 21
    virtual HRESULT STDMETHODCALLTYPE OnTimer(UINT_PTR id) = 0;                                         // 22
    virtual BOOL STDMETHODCALLTYPE OnNotify(UINT id, NMHDR* header) = 0;                                // 23
    virtual HRESULT STDMETHODCALLTYPE OnUpdate(ULONG flags) = 0;                                        // 24
    virtual HRESULT STDMETHODCALLTYPE SetStore(IUnknown* store) = 0;                                    // 25
    virtual HRESULT STDMETHODCALLTYPE OnForward(ULONG a, ULONG b, ULONG c) = 0;                         // 26
    virtual HRESULT STDMETHODCALLTYPE Draw(HDC target, const RECT* area, ULONG flags) = 0;              // 27
    virtual HRESULT STDMETHODCALLTYPE OnSamplingStopped(LONG record) = 0;                               // 28
    virtual HRESULT STDMETHODCALLTYPE OnNewData() = 0;                                                  // 29
    virtual HRESULT STDMETHODCALLTYPE Load(IBinInStream* stream) = 0;                                   // 30
    virtual HRESULT STDMETHODCALLTYPE Save(IBinOutStream* stream) = 0;                                  // 31
    // 32: false to claim a left-button-down (1) or mouse-move (2) event for the object's group.
    virtual BOOL STDMETHODCALLTYPE AcceptsEvent(ULONG kind) = 0;
    virtual ULONG_PTR STDMETHODCALLTYPE GetGroup() = 0;                                                 // 33
    virtual HRESULT STDMETHODCALLTYPE SetMode(ULONG reserved, ULONG mode) = 0;                          // 34
};
// A stand-in id: the pane holds these objects, it never asks for this face.
inline constexpr IID IID_IInteractiveObject = {0x6A2F0E31, 0x5C7B, 0x4D19, {0x8E, 0x40, 0x13, 0xB2, 0x7D, 0x95, 0xA6, 0x08}};

// Answered by objects with an extended face; the pane keeps them apart.
struct IInteractiveObjectExt : IUnknown
{
};
inline constexpr IID IID_IInteractiveObjectExt = {0x81598368, 0xE0C7, 0x4B4F, {0xBF, 0x3F, 0x9E, 0x84, 0x58, 0x0D, 0x34, 0xC0}};

// What a comment or marker drawn over the lanes tells the pane that redraws its area.
// {710456DC-001C-4750-9311-DAFBDCBE4A80}
struct IMarkerArea : IUnknown
{
    // 3: the channel the marker stands on; S_FALSE when it stands on none and spans every lane.
    virtual HRESULT STDMETHODCALLTYPE GetChannel(LONG* channel) = 0;
    // 4: half its width in pixels as last measured; negative until it was.
    virtual HRESULT STDMETHODCALLTYPE GetHalfWidth(LONG* halfWidth) = 0;
    // 5: measures it in dc for the drawing flags and keeps the half width.
    virtual HRESULT STDMETHODCALLTYPE MeasureHalfWidth(HDC dc, ULONG flags, LONG* halfWidth) = 0;
};
inline constexpr IID IID_IMarkerArea = {0x710456DC, 0x001C, 0x4750, {0x93, 0x11, 0xDA, 0xFB, 0xDC, 0xBE, 0x4A, 0x80}};
