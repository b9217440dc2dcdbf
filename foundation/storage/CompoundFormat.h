// The bytes of a compound file on disk: header with two alternating copies, cluster map entries and
// element entries. Everything is little-endian, text UTF-16LE.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace Orv::Compound
{

constexpr wchar_t FileSignature[] = L"Orvandelworks Compound File";
constexpr wchar_t RootElementName[] = L"OrvRootStorage";

constexpr uint32_t CurrentVersion = 29;
constexpr uint32_t FirstVersionWithNewEntries = 22; // older files hold 128-byte entries and no count
constexpr uint32_t CreatedClusterShift = 15;
constexpr uint32_t SmallestClusterShift = 9;        // anything outside these is a damaged header
constexpr uint32_t LargestClusterShift = 20;

constexpr uint32_t HeaderSize = 512;
constexpr uint32_t FirstDataCluster = 2;
constexpr uint32_t FreeListHead = 0;     // map entry heading the free clusters
constexpr uint32_t ReleasedListHead = 1; // map entry heading clusters released since the last commit
constexpr uint32_t FreeFlag = 0x80000000u;
constexpr uint32_t ClusterNumberMask = 0x7FFFFFFFu;
constexpr uint32_t EndsHereFlag = 0x80000000u; // position names the cluster that ends at its offset

constexpr uint32_t MaxElementsPerTable = 1024;
constexpr uint32_t MaxNameUnits = 31;
constexpr uint32_t NameFieldUnits = 32;

constexpr uint32_t ElementTypeStorage = 1;
constexpr uint32_t ElementTypeStream = 2;

// Allocation next to the end of a chain looks this far either side for a free cluster.
constexpr uint32_t NearbyClusterSpan = 8;
// Past this write position a chain ending on the map's last cluster extends the map rather than jump.
constexpr uint64_t ExtendMapBeyondBytes = 5242880;

// Header words carried for the file's own readers; their meaning is not ours to interpret.
constexpr uint32_t HeaderWord132 = 512;
constexpr uint32_t HeaderWord136 = 0x20000;
constexpr uint32_t HeaderWord140 = 0x7FFFFFFF;

struct ClusterEntry
{
    uint32_t next; // following cluster of the chain, 0 = end
    uint32_t back; // bit 31 = free; bits 0-30 = preceding cluster, 0 = first of its chain
};
static_assert(sizeof(ClusterEntry) == 8);

struct StreamPosition
{
    uint64_t offset;
    uint32_t cluster; // cluster holding the byte at offset, or with EndsHereFlag the one ending there
    uint32_t zero;
};
static_assert(sizeof(StreamPosition) == 16);

struct ElementEntry
{
    wchar_t name[NameFieldUnits];
    StreamPosition start;
    StreamPosition end;
    FILETIME modified;
    FILETIME created;
    FILETIME accessed;
    CLSID classId;
    uint32_t carried;
    uint32_t type;
    uint8_t zero[16];
};
static_assert(sizeof(ElementEntry) == 160);
static_assert(offsetof(ElementEntry, start) == 64);
static_assert(offsetof(ElementEntry, end) == 80);
static_assert(offsetof(ElementEntry, modified) == 96);
static_assert(offsetof(ElementEntry, created) == 104);
static_assert(offsetof(ElementEntry, accessed) == 112);
static_assert(offsetof(ElementEntry, classId) == 120);
static_assert(offsetof(ElementEntry, carried) == 136);
static_assert(offsetof(ElementEntry, type) == 140);

// Entry layout of files older than FirstVersionWithNewEntries.
struct OldElementEntry
{
    wchar_t name[NameFieldUnits];
    uint32_t startOffset;
    uint32_t startCluster;
    uint32_t type;
    uint32_t endOffset;
    uint32_t endCluster;
    FILETIME modified;
    FILETIME created;
    FILETIME accessed;
    CLSID classId;
    uint32_t carried;
};
static_assert(sizeof(OldElementEntry) == 128);
static_assert(offsetof(OldElementEntry, modified) == 84);
static_assert(offsetof(OldElementEntry, classId) == 108);
static_assert(offsetof(OldElementEntry, carried) == 124);

// The header as written: bytes 504 to 511 of the file are never touched.
struct RootStorageInfo
{
    wchar_t signature[64];
    uint32_t version;
    uint32_t word132;
    uint32_t word136;
    uint32_t word140;
    uint32_t word144;
    uint32_t activeCopy;
    uint32_t clusterShift;
    uint32_t mapCount[2];
    uint32_t mapCheck[2];
    uint32_t mapStart[2];
    uint32_t reserved;
    ElementEntry root[2];
};
static_assert(sizeof(RootStorageInfo) == 504);
static_assert(offsetof(RootStorageInfo, version) == 128);
static_assert(offsetof(RootStorageInfo, activeCopy) == 148);
static_assert(offsetof(RootStorageInfo, clusterShift) == 152);
static_assert(offsetof(RootStorageInfo, mapCount) == 156);
static_assert(offsetof(RootStorageInfo, mapCheck) == 164);
static_assert(offsetof(RootStorageInfo, mapStart) == 172);
static_assert(offsetof(RootStorageInfo, root) == 184);

// The header reaches the disk in two pieces, the active-copy word last, so that a cut between them
// leaves the previous copy named.
constexpr uint32_t HeaderBodyOffset = offsetof(RootStorageInfo, clusterShift);
constexpr uint32_t HeaderBodySize = sizeof(RootStorageInfo) - HeaderBodyOffset;
constexpr uint32_t HeaderLeadSize = offsetof(RootStorageInfo, activeCopy) + sizeof(uint32_t);
static_assert(HeaderBodySize == 352 && HeaderLeadSize == 152);

// A table on disk: count, its two's complement, then the entries.
struct TableCountWords
{
    uint32_t count;
    uint32_t check;
};
static_assert(sizeof(TableCountWords) == 8);

// Case is ignored by clearing bit 5 of every unit, on both sides.
bool NamesMatch(const wchar_t* a, const wchar_t* b);

// Copies at most MaxNameUnits units of the name, terminated, the rest of the field zero.
void StoreName(wchar_t (&field)[NameFieldUnits], const wchar_t* name);

ElementEntry NewElementEntry(const wchar_t* name, uint32_t type);

ElementEntry FromOldEntry(const OldElementEntry& old);

} // namespace Orv::Compound
