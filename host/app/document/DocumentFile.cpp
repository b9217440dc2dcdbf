#include "host/app/document/DocumentFile.h"

#include "host/app/document/DocumentChecks.h"
#include "host/app/files/MemoryStreams.h"
#include "host/app/files/SettingsFileFormat.h"
#include "host/app/files/TextConversion.h"
#include "host/app/files/WholeFile.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "foundation/com/ErrorReason.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/storage/FileLockBytes.h"
#include "foundation/storage/OrvStorage.h"
#include "foundation/system/ExactFileName.h"

#include <ocidl.h>

#include <cstddef>
#include <cstring>

#include <optional>
#include <stdexcept>
#include <utility>

namespace Host
{
namespace
{

constexpr DWORD WriteMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD ReadMode = STGM_SHARE_EXCLUSIVE | STGM_READ;
// The persister type a module document hands out for records kept in a stream.
constexpr ULONG StreamPersisterType = 2;
constexpr ULONG RecordKinds = 2;
const wchar_t* const RecordNames[RecordKinds] = {L"Full", L"SettingsOnly"};
const wchar_t RecordingStreamName[] = L"Recording";
const wchar_t ClassIdStreamName[] = L"ClassId";
const wchar_t ItemsStreamName[] = L"Items";
// A settings file carries the full record: the models' settings-only form leaves out the source
// channels, the detector and the calibrations a settings file is for.
constexpr ULONG SettingsFileKind = 0;
// A settings record is a few kilobytes: a file this large is no settings file.
constexpr LONGLONG LargestSettingsFile = LONGLONG{1} << 24;
// A recording path or a list of calculations longer than this is none: the stream is damaged.
constexpr ULONGLONG LongestText = 1 << 20;
const wchar_t ComputedChannelsStorageName[] = L"ComputedChannels";
// A computed channel's settings record is a few hundred bytes: a stream this large holds none.
constexpr ULONGLONG LargestChannelRecord = 1 << 20;

#pragma pack(push, 4)
struct ComputedChannelHeader
{
    uint32_t version;
    GUID classGuid;
    uint16_t classNumber;
    uint16_t settingsNumber;
    GUID settingsGuid;
    uint32_t unitChars;
};
#pragma pack(pop)
static_assert(sizeof(ComputedChannelHeader) == 44);
static_assert(offsetof(ComputedChannelHeader, unitChars) == 40);
static_assert(offsetof(ComputedChannelHeader, classGuid) == 4);
static_assert(offsetof(ComputedChannelHeader, classNumber) == 20);
static_assert(offsetof(ComputedChannelHeader, settingsGuid) == 24);
constexpr uint32_t ComputedChannelVersion = 1;

std::wstring ModuleStorageName(size_t index)
{
    return L"Module" + std::to_wstring(index + 1);
}

HRESULT WriteWhole(IStorage* storage, const wchar_t* name, const void* data, ULONG size)
{
    Orv::ComPtr<IStream> stream;
    HRESULT hr = storage->CreateStream(name, WriteMode, 0, 0, stream.Put());
    if (FAILED(hr))
        return hr;
    ULONG written = 0;
    hr = stream->Write(data, size, &written);
    return FAILED(hr) ? hr : written == size ? S_OK : STG_E_WRITEFAULT;
}

HRESULT ReadWhole(IStorage* storage, const wchar_t* name, void* data, ULONG size)
{
    Orv::ComPtr<IStream> stream;
    HRESULT hr = storage->OpenStream(name, nullptr, ReadMode, 0, stream.Put());
    if (FAILED(hr))
        return hr;
    ULONG read = 0;
    hr = stream->Read(data, size, &read);
    return FAILED(hr) ? hr : read == size ? S_OK : STG_E_READFAULT;
}

Orv::ComPtr<IPersistStreamInit> PersisterOf(ICustomDocument* module, ULONG kind)
{
    Orv::ComPtr<IUnknown> persister;
    Orv::ComPtr<IPersistStreamInit> stream;
    if (module && module->GetPersister(kind, StreamPersisterType, nullptr, persister.Put()) == S_OK && persister)
        persister->QueryInterface(IID_IPersistStreamInit, stream.PutVoid());
    return stream;
}

HRESULT SaveModule(IStorage* root, size_t index, ICustomDocument* module)
{
    Orv::ComPtr<IStorage> storage;
    HRESULT hr = root->CreateStorage(ModuleStorageName(index).c_str(), WriteMode, 0, 0, storage.Put());
    bool classWritten = false;
    for (ULONG kind = 0; SUCCEEDED(hr) && kind < RecordKinds; ++kind)
    {
        const Orv::ComPtr<IPersistStreamInit> persister = PersisterOf(module, kind);
        if (!persister)
            continue;
        CLSID classId{};
        if (!classWritten && SUCCEEDED(hr = persister->GetClassID(&classId)))
            hr = WriteWhole(storage.Get(), ClassIdStreamName, &classId, sizeof classId);
        classWritten = true;
        Orv::ComPtr<IStream> stream;
        if (SUCCEEDED(hr))
            hr = storage->CreateStream(RecordNames[kind], WriteMode, 0, 0, stream.Put());
        // The records stay dirty: a commit that fails after this must not leave them marked saved.
        if (SUCCEEDED(hr))
            hr = persister->Save(stream.Get(), FALSE);
    }
    return hr;
}

// The storage names of the modules' records in a file, with the class id each holds.
std::vector<std::pair<CLSID, std::wstring>> StoredModules(IStorage* root)
{
    std::vector<std::pair<CLSID, std::wstring>> stored;
    for (size_t index = 0;; ++index)
    {
        const std::wstring name = ModuleStorageName(index);
        Orv::ComPtr<IStorage> storage;
        if (FAILED(root->OpenStorage(name.c_str(), nullptr, ReadMode, nullptr, 0, storage.Put())))
            return stored;
        CLSID classId{};
        if (SUCCEEDED(ReadWhole(storage.Get(), ClassIdStreamName, &classId, sizeof classId)))
            stored.emplace_back(classId, name);
    }
}

HRESULT LoadRecord(IStorage* root, const std::wstring* storageName, ULONG kind, IPersistStreamInit* persister)
{
    Orv::ComPtr<IStorage> storage;
    Orv::ComPtr<IStream> stream;
    if (!storageName || FAILED(root->OpenStorage(storageName->c_str(), nullptr, ReadMode, nullptr, 0, storage.Put())) ||
        FAILED(storage->OpenStream(RecordNames[kind], nullptr, ReadMode, 0, stream.Put())))
        return persister->InitNew();
    return persister->Load(stream.Get());
}

std::vector<char> StreamContent(IStream* stream)
{
    std::vector<char> bytes;
    if (FAILED(ReadStreamContent(*stream, bytes)))
        throw std::runtime_error("a memory stream could not be read back");
    return bytes;
}

HRESULT WriteFileWhole(const std::wstring& path, const std::vector<char>& bytes)
{
    const std::wstring exact = Orv::ExactFileName(path).OpenAs();
    const DWORD attributes = exact.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(exact.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Orv::FailWithReason(HRESULT_FROM_WIN32(ERROR_DIRECTORY), IID_IPersistStreamInit,
                                   (path + L" is a folder: name a file to write the settings to").c_str());
    try
    {
        WriteWholeFile(path, std::string_view(bytes.data(), bytes.size()));
        return S_OK;
    }
    catch (const FileWriteError& error)
    {
        return Orv::FailWithReason(error.Error() ? HRESULT_FROM_WIN32(error.Error()) : E_FAIL, IID_IPersistStreamInit,
                                   FromUtf8(error.Reason()).c_str());
    }
}

HRESULT ReadFileWhole(const std::wstring& path, std::vector<char>& bytes)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Orv::FailWithReason(HRESULT_FROM_WIN32(ERROR_DIRECTORY), IID_IPersistStreamInit,
                                   (path + L" is a folder: name a settings file").c_str());
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Orv::LastErrorResult();
    LARGE_INTEGER size{};
    HRESULT hr = GetFileSizeEx(file, &size) ? S_OK : Orv::LastErrorResult();
    if (SUCCEEDED(hr) && size.QuadPart > LargestSettingsFile)
        hr = HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    DWORD read = 0;
    if (SUCCEEDED(hr))
    {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            hr = Orv::LastErrorResult();
        else if (read != bytes.size())
            hr = STG_E_READFAULT;
    }
    CloseHandle(file);
    return hr;
}

// A stream of UTF-16 text, whole.
HRESULT ReadText(IStorage* root, const wchar_t* name, std::wstring& text)
{
    Orv::ComPtr<IStream> stream;
    HRESULT hr = root->OpenStream(name, nullptr, ReadMode, 0, stream.Put());
    STATSTG stat{};
    if (SUCCEEDED(hr))
        hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr))
        return hr;
    if (stat.cbSize.QuadPart % sizeof(wchar_t) != 0 || stat.cbSize.QuadPart / sizeof(wchar_t) > LongestText)
        return STG_E_DOCFILECORRUPT;
    std::wstring read(static_cast<size_t>(stat.cbSize.QuadPart / sizeof(wchar_t)), L'\0');
    ULONG got = 0;
    hr = stream->Read(read.data(), static_cast<ULONG>(stat.cbSize.QuadPart), &got);
    if (FAILED(hr))
        return hr;
    if (got != stat.cbSize.QuadPart)
        return STG_E_READFAULT;
    text = std::move(read);
    return S_OK;
}

std::wstring ComputedChannelStreamName(size_t index)
{
    return L"Channel" + std::to_wstring(index + 1);
}

HRESULT WriteComputedChannels(IStorage* root, const SavedComputedChannels& channels)
{
    root->DestroyElement(ComputedChannelsStorageName);
    if (channels.empty())
        return S_OK;
    Orv::ComPtr<IStorage> storage;
    HRESULT hr = root->CreateStorage(ComputedChannelsStorageName, WriteMode, 0, 0, storage.Put());
    for (size_t index = 0; SUCCEEDED(hr) && index < channels.size(); ++index)
    {
        const SavedComputedChannel& channel = channels[index];
        const ComputedChannelHeader header{ComputedChannelVersion, channel.calculationClass.guid,
                                           channel.calculationClass.number, channel.settingsType.number,
                                           channel.settingsType.guid, static_cast<uint32_t>(channel.unit.size())};
        const size_t unitBytes = channel.unit.size() * sizeof(wchar_t);
        std::vector<char> bytes(sizeof header + unitBytes);
        std::memcpy(bytes.data(), &header, sizeof header);
        std::memcpy(bytes.data() + sizeof header, channel.unit.data(), unitBytes);
        bytes.insert(bytes.end(), channel.settings.begin(), channel.settings.end());
        hr = WriteWhole(storage.Get(), ComputedChannelStreamName(index).c_str(), bytes.data(),
                        static_cast<ULONG>(bytes.size()));
    }
    return hr;
}

// One channel's stream; a channel whose stream holds no record this version reads names its damage.
SavedComputedChannel ReadComputedChannel(IStream* stream)
{
    SavedComputedChannel channel;
    STATSTG stat{};
    HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (SUCCEEDED(hr) && (stat.cbSize.QuadPart < sizeof(ComputedChannelHeader) || stat.cbSize.QuadPart > LargestChannelRecord))
        hr = STG_E_DOCFILECORRUPT;
    std::vector<char> bytes(SUCCEEDED(hr) ? static_cast<size_t>(stat.cbSize.QuadPart) : 0);
    ULONG read = 0;
    if (SUCCEEDED(hr) && SUCCEEDED(hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) &&
        read != bytes.size())
        hr = STG_E_READFAULT;
    if (FAILED(hr))
    {
        channel.damage = "its record cannot be read: " + FailureText(hr);
        return channel;
    }
    ComputedChannelHeader header{};
    std::memcpy(&header, bytes.data(), sizeof header);
    if (header.version != ComputedChannelVersion)
    {
        channel.damage = "its record has version " + std::to_string(header.version) + ", which this version does not read";
        return channel;
    }
    const size_t unitBytes = size_t{header.unitChars} * sizeof(wchar_t);
    if (unitBytes > bytes.size() - sizeof header)
    {
        channel.damage = "its record is cut short";
        return channel;
    }
    channel.calculationClass = {header.classGuid, header.classNumber};
    channel.settingsType = {header.settingsGuid, header.settingsNumber};
    channel.unit.resize(header.unitChars);
    std::memcpy(channel.unit.data(), bytes.data() + sizeof header, unitBytes);
    channel.settings.assign(bytes.begin() + static_cast<ptrdiff_t>(sizeof header + unitBytes), bytes.end());
    return channel;
}

// Whether the file at path is a compound file by its first bytes: one whose signature a few changed bytes
// damaged, or that is cut within its signature, still is one, damaged. Read without asking to write, which
// a file that is read only would refuse.
bool IsCompoundFile(const std::wstring& path)
{
    // So many bytes of the signature at least tell it from a text that merely begins as it does.
    constexpr ULONG FewestTellingBytes = 8;
    // A signature with at most this many bytes changed is a damaged one, not another kind of file's start.
    constexpr ULONG MostChangedSignatureBytes = 3;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<BYTE> start(OrvStorage::SignatureSize());
    DWORD held = 0;
    // What a pipe holds is read once, by the recording's reader.
    const bool read = GetFileType(file) == FILE_TYPE_DISK &&
                      ReadFile(file, start.data(), static_cast<DWORD>(start.size()), &held, nullptr);
    CloseHandle(file);
    return read && held >= FewestTellingBytes &&
           OrvStorage::SignatureDifferences(start.data(), held) <= MostChangedSignatureBytes;
}

bool IsEmptyFile(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
           data.nFileSizeLow == 0;
}

} // namespace

HRESULT SaveDocument(IStorage* root, const std::wstring& recordingPath, const ModuleDocuments& modules,
                     const HostItems& items, const ShownRecording* data, IHostProgress* progress,
                     const SavedComputedChannels& channels)
{
    if (!root)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        HRESULT hr = WriteWhole(root, RecordingStreamName, recordingPath.data(),
                                static_cast<ULONG>(recordingPath.size() * sizeof(wchar_t)));
        std::wstring itemText;
        for (const auto& [name, text] : items)
            itemText += name + L'\0' + text + L'\0';
        if (SUCCEEDED(hr) && !items.empty())
            hr = WriteWhole(root, ItemsStreamName, itemText.data(), static_cast<ULONG>(itemText.size() * sizeof(wchar_t)));
        else if (SUCCEEDED(hr))
            root->DestroyElement(ItemsStreamName);
        if (SUCCEEDED(hr))
            hr = WriteComputedChannels(root, channels);
        if (SUCCEEDED(hr))
            hr = WriteDocumentData(root, data, progress);
        for (size_t index = 0; SUCCEEDED(hr) && index < modules.size(); ++index)
            hr = SaveModule(root, index, modules[index]);
        // Records of module documents this document no longer has.
        for (size_t index = modules.size(); SUCCEEDED(hr); ++index)
            if (FAILED(root->DestroyElement(ModuleStorageName(index).c_str())))
                break;
        // Last, over every stream as it is to be committed.
        if (SUCCEEDED(hr))
            hr = WriteDocumentChecks(root);
        if (SUCCEEDED(hr))
            hr = root->Commit(STGC_DEFAULT);
        if (FAILED(hr))
            root->Revert();
        return hr;
    });
}

HRESULT ReadRecordingReference(IStorage* root, std::wstring& recordingPath)
{
    if (!root)
        return E_POINTER;
    return Orv::CatchReturn([&] { return ReadText(root, RecordingStreamName, recordingPath); });
}

HRESULT ReadHostItems(IStorage* root, HostItems& items)
{
    if (!root)
        return E_POINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        items.clear();
        std::wstring text;
        const HRESULT hr = ReadText(root, ItemsStreamName, text);
        if (hr == STG_E_FILENOTFOUND)
            return S_OK;
        if (FAILED(hr))
            return hr;
        HostItems read;
        for (size_t start = 0; start < text.size();)
        {
            const size_t nameEnd = text.find(L'\0', start);
            const size_t textEnd = nameEnd == std::wstring::npos ? nameEnd : text.find(L'\0', nameEnd + 1);
            if (textEnd == std::wstring::npos || nameEnd == start)
                return STG_E_DOCFILECORRUPT;
            read.emplace_back(text.substr(start, nameEnd - start), text.substr(nameEnd + 1, textEnd - nameEnd - 1));
            start = textEnd + 1;
        }
        items = std::move(read);
        return S_OK;
    });
}

HRESULT ReadComputedChannels(IStorage* root, SavedComputedChannels& channels)
{
    if (!root)
        return E_POINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        channels.clear();
        Orv::ComPtr<IStorage> storage;
        HRESULT hr = root->OpenStorage(ComputedChannelsStorageName, nullptr, ReadMode, nullptr, 0, storage.Put());
        if (hr == STG_E_FILENOTFOUND)
            return S_OK;
        if (FAILED(hr))
            return hr;
        for (size_t index = 0;; ++index)
        {
            Orv::ComPtr<IStream> stream;
            hr = storage->OpenStream(ComputedChannelStreamName(index).c_str(), nullptr, ReadMode, 0, stream.Put());
            if (hr == STG_E_FILENOTFOUND)
                return S_OK;
            if (FAILED(hr))
                return hr;
            channels.push_back(ReadComputedChannel(stream.Get()));
        }
    });
}

HRESULT LoadModuleSettings(IStorage* root, const ModuleDocuments& modules)
{
    if (!root)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        const auto stored = StoredModules(root);
        HRESULT first = S_OK;
        for (ICustomDocument* module : modules)
            for (ULONG kind = 0; kind < RecordKinds; ++kind)
            {
                const Orv::ComPtr<IPersistStreamInit> persister = PersisterOf(module, kind);
                CLSID classId{};
                if (!persister || FAILED(persister->GetClassID(&classId)))
                    continue;
                const std::wstring* storage = nullptr;
                for (const auto& [id, name] : stored)
                    if (IsEqualCLSID(id, classId))
                        storage = &name;
                const HRESULT hr = LoadRecord(root, storage, kind, persister.Get());
                if (FAILED(hr) && SUCCEEDED(first))
                    first = hr;
            }
        return first;
    });
}

namespace
{

// The document as a new compound file at path; the file is closed when this returns.
HRESULT SaveNewDocumentFile(const std::wstring& path, const std::wstring& recordingPath, const ModuleDocuments& modules,
                            const HostItems& items, const ShownRecording* data, IHostProgress* progress,
                            const SavedComputedChannels& channels)
{
    using FileLockBytesImpl::FileLockBytes;
    auto bytes = Orv::ComPtr<ILockBytes>::Adopt(new FileLockBytes(Orv::String(path.c_str()), FileLockBytes::Life::Kept));
    Orv::ComPtr<IStorage> root;
    HRESULT hr = OrvStorage::CreateOnLockBytes(bytes.Get(), root.Put());
    if (SUCCEEDED(hr))
        hr = SaveDocument(root.Get(), recordingPath, modules, items, data, progress, channels);
    return hr;
}

} // namespace

HRESULT SaveDocumentFile(const std::wstring& path, const std::wstring& recordingPath, const ModuleDocuments& modules,
                         const HostItems& items, const ShownRecording* data, IHostProgress* progress,
                         const SavedComputedChannels& channels)
{
    return Orv::CatchReturn([&]() -> HRESULT {
        const std::wstring exact = Orv::ExactFileName(path).OpenAs();
        const DWORD attributes = exact.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(exact.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return Orv::FailWithReason(HRESULT_FROM_WIN32(ERROR_DIRECTORY), IID_IStorage,
                                       (path + L" is a folder: name a file to save the document to").c_str());
        // A file that holds something else is refused, not overwritten.
        if (Orv::ComPtr<IStorage> earlier; attributes != INVALID_FILE_ATTRIBUTES && !IsEmptyFile(exact))
            if (const HRESULT hr = OpenDocumentFile(exact, earlier.Put()); FAILED(hr))
                return hr;
        try
        {
            StagedFile staged(path);
            staged.Close();
            const HRESULT hr = SaveNewDocumentFile(staged.Path(), recordingPath, modules, items, data, progress, channels);
            if (SUCCEEDED(hr))
                staged.Commit();
            return hr;
        }
        catch (const FileWriteError& error)
        {
            return Orv::FailWithReason(HRESULT_FROM_WIN32(error.Error()), IID_IStorage, FromUtf8(error.Reason()).c_str());
        }
    });
}

HRESULT OpenDocumentFile(const std::wstring& path, IStorage** root)
{
    if (!root)
        return E_POINTER;
    *root = nullptr;
    return Orv::CatchReturn([&]() -> HRESULT {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        using FileLockBytesImpl::FileLockBytes;
        auto bytes = Orv::ComPtr<ILockBytes>::Adopt(new FileLockBytes(Orv::String(path.c_str()), FileLockBytes::Life::Kept));
        return OrvStorage::OpenOnLockBytes(bytes.Get(), root);
    });
}

HRESULT LoadDocumentFileSettings(const std::wstring& path, const ModuleDocuments& modules)
{
    Orv::ComPtr<IStorage> root;
    const HRESULT hr = OpenDocumentFile(path, root.Put());
    return FAILED(hr) ? hr : LoadModuleSettings(root.Get(), modules);
}

std::optional<DocumentFileContent> ReadDocumentFile(const std::wstring& path)
{
    if (!IsCompoundFile(path))
        return std::nullopt;
    const std::string name = ToUtf8(path);
    Orv::ComPtr<IStorage> root;
    SetErrorInfo(0, nullptr);
    if (const HRESULT opened = OpenDocumentFile(path, root.Put()); FAILED(opened))
    {
        // The storage names what it found where it can; where it gives a code alone, that is still said.
        const std::string reason = FailureText(opened);
        throw DocumentDamaged(name + " is a damaged document: " +
                              (reason.starts_with("0x") ? "the storage cannot open it (" + reason + ")" : reason));
    }
    DocumentFileContent content;
    try
    {
        content.checked = CheckDocumentStreams(root.Get());
    }
    catch (const DocumentDamaged& damage)
    {
        throw DocumentDamaged(name + " is a damaged document: " + damage.what());
    }
    HRESULT hr = ReadRecordingReference(root.Get(), content.recording);
    if (FAILED(hr))
        throw std::runtime_error(name + " is a compound file but names no recording: " + FailureText(hr));
    if (FAILED(hr = ReadHostItems(root.Get(), content.items)))
        throw std::runtime_error("the calculations in " + name + " cannot be read: " + FailureText(hr));
    if (FAILED(hr = ReadComputedChannels(root.Get(), content.channels)))
        throw std::runtime_error("the computed channels in " + name + " cannot be read: " + FailureText(hr));
    try
    {
        content.data = ReadDocumentData(root.Get());
    }
    catch (const std::runtime_error& damage)
    {
        throw std::runtime_error("the recording kept in " + name + " cannot be read: " + damage.what());
    }
    return content;
}

} // namespace Host

namespace Host
{

HRESULT SaveSettingsFile(ICustomDocument* module, const std::wstring& path)
{
    return Orv::CatchReturn([&]() -> HRESULT {
        const Orv::ComPtr<IPersistStreamInit> persister = PersisterOf(module, SettingsFileKind);
        if (!persister)
            return E_NOINTERFACE;
        Orv::ComPtr<IStream> memory;
        HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, memory.Put());
        if (SUCCEEDED(hr))
            hr = persister->Save(memory.Get(), FALSE);
        return FAILED(hr) ? hr : WriteFileWhole(path, WrapSettingsRecord(StreamContent(memory.Get())));
    });
}

namespace
{

// A record the module could not read, and said nothing of, is named as such rather than by its bare code.
HRESULT WithUnreadableReason(HRESULT failure)
{
    Orv::ComPtr<IErrorInfo> reason;
    if (GetErrorInfo(0, reason.Put()) == S_OK && reason)
    {
        SetErrorInfo(0, reason.Get());
        return failure;
    }
    return Orv::FailWithReason(failure, IID_IPersistStreamInit,
                               failure == Orv::E_ORV_NEWER_VERSION
                                   ? L"its settings record names a newer version than this one reads (or the file is damaged)"
                                   : L"the file is damaged or holds no settings: its settings record cannot be read");
}

} // namespace

HRESULT LoadSettingsFile(ICustomDocument* module, const std::wstring& path)
{
    return Orv::CatchReturn([&]() -> HRESULT {
        const Orv::ComPtr<IPersistStreamInit> persister = PersisterOf(module, SettingsFileKind);
        if (!persister)
            return E_NOINTERFACE;
        std::vector<char> bytes;
        bool checksummed = false;
        HRESULT hr = ReadFileWhole(path, bytes);
        if (SUCCEEDED(hr))
            try
            {
                bytes = UnwrapSettingsRecord(bytes, &checksummed);
            }
            catch (const SettingsFileDamaged& damage)
            {
                return Orv::FailWithReason(STG_E_DOCFILECORRUPT, IID_IPersistStreamInit, FromUtf8(damage.what()).c_str());
            }
        Orv::ComPtr<IStream> memory;
        if (SUCCEEDED(hr))
            hr = MakeMemoryStream(bytes, memory);
        if (FAILED(hr))
            return hr;
        hr = persister->Load(memory.Get());
        if (hr == Orv::E_ORV_READ_FAILED || hr == Orv::E_ORV_NEWER_VERSION)
            return WithUnreadableReason(hr);
        return hr == S_OK && !checksummed ? S_FALSE : hr;
    });
}

} // namespace Host
