// One channel's strip of a data pane: its traces between up to two vertical scales of the host, the
// first at the left edge, the second at the right. The pane learns each axis's units from its drawers,
// writes units and range into the scales, shows the range a caller sets (in prefixed display units)
// and follows the user's dragging and autoscaling of a scale.
#pragma once

#include "tracedisplay/panes/ChannelPaneOwner.h"
#include "tracedisplay/panes/ChildPaneBase.h"

#include <cmath>
#include <string>

namespace StrixDraw
{

// Bits of a channel pane's axis flags.
namespace AxisFlag
{
constexpr ULONG FirstAxis = 0x80000000u;
constexpr ULONG SecondAxis = 0x40000000u;
constexpr ULONG NoDataNotice = 0x20000000u;       // the first draggable scale is not told whether data are there
constexpr ULONG FirstScaleUnplaced = 0x10000000u; // the first scale is neither laid out nor queried
} // namespace AxisFlag

// Bits of a channel pane's style flags.
namespace ChannelStyle
{
constexpr ULONG Compact = 0x4000u;
} // namespace ChannelStyle

// How an axis shows its values: prefix letter and the factor the values are multiplied by. Unit kinds
// 0, 1 and 8 take no prefix.
struct DisplayUnit
{
    wchar_t prefix = 0;
    double factor = 1.0;
    ULONG kind = 0;

    bool HasPrefix() const { return kind != 0 && kind != 1 && kind != 8; }
};

// What the drawers of a lane tell about an axis in a record.
struct ScaleInfo
{
    std::wstring units;
    ScalePair transform;
    ChannelPair unitsOrigin{UnsetDisplayChannel, UnsetDisplaySubIndex};
    double low = HUGE_VAL;
    double high = -HUGE_VAL;
    double rawFactor = 1.0;
};

// What the observers of a data pane receive when a lane's scales got their units.
struct ChannelUnitsUpdate
{
    LONG channel;
    BYTE hasData[2]; // first axis, second axis
    const wchar_t* units[2];
};

// The copyable part of a channel pane.
struct ChannelPaneInit
{
    HWND scaleParent = nullptr;
    LONG scaleParameter = 0;
    ULONG axisFlags = 0;
    ULONG styleFlags = 0;
    void* drawerOwner = nullptr;
    ChannelPair unitsOrigin[2] = {{UnsetDisplayChannel, UnsetDisplaySubIndex}, {UnsetDisplayChannel, UnsetDisplaySubIndex}};
    double spare = 0.0;
    // While negative the pane writes units and range into its scales itself.
    LONG fixedUnits = static_cast<LONG>(0xC0000000u);
    DisplayUnit unit[2];
};

class ChannelPane : public ChildPaneBase, protected ChannelPaneInit
{
public:
    static constexpr ULONG SavedVersion = 3;
    // The first and last record of SetRecordRange when no record is in view.
    static constexpr LONG NoRecord = 0x7FFFFFFE;

    ChannelPane(LONG channel, ChannelPaneOwner* owner, ULONG axisFlags, ULONG styleFlags);
    ChannelPane(const ChannelPane& other);
    ~ChannelPane() override;

    // IDragScaleObserver, called by the host's scales (source: the axis).
    HRESULT STDMETHODCALLTYPE OnBeginDrag(LONG axis, LONG extra) override;
    HRESULT STDMETHODCALLTYPE OnEndDrag(LONG axis, LONG value) override;
    HRESULT STDMETHODCALLTYPE OnScalingChanged(LONG axis, LONG value, const AxisTransform* transform) override;
    HRESULT STDMETHODCALLTYPE OnAutoScale(LONG axis) override;
    HRESULT STDMETHODCALLTYPE GetDataExtent(LONG axis, double* low, double* high, VARIANT_BOOL* raw) override;

    // placement: the widths of the first and the second scale beside the trace area.
    void SetLayout(LONG paneId, const LONG placement[2], const OWL::TRect& rect) override;
    HRESULT Invalidate(ULONG reason) override;
    HRESULT Load(IBinInStream* stream) override;
    HRESULT Save(IBinOutStream* stream) override;

    // A copy with the same settings; it clones the draggable scales and shares the others.
    HRESULT Clone(ChannelPane** out) const;
    // Makes the scales under parent: draggable strips, or plain scales in drawing-only mode.
    HRESULT CreateScales(HWND parent, LONG parameter);
    // The pane stops observing its draggable scales.
    HRESULT DetachScales();
    // The records in view changed: units, range and data state of both axes from the drawers.
    HRESULT SetRecordRange(LONG first, LONG last);
    // The scale of axis 1 or 2 with a reference, null when absent.
    HRESULT GetScale(LONG axis, IUnknown** scale) const;
    // Keeps a first-axis scale handed over by the data pane, each face only when it has none yet.
    void TakeFirstScale(IUnknown* scale);
    // The width of an axis's scale strip (0 without a scale, or for an unplaced first scale).
    LONG ScaleWidth(LONG axis) const;
    // The first scale's answer to a measurement setting for the record the pane shows; 0 without a
    // first scale or for an unplaced one.
    LONG QueryFirstScale(LONG setting) const;
    // Asks the host, as the view the pane is shown in, to run command value on the lane's channel;
    // E_FAIL without the host document or the view's site.
    HRESULT SendChannelCommand(LONG ignored, LONG value);
    // The host's text for the lane's channel; E_FAIL and an empty text when the host names no channels.
    HRESULT GetChannelText(std::wstring& text) const;
    IScaleControl* FirstScaleControl() const { return firstControl_.Get(); }

    // The range (low, high) in display units. push: the draggable scale takes it; it is applied to the
    // scale only when forced or pending. False for an empty range or a missing scale.
    bool SetAxisRange(LONG axis, double low, double high, bool push, bool force);
    HRESULT ApplyAxisRange(LONG axis, double low, double high);
    HRESULT AutoScaleAxis(LONG axis);

    // Whether any drawer found data for the axis kind (1, 2) in the record.
    bool CollectScaleInfo(ULONG kind, LONG record, ScaleInfo& info) const;
    // The same as the drawer services answer it: S_OK when a drawer found data, the units' transform as
    // (factor, 1, offset).
    HRESULT CollectScaleInfo(ULONG kind, LONG record, double* factor, double* divisor, double* offset) const;

    void SetDisplayUnit(LONG axis, const DisplayUnit& display) { unit[AxisSlot(axis)] = display; }
    const DisplayUnit& Unit(LONG axis) const { return unit[AxisSlot(axis)]; }
    void SetPaneOption(ULONG option) { paneOption_ = option; }
    void SetDrawerOwner(void* owner) { drawerOwner = owner; }
    void SetFixedUnits(LONG marker) { fixedUnits = marker; }
    // A range waits to be applied to the axis's scale.
    void SetRangePending(LONG axis) { flagWord |= PendingBit(axis); }
    bool RangePending(LONG axis) const { return (flagWord & PendingBit(axis)) != 0; }
    void ClearRangePending(LONG axis) { flagWord &= ~PendingBit(axis); }
    bool HasData(LONG axis) const { return state[axis == 1 ? 1 : 0] != 0; }
    ULONG AxisFlags() const { return axisFlags; }
    ChannelPair UnitsOrigin(LONG axis) const { return unitsOrigin[AxisSlot(axis)]; }
    void* DrawerOwner() const { return drawerOwner; }

private:
    static int AxisSlot(LONG axis) { return axis == 1 ? 0 : 1; }
    static ULONG PendingBit(LONG axis) { return axis == 1 ? 1u : 2u; }
    ChannelPaneOwner* PaneOwner() const;
    // The pair as the scale shows it: times the display factor unless the unit kind takes no prefix.
    void ToDisplay(LONG axis, double& low, double& high) const;
    IScaleControl* ScaleOf(LONG axis) const { return scale_[AxisSlot(axis)].Get(); }
    Orv::ComPtr<IUnknown> AxisScaleObject(LONG axis, ChannelPaneOwner* owner);
    IScaleControl* DraggableOf(LONG axis) const;
    HRESULT MakeScale(IScaleControlFactory& factory, LONG axis, HWND parent, ULONG flags, LONG offset);
    LONG MeasureScale(IScaleControl* scale, LONG setting) const;
    // Collects the axis over the records (in the given direction) and writes it into its scales.
    bool UpdateAxis(LONG axis, LONG from, LONG to, LONG first, std::wstring& units);

    ULONG paneOption_ = 0;
    Orv::ComPtr<IScaleControl> scale_[2];
    Orv::ComPtr<IScaleControl> draggable_[2];
    Orv::ComPtr<IScaleControlView> firstRange_;
    Orv::ComPtr<IScaleControl> firstControl_;
};

} // namespace StrixDraw
