#include "ModelTestSupport.h"

namespace ModelTests
{
namespace
{

// The ids each kind owns.
PropertyIdSet IdsOwnedBy(int kind)
{
    static const std::vector<std::vector<int>> owned = {
        {},
        {0, 1, 2, 27, 28, 29, 30, 31, 32, 34, 35, 36, 39, 58, 59, 60, 72, 73},
        {3, 4, 5, 6, 7},
        {8, 9, 10, 11, 12, 13},
        {14},
        {15, 16, 17, 33, 37, 38},
        {18, 19, 40, 41},
        {20},
        {21, 22, 23, 24, 61, 74},
        {25, 26},
        {42, 43, 44, 45, 46, 47, 48},
        {49, 50, 51, 52, 53, 54},
        {55, 56, 57},
        {62},
        {63, 64, 65, 66, 67, 68, 69, 70, 71},
    };
    PropertyIdSet ids;
    for (int id : owned.at(static_cast<size_t>(kind)))
    {
        ids.Set(id);
        EXPECT_EQ(kind, GetPropertyInfo(id).ownerKind) << "id " << id;
    }
    return ids;
}

TEST(ModelFactory, EveryKindIsMadeWithExactlyTheIdsItOwnsAndTogetherTheyCoverEveryId)
{
    TestOwner owner;
    PropertyIdSet covered;
    for (int kind = ModelKind::First; kind <= ModelKind::Last; ++kind)
    {
        SCOPED_TRACE(kind);
        const ModelPtr model = ModelClassObjBase::CreateModel(kind, &owner);
        ASSERT_NE(nullptr, model);
        EXPECT_EQ(kind, model->GetModelId());
        const PropertyIdSet ids = model->GetPropertyIds();
        EXPECT_EQ(IdsOwnedBy(kind), ids);
        for (int id = 0; id < PropertyId::Count; ++id)
            if (ids.Test(id))
            {
                EXPECT_FALSE(covered.Test(id)) << "id " << id << " owned twice";
                covered.Set(id);
            }
        // A second model of the kind starts with the same values.
        const ModelPtr twin = ModelClassObjBase::CreateModel(kind, &owner);
        EXPECT_NE(model, twin);
        EXPECT_EQ(FullRecordOf(*model), FullRecordOf(*twin));
    }
    EXPECT_EQ(PropertyId::Count, covered.Count());
}

TEST(ModelFactory, AKindWithoutAFactoryGivesNothing)
{
    TestOwner owner;
    EXPECT_EQ(nullptr, ModelClassObjBase::CreateModel(0, &owner));
    EXPECT_EQ(nullptr, ModelClassObjBase::CreateModel(15, &owner));
    EXPECT_EQ(nullptr, owner.GetModel(15));
    EXPECT_EQ(nullptr, owner.models.Find(15));
}

} // namespace
} // namespace ModelTests
