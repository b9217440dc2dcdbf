#include "calc/sources/RecordRange.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <sstream>

using namespace Sistra;

namespace
{

RecordRange Read(const wchar_t* text)
{
    std::wistringstream in(text);
    in.imbue(std::locale::classic());
    return ReadRecordRange(in);
}

void ExpectRange(const RecordRange& range, int32_t startRecord, int32_t startTick, int32_t endRecord,
                 int32_t endTick)
{
    EXPECT_EQ(startRecord, range.startRecord);
    EXPECT_EQ(startTick, range.startTick);
    EXPECT_EQ(endRecord, range.endRecord);
    EXPECT_EQ(endTick, range.endTick);
}

} // namespace

TEST(RecordRange, MinusOnesGiveTheWholeChannel)
{
    ExpectRange(Read(L"-1 -1 -1 -1"), 0, 0, OpenRangeEnd, OpenRangeEnd);
    RecordRange range{5, 6, 7, 8};
    SetWholeChannelRange(range);
    ExpectRange(range, 0, 0, OpenRangeEnd, OpenRangeEnd);
}

TEST(RecordRange, MissingNumbersKeepTheirDefaults)
{
    ExpectRange(Read(L"2 100"), 2, 100, OpenRangeEnd, OpenRangeEnd);
    ExpectRange(Read(L""), 0, 0, OpenRangeEnd, OpenRangeEnd);
    ExpectRange(Read(L"1 2 3 x"), 1, 2, 3, OpenRangeEnd);
}

TEST(RecordRange, FractionsAreTruncatedBeforeTheNegativeStartRule)
{
    EXPECT_EQ(1000, LimitToInt32(1000.7));
    EXPECT_EQ(2, LimitToInt32(2.5));
    EXPECT_EQ(-2, LimitToInt32(-2.5));
    EXPECT_EQ(3, RoundToInt32(2.5)); // modes and types round, halves away from zero
    EXPECT_EQ(-3, RoundToInt32(-2.5));
    ExpectRange(Read(L"0 1000.7 1.9 2000.99"), 0, 1000, 1, 2000);
    ExpectRange(Read(L"0 2.5 1 -2.5"), 0, 2, 1, OpenRangeEnd);
    ExpectRange(Read(L"0 -2.5 1 9"), 0, 0, 1, 9);
}

TEST(RecordRange, LimitsBeyondInt32AreClampedNotConverted)
{
    EXPECT_EQ(0x7FFFFFFF, LimitToInt32(DBL_MAX));
    EXPECT_EQ(0x7FFFFFFF, LimitToInt32(2147483647.6));
    EXPECT_EQ(static_cast<int32_t>(0x80000000), LimitToInt32(-DBL_MAX));
    EXPECT_EQ(static_cast<int32_t>(0x80000000), LimitToInt32(-INFINITY));
    EXPECT_EQ(-1, LimitToInt32(NAN));
    ExpectRange(Read(L"1.7976931348623157e308 0 1e300 1e20"), 0x7FFFFFFF, 0, 0x7FFFFFFF, 0x7FFFFFFF);
}
