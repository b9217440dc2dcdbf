#include "ModelTestSupport.h"

namespace ModelTests
{
namespace
{

// The ids each kind owns, from the shared numbering.
PropertyIdSet IdsOwnedBy(int kind)
{
    PropertyIdSet ids;
    for (int id = 0; id < PropertyId::Count; ++id)
        if (GetPropertyInfo(id).ownerKind == kind)
            ids.Set(id);
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
