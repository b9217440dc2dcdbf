// Storages of a compound file, seen through IStorage.
#pragma once

#include "foundation/storage/ElementTable.h"
#include "foundation/text/String.h"

#include <memory>
#include <vector>

class OrvStorage final : public IOrvStorage
{
public:
    // A new compound file named fileName, or a new temporary file when the name is empty; mode is unused.
    static HRESULT CreateFileStorage(const Orv::String& fileName, DWORD mode, IStorage** out);
    // A new compound file over a byte store of the caller's.
    static HRESULT CreateOnLockBytes(ILockBytes* lockBytes, IStorage** out);
    // The last committed state of a compound file in a byte store.
    static HRESULT OpenOnLockBytes(ILockBytes* lockBytes, IStorage** out);
    // The length of the signature a compound file starts with, and how many of the size bytes at start
    // (at most that length) differ from it: a reader tells a damaged compound file from a file of another
    // kind by them.
    static ULONG SignatureSize();
    static ULONG SignatureDifferences(const BYTE* start, ULONG size);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateStream(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStream** out) override;
    HRESULT STDMETHODCALLTYPE OpenStream(const OLECHAR* name, void*, DWORD mode, DWORD, IStream** out) override;
    HRESULT STDMETHODCALLTYPE CreateStorage(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStorage** out) override;
    HRESULT STDMETHODCALLTYPE OpenStorage(const OLECHAR* name, IStorage*, DWORD mode, SNB, DWORD,
                                          IStorage** out) override;
    HRESULT STDMETHODCALLTYPE CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude,
                                     IStorage* destination) override;
    HRESULT STDMETHODCALLTYPE MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override;
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Revert() override;
    HRESULT STDMETHODCALLTYPE EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** out) override;
    HRESULT STDMETHODCALLTYPE DestroyElement(const OLECHAR* name) override;
    HRESULT STDMETHODCALLTYPE RenameElement(const OLECHAR* oldName, const OLECHAR* newName) override;
    HRESULT STDMETHODCALLTYPE SetElementTimes(const OLECHAR* name, const FILETIME* created, const FILETIME* accessed,
                                              const FILETIME* modified) override;
    HRESULT STDMETHODCALLTYPE SetClass(REFCLSID classId) override;
    HRESULT STDMETHODCALLTYPE SetStateBits(DWORD, DWORD) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flag) override;
    HRESULT STDMETHODCALLTYPE QueryPassThrough(void** out) override;
    HRESULT STDMETHODCALLTYPE GetLockBytes(ILockBytes** out) override;
    ULONG_PTR STDMETHODCALLTYPE PassThrough(ULONG_PTR argument) override;
    void STDMETHODCALLTYPE Destroy() override;

    // Called by the streams of this storage when they change its elements.
    void MarkTableDirty() { tableDirty_ = true; }
    void MarkDataChanged() { dataChanged_ = true; }
    Orv::Compound::StorageAllocator& Allocator() { return allocator_; }

private:
    using Element = Orv::Compound::Element;

    explicit OrvStorage(std::unique_ptr<Orv::Compound::StorageAllocator> allocator);
    OrvStorage(OrvStorage& parent, Element& element);
    ~OrvStorage();

    static HRESULT MakeRoot(std::unique_ptr<Orv::Compound::StorageAllocator> allocator, bool loadTable, IStorage** out);
    HRESULT CreateElement(const OLECHAR* name, DWORD mode, uint32_t type, Element*& created);
    HRESULT DestroyFound(Element& element);
    HRESULT DestroyChildren(Element& element);
    HRESULT CommitChanges(DWORD flags);
    OrvStorage* OpenChild(Element& element, DWORD mode);
    HRESULT CopyElementTo(Element& element, IStorage* destination);

    Orv::ComPtr<OrvStorage> parent_;
    std::unique_ptr<Orv::Compound::StorageAllocator> ownedAllocator_;
    Orv::Compound::StorageAllocator& allocator_;
    Element& element_;
    Orv::Compound::ElementTable table_;
    // Open child storages; committing this storage commits them first, so nothing of theirs is left behind.
    std::vector<OrvStorage*> openChildren_;
    LONG references_ = 1;
    bool tableDirty_ = false;
    bool dataChanged_ = false;
};
