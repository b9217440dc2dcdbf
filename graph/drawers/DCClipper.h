// A clip guard for panes that paint in parts: the first Intersect may save the device context's state,
// Restore puts it back (or removes the clip region).
#pragma once

#include "platform/owl/gdi/DC.h"

namespace MGraph1
{

class DCClipper
{
public:
    explicit DCClipper(OWL::TDC* target, bool save = true) : dc(target), saveState(save) {}

    void Intersect(const OWL::TRect& rect);
    void Restore();

    OWL::TDC* dc;
    bool saveState;
    bool clipped = false;
};

} // namespace MGraph1
