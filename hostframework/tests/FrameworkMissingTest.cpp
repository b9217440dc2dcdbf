// A host without Vyr.dll beside it: the module tells the user and ends the process. The test runs a
// copy of this program from a folder without the library and answers the message box itself.
#include "hostframework/HostServices.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

constexpr const wchar_t* ChildVariable = L"SISTRA_FRAMEWORK_MISSING_CHILD";
constexpr DWORD ChildTimeoutMs = 60000;
constexpr DWORD PollIntervalMs = 100;

std::wstring ThisProgram()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// A folder of its own in the temporary folder, removed with everything in it.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"sistra-no-framework-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder()
    {
        DeleteFileW(Program().c_str());
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring Program() const { return path_ + L"hostframework_tests.exe"; }

private:
    std::wstring path_;
};

struct MessageBoxFound
{
    HWND window = nullptr;
    std::wstring text;
};

BOOL CALLBACK FindStaticText(HWND child, LPARAM found)
{
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") != 0)
        return TRUE;
    wchar_t text[600] = {};
    GetWindowTextW(child, text, 600);
    if (text[0] == 0)
        return TRUE;
    reinterpret_cast<MessageBoxFound*>(found)->text = text;
    return FALSE;
}

MessageBoxFound WaitForMessageBox(HANDLE process)
{
    MessageBoxFound found;
    for (DWORD waited = 0; waited < ChildTimeoutMs; waited += PollIntervalMs)
    {
        found.window = FindWindowW(nullptr, L"Strix load failed");
        if (found.window)
        {
            EnumChildWindows(found.window, FindStaticText, reinterpret_cast<LPARAM>(&found));
            return found;
        }
        if (WaitForSingleObject(process, PollIntervalMs) == WAIT_OBJECT_0)
            break;
    }
    return found;
}

TEST(FrameworkMissing, TheModuleReportsThePathAndEndsTheProcess)
{
    ScratchFolder folder;
    ASSERT_TRUE(CopyFileW(ThisProgram().c_str(), folder.Program().c_str(), FALSE));
    std::wstring commandLine = L"\"" + folder.Program() + L"\" --gtest_filter=FrameworkMissingChild.*";
    SetEnvironmentVariableW(ChildVariable, L"1");
    // The child's own test report is of no interest: its output goes nowhere.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    PROCESS_INFORMATION child{};
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &child);
    CloseHandle(nowhere);
    SetEnvironmentVariableW(ChildVariable, nullptr);
    ASSERT_TRUE(started);

    const MessageBoxFound box = WaitForMessageBox(child.hProcess);
    if (box.window)
        PostMessageW(box.window, WM_COMMAND, IDOK, 0);
    const bool ended = WaitForSingleObject(child.hProcess, ChildTimeoutMs) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(child.hProcess, 1);
    DWORD exitCode = 0;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    ASSERT_NE(nullptr, box.window) << "no message box appeared";
    wchar_t folderPath[MAX_PATH] = {};
    GetFullPathNameW((folder.Program() + L"\\..\\Vyr.dll").c_str(), MAX_PATH, folderPath, nullptr);
    EXPECT_EQ(L"Strix failed to load " + std::wstring(folderPath), box.text);
    EXPECT_TRUE(ended);
    EXPECT_EQ(static_cast<DWORD>(-1), exitCode);
}

// Runs only as the child above.
TEST(FrameworkMissingChild, ReachesForTheFramework)
{
    if (GetEnvironmentVariableW(ChildVariable, nullptr, 0) == 0)
        GTEST_SKIP() << "runs only as the child of FrameworkMissing";
    ObjectFactoryAccessor::Get();
    FAIL() << "the process should have ended";
}

} // namespace
