#include "foundation/com/ResultCodes.h"

#include <gtest/gtest.h>

namespace
{

TEST(ResultCodes, OwnCodesAreRecognisedByFacilityAndBits)
{
    EXPECT_TRUE(Orv::IsOwnTableCode(static_cast<HRESULT>(0xA0048203)));
    EXPECT_TRUE(Orv::IsOwnTableCode(static_cast<HRESULT>(0xA004821E)));
    EXPECT_FALSE(Orv::IsOwnTableCode(E_ACCESSDENIED));
    EXPECT_FALSE(Orv::IsOwnTableCode(static_cast<HRESULT>(0x80040200))); // FACILITY_ITF, no customer bit
    EXPECT_FALSE(Orv::IsOwnTableCode(static_cast<HRESULT>(0xA0040200))); // customer bit, bit 15 clear
}

TEST(ResultCodes, HostStringIdsFollowTheTableIncludingItsGaps)
{
    EXPECT_EQ(57345u, Orv::HostStringIdOfCode(Orv::OwnCode(0)));
    EXPECT_EQ(57349u, Orv::HostStringIdOfCode(Orv::OwnCode(4)));
    EXPECT_EQ(57349u, Orv::HostStringIdOfCode(Orv::OwnCode(5)));
    EXPECT_EQ(57352u, Orv::HostStringIdOfCode(Orv::OwnCode(6)));
    EXPECT_EQ(57350u, Orv::HostStringIdOfCode(Orv::OwnCode(7)));
    EXPECT_EQ(57354u, Orv::HostStringIdOfCode(Orv::OwnCode(9)));
    EXPECT_EQ(0u, Orv::HostStringIdOfCode(Orv::E_ORV_READ_FAILED));
    EXPECT_EQ(57358u, Orv::HostStringIdOfCode(Orv::OwnCode(18)));
    EXPECT_EQ(57361u, Orv::HostStringIdOfCode(Orv::OwnCode(29)));
    EXPECT_EQ(0u, Orv::HostStringIdOfCode(Orv::OwnCode(30)));
}

TEST(ResultCodes, CodesWithoutTextHaveNoHostString)
{
    EXPECT_EQ(0u, Orv::HostStringIdOfCode(Orv::E_ORV_INTERNAL));
    EXPECT_EQ(0u, Orv::HostStringIdOfCode(Orv::E_ORV_INTERNAL_PLAIN));
    EXPECT_EQ(0u, Orv::HostStringIdOfCode(Orv::E_ORV_SILENT_STATUS));
    EXPECT_EQ(0u, Orv::HostStringIdOfCode(static_cast<HRESULT>(0xA00482FF)));
    EXPECT_EQ(0u, Orv::HostStringIdOfCode(E_FAIL));
}

} // namespace
