// The host's axis scale controls and their factory, handed out by the object factory under host type
// number 9.
#pragma once

#include "ComObjects.h"
#include "hostapi/ScaleControl.h"
#include "ScaleLayout.h"

#include <oleidl.h>

#include <string>
#include <vector>

namespace Vyr
{

class ScaleControl : public IScaleControl, public IScaleControlView, public IScaleTextSize, public IOleWindow
{
public:
    explicit ScaleControl(ULONG style);
    ScaleControl(const ScaleControl&) = delete;
    ScaleControl& operator=(const ScaleControl&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE SetUnits(const AxisTransform* unitTransform, const WCHAR* text) override;
    HRESULT STDMETHODCALLTYPE GetUnits(AxisTransform* unitTransform, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE SetTitle(const WCHAR* text) override;
    HRESULT STDMETHODCALLTYPE SetRect(const RECT* rect) override;
    HRESULT STDMETHODCALLTYPE GetTransform(AxisTransform* transform) override;
    HRESULT STDMETHODCALLTYPE SetLimits(double high, double low) override;
    HRESULT STDMETHODCALLTYPE GetLimits(double* high, double* low) override;
    HRESULT STDMETHODCALLTYPE SetExtent(double high, double low) override;
    HRESULT STDMETHODCALLTYPE SetBounds(double high, double low) override;
    HRESULT STDMETHODCALLTYPE SetMinSpan(double span, double reserved) override;
    HRESULT STDMETHODCALLTYPE GetStyle(ULONG* style) override;
    HRESULT STDMETHODCALLTYPE SetStyle(ULONG style) override;
    HRESULT STDMETHODCALLTYPE GetDragCompanion(LONG reserved, IScaleControl** companion) override;
    HRESULT STDMETHODCALLTYPE Measure(LONG setting, LONG value, LONG reserved, LONG* result) override;
    HRESULT STDMETHODCALLTYPE SetOption(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE AddObserver(IDragScaleObserver* observer) override;
    HRESULT STDMETHODCALLTYPE RemoveObserver(IDragScaleObserver* observer) override;
    HRESULT STDMETHODCALLTYPE GetScaling(AxisTransform* scaling, LONG reserved) override;
    HRESULT STDMETHODCALLTYPE GetGridSpacing(double* first, double* step) override;
    HRESULT STDMETHODCALLTYPE AutoScale(LONG reserved) override;
    HRESULT STDMETHODCALLTYPE SetHasData(VARIANT_BOOL hasData) override;
    HRESULT STDMETHODCALLTYPE SetCanAutoScale(VARIANT_BOOL can) override;

    HRESULT STDMETHODCALLTYPE GetRect(RECT* rect) override;
    HRESULT STDMETHODCALLTYPE Paint(HDC dc, LONG reserved, LONG parts) override;
    HRESULT STDMETHODCALLTYPE GetTickCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE FillTicks(ScaleTick* ticks, LONG capacity, LONG* written) override;
    HRESULT STDMETHODCALLTYPE SetRange(double high, double low) override;
    HRESULT STDMETHODCALLTYPE SetOwner(void* owner) override;

    HRESULT STDMETHODCALLTYPE GetTextSize(LONG* points) override;

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // The strip window: created as a child of parent, with this control's layout and drag.
    HRESULT CreateStripWindow(HWND parent, LONG childId);

    const ScaleLayout& Layout() const { return m_layout; }
    // A lane's second axis stands right of its traces: its ticks point left, towards them, and its
    // labels read from there.
    void StandRightOfData() { m_rightOfData = true; }

protected:
    virtual ~ScaleControl();

private:
    friend LRESULT CALLBACK ScaleStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<ScaleLayout::Tick> CurrentTicks() const;
    void PaintHorizontal(HDC dc) const;
    void PaintVertical(HDC dc) const;
    void NotifyScalingChanged();
    void BeginStripDrag(POINT point);
    void DragTo(POINT point);
    void EndStripDrag();
    void RequestAutoScale();
    template <class Notify>
    void ForEachObserver(Notify notify);

    LONG m_references = 1;
    ULONG m_style;
    RECT m_rect{};
    ScaleLayout m_layout;
    std::wstring m_unitText;
    std::wstring m_title;
    double m_extentLow = 0.0, m_extentHigh = 1.0;
    double m_boundLow = -1.0, m_boundHigh = 1.0;
    double m_minSpan = 0.0;
    bool m_option = false;
    bool m_hasData = true;
    bool m_canAutoScale = true;
    void* m_owner = nullptr;
    LONG m_textPoints = 10;
    std::vector<IDragScaleObserver*> m_observers;
    HWND m_window = nullptr;
    LONG m_childId = 0;
    bool m_rightOfData = false;
    // The drag under way: the limits and the pixel it started from.
    bool m_dragging = false;
    double m_dragLow = 0.0, m_dragHigh = 1.0;
    LONG m_dragStart = 0;
};

class ScaleControlFactory : public StaticComObject<IScaleControlFactory, &IID_IScaleControlFactory>
{
public:
    HRESULT STDMETHODCALLTYPE CreateScale(HWND parent, LONG reserved, ULONG style, IScaleControl** control) override;
    HRESULT STDMETHODCALLTYPE CreateScaleWindow(HWND parent, LONG word1, LONG word2, LONG kind, LONG childId,
                                                IScaleControl** control) override;
    HRESULT STDMETHODCALLTYPE CreateTraceScale(HWND parent, LONG reserved1, LONG reserved2, ULONG style, LONG axis,
                                               IScaleControl** control) override;
};

// Kinds of strip window: horizontal and vertical axis.
inline constexpr LONG HorizontalStripKind = 110035;
inline constexpr LONG VerticalStripKind = 110032;

} // namespace Vyr
