#include "calc/sources/RecordRange.h"

#include <cmath>
#include <limits>

namespace Sistra
{
namespace
{

constexpr double NoLimit = -1.0;

// Reads one number; a missing or unreadable one leaves the default (a failed extraction would store 0).
double ReadLimit(std::wistream& in, double missing)
{
    double value = 0.0;
    if (in >> value)
        return value;
    return missing;
}

int32_t ClampToInt32(double whole)
{
    // A NaN is no limit at all; every other value is clamped before the conversion, which is undefined
    // outside the int32 range.
    if (std::isnan(whole))
        return static_cast<int32_t>(NoLimit);
    if (whole >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (whole <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(whole);
}

} // namespace

int32_t LimitToInt32(double limit)
{
    // Tick 1000.7 is still tick 1000.
    return ClampToInt32(std::trunc(limit));
}

int32_t RoundToInt32(double value)
{
    return ClampToInt32(std::round(value));
}

RecordRange MakeRecordRange(double startRecord, double startTick, double endRecord, double endTick)
{
    return RecordRange{LimitToInt32(startTick), LimitToInt32(startRecord), LimitToInt32(endTick),
                       LimitToInt32(endRecord)};
}

void NormaliseRecordRange(RecordRange& range)
{
    if (range.startRecord < 0)
        range.startRecord = 0;
    if (range.startTick < 0)
        range.startTick = 0;
    if (range.endRecord < 0)
        range.endRecord = OpenRangeEnd;
    if (range.endTick < 0)
        range.endTick = OpenRangeEnd;
}

RecordRange ReadRecordRange(std::wistream& in)
{
    const double startRecord = ReadLimit(in, 0.0);
    const double startTick = ReadLimit(in, 0.0);
    const double endRecord = ReadLimit(in, OpenRangeEnd);
    const double endTick = ReadLimit(in, OpenRangeEnd);
    RecordRange range = MakeRecordRange(startRecord, startTick, endRecord, endTick);
    NormaliseRecordRange(range);
    return range;
}

void SetWholeChannelRange(RecordRange& range)
{
    range = MakeRecordRange(NoLimit, NoLimit, NoLimit, NoLimit);
    NormaliseRecordRange(range);
}

} // namespace Sistra
