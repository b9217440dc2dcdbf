#include "hostframework/entry/ModuleObject.h"

#include <gtest/gtest.h>

namespace
{

TEST(ModuleObject, LivesFromAttachToDetachAndIsFoundByItsInstance)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    Sistra::CreateModuleObject(instance);
    ASSERT_NE(nullptr, Sistra::ModuleObject());
    EXPECT_EQ(instance, Sistra::ModuleObject()->GetHandle());
    EXPECT_TRUE(Sistra::ModuleObject()->GetName().empty());
    EXPECT_EQ(Sistra::ModuleObject(), OWL::TModule::FindModule(instance));

    Sistra::DestroyModuleObject();
    EXPECT_EQ(nullptr, Sistra::ModuleObject());
    EXPECT_EQ(nullptr, OWL::TModule::FindModule(instance));
}

} // namespace
