#include "calc/engine/DetectorParams.h"

#include <limits>

namespace EEH3
{

void ParamsBaseAutoCopy::ReadLimits(std::wistream& in)
{
    limits = Sistra::ReadRecordRange(in);
}

void ParamsBaseAutoCopy::WriteLimits(std::wostream& out) const
{
    // Every digit of an int32: at the default six, the open end 2147483647 would read back as 2147480000.
    const std::streamsize precision = out.precision(std::numeric_limits<int32_t>::digits10 + 1);
    out << static_cast<double>(limits.startRecord) << L' ' << static_cast<double>(limits.startTick) << L' '
        << static_cast<double>(limits.endRecord) << L' ' << static_cast<double>(limits.endTick);
    out.precision(precision);
}

void ParamsBaseAutoCopy::ClearLimits()
{
    Sistra::SetWholeChannelRange(limits);
}

RecordLimits ParamsBaseAutoCopy::LimitsOf(int32_t record) const
{
    if (record < limits.startRecord || record > limits.endRecord)
        return RecordLimits{0, 0};
    const int32_t first = record == limits.startRecord ? limits.startTick : 0;
    const int32_t end = record == limits.endRecord ? limits.endTick : std::numeric_limits<int32_t>::max();
    return RecordLimits{first, end};
}

void ParamsBase::Write(std::wostream& out) const
{
    WriteLimits(out);
    out << L'\0';
}

} // namespace EEH3
