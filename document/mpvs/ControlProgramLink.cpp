#include "document/mpvs/ControlProgramLink.h"

#include "foundation/com/ComPtr.h"

#include <shlobj.h>
#include <shellapi.h>
#include <psapi.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace Sistra::Mpvs
{
namespace
{

constexpr wchar_t kShortcutName[] = L"MPVS Ultra Control Interface.lnk";
constexpr wchar_t kImageName[] = L"MPVS.exe";
constexpr wchar_t kTitleText[] = L"mpvs";
constexpr DWORD kImageNameCapacity = 520;

bool EqualIgnoringCase(const std::wstring& left, const std::wstring& right)
{
    return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

bool ContainsIgnoringCase(const std::wstring& text, const std::wstring& part)
{
    return FindStringOrdinal(FIND_FROMSTART, text.c_str(), static_cast<int>(text.size()), part.c_str(),
                             static_cast<int>(part.size()), TRUE) >= 0;
}

bool PathExists(const std::wstring& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return !error && status.type() != std::filesystem::file_type::not_found;
}

std::wstring FileNameOf(const std::wstring& path)
{
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool IsControlProgramProcess(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return false;
    std::vector<wchar_t> image(kImageNameCapacity);
    const DWORD length = K32GetProcessImageFileNameW(process, image.data(), kImageNameCapacity);
    CloseHandle(process);
    return length != 0 && EqualIgnoringCase(FileNameOf(std::wstring(image.data(), length)), kImageName);
}

std::wstring WindowTitle(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring title(static_cast<size_t>(length) + 1, L'\0');
    title.resize(static_cast<size_t>(GetWindowTextW(window, title.data(), length + 1)));
    return title;
}

BOOL CALLBACK KeepControlProgramWindow(HWND window, LPARAM windows)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (IsControlProgramProcess(processId))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

} // namespace

std::wstring ReadShellFolder(int folderId)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

ControlProgramLink::ControlProgramLink(ShellFolderReader folders) : folders_(std::move(folders)) {}

std::wstring ControlProgramLink::DefaultPath() const
{
    const std::wstring programFiles = folders_(CSIDL_PROGRAM_FILES);
    if (programFiles.empty())
        return {};
    return (std::filesystem::path(programFiles) / L"Millar Instruments" / L"MPVS Ultra" /
            L"MPVS Ultra Control Interface" / kImageName)
        .wstring();
}

std::wstring ControlProgramLink::GetControlProgramPath()
{
    if (!cachedPath_.empty())
        return cachedPath_;
    if (const std::wstring path = DefaultPath(); !path.empty() && PathExists(path))
        return cachedPath_ = path;
    std::wstring shortcut = FindShortcut(CSIDL_PROGRAMS);
    if (shortcut.empty())
        shortcut = FindShortcut(CSIDL_COMMON_PROGRAMS);
    if (shortcut.empty())
        return {};
    return cachedPath_ = ResolveShortcut(shortcut);
}

bool ControlProgramLink::IsControlProgramAvailable()
{
    const std::wstring path = GetControlProgramPath();
    return !path.empty() && PathExists(path);
}

bool ControlProgramLink::OpenControlProgram()
{
    if (HWND window = FindControlProgramWindow())
    {
        ShowWindowAsync(window, SW_RESTORE);
        SetForegroundWindow(window);
        return true;
    }
    if (!IsControlProgramAvailable())
        return false;
    const std::wstring path = GetControlProgramPath();
    const std::wstring folder = std::filesystem::path(path).parent_path().wstring();
    // The shell answers a number above 32 when it started the program; a refusal is no success.
    const auto answer = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, folder.c_str(), SW_SHOWDEFAULT));
    return answer > 32;
}

std::wstring ControlProgramLink::FindShortcut(int folderId) const
{
    const std::wstring folder = folders_(folderId);
    if (folder.empty())
        return {};
    std::error_code error;
    std::filesystem::recursive_directory_iterator entry(folder, error), end;
    for (; !error && entry != end; entry.increment(error))
    {
        if (EqualIgnoringCase(entry->path().filename().wstring(), kShortcutName))
            return entry->path().wstring();
    }
    return {};
}

std::wstring ResolveShortcut(const std::wstring& shortcutPath)
{
    Orv::ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
        return {};
    Orv::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) ||
        FAILED(file->Load(shortcutPath.c_str(), STGM_READ)) || link->Resolve(nullptr, 0) != S_OK)
        return {};
    wchar_t target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_SHORTPATH)))
        return {};
    return target;
}

HWND FindControlProgramWindow()
{
    std::vector<HWND> windows;
    EnumWindows(KeepControlProgramWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
    {
        if (ContainsIgnoringCase(WindowTitle(window), kTitleText))
            return window;
    }
    return nullptr;
}

namespace
{
ControlProgramLink& ProcessLink()
{
    static ControlProgramLink link;
    return link;
}
} // namespace

std::wstring GetControlProgramPath() { return ProcessLink().GetControlProgramPath(); }
bool IsControlProgramAvailable() { return ProcessLink().IsControlProgramAvailable(); }
bool OpenControlProgram() { return ProcessLink().OpenControlProgram(); }
std::wstring FindShortcut(int folderId) { return ProcessLink().FindShortcut(folderId); }

} // namespace Sistra::Mpvs
