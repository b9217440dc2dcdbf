// A storage's children, held on disk in the chain of the storage's own element.
#pragma once

#include "foundation/containers/Containers.h"
#include "foundation/storage/ElementCursor.h"

#include <memory>

namespace Orv::Compound
{

class ElementTable
{
public:
    ElementTable(StorageAllocator& allocator, Element& owner);

    // S_OK, or the code of what made the table unreadable; the table is then empty.
    HRESULT Load();
    HRESULT Save();

    Element* Find(const wchar_t* name, uint32_t type) const;
    Element* FindByName(const wchar_t* name) const;
    Element& Append(const wchar_t* name, uint32_t type, DWORD mode);
    void Remove(const Element& element);

    unsigned Count() const { return elements_.Count(); }
    Element& At(unsigned index) const { return *elements_[index]; }

private:
    Element& AddOwned(std::unique_ptr<Element> element);
    HRESULT ReadCount(uint32_t& count);
    HRESULT ReadEntry(ElementEntry& entry);

    StorageAllocator& allocator_;
    Element& owner_;
    ElementCursor cursor_;
    CIArray<Element> elements_;
};

} // namespace Orv::Compound
