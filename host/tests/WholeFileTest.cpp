#include "host/app/files/WholeFile.h"

#include "host/app/files/TextConversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace
{

namespace fs = std::filesystem;

std::string FileText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A file is replaced only by a whole new one; a failure names the file and why, and leaves no part behind.
TEST(WholeFile, ReplacesItsTargetOnlyWhenWholeAndSaysWhyNot)
{
    const fs::path folder = fs::temp_directory_path() / L"sistra-whole-file";
    fs::remove_all(folder);
    fs::create_directories(folder / L"folder");
    const fs::path target = folder / L"t.tsv";
    const auto writes = [](const char* text) { return [text](std::ostream& out) { out << text; }; };
    const struct
    {
        fs::path path;
        Host::FileContentWriter write;
        const char* holds; // what the target holds afterwards; null: the write fails
        const char* says;
    } cases[] = {
        {target, writes("new"), "new", ""},
        {target, [](std::ostream& out) { out << "half"; throw std::runtime_error("cancelled"); }, nullptr, "cancelled"},
        {folder / L"none" / L"t.tsv", writes("x"), nullptr, "none does not exist"},
        {folder / L"folder", writes("x"), nullptr, "folder: it is a folder"},
        {fs::path(L"/dev/full"), [](std::ostream& out) { out << std::string(1 << 17, 'x'); }, nullptr, "cannot write /dev/full: "},
    };
    for (const auto& c : cases)
    {
        std::ofstream(target, std::ios::binary) << "old";
        try
        {
            Host::WriteWholeFile(c.path.wstring(), c.write);
            EXPECT_NE(nullptr, c.holds) << c.path;
        }
        catch (const std::runtime_error& e)
        {
            EXPECT_EQ(nullptr, c.holds) << c.path;
            EXPECT_NE(std::string::npos, std::string(e.what()).find(c.says)) << e.what();
        }
        EXPECT_EQ(c.holds && c.path == target ? c.holds : "old", FileText(target)) << c.path;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            EXPECT_EQ(std::wstring::npos, entry.path().filename().wstring().find(L".part")) << entry.path();
    }
    fs::remove_all(folder);
}

// What a folder holds, by each file's name as it is on the disk.
std::map<std::wstring, std::string> Held(const fs::path& folder)
{
    std::map<std::wstring, std::string> held;
    for (const auto& entry : fs::directory_iterator(folder))
        held[entry.path().filename().wstring()] = FileText(entry.path());
    return held;
}

// The file written is the one of exactly the name given: one whose name differs only in case stays as it was
// beside it (Wine would have found and replaced it), and the temporary name fits wherever the name fits. A
// name longer than a file system takes, or a twin that a path this long cannot be told from, is refused in
// those words, and nothing is written.
TEST(WholeFile, WritesTheFileOfExactlyTheNameGivenAndNoOther)
{
    const fs::path folder = fs::temp_directory_path() / L"sistra-exact-names";
    const std::wstring longest = std::wstring(251, L'n') + L".tsv";
    const struct
    {
        std::wstring before; // a file there first, holding "keep"
        std::wstring target;
        const char* says;    // empty: written
    } cases[] = {
        {L"Sheet.tsv", L"sheet.tsv", ""},
        {L"s.set", L"S.SET", ""},
        {L"same.tsv", L"same.tsv", ""},
        {L"other.tsv", longest, ""},
        {L"other.tsv", L"x" + longest, "its name is 256 bytes long, and a file's name holds at most 255"},
        {std::wstring(240, L'N') + L".tsv", std::wstring(240, L'n') + L".tsv", "differs only in case"},
        {L"other.tsv", L"a*b?.tsv", "it holds *, which no name of a file or folder can hold here"},
    };
    for (const auto& c : cases)
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::ofstream(folder / c.before, std::ios::binary) << "keep";
        std::map<std::wstring, std::string> expected{{c.before, "keep"}};
        try
        {
            Host::WriteWholeFile((folder / c.target).wstring(), "new");
            expected[c.target] = "new";
            EXPECT_STREQ("", c.says) << c.says;
        }
        catch (const Host::FileWriteError& e)
        {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(c.says)) << e.what();
            EXPECT_NE(std::string::npos, std::string(e.what()).find(Host::ToUtf8(c.target))) << e.what();
        }
        EXPECT_EQ(expected, Held(folder)) << Host::ToUtf8(c.target);
    }
    fs::remove_all(folder);
}

} // namespace
