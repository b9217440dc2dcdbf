// Running a copy of the test program from a folder of its own (where the framework library is missing)
// and closing the message box the child shows, to read its text and the child's exit code.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace ChildProcess
{

constexpr DWORD ChildTimeoutMs = 60000;
constexpr DWORD PollIntervalMs = 100;
constexpr int MessageTextCapacity = 600;

inline std::wstring ThisProgram()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

inline std::wstring FileName(const std::wstring& path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// A folder of its own in the temporary folder, removed with the files copied into it.
class ScratchFolder
{
public:
    explicit ScratchFolder(const std::wstring& prefix)
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + prefix + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder()
    {
        for (const std::wstring& file : files_)
            DeleteFileW(file.c_str());
        for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder)
            RemoveDirectoryW(folder->c_str());
        RemoveDirectoryW(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The copy's path, or empty when it could not be made; subfolder (made here) is relative to the folder.
    std::wstring Copy(const std::wstring& source, const std::wstring& subfolder = {})
    {
        if (!subfolder.empty() && CreateDirectoryW((path_ + subfolder).c_str(), nullptr))
            folders_.push_back(path_ + subfolder);
        const std::wstring copy = path_ + (subfolder.empty() ? subfolder : subfolder + L"\\") + FileName(source);
        if (!CopyFileW(source.c_str(), copy.c_str(), FALSE))
            return {};
        files_.push_back(copy);
        return copy;
    }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    std::vector<std::wstring> folders_;
    std::vector<std::wstring> files_;
};

struct Outcome
{
    HWND box = nullptr;       // the message box, when one appeared
    std::wstring text;        // its text
    bool ended = false;       // the child ended by itself once the box was closed
    DWORD exitCode = 0;
};

inline BOOL CALLBACK FindStaticText(HWND child, LPARAM found)
{
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") != 0)
        return TRUE;
    wchar_t text[MessageTextCapacity] = {};
    GetWindowTextW(child, text, MessageTextCapacity);
    if (text[0] == 0)
        return TRUE;
    reinterpret_cast<Outcome*>(found)->text = text;
    return FALSE;
}

// The window with the given caption that belongs to the process; tests in other processes may show
// boxes with the same caption at the same time.
struct BoxSearch
{
    DWORD processId;
    const wchar_t* caption;
    HWND found;
};

inline BOOL CALLBACK FindProcessBox(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<BoxSearch*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[MAX_PATH] = {};
    GetWindowTextW(window, title, MAX_PATH);
    if (owner != wanted->processId || wcscmp(title, wanted->caption) != 0)
        return TRUE;
    wanted->found = window;
    return FALSE;
}

inline void WaitForMessageBox(const PROCESS_INFORMATION& child, const wchar_t* caption, Outcome& outcome)
{
    for (DWORD waited = 0; waited < ChildTimeoutMs; waited += PollIntervalMs)
    {
        BoxSearch search{child.dwProcessId, caption, nullptr};
        EnumWindows(FindProcessBox, reinterpret_cast<LPARAM>(&search));
        if (search.found)
        {
            outcome.box = search.found;
            EnumChildWindows(outcome.box, FindStaticText, reinterpret_cast<LPARAM>(&outcome));
            return;
        }
        if (WaitForSingleObject(child.hProcess, PollIntervalMs) == WAIT_OBJECT_0)
            return;
    }
}

// Runs program with arguments and variable set to 1 in its environment, presses OK on the first
// message box with the given caption and waits for the child to end (ending it after the timeout).
inline Outcome RunAndCloseMessageBox(const std::wstring& program, const std::wstring& arguments,
                                     const wchar_t* variable, const wchar_t* caption)
{
    Outcome outcome;
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    SetEnvironmentVariableW(variable, L"1");
    // The child runs the whole of its filter, not this run's share of the suite (this run has chosen its
    // share already, as it started).
    SetEnvironmentVariableW(L"GTEST_TOTAL_SHARDS", nullptr);
    SetEnvironmentVariableW(L"GTEST_SHARD_INDEX", nullptr);
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
    SetEnvironmentVariableW(variable, nullptr);
    if (!started)
        return outcome;

    WaitForMessageBox(child, caption, outcome);
    if (outcome.box)
        PostMessageW(outcome.box, WM_COMMAND, IDOK, 0);
    outcome.ended = WaitForSingleObject(child.hProcess, ChildTimeoutMs) == WAIT_OBJECT_0;
    if (!outcome.ended)
        TerminateProcess(child.hProcess, 1);
    GetExitCodeProcess(child.hProcess, &outcome.exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return outcome;
}

// True in the child that RunAndCloseMessageBox started with variable set.
inline bool IsChild(const wchar_t* variable)
{
    return GetEnvironmentVariableW(variable, nullptr, 0) != 0;
}

// The path of the framework library the module is to look for: beside the program, made canonical.
inline std::wstring FrameworkBeside(const std::wstring& program)
{
    wchar_t canonical[MAX_PATH] = {};
    GetFullPathNameW((program + L"\\..\\Vyr.dll").c_str(), MAX_PATH, canonical, nullptr);
    return canonical;
}

// Runs the child tests of childFilter in program, whose folder has no framework library: the module in
// the child must name the library beside program in its message box and end the child with exit code -1.
inline void ExpectMissingFrameworkReported(const std::wstring& program, const std::wstring& childFilter,
                                           const wchar_t* variable)
{
    const Outcome outcome =
        RunAndCloseMessageBox(program, L"--gtest_filter=" + childFilter, variable, L"Strix load failed");
    ASSERT_NE(nullptr, outcome.box) << "no message box appeared";
    EXPECT_EQ(L"Strix failed to load " + FrameworkBeside(program), outcome.text);
    EXPECT_TRUE(outcome.ended);
    EXPECT_EQ(static_cast<DWORD>(-1), outcome.exitCode);
}

} // namespace ChildProcess
