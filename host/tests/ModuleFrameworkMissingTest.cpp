// The module as the host loads it, from a folder below the host's, with no Vyr.dll anywhere: its first
// registration call makes it look for the framework beside the host executable (not beside itself),
// tell the user and end the process.
#include "host/app/HostApplication.h"
#include "host/app/ModuleLoader.h"
#include "testsupport/ChildProcess.h"

#include <gtest/gtest.h>

namespace
{

constexpr const wchar_t* ChildVariable = L"SISTRA_MODULE_WITHOUT_FRAMEWORK_CHILD";
constexpr const wchar_t* ModuleFolder = L"module";

TEST(ModuleWithoutFramework, RegistrationReportsTheLibraryBesideTheHostAndEndsTheProcess)
{
    ChildProcess::ScratchFolder folder(L"sistra-module-no-framework-");
    const std::wstring program = folder.Copy(ChildProcess::ThisProgram());
    ASSERT_FALSE(program.empty());
    ASSERT_FALSE(folder.Copy(Host::ExecutableFolder() + L"Sistra.dll", ModuleFolder).empty());
    ChildProcess::ExpectMissingFrameworkReported(program, L"ModuleWithoutFrameworkChild.*", ChildVariable);
}

// Runs only as the child above: loading the module reaches nothing; its registration does.
TEST(ModuleWithoutFrameworkChild, RegistersTheModule)
{
    if (!ChildProcess::IsChild(ChildVariable))
        GTEST_SKIP() << "runs only as the child of ModuleWithoutFramework";
    Host::LoadedModule module(Host::ExecutableFolder() + ModuleFolder + L"\\Sistra.dll");
    Host::HostApplication host;
    module.RegisterClassObjects(&host);
    FAIL() << "the process should have ended";
}

} // namespace
