// The name to open so that a file is written under exactly the name the person gave. Under Wine a file's
// name is matched without regard to case on a file system that keeps case apart: asked for sheet.tsv in a
// folder that holds Sheet.tsv, the system opens Sheet.tsv and writes into it. A name Wine is given as its
// Unix path (\\?\unix/...) is matched exactly, so where such a twin is there the file is opened that way.
// The folders are found as the system finds them; only the file's own name must match.
#pragma once

#include <windows.h>

#include <string>

namespace Orv
{

class ExactFileName
{
public:
    explicit ExactFileName(const std::wstring& path);

    // What to open to reach the named file and no other: the path as given where that reaches it (the
    // file itself is there, or no file whose name differs only in case), else the Unix path of it; empty
    // when the twin is there and the Unix path is longer than Wine takes.
    const std::wstring& OpenAs() const { return openAs_; }
    // The name of the file in the same folder whose name differs from the one asked for only in case, when
    // the asked one is not there too; empty otherwise.
    const std::wstring& Twin() const { return twin_; }
    // The same text for two paths that name one file to be written (its folder as found, its name as given);
    // compared exactly.
    const std::wstring& Identity() const { return identity_; }

private:
    std::wstring openAs_, twin_, identity_;
};

// The Unix path Wine reaches path at; empty where there is none (no such folder, or not Wine).
std::wstring UnixFileName(const std::wstring& path);

// Whether the system tells file names apart by case (Wine over a Unix file system).
bool FileNamesKeepCase();

// The name of the file in path's folder that opening path reaches: its own name when it is there, else the
// one name that differs from it only in case; path's name when none is there.
std::wstring FoundFileName(const std::wstring& path);

} // namespace Orv
