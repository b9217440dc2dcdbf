// One channel's strip of a data pane: a child pane with up to two vertical scales, the first at its
// left edge and the second at its right, made by the host's scale-control factory under the pane's
// window and listened to as their drag observer.
#pragma once

#include "tracedisplay/panes/ChildPaneBase.h"

#include "foundation/com/ComPtr.h"
#include "host/include/ScaleControl.h"

namespace StrixDraw
{

class DataPane;

// Bits of a channel pane's axis flags.
namespace AxisFlag
{
constexpr ULONG FirstAxis = 0x80000000u;
constexpr ULONG SecondAxis = 0x40000000u;
constexpr ULONG NoDataNotice = 0x20000000u;
constexpr ULONG FirstScaleUnplaced = 0x10000000u;
} // namespace AxisFlag

// The prefix an axis shows its values with.
struct DisplayUnit
{
    wchar_t prefix = 0;
    double factor = 1.0;
    ULONG kind = 0;

    // Kinds 0, 1 and 8 take no prefix.
    bool HasPrefix() const { return kind != 0 && kind != 1 && kind != 8; }
};

struct ChannelPaneInit
{
    HWND scaleParent = nullptr;
    LONG scaleParameter = 0;
    ULONG axisFlags = 0;
    ULONG styleFlags = 0;
    void* drawerOwner = nullptr;
    ChannelPair unitsOrigin[2] = {{static_cast<LONG>(0x80000000u), 0xC0000000u},
                                  {static_cast<LONG>(0x80000000u), 0xC0000000u}};
    double spare = 0.0;
    LONG fixedUnits = static_cast<LONG>(0xC0000000u);
    DisplayUnit unit[2];
};

class ChannelPane : public ChildPaneBase, protected ChannelPaneInit
{
public:
    static constexpr ULONG SavedVersion = 3;
    static constexpr ULONG NoRecord = 0x7FFFFFFE;

    ChannelPane(LONG channel, DataPane* pane, ULONG axisFlags, ULONG styleFlags);
    ~ChannelPane() override;

    HRESULT Load(IBinInStream* stream) override;
    HRESULT Save(IBinOutStream* stream) override;

    // Makes the scales of the existing axes under parent: draggable strip windows, or plain scales
    // while the data pane only draws.
    virtual HRESULT CreateScales(HWND parent, LONG parameter);
    // Stops listening to the draggable scales.
    virtual HRESULT DetachScales();
    // The records the pane shows now; NoRecord for both when it shows none.
    virtual HRESULT SetRecordRange(LONG first, LONG last);

    // Asks the drawers, in order, for the units of an axis (kind 1 or 2) in a record: S_OK when one of
    // them has data there, S_FALSE when none has. The transform is the units' (factor, 1, offset).
    HRESULT CollectScaleInfo(ULONG kind, LONG record, double* factor, double* divisor, double* offset);
    // Has the draggable scale of axis 1 or 2 fit its range to the data; E_FAIL without one.
    HRESULT AutoScaleAxis(LONG axis);

    // axis 1 or 2; with a reference, null when absent.
    HRESULT GetScale(LONG axis, IUnknown** scale) const;
    // Keeps a first-axis scale handed over by the data pane, each face only when it has none yet.
    void TakeFirstScale(IUnknown* scale);
    // The width of an axis's scale strip (0 without a scale).
    LONG ScaleWidth(LONG axis) const;

    ULONG AxisFlags() const { return axisFlags; }
    const DisplayUnit& Unit(LONG axis) const { return unit[axis == 1 ? 0 : 1]; }
    ChannelPair UnitsOrigin(LONG axis) const { return unitsOrigin[axis == 1 ? 0 : 1]; }
    void* DrawerOwner() const { return drawerOwner; }
    // The has-data bytes: the second state byte for the first axis, the first for the second.
    bool HasData(LONG axis) const { return state[axis == 1 ? 1 : 0] != 0; }
    bool RangePending(LONG axis) const { return (flagWord & (axis == 1 ? 1u : 2u)) != 0; }
    void ClearRangePending(LONG axis) { flagWord &= ~(axis == 1 ? 1u : 2u); }
    void SetPaneOption(ULONG option) { paneOption_ = option; }
    IScaleControl* FirstScaleControl() const { return firstControl_.Get(); }

private:
    DataPane* pane_;
    ULONG paneOption_ = 0;
    Orv::ComPtr<IScaleControl> scale_[2];
    Orv::ComPtr<IScaleControl> draggable_[2];
    Orv::ComPtr<IUnknown> firstRange_;
    Orv::ComPtr<IScaleControl> firstControl_;
};

} // namespace StrixDraw
