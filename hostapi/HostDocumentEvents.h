// The records that travel with the host document's notifications to a module's document. They are
// handed over by address while the notification is delivered.
#pragma once

#include "hostapi/HostDocument.h"

#include <cstddef>
#include <cstdint>

// Event 51: sources of the document changed. The third word is negative when they were removed.
struct HostSourcesChangedRecord
{
    uint32_t words[3];
    const HostSourcePair* sources;
    uint32_t count;
};
static_assert(offsetof(HostSourcesChangedRecord, sources) == 16);

// Range event 12: the range the host keeps for the document's analysis, as two words.
struct HostRangeRecord
{
    uint32_t first;
    uint32_t second;
};
static_assert(sizeof(HostRangeRecord) == 8);
