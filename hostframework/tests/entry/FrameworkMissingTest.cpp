// A host without Vyr.dll beside it: the module tells the user and ends the process. The test runs a
// copy of this program from a folder without the library and answers the message box itself.
#include "testsupport/ChildProcess.h"
#include "hostframework/services/HostServices.h"

#include <gtest/gtest.h>

namespace
{

constexpr const wchar_t* ChildVariable = L"SISTRA_FRAMEWORK_MISSING_CHILD";

TEST(FrameworkMissing, TheModuleReportsThePathAndEndsTheProcess)
{
    ChildProcess::ScratchFolder folder(L"sistra-no-framework-");
    const std::wstring program = folder.Copy(ChildProcess::ThisProgram());
    ASSERT_FALSE(program.empty());
    ChildProcess::ExpectMissingFrameworkReported(program, L"FrameworkMissingChild.*", ChildVariable);
}

// Runs only as the child above.
TEST(FrameworkMissingChild, ReachesForTheFramework)
{
    if (!ChildProcess::IsChild(ChildVariable))
        GTEST_SKIP() << "runs only as the child of FrameworkMissing";
    ObjectFactoryAccessor::Get();
    FAIL() << "the process should have ended";
}

} // namespace
