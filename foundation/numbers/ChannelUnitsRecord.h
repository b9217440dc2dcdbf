// The units record of a channel as the host's units service keeps it for each units conversion: 144
// bytes that host and module share, six texts among numbers and flags. The host fills it; the module
// copies it and reads its texts (UnitConvHandle checks the size before anything reads it).
#pragma once

#include "foundation/text/String.h"

#include <oaidl.h>

#include <cstddef>
#include <cstdint>

namespace Orv
{

class ChannelUnitsRecord
{
public:
    static constexpr std::uint32_t RecordSize = 144;
    static constexpr std::size_t PointCount = 2;

    ChannelUnitsRecord() = default;
    // Shares the texts (a reference each), copies the numbers and writes every flag as VARIANT_TRUE or
    // VARIANT_FALSE, whatever non-zero word the source held.
    ChannelUnitsRecord(const ChannelUnitsRecord& other);
    ChannelUnitsRecord& operator=(const ChannelUnitsRecord& other);

    const String& GetName() const { return name; }

    // Texts: the conversion's name, the raw unit and the raw points as the user gave them, the unit shown
    // and the points it maps them to, and a free description.
    String name;
    String rawUnitText;
    String rawValuesText;
    String unitText;
    String valuesText;
    String description;

    // Shown value = scale * raw value + offset, both in unprefixed units.
    double scale = 1.0;
    double offset = 0.0;
    double rawPoints[PointCount] = {};
    double points[PointCount] = {};
    // The SI prefix letters of the raw unit and of the unit shown, in the low 16 bits.
    std::uint32_t rawPrefix = 0;
    std::uint32_t unitPrefix = 0;
    std::int32_t unitPrefixCode = 1;
    // How the conversion was made (see the host's units service).
    std::uint32_t kind = 0;
    // Whether the conversion changes the raw values, so that the unit shown is unitText.
    VARIANT_BOOL inUse = VARIANT_FALSE;
    VARIANT_BOOL twoPoint = VARIANT_FALSE;
    std::uint32_t reserved[7] = {};
};

static_assert(sizeof(ChannelUnitsRecord) == ChannelUnitsRecord::RecordSize);
static_assert(offsetof(ChannelUnitsRecord, scale) == 48);
static_assert(offsetof(ChannelUnitsRecord, rawPrefix) == 96);
static_assert(offsetof(ChannelUnitsRecord, inUse) == 112);

} // namespace Orv
