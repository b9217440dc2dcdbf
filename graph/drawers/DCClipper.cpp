#include "graph/drawers/DCClipper.h"

namespace MGraph1
{

void DCClipper::Intersect(const OWL::TRect& rect)
{
    if (!clipped && saveState)
        dc->SaveDC();
    clipped = true;
    dc->IntersectClipRect(rect);
}

void DCClipper::Restore()
{
    if (!clipped)
        return;
    if (saveState)
        dc->RestoreDC(-1);
    else
        dc->SelectClipRgn(nullptr);
}

} // namespace MGraph1
