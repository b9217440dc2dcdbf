// The wait cursor for a scope of long work. On leaving, the cursor that was shown before comes back, and
// the mouse is put where it already is, so that the system shows that cursor at once rather than at the
// next move.
#pragma once

#include <windows.h>

namespace Orv
{

class WaitCursor
{
public:
    WaitCursor() : saved_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor()
    {
        if (saved_)
            SetCursor(saved_);
        POINT where{};
        if (GetCursorPos(&where))
            SetCursorPos(where.x, where.y);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR saved_;
};

} // namespace Orv
