#include "ModelTestSupport.h"
#include "foundation/com/XOrv.h"

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>

namespace ModelTests
{
namespace
{

constexpr int AllTypesKind = 99;
// One property of every type code, under the id that has that type in the shared numbering.
constexpr int IntId = 0, ChannelId = 1, BoolId = 7, DoubleId = 3, UnitId = 13, TextId = 29, VectorId = 37,
              BolusId = 40, ParameterSetId = 55, PositionId = 59, IntSetId = 41, MatrixId = 38;

// A model with all twelve value types, invalid while its int is -1, that records what it hears from
// the setup model.
class AllTypesModel final : public ModelBase<AllTypesKind>
{
public:
    AllTypesModel(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
    {
        using enum PropertyType;
        RegisterProperty<Int>(IntId, &intValue);
        RegisterProperty<Channel>(ChannelId, &channel);
        RegisterProperty<Bool>(BoolId, &flag);
        RegisterProperty<Double>(DoubleId, &number);
        RegisterProperty<Unit>(UnitId, &unit);
        RegisterProperty<Text>(TextId, &text);
        RegisterProperty<DoubleVector>(VectorId, &vector);
        RegisterProperty<BolusList>(BolusId, &boluses);
        RegisterProperty<ParameterSet>(ParameterSetId, &parameters);
        RegisterProperty<Position>(PositionId, &position);
        RegisterProperty<IntSet>(IntSetId, &integers);
        RegisterProperty<Matrix>(MatrixId, &matrix);
        SubscribeToModel(ModelKind::WorkflowSetup);
    }

    bool Load(Orv::BinIStream& in, int) override
    {
        in.ReadLong(&intValue);
        in.ReadLong(&channel);
        BYTE b = 0;
        in.ReadByte(&b);
        flag = b != 0;
        in.ReadDouble(&number);
        Orv::String unitText;
        in.ReadString(unitText);
        unit.text = unitText.c_str();
        in.ReadShort(&unit.prefix);
        in.ReadString(text);
        ReadDoubles(in, vector);
        boluses.resize(in.ReadU32());
        for (BolusEntry& entry : boluses)
            in.ReadDouble(&entry.value);
        ReadSet(in, parameters);
        in.ReadLong(&position.tick);
        in.ReadLong(&position.block);
        ReadSet(in, integers);
        const int32_t rows = in.ReadInt32();
        const int32_t columns = in.ReadInt32();
        matrix.Resize(rows, columns);
        for (double& cell : matrix.Data())
            in.ReadDouble(&cell);
        return in.IsGood();
    }

    void Save(Orv::BinOStream& out) const override
    {
        out.WriteInt32(intValue);
        out.WriteInt32(channel);
        out.WriteByte(flag);
        out.WriteDouble(number);
        out.WriteString(Orv::String(unit.text));
        out.WriteShort(static_cast<short>(unit.prefix));
        out.WriteString(text);
        WriteDoubles(out, vector);
        out.WriteU32(static_cast<uint32_t>(boluses.size()));
        for (const BolusEntry& entry : boluses)
            out.WriteDouble(entry.value);
        WriteSet(out, parameters);
        out.WriteInt32(position.tick);
        out.WriteInt32(position.block);
        WriteSet(out, integers);
        out.WriteInt32(matrix.Rows());
        out.WriteInt32(matrix.Columns());
        for (double cell : matrix.Data())
            out.WriteDouble(cell);
    }

    ValidationResult ValidateValues() override
    {
        return intValue == -1 ? ValidationResult(Orv::String(L"Bad"), Orv::String(L"The int is -1.")) : ValidationResult::Ok();
    }

    void OnModelChanged(Model* source, const PropertyIdSet& changed) override
    {
        heard.push_back({source->GetModelId(), changed});
        ++heardByAnyInstance;
    }

    static inline int heardByAnyInstance = 0;

    int32_t intValue = 0;
    int32_t channel = NoChannel;
    bool flag = false;
    double number = 1.0;
    UnitInfo unit{L"L", L'm'};
    Orv::String text;
    std::vector<double> vector;
    std::vector<BolusEntry> boluses;
    ParameterSet parameters;
    RecordingPosition position;
    IntSet integers;
    DoubleMatrix matrix;
    std::vector<std::pair<int, PropertyIdSet>> heard;

private:
    static void WriteDoubles(Orv::BinOStream& out, const std::vector<double>& values)
    {
        out.WriteU32(static_cast<uint32_t>(values.size()));
        for (double v : values)
            out.WriteDouble(v);
    }
    static void ReadDoubles(Orv::BinIStream& in, std::vector<double>& values)
    {
        values.resize(in.ReadU32());
        for (double& v : values)
            in.ReadDouble(&v);
    }
    static void WriteSet(Orv::BinOStream& out, const IntSet& set)
    {
        out.WriteU32(static_cast<uint32_t>(set.size()));
        for (int32_t v : set)
            out.WriteInt32(v);
    }
    static void ReadSet(Orv::BinIStream& in, IntSet& set)
    {
        set.clear();
        const uint32_t n = in.ReadU32();
        for (uint32_t i = 0; i < n && in.IsGood(); ++i)
            set.insert(in.ReadInt32());
    }
};

const ModelClassObj<AllTypesModel> allTypesFactory;

class ModelBaseTest : public ::testing::Test
{
protected:
    ModelBaseTest()
        : model(owner.GetModel(AllTypesKind)), all(static_cast<AllTypesModel&>(*model))
    {
        log.Watch(model);
    }

    TestOwner owner;
    ModelPtr model;
    AllTypesModel& all;
    MessageLog log;
};

const double QuietNaN = std::numeric_limits<double>::quiet_NaN();

struct DoubleCase
{
    const char* name;
    double stored;
    double assigned;
    bool isChange;
};

TEST_F(ModelBaseTest, ADoubleChangesOnlyBeyondTheRelativeToleranceAndAMarkerEqualsItself)
{
    const DoubleCase cases[] = {
        {"identical", 2.5, 2.5, false},
        {"within 1e-13 of the smaller", 1.0, 1.0 + 1e-14, false},
        {"beyond the tolerance", 1.0, 1.0 + 1e-12, true},
        {"both below 1e-32", 1e-40, 0.0, false},
        {"from zero the divisor is zero", 0.0, 1e-20, true},
        {"a plain NaN over itself", QuietNaN, QuietNaN, true},
        {"blank over blank", BlankMarker(), BlankMarker(), false},
        {"invalid over invalid", InvalidMarker(), InvalidMarker(), false},
        {"blank over invalid", InvalidMarker(), BlankMarker(), true},
    };
    for (const DoubleCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        all.number = c.stored;
        log.seen.clear();
        EXPECT_TRUE(model->SetValue<PropertyType::Double>(DoubleId, c.assigned));
        EXPECT_EQ(c.isChange, all.HasSnapshot());
        EXPECT_EQ(c.isChange, model->CommitChanges());
        EXPECT_EQ(c.isChange ? PropertyIdSet{DoubleId} : PropertyIdSet{}, log.ChangedSets().empty() ? PropertyIdSet{} : log.ChangedSets()[0]);
        EXPECT_FALSE(all.HasSnapshot());
    }
}

// Each setter stores, opens the transaction and the commit names its id alone; an equal value is no change.
TEST_F(ModelBaseTest, EveryTypeCommitsExactlyTheIdThatChanged)
{
    BolusEntry bolus;
    bolus.value = 3.0;
    DoubleMatrix matrix;
    matrix.Set(1, 1, 4.0);
    const std::vector<std::pair<int, std::function<bool()>>> setters = {
        {IntId, [&] { return model->SetValue<PropertyType::Int>(IntId, 5); }},
        {ChannelId, [&] { return model->SetPressureChannel(2); }},
        {BoolId, [&] { return model->SetValue<PropertyType::Bool>(BoolId, true); }},
        {DoubleId, [&] { return model->SetValue<PropertyType::Double>(DoubleId, 7.0); }},
        {UnitId, [&] { return model->SetValue<PropertyType::Unit>(UnitId, UnitInfo{L"S", L'm'}); }},
        {TextId, [&] { return model->SetEcgEventSource(L"ch3"); }},
        {VectorId, [&] { return model->SetKnownVolumes({1.0, 2.0}); }},
        {BolusId, [&] { return model->SetBolusList({bolus}); }},
        {ParameterSetId, [&] { return model->SetTableParameterSet({1, 2}); }},
        {PositionId, [&] { return model->SetRegionStart({10, 2}); }},
        {IntSetId, [&] { return model->SetSelectedBoluses({0}); }},
        {MatrixId, [&] { return model->SetCuvetteTable(matrix); }},
    };
    for (const auto& [id, set] : setters)
    {
        SCOPED_TRACE(id);
        log.seen.clear();
        EXPECT_TRUE(set());
        EXPECT_TRUE(model->CommitChanges());
        EXPECT_TRUE(set());   // the same value again
        EXPECT_FALSE(all.HasSnapshot());
        EXPECT_FALSE(model->CommitChanges());
        ASSERT_EQ((std::vector<USHORT>{34, 36}), log.Numbers());
        EXPECT_EQ(PropertyIdSet{id}, log.seen[0].changed);
        EXPECT_EQ(AllTypesKind, log.seen[0].sourceKind);
    }
    EXPECT_EQ(12, owner.modifiedCount);
}

TEST_F(ModelBaseTest, ContainersCompareByContentsWithoutToleranceAndSetsIgnoreOrder)
{
    all.vector = {1.0, 2.0};
    EXPECT_TRUE(model->SetKnownVolumes({2.0, 1.0}));
    EXPECT_TRUE(all.HasSnapshot());
    model->DiscardChanges();
    all.vector = {1.0, QuietNaN};
    model->SetKnownVolumes({1.0, QuietNaN});
    EXPECT_TRUE(all.HasSnapshot()) << "a plain NaN element is never equal";
    model->DiscardChanges();
    all.vector = {1.0, BlankMarker()};
    model->SetKnownVolumes({1.0, BlankMarker()});
    EXPECT_FALSE(all.HasSnapshot()) << "a blank element equals itself";
    all.parameters = {3, 1, 2};
    model->SetTableParameterSet({1, 2, 3});
    EXPECT_FALSE(all.HasSnapshot());
    all.text = L"ch1";
    model->SetEcgEventSource(L"CH1");
    EXPECT_TRUE(all.HasSnapshot()) << "texts compare case-sensitively";
    model->DiscardChanges();
    all.position = {5, 1};
    model->SetRegionStart({5, 2});
    EXPECT_TRUE(all.HasSnapshot()) << "the block word alone differs";
}

TEST_F(ModelBaseTest, ACommitWithoutChangeOrWithAValueSetBackSendsNothing)
{
    EXPECT_FALSE(model->CommitChanges());
    model->SetValue<PropertyType::Int>(IntId, 4);
    model->SetValue<PropertyType::Int>(IntId, 0);
    EXPECT_FALSE(model->CommitChanges());
    EXPECT_FALSE(all.HasSnapshot());
    EXPECT_TRUE(log.seen.empty());
}

TEST_F(ModelBaseTest, ASuppressedCommitKeepsTheValuesAndTellsNobody)
{
    EXPECT_TRUE(model->SetSuppressCommit(true));
    model->SetValue<PropertyType::Int>(IntId, 4);
    EXPECT_FALSE(model->CommitChanges());
    EXPECT_EQ(4, all.intValue);
    EXPECT_FALSE(all.HasSnapshot());
    EXPECT_TRUE(log.seen.empty());
}

TEST_F(ModelBaseTest, AFailedValidationKeepsTheTransactionOpenUntilTheValuesAreCorrected)
{
    model->SetValue<PropertyType::Double>(DoubleId, 8.0);
    model->SetValue<PropertyType::Int>(IntId, -1);
    EXPECT_FALSE(model->CommitChanges());
    ASSERT_EQ(std::vector<USHORT>{35}, log.Numbers());
    EXPECT_EQ(L"Bad", log.seen[0].title);
    EXPECT_EQ(L"The int is -1.", log.seen[0].message);
    EXPECT_TRUE(all.HasSnapshot());
    model->SetValue<PropertyType::Int>(IntId, 2);
    EXPECT_TRUE(model->CommitChanges());
    EXPECT_EQ((PropertyIdSet{IntId, DoubleId}), log.ChangedSets().at(0));
}

TEST_F(ModelBaseTest, DiscardRestoresEveryValueAndNamesTheRestoredIds)
{
    model->SetValue<PropertyType::Int>(IntId, 9);
    model->SetEcgEventSource(L"ecg");
    model->SetSelectedBoluses({1, 2});
    model->DiscardChanges();
    EXPECT_EQ(0, all.intValue);
    EXPECT_TRUE(all.text.IsEmpty());
    EXPECT_TRUE(all.integers.empty());
    EXPECT_EQ((std::vector<PropertyIdSet>{{IntId, TextId, IntSetId}}), log.ChangedSets());
    EXPECT_FALSE(all.HasSnapshot());
}

TEST_F(ModelBaseTest, CopyFromAnnouncesEvenAnEmptySetAndRefusesAnotherKind)
{
    const ModelPtr twin = ModelClassObjBase::CreateModel(AllTypesKind, &owner);
    EXPECT_TRUE(model->CopyFrom(twin.get()));
    EXPECT_EQ(std::vector<PropertyIdSet>{PropertyIdSet{}}, log.ChangedSets());
    EXPECT_FALSE(model->CopyFrom(owner.Setup().get()));
    EXPECT_FALSE(model->CopyFrom(nullptr));
    static_cast<AllTypesModel&>(*twin).matrix.Set(2, 1, 6.0);
    EXPECT_TRUE(model->CopyFrom(twin.get()));
    EXPECT_EQ(6.0, all.matrix.At(2, 1));
    EXPECT_EQ(PropertyIdSet{MatrixId}, log.ChangedSets().back());
}

// An observer that commits another model while it handles a commit runs inside the outer commit.
TEST_F(ModelBaseTest, ANestedCommitRunsInsideTheOuterOneAndLeavesItCommitting)
{
    const ModelPtr setup = owner.Setup();
    log.Watch(setup);
    setup->SetOnlineMode(true);
    ASSERT_TRUE(setup->CommitChanges());
    ASSERT_EQ(1u, all.heard.size());
    EXPECT_EQ((std::pair<int, PropertyIdSet>{ModelKind::WorkflowSetup, {PropertyId::OnlineMode}}), all.heard[0]);

    class Committer final : public IObserver
    {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
        ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject*) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE Notify(ISubject*, ULONG eventId, ULONG_PTR, void*) override
        {
            if ((eventId & 0xFFFF) == DocumentNotification::ModelPropertiesChanged && !done)
            {
                done = true;
                other->SetValue<PropertyType::Int>(IntId, 3);
                other->CommitChanges();
                outerStillCommitting = outer->IsCommitting() && other->IsCommitting() == false;
            }
            return S_OK;
        }
        Model* outer = nullptr;
        Model* other = nullptr;
        bool done = false;
        bool outerStillCommitting = false;
    } committer;
    committer.outer = setup.get();
    committer.other = model.get();
    setup->AddObserver(&committer);
    log.seen.clear();
    setup->SetOnlineMode(false);
    EXPECT_TRUE(setup->CommitChanges());
    EXPECT_TRUE(committer.outerStillCommitting);
    EXPECT_FALSE(setup->IsCommitting());
    // The setup's change, then the nested commit of the other model, then the setup's readiness.
    std::vector<std::pair<int, USHORT>> order;
    for (const SeenMessage& m : log.seen)
        order.emplace_back(m.sourceKind, m.number);
    EXPECT_EQ((std::vector<std::pair<int, USHORT>>{{1, 34}, {AllTypesKind, 34}, {AllTypesKind, 36}, {1, 37}}), order);
    SubjectManagerAccessor::Get()->ForgetObserver(&committer);
}

// The snapshot of an open transaction is a private copy: it neither observes the setup model nor
// reacts to its commits.
TEST_F(ModelBaseTest, TheSnapshotOfAnOpenTransactionHearsNothing)
{
    model->SetValue<PropertyType::Int>(IntId, 6);
    ASSERT_TRUE(all.HasSnapshot());
    AllTypesModel::heardByAnyInstance = 0;
    owner.Setup()->SetOnlineMode(true);
    owner.Setup()->CommitChanges();
    EXPECT_EQ(1, AllTypesModel::heardByAnyInstance);
    EXPECT_EQ(1u, all.heard.size());
}

TEST_F(ModelBaseTest, ChangesOfOtherModelsAreIgnoredWhileTheOwnerLoads)
{
    owner.loading = true;
    owner.Setup()->SetOnlineMode(true);
    owner.Setup()->CommitChanges();
    EXPECT_TRUE(all.heard.empty());
}

TEST_F(ModelBaseTest, TypedLookupIsNullForAnotherTypeOrAnIdTheModelDoesNotOwn)
{
    EXPECT_NE(nullptr, model->GetValuePtr<PropertyType::Int>(IntId));
    EXPECT_EQ(nullptr, model->GetValuePtr<PropertyType::Channel>(IntId));
    EXPECT_EQ(nullptr, model->GetValuePtr<PropertyType::Int>(PropertyId::AnalysisType));
    EXPECT_FALSE(model->SetValue<PropertyType::Int>(PropertyId::AnalysisType, 1));
    EXPECT_EQ((PropertyIdSet{IntId, ChannelId, BoolId, DoubleId, UnitId, TextId, VectorId, BolusId, ParameterSetId,
                             PositionId, IntSetId, MatrixId}),
              model->GetPropertyIds());
}

TEST(PropertyIdSet, AnIdPastTheLastOneIsRefused)
{
    PropertyIdSet ids;
    EXPECT_NO_THROW(ids.Set(74));
    try
    {
        ids.Set(75);
        FAIL();
    }
    catch (const std::out_of_range& error)
    {
        EXPECT_STREQ("invalid bitset<N> position", error.what());
    }
    EXPECT_EQ(1, ids.Count());
}

TEST(DoubleMatrix, GrowsShiftsAndRemovesColumnsWithBlankCells)
{
    DoubleMatrix m;
    m.Set(0, 0, 1.0);
    m.Set(1, 1, 2.0);
    m.Set(3, 0, 5.0);
    EXPECT_EQ(4, m.Rows());
    EXPECT_EQ(2, m.Columns());
    EXPECT_TRUE(IsBlankMarker(m.At(2, 1)));
    EXPECT_EQ(5.0, m.At(3, 0));
    EXPECT_TRUE(IsBlankMarker(m.At(9, 9)));

    DoubleMatrix square;
    square.Set(1, 1, 4.0);
    square.Set(0, 0, 1.0);
    DoubleMatrix wide = square;
    wide.InsertColumn(5);
    EXPECT_EQ(6, wide.Columns());
    EXPECT_EQ(4.0, wide.At(1, 1));
    EXPECT_TRUE(IsBlankMarker(wide.At(1, 5)));
    DoubleMatrix shifted = square;
    shifted.InsertColumn(0);
    EXPECT_EQ(1.0, shifted.At(0, 1));
    EXPECT_EQ(4.0, shifted.At(1, 2));
    DoubleMatrix same = square;
    same.RemoveColumn(2);
    EXPECT_TRUE(ValuesEqual(same, square));
    same.RemoveColumn(0);
    EXPECT_EQ(1, same.Columns());
    EXPECT_EQ(4.0, same.At(1, 0));
}

} // namespace
} // namespace ModelTests
