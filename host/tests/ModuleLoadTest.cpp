#include "host/app/HostApplication.h"
#include "host/app/ModuleLoader.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

std::wstring ModulePath()
{
    return Host::ExecutableFolder() + L"Sistra.dll";
}

// One value of the version resource's string block for US English, Unicode.
std::wstring VersionValue(const std::vector<BYTE>& block, const wchar_t* key)
{
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + key;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0)
        return L"<missing>";
    return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(ModuleLoad, RegistrationRefusesANullHost)
{
    Host::LoadedModule module(ModulePath());
    EXPECT_EQ(E_FAIL, module.RegisterClassObjects(nullptr));
}

// Nothing registered the framework here: the module bootstraps it, but only once the host calls it.
TEST(ModuleLoad, LoadingTheModuleDoesNotReachTheFramework)
{
    ASSERT_EQ(nullptr, GetModuleHandleW(L"Vyr.dll"));
    Host::LoadedModule module(ModulePath());
    EXPECT_EQ(nullptr, GetModuleHandleW(L"Vyr.dll"));
    Host::HostApplication host;
    EXPECT_EQ(S_OK, module.RegisterClassObjects(&host));
    EXPECT_NE(nullptr, GetModuleHandleW(L"Vyr.dll"));
}

TEST(ModuleLoad, RegistrationSucceedsWithAHost)
{
    Host::LoadedModule module(ModulePath());
    Host::HostApplication host;
    EXPECT_EQ(S_OK, module.RegisterClassObjects(&host));
}

TEST(ModuleLoad, MissingLibraryIsReportedWithItsPath)
{
    try
    {
        Host::LoadedModule module(Host::ExecutableFolder() + L"NoSuchModule.dll");
        FAIL() << "loading a missing library succeeded";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("NoSuchModule.dll"));
    }
}

TEST(ModuleLoad, VersionResourceCarriesTheExtensionKeys)
{
    const std::wstring path = ModulePath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    EXPECT_EQ(L"Module", VersionValue(block, L"ExtensionType"));
    EXPECT_EQ(L"2.5", VersionValue(block, L"ExtVersion"));
    EXPECT_EQ(L"18.00", VersionValue(block, L"InternalVersion"));
    EXPECT_EQ(L"1", VersionValue(block, L"InternalID"));
    EXPECT_EQ(L"{6B2CBAC1-E243-4BC9-8E7E-3E3FB5062DED}", VersionValue(block, L"ExtensionCLSID"));
    EXPECT_EQ(L"2.5", VersionValue(block, L"FileVersion"));
    EXPECT_EQ(L"Sistra 2.5", VersionValue(block, L"FileDescription"));
}

TEST(ModuleLoad, StringTableHoldsTheComputedChannelTexts)
{
    Host::LoadedModule module(ModulePath());
    wchar_t buffer[128] = {};
    ASSERT_GT(LoadStringW(module.Handle(), 104, buffer, 128), 0);
    EXPECT_STREQ(L"Sistra", buffer);
    ASSERT_GT(LoadStringW(module.Handle(), 185, buffer, 128), 0);
    EXPECT_STREQ(L"Generates data from the hemodynamics table.", buffer);
}

} // namespace
