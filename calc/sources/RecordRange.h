// The part of a channel a calculation processes: its four "Limit" arguments, -1 meaning the whole
// channel.
#pragma once

#include <cstdint>
#include <istream>

namespace Sistra
{

constexpr int32_t OpenRangeEnd = 0x7FFFFFFF;

struct RecordRange
{
    int32_t startTick = 0;
    int32_t startRecord = 0;
    int32_t endTick = OpenRangeEnd;
    int32_t endRecord = OpenRangeEnd;
};

// Truncates a limit given as a number towards zero into int32, clamping what lies beyond; NaN is -1.
int32_t LimitToInt32(double limit);
// Rounds a number (halves away from zero) into int32 alike: for the modes and types a text gives.
int32_t RoundToInt32(double value);

RecordRange MakeRecordRange(double startRecord, double startTick, double endRecord, double endTick);

// A negative start means the beginning, a negative end the end of the channel.
void NormaliseRecordRange(RecordRange& range);

// Reads start record, start tick, end record, end tick; missing starts read as 0, missing ends as open.
RecordRange ReadRecordRange(std::wistream& in);

void SetWholeChannelRange(RecordRange& range);

} // namespace Sistra
