#include "host/app/files/SettingsFileFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using Host::SettingsFileDamaged;
using Host::UnwrapSettingsRecord;
using Host::WrapSettingsRecord;

std::vector<char> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

TEST(SettingsFileFormat, TheCrcIsTheStandardOne)
{
    const std::string check = "123456789";
    EXPECT_EQ(0xCBF43926u, Host::Crc32(check.data(), check.size()));
}

// Every byte of a file changed in any of its bits is refused as damage, never read as other settings.
TEST(SettingsFileFormat, EveryChangedByteIsRefused)
{
    std::string record;
    for (int value = 0; value < 300; ++value)
        record += static_cast<char>(value * 7 + 3);
    const std::vector<char> file = WrapSettingsRecord(Bytes(record));
    EXPECT_EQ(Bytes(record), UnwrapSettingsRecord(file));
    for (size_t at = 0; at < file.size(); ++at)
        for (const unsigned char mask : {0x01, 0x10, 0x80, 0xFF})
        {
            std::vector<char> damaged = file;
            damaged[at] = static_cast<char>(damaged[at] ^ mask);
            EXPECT_THROW(UnwrapSettingsRecord(damaged), SettingsFileDamaged) << "byte " << at << " ^ " << int{mask};
        }
}

TEST(SettingsFileFormat, CutExtendedAndNewerFilesAreRefusedAndBareRecordsPass)
{
    const std::vector<char> file = WrapSettingsRecord(Bytes("the module's record"));
    const std::vector<char> bare = Bytes(std::string("\x13\x00\x00\x00 an earlier bare record", 27));
    std::vector<char> newer = file;
    newer[16] = 2;
    const struct
    {
        const char* what;
        std::vector<char> bytes;
        const char* says; // null: passes as it stands
    } cases[] = {
        {"cut in its record", {file.begin(), file.end() - 1}, "holds 18 bytes of settings where its header names 19"},
        {"cut in its header", {file.begin(), file.begin() + 20}, "header is not a settings file's"},
        {"longer", [&] { auto longer = file; longer.push_back('x'); return longer; }(), "holds 20 bytes"},
        {"newer format", newer, "format 2 is newer than this version reads"},
        {"bare record", bare, nullptr},
    };
    for (const auto& c : cases)
        try
        {
            const std::vector<char> record = UnwrapSettingsRecord(c.bytes);
            EXPECT_EQ(nullptr, c.says) << c.what << ": accepted";
            EXPECT_EQ(c.bytes, record) << c.what;
        }
        catch (const SettingsFileDamaged& damage)
        {
            ASSERT_NE(nullptr, c.says) << c.what << ": " << damage.what();
            EXPECT_NE(std::string::npos, std::string(damage.what()).find(c.says)) << c.what << ": " << damage.what();
        }
}

} // namespace
