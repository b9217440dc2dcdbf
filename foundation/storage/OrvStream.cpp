#include "foundation/storage/OrvStream.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "foundation/storage/OrvStorage.h"

#include <algorithm>
#include <cstring>

using namespace Orv::Compound;

namespace Orv::Compound
{

HRESULT FillElementStat(const Element& element, STATSTG* stat, DWORD flag)
{
    if (!stat)
        return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof(*stat));
    HRESULT result = S_OK;
    if ((flag & STATFLAG_NONAME) == 0)
    {
        stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(sizeof(element.entry.name)));
        if (stat->pwcsName)
            std::memcpy(stat->pwcsName, element.entry.name, sizeof(element.entry.name));
        else
            result = STG_E_INSUFFICIENTMEMORY;
    }
    stat->type = element.entry.type;
    stat->grfMode = element.openMode;
    if (element.entry.type == ElementTypeStream)
        stat->cbSize.QuadPart = element.entry.end.offset;
    stat->clsid = element.entry.classId;
    return result;
}

} // namespace Orv::Compound

OrvStream::OrvStream(OrvStorage& parent, Element& element)
    : parent_(&parent), allocator_(parent.Allocator()), element_(element), cursor_(allocator_, element)
{
}

OrvStream::OrvStream(OrvStorage& parent, const ElementCursor& at)
    : parent_(&parent), allocator_(parent.Allocator()), element_(at.GetElement()), cursor_(at)
{
}

OrvStream::~OrvStream() = default;

HRESULT OrvStream::QueryInterface(REFIID iid, void** out)
{
    return Orv::QueryOneFace(static_cast<IOrvStream*>(this), iid, out, IID_IStream, IID_ISequentialStream,
                             IID_IOrvStream);
}

ULONG OrvStream::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG OrvStream::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
    {
        {
            std::lock_guard lock(allocator_.Mutex());
            if (element_.openCount != 0)
                --element_.openCount;
        }
        delete this;
    }
    return static_cast<ULONG>(left);
}

template <class Operation>
HRESULT OrvStream::Change(Operation&& operation)
{
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        const ElementEntry before = element_.entry;
        const uint32_t generation = element_.chainGeneration;
        const HRESULT result = operation();
        if (std::memcmp(&before, &element_.entry, sizeof(before)) != 0)
            parent_->MarkTableDirty();
        else if (generation != element_.chainGeneration)
            parent_->MarkDataChanged();
        return result;
    });
}

HRESULT OrvStream::Read(void* buffer, ULONG count, ULONG* read)
{
    if (read)
        *read = 0;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        return cursor_.Read(buffer, count, read);
    });
}

HRESULT OrvStream::Write(const void* buffer, ULONG count, ULONG* written)
{
    if (written)
        *written = 0;
    return Change([&] {
        ULONG done = 0;
        const HRESULT result = cursor_.Write(buffer, count, &done);
        if (done != 0)
            parent_->MarkDataChanged();
        if (written)
            *written = done;
        return result;
    });
}

HRESULT OrvStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition)
{
    return Change([&] {
        ULONGLONG position = 0;
        const HRESULT result = cursor_.Seek(move.QuadPart, origin, &position);
        if (newPosition)
            newPosition->QuadPart = position;
        return result;
    });
}

HRESULT OrvStream::SetSize(ULARGE_INTEGER size)
{
    return Change([&] { return cursor_.SetSize(size.QuadPart); });
}

HRESULT OrvStream::CopyTo(IStream* destination, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written)
{
    if (!destination)
        return STG_E_INVALIDPOINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::vector<BYTE> buffer(allocator_.ClusterSize());
        uint64_t remaining = count.QuadPart;
        uint64_t totalRead = 0;
        uint64_t totalWritten = 0;
        HRESULT result = S_OK;
        while (remaining != 0)
        {
            ULONG got = 0;
            ULONG put = 0;
            result = Read(buffer.data(), static_cast<ULONG>(std::min<uint64_t>(remaining, buffer.size())), &got);
            totalRead += got;
            if (got == 0 || FAILED(result))
                break;
            result = destination->Write(buffer.data(), got, &put);
            totalWritten += put;
            if (put == 0 || FAILED(result))
                break;
            remaining -= got;
        }
        if (read)
            read->QuadPart = totalRead;
        if (written)
            written->QuadPart = totalWritten;
        return result;
    });
}

HRESULT OrvStream::Stat(STATSTG* stat, DWORD flag)
{
    std::lock_guard lock(allocator_.Mutex());
    return FillElementStat(element_, stat, flag);
}

HRESULT OrvStream::Clone(IStream** out)
{
    if (!out)
        return STG_E_INVALIDPOINTER;
    *out = nullptr;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        *out = new OrvStream(*parent_.Get(), cursor_);
        ++element_.openCount;
        return S_OK;
    });
}

HRESULT OrvStream::DirectPointer(ULONGLONG offset, ULONG length, void** out)
{
    if (!out)
        return STG_E_INVALIDPOINTER;
    *out = nullptr;
    IOrvLockBytes* store = allocator_.OrvLockBytes();
    auto* view = static_cast<BYTE*>(store ? store->MemoryView() : nullptr);
    if (!view)
        return S_FALSE;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::lock_guard lock(allocator_.Mutex());
        if (offset + length > element_.entry.end.offset || element_.entry.start.cluster == 0)
            return S_FALSE;
        ElementCursor probe(allocator_, element_);
        probe.Seek(static_cast<LONGLONG>(offset), STREAM_SEEK_SET, nullptr);
        const uint32_t first = probe.CurrentCluster();
        const uint64_t inFirst = offset & (allocator_.ClusterSize() - 1);
        const uint64_t spanned = (inFirst + std::max<ULONG>(length, 1) - 1) / allocator_.ClusterSize();
        ClusterMap& map = allocator_.Map();
        uint32_t cluster = first;
        for (uint64_t i = 0; i < spanned; ++i, ++cluster)
        {
            if (map.Next(cluster) != cluster + 1)
                return S_FALSE;
        }
        *out = view + allocator_.FileOffsetOf(first, inFirst);
        return S_OK;
    });
}

HRESULT OrvStream::QueryPassThrough(void** out)
{
    return parent_->QueryPassThrough(out);
}

HRESULT OrvStream::GetLockBytes(ILockBytes** out)
{
    return parent_->GetLockBytes(out);
}

ElementEnumerator::ElementEnumerator(std::vector<Element> elements)
    : Orv::CComObjectRoot(1), elements_(std::move(elements))
{
}

HRESULT ElementEnumerator::QueryInterface(REFIID iid, void** out)
{
    return Orv::QueryOneFace(static_cast<IEnumSTATSTG*>(this), iid, out, IID_IEnumSTATSTG);
}

HRESULT ElementEnumerator::Next(ULONG count, STATSTG* stats, ULONG* fetched)
{
    if (!stats || (!fetched && count != 1))
        return STG_E_INVALIDPOINTER;
    ULONG filled = 0;
    HRESULT result = S_OK;
    while (filled < count && current_ < elements_.size() && SUCCEEDED(result))
        result = FillElementStat(elements_[current_++], &stats[filled++], STATFLAG_DEFAULT);
    if (fetched)
        *fetched = filled;
    if (FAILED(result))
        return result;
    return filled == count ? S_OK : S_FALSE;
}

HRESULT ElementEnumerator::Skip(ULONG count)
{
    const size_t left = elements_.size() - current_;
    current_ += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
}
