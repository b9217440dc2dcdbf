// The mean of a stretch of one channel of the host document, for the calibrations and readouts that
// need a channel's level over a range of ticks.
#pragma once

#include "hostapi/HostDocument.h"

#include <cstdint>

namespace Sistra
{

// Mean of the channel's samples from start (its record and tick) on, over end.tick - start.tick samples
// (one when the ticks are equal); fewer when the record ends before. Calculated channels are read with
// their calculation flag. The blank marker (BlankValueBits) when the channel cannot be read or holds no
// sample there.
double MeanOfChannelRange(IHostDocument* document, int32_t channel, TickPosition start, TickPosition end,
                          bool calculated);

} // namespace Sistra
