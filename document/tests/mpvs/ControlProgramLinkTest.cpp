#include "document/mpvs/ControlProgramLink.h"

#include "foundation/com/ComPtr.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using Sistra::Mpvs::ControlProgramLink;

namespace
{

fs::path BesideTests(const wchar_t* name)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / name;
}

void WriteShortcut(const fs::path& shortcut, const fs::path& target)
{
    fs::create_directories(shortcut.parent_path());
    Orv::ComPtr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid()));
    ASSERT_HRESULT_SUCCEEDED(link->SetPath(target.c_str()));
    Orv::ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid()));
    ASSERT_HRESULT_SUCCEEDED(file->Save(shortcut.c_str(), TRUE));
}

void WriteFile(const fs::path& path, const char* content)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

bool SameFile(const std::wstring& found, const fs::path& expected)
{
    std::error_code error;
    return !found.empty() && fs::equivalent(found, expected, error);
}

// Waits for what a started program does, looking every 50 ms; the count only guards against a wait for what
// never comes, generous enough for the busiest machine (a minute).
constexpr int GuardLooks = 1200;

HWND WaitForControlProgramWindow()
{
    for (int attempt = 0; attempt < GuardLooks; ++attempt)
    {
        if (HWND window = Sistra::Mpvs::FindControlProgramWindow())
            return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

void EndProcessOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId))
    {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
}

// The sessions the tests run in start no menu builder (scripts/env.sh), so nothing but the test holds a saved
// shortcut and its folder goes at once.
void RemoveWhenFree(const fs::path& folder)
{
    fs::remove_all(folder);
}

// A fake machine: program files, the user's and the common Start-menu program folders in a scratch folder.
class ControlProgramLinkTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        root_ = fs::path(temp) / (L"control-program-link-" + std::to_wstring(GetCurrentProcessId()));
        RemoveWhenFree(root_);
        fs::create_directories(root_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        CoUninitialize();
    }

    ControlProgramLink MakeLink()
    {
        return ControlProgramLink([this](int folderId) -> std::wstring {
            switch (folderId)
            {
            case CSIDL_PROGRAM_FILES: return (root_ / L"Program Files").wstring();
            case CSIDL_PROGRAMS: return (root_ / L"User Programs").wstring();
            case CSIDL_COMMON_PROGRAMS: return (root_ / L"Common Programs").wstring();
            default: return {};
            }
        });
    }
    fs::path DefaultInstall() const
    {
        return root_ / L"Program Files" / L"Millar Instruments" / L"MPVS Ultra" / L"MPVS Ultra Control Interface" /
               L"MPVS.exe";
    }
    // A copy of the fake program under an image name that differs from the real one only in letter case.
    fs::path InstallFakeProgram(const fs::path& folder)
    {
        fs::create_directories(folder);
        const fs::path program = folder / L"mpvs.EXE";
        fs::copy_file(BesideTests(L"fake_control_program.exe"), program, fs::copy_options::overwrite_existing);
        return program;
    }

    fs::path root_;
};

TEST_F(ControlProgramLinkTest, FindsTheProgramWhereItIsInstalledOrThroughItsShortcut)
{
    struct Case
    {
        const char* name;
        bool installed;
        const wchar_t* userShortcut;   // relative to the user's Start-menu programs, or null
        const wchar_t* commonShortcut; // relative to the common Start-menu programs, or null
        int expected;                  // 0 default install, 1 user target, 2 common target, -1 nothing
    };
    const Case cases[] = {
        {"default install wins over shortcuts", true, L"MPVS Ultra Control Interface.lnk", nullptr, 0},
        {"case-different shortcut in a common subfolder", false, nullptr,
         L"Millar\\Tools\\mpvs ultra CONTROL interface.LNK", 2},
        {"the user's shortcut before the common one", false, L"MPVS Ultra Control Interface.lnk",
         L"MPVS Ultra Control Interface.lnk", 1},
        {"another shortcut name is no match", false, L"MPVS Ultra.lnk", nullptr, -1},
        {"nothing installed", false, nullptr, nullptr, -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        RemoveWhenFree(root_);
        const fs::path targets[] = {DefaultInstall(), root_ / L"UserTarget" / L"MPVS.exe",
                                    root_ / L"CommonTarget" / L"MPVS.exe"};
        for (const fs::path& target : targets)
            WriteFile(target, "program");
        if (!c.installed)
            fs::remove(targets[0]);
        if (c.userShortcut)
            WriteShortcut(root_ / L"User Programs" / c.userShortcut, targets[1]);
        if (c.commonShortcut)
            WriteShortcut(root_ / L"Common Programs" / c.commonShortcut, targets[2]);

        ControlProgramLink link = MakeLink();
        const std::wstring found = link.GetControlProgramPath();
        if (c.expected < 0)
            EXPECT_EQ(found, L"");
        else
            EXPECT_TRUE(SameFile(found, targets[c.expected])) << fs::path(found).string();
        EXPECT_EQ(link.IsControlProgramAvailable(), c.expected >= 0);
    }
}

TEST_F(ControlProgramLinkTest, KeepsThePathOnceFoundAndSearchesAgainUntilThen)
{
    ControlProgramLink link = MakeLink();
    EXPECT_EQ(link.GetControlProgramPath(), L"");
    WriteFile(DefaultInstall(), "program");
    EXPECT_TRUE(SameFile(link.GetControlProgramPath(), DefaultInstall()));

    fs::remove(DefaultInstall());
    EXPECT_FALSE(link.GetControlProgramPath().empty());
    EXPECT_FALSE(link.IsControlProgramAvailable());
}

TEST_F(ControlProgramLinkTest, StartsTheProgramAndLaterBringsItsWindowForward)
{
    ASSERT_EQ(Sistra::Mpvs::FindControlProgramWindow(), nullptr);
    const fs::path program = InstallFakeProgram(root_ / L"Vendor");
    WriteShortcut(root_ / L"Common Programs" / L"Vendor" / L"MPVS ULTRA Control Interface.lnk", program);
    ControlProgramLink link = MakeLink();

    ASSERT_TRUE(link.OpenControlProgram());
    HWND window = WaitForControlProgramWindow();
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));

    EXPECT_TRUE(link.OpenControlProgram());
    for (int attempt = 0; attempt < GuardLooks && IsIconic(window); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(GetForegroundWindow(), window);
    EndProcessOf(window);
}

TEST_F(ControlProgramLinkTest, AProgramWindowWithoutTheNameInItsTitleIsNotBroughtForward)
{
    const fs::path program = InstallFakeProgram(root_ / L"Vendor");
    std::wstring commandLine = L"\"" + program.wstring() + L"\" Other Tool";
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &started));
    WaitForInputIdle(started.hProcess, 10000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    EXPECT_EQ(Sistra::Mpvs::FindControlProgramWindow(), nullptr);
    EXPECT_FALSE(MakeLink().OpenControlProgram());

    TerminateProcess(started.hProcess, 0);
    WaitForSingleObject(started.hProcess, 10000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

TEST_F(ControlProgramLinkTest, AStartTheShellRefusesIsReportedAsFailure)
{
    WriteFile(DefaultInstall(), "this is no program");
    ControlProgramLink link = MakeLink();
    ASSERT_TRUE(link.IsControlProgramAvailable());
    EXPECT_FALSE(link.OpenControlProgram());
}

} // namespace
