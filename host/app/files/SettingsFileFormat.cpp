#include "host/app/files/SettingsFileFormat.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace Host
{
namespace
{

// Sixteen bytes that name the format, the last an end-of-text mark, so that the file does not pass for
// text.
constexpr std::string_view Magic("Sistra settings\x1A", 16);
constexpr uint32_t FormatVersion = 1;
constexpr size_t HeaderBytes = Magic.size() + 3 * sizeof(uint32_t);
// A header with at most this many bytes of its magic changed is a damaged header, not a bare record.
constexpr size_t MagicDamageLimit = 3;

void PutWord(std::vector<char>& bytes, uint32_t word)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>((word >> shift) & 0xFF));
}

uint32_t WordAt(const std::vector<char>& bytes, size_t at)
{
    uint32_t word = 0;
    for (int index = 3; index >= 0; --index)
        word = word << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(index)]);
    return word;
}

size_t MagicDifferences(const std::vector<char>& file)
{
    size_t differences = 0;
    for (size_t index = 0; index < Magic.size(); ++index)
        differences += index >= file.size() || file[index] != Magic[index];
    return differences;
}

} // namespace

uint32_t Crc32(const char* bytes, size_t size, uint32_t running)
{
    // A byte at a time through a table of the register's eight shifts, so that a document's megabytes
    // of samples are checked at the speed they are read.
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> entries{};
        for (uint32_t value = 0; value < entries.size(); ++value)
        {
            uint32_t crc = value;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            entries[value] = crc;
        }
        return entries;
    }();
    uint32_t crc = ~running;
    for (size_t index = 0; index < size; ++index)
        crc = (crc >> 8) ^ table[(crc ^ static_cast<unsigned char>(bytes[index])) & 0xFFu];
    return ~crc;
}

std::vector<char> WrapSettingsRecord(const std::vector<char>& record)
{
    std::vector<char> file(Magic.begin(), Magic.end());
    PutWord(file, FormatVersion);
    PutWord(file, static_cast<uint32_t>(record.size()));
    PutWord(file, Crc32(record.data(), record.size()));
    file.insert(file.end(), record.begin(), record.end());
    return file;
}

std::vector<char> UnwrapSettingsRecord(const std::vector<char>& file, bool* checksummed)
{
    if (checksummed)
        *checksummed = false;
    if (file.empty())
        throw SettingsFileDamaged("the file is empty: it holds no settings");
    const size_t differences = MagicDifferences(file);
    if (differences > MagicDamageLimit)
        return file;
    if (differences > 0 || file.size() < HeaderBytes)
        throw SettingsFileDamaged("the file is damaged: its header is not a settings file's");
    if (const uint32_t version = WordAt(file, Magic.size()); version != FormatVersion)
        throw SettingsFileDamaged("the file's format " + std::to_string(version) +
                                  (version > FormatVersion ? " is newer than this version reads" : " is damaged"));
    const uint32_t length = WordAt(file, Magic.size() + 4);
    if (length != file.size() - HeaderBytes)
        throw SettingsFileDamaged("the file is damaged: it holds " + std::to_string(file.size() - HeaderBytes) +
                                  " bytes of settings where its header names " + std::to_string(length));
    if (length == 0)
        throw SettingsFileDamaged("the file holds no settings: it ends after its header");
    std::vector<char> record(file.begin() + HeaderBytes, file.end());
    if (Crc32(record.data(), record.size()) != WordAt(file, Magic.size() + 8))
        throw SettingsFileDamaged("the file is damaged: its checksum does not match its content (it was changed "
                                  "after it was written)");
    if (checksummed)
        *checksummed = true;
    return record;
}

} // namespace Host
