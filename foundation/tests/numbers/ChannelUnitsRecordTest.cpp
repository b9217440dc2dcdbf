#include "foundation/numbers/ChannelUnitsRecord.h"

#include <gtest/gtest.h>

namespace
{

Orv::ChannelUnitsRecord FilledRecord()
{
    Orv::ChannelUnitsRecord record;
    record.name = L"LV Pressure";
    record.rawUnitText = L"V";
    record.rawValuesText = L"0.001 0.101";
    record.unitText = L"mmHg";
    record.valuesText = L"0 100";
    record.description = L"two points";
    record.scale = 1000.0;
    record.offset = -1.0;
    record.rawPoints[1] = 0.101;
    record.points[1] = 100.0;
    record.rawPrefix = L'm';
    record.unitPrefixCode = 7;
    record.kind = 2;
    record.reserved[6] = 0xABCD;
    return record;
}

TEST(ChannelUnitsRecord, ACopySharesEveryTextAndCopiesTheNumbers)
{
    const Orv::ChannelUnitsRecord record = FilledRecord();
    const Orv::ChannelUnitsRecord copy(record);
    for (const Orv::String* text : {&copy.name, &copy.rawUnitText, &copy.rawValuesText, &copy.unitText,
                                    &copy.valuesText, &copy.description})
        EXPECT_TRUE(text->IsShared()) << text->c_str();
    EXPECT_EQ(record.name.c_str(), copy.GetName().c_str());
    EXPECT_STREQ(L"LV Pressure", copy.GetName().c_str());
    EXPECT_EQ(1000.0, copy.scale);
    EXPECT_EQ(-1.0, copy.offset);
    EXPECT_EQ(0.101, copy.rawPoints[1]);
    EXPECT_EQ(100.0, copy.points[1]);
    EXPECT_EQ(static_cast<std::uint32_t>(L'm'), copy.rawPrefix);
    EXPECT_EQ(7, copy.unitPrefixCode);
    EXPECT_EQ(2u, copy.kind);
    EXPECT_EQ(0xABCDu, copy.reserved[6]);
}

TEST(ChannelUnitsRecord, FlagsAreNormalisedByCopyAndAssignment)
{
    struct Case
    {
        VARIANT_BOOL stored;
        VARIANT_BOOL copied;
    };
    for (const Case c : {Case{0, VARIANT_FALSE}, Case{1, VARIANT_TRUE}, Case{0x100, VARIANT_TRUE},
                         Case{VARIANT_TRUE, VARIANT_TRUE}})
    {
        Orv::ChannelUnitsRecord record = FilledRecord();
        record.inUse = c.stored;
        record.twoPoint = c.stored;
        const Orv::ChannelUnitsRecord copy(record);
        EXPECT_EQ(c.copied, copy.inUse) << c.stored;
        EXPECT_EQ(c.copied, copy.twoPoint) << c.stored;
        Orv::ChannelUnitsRecord assigned;
        assigned = record;
        EXPECT_EQ(c.copied, assigned.inUse) << c.stored;
        EXPECT_STREQ(L"mmHg", assigned.unitText.c_str());
    }
}

} // namespace
