#include "ModelTestSupport.h"
#include "foundation/com/XOrv.h"

namespace ModelTests
{
namespace
{

struct RecordCase
{
    int kind;
    std::string full;
    std::string settings;
};

TEST(SmallModels, FreshModelsWriteTheirDefaultsAndReadThemBack)
{
    TestOwner owner;
    const RecordCase cases[] = {
        {ModelKind::SamplingStep, Bytes().U8(0).Str(), ""},
        {ModelKind::AnalysisStep, Bytes().I32(0).Str(), ""},
        {ModelKind::LoopView, Bytes().U8(1).U8(1).I32(0).I32(1).I32(0).Str(), Bytes().I32(0).Str()},
        {ModelKind::WorkflowView, Bytes().I32(1).U8(1).Str(), ""},
        {ModelKind::HemoTable, Bytes().U8(1).U8(0).Str() + std::string(31, '\x01'), ""},
        {ModelKind::TauModel, Bytes().I32(0).Str(), ""},
    };
    for (const RecordCase& c : cases)
    {
        SCOPED_TRACE(c.kind);
        const ModelPtr model = owner.GetModel(c.kind);
        EXPECT_EQ(c.full, FullRecordOf(*model));
        EXPECT_EQ(c.settings, SettingsRecordOf(*model));
        EXPECT_TRUE(LoadRecord(*model, c.full, FullRecordVersion));
        EXPECT_TRUE(LoadRecord(*model, c.settings, SettingsRecordVersion, true));
    }
}

TEST(SmallModels, ChangedValuesRoundTripThroughTheRecords)
{
    TestOwner owner;
    const ModelPtr loop = owner.GetModel(ModelKind::LoopView);
    loop->SetShowEspvrRegression(false);
    loop->SetEspvrRegressionType(3);
    loop->SetEsPointType(1);
    loop->SetCheckedItems({4, 9, 2});
    const ModelPtr table = owner.GetModel(ModelKind::HemoTable);
    table->SetTableParameterSet({0, 3, 31});
    table->SetAlwaysShowLatestRow(true);
    for (const ModelPtr& model : {loop, table, owner.GetModel(ModelKind::WorkflowView)})
    {
        const ModelPtr copy = ModelClassObjBase::CreateModel(model->GetModelId(), &owner);
        ASSERT_TRUE(LoadRecord(*copy, FullRecordOf(*model), FullRecordVersion));
        ASSERT_TRUE(LoadRecord(*copy, SettingsRecordOf(*model), SettingsRecordVersion, true));
        EXPECT_TRUE(ModelBaseNoTpl::ComputeDifferences(*model, *copy).None()) << model->GetModelId();
    }
    EXPECT_EQ((Bytes().U8(0).U8(1).I32(3).I32(1).I32(1).Str()), FullRecordOf(*loop));
}

TEST(SmallModels, OlderRecordsKeepTheValuesTheyDoNotHold)
{
    TestOwner owner;
    const ModelPtr loop = owner.GetModel(ModelKind::LoopView);
    loop->SetEsPointType(1);
    ASSERT_TRUE(LoadRecord(*loop, Bytes().U8(1).U8(1).I32(0).I32(1).Str(), 19));
    EXPECT_EQ(1, loop->GetValue<PropertyType::Int>(PropertyId::EsPointType));

    // Version 19 holds indices 1 to 29 only: 30 and 31 keep their membership, index 0 is never stored.
    const ModelPtr table = owner.GetModel(ModelKind::HemoTable);
    ASSERT_TRUE(LoadRecord(*table, Bytes().U8(1).U8(0).Str() + std::string(29, '\0'), 19));
    EXPECT_EQ((ParameterSet{0, 30, 31}), table->GetTableParameterSet());
    // A record cut short removes every index it no longer reaches and reports the failure.
    const ModelPtr cut = ModelClassObjBase::CreateModel(ModelKind::HemoTable, &owner);
    EXPECT_FALSE(LoadRecord(*cut, Bytes().U8(1).U8(0).U8(1).U8(1).Str(), FullRecordVersion));
    EXPECT_EQ((ParameterSet{0, 1, 2}), cut->GetTableParameterSet());
}

TEST(SmallModels, ATruncatedTauRecordLoadsAsSuccessAndLeavesTheStreamFailed)
{
    TestOwner owner;
    const ModelPtr tau = owner.GetModel(ModelKind::TauModel);
    std::stringbuf buffer(std::string("\x02\x00", 2));
    Orv::BinIStream in(&buffer);
    EXPECT_TRUE(tau->Load(in, FullRecordVersion));
    EXPECT_FALSE(in.IsGood());
    EXPECT_TRUE(tau->Load(in, FullRecordVersion));
    EXPECT_EQ(0, tau->GetValue<PropertyType::Int>(PropertyId::TauModel));
}

// A loop-view settings record whose member count is beyond the bytes that remain, or negative, is
// refused before anything is allocated for it.
TEST(SmallModels, ALoopViewSetCountBeyondTheRecordIsRefusedBeforeAllocating)
{
    TestOwner owner;
    const ModelPtr loop = owner.GetModel(ModelKind::LoopView);
    for (int32_t count : {3, -1, 0x7FFFFFFF})
    {
        SCOPED_TRACE(count);
        try
        {
            LoadRecord(*loop, Bytes().I32(count).I32(5).I32(6).Str(), SettingsRecordVersion, true);
            FAIL() << "accepted";
        }
        catch (const XOrv& error)
        {
            EXPECT_EQ(static_cast<HRESULT>(0xA004820A), error.Code());
        }
    }
    EXPECT_TRUE(LoadRecord(*loop, Bytes().I32(2).I32(5).I32(6).Str(), SettingsRecordVersion, true));
    EXPECT_EQ((IntSet{5, 6}), loop->GetCheckedItems());
}

TEST(SmallModels, TheAnalyseStepIsNeverReadyAndSamplingOnlyOnceDeclaredComplete)
{
    TestOwner owner;
    const ModelPtr analysis = owner.GetModel(ModelKind::AnalysisStep);
    for (int32_t type : {0, 1, 7})
    {
        analysis->SetValue<PropertyType::Int>(PropertyId::AnalysisType, type);
        EXPECT_TRUE(analysis->CheckReady().HasProblem());
    }
    const ModelPtr sampling = owner.GetModel(ModelKind::SamplingStep);
    EXPECT_TRUE(sampling->CheckReady().HasProblem());
    sampling->SetValue<PropertyType::Bool>(PropertyId::SamplingComplete, true);
    EXPECT_FALSE(sampling->CheckReady().HasProblem());
}

TEST(SmallModels, SamplingBecomesIncompleteOnlyWhenTheSetupKindOrChannelsChange)
{
    TestOwner owner;
    const ModelPtr sampling = owner.GetModel(ModelKind::SamplingStep);
    MessageLog log;
    log.Watch(sampling);
    sampling->SetValue<PropertyType::Bool>(PropertyId::SamplingComplete, true);
    ASSERT_TRUE(sampling->CommitChanges());
    log.seen.clear();

    const ModelPtr setup = owner.Setup();
    setup->SetOnlineMode(true);
    setup->CommitChanges();
    EXPECT_TRUE(sampling->GetValue<PropertyType::Bool>(PropertyId::SamplingComplete));
    EXPECT_TRUE(log.seen.empty());

    setup->SetVolumeChannel(2);
    setup->CommitChanges();
    EXPECT_FALSE(sampling->GetValue<PropertyType::Bool>(PropertyId::SamplingComplete));
    EXPECT_EQ((std::vector<USHORT>{34, 37}), log.Numbers());
    EXPECT_EQ(PropertyIdSet{PropertyId::SamplingComplete}, log.seen[0].changed);
}

} // namespace
} // namespace ModelTests
