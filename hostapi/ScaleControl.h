// The host's axis scale control: the tick strip beside a graph's plot area, which lays out ticks for
// the visible limits, hands the graph its value-to-pixel transform, paints itself and, as a strip
// window, rescales by dragging. The host's object factory hands out the control factory under the host
// type number 9. Limit pairs cross this interface high value first.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include <oaidl.h>
#include <unknwn.h>
#include <windows.h>

inline constexpr IID IID_IScaleControlFactory = {0xEBAD47D2, 0xA398, 0x11D3, {0x80, 0xC0, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
inline constexpr IID IID_IScaleControl = {0xEBAD47D1, 0xA398, 0x11D3, {0x80, 0xC0, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
inline constexpr IID IID_IScaleControlView = {0xCDD20818, 0xF236, 0x4416, {0xA8, 0x8C, 0x36, 0x31, 0xF9, 0x31, 0xA5, 0x39}};
inline constexpr IID IID_IScaleTextSize = {0x7215DC2E, 0xF88B, 0x4BC7, {0x93, 0xB5, 0x5F, 0xB0, 0x10, 0x61, 0xDF, 0xB6}};
// A stand-in id: the strip windows call their observers, nobody queries for it.
inline constexpr IID IID_IDragScaleObserver = {0x3E7C2A90, 0x51B4, 0x4C0D, {0x8F, 0x26, 0x1A, 0x9B, 0x63, 0xD4, 0x07, 0xE5}};

// Host type number of the control factory under the host type GUID.
inline constexpr USHORT ScaleControlFactoryTypeNumber = 9;

// pixel = (value + offset) * scale + origin of the plot rectangle's edge.
struct AxisTransform
{
    double scale = 1.0;
    double offset = 0.0;
};

// Style bits of a control.
namespace ScaleStyle
{
constexpr ULONG Horizontal = 0x01; // ticks along x (else along y, pixels growing downwards)
constexpr ULONG LabelsOutside = 0x02;
constexpr ULONG Vertical = 0x40;   // the drawer's vertical scale: 0x40; its horizontal one: 0x43
constexpr ULONG ExtraOption = 0x200;
constexpr ULONG Ready = 0x8000;    // laid out and able to paint
} // namespace ScaleStyle

// One tick of the layout: its pixel offset from the control rectangle's left or top edge.
struct ScaleTick
{
    LONG pixel;
    LONG major; // non-zero for a labelled tick
};
static_assert(sizeof(ScaleTick) == 8);

// The measurement a graph asks for its margins.
inline constexpr LONG ScaleSettingThickness = 5;

struct IDragScaleObserver : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE OnBeginDrag(LONG source, LONG extra) = 0;                           // 3
    virtual HRESULT STDMETHODCALLTYPE OnEndDrag(LONG source, LONG extra) = 0;                             // 4
    virtual HRESULT STDMETHODCALLTYPE OnScalingChanged(LONG source, LONG extra, const AxisTransform* transform) = 0; // 5
    virtual HRESULT STDMETHODCALLTYPE OnAutoScale(LONG source) = 0;                                       // 6
    // 7: the range of the observer's data for the axis (low, high), asked when the control autoscales;
    // raw (may be null) tells whether the data are shown without a unit transform. S_FALSE: no data.
    virtual HRESULT STDMETHODCALLTYPE GetDataExtent(LONG source, double* low, double* high, VARIANT_BOOL* raw) = 0;
};

struct IScaleControl : IUnknown
{
    // 3, 4: a null transform or text leaves that part as it was.
    virtual HRESULT STDMETHODCALLTYPE SetUnits(const AxisTransform* unitTransform, const WCHAR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUnits(AxisTransform* unitTransform, BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTitle(const WCHAR* text) = 0;                                    // 5
    virtual HRESULT STDMETHODCALLTYPE SetRect(const RECT* rect) = 0;                                      // 6
    virtual HRESULT STDMETHODCALLTYPE GetTransform(AxisTransform* transform) = 0;                         // 7
    virtual HRESULT STDMETHODCALLTYPE SetLimits(double high, double low) = 0;                             // 8
    virtual HRESULT STDMETHODCALLTYPE GetLimits(double* high, double* low) = 0;                           // 9
    virtual HRESULT STDMETHODCALLTYPE SetExtent(double high, double low) = 0;                             // 10
    virtual HRESULT STDMETHODCALLTYPE SetBounds(double high, double low) = 0;                             // 11
    virtual HRESULT STDMETHODCALLTYPE SetMinSpan(double span, double reserved) = 0;                       // 12
    virtual HRESULT STDMETHODCALLTYPE GetStyle(ULONG* style) = 0;                                         // 13
    virtual HRESULT STDMETHODCALLTYPE SetStyle(ULONG style) = 0;                                          // 14
    // 15: a copy of the control that paints the limits in force when the drag began.
    virtual HRESULT STDMETHODCALLTYPE GetDragCompanion(LONG reserved, IScaleControl** companion) = 0;
    // 16: setting 5 with a font point size (0: the control's own text size) and the record the control
    // shows: the strip thickness in pixels.
    virtual HRESULT STDMETHODCALLTYPE Measure(LONG setting, LONG value, LONG record, LONG* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOption(VARIANT_BOOL value) = 0;                                  // 17
    virtual HRESULT STDMETHODCALLTYPE AddObserver(IDragScaleObserver* observer) = 0;                      // 18
    virtual HRESULT STDMETHODCALLTYPE RemoveObserver(IDragScaleObserver* observer) = 0;                   // 19
    // 20: the units' scaling pair (scale, offset).
    virtual HRESULT STDMETHODCALLTYPE GetScaling(AxisTransform* scaling, LONG reserved) = 0;
    // 21: the far grid line's distance from the left or top edge and the (negative) step between lines.
    virtual HRESULT STDMETHODCALLTYPE GetGridSpacing(double* first, double* step) = 0;
    // 22: the limits become the observers' combined data extent (GetDataExtent); S_FALSE when the control
    // may not autoscale, has no data or no observer reports an extent.
    virtual HRESULT STDMETHODCALLTYPE AutoScale(LONG reserved) = 0;
    // 23, 24: whether the axis shows data, and whether it may autoscale (a double click, AutoScale).
    virtual HRESULT STDMETHODCALLTYPE SetHasData(VARIANT_BOOL hasData) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCanAutoScale(VARIANT_BOOL can) = 0;
};

struct IScaleControlView : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetRect(RECT* rect) = 0;                                            // 3
    virtual HRESULT STDMETHODCALLTYPE Paint(HDC dc, LONG reserved, LONG parts) = 0;                      // 4
    virtual HRESULT STDMETHODCALLTYPE GetTickCount(LONG* count) = 0;                                      // 5
    virtual HRESULT STDMETHODCALLTYPE FillTicks(ScaleTick* ticks, LONG capacity, LONG* written) = 0;      // 6
    // 7: the range of values the axis's data can take (the extent the control reports), high first.
    virtual HRESULT STDMETHODCALLTYPE SetRange(double high, double low) = 0;
    // 8: the object on whose behalf the axis shows its units; the control keeps it unowned.
    virtual HRESULT STDMETHODCALLTYPE SetOwner(void* owner) = 0;
};

struct IScaleTextSize : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTextSize(LONG* points) = 0;                                      // 3
};

struct IScaleControlFactory : IUnknown
{
    // 3: a control without a window, painted into its owner's device context.
    virtual HRESULT STDMETHODCALLTYPE CreateScale(HWND parent, LONG reserved, ULONG style, IScaleControl** control) = 0;
    // 4: a strip window, child of parent; the control's IOleWindow gives its handle.
    virtual HRESULT STDMETHODCALLTYPE CreateScaleWindow(HWND parent, LONG word1, LONG word2, LONG kind, LONG childId,
                                                        IScaleControl** control) = 0;
    // 5: the vertical scale of a trace lane: with a parent a strip window (child id: the axis number) that
    // drags, autoscales and tells its observers; without one a control painted by its owner. style: the
    // lane's scale style flags, kept beside the vertical style.
    virtual HRESULT STDMETHODCALLTYPE CreateTraceScale(HWND parent, LONG reserved1, LONG reserved2, ULONG style,
                                                       LONG axis, IScaleControl** control) = 0;
};
