#include "foundation/storage/OrvStorage.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/storage/CompoundErrors.h"
#include "foundation/storage/FileLockBytes.h"
#include "foundation/storage/OrvStream.h"

#include <algorithm>
#include <cwchar>

using namespace Orv::Compound;
using Orv::ComPtr;

namespace
{
constexpr DWORD RootOpenMode = STGM_DELETEONRELEASE | STGM_TRANSACTED | STGM_CREATE | STGM_SHARE_EXCLUSIVE |
                               STGM_READWRITE;
static_assert(RootOpenMode == 0x04011012);
// Files of this version find storages by name alone.
constexpr uint32_t NameOnlyLookupVersion = 3;
constexpr wchar_t TableUnreadable[] = L"Error reading Storage Entry Table";
constexpr DWORD CopyStreamMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE;
constexpr DWORD CopyStorageMode = STGM_SHARE_EXCLUSIVE | STGM_WRITE;

// Names longer than an entry holds are refused rather than cut, so that two cannot end up the same.
HRESULT CheckName(const OLECHAR* name)
{
    if (!name)
        return STG_E_INVALIDPOINTER;
    const size_t length = std::wcslen(name);
    return length == 0 || length > MaxNameUnits ? STG_E_INVALIDNAME : S_OK;
}

bool IsExcluded(const wchar_t* name, SNB exclude)
{
    for (; exclude && *exclude; ++exclude)
    {
        if (NamesMatch(*exclude, name))
            return true;
    }
    return false;
}

template <class Interface>
HRESULT ClearOut(Interface** out)
{
    if (!out)
        return STG_E_INVALIDPOINTER;
    *out = nullptr;
    return S_OK;
}
} // namespace

OrvStorage::OrvStorage(std::unique_ptr<StorageAllocator> allocator)
    : ownedAllocator_(std::move(allocator)),
      allocator_(*ownedAllocator_),
      element_(allocator_.Root()),
      table_(allocator_, element_)
{
}

OrvStorage::OrvStorage(OrvStorage& parent, Element& element)
    : parent_(&parent), allocator_(parent.allocator_), element_(element), table_(allocator_, element)
{
    parent.openChildren_.push_back(this);
    ++element_.openCount;
}

OrvStorage::~OrvStorage()
{
    if (!parent_)
        return;
    std::lock_guard lock(allocator_.Mutex());
    if (element_.openCount != 0)
        --element_.openCount;
    auto& siblings = parent_->openChildren_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
}

HRESULT OrvStorage::CreateFileStorage(const Orv::String& fileName, DWORD, IStorage** out)
{
    if (FAILED(ClearOut(out)))
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        Orv::String name = fileName;
        if (name.IsEmpty())
        {
            const HRESULT result = Orv::MakeTemporaryFileName(name);
            if (FAILED(result))
                return result;
        }
        auto lockBytes = ComPtr<ILockBytes>::Adopt(new FileLockBytesImpl::FileLockBytes(name));
        return CreateOnLockBytes(lockBytes.Get(), out);
    });
}

HRESULT OrvStorage::CreateOnLockBytes(ILockBytes* lockBytes, IStorage** out)
{
    if (FAILED(ClearOut(out)) || !lockBytes)
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&] { return MakeRoot(StorageAllocator::Create(lockBytes, RootOpenMode), false, out); });
}

HRESULT OrvStorage::OpenOnLockBytes(ILockBytes* lockBytes, IStorage** out)
{
    if (FAILED(ClearOut(out)) || !lockBytes)
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&] { return MakeRoot(StorageAllocator::Open(lockBytes, RootOpenMode), true, out); });
}

ULONG OrvStorage::SignatureSize()
{
    return sizeof FileSignature;
}

ULONG OrvStorage::SignatureDifferences(const BYTE* start, ULONG size)
{
    const auto* signature = reinterpret_cast<const BYTE*>(FileSignature);
    ULONG differing = 0;
    for (ULONG index = 0; index < std::min(size, SignatureSize()); ++index)
        differing += start[index] != signature[index];
    return differing;
}

HRESULT OrvStorage::MakeRoot(std::unique_ptr<StorageAllocator> allocator, bool loadTable, IStorage** out)
{
    auto root = ComPtr<OrvStorage>::Adopt(new OrvStorage(std::move(allocator)));
    if (loadTable)
    {
        const HRESULT result = root->table_.Load();
        if (FAILED(result))
            return result;
    }
    else
    {
        root->tableDirty_ = true; // a new file reaches the disk at its first commit even when still empty
    }
    *out = root.Detach();
    return S_OK;
}

HRESULT OrvStorage::QueryInterface(REFIID iid, void** out)
{
    return Orv::QueryOneFace(static_cast<IOrvStorage*>(this), iid, out, IID_IStorage, IID_IOrvStorage);
}

ULONG OrvStorage::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG OrvStorage::Release()
{
    if (!parent_)
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left != 0)
            return static_cast<ULONG>(left);
        // A failed commit cannot be reported from here; the last committed state stays on disk.
        Commit(STGC_OVERWRITE);
        delete this;
        return 0;
    }
    // OpenChild hands out a child from its parent's list under the file's lock: the last reference must
    // go under the same lock, or a child reopened between the two could be deleted twice. The parent
    // keeps the mutex alive until the lock is released.
    const ComPtr<OrvStorage> parent = parent_;
    std::lock_guard lock(allocator_.Mutex());
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
    {
        Commit(STGC_OVERWRITE);
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT OrvStorage::CreateElement(const OLECHAR* name, DWORD mode, uint32_t type, Element*& created)
{
    HRESULT result = CheckName(name);
    if (FAILED(result))
        return result;
    if (Element* existing = table_.Find(name, type))
    {
        if ((mode & STGM_CREATE) == 0)
            return STG_E_FILEALREADYEXISTS;
        result = DestroyFound(*existing);
        if (FAILED(result))
            return result;
    }
    created = &table_.Append(name, type, mode);
    tableDirty_ = true;
    return S_OK;
}

HRESULT OrvStorage::CreateStream(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStream** out)
{
    if (FAILED(ClearOut(out)))
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        Element* element = nullptr;
        const HRESULT result = CreateElement(name, mode, ElementTypeStream, element);
        if (FAILED(result))
            return result;
        *out = new OrvStream(*this, *element);
        element->openCount = 1;
        return S_OK;
    });
}

HRESULT OrvStorage::OpenStream(const OLECHAR* name, void*, DWORD mode, DWORD, IStream** out)
{
    if (FAILED(ClearOut(out)) || !name)
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        Element* element = table_.Find(name, ElementTypeStream);
        if (!element)
            return STG_E_FILENOTFOUND;
        *out = new OrvStream(*this, *element);
        element->openMode = mode;
        ++element->openCount;
        return S_OK;
    });
}

OrvStorage* OrvStorage::OpenChild(Element& element, DWORD mode)
{
    // One object per open storage: two tables of the same element would overwrite each other's changes.
    for (OrvStorage* open : openChildren_)
    {
        if (&open->element_ == &element)
        {
            open->AddRef();
            return open;
        }
    }
    auto child = ComPtr<OrvStorage>::Adopt(new OrvStorage(*this, element));
    // The load's own code is kept, so that a damaged table reads as the corrupt file it is.
    const HRESULT result = child->table_.Load();
    if (FAILED(result))
        throw XOrv(Orv::String(TableUnreadable), result);
    element.openMode = mode;
    return child.Detach();
}

HRESULT OrvStorage::CreateStorage(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStorage** out)
{
    if (FAILED(ClearOut(out)))
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        Element* element = nullptr;
        const HRESULT result = CreateElement(name, mode, ElementTypeStorage, element);
        if (FAILED(result))
            return result;
        *out = new OrvStorage(*this, *element);
        return S_OK;
    });
}

HRESULT OrvStorage::OpenStorage(const OLECHAR* name, IStorage*, DWORD mode, SNB, DWORD, IStorage** out)
{
    if (FAILED(ClearOut(out)) || !name)
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        const bool byNameAlone = allocator_.Version() == NameOnlyLookupVersion;
        Element* element = byNameAlone ? table_.FindByName(name) : table_.Find(name, ElementTypeStorage);
        if (!element)
            return STG_E_FILENOTFOUND;
        *out = OpenChild(*element, mode);
        return S_OK;
    });
}

HRESULT OrvStorage::CopyElementTo(Element& element, IStorage* destination)
{
    const wchar_t* name = element.entry.name;
    HRESULT result = S_OK;
    if (!element.IsStorage())
    {
        ComPtr<IStream> source;
        ComPtr<IStream> target;
        if (FAILED(result = OpenStream(name, nullptr, STGM_SHARE_EXCLUSIVE, 0, source.Put())) ||
            FAILED(result = destination->CreateStream(name, CopyStreamMode, 0, 0, target.Put())))
            return result;
        return source->CopyTo(target.Get(), ULARGE_INTEGER{.QuadPart = ~0ull}, nullptr, nullptr);
    }
    ComPtr<IStorage> source;
    ComPtr<IStorage> target;
    if (FAILED(result = OpenStorage(name, nullptr, STGM_SHARE_EXCLUSIVE, nullptr, 0, source.Put())))
        return result;
    result = destination->CreateStorage(name, CopyStorageMode, 0, 0, target.Put());
    if (result == STG_E_FILEALREADYEXISTS)
        result = destination->OpenStorage(name, nullptr, CopyStorageMode, nullptr, 0, target.Put());
    if (FAILED(result) || FAILED(result = target->SetClass(element.entry.classId)))
        return result;
    return source->CopyTo(0, nullptr, nullptr, target.Get());
}

HRESULT OrvStorage::CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude, IStorage* destination)
{
    if (ciidExclude != 0 || rgiidExclude)
        return STG_E_INVALIDPARAMETER;
    if (!destination)
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        HRESULT result = S_OK;
        for (unsigned i = 0; i < table_.Count() && SUCCEEDED(result); ++i)
        {
            if (!IsExcluded(table_.At(i).entry.name, snbExclude))
                result = CopyElementTo(table_.At(i), destination);
        }
        return result;
    });
}

HRESULT OrvStorage::MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD)
{
    return E_NOTIMPL;
}

HRESULT OrvStorage::CommitChanges(DWORD flags)
{
    for (OrvStorage* child : std::vector<OrvStorage*>(openChildren_))
    {
        const HRESULT result = child->CommitChanges(flags);
        if (FAILED(result))
            return result;
    }
    if (tableDirty_ || dataChanged_)
    {
        const HRESULT result = table_.Save();
        if (FAILED(result))
            return result;
        if (parent_)
            parent_->MarkTableDirty();
        else
            allocator_.CommitRoot(flags);
    }
    element_.RecordCommitted();
    tableDirty_ = false;
    dataChanged_ = false;
    return S_OK;
}

HRESULT OrvStorage::Commit(DWORD flags)
{
    return Orv::CatchReturn([&] {
        std::lock_guard lock(allocator_.Mutex());
        return CommitChanges(flags);
    });
}

HRESULT OrvStorage::Revert()
{
    return E_NOTIMPL;
}

HRESULT OrvStorage::EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** out)
{
    if (FAILED(ClearOut(out)))
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        std::vector<Element> snapshot;
        snapshot.reserve(table_.Count());
        for (unsigned i = 0; i < table_.Count(); ++i)
            snapshot.push_back(table_.At(i));
        *out = new ElementEnumerator(std::move(snapshot));
        return S_OK;
    });
}

HRESULT OrvStorage::DestroyChildren(Element& element)
{
    auto child = ComPtr<OrvStorage>::Adopt(OpenChild(element, STGM_SHARE_EXCLUSIVE));
    std::vector<std::wstring> names;
    for (unsigned i = 0; i < child->table_.Count(); ++i)
        names.emplace_back(child->table_.At(i).entry.name);
    for (const std::wstring& name : names)
    {
        const HRESULT result = child->DestroyElement(name.c_str());
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

// Nothing may still be open on the element: its chain and entry are about to go.
HRESULT OrvStorage::DestroyFound(Element& element)
{
    if (element.openCount != 0)
        return STG_E_ACCESSDENIED;
    if (element.IsStorage())
    {
        const HRESULT result = DestroyChildren(element);
        if (FAILED(result))
            return result;
    }
    if (element.entry.start.cluster != 0)
    {
        ElementCursor chain(allocator_, element);
        chain.SetSize(0);
        if (element.entry.start.cluster != 0)
            allocator_.FreeCluster(element.entry.start.cluster);
    }
    table_.Remove(element);
    tableDirty_ = true;
    return S_OK;
}

HRESULT OrvStorage::DestroyElement(const OLECHAR* name)
{
    if (!name)
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        Element* element = table_.FindByName(name);
        return element ? DestroyFound(*element) : STG_E_FILENOTFOUND;
    });
}

HRESULT OrvStorage::RenameElement(const OLECHAR* oldName, const OLECHAR* newName)
{
    if (!oldName)
        return STG_E_INVALIDPOINTER;
    const HRESULT checked = CheckName(newName);
    if (FAILED(checked))
        return checked;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        if (table_.FindByName(newName))
            return STG_E_FILEALREADYEXISTS;
        Element* element = table_.FindByName(oldName);
        if (!element)
            return STG_E_FILENOTFOUND;
        StoreName(element->entry.name, newName);
        element->dirty = true;
        tableDirty_ = true;
        return S_OK;
    });
}

HRESULT OrvStorage::SetElementTimes(const OLECHAR* name, const FILETIME* created, const FILETIME* accessed,
                                    const FILETIME* modified)
{
    if (!name)
        return STG_E_INVALIDPOINTER;
    std::lock_guard lock(allocator_.Mutex());
    Element* element = table_.FindByName(name);
    if (!element)
        return STG_E_FILENOTFOUND;
    if (modified)
        element->entry.modified = *modified;
    if (created)
        element->entry.created = *created;
    if (accessed)
        element->entry.accessed = *accessed;
    element->dirty = true;
    tableDirty_ = true;
    return S_OK;
}

HRESULT OrvStorage::SetClass(REFCLSID classId)
{
    std::lock_guard lock(allocator_.Mutex());
    element_.entry.classId = classId;
    element_.dirty = true;
    tableDirty_ = true; // the entry lives in the parent's table (or the header) and reaches it at commit
    return S_OK;
}

HRESULT OrvStorage::SetStateBits(DWORD, DWORD)
{
    return S_OK;
}

HRESULT OrvStorage::Stat(STATSTG* stat, DWORD flag)
{
    if (!stat)
        return STG_E_INVALIDPOINTER;
    std::lock_guard lock(allocator_.Mutex());
    if (parent_)
        return FillElementStat(element_, stat, flag);
    const HRESULT result = allocator_.LockBytes()->Stat(stat, flag);
    stat->type = STGTY_STORAGE;
    return result;
}

HRESULT OrvStorage::QueryPassThrough(void** out)
{
    if (IOrvLockBytes* store = allocator_.OrvLockBytes())
        return store->QueryPassThrough(out);
    if (out)
        *out = nullptr;
    return S_FALSE;
}

HRESULT OrvStorage::GetLockBytes(ILockBytes** out)
{
    if (!out)
        return STG_E_INVALIDPOINTER;
    *out = allocator_.LockBytes();
    if (!*out)
        return 1;
    (*out)->AddRef();
    return 0;
}

ULONG_PTR OrvStorage::PassThrough(ULONG_PTR argument)
{
    IOrvLockBytes* store = allocator_.OrvLockBytes();
    return !parent_ && store ? store->PassThrough(argument) : 0;
}

void OrvStorage::Destroy()
{
    delete this;
}
