// Reading every event a detector hands out for one bound record, as the host reads them.
#pragma once

#include "calc/engine/DetectorEnumeratorCore.h"

#include <vector>

namespace CalcTesting
{

template <class Algorithm>
std::vector<typename Algorithm::Event> ReadAllEvents(EEH3::DetectorEnumeratorCore<Algorithm>& core)
{
    std::vector<typename Algorithm::Event> events;
    typename Algorithm::Event buffer[4];
    for (;;)
    {
        int32_t count = 0, next = 0;
        const HRESULT hr = core.Next(4, EEH3::LastTick, buffer, count, next);
        events.insert(events.end(), buffer, buffer + count);
        if (hr != S_OK || count == 0)
            return events;
    }
}

} // namespace CalcTesting
