// The name to open so that a file is written under exactly the path the person gave. Under Wine every
// folder and file name is matched without regard to case on a file system that keeps case apart: asked for
// out/sheet.tsv where Out/Sheet.tsv is, the system opens Out/Sheet.tsv and writes into it. It also takes
// names Windows keeps for devices (nul.tsv is the null device) and drops a name's trailing dots and spaces.
// A path Wine is given as its Unix path (\\?\unix/...) is taken as it stands, each of its names matched
// exactly, so a file is opened that way wherever that path fits.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace Orv
{

class ExactFileName
{
public:
    explicit ExactFileName(const std::wstring& path);

    // What to open to reach the named file and no other: its Unix path (\\?\unix/...) where there is one
    // that Wine takes (shorter than MAX_PATH), else the path as given where that reaches the same file;
    // empty when neither does.
    const std::wstring& OpenAs() const { return openAs_; }
    // When OpenAs is empty: what the path as given reaches in place of the named file (another's name in
    // case, a device), as the system finds it.
    const std::wstring& Twin() const { return twin_; }
    // The file it will be, the same text for any two paths of one file: the Unix path of the nearest folder
    // of it that is there, with its links, "." and ".." resolved, then the rest of the path as given.
    // Compared exactly; where names do not keep case (not Wine), in upper case.
    const std::wstring& Identity() const { return identity_; }

private:
    std::wstring openAs_, twin_, identity_;
};

// Opens exactly the named file as CreateFileW opens a name (no template, no security attributes). Where it
// cannot, INVALID_HANDLE_VALUE with the last error Windows gives: ERROR_FILE_EXISTS where no name reaches
// that file alone, ERROR_PATH_NOT_FOUND where a folder of the path is not there (Wine says the file is not
// found when a Unix path's folder is missing).
HANDLE CreateExactFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags);

// The Unix path Wine reaches path at, each name as it finds it; empty where there is none (no such folder,
// or not Wine).
std::wstring UnixFileName(const std::wstring& path);

// The Unix path of exactly the folders and name path gives, relative ones taken from the current folder;
// none where the system is not Wine or the path is not on a drive (a device, a network share).
std::optional<std::wstring> ExactUnixPath(const std::wstring& path);

// Whether the system tells file names apart by case (Wine over a Unix file system).
bool FileNamesKeepCase();

// The name of the file in path's folder that opening path reaches: its own name when it is there, else the
// one name that differs from it only in case; path's name when none is there.
std::wstring FoundFileName(const std::wstring& path);

// The identity (as ExactFileName's) of the file opening path for reading reaches, found as the system finds
// it; the exact one's where nothing is there.
std::wstring FoundFileIdentity(const std::wstring& path);

// Makes each folder of path that is not there under exactly the name given: ERROR_SUCCESS when all are
// there, else the system's error (ERROR_ALREADY_EXISTS: a file is in the way).
DWORD MakeExactFolders(const std::wstring& path);

// The first character of path's names that no file name can hold under Windows or Wine (* ? < > | "),
// where there is one.
std::optional<wchar_t> CharacterNoNameHolds(const std::wstring& path);

} // namespace Orv
