#include "foundation/numbers/ChannelUnitsRecord.h"

#include <algorithm>
#include <iterator>

namespace Orv
{

namespace
{

VARIANT_BOOL Normalised(VARIANT_BOOL flag)
{
    return flag ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

ChannelUnitsRecord::ChannelUnitsRecord(const ChannelUnitsRecord& other)
{
    *this = other;
}

ChannelUnitsRecord& ChannelUnitsRecord::operator=(const ChannelUnitsRecord& other)
{
    name = other.name;
    rawUnitText = other.rawUnitText;
    rawValuesText = other.rawValuesText;
    unitText = other.unitText;
    valuesText = other.valuesText;
    description = other.description;
    scale = other.scale;
    offset = other.offset;
    std::copy(std::begin(other.rawPoints), std::end(other.rawPoints), rawPoints);
    std::copy(std::begin(other.points), std::end(other.points), points);
    rawPrefix = other.rawPrefix;
    unitPrefix = other.unitPrefix;
    unitPrefixCode = other.unitPrefixCode;
    kind = other.kind;
    inUse = Normalised(other.inUse);
    twoPoint = Normalised(other.twoPoint);
    std::copy(std::begin(other.reserved), std::end(other.reserved), reserved);
    return *this;
}

} // namespace Orv
