// Files written whole or not at all. What is written goes to a temporary file beside the target, which takes
// the target's name only once all of it is on the disk: a full disk, a failed writer or a cancel leaves the
// earlier file (or none), never a part of one, and the error names the file and the system's reason. The
// target is the file of exactly the name given: one whose name differs only in case is never written
// (Orv::ExactFileName).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Host
{

// "cannot write PATH: the system's reason".
class FileWriteError : public std::runtime_error
{
public:
    FileWriteError(const std::wstring& path, DWORD error);
    FileWriteError(const std::wstring& path, const std::string& reason, DWORD error);

    // The system's code for what went wrong, and the words for it without the file's name.
    DWORD Error() const { return error_; }
    const std::string& Reason() const { return reason_; }

private:
    DWORD error_;
    std::string reason_;
};

// Writes the content through the stream it is given; throws to abandon the file.
using FileContentWriter = std::function<void(std::ostream&)>;

// A file written under a short temporary name beside its target (so it fits wherever the target's name
// fits), which takes the target's name in Commit and is removed when it goes uncommitted. Made, it refuses
// a target it could not write: a folder, a name too long, one whose twin in case the system cannot tell it
// from.
class StagedFile
{
public:
    explicit StagedFile(const std::wstring& target);
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    ~StagedFile();

    // The temporary file, open for writing until Close, which puts what was written on the disk.
    HANDLE Handle() const { return file_; }
    const std::wstring& Path() const { return staged_; }
    const std::wstring& Target() const { return target_; }
    void Close();
    void Commit();

private:
    std::wstring target_, openAs_, staged_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// Whether two names are the same but for case: a reader that takes names as Windows does (the host's own
// file dialogs, a copy on a Windows disk) cannot tell those apart.
bool SameButCase(const std::wstring& one, const std::wstring& other);

// Throws where no file can have the target's name: longer than a file system takes, or holding a character
// Windows keeps for itself.
void RefuseUnwritableName(const std::wstring& target);

// The standard stream a path names for the program itself ("/dev/stdout", "/dev/fd/1", "/proc/self/fd/1",
// and the same for 2): Wine would open these names in its server, another process.
std::optional<DWORD> StandardStreamNamed(const std::wstring& path);

// Several files that replace their targets together: each is written under a temporary name as it is added,
// and all take their names in Commit. What was not committed is removed when the set goes. A target that is
// no file on a disk (a device, a pipe, the program's standard output) is written in place as it is added, as
// nothing can take its name.
class WholeFileSet
{
public:
    WholeFileSet() = default;
    WholeFileSet(const WholeFileSet&) = delete;
    WholeFileSet& operator=(const WholeFileSet&) = delete;

    void Add(const std::wstring& path, const FileContentWriter& write);
    void Commit();

private:
    std::vector<StagedFile> staged_;
};

void WriteWholeFile(const std::wstring& path, const FileContentWriter& write);
void WriteWholeFile(const std::wstring& path, std::string_view content);

} // namespace Host
