// ejectingbeats(events, pressure, minRise): the events that open a beat with an ejection. An event's beat
// runs to the next event; it ejects when its pressure rises at least minRise above the lowest pressure
// before that point within the beat, as a pressure peak the pressure detector takes does. minRise is in mmHg
// where the pressure reads a channel in a pressure unit (converted to it as the samples are read, so that a
// calibration applied later holds), else in the pressure's own unit. The event that
// opens a stretch without one (a dropout of the recording just after an R wave, a pause) is left out, so
// the stretch joins the beat before it instead of standing as a loop whose end-systolic point is its
// end-diastolic point. A record's last event is kept whatever follows it: it closes the beat before.
#pragma once

#include "host/app/calc/CalcNodes.h"

namespace Host::Calc
{

EventNodePtr MakeEjectingBeats(EventNodePtr events, SampleNodePtr pressure, double minRise);

// The largest rise of samples above the lowest sample before them: max over j of (x[j] - min x[0..j]).
double LargestRise(std::span<const float> samples);

} // namespace Host::Calc
