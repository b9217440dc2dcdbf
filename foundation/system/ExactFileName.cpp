#include "foundation/system/ExactFileName.h"

#include <memory>
#include <vector>

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
constexpr wchar_t LongPathPrefix[] = L"\\\\?\\";

bool IsSeparator(wchar_t character)
{
    return character == L'/' || character == L'\\';
}

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

std::wstring CurrentFolder()
{
    std::wstring folder(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
        if (length == 0)
            return {};
        if (length < folder.size())
        {
            folder.resize(length);
            return folder;
        }
        folder.resize(length);
    }
}

// The Unix path of a folder as Wine finds it, ending in a slash; empty when there is none.
std::wstring UnixFolder(const std::wstring& folder)
{
    std::wstring unixPath = UnixFileName(folder);
    if (!unixPath.empty() && !unixPath.ends_with(L'/'))
        unixPath += L'/';
    return unixPath;
}

// What opens a Unix path as it stands; empty where it is longer than Wine takes such a path.
std::wstring UnixOpenName(const std::wstring& unixPath)
{
    std::wstring name = UnixPathPrefix + unixPath;
    return name.size() < MAX_PATH ? name : std::wstring();
}

// A Unix path with "." and ".." taken as the Windows path's text takes them (without following links).
std::wstring TextuallyResolved(const std::wstring& unixPath)
{
    std::vector<std::wstring> names;
    for (size_t from = 0; from < unixPath.size();)
    {
        const size_t to = std::min(unixPath.find(L'/', from), unixPath.size());
        const std::wstring name = unixPath.substr(from, to - from);
        if (name == L"..")
        {
            if (!names.empty())
                names.pop_back();
        }
        else if (!name.empty() && name != L".")
            names.push_back(name);
        from = to + 1;
    }
    std::wstring resolved;
    for (const std::wstring& name : names)
        resolved += L'/' + name;
    return resolved.empty() ? L"/" : resolved;
}

// The Unix path of what opening name reaches, its links, "." and ".." resolved as the system resolves them
// (each name as the system finds it); empty when nothing is there, or when folderOnly and it is no folder.
std::wstring FinalPath(const std::wstring& name, bool folderOnly)
{
    const HANDLE found = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (found == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION information{};
    std::wstring final(MAX_PATH * 4, L'\0');
    const bool wanted = !folderOnly || (GetFileInformationByHandle(found, &information) &&
                                        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY));
    const DWORD length = wanted ? GetFinalPathNameByHandleW(found, final.data(), static_cast<DWORD>(final.size()),
                                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)
                                : 0;
    CloseHandle(found);
    if (length == 0 || length >= final.size())
        return {};
    final.resize(length);
    if (final.starts_with(LongPathPrefix))
        final.erase(0, std::size(LongPathPrefix) - 1);
    return UnixFileName(final);
}

// The Unix path of the folder a Unix path names, with its links, "." and ".." resolved as the system opens
// it; empty when no folder is there.
std::wstring FinalFolder(const std::wstring& unixFolder)
{
    const std::wstring open = UnixOpenName(unixFolder);
    std::wstring unixPath = open.empty() ? std::wstring() : FinalPath(open, true);
    if (unixPath.size() > 1 && unixPath.ends_with(L'/'))
        unixPath.pop_back();
    return unixPath;
}

// The file a Unix path will be: its nearest folder that is there resolved as the system opens it, the rest
// as named ("." and ".." taken as its text takes them: the folders they pass through are not there).
std::wstring ResolvedUnixPath(const std::wstring& unixPath)
{
    std::wstring folder = unixPath;
    for (size_t slash = folder.find_last_of(L'/'); slash != std::wstring::npos && slash > 0;
         slash = folder.find_last_of(L'/'))
    {
        folder.resize(slash);
        const std::wstring found = FinalFolder(folder);
        if (!found.empty())
            return TextuallyResolved(found + unixPath.substr(slash));
    }
    return TextuallyResolved(unixPath);
}

// Makes each folder along a path that is not there, from the first separator at or past rootLength.
DWORD MakeFoldersAlong(const std::wstring& path, size_t rootLength)
{
    for (size_t at = rootLength; at <= path.size(); ++at)
    {
        if (at < path.size() && !IsSeparator(path[at]))
            continue;
        const std::wstring folder = path.substr(0, at);
        if (folder.size() <= rootLength || IsSeparator(folder.back()))
            continue;
        DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
        {
            if (CreateDirectoryW(folder.c_str(), nullptr))
                continue;
            const DWORD error = GetLastError();
            // Made by another at the same moment.
            attributes = error == ERROR_ALREADY_EXISTS ? GetFileAttributesW(folder.c_str()) : INVALID_FILE_ATTRIBUTES;
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return error;
        }
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ERROR_ALREADY_EXISTS;
    }
    return ERROR_SUCCESS;
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

std::optional<std::wstring> ExactUnixPath(const std::wstring& path)
{
    if (!FileNamesKeepCase() || path.empty())
        return std::nullopt;
    if (path.starts_with(UnixPathPrefix))
        return path.substr(std::size(UnixPathPrefix) - 1);
    // A device (\\.\), a long path's or a network share's name is the system's to read.
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return std::nullopt;
    std::wstring root;
    size_t from = 0;
    if (path.size() >= 2 && path[1] == L':')
    {
        // C:name is relative to the drive's own current folder, which the system keeps.
        if (path.size() < 3 || !IsSeparator(path[2]))
            return std::nullopt;
        root = UnixFolder(path.substr(0, 3));
        from = 3;
    }
    else if (IsSeparator(path[0]))
    {
        root = UnixFolder(FullPath(L"\\"));
        from = 1;
    }
    else
        root = UnixFolder(CurrentFolder());
    if (root.empty())
        return std::nullopt;
    std::wstring exact = root;
    for (size_t at = from; at < path.size();)
    {
        size_t to = at;
        while (to < path.size() && !IsSeparator(path[to]))
            ++to;
        if (to > at)
            exact += path.substr(at, to - at) + L'/';
        at = to + 1;
    }
    if (exact.size() > 1)
        exact.pop_back();
    return exact;
}

bool FileNamesKeepCase()
{
    return WineUnixFileName() != nullptr;
}

ExactFileName::ExactFileName(const std::wstring& path) : openAs_(path)
{
    const std::optional<std::wstring> exact = ExactUnixPath(path);
    if (!exact)
    {
        identity_ = FullPath(path);
        if (!FileNamesKeepCase())
            CharUpperBuffW(identity_.data(), static_cast<DWORD>(identity_.size()));
        return;
    }
    identity_ = ResolvedUnixPath(*exact);
    if (const std::wstring open = UnixOpenName(*exact); !open.empty())
    {
        openAs_ = open;
        return;
    }
    // Too long for a Unix path: the path as given, where the system finds exactly the named file by it.
    const std::wstring full = FullPath(path);
    const std::wstring reached = UnixFileName(full);
    if (reached == TextuallyResolved(*exact))
        return;
    twin_ = reached.empty() ? full : reached;
    openAs_.clear();
}

std::wstring FoundFileName(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(FullPath(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return path;
    FindClose(search);
    const size_t slash = path.find_last_of(L"\\/");
    return path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + found.cFileName;
}

std::wstring FoundFileIdentity(const std::wstring& path)
{
    const std::wstring found = FileNamesKeepCase() ? FinalPath(path, false) : std::wstring();
    return found.empty() ? ExactFileName(FoundFileName(path)).Identity() : found;
}

HANDLE CreateExactFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    const std::wstring exact = ExactFileName(path).OpenAs();
    if (exact.empty())
    {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE file = CreateFileW(exact.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
    {
        const size_t slash = exact.find_last_of(L"/\\");
        const DWORD folder = slash == std::wstring::npos ? INVALID_FILE_ATTRIBUTES
                                                         : GetFileAttributesW(exact.substr(0, slash).c_str());
        if (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY))
            SetLastError(ERROR_PATH_NOT_FOUND);
        else
            SetLastError(ERROR_FILE_NOT_FOUND);
    }
    return file;
}

DWORD MakeExactFolders(const std::wstring& path)
{
    if (const std::optional<std::wstring> exact = ExactUnixPath(path))
        if (const std::wstring open = UnixOpenName(*exact); !open.empty())
            return MakeFoldersAlong(open, std::size(UnixPathPrefix));
    const std::wstring full = FullPath(path);
    return MakeFoldersAlong(full, full.size() >= 3 && full[1] == L':' ? 3 : 0);
}

std::optional<wchar_t> CharacterNoNameHolds(const std::wstring& path)
{
    const size_t from = path.starts_with(LongPathPrefix) || path.starts_with(L"\\\\.\\") ? std::size(LongPathPrefix) - 1 : 0;
    const size_t at = path.find_first_of(L"*?<>|\"", from);
    return at == std::wstring::npos ? std::nullopt : std::optional<wchar_t>(path[at]);
}

} // namespace Orv
