#include "dialogs/settings/SettingsPreviewData.h"

#include "dialogs/tests/DialogTestSupport.h"
#include "document/models/ModelFactory.h"
#include "document/models/workflow/WorkflowModelReader.h"

#include <gtest/gtest.h>

namespace
{

using Sistra::PreviewChannels;
using Sistra::PropertyType;
namespace PropertyId = Sistra::PropertyId;

std::wstring Text(const Orv::String& text)
{
    return text.c_str();
}

// The texts follow the setup: the maximum detector reads the first channel's end-diastolic points,
// and is left out when end-diastole comes from ECG events, whose points it cannot refine.
TEST(SettingsPreviewData, TheTextsFollowTheDetectionSource)
{
    DialogTests::DocumentFixture fixture("mmHg", {"cmpeakdet(ch1, 1, 0.2)"});
    const Sistra::ModelPtr setup = fixture.Document().GetSetupModel();
    setup->SetEcgEventSource(Orv::String(L"vch1"));
    const Sistra::WorkflowModelReader reader(setup);
    for (const int32_t source : {0, 1})
    {
        SCOPED_TRACE(source);
        setup->SetDetectionSource(source);
        const auto texts = Sistra::SettingsPreviewExpressions(reader, Orv::String(L"vch7"));
        ASSERT_EQ(2u, texts.size());
        EXPECT_EQ(0u, Text(texts[0]).find(source == 1 ? L"PVEcgEdpDet(vch1" : L"PVEdpDet(ch1, CMPeakDet("));
        EXPECT_EQ(source == 1 ? L"" : L"PVMaxDet(vch7)", Text(texts[1]));
    }
}

// The channels take the texts once: the same texts again compile nothing, an empty one clears its
// channel, a text the host refuses is tried again however often it comes, and the channels leave the
// document with their preview.
TEST(SettingsPreviewData, TheChannelsCompileChangedTextsOnlyAndLeaveWithThePreview)
{
    DialogTests::DocumentFixture fixture;
    StandInHost::HostDocument& host = fixture.Host();
    const size_t before = host.CalculatedChannelCount();
    const Sistra::ModelPtr setup = fixture.Document().GetSetupModel();
    const Sistra::WorkflowModelReader reader(setup);
    {
        PreviewChannels channels(host.Unknown());
        ASSERT_TRUE(channels.Make());
        ASSERT_EQ(before + 2, host.CalculatedChannelCount());
        const auto units = Sistra::SettingsPreviewUnits();
        const auto texts = Sistra::SettingsPreviewExpressions(reader, channels.TextName(0));
        const auto installed = [&](int channel) {
            Orv::ComPtr<IUnknown> calculation;
            const HostItemId id = channels.Ids()[static_cast<size_t>(channel)];
            return host.GetChannelCalculation(id.first, id.second, calculation.Put()) == S_OK;
        };
        const struct
        {
            const char* name;
            std::vector<Orv::String> texts;
            PreviewChannels::Applied applied;
            bool second;
        } steps[] = {
            {"first", texts, PreviewChannels::Applied::Compiled, true},
            {"same again", texts, PreviewChannels::Applied::Unchanged, true},
            {"second empty", {texts[0], Orv::String()}, PreviewChannels::Applied::Compiled, false},
            {"refused", {Orv::String(L"PVEdpDet("), Orv::String()}, PreviewChannels::Applied::Failed, false},
            {"refused again", {Orv::String(L"PVEdpDet("), Orv::String()}, PreviewChannels::Applied::Failed, false},
            {"corrected", texts, PreviewChannels::Applied::Compiled, true},
        };
        for (const auto& step : steps)
        {
            EXPECT_EQ(step.applied, channels.Apply(step.texts, units)) << step.name;
            EXPECT_TRUE(installed(0)) << step.name;
            EXPECT_EQ(step.second, installed(1)) << step.name;
        }
    }
    EXPECT_EQ(before, host.CalculatedChannelCount());
}

} // namespace
