#include "host/app/WholeFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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

} // namespace
