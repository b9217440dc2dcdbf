#include "foundation/storage/ElementTable.h"

#include "foundation/storage/CompoundErrors.h"

#include <algorithm>
#include <new>

namespace Orv::Compound
{

namespace
{
constexpr wchar_t TooManyEntries[] = L"ElementTable::Resize : too many entries";
} // namespace

ElementTable::ElementTable(StorageAllocator& allocator, Element& owner)
    : allocator_(allocator), owner_(owner), cursor_(allocator, owner)
{
}

HRESULT ElementTable::ReadCount(uint32_t& count)
{
    const bool newEntries = allocator_.Version() >= FirstVersionWithNewEntries;
    count = 0;
    if (!newEntries)
    {
        const uint64_t entries = owner_.entry.end.offset / sizeof(OldElementEntry);
        count = static_cast<uint32_t>(std::min<uint64_t>(entries, MaxElementsPerTable + 1));
    }
    else
    {
        TableCountWords words{};
        ULONG read = 0;
        const HRESULT result = cursor_.Read(&words, sizeof(words), &read);
        if (FAILED(result))
            return result;
        // A table that was never written has no chain yet and reads as empty.
        if (read != 0 && (read != sizeof(words) || words.count + words.check != 0))
            return STG_E_DOCFILECORRUPT;
        count = words.count;
    }
    return count > MaxElementsPerTable ? STG_E_INSUFFICIENTMEMORY : S_OK;
}

HRESULT ElementTable::ReadEntry(ElementEntry& entry)
{
    const bool newEntries = allocator_.Version() >= FirstVersionWithNewEntries;
    OldElementEntry old{};
    void* target = newEntries ? static_cast<void*>(&entry) : static_cast<void*>(&old);
    const ULONG size = newEntries ? sizeof(ElementEntry) : sizeof(OldElementEntry);
    ULONG read = 0;
    const HRESULT result = cursor_.Read(target, size, &read);
    if (FAILED(result))
        return result;
    if (read != size)
        return E_FAIL;
    if (!newEntries)
        entry = FromOldEntry(old);
    entry.name[MaxNameUnits] = 0;
    allocator_.CheckLoadedEntry(entry);
    return S_OK;
}

Element& ElementTable::AddOwned(std::unique_ptr<Element> element)
{
    const unsigned before = elements_.Count();
    elements_.Add(element.get());
    if (elements_.Count() == before)
        throw std::bad_alloc();
    return *element.release();
}

HRESULT ElementTable::Load()
{
    elements_.SetCount(0);
    uint32_t count = 0;
    HRESULT result = cursor_.Seek(0, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(result))
        result = ReadCount(count);
    if (FAILED(result))
        return result;
    for (uint32_t i = 0; i < count; ++i)
    {
        auto element = std::make_unique<Element>();
        result = ReadEntry(element->entry);
        if (FAILED(result))
            return result;
        element->RecordCommitted();
        AddOwned(std::move(element));
    }
    return S_OK;
}

HRESULT ElementTable::Save()
{
    HRESULT result = cursor_.SetSize(0);
    if (SUCCEEDED(result))
        result = cursor_.Seek(0, STREAM_SEEK_SET, nullptr);
    const uint32_t count = elements_.Count();
    const TableCountWords words{count, 0u - count};
    if (SUCCEEDED(result))
        result = cursor_.Write(&words, sizeof(words), nullptr);
    for (unsigned i = 0; i < elements_.Count(); ++i)
    {
        Element* element = elements_[i];
        if (FAILED(result))
            return result;
        result = cursor_.Write(&element->entry, sizeof(ElementEntry), nullptr);
        element->RecordCommitted();
    }
    return result;
}

Element* ElementTable::Find(const wchar_t* name, uint32_t type) const
{
    for (unsigned i = 0; i < elements_.Count(); ++i)
    {
        if (elements_[i]->entry.type == type && NamesMatch(elements_[i]->entry.name, name))
            return elements_[i];
    }
    return nullptr;
}

Element* ElementTable::FindByName(const wchar_t* name) const
{
    for (unsigned i = 0; i < elements_.Count(); ++i)
    {
        if (NamesMatch(elements_[i]->entry.name, name))
            return elements_[i];
    }
    return nullptr;
}

Element& ElementTable::Append(const wchar_t* name, uint32_t type, DWORD mode)
{
    if (elements_.Count() >= MaxElementsPerTable)
        ThrowInternal(TooManyEntries);
    auto element = std::make_unique<Element>();
    element->entry = NewElementEntry(name, type);
    element->openMode = mode;
    element->dirty = true;
    Element& added = AddOwned(std::move(element));
    owner_.dirty = true;
    return added;
}

void ElementTable::Remove(const Element& element)
{
    elements_.Remove(const_cast<Element*>(&element));
    owner_.dirty = true;
}

} // namespace Orv::Compound
