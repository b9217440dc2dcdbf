#include "ModelTestSupport.h"
#include "document/models/workflow/WorkflowSetup.h"

namespace ModelTests
{
namespace
{

class WorkflowSetupTest : public ::testing::Test
{
protected:
    WorkflowSetupTest() : setup(owner.Setup()) { log.Watch(setup); }

    TestOwner owner{4};
    ModelPtr setup;
    MessageLog log;
};

struct SetupCase
{
    const char* name;
    int32_t pressure;
    int32_t volume;
    double peakHeight;
    double period;
    const wchar_t* validateMessage;   // null: no problem
    const wchar_t* readyMessage;      // null: ready; L"": not ready without text
};

const wchar_t* const Same =
    L"The pressure and volume source channels are the same. You must select different source channels before continuing.";
const wchar_t* const Circular = L"These settings will create a circular dependancy. Choose Pressure and Volume channels that "
                                L"don't depend on the PV analysis.";
const wchar_t* const NotANumber = L"The text entered is not a number.";

TEST_F(WorkflowSetupTest, ValidationAndReadinessFollowTheChannelsAndTheDetectorFields)
{
    owner.dependentChannels = {3};
    const SetupCase cases[] = {
        {"no channels", NoChannel, NoChannel, 20.0, 0.0, nullptr, L""},
        {"both set", 0, 1, 20.0, 0.0, nullptr, nullptr},
        {"equal channels before any range test", 9, 9, 20.0, 0.0, Same, nullptr},
        {"pressure computed from the analysis", 3, 1, 20.0, 0.0, Circular, nullptr},
        {"volume computed from the analysis", 0, 3, 20.0, 0.0, Circular, nullptr},
        {"invalid peak height", 0, 1, InvalidMarker(), 0.0, NotANumber, nullptr},
        {"invalid period", 0, 1, 20.0, InvalidMarker(), NotANumber, nullptr},
        {"blank peak height", 0, 1, BlankMarker(), 0.0, nullptr, NotANumber},
        {"blank period", 0, 1, 20.0, BlankMarker(), nullptr, NotANumber},
        {"volume channel only", NoChannel, 1, 20.0, 0.0, nullptr, L""},
    };
    auto& model = static_cast<WorkflowSetup&>(*setup);
    for (const SetupCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        model.SetPressureChannel(c.pressure);
        model.SetVolumeChannel(c.volume);
        model.SetMinimumPeakHeight(c.peakHeight);
        model.SetMinimumPeriod(c.period);
        model.SetValue<PropertyType::Int>(PropertyId::WorkflowKind, 1);
        const ValidationResult validation = model.ValidateValues();
        EXPECT_EQ(c.validateMessage != nullptr, validation.HasProblem());
        if (c.validateMessage)
        {
            EXPECT_STREQ(c.validateMessage, validation.message.c_str());
        }
        else
        {
            const ValidationResult ready = model.CheckPrerequisites();
            EXPECT_EQ(c.readyMessage != nullptr, ready.HasProblem());
            EXPECT_STREQ(c.readyMessage ? c.readyMessage : L"", ready.message.c_str());
        }
        model.DiscardChanges();
    }
}

// A source channel that the document does not have: the commit goes through, the step is not ready,
// and the problem carries a title and a message, where it used to fail silently and stay open.
TEST_F(WorkflowSetupTest, AChannelOutsideTheDocumentEndsTheTransactionWithATitledProblem)
{
    setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, 1);
    setup->SetPressureChannel(7);
    setup->SetVolumeChannel(1);
    EXPECT_TRUE(setup->CommitChanges());
    EXPECT_FALSE(static_cast<WorkflowSetup&>(*setup).HasSnapshot());
    EXPECT_EQ((std::vector<USHORT>{34, 37}), log.Numbers());
    const ValidationResult ready = setup->CheckReady();
    EXPECT_STREQ(L"Invalid Channel Selection", ready.title.c_str());
    EXPECT_STREQ(L"The pressure source channel is not a channel of this document. Select the pressure channel again "
                 L"before continuing.",
                 ready.message.c_str());
    setup->SetPressureChannel(0);
    setup->SetVolumeChannel(-2);
    EXPECT_TRUE(setup->CommitChanges());
    EXPECT_STREQ(L"The volume source channel is not a channel of this document. Select the volume channel again before "
                 L"continuing.",
                 setup->CheckReady().message.c_str());
}

TEST_F(WorkflowSetupTest, AFreshSetupWritesItsDefaultsInRecordOrder)
{
    const std::string expected = Bytes()
                                     .U8(1)
                                     .I32(NoChannel)
                                     .I32(NoChannel)
                                     .I32(0)
                                     .I32(0)
                                     .I32(0)
                                     .Text(L"")
                                     .F64(20.0)
                                     .F64(0.0)
                                     .I32(8)
                                     .U8(0)
                                     .U8(1)
                                     .U8(0)
                                     .I32(0)
                                     .I32(0)
                                     .Text(L"")
                                     .Str();
    EXPECT_EQ(expected, FullRecordOf(*setup));
    EXPECT_EQ(Bytes().I32(-1).I32(0).I32(0).I32(0).I32(0).Str(), SettingsRecordOf(*setup));
}

TEST_F(WorkflowSetupTest, ARecordRoundTripsAndOlderVersionsFallBackForTheAnalyzerOptions)
{
    setup->SetPressureChannel(2);
    setup->SetEcgEventSource(L"cmpeakdet(ch3, 0.5, 0.05)");
    setup->SetMinimumPeriod(0.25);
    setup->SetValue<PropertyType::Int>(PropertyId::StrokeVolumeMode, 0);
    setup->SetValue<PropertyType::Int>(PropertyId::EndSystolicMode, 1);
    setup->SetSelectedLoop(12);
    setup->SetRegionStart({100, 1});
    setup->SetRegionEnd({7, 3});
    const std::string full = FullRecordOf(*setup);
    const std::string settings = SettingsRecordOf(*setup);

    const ModelPtr copy = ModelClassObjBase::CreateModel(ModelKind::WorkflowSetup, &owner);
    ASSERT_TRUE(LoadRecord(*copy, full, FullRecordVersion));
    ASSERT_TRUE(LoadRecord(*copy, settings, SettingsRecordVersion, true));
    EXPECT_TRUE(ModelBaseNoTpl::ComputeDifferences(*setup, *copy).None());
    EXPECT_EQ((Bytes().I32(12).I32(1).I32(100).I32(3).I32(7).Str()), settings);

    // Version 19 has the stroke-volume mode but not the end-systolic mode; version 18 neither.
    const size_t withoutTail = full.size() - Bytes().I32(0).Text(L"").Str().size();
    const ModelPtr old = ModelClassObjBase::CreateModel(ModelKind::WorkflowSetup, &owner);
    old->SetValue<PropertyType::Int>(PropertyId::EndSystolicMode, 5);
    ASSERT_TRUE(LoadRecord(*old, full.substr(0, withoutTail), 19));
    EXPECT_EQ(0, old->GetValue<PropertyType::Int>(PropertyId::StrokeVolumeMode));
    EXPECT_EQ(0, old->GetValue<PropertyType::Int>(PropertyId::EndSystolicMode));
    ASSERT_TRUE(LoadRecord(*old, full.substr(0, withoutTail - 4), 18));
    EXPECT_EQ(1, old->GetValue<PropertyType::Int>(PropertyId::StrokeVolumeMode));
    EXPECT_FALSE(LoadRecord(*old, full.substr(0, 20), FullRecordVersion));
}

} // namespace
} // namespace ModelTests
