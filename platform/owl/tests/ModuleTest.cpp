#include "platform/owl/Application.h"
#include "platform/owl/Module.h"
#include "platform/owl/ModuleVersionInfo.h"

#include "foundation/com/XOrv.h"

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

namespace
{

TEST(OwlModule, ALibraryLoadedByNameResolvesItsExportsOnFirstCall)
{
    OWL::TModule kernel(L"kernel32.dll", true, true, false);
    ASSERT_NE(nullptr, kernel.GetHandle());
    OWL::TModuleProc<DWORD> currentProcess(kernel, "GetCurrentProcessId");
    EXPECT_EQ(GetCurrentProcessId(), currentProcess());
    OWL::TModuleProc<DWORD> missing(kernel, "NoSuchExportAnywhere");
    EXPECT_THROW(missing(), XOrv);
}

TEST(OwlModule, ALibraryThatCannotBeLoadedThrowsOnlyWhenItMustLoad)
{
    EXPECT_THROW(OWL::TModule(L"no-such-library.dll", true, true, false), XOrv);
    OWL::TModule optional(L"no-such-library.dll", true, false, false);
    EXPECT_EQ(nullptr, optional.GetHandle());
}

TEST(OwlModule, VersionInfoGivesTheFixedNumbersAndStringsOfTheModule)
{
    const OWL::TModuleVersionInfo info(GetModuleHandleW(L"kernel32.dll"));
    EXPECT_EQ(0xFEEF04BDu, info.GetFixedInfo().dwSignature);
    EXPECT_NE(0u, info.GetFileVersionMS());
    std::wstring version;
    EXPECT_TRUE(info.GetInfoString(L"FileVersion", version));
    EXPECT_FALSE(version.empty());
    EXPECT_FALSE(info.GetInfoString(L"NoSuchValue", version));
    EXPECT_THROW(OWL::TModuleVersionInfo(reinterpret_cast<HINSTANCE>(0x10)), XOrv);
}

TEST(OwlApplication, TheLatestApplicationObjectIsCurrentUntilItEnds)
{
    EXPECT_EQ(nullptr, OWL::TApplication::Current());
    {
        OWL::TApplication application(L"Test", ThisExecutable());
        EXPECT_EQ(&application, OWL::TApplication::Current());
        EXPECT_EQ(GetUserDefaultUILanguage(), application.GetLangId());
        application.SetLangId(MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN));
        EXPECT_EQ(LANG_SPANISH, PRIMARYLANGID(application.GetLangId()));
    }
    EXPECT_EQ(nullptr, OWL::TApplication::Current());
}

} // namespace
