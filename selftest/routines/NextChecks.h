// The checks of an event enumerator's Next against the host's contract, over a synthetic record read
// to its end: offline (the record complete) and online (the record growing between reads).
#pragma once

#include "selftest/framework/ETB.h"

#include <cstdint>

void EventEnumTestNextOffline(const ETB::TestSetup& config, int32_t mEventRecordSize);
void EventEnumTestNextOnline(const ETB::TestSetup& config, int32_t mEventRecordSize);
