#include "foundation/com/ResultCodes.h"

#include <array>

namespace Orv
{

namespace
{
// Host string ids of the codes 0xA0048200 + n; 0 = no text.
constexpr std::array<UINT, OwnCodeCount> HostStringIds = {
    57345, 57346, 57347, 57348, 57349, 57349, 57352, 57350, 57351, 57354, // 0-9
    0,     0,     0,     0,     0,     0,     0,     0,     57358, 0,     // 10-19
    0,     0,     0,     0,     0,     0,     57359, 57360, 0,     57361, // 20-29
    0};
} // namespace

bool IsOwnTableCode(HRESULT code)
{
    const auto bits = static_cast<unsigned>(code);
    const unsigned facility = (bits >> 16) & 0x1FFF;
    return facility == FACILITY_ITF && (bits & (1u << 29)) != 0 && (bits & (1u << 15)) != 0;
}

UINT HostStringIdOfCode(HRESULT code)
{
    if (!IsOwnTableCode(code) || code == E_ORV_INTERNAL || code == E_ORV_INTERNAL_PLAIN ||
        code == E_ORV_SILENT_STATUS)
        return 0;
    const int n = static_cast<int>(static_cast<unsigned>(code) & 0xFFFF) - 0x8200;
    if (n < 0 || n >= OwnCodeCount)
        return 0;
    return HostStringIds[static_cast<size_t>(n)];
}

} // namespace Orv
