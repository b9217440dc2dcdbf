#include "platform/atl/DialogResize.h"

namespace WTL
{

RECT ResizedControlRect(const RECT& initial, DWORD flags, int dx, int dy)
{
    RECT rect = initial;
    if (flags & DLSZ_SIZE_X)
        rect.right += dx;
    if (flags & DLSZ_SIZE_Y)
        rect.bottom += dy;
    const int moveX = (flags & DLSZ_MOVE_X) ? dx : (flags & DLSZ_CENTER_X) ? dx / 2 : 0;
    const int moveY = (flags & DLSZ_MOVE_Y) ? dy : (flags & DLSZ_CENTER_Y) ? dy / 2 : 0;
    OffsetRect(&rect, moveX, moveY);
    return rect;
}

} // namespace WTL
