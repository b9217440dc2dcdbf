#include "tracedisplay/panes/ChannelPane.h"

#include "tracedisplay/datapane/DataPane.h"
#include "tracedisplay/support/RecordVersion.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "graph/scales/ScaleControlFactory.h"

#include <cfloat>

namespace StrixDraw
{

namespace
{
constexpr ULONG CompactStyle = 1u << 14;
constexpr ULONG SecondAxisFactoryBit = 0x2;
constexpr ULONG PlainScaleClear = 0x10;
constexpr ULONG PlainScaleSet = 0x08;
constexpr LONG CompactOffset = -2;
// The point size the scale strips' labels are measured at.
constexpr LONG ScaleTextPoints = 8;
constexpr ULONG OldRangeVersion = 2;

int AxisSlot(LONG axis)
{
    return axis == 1 ? 0 : 1;
}
} // namespace

ChannelPane::ChannelPane(LONG channel, DataPane* pane, ULONG axes, ULONG style)
    : ChildPaneBase(channel, pane), pane_(pane)
{
    axisFlags = axes;
    styleFlags = style;
}

ChannelPane::~ChannelPane() = default;

HRESULT ChannelPane::CreateScales(HWND parent, LONG parameter)
{
    scaleParent = parent;
    scaleParameter = parameter;
    IScaleControlFactory* factory = MGraph1::GetScaleControlFactory();
    if (!factory)
        return E_FAIL;
    const bool drawingOnly = pane_ && pane_->IsDrawingOnly();
    ULONG flags = styleFlags;
    if (drawingOnly)
        flags = (flags & ~PlainScaleClear) | PlainScaleSet;
    const LONG offset = (styleFlags & CompactStyle) ? CompactOffset : 0;
    const ULONG axisBits[2] = {AxisFlag::FirstAxis, AxisFlag::SecondAxis};
    for (int slot = 0; slot < 2; ++slot)
    {
        if (!(axisFlags & axisBits[slot]))
            continue;
        const ULONG axisFactoryFlags = slot == 0 ? flags & ~SecondAxisFactoryBit : flags | SecondAxisFactoryBit;
        draggable_[slot].Reset();
        scale_[slot].Reset();
        if (drawingOnly)
        {
            factory->CreateScale(parent, offset, axisFactoryFlags, scale_[slot].Put());
        }
        else
        {
            factory->CreateScaleWindow(parent, offset, offset, axisFactoryFlags, slot + 1, draggable_[slot].Put());
            scale_[slot] = draggable_[slot];
        }
        if (slot == 0)
        {
            firstRange_.Reset();
            firstControl_ = scale_[0];
            if (scale_[0])
                scale_[0]->QueryInterface(IID_IScaleControlView, firstRange_.PutVoid());
        }
    }
    return S_OK;
}

HRESULT ChannelPane::DetachScales()
{
    for (const auto& draggable : draggable_)
        if (draggable)
            draggable->RemoveObserver(this);
    return S_OK;
}

HRESULT ChannelPane::SetRecordRange(LONG, LONG)
{
    state[0] = state[1] = 0;
    return S_OK;
}

HRESULT ChannelPane::CollectScaleInfo(ULONG kind, LONG record, double* factor, double* divisor, double* offset)
{
    if (factor)
        *factor = 1.0;
    if (divisor)
        *divisor = 1.0;
    if (offset)
        *offset = 0.0;
    bool found = false;
    ForEachDrawer([&](IStrixRecordDrawer& drawer) {
        drawer.SetOwner(drawerOwner);
        double value = 0.0;
        SHORT valid = 0;
        if (drawer.GetValueAt(kind, record, &value, &valid) == S_OK && valid)
            found = true;
    });
    return found ? S_OK : S_FALSE;
}

HRESULT ChannelPane::AutoScaleAxis(LONG axis)
{
    if ((axis != 1 && axis != 2) || !draggable_[AxisSlot(axis)])
        return E_FAIL;
    // The host's scale controls offer no autoscale operation yet.
    return E_NOTIMPL;
}

HRESULT ChannelPane::GetScale(LONG axis, IUnknown** scale) const
{
    if (!scale)
        return E_POINTER;
    *scale = scale_[AxisSlot(axis)].Get();
    if (*scale)
        (*scale)->AddRef();
    return S_OK;
}

void ChannelPane::TakeFirstScale(IUnknown* scale)
{
    if (!scale)
        return;
    if (!scale_[0])
        scale->QueryInterface(IID_IScaleControl, scale_[0].PutVoid());
    if (!firstRange_)
        scale->QueryInterface(IID_IScaleControlView, firstRange_.PutVoid());
    if (!firstControl_)
        scale->QueryInterface(IID_IScaleControl, firstControl_.PutVoid());
}

LONG ChannelPane::ScaleWidth(LONG axis) const
{
    const auto& scale = scale_[AxisSlot(axis)];
    LONG width = 0;
    if (!scale || (axis == 1 && (axisFlags & AxisFlag::FirstScaleUnplaced)) ||
        FAILED(scale->Measure(ScaleSettingThickness, ScaleTextPoints, 0, &width)))
        return 0;
    return width;
}

HRESULT ChannelPane::Save(IBinOutStream* stream)
{
    return stream ? stream->WriteULong(SavedVersion) : E_INVALIDARG;
}

// Only version 2 carried data: a stored range per axis that nothing uses any more; it is read past.
HRESULT ChannelPane::Load(IBinInStream* stream)
{
    ULONG version = 0;
    const HRESULT read = ReadRecordVersion(stream, SavedVersion, version);
    if (read == Orv::E_ORV_NEWER_VERSION)
        throw XOrv(Orv::String(), read);
    if (FAILED(read) || version != OldRangeVersion)
        return read;
    for (int axis = 0; axis < 2; ++axis)
    {
        BYTE stored = 0;
        HRESULT result = stream->ReadByte(&stored);
        double range[2] = {DBL_MAX, -DBL_MAX};
        if (SUCCEEDED(result) && stored)
        {
            result = stream->ReadDouble(&range[0]);
            if (SUCCEEDED(result))
                result = stream->ReadDouble(&range[1]);
        }
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

} // namespace StrixDraw
