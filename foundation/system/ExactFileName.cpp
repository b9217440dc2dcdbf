#include "foundation/system/ExactFileName.h"

#include <memory>

namespace Orv
{
namespace
{

using UnixFileNameFunction = char*(CDECL*)(const wchar_t*);

// Wine's own export that turns a Windows path into the Unix path it stands for; absent on Windows.
UnixFileNameFunction WineUnixFileName()
{
    static const auto function = reinterpret_cast<UnixFileNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    return function;
}

// Wine's code page of Unix file names, the one it reads a \\?\unix path's text in.
constexpr UINT UnixFileNameCodePage = 65010;
constexpr wchar_t UnixPathPrefix[] = L"\\\\?\\unix";

std::wstring FullPath(const std::wstring& path)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

// The Unix path of a folder as Wine finds it, ending in a slash; empty when there is none.
std::wstring UnixFolder(const std::wstring& folder)
{
    std::wstring unixPath = UnixFileName(folder);
    if (!unixPath.empty() && !unixPath.ends_with(L'/'))
        unixPath += L'/';
    return unixPath;
}

struct FolderAndName
{
    std::wstring folder, name;
};

// A full path's folder and name; no name where the path ends in a folder ("." and ".." included).
FolderAndName Split(const std::wstring& full)
{
    const size_t slash = full.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return {};
    FolderAndName parts{full.substr(0, slash), full.substr(slash + 1)};
    // A drive's root keeps its backslash ("C:\" is the root, "C:" the drive's current folder).
    if (parts.folder.size() == 2 && parts.folder[1] == L':')
        parts.folder += L'\\';
    if (parts.name == L"." || parts.name == L"..")
        parts.name.clear();
    return parts;
}

// The name of the entry that opening full reaches; empty when there is none.
std::wstring ReachedName(const std::wstring& full)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(full.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    FindClose(search);
    return found.cFileName;
}

} // namespace

std::wstring UnixFileName(const std::wstring& path)
{
    const UnixFileNameFunction unixFileName = WineUnixFileName();
    if (!unixFileName)
        return {};
    const std::unique_ptr<char, void (*)(char*)> name(unixFileName(path.c_str()),
                                                       [](char* text) { HeapFree(GetProcessHeap(), 0, text); });
    if (!name)
        return {};
    const int length = MultiByteToWideChar(UnixFileNameCodePage, 0, name.get(), -1, nullptr, 0);
    if (length <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(UnixFileNameCodePage, 0, name.get(), -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

bool FileNamesKeepCase()
{
    return WineUnixFileName() != nullptr;
}

ExactFileName::ExactFileName(const std::wstring& path) : openAs_(path), identity_(path)
{
    const std::wstring full = FullPath(path);
    identity_ = full;
    const FolderAndName parts = Split(full);
    if (!FileNamesKeepCase())
    {
        CharUpperBuffW(identity_.data(), static_cast<DWORD>(identity_.size()));
        return;
    }
    // A pattern's characters are no file name's here: searching for them would find another file.
    if (parts.name.empty() || parts.name.find_first_of(L"*?") != std::wstring::npos)
        return;
    const std::wstring unixFolder = UnixFolder(parts.folder);
    if (unixFolder.empty())
        return;
    identity_ = unixFolder + parts.name;
    // The system finds the named file itself first; where it is not there, any other it reaches is its twin.
    const std::wstring reached = ReachedName(full);
    if (reached.empty() || reached == parts.name)
        return;
    twin_ = reached;
    openAs_ = UnixPathPrefix + identity_;
    if (openAs_.size() >= MAX_PATH)
        openAs_.clear();
}

std::wstring FoundFileName(const std::wstring& path)
{
    const std::wstring reached = ReachedName(FullPath(path));
    const size_t slash = path.find_last_of(L"\\/");
    return reached.empty() ? path : path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + reached;
}

} // namespace Orv
