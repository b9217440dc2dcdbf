#include "graph/grid/GraphDisplaySettings.h"

#include "foundation/system/TracePalette.h"
#include "graph/graph2d/Graph2DDrawer.h"
#include "hostframework/services/HostServices.h"

namespace MGraph1
{

namespace
{
int Wrapped(LONG index, int count)
{
    const LONG r = index % count;
    return static_cast<int>(r < 0 ? r + count : r);
}

Orv::ComPtr<IHostSettingKey> KeyOf(ULONG id)
{
    Orv::ComPtr<IHostSettingKey> key;
    if (IHostObjectService* objects = HostObjectServiceAccessor::Get())
        objects->MakeSettingKey(id, key.Put());
    return key;
}
} // namespace

GraphDisplaySettings::GraphDisplaySettings(IHostViewSettings* viewSettings) : settings(viewSettings)
{
    if (IHostApplication* application = HostAppAccessor::Get())
        application->QueryInterface(IID_IHostGridColours, gridColours.PutVoid());
    count = ReadInteger(DisplaySetting::Count);
    if (count == 0)
        count = 1;
    const Orv::TracePaletteTable palette = DefaultTracePalette();
    traceColour = palette.colours[Wrapped(ReadInteger(DisplaySetting::TraceColour), palette.length)];
    const LONG gridIndex = ReadInteger(DisplaySetting::GridColour);
    if (!gridColours || FAILED(gridColours->GetGridColour(static_cast<USHORT>(gridIndex), &gridColour)))
        gridColour = palette.colours[Wrapped(gridIndex, palette.cycleLength) + palette.cycleStart];
    flag = ReadBoolean(DisplaySetting::Flag);
    gridStyle = ReadInteger(DisplaySetting::GridStyle);
    gridShown = ReadBoolean(DisplaySetting::GridShown);
}

LONG GraphDisplaySettings::ReadInteger(ULONG id) const
{
    LONG value = 0;
    const auto key = KeyOf(id);
    if (settings && key)
        settings->GetInteger(key.Get(), &value);
    return value;
}

bool GraphDisplaySettings::ReadBoolean(ULONG id) const
{
    VARIANT_BOOL value = VARIANT_FALSE;
    const auto key = KeyOf(id);
    if (settings && key)
        settings->GetBoolean(key.Get(), &value);
    return value != VARIANT_FALSE;
}

void GraphDisplaySettings::ApplyTo(Graph2DDrawer& drawer) const
{
    GraphDisplayInfo info;
    info.gridColour = gridColour;
    info.gridDots = gridStyle;
    info.showGrid = gridShown;
    drawer.SetDisplayInfo(info);
}

} // namespace MGraph1
