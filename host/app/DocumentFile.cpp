#include "host/app/DocumentFile.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "foundation/storage/FileLockBytes.h"
#include "foundation/storage/OrvStorage.h"

#include <ocidl.h>

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
// A recording path longer than this is not a path: the stream is damaged.
constexpr ULONGLONG LongestRecordingPath = 32768;

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

} // namespace

HRESULT SaveDocument(IStorage* root, const std::wstring& recordingPath, const ModuleDocuments& modules)
{
    if (!root)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        HRESULT hr = WriteWhole(root, RecordingStreamName, recordingPath.data(),
                                static_cast<ULONG>(recordingPath.size() * sizeof(wchar_t)));
        for (size_t index = 0; SUCCEEDED(hr) && index < modules.size(); ++index)
            hr = SaveModule(root, index, modules[index]);
        // Records of module documents this document no longer has.
        for (size_t index = modules.size(); SUCCEEDED(hr); ++index)
            if (FAILED(root->DestroyElement(ModuleStorageName(index).c_str())))
                break;
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
    return Orv::CatchReturn([&] {
        Orv::ComPtr<IStream> stream;
        HRESULT hr = root->OpenStream(RecordingStreamName, nullptr, ReadMode, 0, stream.Put());
        STATSTG stat{};
        if (SUCCEEDED(hr))
            hr = stream->Stat(&stat, STATFLAG_NONAME);
        if (FAILED(hr))
            return hr;
        if (stat.cbSize.QuadPart % sizeof(wchar_t) != 0 || stat.cbSize.QuadPart / sizeof(wchar_t) > LongestRecordingPath)
            return STG_E_DOCFILECORRUPT;
        std::wstring path(static_cast<size_t>(stat.cbSize.QuadPart / sizeof(wchar_t)), L'\0');
        ULONG read = 0;
        hr = stream->Read(path.data(), static_cast<ULONG>(stat.cbSize.QuadPart), &read);
        if (FAILED(hr))
            return hr;
        if (read != stat.cbSize.QuadPart)
            return STG_E_READFAULT;
        recordingPath = std::move(path);
        return S_OK;
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

HRESULT SaveDocumentFile(const std::wstring& path, const std::wstring& recordingPath, const ModuleDocuments& modules)
{
    return Orv::CatchReturn([&] {
        using FileLockBytesImpl::FileLockBytes;
        auto bytes = Orv::ComPtr<ILockBytes>::Adopt(new FileLockBytes(Orv::String(path.c_str()), FileLockBytes::Life::Kept));
        STATSTG stat{};
        HRESULT hr = bytes->Stat(&stat, STATFLAG_NONAME);
        Orv::ComPtr<IStorage> root;
        // A file that holds something else is refused, not overwritten.
        if (SUCCEEDED(hr))
            hr = stat.cbSize.QuadPart == 0 ? OrvStorage::CreateOnLockBytes(bytes.Get(), root.Put())
                                           : OrvStorage::OpenOnLockBytes(bytes.Get(), root.Put());
        if (SUCCEEDED(hr))
            hr = SaveDocument(root.Get(), recordingPath, modules);
        return hr;
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

} // namespace Host
