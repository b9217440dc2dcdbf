#include "host/app/document/DocumentChecks.h"

#include "host/app/files/SettingsFileFormat.h"
#include "host/app/files/TextConversion.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <map>
#include <utility>
#include <vector>

namespace Host
{
namespace
{

constexpr DWORD WriteMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD ReadMode = STGM_SHARE_EXCLUSIVE | STGM_READ;
const wchar_t ChecksStreamName[] = L"Checks";
constexpr uint32_t ChecksVersion = 1;
// Streams are read for their checks this much at a time.
constexpr ULONG ReadPart = ULONG{1} << 20;
// Beyond these the list is damaged, told before anything is allocated for it.
constexpr uint32_t MostEntries = 1 << 20;
constexpr uint32_t LongestPath = 1 << 12;
constexpr uint64_t LargestList = uint64_t{1} << 26;

struct StreamCheck
{
    uint64_t size = 0;
    uint32_t crc = 0;
};
using StreamChecks = std::map<std::wstring, StreamCheck>;

// A stream that could not be read for its check, with the storage's failure.
struct UnreadableStream
{
    std::wstring path;
    HRESULT result;
};

class Names
{
public:
    explicit Names(IEnumSTATSTG& elements) : elements_(elements) {}
    // The next element's name and type; false after the last.
    bool Next(std::wstring& name, DWORD& type)
    {
        STATSTG stat{};
        ULONG fetched = 0;
        if (elements_.Next(1, &stat, &fetched) != S_OK || fetched != 1)
            return false;
        name = stat.pwcsName ? stat.pwcsName : L"";
        type = stat.type;
        CoTaskMemFree(stat.pwcsName);
        return true;
    }

private:
    IEnumSTATSTG& elements_;
};

StreamCheck CheckOf(IStream& stream, const std::wstring& path)
{
    StreamCheck check;
    std::vector<char> part(ReadPart);
    for (;;)
    {
        ULONG read = 0;
        if (const HRESULT hr = stream.Read(part.data(), ReadPart, &read); FAILED(hr))
            throw UnreadableStream{path, hr};
        check.crc = Crc32(part.data(), read, check.crc);
        check.size += read;
        if (read < ReadPart)
            return check;
    }
}

void CollectChecks(IStorage& storage, const std::wstring& prefix, StreamChecks& checks)
{
    Orv::ComPtr<IEnumSTATSTG> elements;
    if (const HRESULT hr = storage.EnumElements(0, nullptr, 0, elements.Put()); FAILED(hr))
        throw UnreadableStream{prefix, hr};
    Names names(*elements.Get());
    std::vector<std::pair<std::wstring, DWORD>> found;
    for (std::pair<std::wstring, DWORD> element; names.Next(element.first, element.second);)
        found.push_back(element);
    for (const auto& [name, type] : found)
    {
        const std::wstring path = prefix + name;
        if (type == STGTY_STORAGE)
        {
            Orv::ComPtr<IStorage> child;
            if (const HRESULT hr = storage.OpenStorage(name.c_str(), nullptr, ReadMode, nullptr, 0, child.Put()); FAILED(hr))
                throw UnreadableStream{path, hr};
            CollectChecks(*child.Get(), path + L"/", checks);
        }
        else if (type == STGTY_STREAM && path != ChecksStreamName)
        {
            Orv::ComPtr<IStream> stream;
            if (const HRESULT hr = storage.OpenStream(name.c_str(), nullptr, ReadMode, 0, stream.Put()); FAILED(hr))
                throw UnreadableStream{path, hr};
            checks[path] = CheckOf(*stream.Get(), path);
        }
    }
}

void PutWord(std::vector<char>& bytes, uint64_t word, int size)
{
    for (int index = 0; index < size; ++index)
        bytes.push_back(static_cast<char>((word >> (8 * index)) & 0xFF));
}

std::vector<char> ListBytes(const StreamChecks& checks)
{
    std::vector<char> bytes;
    PutWord(bytes, ChecksVersion, 4);
    PutWord(bytes, checks.size(), 4);
    for (const auto& [path, check] : checks)
    {
        PutWord(bytes, path.size(), 4);
        for (const wchar_t c : path)
            PutWord(bytes, static_cast<uint16_t>(c), 2);
        PutWord(bytes, check.size, 8);
        PutWord(bytes, check.crc, 4);
    }
    PutWord(bytes, Crc32(bytes.data(), bytes.size()), 4);
    return bytes;
}

// Reads the list's words in order; a read past its end marks it short.
class ListReader
{
public:
    explicit ListReader(const std::vector<char>& bytes) : bytes_(bytes) {}
    uint64_t Word(int size)
    {
        if (bytes_.size() - at_ < static_cast<size_t>(size))
        {
            short_ = true;
            return 0;
        }
        uint64_t word = 0;
        for (int index = size - 1; index >= 0; --index)
            word = word << 8 | static_cast<unsigned char>(bytes_[at_ + static_cast<size_t>(index)]);
        at_ += static_cast<size_t>(size);
        return word;
    }
    bool Short() const { return short_; }
    size_t Left() const { return bytes_.size() - at_; }

private:
    const std::vector<char>& bytes_;
    size_t at_ = 0;
    bool short_ = false;
};

[[noreturn]] void ListDamaged(const std::string& how)
{
    throw DocumentDamaged("its list of the streams' checks (stream Checks): it " + how);
}

StreamChecks ParseList(const std::vector<char>& bytes)
{
    const auto trailer = [&] {
        const std::vector<char> last(bytes.end() - 4, bytes.end());
        return ListReader(last).Word(4);
    };
    if (bytes.size() < 4 || Crc32(bytes.data(), bytes.size() - 4) != trailer())
        ListDamaged("is damaged: its own checksum does not match it");
    ListReader in(bytes);
    if (const uint64_t version = in.Word(4); version != ChecksVersion)
        ListDamaged("is of format " + std::to_string(version) + ", which this version does not read");
    const uint64_t count = in.Word(4);
    if (count > MostEntries)
        ListDamaged("is damaged");
    StreamChecks checks;
    for (uint64_t entry = 0; entry < count && !in.Short(); ++entry)
    {
        const uint64_t length = in.Word(4);
        if (length > LongestPath)
            ListDamaged("is damaged");
        std::wstring path;
        for (uint64_t index = 0; index < length && !in.Short(); ++index)
            path += static_cast<wchar_t>(in.Word(2));
        StreamCheck& check = checks[path];
        check.size = in.Word(8);
        check.crc = static_cast<uint32_t>(in.Word(4));
    }
    if (in.Short() || in.Left() != 4)
        ListDamaged("is damaged: it does not hold the entries it counts");
    return checks;
}

std::string Where(const std::wstring& path)
{
    return DocumentPartName(path) + " (stream " + ToUtf8(path) + ")";
}

std::string Bytes(uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

void Compare(const StreamChecks& saved, const StreamChecks& found)
{
    for (const auto& [path, check] : saved)
    {
        const auto held = found.find(path);
        if (held == found.end())
            throw DocumentDamaged(Where(path) + ": it is missing");
        if (held->second.size != check.size)
            throw DocumentDamaged(Where(path) + ": it holds " + Bytes(held->second.size) + " where it was saved with " +
                                  Bytes(check.size) + (held->second.size < check.size ? ": it is cut short" : ""));
        if (held->second.crc != check.crc)
            throw DocumentDamaged(Where(path) +
                                  ": its content does not match the check saved with it (it was changed after the save)");
    }
    for (const auto& [path, check] : found)
        if (!saved.contains(path))
            throw DocumentDamaged(Where(path) + ": it is not one of the streams the document was saved with");
}

// The number a stream's name carries after its prefix ("Record12": 12); empty when it carries none.
std::string NumberAfter(const std::wstring& name, const std::wstring& prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](wchar_t c) { return std::iswdigit(c) != 0; }))
        return {};
    return ToUtf8(name.substr(prefix.size()));
}

// A file without a list is one saved before documents carried it, unless a damaged name hid the list: an
// element that no document holds tells that.
void RefuseUnknownElements(IStorage& root)
{
    Orv::ComPtr<IEnumSTATSTG> elements;
    if (const HRESULT hr = root.EnumElements(0, nullptr, 0, elements.Put()); FAILED(hr))
        throw UnreadableStream{L"", hr};
    Names names(*elements.Get());
    const std::wstring known[] = {L"Recording", L"Items", L"Data", L"ComputedChannels"};
    std::wstring name;
    for (DWORD type = 0; names.Next(name, type);)
        if (std::find(std::begin(known), std::end(known), name) == std::end(known) && NumberAfter(name, L"Module").empty())
            throw DocumentDamaged(Where(name) + ": it is no part of a document (its name, or that of its list of checks, "
                                                "is damaged)");
}

} // namespace

HRESULT WriteDocumentChecks(IStorage* root)
{
    if (!root)
        return E_POINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        StreamChecks checks;
        try
        {
            CollectChecks(*root, L"", checks);
        }
        catch (const UnreadableStream& unreadable)
        {
            return unreadable.result;
        }
        const std::vector<char> list = ListBytes(checks);
        Orv::ComPtr<IStream> stream;
        HRESULT hr = root->CreateStream(ChecksStreamName, WriteMode, 0, 0, stream.Put());
        ULONG written = 0;
        if (SUCCEEDED(hr))
            hr = stream->Write(list.data(), static_cast<ULONG>(list.size()), &written);
        return FAILED(hr) ? hr : written == list.size() ? S_OK : STG_E_WRITEFAULT;
    });
}

bool CheckDocumentStreams(IStorage* root)
{
    if (!root)
        throw std::invalid_argument("no document to check");
    try
    {
        Orv::ComPtr<IStream> stream;
        const HRESULT opened = root->OpenStream(ChecksStreamName, nullptr, ReadMode, 0, stream.Put());
        if (opened == STG_E_FILENOTFOUND)
        {
            RefuseUnknownElements(*root);
            return false;
        }
        if (FAILED(opened))
            throw UnreadableStream{ChecksStreamName, opened};
        STATSTG stat{};
        if (const HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME); FAILED(hr))
            throw UnreadableStream{ChecksStreamName, hr};
        if (stat.cbSize.QuadPart > LargestList)
            ListDamaged("is damaged: it is longer than a list can be");
        std::vector<char> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
        ULONG read = 0;
        if (const HRESULT hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read); FAILED(hr))
            throw UnreadableStream{ChecksStreamName, hr};
        if (read != bytes.size())
            ListDamaged("is cut short");
        stream.Reset();
        const StreamChecks saved = ParseList(bytes);
        StreamChecks found;
        CollectChecks(*root, L"", found);
        Compare(saved, found);
        return true;
    }
    catch (const UnreadableStream& unreadable)
    {
        throw DocumentDamaged(Where(unreadable.path) + ": it cannot be read: " + FailureText(unreadable.result));
    }
}

std::string DocumentPartName(const std::wstring& streamPath)
{
    const size_t slash = streamPath.find(L'/');
    const std::wstring top = streamPath.substr(0, slash);
    const std::wstring name = slash == std::wstring::npos ? std::wstring() : streamPath.substr(slash + 1);
    if (streamPath == L"Recording")
        return "the name of its recording";
    if (streamPath == L"Items")
        return "its calculations";
    if (streamPath == ChecksStreamName)
        return "its list of the streams' checks";
    if (streamPath == L"Data/Channels")
        return "its channels' names and units";
    if (const std::string record = NumberAfter(name, L"Record"); top == L"Data" && !record.empty())
        return "the samples of its record " + record;
    if (const std::string channel = NumberAfter(name, L"Channel"); top == L"ComputedChannels" && !channel.empty())
        return "its computed channel " + channel;
    if (!NumberAfter(top, L"Module").empty())
        return "the module's settings";
    return "a part of it";
}

} // namespace Host
