// Files written whole or not at all. What is written goes to a temporary file beside the target, which takes
// the target's name only once all of it is on the disk: a full disk, a failed writer or a cancel leaves the
// earlier file (or none), never a part of one, and the error names the file and the system's reason.
#pragma once

#include <windows.h>

#include <functional>
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

    // The system's code for what went wrong.
    DWORD Error() const { return error_; }

private:
    DWORD error_;
};

// Writes the content through the stream it is given; throws to abandon the file.
using FileContentWriter = std::function<void(std::ostream&)>;

// Several files that replace their targets together: each is written under a temporary name as it is added,
// and all take their names in Commit. What was not committed is removed when the set goes. A target that is
// no file on a disk (a device such as /dev/stdout, a pipe) is written in place as it is added, as nothing can
// take its name.
class WholeFileSet
{
public:
    WholeFileSet() = default;
    WholeFileSet(const WholeFileSet&) = delete;
    WholeFileSet& operator=(const WholeFileSet&) = delete;
    ~WholeFileSet();

    void Add(const std::wstring& path, const FileContentWriter& write);
    void Commit();

private:
    struct Staged
    {
        std::wstring target, temporary;
    };
    void RemoveStaged();

    std::vector<Staged> staged_;
};

void WriteWholeFile(const std::wstring& path, const FileContentWriter& write);
void WriteWholeFile(const std::wstring& path, std::string_view content);

} // namespace Host
