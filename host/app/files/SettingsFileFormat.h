// A settings file as the host keeps it: a header that names the format, the length of the module's
// settings record and its CRC-32, then the record. The record's own fields are not all checked by the
// module's reader (a flipped bit in a calibration value reads as another value), so the file carries a
// checksum and a damaged file is refused whole before the module sees any of it. A file without the
// header is a bare record, as earlier versions wrote settings files, and is handed over as it stands.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace Host
{

class SettingsFileDamaged : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The IEEE 802.3 CRC-32 (reflected polynomial 0xEDB88320), as zip files use it. Data read in parts take
// the CRC of the parts before as running: Crc32(b, Crc32(a)) is the CRC of a followed by b.
uint32_t Crc32(const char* bytes, size_t size, uint32_t running = 0);

std::vector<char> WrapSettingsRecord(const std::vector<char>& record);
// The record a settings file holds; throws SettingsFileDamaged, naming what is wrong, for a file whose
// header, length or checksum does not hold. checksummed, when given, tells whether the record passed a
// checksum (false for a bare record, whose damage nothing can tell).
std::vector<char> UnwrapSettingsRecord(const std::vector<char>& file, bool* checksummed = nullptr);

} // namespace Host
