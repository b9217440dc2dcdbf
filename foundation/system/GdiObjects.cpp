#include "foundation/system/GdiObjects.h"

namespace Orv
{

int DevicePixelsPerInch(HDC dc, int index)
{
    if (dc)
        return GetDeviceCaps(dc, index);
    const ScreenDc screen;
    return screen.Get() ? GetDeviceCaps(screen.Get(), index) : 96;
}

} // namespace Orv
