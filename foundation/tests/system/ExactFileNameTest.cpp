#include "foundation/system/ExactFileName.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace
{

namespace fs = std::filesystem;

// A folder of files each holding "keep", read back by their exact Unix names.
class ExactNames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!Orv::FileNamesKeepCase())
            GTEST_SKIP() << "names are told apart by case only under Wine";
        Reset();
    }
    void TearDown() override { Remove(); }

    // Listed by the Windows path (which lists names as they are) and removed by the exact Unix names: a Windows
    // path to nul.tsv reaches the device, not the file. Then by Windows paths, which reach the paths too long
    // for a Unix one.
    void Remove() const
    {
        RemoveExactly(folder_.wstring(), L"\\\\?\\unix" + unix_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    static void RemoveExactly(const std::wstring& windows, const std::wstring& unixPath)
    {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((windows + L"\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveExactly(windows + L"\\" + name, unixPath + L"/" + name);
            else
                DeleteFileW((unixPath + L"/" + name).c_str());
        }
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        RemoveDirectoryW(unixPath.c_str());
    }

    void Reset()
    {
        fs::create_directories(folder_);
        unix_ = Orv::UnixFileName(folder_.wstring());
        Remove();
        fs::create_directories(folder_);
        for (const wchar_t* name : {L"Out/loops.tsv", L"Sheet.tsv", L"Res/s.tsv"})
        {
            fs::create_directories((folder_ / name).parent_path());
            Write((folder_ / name).wstring(), "keep");
        }
    }

    std::wstring Windows(const std::wstring& name) const { return folder_.wstring() + L"\\" + name; }
    // The text of the file of exactly this name (Unix separators), or none.
    std::optional<std::string> Held(const std::wstring& name) const
    {
        const HANDLE file = CreateFileW((L"\\\\?\\unix" + unix_ + L"/" + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return std::nullopt;
        char text[64] = {};
        DWORD read = 0;
        ReadFile(file, text, sizeof text, &read, nullptr);
        CloseHandle(file);
        return std::string(text, read);
    }
    // Written through the path as the system takes it, or exactly.
    static DWORD Write(const std::wstring& path, const std::string& text, bool exactly = false)
    {
        const HANDLE file = exactly ? Orv::CreateExactFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS, 0)
                                    : CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return GetLastError();
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
        return ERROR_SUCCESS;
    }

    const fs::path folder_ = fs::temp_directory_path() / L"sistra-exact-file-name";
    std::wstring unix_;
};

// What OpenAs opens is the file of exactly the folders and name given, as the Unix file system keeps them:
// never one whose folder or name differs only in case, a device of the same name or the name without its
// trailing dot or space; a folder named in another case than the one there is not there, and said to be
// missing as Windows says it.
TEST_F(ExactNames, OpenAsReachesExactlyTheFoldersAndNameGiven)
{
    const struct
    {
        const wchar_t* named;
        const wchar_t* written; // where "new" lands, by its Unix name; null: nowhere (the folder is not there)
    } cases[] = {
        {L"sheet.tsv", L"sheet.tsv"},         {L"Out/LOOPS.tsv", L"Out/LOOPS.tsv"},
        {L"out/loops.tsv", nullptr},          {L"nul.tsv", L"nul.tsv"},
        {L"LPT1", L"LPT1"},                   {L"sheet.tsv.", L"sheet.tsv."},
        {L"sheet.tsv ", L"sheet.tsv "},       {L"Res/../com1.txt", L"com1.txt"},
        {L"Res\\.\\aux.con", L"Res/aux.con"},
    };
    for (const auto& c : cases)
    {
        Reset();
        EXPECT_EQ(c.written ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND, Write(Windows(c.named), "new", true)) << c.named;
        std::map<std::wstring, std::optional<std::string>> expected{
            {L"Out/loops.tsv", "keep"}, {L"Sheet.tsv", "keep"}, {L"Res/s.tsv", "keep"}};
        if (c.written)
            expected[c.written] = "new";
        for (const auto& [name, text] : expected)
            EXPECT_EQ(text, Held(name)) << c.named << ": " << fs::path(name).string();
    }
}

// Two names of one file have one identity ("." and ".." resolved, either separator); names that differ in
// case are two files.
TEST_F(ExactNames, NamesOfOneFileHaveOneIdentity)
{
    const struct
    {
        const wchar_t *one, *other;
        bool same;
    } cases[] = {
        {L"x.tsv", L"./x.tsv", true},         {L"x.tsv", L"Res/../x.tsv", true}, {L"Out/x", L"Out\\x", true},
        {L"new/../x", L"x", true},            {L"Out/x", L"out/x", false},       {L"x.tsv", L"X.tsv", false},
        {L"x.tsv", L"x.tsv.", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.same, Orv::ExactFileName(Windows(c.one)).Identity() == Orv::ExactFileName(Windows(c.other)).Identity())
            << fs::path(c.one).string() << " and " << fs::path(c.other).string();
}

// Folders are made under exactly their names beside others that differ only in case; a file in the way is
// said.
TEST_F(ExactNames, MakesEachFolderUnderItsOwnName)
{
    const struct
    {
        const wchar_t* folder;
        DWORD error;
    } cases[] = {{L"out/new", ERROR_SUCCESS}, {L"OUT", ERROR_SUCCESS}, {L"Out", ERROR_SUCCESS}, {L"Sheet.tsv/x", ERROR_ALREADY_EXISTS}};
    for (const auto& c : cases)
        EXPECT_EQ(c.error, Orv::MakeExactFolders(Windows(c.folder))) << fs::path(c.folder).string();
    for (const wchar_t* made : {L"out/new", L"OUT", L"Out"})
        EXPECT_EQ(ERROR_SUCCESS, Write(Windows(made) + L"\\" + L"x", "made")) << fs::path(made).string();
    EXPECT_EQ("keep", Held(L"Out/loops.tsv"));
    EXPECT_EQ("made", Held(L"out/new/x"));
}

// A path too long for a Unix path is opened as given where that reaches exactly the named file, and not at
// all where the system would take another for it.
TEST_F(ExactNames, APathTooLongForAUnixPathIsOpenedAsGivenOnlyWhereThatIsExact)
{
    const std::wstring folder = std::wstring(120, L'f'), name = std::wstring(130, L'n');
    fs::create_directories(Windows(folder));
    Write(Windows(folder + L"\\" + std::wstring(130, L'N')), "keep");
    const Orv::ExactFileName plain(Windows(folder + L"\\" + name + L"x")), twin(Windows(folder + L"\\" + name));
    EXPECT_EQ(Windows(folder + L"\\" + name + L"x"), plain.OpenAs());
    EXPECT_EQ(L"", twin.OpenAs());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), Write(Windows(folder + L"\\" + name), "new", true));
    EXPECT_EQ(unix_ + L"/" + folder + L"/" + std::wstring(130, L'N'), twin.Twin());
}

TEST(ExactFileName, FindsTheCharactersNoNameHolds)
{
    const struct
    {
        const wchar_t* path;
        std::optional<wchar_t> character;
    } cases[] = {{L"a*b?.tsv", L'*'}, {L"d/a<b>|\"c.tsv", L'<'}, {L"d/c\".tsv", L'"'}, {L"\\\\?\\unix/tmp/x", std::nullopt},
                 {L"C:\\x\\y.tsv", std::nullopt}, {L"\\\\.\\pipe\\p|", L'|'}};
    for (const auto& c : cases)
        EXPECT_EQ(c.character, Orv::CharacterNoNameHolds(c.path)) << fs::path(c.path).string();
}

} // namespace
