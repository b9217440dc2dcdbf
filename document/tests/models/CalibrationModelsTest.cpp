#include "ModelTestSupport.h"
#include "foundation/com/XOrv.h"

#include <functional>

namespace ModelTests
{
namespace
{

const double Blank = BlankMarker();
const double Invalid = InvalidMarker();

struct CheckCase
{
    const char* name;
    int kind;
    std::vector<std::pair<int, double>> doubles;   // property id, value
    std::vector<std::pair<int, int32_t>> ints;
    const wchar_t* title;                           // null: no problem
    const wchar_t* message;
};

void Apply(const ModelPtr& model, const CheckCase& c)
{
    for (const auto& [id, value] : c.doubles)
        model->SetValue<PropertyType::Double>(id, value);
    for (const auto& [id, value] : c.ints)
        model->SetValue<PropertyType::Int>(id, value);
}

TEST(CalibrationModels, EachValidationTextNamesTheFirstFailingCheck)
{
    const wchar_t* const NaN = L"Not A Number";
    const wchar_t* const TextNaN = L"The text entered is not a number.";
    const wchar_t* const Invalidated = L"Invalid Calibration Value";
    const wchar_t* const Range = L"Out of Range";
    const CheckCase cases[] = {
        {"pressure first base invalid before equality", 2, {{3, Invalid}, {5, Invalid}}, {}, NaN,
         L"The first base pressure value is not a number."},
        {"pressure second converted invalid", 2, {{6, Invalid}}, {}, NaN, L"The second converted pressure value is not a number."},
        {"pressure bases equal within tolerance", 2, {{3, 1.0}, {5, 1.0 + 1e-14}}, {}, Invalidated,
         L"The base pressure values cannot be equal."},
        {"pressure converted equal", 2, {{3, 1.0}, {5, 2.0}, {4, 0.0}, {6, 0.0}}, {}, Invalidated,
         L"The converted pressure values cannot be equal."},
        {"pressure blank values pass", 2, {{3, 1.0}}, {}, nullptr, nullptr},
        {"pressure gain of 1e37", 2, {{3, 0.0}, {5, 1.0}, {4, 0.0}, {6, 1e37}}, {}, Invalidated,
         L"The two points give a gain of 1e+37 calibrated units per raw unit, which no transducer has (a gain lies "
         L"between 1e-12 and 1e12). Check the values for a typing error."},
        {"pressure gain at the limit", 2, {{3, 0.0}, {5, 1.0}, {4, 0.0}, {6, -1e12}}, {}, nullptr, nullptr},
        {"volume gain far below any", 11, {{50, 0.0}, {51, 1e30}, {52, 0.0}, {53, 1.0}}, {}, Invalidated,
         L"The two points give a gain of 1e-30 calibrated units per raw unit, which no transducer has (a gain lies "
         L"between 1e-12 and 1e12). Check the values for a typing error."},
        {"conductance second base invalid", 3, {{10, Invalid}}, {}, NaN, L"The second base conductance value is not a number."},
        {"conductance bases equal", 3, {{8, 5.0}, {10, 5.0}}, {}, Invalidated, L"The base conductance values cannot be equal."},
        {"volume invalid carries the text title", 11, {{52, Invalid}}, {}, TextNaN,
         L"The first converted volume value is not a number."},
        {"volume converted equal", 11, {{50, 1.0}, {51, 2.0}, {52, 3.0}, {53, 3.0}}, {}, Invalidated,
         L"The converted volume values cannot be equal."},
        {"cuvette slope invalid", 5, {{15, Invalid}}, {}, NaN, L"The slope entered is not a number."},
        {"cuvette intercept invalid", 5, {{15, 1.0}, {16, Invalid}}, {}, NaN, L"The intercept entered is not a number."},
        {"cuvette slope at the limit", 5, {{15, 100000.0}}, {}, nullptr, nullptr},
        {"cuvette slope past the limit", 5, {{15, 100000.5}}, {}, Range, L"The slope must be between -100000 and 100000."},
        {"cuvette slope practically zero", 5, {{15, 1e-40}}, {}, L"Invalid Slope", L"The slope can not be zero."},
        {"cuvette intercept past the limit", 5, {{15, 2.0}, {16, -100001.0}}, {}, Range,
         L"The intercept must be between -100000 and 100000."},
        {"saline invalid", 6, {{18, Invalid}}, {}, NaN, L"The parallel conductance value is not a number."},
        {"saline blank passes", 6, {}, {}, nullptr, nullptr},
        {"alpha invalid", 10, {{42, Invalid}}, {}, NaN, L"The alpha value is not a number."},
        {"alpha negative", 10, {{42, -0.5}}, {}, Range, L"The alpha factor must be greater than 0"},
        {"alpha zero", 10, {{42, 0.0}}, {}, Range, L"Alpha can not be exactly 0.0"},
        {"alpha from cardiac output", 10, {{42, 1.0}, {46, Invalid}}, {{44, 1}}, NaN,
         L"The scaled cardiac output value is not a number."},
        {"alpha from stroke volume ignores cardiac output", 10, {{42, 1.0}, {46, Invalid}, {47, Invalid}}, {}, NaN,
         L"The base stroke volume value is not a number."},
        {"known volumes blank rejected", 14, {{65, 1.0}}, {}, TextNaN, L"The second base volume value is not a number."},
        {"known volumes equal bases", 14, {{65, 2.0}, {66, 2.0}, {68, 1.0}, {69, 3.0}}, {}, Invalidated,
         L"The base volume values cannot be equal."},
        {"known ESV not below EDV", 14, {{65, 3.0}, {66, 2.0}, {68, 1.0}, {69, 3.0}}, {}, Invalidated,
         L"The base End Systolic Volume value must be less than the base End Diastolic Volume value."},
        {"known converted ESV not below EDV", 14, {{65, 1.0}, {66, 2.0}, {68, 4.0}, {69, 3.0}}, {}, Invalidated,
         L"The converted End Systolic Volume value must be less than the converted End Diastolic Volume value."},
        {"known SV above EDV", 14, {{66, 2.0}, {67, 3.0}, {69, 5.0}, {70, 4.0}}, {{63, 2}}, Invalidated,
         L"The base Stroke Volume value must be less than the base End Diastolic Volume value."},
        {"known pair 1 inconsistent", 14, {{65, 3.0}, {67, 2.0}, {68, 1.0}, {70, 2.0}}, {{63, 1}},
         L"Base and converted values should be consistent.",
         L"Please ensure the correct volume values are placed in the proper areas."},
        {"known pair 1 negative base ESV passes", 14, {{65, -1.0}, {67, 2.0}, {68, 5.0}, {70, 3.0}}, {{63, 1}}, nullptr,
         nullptr},
        {"known pair outside the table checks nothing", 14, {}, {{63, 5}}, nullptr, nullptr},
    };
    for (const CheckCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TestOwner owner;
        const ModelPtr model = owner.GetModel(c.kind);
        Apply(model, c);
        const ValidationResult result = static_cast<ModelBaseNoTpl&>(*model).ValidateValues();
        EXPECT_EQ(c.title != nullptr, result.HasProblem());
        if (c.title)
        {
            EXPECT_STREQ(c.title, result.title.c_str());
            EXPECT_STREQ(c.message, result.message.c_str());
        }
    }
}

// Makes the setup step complete: a workflow kind and two channels.
void CompleteSetup(TestOwner& owner, int32_t workflowKind = 1)
{
    const ModelPtr setup = owner.Setup();
    setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, workflowKind);
    setup->SetPressureChannel(0);
    setup->SetVolumeChannel(1);
    ASSERT_TRUE(setup->CommitChanges());
}

TEST(CalibrationModels, ApplyingNeedsTheUpstreamStepThenEveryValueThenTheFlag)
{
    TestOwner owner;
    const ModelPtr pressure = owner.GetModel(ModelKind::PressureCalib);
    const wchar_t* const Title = L"Can't Apply Calibration";
    EXPECT_STREQ(L"Complete the setup step before applying pressure calibration.", pressure->CheckReady().message.c_str());
    EXPECT_STREQ(Title, pressure->CheckReady().title.c_str());
    owner.Setup()->SetWorkflowModeOn(false);
    EXPECT_STREQ(L"Fill in all the pressure calibration boxes before applying.", pressure->CheckReady().message.c_str());
    owner.Setup()->SetWorkflowModeOn(true);
    CompleteSetup(owner);
    for (int id : {3, 4, 5, 6})
        pressure->SetValue<PropertyType::Double>(id, id * 10.0);
    const ValidationResult unapplied = pressure->CheckReady();
    EXPECT_TRUE(unapplied.HasProblem());
    EXPECT_TRUE(unapplied.title.IsEmpty());
    pressure->SetPressureCalibrationApplied(true);
    EXPECT_FALSE(pressure->CheckReady().HasProblem());

    // Saline waits for the cuvette in the small-mammal workflow and for the volume in the large one.
    const ModelPtr saline = owner.GetModel(ModelKind::SalineCalib);
    EXPECT_STREQ(L"Complete the cuvette calibration step before applying saline calibration.",
                 saline->CheckReady().message.c_str());
    CompleteSetup(owner, 2);
    EXPECT_STREQ(L"Complete the volume calibration step before applying saline calibration.",
                 saline->CheckReady().message.c_str());
    CompleteSetup(owner, 3);
    EXPECT_STREQ(L"Enter a value for parallel conductance before applying.", saline->CheckReady().message.c_str());
    const ModelPtr known = owner.GetModel(ModelKind::KnownVolumeCalib);
    // Blank known volumes already fail the value check; the prerequisites name the empty boxes.
    EXPECT_STREQ(L"The first base volume value is not a number.", known->CheckReady().message.c_str());
    EXPECT_STREQ(L"Fill in all the volume calibration boxes before applying.",
                 static_cast<ModelBaseNoTpl&>(*known).CheckPrerequisites().message.c_str());
}

// Changing the volume channel withdraws the conductance calibration, which withdraws the cuvette
// calibration, which withdraws the saline and alpha calibrations.
TEST(CalibrationModels, AVolumeChannelChangeWithdrawsTheCalibrationsThatBuildOnIt)
{
    TestOwner owner;
    CompleteSetup(owner);
    const std::pair<int, int> flags[] = {{ModelKind::ConductanceCalib, PropertyId::ConductanceCalibrationApplied},
                                         {ModelKind::CuvetteCalib, PropertyId::CuvetteCalibrationApplied},
                                         {ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied},
                                         {ModelKind::AlphaCalib, PropertyId::AlphaCalibrationApplied},
                                         {ModelKind::PressureCalib, PropertyId::PressureCalibrationApplied}};
    for (const auto& [kind, id] : flags)
    {
        owner.GetModel(kind)->SetValue<PropertyType::Bool>(id, true);
        owner.GetModel(kind)->SetSuppressCommit(true);
        owner.GetModel(kind)->CommitChanges();
        owner.GetModel(kind)->SetSuppressCommit(false);
    }
    MessageLog log;
    for (const auto& [kind, id] : flags)
        log.Watch(owner.GetModel(kind));

    owner.Setup()->SetVolumeChannel(2);
    ASSERT_TRUE(owner.Setup()->CommitChanges());
    for (const auto& [kind, id] : flags)
        EXPECT_EQ(kind == ModelKind::PressureCalib, owner.GetModel(kind)->GetValue<PropertyType::Bool>(id)) << kind;
    std::vector<int> withdrawn;
    for (const SeenMessage& m : log.seen)
        if (m.number == DocumentNotification::ModelPropertiesChanged)
            withdrawn.push_back(m.sourceKind);
    // Each withdrawal commits inside the one that caused it, so the observer hears the innermost first.
    EXPECT_EQ((std::vector<int>{ModelKind::AlphaCalib, ModelKind::SalineCalib, ModelKind::CuvetteCalib,
                                ModelKind::ConductanceCalib}),
              withdrawn);
}

// Re-applying a calibration page whose boxes are still blank is no change: nothing is announced and
// the calibrations built on it stay applied.
TEST(CalibrationModels, ReapplyingUntouchedBlankBoxesWithdrawsNothingDownstream)
{
    TestOwner owner;
    const ModelPtr conductance = owner.GetModel(ModelKind::ConductanceCalib);
    const ModelPtr cuvette = owner.GetModel(ModelKind::CuvetteCalib);
    cuvette->SetCuvetteCalibrationApplied(true);
    ASSERT_TRUE(cuvette->CommitChanges());
    conductance->SetConductanceBase1(BlankMarker());
    conductance->SetConductanceBase2(BlankMarker());
    conductance->BeginChange();
    EXPECT_FALSE(conductance->CommitChanges());
    EXPECT_TRUE(cuvette->GetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied));
}

TEST(CalibrationModels, AWorkflowModeChangeReannouncesEveryCuvetteAndSalineProperty)
{
    TestOwner owner;
    MessageLog log;
    log.Watch(owner.GetModel(ModelKind::CuvetteCalib));
    log.Watch(owner.GetModel(ModelKind::SalineCalib));
    owner.Setup()->SetWorkflowModeOn(false);
    owner.Setup()->CommitChanges();
    EXPECT_EQ((std::vector<PropertyIdSet>{{15, 16, 17, 33, 37, 38}, {18, 19, 40, 41}}), log.ChangedSets());
}

struct FreshRecordCase
{
    int kind;
    std::string full;
};

std::string UnitBytes(int32_t code, const wchar_t* name)
{
    return Bytes().I32(code).Text(name).Str();
}

TEST(CalibrationModels, FreshCalibrationsWriteBlankValuesAndTheirUnits)
{
    TestOwner owner;
    const FreshRecordCase cases[] = {
        {2, Bytes().F64(Blank).F64(Blank).F64(Blank).F64(Blank).U8(0).Str()},
        {3, Bytes().F64(Blank).F64(Blank).F64(Blank).F64(Blank).U8(0).Str() + UnitBytes(7, L"S")},
        {11, Bytes().U8(0).F64(Blank).F64(Blank).F64(Blank).F64(Blank).Str() + UnitBytes(7, L"L")},
        {14, Bytes().I32(0).U8(0).F64(Blank).F64(Blank).F64(Blank).F64(Blank).Str() + UnitBytes(7, L"L")},
        {5, Bytes().F64(Blank).F64(Blank).U8(0).Str() + UnitBytes(6, L"L") + Bytes().I32(0).Str()},
        {6, Bytes().F64(Blank).U8(0).U8(0).Str()},
        {10, Bytes().F64(Blank).U8(0).I32(2).F64(Blank).F64(Blank).F64(Blank).F64(Blank).Str()},
    };
    for (const FreshRecordCase& c : cases)
    {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(c.full, FullRecordOf(*owner.GetModel(c.kind)));
    }
    EXPECT_EQ(Bytes().I32(0).I32(0).Str(), SettingsRecordOf(*owner.GetModel(ModelKind::CuvetteCalib)));
    EXPECT_EQ(Bytes().I32(0).I32(0).Str(), SettingsRecordOf(*owner.GetModel(ModelKind::SalineCalib)));
}

TEST(CalibrationModels, EveryCalibrationRoundTripsThroughItsRecords)
{
    TestOwner owner;
    const ModelPtr cuvette = owner.GetModel(ModelKind::CuvetteCalib);
    cuvette->SetCuvetteSlope(2.5);
    cuvette->SetKnownVolumes({10.0, 25.0, 50.0});
    DoubleMatrix table;
    table.Set(2, 1, 0.75);
    cuvette->SetCuvetteTable(table);
    BolusEntry bolus;
    bolus.value = 12.0;
    bolus.start = {100, 1};
    bolus.end = {900, 1};
    bolus.loopItems = {3, 4};
    const ModelPtr saline = owner.GetModel(ModelKind::SalineCalib);
    saline->SetBolusList({bolus, BolusEntry{}});
    saline->SetSelectedBoluses({1});
    owner.GetModel(ModelKind::ConductanceCalib)->SetValue<PropertyType::Unit>(PropertyId::ConductanceUnit, {L"RVU", 0});
    owner.GetModel(ModelKind::KnownVolumeCalib)->SetValue<PropertyType::Int>(PropertyId::KnownVolumePair, 2);
    owner.GetModel(ModelKind::KnownVolumeCalib)->SetKnownVolumeValue67(4.0);
    owner.GetModel(ModelKind::AlphaCalib)->SetValue<PropertyType::Double>(PropertyId::Alpha, 0.8);
    owner.GetModel(ModelKind::VolumeCalib)->SetVolumeBase2(3.0);
    owner.GetModel(ModelKind::PressureCalib)->SetPressureBase1(InvalidMarker());
    for (int kind : {2, 3, 5, 6, 10, 11, 14})
    {
        SCOPED_TRACE(kind);
        const ModelPtr model = owner.GetModel(kind);
        const ModelPtr copy = ModelClassObjBase::CreateModel(kind, &owner);
        ASSERT_TRUE(LoadRecord(*copy, FullRecordOf(*model), FullRecordVersion));
        ASSERT_TRUE(LoadRecord(*copy, SettingsRecordOf(*model), SettingsRecordVersion, true));
        EXPECT_TRUE(ModelBaseNoTpl::ComputeDifferences(*model, *copy).None());
    }
}

TEST(CalibrationModels, AKnownVolumeRecordHoldsOnlyTheChosenPair)
{
    TestOwner owner;
    const ModelPtr known = owner.GetModel(ModelKind::KnownVolumeCalib);
    known->SetKnownVolumeValue65(7.0);
    const std::string pairTwo = Bytes().I32(2).U8(1).F64(1.0).F64(2.0).F64(3.0).F64(4.0).Str() + UnitBytes(1, L"L");
    ASSERT_TRUE(LoadRecord(*known, pairTwo, FullRecordVersion));
    EXPECT_EQ(7.0, known->GetValue<PropertyType::Double>(PropertyId::KnownVolumeBaseEsv));
    EXPECT_EQ(1.0, known->GetValue<PropertyType::Double>(PropertyId::KnownVolumeBaseEdv));
    EXPECT_EQ(4.0, known->GetValue<PropertyType::Double>(PropertyId::KnownVolumeConvertedSv));
    EXPECT_EQ((UnitInfo{L"L", 0}), known->GetKnownVolumeUnit());
    EXPECT_TRUE(known->GetKnownVolumeCalibrationApplied());
}

TEST(CalibrationModels, OlderSalineSettingsKeepWhatTheyDoNotHold)
{
    TestOwner owner;
    const ModelPtr saline = owner.GetModel(ModelKind::SalineCalib);
    BolusEntry kept;
    kept.loopItems = {9};
    saline->SetBolusList({kept});
    const std::string version11 = Bytes()
                                      .I32(2)
                                      .F64(1.5).I32(0).I32(10).I32(0).I32(20)
                                      .F64(2.5).I32(1).I32(30).I32(1).I32(40)
                                      .I32(1).I32(1)
                                      .Str();
    ASSERT_TRUE(LoadRecord(*saline, version11, 11, true));
    const std::vector<BolusEntry> boluses = saline->GetBolusList();
    ASSERT_EQ(2u, boluses.size());
    EXPECT_EQ(IntSet{9}, boluses[0].loopItems);
    EXPECT_TRUE(boluses[1].loopItems.empty());
    EXPECT_EQ((RecordingPosition{30, 1}), boluses[1].start);
    EXPECT_EQ(IntSet{1}, saline->GetSelectedBoluses());

    const std::string version10 = Bytes().I32(1).F64(9.0).I32(3).I32(0).Str();
    ASSERT_TRUE(LoadRecord(*saline, version10, 10, true));
    EXPECT_EQ(2u, saline->GetBolusList().size());
}

struct DamagedCase
{
    const char* name;
    int kind;
    bool settings;
    int version;
    std::string bytes;
};

// Counts read from a record are trusted by nobody: a negative count, or one larger than the bytes
// that remain, is refused with the damaged-record code before anything is allocated for it.
TEST(CalibrationModels, ACountLargerThanTheRecordOrNegativeIsRefusedBeforeAllocating)
{
    const std::string cuvetteHead = Bytes().F64(1.0).F64(2.0).U8(0).Str() + UnitBytes(6, L"L");
    const DamagedCase cases[] = {
        {"known volumes beyond the record", 5, false, 20, cuvetteHead + Bytes().I32(3).F64(1.0).Str()},
        {"known volumes negative", 5, false, 20, cuvetteHead + Bytes().I32(-2).Str()},
        {"table rows times columns beyond the record", 5, true, 12, Bytes().I32(0x10000).I32(0x10000).F64(1.0).Str()},
        {"table rows negative", 5, true, 12, Bytes().I32(-1).I32(-1).Str()},
        {"boluses beyond the record", 6, true, 12, Bytes().I32(1000000).Str()},
        {"boluses negative", 6, true, 12, Bytes().I32(-5).Str()},
        {"selection beyond the record", 6, true, 12, Bytes().I32(0).I32(50).I32(1).Str()},
        {"loop items beyond the record", 6, true, 12,
         Bytes().I32(1).F64(1.0).I32(0).I32(0).I32(0).I32(0).I32(0).I32(0x40000000).Str()},
        {"legacy boluses beyond the record", 6, true, 10, Bytes().I32(0x7FFFFFFF).Str()},
    };
    for (const DamagedCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TestOwner owner;
        const ModelPtr model = owner.GetModel(c.kind);
        try
        {
            LoadRecord(*model, c.bytes, c.version, c.settings);
            ADD_FAILURE() << "accepted";
        }
        catch (const XOrv& error)
        {
            EXPECT_EQ(static_cast<HRESULT>(0xA004820A), error.Code());
        }
    }
}

} // namespace
} // namespace ModelTests
