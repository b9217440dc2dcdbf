#include "foundation/system/GdiObjects.h"

namespace Orv
{

int DevicePixelsPerInch(HDC dc, int index)
{
    if (dc)
        return GetDeviceCaps(dc, index);
    HDC screen = GetDC(nullptr);
    if (!screen)
        return 96;
    const int value = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return value;
}

} // namespace Orv
