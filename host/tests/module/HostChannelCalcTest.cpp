// Calculations the module makes from calculation text and installs in a host document's channels.
#include "host/tests/module/CrossingFunction.h"
#include "host/tests/RecordingFixtures.h"

#include "foundation/text/String.h"
#include "host/app/document/HostDocument.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostDataAccess.h"

#include <gtest/gtest.h>

namespace
{

constexpr int32_t Selector = HostChannelCalcSelector;

bool Install(IHostDocument* document, const wchar_t* text, int32_t channel)
{
    return CreateHostCalcFromText(document, Orv::String(text), Orv::String(L"mmHg"), channel, Selector);
}

} // namespace

// Channels 0 and 1 are recorded, channel 2 is the document's calculated channel.
TEST(HostChannelCalculations, ATextIsInstalledOnlyWhenTheDocumentCompilesIt)
{
    HostTests::StandIn();
    const Host::Recording recording = HostTests::MakeRecording(0.001, {{{1, 2, 3, 4}, {5, 6, 7, 8}}}, 2);
    const auto document = Host::HostDocument::Offline(recording, {"ch1 + ch2"});
    IHostDocument* host = document.Get();
    ASSERT_TRUE(Install(host, L"ch1 * 2", 2));
    Host::ChannelCalcSlot& slot = document->ChannelCalculation(2, Selector);
    EXPECT_EQ(L"ch1 * 2", slot.Text());
    IHostChannelCalcState* state = nullptr;
    ASSERT_TRUE(FindOwnChannelCalculation(host, &state, 2, Selector, Sistra::HostCalculationType::Id()));
    state->Release();
    EXPECT_FALSE(FindOwnChannelCalculation(host, &state, 2, Selector, Sistra::ChannelCalculationId::Id()));
    // Installed, not yet worked out.
    EXPECT_TRUE(TestChannelCalcState(host, 2, false));
    EXPECT_FALSE(TestChannelCalcState(host, 2, true));

    // The calculation in place hears of every replacement, also of one the document refuses.
    EXPECT_FALSE(Install(host, L"ch1 * (2", 2));
    EXPECT_FALSE(Install(host, L"ch9", 2));
    EXPECT_EQ(L"ch1 * 2", slot.Text());
    EXPECT_EQ(2, slot.Replacements());
    ResetChannelCalculation(host, 2, Selector);
    EXPECT_EQ(3, slot.Replacements());

    EXPECT_FALSE(Install(host, L"ch1", 3));
    EXPECT_FALSE(Install(host, L"ch1", -1));
    EXPECT_EQ(3, MaxOfThreeHostCounts(document.Get()));
}

TEST(HostChannelCalculations, TheRangeFormGivesTheCalculationItsDisplayRange)
{
    HostTests::StandIn();
    const Host::Recording recording = HostTests::MakeRecording(0.001, {{{1, 2, 3, 4}}}, 1);
    const auto document = Host::HostDocument::Offline(recording);
    ASSERT_TRUE(CreateHostCalcFromTextRange(document.Get(), Orv::String(L"ch1 - 1"), Orv::String(L"V"), 0, Selector,
                                            10.0, -10.0));
    Orv::ComPtr<IHostCalculationStandIn> calculation;
    ASSERT_EQ(S_OK, document->ChannelCalculation(0, Selector).Calculation()->QueryInterface(
                        IID_IHostCalculationStandIn, calculation.PutVoid()));
    double top = 0, bottom = 0;
    ASSERT_EQ(S_OK, calculation->GetRange(&top, &bottom));
    EXPECT_EQ(10.0, top);
    EXPECT_EQ(-10.0, bottom);
    BSTR expression = nullptr, unit = nullptr;
    ASSERT_EQ(S_OK, calculation->GetTexts(&expression, &unit));
    EXPECT_STREQ(L"ch1 - 1", expression);
    EXPECT_STREQ(L"V", unit);
    SysFreeString(expression);
    SysFreeString(unit);
}
