// Streams of a compound file, seen through IStream, and the enumerator of a storage's elements.
#pragma once

#include "foundation/com/ComObjectRoot.h"
#include "foundation/storage/ElementCursor.h"

#include <vector>

class OrvStorage;

namespace Orv::Compound
{
// The element's STATSTG; the name is allocated with the COM task allocator unless STATFLAG_NONAME.
HRESULT FillElementStat(const Element& element, STATSTG* stat, DWORD flag);
} // namespace Orv::Compound

class OrvStream final : public IOrvStream
{
public:
    // Opens a stream on the element at its start; the element's open count is the caller's to raise.
    OrvStream(OrvStorage& parent, Orv::Compound::Element& element);
    // A second stream on the same element, at the cursor's position.
    OrvStream(OrvStorage& parent, const Orv::Compound::ElementCursor& at);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* destination, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override;
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flag) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override;
    HRESULT STDMETHODCALLTYPE DirectPointer(ULONGLONG offset, ULONG length, void** out) override;
    HRESULT STDMETHODCALLTYPE QueryPassThrough(void** out) override;
    HRESULT STDMETHODCALLTYPE GetLockBytes(ILockBytes** out) override;
    void STDMETHODCALLTYPE Destroy() override { delete this; }

private:
    ~OrvStream();
    // Runs a change of the stream under the file's mutex and tells the storage what changed.
    template <class Change>
    HRESULT Change(Change&& change);

    // Held so that the storage and the element outlive the stream.
    Orv::ComPtr<OrvStorage> parent_;
    Orv::Compound::StorageAllocator& allocator_;
    Orv::Compound::Element& element_;
    Orv::Compound::ElementCursor cursor_;
    LONG references_ = 1;
};

class ElementEnumerator final : public IEnumSTATSTG, private Orv::CComObjectRoot
{
public:
    // A snapshot: later changes of the table do not reach an enumerator already made.
    explicit ElementEnumerator(std::vector<Orv::Compound::Element> elements);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, STATSTG* stats, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumSTATSTG**) override { return E_NOTIMPL; }

private:
    ~ElementEnumerator() = default;

    std::vector<Orv::Compound::Element> elements_;
    size_t current_ = 0;
};
