#include "platform/owl/Module.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

HINSTANCE ThisExecutable()
{
    return GetModuleHandleW(nullptr);
}

TEST(OwlModule, ListedModulesAreFoundByTheirHandleUntilDestroyed)
{
    const HINSTANCE instance = ThisExecutable();
    EXPECT_EQ(nullptr, OWL::TModule::FindModule(instance));
    {
        OWL::TModule module(nullptr, instance);
        EXPECT_EQ(&module, OWL::TModule::FindModule(instance));
        EXPECT_EQ(instance, module.GetHandle());
        EXPECT_TRUE(module.GetName().empty());
    }
    EXPECT_EQ(nullptr, OWL::TModule::FindModule(instance));
}

TEST(OwlModule, UnlistedModulesAreNotFound)
{
    OWL::TModule module(L"Unlisted", ThisExecutable(), false);
    EXPECT_EQ(L"Unlisted", module.GetName());
    EXPECT_EQ(nullptr, OWL::TModule::FindModule(ThisExecutable()));
}

TEST(OwlModule, EachOfSeveralModulesIsFoundByItsOwnHandle)
{
    const HINSTANCE kernel = GetModuleHandleW(L"kernel32.dll");
    OWL::TModule first(L"first", ThisExecutable());
    OWL::TModule second(L"second", kernel);
    EXPECT_EQ(&first, OWL::TModule::FindModule(ThisExecutable()));
    EXPECT_EQ(&second, OWL::TModule::FindModule(kernel));
}

} // namespace
