// What the host's R-wave detector makes of a channel chosen as the ECG, over the whole recording, and
// whether that is a heart's rhythm at all: an ECG of noise, of R waves lower than its noise, or of another
// signal gives loops at no heart's rate.
#pragma once

#include "host/app/recording/Recording.h"

#include <optional>
#include <string>

namespace Host
{

struct EcgRhythm
{
    size_t beats = 0;                    // R waves found
    double seconds = 0.0;                // the recording's length
    std::optional<double> medianPeriod;  // seconds between R waves, where two lie in a record
};

// The R waves of the channel in every record (no two closer than minPeriod seconds).
EcgRhythm MeasureEcgRhythm(const Recording& recording, size_t channel, double minPeriod);

// In words, naming the channel (counted from 1): no R waves, too few for a heart over the recording, or
// R waves at a rate no heart beats; none when the rhythm is a heart's.
std::optional<std::string> EcgRhythmDoubt(const EcgRhythm& rhythm, size_t channel);

} // namespace Host
