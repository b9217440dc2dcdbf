// What the host shows of the module's events on the traces: loop events coloured by their state with a
// tooltip that names the loop, end-diastolic points in green.
#pragma once

#include "hostapi/CalcEventRecords.h"
#include "foundation/text/String.h"

#include <windows.h>

#include <optional>

namespace Sistra
{

// The loop index of the loop record at the tick of the block, from the analysis data attached to the
// drawing object's record; none when there is no such data (or data of another kind) or no such loop.
std::optional<uint32_t> FindDrawnLoopIndex(IUnknown* drawing, int32_t block, int32_t tick);

template <class Event>
struct SistraEventDrawPolicy
{
    static COLORREF Colour(const Event& loop);
    static Orv::String Tooltip(IUnknown* drawing, LONG block, const Event& loop);
};

template <class Event>
struct SistraEdpEventDrawPolicy
{
    static COLORREF Colour(const Event&) { return RGB(0, 255, 0); }
    static Orv::String Tooltip(IUnknown* drawing, LONG block, const Event& point);
};

// The loop's tooltip when its index is known (or for a closing record); empty for a loop nobody knows. The
// value is followed by valueUnit where one is given.
Orv::String LoopTooltip(const SistraEvent& loop, std::optional<uint32_t> loopIndex, const std::wstring& valueUnit = {});

} // namespace Sistra
